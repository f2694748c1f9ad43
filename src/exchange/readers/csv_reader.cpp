// Comma-separated text as the export writes it and spreadsheets save it:
// fields split at the separator outside double quotes, a quoted field may
// hold separators, doubled quotes and line breaks, lines may be of any
// length, and a UTF-8 byte-order mark at the start is dropped. A file that
// is not UTF-8 is read as Windows-1252.
#include <string_view>

#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "exchange/readers/memory_readers.hpp"

namespace kestrel {
namespace {

class CsvReader final : public TableReader {
 public:
  CsvReader(std::string name, std::string bytes, ReaderOptions options)
      : name_(std::move(name)), data_(std::move(bytes)), options_(std::move(options)) {
    if (data_.rfind("\xEF\xBB\xBF", 0) == 0) pos_ = 3;
    // Rows reach the import as UTF-8: a file that is not UTF-8 was written
    // by a Windows program in its ANSI code page.
    if (!isValidUtf8(data_)) data_ = windows1252ToUtf8(data_);
  }

  RowStatus next(TableRow& row) override {
    for (;;) {
      row.clear();
      if (pos_ >= data_.size()) return RowStatus::End;
      if (skipBlankLine()) continue;
      ++rowNumber_;
      readRecord(row);
      return RowStatus::Row;
    }
  }

 private:
  bool isSeparator(char c) const { return c == options_.separator; }
  // Blanks and control characters a field may start with (never the
  // separator itself, which may be a tab, and never the line end).
  bool isFiller(char c) const {
    return static_cast<unsigned char>(c) <= ' ' && c != '\n' && !isSeparator(c);
  }

  // A line of only blanks and control characters is no record.
  bool skipBlankLine() {
    std::size_t i = pos_;
    while (i < data_.size() && data_[i] != '\n' && static_cast<unsigned char>(data_[i]) <= ' ') ++i;
    if (i < data_.size() && data_[i] != '\n') return false;
    pos_ = i < data_.size() ? i + 1 : i;
    return true;
  }

  void readRecord(TableRow& row) {
    bool tooMany = false;
    for (int fieldNo = 1;; ++fieldNo) {
      while (pos_ < data_.size() && isFiller(data_[pos_])) ++pos_;
      TableCell cell = pos_ < data_.size() && data_[pos_] == '"' ? quotedField(fieldNo) : plainField(fieldNo);
      if (row.size() < kMaxTableFields) {
        row.push_back(std::move(cell));
      } else if (!tooMany) {
        tooMany = true;
        warn(options_, strprintf("   ...CSV WARNING: more than %zu fields, the rest ignored (R%ld)...",
                                 kMaxTableFields, rowNumber_));
      }
      if (pos_ >= data_.size()) return;
      const char c = data_[pos_++];
      if (c == '\n') return;
      // c is the separator: another field follows.
    }
  }

  static TableCell textCell(std::string text) {
    return text.empty() ? TableCell{} : TableCell::ofText(std::move(text));
  }

  // Up to the separator or the line end; doubled quotes stand for one.
  TableCell plainField(int fieldNo) {
    const std::size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != '\n' && !isSeparator(data_[pos_])) ++pos_;
    std::string_view raw(data_.data() + start, pos_ - start);
    while (!raw.empty() && static_cast<unsigned char>(raw.back()) <= ' ') raw.remove_suffix(1);
    if (raw.find('"') == std::string_view::npos) return textCell(std::string(raw));
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '"' && i + 1 < raw.size()) {
        if (raw[i + 1] != '"') {
          warn(options_, strprintf("   ...CSV WARNING: unmatched embedded quotes (R%ld/F%d)...", rowNumber_,
                                   fieldNo));
          return textCell(std::string(raw));
        }
        ++i;
      }
      text.push_back(raw[i]);
    }
    return textCell(std::move(text));
  }

  // From the opening quote to its closing quote, across line breaks; a
  // doubled quote inside stands for one. Text after the closing quote up
  // to the separator is kept, trailing blanks dropped.
  TableCell quotedField(int fieldNo) {
    const std::size_t open = pos_++;
    std::string text;
    for (;;) {
      const std::size_t quote = data_.find('"', pos_);
      if (quote == std::string::npos) return unmatchedQuote(open, fieldNo);
      text.append(data_, pos_, quote - pos_);
      pos_ = quote + 1;
      if (pos_ < data_.size() && data_[pos_] == '"') {
        text.push_back('"');
        ++pos_;
        continue;
      }
      break;
    }
    const std::size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != '\n' && !isSeparator(data_[pos_])) ++pos_;
    std::string_view rest(data_.data() + start, pos_ - start);
    while (!rest.empty() && static_cast<unsigned char>(rest.back()) <= ' ') rest.remove_suffix(1);
    text.append(rest);
    return textCell(std::move(text));
  }

  // No closing quote before the end of the file: the field is the rest of
  // its line, marked as an error, and the next line starts a new record,
  // so one stray quote never swallows the rows after it.
  TableCell unmatchedQuote(std::size_t open, int fieldNo) {
    warn(options_, strprintf("   ...CSV WARNING: unmatched quotes (R%ld/F%d)...", rowNumber_, fieldNo));
    std::size_t end = data_.find('\n', open);
    if (end == std::string::npos) end = data_.size();
    std::string_view text(data_.data() + open + 1, end - open - 1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    pos_ = end;
    TableCell cell = TableCell::ofText(std::string(text));
    cell.kind = TableCell::Kind::Error;
    return cell;
  }

  std::string name_;
  std::string data_;
  ReaderOptions options_;
  std::size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<TableReader> makeCsvReader(std::string name, std::string bytes, ReaderOptions options) {
  return std::make_unique<CsvReader>(std::move(name), std::move(bytes), std::move(options));
}

}  // namespace kestrel
