// A graph's data series as JSON for scripts: the swept values and one
// series per curve (fpmh, hours or reliability by graph type), or the items
// of a high-value graph, highest first.
#pragma once

#include "core/json_writer.hpp"
#include "graph/graph_data.hpp"

namespace kestrel::graph {

// Members "graphType", "typeName", "mission", "timeUnit", "top", "x",
// "environments", "series" and "items" of the open object.
void writeGraphDataJson(JsonWriter& out, const GraphData& data);

}  // namespace kestrel::graph
