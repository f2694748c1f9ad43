#include "graph/axis_scale.hpp"

#include <algorithm>
#include <cmath>

#include "core/strfmt.hpp"

namespace kestrel::graph {
namespace {

// The step of 1, 2 or 5 times a power of ten nearest above `rough`.
double niceStep(double rough) {
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double f = rough / power;
  const double nice = f <= 1.0 ? 1.0 : f <= 2.0 ? 2.0 : f <= 5.0 ? 5.0 : 10.0;
  return nice * power;
}

}  // namespace

double AxisScale::fraction(double value) const {
  if (log) {
    if (!(value > 0.0)) return -1.0;
    return (std::log10(value) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
  }
  return (value - lo) / (hi - lo);
}

AxisScale linearScale(double min, double max, int targetTicks, bool includeZero) {
  if (min > max) std::swap(min, max);
  if (!std::isfinite(min) || !std::isfinite(max)) min = 0.0, max = 1.0;
  if (includeZero) {
    min = std::min(min, 0.0);
    max = std::max(max, 0.0);
  }
  if (max - min <= std::abs(max) * 1e-12) {
    // One value (or none): a range around it.
    const double pad = max == 0.0 ? 1.0 : std::abs(max) * 0.1;
    if (!(includeZero && min == 0.0)) min -= pad;
    max += pad;
  }
  const int intervals = std::max(2, targetTicks - 1);
  const double step = niceStep((max - min) / intervals);
  AxisScale scale;
  scale.lo = std::floor(min / step + 1e-9) * step;
  scale.hi = std::ceil(max / step - 1e-9) * step;
  const long count = std::lround((scale.hi - scale.lo) / step);
  for (long i = 0; i <= count; ++i) {
    double v = scale.lo + static_cast<double>(i) * step;
    if (std::abs(v) < step * 1e-9) v = 0.0;  // no "-0"
    scale.ticks.push_back({v, tickLabel(v, step, std::max(std::abs(scale.lo), std::abs(scale.hi))), true});
  }
  return scale;
}

AxisScale tightLinearScale(double min, double max, int targetTicks) {
  if (min > max) std::swap(min, max);
  AxisScale scale = linearScale(min, max, targetTicks, false);
  if (!(max > min)) return scale;
  std::erase_if(scale.ticks, [&](const Tick& t) {
    const double slack = (max - min) * 1e-9;
    return t.value < min - slack || t.value > max + slack;
  });
  scale.lo = min;
  scale.hi = max;
  return scale;
}

AxisScale logScale(double min, double max) {
  if (min > max) std::swap(min, max);
  if (!(min > 0.0) || !std::isfinite(max)) return linearScale(min, max, 6, false);
  int first = static_cast<int>(std::floor(std::log10(min) + 1e-9));
  int last = static_cast<int>(std::ceil(std::log10(max) - 1e-9));
  if (last <= first) last = first + 1;
  AxisScale scale;
  scale.log = true;
  scale.lo = std::pow(10.0, first);
  scale.hi = std::pow(10.0, last);
  for (int e = first; e <= last; ++e) {
    const double decade = std::pow(10.0, e);
    scale.ticks.push_back({decade, decadeLabel(e), true});
    if (e == last) break;
    for (int m = 2; m <= 9; ++m) scale.ticks.push_back({m * decade, {}, false});
  }
  return scale;
}

std::string tickLabel(double value, double step, double axisMagnitude) {
  const double magnitude = std::max(axisMagnitude, step);
  if (magnitude >= 1e7 || magnitude < 1e-4) {
    const double exponent = std::floor(std::log10(magnitude) + 1e-9);
    const double mantissaStep = step / std::pow(10.0, exponent);
    const int digits = std::clamp(static_cast<int>(-std::floor(std::log10(mantissaStep) + 1e-9)), 0, 6);
    return strprintf("%.*e", digits, value);
  }
  const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 8);
  return strprintf("%.*f", decimals, value);
}

std::string decadeLabel(int exponent) {
  if (exponent >= 0 && exponent <= 6) return strprintf("%.0f", std::pow(10.0, exponent));
  if (exponent < 0 && exponent >= -4) return strprintf("%.*f", -exponent, std::pow(10.0, exponent));
  return strprintf("1e%+03d", exponent);
}

std::string valueLabel(double value) {
  if (!std::isfinite(value)) return "*";
  const double magnitude = std::abs(value);
  if (magnitude >= 1e7) return strprintf("%.3e", value);
  if (magnitude >= 1000.0 || magnitude == 0.0) return strprintf("%.0f", value);
  return strprintf("%.4g", value);
}

std::string percentLabel(double percent) {
  if (!std::isfinite(percent)) return "*";
  if (std::abs(percent) >= 1.0 || percent == 0.0) return strprintf("%.1f", percent);
  return strprintf("%.2g", percent);
}

}  // namespace kestrel::graph
