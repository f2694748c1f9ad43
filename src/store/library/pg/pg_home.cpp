#include "store/library/pg/pg_home.hpp"

#include <algorithm>

#include "core/strfmt.hpp"

namespace kestrel::library {
namespace {

constexpr const char* kReadOnly = "the library is open read-only";
constexpr const char* kJobUndone = "; the changes of this job were undone";

// A header text as a file's header record keeps it: no zero bytes, cut to
// the record's limit.
std::string headerBytes(const std::string& text, int record) {
  std::string bytes = text.substr(0, kHeaderReadLimit[record] - 1);
  std::replace(bytes.begin(), bytes.end(), '\0', ' ');
  return bytes;
}

}  // namespace

bool PgHome::connectHome(const std::string& name, const LibraryLocation& where, const char* failed,
                         StoreMessage& error) {
  error = {};
  path_ = name;
  table_ = quotedIdentifier(where.library) + "." + kind_.table;
  if (conn_.connect(where.connection)) return true;
  error = {quoted(name), failed, conn_.detail(), StatusCode::Io};
  return false;
}

bool PgHome::createHome(const std::string& name, const LibraryLocation& where, StoreMessage& error) {
  if (!connectHome(name, where, kind_.createFailed, error)) return false;
  error.context = quoted(name);
  if (!createPgSchema(conn_, where.library, kind_, error)) return false;
  if (!checkPgSchema(conn_, where.library, kind_, tableOid_, error)) return false;
  writable_ = true;
  return true;
}

bool PgHome::openHome(const std::string& name, const LibraryLocation& where, bool writable, StoreMessage& error) {
  if (!connectHome(name, where, kind_.openFailed, error)) return false;
  error.context = quoted(name);
  if (!checkPgSchema(conn_, where.library, kind_, tableOid_, error)) return false;
  writable_ = writable;
  return true;
}

bool PgHome::close() {
  // An open job ends with the connection: the server undoes it.
  inJob_ = false;
  conn_.close();
  return true;
}

Outcome PgHome::refuse(StatusCode code, const std::string& what, const std::string& detail) {
  std::string why = detail;
  if (inJob_) {
    if (!conn_.lost()) conn_.command("ROLLBACK");
    inJob_ = false;
    jobUndone_ = true;
    why += kJobUndone;
  }
  fail(code, what, why);
  return Outcome::Failed;
}

Outcome PgHome::serverFailure(const std::string& what) { return refuse(conn_.code(), what, conn_.detail()); }

bool PgHome::mayChange(const char* what) {
  if (writable_) return true;
  fail(StatusCode::Denied, what, kReadOnly);
  return false;
}

PgHome::Change::Change(PgHome& home) : home_(home), own_(!home.inJob_) {
  if (own_) begun_ = home_.conn_.command("BEGIN");
}

PgHome::Change::~Change() {
  if (own_ && begun_ && !done_ && !home_.conn_.lost()) home_.conn_.command("ROLLBACK");
}

Outcome PgHome::Change::commit(const char* what) {
  done_ = true;
  if (!own_) return Outcome::Ok;
  if (!home_.conn_.command("COMMIT")) return home_.serverFailure(what);
  return Outcome::Ok;
}

std::string PgHome::lockHolder(std::int32_t id) {
  PgResult holder;
  const bool found =
      conn_.run("SELECT a.application_name FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
                "WHERE l.locktype = 'advisory' AND l.classid = $1::bigint::oid AND l.objid = $2::bigint::oid "
                "AND l.objsubid = 2 AND l.granted AND l.pid <> pg_backend_pid() LIMIT 1",
                {PgParam::number(tableOid_), PgParam::number(id)}, holder) &&
      holder.rows() == 1 && !holder.isNull(0, 0) && !holder.text(0, 0).empty();
  return found ? holder.text(0, 0) : "another process";
}

Outcome PgHome::lockRecord(std::int32_t id) {
  PgResult locked;
  // The lock's first key is the oid's 32 bits read as a signed number.
  if (!conn_.run("SELECT pg_try_advisory_xact_lock($1::int, $2::int)",
                 {PgParam::number(static_cast<std::int32_t>(tableOid_)), PgParam::number(id)}, locked)) {
    return serverFailure("can not lock record");
  }
  if (locked.rows() != 1 || locked.number(0, 0) == 0) {
    return refuse(StatusCode::Locked, "can not lock record", "record is locked by " + lockHolder(id));
  }
  PgResult row;
  if (!conn_.run("SELECT id FROM " + table_ + " WHERE id = $1 FOR UPDATE NOWAIT", {PgParam::number(id)}, row)) {
    if (conn_.failure() == PgFailure::Locked) {
      return refuse(StatusCode::Locked, "can not lock record", "record is locked by another process");
    }
    return serverFailure("can not lock record");
  }
  return row.rows() == 1 ? Outcome::Ok : Outcome::NotFound;
}

long PgHome::count() {
  PgResult n;
  if (!conn_.run("SELECT count(*) FROM " + table_, {}, n) || n.rows() != 1) {
    serverFailure("can not get record count");
    return -1;
  }
  return static_cast<long>(n.number(0, 0));
}

bool PgHome::readHeader(HeaderTexts& texts) {
  PgResult h;
  const std::string header = table_.substr(0, table_.rfind('.')) + ".header";
  if (!conn_.run("SELECT description, notes_title, notes FROM " + header, {}, h) || h.rows() != 1) {
    if (conn_.failure() == PgFailure::None) refuse(StatusCode::Corrupt, "can not read header rec#2", "no header");
    else serverFailure("can not read header rec#2");
    return false;
  }
  texts = {h.text(0, 0), h.text(0, 1), h.text(0, 2)};
  return true;
}

bool PgHome::writeHeader(const HeaderTexts& texts) {
  const char* what = "can not write header rec#2";
  if (!mayChange(what)) return false;
  Change change(*this);
  if (!change.begun()) return serverFailure(what) == Outcome::Ok;
  const std::string header = table_.substr(0, table_.rfind('.')) + ".header";
  if (!conn_.run("UPDATE " + header + " SET description = $1, notes_title = $2, notes = $3",
                 {PgParam::bytes(headerBytes(texts.description, 2)), PgParam::bytes(headerBytes(texts.notesTitle, 3)),
                  PgParam::bytes(headerBytes(texts.notes, 4))})) {
    serverFailure(what);
    return false;
  }
  return change.commit(what) == Outcome::Ok;
}

bool PgHome::beginJob() {
  if (inJob_) {
    fail(StatusCode::InvalidArgument, "can not begin writing", "a job is running already");
    return false;
  }
  if (!conn_.command("BEGIN")) {
    serverFailure("can not begin writing");
    return false;
  }
  inJob_ = true;
  jobUndone_ = false;
  return true;
}

bool PgHome::endJob(bool keep) {
  if (!inJob_) {
    // Undone already by a failure, whose message stands; or never begun.
    const bool undone = jobUndone_;
    jobUndone_ = false;
    return !undone || !keep;
  }
  inJob_ = false;
  if (conn_.command(keep ? "COMMIT" : "ROLLBACK")) return true;
  jobUndone_ = false;
  refuse(conn_.code(), "can not end writing", conn_.detail() + (keep ? kJobUndone : ""));
  return false;
}

}  // namespace kestrel::library
