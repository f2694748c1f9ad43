#include "store/library/part_library.hpp"

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "store/library/library_file.hpp"
#include "store/library/library_location.hpp"
#include "store/library/part_blob.hpp"
#include "store/library/pg/pg_library.hpp"

namespace kestrel::library {

std::unique_ptr<PartLibrary> PartLibrary::create(const std::string& name, StoreMessage& error,
                                                 store::StoreFileSystem* fs) {
  LibraryLocation where;
  if (!LibraryHome::locate(name, "Can not create library file", where, error)) return nullptr;
  if (where.home == LibraryLocation::Home::Database) return createPgLibrary(name, where, error);
  return LibraryFile::create(name, error, fs);
}

std::unique_ptr<PartLibrary> PartLibrary::open(const std::string& name, bool writable, StoreMessage& error,
                                               store::StoreFileSystem* fs) {
  LibraryLocation where;
  if (!LibraryHome::locate(name, "Can not open library file", where, error)) return nullptr;
  if (where.home == LibraryLocation::Home::Database) return openPgLibrary(name, where, writable, error);
  return LibraryFile::open(name, writable, error, fs);
}

Outcome PartLibrary::put(const CPart& part, bool replaceDuplicate, StoreCounters& counters) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    Outcome o = add(part);
    if (o == Outcome::Ok) {
      ++counters.succeed;
      return o;
    }
    if (o != Outcome::Duplicate) return o;
    if (!replaceDuplicate) {
      ++counters.duplicate;
      return o;
    }
    o = replace(part);
    if (o == Outcome::Ok) {
      ++counters.replaced;
      return o;
    }
    if (o != Outcome::NotFound) return o;
    // Deleted by someone else between the add and the replace: add again.
  }
  // Another user keeps changing the record under this one.
  fail(StatusCode::Locked, "add error", "the record changed while it was being replaced");
  return Outcome::Failed;
}

Outcome PartLibrary::removeRecord(std::int32_t record) {
  LibEntry entry;
  if (Outcome o = read(record, entry); o != Outcome::Ok) return o;
  return remove(entry.pn);
}

Outcome PartLibrary::edit(std::int32_t record, const std::function<bool(CPart&)>& change) {
  return rewrite(record, [&change](std::unique_ptr<CPart>& part) { return change(*part); });
}

bool partMatchesItsKeys(const CPart& part, const LibEntry& entry) {
  return cut(part.PN, kNumberLength) == entry.pn && part.PART_TYPE == entry.type && part.IS_HYBRID == entry.hybrid;
}

bool PartLibrary::partOf(const LibEntry& entry, bool hybridDocument, std::unique_ptr<CPart>& part) {
  const std::string source = strprintf("'%s' R%ld", path_.c_str(), static_cast<long>(entry.record));
  if (!entry.damaged.empty()) {
    fail(StatusCode::Corrupt, "can not read record", source + ": " + entry.damaged);
    return false;
  }
  if (Status s = decodePartBlob(entry.blob, hybridDocument, source, part); !s) {
    fail(s.code(), "can not read record", s.message());
    return false;
  }
  if (!partMatchesItsKeys(*part, entry)) {
    fail(StatusCode::Corrupt, "can not read record", source + ": the part does not match its keys");
    part.reset();
    return false;
  }
  return true;
}

}  // namespace kestrel::library
