#include "store/library/pg/pg_library.hpp"

#include <algorithm>
#include <ctime>
#include <map>
#include <set>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "store/library/part_blob.hpp"
#include "store/library/pg/pg_home.hpp"

namespace kestrel::library {
namespace {

constexpr const char* kColumns = "SELECT id, pn, pn2, type, hybrid, stamp, object FROM ";
constexpr const char* kListOrder = " ORDER BY hybrid, type, pn";

// A number as a file's key holds it: up to a zero byte, at most 25 bytes.
std::string numberKey(std::string_view text) {
  return cut(text.substr(0, std::min(text.find('\0'), text.size())), kNumberLength);
}

// The comparison and order of a find mode: =, >, >=, < and <= (the last
// two walk down).
struct FindOrder {
  const char* op;
  bool descending;
};
FindOrder findOrder(int mode) {
  switch (mode) {
    case store::kFindGreater:
      return {">", false};
    case store::kFindEqualOrGreater:
      return {">=", false};
    case store::kFindLess:
      return {"<", true};
    case store::kFindEqualOrLess:
      return {"<=", true};
    default:
      return {"=", false};
  }
}

// A record's fields to write: what a library file keeps of a part.
struct PartRow {
  std::string pn, pn2;
  int type = 0;
  int hybrid = 0;
  std::int32_t stamp = 0;
  std::string object;

  std::vector<PgParam> params() const {
    return {PgParam::bytes(pn), PgParam::bytes(pn2), PgParam::number(type), PgParam::number(hybrid),
            PgParam::number(stamp), PgParam::bytes(object)};
  }
};

class PgLibrary final : public PartLibrary, public PgHome {
 public:
  PgLibrary() : PgHome(kPgParts) {}
  using PgHome::createHome;
  using PgHome::openHome;

  Outcome add(const CPart& part, std::int32_t* record) override {
    PartRow row;
    if (!fill(part, row)) return Outcome::Failed;
    return insert(row, record);
  }

  Outcome addStamped(const CPart& part, std::int32_t stamp) override {
    PartRow row;
    if (!fill(part, row)) return Outcome::Failed;
    row.stamp = stamp;
    return insert(row, nullptr);
  }

  Outcome addEntry(const LibEntry& entry) override {
    if (entry.blob.empty() || entry.blob.size() > kMaxPartBlob) {
      return refuse(StatusCode::InvalidArgument, "serialize error",
                    strprintf("'%s': %zu bytes of part", entry.pn.c_str(), entry.blob.size()));
    }
    PartRow row{numberKey(entry.pn), numberKey(entry.pn2), entry.type, entry.hybrid != 0 ? 1 : 0, entry.stamp,
                std::string(entry.blob.begin(), entry.blob.end())};
    return insert(row, nullptr);
  }

  Outcome replace(const CPart& part) override {
    forgetAhead();
    const char* what = "update error";
    if (!mayChange(what)) return Outcome::Failed;
    PartRow row;
    if (!fill(part, row)) return Outcome::Failed;
    Change change(*this);
    if (!change.begun()) return serverFailure(what);
    std::int32_t id = 0;
    if (Outcome o = idOf(row.pn, id, "can not find PN key"); o != Outcome::Ok) return o;
    if (Outcome o = lockRecord(id); o != Outcome::Ok) return o;
    if (!update(row, id)) return serverFailure(what);
    return change.commit(what);
  }

  Outcome remove(std::string_view pn) override {
    forgetAhead();
    const char* what = "delete error";
    if (!mayChange(what)) return Outcome::Failed;
    Change change(*this);
    if (!change.begun()) return serverFailure(what);
    std::int32_t id = 0;
    const std::string key = numberKey(pn);
    if (Outcome o = idOf(key, id, "can not find PN key"); o != Outcome::Ok) {
      if (o == Outcome::NotFound) fail(StatusCode::NotFound, "can not find PN key", "no part '" + key + "'");
      return o;
    }
    if (Outcome o = lockRecord(id); o != Outcome::Ok) return o;
    if (!conn_.run("DELETE FROM " + table() + " WHERE id = $1", {PgParam::number(id)})) return serverFailure(what);
    return change.commit(what);
  }

