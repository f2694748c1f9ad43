// What one output table is made of, whatever the input file: its columns,
// the header row of the record layout and one row per record. Circuits,
// hybrids and libraries give part records, turned into rows by `partRows`;
// cross-reference files and import definitions give their rows directly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "exchange/export/record_source.hpp"
#include "exchange/writers/table_writer.hpp"

namespace kestrel {

class Ui;

struct RowFilters {
  std::optional<std::uint16_t> type;  // part records of this type only
  std::string pn;                     // numbers beginning with it (case as stored); "" = off
};

// Called per record with its row, or with null when the filters leave the
// record out; false stops the walk.
using RowFn = std::function<bool(const ExportRow* row)>;

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual long count() = 0;
  // The table's columns (and in the keyword layout their names); may walk
  // the records once to learn which keywords they use.
  virtual Status shape(bool keywords, WriterOptions& options) = 0;
  // The row written before the records, if the layout has one.
  virtual Status headerRow(bool keywords, Ui& ui, std::optional<ExportRow>& row) = 0;
  // Every record in order; a read failure ends the walk with its message.
  virtual Status forEachRow(bool keywords, const RowFn& fn) = 0;
  // Child files named by sub-circuit and sub-hybrid records.
  virtual std::vector<std::string> childFiles() { return {}; }
  // Empty unless the last walk read past damage.
  virtual SourceDamage damage() const { return {}; }
};

std::unique_ptr<RowSource> partRows(std::unique_ptr<RecordSource> parts, const RowFilters& filters);

// Cross-reference files: the PN filter applies to the cross-reference number;
// the part-type filter does not apply (a cross-reference has no part type).
Status openXRefSource(const std::string& path, const RowFilters& filters, std::unique_ptr<RowSource>& source);
// Import definitions: every keyword record is written; the filters do not apply.
Status openDefinitionSource(FileSystem& fs, const std::string& path, std::unique_ptr<RowSource>& source);

}  // namespace kestrel
