#include "core/number_format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrel {
namespace {

struct FormatCase {
  double value;
  int width;
  int precision;
  const char* plain;
  const char* padded;
};

class NumberFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormat, MatchesHandWorkedText) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(formatNumber(c.value, c.width, c.precision), c.plain);
  EXPECT_EQ(formatPadded(c.value, c.width, c.precision), c.padded);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberFormat,
    ::testing::Values(
        // zero prints with precision 1, either sign
        FormatCase{0.0, 10, 6, "0.0", "0.0     "},
        FormatCase{-0.0, 10, 6, "-0.0", "-0.0     "},
        // precision capped at 4 from 10 on; the padded form keeps ten characters
        FormatCase{123.456, 10, 6, "123.4560", "123.4560  "},
        // capped at 5 between 1 and 10, at 6 below 1
        FormatCase{1.5, 10, 6, "1.50000", "1.50000 "},
        FormatCase{0.123456789, 10, 6, "0.123457", "0.123457"},
        FormatCase{-0.5, 10, 6, "-0.500000", "-0.500000"},
        // shrinking precision until the text fits
        FormatCase{12345.678, 8, 6, "12345.68", "12345.68"},
        FormatCase{123456.7, 8, 6, "123456.7", "123456.7"},
        // a nine-digit value at width 8 cannot fit even at precision 1
        FormatCase{123456789.0, 8, 6, "********", "********"},
        // precision 0 becomes 1
        FormatCase{5.0, 6, 0, "5.0", "5.0"},
        // a requested precision below the cap is kept
        FormatCase{2.345, 6, 2, "2.35", "2.35"},
        // beyond 1e70, and every non-finite value, print as asterisks
        FormatCase{1e71, 12, 6, "************", "************"},
        FormatCase{-1e71, 5, 2, "*****", "*****"},
        FormatCase{kInf, 12, 6, "************", "************"},
        FormatCase{-kInf, 6, 2, "******", "******"},
        FormatCase{kNaN, 8, 6, "********", "********"},
        // a tiny value rounds to zero at the capped precision
        FormatCase{1e-9, 10, 6, "0.000000", "0.000000"},
        // rounding up at precision 1 can still overflow the field
        FormatCase{99999.99, 7, 2, "*******", "*******"},
        // reduced precision pads blanks up to the field width only
        FormatCase{1234.5678, 10, 6, "1234.5678", "1234.5678 "},
        FormatCase{1234.5678, 7, 6, "1234.57", "1234.57"}));

TEST(NumberFormat, NeverWiderThanTheFieldWhenItFits) {
  const double values[] = {0.001, 0.5, 7.25, 42.0, 1234.5678, 98765.4321, -3.25, 1e6};
  for (double v : values) {
    for (int w = 4; w <= 15; ++w) {
      const std::string text = formatNumber(v, w, 6);
      EXPECT_LE(text.size(), static_cast<std::size_t>(w)) << v << " at width " << w;
      if (text.find('*') == std::string::npos) {
        EXPECT_NEAR(std::stod(text), v, std::fabs(v) * 0.05 + 0.05) << text;
      }
    }
  }
}

}  // namespace
}  // namespace kestrel
