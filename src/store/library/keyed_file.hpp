// KeyedFile: what a library file and a cross-reference file share as open
// files on the keyed record store: the store, creating and opening with the
// version check, the record count, the named header records and the check
// of the indexes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "store/library/header_texts.hpp"
#include "store/library/library_home.hpp"
#include "store/library/store_message.hpp"
#include "store/record_store.hpp"

namespace kestrel::library {

// How one kind of keyed file is laid out and named in its messages.
struct KeyedFileKind {
  const char* headerName;        // the named header records ("LIBHEADER")
  std::span<const store::KeyDef> (*keys)();
  std::span<const int> trees;    // lock trees set up on creation
  std::uint32_t version;
  const char* descriptionLabel;  // header record 2 of a new file
  const char* createFailed;      // "Can not create library file"
  const char* openFailed;        // "Can not open library file"
};

// Keeps a find or step and the read of its record in one read bracket of
// the store, so no writer comes between them.
class ReadScope {
 public:
  explicit ReadScope(store::RecordStore& s) : s_(s), rc_(s.BeginRead()) {}
  ~ReadScope() {
    if (rc_ == store::kOk) s_.EndRead();
  }
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;
  int status() const { return rc_; }

 private:
  store::RecordStore& s_;
  int rc_;
};

// The keyed store file behind a library or cross-reference file. Derived
// virtually from LibraryHome, so that a LibraryFile is one home that is
// both a PartLibrary and a KeyedFile.
class KeyedFile : public virtual LibraryHome {
 public:
  ~KeyedFile() override;

  // Closes the store (unlocking what this handle holds).
  bool close() override;
  long count() override;
  bool readHeader(HeaderTexts& texts) override;
  bool writeHeader(const HeaderTexts& texts) override;
  // One write bracket of the store (`keep` can not undo a file's writes).
  bool beginJob() override;
  bool endJob(bool keep) override;
  KeyedFile* keyedFile() override { return this; }

  store::RecordStore& store() { return store_; }

  // Walks each of the file's indexes entry by entry, at most as many entries
  // as the file has records: the keys must rise, and each must name a
  // record that can be read and whose fields build exactly that key. One
  // line per fault.
  void checkIndexKeys(std::vector<std::string>& faults);

 protected:
  explicit KeyedFile(const KeyedFileKind& kind) : kind_(kind) {}
  // Creates the file (it must not exist) with its header records; on
  // failure no file is left and `error` says why.
  bool createFile(const std::string& path, StoreMessage& error, store::StoreFileSystem* fs);
  // Opens an existing file, shared, and checks its version.
  bool openFile(const std::string& path, bool writable, StoreMessage& error, store::StoreFileSystem* fs);
  Outcome storeFailure(const char* what, int rc);
  // The record layout the subclass reads and writes with.
  virtual std::span<store::DataField> dataList() = 0;

  store::RecordStore store_;

 private:
  const KeyedFileKind& kind_;
};

}  // namespace kestrel::library
