// Bubble memories and SAW devices.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/micro_electromech/bubble_memory.hpp"
#include "models/micro_electromech/electromech_test_support.hpp"
#include "models/micro_electromech/register.hpp"
#include "models/micro_electromech/saw_device.hpp"

namespace kestrel {
namespace {

using test::header;
using test::ImportSetup;
using test::labelOf;
using test::near;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// ---- Bubble memories against hand-worked handbook values -----------------------

struct BubbleCase {
  const char* label;
  float chips, elements;
  std::uint8_t generator;
  float kbits, pins;
  std::uint8_t learning;
  float years, duty, readsPerWrite, trise, ambient;
  std::uint8_t env;
  bool hybrid;
  float cf;
  double c11, c21, c12, c22, c2, pit1, pit2, piw, pie, pid, pil, piq, lambda1, lambda2, fr;
};

class BubbleFailureRate : public ::testing::TestWithParam<BubbleCase> {};

TEST_P(BubbleFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const BubbleCase& c = GetParam();
  CBubble b;
  b.CHIPS = c.chips;
  b.ELEMENTS = c.elements;
  b.GENTYPE = c.generator;
  b.KBITS = c.kbits;
  b.PINS = c.pins;
  b.LEARN = c.learning;
  b.YEARS = c.years;
  b.DC = c.duty;
  b.RW = c.readsPerWrite;
  b.TRISE = c.trise;
  b.IS_HYBRID = c.hybrid ? 1 : 0;
  b.CF = c.cf;
  CCircHeader h = header(c.env, c.ambient);
  b.Calculate(h);
  EXPECT_TRUE(near(b.C11, c.c11));
  EXPECT_TRUE(near(b.C21, c.c21));
  EXPECT_TRUE(near(b.C12, c.c12));
  EXPECT_TRUE(near(b.C22, c.c22));
  EXPECT_TRUE(near(b.C2, c.c2));
  EXPECT_TRUE(near(b.PIT1, c.pit1));
  EXPECT_TRUE(near(b.PIT2, c.pit2));
  EXPECT_TRUE(near(b.PIW, c.piw));
  EXPECT_TRUE(near(b.PIE, c.pie));
  EXPECT_TRUE(near(b.PID, c.pid));
  EXPECT_TRUE(near(b.PIL, c.pil));
  EXPECT_TRUE(near(b.PIQ, c.piq));
  EXPECT_TRUE(near(b.L1, c.lambda1));
  EXPECT_TRUE(near(b.L2, c.lambda2));
  EXPECT_TRUE(near(b.FR, c.fr));
  EXPECT_FLOAT_EQ(b.T, c.ambient + c.trise + 10);  // junction 10 C above the case
  EXPECT_FLOAT_EQ(b.S, -1.0f);
  EXPECT_EQ(b.OverFlags, 0u);
}

// lambda_1 = ((Nc C21 + C2) pi_E + Nc C11 pi_T1 pi_W) pi_D pi_Q pi_L; lambda_2 = Nc (C12 pi_T2 + C22 pi_E)
// pi_Q pi_L; pi_T = 0.1 exp(-(Ea/k)(1/(Tj + 273) - 1/298)), Ea/k 9269.988 K (0.8 eV) and 6373.117 K
// (0.55 eV).
INSTANTIATE_TEST_SUITE_P(
    Cases, BubbleFailureRate,
    ::testing::Values(
        // The default record at GB, 25 C: Tj = 35. N1 = 148: C11 = 0.00095 x 148^0.4 = 0.00095 x 7.380821
        // = 0.0070118; C21 = 0.0001 x 148^0.226 = 0.0001 x 3.093707 = 0.00030937; N2 = 92 x 1024 = 94208:
        // 94208^0.3 = exp(3.435978) = 31.06178, C12 = 0.0021743, C22 = 0.00031062; C2 = 0.00036 x 14^1.08
        // = 0.00036 x exp(2.850182) = 0.00036 x 17.29093 = 0.0062247; 1/308 - 1/298 = -0.00010895:
        // pi_T1 = 0.1 exp(1.009988) = 0.274554, pi_T2 = 0.1 exp(0.694367) = 0.200243; pi_W = 10 x 1 x
        // 10^-0.3 = 5.011872; pi_E 0.5; pi_D = 0.9 + 0.1 = 1; pi_Q 10; pi_L 1;
        // lambda_1 = ((0.00030937 + 0.0062247) x 0.5 + 0.0070118 x 0.274554 x 5.011872) x 10
        //          = (0.0032670 + 0.0096482) x 10 = 0.129155;
        // lambda_2 = (0.0021743 x 0.200243 + 0.00031062 x 0.5) x 10 = 0.0059070; FR = 0.135062
        BubbleCase{"DefaultRecordAtGroundBenign", 1, 148, 2, 92, 14, 1, 2, 100, 10, 0, 25, 1, false, 1,
                   0.0070118, 0.00030937, 0.0021743, 0.00031062, 0.0062247, 0.274554, 0.200243, 5.011872, 0.5, 1.0,
                   1.0, 10, 0.129155, 0.0059070, 0.135062},
        // Four seed-generator chips of 1000 elements and 9000 Kbits, 40 pins, new (0.5 years), 50 % duty,
        // at 15 C (Tj 25: pi_T1 = pi_T2 = 0.1), NU 6, CF 2:
        // C11 = 0.00095 x 1000^0.4 = 0.00095 x 15.84893 = 0.0150565; C21 = 0.0001 x 1000^0.226 = 0.00047643;
        // N2 = 9216000, N2^0.3 = exp(4.810935) = 122.8465: C12 = 0.0085993, C22 = 0.0012285;
        // C2 = 0.00036 x 40^1.08 = 0.00036 x 53.73098 = 0.0193432;
        // pi_W = 10 x 0.5 x 10^-0.3 = 2.505936, / 4 = 0.626484, raised to 1; pi_D = 0.45 + 0.1 = 0.55;
        // pi_L = 0.01 exp(5.35 - 0.175) = 0.01 exp(5.175) = 1.767966;
        // lambda_1 = ((4 x 0.00047643 + 0.0193432) x 6 + 4 x 0.0150565 x 0.1 x 1) x 0.55 x 10 x 1.767966
        //          = (0.1274934 + 0.0060226) x 9.723813 = 1.298283;
        // lambda_2 = 4 x (0.0085993 x 0.1 + 0.0012285 x 6) x 10 x 1.767966 = 0.582065;
        // FR = (1.298283 + 0.582065) x 2 = 3.760697
        BubbleCase{"SeedChipsNewProductAtNavalUnsheltered", 4, 1000, 1, 9000, 40, 2, 0.5f, 50, 10, 0, 15, 5, false,
                   2, 0.0150565, 0.00047643, 0.0085993, 0.0012285, 0.0193432, 0.1, 0.1, 1.0, 6, 0.55, 1.767966, 10,
                   1.298283, 0.582065, 3.760697},
        // Two chips of 500 elements and 256 Kbits, 24 pins, 3 % duty (not above 0.03: pi_W = 1), 100 reads
        // per write, case rise 20 at 60 C: Tj = 90, 1/363 - 1/298 = -0.00060088: pi_T1 = 0.1 exp(5.570186)
        // = 26.24828, pi_T2 = 0.1 exp(3.829503) = 4.603963; AIF 5; pi_D = 0.027 + 0.1 = 0.127;
        // C11 = 0.00095 x 12.01124 = 0.0114107; C21 = 0.0001 x 4.073495 = 0.00040735; N2 = 262144,
        // N2^0.3 = 42.22425: C12 = 0.0029557, C22 = 0.00042224; C2 = 0.00036 x 24^1.08 = 0.00036 x 30.94768
        // = 0.0111412; lambda_1 = ((0.0008147 + 0.0111412) x 5 + 2 x 0.0114107 x 26.24828) x 0.127 x 10
        //          = (0.0597795 + 0.599028) x 1.27 = 0.836677;
        // lambda_2 = 2 x (0.0029557 x 4.603963 + 0.00042224 x 5) x 10 = 0.314383; FR = 1.151060
        BubbleCase{"HotLowDutyAtAirborneFighter", 2, 500, 2, 256, 24, 1, 2, 3, 100, 20, 60, 7, false, 1, 0.0114107,
                   0.00040735, 0.0029557, 0.00042224, 0.0111412, 26.24828, 4.603963, 1.0, 5, 0.127, 1.0, 10,
                   0.836677, 0.314383, 1.151060},
        // The default record in a hybrid (learning "New" stored): pi_Q = pi_E = pi_L = 1, C2 = 0;
        // lambda_1 = 0.00030937 + 0.0070118 x 0.274554 x 5.011872 = 0.0099578;
        // lambda_2 = 0.0021743 x 0.200243 + 0.00031062 = 0.00074601; FR = 0.0107038
        BubbleCase{"HybridPartAtCannonLaunch", 1, 148, 2, 92, 14, 2, 0.5f, 100, 10, 0, 25, 14, true, 1, 0.0070118,
                   0.00030937, 0.0021743, 0.00031062, 0.0, 0.274554, 0.200243, 5.011872, 1.0, 1.0, 1.0, 1.0,
                   0.0099578, 0.00074601, 0.0107038}),
    labelOf<BubbleCase>);

TEST(BubbleFailureRate, FifteenDegreesAmbientGivesTenthTemperatureFactors) {
  // Ta 15 with no rise: Tj = 25, exp(0) = 1, pi_T1 = pi_T2 = 0.1
  CBubble b;
  CCircHeader h = header(1, 15);
  b.Calculate(h);
  EXPECT_FLOAT_EQ(b.T, 25.0f);
  EXPECT_TRUE(near(b.PIT1, 0.1));
  EXPECT_TRUE(near(b.PIT2, 0.1));
}

struct WriteCase {
  const char* label;
  std::uint8_t generator;
  float duty, readsPerWrite;
  double piw;
};

class BubbleWriteFactor : public ::testing::TestWithParam<WriteCase> {};

TEST_P(BubbleWriteFactor, BranchesAtTheirBoundaries) {
  const WriteCase& c = GetParam();
  CBubble b;
  b.GENTYPE = c.generator;
  b.DC = c.duty;
  b.RW = c.readsPerWrite;
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  EXPECT_TRUE(near(b.PIW, c.piw));
  EXPECT_TRUE(near(b.PID, 0.9 * c.duty / 100 + 0.1));
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, BubbleWriteFactor,
    ::testing::Values(
        // 10 x 1 x 10^-0.3 = 5.011872; seed: 5.011872 / 4 = 1.252968
        WriteCase{"FullDutyTenReads", 2, 100, 10, 5.011872}, WriteCase{"SeedFullDutyTenReads", 1, 100, 10, 1.252968},
        // D = 0.03 is not above 0.03: 1
        WriteCase{"ThreePercentDuty", 2, 3, 10, 1.0},
        // D = 0.031: 10 x 0.031 x 10^-0.3 = 0.155368 (no lower limit without a seed generator)
        WriteCase{"JustAboveThreePercent", 2, 3.1f, 10, 0.155368},
        WriteCase{"SeedJustAboveThreePercentRaisedToOne", 1, 3.1f, 10, 1.0},
        // R/W 2154 is not below 2154: 1; 2153: 10 x 2153^-0.3 = 1.000200
        WriteCase{"ReadsPerWriteAtLimit", 2, 100, 2154, 1.0}, WriteCase{"ReadsPerWriteJustBelowLimit", 2, 100, 2153, 1.000200},
        WriteCase{"SeedBelowOneRaised", 1, 3, 10, 1.0}),
    labelOf<WriteCase>);

struct LearningCase {
  const char* label;
  std::uint8_t learning;
  float years;
  bool hybrid;
  double pil;
};

class BubbleLearningFactor : public ::testing::TestWithParam<LearningCase> {};

TEST_P(BubbleLearningFactor, NewProductsOnly) {
  const LearningCase& c = GetParam();
  CBubble b;
  b.LEARN = c.learning;
  b.YEARS = c.years;
  b.IS_HYBRID = c.hybrid ? 1 : 0;
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  EXPECT_TRUE(near(b.PIL, c.pil));
  EXPECT_EQ(b.OverFlags & EntryOverRange, 0u);  // 0.01 and 2.0 are the entry range's own ends
}

// The microcircuits' learning table: 2.0 up to 0.1 year, 0.01 exp(5.35 - 0.35 Y) between, 1.0 from 2 years.
INSTANTIATE_TEST_SUITE_P(Points, BubbleLearningFactor,
                         ::testing::Values(
                             LearningCase{"NewTwoYears", 2, 2.0f, false, 1.0},
                             LearningCase{"NewHundredthYear", 2, 0.01f, false, 2.0},
                             LearningCase{"NewTenthYear", 2, 0.1f, false, 2.0},
                             // 0.01 exp(5.35 - 0.35) = 0.01 exp(5.0) = 1.484132
                             LearningCase{"NewOneYear", 2, 1.0f, false, 1.484132},
                             LearningCase{"Established", 1, 0.01f, false, 1.0},
                             LearningCase{"HybridIgnoresLearning", 2, 0.01f, true, 1.0}),
                         labelOf<LearningCase>);

class BubbleEnvironmentFactor : public ::testing::TestWithParam<std::pair<int, double>> {};

TEST_P(BubbleEnvironmentFactor, MicrocircuitEnvironmentTable) {
  CBubble b;
  CCircHeader h = header(static_cast<std::uint8_t>(GetParam().first), 25);
  b.Calculate(h);
  EXPECT_FLOAT_EQ(b.PIE, static_cast<float>(GetParam().second));
  CSAWDevice s;
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.PIE, static_cast<float>(GetParam().second));
}

// GB..CL: 0.5, 2.0, 4.0, 4.0, 6.0, 4.0, 5.0, 5.0, 8.0, 8.0, 0.5, 5.0, 12, 220
INSTANTIATE_TEST_SUITE_P(Table, BubbleEnvironmentFactor,
                         ::testing::Values(std::pair{1, 0.5}, std::pair{2, 2.0}, std::pair{3, 4.0}, std::pair{4, 4.0},
                                           std::pair{5, 6.0}, std::pair{6, 4.0}, std::pair{7, 5.0}, std::pair{8, 5.0},
                                           std::pair{9, 8.0}, std::pair{10, 8.0}, std::pair{11, 0.5},
                                           std::pair{12, 5.0}, std::pair{13, 12.0}, std::pair{14, 220.0}));

TEST(BubbleLimits, JunctionTemperatureAgainstLimit) {
  // Tj = 25 + 40 + 10 = 75
  CBubble b;
  b.TRISE = 40.0f;
  b.TEMPLIMIT = 75.0f;
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  EXPECT_EQ(b.OverFlags, 0u);
  b.TRISE = 40.25f;
  b.Calculate(h);
  EXPECT_EQ(b.OverFlags, static_cast<std::uint32_t>(OverTemp));
}

struct BubbleExtremeCase {
  const char* label;
  float chips, elements, kbits, pins, years, duty, readsPerWrite, trise, ambient;
  float expectedT;
};

class BubbleExtremeValues : public ::testing::TestWithParam<BubbleExtremeCase> {};

TEST_P(BubbleExtremeValues, StayFiniteAndFlagged) {
  const BubbleExtremeCase& c = GetParam();
  CBubble b;
  b.CHIPS = c.chips;
  b.ELEMENTS = c.elements;
  b.KBITS = c.kbits;
  b.PINS = c.pins;
  b.LEARN = 2;
  b.YEARS = c.years;
  b.DC = c.duty;
  b.RW = c.readsPerWrite;
  b.TRISE = c.trise;
  CCircHeader h = header(14, c.ambient);
  b.Calculate(h);
  EXPECT_TRUE(std::isfinite(b.FR));
  EXPECT_TRUE(std::isfinite(b.L1));
  EXPECT_TRUE(std::isfinite(b.L2));
  EXPECT_GT(b.FR, 0.0f);
  EXPECT_FLOAT_EQ(b.T, c.expectedT);
  EXPECT_EQ(b.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, BubbleExtremeValues,
    ::testing::Values(BubbleExtremeCase{"HugeCounts", 3e38f, 3e38f, 3e38f, 3e38f, 2, 100, 10, 0, 25, 35},
                      BubbleExtremeCase{"ZeroCounts", 0, 0, 0, 0, 2, 100, 10, 0, 25, 35},
                      BubbleExtremeCase{"CountsNotANumber", kNaNf, kNaNf, kNaNf, kNaNf, 2, 100, 10, 0, 25, 35},
                      BubbleExtremeCase{"ZeroYearsAndDuty", 1, 148, 92, 14, 0, 0, 0, 0, 25, 35},
                      BubbleExtremeCase{"HugeDutyAndYears", 1, 148, 92, 14, 3e38f, 3e38f, 3e38f, 0, 25, 35},
                      // case rise limited to 0..125, junction to -45..310
                      BubbleExtremeCase{"HugeRise", 1, 148, 92, 14, 2, 100, 10, 1e30f, 25, 160},
                      BubbleExtremeCase{"RiseNotANumber", 1, 148, 92, 14, 2, 100, 10, kNaNf, 25, 35},
                      BubbleExtremeCase{"AmbientBelowAbsoluteZero", 1, 148, 92, 14, 2, 100, 10, 0, -500, -45},
                      BubbleExtremeCase{"AmbientHuge", 1, 148, 92, 14, 2, 100, 10, 0, 1e30f, 310}),
    labelOf<BubbleExtremeCase>);

TEST(BubbleStoredChoices, ClampedAndFlagged) {
  CBubble b;
  b.GENTYPE = 0;
  b.LEARN = 5;
  b.normalizeChoices();
  EXPECT_EQ(b.GENTYPE, 1);
  EXPECT_EQ(b.LEARN, 2);
  EXPECT_EQ(b.OverFlags & EntryOverRange, EntryOverRange);

  // generator 9 -> 2 "NonSeed" in Calculate: pi_W stays 5.011872
  CBubble c;
  c.GENTYPE = 9;
  CCircHeader h = header(1, 25);
  c.Calculate(h);
  EXPECT_EQ(c.GENTYPE, 2);
  EXPECT_TRUE(near(c.PIW, 5.011872));
  EXPECT_EQ(c.OverFlags & EntryOverRange, EntryOverRange);

  CBubble valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

TEST(BubbleSurfaceMount, DefaultRiseIsTheCaseRise) {
  CBubble b;
  b.IS_SMT = 1;
  b.TRISE = 12.0f;
  CCircHeader h = test::smtHeader(1, 25);
  b.Calculate(h);
  EXPECT_EQ(b.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(b.SMT_TEMPRISE, 12.0f);
  EXPECT_GT(b.FRSMT, 0.0f);

  CBubble hybrid;
  hybrid.IS_HYBRID = 1;
  hybrid.IS_SMT = 1;
  hybrid.SmtCalcFlag = 1;
  hybrid.Calculate(h);
  EXPECT_EQ(hybrid.SmtCalcFlag, 0);
}

TEST(BubbleImport, CircuitPartReadsPinsLearningAndYears) {
  ImportSetup s;
  s.map("BUB_CHIPS", 3, 8.0);
  s.map("BUB_ELEMENTS", 4, 300.0);
  s.map("BUB_GENTYPE", 5, std::string("Seed"));
  s.map("BUB_KBITS", 6, 1024.0);
  s.map("BUB_PINS", 7, 28.0);
  s.map("BUB_LEARN", 8, std::string("New"));
  s.map("BUB_YEARS", 9, 1.5);
  s.map("BUB_DC", 10, 40.0);
  s.map("BUB_RW", 11, 200.0);
  s.map("BUB_TRISE", 12, 15.0);
  CBubble b;
  ASSERT_TRUE(b.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(b.CHIPS, 8.0f);
  EXPECT_FLOAT_EQ(b.ELEMENTS, 300.0f);
  EXPECT_EQ(b.GENTYPE, 1);
  EXPECT_FLOAT_EQ(b.KBITS, 1024.0f);
  EXPECT_FLOAT_EQ(b.PINS, 28.0f);
  EXPECT_EQ(b.LEARN, 2);
  EXPECT_FLOAT_EQ(b.YEARS, 1.5f);
  EXPECT_FLOAT_EQ(b.DC, 40.0f);
  EXPECT_FLOAT_EQ(b.RW, 200.0f);
  EXPECT_FLOAT_EQ(b.TRISE, 15.0f);
}

TEST(BubbleImport, HybridSkipsPinsLearningAndYears) {
  ImportSetup s;
  s.map("BUB_CHIPS", 3, 2.0);
  s.map("BUB_DC", 10, 40.0);
  std::erase_if(s.kwds, [](const CKwd& k) {
    return k.name == "BUB_PINS" || k.name == "BUB_LEARN" || k.name == "BUB_YEARS";
  });
  CBubble b;
  b.IS_HYBRID = 1;
  ASSERT_TRUE(b.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(b.CHIPS, 2.0f);
  EXPECT_FLOAT_EQ(b.DC, 40.0f);

  // an established circuit part reads its learning but not the years
  ImportSetup t;
  t.map("BUB_LEARN", 8, std::string("Est"));
  std::erase_if(t.kwds, [](const CKwd& k) { return k.name == "BUB_YEARS"; });
  CBubble c;
  EXPECT_TRUE(c.ImportFields(t.reader, false, false, 25.0f));
}

TEST(BubbleImport, RangesClampAndLog) {
  ImportSetup s;
  s.map("BUB_KBITS", 6, 20000.0);
  s.map("BUB_PINS", 7, 1.0);
  CBubble b;
  ASSERT_TRUE(b.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(b.KBITS, 9000.0f);
  EXPECT_FLOAT_EQ(b.PINS, 3.0f);
  EXPECT_GE(s.log.size(), 2u);
}

TEST(BubbleUpdateAndWhatIf, UpdateCopiesDutyReadsAndRise) {
  CBubble own;
  own.CHIPS = 3;
  CBubble other;
  other.CHIPS = 9;
  other.DC = 20;
  other.RW = 50;
  other.TRISE = 7;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.DC, 20.0f);
  EXPECT_FLOAT_EQ(own.RW, 50.0f);
  EXPECT_FLOAT_EQ(own.TRISE, 7.0f);
  EXPECT_FLOAT_EQ(own.CHIPS, 3.0f);

  WhatIfSettings s;  // the bubble memory has no What-If? change
  s.qualityMode = SetDirect;
  s.stressMode = SetDirect;
  own.ApplyWhatIf(s);
  EXPECT_FLOAT_EQ(own.DC, 20.0f);
  EXPECT_FLOAT_EQ(own.TRISE, 7.0f);
}

TEST(BubbleCopyAndArchive, CopyRoundTripAndLayout) {
  registerMicroElectromechParts();
  CBubble a;
  a.PN = "7110";
  a.PART_TYPE = 123;
  a.CHIPS = 2;
  a.ELEMENTS = 200;
  a.GENTYPE = 1;
  a.KBITS = 1024;
  a.PINS = 20;
  a.LEARN = 2;
  a.YEARS = 0.75f;
  a.DC = 60;
  a.RW = 30;
  a.TRISE = 9;
  float* factors[] = {&a.PIQ, &a.C11, &a.C21, &a.C12, &a.C22, &a.C2, &a.PIT1,
                      &a.PIT2, &a.PIW, &a.PIE, &a.PID, &a.PIL, &a.L1,  &a.L2};
  for (std::size_t i = 0; i < 14; ++i) *factors[i] = 0.5f + static_cast<float>(i);
  CBubble b;
  b.CopyFrom(a);
  auto part = test::roundTrip(a);
  auto* c = dynamic_cast<CBubble*>(part.get());
  ASSERT_NE(c, nullptr);
  for (const CBubble* r : {&b, c}) {
    EXPECT_EQ(r->PN, "7110");
    EXPECT_FLOAT_EQ(r->CHIPS, 2);
    EXPECT_FLOAT_EQ(r->ELEMENTS, 200);
    EXPECT_EQ(r->GENTYPE, 1);
    EXPECT_FLOAT_EQ(r->KBITS, 1024);
    EXPECT_FLOAT_EQ(r->PINS, 20);
    EXPECT_EQ(r->LEARN, 2);
    EXPECT_FLOAT_EQ(r->YEARS, 0.75f);
    EXPECT_FLOAT_EQ(r->DC, 60);
    EXPECT_FLOAT_EQ(r->RW, 30);
    EXPECT_FLOAT_EQ(r->TRISE, 9);
    const float got[] = {r->PIQ, r->C11, r->C21, r->C12, r->C22, r->C2, r->PIT1,
                         r->PIT2, r->PIW, r->PIE, r->PID, r->PIL, r->L1,  r->L2};
    for (std::size_t i = 0; i < 14; ++i) EXPECT_FLOAT_EQ(got[i], 0.5f + static_cast<float>(i)) << i;
  }
  // chips, elements, generator byte, Kbits, pins, learning byte, years, duty, reads, rise, 14 factors:
  // 8 + 1 + 8 + 1 + 16 + 56 = 90 bytes
  const std::vector<std::uint8_t> bytes = test::ownBytes(a);
  ASSERT_EQ(bytes.size(), 90u);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 0), 2);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 4), 200);
  EXPECT_EQ(bytes[8], 1);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 9), 1024);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 13), 20);
  EXPECT_EQ(bytes[17], 2);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 18), 0.75f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 22), 60);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 26), 30);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 30), 9);
  for (std::size_t i = 0; i < 14; ++i) {
    EXPECT_FLOAT_EQ(test::floatAt(bytes, 34 + 4 * i), 0.5f + static_cast<float>(i)) << i;
  }
}

