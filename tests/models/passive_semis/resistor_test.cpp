#include "models/passive_semis/resistor.hpp"

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

// Relative closeness for hand-worked values quoted to 6-7 significant digits.
::testing::AssertionResult near(double actual, double expected, double relative = 1e-4) {
  const double tolerance = std::fabs(expected) * relative + 1e-12;
  if (std::isfinite(actual) && std::fabs(actual - expected) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

CCircHeader header(std::uint8_t env, float ambient) {
  CCircHeader h;
  h.ENV = env;
  h.TEMP = ambient;
  return h;
}

// A record with the stress entered directly, so the case states it.
void configure(CResistor& r, std::uint8_t style, std::uint8_t quality, float pmax, float stress,
               float trise) {
  r.TYPE = style;
  r.QU = quality;
  r.PMAX = pmax;
  r.PD = 0.0f;
  r.STRESSMODE = kStressManual;
  r.PSTRESS = stress;
  r.TRISE = trise;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  std::uint8_t style, quality, env;
  float ambient, trise, pmax, stress, cf, qty;
  double lb, pit, pip, pis, piq, pie, fr;
};

class ResistorFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(ResistorFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CResistor r;
  configure(r, c.style, c.quality, c.pmax, c.stress, c.trise);
  r.CF = c.cf;
  r.QTY = c.qty;
  CCircHeader h = header(c.env, c.ambient);
  r.Calculate(h);
  EXPECT_TRUE(near(r.LB, c.lb));
  EXPECT_TRUE(near(r.PIT, c.pit));
  EXPECT_TRUE(near(r.PIP, c.pip));
  EXPECT_TRUE(near(r.PIS, c.pis));
  EXPECT_TRUE(near(r.PIQ, c.piq));
  EXPECT_TRUE(near(r.PIE, c.pie));
  EXPECT_TRUE(near(r.FR, c.fr));
  EXPECT_FLOAT_EQ(r.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(r.S, c.stress);
  EXPECT_EQ(r.OverFlags, 0u);
}

// Ea/k: column 1 0.2 x 11604.967 = 2320.993 K, column 2 0.08 x 11604.967 = 928.3974 K.
INSTANTIATE_TEST_SUITE_P(
    Cases, ResistorFailureRate,
    ::testing::Values(
        // RC, Non-ER, GB, 25 C, Pmax 0.25 W, 40 %:
        // pi_T = 1 (T = 25); pi_P = 0.25^0.39 = exp(0.39 x -1.386294) = exp(-0.540655) = 0.582367;
        // pi_S curve 2 = 0.54 x exp(2.04 x 0.40) = 0.54 x 2.261436 = 1.221175; pi_Q 3.0; pi_E 1.0;
        // FR = 0.0017 x 1 x 0.582367 x 1.221175 x 3.0 x 1.0 = 0.0036270
        RateCase{"CarbonCompositionAtGroundBenign", 2, 5, 1, 25, 0, 0.25f, 40, 1, 1,  //
                 0.0017, 1.0, 0.582367, 1.221175, 3.0, 1.0, 0.0036270},
        // RLR, S, AIF, 55 + 15 = 70 C, Pmax 1 W, 50 %:
        // pi_T col 2 = exp(-928.3974 x (1/343 - 1/298)) = exp(-928.3974 x -0.00044025) = exp(0.408730)
        // = 1.504905; pi_P = 1^0.39 = 1; pi_S curve 1 = 0.71 x exp(1.1 x 0.5) = 0.71 x 1.733253 = 1.230610;
        // pi_Q 0.03; pi_E 23; FR = 0.0037 x 1.504905 x 1 x 1.230610 x 0.03 x 23 = 0.0047280
        RateCase{"FilmErWithRiseAtAirborneInhabitedFighter", 3, 1, 7, 55, 15, 1.0f, 50, 1, 1,  //
                 0.0037, 1.504905, 1.0, 1.230610, 0.03, 23.0, 0.0047280},
        // RWR, R, NU, 40 + 60 = 100 C, Pmax 5 W, 80 %:
        // pi_T col 2 = exp(928.3974 x (1/298 - 1/373)) = exp(928.3974 x 0.00067474) = exp(0.626426)
        // = 1.870913; pi_P = 5^0.39 = exp(0.39 x 1.609438) = exp(0.627681) = 1.873261; pi_S curve 2 = 0.54 x
        // exp(2.04 x 0.8) = 0.54 x exp(1.632) = 0.54 x 5.114093 = 2.761610; pi_Q 0.1; pi_E 42; FR = 0.0024
        // x 1.870913 x 1.873261 x 2.761610 x 0.1 x 42 = 0.097561
        RateCase{"PowerWirewoundErHotAtNavalUnsheltered", 12, 2, 5, 40, 60, 5.0f, 80, 1, 1,  //
                 0.0024, 1.870913, 1.873261, 2.761610, 0.1, 42.0, 0.097561},
        // RTH, Commercial, CL, 100 + 50 C, Pmax 2 W, 90 %, CF 2, QTY 7:
        // pi_T = pi_S = 1 for a thermistor; pi_P = 2^0.39 = exp(0.39 x 0.693147) = exp(0.270327) = 1.310393;
        // pi_Q 10; pi_E 1728; FR = 0.0019 x 1.310393 x 10 x 1728 x CF 2 = 86.04567 (QTY not applied)
        RateCase{"ThermistorCommercialAtCannonLaunchWithCorrectionFactor", 16, 6, 14, 100, 50, 2.0f, 90, 2, 7,
                 0.0019, 1.0, 1.310393, 1.0, 10.0, 1728.0, 86.04567},
        // RD, M, GF, 85 C, Pmax 0.5 W, 20 %:
        // pi_T = 1 (no column for RD); pi_P = 0.5^0.39 = exp(-0.270327) = 0.763130;
        // pi_S curve 1 = 0.71 x exp(0.22) = 0.71 x 1.246077 = 0.884715; pi_Q 1.0; pi_E 4;
        // FR = 0.0037 x 0.763130 x 0.884715 x 1.0 x 4 = 0.0099922
        RateCase{"PowerFilmHasNoTemperatureFactor", 8, 4, 2, 85, 0, 0.5f, 20, 1, 1,  //
                 0.0037, 1.0, 0.763130, 0.884715, 1.0, 4.0, 0.0099922},
        // RZ, P, SF, 125 C, Pmax 0.25 W, 95 %:
        // pi_T col 1 = exp(2320.993 x (1/298 - 1/398)) = exp(2320.993 x 0.00084314) = exp(1.956932)
        // = 7.077542; pi_S = 1 (no curve for RZ); pi_P 0.582367; pi_Q 0.3; pi_E 0.5; FR = 0.0019 x 7.077542 x
        // 0.582367 x 0.3 x 0.5 = 0.0011747
        RateCase{"FilmNetworkHasNoStressFactor", 9, 3, 11, 125, 0, 0.25f, 95, 1, 1,  //
                 0.0019, 7.077542, 0.582367, 1.0, 0.3, 0.5, 0.0011747},
        // RCR, S, ML, 0 C, Pmax 0.125 W, 0 %:
        // pi_T col 1 = exp(-2320.993 x (1/273 - 1/298)) = exp(-2320.993 x 0.00030730) = exp(-0.713246) =
        // 0.490054; pi_P = 0.125^0.39 = exp(0.39 x -2.079442) = exp(-0.810982) = 0.444421; pi_S curve 2 at 0
        // = 0.54; pi_Q 0.03; pi_E 87; FR = 0.0017 x 0.490054 x 0.444421 x 0.54 x 0.03 x 87 = 0.00052182
        RateCase{"CarbonCompositionErBelowRoomTemperatureAtMissileLaunch", 1, 1, 13, 0, 0, 0.125f, 0, 1, 1,
                 0.0017, 0.490054, 0.444421, 0.54, 0.03, 87.0, 0.00052182},
        // RBR, M, MF, -55 C, Pmax 10 W, 100 %:
        // pi_T col 2 = exp(-928.3974 x (1/218 - 1/298)) = exp(-928.3974 x 0.00123145) = exp(-1.143276) =
        // 0.318773; pi_P = 10^0.39 = 2.454709; pi_S curve 1 = 0.71 x exp(1.1) = 0.71 x 3.004166 = 2.132958;
        // pi_Q 1.0; pi_E 37; FR = 0.0024 x 0.318773 x 2.454709 x 2.132958 x 1.0 x 37 = 0.14821
        RateCase{"PrecisionWirewoundErColdAtFullStress", 10, 4, 12, -55, 0, 10.0f, 100, 1, 1,  //
                 0.0024, 0.318773, 2.454709, 2.132958, 1.0, 37.0, 0.14821},
        // RN, Non-ER, GM, 60 C, Pmax 0.25 W, 40 %:
        // pi_T col 2 = exp(928.3974 x (1/298 - 1/333)) = exp(928.3974 x 0.00035270) = exp(0.327443)
        // = 1.387422; pi_S curve 1 = 0.71 x exp(0.44) = 0.71 x 1.552707 = 1.102422; pi_Q 3; pi_E 16; FR =
        // 0.0037 x 1.387422 x 0.582367 x 1.102422 x 3 x 16 = 0.15820
        RateCase{"PrecisionFilmAtGroundMobile", 6, 5, 3, 60, 0, 0.25f, 40, 1, 1,  //
                 0.0037, 1.387422, 0.582367, 1.102422, 3.0, 16.0, 0.15820}),
    labelOf<RateCase>);

// ---- Every style at room temperature -----------------------------------------

struct StyleCase {
  const char* label;
  std::uint8_t style;
  double lb;
  double pis;  // at 40 %: curve 1 0.71 x exp(0.44) = 1.102422, curve 2 0.54 x exp(0.816) = 1.221175
};

class ResistorStyleTable : public ::testing::TestWithParam<StyleCase> {};

// Ambient 25 C with no rise: pi_T = exp(0) = 1 for every style; Pmax 1 W: pi_P = 1;
// M quality (1.0) at GB (1.0), so FR = lambda_b x pi_S.
TEST_P(ResistorStyleTable, RoomTemperatureGivesUnitTemperatureFactor) {
  const StyleCase& c = GetParam();
  CResistor r;
  configure(r, c.style, 4, 1.0f, 40, 0);
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.LB, c.lb));
  EXPECT_FLOAT_EQ(r.PIT, 1.0f);
  EXPECT_FLOAT_EQ(r.PIP, 1.0f);
  EXPECT_TRUE(near(r.PIS, c.pis));
  EXPECT_TRUE(near(r.FR, c.lb * c.pis));
  EXPECT_EQ(r.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, ResistorStyleTable,
    ::testing::Values(StyleCase{"RCR", 1, 0.0017, 1.221175}, StyleCase{"RC", 2, 0.0017, 1.221175},
                      StyleCase{"RLR", 3, 0.0037, 1.102422}, StyleCase{"RL", 4, 0.0037, 1.102422},
                      StyleCase{"RNR", 5, 0.0037, 1.102422}, StyleCase{"RN", 6, 0.0037, 1.102422},
                      StyleCase{"RM", 7, 0.0037, 1.102422}, StyleCase{"RD", 8, 0.0037, 1.102422},
                      StyleCase{"RZ", 9, 0.0019, 1.0}, StyleCase{"RBR", 10, 0.0024, 1.102422},
                      StyleCase{"RB", 11, 0.0024, 1.102422}, StyleCase{"RWR", 12, 0.0024, 1.221175},
                      StyleCase{"RW", 13, 0.0024, 1.221175}, StyleCase{"RER", 14, 0.0024, 1.221175},
                      StyleCase{"RE", 15, 0.0024, 1.221175}, StyleCase{"RTH", 16, 0.0019, 1.0}),
    labelOf<StyleCase>);

struct ColumnCase {
  const char* label;
  std::uint8_t style;
  double pit;  // at 125 C
};

class ResistorTemperatureColumn : public ::testing::TestWithParam<ColumnCase> {};

// At 125 C: column 1 exp(2320.993 x (1/298 - 1/398)) = exp(1.956932) = 7.077542;
// column 2 exp(928.3974 x 0.00084314) = exp(0.782771) = 2.187525; no column: 1.
TEST_P(ResistorTemperatureColumn, StyleUsesItsColumn) {
  const ColumnCase& c = GetParam();
  CResistor r;
  configure(r, c.style, 4, 1.0f, 40, 100);
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.PIT, c.pit));
}

