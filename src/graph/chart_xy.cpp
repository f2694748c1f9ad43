// Charts with two axes: curves over a swept value, and bars over
// categories (environments or items), on a linear or logarithmic value axis.
#include <algorithm>
#include <cmath>

#include "graph/axis_scale.hpp"
#include "graph/chart_detail.hpp"
#include "graph/chart_renderer.hpp"

namespace kestrel::graph::detail {
namespace {

constexpr double kTickLength = 5.0;
constexpr std::size_t kMaxCategoryChars = 24;

bool plottable(double v, bool log) { return std::isfinite(v) && (!log || v > 0.0); }

AxisScale valueScale(const PlotModel& plot) {
  double lo = 0.0, hi = 0.0;
  bool any = false;
  for (const PlotSeries& s : plot.series) {
    for (double v : s.values) {
      if (!plottable(v, plot.logScale)) continue;
      lo = any ? std::min(lo, v) : v;
      hi = any ? std::max(hi, v) : v;
      any = true;
    }
  }
  if (!any) return linearScale(0.0, 1.0, 6, true);
  if (plot.logScale) return logScale(lo, hi);
  return linearScale(lo, hi, 6, plot.kind == PlotKind::Bars);
}

struct Layout {
  Rect plot;
  bool verticalLabels = false;
  double markBand = 0.0;  // height of the x marks' labels above the plot
  std::vector<std::string> labels;  // bars: the category labels as drawn
};

class XYChart {
 public:
  XYChart(const PlotModel& plot, Canvas& canvas, const Rect& area)
      : plot_(plot), canvas_(canvas), area_(area), y_(valueScale(plot)) {
    if (plot.kind == PlotKind::Lines) {
      const auto [lo, hi] = std::minmax_element(plot.x.begin(), plot.x.end());
      x_ = plot.x.empty() ? linearScale(0.0, 1.0, 8, false) : tightLinearScale(*lo, *hi, 8);
    }
  }

  void draw() {
    layout();
    if (layout_.plot.w <= 10.0 || layout_.plot.h <= 10.0) return;
    drawGrid();
    drawValueAxis();
    if (plot_.kind == PlotKind::Lines) {
      drawXAxis();
      drawMarks();
      drawCurves();
    } else {
      drawCategories();
      drawBars();
    }
    const Rect& r = layout_.plot;
    const Point frame[] = {{r.x, r.y}, {r.x + r.w, r.y}, {r.x + r.w, r.y + r.h}, {r.x, r.y + r.h}};
    canvas_.strokePolyline(frame, Pen{kMutedInk, 1.0, false}, true);
  }

 private:
  double yAt(double v) const { return layout_.plot.y + layout_.plot.h * (1.0 - y_.fraction(v)); }
  double xAt(double v) const { return layout_.plot.x + layout_.plot.w * x_.fraction(v); }
  double slot() const {
    return layout_.plot.w / static_cast<double>(std::max<std::size_t>(1, plot_.categories.size()));
  }

  void layout() {
    double labelWidth = 0.0;
    for (const Tick& t : y_.ticks) {
      if (t.major) labelWidth = std::max(labelWidth, canvas_.measureText(t.label, kTickFont).width);
    }
    const double titleHeight = canvas_.measureText("Ag", kAxisTitleFont).height;
    const double tickHeight = canvas_.measureText("0", kTickFont).height;
    const double left = area_.x + (plot_.yTitle.empty() ? 0.0 : titleHeight + 8.0) + labelWidth + kTickLength + 4.0;
    double bottom = tickHeight + kTickLength + 6.0;
    if (plot_.kind == PlotKind::Bars) {
      const double slotWidth = (area_.x + area_.w - left - 8.0) /
                               static_cast<double>(std::max<std::size_t>(1, plot_.categories.size()));
      double widest = 0.0;
      for (const std::string& c : plot_.categories) {
        layout_.labels.push_back(shortened(c, kMaxCategoryChars));
        widest = std::max(widest, canvas_.measureText(layout_.labels.back(), kTickFont).width);
      }
      if (widest > slotWidth - 4.0) {
        layout_.verticalLabels = true;
        bottom = std::min(widest, area_.h * 0.3) + kTickLength + 6.0;
      }
    }
    if (!plot_.xTitle.empty()) bottom += titleHeight + 6.0;
    // The labels of x marks stand in a band above the plot.
    layout_.markBand = hasMarks() ? tickHeight + 6.0 : 0.0;
    layout_.plot = {left, area_.y + 4.0 + layout_.markBand, area_.x + area_.w - left - 8.0,
                    area_.h - bottom - 4.0 - layout_.markBand};
  }

