// PartLibrary: an open library file (.lib) of complete part records on the
// keyed record store. One record per part: part number (unique, index 1),
// PN2 (index 2, duplicates allowed), part type, hybrid flag, the serialised
// part, the compound key of index 3 (hybrid flag, type, part number: the
// list order) and a time stamp. Named records "LIBHEADER" 1..4 hold the
// version "50100", the description, the notes title and the notes.
//
// Libraries are shared between processes: every change locks its record
// first and reads it under the lock, so a record another process holds is
// refused ("can not lock record" / "record is locked by another process"),
// never overwritten. Every failure sets `error()` (three-part message).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/library/header_texts.hpp"
#include "store/library/keyed_file.hpp"
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

class PartLibrary final : public KeyedFile {
 public:
  // Creates a new library (the file must not exist) and leaves it open for
  // reading and writing; null with `error` set on failure (no file is left).
  static std::unique_ptr<PartLibrary> create(const std::string& path, StoreMessage& error,
                                             store::StoreFileSystem* fs = nullptr);
  // Opens an existing library, shared, for reading (writable false) or
  // reading and writing, and checks its version.
  static std::unique_ptr<PartLibrary> open(const std::string& path, bool writable, StoreMessage& error,
                                           store::StoreFileSystem* fs = nullptr);

  // ---- changes ----
  // Adds a part; Duplicate when its part number is in the library already.
  Outcome add(const CPart& part, std::int32_t* record = nullptr);
  // The same with the time stamp the record had before (a salvaged part keeps its date).
  Outcome addStamped(const CPart& part, std::int32_t stamp);
  // Replaces the record of the part's number in place, under its lock.
  // NotFound when the library has no such number.
  Outcome replace(const CPart& part);
  // Adds, or on a duplicate replaces (with `replaceDuplicate`) or skips,
  // counting each in `counters`.
  Outcome put(const CPart& part, bool replaceDuplicate, StoreCounters& counters);
  // Deletes the record of a part number, or of a record number.
  Outcome remove(std::string_view pn);
  Outcome removeRecord(std::int32_t record);
  // Locks a record, reads it under the lock, lets `edit` change the part and
  // writes it back (edit returning false leaves the record unchanged). The
  // part number may change; a colliding one gives Duplicate.
  Outcome edit(std::int32_t record, const std::function<bool(CPart&)>& edit);
  // The same where `change` may put another part (of another class) in the
  // record's place. `failedAt` says which step a failure came in: reading
  // and locking, writing back, or unlocking after a cancel.
  enum class RewriteStep { None, Read, Update, Cancel };
  Outcome rewrite(std::int32_t record, const std::function<bool(std::unique_ptr<CPart>&)>& change,
                  RewriteStep* failedAt = nullptr);

  // ---- look-ups ----
  // Finds a part number (index 1) or PN2 (index 2) with a store find mode.
  Outcome findPn(std::string_view pn, LibEntry& entry, int mode = store::kFindEqual);
  Outcome findPn2(std::string_view pn2, LibEntry& entry, int mode = store::kFindEqual);
  // The first record at or after (hybrid, type, empty part number).
  Outcome findType(std::uint16_t type, bool hybrid, LibEntry& entry, int mode = store::kFindEqualOrGreater);
  Outcome read(std::int32_t record, LibEntry& entry);
  // The first record in list order after `afterRecord` (-1: from the top)
  // whose part number (byPn2 false) or PN2 contains `text`, case as stored.
  Outcome search(std::string_view text, bool byPn2, std::int32_t afterRecord, LibEntry& entry);

  // ---- list order (hybrid flag, type, part number) ----
  Outcome first(LibEntry& entry);
  Outcome last(LibEntry& entry);
  // The neighbours of an entry listed before, found again by its key even
  // when another process has deleted it since. Each step must move on in
  // key order (a damaged index gives "tree: key sequence error" and the
  // node), so a walk ends. A record that can not be read is listed with
  // `damaged` set.
  Outcome next(const LibEntry& after, LibEntry& entry);
  Outcome previous(const LibEntry& before, LibEntry& entry);

  // The part of an entry, for a document of the given kind (see part_blob.hpp).
  bool partOf(const LibEntry& entry, bool hybridDocument, std::unique_ptr<CPart>& part);
  // The same for the entry's own kind.
  bool partOf(const LibEntry& entry, std::unique_ptr<CPart>& part) { return partOf(entry, entry.hybrid != 0, part); }

  // Reports a failure of the caller's in this library's message.

 private:
  PartLibrary();
  std::span<store::DataField> dataList() override { return list_; }
  bool fill(const CPart& part);
  Outcome addFilled(std::int32_t* record);
  void load(LibEntry& entry) const;
  std::vector<std::uint8_t> listKey(const LibEntry& entry);
  Outcome readCurrent(LibEntry& entry, const char* what);
  Outcome readListed(LibEntry& entry, const char* what);
  Outcome moveOn(const LibEntry& from, int mode, LibEntry& entry, const char* seqWhat, const char* readWhat);
  Outcome step(int mode, LibEntry& entry, const char* seqWhat, const char* readWhat);
  Outcome lockCurrent(int index, const std::vector<std::uint8_t>& key);
  Outcome deleteLocked();

  // The record's variables and the DataList that points at them.
  char pn_[26] = {};
  char pn2_[26] = {};
  std::uint16_t type_ = 0;
  std::uint16_t hybrid_ = 0;
  std::uint8_t blob_[1024] = {};
  std::int32_t stamp_ = 0;
  store::DataField list_[8];
};

// The record layout of a library (no variables behind it): what a record's
// bytes are checked against.
std::span<const store::DataField> libraryLayout();
// The compound key segments of index 3 and the key definitions of a library.
const store::SegmentList& librarySegments();
std::span<const store::KeyDef> libraryKeys();

}  // namespace kestrel::library
