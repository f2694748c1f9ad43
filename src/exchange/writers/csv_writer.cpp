// Comma-separated text: one line per row; text cells in double quotes with
// any quote inside doubled, numbers bare, absent cells empty. Lines are of
// any length, and a text may hold commas and line breaks: the quotes keep
// them inside their field. The file is UTF-8; the records' texts are
// Windows-1252.
#include <string>

#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/format_writers.hpp"

namespace kestrel {
namespace {

class CsvWriter final : public TableWriter {
 public:
  CsvWriter(std::string path, const WriterOptions& options, FileSystem& fs)
      : path_(std::move(path)), options_(options), fs_(fs) {}

  Status writeRow(const ExportRow& row) override {
    if (row.size() > options_.columns) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...CSV: too many fields (%zu/%zu)...", row.size(), options_.columns));
    }
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) bytes_.push_back(',');
      appendCell(row[i]);
    }
    bytes_.push_back('\n');
    ++rows_;
    return Status::ok();
  }

  Status finish() override { return commitOutput(fs_, path_, bytes_); }

 private:
  void appendCell(const ExportCell& cell) {
    if (cell.kind == ExportCell::Kind::Text) {
      bytes_.push_back('"');
      for (char c : windows1252ToUtf8(cell.text)) {
        if (c == '"') bytes_.push_back('"');
        bytes_.push_back(static_cast<std::uint8_t>(c));
      }
      bytes_.push_back('"');
    } else if (cell.isNumber()) {
      const std::string text = numberText(cell);
      bytes_.insert(bytes_.end(), text.begin(), text.end());
    }
  }

  std::string path_;
  WriterOptions options_;
  FileSystem& fs_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

Status openCsvWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                     std::unique_ptr<TableWriter>& writer) {
  writer = std::make_unique<CsvWriter>(path, options, fs);
  return Status::ok();
}

}  // namespace kestrel