TEST(BubbleTextLines, DetailAndFactorLines) {
  CBubble b;
  b.LEARN = 2;
  b.YEARS = 1.5f;
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  const test::Lines l = test::linesOf(b, "> ");
  // "%s%-9s %-13s %-7s %-10s %-8s %-5s %-8s %-8s %-12s"
  // the duty cycle 100 does not fit 5 characters at 2 decimals: "100.0"
  EXPECT_EQ(l.detail1, "> Chips:1   Elements:148  NonSeed Kbits:92   Pins:14  1.50Y DC:100.0% R/W:10   Trise:0.0   ");
  EXPECT_TRUE(l.detail2.empty());
  EXPECT_EQ(l.factors1, "> FR= (   L1    +    L2   ) *   PICF  ");
  // "%s     %-8s   %-8s    %-8s": the default record's lambdas times pi_L = 0.01 exp(5.35 - 0.525)
  // = 1.245865: L1 0.129155 x 1.245865 = 0.160909, L2 0.0059070 x 1.245865 = 0.007359; CF 1.00000
  EXPECT_EQ(l.factors2, ">      0.160909   0.007359    1.00000 ");

  b.IS_HYBRID = 1;
  EXPECT_EQ(test::linesOf(b).detail1,
            "Chips:1   Elements:148  NonSeed Kbits:92" + std::string(2 + 1 + 8 + 1 + 5 + 1, ' ') +
                "DC:100.0% R/W:10   Trise:0.0   ");
  EXPECT_EQ(b.GetTypeName(), "BubbleMemory(Hyb)");
  EXPECT_EQ(CBubble{}.GetTypeName(), "BubbleMemory");
}

