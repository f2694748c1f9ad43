#include "models/passive_semis/transistor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

::testing::AssertionResult near(double actual, double expected, double relative = 1e-5) {
  const double tolerance = std::fabs(expected) * relative + 1e-12;
  if (std::isfinite(actual) && std::fabs(actual - expected) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

CCircHeader header(std::uint8_t env, float ambient) {
  CCircHeader h;
  h.ENV = env;
  h.TEMP = ambient;
  return h;
}

JunctionTemp thermal(std::uint8_t mode, float tadj, float pd, float rjc, float rca, float tca, float tja) {
  JunctionTemp b;
  b.MODE = mode;
  b.TADJ = tadj;
  b.PD = pd;
  b.RJC = rjc;
  b.RCA = rca;
  b.TCA = tca;
  b.TJA = tja;
  return b;
}
const JunctionTemp kAtAmbient{};  // mode 1, all 0: Tj = Ta

// What a case sets; the stress is entered directly, so the case states it.
struct Config {
  std::uint8_t type, app, quality;
  float pmax, stress;
  JunctionTemp block = kAtAmbient;
};

void configure(CTransistor& t, const Config& c) {
  t.TYPE = c.type;
  t.APP = c.app;
  t.QU = c.quality;
  t.PMAX = c.pmax;
  t.STRESSMODE = 2;
  t.VSTRESS = c.stress;
  t.thermal = c.block;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  Config config;
  std::uint8_t env;
  float ambient;
  float cf;
  double tj, s;
  double lb, pit, pia, pir, pis, piq, pie, fr;
};

class TransistorFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(TransistorFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  auto t = std::make_unique<CTransistor>();
  configure(*t, c.config);
  t->CF = c.cf;
  t->QTY = 5.0f;  // never applied to FR
  CCircHeader h = header(c.env, c.ambient);
  t->Calculate(h);
  EXPECT_FLOAT_EQ(t->T, static_cast<float>(c.tj));
  EXPECT_FLOAT_EQ(t->S, static_cast<float>(c.s));
  EXPECT_TRUE(near(t->LB, c.lb));
  EXPECT_TRUE(near(t->PIT, c.pit));
  EXPECT_TRUE(near(t->PIA, c.pia));
  EXPECT_TRUE(near(t->PIR, c.pir));
  EXPECT_TRUE(near(t->PIS, c.pis));
  EXPECT_TRUE(near(t->PIQ, c.piq));
  EXPECT_TRUE(near(t->PIE, c.pie));
  EXPECT_TRUE(near(t->FR, c.fr));
  EXPECT_EQ(t->OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransistorFailureRate,
    ::testing::Values(
        // NPN linear JANTXV, GB, Tj = 25: pi_T 1; Pr 1 W: pi_R 1^0.37 = 1;
        // pi_S = 0.045 x exp(3.1 x 0.5) = 0.045 x 4.711470 = 0.212016; pi_A 1.5, pi_Q 0.7, pi_E 1;
        // FR = 0.00074 x 1.5 x 0.212016 x 0.7 = 1.647366e-4
        RateCase{"NpnLinearJantxvAtGroundBenign",
                 {1, 1, 1, 1.0f, 50},
                 1,
                 25,
                 1,
                 25,
                 50,
                 0.00074,
                 1.0,
                 1.5,
                 1.0,
                 0.212016,
                 0.7,
                 1.0,
                 1.647366e-4},
        // PNP switching Lower, AIF, Tj = 40 + 10 + 0.2 x 50 = 60:
        // pi_T = exp(-2114 x (1/333 - 1/298)) = exp(2114 x 0.000352702) = exp(0.745611) = 2.107730;
        // pi_R = 0.5^0.37 = exp(0.37 x -0.693147) = 0.773782; pi_S = 0.045 x exp(0.93) = 0.114053;
        // FR = 0.00074 x 2.107730 x 0.7 x 0.773782 x 0.114053 x 5.5 x 29 = 0.0153685
        RateCase{"PnpSwitchingLowerWithCaseRiseAtAirborneFighter",
                 {2, 2, 4, 0.5f, 30, thermal(2, 0, 0.2f, 50, 0, 10, 0)},
                 7,
                 40,
                 1,
                 60,
                 30,
                 0.00074,
                 2.107730,
                 0.7,
                 0.773782,
                 0.114053,
                 5.5,
                 29.0,
                 0.0153685},
        // MOSFET power 20 W (50 > Pr >= 5: pi_A 4.0), JAN, NU, Tj = 45 + 60 = 105:
        // pi_T = exp(1925 x (1/298 - 1/378)) = exp(1925 x 0.000710202) = exp(1.367139) = 3.924108;
        // no pi_R, no pi_S (S = -1); FR = 0.012 x 3.924108 x 4.0 x 2.4 x 19 = 8.589087
        RateCase{"MosfetPowerJanAtNavalUnsheltered",
                 {3, 3, 3, 20.0f, 80, thermal(3, 0, 0, 0, 0, 0, 60)},
                 5,
                 45,
                 1,
                 105,
                 -1,
                 0.012,
                 3.924108,
                 4.0,
                 1.0,
                 1.0,
                 2.4,
                 19.0,
                 8.589087},
        // JFET linear Plastic, CL, Tj = 0: pi_T = exp(-1925 x (1/273 - 1/298)) = exp(-0.591551) = 0.553468;
        // FR = 0.0045 x 0.553468 x 1.5 x 8.0 x 320 = 9.563935
        RateCase{"JfetLinearPlasticBelowRoomAtCannonLaunch",
                 {4, 1, 5, 1.0f, 50},
                 14,
                 0,
                 1,
                 0,
                 -1,
                 0.0045,
                 0.553468,
                 1.5,
                 1.0,
                 1.0,
                 8.0,
                 320.0,
                 9.563935},
        // UJT JANTX, SF, Tj = 25 + 10 + 2 x (20 + 25) = 125, CF 2 (QTY 5 not applied):
        // pi_T = exp(2483 x (1/298 - 1/398)) = exp(2483 x 0.000843142) = exp(2.093521) = 8.113435;
        // pi_A 1; FR = 0.0083 x 8.113435 x 1.0 x 0.5 x 2 = 0.0673415
        RateCase{"UjtJantxHotAtSpaceFlightWithCorrectionFactor",
                 {5, 3, 2, 1.0f, 50, thermal(1, 10, 2, 20, 25, 0, 0)},
                 11,
                 25,
                 2,
                 125,
                 -1,
                 0.0083,
                 8.113435,
                 1.0,
                 1.0,
                 1.0,
                 1.0,
                 0.5,
                 0.0673415},
        // MOSFET switching Lower, ML, Tj = 25 + 50 = 75:
        // pi_T = exp(1925 x (1/298 - 1/348)) = exp(1925 x 0.000482141) = exp(0.928122) = 2.529755;
        // FR = 0.012 x 2.529755 x 0.7 x 5.5 x 32 = 3.739989
        RateCase{"MosfetSwitchingLowerAtMissileLaunch",
                 {3, 2, 4, 1.0f, 50, thermal(3, 0, 0, 0, 0, 0, 50)},
                 13,
                 25,
                 1,
                 75,
                 -1,
                 0.012,
                 2.529755,
                 0.7,
                 1.0,
                 1.0,
                 5.5,
                 32.0,
                 3.739989},
        // NPN linear JAN, ARW, Tj = -55, Pr 0.1 W (pi_R 0.43), 100 %:
        // pi_T = exp(-2114 x (1/218 - 1/298)) = exp(-2114 x 0.00123145) = exp(-2.603287) = 0.0740298;
        // pi_S = 0.045 x exp(3.1) = 0.045 x 22.197951 = 0.998908;
        // FR = 0.00074 x 0.0740298 x 1.5 x 0.43 x 0.998908 x 2.4 x 24 = 0.00203304
        RateCase{"NpnFullStressSmallRatingColdAtRotaryWing",
                 {1, 1, 3, 0.1f, 100},
                 10,
                 -55,
                 1,
                 -55,
                 100,
                 0.00074,
                 0.0740298,
                 1.5,
                 0.43,
                 0.998908,
                 2.4,
                 24.0,
                 0.00203304}),
    labelOf<RateCase>);

// ---- Base failure rate and temperature constant by type -----------------------

struct TypeCase {
  const char* label;
  std::uint8_t type;
  double lb, pit;  // pit at Tj = 125: exp(Ea/k x (1/298 - 1/398)), 1/298 - 1/398 = 0.000843142
};

class TransistorTypeTable : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TransistorTypeTable, BaseRateAndTemperatureConstant) {
  const TypeCase& c = GetParam();
  CTransistor t;
  configure(t, {c.type, 1, 2, 1.0f, 50, thermal(3, 0, 0, 0, 0, 0, 100)});
  CCircHeader h = header(1, 25);
  t.Calculate(h);
  EXPECT_TRUE(near(t.LB, c.lb));
  EXPECT_TRUE(near(t.PIT, c.pit));
}

INSTANTIATE_TEST_SUITE_P(Types, TransistorTypeTable,
                         // 2114 x 0.000843142 = 1.782402 -> 5.944117; 1925 x 0.000843142 = 1.623048
                         // -> 5.068516; 2483 x 0.000843142 = 2.093521 -> 8.113435
                         ::testing::Values(TypeCase{"Npn", 1, 0.00074, 5.944117},
                                           TypeCase{"Pnp", 2, 0.00074, 5.944117},
                                           TypeCase{"Mosfet", 3, 0.012, 5.068516},
                                           TypeCase{"Jfet", 4, 0.0045, 5.068516},
                                           TypeCase{"Ujt", 5, 0.0083, 8.113435}),
                         labelOf<TypeCase>);

// ---- Rating, application, stress, quality and environment tables -----------------

struct FactorCase {
  const char* label;
  std::uint8_t type, app, quality, env;
  float pmax, stress;
  double pia, pir, pis, piq, pie;
};

class TransistorFactorTables : public ::testing::TestWithParam<FactorCase> {};

// lambda_b by type, for the product check (pi_T = 1 at 25 C).
double tableLb(std::uint8_t type) {
  constexpr double lb[] = {0.0, 0.00074, 0.00074, 0.012, 0.0045, 0.0083};
  return lb[type];
}

TEST_P(TransistorFactorTables, FactorAtBranch) {
  const FactorCase& c = GetParam();
  CTransistor t;
  configure(t, {c.type, c.app, c.quality, c.pmax, c.stress});
  CCircHeader h = header(c.env, 25);
  t.Calculate(h);
  EXPECT_TRUE(near(t.PIA, c.pia));
  EXPECT_TRUE(near(t.PIR, c.pir));
  EXPECT_TRUE(near(t.PIS, c.pis));
  EXPECT_TRUE(near(t.PIQ, c.piq));
  EXPECT_TRUE(near(t.PIE, c.pie));
  EXPECT_TRUE(near(t.FR, tableLb(c.type) * t.PIA * t.PIR * t.PIS * t.PIQ * t.PIE));
}

// Bipolar pi_S at 0 % is 0.045, at 50 % 0.212016 (see above).
INSTANTIATE_TEST_SUITE_P(
    Branches, TransistorFactorTables,
    ::testing::Values(
        // pi_R: Pr <= 0.1 W gives 0.43; 0.2^0.37 = exp(0.37 x -1.609438) = 0.551291;
        // 20^0.37 = exp(0.37 x 2.995732) = 3.029571
        FactorCase{"RatingAtSmallestEntry", 1, 1, 2, 1, 0.001f, 0, 1.5, 0.43, 0.045, 1.0, 1.0},
        FactorCase{"RatingExactlyPointOne", 1, 1, 2, 1, 0.1f, 0, 1.5, 0.43, 0.045, 1.0, 1.0},
        // just above the bound: 0.1001^0.37 = exp(0.37 x -2.301586) = exp(-0.851587) = 0.426737
        FactorCase{"RatingJustAbovePointOne", 1, 1, 2, 1, 0.1001f, 0, 1.5, 0.426737, 0.045, 1.0, 1.0},
        FactorCase{"RatingPointTwo", 1, 1, 2, 1, 0.2f, 0, 1.5, 0.551291, 0.045, 1.0, 1.0},
        FactorCase{"RatingTwentyWatts", 2, 2, 2, 1, 20.0f, 0, 0.7, 3.029571, 0.045, 1.0, 1.0},
        // FET power application by Pr: < 5: 2; 5..<50: 4; 50..<250: 8; >= 250: 10
        FactorCase{"MosfetPowerJustBelowFive", 3, 3, 2, 1, 4.99f, 0, 2.0, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"MosfetPowerExactlyFive", 3, 3, 2, 1, 5.0f, 0, 4.0, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"JfetPowerJustBelowFifty", 4, 3, 2, 1, 49.99f, 0, 4.0, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"JfetPowerExactlyFifty", 4, 3, 2, 1, 50.0f, 0, 8.0, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"MosfetPowerJustBelow250", 3, 3, 2, 1, 249.9f, 0, 8.0, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"MosfetPowerExactly250", 3, 3, 2, 1, 250.0f, 0, 10.0, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"MosfetLinearIgnoresRating", 3, 1, 2, 1, 300.0f, 0, 1.5, 1.0, 1.0, 1.0, 1.0},
        FactorCase{"JfetSwitching", 4, 2, 2, 1, 300.0f, 0, 0.7, 1.0, 1.0, 1.0, 1.0},
        // pi_S bipolar: 0.045 x exp(3.1 x S)
        FactorCase{"StressHalf", 1, 1, 2, 1, 1.0f, 50, 1.5, 1.0, 0.212016, 1.0, 1.0},
        FactorCase{"StressFull", 2, 1, 2, 1, 1.0f, 100, 1.5, 1.0, 0.998908, 1.0, 1.0},
        // pi_Q JANTXV..Plastic: 0.7, 1.0, 2.4, 5.5, 8.0
        FactorCase{"QualityJantxv", 5, 1, 1, 1, 1.0f, 0, 1.0, 1.0, 1.0, 0.7, 1.0},
        FactorCase{"QualityJan", 5, 1, 3, 1, 1.0f, 0, 1.0, 1.0, 1.0, 2.4, 1.0},
        FactorCase{"QualityLower", 5, 1, 4, 1, 1.0f, 0, 1.0, 1.0, 1.0, 5.5, 1.0},
        FactorCase{"QualityPlastic", 5, 1, 5, 1, 1.0f, 0, 1.0, 1.0, 1.0, 8.0, 1.0},
        // pi_E GB..CL: 1, 6, 9, 9, 19, 13, 29, 20, 43, 24, 0.5, 14, 32, 320
        FactorCase{"EnvGF", 5, 1, 2, 2, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 6.0},
        FactorCase{"EnvGM", 5, 1, 2, 3, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 9.0},
        FactorCase{"EnvNS", 5, 1, 2, 4, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 9.0},
        FactorCase{"EnvAIC", 5, 1, 2, 6, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 13.0},
        FactorCase{"EnvAUC", 5, 1, 2, 8, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 20.0},
        FactorCase{"EnvAUF", 5, 1, 2, 9, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 43.0},
        FactorCase{"EnvMF", 5, 1, 2, 12, 1.0f, 0, 1.0, 1.0, 1.0, 1.0, 14.0}),
    labelOf<FactorCase>);

// ---- Over flags ------------------------------------------------------------------

struct LimitCase {
  const char* label;
  std::uint8_t type;
  float tja, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class TransistorLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(TransistorLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CTransistor t;
  configure(t, {c.type, 1, 4, 1.0f, c.stress, thermal(3, 0, 0, 0, 0, 0, c.tja)});
  t.TEMPLIMIT = c.tempLimit;
  t.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, 25);
  t.Calculate(h);
  EXPECT_EQ(t.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, TransistorLimitFlags,
    ::testing::Values(LimitCase{"JunctionEqualToLimit", 1, 100, 125, 40, 100, 0u},  // 25 + 100 = 125
                      LimitCase{"JunctionJustAboveLimit", 1, 100.25f, 125, 40, 100, OverTemp},
                      LimitCase{"StressEqualToLimit", 2, 0, 175, 60, 60, 0u},
                      LimitCase{"StressJustAboveLimit", 2, 0, 175, 60.25f, 60, OverStress},
                      LimitCase{"MosfetNeverOverStress", 3, 0, 175, 100, 0, 0u},
                      LimitCase{"JfetNeverOverStress", 4, 0, 175, 100, 0, 0u},
                      LimitCase{"UjtNeverOverStress", 5, 0, 175, 100, 0, 0u}),
    labelOf<LimitCase>);

TEST(TransistorLimitFlags, FetAndUjtReportNoStressFigure) {
  for (std::uint8_t type : {3, 4, 5}) {
    CTransistor t;
    configure(t, {type, 1, 4, 1.0f, 90});
    CCircHeader h = header(1, 25);
    t.Calculate(h);
    EXPECT_FLOAT_EQ(t.S, -1.0f);
    EXPECT_FLOAT_EQ(t.PIS, 1.0f);
  }
}

// ---- Hybrid parts and surface mounting ----------------------------------------------

TEST(TransistorHybridPart, PackageFactorsAreOneRatingAndStressStay) {
  // NPN switching Plastic at CL, Pr 0.2, 50 %: pi_A = pi_Q = pi_E = 1;
  // FR = 0.00074 x 0.551291 x 0.212016 = 8.649316e-5
  CTransistor t;
  configure(t, {1, 2, 5, 0.2f, 50});
  t.IS_HYBRID = 1;
  t.IS_SMT = 1;
  t.SmtCalcFlag = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  t.Calculate(h);
  EXPECT_FLOAT_EQ(t.PIA, 1.0f);
  EXPECT_FLOAT_EQ(t.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(t.PIE, 1.0f);
  EXPECT_TRUE(near(t.PIR, 0.551291));
  EXPECT_TRUE(near(t.PIS, 0.212016));
  EXPECT_TRUE(near(t.FR, 8.649316e-5));
  EXPECT_EQ(t.SmtCalcFlag, 0);  // no surface-mount step in a hybrid
  EXPECT_EQ(t.GetTypeName(), "Transistor(Hyb)");
  EXPECT_EQ(CTransistor{}.GetTypeName(), "Transistor");
}

struct SmtCase {
  const char* label;
  JunctionTemp block;
  std::uint8_t riseMode;
  float rise;
};

class TransistorSurfaceMount : public ::testing::TestWithParam<SmtCase> {};

TEST_P(TransistorSurfaceMount, RiseFromJunctionBlock) {
  const SmtCase& c = GetParam();
  CTransistor t;
  configure(t, {1, 1, 4, 1.0f, 50, c.block});
  t.IS_SMT = 1;
  t.SMT_TRISEMODE = c.riseMode;
  t.SMT_TEMPRISE = 3.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  t.Calculate(h);
  EXPECT_EQ(t.SmtCalcFlag, 1);
  EXPECT_GT(t.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(t.SMT_TEMPRISE, c.rise);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TransistorSurfaceMount,
    ::testing::Values(SmtCase{"JunctionRiseModeTakesTja", thermal(3, 0, 2, 30, 0, 0, 22), 1, 22},
                      // Pd x Rjc = 0.5 x 30 = 15, not 0.5 x (30 + 40)
                      SmtCase{"ResistanceModeTakesPdRjc", thermal(1, 5, 0.5f, 30, 40, 0, 22), 1, 15},
                      SmtCase{"CaseModeTakesPdRjc", thermal(2, 0, 0.5f, 30, 0, 9, 22), 1, 15},
                      SmtCase{"ManualRiseStays", thermal(3, 0, 0, 0, 0, 0, 22), 2, 3}),
    labelOf<SmtCase>);

// ---- Stored values outside their ranges ---------------------------------------------

struct StoredCase {
  const char* label;
  std::uint8_t type, app, quality, env;
  std::uint8_t expectedType, expectedApp, expectedQuality;
  double fr;
};

class TransistorStoredChoices : public ::testing::TestWithParam<StoredCase> {};

TEST_P(TransistorStoredChoices, ClampedAndFlagged) {
  const StoredCase& c = GetParam();
  CTransistor t;
  configure(t, {c.type, c.app, c.quality, 1.0f, 50});
  CCircHeader h = header(c.env, 25);
  t.Calculate(h);
  EXPECT_EQ(t.TYPE, c.expectedType);
  EXPECT_EQ(t.APP, c.expectedApp);
  EXPECT_EQ(t.QU, c.expectedQuality);
  EXPECT_EQ(t.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(t.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(Stored, TransistorStoredChoices,
                         ::testing::Values(
                             // type 9 -> UJT: FR = 0.0083 x 5.5 = 0.04565
                             StoredCase{"TypeBeyondListIsUjt", 9, 1, 4, 1, 5, 1, 4, 0.04565},
                             // type 0 -> NPN linear Lower: FR = 0.00074 x 1.5 x 0.212016 x 5.5 = 0.00129436
                             StoredCase{"TypeZeroIsNpn", 0, 1, 4, 1, 1, 1, 4, 0.00129436},
                             // "Power" is not a bipolar application: 3 -> 2 switching, FR = 0.00074 x 0.7 x
                             // 0.212016 x 5.5 = 6.040340e-4
                             StoredCase{"PowerApplicationOnNpnIsSwitching", 1, 3, 4, 1, 1, 2, 4, 6.040340e-4},
                             // quality 0 -> JANTXV: FR = 0.0083 x 0.7 = 0.00581
                             StoredCase{"QualityZeroIsJantxv", 5, 1, 0, 1, 5, 1, 1, 0.00581},
                             // quality 7 -> Plastic at environment 99 -> CL: FR = 0.0083 x 8 x 320 = 21.248
                             StoredCase{"QualityAndEnvironmentBeyondLists", 5, 1, 7, 99, 5, 1, 5, 21.248}),
                         labelOf<StoredCase>);

TEST(TransistorStoredChoices, NormalizeClampsByTypeList) {
  CTransistor t;
  t.TYPE = 1;
  t.APP = 3;  // FET list only
  t.QU = 9;
  t.STRESSMODE = 0;
  t.normalizeChoices();
  EXPECT_EQ(t.APP, 2);
  EXPECT_EQ(t.QU, 5);
  EXPECT_EQ(t.STRESSMODE, 1);
  EXPECT_EQ(t.OverFlags & EntryOverRange, EntryOverRange);

  CTransistor ujt;  // a unijunction has no application: its stored byte is left alone
  ujt.TYPE = 5;
  ujt.APP = 9;
  ujt.normalizeChoices();
  EXPECT_EQ(ujt.APP, 9);
  EXPECT_EQ(ujt.OverFlags, 0u);

  CTransistor power;
  power.TYPE = 3;
  power.APP = 3;
  power.normalizeChoices();
  EXPECT_EQ(power.OverFlags, 0u);
}

struct ExtremeCase {
  const char* label;
  float pmax, stress, cf;
  JunctionTemp block;
  double t, s, pir;
};

class TransistorExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(TransistorExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CTransistor t;
  configure(t, {1, 1, 4, c.pmax, c.stress, c.block});
  t.CF = c.cf;
  CCircHeader h = header(1, 25);
  t.Calculate(h);
  EXPECT_TRUE(std::isfinite(t.FR));
  EXPECT_TRUE(std::isfinite(t.PIT));
  EXPECT_GE(t.FR, 0.0f);
  EXPECT_FLOAT_EQ(t.T, static_cast<float>(c.t));
  EXPECT_FLOAT_EQ(t.S, static_cast<float>(c.s));
  EXPECT_TRUE(near(t.PIR, c.pir));
  EXPECT_EQ(t.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, TransistorExtremeValues,
    ::testing::Values(
        // Pr 0 is limited to 0.001 W: pi_R 0.43, no division
        ExtremeCase{"ZeroRating", 0.0f, 50, 1, kAtAmbient, 25, 50, 0.43},
        ExtremeCase{"RatingNotANumber", kNaNf, 50, 1, kAtAmbient, 25, 50, 0.43},
        // Pr limited to 99999: 99999^0.37 = exp(0.37 x 11.512915) = exp(4.259779) = 70.79432
        ExtremeCase{"HugeRating", 3e38f, 50, 1, kAtAmbient, 25, 50, 70.79432},
        ExtremeCase{"StressNotANumber", 1.0f, kNaNf, 1, kAtAmbient, 25, 0, 1.0},
        ExtremeCase{"HugeStress", 1.0f, 1e30f, 1, kAtAmbient, 25, 100, 1.0},
        ExtremeCase{"CorrectionFactorNotANumber", 1.0f, 50, kNaNf, kAtAmbient, 25, 50, 1.0},
        // Pd limited to 99999 W, Rjc to 9999: Tj = 25 + 99999 x 9999 = 999890026
        ExtremeCase{"HugeThermalPath", 1.0f, 50, 1, thermal(2, 0, 3e38f, 3e38f, 0, 0, 0), 999890026.0, 50,
                    1.0},
        ExtremeCase{"ModeOutsideListIsAmbient", 1.0f, 50, 1, thermal(7, 0, 1, 1, 1, 1, 1), 25, 50, 1.0}),
    labelOf<ExtremeCase>);

// ---- Import by keyword -----------------------------------------------------------

void mapTransistor(ImportSetup& s, const char* type, const char* app, const char* mode, double stress) {
  s.map("TR_TYPE", 3, std::string(type));
  s.map("TR_APP", 4, std::string(app));
  s.map("TR_QU", 5, std::string("JAN."));
  s.map("TR_PMAX", 6, 2.0);
  s.map("TR_VCEO", 7, 60.0);
  s.map("TR_VCE", 8, 45.0);
  s.map("TR_STRESSMODE", 9, std::string(mode));
  s.map("TR_VSTRESS", 10, stress);
  s.map("TR_TEMPMODE", 11, std::string("Tj=Ta+Tja"));
  s.map("TR_TJA", 12, 35.0);
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

TEST(TransistorImport, BipolarComputedModeReadsAllButStress) {
  ImportSetup s;
  mapTransistor(s, "PNP", "Switching", "Calc=Vce/Vceo", 90);
  dropKeyword(s, "TR_VSTRESS");  // reading it would fail the import
  CTransistor t;
  ASSERT_TRUE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(t.TYPE, 2);
  EXPECT_EQ(t.APP, 2);
  EXPECT_EQ(t.QU, 3);
  EXPECT_FLOAT_EQ(t.PMAX, 2.0f);
  EXPECT_FLOAT_EQ(t.VCEO, 60.0f);
  EXPECT_FLOAT_EQ(t.VCE, 45.0f);
  EXPECT_EQ(t.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(t.VSTRESS, 75.0f);  // 45 / 60 x 100
  EXPECT_EQ(t.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(t.thermal.TJA, 35.0f);
}

TEST(TransistorImport, ManualModeReadsStressAndVceLimitedToVceo) {
  ImportSetup s;
  mapTransistor(s, "NPN", "Linear", "Manual", 90);
  s.map("TR_VCE", 8, 80.0);
  CTransistor t;
  ASSERT_TRUE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(t.VCE, 60.0f);
  EXPECT_FLOAT_EQ(t.VSTRESS, 90.0f);
  bool logged = false;
  for (const std::string& line : s.log) logged |= line.find("'TR_VCE'") != std::string::npos;
  EXPECT_TRUE(logged);
}

struct SkipCase {
  const char* label;
  const char* type;
  const char* app;
  bool hybrid;
  std::vector<const char*> notRead;  // dropped from the definition: the import still succeeds
};

class TransistorImportByType : public ::testing::TestWithParam<SkipCase> {};

TEST_P(TransistorImportByType, ReadsOnlyWhatTheTypeUses) {
  const SkipCase& c = GetParam();
  ImportSetup s;
  mapTransistor(s, c.type, c.app, "Manual", 90);
  for (const char* k : c.notRead) dropKeyword(s, k);
  CTransistor t;
  t.IS_HYBRID = c.hybrid ? 1 : 0;
  EXPECT_TRUE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(t.thermal.TJA, 35.0f);  // the block is still read at the end
}

INSTANTIATE_TEST_SUITE_P(
    Types, TransistorImportByType,
    ::testing::Values(SkipCase{"MosfetPowerReadsRatingNotVoltages",
                               "MOSFET",
                               "Power",
                               false,
                               {"TR_VCEO", "TR_VCE", "TR_STRESSMODE", "TR_VSTRESS"}},
                      SkipCase{"JfetLinearReadsNoRating",
                               "JFET",
                               "Linear",
                               false,
                               {"TR_PMAX", "TR_VCEO", "TR_VCE", "TR_STRESSMODE", "TR_VSTRESS"}},
                      SkipCase{"UjtReadsNoApplication",
                               "UJT",
                               "Linear",
                               false,
                               {"TR_APP", "TR_PMAX", "TR_VCEO", "TR_VCE", "TR_STRESSMODE", "TR_VSTRESS"}},
                      SkipCase{"HybridReadsNoQuality", "NPN", "Linear", true, {"TR_QU"}}),
    labelOf<SkipCase>);

TEST(TransistorImport, RatingReadForFetPowerOnly) {
  ImportSetup s;
  mapTransistor(s, "MOSFET", "Power", "Manual", 0);
  CTransistor t;
  ASSERT_TRUE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(t.PMAX, 2.0f);
  EXPECT_FLOAT_EQ(t.VCEO, 100.0f);  // not read
  ImportSetup linear;
  mapTransistor(linear, "MOSFET", "Linear", "Manual", 0);
  CTransistor u;
  ASSERT_TRUE(u.ImportFields(linear.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(u.PMAX, 1.0f);
}

TEST(TransistorImport, ApplicationReadFromTheTypesList) {
  // "Power" is no bipolar application: no match, the valid current choice stays
  ImportSetup s;
  mapTransistor(s, "NPN", "Power", "Manual", 0);
  CTransistor t;
  ASSERT_TRUE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(t.APP, 1);
  bool logged = false;
  for (const std::string& line : s.log) logged |= line == "   ...'TR_APP' has no choice match (R7/F4)...";
  EXPECT_TRUE(logged);
}

TEST(TransistorImport, FirstFailingReaderStops) {
  ImportSetup s;
  mapTransistor(s, "NPN", "Switching", "Manual", 90);
  dropKeyword(s, "TR_QU");
  CTransistor t;
  EXPECT_FALSE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(t.APP, 2);            // read before the failure
  EXPECT_FLOAT_EQ(t.PMAX, 1.0f);  // after it: not read
  EXPECT_FLOAT_EQ(t.thermal.TJA, 0.0f);
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('TR_QU').");
}

TEST(TransistorImport, CaseTemperatureOverride) {
  // TCASE 70 at Ta 30: mode 2, Tca = 40, the Tja keyword still read
  ImportSetup s;
  mapTransistor(s, "NPN", "Linear", "Manual", 90);
  s.map("TR_TEMP", 13, 70.0);
  for (CKwd& k : s.kwds) {
    if (k.name == "TR_TEMP") k.valueOption = kOverrideCase;
  }
  CTransistor t;
  ASSERT_TRUE(t.ImportFields(s.reader, false, false, 30.0f));
  EXPECT_EQ(t.thermal.MODE, 2);
  EXPECT_FLOAT_EQ(t.thermal.TCA, 40.0f);
  EXPECT_FLOAT_EQ(t.thermal.TJA, 35.0f);

  for (CKwd& k : s.kwds) {
    if (k.name == "TR_TEMP") k.valueOption = 0;  // no value type: the record fails
  }
  CTransistor u;
  EXPECT_FALSE(u.ImportFields(s.reader, false, false, 30.0f));
}

// ---- What-If? ---------------------------------------------------------------------

struct WhatIfCase {
  const char* label;
  std::uint8_t type;
  bool hybrid;
  std::uint8_t qualityMode;
  float level;
  std::uint8_t stressMode;
  float stressValue;
  std::uint8_t expectedQuality, expectedMode;
  float expectedStress;
};

class TransistorWhatIf : public ::testing::TestWithParam<WhatIfCase> {};

TEST_P(TransistorWhatIf, QualityAndStressRules) {
  const WhatIfCase& c = GetParam();
  CTransistor t;  // quality 4, 50 %
  t.STRESSMODE = 2;
  t.TYPE = c.type;
  t.VCEO = 60.0f;
  t.VCE = 45.0f;
  t.IS_HYBRID = c.hybrid ? 1 : 0;
  WhatIfSettings s;
  s.qualityMode = c.qualityMode;
  s.qualityLevel = c.level;
  s.stressMode = c.stressMode;
  s.stressValue = c.stressValue;
  t.ApplyWhatIf(s);
  EXPECT_EQ(t.QU, c.expectedQuality);
  EXPECT_EQ(t.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(t.VSTRESS, c.expectedStress);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TransistorWhatIf,
    ::testing::Values(
        // quality 4 - 2 = 2; 4 + 3 = 7 limited to 5
        WhatIfCase{"IncreaseQualityByTwo", 1, false, Increase, 2, NoChange, 0, 2, 2, 50},
        WhatIfCase{"DecreaseQualityStopsAtPlastic", 1, false, Decrease, 3, NoChange, 0, 5, 2, 50},
        WhatIfCase{"SetQualityAboveListStopsAtFive", 3, false, SetDirect, 9, NoChange, 0, 5, 2, 50},
        WhatIfCase{"HybridQualityUnchanged", 1, true, SetDirect, 1, NoChange, 0, 4, 2, 50},
        // 45 / 60 x 100 = 75, mode back to computed
        WhatIfCase{"SetToCalcModeGivesVceOverVceo", 2, false, NoChange, 0, SetToCalcMode, 0, 4, 1, 75},
        WhatIfCase{"SetStressStaysManual", 1, false, NoChange, 0, SetDirect, 70, 4, 2, 70},
        WhatIfCase{"IncreaseStressLimitedToHundred", 1, false, NoChange, 0, Increase, 80, 4, 2, 100},
        WhatIfCase{"DecreaseStressLimitedToZero", 2, false, NoChange, 0, Decrease, 80, 4, 2, 0},
        WhatIfCase{"FetStressUnchanged", 3, false, NoChange, 0, SetDirect, 70, 4, 2, 50},
        WhatIfCase{"UjtStressUnchanged", 5, false, NoChange, 0, SetToCalcMode, 0, 4, 2, 50}),
    labelOf<WhatIfCase>);

// ---- Update ---------------------------------------------------------------------

struct UpdateCase {
  const char* label;
  float ownVceo, otherVce;
  std::uint8_t otherMode;
  float otherStress;
  float expectedVce, expectedStress;
};

class TransistorUpdate : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(TransistorUpdate, CopiesApplicationParametersOnly) {
  const UpdateCase& c = GetParam();
  CTransistor own;
  configure(own, {3, 3, 1, 20.0f, 10, thermal(1, 1, 1, 11, 1, 1, 1)});
  own.PN = "OWN";
  own.VCEO = c.ownVceo;
  own.LB = 0.5f;
  CTransistor other;
  configure(other, {1, 1, 5, 0.5f, c.otherStress, thermal(3, 5, 0.5f, 99, 20, 30, 40)});
  other.VCEO = 500.0f;
  other.VCE = c.otherVce;
  other.STRESSMODE = c.otherMode;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.VCE, c.expectedVce);
  EXPECT_EQ(own.STRESSMODE, c.otherMode);
  EXPECT_FLOAT_EQ(own.VSTRESS, c.expectedStress);
  EXPECT_EQ(own.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(own.thermal.PD, 0.5f);
  EXPECT_FLOAT_EQ(own.thermal.RJC, 11.0f);  // Rjc stays with the part
  EXPECT_FLOAT_EQ(own.thermal.TJA, 40.0f);
  // kept: identity, type, application, quality, ratings and results
  EXPECT_EQ(own.PN, "OWN");
  EXPECT_EQ(own.TYPE, 3);
  EXPECT_EQ(own.APP, 3);
  EXPECT_EQ(own.QU, 1);
  EXPECT_FLOAT_EQ(own.PMAX, 20.0f);
  EXPECT_FLOAT_EQ(own.VCEO, c.ownVceo);
  EXPECT_FLOAT_EQ(own.LB, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransistorUpdate,
                         ::testing::Values(
                             // 80 V above own 60 V: Vce = 60, stress 60 / 60 x 100 = 100
                             UpdateCase{"VoltageAboveOwnRatingTakesRating", 60, 80, 1, 7, 60, 100},
                             // 15 / 60 x 100 = 25
                             UpdateCase{"ComputedModeUsesOwnRating", 60, 15, 1, 7, 15, 25},
                             UpdateCase{"ManualModeTakesOtherStress", 60, 15, 2, 66, 15, 66}),
                         labelOf<UpdateCase>);

TEST(TransistorUpdate, ZeroOwnRatingGivesNoNaN) {
  CTransistor own;
  own.VCEO = 0.0f;
  CTransistor other;  // computed mode, Vce 50
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.VCE, 0.0f);
  EXPECT_FLOAT_EQ(own.VSTRESS, 100.0f);
  EXPECT_EQ(own.OverFlags & EntryOverRange, EntryOverRange);

  CMisc misc;  // another class changes nothing
  CTransistor t;
  t.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(t.VCE, 50.0f);
}

// ---- Copy and file round trip ------------------------------------------------------

void fill(CTransistor& t) {
  t.PN = "2N2222A";
  t.REFDES = "Q7";
  t.PART_TYPE = 301;
  t.CF = 1.25f;
  t.FR = 0.123f;
  t.S = 33.0f;
  t.T = 66.0f;
  t.OverFlags = OverTemp;
  t.TYPE = 3;
  t.APP = 3;
  t.QU = 2;
  t.PMAX = 75.0f;
  t.VCEO = 40.0f;
  t.VCE = 12.0f;
  t.STRESSMODE = 2;
  t.VSTRESS = 55.5f;
  t.thermal = thermal(2, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f);
  t.LB = 0.012f;
  t.PIT = 1.7f;
  t.PIA = 8.0f;
  t.PIR = 1.1f;
  t.PIS = 1.2f;
  t.PIQ = 1.0f;
  t.PIE = 19.0f;
}

float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(TransistorCopyAndArchive, OwnFieldsTake73BytesInFileOrder) {
  // type, application, quality; Pr, Vceo, Vce; mode; stress; temperature mode;
  // Pd, Rjc, Rca, Tadj, Tca, Tja; the seven factors
  CTransistor t;
  fill(t);
  Archive whole = Archive::forWriting();
  t.Serialize(whole);
  Archive base = Archive::forWriting();
  t.CPart::Serialize(base);
  const std::vector<std::uint8_t>& b = whole.bytes();
  const std::size_t at = base.bytes().size();
  ASSERT_EQ(b.size(), at + 73);
  EXPECT_EQ(b[at + 0], 3);
  EXPECT_EQ(b[at + 1], 3);
  EXPECT_EQ(b[at + 2], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 3), 75.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 7), 40.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 11), 12.0f);
  EXPECT_EQ(b[at + 15], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 16), 55.5f);
  EXPECT_EQ(b[at + 20], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 21), 2.5f);  // Pd
  EXPECT_FLOAT_EQ(floatAt(b, at + 25), 3.5f);  // Rjc
  EXPECT_FLOAT_EQ(floatAt(b, at + 29), 4.5f);  // Rca
  EXPECT_FLOAT_EQ(floatAt(b, at + 33), 1.5f);  // Tadj
  EXPECT_FLOAT_EQ(floatAt(b, at + 37), 5.5f);  // Tca
  EXPECT_FLOAT_EQ(floatAt(b, at + 41), 6.5f);  // Tja
  EXPECT_FLOAT_EQ(floatAt(b, at + 45), 0.012f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 49), 1.7f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 53), 8.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 57), 1.1f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 61), 1.2f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 65), 1.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 69), 19.0f);
}

// ---- Text lines ---------------------------------------------------------------------

std::string blanks(std::size_t n) {
  return std::string(n, ' ');
}

TEST(TransistorTextLines, DefaultRecordDetailLines) {
  CTransistor t;
  std::string a, b;
  t.FormatDetail(a, b, "> ");
  // "%s%-6s %-9s %-10s %-11s %-13s %-12s %-26s": Pr 1 (7,4) 1.0000; Vceo 100 (7,4) drops to
  // 100.000; Vce 50 (7,4) 50.0000; stress 50 (5,2)
  EXPECT_EQ(
      a, "> NPN    Linear    Qu:Lower   Pr:1.0000W  Vceo:100.000V Vce:50.0000V Vstr:50.00%(Calc=Vce/Vceo)");
  EXPECT_EQ(b, "> Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)");
}

TEST(TransistorTextLines, FetAndUjtLeaveUnusedColumnsEmpty) {
  CTransistor fet;
  configure(fet, {3, 3, 3, 20.0f, 0, thermal(3, 0, 0, 0, 0, 0, 12.5f)});
  std::string a, b;
  fet.FormatDetail(a, b, "");
  EXPECT_EQ(a, "MOSFET Power     Qu:JAN.    Pr:20.0000W " + blanks(13) + " " + blanks(12) + " " + blanks(26));
  EXPECT_EQ(b, "Tj = Ta+Tja = Ta+12.50");

  CTransistor ujt;
  configure(ujt, {5, 1, 3, 1.0f, 0});
  ujt.IS_HYBRID = 1;
  ujt.FormatDetail(a, b, "");
  EXPECT_EQ(a, "UJT    " + blanks(9) + " " + blanks(10) + " " + blanks(11) + " " + blanks(13) + " " +
                   blanks(12) + " " + blanks(26));
}

TEST(TransistorTextLines, FactorLinesAfterCalculation) {
  CTransistor t;  // NPN linear Lower, Pr 1, 50 %, at GB 25 C
  CCircHeader h = header(1, 25);
  t.Calculate(h);
  std::string a, b;
  t.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *  PIA  *   PIR    *   PIS    *  PIQ  *  PIE  *   PICF  ");
  // LB 0.000740 (8,6); PIT, PIR 1.00000 (precision 5 from 1 to 10); PIA 1.50; PIS 0.212016;
  // PIQ 5.50; PIE 1.00; CF 1.00000
  EXPECT_EQ(b, "    0.000740   1.00000    1.50    1.00000    0.212016   5.50    1.00    1.00000 ");
}

TEST(TransistorTextLines, EveryLineAtMost132Characters) {
  for (float v : {3e38f, -1e-30f, kNaNf, 1.0f}) {
    for (std::size_t prefix : {0u, 131u, 200u}) {
      CTransistor t;
      configure(t, {1, 1, 4, v, v, thermal(1, v, v, v, v, v, v)});
      t.VCEO = t.VCE = t.CF = v;
      t.LB = t.PIT = t.PIA = t.PIR = t.PIS = t.PIQ = t.PIE = v;
      std::string lines[4];
      const std::string pre(prefix, '>');
      t.FormatDetail(lines[0], lines[1], pre);
      t.FormatFactors(lines[2], lines[3], pre);
      for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 132u);
        EXPECT_FALSE(line.empty());
      }
    }
  }
}

// ---- Pages ---------------------------------------------------------------------------

struct Seen {
  std::string keyword;
  bool applies;
  std::size_t choices;
  double hi;
};

class RecordingVisitor final : public FieldVisitor {
 public:
  void text(const FieldSpec& s, std::string&, bool a) override { add(s, a); }
  void number(const FieldSpec& s, float&, bool a) override { add(s, a); }
  void choice(const FieldSpec& s, std::uint8_t&, bool a) override { add(s, a); }
  void flag(const FieldSpec& s, std::uint16_t&, bool a) override { add(s, a); }
  std::vector<Seen> seen;

 private:
  void add(const FieldSpec& s, bool a) {
    seen.push_back({std::string(s.keyword), a, s.choices != nullptr ? s.choices->count() : 0, s.hi});
  }
};

struct PageCase {
  const char* label;
  std::uint8_t type, app;
  bool hybrid;
  std::uint8_t mode;
  // applies: TYPE, APP, QU, PMAX, VCEO, VCE, STRESSMODE, VSTRESS
  std::vector<bool> applies;
  std::size_t appChoices;
};

class TransistorPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(TransistorPage, FieldsApplyByType) {
  const PageCase& c = GetParam();
  CTransistor t;
  t.TYPE = c.type;
  t.APP = c.app;
  t.IS_HYBRID = c.hybrid ? 1 : 0;
  t.STRESSMODE = c.mode;
  t.VCE = 30.0f;
  t.VCEO = 40.0f;
  RecordingVisitor v;
  t.paramPage(v);
  const char* order[] = {"TR_TYPE", "TR_APP", "TR_QU",         "TR_PMAX",
                         "TR_VCEO", "TR_VCE", "TR_STRESSMODE", "TR_VSTRESS"};
  ASSERT_EQ(v.seen.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(v.seen[i].keyword, order[i]);
    EXPECT_EQ(v.seen[i].applies, c.applies[i]) << order[i];
  }
  EXPECT_EQ(v.seen[1].choices, c.appChoices);
  EXPECT_DOUBLE_EQ(v.seen[5].hi, 40.0);  // Vce up to the record's Vceo
  if (c.type <= 2 && c.mode == 1) {
    EXPECT_FLOAT_EQ(t.VSTRESS, 75.0f);  // shows 30 / 40 x 100
  }

  RecordingVisitor temp;
  EXPECT_TRUE(t.tempPage(temp));
  ASSERT_EQ(temp.seen.size(), 7u);
  EXPECT_EQ(temp.seen[0].keyword, "TR_TEMPMODE");
  EXPECT_DOUBLE_EQ(temp.seen[1].hi, 99999.0);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TransistorPage,
    ::testing::Values(
        PageCase{"NpnComputedStress", 1, 1, false, 1, {true, true, true, true, true, true, true, false}, 2},
        PageCase{"PnpManualStress", 2, 2, false, 2, {true, true, true, true, true, true, true, true}, 2},
        PageCase{"MosfetPower", 3, 3, false, 1, {true, true, true, true, false, false, false, false}, 3},
        PageCase{"JfetLinear", 4, 1, false, 2, {true, true, true, false, false, false, false, false}, 3},
        PageCase{"Ujt", 5, 1, false, 1, {true, false, true, false, false, false, false, false}, 0},
        PageCase{"HybridNpn", 1, 1, true, 1, {true, true, false, true, true, true, true, false}, 2}),
    labelOf<PageCase>);

}  // namespace
}  // namespace kestrel