  Outcome rewrite(std::int32_t record, const std::function<bool(std::unique_ptr<CPart>&)>& change,
                  RewriteStep* failedAt) override {
    forgetAhead();
    RewriteStep ignored = RewriteStep::None;
    RewriteStep& step = failedAt != nullptr ? *failedAt : ignored;
    step = RewriteStep::Read;
    if (!mayChange("can not lock record")) return Outcome::Failed;
    if (record <= 0) return Outcome::NotFound;
    // The transaction, and with it the lock, lasts while `change` runs.
    Change held(*this);
    if (!held.begun()) return serverFailure("can not lock record");
    if (Outcome o = lockRecord(record); o != Outcome::Ok) {
      if (o == Outcome::NotFound) missing(record);
      return o;
    }
    LibEntry current;
    if (Outcome o = readRow(record, current); o != Outcome::Ok) return o;
    std::unique_ptr<CPart> part;
    if (!partOf(current, part)) return Outcome::Failed;
    if (!change(part) || !part) {
      step = RewriteStep::Cancel;
      return Outcome::Ok;  // the lock goes with the undone transaction
    }
    step = RewriteStep::Update;
    PartRow row;
    if (!fill(*part, row)) return Outcome::Failed;
    PgResult taken;
    if (!conn_.run("SELECT 1 FROM " + table() + " WHERE pn = $1 AND id <> $2",
                   {PgParam::bytes(row.pn), PgParam::number(record)}, taken)) {
      return serverFailure("update error");
    }
    if (taken.rows() > 0) {
      fail(StatusCode::AlreadyExists, "update error", "duplicate part number");
      return Outcome::Duplicate;
    }
    if (!update(row, record)) return serverFailure("update error");
    if (Outcome o = held.commit("update error"); o != Outcome::Ok) return o;
    step = RewriteStep::None;
    return Outcome::Ok;
  }

  void readAhead(std::span<const std::string> numbers) override {
    forgetAhead();
    if (numbers.empty()) return;
    // The numbers travel as hex texts: bytes of any code page, one parameter.
    std::string array = "{";
    for (const std::string& number : numbers) {
      const std::string key = numberKey(number);
      if (!aheadAsked_.insert(key).second) continue;
      if (array.size() > 1) array += ',';
      array += "\"\\\\x";  // "\\x..." in an array's text: the hex form of a bytea
      for (unsigned char c : key) array += strprintf("%02x", c);
      array += '"';
    }
    array += '}';
    PgResult r;
    if (!conn_.run(kColumns + table() + " WHERE pn = ANY ($1::bytea[])", {PgParam{array, false}}, r)) {
      forgetAhead();  // every find then asks the server, which says what is wrong
      return;
    }
    for (int row = 0; row < r.rows(); ++row) {
      LibEntry entry;
      load(r, entry, row);
      ahead_.emplace(entry.pn, std::move(entry));
    }
  }

  Outcome findPn(std::string_view pn, LibEntry& entry, int mode) override {
    if (mode == store::kFindEqual && aheadAsked_.count(numberKey(pn)) != 0) {
      const auto found = ahead_.find(numberKey(pn));
      if (found == ahead_.end()) return Outcome::NotFound;
      entry = found->second;
      return Outcome::Ok;
    }
    const FindOrder f = findOrder(mode);
    return one(std::string(" WHERE pn ") + f.op + " $1 ORDER BY pn" + (f.descending ? " DESC" : ""),
               {PgParam::bytes(numberKey(pn))}, entry, "can not find PN key", Outcome::NotFound);
  }

  Outcome findPn2(std::string_view pn2, LibEntry& entry, int mode) override {
    const FindOrder f = findOrder(mode);
    const char* dir = f.descending ? " DESC" : "";
    return one(std::string(" WHERE pn2 ") + f.op + " $1 ORDER BY pn2" + dir + ", id" + dir,
               {PgParam::bytes(numberKey(pn2))}, entry, "can not find PN2 key", Outcome::NotFound);
  }

