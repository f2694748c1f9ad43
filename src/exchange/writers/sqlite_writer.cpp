// Database tables: an SQLite file holding table "Table1" with columns
// "FIELD%d". The columns carry no declared type, so every value keeps the
// kind it was written with (a part number "00123" stays text, a number
// keeps all its digits). All rows go in one transaction.
#include <sqlite3.h>

#include <cmath>
#include <string>

#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/format_writers.hpp"

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

class SqliteWriter final : public TableWriter {
 public:
  SqliteWriter(std::string path, const WriterOptions& options, FileSystem& fs)
      : path_(std::move(path)), temporary_(temporaryOutputPath(path_)), options_(options), fs_(fs) {}

  ~SqliteWriter() override {
    release();
    if (!finished_) (void)fs_.remove(temporary_);
  }

  Status open() {
    (void)fs_.remove(temporary_);
    if (sqlite3_open_v2(temporary_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
      return failure("can not open file");
    }
    std::string create = "CREATE TABLE \"Table1\" (";
    std::string insert = "INSERT INTO \"Table1\" VALUES (";
    for (std::size_t c = 0; c < options_.columns; ++c) {
      create += (c ? ", " : "") + quotedName(columnName(options_, c));
      insert += c ? ", ?" : "?";
    }
    create += ")";
    insert += ")";
    if (!exec("PRAGMA journal_mode=OFF") || !exec("PRAGMA synchronous=FULL") || !exec(create.c_str()) ||
        !exec("BEGIN")) {
      return failure("can not set table name");
    }
    if (sqlite3_prepare_v2(db_, insert.c_str(), -1, &insert_, nullptr) != SQLITE_OK) {
      return failure("can not set table name");
    }
    return Status::ok();
  }

  Status writeRow(const ExportRow& row) override {
    if (row.size() > options_.columns) {
      return Status::error(StatusCode::InvalidArgument,
                           strprintf("...MDB: too many fields (%zu)...", row.size()));
    }
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
    for (std::size_t c = 0; c < row.size(); ++c) {
      const ExportCell& cell = row[c];
      const int at = static_cast<int>(c + 1);
      if (cell.kind == ExportCell::Kind::Integer) {
        sqlite3_bind_int64(insert_, at, static_cast<sqlite3_int64>(cell.number));
      } else if (cell.isNumber() && std::isfinite(cell.number)) {
        sqlite3_bind_double(insert_, at, cell.number);
      } else if (cell.kind == ExportCell::Kind::Text) {
        // The database holds UTF-8; the records' texts are Windows-1252.
        const std::string text = windows1252ToUtf8(cell.text);
        sqlite3_bind_text(insert_, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      }
    }
    if (sqlite3_step(insert_) != SQLITE_DONE) {
      return Status::error(StatusCode::Io,
                           strprintf("...MDB: can not write record (%s)...", sqlite3_errmsg(db_)));
    }
    ++rows_;
    return Status::ok();
  }

  Status finish() override {
    if (!exec("COMMIT")) {
      Status s = failure("can not close file");
      release();
      return s;
    }
    release();
    finished_ = true;
    return moveIntoPlace(fs_, temporary_, path_);
  }

 private:
  bool exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
  Status failure(const char* what) const {
    return Status::error(StatusCode::Io, strprintf("'%s': ...MDB: %s (%s)...", path_.c_str(), what,
                                                   db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory"));
  }
  void release() {
    if (insert_ != nullptr) sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
  }

  std::string path_;
  std::string temporary_;
  WriterOptions options_;
  FileSystem& fs_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  bool finished_ = false;
};

}  // namespace

Status openSqliteWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                        std::unique_ptr<TableWriter>& writer) {
  auto w = std::make_unique<SqliteWriter>(path, options, fs);
  if (Status s = w->open(); !s) return s;
  writer = std::move(w);
  return Status::ok();
}

}  // namespace kestrel
