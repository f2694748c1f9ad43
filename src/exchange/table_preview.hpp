// What an import by column headers will do, shown before anything is built:
// the input table's column names (its first row), the field keyword each
// column maps to, and the first rows of data as text.
#pragma once

#include <string>
#include <vector>

#include "core/status.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {

struct TablePreview {
  std::vector<std::string> columns;   // the first row
  std::vector<std::string> keywords;  // per column: its field keyword, "" when none
  std::vector<std::vector<std::string>> rows;
};

// The first row of `input` and up to `rows` rows after it; keywords as the
// import by column headers maps them (`definition` is that import's).
Status previewTable(const std::string& input, InputFormat format, const CImportDoc& definition, std::size_t rows,
                    TablePreview& preview);

// The column names of `input` (its first row), for the definition's field
// mapping to show beside field numbers; empty when it can not be read.
std::vector<std::string> tableColumnNames(const std::string& input, InputFormat format);

}  // namespace kestrel
