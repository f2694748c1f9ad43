#include "exchange/writers/table_writer.hpp"

#include <charconv>
#include <cmath>

#include "core/strfmt.hpp"
#include "exchange/writers/format_writers.hpp"

namespace kestrel {

std::string columnName(std::size_t index) { return strprintf("FIELD%zu", index + 1); }

std::string columnName(const WriterOptions& options, std::size_t index) {
  if (index < options.columnNames.size() && !options.columnNames[index].empty()) return options.columnNames[index];
  return columnName(index);
}

std::string numberText(const ExportCell& cell) {
  if (!std::isfinite(cell.number)) return {};
  char buffer[64];
  std::to_chars_result r{};
  switch (cell.kind) {
    case ExportCell::Kind::Integer:
      r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(cell.number));
      break;
    case ExportCell::Kind::Single:
      r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(cell.number));
      break;
    case ExportCell::Kind::Double:
      r = std::to_chars(buffer, buffer + sizeof buffer, cell.number);
      break;
    default:
      return {};
  }
  return std::string(buffer, r.ptr);
}

std::string_view formatExtension(OutputFormat format) {
  switch (format) {
    case OutputFormat::CSV: return ".csv";
    case OutputFormat::WKS: return ".wks";
    case OutputFormat::DBF: return ".dbf";
    case OutputFormat::XLS: return ".xlsx";
    case OutputFormat::MDB: return ".sqlite";
  }
  return {};
}

std::optional<OutputFormat> outputFormatForPath(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
  const std::string ext = upperCased(std::string_view(path).substr(dot));
  if (ext == ".CSV") return OutputFormat::CSV;
  if (ext == ".WKS") return OutputFormat::WKS;
  if (ext == ".DBF") return OutputFormat::DBF;
  if (ext == ".XLSX") return OutputFormat::XLS;
  if (ext == ".SQLITE" || ext == ".SQLITE3" || ext == ".DB") return OutputFormat::MDB;
  return std::nullopt;
}

Status openTableWriter(OutputFormat format, const std::string& path, const WriterOptions& options,
                       FileSystem& fs, std::unique_ptr<TableWriter>& writer) {
  writer.reset();
  if (options.columns < 1 || options.columns > kMaxExportColumns) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("'%s': a table of %zu columns can not be written (1..%zu).", path.c_str(),
                                   options.columns, kMaxExportColumns));
  }
  Status opened = Status::error(StatusCode::InvalidArgument, "'" + path + "': unknown output format.");
  switch (format) {
    case OutputFormat::CSV: opened = openCsvWriter(path, options, fs, writer); break;
    case OutputFormat::WKS: opened = openWksWriter(path, options, fs, writer); break;
    case OutputFormat::DBF: opened = openDbfWriter(path, options, fs, writer); break;
    case OutputFormat::XLS: return openXlsxWriter(path, options, fs, writer);
    case OutputFormat::MDB: return openSqliteWriter(path, options, fs, writer);
  }
  if (!opened || !options.headingRow) return opened;
  // Formats without column names of their own carry them as a first row.
  ExportRow heading;
  for (std::size_t c = 0; c < options.columns; ++c) heading.push_back(ExportCell::ofText(columnName(options, c)));
  if (Status s = writer->writeRow(heading); !s) {
    writer.reset();
    return Status::error(s.code(), "'" + path + "': " + s.message());
  }
  return Status::ok();
}

}  // namespace kestrel
