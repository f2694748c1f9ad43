// A table of a desktop database (.mdb, .accdb) through mdbtools: the first
// row holds the column names, then one row per table row. mdbtools gives
// every value as text; number columns are turned back into numbers.
#include <glib.h>  // before mdbtools.h, which includes it inside extern "C"
#include <mdbtools.h>

#include <charconv>
#include <vector>

#include "core/strfmt.hpp"
#include "exchange/readers/path_readers.hpp"

namespace kestrel {
namespace {

bool isNumberColumn(int type) {
  switch (type) {
    case MDB_BOOL: case MDB_BYTE: case MDB_INT: case MDB_LONGINT: case MDB_MONEY:
    case MDB_FLOAT: case MDB_DOUBLE: case MDB_NUMERIC: return true;
    default: return false;
  }
}

class MdbReader final : public TableReader {
 public:
  MdbReader(MdbHandle* mdb, MdbTableDef* table) : mdb_(mdb), table_(table) {
    const unsigned cols = std::min<unsigned>(table_->num_cols, kMaxTableFields);
    buffers_.resize(cols);
    lengths_.resize(cols);
    for (unsigned c = 0; c < cols; ++c) {
      buffers_[c].assign(mdb_->bind_size + 1, '\0');
      mdb_bind_column(table_, static_cast<int>(c) + 1, buffers_[c].data(), &lengths_[c]);
    }
    mdb_rewind_table(table_);
  }
  ~MdbReader() override {
    mdb_free_tabledef(table_);
    mdb_close(mdb_);
  }
  MdbReader(const MdbReader&) = delete;
  MdbReader& operator=(const MdbReader&) = delete;

  RowStatus next(TableRow& row) override {
    row.clear();
    if (!namesGiven_) {
      namesGiven_ = true;
      ++rowNumber_;
      for (std::size_t c = 0; c < buffers_.size(); ++c) {
        const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, c));
        row.push_back(TableCell::ofText(col->name));
      }
      return RowStatus::Row;
    }
    while (mdb_fetch_row(table_)) {
      bool any = false;
      for (std::size_t c = 0; c < buffers_.size(); ++c) {
        const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, c));
        const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(std::max(lengths_[c], 0)), mdb_->bind_size);
        const std::string_view text(buffers_[c].data(), size);
        TableCell cell;
        if (col->col_type == MDB_OLE || col->col_type == MDB_BINARY) {
          cell.kind = size > 0 ? TableCell::Kind::Error : TableCell::Kind::Empty;
        } else if (!text.empty() && isNumberColumn(col->col_type)) {
          double v = 0.0;
          const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
          cell = ec == std::errc{} ? TableCell::ofNumber(v) : TableCell::ofText(std::string(text));
        } else if (!text.empty()) {
          cell = TableCell::ofText(std::string(text));
        }
        any = any || cell.kind != TableCell::Kind::Empty;
        row.push_back(std::move(cell));
      }
      if (!any) continue;
      ++rowNumber_;
      return RowStatus::Row;
    }
    return RowStatus::End;
  }

 private:
  MdbHandle* mdb_;
  MdbTableDef* table_;
  std::vector<std::vector<char>> buffers_;
  std::vector<int> lengths_;
  bool namesGiven_ = false;
};

}  // namespace

Status openMdbReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out) {
  MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (mdb == nullptr) {
    return Status::error(StatusCode::Corrupt, strprintf("MDB: can not open file (%s)", path.c_str()));
  }
  if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr) {
    mdb_close(mdb);
    return Status::error(StatusCode::Corrupt, strprintf("MDB: can not read structure (%s)", path.c_str()));
  }
  MdbCatalogEntry* chosen = nullptr;
  for (unsigned i = 0; i < mdb->num_catalog && chosen == nullptr; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry->object_type != MDB_TABLE) continue;
    const std::string name = entry->object_name;
    if (options.table.empty() ? name.rfind("MSys", 0) != 0 : upperCased(name) == upperCased(options.table)) {
      chosen = entry;
    }
  }
  if (chosen == nullptr) {
    mdb_close(mdb);
    return Status::error(StatusCode::NotFound,
                         options.table.empty()
                             ? strprintf("MDB: the database has no table (%s)", path.c_str())
                             : strprintf("MDB: no table '%s' (%s)", options.table.c_str(), path.c_str()));
  }
  MdbTableDef* table = mdb_read_table(chosen);
  if (table == nullptr || mdb_read_columns(table) == nullptr) {
    if (table != nullptr) mdb_free_tabledef(table);
    mdb_close(mdb);
    return Status::error(StatusCode::Corrupt, strprintf("MDB: can not select fields (%s)", path.c_str()));
  }
  out = std::make_unique<MdbReader>(mdb, table);
  return Status::ok();
}

}  // namespace kestrel
