#include "graph/profile_charts.hpp"

namespace kestrel::graph {
namespace {

// A curve of many points reads better without a marker on each.
constexpr std::size_t kMostMarkedPoints = 40;

}  // namespace

PlotModel phaseFailureRatePlot(const ProfileResult& result, const ChartStyle& style) {
  PlotModel plot = styledPlot(style, PlotKind::Bars);
  plot.title = "FR per Mission Phase";
  plot.subtitle = result.profileName;
  plot.xTitle = "Mission Phase";
  plot.yTitle = "FR (fpmh)";
  PlotSeries rates{result.profileName, {}};
  for (const PhaseResult& phase : result.phases) {
    plot.categories.push_back(phase.phase.name);
    rates.values.push_back(phase.failureRate);
  }
  // Phases may differ by decades (a dormant phase beside a launch).
  plot.logScale = logScaleFor(style.scale, true, {rates.values});
  plot.series.push_back(std::move(rates));
  return plot;
}

PlotModel profileReliabilityPlot(const ProfileResult& result, const ChartStyle& style) {
  PlotModel plot = styledPlot(style, PlotKind::Lines);
  plot.title = "Reliability over the Mission";
  plot.subtitle = result.profileName;
  plot.xTitle = "Time (Hours)";
  plot.yTitle = "Reliability";
  PlotSeries curve{result.profileName, {}};
  for (const ReliabilityPoint& point : result.curve) {
    plot.x.push_back(point.hours);
    curve.values.push_back(point.reliability);
  }
  plot.markers = style.markers && result.curve.size() <= kMostMarkedPoints;
  plot.series.push_back(std::move(curve));
  for (const PhaseResult& phase : result.phases) plot.xMarks.push_back({phase.startHours, phase.phase.name});
  return plot;
}

}  // namespace kestrel::graph
