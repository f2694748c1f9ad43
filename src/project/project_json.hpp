// The project tree as JSON for scripts: one object per node, top-down, with
// each document's totals (fpmh, hours) and each record's part number and
// failure rates.
#pragma once

#include <string_view>

#include "core/json_writer.hpp"
#include "project/project_tree.hpp"

namespace kestrel {

// Writes node `index` of `tree` as one JSON object.
void writeProjectNodeJson(JsonWriter& out, const ProjectTree& tree, std::size_t index);

}  // namespace kestrel
