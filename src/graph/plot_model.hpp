// The plot model of a chart: what is drawn (curves, bars or pie slices),
// with its title, subtitle, axis titles, legend and value scale. It is built
// from a graph's series and drawn by the chart renderer on any canvas, so a
// chart looks the same in a file and on the screen.
#pragma once

#include <string>
#include <vector>

#include "graph/chart_style.hpp"
#include "graph/graph_data.hpp"

namespace kestrel::graph {

enum class PlotKind { Lines, Bars, Pie };

struct PlotSeries {
  std::string name;            // its legend entry
  std::vector<double> values;  // one per x value (lines) or per category (bars, pie)
};

// A marked place on the x axis of a line chart (where a mission phase
// begins): a thin dashed vertical line, its label above the plot.
struct XMark {
  double x = 0.0;
  std::string label;
};

struct PlotModel {
  PlotKind kind = PlotKind::Lines;
  std::string title;     // the graph type's name
  std::string subtitle;  // the top-level document, "%s (Top-Level Only)" without the hierarchy
  std::string xTitle;    // "Temperature (C)", "Environment", ...
  std::string yTitle;    // "FR (fpmh)", "MTBF (Hours)", ... (none for a pie)
  bool logScale = false;
  std::vector<double> x;                // lines: the swept values
  std::vector<std::string> categories;  // bars and pie: one label each
  std::vector<PlotSeries> series;
  std::vector<XMark> xMarks;  // lines only; most charts have none
  bool percent = false;  // values are percents of a whole
  bool legend = true;
  bool grid = true;
  bool markers = true;
  int width = 900;
  int height = 560;
};

PlotModel buildPlot(const GraphData& data, const ChartStyle& style);

// An empty plot of `kind` with the style's size, grid, markers and legend.
PlotModel styledPlot(const ChartStyle& style, PlotKind kind);
// Whether the value axis is logarithmic: as the style's scale says, where
// the values may take one (`canLog`); Automatic when they span decades.
bool logScaleFor(ValueScale scale, bool canLog, const std::vector<std::vector<double>>& values);

// True when the values are all positive and finite and the largest is more
// than a hundred times the smallest.
bool spansDecades(const std::vector<std::vector<double>>& series);

}  // namespace kestrel::graph
