// The one seam between an export and the foreign table formats: a writer
// takes the rows of one table as cells of text or number, one row at a
// time, and moves the finished table into place only when all of it is
// written. One writer per format: comma-separated text, dBASE III, Lotus
// worksheet, workbook (.xlsx) and database table (SQLite).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

// The output formats of an export (stored in the settings as 1..5).
enum class OutputFormat : std::uint8_t { CSV = 1, WKS = 2, DBF = 3, XLS = 4, MDB = 5 };

inline constexpr std::string_view kOutputFormatNames[] = {"", "CSV", "WKS", "DBF", "XLS", "MDB"};

// Most columns one table takes (dBASE and worksheet files hold fewer).
inline constexpr std::size_t kMaxExportColumns = 2000;

struct ExportCell {
  // Single: a 32-bit record field, written with the digits that give back
  // that float; Double: a 64-bit total, written with all its digits.
  enum class Kind : std::uint8_t { Empty, Integer, Single, Double, Text };
  Kind kind = Kind::Empty;
  double number = 0.0;
  std::string text;

  bool isNumber() const { return kind == Kind::Integer || kind == Kind::Single || kind == Kind::Double; }

  static ExportCell integer(long v) { return ExportCell{Kind::Integer, static_cast<double>(v), {}}; }
  static ExportCell single(float v) { return ExportCell{Kind::Single, static_cast<double>(v), {}}; }
  static ExportCell real(double v) { return ExportCell{Kind::Double, v, {}}; }
  static ExportCell ofText(std::string t) { return ExportCell{Kind::Text, 0.0, std::move(t)}; }
};

using ExportRow = std::vector<ExportCell>;

struct WriterOptions {
  std::size_t columns = 0;   // every row holds at most this many cells
  // Names of the columns; "" or missing ones are "FIELD%d". A database
  // table always names its columns so; the other formats write them as a
  // first row when `headingRow` is set.
  std::vector<std::string> columnNames;
  bool headingRow = false;
  // Per-value warnings ("...DBF WARNING: truncated string (%d/%d)..."); the row goes on.
  std::function<void(std::string_view)> warn;
};

class TableWriter {
 public:
  virtual ~TableWriter() = default;
  // Writes one row. A row the format cannot take (too many rows or cells)
  // fails with the format's message and nothing of it is written.
  virtual Status writeRow(const ExportRow& row) = 0;
  // Completes the table in a temporary file beside the output and renames it
  // into place. A writer destroyed without finish() removes its temporary
  // file and leaves any earlier output untouched.
  virtual Status finish() = 0;
  long rowsWritten() const { return rows_; }

 protected:
  long rows_ = 0;
};

// "FIELD%d": the name of column `index` (0-based) in tables that name columns.
std::string columnName(std::size_t index);
// The name the options give column `index`, else "FIELD%d".
std::string columnName(const WriterOptions& options, std::size_t index);

// The text of a number cell: an integer as such, a float or double with the
// fewest digits that read back as the same value ("nan" and "inf" never
// appear: a value that is not finite is written as an empty cell).
std::string numberText(const ExportCell& cell);

// ".csv", ".wks", ".dbf", ".xlsx", ".sqlite".
std::string_view formatExtension(OutputFormat format);
// The format an output path's extension names (".db" and ".sqlite3" are
// database tables too), if any.
std::optional<OutputFormat> outputFormatForPath(const std::string& path);

// Opens a writer for `path`. Nothing is written to `path` itself until finish().
Status openTableWriter(OutputFormat format, const std::string& path, const WriterOptions& options,
                       FileSystem& fs, std::unique_ptr<TableWriter>& writer);

}  // namespace kestrel
