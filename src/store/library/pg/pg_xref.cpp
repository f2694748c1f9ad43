#include "store/library/pg/pg_xref.hpp"

#include <algorithm>

#include "core/strfmt.hpp"
#include "store/library/pg/pg_home.hpp"

namespace kestrel::library {
namespace {

constexpr const char* kColumns = "SELECT id, pn, lib_pn, object FROM ";

// A number as a cross-reference file's key holds it: upper-cased, up to a
// zero byte, at most 25 bytes.
std::string upperKey(std::string_view text) {
  return upperCased(cut(text.substr(0, std::min(text.find('\0'), text.size())), kNumberLength));
}

struct XRefRow {
  std::string pn, libPn, object;
};

class PgXRef final : public XRefFile, public PgHome {
 public:
  PgXRef() : PgHome(kPgXRefs) {}
  using PgHome::createHome;
  using PgHome::openHome;

  Outcome add(const CXRef& xref) override {
    const char* what = "add error";
    if (!mayChange(what)) return Outcome::Failed;
    XRefRow row;
    if (!fill(xref, row)) return Outcome::Failed;
    PgResult added;
    if (!conn_.run("INSERT INTO " + table() + " (pn, lib_pn, object) VALUES ($1, $2, $3) "
                   "ON CONFLICT DO NOTHING RETURNING id",
                   {PgParam::bytes(row.pn), PgParam::bytes(row.libPn), PgParam::bytes(row.object)}, added)) {
      return serverFailure(what);
    }
    if (added.rows() == 0) {
      fail(StatusCode::AlreadyExists, what, "duplicate part number");
      return Outcome::Duplicate;
    }
    return Outcome::Ok;
  }

  Outcome replace(const CXRef& xref) override {
    const char* what = "update error";
    if (!mayChange(what)) return Outcome::Failed;
    XRefRow row;
    if (!fill(xref, row)) return Outcome::Failed;
    Change change(*this);
    if (!change.begun()) return serverFailure(what);
    std::int32_t id = 0;
    if (Outcome o = idOf(row.pn, id); o != Outcome::Ok) return o;
    if (Outcome o = lockRecord(id); o != Outcome::Ok) return o;
    if (Outcome o = update(id, row); o != Outcome::Ok) return o;
    return change.commit(what);
  }

  Outcome remove(std::string_view pn) override {
    const char* what = "delete error";
    if (!mayChange(what)) return Outcome::Failed;
    Change change(*this);
    if (!change.begun()) return serverFailure(what);
    std::int32_t id = 0;
    if (Outcome o = findAndLock(pn, id); o != Outcome::Ok) return o;
    if (!conn_.run("DELETE FROM " + table() + " WHERE id = $1", {PgParam::number(id)})) return serverFailure(what);
    return change.commit(what);
  }

  Outcome edit(std::string_view pn, const std::function<bool(CXRef&)>& change) override {
    if (!mayChange("can not lock record")) return Outcome::Failed;
    // The transaction, and with it the lock, lasts while `change` runs.
    Change held(*this);
    if (!held.begun()) return serverFailure("can not lock record");
    std::int32_t id = 0;
    if (Outcome o = findAndLock(pn, id); o != Outcome::Ok) return o;
    XRefEntry current;
    if (Outcome o = one(" WHERE id = $1", {PgParam::number(id)}, current, "can not read record", Outcome::NotFound);
        o != Outcome::Ok) {
      return o;
    }
    if (!change(current.xref)) return Outcome::Ok;
    XRefRow row;
    if (!fill(current.xref, row)) return Outcome::Failed;
    PgResult taken;
    if (!conn_.run("SELECT 1 FROM " + table() + " WHERE pn = $1 AND id <> $2",
                   {PgParam::bytes(row.pn), PgParam::number(id)}, taken)) {
      return serverFailure("update error");
    }
    if (taken.rows() > 0) {
      fail(StatusCode::AlreadyExists, "update error", "duplicate part number");
      return Outcome::Duplicate;
    }
    if (Outcome o = update(id, row); o != Outcome::Ok) return o;
    return held.commit("update error");
  }

  Outcome findPn(std::string_view pn, XRefEntry& entry, int mode) override {
    return find("pn", pn, mode, entry, "can not find PN key");
  }

  Outcome findLibPn(std::string_view libPn, XRefEntry& entry, int mode) override {
    return find("lib_pn", libPn, mode, entry, "can not find libPN key");
  }

  Outcome read(std::int32_t record, XRefEntry& entry) override {
    if (record <= 0) return Outcome::NotFound;
    entry = XRefEntry{};
    const Outcome o = one(" WHERE id = $1", {PgParam::number(record)}, entry, "can not read record", Outcome::NotFound);
    if (o == Outcome::NotFound) {
      fail(StatusCode::NotFound, "can not find specified record", strprintf("no record R%ld", static_cast<long>(record)));
    }
    return o;
  }