INSTANTIATE_TEST_SUITE_P(Styles, ResistorTemperatureColumn,
                         ::testing::Values(ColumnCase{"RCR", 1, 7.077542}, ColumnCase{"RC", 2, 7.077542},
                                           ColumnCase{"RLR", 3, 2.187525}, ColumnCase{"RL", 4, 2.187525},
                                           ColumnCase{"RNR", 5, 2.187525}, ColumnCase{"RN", 6, 2.187525},
                                           ColumnCase{"RM", 7, 2.187525}, ColumnCase{"RD", 8, 1.0},
                                           ColumnCase{"RZ", 9, 7.077542}, ColumnCase{"RBR", 10, 2.187525},
                                           ColumnCase{"RB", 11, 2.187525}, ColumnCase{"RWR", 12, 2.187525},
                                           ColumnCase{"RW", 13, 2.187525}, ColumnCase{"RER", 14, 2.187525},
                                           ColumnCase{"RE", 15, 2.187525}, ColumnCase{"RTH", 16, 1.0}),
                         labelOf<ColumnCase>);

TEST(ResistorStyleTable, ThermistorIgnoresTemperatureAndStress) {
  // RTH at 150 + 150 C and 100 %: pi_T = pi_S = 1;
  // FR = 0.0019 x 0.25^0.39 x pi_Q x pi_E x CF = 0.0019 x 0.582367 x 0.3 x 12 x 1.5 = 0.0059750
  CResistor r;
  configure(r, 16, 3, 0.25f, 100, 150);
  r.CF = 1.5f;
  CCircHeader h = header(4, 150);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIT, 1.0f);
  EXPECT_FLOAT_EQ(r.PIS, 1.0f);
  EXPECT_TRUE(near(r.FR, 0.0059750));
}