TEST(BubblePage, FieldsInPageOrder) {
  CBubble b;
  test::RecordingVisitor v;
  b.paramPage(v);
  const std::vector<std::string> order = {"BUB_CHIPS", "BUB_ELEMENTS", "BUB_GENTYPE", "BUB_KBITS", "BUB_PINS",
                                          "BUB_LEARN", "BUB_YEARS",    "BUB_DC",      "BUB_RW",    "BUB_TRISE"};
  EXPECT_EQ(v.keywords(), order);
  EXPECT_TRUE(v.find("BUB_PINS")->applies);
  EXPECT_FALSE(v.find("BUB_YEARS")->applies);  // "Est"
  b.LEARN = 2;
  test::RecordingVisitor w;
  b.paramPage(w);
  EXPECT_TRUE(w.find("BUB_YEARS")->applies);
  b.IS_HYBRID = 1;
  test::RecordingVisitor x;
  b.paramPage(x);
  EXPECT_FALSE(x.find("BUB_PINS")->applies);
  EXPECT_FALSE(x.find("BUB_LEARN")->applies);
  EXPECT_FALSE(x.find("BUB_YEARS")->applies);
}

// ---- SAW devices ---------------------------------------------------------------

struct SawCase {
  const char* label;
  std::uint8_t quality, env;
  bool hybrid;
  float cf;
  double piq, pie, fr;
};