  Outcome listPosition(std::int32_t record, long& position) override {
    PgResult n;
    if (!conn_.run("SELECT (SELECT count(*) FROM " + table() + " b WHERE b.pn < r.pn) FROM " + table() +
                   " r WHERE r.id = $1",
                   {PgParam::number(record)}, n)) {
      return serverFailure("can not find specified record");
    }
    if (n.rows() != 1) return Outcome::NotFound;
    position = static_cast<long>(n.number(0, 0));
    return Outcome::Ok;
  }

  Outcome first(XRefEntry& entry) override {
    return one(" ORDER BY pn", {}, entry, "can not seq first record", Outcome::End);
  }
  Outcome last(XRefEntry& entry) override {
    return one(" ORDER BY pn DESC", {}, entry, "can not seq last record", Outcome::End);
  }
  Outcome next(const XRefEntry& after, XRefEntry& entry) override {
    return one(" WHERE pn > $1 ORDER BY pn", {PgParam::bytes(upperKey(after.pn))}, entry, "can not seq next record",
               Outcome::End);
  }
  Outcome previous(const XRefEntry& before, XRefEntry& entry) override {
    return one(" WHERE pn < $1 ORDER BY pn DESC", {PgParam::bytes(upperKey(before.pn))}, entry,
               "can not seq prev record", Outcome::End);
  }

 private:
  bool fill(const CXRef& xref, XRefRow& row) {
    std::vector<std::uint8_t> blob;
    if (Status s = encodeXRef(xref, blob); !s) {
      refuse(s.code(), "serialize error", s.message());
      return false;
    }
    if (xref.pn.empty()) {
      refuse(StatusCode::InvalidArgument, "add error", "empty cross-reference part number");
      return false;
    }
    row = {upperKey(xref.pn), upperKey(xref.libPn), std::string(blob.begin(), blob.end())};
    return true;
  }

  Outcome update(std::int32_t id, const XRefRow& row) {
    if (!conn_.run("UPDATE " + table() + " SET pn = $1, lib_pn = $2, object = $3 WHERE id = $4",
                   {PgParam::bytes(row.pn), PgParam::bytes(row.libPn), PgParam::bytes(row.object),
                    PgParam::number(id)})) {
      return serverFailure("update error");
    }
    return Outcome::Ok;
  }

  Outcome idOf(const std::string& pn, std::int32_t& id) {
    PgResult r;
    if (!conn_.run("SELECT id FROM " + table() + " WHERE pn = $1", {PgParam::bytes(pn)}, r)) {
      return serverFailure("can not find PN key");
    }
    if (r.rows() == 0) return Outcome::NotFound;
    id = static_cast<std::int32_t>(r.number(0, 0));
    return Outcome::Ok;
  }

  Outcome findAndLock(std::string_view pn, std::int32_t& id) {
    Outcome o = idOf(upperKey(pn), id);
    if (o == Outcome::NotFound) {
      fail(StatusCode::NotFound, "can not find PN key", "no cross-reference '" + cut(pn, kNumberLength) + "'");
    }
    if (o == Outcome::Ok) o = lockRecord(id);
    return o;
  }

  Outcome find(const char* column, std::string_view text, int mode, XRefEntry& entry, const char* what) {
    static constexpr const char* kOps[] = {"=", "=", ">", ">=", "<", "<="};
    const int m = mode >= store::kFindEqual && mode <= store::kFindEqualOrLess ? mode : store::kFindEqual;
    const char* dir = m >= store::kFindLess ? " DESC" : "";
    const std::string c = column;
    return one(" WHERE " + c + " " + kOps[m] + " $1 ORDER BY " + c + dir + ", id" + dir,
               {PgParam::bytes(upperKey(text))}, entry, what, Outcome::NotFound);
  }

  Outcome one(const std::string& tail, const std::vector<PgParam>& params, XRefEntry& entry, const char* what,
              Outcome none) {
    PgResult r;
    if (!conn_.run(kColumns + table() + tail + " LIMIT 1", params, r)) return serverFailure(what);
    if (r.rows() == 0) return none;
    entry = XRefEntry{};
    entry.record = static_cast<std::int32_t>(r.number(0, 0));
    entry.pn = r.text(0, 1);
    entry.libPn = r.text(0, 2);
    const std::string object = r.text(0, 3);
    const std::string source = strprintf("'%s' R%ld", path_.c_str(), static_cast<long>(entry.record));
    if (Status s = decodeXRef({reinterpret_cast<const std::uint8_t*>(object.data()), object.size()}, source, entry.xref);
        !s) {
      fail(s.code(), what, s.message());
      return Outcome::Failed;
    }
    return Outcome::Ok;
  }
};

}  // namespace

std::unique_ptr<XRefFile> createPgXRef(const std::string& name, const LibraryLocation& where, StoreMessage& error) {
  auto x = std::make_unique<PgXRef>();
  if (!x->createHome(name, where, error)) return nullptr;
  return x;
}

std::unique_ptr<XRefFile> openPgXRef(const std::string& name, const LibraryLocation& where, bool writable,
                                     StoreMessage& error) {
  auto x = std::make_unique<PgXRef>();
  if (!x->openHome(name, where, writable, error)) return nullptr;
  return x;
}

}  // namespace kestrel::library
