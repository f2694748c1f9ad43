// The pieces the chart renderer is made of, shared by its source files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "graph/canvas.hpp"
#include "graph/plot_model.hpp"

namespace kestrel::graph::detail {

inline constexpr Color kInk{0.12, 0.12, 0.14, 1.0};
inline constexpr Color kMutedInk{0.35, 0.35, 0.38, 1.0};
inline constexpr Color kGridColor{0.86, 0.86, 0.88, 1.0};
inline constexpr Color kMinorGridColor{0.93, 0.93, 0.94, 1.0};
inline constexpr Color kWhite{1.0, 1.0, 1.0, 1.0};
inline constexpr Font kTitleFont{18.0, true};
inline constexpr Font kSubtitleFont{13.0, false};
inline constexpr Font kAxisTitleFont{13.0, true};
inline constexpr Font kTickFont{11.0, false};
inline constexpr double kMargin = 14.0;

struct LegendEntry {
  std::string text;
  Color color;
  int marker = -1;  // marker shape of a curve; -1: a filled swatch
};

// Title and subtitle centred at the top; returns the y below them.
double drawTitles(const PlotModel& plot, Canvas& canvas);

// The width a legend of these entries takes in a column of `height`
// (0 when there are none), at most `maxWidth`.
double legendWidth(const std::vector<LegendEntry>& entries, Canvas& canvas, double height, double maxWidth);
// Draws the legend into `area` (as wide as legendWidth gave).
void drawLegend(const std::vector<LegendEntry>& entries, Canvas& canvas, const Rect& area);

// One of six marker shapes (circle, square, triangle, diamond, down
// triangle, cross) centred on `at`.
void drawMarker(Canvas& canvas, Point at, int shape, const Color& color, double size);

// Text cut to `max` characters with "..." at the end.
std::string shortened(std::string_view text, std::size_t max);
// Text cut until it measures at most `width`.
std::string fitted(std::string_view text, Canvas& canvas, const Font& font, double width);

void drawXY(const PlotModel& plot, Canvas& canvas, const Rect& area);
void drawPie(const PlotModel& plot, Canvas& canvas, const Rect& area);

}  // namespace kestrel::graph::detail
