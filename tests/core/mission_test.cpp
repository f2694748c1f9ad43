#include <gtest/gtest.h>

#include <cmath>

#include "core/calculate_command.hpp"
#include "core/circ_doc.hpp"
#include "core/model_combination.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

using test::fixedPart;
using test::RecordingUi;

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

TEST(Combination, TwoOfThreeEqualUnitsIsPointNineSevenTwo) {
  const UnitReliability units[] = {{0.9, 3}};
  const auto r = combineReliabilities(units, {3, 2, 3, false, 1, 1});
  ASSERT_TRUE(r.reliability);
  EXPECT_NEAR(*r.reliability, 0.972, 1e-12);  // 0.9^3 + 3 x 0.9^2 x 0.1
}

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