// ---- Over-temperature and over-stress flags ----------------------------------

struct LimitCase {
  const char* label;
  float trise, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class ResistorLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ResistorLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CResistor r;
  configure(r, 2, 5, 0.25f, c.stress, c.trise);
  r.TEMPLIMIT = c.tempLimit;
  r.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_EQ(r.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ResistorLimitFlags,
    ::testing::Values(LimitCase{"TemperatureEqualToLimit", 100, 125, 40, 100, 0u},
                      LimitCase{"TemperatureJustAboveLimit", 100.25f, 125, 40, 100, OverTemp},
                      LimitCase{"StressEqualToLimit", 0, 175, 50, 50, 0u},
                      LimitCase{"StressJustAboveLimit", 0, 175, 50.25f, 50, OverStress},
                      LimitCase{"BothAboveLimits", 100.25f, 125, 50.25f, 50, OverTemp | OverStress}),
    labelOf<LimitCase>);

// ---- Hybrid parts ------------------------------------------------------------

TEST(ResistorHybridPart, QualityAndEnvironmentFactorsAreOne) {
  // RC hybrid part at CL with Commercial quality stored: pi_Q = pi_E = 1;
  // FR = 0.0017 x 0.582367 x 1.221175 = 0.0012090
  CResistor r;
  configure(r, 2, 6, 0.25f, 40, 0);
  r.IS_HYBRID = 1;
  CCircHeader h = header(14, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(r.PIE, 1.0f);
  EXPECT_TRUE(near(r.FR, 0.0012090));
  EXPECT_EQ(r.GetTypeName(), "Resistor(Hyb)");
  EXPECT_EQ(CResistor{}.GetTypeName(), "Resistor");
}

TEST(ResistorHybridPart, NeverRunsSurfaceMountStep) {
  CResistor r;
  r.IS_HYBRID = 1;
  r.IS_SMT = 1;
  r.SmtCalcFlag = 1;  // stale result
  r.FRSMT = 5.0f;
  r.TRISE = 20;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  r.Calculate(h);
  EXPECT_EQ(r.SmtCalcFlag, 0);
  EXPECT_FLOAT_EQ(r.SMT_TEMPRISE, 0.0f);  // the default rise is not copied either
}

TEST(ResistorHybridPart, DetailLineShowsNoQuality) {
  CResistor r;
  r.IS_HYBRID = 1;
  std::string a, b;
  r.FormatDetail(a, b, "");
  // style padded to 30, value "100.00 ohms" padded to 17, then 13 blanks for the quality
  EXPECT_EQ(a,
            "RC (CarbonComposition)        "
            "  "
            "100.00 ohms      "
            "  "
            "             ");
}

TEST(ResistorHybridPart, WhatIfLeavesQualityAlone) {
  CResistor r;
  r.IS_HYBRID = 1;
  WhatIfSettings s;
  s.qualityMode = SetDirect;
  s.qualityLevel = 1;
  r.ApplyWhatIf(s);
  EXPECT_EQ(r.QU, 5);
}

// ---- Surface mounting --------------------------------------------------------

TEST(ResistorSurfaceMount, DefaultModeTakesResistorRise) {
  CResistor r;
  r.IS_SMT = 1;
  r.SMT_TRISEMODE = 1;
  r.SMT_TEMPRISE = 3.0f;
  r.TRISE = 20.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  r.Calculate(h);
  EXPECT_EQ(r.SmtCalcFlag, 1);
  EXPECT_GT(r.FRSMT, 0.0f);
  EXPECT_TRUE(std::isfinite(r.FRSMT));
  EXPECT_FLOAT_EQ(r.SMT_TEMPRISE, 20.0f);
}

TEST(ResistorSurfaceMount, ManualModeKeepsEnteredRise) {
  CResistor r;
  r.IS_SMT = 1;
  r.SMT_TRISEMODE = 2;
  r.SMT_TEMPRISE = 3.0f;
  r.TRISE = 20.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  r.Calculate(h);
  EXPECT_EQ(r.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(r.SMT_TEMPRISE, 3.0f);
}

TEST(ResistorSurfaceMount, CircuitWithoutAnalysisClearsFlag) {
  CResistor r;
  r.IS_SMT = 1;
  r.SmtCalcFlag = 1;
  CCircHeader h = header(1, 25);
  h.HASSMT = 0;
  r.Calculate(h);
  EXPECT_EQ(r.SmtCalcFlag, 0);
}

// ---- Stored values outside their ranges ---------------------------------------

TEST(ResistorStoredChoices, StyleBeyondListIsClampedAndFlagged) {
  // Style 200 is limited to 16 (RTH): FR = 0.0019 x 0.582367 x 3.0 x 1.0 = 0.0033195
  CResistor r;
  configure(r, 200, 5, 0.25f, 40, 0);
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_EQ(r.TYPE, 16);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(r.FR, 0.0033195));
}

TEST(ResistorStoredChoices, QualityZeroIsClampedAndFlagged) {
  // Quality 0 is limited to 1 (S, 0.03): FR = 0.0017 x 0.582367 x 1.221175 x 0.03 = 3.6270e-5
  CResistor r;
  configure(r, 2, 0, 0.25f, 40, 0);
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_EQ(r.QU, 1);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(r.FR, 3.6270e-5));
}

struct EnvCase {
  const char* label;
  std::uint8_t env;
  double pie;
};

class ResistorStoredEnvironment : public ::testing::TestWithParam<EnvCase> {};

TEST_P(ResistorStoredEnvironment, HeaderEnvironmentOutsideListIsClampedAndFlagged) {
  const EnvCase& c = GetParam();
  CResistor r;
  CCircHeader h = header(c.env, 25);
  r.Calculate(h);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_FLOAT_EQ(r.PIE, static_cast<float>(c.pie));
}

INSTANTIATE_TEST_SUITE_P(Environments, ResistorStoredEnvironment,
                         ::testing::Values(EnvCase{"ZeroBecomesGroundBenign", 0, 1.0},
                                           EnvCase{"NinetyNineBecomesCannonLaunch", 99, 1728.0}),
                         labelOf<EnvCase>);

TEST(ResistorStoredChoices, NormalizeClampsEveryChoice) {
  CResistor r;
  r.TYPE = 200;
  r.RESUNIT = 9;
  r.QU = 0;
  r.STRESSMODE = 7;
  r.normalizeChoices();
  EXPECT_EQ(r.TYPE, 16);
  EXPECT_EQ(r.RESUNIT, 3);
  EXPECT_EQ(r.QU, 1);
  EXPECT_EQ(r.STRESSMODE, 2);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);

