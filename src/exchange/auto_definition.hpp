// A definition made from the table itself: its first row names a field
// keyword in each column (as the export writes them), so a spreadsheet or a
// database table goes into a circuit without a definition file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/status.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {

// The input format a file name's extension stands for (.csv, .dbf, .wks,
// .wk1, .xls, .xlsx, .db, .sqlite, .sqlite3, .mdb, .accdb).
std::optional<InputFormat> formatForPath(const std::string& path);

// Reads the first row of `input` and maps each column whose text is a
// catalogue keyword; `ignored` receives the other column names. The first
// row is skipped by the run; the header keywords come from the first record.
Status autoDefinition(const std::string& input, InputFormat format, OutputType type, CImportDoc& doc,
                      std::vector<std::string>& ignored);

}  // namespace kestrel
