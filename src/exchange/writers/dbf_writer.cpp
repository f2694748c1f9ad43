// dBASE III tables (.dbf): fields "FIELD%d". The field descriptors come
// before the records and fix every width, so the rows are kept in a compact
// spool until the table is complete; then each column becomes a numeric (N)
// field when all its values are present and are numbers that fixed-point
// text can carry exactly within 19 characters, and a character (C) field otherwise, as wide
// as its longest value (at most 254).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

#include "core/strfmt.hpp"
#include "exchange/dbf_limits.hpp"
#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/format_writers.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kMaxDbfFields = 255;
constexpr std::size_t kMaxCharWidth = 254;
constexpr std::size_t kMaxNumericWidth = 19;
constexpr int kMaxDecimals = 15;
// The language driver byte of the header names the code page of the texts:
// the records' own, Windows ANSI (1252).
constexpr std::size_t kLanguageDriverAt = 29;
constexpr std::uint8_t kDriverAnsi1252 = 0x03;

// Fewest decimals whose fixed-point text reads back as the same value, or -1.
int decimalsNeeded(const ExportCell& cell) {
  const double v = cell.number;
  if (!std::isfinite(v) || std::fabs(v) >= 1e18) return -1;
  for (int d = 0; d <= kMaxDecimals; ++d) {
    const std::string text = strprintf("%.*f", d, v);
    const double back = std::strtod(text.c_str(), nullptr);
    const bool same = cell.kind == ExportCell::Kind::Single
                          ? static_cast<float>(back) == static_cast<float>(v)
                          : back == v;
    if (same) return d;
  }
  return -1;
}

struct ColumnStats {
  bool numeric = true;     // every value so far is an exactly representable number
  bool anyValue = false;
  int decimals = 0;
  std::size_t intWidth = 1;  // characters before the decimal point (sign included)
  std::size_t textWidth = 1; // longest value as text
};

void putU16(std::vector<std::uint8_t>& out, std::size_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void putU32(std::vector<std::uint8_t>& out, std::size_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, (v >> 16) & 0xFFFF);
}

class DbfWriter final : public TableWriter {
 public:
  DbfWriter(std::string path, const WriterOptions& options, FileSystem& fs)
      : path_(std::move(path)), options_(options), fs_(fs), stats_(options.columns) {}