  CResistor valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

struct ExtremeCase {
  const char* label;
  float ambient, trise, stress, pmax, cf;
  float expectedT, expectedS;
};

class ResistorExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(ResistorExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CResistor r;
  configure(r, 1, 5, c.pmax, c.stress, c.trise);
  r.CF = c.cf;
  CCircHeader h = header(1, c.ambient);
  r.Calculate(h);
  EXPECT_TRUE(std::isfinite(r.FR));
  EXPECT_TRUE(std::isfinite(r.PIT));
  EXPECT_TRUE(std::isfinite(r.PIS));
  EXPECT_TRUE(std::isfinite(r.PIP));
  EXPECT_GE(r.FR, 0.0f);
  EXPECT_FLOAT_EQ(r.T, c.expectedT);
  EXPECT_FLOAT_EQ(r.S, c.expectedS);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(Stored, ResistorExtremeValues,
                         ::testing::Values(
                             // body temperature limited to ambient -55..175 plus a rise of 0..150
                             ExtremeCase{"HugeRiseLimitedTo325", 25, 1e30f, 40, 0.25f, 1, 325, 40},
                             ExtremeCase{"NegativeHugeRiseLimitedToMinus55", 25, -1e30f, 40, 0.25f, 1, -55,
                                         40},
                             ExtremeCase{"RiseNotANumber", 25, kNaNf, 40, 0.25f, 1, -55, 40},
                             ExtremeCase{"AmbientBelowAbsoluteZero", -300, 0, 40, 0.25f, 1, -55, 40},
                             ExtremeCase{"HugeStressLimitedTo100", 25, 0, 1e30f, 0.25f, 1, 25, 100},
                             ExtremeCase{"StressNotANumber", 25, 0, kNaNf, 0.25f, 1, 25, 0},
                             ExtremeCase{"ZeroPmax", 25, 0, 40, 0.0f, 1, 25, 40},
                             ExtremeCase{"NegativePmax", 25, 0, 40, -4.0f, 1, 25, 40},
                             ExtremeCase{"CorrectionFactorNotANumber", 25, 0, 40, 0.25f, kNaNf, 25, 40},
                             ExtremeCase{"HugeCorrectionFactor", 25, 0, 40, 0.25f, 3e38f, 25, 40}),
                         labelOf<ExtremeCase>);

TEST(ResistorExtremeValues, ZeroPmaxUsesSmallestRating) {
  // Pmax 0 is limited to 0.01 W: pi_P = 0.01^0.39 = exp(0.39 x -4.605170) = exp(-1.796016) = 0.165959
  CResistor r;
  configure(r, 2, 5, 0.0f, 40, 0);
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.PIP, 0.165959));
}

