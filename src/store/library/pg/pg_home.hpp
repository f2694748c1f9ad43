// PgHome: what a parts library and a cross-reference list kept in a
// database share: the connection, creating and opening with the version
// check, the record count, the header texts, jobs (one transaction each),
// the bracket of one change and the record locks.
//
// A record is locked by a transaction-scoped advisory lock keyed by its
// table's oid and its id, tried (never waited for), then its row is taken
// FOR UPDATE NOWAIT; every change of one record takes the lock first, so a
// record someone edits is refused at once, naming the holder's connection.
#pragma once

#include <cstdint>
#include <string>

#include "store/library/library_home.hpp"
#include "store/library/library_location.hpp"
#include "store/library/pg/pg_connection.hpp"
#include "store/library/pg/pg_schema.hpp"

namespace kestrel::library {

class PgHome : public virtual LibraryHome {
 public:
  bool close() override;
  long count() override;
  bool readHeader(HeaderTexts& texts) override;
  bool writeHeader(const HeaderTexts& texts) override;
  bool beginJob() override;
  bool endJob(bool keep) override;

 protected:
  explicit PgHome(const PgKind& kind) : kind_(kind) {}
  bool createHome(const std::string& name, const LibraryLocation& where, StoreMessage& error);
  bool openHome(const std::string& name, const LibraryLocation& where, bool writable, StoreMessage& error);

  // "schema".table, for statements.
  const std::string& table() const { return table_; }

  // Reports a failure; inside a job the job is rolled back at once and the
  // message says so. Always Failed.
  Outcome refuse(StatusCode code, const std::string& what, const std::string& detail);
  // The connection's last failure, reported as above.
  Outcome serverFailure(const std::string& what);
  // False (reported) when the library was opened for reading only.
  bool mayChange(const char* what);
  // Tries the lock of record `id` and takes its row; NotFound when the row
  // is gone.
  Outcome lockRecord(std::int32_t id);

  // One change: its own transaction outside a job, part of the job inside.
  // Undone unless `commit` is reached.
  class Change {
   public:
    explicit Change(PgHome& home);
    ~Change();
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    bool begun() const { return begun_; }
    Outcome commit(const char* what);

   private:
    PgHome& home_;
    bool own_ = false;
    bool begun_ = true;
    bool done_ = false;
  };

  PgConnection conn_;

 private:
  bool connectHome(const std::string& name, const LibraryLocation& where, const char* failed, StoreMessage& error);
  std::string lockHolder(std::int32_t id);

  const PgKind& kind_;
  std::string table_;
  std::uint32_t tableOid_ = 0;
  bool writable_ = false;
  bool inJob_ = false;
  bool jobUndone_ = false;
};

}  // namespace kestrel::library