class SawFailureRate : public ::testing::TestWithParam<SawCase> {};

TEST_P(SawFailureRate, BaseRateTimesQualityAndEnvironment) {
  const SawCase& c = GetParam();
  CSAWDevice s;
  s.QU = c.quality;
  s.IS_HYBRID = c.hybrid ? 1 : 0;
  s.CF = c.cf;
  s.QTY = 6;
  CCircHeader h = header(c.env, 50);
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.LB, 2.1f);
  EXPECT_TRUE(near(s.PIQ, c.piq));
  EXPECT_TRUE(near(s.PIE, c.pie));
  EXPECT_TRUE(near(s.FR, c.fr));
  EXPECT_FLOAT_EQ(s.T, 50.0f);
  EXPECT_FLOAT_EQ(s.S, -1.0f);
  EXPECT_EQ(s.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, SawFailureRate,
                         ::testing::Values(
                             // 2.1 x 0.1 x 220 = 46.2
                             SawCase{"HighQualityAtCannonLaunch", 1, 14, false, 1, 0.1, 220, 46.2},
                             // 2.1 x 1.0 x 0.5 = 1.05
                             SawCase{"CommercialAtGroundBenign", 2, 1, false, 1, 1.0, 0.5, 1.05},
                             // 2.1 x 1.0 x 8 x CF 0.25 = 4.2 (QTY 6 not applied)
                             SawCase{"CommercialAtAirborneFighterWithCorrectionFactor", 2, 9, false, 0.25f, 1.0, 8,
                                     4.2},
                             // hybrid: 2.1 x 1 x 1
                             SawCase{"HybridPart", 1, 14, true, 1, 1.0, 1.0, 2.1}),
                         labelOf<SawCase>);

