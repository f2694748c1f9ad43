// Excel 97..2003 and 5.0/95 workbooks (.xls) through freexl: the chosen
// worksheet (by name, else the first) read row by row.
#include <freexl.h>

#include "core/strfmt.hpp"
#include "exchange/readers/path_readers.hpp"

namespace kestrel {
namespace {

class XlsReader final : public TableReader {
 public:
  XlsReader(const void* handle, unsigned rows, unsigned short cols) : handle_(handle), rows_(rows), cols_(cols) {}
  ~XlsReader() override { freexl_close(handle_); }
  XlsReader(const XlsReader&) = delete;
  XlsReader& operator=(const XlsReader&) = delete;

  RowStatus next(TableRow& row) override {
    for (; row_ < rows_; ++row_) {
      row.clear();
      bool any = false;
      for (unsigned short c = 0; c < cols_; ++c) {
        FreeXL_CellValue v;
        if (freexl_get_cell_value(handle_, row_, c, &v) != FREEXL_OK) {
          return fail(strprintf("XLS: can not read cell (row %u, column %u)", row_ + 1, c + 1u));
        }
        TableCell cell;
        switch (v.type) {
          case FREEXL_CELL_INT: cell = TableCell::ofNumber(v.value.int_value); break;
          case FREEXL_CELL_DOUBLE: cell = TableCell::ofNumber(v.value.double_value); break;
          case FREEXL_CELL_TEXT: case FREEXL_CELL_SST_TEXT: case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME: case FREEXL_CELL_TIME:
            if (v.value.text_value != nullptr && *v.value.text_value != '\0') {
              cell = TableCell::ofText(v.value.text_value);
            }
            break;
          default: break;
        }
        any = any || cell.kind != TableCell::Kind::Empty;
        row.push_back(std::move(cell));
      }
      if (!any) continue;
      while (!row.empty() && row.back().kind == TableCell::Kind::Empty) row.pop_back();
      ++row_;
      ++rowNumber_;
      return RowStatus::Row;
    }
    row.clear();
    return RowStatus::End;
  }

 private:
  const void* handle_;
  unsigned rows_;
  unsigned short cols_;
  unsigned row_ = 0;
};

}  // namespace

Status openXlsReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out) {
  const void* handle = nullptr;
  int rc = freexl_open(path.c_str(), &handle);
  if (rc != FREEXL_OK) {
    if (handle != nullptr) freexl_close(handle);
    return Status::error(
        StatusCode::Corrupt,
        strprintf("XLS: can not open file (%s): not a readable workbook (code %d)", path.c_str(), rc));
  }
  unsigned info = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
    freexl_close(handle);
    return Status::error(StatusCode::Corrupt, strprintf("XLS: the workbook is encrypted (%s)", path.c_str()));
  }
  unsigned sheets = 0;
  freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
  unsigned short chosen = 0;
  bool found = options.table.empty() && sheets > 0;
  for (unsigned short i = 0; !found && i < sheets; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, i, &name) == FREEXL_OK && name != nullptr &&
        upperCased(name) == upperCased(options.table)) {
      chosen = i;
      found = true;
    }
  }
  if (!found) {
    freexl_close(handle);
    return Status::error(StatusCode::NotFound,
                         options.table.empty()
                             ? strprintf("XLS: the workbook has no worksheet (%s)", path.c_str())
                             : strprintf("XLS: no worksheet '%s' (%s)", options.table.c_str(), path.c_str()));
  }
  unsigned rows = 0;
  unsigned short cols = 0;
  if (freexl_select_active_worksheet(handle, chosen) != FREEXL_OK ||
      freexl_worksheet_dimensions(handle, &rows, &cols) != FREEXL_OK) {
    freexl_close(handle);
    return Status::error(StatusCode::Corrupt, strprintf("XLS: can not get #cols (%s)", path.c_str()));
  }
  if (cols > kMaxTableFields) {
    freexl_close(handle);
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("XLS: too many fields (%u/%zu) (%s)", static_cast<unsigned>(cols),
                                   kMaxTableFields, path.c_str()));
  }
  out = std::make_unique<XlsReader>(handle, rows, cols);
  return Status::ok();
}

}  // namespace kestrel