// ---- Import by keyword -------------------------------------------------------

// Maps the resistor keywords to input fields 3..11.
void mapResistorKeywords(ImportSetup& s, const char* mode, double stress) {
  s.map("RES_TYPE", 3, std::string("RWR (PowerWirewound,ER)"));
  s.map("RES_RES", 4, 4.7);
  s.map("RES_RESUNIT", 5, std::string("Kohms"));
  s.map("RES_QU", 6, std::string("R (ER)"));
  s.map("RES_PMAX", 7, 2.0);
  s.map("RES_PD", 8, 0.5);
  s.map("RES_STRESSMODE", 9, std::string(mode));
  s.map("RES_PSTRESS", 10, stress);
  s.map("RES_TRISE", 11, 30.0);
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

TEST(ResistorImport, ComputedModeReadsEverythingButStress) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 90.0);
  dropKeyword(s, "RES_PSTRESS");  // reading it would fail the import
  CResistor r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.TYPE, 12);
  EXPECT_FLOAT_EQ(r.RES, 4.7f);
  EXPECT_EQ(r.RESUNIT, 2);
  EXPECT_EQ(r.QU, 2);
  EXPECT_FLOAT_EQ(r.PMAX, 2.0f);
  EXPECT_FLOAT_EQ(r.PD, 0.5f);
  EXPECT_EQ(r.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(r.PSTRESS, 25.0f);  // 0.5 / 2 x 100
  EXPECT_FLOAT_EQ(r.TRISE, 30.0f);
}

TEST(ResistorImport, ManualModeReadsStress) {
  ImportSetup s;
  mapResistorKeywords(s, "Manual", 90.0);
  CResistor r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.STRESSMODE, 2);
  EXPECT_FLOAT_EQ(r.PSTRESS, 90.0f);
  EXPECT_FLOAT_EQ(r.TRISE, 30.0f);

  ImportSetup missing;
  mapResistorKeywords(missing, "Manual", 90.0);
  dropKeyword(missing, "RES_PSTRESS");
  CResistor q;
  EXPECT_FALSE(q.ImportFields(missing.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(q.TRISE, 0.0f);  // not reached
}

TEST(ResistorImport, DissipationLimitedToPmaxJustRead) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 0.0);
  s.map("RES_PMAX", 7, 0.5);
  s.map("RES_PD", 8, 3.0);
  CResistor r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(r.PD, 0.5f);
  EXPECT_FLOAT_EQ(r.PSTRESS, 100.0f);
  bool logged = false;
  for (const std::string& line : s.log) logged |= line.find("'RES_PD'") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST(ResistorImport, PmaxZeroIsRaisedToSmallestRating) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 0.0);
  s.map("RES_PMAX", 7, 0.0);
  s.map("RES_PD", 8, 0.0);
  CResistor r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(r.PMAX, 0.01f);
  EXPECT_FLOAT_EQ(r.PSTRESS, 0.0f);
}

TEST(ResistorImport, HybridPartDoesNotReadQuality) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 0.0);
  CResistor r;
  r.IS_HYBRID = 1;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.QU, 5);  // "R (ER)" mapped but not read

  ImportSetup noQuality;
  mapResistorKeywords(noQuality, "Calc=Pd/Pmax", 0.0);
  dropKeyword(noQuality, "RES_QU");
  CResistor h;
  h.IS_HYBRID = 1;
  EXPECT_TRUE(h.ImportFields(noQuality.reader, false, false, 25.0f));
}

TEST(ResistorImport, FirstFailingReaderStopsImport) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 0.0);
  dropKeyword(s, "RES_QU");
  CResistor r;
  EXPECT_FALSE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.TYPE, 12);           // read before the failure
  EXPECT_FLOAT_EQ(r.PMAX, 0.25f);  // after it: not read
  EXPECT_FLOAT_EQ(r.TRISE, 0.0f);
  ASSERT_FALSE(s.log.empty());
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('RES_QU').");
}

