#include "store/library/pg/pg_connection.hpp"

#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kestrel::library {
namespace {

// One line, no trailing blanks: the server's messages end in a line break
// and some run over several lines.
std::string flattened(const char* text) {
  std::string s = text != nullptr ? text : "";
  for (char& c : s) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

void ignoreNotice(void*, const char*) {}

}  // namespace

PgResult::~PgResult() {
  if (r_ != nullptr) PQclear(r_);
}

PgResult& PgResult::operator=(PgResult&& other) noexcept {
  if (this != &other) {
    if (r_ != nullptr) PQclear(r_);
    r_ = other.r_;
    other.r_ = nullptr;
  }
  return *this;
}

int PgResult::rows() const { return r_ != nullptr ? PQntuples(r_) : 0; }

bool PgResult::isNull(int row, int column) const { return PQgetisnull(r_, row, column) != 0; }

std::string PgResult::text(int row, int column) const {
  return std::string(PQgetvalue(r_, row, column), static_cast<std::size_t>(PQgetlength(r_, row, column)));
}

long long PgResult::number(int row, int column) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(PQgetvalue(r_, row, column));
  const int length = PQgetlength(r_, row, column);
  unsigned long long value = 0;
  for (int i = 0; i < length; ++i) value = (value << 8) | bytes[i];
  // Sign-extend the field's own width; an oid (4 bytes, unsigned) is read
  // through its 32-bit pattern by whoever asks for it.
  if (length > 0 && length < 8 && (bytes[0] & 0x80) != 0) value |= ~0ULL << (length * 8);
  return static_cast<long long>(value);
}

PgConnection::~PgConnection() { close(); }

std::string PgConnection::applicationName() {
  std::string user;
  if (const char* env = std::getenv("USER"); env != nullptr && *env != '\0') {
    user = env;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr) {
    user = pw->pw_name;
  }
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return "kestrel " + user + "@" + host;
}

bool PgConnection::connect(const std::string& address) {
  close();
  const std::string name = applicationName();
  const char* keywords[] = {"dbname", "application_name", nullptr};
  const char* values[] = {address.c_str(), name.c_str(), nullptr};
  conn_ = PQconnectdbParams(keywords, values, 1);
  if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
    failure_ = PgFailure::Other;
    detail_ = conn_ != nullptr ? flattened(PQerrorMessage(conn_)) : "out of memory";
    close();
    return false;
  }
  PQsetNoticeProcessor(conn_, ignoreNotice, nullptr);
  return true;
}

void PgConnection::close() {
  if (conn_ != nullptr) PQfinish(conn_);
  conn_ = nullptr;
  prepared_.clear();
}

bool PgConnection::lost() const { return conn_ == nullptr || PQstatus(conn_) == CONNECTION_BAD; }

StatusCode PgConnection::code() const {
  switch (failure_) {
    case PgFailure::None:
      return StatusCode::Ok;
    case PgFailure::Taken:
      return StatusCode::AlreadyExists;
    case PgFailure::Missing:
      return StatusCode::NotFound;
    case PgFailure::Locked:
      return StatusCode::Locked;
    case PgFailure::Lost:
      return StatusCode::Io;
    case PgFailure::Other:
      break;
  }
  return StatusCode::Failed;
}

// Sorts a failed result (or none at all) by its SQL state; true when it
// did not fail.
bool PgConnection::succeeded(const PgResult& result) {
  pg_result* r = result.get();
  const ExecStatusType status = r != nullptr ? PQresultStatus(r) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
    failure_ = PgFailure::None;
    detail_.clear();
    return true;
  }
  const char* primary = r != nullptr ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  detail_ = flattened(primary != nullptr ? primary : PQerrorMessage(conn_));
  const char* state = r != nullptr ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
  const std::string_view sqlState = state != nullptr ? state : "";
  if (lost()) {
    failure_ = PgFailure::Lost;
    detail_ = "the connection to the database was lost: " + flattened(PQerrorMessage(conn_));
  } else if (sqlState == "23505" || sqlState == "42P06") {
    failure_ = PgFailure::Taken;
  } else if (sqlState == "42P01" || sqlState == "3F000") {
    failure_ = PgFailure::Missing;
  } else if (sqlState == "55P03") {
    failure_ = PgFailure::Locked;
  } else {
    failure_ = PgFailure::Other;
  }
  return false;
}

bool PgConnection::command(const std::string& sql) {
  if (conn_ == nullptr) {
    failure_ = PgFailure::Lost;
    detail_ = "the connection to the database was lost";
    return false;
  }
  const PgResult result(PQexec(conn_, sql.c_str()));
  return succeeded(result);
}

bool PgConnection::run(const std::string& sql, const std::vector<PgParam>& params, PgResult& result) {
  if (conn_ == nullptr) {
    failure_ = PgFailure::Lost;
    detail_ = "the connection to the database was lost";
    return false;
  }
  auto at = prepared_.find(sql);
  if (at == prepared_.end()) {
    const std::string name = "k" + std::to_string(prepared_.size() + 1);
    PgResult prepared(PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr));
    if (!succeeded(prepared)) return false;
    at = prepared_.emplace(sql, name).first;
  }
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
  for (const PgParam& p : params) {
    values.push_back(p.value.data());
    lengths.push_back(static_cast<int>(p.value.size()));
    formats.push_back(p.binary ? 1 : 0);
  }
  result = PgResult(PQexecPrepared(conn_, at->second.c_str(), static_cast<int>(params.size()), values.data(),
                                   lengths.data(), formats.data(), 1));
  return succeeded(result);
}

std::string quotedIdentifier(std::string_view name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

}  // namespace kestrel::library