  Outcome findType(std::uint16_t type, bool hybrid, LibEntry& entry, int mode) override {
    const FindOrder f = findOrder(mode);
    const char* dir = f.descending ? " DESC" : "";
    return one(std::string(" WHERE (hybrid, type, pn) ") + f.op + " ($1, $2, ''::bytea) ORDER BY hybrid" + dir +
                   ", type" + dir + ", pn" + dir,
               {PgParam::number(hybrid ? 1 : 0), PgParam::number(type)}, entry, "can not find part type key",
               Outcome::NotFound);
  }

  Outcome read(std::int32_t record, LibEntry& entry) override {
    if (record <= 0) return Outcome::NotFound;
    const Outcome o = readRow(record, entry);
    if (o == Outcome::NotFound) missing(record);
    return o;
  }

  Outcome search(std::string_view text, bool byPn2, std::int32_t afterRecord, LibEntry& entry) override {
    const std::string column = byPn2 ? "pn2" : "pn";
    const std::string order = byPn2 ? "(pn2, id)" : "(hybrid, type, pn)";
    std::string where = " WHERE position($1 IN " + column + ") > 0";
    std::vector<PgParam> params{PgParam::bytes(text)};
    if (afterRecord > 0) {
      // After the place of that record; none when it is gone.
      where += " AND " + order + " > (SELECT " + order.substr(1, order.size() - 2) + " FROM " + table() +
               " WHERE id = $2)";
      params.push_back(PgParam::number(afterRecord));
    }
    return one(where + (byPn2 ? " ORDER BY pn2, id" : kListOrder), params, entry, "can not find specified record",
               Outcome::NotFound);
  }

  Outcome listPosition(std::int32_t record, long& position) override {
    PgResult n;
    if (!conn_.run("SELECT (SELECT count(*) FROM " + table() + " b WHERE (b.hybrid, b.type, b.pn) < (r.hybrid, "
                   "r.type, r.pn)) FROM " + table() + " r WHERE r.id = $1",
                   {PgParam::number(record)}, n)) {
      return serverFailure("can not find specified record");
    }
    if (n.rows() != 1) return Outcome::NotFound;
    position = static_cast<long>(n.number(0, 0));
    return Outcome::Ok;
  }

  Outcome first(LibEntry& entry) override {
    return one(kListOrder, {}, entry, "can not seq first record", Outcome::End);
  }

  Outcome last(LibEntry& entry) override {
    return one(" ORDER BY hybrid DESC, type DESC, pn DESC", {}, entry, "can not seq last record", Outcome::End);
  }

  // From the entry's fields, so a deleted entry still has neighbours.
  Outcome next(const LibEntry& after, LibEntry& entry) override {
    return one(std::string(" WHERE (hybrid, type, pn) > ($1, $2, $3)") + kListOrder, listParams(after), entry,
               "can not seq next record", Outcome::End);
  }

  Outcome previous(const LibEntry& before, LibEntry& entry) override {
    return one(" WHERE (hybrid, type, pn) < ($1, $2, $3) ORDER BY hybrid DESC, type DESC, pn DESC",
               listParams(before), entry, "can not seq prev record", Outcome::End);
  }

 private:
  static std::vector<PgParam> listParams(const LibEntry& e) {
    return {PgParam::number(e.hybrid), PgParam::number(e.type), PgParam::bytes(numberKey(e.pn))};
  }

  bool fill(const CPart& part, PartRow& row) {
    std::vector<std::uint8_t> blob;
    if (Status s = encodePartBlob(part, blob); !s) {
      refuse(s.code(), "serialize error", s.message());
      return false;
    }
    row = {numberKey(part.PN), numberKey(part.PN2), part.PART_TYPE, part.IS_HYBRID != 0 ? 1 : 0,
           static_cast<std::int32_t>(std::time(nullptr)), std::string(blob.begin(), blob.end())};
    return true;
  }