TEST(ResistorImport, MissingTemperatureRiseKeywordFails) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 0.0);
  dropKeyword(s, "RES_TRISE");
  CResistor r;
  EXPECT_FALSE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(r.PSTRESS, 25.0f);  // everything before it was read
}

TEST(ResistorImport, BaseFieldsReadFirst) {
  ImportSetup s;
  mapResistorKeywords(s, "Calc=Pd/Pmax", 0.0);
  s.map("PN", 12, std::string("rc07"));
  dropKeyword(s, "RES_TYPE");
  CResistor r;
  EXPECT_FALSE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.PN, "RC07");
  EXPECT_FLOAT_EQ(r.RES, 100.0f);  // nothing of the resistor's own read
}

// ---- What-If? ----------------------------------------------------------------

struct QualityCase {
  const char* label;
  std::uint8_t mode;
  float level;
  std::uint8_t start, expected;
};

class ResistorWhatIfQuality : public ::testing::TestWithParam<QualityCase> {};

TEST_P(ResistorWhatIfQuality, ChangesQualityWithinOneToSix) {
  const QualityCase& c = GetParam();
  CResistor r;
  r.QU = c.start;
  WhatIfSettings s;
  s.qualityMode = c.mode;
  s.qualityLevel = c.level;
  r.ApplyWhatIf(s);
  EXPECT_EQ(r.QU, c.expected);
  EXPECT_FLOAT_EQ(r.PSTRESS, 40.0f);  // stress mode NoChange
  EXPECT_EQ(r.STRESSMODE, 1);
}

INSTANTIATE_TEST_SUITE_P(Rules, ResistorWhatIfQuality,
                         ::testing::Values(QualityCase{"IncreaseByTwoFromThree", Increase, 2, 3, 1},
                                           QualityCase{"IncreaseByTwoFromTwoStopsAtBest", Increase, 2, 2, 1},
                                           QualityCase{"DecreaseByThreeStopsAtCommercial", Decrease, 3, 5, 6},
                                           QualityCase{"SetDirect", SetDirect, 2, 5, 2},
                                           QualityCase{"SetDirectAboveListStopsAtSix", SetDirect, 9, 5, 6},
                                           QualityCase{"NoChange", NoChange, 2, 4, 4}),
                         labelOf<QualityCase>);

struct StressCase {
  const char* label;
  bool hybrid;
  std::uint8_t mode;
  float value;
  std::uint8_t startMode;
  float startStress;
  std::uint8_t expectedMode;
  float expectedStress;
};

class ResistorWhatIfStress : public ::testing::TestWithParam<StressCase> {};

