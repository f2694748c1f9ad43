// Axis scales: nice linear steps, whole decades, and labels that tell the
// ticks apart.
#include <gtest/gtest.h>

#include "graph/axis_scale.hpp"

namespace kestrel::graph {
namespace {

std::vector<std::string> labels(const AxisScale& s) {
  std::vector<std::string> out;
  for (const Tick& t : s.ticks) {
    if (t.major) out.push_back(t.label);
  }
  return out;
}

struct LinearCase {
  const char* name;
  double min, max;
  bool zero;
  std::vector<std::string> labels;
};
void PrintTo(const LinearCase& c, std::ostream* os) { *os << c.name; }

class LinearAxis : public ::testing::TestWithParam<LinearCase> {};

TEST_P(LinearAxis, TakesNiceStepsCoveringTheValues) {
  const LinearCase& c = GetParam();
  const AxisScale s = linearScale(c.min, c.max, 6, c.zero);
  EXPECT_EQ(labels(s), c.labels);
  EXPECT_LE(s.lo, std::min(c.min, c.max) + 1e-12);
  EXPECT_GE(s.hi, std::max(c.min, c.max) - 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Graph, LinearAxis,
    ::testing::Values(LinearCase{"Temperatures", -55, 175, false, {"-100", "-50", "0", "50", "100", "150", "200"}},
                      LinearCase{"ReliabilityNearOne", 0.95, 0.999, false,
                                 {"0.95", "0.96", "0.97", "0.98", "0.99", "1.00"}},
                      LinearCase{"BarsFromZero", 12, 38, true, {"0", "10", "20", "30", "40"}},
                      LinearCase{"MtbfInHours", 20000, 95000, false,
                                 {"20000", "40000", "60000", "80000", "100000"}},
                      LinearCase{"LargeValuesInScientificForm", 1.2e7, 4.1e7, false,
                                 {"1e+07", "2e+07", "3e+07", "4e+07", "5e+07"}},
                      LinearCase{"HalfStepsKeepOneDigitOnEveryTick", 1.0e7, 3.0e7, false,
                                 {"1.0e+07", "1.5e+07", "2.0e+07", "2.5e+07", "3.0e+07"}},
                      LinearCase{"OneValueGetsARangeAroundIt", 5, 5, false, {"4.4", "4.6", "4.8", "5.0", "5.2", "5.4", "5.6"}},
                      LinearCase{"ReversedOrder", 10, 0, false, {"0", "2", "4", "6", "8", "10"}},
                      LinearCase{"NoNegativeZero", -0.3, 0.3, false, {"-0.4", "-0.2", "0.0", "0.2", "0.4"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TightAxis, EndsAtTheSweptRangeWithNiceTicksInside) {
  const AxisScale s = tightLinearScale(-55, 175, 8);
  EXPECT_DOUBLE_EQ(s.lo, -55);
  EXPECT_DOUBLE_EQ(s.hi, 175);
  EXPECT_EQ(labels(s), (std::vector<std::string>{"-50", "0", "50", "100", "150"}));
  EXPECT_EQ(labels(tightLinearScale(0, 100, 8)), (std::vector<std::string>{"0", "20", "40", "60", "80", "100"}));
}

TEST(LogAxis, RunsFromDecadeToDecadeWithMinorTicksBetween) {
  const AxisScale s = logScale(0.03, 450);
  EXPECT_TRUE(s.log);
  EXPECT_DOUBLE_EQ(s.lo, 0.01);
  EXPECT_DOUBLE_EQ(s.hi, 1000);
  EXPECT_EQ(labels(s), (std::vector<std::string>{"0.01", "0.1", "1", "10", "100", "1000"}));
  EXPECT_EQ(s.ticks.size(), 6u + 5u * 8u);
  EXPECT_DOUBLE_EQ(s.fraction(1.0), 0.4);
  EXPECT_LT(s.fraction(0.0), 0.0);
}

TEST(LogAxis, OneDecadeAtLeastAndFarDecadesInScientificForm) {
  EXPECT_EQ(labels(logScale(10, 10)), (std::vector<std::string>{"10", "100"}));
  EXPECT_EQ(decadeLabel(7), "1e+07");
  EXPECT_EQ(decadeLabel(-5), "1e-05");
  EXPECT_EQ(decadeLabel(-4), "0.0001");
  EXPECT_EQ(decadeLabel(6), "1000000");
}

TEST(LogAxis, ValuesNotAboveZeroFallBackToLinear) { EXPECT_FALSE(logScale(0.0, 10).log); }

TEST(ValueLabels, FourSignificantDigitsAndPercents) {
  EXPECT_EQ(valueLabel(12.3456), "12.35");
  EXPECT_EQ(valueLabel(0.0012345), "0.001234");
  EXPECT_EQ(valueLabel(123456.7), "123457");
  EXPECT_EQ(valueLabel(2.5e8), "2.500e+08");
  EXPECT_EQ(valueLabel(1.0 / 0.0), "*");
  EXPECT_EQ(percentLabel(78.68), "78.7");
  EXPECT_EQ(percentLabel(0.9266), "0.93");
  EXPECT_EQ(percentLabel(0.00658), "0.0066");
}

}  // namespace
}  // namespace kestrel::graph
