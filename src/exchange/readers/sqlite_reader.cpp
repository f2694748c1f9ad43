// A table of an SQLite database, opened read-only: the first row holds the
// column names (as a spreadsheet's first row would), then one row per
// table row. Integers and reals are numbers, texts are texts, NULL is empty.
#include <sqlite3.h>

#include <cstdio>
#include <cstring>

#include "core/strfmt.hpp"
#include "exchange/readers/code_pages.hpp"
#include "exchange/readers/path_readers.hpp"

namespace kestrel {
namespace {

std::string quotedName(const std::string& name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q.push_back('"');
    q.push_back(c);
  }
  return q + "\"";
}

bool hasSqliteMagic(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char magic[16] = {};
  const std::size_t n = std::fread(magic, 1, sizeof magic, f);
  std::fclose(f);
  return n == sizeof magic && std::memcmp(magic, "SQLite format 3", 16) == 0;
}

class SqliteReader final : public TableReader {
 public:
  SqliteReader(sqlite3* db, sqlite3_stmt* stmt, std::string path) : db_(db), stmt_(stmt), path_(std::move(path)) {}
  ~SqliteReader() override {
    sqlite3_finalize(stmt_);
    sqlite3_close(db_);
  }
  SqliteReader(const SqliteReader&) = delete;
  SqliteReader& operator=(const SqliteReader&) = delete;

  RowStatus next(TableRow& row) override {
    row.clear();
    const int cols = std::min(sqlite3_column_count(stmt_), static_cast<int>(kMaxTableFields));
    if (!namesGiven_) {
      namesGiven_ = true;
      ++rowNumber_;
      for (int c = 0; c < cols; ++c) {
        const char* name = sqlite3_column_name(stmt_, c);
        row.push_back(TableCell::ofText(name != nullptr ? name : ""));
      }
      return RowStatus::Row;
    }
    for (;;) {
      const int rc = sqlite3_step(stmt_);
      if (rc == SQLITE_DONE) return RowStatus::End;
      if (rc != SQLITE_ROW) {
        return fail(strprintf("SQLITE: can not read record (%s): %s", path_.c_str(), sqlite3_errmsg(db_)));
      }
      bool any = false;
      for (int c = 0; c < cols; ++c) {
        TableCell cell;
        switch (sqlite3_column_type(stmt_, c)) {
          case SQLITE_INTEGER: case SQLITE_FLOAT: cell = TableCell::ofNumber(sqlite3_column_double(stmt_, c)); break;
          case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
            const int size = sqlite3_column_bytes(stmt_, c);
            if (text != nullptr && size > 0) {
              cell = TableCell::ofText(toUtf8(std::string_view(text, static_cast<std::size_t>(size)), CodePage::Ansi1252));
            }
            break;
          }
          case SQLITE_BLOB: cell.kind = TableCell::Kind::Error; break;
          default: break;
        }
        any = any || cell.kind != TableCell::Kind::Empty;
        row.push_back(std::move(cell));
      }
      if (!any) continue;
      ++rowNumber_;
      return RowStatus::Row;
    }
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  std::string path_;
  bool namesGiven_ = false;
};

}  // namespace

Status openSqliteReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out) {
  if (!hasSqliteMagic(path)) {
    return Status::error(
        StatusCode::Corrupt,
        strprintf("SQLITE: can not open file (%s): not an SQLite database, or encrypted", path.c_str()));
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    const std::string why = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return Status::error(StatusCode::Io,
                         strprintf("SQLITE: can not open file (%s): %s", path.c_str(), why.c_str()));
  }
  sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr);
  auto failWith = [&](StatusCode code, const char* what) {
    const std::string why = sqlite3_errmsg(db);
    sqlite3_close(db);
    return Status::error(code, strprintf("SQLITE: %s (%s): %s", what, path.c_str(), why.c_str()));
  };
  std::string table = options.table;
  if (table.empty()) {
    sqlite3_stmt* list = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' ORDER BY rowid",
                           -1, &list, nullptr) != SQLITE_OK) {
      return failWith(StatusCode::Corrupt, "can not read structure");
    }
    const int rc = sqlite3_step(list);
    if (rc == SQLITE_ROW) table = reinterpret_cast<const char*>(sqlite3_column_text(list, 0));
    sqlite3_finalize(list);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failWith(StatusCode::Corrupt, "can not read structure");
    if (table.empty()) {
      sqlite3_close(db);
      return Status::error(StatusCode::NotFound,
                           strprintf("SQLITE: the database has no table (%s)", path.c_str()));
    }
  }
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "SELECT * FROM " + quotedName(table);
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    // A table the database listed itself is there, so only a named one can be missing.
    return failWith(options.table.empty() ? StatusCode::Corrupt : StatusCode::NotFound,
                    "can not select fields");
  }
  out = std::make_unique<SqliteReader>(db, stmt, path);
  return Status::ok();
}

}  // namespace kestrel
