// XRefFile: an open cross-reference file (.xrf) on the keyed record store.
// One record per CXRef: the cross-reference number (unique, index 1), the
// library number (index 2, duplicates allowed) and the serialised object.
// Both keys are stored upper-cased, and every look-up upper-cases its text
// the same way. Named records "XREFHEADER" 1..4: version "99", description,
// notes title, notes. Shared between processes like a library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "store/library/header_texts.hpp"
#include "store/library/part_library.hpp"
#include "store/library/keyed_file.hpp"
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

class XRefFile final : public KeyedFile {
 public:
  static std::unique_ptr<XRefFile> create(const std::string& path, StoreMessage& error,
                                          store::StoreFileSystem* fs = nullptr);
  static std::unique_ptr<XRefFile> open(const std::string& path, bool writable, StoreMessage& error,
                                        store::StoreFileSystem* fs = nullptr);

  // Duplicate when the cross-reference number is in the file already.
  Outcome add(const CXRef& xref);
  // Replaces the record of the object's cross-reference number under its lock.
  Outcome replace(const CXRef& xref);
  Outcome put(const CXRef& xref, bool replaceDuplicate, StoreCounters& counters);
  Outcome remove(std::string_view pn);
  // Locks the record of a cross-reference number, reads it under the lock,
  // lets `change` edit the object and writes it back (false from `change`
  // leaves it unchanged); the lock is held while `change` runs, so another
  // process holding it gives "can not lock record". A changed number that
  // collides gives Duplicate.
  Outcome edit(std::string_view pn, const std::function<bool(CXRef&)>& change);

  // Look-up by cross-reference number (index 1) or library number (index 2).
  Outcome findPn(std::string_view pn, XRefEntry& entry, int mode = store::kFindEqual);
  Outcome findLibPn(std::string_view libPn, XRefEntry& entry, int mode = store::kFindEqual);
  // The view's Find: the first record at or after the text whose number
  // (upper-cased) begins with the text (upper-cased); NotFound otherwise.
  Outcome find(std::string_view text, bool byLibPn, XRefEntry& entry);
  // The record of a record number.
  Outcome read(std::int32_t record, XRefEntry& entry);

  // Cross-reference number order.
  Outcome first(XRefEntry& entry);
  Outcome last(XRefEntry& entry);
  Outcome next(const XRefEntry& after, XRefEntry& entry);
  Outcome previous(const XRefEntry& before, XRefEntry& entry);

 private:
  XRefFile();
  std::span<store::DataField> dataList() override { return list_; }
  bool fill(const CXRef& xref);
  // Finds the cross-reference `pn` by its number and locks it; `record` is
  // its record number (the lock moves the store's current record).
  Outcome findAndLock(std::string_view pn, std::int32_t& record);
  Outcome readCurrent(XRefEntry& entry, const char* what);
  Outcome position(int index, std::string_view text, int mode, XRefEntry& entry, const char* what);
  Outcome step(int mode, XRefEntry& entry, const char* seqWhat, const char* readWhat);
  Outcome readListed(XRefEntry& entry, const char* what);
  Outcome moveOn(const XRefEntry& from, int mode, XRefEntry& entry, const char* seqWhat, const char* readWhat);

  char pn_[26] = {};
  char libPn_[26] = {};
  std::uint8_t blob_[1024] = {};
  store::DataField list_[4];
};

// The record layout of a cross-reference file (no variables behind it).
std::span<const store::DataField> xrefLayout();
std::span<const store::KeyDef> xrefKeys();

}  // namespace kestrel::library
