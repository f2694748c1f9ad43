// A What-If? run as JSON for scripts: every document's failure rate before
// and after (fpmh), the files written and the top document's totals.
#pragma once

#include <string_view>

#include "core/json_writer.hpp"
#include "core/whatif_command.hpp"

namespace kestrel {

void writeWhatIfJson(JsonWriter& out, std::string_view file, bool dryRun, const CCircDoc& top,
                     const WhatIfOutcome& outcome);

}  // namespace kestrel