  Status writeRow(const ExportRow& row) override {
    if (row.size() > options_.columns) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...DBF: too many fields (%zu)...", row.size()));
    }
    if (static_cast<unsigned long>(rows_) >= std::numeric_limits<std::uint32_t>::max()) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...DBF: too many records (%ld)...", rows_ + 1));
    }
    for (std::size_t i = 0; i < options_.columns; ++i) {
      spoolCell(i, i < row.size() ? row[i] : ExportCell{});
    }
    ++rows_;
    return Status::ok();
  }

  Status finish() override {
    std::vector<std::uint8_t> out;
    if (Status s = build(out); !s) return s;
    return commitOutput(fs_, path_, out);
  }

 private:
  void spoolCell(std::size_t column, const ExportCell& cell) {
    ColumnStats& st = stats_[column];
    if (cell.isNumber() && std::isfinite(cell.number)) {
      spool_.push_back(static_cast<char>(cell.kind));
      char raw[sizeof(double)];
      std::memcpy(raw, &cell.number, sizeof raw);
      spool_.append(raw, sizeof raw);
      st.anyValue = true;
      st.textWidth = std::max(st.textWidth, numberText(cell).size());
      const int d = decimalsNeeded(cell);
      if (d < 0) {
        st.numeric = false;
        return;
      }
      st.decimals = std::max(st.decimals, d);
      const std::string whole = strprintf("%.0f", std::trunc(cell.number));
      st.intWidth = std::max(st.intWidth, whole.size() + (cell.number < 0 && whole[0] != '-' ? 1 : 0));
      return;
    }
    if (cell.kind != ExportCell::Kind::Text) {
      // Readers take a blank numeric field for 0: a column with absent
      // values stays a character field, so absent stays absent.
      st.numeric = false;
      spool_.push_back(static_cast<char>(ExportCell::Kind::Empty));
      return;
    }
    std::string_view text = cell.text;
    if (text.size() > kMaxCharWidth) {
      warn(strprintf("...DBF WARNING: truncated string (%zu/%zu)...", text.size(), kMaxCharWidth));
      text = text.substr(0, kMaxCharWidth);
    }
    st.anyValue = true;
    st.numeric = false;
    st.textWidth = std::max(st.textWidth, text.size());
    spool_.push_back(static_cast<char>(ExportCell::Kind::Text));
    const std::uint8_t length = static_cast<std::uint8_t>(text.size());
    spool_.push_back(static_cast<char>(length));
    spool_.append(text);
  }

  void warn(const std::string& line) const {
    if (options_.warn) options_.warn(line);
  }

  bool isNumericField(const ColumnStats& st) const {
    return st.anyValue && st.numeric && fieldWidth(st) <= kMaxNumericWidth;
  }
  static std::size_t numericWidth(const ColumnStats& st) {
    return st.intWidth + (st.decimals > 0 ? static_cast<std::size_t>(st.decimals) + 1 : 0);
  }
  std::size_t fieldWidth(const ColumnStats& st) const {
    return st.anyValue && st.numeric ? numericWidth(st) : std::min(st.textWidth, kMaxCharWidth);
  }

  Status build(std::vector<std::uint8_t>& out) const {
    const std::size_t n = options_.columns;
    if (n > kMaxDbfFields) {
      return Status::error(StatusCode::InvalidArgument, strprintf("...DBF: too many fields (%zu)...", n));
    }
    std::vector<bool> numeric(n);
    std::vector<std::size_t> width(n);
    std::size_t recordLength = 1;
    for (std::size_t i = 0; i < n; ++i) {
      numeric[i] = isNumericField(stats_[i]);
      width[i] = numeric[i] ? numericWidth(stats_[i]) : std::min(stats_[i].textWidth, kMaxCharWidth);
      recordLength += width[i];
    }
    // Refused rather than narrowed: cutting texts to fit would lose them on
    // the way back in without a word.
    if (recordLength > kDbfMaxRecordLength) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("'%s': ...DBF: record len too large (%zu/%zu)...", path_.c_str(), recordLength,
                                     kDbfMaxRecordLength));
    }

    const std::size_t headerLength = 32 + 32 * n + 1;
    out.reserve(headerLength + recordLength * static_cast<std::size_t>(rows_) + 1);
    const std::time_t now = std::time(nullptr);
    std::tm date{};
    localtime_r(&now, &date);
    out.push_back(0x03);
    out.push_back(static_cast<std::uint8_t>(date.tm_year % 100));
    out.push_back(static_cast<std::uint8_t>(date.tm_mon + 1));
    out.push_back(static_cast<std::uint8_t>(date.tm_mday));
    putU32(out, static_cast<std::size_t>(rows_));
    putU16(out, headerLength);
    putU16(out, recordLength);
    out.resize(32, 0);
    out[kLanguageDriverAt] = kDriverAnsi1252;
    for (std::size_t i = 0; i < n; ++i) {
      const std::string name = columnName(i);
      const std::size_t at = out.size();
      out.resize(at + 32, 0);
      std::memcpy(&out[at], name.data(), std::min<std::size_t>(name.size(), 10));
      out[at + 11] = numeric[i] ? 'N' : 'C';
      out[at + 16] = static_cast<std::uint8_t>(width[i]);
      out[at + 17] = numeric[i] ? static_cast<std::uint8_t>(stats_[i].decimals) : 0;
    }
    out.push_back(0x0D);

    std::size_t at = 0;
    std::string field;
    for (long r = 0; r < rows_; ++r) {
      out.push_back(' ');
      for (std::size_t i = 0; i < n; ++i) {
        const auto kind = static_cast<ExportCell::Kind>(spool_[at++]);
        field.clear();
        if (kind == ExportCell::Kind::Text) {
          const std::size_t length = static_cast<std::uint8_t>(spool_[at++]);
          field.assign(spool_, at, length);
          at += length;
        } else if (kind != ExportCell::Kind::Empty) {
          ExportCell cell;
          cell.kind = kind;
          std::memcpy(&cell.number, spool_.data() + at, sizeof(double));
          at += sizeof(double);
          field = numeric[i] ? strprintf("%*.*f", static_cast<int>(width[i]), stats_[i].decimals, cell.number)
                             : numberText(cell);
        }
        if (field.size() > width[i]) field.resize(width[i]);
        out.insert(out.end(), field.begin(), field.end());
        out.insert(out.end(), width[i] - field.size(), ' ');
      }
    }
    out.push_back(0x1A);
    return Status::ok();
  }

  std::string path_;
  WriterOptions options_;
  FileSystem& fs_;
  std::vector<ColumnStats> stats_;
  std::string spool_;
};

}  // namespace

Status openDbfWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                     std::unique_ptr<TableWriter>& writer) {
  if (options.columns > kMaxDbfFields) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("'%s': ...DBF: too many fields (%zu)...", path.c_str(), options.columns));
  }
  writer = std::make_unique<DbfWriter>(path, options, fs);
  return Status::ok();
}

}  // namespace kestrel