TEST(SawDevice, StoredChoicesLimitsAndSurfaceMount) {
  CSAWDevice s;
  s.QU = 0;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_EQ(s.QU, 1);
  EXPECT_TRUE(near(s.FR, 0.105));  // 2.1 x 0.1 x 0.5
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);

  CSAWDevice n;
  n.QU = 9;
  n.normalizeChoices();
  EXPECT_EQ(n.QU, 2);
  EXPECT_EQ(n.OverFlags & EntryOverRange, EntryOverRange);

  CSAWDevice t;
  t.TEMPLIMIT = 25.0f;
  t.Calculate(h);
  EXPECT_EQ(t.OverFlags, 0u);
  t.TEMPLIMIT = 24.75f;
  t.Calculate(h);
  EXPECT_EQ(t.OverFlags, static_cast<std::uint32_t>(OverTemp));

  CSAWDevice m;
  m.IS_SMT = 1;
  m.SMT_TEMPRISE = 5.0f;
  CCircHeader smt = test::smtHeader(1, 25);
  m.Calculate(smt);
  EXPECT_EQ(m.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(m.SMT_TEMPRISE, 0.0f);
}

TEST(SawDevice, ImportWhatIfAndText) {
  ImportSetup s;
  s.map("SAW_QU", 3, std::string("HighQuality"));
  CSAWDevice d;
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.QU, 1);

  ImportSetup none;
  std::erase_if(none.kwds, [](const CKwd& k) { return k.name == "SAW_QU"; });
  CSAWDevice circuit;
  EXPECT_FALSE(circuit.ImportFields(none.reader, false, false, 25.0f));
  CSAWDevice hybrid;
  hybrid.IS_HYBRID = 1;
  EXPECT_TRUE(hybrid.ImportFields(none.reader, false, false, 25.0f));

  WhatIfSettings w;
  w.qualityMode = Decrease;
  w.qualityLevel = 1;
  d.ApplyWhatIf(w);
  EXPECT_EQ(d.QU, 2);
  d.ApplyWhatIf(w);
  EXPECT_EQ(d.QU, 2);
  hybrid.QU = 1;
  hybrid.ApplyWhatIf(w);
  EXPECT_EQ(hybrid.QU, 1);

  CCircHeader h = header(14, 25);
  d.Calculate(h);
  const test::Lines l = test::linesOf(d, "> ");
  EXPECT_EQ(l.detail1, "> Qu:Commercial ");
  EXPECT_TRUE(l.detail2.empty());
  EXPECT_EQ(l.factors1, "> FR=    LB    *  PIQ  *  PIE  *   PICF  ");
  // LB 2.10000 (8,6 capped at 5), PIQ 1.00 (5,2), PIE 220.0 (5,1), CF 1.00000
  EXPECT_EQ(l.factors2, ">     2.10000    1.00    220.0   1.00000 ");
  EXPECT_EQ(test::linesOf(hybrid).detail1, std::string(14, ' '));
  EXPECT_EQ(hybrid.GetTypeName(), "SAWDevice(Hyb)");
  EXPECT_EQ(d.GetTypeName(), "SAWDevice");

  test::RecordingVisitor v;
  hybrid.paramPage(v);
  ASSERT_EQ(v.seen.size(), 1u);
  EXPECT_EQ(v.seen[0].keyword, "SAW_QU");
  EXPECT_FALSE(v.seen[0].applies);
}