  void drawGrid() {
    if (!plot_.grid) return;
    const Rect& r = layout_.plot;
    for (const Tick& t : y_.ticks) {
      const double y = yAt(t.value);
      if (y < r.y - 0.5 || y > r.y + r.h + 0.5) continue;
      const Point line[] = {{r.x, y}, {r.x + r.w, y}};
      canvas_.strokePolyline(line, Pen{t.major ? kGridColor : kMinorGridColor, 1.0, !t.major}, false);
    }
    if (plot_.kind != PlotKind::Lines) return;
    for (const Tick& t : x_.ticks) {
      const double x = xAt(t.value);
      const Point line[] = {{x, r.y}, {x, r.y + r.h}};
      canvas_.strokePolyline(line, Pen{kGridColor, 1.0, false}, false);
    }
  }

  void drawValueAxis() {
    const Rect& r = layout_.plot;
    for (const Tick& t : y_.ticks) {
      const double y = yAt(t.value);
      if (y < r.y - 0.5 || y > r.y + r.h + 0.5) continue;
      const Point tick[] = {{r.x - (t.major ? kTickLength : kTickLength / 2.0), y}, {r.x, y}};
      canvas_.strokePolyline(tick, Pen{kMutedInk, 1.0, false}, false);
      if (!t.label.empty()) {
        canvas_.drawText(t.label, {r.x - kTickLength - 3.0, y}, kTickFont, kInk, HAlign::Right, VAlign::Middle,
                         false);
      }
    }
    if (!plot_.yTitle.empty()) {
      canvas_.drawText(plot_.yTitle + (plot_.logScale ? "  [log scale]" : ""), {area_.x, r.y + r.h / 2.0},
                       kAxisTitleFont, kInk, HAlign::Center, VAlign::Top, true);
    }
  }

  void drawXTitle() {
    if (plot_.xTitle.empty()) return;
    const Rect& r = layout_.plot;
    canvas_.drawText(plot_.xTitle, {r.x + r.w / 2.0, area_.y + area_.h}, kAxisTitleFont, kInk, HAlign::Center,
                     VAlign::Bottom, false);
  }

  void drawXAxis() {
    const Rect& r = layout_.plot;
    for (const Tick& t : x_.ticks) {
      const double x = xAt(t.value);
      const Point tick[] = {{x, r.y + r.h}, {x, r.y + r.h + kTickLength}};
      canvas_.strokePolyline(tick, Pen{kMutedInk, 1.0, false}, false);
      canvas_.drawText(t.label, {x, r.y + r.h + kTickLength + 3.0}, kTickFont, kInk, HAlign::Center, VAlign::Top,
                       false);
    }
    drawXTitle();
  }

  bool hasMarks() const { return plot_.kind == PlotKind::Lines && !plot_.xMarks.empty(); }

  // Thin dashed lines across the plot, each labelled in the band above it;
  // a label is cut where the next mark begins.
  void drawMarks() {
    if (!hasMarks()) return;
    const Rect& r = layout_.plot;
    std::vector<std::pair<double, const XMark*>> marks;
    for (const XMark& m : plot_.xMarks) {
      if (!std::isfinite(m.x)) continue;
      const double x = xAt(m.x);
      if (x >= r.x - 0.5 && x <= r.x + r.w + 0.5) marks.push_back({x, &m});
    }
    std::stable_sort(marks.begin(), marks.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < marks.size(); ++i) {
      const double x = marks[i].first;
      const Point line[] = {{x, r.y - layout_.markBand}, {x, r.y + r.h}};
      canvas_.strokePolyline(line, Pen{kMutedInk, 1.0, true}, false);
      const double end = i + 1 < marks.size() ? marks[i + 1].first : r.x + r.w;
      const std::string label = fitted(marks[i].second->label, canvas_, kTickFont, end - x - 6.0);
      if (!label.empty()) {
        canvas_.drawText(label, {x + 3.0, r.y - 2.0}, kTickFont, kMutedInk, HAlign::Left, VAlign::Bottom, false);
      }
    }
  }

