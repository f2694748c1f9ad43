#include "models/passive_semis/microwave_transistor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using passive_test::allLines;
using passive_test::dropKeyword;
using passive_test::floatAt;
using passive_test::header;
using passive_test::kNaNf;
using passive_test::logged;
using passive_test::near;
using passive_test::ownFieldBytes;
using passive_test::RecordingVisitor;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

JunctionTemp block(std::uint8_t mode, float tadj, float pd, float rjc, float rca, float tca, float tja) {
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
JunctionTemp rise(float tja) {
  return block(3, 0, 0, 0, 0, 0, tja);
}

// What a case sets; the stress is entered directly (Manual mode).
struct Config {
  std::uint8_t type, match, metal, app;
  float dc;
  std::uint8_t quality;
  float freq, power, stress;
  JunctionTemp thermal = JunctionTemp{};
};

void configure(CMTrans& m, const Config& c) {
  m.TYPE = c.type;
  m.MATCH = c.match;
  m.METAL = c.metal;
  m.APP = c.app;
  m.DC = c.dc;
  m.QU = c.quality;
  m.FREQ = c.freq;
  m.POWER = c.power;
  m.STRESSMODE = 2;
  m.VSTRESS = c.stress;
  m.thermal = c.thermal;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  Config config;
  std::uint8_t env;
  float ambient, cf;
  bool hybrid;
  double tj, s;
  double lb, pit, pia, pir, pis, pim, piq, pie, fr;
};

class MTransFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(MTransFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CMTrans m;
  configure(m, c.config);
  m.CF = c.cf;
  m.QTY = 7.0f;  // never applied to FR
  m.IS_HYBRID = c.hybrid ? 1 : 0;
  CCircHeader h = header(c.env, c.ambient);
  m.Calculate(h);
  EXPECT_FLOAT_EQ(m.T, static_cast<float>(c.tj));
  EXPECT_FLOAT_EQ(m.S, static_cast<float>(c.s));
  EXPECT_TRUE(near(m.LB, c.lb));
  EXPECT_TRUE(near(m.PIT, c.pit));
  EXPECT_TRUE(near(m.PIA, c.pia));
  EXPECT_TRUE(near(m.PIR, c.pir));
  EXPECT_TRUE(near(m.PIS, c.pis));
  EXPECT_TRUE(near(m.PIM, c.pim));
  EXPECT_TRUE(near(m.PIQ, c.piq));
  EXPECT_TRUE(near(m.PIE, c.pie));
  EXPECT_TRUE(near(m.FR, c.fr));
  EXPECT_EQ(m.OverFlags, 0u);
}

// pi_T references: 1/298 - 1/333 = 0.000352702, 1/298 - 1/348 = 0.000482141,
// 1/298 - 1/398 = 0.000843142, 1/273 - 1/298 = 0.000307299; 1/298 - 1/373 = 0.000674740.
// High-power bipolar E at 25 C: gold exp(-2903 x 0.000674740) = 0.141032,
// aluminum exp(-5794 x 0.000674740) = 0.0200517; at 100 C both are 1.
INSTANTIATE_TEST_SUITE_P(
    Cases, MTransFailureRate,
    ::testing::Values(
        // low-noise bipolar JANTXV at GB, 25 C: pi_R = 0.5^0.37 = 0.773782;
        // pi_S = 0.045 x exp(3.1 x 0.5) = 0.212016; FR = 0.18 x 0.773782 x 0.212016 x 0.5 = 0.0147649
        RateCase{"LowNoiseBipolarJantxvAtGroundBenign", {1, 1, 1, 1, 10, 1, 4, 0.5f, 50}, 1, 25, 1, false,
                 25, 50, 0.18, 1.0, 1.0, 0.773782, 0.212016, 1.0, 0.5, 1.0, 0.0147649},
        // low-noise bipolar JAN at NS, Tj = 40 + 10 + 0.2 x 50 = 60: pi_T = exp(2114 x 0.000352702) = 2.107730;
        // P 0.05 W <= 0.1: pi_R 0.43; pi_S = 0.045 x exp(2.48) = 0.537357;
        // FR = 0.18 x 2.107730 x 0.43 x 0.537357 x 2.0 x 4.0 = 0.701308
        RateCase{"LowNoiseBipolarSmallPowerHotAtNavalSheltered",
                 {1, 1, 1, 1, 10, 3, 4, 0.05f, 80, block(2, 0, 0.2f, 50, 0, 10, 0)}, 4, 40, 1, false, 60, 80,
                 0.18, 2.107730, 1.0, 0.43, 0.537357, 1.0, 2.0, 4.0, 0.701308},
        // high-power bipolar, gold, CW, in/out matching, JAN at NU, Tj = 100, 40 %:
        // lambda_b = 0.032 x exp(0.354 x 4 + 0.00558 x 10) = 0.032 x exp(1.4718) = 0.139426;
        // pi_T = 0.1 x 1; FR = 0.139426 x 0.1 x 7.6 x 1 x 2.0 x 11 = 2.331207
        RateCase{"HighPowerGoldCwAtNavalUnsheltered", {2, 1, 1, 1, 10, 3, 4, 10, 40, rise(75)}, 5, 25, 1, false,
                 100, 40, 0.139426, 0.1, 7.6, 1.0, 1.0, 1.0, 2.0, 11.0, 2.331207},
        // aluminum, pulsed 25 %: pi_A = 0.06 x 25 + 0.4 = 1.9; input matching 2.0; Lower at AIF, 25 C, 50 %:
        // lambda_b = 0.032 x exp(0.708 + 0.279) = 0.0858615; pi_T = 7.55 x (0.5 - 0.35) x 0.0200517 = 0.0227086;
        // FR = 0.0858615 x 0.0227086 x 1.9 x 2.0 x 5.0 x 5.0 = 0.185230
        RateCase{"HighPowerAluminumPulsedInputMatchAtAirborneFighter", {2, 2, 2, 2, 25, 4, 2, 50, 50}, 7, 25, 1,
                 false, 25, 50, 0.0858615, 0.0227086, 1.9, 1.0, 1.0, 2.0, 5.0, 5.0, 0.185230},
        // GaAs FET high power, CW, no matching, Lower at AIF, Tj = 25 + 50 = 75:
        // lambda_b = 0.0093 x exp(0.429 x 4 + 0.486 x 1) = 0.0093 x exp(2.202) = 0.0841007;
        // pi_T = exp(4485 x 0.000482141) = 8.692013; FR = 0.0841007 x 8.692013 x 4 x 4 x 5 x 5 = 292.4016
        RateCase{"GaAsHighPowerCwNoMatchHot", {3, 3, 1, 1, 10, 4, 4, 1, 0, rise(50)}, 7, 25, 1, false, 75, -1,
                 0.0841007, 8.692013, 4.0, 1.0, 1.0, 4.0, 5.0, 5.0, 292.4016},
        // GaAs FET high power, pulsed (pi_A 1.0), in/out, JANTXV at GB, 25 C, F 1 GHz, P 0.1 W:
        // lambda_b = 0.0093 x exp(0.429 + 0.0486) = 0.0149935; FR = 0.0149935 x 0.5 = 0.00749673
        RateCase{"GaAsHighPowerPulsedJantxv", {3, 1, 1, 2, 10, 1, 1, 0.1f, 0}, 1, 25, 1, false, 25, -1,
                 0.0149935, 1.0, 1.0, 1.0, 1.0, 1.0, 0.5, 1.0, 0.00749673},
        // GaAs FET low power, no matching, JANTX at ML, 25 C (frequency, power, application unused):
        // FR = 4 x 0.052 x 1 x 1.0 x 24 = 4.992
        RateCase{"GaAsLowPowerNoMatchAtMissileLaunch", {4, 3, 2, 2, 50, 2, 50, 500, 90}, 13, 25, 1, false, 25, -1,
                 0.052, 1.0, 1.0, 1.0, 1.0, 4.0, 1.0, 24.0, 4.992},
        // silicon MOSFET JANTX at SF, Tj = 25 + 10 + 2 x (20 + 25) = 125, CF 2 (QTY 7 not applied):
        // pi_T = exp(1925 x 0.000843142) = 5.068516; FR = 0.060 x 5.068516 x 1.0 x 0.5 x 2 = 0.304111
        RateCase{"SiMosfetHotAtSpaceFlightWithCorrectionFactor",
                 {5, 3, 2, 2, 10, 2, 4, 1, 50, block(1, 10, 2, 20, 25, 0, 0)}, 11, 25, 2, false, 125, -1, 0.060,
                 5.068516, 1.0, 1.0, 1.0, 1.0, 1.0, 0.5, 0.304111},
        // silicon JFET Lower at CL, 0 C: pi_T = exp(-1925 x 0.000307299) = 0.553468;
        // FR = 0.023 x 0.553468 x 5.0 x 250 = 15.91222
        RateCase{"SiJfetColdAtCannonLaunch", {6, 1, 1, 1, 10, 4, 4, 1, 50}, 14, 0, 1, false, 0, -1, 0.023,
                 0.553468, 1.0, 1.0, 1.0, 1.0, 5.0, 250.0, 15.91222},
        // hybrid high-power bipolar, gold, pulsed, input matching, at CL, Tj = 100, 40 %:
        // pi_A = pi_Q = pi_E = 1, pi_M stays 2; FR = 0.139426 x 0.1 x 2 = 0.0278853
        RateCase{"HybridHighPowerKeepsMatchingOnly", {2, 2, 1, 2, 25, 1, 4, 10, 40, rise(75)}, 14, 25, 1, true,
                 100, 40, 0.139426, 0.1, 1.0, 1.0, 1.0, 2.0, 1.0, 1.0, 0.0278853}),
    labelOf<RateCase>);

TEST(MTransEnvironment, EveryEnvironmentFactor) {
  // handbook 6.6 to 6.9 pi_E, GB..CL; a silicon JFET JANTX at 25 C has FR = 0.023 x pi_E
  const double pie[] = {1.0, 2.0, 5.0, 4.0, 11.0, 4.0, 5.0, 7.0, 12.0, 16.0, 0.5, 9.0, 24.0, 250.0};
  for (std::uint8_t env = 1; env <= 14; ++env) {
    CMTrans m;
    configure(m, {6, 1, 1, 1, 10, 2, 4, 1, 0});
    CCircHeader h = header(env, 25);
    m.Calculate(h);
    EXPECT_TRUE(near(m.PIE, pie[env - 1])) << int(env);
    EXPECT_TRUE(near(m.FR, 0.023 * pie[env - 1])) << int(env);
  }
}

// ---- Branch points ------------------------------------------------------------

struct BranchCase {
  const char* label;
  std::uint8_t type, metal;
  float power, stress, tja;
  double pit, pir;
  std::uint32_t flags;
};

class MTransBranches : public ::testing::TestWithParam<BranchCase> {};

TEST_P(MTransBranches, TemperatureAndRatingFactorAtBranch) {
  const BranchCase& c = GetParam();
  CMTrans m;
  configure(m, {c.type, 1, c.metal, 1, 10, 4, 4, c.power, c.stress, rise(c.tja)});
  CCircHeader h = header(1, 25);
  m.Calculate(h);
  EXPECT_TRUE(near(m.PIT, c.pit));
  EXPECT_TRUE(near(m.PIR, c.pir));
  EXPECT_EQ(m.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Knees, MTransBranches,
    ::testing::Values(
        // high-power bipolar pi_T at Tj 100 (E = 1): Vs <= 0.40 low branch, above it slope x (Vs - 0.35)
        BranchCase{"GoldAtFortyPercent", 2, 1, 1, 40, 75, 0.1, 1.0, 0u},
        BranchCase{"GoldAtFortyOnePercent", 2, 1, 1, 41, 75, 0.12, 1.0, 0u},          // 2 x 0.06
        BranchCase{"AluminumAtFortyPercent", 2, 2, 1, 40, 75, 0.38, 1.0, 0u},
        BranchCase{"AluminumAtFortyOnePercent", 2, 2, 1, 41, 75, 0.453, 1.0, 0u},      // 7.55 x 0.06
        BranchCase{"AluminumAtThirtyPercentRoomTemp", 2, 2, 1, 30, 0, 0.00761965, 1.0, 0u},  // 0.38 x 0.0200517
        // 55 % is the top of the model: 2 x 0.2 x 0.141032 = 0.0564128; 56 %: 2 x 0.21 x 0.141032 = 0.0592335
        BranchCase{"GoldAtModelTopNoFlag", 2, 1, 1, 55, 0, 0.0564128, 1.0, 0u},
        BranchCase{"GoldAboveModelTopFlagged", 2, 1, 1, 56, 0, 0.0592335, 1.0, EntryOverRange},
        // the low-noise bipolar goes to 100 % unflagged: pi_T 1, 0.5^0.37 = 0.773782
        BranchCase{"LowNoiseFullStressNotFlagged", 1, 1, 0.5f, 100, 0, 1.0, 0.773782, 0u},
        // pi_R: P <= 0.1 W gives 0.43; 0.1001^0.37 = exp(0.37 x -2.301586) = 0.426737;
        // 0.9999^0.37 = 0.999963
        BranchCase{"RatingExactlyPointOne", 1, 1, 0.1f, 0, 0, 1.0, 0.43, 0u},
        BranchCase{"RatingJustAbovePointOne", 1, 1, 0.1001f, 0, 0, 1.0, 0.426737, 0u},
        BranchCase{"RatingAtTopOfRange", 1, 1, 0.9999f, 0, 0, 1.0, 0.999963, 0u},
        // 1 W is past the low-noise range: limited to 0.9999 and flagged
        BranchCase{"RatingAboveLowNoiseRange", 1, 1, 1.0f, 0, 0, 1.0, 0.999963, EntryOverRange}),
    labelOf<BranchCase>);

// ---- Over flags -------------------------------------------------------------------

struct LimitCase {
  const char* label;
  std::uint8_t type;
  float tja, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class MTransLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(MTransLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CMTrans m;
  configure(m, {c.type, 1, 1, 1, 10, 4, 4, 0.5f, c.stress, rise(c.tja)});
  m.TEMPLIMIT = c.tempLimit;
  m.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, 25);
  m.Calculate(h);
  EXPECT_EQ(m.OverFlags, c.flags);
  if (c.type > 2) {
    EXPECT_FLOAT_EQ(m.S, -1.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, MTransLimitFlags,
    ::testing::Values(LimitCase{"JunctionEqualToLimit", 1, 100, 125, 30, 100, 0u},  // 25 + 100 = 125
                      LimitCase{"JunctionJustAboveLimit", 4, 100.25f, 125, 30, 100, OverTemp},
                      LimitCase{"StressEqualToLimit", 2, 0, 175, 50, 50, 0u},
                      LimitCase{"StressJustAboveLimit", 1, 0, 175, 50.25f, 50, OverStress},
                      LimitCase{"GaAsNeverOverStress", 3, 0, 175, 100, 0, 0u},
                      LimitCase{"SiliconFetNeverOverStress", 6, 0, 175, 100, 0, 0u}),
    labelOf<LimitCase>);

// ---- Stored values outside their ranges -------------------------------------------

TEST(MTransStoredValues, ChoicesClampedAndFlagged) {
  struct Case {
    const char* label;
    std::uint8_t type, match, quality, env;
    std::uint8_t expectedType, expectedMatch, expectedQuality;
    double fr;
  };
  const Case cases[] = {
      // type 9 -> silicon JFET, quality 7 -> Lower, GB: FR = 0.023 x 5.0 = 0.115
      {"TypeAndQualityBeyondLists", 9, 1, 7, 1, 6, 1, 4, 0.115},
      // GaAs low power, matching 0 -> in/out (1.0), quality 0 -> JANTXV, environment 99 -> CL:
      // FR = 0.052 x 1.0 x 0.5 x 250 = 6.5
      {"MatchingQualityAndEnvironmentBeyondLists", 4, 0, 0, 99, 4, 1, 1, 6.5},
  };
  for (const Case& c : cases) {
    CMTrans m;
    configure(m, {c.type, c.match, 1, 1, 10, c.quality, 4, 1, 0});
    CCircHeader h = header(c.env, 25);
    m.Calculate(h);
    EXPECT_EQ(m.TYPE, c.expectedType) << c.label;
    EXPECT_EQ(m.MATCH, c.expectedMatch) << c.label;
    EXPECT_EQ(m.QU, c.expectedQuality) << c.label;
    EXPECT_EQ(m.OverFlags & EntryOverRange, EntryOverRange) << c.label;
    EXPECT_TRUE(near(m.FR, c.fr)) << c.label;
  }

  CMTrans n;
  n.METAL = 3;
  n.APP = 0;
  n.STRESSMODE = 5;
  n.normalizeChoices();
  EXPECT_EQ(n.METAL, 2);
  EXPECT_EQ(n.APP, 1);
  EXPECT_EQ(n.STRESSMODE, 2);
  EXPECT_EQ(n.OverFlags, EntryOverRange);
}

TEST(MTransStoredValues, ExtremeInputsStayFinite) {
  // GaAs high power at 99999 W: 0.0093 x exp(0.486 x 99999) is beyond any float; the rate is held at the
  // largest stored value and flagged. The same for a high-power bipolar at 99999 W (exp(558), inside
  // the entry range but past a float).
  for (std::uint8_t type : {2, 3}) {
    for (float power : {99999.0f, 3e38f, kNaNf}) {
      CMTrans m;
      configure(m, {type, 1, 1, 1, 10, 4, 99.9999f, power, 30});
      CCircHeader h = header(1, 25);
      m.Calculate(h);
      EXPECT_TRUE(std::isfinite(m.FR));
      EXPECT_TRUE(std::isfinite(m.LB));
      EXPECT_GT(m.FR, 0.0f);
      EXPECT_EQ(m.OverFlags & EntryOverRange, EntryOverRange);
      if (!std::isnan(power)) {
        EXPECT_FLOAT_EQ(m.LB, std::numeric_limits<float>::max());
      }
    }
  }
  // NaN stress and correction factor: stress limited to 0, CF to its lowest entry; pi_S 0.045
  CMTrans m;
  configure(m, {1, 1, 1, 1, kNaNf, 4, kNaNf, 0.5f, kNaNf, block(2, 0, 3e38f, 3e38f, 0, 0, 0)});
  m.CF = kNaNf;
  CCircHeader h = header(1, 25);
  m.Calculate(h);
  EXPECT_FLOAT_EQ(m.S, 0.0f);
  EXPECT_TRUE(near(m.PIS, 0.045));
  EXPECT_TRUE(std::isfinite(m.FR));
  EXPECT_EQ(m.OverFlags & EntryOverRange, EntryOverRange);
}

// ---- Surface mounting ---------------------------------------------------------------

TEST(MTransSurfaceMount, DefaultRiseFromJunctionBlockAndNoStepInHybrid) {
  CMTrans m;
  configure(m, {4, 1, 1, 1, 10, 4, 4, 1, 0, block(1, 5, 0.5f, 30, 40, 0, 22)});
  m.IS_SMT = 1;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  m.Calculate(h);
  EXPECT_EQ(m.SmtCalcFlag, 1);
  EXPECT_GT(m.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(m.SMT_TEMPRISE, 15.0f);  // Pd x Rjc = 0.5 x 30, not 0.5 x (30 + 40)

  m.IS_HYBRID = 1;
  m.SmtCalcFlag = 1;
  m.Calculate(h);
  EXPECT_EQ(m.SmtCalcFlag, 0);
}

// ---- Import by keyword ---------------------------------------------------------------

void mapAll(ImportSetup& s, const char* type, const char* app, const char* mode) {
  s.map("MTR_TYPE", 3, std::string(type));
  s.map("MTR_MATCH", 4, std::string("None"));
  s.map("MTR_QU", 5, std::string("JAN."));
  s.map("MTR_METAL", 6, std::string("Aluminum"));
  s.map("MTR_APP", 7, std::string(app));
  s.map("MTR_DC", 8, 30.0);
  s.map("MTR_FREQ", 9, 2.5);
  s.map("MTR_POWER", 10, 20.0);
  s.map("MTR_VMAX", 11, 40.0);
  s.map("MTR_VOP", 12, 30.0);
  s.map("MTR_STRESSMODE", 13, std::string(mode));
  s.map("MTR_VSTRESS", 14, 45.0);
  s.map("MTR_TEMPMODE", 15, std::string("Tj=Ta+Tja"));
  s.map("MTR_TJA", 16, 35.0);
}

TEST(MTransImport, HighPowerBipolarPulsedReadsEveryField) {
  ImportSetup s;
  mapAll(s, "BipolarHiPower", "Pulsed", "Calc=Vop/Vmax");
  dropKeyword(s, "MTR_VSTRESS");  // computed mode: reading it would fail the import
  CMTrans m;
  ASSERT_TRUE(m.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(m.TYPE, 2);
  EXPECT_EQ(m.MATCH, 3);
  EXPECT_EQ(m.QU, 3);
  EXPECT_EQ(m.METAL, 2);
  EXPECT_EQ(m.APP, 2);
  EXPECT_FLOAT_EQ(m.DC, 30.0f);
  EXPECT_FLOAT_EQ(m.FREQ, 2.5f);
  EXPECT_FLOAT_EQ(m.POWER, 20.0f);
  EXPECT_FLOAT_EQ(m.VMAX, 40.0f);
  EXPECT_FLOAT_EQ(m.VOP, 30.0f);
  EXPECT_EQ(m.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(m.VSTRESS, 75.0f);  // 30 / 40 x 100
  EXPECT_EQ(m.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(m.thermal.TJA, 35.0f);
}

TEST(MTransImport, ReadsOnlyWhatTheTypeUses) {
  struct Case {
    const char* label;
    const char* type;
    const char* app;
    bool hybrid;
    std::vector<const char*> notRead;  // dropped from the definition: the import still succeeds
  };
  const Case cases[] = {
      {"HighPowerCwReadsNoDutyCycle", "BipolarHiPower", "CW", false, {"MTR_DC"}},
      {"GaAsHighPowerReadsNoMetalNorVoltages",
       "GaAsFETHiPower",
       "Pulsed",
       false,
       {"MTR_METAL", "MTR_DC", "MTR_VMAX", "MTR_VOP", "MTR_STRESSMODE", "MTR_VSTRESS"}},
      {"GaAsLowPowerReadsMatchingOnly",
       "GaAsFETLoPower",
       "CW",
       false,
       {"MTR_METAL", "MTR_APP", "MTR_DC", "MTR_FREQ", "MTR_POWER", "MTR_VMAX", "MTR_VOP", "MTR_STRESSMODE",
        "MTR_VSTRESS"}},
      {"SiliconFetReadsNoDeviceFields",
       "SiMOSFET",
       "CW",
       false,
       {"MTR_MATCH", "MTR_METAL", "MTR_APP", "MTR_DC", "MTR_FREQ", "MTR_POWER", "MTR_VMAX", "MTR_VOP",
        "MTR_STRESSMODE", "MTR_VSTRESS"}},
      {"LowNoiseReadsNoMatchingNorFrequency",
       "BipolarLoPower",
       "CW",
       false,
       {"MTR_MATCH", "MTR_METAL", "MTR_APP", "MTR_DC", "MTR_FREQ"}},
      {"HybridReadsNoQuality", "SiJFET", "CW", true, {"MTR_QU"}},
  };
  for (const Case& c : cases) {
    ImportSetup s;
    mapAll(s, c.type, c.app, "Manual");
    for (const char* k : c.notRead) dropKeyword(s, k);
    CMTrans m;
    m.IS_HYBRID = c.hybrid ? 1 : 0;
    EXPECT_TRUE(m.ImportFields(s.reader, false, false, 25.0f)) << c.label;
    EXPECT_FLOAT_EQ(m.thermal.TJA, 35.0f) << c.label;  // the block is still read at the end
  }
}

TEST(MTransImport, PowerRangeFollowsTypeAndVopLimitedToVmax) {
  ImportSetup s;
  mapAll(s, "BipolarLoPower", "CW", "Manual");
  s.map("MTR_VOP", 12, 50.0);
  CMTrans m;
  ASSERT_TRUE(m.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(m.POWER, 0.9999f);  // 20 W is past the low-noise range
  EXPECT_FLOAT_EQ(m.VOP, 40.0f);
  EXPECT_FLOAT_EQ(m.VSTRESS, 45.0f);
  EXPECT_TRUE(logged(s.log, "'MTR_POWER'"));
  EXPECT_TRUE(logged(s.log, "'MTR_VOP'"));
}

TEST(MTransImport, FirstFailingReaderStops) {
  ImportSetup s;
  mapAll(s, "BipolarHiPower", "Pulsed", "Manual");
  dropKeyword(s, "MTR_QU");
  CMTrans m;
  EXPECT_FALSE(m.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(m.MATCH, 3);  // read before the failure
  EXPECT_EQ(m.METAL, 1);  // after it: not read
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('MTR_QU').");
}

// ---- What-If? and Update ---------------------------------------------------------------

TEST(MTransWhatIf, QualityWithinFourLevelsAndStressForBipolarsOnly) {
  struct Case {
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
  const Case cases[] = {
      {"IncreaseQualityByTwo", 2, false, Increase, 2, NoChange, 0, 2, 2, 50},  // 4 - 2
      {"DecreaseQualityStopsAtLower", 2, false, Decrease, 3, NoChange, 0, 4, 2, 50},
      {"SetQualityAboveListStopsAtFour", 5, false, SetDirect, 9, NoChange, 0, 4, 2, 50},
      {"HybridQualityUnchanged", 1, true, SetDirect, 1, NoChange, 0, 4, 2, 50},
      {"SetToCalcModeGivesVopOverVmax", 1, false, NoChange, 0, SetToCalcMode, 0, 4, 1, 75},  // 30 / 40
      {"IncreaseStressLimitedToHundred", 2, false, NoChange, 0, Increase, 80, 4, 2, 100},
      {"GaAsStressUnchanged", 3, false, NoChange, 0, SetDirect, 70, 4, 2, 50},
  };
  for (const Case& c : cases) {
    CMTrans m;
    configure(m, {c.type, 1, 1, 1, 10, 4, 4, 1, 50});
    m.VMAX = 40.0f;
    m.VOP = 30.0f;
    m.IS_HYBRID = c.hybrid ? 1 : 0;
    WhatIfSettings s;
    s.qualityMode = c.qualityMode;
    s.qualityLevel = c.level;
    s.stressMode = c.stressMode;
    s.stressValue = c.stressValue;
    m.ApplyWhatIf(s);
    EXPECT_EQ(m.QU, c.expectedQuality) << c.label;
    EXPECT_EQ(m.STRESSMODE, c.expectedMode) << c.label;
    EXPECT_FLOAT_EQ(m.VSTRESS, c.expectedStress) << c.label;
  }
}

TEST(MTransUpdate, CopiesApplicationParametersOnly) {
  CMTrans other;
  configure(other, {1, 3, 2, 2, 33, 1, 7.5f, 0.5f, 66, block(3, 5, 0.5f, 99, 20, 30, 40)});
  other.VOP = 80.0f;
  other.STRESSMODE = 1;
  for (std::uint8_t type : {2, 4}) {
    CMTrans own;
    configure(own, {type, 1, 1, 1, 10, 4, 4, 20, 10, block(1, 1, 1, 11, 1, 1, 1)});
    own.VMAX = 60.0f;
    own.UpdateAppParams(other);
    EXPECT_FLOAT_EQ(own.DC, 33.0f);
    EXPECT_FLOAT_EQ(own.FREQ, 7.5f);
    EXPECT_FLOAT_EQ(own.POWER, type == 2 ? 0.5f : 20.0f);  // power only for types 2 and 3
    EXPECT_FLOAT_EQ(own.VOP, 60.0f);                         // 80 V above own 60 V rating
    EXPECT_EQ(own.STRESSMODE, 1);
    EXPECT_FLOAT_EQ(own.VSTRESS, 100.0f);  // 60 / 60
    EXPECT_EQ(own.thermal.MODE, 3);
    EXPECT_FLOAT_EQ(own.thermal.RJC, 11.0f);  // Rjc stays with the part
    EXPECT_FLOAT_EQ(own.thermal.TJA, 40.0f);
    EXPECT_EQ(own.TYPE, type);  // kept: type, matching, metal, application, quality, rating
    EXPECT_EQ(own.MATCH, 1);
    EXPECT_EQ(own.METAL, 1);
    EXPECT_EQ(own.APP, 1);
    EXPECT_EQ(own.QU, 4);
    EXPECT_FLOAT_EQ(own.VMAX, 60.0f);
  }
  CMTrans manual;
  other.STRESSMODE = 2;
  manual.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(manual.VSTRESS, 66.0f);
}

// ---- Copy and file round trip ------------------------------------------------------

void fill(CMTrans& m) {
  m.PN = "MRF-901";
  m.PART_TYPE = 303;
  m.CF = 1.25f;
  m.FR = 0.5f;
  m.OverFlags = OverTemp;
  configure(m, {3, 2, 2, 2, 12.5f, 3, 8.25f, 3.5f, 44.5f, block(2, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f)});
  m.VMAX = 70.0f;
  m.VOP = 21.0f;
  m.LB = 0.01f;
  m.PIT = 1.7f;
  m.PIA = 4.0f;
  m.PIR = 0.43f;
  m.PIS = 0.2f;
  m.PIM = 2.0f;
  m.PIQ = 5.0f;
  m.PIE = 11.0f;
}

TEST(MTransCopyAndArchive, OwnFieldsTake87BytesInFileOrder) {
  // type, matching, metal, application; duty cycle; quality; frequency, power, Vmax, Vop; stress mode;
  // stress; temperature mode, Pd, Rjc, Rca, Tadj, Tca, Tja; eight factors
  CMTrans m;
  fill(m);
  const std::vector<std::uint8_t> b = ownFieldBytes(m);
  ASSERT_EQ(b.size(), 87u);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(b[1], 2);
  EXPECT_EQ(b[2], 2);
  EXPECT_EQ(b[3], 2);
  EXPECT_FLOAT_EQ(floatAt(b, 4), 12.5f);
  EXPECT_EQ(b[8], 3);
  EXPECT_FLOAT_EQ(floatAt(b, 9), 8.25f);
  EXPECT_FLOAT_EQ(floatAt(b, 13), 3.5f);
  EXPECT_FLOAT_EQ(floatAt(b, 17), 70.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 21), 21.0f);
  EXPECT_EQ(b[25], 2);
  EXPECT_FLOAT_EQ(floatAt(b, 26), 44.5f);
  EXPECT_EQ(b[30], 2);
  EXPECT_FLOAT_EQ(floatAt(b, 31), 2.5f);   // Pd
  EXPECT_FLOAT_EQ(floatAt(b, 35), 3.5f);   // Rjc
  EXPECT_FLOAT_EQ(floatAt(b, 43), 1.5f);   // Tadj
  EXPECT_FLOAT_EQ(floatAt(b, 51), 6.5f);   // Tja
  EXPECT_FLOAT_EQ(floatAt(b, 55), 0.01f);  // lambda_b
  EXPECT_FLOAT_EQ(floatAt(b, 63), 4.0f);   // pi_A
  EXPECT_FLOAT_EQ(floatAt(b, 75), 2.0f);   // pi_M
  EXPECT_FLOAT_EQ(floatAt(b, 83), 11.0f);  // pi_E
}

// ---- Text lines ---------------------------------------------------------------------

std::string blanks(std::size_t n) {
  return std::string(n, ' ');
}

TEST(MTransTextLines, DefaultRecordLines) {
  CMTrans m;  // high-power bipolar, in/out, gold, CW, Lower, 4 GHz, 1 W, 28 V of 55 V, 50.9 %
  std::string a, b;
  m.FormatDetail(a, b, "> ");
  // "%s%-14s %-6s %-8s %-6s %-9s %-9s %-8s %-8s": no duty cycle for CW; 4 (5,2) 4.00; 1 (7,4) 1.0000
  EXPECT_EQ(a, "> BipolarHiPower In/Out Gold     CW     " + blanks(9) + " Qu:Lower  4.00GHz  1.0000W ");
  // stress 50.9 (5,2) 50.90; Vop 28 (7,4) 28.0000; Vmax 55 (7,4) 55.0000
  EXPECT_EQ(b, "> Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)  Vstr:50.90%(28.0000V/55.0000V)");

  // at GB 25 C: lambda_b = 0.032 x exp(1.416 + 0.00558) = 0.132597; pi_T = 2 x (0.509 - 0.35) x 0.141032
  // = 0.044848; pi_A 7.6 (8,6) 7.60000; pi_M (3,1) 1.0; pi_Q 5.00; pi_E 1.00; CF 1.00000
  CCircHeader h = header(1, 25);
  m.Calculate(h);
  m.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *   PIA    * PIM *  PIQ  *  PIE  *   PICF  ");
  EXPECT_EQ(b, "    0.132597   0.044848   7.60000    1.0   5.00    1.00    1.00000 ");
}

TEST(MTransTextLines, LayoutsByType) {
  CMTrans low;
  configure(low, {1, 1, 1, 2, 10, 2, 4, 0.25f, 30, rise(12.5f)});
  low.IS_HYBRID = 1;
  std::string a, b;
  low.FormatDetail(a, b, "");
  // no matching, metal, application, duty cycle, quality (hybrid) nor frequency; 0.25 (7,4) 0.2500
  EXPECT_EQ(a, "BipolarLoPower " + blanks(6) + " " + blanks(8) + " " + blanks(6) + " " + blanks(9) + " " + blanks(9) +
                   " " + blanks(8) + " 0.2500W ");
  EXPECT_EQ(b, "Tj = Ta+Tja = Ta+12.50  Vstr:30.00%(Manual)");
  low.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *   PIR    *   PIS    *  PIQ  *  PIE  *   PICF  ");

  CMTrans pulsed;
  configure(pulsed, {2, 2, 2, 2, 12.5f, 1, 10.5f, 250, 50});
  pulsed.FormatDetail(a, b, "");
  // duty cycle 12.5 (5,2) 12.50; 10.5 GHz (5,2) 10.50; 250 W (7,4) 250.0000 is 8 long -> 250.000
  EXPECT_EQ(a, "BipolarHiPower Input  Aluminum Pulsed DC:12.50% Qu:JANTXV 10.50GHz 250.000W");

  CMTrans fet;
  configure(fet, {5, 3, 2, 2, 10, 3, 4, 1, 50});
  fet.FormatDetail(a, b, "");
  EXPECT_EQ(a, "SiMOSFET       " + blanks(6) + " " + blanks(8) + " " + blanks(6) + " " + blanks(9) +
                   " Qu:JAN.   " + blanks(8) + " " + blanks(8));
  EXPECT_EQ(b, "Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)");  // no stress for the FETs
  fet.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    * PIA * PIM *  PIQ  *  PIE  *   PICF  ");
}

TEST(MTransTextLines, EveryLineAtMost132Characters) {
  for (std::uint8_t type = 1; type <= 6; ++type) {
    for (float v : {3e38f, -1e-30f, kNaNf}) {
      CMTrans m;
      configure(m, {type, 2, 1, 2, v, 1, v, v, v, block(1, v, v, v, v, v, v)});
      m.VMAX = m.VOP = m.CF = v;
      m.LB = m.PIT = m.PIA = m.PIR = m.PIS = m.PIM = m.PIQ = m.PIE = v;
      for (const std::string& line : allLines(m, std::string(120, '>'))) EXPECT_LE(line.size(), 132u);
    }
  }
}

// ---- Pages ---------------------------------------------------------------------------

TEST(MTransPage, FieldsApplyByType) {
  struct Case {
    std::uint8_t type, app, stressMode;
    bool hybrid;
    const char* applies;  // '1' per field that applies, in page order
    double powerHi;
  };
  const Case cases[] = {
      {1, 1, 1, false, "101000011110", 0.9999},  {2, 2, 2, false, "111111111111", 99999},
      {2, 1, 1, true, "110110111110", 99999},    {3, 2, 1, false, "111010110000", 99999},
      {4, 1, 1, false, "111000000000", 99999},   {6, 1, 2, false, "101000000000", 99999},
  };
  const char* order[] = {"MTR_TYPE", "MTR_MATCH", "MTR_QU",   "MTR_METAL", "MTR_APP",        "MTR_DC",
                         "MTR_FREQ", "MTR_POWER", "MTR_VMAX", "MTR_VOP",   "MTR_STRESSMODE", "MTR_VSTRESS"};
  for (const Case& c : cases) {
    CMTrans m;
    m.TYPE = c.type;
    m.APP = c.app;
    m.STRESSMODE = c.stressMode;
    m.IS_HYBRID = c.hybrid ? 1 : 0;
    m.VMAX = 40.0f;
    m.VOP = 10.0f;
    RecordingVisitor v;
    m.paramPage(v);
    ASSERT_EQ(v.seen.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
      EXPECT_EQ(v.seen[i].keyword, order[i]);
      EXPECT_EQ(v.seen[i].applies, c.applies[i] == '1') << "type " << int(c.type) << ": " << order[i];
    }
    EXPECT_DOUBLE_EQ(v.seen[7].hi, static_cast<double>(static_cast<float>(c.powerHi)));
    EXPECT_DOUBLE_EQ(v.seen[9].hi, 40.0);  // Vop up to the record's Vmax
    if (c.type <= 2 && c.stressMode == 1) {
      EXPECT_FLOAT_EQ(m.VSTRESS, 25.0f);  // shows 10 / 40
    }
  }
  CMTrans m;
  RecordingVisitor temp;
  EXPECT_TRUE(m.tempPage(temp));
  ASSERT_EQ(temp.seen.size(), 7u);
  EXPECT_EQ(temp.seen[0].keyword, "MTR_TEMPMODE");
}

}  // namespace
}  // namespace kestrel
