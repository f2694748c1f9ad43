#include "store/library/xref_keyed_file.hpp"

#include <algorithm>
#include <cstring>

#include "core/strfmt.hpp"
#include "store/library/library_list.hpp"

namespace kestrel::library {
namespace {


std::vector<std::uint8_t> upperKey(std::string_view text) {
  const std::string s = upperCased(cut(text, kNumberLength));
  std::vector<std::uint8_t> key(s.begin(), s.end());
  key.push_back(0);
  return key;
}

void copyUpper(char (&dest)[26], std::string_view text) {
  std::memset(dest, 0, sizeof dest);
  const std::string s = upperCased(cut(text, kNumberLength));
  std::memcpy(dest, s.data(), s.size());
}

bool found(int rc) { return rc == store::kOk || rc == 2 || rc == 3; }

}  // namespace

std::span<const store::KeyDef> xrefKeys() {
  static const store::KeyDef keys[] = {{1, 0, nullptr}, {2, 0, nullptr}};
  return keys;
}

constexpr int kLockTrees[] = {20, 1, 2};
const KeyedFileKind kXRefKind{"XREFHEADER",       xrefKeys,
                              kLockTrees,         kXRefVersion,
                              "Cross-Reference Description", "Can not create cross-reference file",
                              "Can not open cross-reference file"};

std::span<const store::DataField> xrefLayout() {
  using store::DataField;
  static const DataField layout[] = {
      {'S', 0, 'U', 26, 1, nullptr, 0}, {'S', 0, 'D', 26, 2, nullptr, 0}, {'B', store::kNoKey, 'N', 1024, 0, nullptr, 0}, {}};
  return layout;
}

XRefKeyedFile::XRefKeyedFile() : KeyedFile(kXRefKind) {
  const auto layout = xrefLayout();
  std::copy(layout.begin(), layout.end(), list_);
  list_[0].value = pn_;
  list_[1].value = libPn_;
  list_[2].value = blob_;
}

std::unique_ptr<XRefKeyedFile> XRefKeyedFile::create(const std::string& path, StoreMessage& error, store::StoreFileSystem* fs) {
  std::unique_ptr<XRefKeyedFile> x(new XRefKeyedFile);
  if (!x->createFile(path, error, fs)) return nullptr;
  return x;
}

std::unique_ptr<XRefKeyedFile> XRefKeyedFile::open(const std::string& path, bool writable, StoreMessage& error,
                                         store::StoreFileSystem* fs) {
  std::unique_ptr<XRefKeyedFile> x(new XRefKeyedFile);
  if (!x->openFile(path, writable, error, fs)) return nullptr;
  return x;
}

bool XRefKeyedFile::fill(const CXRef& xref) {
  std::vector<std::uint8_t> blob;
  if (Status s = encodeXRef(xref, blob); !s) {
    error_ = {quoted(path_), "serialize error", s.message(), s.code()};
    return false;
  }
  if (xref.pn.empty()) {
    error_ = {quoted(path_), "add error", "empty cross-reference part number", StatusCode::InvalidArgument};
    return false;
  }
  copyUpper(pn_, xref.pn);
  copyUpper(libPn_, xref.libPn);
  std::memset(blob_, 0, sizeof blob_);
  std::memcpy(blob_, blob.data(), blob.size());
  list_[2].size = static_cast<std::uint16_t>(blob.size());
  return true;
}

Outcome XRefKeyedFile::add(const CXRef& xref) {
  if (!fill(xref)) return Outcome::Failed;
  const int rc = store_.AddRecord(list_);
  if (rc == store::kFail) {
    error_ = {quoted(path_), "add error", "duplicate part number", StatusCode::AlreadyExists};
    return Outcome::Duplicate;
  }
  if (rc != store::kOk) return storeFailure("add error", rc);
  return Outcome::Ok;
}

Outcome XRefKeyedFile::replace(const CXRef& xref) {
  if (!fill(xref)) return Outcome::Failed;
  const auto key = upperKey(xref.pn);
  int rc = store_.FindKey(1, key, store::kStringKeyType, store::kFindEqual);
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) return storeFailure("can not find PN key", rc);
  rc = store_.LockRecord(1, key);
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) return storeFailure("can not lock record", rc);
  rc = store_.UpdateRecord(list_);
  const int unlock = store_.UnlockRecord();
  if (rc != store::kOk) return storeFailure("update error", rc);
  if (unlock != store::kOk) return storeFailure("can not unlock record", unlock);
  return Outcome::Ok;
}