TEST(SawDevice, CopyRoundTripAndLayout) {
  registerMicroElectromechParts();
  CSAWDevice a;
  a.PN = "SAW-1";
  a.QU = 1;
  a.LB = 2.1f;
  a.PIQ = 0.1f;
  a.PIE = 12.0f;
  CSAWDevice b;
  b.CopyFrom(a);
  auto part = test::roundTrip(a);
  auto* c = dynamic_cast<CSAWDevice*>(part.get());
  ASSERT_NE(c, nullptr);
  for (const CSAWDevice* r : {&b, c}) {
    EXPECT_EQ(r->PN, "SAW-1");
    EXPECT_EQ(r->QU, 1);
    EXPECT_FLOAT_EQ(r->LB, 2.1f);
    EXPECT_FLOAT_EQ(r->PIQ, 0.1f);
    EXPECT_FLOAT_EQ(r->PIE, 12.0f);
  }
  const std::vector<std::uint8_t> bytes = test::ownBytes(a);
  ASSERT_EQ(bytes.size(), 13u);  // quality byte and three factors
  EXPECT_EQ(bytes[0], 1);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 1), 2.1f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 5), 0.1f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 9), 12.0f);
}

struct LineCase {
  const char* label;
  float value;
  std::size_t prefixLength;
};

class BubbleSawTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(BubbleSawTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  const std::string prefix(c.prefixLength, '>');
  CBubble b;
  b.LEARN = 2;
  b.CHIPS = b.ELEMENTS = b.KBITS = b.PINS = b.YEARS = b.DC = b.RW = b.TRISE = b.CF = c.value;
  b.L1 = b.L2 = c.value;
  CSAWDevice s;
  s.LB = s.PIQ = s.PIE = s.CF = c.value;
  for (const CPart* part : {static_cast<const CPart*>(&b), static_cast<const CPart*>(&s)}) {
    const test::Lines l = test::linesOf(*part, prefix);
    EXPECT_LE(l.detail1.size(), 132u);
    EXPECT_LE(l.factors1.size(), 132u);
    EXPECT_LE(l.factors2.size(), 132u);
    EXPECT_FALSE(l.factors2.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, BubbleSawTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 3e38f, 0}, LineCase{"NegativeHuge", -3e38f, 0},
                                           LineCase{"NotANumber", kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 3e38f, 200},
                                           LineCase{"OrdinaryValuesLongPrefix", 1.0f, 131}),
                         labelOf<LineCase>);

}  // namespace
}  // namespace kestrel
