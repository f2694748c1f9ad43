// Lotus 1-2-3 worksheets (.wks): a BOF record (version 0x0404), the active
// range, one NUMBER record (an 8-byte double, so no digit is lost) or LABEL
// record per present cell, row by row, and the EOF record. Row and column
// numbers are 16-bit: at most 65 536 rows and 256 columns.
#include <cmath>
#include <cstring>
#include <string>

#include "core/strfmt.hpp"
#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/format_writers.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kMaxWksRows = 65536;
constexpr std::size_t kMaxWksColumns = 256;
// A label record's length is 16-bit: format, column, row, prefix, text, NUL.
constexpr std::size_t kMaxLabelLength = 65535 - 7;
constexpr std::uint8_t kGeneralFormat = 0x71;  // unprotected, special, General

enum Opcode : std::uint16_t { kBof = 0x00, kEof = 0x01, kRange = 0x06, kNumber = 0x0E, kLabel = 0x0F };

class WksWriter final : public TableWriter {
 public:
  WksWriter(std::string path, const WriterOptions& options, FileSystem& fs)
      : path_(std::move(path)), options_(options), fs_(fs) {
    record(kBof, 2);
    u16(0x0404);
    record(kRange, 8);
    rangeAt_ = bytes_.size();
    for (int i = 0; i < 4; ++i) u16(0);
  }

  Status writeRow(const ExportRow& row) override {
    if (static_cast<std::size_t>(rows_) >= kMaxWksRows) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...WKS: too many records (%ld)...", rows_ + 1));
    }
    if (row.size() > std::min(options_.columns, kMaxWksColumns)) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...WKS: too many fields (%zu)...", row.size()));
    }
    const auto r = static_cast<std::uint16_t>(rows_);
    for (std::size_t c = 0; c < row.size(); ++c) {
      const ExportCell& cell = row[c];
      if (cell.isNumber()) {
        if (!std::isfinite(cell.number)) continue;
        record(kNumber, 13);
        cellPosition(c, r);
        char raw[8];
        std::memcpy(raw, &cell.number, 8);
        bytes_.insert(bytes_.end(), raw, raw + 8);
      } else if (cell.kind == ExportCell::Kind::Text) {
        std::string_view text = cell.text;
        if (text.size() > kMaxLabelLength) text = text.substr(0, kMaxLabelLength);
        // A label ends at its first NUL byte: a NUL inside a text would cut it.
        if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
        record(kLabel, 7 + text.size());
        cellPosition(c, r);
        bytes_.push_back('\'');
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
      }
      lastColumn_ = std::max(lastColumn_, c);
    }
    ++rows_;
    return Status::ok();
  }

  Status finish() override {
    // The active range: A1 to the last column and row written.
    const std::size_t lastRow = rows_ > 0 ? static_cast<std::size_t>(rows_ - 1) : 0;
    setU16(rangeAt_ + 4, lastColumn_);
    setU16(rangeAt_ + 6, lastRow);
    record(kEof, 0);
    return commitOutput(fs_, path_, bytes_);
  }

 private:
  void u16(std::size_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  void setU16(std::size_t at, std::size_t v) {
    bytes_[at] = static_cast<std::uint8_t>(v & 0xFF);
    bytes_[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  void record(Opcode op, std::size_t length) {
    u16(op);
    u16(length);
  }
  void cellPosition(std::size_t column, std::uint16_t row) {
    bytes_.push_back(kGeneralFormat);
    u16(column);
    u16(row);
  }

  std::string path_;
  WriterOptions options_;
  FileSystem& fs_;
  std::vector<std::uint8_t> bytes_;
  std::size_t rangeAt_ = 0;
  std::size_t lastColumn_ = 0;
};

}  // namespace

Status openWksWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                     std::unique_ptr<TableWriter>& writer) {
  if (options.columns > kMaxWksColumns) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("'%s': ...WKS: too many fields (%zu)...", path.c_str(), options.columns));
  }
  writer = std::make_unique<WksWriter>(path, options, fs);
  return Status::ok();
}

}  // namespace kestrel
