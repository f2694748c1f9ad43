#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "core/calculate_command.hpp"
#include "core/circ_doc.hpp"
#include "core/model_combination.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

using test::fixedPart;
using test::RecordingUi;

// A part whose solder-joint result is given directly, so the circuit-level
// surface-mount rule can be checked on its own.
class SolderJointStub final : public CPart {
 public:
  static const ClassRecord kClass;
  SolderJointStub(double fr, double frsmt) : fr_(fr), frsmt_(frsmt) { PART_TYPE = 607; }
  SolderJointStub() = default;
  const ClassRecord& classRecord() const override { return kClass; }
  void Calculate(CCircHeader&) override {
    FR = static_cast<float>(fr_);
    FRSMT = static_cast<float>(frsmt_);
    SmtCalcFlag = 1;
    S = -1;
  }

 private:
  double fr_ = 0, frsmt_ = 0;
};

const ClassRecord SolderJointStub::kClass = makeClassRecord<SolderJointStub>("CFuse");

double frOf(const CCircDoc& doc) { return doc.header().TotalFR; }

TEST(BasicCalc, HeaderCorrectionFactorScalesTotalButNotShares) {
  CCircDoc doc;
  RecordingUi ui;
  doc.insertSorted(fixedPart(4.0, "A", "R1", 1));
  doc.insertSorted(fixedPart(3.0, "B", "R2", 2));  // TFR 6
  doc.header().CF = 2.0f;
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 1000.0));
  const CCircHeader& h = doc.header();
  EXPECT_DOUBLE_EQ(h.TotalFR, 20.0);
  EXPECT_DOUBLE_EQ(h.MTBF, 50000.0);
  EXPECT_NEAR(h.BasicR, std::exp(-20.0 * 1000.0 * 1e-6), 1e-12);
  EXPECT_FLOAT_EQ(h.PartsCount, 3.0f);
  const std::size_t misc = typePosition(kMiscType, false, nullptr);
  EXPECT_EQ(h.TypeList[misc], kMiscType);
  EXPECT_FLOAT_EQ(h.TypeCount[misc], 3.0f);
  EXPECT_FLOAT_EQ(h.TypeFR[misc], 10.0f);
  EXPECT_FLOAT_EQ(h.TypeFRShare[misc], 100.0f);  // against 10, not 20
  EXPECT_FLOAT_EQ(h.TypeCountShare[misc], 100.0f);
  EXPECT_EQ(h.CalcFlags, HeaderBasicDone);
  EXPECT_DOUBLE_EQ(doc.shareBase(), 10.0);
  // part reliability over the mission time, one unit
  EXPECT_NEAR(doc.record(0).BasicR, std::exp(-1000.0 * 4.0 * 1e-6), 1e-7);
  EXPECT_EQ(doc.record(0).CalcFlags & PartBasicDone, PartBasicDone);
  EXPECT_FLOAT_EQ(h.MissionTime, 1000.0f);
}

TEST(BasicCalc, NegativeMissionTimeKeepsStoredOne) {
  CCircDoc doc;
  RecordingUi ui;
  doc.insertSorted(fixedPart(1.0));
  doc.header().MissionTime = 500.0f;
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, -1.0));
  EXPECT_FLOAT_EQ(doc.header().MissionTime, 500.0f);
}

TEST(BasicCalc, EmptyCircuitHasZeroRateInfiniteMtbfAndNoNaN) {
  CCircDoc doc;
  RecordingUi ui;
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  const CCircHeader& h = doc.header();
  EXPECT_EQ(h.TotalFR, 0.0);
  EXPECT_TRUE(std::isinf(h.MTBF));
  EXPECT_EQ(formatNumber(h.MTBF, 12, 6), "************");
  EXPECT_EQ(h.BasicR, 1.0);
  for (float share : h.TypeFRShare) EXPECT_EQ(share, 0.0f);
  for (float share : h.TypeCountShare) EXPECT_EQ(share, 0.0f);
}

