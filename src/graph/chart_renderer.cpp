// The chart as a whole: background, titles, legend and the plot area, and
// the colours, markers and legend shared by every kind of chart.
#include "graph/chart_renderer.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "graph/axis_scale.hpp"
#include "graph/chart_detail.hpp"

namespace kestrel::graph {
namespace {

using detail::LegendEntry;

constexpr std::array<Color, 8> kPalette{{
    {0.000, 0.447, 0.698, 1.0},  // blue
    {0.835, 0.369, 0.000, 1.0},  // vermilion
    {0.000, 0.620, 0.451, 1.0},  // bluish green
    {0.902, 0.624, 0.000, 1.0},  // orange
    {0.800, 0.475, 0.655, 1.0},  // reddish purple
    {0.337, 0.706, 0.914, 1.0},  // sky blue
    {0.941, 0.894, 0.259, 1.0},  // yellow
    {0.300, 0.300, 0.300, 1.0},  // dark grey
}};

constexpr double kSwatch = 22.0;
constexpr double kLegendPad = 8.0;

struct LegendLayout {
  Font font{12.0, false};
  double rowHeight = 18.0;
  std::size_t rows = 1;
  std::size_t columns = 1;
  double columnWidth = 0.0;
};

LegendLayout layoutLegend(const std::vector<LegendEntry>& entries, Canvas& canvas, double height, double maxWidth) {
  LegendLayout layout;
  for (double size = 12.0; size >= 8.0; size -= 1.0) {
    layout.font = Font{size, false};
    layout.rowHeight = std::ceil(size * 1.5);
    layout.rows = std::max<std::size_t>(1, static_cast<std::size_t>((height - 2 * kLegendPad) / layout.rowHeight));
    layout.columns = (entries.size() + layout.rows - 1) / layout.rows;
    double widest = 0.0;
    for (const LegendEntry& e : entries) widest = std::max(widest, canvas.measureText(e.text, layout.font).width);
    layout.columnWidth = kSwatch + 6.0 + widest + kLegendPad;
    if (layout.columns * layout.columnWidth + kLegendPad <= maxWidth) return layout;
  }
  // Still too wide at the smallest size: the labels are cut to fit.
  layout.columnWidth = (maxWidth - kLegendPad) / static_cast<double>(std::max<std::size_t>(1, layout.columns));
  return layout;
}

std::vector<LegendEntry> legendEntries(const PlotModel& plot) {
  std::vector<LegendEntry> entries;
  if (!plot.legend) return entries;
  if (plot.kind == PlotKind::Pie) {
    if (plot.series.empty()) return entries;
    const auto& values = plot.series.front().values;
    double total = 0.0;
    for (double v : values) total += v > 0.0 ? v : 0.0;
    for (std::size_t i = 0; i < plot.categories.size() && i < values.size(); ++i) {
      const double share = plot.percent || total <= 0.0 ? values[i] : values[i] / total * 100.0;
      entries.push_back({detail::shortened(plot.categories[i], 32) + "  " + percentLabel(share) + "%",
                         seriesColor(i), -1});
    }
    return entries;
  }
  if (plot.kind == PlotKind::Bars && plot.series.size() < 2) return entries;
  for (std::size_t i = 0; i < plot.series.size(); ++i) {
    entries.push_back({detail::shortened(plot.series[i].name, 32), seriesColor(i),
                       plot.kind == PlotKind::Lines ? static_cast<int>(i) : -1});
  }
  return entries;
}

}  // namespace

Color seriesColor(std::size_t index) {
  const Color base = kPalette[index % kPalette.size()];
  // Each further round is lighter: mixed with white by a third, then two thirds.
  const double mix = std::min(0.66, static_cast<double>(index / kPalette.size() % 3) / 3.0);
  return {base.r + (1.0 - base.r) * mix, base.g + (1.0 - base.g) * mix, base.b + (1.0 - base.b) * mix, 1.0};
}

void renderChart(const PlotModel& plot, Canvas& canvas) {
  const double width = plot.width, height = plot.height;
  canvas.fillRect({0, 0, width, height}, detail::kWhite);
  const double top = detail::drawTitles(plot, canvas);

  const std::vector<LegendEntry> entries = legendEntries(plot);
  const double areaHeight = height - top - detail::kMargin;
  const double legend = detail::legendWidth(entries, canvas, areaHeight, width * 0.4);
  const Rect area{detail::kMargin, top, width - 2 * detail::kMargin - legend, areaHeight};
  if (legend > 0.0) detail::drawLegend(entries, canvas, {area.x + area.w + 4.0, top, legend - 4.0, areaHeight});

  if (plot.kind == PlotKind::Pie) {
    detail::drawPie(plot, canvas, area);
  } else {
    detail::drawXY(plot, canvas, area);
  }
}

namespace detail {

double drawTitles(const PlotModel& plot, Canvas& canvas) {
  double y = kMargin;
  const double centre = plot.width / 2.0;
  const double room = plot.width - 2 * kMargin;
  if (!plot.title.empty()) {
    canvas.drawText(fitted(plot.title, canvas, kTitleFont, room), {centre, y}, kTitleFont, kInk, HAlign::Center,
                    VAlign::Top, false);
    y += canvas.measureText(plot.title, kTitleFont).height + 4.0;
  }
  if (!plot.subtitle.empty()) {
    canvas.drawText(fitted(plot.subtitle, canvas, kSubtitleFont, room), {centre, y}, kSubtitleFont, kMutedInk,
                    HAlign::Center, VAlign::Top, false);
    y += canvas.measureText(plot.subtitle, kSubtitleFont).height;
  }
  return y + 10.0;
}

double legendWidth(const std::vector<LegendEntry>& entries, Canvas& canvas, double height, double maxWidth) {
  if (entries.empty()) return 0.0;
  const LegendLayout layout = layoutLegend(entries, canvas, height, maxWidth);
  return std::min(maxWidth, static_cast<double>(layout.columns) * layout.columnWidth + kLegendPad);
}

void drawLegend(const std::vector<LegendEntry>& entries, Canvas& canvas, const Rect& area) {
  if (entries.empty()) return;
  const LegendLayout layout = layoutLegend(entries, canvas, area.h, area.w + 4.0);
  const double used = std::min(layout.rows, entries.size()) * layout.rowHeight;
  const double y0 = area.y + std::max(0.0, (area.h - used) / 2.0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const LegendEntry& e = entries[i];
    const double x = area.x + static_cast<double>(i / layout.rows) * layout.columnWidth;
    const double y = y0 + static_cast<double>(i % layout.rows) * layout.rowHeight + layout.rowHeight / 2.0;
    if (e.marker >= 0) {
      const Point line[] = {{x, y}, {x + kSwatch, y}};
      canvas.strokePolyline(line, Pen{e.color, 2.0, false}, false);
      drawMarker(canvas, {x + kSwatch / 2.0, y}, e.marker, e.color, 7.0);
    } else {
      canvas.fillRect({x + 4.0, y - 6.0, kSwatch - 8.0, 12.0}, e.color);
    }
    const double textWidth = layout.columnWidth - kSwatch - 6.0 - 2.0;
    canvas.drawText(fitted(e.text, canvas, layout.font, textWidth), {x + kSwatch + 6.0, y}, layout.font, kInk,
                    HAlign::Left, VAlign::Middle, false);
  }
}

void drawMarker(Canvas& canvas, Point at, int shape, const Color& color, double size) {
  const double r = size / 2.0;
  std::vector<Point> points;
  switch (shape % 6) {
    case 0:  // circle
      for (int i = 0; i < 16; ++i) {
        const double a = i * 2.0 * std::numbers::pi / 16.0;
        points.push_back({at.x + r * std::cos(a), at.y + r * std::sin(a)});
      }
      break;
    case 1: points = {{at.x - r, at.y - r}, {at.x + r, at.y - r}, {at.x + r, at.y + r}, {at.x - r, at.y + r}}; break;
    case 2: points = {{at.x, at.y - r * 1.2}, {at.x + r * 1.1, at.y + r * 0.8}, {at.x - r * 1.1, at.y + r * 0.8}}; break;
    case 3: points = {{at.x, at.y - r * 1.3}, {at.x + r * 1.3, at.y}, {at.x, at.y + r * 1.3}, {at.x - r * 1.3, at.y}}; break;
    case 4: points = {{at.x, at.y + r * 1.2}, {at.x + r * 1.1, at.y - r * 0.8}, {at.x - r * 1.1, at.y - r * 0.8}}; break;
    default: {
      const Point a[] = {{at.x - r, at.y - r}, {at.x + r, at.y + r}};
      const Point b[] = {{at.x - r, at.y + r}, {at.x + r, at.y - r}};
      canvas.strokePolyline(a, Pen{color, 2.0, false}, false);
      canvas.strokePolyline(b, Pen{color, 2.0, false}, false);
      return;
    }
  }
  canvas.fillPolygon(points, color);
  canvas.strokePolyline(points, Pen{kWhite, 0.8, false}, true);
}

std::string shortened(std::string_view text, std::size_t max) {
  if (text.size() <= max) return std::string(text);
  return std::string(text.substr(0, max > 3 ? max - 3 : 0)) + "...";
}

std::string fitted(std::string_view text, Canvas& canvas, const Font& font, double width) {
  std::string out(text);
  if (canvas.measureText(out, font).width <= width) return out;
  for (std::size_t keep = text.size(); keep > 0; --keep) {
    out = std::string(text.substr(0, keep - 1)) + "...";
    if (canvas.measureText(out, font).width <= width) return out;
  }
  return {};
}

}  // namespace detail
}  // namespace kestrel::graph