TEST_P(ResistorWhatIfStress, ChangesStressAndMode) {
  const StressCase& c = GetParam();
  CResistor r;  // Pd 0.1 W, Pmax 0.25 W
  r.IS_HYBRID = c.hybrid ? 1 : 0;
  r.STRESSMODE = c.startMode;
  r.PSTRESS = c.startStress;
  r.TRISE = 12.0f;
  WhatIfSettings s;
  s.stressMode = c.mode;
  s.stressValue = c.value;
  r.ApplyWhatIf(s);
  EXPECT_EQ(r.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(r.PSTRESS, c.expectedStress);
  EXPECT_FLOAT_EQ(r.TRISE, 12.0f);  // never changed by What-If?
  EXPECT_FLOAT_EQ(r.PD, 0.1f);
}

INSTANTIATE_TEST_SUITE_P(Rules, ResistorWhatIfStress,
                         ::testing::Values(
                             // 0.1 / 0.25 x 100 = 40
                             StressCase{"SetToCalcModeFromManualGivesPdOverPmax", false, SetToCalcMode, 0, 2,
                                        75, 1, 40},
                             StressCase{"SetDirectSwitchesToManual", false, SetDirect, 70, 1, 40, 2, 70},
                             StressCase{"IncreaseLimitedToHundred", false, Increase, 30, 2, 80, 2, 100},
                             StressCase{"DecreaseLimitedToZero", false, Decrease, 50, 1, 40, 2, 0},
                             StressCase{"NoChange", false, NoChange, 70, 2, 55, 2, 55},
                             StressCase{"HybridPartStressStillChanged", true, SetDirect, 60, 1, 40, 2, 60}),
                         labelOf<StressCase>);

// ---- Update ------------------------------------------------------------------

struct UpdateCase {
  const char* label;
  float ownPmax;
  float otherPd;
  std::uint8_t otherMode;
  float otherStress;
  float expectedPd, expectedStress;
};

class ResistorUpdate : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(ResistorUpdate, CopiesApplicationParametersOnly) {
  const UpdateCase& c = GetParam();
  CResistor own;
  own.PN = "OWN";
  own.TYPE = 12;
  own.RES = 47.0f;
  own.RESUNIT = 2;
  own.QU = 1;
  own.PMAX = c.ownPmax;
  own.PD = 0.01f;
  own.LB = 0.5f;
  CResistor other;
  other.PN = "OTHER";
  other.TYPE = 3;
  other.RES = 1.0f;
  other.RESUNIT = 3;
  other.QU = 6;
  other.PMAX = 10.0f;
  other.PD = c.otherPd;
  other.STRESSMODE = c.otherMode;
  other.PSTRESS = c.otherStress;
  other.TRISE = 40.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.PD, c.expectedPd);
  EXPECT_EQ(own.STRESSMODE, c.otherMode);
  EXPECT_FLOAT_EQ(own.PSTRESS, c.expectedStress);
  EXPECT_FLOAT_EQ(own.TRISE, 40.0f);
  // kept: identity, style, value, unit, quality, rating and results
  EXPECT_EQ(own.PN, "OWN");
  EXPECT_EQ(own.TYPE, 12);
  EXPECT_FLOAT_EQ(own.RES, 47.0f);
  EXPECT_EQ(own.RESUNIT, 2);
  EXPECT_EQ(own.QU, 1);
  EXPECT_FLOAT_EQ(own.PMAX, c.ownPmax);
  EXPECT_FLOAT_EQ(own.LB, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResistorUpdate,
                         ::testing::Values(
                             // 0.5 W above own 0.25 W: Pd = 0.25, stress 0.25 / 0.25 x 100 = 100
                             UpdateCase{"DissipationAboveOwnPmaxTakesPmax", 0.25f, 0.5f, 1, 7, 0.25f, 100},
                             UpdateCase{"DissipationEqualToOwnPmaxTakesPmax", 0.25f, 0.25f, 1, 7, 0.25f, 100},
                             // 0.05 / 0.25 x 100 = 20 (the other record's 7 % is not taken)
                             UpdateCase{"ComputedModeUsesOwnPmax", 0.25f, 0.05f, 1, 7, 0.05f, 20},
                             UpdateCase{"ManualModeTakesOtherStress", 0.25f, 0.1f, 2, 66, 0.1f, 66}),
                         labelOf<UpdateCase>);

TEST(ResistorUpdate, ZeroOwnPmaxGivesNoNaN) {
  CResistor own;
  own.PMAX = 0.0f;
  CResistor other;  // computed mode, Pd 0.1
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.PD, 0.0f);
  EXPECT_FLOAT_EQ(own.PSTRESS, 100.0f);
  EXPECT_EQ(own.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(ResistorUpdate, OtherClassChangesNothing) {
  CResistor own;
  CMisc misc;
  misc.TRISE = 50.0f;
  own.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(own.TRISE, 0.0f);
  EXPECT_FLOAT_EQ(own.PD, 0.1f);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CResistor& r) {
  r.PN = "RWR80S1R00FR";
  r.REFDES = "R12";
  r.PART_TYPE = 401;
  r.QTY = 3.0f;
  r.CF = 1.25f;
  r.IS_SMT = 1;
  r.SMT_TEMPRISE = 7.5f;
  r.FR = 0.123f;
  r.S = 33.0f;
  r.T = 66.0f;
  r.OverFlags = OverTemp;
  r.NOTES = "note";
  r.TYPE = 13;
  r.RES = 4.7f;
  r.RESUNIT = 3;
  r.QU = 2;
  r.PMAX = 3.0f;
  r.PD = 1.5f;
  r.STRESSMODE = 2;
  r.PSTRESS = 55.5f;
  r.TRISE = 41.0f;
  r.LB = 0.0024f;
  r.PIT = 1.7f;
  r.PIP = 1.5f;
  r.PIS = 2.25f;
  r.PIQ = 0.1f;
  r.PIE = 42.0f;
}

TEST(ResistorCopyAndArchive, OwnFieldsTakeFortyEightBytes) {
  // 4 bytes (style, unit, quality, mode) + 11 floats x 4 = 48
  CResistor r;
  fill(r);
  Archive whole = Archive::forWriting();
  r.Serialize(whole);
  Archive base = Archive::forWriting();
  r.CPart::Serialize(base);
  EXPECT_EQ(whole.bytes().size() - base.bytes().size(), 48u);
}

// Reads a little-endian 32-bit float out of a byte buffer.
float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(ResistorCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // style, resistance, unit, quality, Pmax, Pd, mode, stress, rise, then
  // lambda_b, pi_T, pi_P, pi_S, pi_Q, pi_E
  CResistor r;
  fill(r);
  Archive whole = Archive::forWriting();
  r.Serialize(whole);
  Archive base = Archive::forWriting();
  r.CPart::Serialize(base);
  const std::vector<std::uint8_t>& b = whole.bytes();
  const std::size_t at = base.bytes().size();
  ASSERT_EQ(b.size(), at + 48);
  EXPECT_EQ(b[at + 0], 13);
  EXPECT_FLOAT_EQ(floatAt(b, at + 1), 4.7f);
  EXPECT_EQ(b[at + 5], 3);
  EXPECT_EQ(b[at + 6], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 7), 3.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 11), 1.5f);
  EXPECT_EQ(b[at + 15], 2);
  EXPECT_FLOAT_EQ(floatAt(b, at + 16), 55.5f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 20), 41.0f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 24), 0.0024f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 28), 1.7f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 32), 1.5f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 36), 2.25f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 40), 0.1f);
  EXPECT_FLOAT_EQ(floatAt(b, at + 44), 42.0f);
}

// ---- Text lines --------------------------------------------------------------

TEST(ResistorTextLines, DefaultDetailLines) {
  CResistor r;
  std::string a, b;
  r.FormatDetail(a, b, "> ");
  // "%s%-30s  %-17s  %-13s"
  EXPECT_EQ(a,
            "> RC (CarbonComposition)        "
            "  "
            "100.00 ohms      "
            "  "
            "Qu:Non-ER    ");
  // "%s%-14s  %-12s  %-25s  %-12s": Pmax (8,5), Pd (8,5), stress (5,2), rise (6,2; zero prints 0.0)
  EXPECT_EQ(b,
            "> Pmax:0.25000W "
            "  "
            "Pd:0.10000W "
            "  "
            "Pstr:40.00%(Calc=Pd/Pmax)"
            "  "
            "Trise:0.0   ");
}

