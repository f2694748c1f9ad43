// The two charts of a mission profile, as plot models for the chart
// renderer (files and the desktop's canvas alike): the failure rate of each
// phase as bars, and the reliability over the mission time with the start
// of every phase marked.
#pragma once

#include "core/mission_profile_result.hpp"
#include "graph/chart_style.hpp"
#include "graph/plot_model.hpp"

namespace kestrel::graph {

// "FR per Mission Phase": one bar per phase (in mission order) of its
// failure rate averaged over the phase, in fpmh.
PlotModel phaseFailureRatePlot(const ProfileResult& result, const ChartStyle& style);

// "Reliability over the Mission": the reliability curve from the start of
// the mission to its end, a dashed line labelled with the phase's name
// where each phase begins.
PlotModel profileReliabilityPlot(const ProfileResult& result, const ChartStyle& style);

}  // namespace kestrel::graph
