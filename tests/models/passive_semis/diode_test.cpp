#include "models/passive_semis/diode.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
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
  std::uint8_t family, type, contacts, quality;
  float rating, stress;
  float junctions = 3.0f;
  JunctionTemp block = kAtAmbient;
};

void configure(CDiode& d, const Config& c) {
  d.FAMILY = c.family;
  d.TYPE = c.type;
  d.CONTACTS = c.contacts;
  d.QU = c.quality;
  d.RATING = c.rating;
  d.STRESSMODE = 2;
  d.VSTRESS = c.stress;
  d.JUNCTIONS = c.junctions;
  d.thermal = c.block;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  Config config;
  std::uint8_t env;
  float ambient, cf;
  double tj, s;
  double lb, pit, pia, pir, pis, pic, piq, pie, fr;
};

class DiodeFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(DiodeFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  auto d = std::make_unique<CDiode>();
  configure(*d, c.config);
  d->CF = c.cf;
  d->QTY = 4.0f;  // never applied to FR
  CCircHeader h = header(c.env, c.ambient);
  d->Calculate(h);
  EXPECT_FLOAT_EQ(d->T, static_cast<float>(c.tj));
  EXPECT_FLOAT_EQ(d->S, static_cast<float>(c.s));
  EXPECT_TRUE(near(d->LB, c.lb));
  EXPECT_TRUE(near(d->PIT, c.pit));
  EXPECT_TRUE(near(d->PIA, c.pia));
  EXPECT_TRUE(near(d->PIR, c.pir));
  EXPECT_TRUE(near(d->PIS, c.pis));
  EXPECT_TRUE(near(d->PIC, c.pic));
  EXPECT_TRUE(near(d->PIQ, c.piq));
  EXPECT_TRUE(near(d->PIE, c.pie));
  EXPECT_TRUE(near(d->FR, c.fr));
  EXPECT_EQ(d->OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiodeFailureRate,
    ::testing::Values(
        // analog, metal bond, JANTXV, GB, 25 C, 30 % (on the knee: pi_S 0.054);
        // FR = 0.0038 x 0.054 x 0.7 = 1.4364e-4
        RateCase{"LowFreqAnalogOnStressKnee",
                 {1, 1, 1, 1, 1.0f, 30},
                 1,
                 25,
                 1,
                 25,
                 30,  //
                 0.0038,
                 1.0,
                 1.0,
                 1.0,
                 0.054,
                 1.0,
                 0.7,
                 1.0,
                 1.4364e-4},
        // switching, spring loaded, Lower, AIF, Tj = 40 + 10 + 0.5 x 20 = 60:
        // pi_T = exp(3091 x 0.000352702) = exp(1.090202) = 2.974872;
        // pi_S = 0.31^2.43 = exp(2.43 x -1.171183) = exp(-2.845975) = 0.0580776;
        // FR = 0.0010 x 2.974872 x 0.0580776 x 2.0 x 5.5 x 29 = 0.0551148
        RateCase{"LowFreqSwitchingSpringLoadedAtAirborneFighter",
                 {1, 2, 2, 4, 1.0f, 31, 3, thermal(2, 0, 0.5f, 20, 0, 10, 0)},
                 7,
                 40,
                 1,
                 60,
                 31,  //
                 0.0010,
                 2.974872,
                 1.0,
                 1.0,
                 0.0580776,
                 2.0,
                 5.5,
                 29.0,
                 0.0551148},
        // HV stacks of 4 junctions: lambda_b = 0.005 x 4 = 0.02; JAN, NU, Tj = 25 + 75 = 100:
        // pi_T = exp(3091 x (1/298 - 1/373)) = exp(3091 x 0.000674740) = exp(2.085621) = 8.049580;
        // pi_S = 0.8^2.43 = exp(2.43 x -0.223144) = 0.581445;
        // FR = 0.02 x 8.049580 x 0.581445 x 2.4 x 19 = 4.268514
        RateCase{"HvStacksOfFourJunctionsAtNavalUnsheltered",
                 {1, 5, 1, 3, 1.0f, 80, 4, thermal(3, 0, 0, 0, 0, 0, 75)},
                 5,
                 25,
                 1,
                 100,
                 80,  //
                 0.02,
                 8.049580,
                 1.0,
                 1.0,
                 0.581445,
                 1.0,
                 2.4,
                 19.0,
                 4.268514},
        // voltage regulator: no stress figure; Plastic, CL, Tj = 25 + 1 x (60 + 40) = 125:
        // pi_T = exp(1925 x 0.000843142) = exp(1.623048) = 5.068516;
        // FR = 0.0020 x 5.068516 x 8.0 x 320 = 25.950803
        RateCase{"VoltageRegulatorHasNoStressAtCannonLaunch",
                 {1, 6, 1, 5, 1.0f, 90, 3, thermal(1, 0, 1, 60, 40, 0, 0)},
                 14,
                 25,
                 1,
                 125,
                 -1,  //
                 0.0020,
                 5.068516,
                 1.0,
                 1.0,
                 1.0,
                 1.0,
                 8.0,
                 320.0,
                 25.950803},
        // IMPATT, JANTXV, GF, Tj = 125: pi_T = exp(5260 x 0.000843142) = exp(4.434927) = 84.345909;
        // FR = 0.22 x 84.345909 x 0.5 x 2.0 = 18.556100
        RateCase{"ImpattJantxvHotAtGroundFixed",
                 {2, 1, 1, 1, 1.0f, 90, 3, thermal(3, 0, 0, 0, 0, 0, 100)},
                 2,
                 25,
                 1,
                 125,
                 -1,
                 0.22,
                 84.345909,
                 1.0,
                 1.0,
                 1.0,
                 1.0,
                 0.5,
                 2.0,
                 18.556100},
        // PIN rated 20 W: pi_R = 0.326 x ln 20 - 0.25 = 0.326 x 2.995732 - 0.25 = 0.726609; JAN 5.0, NS 4.0;
        // FR = 0.0081 x 0.726609 x 5.0 x 4.0 = 0.1177106
        RateCase{"PinTwentyWattsJanAtNavalSheltered",
                 {2, 4, 1, 3, 20.0f, 90},
                 4,
                 25,
                 1,
                 25,
                 -1,  //
                 0.0081,
                 1.0,
                 1.0,
                 0.726609,
                 1.0,
                 1.0,
                 5.0,
                 4.0,
                 0.1177106},
        // Schottky, Lower (Schottky list 2.5), ML, Tj = 25 + 50 = 75:
        // pi_T = exp(2100 x 0.000482141) = exp(1.012497) = 2.752466; FR = 0.027 x 2.752466 x 2.5 x 24
        // = 4.458994
        RateCase{"SchottkyLowerAtMissileLaunch",
                 {2, 5, 1, 4, 1.0f, 90, 3, thermal(3, 0, 0, 0, 0, 0, 50)},
                 13,
                 25,
                 1,
                 75,
                 -1,
                 0.027,
                 2.752466,
                 1.0,
                 1.0,
                 1.0,
                 1.0,
                 2.5,
                 24.0,
                 4.458994},
        // varactor multiplier: pi_A 2.5; Lower 25, AUC 7; FR = 0.0025 x 2.5 x 25 x 7 = 1.09375
        RateCase{"VaractorMultiplierAtAirborneUninhabitedCargo",
                 {2, 8, 1, 4, 1.0f, 90},
                 8,
                 25,
                 1,
                 25,
                 -1,  //
                 0.0025,
                 1.0,
                 2.5,
                 1.0,
                 1.0,
                 1.0,
                 25.0,
                 7.0,
                 1.09375},
        // varactor voltage control: pi_A 0.5; Plastic 50, CL 250; FR = 0.0025 x 0.5 x 50 x 250 = 15.625
        RateCase{"VaractorVoltageControlPlasticAtCannonLaunch",
                 {2, 7, 1, 5, 1.0f, 90},
                 14,
                 25,
                 1,
                 25,
                 -1,  //
                 0.0025,
                 1.0,
                 0.5,
                 1.0,
                 1.0,
                 1.0,
                 50.0,
                 250.0,
                 15.625},
        // thyristor 4 A, 60 %, JANTX, GM, Tj = 40 + 20 = 60, CF 1.5:
        // pi_T = exp(3082 x 0.000352702) = exp(1.087027) = 2.965444; pi_R = 4^0.4 = exp(0.4 x 1.386294)
        // = 1.741101; pi_S = 0.6^1.9 = exp(1.9 x -0.510826) = 0.378868; FR = 0.0022 x 2.965444 x 1.741101 x
        // 0.378868 x 1.0 x 9.0 x 1.5 = 0.0580975
        RateCase{"ThyristorFourAmpsAtGroundMobileWithCorrectionFactor",
                 {3, 2, 1, 2, 4.0f, 60, 3, thermal(3, 0, 0, 0, 0, 0, 20)},
                 3,
                 40,
                 1.5f,
                 60,
                 60,  //
                 0.0022,
                 2.965444,
                 1.0,
                 1.741101,
                 0.378868,
                 1.0,
                 1.0,
                 9.0,
                 0.0580975}),
    labelOf<RateCase>);

// ---- Every type at Tj = 125 C ----------------------------------------------------

struct TypeCase {
  const char* label;
  std::uint8_t family, type;
  double lb, pit, pia, pir, pis;
};

class DiodeTypeTable : public ::testing::TestWithParam<TypeCase> {};

// JANTX (1.0) at GB (1.0), 30 % (pi_S 0.054 low frequency, 0.1 thyristor), rating 1,
// 3 junctions; FR = lambda_b x pi_T x pi_A x pi_R x pi_S.
TEST_P(DiodeTypeTable, BaseRateTemperatureConstantAndFactors) {
  const TypeCase& c = GetParam();
  CDiode d;
  configure(d, {c.family, c.type, 1, 2, 1.0f, 30, 3, thermal(3, 0, 0, 0, 0, 0, 100)});
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  EXPECT_TRUE(near(d.LB, c.lb));
  EXPECT_TRUE(near(d.PIT, c.pit));
  EXPECT_TRUE(near(d.PIA, c.pia));
  EXPECT_TRUE(near(d.PIR, c.pir));
  EXPECT_TRUE(near(d.PIS, c.pis));
  EXPECT_TRUE(near(d.FR, c.lb * c.pit * c.pia * c.pir * c.pis));
}

// pi_T at 125 C = exp(Ea/k x 0.000843142): 3091 -> exp(2.606152) = 13.546816;
// 1925 -> 5.068516; 5260 -> 84.345909; 2100 -> exp(1.770598) = 5.874365; 3082 -> exp(2.598564) = 13.444408
INSTANTIATE_TEST_SUITE_P(
    Types, DiodeTypeTable,
    ::testing::Values(TypeCase{"Analog", 1, 1, 0.0038, 13.546816, 1, 1, 0.054},
                      TypeCase{"Switching", 1, 2, 0.0010, 13.546816, 1, 1, 0.054},
                      TypeCase{"FastRecovery", 1, 3, 0.025, 13.546816, 1, 1, 0.054},
                      TypeCase{"PowerRectifier", 1, 4, 0.0030, 13.546816, 1, 1, 0.054},
                      TypeCase{"HvStacksOfThree", 1, 5, 0.015, 13.546816, 1, 1, 0.054},  // 0.005 x 3
                      TypeCase{"VoltageReg", 1, 6, 0.0020, 5.068516, 1, 1, 1},
                      TypeCase{"VoltageRef", 1, 7, 0.0020, 5.068516, 1, 1, 1},
                      TypeCase{"TransientSupp", 1, 8, 0.0013, 13.546816, 1, 1, 1},
                      TypeCase{"CurrentReg", 1, 9, 0.0034, 5.068516, 1, 1, 1},
                      TypeCase{"Impatt", 2, 1, 0.22, 84.345909, 1, 1, 1},
                      TypeCase{"Gunn", 2, 2, 0.18, 5.874365, 1, 1, 1},
                      TypeCase{"Tunnel", 2, 3, 0.0023, 5.874365, 1, 1, 1},
                      TypeCase{"PinAtOneWatt", 2, 4, 0.0081, 5.874365, 1, 0.5, 1},
                      TypeCase{"Schottky", 2, 5, 0.027, 5.874365, 1, 1, 1},
                      TypeCase{"PointContact", 2, 6, 0.027, 5.874365, 1, 1, 1},
                      TypeCase{"VaractorVoltageControl", 2, 7, 0.0025, 5.874365, 0.5, 1, 1},
                      TypeCase{"VaractorMultiplier", 2, 8, 0.0025, 5.874365, 2.5, 1, 1},
                      TypeCase{"StepRecovery", 2, 9, 0.0025, 5.874365, 1, 1, 1},
                      TypeCase{"Thyristor", 3, 1, 0.0022, 13.444408, 1, 1, 0.1}),
    labelOf<TypeCase>);

// ---- Branches of the rating, stress, quality, environment and contact tables ------------

struct FactorCase {
  const char* label;
  Config config;
  std::uint8_t env;
  double pir, pis, pic, piq, pie;
};

class DiodeFactorTables : public ::testing::TestWithParam<FactorCase> {};

TEST_P(DiodeFactorTables, FactorAtBranch) {
  const FactorCase& c = GetParam();
  CDiode d;
  configure(d, c.config);
  CCircHeader h = header(c.env, 25);
  d.Calculate(h);
  EXPECT_TRUE(near(d.PIR, c.pir));
  EXPECT_TRUE(near(d.PIS, c.pis));
  EXPECT_TRUE(near(d.PIC, c.pic));
  EXPECT_TRUE(near(d.PIQ, c.piq));
  EXPECT_TRUE(near(d.PIE, c.pie));
  EXPECT_EQ(d.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Branches, DiodeFactorTables,
    ::testing::Values(
        // low frequency pi_S: <= 30 %: 0.054; 31 %: 0.31^2.43 = 0.0580776; 100 %: 1
        FactorCase{"LowFreqStressOnKnee", {1, 4, 1, 2, 1, 30}, 1, 1, 0.054, 1, 1, 1},
        FactorCase{"LowFreqStressJustAboveKnee", {1, 4, 1, 2, 1, 31}, 1, 1, 0.0580776, 1, 1, 1},
        FactorCase{"LowFreqStressFull", {1, 3, 1, 2, 1, 100}, 1, 1, 1.0, 1, 1, 1},
        FactorCase{"LowFreqStressZero", {1, 1, 1, 2, 1, 0}, 1, 1, 0.054, 1, 1, 1},
        // thyristor pi_S: <= 30 %: 0.1; 31 %: 0.31^1.9 = exp(1.9 x -1.171183) = exp(-2.225248) = 0.108041
        FactorCase{"ThyristorStressOnKnee", {3, 1, 1, 2, 1, 30}, 1, 1, 0.1, 1, 1, 1},
        FactorCase{"ThyristorStressJustAboveKnee", {3, 1, 1, 2, 1, 31}, 1, 1, 0.108041, 1, 1, 1},
        // PIN pi_R: <= 10 W: 0.5; 1000 W: 0.326 x 6.907755 - 0.25 = 2.001928
        FactorCase{"PinRatingExactlyTen", {2, 4, 1, 2, 10, 0}, 1, 0.5, 1, 1, 1, 1},
        FactorCase{"PinRatingTwenty", {2, 4, 1, 2, 20, 0}, 1, 0.726609, 1, 1, 1, 1},
        FactorCase{"PinRatingThousand", {2, 4, 1, 2, 1000, 0}, 1, 2.001928, 1, 1, 1, 1},
        FactorCase{"SchottkyIgnoresRating", {2, 5, 1, 2, 1000, 0}, 1, 1, 1, 1, 1, 1},
        // thyristor pi_R = I^0.4: 1 A: 1; 0.5 A: exp(0.4 x -0.693147) = 0.757858
        FactorCase{"ThyristorOneAmp", {3, 1, 1, 2, 1, 0}, 1, 1, 0.1, 1, 1, 1},
        FactorCase{"ThyristorHalfAmp", {3, 1, 1, 2, 0.5f, 0}, 1, 0.757858, 0.1, 1, 1, 1},
        // pi_C: metal bond 1, spring loaded 2; not for high frequency
        FactorCase{"SpringLoaded", {1, 7, 2, 2, 1, 0}, 1, 1, 1, 2, 1, 1},
        FactorCase{"HighFreqHasNoContactFactor", {2, 2, 2, 2, 1, 0}, 1, 1, 1, 1, 1, 1},
        // pi_Q: low frequency and thyristor 0.7, 1, 2.4, 5.5, 8; high frequency 0.5, 1, 5, 25, 50;
        // Schottky 0.5, 1, 1.8, 2.5
        FactorCase{"LowFreqJan", {1, 7, 1, 3, 1, 0}, 1, 1, 1, 1, 2.4, 1},
        FactorCase{"ThyristorPlastic", {3, 1, 1, 5, 1, 30}, 1, 1, 0.1, 1, 8.0, 1},
        FactorCase{"HighFreqJantxv", {2, 2, 1, 1, 1, 0}, 1, 1, 1, 1, 0.5, 1},
        FactorCase{"HighFreqJan", {2, 3, 1, 3, 1, 0}, 1, 1, 1, 1, 5.0, 1},
        FactorCase{"SchottkyJan", {2, 5, 1, 3, 1, 0}, 1, 1, 1, 1, 1.8, 1},
        FactorCase{"SchottkyJantxv", {2, 5, 1, 1, 1, 0}, 1, 1, 1, 1, 0.5, 1},
        // pi_E low frequency GB..CL: 1, 6, 9, 9, 19, 13, 29, 20, 43, 24, 0.5, 14, 32, 320
        FactorCase{"LowFreqAtGM", {1, 7, 1, 2, 1, 0}, 3, 1, 1, 1, 1, 9.0},
        FactorCase{"LowFreqAtAIC", {1, 7, 1, 2, 1, 0}, 6, 1, 1, 1, 1, 13.0},
        FactorCase{"LowFreqAtAUF", {1, 7, 1, 2, 1, 0}, 9, 1, 1, 1, 1, 43.0},
        FactorCase{"LowFreqAtSF", {1, 7, 1, 2, 1, 0}, 11, 1, 1, 1, 1, 0.5},
        FactorCase{"ThyristorAtARW", {3, 1, 1, 2, 1, 0}, 10, 1, 0.1, 1, 1, 24.0},
        // pi_E high frequency GB..CL: 1, 2, 5, 4, 11, 4, 5, 7, 12, 16, 0.5, 9, 24, 250
        FactorCase{"HighFreqAtGM", {2, 2, 1, 2, 1, 0}, 3, 1, 1, 1, 1, 5.0},
        FactorCase{"HighFreqAtNU", {2, 2, 1, 2, 1, 0}, 5, 1, 1, 1, 1, 11.0},
        FactorCase{"HighFreqAtAIF", {2, 2, 1, 2, 1, 0}, 7, 1, 1, 1, 1, 5.0},
        FactorCase{"HighFreqAtAUF", {2, 2, 1, 2, 1, 0}, 9, 1, 1, 1, 1, 12.0},
        FactorCase{"HighFreqAtARW", {2, 2, 1, 2, 1, 0}, 10, 1, 1, 1, 1, 16.0},
        FactorCase{"HighFreqAtMF", {2, 2, 1, 2, 1, 0}, 12, 1, 1, 1, 1, 9.0}),
    labelOf<FactorCase>);

// ---- Over flags ---------------------------------------------------------------------

struct LimitCase {
  const char* label;
  std::uint8_t family, type;
  float tja, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class DiodeLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(DiodeLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CDiode d;
  configure(d, {c.family, c.type, 1, 4, 1.0f, c.stress, 3, thermal(3, 0, 0, 0, 0, 0, c.tja)});
  d.TEMPLIMIT = c.tempLimit;
  d.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  EXPECT_EQ(d.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, DiodeLimitFlags,
    ::testing::Values(LimitCase{"JunctionEqualToLimit", 1, 2, 125, 150, 40, 100, 0u},  // 25 + 125
                      LimitCase{"JunctionJustAboveLimit", 1, 2, 125.5f, 150, 40, 100, OverTemp},
                      LimitCase{"StressEqualToLimit", 1, 5, 0, 175, 70, 70, 0u},
                      LimitCase{"StressJustAboveLimit", 1, 5, 0, 175, 70.5f, 70, OverStress},
                      LimitCase{"ThyristorStressAboveLimit", 3, 1, 0, 175, 70.5f, 70, OverStress},
                      LimitCase{"VoltageRegulatorNeverOverStress", 1, 6, 0, 175, 100, 0, 0u},
                      LimitCase{"HighFreqNeverOverStress", 2, 4, 0, 175, 100, 0, 0u}),
    labelOf<LimitCase>);

// ---- Hybrid parts and surface mounting ------------------------------------------------

TEST(DiodeHybridPart, PackageFactorsAndContactsAreOne) {
  // low-frequency switching, spring loaded, Plastic at CL, 31 %: pi_C = pi_A = pi_Q = pi_E = 1;
  // FR = 0.0010 x 0.0580776 = 5.80776e-5
  CDiode d;
  configure(d, {1, 2, 2, 5, 1.0f, 31});
  d.IS_HYBRID = 1;
  d.IS_SMT = 1;
  d.SmtCalcFlag = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  d.Calculate(h);
  EXPECT_FLOAT_EQ(d.PIC, 1.0f);
  EXPECT_FLOAT_EQ(d.PIA, 1.0f);
  EXPECT_FLOAT_EQ(d.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(d.PIE, 1.0f);
  EXPECT_TRUE(near(d.FR, 5.80776e-5));
  EXPECT_EQ(d.SmtCalcFlag, 0);
  EXPECT_EQ(d.GetTypeName(), "Diode(Hyb)");
  EXPECT_EQ(CDiode{}.GetTypeName(), "Diode");

  CDiode varactor;  // a hybrid multiplier varactor: pi_A 1 instead of 2.5
  configure(varactor, {2, 8, 1, 4, 1.0f, 0});
  varactor.IS_HYBRID = 1;
  varactor.Calculate(h);
  EXPECT_FLOAT_EQ(varactor.PIA, 1.0f);
  EXPECT_TRUE(near(varactor.FR, 0.0025));

  std::string a, b;
  d.FormatDetail(a, b, "");
  EXPECT_EQ(b.substr(b.size() - 29), "  " + std::string(10, ' ') + " " + std::string(7, ' ') + " " +
                                         std::string(8, ' '));  // no contact text
}

TEST(DiodeSurfaceMount, DefaultRiseFromJunctionBlock) {
  CDiode d;
  configure(d, {1, 2, 1, 4, 1.0f, 50, 3, thermal(1, 0, 0.5f, 30, 40, 0, 0)});
  d.IS_SMT = 1;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  d.Calculate(h);
  EXPECT_EQ(d.SmtCalcFlag, 1);
  EXPECT_GT(d.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(d.SMT_TEMPRISE, 15.0f);  // Pd x Rjc = 0.5 x 30

  d.thermal = thermal(3, 0, 0.5f, 30, 40, 0, 18);
  d.Calculate(h);
  EXPECT_FLOAT_EQ(d.SMT_TEMPRISE, 18.0f);  // Tja
}

// ---- Stored values outside their ranges ------------------------------------------------

struct StoredCase {
  const char* label;
  Config config;
  std::uint8_t expectedFamily, expectedType, expectedQuality;
  double fr;
};

class DiodeStoredChoices : public ::testing::TestWithParam<StoredCase> {};

TEST_P(DiodeStoredChoices, ClampedAndFlagged) {
  const StoredCase& c = GetParam();
  CDiode d;
  configure(d, c.config);
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  EXPECT_EQ(d.FAMILY, c.expectedFamily);
  EXPECT_EQ(d.TYPE, c.expectedType);
  EXPECT_EQ(d.QU, c.expectedQuality);
  EXPECT_EQ(d.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(d.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, DiodeStoredChoices,
    ::testing::Values(
        // family 9 -> thyristor (type left alone), 30 %, Lower: FR = 0.0022 x 0.1 x 5.5 = 0.00121
        StoredCase{"FamilyBeyondListIsThyristor", {9, 4, 1, 4, 1.0f, 30}, 3, 4, 4, 0.00121},
        // type 12 -> current regulator 9: FR = 0.0034 x 5.5 = 0.0187
        StoredCase{"LowFreqTypeBeyondList", {1, 12, 1, 4, 1.0f, 30}, 1, 9, 4, 0.0187},
        // "Plastic" is not on the Schottky list: 5 -> 4 (Lower 2.5): FR = 0.027 x 2.5 = 0.0675
        StoredCase{"PlasticSchottkyIsLower", {2, 5, 1, 5, 1.0f, 0}, 2, 5, 4, 0.0675},
        // junctions 0 limited to 1: FR = 0.005 x 0.054 x 5.5 = 0.001485
        StoredCase{"NoJunctionsIsOne", {1, 5, 1, 4, 1.0f, 30, 0}, 1, 5, 4, 0.001485},
        // junctions 500 limited to 99: FR = 0.495 x 0.054 x 5.5 = 0.147015
        StoredCase{"TooManyJunctions", {1, 5, 1, 4, 1.0f, 30, 500}, 1, 5, 4, 0.147015},
        // contacts 7 -> spring loaded 2: FR = 0.0020 x 2 x 5.5 = 0.022
        StoredCase{"ContactsBeyondList", {1, 6, 7, 4, 1.0f, 0}, 1, 6, 4, 0.022}),
    labelOf<StoredCase>);

TEST(DiodeStoredChoices, NormalizeUsesDependentLists) {
  CDiode d;
  configure(d, {2, 5, 0, 5, 1.0f, 0});
  d.STRESSMODE = 3;
  d.normalizeChoices();
  EXPECT_EQ(d.QU, 4);  // Schottky list
  EXPECT_EQ(d.CONTACTS, 1);
  EXPECT_EQ(d.STRESSMODE, 2);
  EXPECT_EQ(d.OverFlags & EntryOverRange, EntryOverRange);

  CDiode thyristor;  // no type list: the stored type byte is left alone
  configure(thyristor, {3, 40, 1, 5, 1.0f, 0});
  thyristor.normalizeChoices();
  EXPECT_EQ(thyristor.TYPE, 40);
  EXPECT_EQ(thyristor.QU, 5);
  EXPECT_EQ(thyristor.OverFlags, 0u);
}

struct ExtremeCase {
  const char* label;
  Config config;
  float cf;
  double t, s, pir;
};

class DiodeExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(DiodeExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CDiode d;
  configure(d, c.config);
  d.CF = c.cf;
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  EXPECT_TRUE(std::isfinite(d.FR));
  EXPECT_TRUE(std::isfinite(d.PIT));
  EXPECT_GE(d.FR, 0.0f);
  EXPECT_FLOAT_EQ(d.T, static_cast<float>(c.t));
  EXPECT_FLOAT_EQ(d.S, static_cast<float>(c.s));
  EXPECT_TRUE(near(d.PIR, c.pir));
  EXPECT_EQ(d.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, DiodeExtremeValues,
    ::testing::Values(
        // PIN rating 0 limited to 0.001 W: pi_R 0.5, never ln 0
        ExtremeCase{"ZeroPinRating", {2, 4, 1, 4, 0.0f, 0}, 1, 25, -1, 0.5},
        // thyristor 0 A limited to 0.001: 0.001^0.4 = exp(0.4 x -6.907755) = 0.0630957
        ExtremeCase{"ZeroThyristorCurrent", {3, 1, 1, 4, 0.0f, 50}, 1, 25, 50, 0.0630957},
        ExtremeCase{"ThyristorCurrentNotANumber", {3, 1, 1, 4, kNaNf, 50}, 1, 25, 50, 0.0630957},
        ExtremeCase{"StressNotANumber", {1, 1, 1, 4, 1.0f, kNaNf}, 1, 25, 0, 1},
        ExtremeCase{"HugeStress", {3, 1, 1, 4, 1.0f, 1e30f}, 1, 25, 100, 1},
        ExtremeCase{"CorrectionFactorNotANumber", {1, 1, 1, 4, 1.0f, 50}, kNaNf, 25, 50, 1},
        ExtremeCase{"ModeOutsideListIsAmbient",
                    {1, 1, 1, 4, 1.0f, 50, 3, thermal(0, 9, 9, 9, 9, 9, 9)},
                    1,
                    25,
                    50,
                    1}),
    labelOf<ExtremeCase>);

// ---- Import by keyword -------------------------------------------------------------

void mapDiode(ImportSetup& s, const char* family, const char* type, const char* mode) {
  s.map("DIO_FAMILY", 3, std::string(family));
  s.map("DIO_TYPE", 4, std::string(type));
  s.map("DIO_CONTACTS", 5, std::string("SpringLoad"));
  s.map("DIO_JUNCTIONS", 6, 7.0);
  s.map("DIO_QU", 7, std::string("JAN."));
  s.map("DIO_RATING", 8, 25.0);
  s.map("DIO_VMAX", 9, 200.0);
  s.map("DIO_VOP", 10, 50.0);
  s.map("DIO_STRESSMODE", 11, std::string(mode));
  s.map("DIO_VSTRESS", 12, 66.0);
  s.map("DIO_TEMPMODE", 13, std::string("Tj=Ta+Tja"));
  s.map("DIO_TJA", 14, 35.0);
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

TEST(DiodeImport, HvStacksComputedModeReadsEverythingItUses) {
  ImportSetup s;
  mapDiode(s, "LowFreq", "HVStacks", "Calc=Vop/Vmax");
  dropKeyword(s, "DIO_VSTRESS");  // reading it would fail the import
  dropKeyword(s, "DIO_RATING");
  CDiode d;
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.FAMILY, 1);
  EXPECT_EQ(d.TYPE, 5);
  EXPECT_EQ(d.CONTACTS, 2);
  EXPECT_FLOAT_EQ(d.JUNCTIONS, 7.0f);
  EXPECT_EQ(d.QU, 3);
  EXPECT_FLOAT_EQ(d.RATING, 1.0f);  // not read
  EXPECT_FLOAT_EQ(d.VMAX, 200.0f);
  EXPECT_FLOAT_EQ(d.VOP, 50.0f);
  EXPECT_EQ(d.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(d.VSTRESS, 25.0f);  // 50 / 200 x 100
  EXPECT_EQ(d.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(d.thermal.TJA, 35.0f);
}

TEST(DiodeImport, ThyristorManualModeAndVopLimitedToVmax) {
  ImportSetup s;
  mapDiode(s, "Thyristor/SCR", "Analog", "Manual");
  s.map("DIO_VOP", 10, 300.0);
  dropKeyword(s, "DIO_TYPE");
  dropKeyword(s, "DIO_CONTACTS");
  dropKeyword(s, "DIO_JUNCTIONS");
  CDiode d;
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.FAMILY, 3);
  EXPECT_FLOAT_EQ(d.RATING, 25.0f);
  EXPECT_FLOAT_EQ(d.VOP, 200.0f);
  EXPECT_FLOAT_EQ(d.VSTRESS, 66.0f);
}

struct SkipCase {
  const char* label;
  const char* family;
  const char* type;
  bool hybrid;
  std::vector<const char*> notRead;  // dropped from the definition: the import still succeeds
};

class DiodeImportByType : public ::testing::TestWithParam<SkipCase> {};

TEST_P(DiodeImportByType, ReadsOnlyWhatTheFamilyAndTypeUse) {
  const SkipCase& c = GetParam();
  ImportSetup s;
  mapDiode(s, c.family, c.type, "Manual");
  for (const char* k : c.notRead) dropKeyword(s, k);
  CDiode d;
  d.IS_HYBRID = c.hybrid ? 1 : 0;
  EXPECT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(d.thermal.TJA, 35.0f);  // the block is still read at the end
}

INSTANTIATE_TEST_SUITE_P(Types, DiodeImportByType,
                         ::testing::Values(SkipCase{"VoltageRegulatorReadsNoVoltages",
                                                    "LowFreq",
                                                    "VoltageReg",
                                                    false,
                                                    {"DIO_JUNCTIONS", "DIO_RATING", "DIO_VMAX", "DIO_VOP",
                                                     "DIO_STRESSMODE", "DIO_VSTRESS"}},
                                           SkipCase{"PinReadsRatingOnly",
                                                    "HighFreq",
                                                    "PIN",
                                                    false,
                                                    {"DIO_CONTACTS", "DIO_JUNCTIONS", "DIO_VMAX", "DIO_VOP",
                                                     "DIO_STRESSMODE", "DIO_VSTRESS"}},
                                           SkipCase{"GunnReadsNoRating",
                                                    "HighFreq",
                                                    "Gunn/BulkEffect",
                                                    false,
                                                    {"DIO_CONTACTS", "DIO_JUNCTIONS", "DIO_RATING",
                                                     "DIO_VMAX", "DIO_VOP", "DIO_STRESSMODE", "DIO_VSTRESS"}},
                                           SkipCase{
                                               "HybridReadsNoContactsNorQuality",
                                               "LowFreq",
                                               "Switching",
                                               true,
                                               {"DIO_CONTACTS", "DIO_QU", "DIO_JUNCTIONS", "DIO_RATING"}}),
                         labelOf<SkipCase>);

TEST(DiodeImport, SchottkyQualityFromItsShorterList) {
  ImportSetup s;
  mapDiode(s, "HighFreq", "SchottkyBarrier", "Manual");
  s.map("DIO_QU", 7, std::string("Plastic"));
  CDiode d;  // quality 4 (Lower), valid on the Schottky list, stays
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.QU, 4);
  bool logged = false;
  for (const std::string& line : s.log) logged |= line == "   ...'DIO_QU' has no choice match (R7/F7)...";
  EXPECT_TRUE(logged);
}

TEST(DiodeImport, FirstFailingReaderStops) {
  ImportSetup s;
  mapDiode(s, "LowFreq", "Analog", "Manual");
  dropKeyword(s, "DIO_QU");
  CDiode d;
  EXPECT_FALSE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.CONTACTS, 2);        // read before the failure
  EXPECT_FLOAT_EQ(d.VMAX, 75.0f);  // after it: not read
  EXPECT_FLOAT_EQ(d.thermal.TJA, 0.0f);
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('DIO_QU').");
}

TEST(DiodeImport, JunctionOverride) {
  // TJUNC 90 at Ta 40: mode 3, Tja = 50, the Tja keyword not read
  ImportSetup s;
  mapDiode(s, "LowFreq", "Analog", "Manual");
  dropKeyword(s, "DIO_TJA");
  s.map("DIO_TEMP", 15, 90.0);
  for (CKwd& k : s.kwds) {
    if (k.name == "DIO_TEMP") k.valueOption = kOverrideJunction;
  }
  CDiode d;
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 40.0f));
  EXPECT_EQ(d.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(d.thermal.TJA, 50.0f);
}

// ---- What-If? ----------------------------------------------------------------------

struct WhatIfCase {
  const char* label;
  std::uint8_t family, type;
  std::uint8_t qualityMode;
  float level;
  std::uint8_t stressMode;
  std::uint8_t expectedQuality, expectedMode;
  float expectedStress;
};

class DiodeWhatIf : public ::testing::TestWithParam<WhatIfCase> {};

TEST_P(DiodeWhatIf, QualityAndStressRules) {
  const WhatIfCase& c = GetParam();
  CDiode d;  // quality 4, Vop 37.5 / Vmax 75
  d.FAMILY = c.family;
  d.TYPE = c.type;
  d.STRESSMODE = 2;
  d.VSTRESS = 10.0f;
  WhatIfSettings s;
  s.qualityMode = c.qualityMode;
  s.qualityLevel = c.level;
  s.stressMode = c.stressMode;
  s.stressValue = 20.0f;
  d.ApplyWhatIf(s);
  EXPECT_EQ(d.QU, c.expectedQuality);
  EXPECT_EQ(d.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(d.VSTRESS, c.expectedStress);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DiodeWhatIf,
    ::testing::Values(
        WhatIfCase{"LowFreqQualityUpToPlastic", 1, 2, Decrease, 3, NoChange, 5, 2, 10},  // 4 + 3 -> 5
        WhatIfCase{"SchottkyQualityUpToLower", 2, 5, Decrease, 3, NoChange, 4, 2, 10},   // 4 + 3 -> 4
        WhatIfCase{"HighFreqQualityUpToPlastic", 2, 4, SetDirect, 9, NoChange, 5, 2, 10},
        WhatIfCase{"ImproveQuality", 3, 1, Increase, 2, NoChange, 2, 2, 10},
        // 37.5 / 75 x 100 = 50, computed mode
        WhatIfCase{"SetToCalcModeOnRectifier", 1, 4, NoChange, 0, SetToCalcMode, 4, 1, 50},
        WhatIfCase{"SetToCalcModeOnThyristor", 3, 1, NoChange, 0, SetToCalcMode, 4, 1, 50},
        WhatIfCase{"IncreaseStressOnHvStacks", 1, 5, NoChange, 0, Increase, 4, 2, 30},
        WhatIfCase{"RegulatorStressUnchanged", 1, 6, NoChange, 0, SetToCalcMode, 4, 2, 10},
        WhatIfCase{"HighFreqStressUnchanged", 2, 1, NoChange, 0, Increase, 4, 2, 10}),
    labelOf<WhatIfCase>);

TEST(DiodeWhatIf, HybridQualityUnchanged) {
  CDiode d;
  d.IS_HYBRID = 1;
  WhatIfSettings s;
  s.qualityMode = SetDirect;
  s.qualityLevel = 1;
  d.ApplyWhatIf(s);
  EXPECT_EQ(d.QU, 4);
}

// ---- Update -------------------------------------------------------------------------

TEST(DiodeUpdate, CopiesApplicationParametersOnly) {
  CDiode own;
  configure(own, {2, 4, 2, 1, 20.0f, 10, 5, thermal(1, 1, 1, 11, 1, 1, 1)});
  own.VMAX = 60.0f;
  own.LB = 0.5f;
  CDiode other;
  configure(other, {1, 1, 1, 5, 1.0f, 66, 9, thermal(3, 5, 0.5f, 99, 20, 30, 40)});
  other.VMAX = 500.0f;
  other.VOP = 80.0f;
  other.STRESSMODE = 1;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.VOP, 60.0f);  // 80 V above own 60 V
  EXPECT_EQ(own.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(own.VSTRESS, 100.0f);  // 60 / 60 x 100
  EXPECT_EQ(own.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(own.thermal.RJC, 11.0f);  // stays with the part
  EXPECT_FLOAT_EQ(own.thermal.TJA, 40.0f);
  EXPECT_EQ(own.FAMILY, 2);
  EXPECT_EQ(own.TYPE, 4);
  EXPECT_EQ(own.CONTACTS, 2);
  EXPECT_FLOAT_EQ(own.JUNCTIONS, 5.0f);
  EXPECT_EQ(own.QU, 1);
  EXPECT_FLOAT_EQ(own.RATING, 20.0f);
  EXPECT_FLOAT_EQ(own.VMAX, 60.0f);
  EXPECT_FLOAT_EQ(own.LB, 0.5f);

  other.STRESSMODE = 2;  // manual: the other's stress is taken
  other.VOP = 15.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.VOP, 15.0f);
  EXPECT_FLOAT_EQ(own.VSTRESS, 66.0f);
}

TEST(DiodeUpdate, ZeroOwnRatingGivesNoNaN) {
  CDiode own;
  own.VMAX = 0.0f;
  CDiode other;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.VOP, 0.0f);
  EXPECT_FLOAT_EQ(own.VSTRESS, 100.0f);
  EXPECT_EQ(own.OverFlags & EntryOverRange, EntryOverRange);

  CMisc misc;
  CDiode d;
  d.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(d.VOP, 37.5f);
}

// ---- Copy and file round trip ---------------------------------------------------------

void fill(CDiode& d) {
  d.PN = "1N4148";
  d.REFDES = "CR3";
  d.PART_TYPE = 302;
  d.CF = 0.75f;
  d.FR = 0.0123f;
  d.S = 12.0f;
  d.T = 48.0f;
  d.OverFlags = OverStress;
  d.FAMILY = 2;
  d.TYPE = 7;
  d.CONTACTS = 2;
  d.JUNCTIONS = 11.0f;
  d.QU = 3;
  d.RATING = 2.5f;
  d.VMAX = 30.0f;
  d.VOP = 12.0f;
  d.STRESSMODE = 2;
  d.VSTRESS = 44.0f;
  d.thermal = thermal(3, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f);
  d.LB = 0.0025f;
  d.PIT = 1.9f;
  d.PIA = 0.5f;
  d.PIR = 1.25f;
  d.PIS = 0.75f;
  d.PIC = 2.0f;
  d.PIQ = 5.0f;
  d.PIE = 16.0f;
}

float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(DiodeCopyAndArchive, OwnFieldsTake82BytesInFileOrder) {
  // family, type, contacts; junctions; quality; rating, Vmax, Vop; mode; stress;
  // temperature mode; Pd, Rjc, Rca, Tadj, Tca, Tja; the eight factors
  CDiode d;
  fill(d);
  Archive whole = Archive::forWriting();
  d.Serialize(whole);
  Archive base = Archive::forWriting();
  d.CPart::Serialize(base);
  const std::vector<std::uint8_t>& b = whole.bytes();
  const std::size_t at = base.bytes().size();
  ASSERT_EQ(b.size(), at + 82);
  EXPECT_EQ(b[at + 0], 2);
  EXPECT_EQ(b[at + 1], 7);
  EXPECT_EQ(b[at + 2], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 3), 11.0f);
  EXPECT_EQ(b[at + 7], 3);
  EXPECT_FLOAT_EQ(floatAt(b, at + 8), 2.5f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 12), 30.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 16), 12.0f);
  EXPECT_EQ(b[at + 20], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 21), 44.0f);
  EXPECT_EQ(b[at + 25], 3);
  EXPECT_FLOAT_EQ(floatAt(b, at + 26), 2.5f);  // Pd
  EXPECT_FLOAT_EQ(floatAt(b, at + 30), 3.5f);  // Rjc
  EXPECT_FLOAT_EQ(floatAt(b, at + 34), 4.5f);  // Rca
  EXPECT_FLOAT_EQ(floatAt(b, at + 38), 1.5f);  // Tadj
  EXPECT_FLOAT_EQ(floatAt(b, at + 42), 5.5f);  // Tca
  EXPECT_FLOAT_EQ(floatAt(b, at + 46), 6.5f);  // Tja
  const float factors[] = {0.0025f, 1.9f, 0.5f, 1.25f, 0.75f, 2.0f, 5.0f, 16.0f};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(floatAt(b, at + 50 + 4 * i), factors[i]);
}

// ---- Text lines ------------------------------------------------------------------------

std::string blanks(std::size_t n) {
  return std::string(n, ' ');
}

struct LineCase {
  const char* label;
  Config config;
  std::string line1, line2;
};

class DiodeTextLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(DiodeTextLines, DetailLinesByFamily) {
  const LineCase& c = GetParam();
  CDiode d;
  configure(d, c.config);
  d.VMAX = 75.0f;
  d.VOP = 37.5f;
  std::string a, b;
  d.FormatDetail(a, b, "");
  EXPECT_EQ(a, c.line1);
  EXPECT_EQ(b, c.line2);
}

// line 1 "%s%-26s %-10s %-13s %-12s %-26s": Vmax 75 (7,4) 75.0000, Vop 37.5 (7,4) 37.5000,
// stress (5,2); line 2: the thermal line, then "  %-10s %-7s %-8s"
INSTANTIATE_TEST_SUITE_P(
    Families, DiodeTextLines,
    ::testing::Values(
        LineCase{"LowFreqSwitching",
                 {1, 2, 1, 4, 1.0f, 50},
                 "LowFreq Switching" + blanks(9) +
                     " Qu:Lower   Vmax:75.0000V Vop:37.5000V Vstr:50.00%(Manual)" + blanks(7),
                 "Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)  MetalBond  " + blanks(7) + " " + blanks(8)},
        LineCase{"HvStacksShowsJunctions",
                 {1, 5, 2, 1, 1.0f, 5, 12, thermal(3, 0, 0, 0, 0, 0, 20)},
                 "LowFreq HVStacks" + blanks(10) +
                     " Qu:JANTXV  Vmax:75.0000V Vop:37.5000V Vstr:5.00%(Manual)" + blanks(8),
                 "Tj = Ta+Tja = Ta+20.00  SpringLoad Junc:12 " + blanks(8)},
        LineCase{
            "PinShowsWatts",
            {2, 4, 1, 3, 20.0f, 5},
            "HighFreq PIN" + blanks(14) + " Qu:JAN.    " + blanks(13) + " " + blanks(12) + " " + blanks(26),
            "Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)  " + blanks(10) + " " + blanks(7) + " 20.0000W"},
        LineCase{
            "ThyristorShowsAmps",
            {3, 2, 1, 5, 2.5f, 5},
            "Thyristor/SCR" + blanks(13) + " Qu:Plastic Vmax:75.0000V Vop:37.5000V Vstr:5.00%(Manual)" +
                blanks(8),
            "Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)  " + blanks(10) + " " + blanks(7) + " 2.5000A "},
        LineCase{"ModeOutsideListHasNoThermalText",
                 {2, 2, 1, 1, 1.0f, 5, 3, thermal(5, 0, 0, 0, 0, 0, 0)},
                 "HighFreq Gunn/BulkEffect" + blanks(2) + " Qu:JANTXV  " + blanks(13) + " " + blanks(12) +
                     " " + blanks(26),
                 "  " + blanks(10) + " " + blanks(7) + " " + blanks(8)}),
    labelOf<LineCase>);

TEST(DiodeTextLines, FactorLinesAfterCalculation) {
  CDiode d;  // low-frequency switching, metal bond, Lower, 37.5 / 75 computed 50 %, GB 25 C
  d.VSTRESS = 50.0f;
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  std::string a, b;
  d.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    * PIA *   PIR    *   PIS    * PIC *  PIQ  *  PIE  *   PICF  ");
  // LB 0.001000; PIT, PIR 1.00000; PIA, PIC (3,1) 1.0; PIS 0.5^2.43 = exp(2.43 x -0.693147) = 0.185565;
  // PIQ 5.50; PIE 1.00; CF 1.00000
  EXPECT_EQ(b, "    0.001000   1.00000    1.0   1.00000    0.185565   1.0   5.50    1.00    1.00000 ");
}

TEST(DiodeTextLines, EveryLineAtMost132Characters) {
  for (float v : {3e38f, -1e-30f, kNaNf, 1.0f}) {
    for (std::uint8_t family : {1, 2, 3}) {
      for (std::size_t prefix : {0u, 131u, 200u}) {
        CDiode d;
        configure(d, {family, 5, 1, 4, v, v, v, thermal(2, v, v, v, v, v, v)});
        if (family == 2) d.TYPE = 4;
        d.VMAX = d.VOP = d.CF = v;
        d.LB = d.PIT = d.PIA = d.PIR = d.PIS = d.PIC = d.PIQ = d.PIE = v;
        std::string lines[4];
        const std::string pre(prefix, '>');
        d.FormatDetail(lines[0], lines[1], pre);
        d.FormatFactors(lines[2], lines[3], pre);
        for (const std::string& line : lines) {
          EXPECT_LE(line.size(), 132u);
          EXPECT_FALSE(line.empty());
        }
      }
    }
  }
}

// ---- Pages ---------------------------------------------------------------------------

struct Seen {
  std::string keyword;
  bool applies;
  std::size_t choices;
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
    seen.push_back({std::string(s.keyword), a, s.choices != nullptr ? s.choices->count() : 0});
  }
};

struct PageCase {
  const char* label;
  std::uint8_t family, type;
  bool hybrid;
  std::uint8_t mode;
  // applies: FAMILY, TYPE, CONTACTS, JUNCTIONS, QU, RATING, VMAX, VOP, STRESSMODE, VSTRESS
  std::vector<bool> applies;
  std::size_t typeChoices, qualityChoices;
};

class DiodePage : public ::testing::TestWithParam<PageCase> {};

TEST_P(DiodePage, FieldsApplyByFamilyAndType) {
  const PageCase& c = GetParam();
  CDiode d;
  d.FAMILY = c.family;
  d.TYPE = c.type;
  d.IS_HYBRID = c.hybrid ? 1 : 0;
  d.STRESSMODE = c.mode;
  d.VSTRESS = 0.0f;
  RecordingVisitor v;
  d.paramPage(v);
  const char* order[] = {"DIO_FAMILY", "DIO_TYPE", "DIO_CONTACTS", "DIO_JUNCTIONS",  "DIO_QU",
                         "DIO_RATING", "DIO_VMAX", "DIO_VOP",      "DIO_STRESSMODE", "DIO_VSTRESS"};
  ASSERT_EQ(v.seen.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(v.seen[i].keyword, order[i]);
    EXPECT_EQ(v.seen[i].applies, c.applies[i]) << order[i];
  }
  EXPECT_EQ(v.seen[1].choices, c.typeChoices);
  EXPECT_EQ(v.seen[4].choices, c.qualityChoices);
  if (c.applies[6] && c.mode == 1) {
    EXPECT_FLOAT_EQ(d.VSTRESS, 50.0f);  // shows 37.5 / 75 x 100
  }
  RecordingVisitor temp;
  EXPECT_TRUE(d.tempPage(temp));
  ASSERT_EQ(temp.seen.size(), 7u);
  EXPECT_EQ(temp.seen[6].keyword, "DIO_TJA");
}

INSTANTIATE_TEST_SUITE_P(
    Types, DiodePage,
    ::testing::Values(
        PageCase{"HvStacksComputed",
                 1,
                 5,
                 false,
                 1,
                 {true, true, true, true, true, false, true, true, true, false},
                 9,
                 5},
        PageCase{"AnalogManual",
                 1,
                 1,
                 false,
                 2,
                 {true, true, true, false, true, false, true, true, true, true},
                 9,
                 5},
        PageCase{"TransientSuppressor",
                 1,
                 8,
                 false,
                 2,
                 {true, true, true, false, true, false, false, false, false, false},
                 9,
                 5},
        PageCase{"HybridLowFreq",
                 1,
                 2,
                 true,
                 2,
                 {true, true, false, false, false, false, true, true, true, true},
                 9,
                 5},
        PageCase{
            "Pin", 2, 4, false, 2, {true, true, false, false, true, true, false, false, false, false}, 9, 5},
        PageCase{"Schottky",
                 2,
                 5,
                 false,
                 2,
                 {true, true, false, false, true, false, false, false, false, false},
                 9,
                 4},
        PageCase{"Thyristor",
                 3,
                 1,
                 false,
                 1,
                 {true, false, false, false, true, true, true, true, true, false},
                 0,
                 5}),
    labelOf<PageCase>);

}  // namespace
}  // namespace kestrel