TEST(ResistorTextLines, FactorLinesAfterCalculation) {
  CResistor r;  // RC, Non-ER, Pmax 0.25, 40 %, at GB 25 C
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  std::string a, b;
  r.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *   PIP    *   PIS    *  PIQ  *  PIE  *   PICF  ");
  // LB 0.001700 (8,6); PIT 1.00000 and PIS 1.22118 (precision 5 from 1 to 10);
  // PIP 0.582367; PIQ 3.00, PIE 1.00 (5,2); CF 1.00000
  EXPECT_EQ(b,
            "    "
            "0.001700"
            "   "
            "1.00000 "
            "   "
            "0.582367"
            "   "
            "1.22118 "
            "   "
            "3.00 "
            "   "
            "1.00 "
            "   "
            "1.00000 ");
}

TEST(ResistorTextLines, ManualModeAndOtherChoicesShowTheirTexts) {
  CResistor r;
  r.TYPE = 14;
  r.RES = 2.2f;
  r.RESUNIT = 3;
  r.QU = 1;
  r.STRESSMODE = 2;
  r.PSTRESS = 5.0f;
  r.TRISE = 12.5f;
  std::string a, b;
  r.FormatDetail(a, b, "");
  EXPECT_EQ(a,
            "RER (ChassisMountWirewound,ER)"
            "  "
            "2.20 Megohms     "
            "  "
            "Qu:S (ER)    ");
  EXPECT_EQ(b,
            "Pmax:0.25000W "
            "  "
            "Pd:0.10000W "
            "  "
            "Pstr:5.00%(Manual)       "
            "  "
            "Trise:12.50 ");
}

struct LineCase {
  const char* label;
  float value;
  std::size_t prefixLength;
};

class ResistorTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(ResistorTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CResistor r;
  r.TYPE = 14;
  r.RES = c.value;
  r.PMAX = c.value;
  r.PD = c.value;
  r.PSTRESS = c.value;
  r.TRISE = c.value;
  r.CF = c.value;
  r.LB = r.PIT = r.PIP = r.PIS = r.PIQ = r.PIE = c.value;
  const std::string prefix(c.prefixLength, '>');
  std::string lines[4];
  r.FormatDetail(lines[0], lines[1], prefix);
  r.FormatFactors(lines[2], lines[3], prefix);
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 132u);
    EXPECT_FALSE(line.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, ResistorTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 3e38f, 0},
                                           LineCase{"TinyNegative", -1e-30f, 0},
                                           LineCase{"NotANumber", kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 3e38f, 200},
                                           LineCase{"OrdinaryValuesLongPrefix", 1.0f, 131}),
                         labelOf<LineCase>);

// ---- Editing page ------------------------------------------------------------

struct SeenField {
  std::string keyword;
  bool applies;
  double hi;
};

class RecordingVisitor final : public FieldVisitor {
 public:
  void text(const FieldSpec& spec, std::string&, bool applies) override { add(spec, applies); }
  void number(const FieldSpec& spec, float&, bool applies) override { add(spec, applies); }
  void choice(const FieldSpec& spec, std::uint8_t&, bool applies) override { add(spec, applies); }
  void flag(const FieldSpec& spec, std::uint16_t&, bool applies) override { add(spec, applies); }
  std::vector<SeenField> seen;

 private:
  void add(const FieldSpec& spec, bool applies) {
    seen.push_back({std::string(spec.keyword), applies, spec.hi});
  }
};

TEST(ResistorPage, FieldsInPageOrderWithComputedStress) {
  CResistor r;
  r.PMAX = 0.5f;
  r.PD = 0.2f;
  r.PSTRESS = 0.0f;
  RecordingVisitor v;
  r.paramPage(v);
  ASSERT_EQ(v.seen.size(), 9u);
  const char* order[] = {"RES_TYPE", "RES_RES",        "RES_RESUNIT", "RES_QU",   "RES_PMAX",
                         "RES_PD",   "RES_STRESSMODE", "RES_PSTRESS", "RES_TRISE"};
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(v.seen[i].keyword, order[i]);
  EXPECT_TRUE(v.seen[3].applies);       // quality editable
  EXPECT_DOUBLE_EQ(v.seen[5].hi, 0.5);  // Pd up to the record's Pmax
  EXPECT_FALSE(v.seen[7].applies);      // stress not an entry in the computed mode
  EXPECT_FLOAT_EQ(r.PSTRESS, 40.0f);    // shows 0.2 / 0.5 x 100
}

TEST(ResistorPage, HybridQualityAndManualStress) {
  CResistor r;
  r.IS_HYBRID = 1;
  r.STRESSMODE = 2;
  r.PSTRESS = 77.0f;
  RecordingVisitor v;
  r.paramPage(v);
  ASSERT_EQ(v.seen.size(), 9u);
  EXPECT_FALSE(v.seen[3].applies);  // quality shows "xxxxxx" in a hybrid part
  EXPECT_TRUE(v.seen[7].applies);
  EXPECT_FLOAT_EQ(r.PSTRESS, 77.0f);
}

}  // namespace
}  // namespace kestrel
