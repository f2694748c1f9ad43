// PgConnection: one client connection to a PostgreSQL server for one open
// library: connecting under a name that says who holds a lock, statements
// prepared once and run with their texts as binary parameters, results in
// binary form, transactions, and the server's failures sorted into our
// kinds (a taken number, a held lock, a lost connection, ...).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.hpp"

struct pg_conn;
struct pg_result;

namespace kestrel::library {

// One parameter of a statement: bytes (a bytea) or a number as text.
struct PgParam {
  std::string value;
  bool binary = false;

  static PgParam bytes(std::string_view b) { return {std::string(b), true}; }
  static PgParam number(long long n) { return {std::to_string(n), false}; }
};

// A statement's result: rows of binary fields; empty when the statement failed.
class PgResult {
 public:
  PgResult() = default;
  explicit PgResult(pg_result* r) : r_(r) {}
  ~PgResult();
  PgResult(PgResult&& other) noexcept : r_(other.r_) { other.r_ = nullptr; }
  PgResult& operator=(PgResult&& other) noexcept;
  PgResult(const PgResult&) = delete;
  PgResult& operator=(const PgResult&) = delete;

  pg_result* get() const { return r_; }
  int rows() const;
  bool isNull(int row, int column) const;
  // A field's bytes as they are (bytea, text).
  std::string text(int row, int column) const;
  // A big-endian integer field of 2, 4 or 8 bytes (int2, int4, int8, oid).
  long long number(int row, int column) const;

 private:
  pg_result* r_ = nullptr;
};

// How a failed statement is to be read.
enum class PgFailure {
  None,
  Taken,       // a unique number is in use
  Missing,     // no such schema or table
  Locked,      // a row another transaction holds
  Lost,        // the connection is gone
  Other,
};

class PgConnection {
 public:
  PgConnection() = default;
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Connects to the database of `address` (a libpq URI or key=value text)
  // as "kestrel USER@HOST"; false with `detail()` set on failure.
  bool connect(const std::string& address);
  void close();

  // Runs a statement, preparing it on first use; false on failure with
  // `failure()` and `detail()` set. Results come in binary form.
  bool run(const std::string& sql, const std::vector<PgParam>& params, PgResult& result);
  bool run(const std::string& sql, const std::vector<PgParam>& params) {
    PgResult ignored;
    return run(sql, params, ignored);
  }
  // A command without parameters (BEGIN, COMMIT, DDL), not prepared.
  bool command(const std::string& sql);

  PgFailure failure() const { return failure_; }
  // The server's message on one line; a lost connection says so first.
  const std::string& detail() const { return detail_; }
  StatusCode code() const;
  bool lost() const;

  // The name a connection of this user gives itself: "kestrel USER@HOST".
  static std::string applicationName();

 private:
  bool succeeded(const PgResult& result);

  pg_conn* conn_ = nullptr;
  std::map<std::string, std::string> prepared_;  // statement text -> name
  PgFailure failure_ = PgFailure::None;
  std::string detail_;
};

// A schema name as an SQL identifier.
std::string quotedIdentifier(std::string_view name);

}  // namespace kestrel::library
