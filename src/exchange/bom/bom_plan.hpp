// A bill of materials read for review before anything is built: which column
// goes to which field keyword, which part class each row becomes (from its
// designator's letters, or a library part found by its number), the value
// read from each row, and every warning (a row that becomes a miscellaneous
// part, a quantity that differs from the designators' count).
#pragma once

#include <string>
#include <vector>

#include "core/status.hpp"
#include "core/ui.hpp"
#include "exchange/bom/bom_tables.hpp"
#include "exchange/import_run.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {

struct BomPlanColumn {
  std::string name;   // the header as written
  BomColumn role = BomColumn::None;
  std::string keywords;  // the field keywords it fills, "" for none
};

struct BomPlanRow {
  long number = 0;           // input row number
  std::string designators;   // as written
  std::size_t count = 0;     // designators in the group
  long quantity = 0;         // the quantity column's, else the count
  std::string className;     // the part class built ("CMisc" when none fits)
  std::string typeName;      // its menu name
  std::string recalledBy;    // the number a library part is recalled by, or ""
  std::string value;         // the value column as written
  std::string valueRead;     // "10000 ohms"; "" when the class takes no value
  std::string partNumber;    // the record's PN: the number recalled by, else the MPN or part number
  std::string notes;         // the manufacturer and footprint
};

struct BomPlan {
  std::string input;
  InputFormat format = InputFormat::CSV;
  long headerRow = 0;
  std::vector<BomPlanColumn> columns;
  std::vector<BomPlanRow> rows;
  std::vector<std::string> warnings;  // "row %ld: ..."
  long miscRows = 0;
};

// Reads `input` and plans its import; with `libraryPath` the rows' part
// numbers (MPN first, then the part number) are looked up in the library.
// Fails (naming the file) when it can not be read or has no row naming a
// reference designator column.
Status planBom(const std::string& input, InputFormat format, const std::string& libraryPath, Ui& ui, BomPlan& plan);

// The plan as the review shows it: the column mapping, one line per row, the warnings.
std::vector<std::string> bomPlanLines(const BomPlan& plan);

// The import job that builds the circuit `output` from the plan's input: a
// definition of the mapped columns, and the rows' part types, quantities and
// notes added to each row as the run reads it.
ImportJob bomImportJob(const BomPlan& plan, const std::string& output, const std::string& libraryPath);

// The end of the run: records built, the rows that became miscellaneous
// parts, the warnings.
std::vector<std::string> bomSummary(const BomPlan& plan, const ImportOutcome& outcome);

}  // namespace kestrel
