#include "store/library/xref_file.hpp"

#include "core/strfmt.hpp"
#include "store/library/library_location.hpp"
#include "store/library/pg/pg_xref.hpp"
#include "store/library/xref_keyed_file.hpp"

namespace kestrel::library {

std::unique_ptr<XRefFile> XRefFile::create(const std::string& name, StoreMessage& error, store::StoreFileSystem* fs) {
  LibraryLocation where;
  if (!LibraryHome::locate(name, "Can not create cross-reference file", where, error)) return nullptr;
  if (where.home == LibraryLocation::Home::Database) return createPgXRef(name, where, error);
  return XRefKeyedFile::create(name, error, fs);
}

std::unique_ptr<XRefFile> XRefFile::open(const std::string& name, bool writable, StoreMessage& error,
                                         store::StoreFileSystem* fs) {
  LibraryLocation where;
  if (!LibraryHome::locate(name, "Can not open cross-reference file", where, error)) return nullptr;
  if (where.home == LibraryLocation::Home::Database) return openPgXRef(name, where, writable, error);
  return XRefKeyedFile::open(name, writable, error, fs);
}

Outcome XRefFile::put(const CXRef& xref, bool replaceDuplicate, StoreCounters& counters) {
  Outcome o = add(xref);
  if (o == Outcome::Ok) ++counters.succeed;
  if (o != Outcome::Duplicate) return o;
  if (!replaceDuplicate) {
    ++counters.duplicate;
    return o;
  }
  o = replace(xref);
  if (o == Outcome::Ok) ++counters.replaced;
  if (o == Outcome::NotFound) {
    fail(StatusCode::NotFound, "update error", "the record was deleted while it was being replaced");
    return Outcome::Failed;
  }
  return o;
}

Outcome XRefFile::find(std::string_view text, bool byLibPn, XRefEntry& entry) {
  const std::string wanted = upperCased(cut(text, kNumberLength));
  const Outcome o = byLibPn ? findLibPn(wanted, entry, store::kFindEqualOrGreater)
                            : findPn(wanted, entry, store::kFindEqualOrGreater);
  if (o != Outcome::Ok) return o;
  const std::string number = upperCased(byLibPn ? entry.libPn : entry.pn);
  return number.rfind(wanted, 0) == 0 ? Outcome::Ok : Outcome::NotFound;
}

}  // namespace kestrel::library
