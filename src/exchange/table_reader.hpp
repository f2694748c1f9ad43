// The one seam between the import run and the foreign table formats: a
// reader yields the rows of one table as cells of text or number, one row at
// a time, and says by name when a file is damaged, encrypted or unsupported.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

struct TableCell {
  // Error: the cell was there but could not be read (its text kept for the log).
  enum class Kind : std::uint8_t { Empty, Text, Number, Error };
  Kind kind = Kind::Empty;
  std::string text;
  double number = 0.0;

  static TableCell ofText(std::string t) {
    TableCell c;
    c.kind = Kind::Text;
    c.text = std::move(t);
    return c;
  }
  static TableCell ofNumber(double v) {
    TableCell c;
    c.kind = Kind::Number;
    c.number = v;
    return c;
  }
  // The cell as a person reads it: a number in full precision, a text (or
  // the text of a cell that could not be read) as it is.
  std::string shownText() const {
    return kind == Kind::Number ? strprintf("%.15g", number) : kind == Kind::Empty ? std::string() : text;
  }
};

using TableRow = std::vector<TableCell>;

enum class RowStatus { Row, End, Failed };

// The input file formats of an import definition (stored as a byte).
enum class InputFormat : std::uint8_t { CSV = 1, WKS = 2, DBF = 3, XLS = 4, MDB = 5 };

inline constexpr std::string_view kInputFormatNames[] = {"", "CSV", "WKS", "DBF", "XLS", "MDB"};

// Most fields one input record holds; readers drop what lies beyond.
inline constexpr std::size_t kMaxTableFields = 256;
// Largest input file read into memory whole (CSV, dBASE, worksheet).
inline constexpr std::size_t kMaxTableFileSize = 1024u * 1024u * 1024u;

struct ReaderOptions {
  char separator = ',';  // CSV only: ',', ';' or '\t'
  std::string table;     // sheet or table name; "" = the first
  // Per-row warnings ("...CSV WARNING: ... (R%ld/F%d)..."); the row goes on.
  std::function<void(std::string_view)> warn;
};

class TableReader {
 public:
  virtual ~TableReader() = default;
  // The next row into `row` (cleared first). Rows are numbered from 1 in the
  // order they are delivered; rows with no cell at all are not delivered.
  virtual RowStatus next(TableRow& row) = 0;
  // Why the last next() failed; names the file.
  const std::string& error() const { return error_; }
  long rowNumber() const { return rowNumber_; }

 protected:
  RowStatus fail(std::string message) {
    error_ = std::move(message);
    return RowStatus::Failed;
  }
  void warn(const ReaderOptions& options, const std::string& line) const {
    if (options.warn) options.warn(line);
  }
  std::string error_;
  long rowNumber_ = 0;
};

// Opens `path` as `format`. Workbooks (XLS) are told apart by their bytes:
// a zip is .xlsx, an OLE compound file .xls. Database tables (MDB) likewise:
// an SQLite database or an .mdb.
Status openTableReader(InputFormat format, const std::string& path, const ReaderOptions& options,
                       std::unique_ptr<TableReader>& reader);

}  // namespace kestrel
