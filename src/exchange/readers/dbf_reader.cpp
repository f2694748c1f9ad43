// dBASE III tables (.dbf): a 32-byte header, one 32-byte descriptor per
// field up to a 0x0D terminator, then fixed-length records each starting
// with its deletion byte. Every length and count of the header is checked
// against the others and against the file before any row is read.
#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/strfmt.hpp"
#include "exchange/dbf_limits.hpp"
#include "exchange/readers/code_pages.hpp"
#include "exchange/readers/memory_readers.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kMaxRecordLength = kDbfMaxRecordLength;

std::uint32_t le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t le16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

struct DbfField {
  char type;
  std::size_t offset;  // within the record, after the deletion byte
  std::size_t length;
};

class DbfReader final : public TableReader {
 public:
  DbfReader(std::string name, std::string bytes, ReaderOptions options)
      : name_(std::move(name)), data_(std::move(bytes)), options_(std::move(options)) {}

  RowStatus next(TableRow& row) override {
    row.clear();
    if (!checked_) {
      if (!error_.empty()) return RowStatus::Failed;
      if (!readHeader()) return RowStatus::Failed;
      checked_ = true;
    }
    while (index_ < count_) {
      const std::size_t at = headerLength_ + index_ * recordLength_;
      ++index_;
      if (data_[at] == '*') continue;  // deleted record
      ++rowNumber_;
      for (std::size_t f = 0; f < fields_.size(); ++f) {
        row.push_back(cell(fields_[f], std::string_view(data_).substr(at + 1 + fields_[f].offset, fields_[f].length),
                           static_cast<int>(f) + 1));
      }
      return RowStatus::Row;
    }
    return RowStatus::End;
  }

 private:
  bool readHeader() {
    if (data_.size() < kHeaderSize + 1) return failed("DBF: file too short for a dBASE header");
    const int version = static_cast<unsigned char>(data_[0]);
    if (version != 3 && version != 131) return failed(strprintf("DBF: not a valid version# (%d)", version));
    count_ = le32(data_, 4);
    headerLength_ = le16(data_, 8);
    recordLength_ = le16(data_, 10);
    page_ = codePageOfDriver(static_cast<std::uint8_t>(data_[29]));
    if (headerLength_ < kHeaderSize + 1 || headerLength_ > data_.size()) {
      return failed(strprintf("DBF: header length %zu does not fit the file of %zu bytes", headerLength_,
                              data_.size()));
    }
    std::size_t n = 0;
    while (kHeaderSize + n * kDescriptorSize < headerLength_ && data_[kHeaderSize + n * kDescriptorSize] != '\r') {
      if (kHeaderSize + (n + 1) * kDescriptorSize >= headerLength_) {
        return failed(strprintf("DBF: field descriptors run past the header length (%zu)", headerLength_));
      }
      ++n;
      if (n > kMaxTableFields) return failed(strprintf("DBF: too many fields (%zu)", n));
    }
    if (kHeaderSize + n * kDescriptorSize >= headerLength_) {
      return failed("DBF: no end of the field descriptors within the header");
    }
    if (n == 0) return failed("DBF: the table has no fields");
    if (recordLength_ > kMaxRecordLength) return failed(strprintf("DBF: record length too long (%zu)", recordLength_));
    std::size_t sum = 1;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t d = kHeaderSize + i * kDescriptorSize;
      const std::size_t length = static_cast<unsigned char>(data_[d + 16]);
      if (length == 0) return failed(strprintf("DBF: field %zu has length 0", i + 1));
      fields_.push_back(DbfField{data_[d + 11], sum - 1, length});
      sum += length;
    }
    if (sum != recordLength_) return failed(strprintf("DBF: record length mismatch (%zu/%zu)", recordLength_, sum));
    if ((data_.size() - headerLength_) / recordLength_ < count_) {
      return failed(strprintf("DBF: the file ends before its %zu records", count_));
    }
    return true;
  }

  bool failed(std::string message) {
    fail(std::move(message));
    return false;
  }

  TableCell cell(const DbfField& field, std::string_view raw, int fieldNo) {
    const std::string_view text = trimBlanks(raw);
    switch (field.type) {
      case 'C': case 'D': case 'L': case 'M':
        return text.empty() ? TableCell{} : TableCell::ofText(toUtf8(text, page_));
      case 'N': case 'F': {
        if (text.empty()) return {};
        double value = 0.0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc{} || end != text.data() + text.size()) {
          TableCell bad = TableCell::ofText(std::string(text));
          bad.kind = TableCell::Kind::Error;
          return bad;
        }
        return TableCell::ofNumber(value);
      }
      default:
        if (rowNumber_ == 1) {
          warn(options_, strprintf("   ...DBF: %d is not a valid field type (R%ld/F%d)...",
                                   static_cast<unsigned char>(field.type), rowNumber_, fieldNo));
        }
        TableCell bad;
        bad.kind = TableCell::Kind::Error;
        return bad;
    }
  }

  std::string name_;
  std::string data_;
  ReaderOptions options_;
  bool checked_ = false;
  std::size_t count_ = 0, headerLength_ = 0, recordLength_ = 0, index_ = 0;
  CodePage page_ = CodePage::Ansi1252;
  std::vector<DbfField> fields_;
};

}  // namespace

std::unique_ptr<TableReader> makeDbfReader(std::string name, std::string bytes, ReaderOptions options) {
  return std::make_unique<DbfReader>(std::move(name), std::move(bytes), std::move(options));
}

}  // namespace kestrel
