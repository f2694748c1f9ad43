// XRefFile: an open cross-reference list. One record per CXRef: the
// cross-reference number (unique), the library number (duplicates allowed)
// and the serialised object. Both numbers are kept upper-cased, and every
// look-up upper-cases its text the same way. It has a version "99" and
// header texts, is shared between users like a library, and is kept in a
// cross-reference file (xref_keyed_file.hpp) or in a PostgreSQL database
// (pg_xref.hpp).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "store/library/header_texts.hpp"
#include "store/library/part_library.hpp"
#include "store/library/library_home.hpp"
#include "store/library/store_message.hpp"
#include "store/library/xref.hpp"
#include "store/record_store.hpp"

namespace kestrel::library {

inline constexpr std::uint32_t kXRefVersion = 99;

struct XRefEntry {
  std::int32_t record = -1;
  std::string pn;     // the key, upper-cased
  std::string libPn;  // the key, upper-cased
  CXRef xref;         // the object as given
  // The list key it was found under (empty when found otherwise).
  std::vector<std::uint8_t> key;
  // Not empty when the record can not be read or does not match its key:
  // only `pn` (from the key) is known then.
  std::string damaged;
};

// An open cross-reference list, kept in a keyed store file or in a database.
class XRefFile : public virtual LibraryHome {
 public:
  // `name` is a file's path or a database address (library_location.hpp);
  // `fs` serves files only.
  static std::unique_ptr<XRefFile> create(const std::string& name, StoreMessage& error,
                                          store::StoreFileSystem* fs = nullptr);
  static std::unique_ptr<XRefFile> open(const std::string& name, bool writable, StoreMessage& error,
                                        store::StoreFileSystem* fs = nullptr);

  // Duplicate when the cross-reference number is in the file already.
  virtual Outcome add(const CXRef& xref) = 0;
  // Replaces the record of the object's cross-reference number under its lock.
  virtual Outcome replace(const CXRef& xref) = 0;
  Outcome put(const CXRef& xref, bool replaceDuplicate, StoreCounters& counters);
  virtual Outcome remove(std::string_view pn) = 0;
  // Locks the record of a cross-reference number, reads it under the lock,
  // lets `change` edit the object and writes it back (false from `change`
  // leaves it unchanged); the lock is held while `change` runs, so another
  // user holding it gives "can not lock record". A changed number that
  // collides gives Duplicate.
  virtual Outcome edit(std::string_view pn, const std::function<bool(CXRef&)>& change) = 0;

  // Look-up by cross-reference number (index 1) or library number (index 2).
  virtual Outcome findPn(std::string_view pn, XRefEntry& entry, int mode = store::kFindEqual) = 0;
  virtual Outcome findLibPn(std::string_view libPn, XRefEntry& entry, int mode = store::kFindEqual) = 0;
  // The view's Find: the first record at or after the text whose number
  // (upper-cased) begins with the text (upper-cased); NotFound otherwise.
  Outcome find(std::string_view text, bool byLibPn, XRefEntry& entry);
  // The record of a record number.
  virtual Outcome read(std::int32_t record, XRefEntry& entry) = 0;

  // Cross-reference number order.
  // The 0-based place of a record in list order (NotFound when there is no
  // such record), without reading the records before it.
  virtual Outcome listPosition(std::int32_t record, long& position) = 0;
  virtual Outcome first(XRefEntry& entry) = 0;
  virtual Outcome last(XRefEntry& entry) = 0;
  virtual Outcome next(const XRefEntry& after, XRefEntry& entry) = 0;
  virtual Outcome previous(const XRefEntry& before, XRefEntry& entry) = 0;

 protected:
  XRefFile() = default;
};

// The record layout of a cross-reference file (no variables behind it).
std::span<const store::DataField> xrefLayout();
std::span<const store::KeyDef> xrefKeys();

}  // namespace kestrel::library