Outcome XRefKeyedFile::findAndLock(std::string_view pn, std::int32_t& record) {
  const auto key = upperKey(pn);
  int rc = store_.FindKey(1, key, store::kStringKeyType, store::kFindEqual);
  if (rc == store::kFail) {
    error_ = {quoted(path_), "can not find PN key", "no cross-reference '" + cut(pn, kNumberLength) + "'",
              StatusCode::NotFound};
    return Outcome::NotFound;
  }
  if (rc != store::kOk) return storeFailure("can not find PN key", rc);
  record = store_.CurrentRecord();
  rc = store_.LockRecord(1, key);
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) return storeFailure("can not lock record", rc);
  return Outcome::Ok;
}

Outcome XRefKeyedFile::remove(std::string_view pn) {
  std::int32_t record = 0;
  if (Outcome o = findAndLock(pn, record); o != Outcome::Ok) return o;
  int rc = store_.ReadRecord(list_);
  if (rc == store::kOk) rc = store_.DeleteRecord(list_);
  if (rc != store::kOk) {
    store_.UnlockRecord();
    return storeFailure("delete error", rc);
  }
  return Outcome::Ok;
}

Outcome XRefKeyedFile::edit(std::string_view pn, const std::function<bool(CXRef&)>& change) {
  std::int32_t record = 0;
  if (Outcome o = findAndLock(pn, record); o != Outcome::Ok) return o;
  auto unlockWith = [&](Outcome o) {
    const int u = store_.UnlockRecord();
    if (o == Outcome::Ok && u != store::kOk) return storeFailure("can not unlock record", u);
    return o;
  };
  XRefEntry current;
  if (Outcome o = readCurrent(current, "can not read record"); o != Outcome::Ok) return unlockWith(o);
  if (!change(current.xref)) return unlockWith(Outcome::Ok);
  if (!fill(current.xref)) return unlockWith(Outcome::Failed);
  store_.SetCurrentRecord(record);
  const int rc = store_.UpdateRecord(list_);
  if (rc == store::kFail) {
    error_ = {quoted(path_), "update error", "duplicate part number", StatusCode::AlreadyExists};
    return unlockWith(Outcome::Duplicate);
  }
  if (rc != store::kOk) return unlockWith(storeFailure("update error", rc));
  return unlockWith(Outcome::Ok);
}

Outcome XRefKeyedFile::readCurrent(XRefEntry& entry, const char* what) {
  const int rc = store_.ReadRecord(list_);
  if (rc != store::kOk) return storeFailure(what, rc);
  entry.record = store_.CurrentRecord();
  entry.pn.assign(pn_, strnlen(pn_, sizeof pn_));
  entry.libPn.assign(libPn_, strnlen(libPn_, sizeof libPn_));
  const std::size_t size = std::min<std::size_t>(list_[2].size, sizeof blob_);
  const std::string source = strprintf("'%s' R%ld", path_.c_str(), static_cast<long>(entry.record));
  if (Status s = decodeXRef({blob_, size}, source, entry.xref); !s) {
    error_ = {quoted(path_), what, s.message(), s.code()};
    return Outcome::Failed;
  }
  return Outcome::Ok;
}

Outcome XRefKeyedFile::position(int index, std::string_view text, int mode, XRefEntry& entry, const char* what) {
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure(what, scope.status());
  const int rc = store_.FindKey(index, upperKey(text), store::kStringKeyType, mode);
  if (rc == store::kFail) return Outcome::NotFound;
  if (!found(rc)) return storeFailure(what, rc);
  return readCurrent(entry, "can not read record");
}

