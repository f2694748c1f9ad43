// Pie charts: one slice per item, clockwise from twelve o'clock in the
// order of the items (highest first), each slice of 3 % or more labelled
// with its percent; the legend names them all.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graph/axis_scale.hpp"
#include "graph/chart_detail.hpp"
#include "graph/chart_renderer.hpp"

namespace kestrel::graph::detail {
namespace {

constexpr double kLabelledShare = 3.0;  // percent

Point onCircle(Point c, double r, double angle) { return {c.x + r * std::cos(angle), c.y + r * std::sin(angle)}; }

}  // namespace

void drawPie(const PlotModel& plot, Canvas& canvas, const Rect& area) {
  if (plot.series.empty()) return;
  const std::vector<double>& values = plot.series.front().values;
  double total = 0.0;
  for (double v : values) total += std::isfinite(v) && v > 0.0 ? v : 0.0;
  const double labelHeight = canvas.measureText("0", kTickFont).height;
  const double radius = std::min(area.w, area.h) / 2.0 - labelHeight * 2.0 - 8.0;
  const Point centre{area.x + area.w / 2.0, area.y + area.h / 2.0};
  if (radius < 10.0) return;
  if (total <= 0.0) {
    const Font font{13.0, false};
    canvas.drawText("No failure rate to show", centre, font, kMutedInk, HAlign::Center, VAlign::Middle, false);
    return;
  }

  double start = -std::numbers::pi / 2.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    if (!std::isfinite(v) || v <= 0.0) continue;
    const double sweep = v / total * 2.0 * std::numbers::pi;
    std::vector<Point> slice{centre};
    const int steps = std::max(2, static_cast<int>(std::ceil(sweep / (std::numbers::pi / 90.0))));
    for (int k = 0; k <= steps; ++k) slice.push_back(onCircle(centre, radius, start + sweep * k / steps));
    canvas.fillPolygon(slice, seriesColor(i));
    if (values.size() > 1) canvas.strokePolyline(slice, Pen{kWhite, 1.5, false}, true);

    const double share = plot.percent ? v : v / total * 100.0;
    if (share >= kLabelledShare) {
      const double middle = start + sweep / 2.0;
      const Point at = onCircle(centre, radius + 6.0, middle);
      const double c = std::cos(middle), s = std::sin(middle);
      const HAlign h = c > 0.3 ? HAlign::Left : (c < -0.3 ? HAlign::Right : HAlign::Center);
      const VAlign va = s > 0.3 ? VAlign::Top : (s < -0.3 ? VAlign::Bottom : VAlign::Middle);
      canvas.drawText(percentLabel(share) + "%", at, kTickFont, kInk, h, va, false);
    }
    start += sweep;
  }
}

}  // namespace kestrel::graph::detail
