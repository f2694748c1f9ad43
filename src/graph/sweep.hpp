// The batch calculations of a graph: every point of a temperature,
// environment, temperature/environment, stress or time sweep calculated on
// the working set's copies, and the one calculation the high-value types
// start from.
//
// A point is a What-If? change (the header temperature or environment of
// every document, or the stress of every part, all set directly) followed by
// the basic calculation with the keep-files flag, and in mission mode the
// mission stages for the MTBF. Setting a value directly gives the same
// copies whatever the point before it set, so the copies are read once and
// reused for every point.
#pragma once

#include "core/ui.hpp"
#include "graph/graph_data.hpp"
#include "graph/graph_settings.hpp"
#include "graph/working_set.hpp"

namespace kestrel::graph {

// "Graph: Batch Calculations..." (line 1), then for each point "Graph:
// Calculation Iteration..." (line 1) and its step line: "'%s' - %ldC (Step %d
// of %d)", "'%s' (Step %d of %d)" with the environment code, "%ldC (Step %d of
// %d)" within an environment, "%ld%% (Step %d of %d)", "%ld (Step %d of %d)";
// temperature sweeps end with "'%s' - Restore Temperature (%.0fC)". A point
// that fails shows "Error at Calculation Iteration...\n...%s." with its step.
// Fills the series of `data` (range sweeps and environment bars) from the
// checked settings; false on the first failure or a cancel.
bool runSweep(WorkingSet& set, const GraphSettings& settings, Ui& ui, GraphData& data);

// The basic calculation of the working set as it is (the high-value types).
bool calculateOnce(WorkingSet& set, const GraphSettings& settings, Ui& ui);

namespace detail {
// The Ui a calculation of a point writes to: its errors, bar, questions and
// cancel reach the run's Ui; its stage lines (1..3) give way to the point's.
class PointUi final : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  void progressLine(int line, std::string_view text) override {
    if (line >= 4) inner().progressLine(line, text);
  }
  void clearProgress() override {
    inner().progressLine(4, {});
    inner().progressLine(5, {});
  }
};
}  // namespace detail

}  // namespace kestrel::graph