Outcome XRefKeyedFile::findPn(std::string_view pn, XRefEntry& entry, int mode) {
  return position(1, pn, mode, entry, "can not find PN key");
}

Outcome XRefKeyedFile::findLibPn(std::string_view libPn, XRefEntry& entry, int mode) {
  return position(2, libPn, mode, entry, "can not find libPN key");
}

Outcome XRefKeyedFile::readListed(XRefEntry& entry, const char* what) {
  const auto cursor = store_.CursorKey(1);
  entry = XRefEntry{};
  entry.record = store_.CurrentRecord();
  entry.key.assign(cursor.begin(), cursor.end());
  if (readCurrent(entry, what) == Outcome::Ok) {
    const std::string keyText(entry.key.begin(), std::find(entry.key.begin(), entry.key.end(), 0));
    if (keyText == entry.pn) return Outcome::Ok;
    entry.damaged = "the record does not match its list key";
  } else {
    entry.damaged = oneLine(error_.what + ": " + error_.detail);
  }
  entry.record = store_.CurrentRecord();
  entry.pn.assign(entry.key.begin(), std::find(entry.key.begin(), entry.key.end(), 0));
  entry.libPn.clear();
  entry.xref = CXRef{};
  entry.xref.pn = entry.pn;
  return Outcome::Ok;
}

Outcome XRefKeyedFile::read(std::int32_t record, XRefEntry& entry) {
  if (record <= 0) return Outcome::NotFound;
  entry = XRefEntry{};
  store_.SetCurrentRecord(record);
  return readCurrent(entry, "can not read record");
}

Outcome XRefKeyedFile::step(int mode, XRefEntry& entry, const char* seqWhat, const char* readWhat) {
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure(seqWhat, scope.status());
  const int rc = store_.Step(1, mode);
  if (rc == store::kFail) return Outcome::End;
  if (rc != store::kOk) return storeFailure(seqWhat, rc);
  return readListed(entry, readWhat);
}

Outcome XRefKeyedFile::first(XRefEntry& entry) {
  return step(store::kStepFirst, entry, "can not seq first record", "can not read first record");
}

Outcome XRefKeyedFile::last(XRefEntry& entry) {
  return step(store::kStepLast, entry, "can not seq last record", "can not read last record");
}

// From the key the entry was listed under, as stored (not upper-cased again:
// a key with lower-case letters would be found before itself for ever).
Outcome XRefKeyedFile::moveOn(const XRefEntry& from, int mode, XRefEntry& entry, const char* seqWhat,
                         const char* readWhat) {
  const auto key = from.key.empty() ? upperKey(from.pn) : from.key;
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure(seqWhat, scope.status());
  const int rc = store_.FindKey(1, key, store::kStringKeyType, mode);
  if (rc == store::kFail) return Outcome::End;
  if (!found(rc)) return storeFailure(seqWhat, rc);
  const int order = store_.CompareKeys(1, store_.CursorKey(1), key);
  if (mode == store::kFindGreater ? order <= 0 : order >= 0) {
    fail(StatusCode::Corrupt, seqWhat,
         strprintf("%s (node %ld)", store::StoreErrorText(store::kTreeKeySequence).c_str(),
                   static_cast<long>(store_.CursorNode(1))));
    return Outcome::Failed;
  }
  return readListed(entry, readWhat);
}

Outcome XRefKeyedFile::next(const XRefEntry& after, XRefEntry& entry) {
  return moveOn(after, store::kFindGreater, entry, "can not seq next record", "can not read next record");
}

Outcome XRefKeyedFile::previous(const XRefEntry& before, XRefEntry& entry) {
  return moveOn(before, store::kFindLess, entry, "can not seq prev record", "can not read prev record");
}

Outcome XRefKeyedFile::listPosition(std::int32_t record, long& position) {
  return keyedListPosition(*this, 1, record, position);
}

}  // namespace kestrel::library
