// Axis scales of a chart: the range an axis shows, where a value lies on it,
// and its ticks with readable labels. Linear axes take steps of 1, 2 or 5
// times a power of ten; logarithmic axes run from decade to decade with
// unlabelled ticks at 2..9 times each decade.
#pragma once

#include <string>
#include <vector>

namespace kestrel::graph {

struct Tick {
  double value = 0.0;
  std::string label;  // "" for a minor tick
  bool major = true;
};

struct AxisScale {
  double lo = 0.0;
  double hi = 1.0;
  bool log = false;
  std::vector<Tick> ticks;

  // Where `value` lies between lo (0) and hi (1); values outside give
  // numbers outside 0..1. On a log axis a value not above 0 gives -1.
  double fraction(double value) const;
};

// A linear axis over min..max (either order) with about `targetTicks`
// ticks; a single value gets a range around it. `includeZero` stretches the
// range to 0 (bars).
AxisScale linearScale(double min, double max, int targetTicks, bool includeZero);
// A linear axis that ends at min and max themselves (a swept range), with
// nice ticks inside it.
AxisScale tightLinearScale(double min, double max, int targetTicks);
// A logarithmic axis over the whole decades around min..max (both > 0).
AxisScale logScale(double min, double max);

// "1", "2.5", "0.001", "250000", "1.5e+07": the shortest label that tells
// ticks `step` apart, in the same form for every tick of an axis whose
// largest value is `axisMagnitude` in size.
std::string tickLabel(double value, double step, double axisMagnitude);
// The label of a decade: "0.001" .. "1000000", else "1e-05", "1e+07".
std::string decadeLabel(int exponent);
// A value printed for a bar or slice label: four significant digits.
std::string valueLabel(double value);
// A percent without its sign: "78.7", "0.93", "0.0066".
std::string percentLabel(double percent);

}  // namespace kestrel::graph
