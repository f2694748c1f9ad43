// The raw series of one graph, as the batch calculations produce them and as
// the graph data file and the chart take them.
#pragma once

#include <string>
#include <vector>

#include "graph/graph_types.hpp"

namespace kestrel::graph {

// One bar or slice of a high-value graph.
struct GraphItem {
  std::string name;     // PN, part type name, circuit file name, or "All Other ..."
  double value = 0.0;   // FR in fpmh, or percent of the total for the %FR types
  std::string circuit;  // part records: the file holding the record ("" for "All Other ...")
};

struct GraphData {
  int type = kFrVsTemperature;
  TimeUnit timeUnit = TimeUnit::Hours;
  bool mission = false;           // MTBF and R are the mission figures
  bool includeHierarchy = true;   // high-value types: the hierarchy below was searched
  std::string topTitle;           // the top-level document's file name

  // Range sweeps: the swept values (degrees C, percent, hours or years).
  std::vector<double> x;
  // Environment codes: the bars of an environment graph, or the curves of a
  // temperature/environment graph.
  std::vector<std::string> environments;
  // series[curve][point]: one curve for single curves and the environment
  // bars, one per environment for the multiple curves.
  std::vector<std::vector<double>> series;
  // High-value types: the items, highest first, "All Other ..." last.
  std::vector<GraphItem> items;
};

}  // namespace kestrel::graph
