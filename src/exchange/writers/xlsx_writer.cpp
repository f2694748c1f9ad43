// Workbooks (.xlsx) through libxlsxwriter, in its constant-memory mode so a
// library of 100 000 parts streams row by row. Numbers are written as
// numbers (never as "%.15f" text), texts as strings; columns are 8 wide and,
// when asked, a heading row names them "FIELD%d".
#include <xlsxwriter.h>

#include <cmath>
#include <string>

#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/format_writers.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kMaxCellText = 32767;  // longest text a workbook cell holds
constexpr std::size_t kMaxSheetColumns = 16384;

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

class XlsxWriter final : public TableWriter {
 public:
  XlsxWriter(std::string path, const WriterOptions& options, FileSystem& fs)
      : path_(std::move(path)), temporary_(temporaryOutputPath(path_)), options_(options), fs_(fs),
        tmpdir_(folderOf(path_)) {}

  ~XlsxWriter() override {
    if (workbook_ != nullptr) {
      workbook_close(workbook_);
      (void)fs_.remove(temporary_);
    }
  }

  Status open() {
    (void)fs_.remove(temporary_);
    lxw_workbook_options wo{};
    wo.constant_memory = LXW_TRUE;
    wo.tmpdir = tmpdir_.data();
    workbook_ = workbook_new_opt(temporary_.c_str(), &wo);
    if (workbook_ == nullptr) {
      return Status::error(StatusCode::Io, strprintf("'%s': ...XLS: can not open file (%s)...", path_.c_str(),
                                                     temporary_.c_str()));
    }
    sheet_ = workbook_add_worksheet(workbook_, nullptr);
    if (sheet_ == nullptr) {
      return Status::error(StatusCode::Io,
                           strprintf("'%s': ...XLS: can not open file (worksheet)...", path_.c_str()));
    }
    worksheet_set_column(sheet_, 0, static_cast<lxw_col_t>(options_.columns - 1), 8, nullptr);
    if (options_.headingRow) {
      for (std::size_t c = 0; c < options_.columns; ++c) {
        if (lxw_error e = worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(c), columnName(options_, c).c_str(), nullptr)) {
          return Status::error(StatusCode::Io, strprintf("'%s': ...XLS: can not write record (%s)...",
                                                         path_.c_str(), lxw_strerror(e)));
        }
      }
      nextRow_ = 1;
    }
    return Status::ok();
  }

  Status writeRow(const ExportRow& row) override {
    if (nextRow_ >= LXW_ROW_MAX) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...XLS: too many records (%ld)...", rows_ + 1));
    }
    if (row.size() > options_.columns) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...XLS: too many fields (%zu)...", row.size()));
    }
    for (std::size_t c = 0; c < row.size(); ++c) {
      const ExportCell& cell = row[c];
      lxw_error e = LXW_NO_ERROR;
      const auto col = static_cast<lxw_col_t>(c);
      if (cell.isNumber()) {
        if (std::isfinite(cell.number)) e = worksheet_write_number(sheet_, nextRow_, col, cell.number, nullptr);
      } else if (cell.kind == ExportCell::Kind::Text && !cell.text.empty()) {
        if (cell.text.size() > kMaxCellText && options_.warn) {
          options_.warn(strprintf("...XLS WARNING: truncated string (%zu/%zu)...", cell.text.size(), kMaxCellText));
        }
        // A workbook holds UTF-8; the records' texts are Windows-1252.
        const std::string text = windows1252ToUtf8(std::string_view(cell.text).substr(0, kMaxCellText));
        e = worksheet_write_string(sheet_, nextRow_, col, text.c_str(), nullptr);
      }
      if (e != LXW_NO_ERROR) {
        return Status::error(StatusCode::Io,
                             strprintf("...XLS: can not write record (%s)...", lxw_strerror(e)));
      }
    }
    ++nextRow_;
    ++rows_;
    return Status::ok();
  }

  Status finish() override {
    lxw_workbook* wb = workbook_;
    workbook_ = nullptr;
    if (lxw_error e = workbook_close(wb); e != LXW_NO_ERROR) {
      (void)fs_.remove(temporary_);
      return Status::error(StatusCode::Io, strprintf("'%s': ...XLS: can not close file (%s)...",
                                                     path_.c_str(), lxw_strerror(e)));
    }
    return moveIntoPlace(fs_, temporary_, path_);
  }

 private:
  std::string path_;
  std::string temporary_;
  WriterOptions options_;
  FileSystem& fs_;
  std::string tmpdir_;
  lxw_workbook* workbook_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_row_t nextRow_ = 0;
};

}  // namespace

Status openXlsxWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                      std::unique_ptr<TableWriter>& writer) {
  if (options.columns > kMaxSheetColumns) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("'%s': ...XLS: too many fields (%zu)...", path.c_str(), options.columns));
  }
  auto w = std::make_unique<XlsxWriter>(path, options, fs);
  if (Status s = w->open(); !s) return s;
  writer = std::move(w);
  return Status::ok();
}

}  // namespace kestrel
