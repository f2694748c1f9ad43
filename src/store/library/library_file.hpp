// LibraryFile: a library kept in a library file (.lib) on the keyed record
// store. One record per part: part number (unique, index 1), PN2 (index 2,
// duplicates allowed), part type, hybrid flag, the serialised part, the
// compound key of index 3 (hybrid flag, type, part number: the list order)
// and a time stamp. Named records "LIBHEADER" 1..4 hold the version
// "50100", the description, the notes title and the notes.
//
// Files are shared between processes by the store's record locks: a record
// another process holds is refused with "can not lock record" / "record is
// locked by another process".
#pragma once

#include <memory>
#include <string>

#include "store/library/keyed_file.hpp"
#include "store/library/part_library.hpp"

namespace kestrel::library {

class LibraryFile final : public PartLibrary, public KeyedFile {
 public:
  static std::unique_ptr<LibraryFile> create(const std::string& path, StoreMessage& error,
                                             store::StoreFileSystem* fs = nullptr);
  static std::unique_ptr<LibraryFile> open(const std::string& path, bool writable, StoreMessage& error,
                                           store::StoreFileSystem* fs = nullptr);

  Outcome add(const CPart& part, std::int32_t* record = nullptr) override;
  Outcome addStamped(const CPart& part, std::int32_t stamp) override;
  Outcome addEntry(const LibEntry& entry) override;
  Outcome replace(const CPart& part) override;
  Outcome remove(std::string_view pn) override;
  Outcome rewrite(std::int32_t record, const std::function<bool(std::unique_ptr<CPart>&)>& change,
                  RewriteStep* failedAt = nullptr) override;

  Outcome findPn(std::string_view pn, LibEntry& entry, int mode = store::kFindEqual) override;
  Outcome findPn2(std::string_view pn2, LibEntry& entry, int mode = store::kFindEqual) override;
  Outcome findType(std::uint16_t type, bool hybrid, LibEntry& entry, int mode = store::kFindEqualOrGreater) override;
  Outcome read(std::int32_t record, LibEntry& entry) override;
  Outcome search(std::string_view text, bool byPn2, std::int32_t afterRecord, LibEntry& entry) override;

  // Each step must move on in key order (a damaged index gives "tree: key
  // sequence error" and the node), so a walk ends.
  Outcome first(LibEntry& entry) override;
  Outcome last(LibEntry& entry) override;
  Outcome listPosition(std::int32_t record, long& position) override;
  Outcome next(const LibEntry& after, LibEntry& entry) override;
  Outcome previous(const LibEntry& before, LibEntry& entry) override;

 private:
  LibraryFile();
  std::span<store::DataField> dataList() override { return list_; }
  // Fills the record's variables from a part (stamped now), or from the
  // fields of another library's record.
  bool fill(const CPart& part);
  void setFields(std::string_view pn, std::string_view pn2, std::uint16_t type, bool hybrid, std::int32_t stamp,
                 std::span<const std::uint8_t> blob);
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

}  // namespace kestrel::library
