#include "models/passive_semis/inductive.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using passive_test::header;
using passive_test::kNaNf;
using passive_test::near;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  std::uint8_t type, quality, env;
  float ambient, trise, cf;
  double lb, pit, piq, pie, fr;
};

class InductiveFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(InductiveFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CInductive l;
  l.TYPE = c.type;
  l.QU = c.quality;
  l.TRISE = c.trise;
  l.CF = c.cf;
  l.QTY = 9.0f;  // never applied to FR
  l.STRESSLIMIT = 0.0f;  // no stress figure, so never over stress
  CCircHeader h = header(c.env, c.ambient);
  l.Calculate(h);
  EXPECT_TRUE(near(l.LB, c.lb));
  EXPECT_TRUE(near(l.PIT, c.pit));
  EXPECT_TRUE(near(l.PIQ, c.piq));
  EXPECT_TRUE(near(l.PIE, c.pie));
  EXPECT_TRUE(near(l.FR, c.fr));
  EXPECT_FLOAT_EQ(l.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(l.S, -1.0f);
  EXPECT_EQ(l.OverFlags, 0u);
}

// pi_T = exp(1276.546362 x (1/298 - 1/(T_HS + 273))).
INSTANTIATE_TEST_SUITE_P(
    Cases, InductiveFailureRate,
    ::testing::Values(
        // high power transformer, MIL, GB, 25 C: pi_T = 1; FR = 0.049 x 1 x 1.0 x 1.0 = 0.049
        RateCase{"HighPowerTransformerDefaults", 4, 1, 1, 25, 0, 1, 0.049, 1.0, 1.0, 1.0, 0.049},
        // RF transformer, Lower, AUF, 60 + 40 = 100 C: pi_T = exp(1276.546 x 0.00067474) = exp(0.861336)
        // = 2.366321; FR = 0.13 x 2.366321 x 3.0 x 9.0 = 8.30579
        RateCase{"RfTransformerLowerQualityHotAtUninhabitedFighter", 5, 2, 9, 60, 40, 1,  //
                 0.13, 2.366321, 3.0, 9.0, 8.30579},
        // fixed inductor, R, GM, 60 + 15 = 75 C: pi_T = exp(1276.546 x 0.00048214) = exp(0.615476) = 1.850537;
        // FR = 0.00003 x 1.850537 x 0.1 x 12 = 6.66193e-5
        RateCase{"FixedInductorErAtGroundMobile", 6, 2, 3, 60, 15, 1, 0.00003, 1.850537, 0.1, 12.0, 6.66193e-5},
        // variable inductor, P, CL, -55 C, CF 3: pi_T = exp(-1276.546 x 0.00123145) = exp(-1.572005) =
        // 0.207629; FR = 0.00005 x 0.207629 x 0.3 x 610 x 3 = 0.0056994
        RateCase{"VariableInductorColdAtCannonLaunchWithCorrectionFactor", 7, 3, 14, -55, 0, 3,  //
                 0.00005, 0.207629, 0.3, 610.0, 0.0056994},
        // flyback transformer, MIL, SF, 125 C: pi_T = exp(1276.546 x 0.00084314) = exp(1.076310) = 2.933833;
        // FR = 0.0054 x 2.933833 x 1.0 x 0.5 = 0.0079213
        RateCase{"FlybackTransformerAtSpaceFlight", 1, 1, 11, 125, 0, 1, 0.0054, 2.933833, 1.0, 0.5, 0.0079213},
        // audio transformer, Lower, ARW, 25 C: FR = 0.014 x 1 x 3.0 x 24 = 1.008
        RateCase{"AudioTransformerAtRotaryWing", 2, 2, 10, 25, 0, 1, 0.014, 1.0, 3.0, 24.0, 1.008},
        // low power pulse transformer, MIL, NS, 0 C: pi_T = exp(-1276.546 x 0.00030730) = exp(-0.392281)
        // = 0.675514; FR = 0.022 x 0.675514 x 1.0 x 5.0 = 0.074307
        RateCase{"LowPowerPulseTransformerAtNavalSheltered", 3, 1, 4, 0, 0, 1, 0.022, 0.675514, 1.0, 5.0,
                 0.074307}),
    labelOf<RateCase>);

// ---- Quality by type ------------------------------------------------------------

struct QualityCase {
  const char* label;
  std::uint8_t type, quality;
  double piq;
};

class InductiveQualityTable : public ::testing::TestWithParam<QualityCase> {};

// At GB 25 C: FR = lambda_b x pi_Q (fixed inductor 0.00003, high power transformer 0.049).
TEST_P(InductiveQualityTable, QualityFactorFromTheTypesList) {
  const QualityCase& c = GetParam();
  CInductive l;
  l.TYPE = c.type;
  l.QU = c.quality;
  CCircHeader h = header(1, 25);
  l.Calculate(h);
  EXPECT_TRUE(near(l.PIQ, c.piq));
  EXPECT_TRUE(near(l.FR, (c.type == 6 ? 0.00003 : 0.049) * c.piq));
  EXPECT_EQ(l.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, InductiveQualityTable,
    ::testing::Values(QualityCase{"TransformerMil", 4, 1, 1.0}, QualityCase{"TransformerLower", 4, 2, 3.0},
                      QualityCase{"InductorS", 6, 1, 0.03}, QualityCase{"InductorR", 6, 2, 0.1},
                      QualityCase{"InductorP", 6, 3, 0.3}, QualityCase{"InductorM", 6, 4, 1.0},
                      QualityCase{"InductorMil", 6, 5, 1.0}, QualityCase{"InductorLower", 6, 6, 3.0}),
    labelOf<QualityCase>);

struct TypeCase {
  const char* label;
  std::uint8_t type;
  double lb;
};

class InductiveBaseRate : public ::testing::TestWithParam<TypeCase> {};

// Quality 1 (transformer MIL 1.0, inductor S 0.03) at GB 25 C.
TEST_P(InductiveBaseRate, BaseRateByType) {
  const TypeCase& c = GetParam();
  CInductive l;
  l.TYPE = c.type;
  CCircHeader h = header(1, 25);
  l.Calculate(h);
  EXPECT_TRUE(near(l.LB, c.lb));
  EXPECT_FLOAT_EQ(l.PIT, 1.0f);
  EXPECT_TRUE(near(l.FR, c.lb * (c.type <= 5 ? 1.0 : 0.03)));
}

INSTANTIATE_TEST_SUITE_P(Types, InductiveBaseRate,
                         ::testing::Values(TypeCase{"Flyback", 1, 0.0054}, TypeCase{"Audio", 2, 0.014},
                                           TypeCase{"LowPowerPulse", 3, 0.022}, TypeCase{"HighPower", 4, 0.049},
                                           TypeCase{"Rf", 5, 0.13}, TypeCase{"InductorFixed", 6, 0.00003},
                                           TypeCase{"InductorVariable", 7, 0.00005}),
                         labelOf<TypeCase>);

struct EnvCase {
  const char* label;
  std::uint8_t env;
  double transformerPie, coilPie;
};

class InductiveEnvironmentTable : public ::testing::TestWithParam<EnvCase> {};

// 25 C: high power transformer, MIL: FR = 0.049 x pi_E; fixed and variable
// coils, S (ER): FR = 0.00003 (0.00005) x 0.03 x pi_E.
TEST_P(InductiveEnvironmentTable, TransformersAndCoilsTakeTheirOwnTables) {
  const EnvCase& c = GetParam();
  CInductive l;
  CCircHeader h = header(c.env, 25);
  l.Calculate(h);
  EXPECT_TRUE(near(l.PIE, c.transformerPie));
  EXPECT_TRUE(near(l.FR, 0.049 * c.transformerPie));
  for (const auto& [type, lb] : {std::pair{6, 0.00003}, std::pair{7, 0.00005}}) {
    l.TYPE = static_cast<std::uint8_t>(type);
    l.Calculate(h);
    EXPECT_TRUE(near(l.PIE, c.coilPie));
    EXPECT_TRUE(near(l.FR, lb * 0.03 * c.coilPie));
  }
}

// Transformers (section 11.1) and coils (section 11.2), GB..CL.
INSTANTIATE_TEST_SUITE_P(
    Environments, InductiveEnvironmentTable,
    ::testing::Values(EnvCase{"GB", 1, 1.0, 1.0}, EnvCase{"GF", 2, 6.0, 4.0}, EnvCase{"GM", 3, 12.0, 12.0},
                      EnvCase{"NS", 4, 5.0, 5.0}, EnvCase{"NU", 5, 16.0, 16.0}, EnvCase{"AIC", 6, 6.0, 5.0},
                      EnvCase{"AIF", 7, 8.0, 7.0}, EnvCase{"AUC", 8, 7.0, 6.0}, EnvCase{"AUF", 9, 9.0, 8.0},
                      EnvCase{"ARW", 10, 24.0, 24.0}, EnvCase{"SF", 11, 0.5, 0.5}, EnvCase{"MF", 12, 13.0, 13.0},
                      EnvCase{"ML", 13, 34.0, 34.0}, EnvCase{"CL", 14, 610.0, 610.0}),
    labelOf<EnvCase>);

// ---- Type changes and the quality list --------------------------------------------

TEST(InductiveTypeChange, TransformerToInductorKeepsIndexWithNewMeaning) {
  // index 2: "Lower" (3.0) for a transformer, "R (ER)" (0.1) for an inductor
  CInductive l;
  l.TYPE = 4;
  l.QU = 2;
  CCircHeader h = header(1, 25);
  l.Calculate(h);
  EXPECT_FLOAT_EQ(l.PIQ, 3.0f);
  l.TYPE = 6;
  l.Calculate(h);
  EXPECT_EQ(l.QU, 2);
  EXPECT_FLOAT_EQ(l.PIQ, 0.1f);
  EXPECT_EQ(l.OverFlags, 0u);
  std::string a, b;
  l.FormatDetail(a, b, "");
  EXPECT_NE(a.find("Qu:R (ER)"), std::string::npos);
}

struct ShorterListCase {
  const char* label;
  std::uint8_t quality, expected;
  double piq;
};

class InductiveTypeChangeToTransformer : public ::testing::TestWithParam<ShorterListCase> {};

// An inductor quality past the transformer list (3..6) is taken back to 2 ("Lower", 3.0) with
// EntryOverRange; 1 and 2 stay. FR = 0.049 x pi_Q.
TEST_P(InductiveTypeChangeToTransformer, QualityClampedIntoTheShorterList) {
  const ShorterListCase& c = GetParam();
  CInductive l;
  l.TYPE = 7;
  l.QU = c.quality;
  l.TYPE = 4;  // now a transformer
  CCircHeader h = header(1, 25);
  l.Calculate(h);
  EXPECT_EQ(l.QU, c.expected);
  EXPECT_FLOAT_EQ(l.PIQ, static_cast<float>(c.piq));
  EXPECT_TRUE(near(l.FR, 0.049 * c.piq));
  EXPECT_EQ((l.OverFlags & EntryOverRange) != 0, c.quality != c.expected);
}

INSTANTIATE_TEST_SUITE_P(Qualities, InductiveTypeChangeToTransformer,
                         ::testing::Values(ShorterListCase{"OneStays", 1, 1, 1.0},
                                           ShorterListCase{"TwoStays", 2, 2, 3.0},
                                           ShorterListCase{"ThreeClamped", 3, 2, 3.0},
                                           ShorterListCase{"SixClamped", 6, 2, 3.0}),
                         labelOf<ShorterListCase>);

TEST(InductiveTypeChange, PageRefillsQualityListFromType) {
  CInductive l;
  l.TYPE = 6;
  l.QU = 5;
  passive_test::RecordingVisitor inductor;
  l.paramPage(inductor);
  ASSERT_EQ(inductor.keywords(), (std::vector<std::string>{"IND_TYPE", "IND_QU", "IND_TRISE"}));
  EXPECT_EQ(inductor.seen[1].choiceCount, 6u);
  EXPECT_EQ(l.QU, 5);

  l.TYPE = 3;
  passive_test::RecordingVisitor transformer;
  l.paramPage(transformer);
  EXPECT_EQ(transformer.seen[1].choiceCount, 2u);
  EXPECT_EQ(l.QU, 2);  // clamped into "MIL", "Lower"
  EXPECT_TRUE(transformer.seen[1].applies);
}

TEST(InductiveTypeChange, NormalizeClampsTypeThenQualityAgainstItsList) {
  CInductive l;
  l.TYPE = 0;  // -> 1, a transformer
  l.QU = 6;    // -> 2
  l.normalizeChoices();
  EXPECT_EQ(l.TYPE, 1);
  EXPECT_EQ(l.QU, 2);
  EXPECT_EQ(l.OverFlags & EntryOverRange, EntryOverRange);

  CInductive beyond;
  beyond.TYPE = 99;  // -> 7, an inductor: 6 stays
  beyond.QU = 6;
  beyond.normalizeChoices();
  EXPECT_EQ(beyond.TYPE, 7);
  EXPECT_EQ(beyond.QU, 6);

  CInductive zeroQuality;
  zeroQuality.TYPE = 6;
  zeroQuality.QU = 0;
  zeroQuality.normalizeChoices();
  EXPECT_EQ(zeroQuality.QU, 1);

  CInductive valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

TEST(InductiveTypeChange, TypeBeyondListIsVariableInductor) {
  // type 200 -> 7 (0.00005), quality 6 "Lower" 3.0 stays: FR = 0.00005 x 3.0 = 0.00015
  CInductive l;
  l.TYPE = 200;
  l.QU = 6;
  CCircHeader h = header(1, 25);
  l.Calculate(h);
  EXPECT_EQ(l.TYPE, 7);
  EXPECT_TRUE(near(l.FR, 0.00015));
  EXPECT_EQ(l.OverFlags & EntryOverRange, EntryOverRange);
}

// ---- Limits, hybrid parts, surface mounting, extremes -----------------------------

struct LimitCase {
  const char* label;
  float ambient, trise, tempLimit;
  std::uint32_t flags;
};

class InductiveLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(InductiveLimits, OverTemperatureOnlyStrictlyAboveAndNeverOverStress) {
  const LimitCase& c = GetParam();
  CInductive l;
  l.TRISE = c.trise;
  l.TEMPLIMIT = c.tempLimit;
  l.STRESSLIMIT = 0.0f;
  CCircHeader h = header(1, c.ambient);
  l.Calculate(h);
  EXPECT_EQ(l.OverFlags, c.flags);
  EXPECT_FLOAT_EQ(l.S, -1.0f);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, InductiveLimits,
                         ::testing::Values(LimitCase{"HotSpotEqualToLimit", 100, 30, 130, 0u},
                                           LimitCase{"HotSpotJustAboveLimit", 100, 30.5f, 130, OverTemp},
                                           LimitCase{"FullRiseAtHighestAmbient", 175, 250, 175, OverTemp}),
                         labelOf<LimitCase>);

TEST(InductiveHybridPart, PackageSuppliesQualityAndEnvironment) {
  // RF transformer, Lower, CL, 25 C, hybrid: pi_Q = pi_E = 1; FR = 0.13
  CInductive l;
  l.TYPE = 5;
  l.QU = 2;
  l.IS_HYBRID = 1;
  l.IS_SMT = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  l.Calculate(h);
  EXPECT_FLOAT_EQ(l.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(l.PIE, 1.0f);
  EXPECT_TRUE(near(l.FR, 0.13));
  EXPECT_EQ(l.SmtCalcFlag, 0);
  EXPECT_EQ(l.GetTypeName(), "Inductive(Hyb)");

  WhatIfSettings s;
  s.qualityMode = SetDirect;
  s.qualityLevel = 1;
  l.ApplyWhatIf(s);
  EXPECT_EQ(l.QU, 2);

  std::string a, b;
  l.FormatDetail(a, b, "");
  EXPECT_EQ(a.find("Qu:"), std::string::npos);

  passive_test::RecordingVisitor v;
  l.paramPage(v);
  EXPECT_FALSE(v.seen[1].applies);  // "xxxxxx" in a hybrid part
}

TEST(InductiveSurfaceMount, DefaultModeTakesHotSpotRise) {
  CInductive l;
  l.IS_SMT = 1;
  l.SMT_TRISEMODE = 1;
  l.SMT_TEMPRISE = 3.0f;
  l.TRISE = 20.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  l.Calculate(h);
  EXPECT_EQ(l.SmtCalcFlag, 1);
  EXPECT_GT(l.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(l.SMT_TEMPRISE, 20.0f);

  l.SMT_TRISEMODE = 2;
  l.SMT_TEMPRISE = 4.0f;
  l.Calculate(h);
  EXPECT_FLOAT_EQ(l.SMT_TEMPRISE, 4.0f);

  // The whole hot-spot rise reaches the joints: GB (delta_T 7), epoxy/glass (alpha_S 15), plastic
  // (alpha_CC 7), J-lead (h 8, LC 150), d 345, computer (CR 0.17), life 87600 h, rise 250:
  // strain |15 x 7 - 7 x 257| x 1e-6 = 0.001694; Nf = 3.5 x (345 / 5.2)^-2.26 x 0.001694^-2.26 x 150
  // = 73368.80; alpha_SMT = Nf / 0.17 = 431581.2 h; x = 87600 / 431581.2 = 0.2030 -> ECF 0.23;
  // FRSMT = 0.23 / 431581.2 x 1e6 = 0.532924 (a rise held at 175 would give 0.130256)
  l.SMT_TRISEMODE = 1;
  l.TRISE = 250.0f;
  l.TEMPLIMIT = 500.0f;
  l.Calculate(h);
  EXPECT_FLOAT_EQ(l.SMT_TEMPRISE, 250.0f);
  EXPECT_TRUE(near(l.FRSMT, 0.532924));
  EXPECT_EQ(l.OverFlags, 0u);

  h.HASSMT = 0;
  l.Calculate(h);
  EXPECT_EQ(l.SmtCalcFlag, 0);
}

struct ExtremeCase {
  const char* label;
  float ambient, trise, cf;
  std::uint8_t env;
  float expectedT;
};

class InductiveExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(InductiveExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CInductive l;
  l.TRISE = c.trise;
  l.CF = c.cf;
  CCircHeader h = header(c.env, c.ambient);
  l.Calculate(h);
  EXPECT_TRUE(std::isfinite(l.FR));
  EXPECT_TRUE(std::isfinite(l.PIT));
  EXPECT_GE(l.FR, 0.0f);
  EXPECT_FLOAT_EQ(l.T, c.expectedT);
  EXPECT_EQ(l.OverFlags & EntryOverRange, EntryOverRange);
}

// hot spot limited to ambient -55..175 plus a rise of 0..250
INSTANTIATE_TEST_SUITE_P(Stored, InductiveExtremeValues,
                         ::testing::Values(ExtremeCase{"HugeRiseLimitedTo425", 25, 1e30f, 1, 1, 425},
                                           ExtremeCase{"RiseNotANumber", 25, kNaNf, 1, 1, -55},
                                           ExtremeCase{"AmbientBelowAbsoluteZero", -300, 0, 1, 1, -55},
                                           ExtremeCase{"CorrectionFactorNotANumber", 25, 0, kNaNf, 1, 25},
                                           ExtremeCase{"HugeCorrectionFactor", 25, 0, 3e38f, 1, 25},
                                           ExtremeCase{"EnvironmentZero", 25, 0, 1, 0, 25},
                                           ExtremeCase{"EnvironmentBeyondList", 25, 0, 1, 200, 25}),
                         labelOf<ExtremeCase>);

// ---- Import by keyword -------------------------------------------------------

struct ImportCase {
  const char* label;
  const char* type;
  const char* quality;
  std::uint8_t expectedType, expectedQuality;
  bool defaultLogged;
};

class InductiveImport : public ::testing::TestWithParam<ImportCase> {};

TEST_P(InductiveImport, QualityReadAgainstTheListOfTheTypeJustRead) {
  const ImportCase& c = GetParam();
  ImportSetup s;
  s.map("IND_TYPE", 3, std::string(c.type));
  s.map("IND_QU", 4, std::string(c.quality));
  s.map("IND_TRISE", 5, 40.0);
  CInductive l;
  l.QU = 6;
  ASSERT_TRUE(l.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(l.TYPE, c.expectedType);
  EXPECT_EQ(l.QU, c.expectedQuality);
  EXPECT_FLOAT_EQ(l.TRISE, 40.0f);
  EXPECT_EQ(passive_test::logged(s.log, "'IND_QU' set to default (#1) choice"), c.defaultLogged);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, InductiveImport,
    ::testing::Values(ImportCase{"TransformerLower", "Transformer,Audio", "Lower", 2, 2, false},
                      ImportCase{"InductorLower", "Inductor,Fixed", "Lower", 6, 6, false},
                      ImportCase{"InductorEr", "Inductor,Variable", "P (ER)", 7, 3, false},
                      // "P (ER)" is not a transformer quality: the stored 6 is past the list
                      ImportCase{"ErQualityForTransformer", "Transformer,RF", "P (ER)", 5, 1, true},
                      ImportCase{"NumberPastTransformerList", "Transformer,RF", "5", 5, 1, true}),
    labelOf<ImportCase>);

TEST(InductiveImportFailures, MissingKeywordsAndHybridQuality) {
  ImportSetup noType;
  passive_test::dropKeyword(noType, "IND_TYPE");
  CInductive a;
  EXPECT_FALSE(a.ImportFields(noType.reader, false, false, 25.0f));

  ImportSetup noRise;
  noRise.map("IND_TYPE", 3, std::string("Inductor,Fixed"));
  passive_test::dropKeyword(noRise, "IND_TRISE");
  CInductive b;
  EXPECT_FALSE(b.ImportFields(noRise.reader, false, false, 25.0f));
  EXPECT_EQ(b.TYPE, 6);  // read before the failure

  ImportSetup hybrid;
  passive_test::dropKeyword(hybrid, "IND_QU");  // not read for a hybrid part: its absence is fine
  CInductive c;
  c.IS_HYBRID = 1;
  EXPECT_TRUE(c.ImportFields(hybrid.reader, false, false, 25.0f));
  EXPECT_EQ(c.QU, 1);

  ImportSetup hot;
  hot.map("IND_TRISE", 5, 300.0);  // above 250
  CInductive d;
  ASSERT_TRUE(d.ImportFields(hot.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(d.TRISE, 250.0f);
}

// ---- What-If? and Update -----------------------------------------------------------

struct WhatIfCase {
  const char* label;
  std::uint8_t type, mode;
  float level;
  std::uint8_t start, expected;
};

class InductiveWhatIf : public ::testing::TestWithParam<WhatIfCase> {};

TEST_P(InductiveWhatIf, QualityRangeFollowsType) {
  const WhatIfCase& c = GetParam();
  CInductive l;
  l.TYPE = c.type;
  l.QU = c.start;
  l.TRISE = 12.0f;
  WhatIfSettings s;
  s.qualityMode = c.mode;
  s.qualityLevel = c.level;
  s.stressMode = SetDirect;  // no stress figure: nothing to change
  s.stressValue = 10.0f;
  l.ApplyWhatIf(s);
  EXPECT_EQ(l.QU, c.expected);
  EXPECT_FLOAT_EQ(l.TRISE, 12.0f);
}

INSTANTIATE_TEST_SUITE_P(Rules, InductiveWhatIf,
                         ::testing::Values(WhatIfCase{"TransformerDecreaseStopsAtTwo", 4, Decrease, 3, 1, 2},
                                           WhatIfCase{"InductorDecreaseByThree", 6, Decrease, 3, 1, 4},
                                           WhatIfCase{"InductorDecreaseStopsAtSix", 7, Decrease, 9, 2, 6},
                                           WhatIfCase{"TransformerSetDirectStopsAtTwo", 1, SetDirect, 5, 1, 2},
                                           WhatIfCase{"InductorIncreaseStopsAtOne", 6, Increase, 4, 3, 1},
                                           WhatIfCase{"NoChange", 6, NoChange, 4, 3, 3}),
                         labelOf<WhatIfCase>);

TEST(InductiveUpdate, TakesTemperatureRiseOnly) {
  CInductive own;
  own.TYPE = 2;
  own.QU = 2;
  own.LB = 0.5f;
  CInductive other;
  other.TYPE = 7;
  other.QU = 5;
  other.TRISE = 45.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.TRISE, 45.0f);
  EXPECT_EQ(own.TYPE, 2);
  EXPECT_EQ(own.QU, 2);
  EXPECT_FLOAT_EQ(own.LB, 0.5f);

  CMisc misc;
  misc.TRISE = 99.0f;
  own.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(own.TRISE, 45.0f);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CInductive& l) {
  l.PN = "M27/356-01";
  l.REFDES = "T3";
  l.PART_TYPE = 404;
  l.QTY = 2.0f;
  l.CF = 0.75f;
  l.FR = 0.25f;
  l.S = -1.0f;
  l.T = 88.0f;
  l.OverFlags = OverTemp;
  l.NOTES = "power";
  l.TYPE = 6;
  l.QU = 4;
  l.TRISE = 63.0f;
  l.LB = 0.00003f;
  l.PIT = 2.5f;
  l.PIQ = 1.0f;
  l.PIE = 34.0f;
}

TEST(InductiveCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // type, quality (bytes), rise, lambda_b, pi_T, pi_Q, pi_E (floats): 2 + 5 x 4 = 22
  CInductive l;
  fill(l);
  const std::vector<std::uint8_t> b = passive_test::ownFieldBytes(l);
  ASSERT_EQ(b.size(), 22u);
  using passive_test::floatAt;
  EXPECT_EQ(b[0], 6);
  EXPECT_EQ(b[1], 4);
  EXPECT_FLOAT_EQ(floatAt(b, 2), 63.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 6), 0.00003f);
  EXPECT_FLOAT_EQ(floatAt(b, 10), 2.5f);
  EXPECT_FLOAT_EQ(floatAt(b, 14), 1.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 18), 34.0f);
}

TEST(InductiveCopyAndArchive, StoredQualityPastListClampedOnLoad) {
  // a transformer stored with quality 5 reads back as 2 with EntryOverRange
  registerPassiveSemisParts();
  CInductive a;
  a.TYPE = 1;
  a.QU = 5;
  Archive out = Archive::forWriting();
  writePartObject(out, a);
  Archive in = Archive::forReading(out.bytes(), "inductive");
  auto part = readPartObject(in);
  ASSERT_TRUE(in.ok()) << in.error();
  auto* b = dynamic_cast<CInductive*>(part.get());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->QU, 2);
  EXPECT_EQ(b->OverFlags & EntryOverRange, EntryOverRange);
}

// ---- Text lines --------------------------------------------------------------

TEST(InductiveTextLines, DetailIsOneLineAndLeavesTheSecondAlone) {
  CInductive l;
  std::string a, b = "untouched";
  l.FormatDetail(a, b, "> ");
  // "%s%-25s  %-9s  %-12s"
  EXPECT_EQ(a,
            "> Transformer,HighPower    "
            "  "
            "Qu:MIL   "
            "  "
            "Trise:0.0   ");
  EXPECT_EQ(b, "untouched");

  l.TYPE = 6;
  l.QU = 6;
  l.TRISE = 125.5f;
  l.FormatDetail(a, b, "");
  // rise (6,2): precision 2 gives 125.50, six characters
  EXPECT_EQ(a,
            "Inductor,Fixed           "
            "  "
            "Qu:Lower "
            "  "
            "Trise:125.50");
}

TEST(InductiveTextLines, FactorLinesAfterCalculation) {
  CInductive l;  // high power transformer, MIL, at GF 25 C: FR = 0.049 x 6
  CCircHeader h = header(2, 25);
  l.Calculate(h);
  std::string a, b;
  l.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *  PIQ  *  PIE  *   PICF  ");
  // LB 0.049000 (8,6); PIT 1.00000; PIQ 1.00, PIE 6.00 (5,2); CF 1.00000
  EXPECT_EQ(b,
            "    "
            "0.049000"
            "   "
            "1.00000 "
            "   "
            "1.00 "
            "   "
            "6.00 "
            "   "
            "1.00000 ");
}

struct LineCase {
  const char* label;
  float value;
  std::size_t prefixLength;
};

class InductiveTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(InductiveTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CInductive l;
  l.TYPE = 3;  // the longest type text
  l.TRISE = l.CF = l.LB = l.PIT = l.PIQ = l.PIE = c.value;
  std::string lines[4];
  const std::string prefix(c.prefixLength, '>');
  l.FormatDetail(lines[0], lines[1], prefix);
  l.FormatFactors(lines[2], lines[3], prefix);
  for (const std::string* line : {&lines[0], &lines[2], &lines[3]}) {
    EXPECT_LE(line->size(), 132u);
    EXPECT_FALSE(line->empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, InductiveTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 3e38f, 0}, LineCase{"TinyNegative", -1e-30f, 0},
                                           LineCase{"NotANumber", kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 3e38f, 200},
                                           LineCase{"OrdinaryValuesLongPrefix", 1.0f, 131}),
                         labelOf<LineCase>);

}  // namespace
}  // namespace kestrel