  void drawCurves() {
    canvas_.pushClip({layout_.plot.x - 6.0, layout_.plot.y - 6.0, layout_.plot.w + 12.0, layout_.plot.h + 12.0});
    for (std::size_t s = 0; s < plot_.series.size(); ++s) {
      const Color color = seriesColor(s);
      const auto& values = plot_.series[s].values;
      std::vector<Point> run;
      const auto flush = [&] {
        if (run.size() > 1) canvas_.strokePolyline(run, Pen{color, 2.2, false}, false);
        run.clear();
      };
      std::vector<Point> markers;
      for (std::size_t i = 0; i < values.size() && i < plot_.x.size(); ++i) {
        if (!plottable(values[i], plot_.logScale)) {
          flush();  // a gap where a value cannot be drawn (an infinite MTBF)
          continue;
        }
        run.push_back({xAt(plot_.x[i]), yAt(values[i])});
        markers.push_back(run.back());
      }
      flush();
      if (plot_.markers) {
        for (const Point& p : markers) drawMarker(canvas_, p, static_cast<int>(s), color, 7.0);
      }
    }
    canvas_.popClip();
  }

  void drawCategories() {
    const Rect& r = layout_.plot;
    for (std::size_t i = 0; i < layout_.labels.size(); ++i) {
      const double x = r.x + slot() * (static_cast<double>(i) + 0.5);
      const Point tick[] = {{x, r.y + r.h}, {x, r.y + r.h + kTickLength}};
      canvas_.strokePolyline(tick, Pen{kMutedInk, 1.0, false}, false);
      const Point at{x, r.y + r.h + kTickLength + 3.0};
      if (layout_.verticalLabels) {
        const double room = area_.h * 0.3;
        canvas_.drawText(fitted(layout_.labels[i], canvas_, kTickFont, room), at, kTickFont, kInk, HAlign::Right,
                         VAlign::Middle, true);
      } else {
        canvas_.drawText(layout_.labels[i], at, kTickFont, kInk, HAlign::Center, VAlign::Top, false);
      }
    }
    drawXTitle();
  }

  void drawBars() {
    const Rect& r = layout_.plot;
    const std::size_t n = plot_.series.size();
    const double group = slot() * 0.75;
    const double barWidth = group / static_cast<double>(std::max<std::size_t>(1, n));
    const double base = y_.log ? r.y + r.h : std::clamp(yAt(0.0), r.y, r.y + r.h);
    const bool labels = plot_.categories.size() * n <= 16;
    canvas_.pushClip(r);
    for (std::size_t s = 0; s < n; ++s) {
      const auto& values = plot_.series[s].values;
      for (std::size_t i = 0; i < values.size() && i < plot_.categories.size(); ++i) {
        if (!plottable(values[i], y_.log)) continue;
        const double x = r.x + slot() * static_cast<double>(i) + (slot() - group) / 2.0 + barWidth * s;
        const double top = std::clamp(yAt(values[i]), r.y, r.y + r.h);
        canvas_.fillRect({x, std::min(top, base), barWidth * 0.92, std::abs(base - top)},
                         seriesColor(n > 1 ? s : 0));
        // The value above its bar, or inside the top of a bar that reaches the plot's top.
        if (labels && top - r.y > 16.0) {
          canvas_.drawText(valueLabel(values[i]), {x + barWidth * 0.46, top - 2.0}, kTickFont, kInk, HAlign::Center,
                           VAlign::Bottom, false);
        } else if (labels && base - top > 20.0) {
          canvas_.drawText(valueLabel(values[i]), {x + barWidth * 0.46, top + 3.0}, kTickFont, kWhite, HAlign::Center,
                           VAlign::Top, false);
        }
      }
    }
    canvas_.popClip();
  }

  const PlotModel& plot_;
  Canvas& canvas_;
  Rect area_;
  AxisScale y_;
  AxisScale x_;
  Layout layout_;
};

}  // namespace

void drawXY(const PlotModel& plot, Canvas& canvas, const Rect& area) { XYChart(plot, canvas, area).draw(); }

}  // namespace kestrel::graph::detail
