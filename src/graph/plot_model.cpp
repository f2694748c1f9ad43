#include "graph/plot_model.hpp"

#include <cmath>

namespace kestrel::graph {
namespace {

PlotKind kindOf(ChartForm form) {
  switch (form) {
    case ChartForm::SingleCurve:
    case ChartForm::MultipleCurves: return PlotKind::Lines;
    case ChartForm::BarsByEnvironment:
    case ChartForm::BarsByItem: return PlotKind::Bars;
    case ChartForm::PieByItem: break;
  }
  return PlotKind::Pie;
}

}  // namespace

bool spansDecades(const std::vector<std::vector<double>>& series) {
  double lo = 0.0, hi = 0.0;
  bool any = false;
  for (const auto& values : series) {
    for (double v : values) {
      if (!std::isfinite(v) || v <= 0.0) return false;
      lo = any ? std::min(lo, v) : v;
      hi = any ? std::max(hi, v) : v;
      any = true;
    }
  }
  return any && hi > 100.0 * lo;
}

PlotModel styledPlot(const ChartStyle& style, PlotKind kind) {
  PlotModel plot;
  plot.kind = kind;
  plot.width = style.width;
  plot.height = style.height;
  plot.grid = style.grid;
  plot.markers = style.markers;
  plot.legend = style.legend;
  return plot;
}

bool logScaleFor(ValueScale scale, bool canLog, const std::vector<std::vector<double>>& values) {
  switch (scale) {
    case ValueScale::Automatic: return canLog && spansDecades(values);
    case ValueScale::Logarithmic: return canLog;
    case ValueScale::Linear: break;
  }
  return false;
}

PlotModel buildPlot(const GraphData& data, const ChartStyle& style) {
  if (!isValidGraphType(data.type)) return styledPlot(style, PlotKind::Lines);
  const ChartForm form = formOf(data.type);
  PlotModel plot = styledPlot(style, kindOf(form));
  plot.title = std::string(graphTypeName(data.type));
  plot.subtitle = data.topTitle;
  if (sweepOf(data.type) == Sweep::Items && !data.includeHierarchy) plot.subtitle += " (Top-Level Only)";
  plot.xTitle = std::string(categoryTitle(data.type, data.timeUnit));
  plot.yTitle = plot.kind == PlotKind::Pie ? std::string() : std::string(valueTitle(data.type, data.mission));
  plot.percent = valueOf(data.type) == Value::ItemPercent;

  switch (form) {
    case ChartForm::SingleCurve:
      plot.x = data.x;
      if (!data.series.empty()) plot.series.push_back({data.topTitle, data.series.front()});
      break;
    case ChartForm::MultipleCurves:
      plot.x = data.x;
      for (std::size_t i = 0; i < data.series.size(); ++i) {
        plot.series.push_back({i < data.environments.size() ? data.environments[i] : std::string(), data.series[i]});
      }
      break;
    case ChartForm::BarsByEnvironment:
      plot.categories = data.environments;
      if (!data.series.empty()) plot.series.push_back({data.topTitle, data.series.front()});
      break;
    case ChartForm::BarsByItem:
    case ChartForm::PieByItem: {
      PlotSeries items{data.topTitle, {}};
      for (const GraphItem& item : data.items) {
        plot.categories.push_back(item.name.empty() ? std::string("(no PN)") : item.name);
        items.values.push_back(item.value);
      }
      plot.series.push_back(std::move(items));
      break;
    }
  }

  // Failure rates and MTBFs may span decades; reliabilities and percents never take a log scale.
  const Value value = valueOf(data.type);
  const bool canLog = plot.kind != PlotKind::Pie && value != Value::Reliability && value != Value::ItemPercent;
  std::vector<std::vector<double>> values;
  for (const PlotSeries& s : plot.series) values.push_back(s.values);
  plot.logScale = logScaleFor(style.scale, canLog, values);
  return plot;
}

}  // namespace kestrel::graph