TEST(BasicCalc, ZeroHeaderCorrectionFactorStoresNoNaN) {
  CCircDoc doc;
  RecordingUi ui;
  doc.insertSorted(fixedPart(5.0));
  doc.header().CF = 0.0f;  // as read from a damaged or hand-made file
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  const CCircHeader& h = doc.header();
  EXPECT_EQ(h.TotalFR, 0.0);
  EXPECT_FALSE(std::isnan(h.MTBF));
  for (float share : h.TypeFRShare) EXPECT_FALSE(std::isnan(share));
  const std::size_t misc = typePosition(kMiscType, false, nullptr);
  EXPECT_FLOAT_EQ(h.TypeFRShare[misc], 100.0f);  // shares are against the sum of TFR
}

TEST(BasicCalc, LargestSolderJointRateAddedOnceBeforeCorrectionFactor) {
  CCircDoc doc;
  RecordingUi ui;
  doc.header().HASSMT = 1;
  doc.header().CF = 2.0f;
  doc.insertSorted(std::make_unique<SolderJointStub>(1.0, 0.3));
  doc.insertSorted(std::make_unique<SolderJointStub>(2.0, 0.5));
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  EXPECT_NEAR(doc.header().LargestFRSMT, 0.5, 1e-6);
  EXPECT_NEAR(frOf(doc), (1.0 + 2.0 + 0.5) * 2.0, 1e-6);
  EXPECT_NEAR(doc.shareBase(), 3.5, 1e-6);

  doc.header().HASSMT = 0;  // switched off: the joint term is not added
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  EXPECT_NEAR(frOf(doc), 6.0, 1e-6);
}

struct HybridCase {
  std::uint8_t env, function, learning, quality;
  float years, custom;
  double expectedFr;
};

class HybridModel : public ::testing::TestWithParam<HybridCase> {};

// SUMCHIPS = 10 fpmh in every case; FR = SUMCHIPS (1 + 0.2 PIE) PIF PIL PIQ x CF.
TEST_P(HybridModel, MatchesHandWorkedRate) {
  const HybridCase& c = GetParam();
  CCircDoc doc(DocKind::Hybrid);
  RecordingUi ui;
  doc.insertSorted(fixedPart(4.0, "C1", "U1", 1));
  doc.insertSorted(fixedPart(3.0, "C2", "U2", 2));
  CCircHeader& h = doc.header();
  h.ENV = c.env;
  h.HYBFUNC = c.function;
  h.HYBLEARN = c.learning;
  h.HYBQU = c.quality;
  h.HYBYEARS = c.years;
  h.HYBQUCUSTOM = c.custom;
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  EXPECT_DOUBLE_EQ(h.SUMCHIPS, 10.0);
  EXPECT_NEAR(h.TotalFR, c.expectedFr, c.expectedFr * 1e-6);
  EXPECT_NEAR(doc.shareBase(), 10.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HybridModel,
    ::testing::Values(
        // GB, Digital, established, Commercial: 10 x 1.1 x 1.0 x 1.0 x 10
        HybridCase{1, 1, 1, 3, 0.5f, 1.0f, 110.0},
        // CL 220, Power 21, S 0.25: 10 x 45 x 21 x 0.25
        HybridCase{14, 5, 1, 1, 2.0f, 1.0f, 2362.5},
        // New, 2 years: PIL = 0.01 exp(4.65) = 1.04585; AIC 4, Video 1.2, B 1.0
        HybridCase{6, 2, 2, 2, 2.0f, 1.0f, 10.0 * 1.8 * 1.2 * 0.01 * std::exp(4.65)},
        // Established learning ignores the years; custom quality beyond the table
        HybridCase{5, 3, 1, 4, 0.01f, 9.5f, 10.0 * 2.2 * 2.6 * 9.5},
        // An out-of-list environment byte is limited, never read past the table
        HybridCase{200, 9, 1, 3, 2.0f, 1.0f, 10.0 * 45.0 * 21.0 * 10.0}));

TEST(BasicCalc, UnknownTypeCountedInLastSlotAndFlagged) {
  CCircDoc doc;
  RecordingUi ui;
  auto stray = fixedPart(2.0, "X");
  stray->PART_TYPE = 9999;  // a type id this program does not know
  doc.insertSorted(std::move(stray));
  doc.insertSorted(fixedPart(1.0, "Y"));
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  const CCircHeader& h = doc.header();
  EXPECT_FLOAT_EQ(h.TypeFR[kUnknownTypeSlot], 2.0f);
  EXPECT_FLOAT_EQ(h.TypeCount[kUnknownTypeSlot], 1.0f);
  EXPECT_NEAR(h.TypeFRShare[kUnknownTypeSlot], 200.0 / 3.0, 1e-4);
  const CPart& flagged = doc.record(1);
  EXPECT_EQ(flagged.PART_TYPE, 9999);
  EXPECT_NE(flagged.OverFlags & EntryOverRange, 0u);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Call support: part type position error..."});
}

TEST(BasicCalc, ProgressLinesNameDocumentLevelAndCounts) {
  CCircDoc doc;
  doc.setPath("/tmp/amp.cir");
  RecordingUi ui;
  for (int i = 0; i < 3; ++i) doc.insertSorted(fixedPart(1.0));
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, 8760.0));
  EXPECT_EQ(ui.lineHistory[1].at(1), "Basic Calculation:");
  EXPECT_EQ(ui.lines[2], "'AMP.CIR' (Level 1)...");
  EXPECT_EQ(ui.lineHistory[3][1], "...calculating 3 records...");
  EXPECT_EQ(ui.lines[3], "...totals for 3 records...");
  EXPECT_EQ(ui.barIndex, 3);
  EXPECT_EQ(ui.barCount, 3);
}

