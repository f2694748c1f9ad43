#include "core/number_format.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr double kLargestPrintable = 1e70;

int cappedPrecision(double value, int precision) {
  if (value == 0.0) return 1;
  const double magnitude = std::fabs(value);
  const int cap = magnitude < 1.0 ? 6 : (magnitude < 10.0 ? 5 : 4);
  return std::clamp(precision, 1, cap);
}

}  // namespace

std::string formatNumber(double value, int width, int precision) {
  const int w = std::clamp(width, 1, static_cast<int>(kMaxLineLength));
  const std::string stars(static_cast<std::size_t>(w), '*');
  if (!std::isfinite(value) || std::fabs(value) > kLargestPrintable) return stars;
  for (int p = cappedPrecision(value, precision); p >= 1; --p) {
    std::string text = strprintf("%.*f", p, value);
    if (text.size() <= static_cast<std::size_t>(w)) return text;
  }
  return stars;
}

std::string formatPadded(double value, int width, int precision) {
  std::string text = formatNumber(value, width, precision);
  const auto point = text.find('.');
  if (point == std::string::npos) return text;
  const std::size_t w = static_cast<std::size_t>(std::clamp(width, 1, static_cast<int>(kMaxLineLength)));
  while (text.size() < w && static_cast<int>(text.size() - point - 1) < precision) text.push_back(' ');
  return text;
}

}  // namespace kestrel
