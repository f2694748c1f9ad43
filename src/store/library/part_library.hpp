// PartLibrary: an open library of complete part records, one per part:
// part number (unique), PN2 (duplicates allowed), part type, hybrid flag,
// the serialised part and a time stamp, listed by hybrid flag, type and
// part number; with a version and header texts. It is kept in a library
// file on the keyed record store (library_file.hpp) or in a PostgreSQL
// database (pg_library.hpp).
//
// Libraries are shared between users: every change locks its record first
// and reads it under the lock, so a record another user holds is refused
// ("can not lock record" and who holds it), never overwritten. Every
// failure sets `error()` (three-part message).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/library/header_texts.hpp"
#include "store/library/library_home.hpp"
#include "store/library/store_message.hpp"
#include "store/record_store.hpp"

namespace kestrel {
class CPart;
}

namespace kestrel::library {

inline constexpr std::uint32_t kLibraryVersion = 50100;
inline constexpr std::size_t kNumberLength = 25;  // part numbers as keyed

// One library record as listed: its fields without rebuilding the part.
struct LibEntry {
  std::int32_t record = -1;
  std::string pn;
  std::string pn2;
  std::uint16_t type = 0;
  std::uint8_t hybrid = 0;
  std::int32_t stamp = 0;
  std::vector<std::uint8_t> blob;
  // The list key it was found under (empty when found otherwise): the walk
  // goes on from exactly this key.
  std::vector<std::uint8_t> key;
  // Not empty when the record can not be read or does not match its key:
  // number, type and flag then come from the key, and there is no part.
  std::string damaged;
};

// Whether a decoded part is the one its record's key fields name.
bool partMatchesItsKeys(const CPart& part, const LibEntry& entry);

// What adding parts came to, the way Transfer, Merge and import count them.
struct StoreCounters {
  long succeed = 0;
  long duplicate = 0;  // DuplicatePN: skipped
  long replaced = 0;   // ReplaceDuplicatePN: updated in place
};

// An open library, kept in a keyed store file or in a database: the
// operations of a library whatever its home. The file's layout and locking
// are LibraryFile's (library_file.hpp); a database's are PgLibrary's.
class PartLibrary : public virtual LibraryHome {
 public:
  // Creates a new library (it must not exist yet) and leaves it open for
  // reading and writing; null with `error` set on failure (nothing is
  // left). `name` is a file's path or a database address (library_location.hpp);
  // `fs` serves files only.
  static std::unique_ptr<PartLibrary> create(const std::string& name, StoreMessage& error,
                                             store::StoreFileSystem* fs = nullptr);
  // Opens an existing library, shared, for reading (writable false) or
  // reading and writing, and checks its version.
  static std::unique_ptr<PartLibrary> open(const std::string& name, bool writable, StoreMessage& error,
                                           store::StoreFileSystem* fs = nullptr);

  // ---- changes ----
  // Adds a part; Duplicate when its part number is in the library already.
  virtual Outcome add(const CPart& part, std::int32_t* record = nullptr) = 0;
  // The same with the time stamp the record had before (a salvaged or
  // copied part keeps its date).
  virtual Outcome addStamped(const CPart& part, std::int32_t stamp) = 0;
  // Adds the record of another library as it is: its number, PN2, type,
  // flag, time stamp and stored part bytes (the caller checks the part).
  virtual Outcome addEntry(const LibEntry& entry) = 0;
  // Replaces the record of the part's number in place, under its lock.
  // NotFound when the library has no such number.
  virtual Outcome replace(const CPart& part) = 0;
  // Adds, or on a duplicate replaces (with `replaceDuplicate`) or skips,
  // counting each in `counters`.
  Outcome put(const CPart& part, bool replaceDuplicate, StoreCounters& counters);
  // Deletes the record of a part number, or of a record number.
  virtual Outcome remove(std::string_view pn) = 0;
  Outcome removeRecord(std::int32_t record);
  // Locks a record, reads it under the lock, lets `edit` change the part and
  // writes it back (edit returning false leaves the record unchanged). The
  // part number may change; a colliding one gives Duplicate.
  Outcome edit(std::int32_t record, const std::function<bool(CPart&)>& edit);
  // The same where `change` may put another part (of another class) in the
  // record's place. The lock is held while `change` runs (the desktop's
  // sheet is open meanwhile). `failedAt` says which step a failure came
  // in: reading and locking, writing back, or unlocking after a cancel.
  enum class RewriteStep { None, Read, Update, Cancel };
  virtual Outcome rewrite(std::int32_t record, const std::function<bool(std::unique_ptr<CPart>&)>& change,
                          RewriteStep* failedAt = nullptr) = 0;

  // ---- look-ups ----
  // Reads the records of these part numbers ahead in one go, so that the
  // exact finds by part number that follow need not ask again (a recall of
  // many numbers); any change forgets them. A home whose finds cost no
  // round trip to a server ignores it.
  virtual void readAhead(std::span<const std::string> numbers) { (void)numbers; }
  // Finds a part number (index 1) or PN2 (index 2) with a store find mode.
  virtual Outcome findPn(std::string_view pn, LibEntry& entry, int mode = store::kFindEqual) = 0;
  virtual Outcome findPn2(std::string_view pn2, LibEntry& entry, int mode = store::kFindEqual) = 0;
  // The first record at or after (hybrid, type, empty part number).
  virtual Outcome findType(std::uint16_t type, bool hybrid, LibEntry& entry,
                           int mode = store::kFindEqualOrGreater) = 0;
  virtual Outcome read(std::int32_t record, LibEntry& entry) = 0;
  // The first record in list order after `afterRecord` (-1: from the top)
  // whose part number (byPn2 false) or PN2 contains `text`, case as stored.
  virtual Outcome search(std::string_view text, bool byPn2, std::int32_t afterRecord, LibEntry& entry) = 0;

  // ---- list order (hybrid flag, type, part number) ----
  // The 0-based place of a record in list order (NotFound when there is no
  // such record), without reading the records before it.
  virtual Outcome listPosition(std::int32_t record, long& position) = 0;
  virtual Outcome first(LibEntry& entry) = 0;
  virtual Outcome last(LibEntry& entry) = 0;
  // The neighbours of an entry listed before, found again by its fields
  // even when another user has deleted it since. A record that can not be
  // read is listed with `damaged` set.
  virtual Outcome next(const LibEntry& after, LibEntry& entry) = 0;
  virtual Outcome previous(const LibEntry& before, LibEntry& entry) = 0;

  // The part of an entry, for a document of the given kind (see part_blob.hpp).
  bool partOf(const LibEntry& entry, bool hybridDocument, std::unique_ptr<CPart>& part);
  // The same for the entry's own kind.
  bool partOf(const LibEntry& entry, std::unique_ptr<CPart>& part) { return partOf(entry, entry.hybrid != 0, part); }

 protected:
  PartLibrary() = default;
};

// The record layout of a library (no variables behind it): what a record's
// bytes are checked against.
std::span<const store::DataField> libraryLayout();
// The compound key segments of index 3 and the key definitions of a library.
const store::SegmentList& librarySegments();
std::span<const store::KeyDef> libraryKeys();

}  // namespace kestrel::library
