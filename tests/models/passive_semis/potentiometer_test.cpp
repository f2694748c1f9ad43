#include "models/passive_semis/potentiometer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"
#include "models/passive_semis/resistor.hpp"

namespace kestrel {
namespace {

using passive_test::header;
using passive_test::kNaNf;
using passive_test::near;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

// A record with the stress entered directly, so each case states it.
void configure(CPotentiometer& p, std::uint8_t style, std::uint8_t quality, float pmax, float stress,
               float trise) {
  p.TYPE = style;
  p.QU = quality;
  p.PMAX = pmax;
  p.PD = 0.0f;
  p.STRESSMODE = kStressManual;
  p.PSTRESS = stress;
  p.TRISE = trise;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  std::uint8_t style, quality, env;
  float ambient, trise, pmax, stress, cf;
  double lb, pit, pip, pis, piq, pie, fr;
};

class PotentiometerFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(PotentiometerFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CPotentiometer p;
  configure(p, c.style, c.quality, c.pmax, c.stress, c.trise);
  p.CF = c.cf;
  p.QTY = 4.0f;  // never applied to FR
  CCircHeader h = header(c.env, c.ambient);
  p.Calculate(h);
  EXPECT_TRUE(near(p.LB, c.lb));
  EXPECT_TRUE(near(p.PIT, c.pit));
  EXPECT_TRUE(near(p.PIP, c.pip));
  EXPECT_TRUE(near(p.PIS, c.pis));
  EXPECT_TRUE(near(p.PIQ, c.piq));
  EXPECT_TRUE(near(p.PIE, c.pie));
  EXPECT_TRUE(near(p.FR, c.fr));
  EXPECT_FLOAT_EQ(p.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(p.S, c.stress);
  EXPECT_EQ(p.OverFlags, 0u);
}

// Ea/k: column 1 0.2 x 11604.967 = 2320.993 K, column 2 0.08 x 11604.967 = 928.3974 K.
// pi_S is curve 1 for every style: 0.71 x exp(1.1 x S).
INSTANTIATE_TEST_SUITE_P(
    Cases, PotentiometerFailureRate,
    ::testing::Values(
        // RJ, Non-ER, GB, 25 C, Pmax 0.25 W, 40 %: pi_T = 1; pi_P = 0.25^0.39 = exp(-0.540655) = 0.582367;
        // pi_S = 0.71 x exp(0.44) = 0.71 x 1.552707 = 1.102422; pi_Q 3.0; pi_E 1;
        // FR = 0.0037 x 0.582367 x 1.102422 x 3.0 = 0.0071264
        RateCase{"NonWirewoundDefaultsAtGroundBenign", 8, 5, 1, 25, 0, 0.25f, 40, 1,  //
                 0.0037, 1.0, 0.582367, 1.102422, 3.0, 1.0, 0.0071264},
        // RA, M, GF, 125 C, Pmax 1 W, 50 %: pi_T col 1 = exp(2320.993 x (1/298 - 1/398)) =
        // exp(2320.993 x 0.00084314) = exp(1.956932) = 7.077542; pi_S = 0.71 x exp(0.55) = 1.230610;
        // FR = 0.0024 x 7.077542 x 1 x 1.230610 x 1.0 x 4 = 0.083613
        RateCase{"LowOperatingTemperatureWirewoundAt125", 4, 4, 2, 125, 0, 1.0f, 50, 1,  //
                 0.0024, 7.077542, 1.0, 1.230610, 1.0, 4.0, 0.083613},
        // RP, R, NU, 55 + 15 = 70 C, Pmax 5 W, 80 %: pi_T col 2 = exp(928.3974 x 0.00044025) = exp(0.408730)
        // = 1.504905; pi_P = 5^0.39 = exp(0.627681) = 1.873261; pi_S curve 1 (not the resistor's power
        // wirewound curve 2) = 0.71 x exp(0.88) = 0.71 x 2.410900 = 1.711739; pi_Q 0.1; pi_E 42;
        // FR = 0.0024 x 1.504905 x 1.873261 x 1.711739 x 0.1 x 42 = 0.048641
        RateCase{"PowerWirewoundUsesStressCurveOne", 6, 2, 5, 55, 15, 5.0f, 80, 1,  //
                 0.0024, 1.504905, 1.873261, 1.711739, 0.1, 42.0, 0.048641},
        // RVC, S, ML, 0 C, Pmax 0.125 W, 0 %: pi_T col 1 = exp(-2320.993 x 0.00030730) = exp(-0.713246)
        // = 0.490054; pi_P = 0.125^0.39 = exp(-0.810982) = 0.444421; pi_S = 0.71; pi_Q 0.03; pi_E 87;
        // FR = 0.0037 x 0.490054 x 0.444421 x 0.71 x 0.03 x 87 = 0.0014933
        RateCase{"NonWirewoundBelowRoomTemperatureAtMissileLaunch", 11, 1, 13, 0, 0, 0.125f, 0, 1,  //
                 0.0037, 0.490054, 0.444421, 0.71, 0.03, 87.0, 0.0014933},
        // RTR, Commercial, CL, -55 C, Pmax 10 W, 100 %, CF 0.5: pi_T col 2 = exp(-928.3974 x 0.00123145) =
        // exp(-1.143276) = 0.318773; pi_P = 10^0.39 = 2.454709; pi_S = 0.71 x exp(1.1) = 2.132958;
        // pi_Q 10; pi_E 1728; FR = 0.0024 x 0.318773 x 2.454709 x 2.132958 x 10 x 1728 x 0.5 = 34.6090
        RateCase{"LeadScrewErColdAtCannonLaunchWithCorrectionFactor", 1, 6, 14, -55, 0, 10.0f, 100, 0.5f,  //
                 0.0024, 0.318773, 2.454709, 2.132958, 10.0, 1728.0, 34.6090},
        // RQ, P, AUC, 60 C, Pmax 0.5 W, 20 %: pi_T col 1 = exp(2320.993 x 0.00035270) = exp(0.818618) =
        // 2.267365; pi_P = 0.5^0.39 = exp(-0.270327) = 0.763130; pi_S = 0.71 x exp(0.22) = 0.884715;
        // pi_Q 0.3; pi_E 31; FR = 0.0037 x 2.267365 x 0.763130 x 0.884715 x 0.3 x 31 = 0.052675
        RateCase{"PrecisionNonWirewoundAtUninhabitedCargo", 10, 3, 8, 60, 0, 0.5f, 20, 1,  //
                 0.0037, 2.267365, 0.763130, 0.884715, 0.3, 31.0, 0.052675}),
    labelOf<RateCase>);

// ---- Every style: base rate and temperature column ----------------------------

struct StyleCase {
  const char* label;
  std::uint8_t style;
  double lb;
  double pit125;  // column 1 7.077542, column 2 exp(928.3974 x 0.00084314) = exp(0.782771) = 2.187525
};

class PotentiometerStyleTable : public ::testing::TestWithParam<StyleCase> {};

// Pmax 1 W (pi_P = 1), M at GB (1 x 1), 40 % (pi_S 1.102422): FR = lambda_b x pi_T x 1.102422.
TEST_P(PotentiometerStyleTable, BaseRateAndTemperatureColumn) {
  const StyleCase& c = GetParam();
  CPotentiometer p;
  configure(p, c.style, 4, 1.0f, 40, 0);
  CCircHeader room = header(1, 25);
  p.Calculate(room);
  EXPECT_TRUE(near(p.LB, c.lb));
  EXPECT_FLOAT_EQ(p.PIT, 1.0f);  // 25 C gives pi_T = 1 for every style
  EXPECT_TRUE(near(p.PIS, 1.102422));
  EXPECT_TRUE(near(p.FR, c.lb * 1.102422));

  CCircHeader hot = header(1, 125);
  p.Calculate(hot);
  EXPECT_TRUE(near(p.PIT, c.pit125));
  EXPECT_TRUE(near(p.FR, c.lb * c.pit125 * 1.102422));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, PotentiometerStyleTable,
    ::testing::Values(StyleCase{"RTR", 1, 0.0024, 2.187525}, StyleCase{"RT", 2, 0.0024, 2.187525},
                      StyleCase{"RR", 3, 0.0024, 2.187525}, StyleCase{"RA", 4, 0.0024, 7.077542},
                      StyleCase{"RK", 5, 0.0024, 7.077542}, StyleCase{"RP", 6, 0.0024, 2.187525},
                      StyleCase{"RJR", 7, 0.0037, 2.187525}, StyleCase{"RJ", 8, 0.0037, 2.187525},
                      StyleCase{"RV", 9, 0.0037, 2.187525}, StyleCase{"RQ", 10, 0.0037, 7.077542},
                      StyleCase{"RVC", 11, 0.0037, 7.077542}),
    labelOf<StyleCase>);

TEST(PotentiometerAgainstResistor, SameFiguresDifferOnlyThroughBaseRateAndColumn) {
  // RJ (0.0037, column 2, curve 1) and the film resistor RL (0.0037, column 2, curve 1) agree;
  // RA (0.0024, column 1) against RBR (0.0024, column 2) differ by the column only:
  // at 85 C the ratio is exp(2320.993 x 0.00056241) / exp(928.3974 x 0.00056241)
  // = exp(1.305347) / exp(0.522139) = 3.688968 / 1.685629 = 2.188482
  CCircHeader h = header(5, 85);
  CPotentiometer rj;
  configure(rj, 8, 2, 0.5f, 60, 0);
  CResistor rl;
  rl.TYPE = 4;
  rl.QU = 2;
  rl.PMAX = 0.5f;
  rl.STRESSMODE = kStressManual;
  rl.PSTRESS = 60.0f;
  rj.Calculate(h);
  rl.Calculate(h);
  EXPECT_FLOAT_EQ(rj.FR, rl.FR);

  CPotentiometer ra;
  configure(ra, 4, 2, 0.5f, 60, 0);
  CResistor rbr;
  rbr.TYPE = 10;
  rbr.QU = 2;
  rbr.PMAX = 0.5f;
  rbr.STRESSMODE = kStressManual;
  rbr.PSTRESS = 60.0f;
  ra.Calculate(h);
  rbr.Calculate(h);
  EXPECT_TRUE(near(ra.FR / rbr.FR, 2.188482));
}

// ---- Limits, hybrid parts and surface mounting ----------------------------------

struct LimitCase {
  const char* label;
  float ambient, trise, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class PotentiometerLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(PotentiometerLimits, FlagsOnlyStrictlyAboveTheLimit) {
  const LimitCase& c = GetParam();
  CPotentiometer p;
  configure(p, 8, 5, 0.25f, c.stress, c.trise);
  p.TEMPLIMIT = c.tempLimit;
  p.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, c.ambient);
  p.Calculate(h);
  EXPECT_EQ(p.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, PotentiometerLimits,
                         ::testing::Values(LimitCase{"TemperatureEqualToLimit", 70, 30, 100, 40, 100, 0u},
                                           LimitCase{"TemperatureJustAboveLimit", 70, 30.25f, 100, 40, 100,
                                                     OverTemp},
                                           LimitCase{"StressEqualToLimit", 25, 0, 175, 70, 70, 0u},
                                           LimitCase{"StressJustAboveLimit", 25, 0, 175, 70.5f, 70, OverStress}),
                         labelOf<LimitCase>);

TEST(PotentiometerHybridPart, PackageSuppliesQualityAndEnvironment) {
  // RJ, Commercial, CL, 25 C, Pmax 0.25, 40 %, hybrid: pi_Q = pi_E = 1;
  // FR = 0.0037 x 0.582367 x 1.102422 = 0.0023755
  CPotentiometer p;
  configure(p, 8, 6, 0.25f, 40, 0);
  p.IS_HYBRID = 1;
  p.IS_SMT = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  p.Calculate(h);
  EXPECT_FLOAT_EQ(p.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(p.PIE, 1.0f);
  EXPECT_TRUE(near(p.FR, 0.0023755));
  EXPECT_EQ(p.SmtCalcFlag, 0);
  EXPECT_EQ(p.GetTypeName(), "Potentiometer(Hyb)");

  WhatIfSettings s;
  s.qualityMode = SetDirect;
  s.qualityLevel = 1;
  p.ApplyWhatIf(s);
  EXPECT_EQ(p.QU, 6);

  std::string a, b;
  p.FormatDetail(a, b, "");
  EXPECT_EQ(a.find("Qu:"), std::string::npos);

  passive_test::RecordingVisitor v;
  p.paramPage(v);
  EXPECT_FALSE(v.seen[3].applies);
}

TEST(PotentiometerSurfaceMount, DefaultModeTakesPotentiometerRise) {
  CPotentiometer p;
  p.IS_SMT = 1;
  p.SMT_TRISEMODE = 1;
  p.TRISE = 22.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  p.Calculate(h);
  EXPECT_EQ(p.SmtCalcFlag, 1);
  EXPECT_GT(p.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(p.SMT_TEMPRISE, 22.0f);

  h.HASSMT = 0;
  p.Calculate(h);
  EXPECT_EQ(p.SmtCalcFlag, 0);
}

// ---- Stored values outside their ranges ---------------------------------------

TEST(PotentiometerStoredChoices, ClampedIntoTheirListsAndFlagged) {
  // style 200 -> 11 (RVC, 0.0037), quality 0 -> 1 (S, 0.03), at GB 25 C, Pmax 0.25, 40 %:
  // FR = 0.0037 x 0.582367 x 1.102422 x 0.03 = 7.1264e-5
  CPotentiometer p;
  configure(p, 200, 0, 0.25f, 40, 0);
  CCircHeader h = header(1, 25);
  p.Calculate(h);
  EXPECT_EQ(p.TYPE, 11);
  EXPECT_EQ(p.QU, 1);
  EXPECT_EQ(p.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(p.FR, 7.1264e-5));

  CPotentiometer q;
  q.TYPE = 0;
  q.RESUNIT = 4;
  q.QU = 7;
  q.STRESSMODE = 0;
  q.normalizeChoices();
  EXPECT_EQ(q.TYPE, 1);
  EXPECT_EQ(q.RESUNIT, 3);
  EXPECT_EQ(q.QU, 6);
  EXPECT_EQ(q.STRESSMODE, 1);
  EXPECT_EQ(q.OverFlags & EntryOverRange, EntryOverRange);

  CPotentiometer valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

struct ExtremeCase {
  const char* label;
  float ambient, trise, stress, pmax, cf;
  std::uint8_t env;
  float expectedT, expectedS;
};

class PotentiometerExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(PotentiometerExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CPotentiometer p;
  configure(p, 4, 5, c.pmax, c.stress, c.trise);
  p.CF = c.cf;
  CCircHeader h = header(c.env, c.ambient);
  p.Calculate(h);
  for (float v : {p.FR, p.PIT, p.PIP, p.PIS, p.PIE}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GE(p.FR, 0.0f);
  EXPECT_FLOAT_EQ(p.T, c.expectedT);
  EXPECT_FLOAT_EQ(p.S, c.expectedS);
  EXPECT_EQ(p.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(Stored, PotentiometerExtremeValues,
                         ::testing::Values(ExtremeCase{"HugeRiseLimitedTo325", 25, 1e30f, 40, 0.25f, 1, 1, 325, 40},
                                           ExtremeCase{"RiseNotANumber", 25, kNaNf, 40, 0.25f, 1, 1, -55, 40},
                                           ExtremeCase{"HugeStressLimitedTo100", 25, 0, 1e30f, 0.25f, 1, 1, 25, 100},
                                           ExtremeCase{"StressNotANumber", 25, 0, kNaNf, 0.25f, 1, 1, 25, 0},
                                           ExtremeCase{"ZeroPmax", 25, 0, 40, 0.0f, 1, 1, 25, 40},
                                           ExtremeCase{"PmaxNotANumber", 25, 0, 40, kNaNf, 1, 1, 25, 40},
                                           ExtremeCase{"CorrectionFactorNotANumber", 25, 0, 40, 0.25f, kNaNf, 1, 25,
                                                       40},
                                           ExtremeCase{"EnvironmentBeyondList", 25, 0, 40, 0.25f, 1, 99, 25, 40}),
                         labelOf<ExtremeCase>);

// ---- Import by keyword -------------------------------------------------------

void mapPotentiometerKeywords(ImportSetup& s, const char* mode, double stress) {
  s.map("POT_TYPE", 3, std::string("RK (Wirewound,SemiPrecision)"));
  s.map("POT_RES", 4, 10.0);
  s.map("POT_RESUNIT", 5, std::string("Kohms"));
  s.map("POT_QU", 6, std::string("M (ER)"));
  s.map("POT_PMAX", 7, 2.0);
  s.map("POT_PD", 8, 0.5);
  s.map("POT_STRESSMODE", 9, std::string(mode));
  s.map("POT_PSTRESS", 10, stress);
  s.map("POT_TRISE", 11, 30.0);
}

TEST(PotentiometerImport, ComputedModeReadsEverythingButStress) {
  ImportSetup s;
  mapPotentiometerKeywords(s, "Calc=Pd/Pmax", 90.0);
  passive_test::dropKeyword(s, "POT_PSTRESS");
  CPotentiometer p;
  ASSERT_TRUE(p.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(p.TYPE, 5);
  EXPECT_FLOAT_EQ(p.RES, 10.0f);
  EXPECT_EQ(p.RESUNIT, 2);
  EXPECT_EQ(p.QU, 4);
  EXPECT_FLOAT_EQ(p.PMAX, 2.0f);
  EXPECT_FLOAT_EQ(p.PD, 0.5f);
  EXPECT_EQ(p.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(p.PSTRESS, 25.0f);  // 0.5 / 2 x 100
  EXPECT_FLOAT_EQ(p.TRISE, 30.0f);
}

TEST(PotentiometerImport, ManualModeLimitsAndFailures) {
  ImportSetup manual;
  mapPotentiometerKeywords(manual, "Manual", 90.0);
  CPotentiometer a;
  ASSERT_TRUE(a.ImportFields(manual.reader, false, false, 25.0f));
  EXPECT_EQ(a.STRESSMODE, 2);
  EXPECT_FLOAT_EQ(a.PSTRESS, 90.0f);

  ImportSetup overPd;
  mapPotentiometerKeywords(overPd, "Calc=Pd/Pmax", 0.0);
  overPd.map("POT_PD", 8, 3.0);  // above the Pmax 2 just read
  overPd.map("POT_TRISE", 11, 200.0);  // above 150
  CPotentiometer b;
  ASSERT_TRUE(b.ImportFields(overPd.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(b.PD, 2.0f);
  EXPECT_FLOAT_EQ(b.PSTRESS, 100.0f);
  EXPECT_FLOAT_EQ(b.TRISE, 150.0f);
  EXPECT_TRUE(passive_test::logged(overPd.log, "'POT_PD'"));

  ImportSetup hybrid;
  mapPotentiometerKeywords(hybrid, "Calc=Pd/Pmax", 0.0);
  passive_test::dropKeyword(hybrid, "POT_QU");
  CPotentiometer c;
  c.IS_HYBRID = 1;
  EXPECT_TRUE(c.ImportFields(hybrid.reader, false, false, 25.0f));
  EXPECT_EQ(c.QU, 5);

  ImportSetup noQuality;
  mapPotentiometerKeywords(noQuality, "Calc=Pd/Pmax", 0.0);
  passive_test::dropKeyword(noQuality, "POT_QU");
  CPotentiometer d;
  EXPECT_FALSE(d.ImportFields(noQuality.reader, false, false, 25.0f));
  EXPECT_EQ(d.TYPE, 5);            // read before the failure
  EXPECT_FLOAT_EQ(d.PMAX, 0.25f);  // after it: not read
  EXPECT_EQ(noQuality.log.back(), "   ...Error: keyword not found ('POT_QU').");
}

// ---- What-If? and Update -----------------------------------------------------------

struct WhatIfCase {
  const char* label;
  std::uint8_t qualityMode;
  float qualityLevel;
  std::uint8_t stressMode;
  float stressValue;
  std::uint8_t startQuality, startMode;
  float startStress;
  std::uint8_t expectedQuality, expectedMode;
  float expectedStress;
};

class PotentiometerWhatIf : public ::testing::TestWithParam<WhatIfCase> {};

TEST_P(PotentiometerWhatIf, QualityAndStressRules) {
  const WhatIfCase& c = GetParam();
  CPotentiometer p;  // Pd 0.1 W, Pmax 0.25 W
  p.QU = c.startQuality;
  p.STRESSMODE = c.startMode;
  p.PSTRESS = c.startStress;
  WhatIfSettings s;
  s.qualityMode = c.qualityMode;
  s.qualityLevel = c.qualityLevel;
  s.stressMode = c.stressMode;
  s.stressValue = c.stressValue;
  p.ApplyWhatIf(s);
  EXPECT_EQ(p.QU, c.expectedQuality);
  EXPECT_EQ(p.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(p.PSTRESS, c.expectedStress);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PotentiometerWhatIf,
    ::testing::Values(WhatIfCase{"IncreaseQualityByTwoFromThree", Increase, 2, NoChange, 0, 3, 1, 40, 1, 1, 40},
                      WhatIfCase{"DecreaseQualityStopsAtCommercial", Decrease, 4, NoChange, 0, 4, 1, 40, 6, 1, 40},
                      // 0.1 / 0.25 x 100 = 40
                      WhatIfCase{"SetToCalcModeGivesPdOverPmax", NoChange, 0, SetToCalcMode, 0, 5, 2, 75, 5, 1, 40},
                      WhatIfCase{"IncreaseStressLimitedToHundred", NoChange, 0, Increase, 70, 5, 1, 40, 5, 2, 100}),
    labelOf<WhatIfCase>);

TEST(PotentiometerUpdate, CopiesApplicationParametersOnly) {
  CPotentiometer own;
  own.TYPE = 3;
  own.QU = 1;
  own.PMAX = 0.5f;
  CPotentiometer other;
  other.TYPE = 9;
  other.QU = 6;
  other.PMAX = 10.0f;
  other.PD = 2.0f;  // above own 0.5 W: Pd = 0.5, stress 0.5 / 0.5 x 100 = 100
  other.TRISE = 18.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.PD, 0.5f);
  EXPECT_FLOAT_EQ(own.PSTRESS, 100.0f);
  EXPECT_FLOAT_EQ(own.TRISE, 18.0f);
  EXPECT_EQ(own.TYPE, 3);
  EXPECT_EQ(own.QU, 1);
  EXPECT_FLOAT_EQ(own.PMAX, 0.5f);

  other.PD = 0.2f;
  other.STRESSMODE = 2;
  other.PSTRESS = 66.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.PD, 0.2f);
  EXPECT_EQ(own.STRESSMODE, 2);
  EXPECT_FLOAT_EQ(own.PSTRESS, 66.0f);

  CMisc misc;
  misc.TRISE = 99.0f;
  own.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(own.TRISE, 18.0f);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CPotentiometer& p) {
  p.PN = "RJ24FW103";
  p.REFDES = "R9";
  p.PART_TYPE = 402;
  p.QTY = 2.0f;
  p.CF = 1.1f;
  p.FR = 0.05f;
  p.S = 30.0f;
  p.T = 45.0f;
  p.OverFlags = OverStress;
  p.NOTES = "trim";
  p.TYPE = 7;
  p.RES = 10.0f;
  p.RESUNIT = 2;
  p.QU = 3;
  p.PMAX = 0.75f;
  p.PD = 0.3f;
  p.STRESSMODE = 2;
  p.PSTRESS = 35.5f;
  p.TRISE = 9.0f;
  p.LB = 0.0037f;
  p.PIT = 1.2f;
  p.PIP = 0.9f;
  p.PIS = 1.05f;
  p.PIQ = 0.3f;
  p.PIE = 16.0f;
}

TEST(PotentiometerCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // the resistor's layout: style, value, unit, quality, Pmax, Pd, mode, stress, rise, six factors = 48
  CPotentiometer p;
  fill(p);
  const std::vector<std::uint8_t> b = passive_test::ownFieldBytes(p);
  ASSERT_EQ(b.size(), 48u);
  using passive_test::floatAt;
  EXPECT_EQ(b[0], 7);
  EXPECT_FLOAT_EQ(floatAt(b, 1), 10.0f);
  EXPECT_EQ(b[5], 2);
  EXPECT_EQ(b[6], 3);
  EXPECT_FLOAT_EQ(floatAt(b, 7), 0.75f);
  EXPECT_FLOAT_EQ(floatAt(b, 11), 0.3f);
  EXPECT_EQ(b[15], 2);
  EXPECT_FLOAT_EQ(floatAt(b, 16), 35.5f);
  EXPECT_FLOAT_EQ(floatAt(b, 20), 9.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 24), 0.0037f);
  EXPECT_FLOAT_EQ(floatAt(b, 44), 16.0f);
}

// ---- Text lines and page -------------------------------------------------------

TEST(PotentiometerTextLines, DetailAndFactorLines) {
  CPotentiometer p;
  std::string a, b;
  p.FormatDetail(a, b, "");
  // "%s%-30s  %-17s  %-13s" and "%s%-14s  %-12s  %-25s  %-12s"
  EXPECT_EQ(a,
            "RJ (NonWirewound)             "
            "  "
            "100.00 ohms      "
            "  "
            "Qu:Non-ER    ");
  EXPECT_EQ(b,
            "Pmax:0.25000W "
            "  "
            "Pd:0.10000W "
            "  "
            "Pstr:40.00%(Calc=Pd/Pmax)"
            "  "
            "Trise:0.0   ");

  CCircHeader h = header(1, 25);
  p.Calculate(h);  // FR = 0.0037 x 0.582367 x 1.102422 x 3.0
  p.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *   PIP    *   PIS    *  PIQ  *  PIE  *   PICF  ");
  // LB 0.003700; PIT 1.00000; PIP 0.582367; PIS 1.10242; PIQ 3.00; PIE 1.00; CF 1.00000
  EXPECT_EQ(b,
            "    "
            "0.003700"
            "   "
            "1.00000 "
            "   "
            "0.582367"
            "   "
            "1.10242 "
            "   "
            "3.00 "
            "   "
            "1.00 "
            "   "
            "1.00000 ");
}

struct LineCase {
  const char* label;
  float value;
  std::size_t prefixLength;
};

class PotentiometerTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(PotentiometerTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CPotentiometer p;
  p.TYPE = 1;  // the longest style text
  p.RES = p.PMAX = p.PD = p.PSTRESS = p.TRISE = p.CF = c.value;
  p.LB = p.PIT = p.PIP = p.PIS = p.PIQ = p.PIE = c.value;
  for (const std::string& line : passive_test::allLines(p, std::string(c.prefixLength, '>'))) {
    EXPECT_LE(line.size(), 132u);
    EXPECT_FALSE(line.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, PotentiometerTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 3e38f, 0}, LineCase{"NotANumber", kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 3e38f, 200},
                                           LineCase{"OrdinaryValuesLongPrefix", 1.0f, 131}),
                         labelOf<LineCase>);

TEST(PotentiometerPage, FieldsInPageOrderWithComputedStress) {
  CPotentiometer p;
  p.PMAX = 0.5f;
  p.PD = 0.2f;
  p.PSTRESS = 0.0f;
  passive_test::RecordingVisitor v;
  p.paramPage(v);
  const std::vector<std::string> order = {"POT_TYPE", "POT_RES",        "POT_RESUNIT", "POT_QU",   "POT_PMAX",
                                          "POT_PD",   "POT_STRESSMODE", "POT_PSTRESS", "POT_TRISE"};
  ASSERT_EQ(v.keywords(), order);
  EXPECT_TRUE(v.seen[3].applies);
  EXPECT_DOUBLE_EQ(v.seen[5].hi, 0.5);  // Pd up to the record's Pmax
  EXPECT_FALSE(v.seen[7].applies);      // stress not an entry in the computed mode
  EXPECT_FLOAT_EQ(p.PSTRESS, 40.0f);    // shows 0.2 / 0.5 x 100
  EXPECT_EQ(v.seen[0].choiceCount, 11u);
}

}  // namespace
}  // namespace kestrel
