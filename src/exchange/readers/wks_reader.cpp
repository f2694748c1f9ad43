// Lotus 1-2-3 worksheets (.wks, .wk1): a stream of records, each a 16-bit
// opcode and a 16-bit length, starting with BOF and ending with EOF. The
// cell records (blank, integer, number, label, formula with its value,
// string value of a formula) are gathered by position; each worksheet row
// becomes one table row. Cells outside the declared range are logged and
// skipped.
#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>

#include "core/strfmt.hpp"
#include "exchange/readers/code_pages.hpp"
#include "exchange/readers/memory_readers.hpp"

namespace kestrel {
namespace {

enum Opcode : std::uint16_t {
  kBof = 0x0000,
  kEof = 0x0001,
  kRange = 0x0006,
  kBlank = 0x000C,
  kInteger = 0x000D,
  kNumber = 0x000E,
  kLabel = 0x000F,
  kFormula = 0x0010,
  kString = 0x0033,
};

class WksReader final : public TableReader {
 public:
  WksReader(std::string name, std::string bytes, ReaderOptions options)
      : name_(std::move(name)), data_(std::move(bytes)), options_(std::move(options)) {}

  RowStatus next(TableRow& row) override {
    row.clear();
    if (!parsed_) {
      if (!error_.empty()) return RowStatus::Failed;
      if (!parse()) return RowStatus::Failed;
      parsed_ = true;
      at_ = cells_.begin();
    }
    if (at_ == cells_.end()) return RowStatus::End;
    ++rowNumber_;
    for (auto& [col, cell] : at_->second) {
      if (row.size() < col) row.resize(col);
      row.push_back(std::move(cell));
    }
    ++at_;
    return RowStatus::Row;
  }

 private:
  std::uint16_t u16(std::size_t at) const {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data_[at]) |
                                      static_cast<unsigned char>(data_[at + 1]) << 8);
  }

  bool failed(std::string message) {
    fail(std::move(message));
    return false;
  }

  bool parse() {
    if (data_.size() < 6 || u16(0) != kBof || u16(2) != 2) {
      return failed(strprintf("WKS: BOF record not found (%d)", data_.size() < 2 ? -1 : static_cast<int>(u16(0))));
    }
    const int version = u16(4);
    if (version < 0x0404 || version > 0x0406) return failed(strprintf("WKS: not a valid version# (%d)", version));
    std::size_t pos = 6;
    while (pos + 4 <= data_.size()) {
      const std::uint16_t op = u16(pos);
      const std::size_t len = u16(pos + 2);
      pos += 4;
      if (len > data_.size() - pos) {
        return failed(strprintf("WKS: record %d at byte %zu runs past the end of the file", op, pos - 4));
      }
      if (op == kEof) return true;
      record(op, std::string_view(data_).substr(pos, len));
      pos += len;
    }
    return failed("WKS: the file ends without its EOF record");
  }

  void record(std::uint16_t op, std::string_view body) {
    if (op == kRange && body.size() >= 8) {
      hasRange_ = true;
      firstCol_ = u16at(body, 0);
      firstRow_ = u16at(body, 2);
      lastCol_ = u16at(body, 4);
      lastRow_ = u16at(body, 6);
      return;
    }
    const bool isCell = op == kBlank || op == kInteger || op == kNumber || op == kLabel || op == kFormula || op == kString;
    if (!isCell) return;  // formats, widths, names, print settings: not data
    if (body.size() < 5) {
      warn(options_, strprintf("   ...WKS: %d is not a valid cell list type (R%ld/F%d)...", op, 0L, 0));
      return;
    }
    const std::size_t col = u16at(body, 1);
    const std::size_t row = u16at(body, 3);
    const long r = static_cast<long>(row) + 1;
    const int f = static_cast<int>(col) + 1;
    if (hasRange_ && (col < firstCol_ || col > lastCol_ || row < firstRow_ || row > lastRow_)) {
      warn(options_, strprintf("   ...WKS: cell outside the declared range skipped (R%ld/F%d)...", r, f));
      return;
    }
    if (col >= kMaxTableFields) {
      warn(options_, strprintf("   ...WKS: too many fields (R%ld/F%d)...", r, f));
      return;
    }
    TableCell cell;
    const std::string_view value = body.substr(5);
    switch (op) {
      case kBlank: return;
      case kInteger:
        if (value.size() < 2) return badCell(op, r, f);
        cell = TableCell::ofNumber(static_cast<std::int16_t>(u16at(value, 0)));
        break;
      case kNumber:
      case kFormula:
        if (value.size() < 8) return badCell(op, r, f);
        cell = TableCell::ofNumber(f64(value));
        break;
      case kLabel: {
        // A label starts with its alignment prefix (' " ^ \).
        std::string_view text = cString(value);
        if (!text.empty() && std::strchr("'\"^\\|", text.front()) != nullptr) text.remove_prefix(1);
        if (text.empty()) return;
        cell = TableCell::ofText(toUtf8(text, CodePage::Ansi1252));
        break;
      }
      case kString: {  // the text value of the formula just before
        const std::string_view text = cString(value);
        cell = text.empty() ? TableCell{} : TableCell::ofText(toUtf8(text, CodePage::Ansi1252));
        break;
      }
    }
    cells_[row][col] = std::move(cell);
  }

  void badCell(std::uint16_t op, long r, int f) {
    warn(options_, strprintf("   ...WKS: %d is not a valid cell list type (R%ld/F%d)...", op, r, f));
  }

  static std::uint16_t u16at(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
  }
  static double f64(std::string_view b) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | static_cast<unsigned char>(b[static_cast<std::size_t>(i)]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  static std::string_view cString(std::string_view b) {
    const auto nul = b.find('\0');
    return nul == std::string_view::npos ? b : b.substr(0, nul);
  }

  std::string name_;
  std::string data_;
  ReaderOptions options_;
  bool parsed_ = false;
  bool hasRange_ = false;
  std::size_t firstCol_ = 0, firstRow_ = 0, lastCol_ = 0, lastRow_ = 0;
  std::map<std::size_t, std::map<std::size_t, TableCell>> cells_;
  std::map<std::size_t, std::map<std::size_t, TableCell>>::iterator at_;
};

}  // namespace

std::unique_ptr<TableReader> makeWksReader(std::string name, std::string bytes, ReaderOptions options) {
  return std::make_unique<WksReader>(std::move(name), std::move(bytes), std::move(options));
}

}  // namespace kestrel