  Outcome insert(const PartRow& row, std::int32_t* record) {
    forgetAhead();
    const char* what = "add error";
    if (!mayChange(what)) return Outcome::Failed;
    PgResult added;
    // A taken number adds nothing and leaves a job's transaction usable.
    if (!conn_.run("INSERT INTO " + table() + " (pn, pn2, type, hybrid, stamp, object) "
                   "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT DO NOTHING RETURNING id",
                   row.params(), added)) {
      return serverFailure(what);
    }
    if (added.rows() == 0) {
      fail(StatusCode::AlreadyExists, what, "duplicate part number");
      return Outcome::Duplicate;
    }
    if (record != nullptr) *record = static_cast<std::int32_t>(added.number(0, 0));
    return Outcome::Ok;
  }

  // Writes the row's fields into record `id`, which the caller has locked.
  bool update(const PartRow& row, std::int32_t id) {
    auto params = row.params();
    params.push_back(PgParam::number(id));
    return conn_.run("UPDATE " + table() + " SET pn = $1, pn2 = $2, type = $3, hybrid = $4, stamp = $5, object = $6 "
                     "WHERE id = $7", params);
  }

  Outcome idOf(const std::string& pn, std::int32_t& id, const char* what) {
    PgResult r;
    if (!conn_.run("SELECT id FROM " + table() + " WHERE pn = $1", {PgParam::bytes(pn)}, r)) {
      return serverFailure(what);
    }
    if (r.rows() == 0) return Outcome::NotFound;
    id = static_cast<std::int32_t>(r.number(0, 0));
    return Outcome::Ok;
  }

  void missing(std::int32_t record) {
    fail(StatusCode::NotFound, "can not find specified record", strprintf("no record R%ld", static_cast<long>(record)));
  }

  void forgetAhead() {
    ahead_.clear();
    aheadAsked_.clear();
  }

  static void load(const PgResult& r, LibEntry& entry, int row = 0) {
    entry = LibEntry{};
    entry.record = static_cast<std::int32_t>(r.number(row, 0));
    entry.pn = r.text(row, 1);
    entry.pn2 = r.text(row, 2);
    entry.type = static_cast<std::uint16_t>(r.number(row, 3));
    entry.hybrid = static_cast<std::uint8_t>(r.number(row, 4));
    entry.stamp = static_cast<std::int32_t>(r.number(row, 5));
    const std::string object = r.text(row, 6);
    entry.blob.assign(object.begin(), object.end());
  }

  Outcome readRow(std::int32_t record, LibEntry& entry) {
    return one(" WHERE id = $1", {PgParam::number(record)}, entry, "can not read record", Outcome::NotFound);
  }

  // The records read ahead, by part number, and every number asked for.
  std::map<std::string, LibEntry> ahead_;
  std::set<std::string> aheadAsked_;

  // The first row of `tail` (a WHERE and ORDER BY), or `none`.
  Outcome one(const std::string& tail, const std::vector<PgParam>& params, LibEntry& entry, const char* what,
              Outcome none) {
    PgResult r;
    if (!conn_.run(kColumns + table() + tail + " LIMIT 1", params, r)) return serverFailure(what);
    if (r.rows() == 0) return none;
    load(r, entry);
    return Outcome::Ok;
  }
};

}  // namespace

std::unique_ptr<PartLibrary> createPgLibrary(const std::string& name, const LibraryLocation& where,
                                             StoreMessage& error) {
  auto lib = std::make_unique<PgLibrary>();
  if (!lib->createHome(name, where, error)) return nullptr;
  return lib;
}

std::unique_ptr<PartLibrary> openPgLibrary(const std::string& name, const LibraryLocation& where, bool writable,
                                           StoreMessage& error) {
  auto lib = std::make_unique<PgLibrary>();
  if (!lib->openHome(name, where, writable, error)) return nullptr;
  return lib;
}

Status removePgLibrary(const std::string& name, const LibraryLocation& where) {
  PgConnection conn;
  std::string detail;
  if (conn.connect(where.connection) && dropPgSchema(conn, where.library, detail)) return Status::ok();
  if (detail.empty()) detail = conn.detail();
  return Status::error(StatusCode::Io, quoted(name) + ": can not remove the unfinished library: " + detail);
}

}  // namespace kestrel::library
