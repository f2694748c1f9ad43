// XRefKeyedFile: a cross-reference list kept in a cross-reference file
// (.xrf) on the keyed record store: the cross-reference number (index 1),
// the library number (index 2) and the serialised object per record; named
// records "XREFHEADER" 1..4: version "99", description, notes title, notes.
#pragma once

#include <memory>
#include <string>

#include "store/library/keyed_file.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

class XRefKeyedFile final : public XRefFile, public KeyedFile {
 public:
  static std::unique_ptr<XRefKeyedFile> create(const std::string& path, StoreMessage& error,
                                               store::StoreFileSystem* fs = nullptr);
  static std::unique_ptr<XRefKeyedFile> open(const std::string& path, bool writable, StoreMessage& error,
                                             store::StoreFileSystem* fs = nullptr);

  Outcome add(const CXRef& xref) override;
  Outcome replace(const CXRef& xref) override;
  Outcome remove(std::string_view pn) override;
  Outcome edit(std::string_view pn, const std::function<bool(CXRef&)>& change) override;
  Outcome findPn(std::string_view pn, XRefEntry& entry, int mode = store::kFindEqual) override;
  Outcome findLibPn(std::string_view libPn, XRefEntry& entry, int mode = store::kFindEqual) override;
  Outcome read(std::int32_t record, XRefEntry& entry) override;
  Outcome first(XRefEntry& entry) override;
  Outcome last(XRefEntry& entry) override;
  Outcome listPosition(std::int32_t record, long& position) override;
  Outcome next(const XRefEntry& after, XRefEntry& entry) override;
  Outcome previous(const XRefEntry& before, XRefEntry& entry) override;

 private:
  XRefKeyedFile();
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

}  // namespace kestrel::library
