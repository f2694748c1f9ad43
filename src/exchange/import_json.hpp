// An import run as JSON for scripts: every input file, where it went,
// whether it was done, and its record counts.
#pragma once

#include "core/json_writer.hpp"
#include "exchange/import_run.hpp"

namespace kestrel {

void writeImportJson(JsonWriter& out, const ImportOutcome& outcome);

}  // namespace kestrel