TEST(BasicCalc, TooManyLevelsFails) {
  CCircDoc doc;
  RecordingUi ui;
  doc.insertSorted(fixedPart(1.0));
  CalcContext ctx{ui};
  EXPECT_FALSE(doc.BasicCalc(ctx, kMaxLevels, 8760.0));
  EXPECT_EQ(ui.lines[4], "...Error: too many levels.");
  EXPECT_EQ(doc.header().CalcFlags, 0);
}

TEST(BasicCalc, SubFileRecordWithoutAccessCannotOpen) {
  CCircDoc doc;
  doc.setPath("/tmp/top.cir");
  RecordingUi ui;
  auto sub = fixedPart(1.0);
  sub->PART_TYPE = kSubCircuitType;
  sub->FileName = "CHILD.CIR";
  doc.insertSorted(std::move(sub));
  CalcContext ctx{ui};
  EXPECT_FALSE(doc.BasicCalc(ctx, 0, 8760.0));
  EXPECT_EQ(ui.lines[5], "...Error: can not open (rec#1).");
}

struct CancelCase {
  bool answerYes;
  bool succeeds;
};

class CancelAtEleven : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelAtEleven, AsksAndStopsOnlyOnYes) {
  CCircDoc doc;
  RecordingUi ui;
  for (int i = 0; i < 25; ++i) doc.insertSorted(fixedPart(1.0));
  ui.cancelAtRecord = 11;  // cancel is polled on records 1, 11, 21
  ui.answers = {GetParam().answerYes};
  CalcContext ctx{ui};
  EXPECT_EQ(doc.BasicCalc(ctx, 0, 8760.0), GetParam().succeeds);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Cancel calculation?"});
  if (GetParam().answerYes) {
    EXPECT_EQ(ui.lines[4], "...Cancel (rec#11).");
    EXPECT_EQ(doc.header().CalcFlags, 0);
    EXPECT_EQ(doc.record(11).CalcFlags, 0);  // record 12 was never reached
  } else {
    EXPECT_FALSE(ui.cancel);
    EXPECT_EQ(doc.record(24).CalcFlags & PartBasicDone, PartBasicDone);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, CancelAtEleven,
                         ::testing::Values(CancelCase{true, false}, CancelCase{false, true}));

TEST(BasicCalc, ClosedProgressWindowStops) {
  CCircDoc doc;
  RecordingUi ui;
  ui.windowOpen = false;
  doc.insertSorted(fixedPart(1.0));
  CalcContext ctx{ui};
  EXPECT_FALSE(doc.BasicCalc(ctx, 0, 8760.0));
}

TEST(BasicCalc, WhatIfChangesHeaderOncePerFile) {
  CCircDoc doc;
  doc.setPath("/tmp/w.cir");
  RecordingUi ui;
  doc.insertSorted(fixedPart(1.0));
  WhatIfSettings settings;
  settings.changeEnvironment = true;
  settings.environment = 5;
  settings.tempMode = Decrease;
  settings.tempValue = 100.0f;
  CalcContext ctx{ui};
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, -1.0, &settings));
  EXPECT_EQ(doc.header().ENV, 5);
  EXPECT_FLOAT_EQ(doc.header().TEMP, -55.0f);  // 25 - 100, limited
  doc.header().TEMP = 40.0f;
  ASSERT_TRUE(doc.BasicCalc(ctx, 0, -1.0, &settings));  // already processed: unchanged
  EXPECT_FLOAT_EQ(doc.header().TEMP, 40.0f);
}

