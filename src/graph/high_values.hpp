// The high-value graphs: which part records, part types or circuits carry
// most of the top-level document's failure rate.
//
// Each item's value is its share of the top-level failure rate in fpmh: a
// record's total failure rate (QTY x FR x duty cycle) times its document's
// factor (the header correction factor; for a hybrid the package model's
// total over the sum of its chips), times the weight of the sub-file
// records that lead to that document (their QTY, CF and duty cycle, and the
// factors of the documents above). Without the hierarchy the items are the
// top-level document's own records, sub-file records included. The items
// then sum to the top-level failure rate less any solder-joint term.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "graph/graph_data.hpp"
#include "graph/graph_settings.hpp"
#include "graph/working_set.hpp"

namespace kestrel::graph {

// "All Other Part Records", "All Other Part Types", "All Other Circuits".
std::string_view allOtherName(ItemKind kind);

// Every item of a calculated working set, in the order first reached.
std::vector<GraphItem> collectItems(WorkingSet& set, ItemKind kind, bool includeHierarchy);

// The `count` part records of the whole hierarchy with the highest values,
// highest first (ties in the order first reached), without the rest.
std::vector<GraphItem> highestPartRecords(WorkingSet& set, std::size_t count);

// The `maxItems` highest (ties keep their order), the rest summed into one
// "All Other ..." item when there is any rest; with `percent` every value
// becomes its percent of the sum of all items (0 when that sum is 0).
std::vector<GraphItem> highestItems(std::vector<GraphItem> items, long maxItems, ItemKind kind, bool percent);

// "Graph: Getting High Values Data..." (line 1) and "'%s' Highest FR Value
// Calculation" or "'%s' Highest %FR Value Calculation" (line 2); fills the
// items of `data`.
void getHighValues(WorkingSet& set, const GraphSettings& settings, Ui& ui, GraphData& data);

}  // namespace kestrel::graph