struct CombinationCase {
  const char* name;
  std::uint8_t model;
  double k;
  bool smt;
  double smtR;
  double cf;
  double expected;
};

class Combination : public ::testing::TestWithParam<CombinationCase> {};

// Two records: QTY 2 at 0.9 and QTY 1 at 0.8 (parts count 3).
TEST_P(Combination, MatchesHandWorkedValue) {
  const CombinationCase& c = GetParam();
  const UnitReliability units[] = {{0.9, 2}, {0.8, 1}};
  const auto r = combineReliabilities(units, {c.model, c.k, 3, c.smt, c.smtR, c.cf});
  ASSERT_TRUE(r.reliability.has_value()) << r.error;
  EXPECT_NEAR(*r.reliability, c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Combination,
    ::testing::Values(
        // 0.9^2 x 0.8
        CombinationCase{"Serial", 1, 0, false, 1, 1, 0.648},
        // 1 - 0.1^2 x 0.2
        CombinationCase{"Parallel", 2, 0, false, 1, 1, 0.998},
        // at least 2 of {0.9, 0.9, 0.8}: 0.9x0.9 + 2 x 0.9 x 0.1 x 0.8 = 0.81 + 0.144
        CombinationCase{"TwoOfThree", 3, 2, false, 1, 1, 0.954},
        // the joints as a fourth unit of 0.5 that counts like any other: at least 3 of 4
        // P(all 4) = 0.9^2 x 0.8 x 0.5 = 0.324; exactly 3: joints fail 0.648 x 0.5 = 0.324,
        // one 0.9 fails 2 x 0.1 x 0.9 x 0.8 x 0.5 = 0.072, the 0.8 fails 0.81 x 0.2 x 0.5 = 0.081
        CombinationCase{"ThreeOfFourWithJoints", 3, 3, true, 0.5, 1, 0.324 + 0.324 + 0.072 + 0.081},
        // serial with joints 0.5, raised to CF 2: (0.648 x 0.5)^2
        CombinationCase{"SerialJointsAndCorrection", 1, 0, true, 0.5, 2, 0.104976},
        // K = 0: nothing is needed
        CombinationCase{"ZeroOfN", 3, 0, false, 1, 1, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Combination, KofNRefusesTooFewUnitsAndTooManyParts) {
  const UnitReliability units[] = {{0.9, 2}, {0.8, 1}};
  EXPECT_EQ(combineReliabilities(units, {3, 4, 3, false, 1, 1}).error,
            "...Error: K-of-N quantity (K=4, N=3).");
  // N is the units actually there: a quantity of 1.5 is one unit
  const UnitReliability half[] = {{0.9, 1.5}, {0.8, 0.5}};
  EXPECT_EQ(combineReliabilities(half, {3, 2, 2, false, 1, 1}).error,
            "...Error: K-of-N quantity (K=2, N=1).");
  EXPECT_EQ(combineReliabilities(units, {3, 2, 1000, false, 1, 1}).error,
            "...Error: K-of-N quantity (N=1000).");
  EXPECT_EQ(combineReliabilities(units, {7, 2, 3, false, 1, 1}).error, "...Error: invalid model type.");
}

std::unique_ptr<CCircDoc> exponentialCircuit(std::uint8_t model, double k, int units, double rate) {
  auto doc = std::make_unique<CCircDoc>();
  doc->header().MODEL = model;
  doc->header().NREQ = static_cast<float>(k);
  doc->insertSorted(fixedPart(rate, "U", "U1", units));
  return doc;
}

double binomialAtLeast(int k, int n, double r) {
  double sum = 0.0;
  for (int j = k; j <= n; ++j) {
    sum += std::tgamma(n + 1) / (std::tgamma(j + 1) * std::tgamma(n - j + 1)) * std::pow(r, j) *
           std::pow(1 - r, n - j);
  }
  return sum;
}

// Mission reliability of n exponential units against the closed forms.
TEST(MissionCalc, MatchesClosedFormsOverARangeOfTimes) {
  const double rate = 50.0;  // fpmh per unit
  for (double t : {1.0, 100.0, 5000.0, 20000.0, 100000.0}) {
    const double r = std::exp(-rate * t * 1e-6);
    struct Case { std::uint8_t model; double k; double expected; };
    const Case cases[] = {{1, 0, std::pow(r, 4)},
                          {2, 0, 1 - std::pow(1 - r, 4)},
                          {3, 3, binomialAtLeast(3, 4, r)},
                          {3, 1, binomialAtLeast(1, 4, r)}};
    for (const Case& c : cases) {
      auto doc = exponentialCircuit(c.model, c.k, 4, rate);
      RecordingUi ui;
      CalcContext ctx(ui);
      ASSERT_TRUE(doc->BasicCalc(ctx, 0, t));
      ASSERT_TRUE(doc->MissionCalc(ctx, 0)) << ui.lines[4];
      EXPECT_NEAR(doc->header().MissionR, c.expected, 1e-6) << "model " << int(c.model) << " t " << t;
      EXPECT_EQ(doc->header().CalcFlags & HeaderMissionDone, HeaderMissionDone);
    }
  }
}

struct MtbfCase {
  const char* name;
  std::uint8_t model;
  double k;
  int units;
  double expected;  // hours
};

class MissionMtbf : public ::testing::TestWithParam<MtbfCase> {};

// lambda = 100 fpmh per unit: 1/lambda = 10 000 h.
TEST_P(MissionMtbf, MatchesTheClosedFormWithinTheStoppingRule) {
  const MtbfCase& c = GetParam();
  auto doc = exponentialCircuit(c.model, c.k, c.units, 100.0);
  RecordingUi ui;
  CalcContext ctx(ui);
  ASSERT_TRUE(doc->BasicCalc(ctx, 0, 1000.0));
  ASSERT_TRUE(doc->MissionCalc(ctx, 0));
  long evaluations = 0;
  ASSERT_TRUE(doc->MissionMTBF(ctx, &evaluations)) << ui.lines[1];
  EXPECT_NEAR(doc->header().MissionMTBF, c.expected, c.expected * 0.002);
  EXPECT_GT(evaluations, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissionMtbf,
    ::testing::Values(
        // one unit: MTBF = 1/lambda
        MtbfCase{"SingleExponential", 1, 0, 1, 10000.0},
        // serial of 2: 1/(2 lambda)
        MtbfCase{"SerialOfTwo", 1, 0, 2, 5000.0},
        // parallel of 2: 1/lambda + 1/lambda - 1/(2 lambda)
        MtbfCase{"ParallelOfTwo", 2, 0, 2, 15000.0},
        // 2 of 3: 1/(3 lambda) + 1/(2 lambda)
        MtbfCase{"TwoOfThree", 3, 2, 3, 10000.0 / 3 + 5000.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MissionMtbf, CircuitThatNeverFailsHasInfiniteMtbfWithoutIterating) {
  auto doc = exponentialCircuit(1, 0, 1, 0.0);
  RecordingUi ui;
  CalcContext ctx(ui);
  ASSERT_TRUE(doc->BasicCalc(ctx, 0, 1000.0));
  long evaluations = 0;
  ASSERT_TRUE(doc->MissionMTBF(ctx, &evaluations));
  EXPECT_TRUE(std::isinf(doc->header().MissionMTBF));
  EXPECT_EQ(evaluations, 0);
}

TEST(MissionMtbf, CancelAsksAndStops) {
  auto doc = exponentialCircuit(1, 0, 1, 100.0);
  RecordingUi ui;
  CalcContext ctx(ui);
  ASSERT_TRUE(doc->BasicCalc(ctx, 0, 1000.0));
  ui.cancel = true;
  ui.answers = {true};
  EXPECT_FALSE(doc->MissionMTBF(ctx));
  EXPECT_EQ(ui.lines[4], "...Cancel.");
  EXPECT_EQ(doc->header().CalcFlags & HeaderMissionMtbfDone, 0);
}

TEST(CalculateCommand, MissionModeSetsEveryFlagAndPrintsFourLines) {
  auto doc = exponentialCircuit(1, 0, 1, 100.0);
  doc->setPath("/tmp/one.cir");
  RecordingUi ui;
  CalcContext ctx(ui);
  const CalculateOutcome out = runCalculate(*doc, ctx, {true, 1000.0});
  ASSERT_TRUE(out.ok);
  ASSERT_EQ(out.lines.size(), 4u);
  EXPECT_EQ(out.lines[0], "'ONE.CIR' Calculation Results:");
  EXPECT_EQ(out.lines[1], "FR=100.0000 fpmh   MTBF=10000.0000 hrs.   Parts=1");
  EXPECT_EQ(out.lines[3], "MissionR=0.904837   BasicR=0.904837");  // exp(-0.1)
  EXPECT_EQ(doc->header().CalcFlags, HeaderBasicDone | HeaderMissionDone | HeaderMissionMtbfDone);
}

TEST(CalculateCommand, SurfaceMountSettingComesBackWhenTheMissionStageFails) {
  auto doc = exponentialCircuit(3, 5, 2, 100.0);  // K = 5 of 2 units: refused
  doc->header().HASSMT = 1;                       // no joint rates: switched off for the mission
  RecordingUi ui;
  CalcContext ctx(ui);
  EXPECT_FALSE(runCalculate(*doc, ctx, {true, 1000.0}).ok);
  EXPECT_EQ(ui.lines[4], "...Error: K-of-N quantity (K=5, N=2).");  // no joint unit counted
  EXPECT_EQ(doc->header().HASSMT, 1);
}

TEST(CalculateCommand, MissionTimeLimitedWithItsMessages) {
  RecordingUi ui;
  EXPECT_EQ(limitedMissionTime(0.0, ui), 0.000001);
  EXPECT_EQ(limitedMissionTime(-5.0, ui), 0.000001);
  EXPECT_EQ(limitedMissionTime(2e7, ui), 10000000.0);
  EXPECT_EQ(limitedMissionTime(8760.0, ui), 8760.0);
  const std::vector<std::string> expected = {"Setting Mission Time to minimum:\n0.000001 hrs.",
                                             "Setting Mission Time to minimum:\n0.000001 hrs.",
                                             "Setting Mission Time to maximum:\n10.0 million hrs."};
  EXPECT_EQ(ui.messages, expected);
}

}  // namespace
}  // namespace kestrel
