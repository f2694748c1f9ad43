#include "store/library/library_file.hpp"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "store/library/library_list.hpp"
#include "store/library/part_blob.hpp"

namespace kestrel::library {
namespace {

constexpr int kPnIndex = 1;
constexpr int kPn2Index = 2;
constexpr int kListIndex = 3;

std::vector<std::uint8_t> textKey(std::string_view text) {
  const std::string s = cut(text, kNumberLength);
  std::vector<std::uint8_t> key(s.begin(), s.end());
  key.push_back(0);
  return key;
}

void copyText(char (&dest)[26], std::string_view text) {
  std::memset(dest, 0, sizeof dest);
  const std::string s = cut(text, kNumberLength);
  std::memcpy(dest, s.data(), s.size());
}

bool found(int rc) { return rc == store::kOk || rc == 2 || rc == 3; }

}  // namespace

const store::SegmentList& librarySegments() {
  static const store::SegmentList segments = {{10, 3, 0, false}, {10, 2, 0, false}, {0, 0, 0, false}};
  return segments;
}

std::span<const store::KeyDef> libraryKeys() {
  static const store::KeyDef keys[] = {{1, 0, nullptr}, {2, 0, nullptr}, {3, 8, &librarySegments()}};
  return keys;
}

constexpr int kLockTrees[] = {20, 1, 2, 3};
const KeyedFileKind kLibraryKind{"LIBHEADER",           libraryKeys,          kLockTrees,
                                 kLibraryVersion,       "Library Description", "Can not create library file",
                                 "Can not open library file"};

std::span<const store::DataField> libraryLayout() {
  using store::DataField;
  using store::kNoKey;
  static const DataField layout[] = {
      {'S', 0, 'U', 26, 1, nullptr, 0},      {'S', 0, 'D', 26, 2, nullptr, 0},      {'U', kNoKey, 'N', 2, 0, nullptr, 0},
      {'U', kNoKey, 'N', 2, 0, nullptr, 0},  {'B', kNoKey, 'N', 1024, 0, nullptr, 0}, {'X', 8, 'U', 242, 3, nullptr, 0},
      {'L', kNoKey, 'N', 4, 0, nullptr, 0},  {}};
  return layout;
}

LibraryFile::LibraryFile() : KeyedFile(kLibraryKind) {
  const auto layout = libraryLayout();
  std::copy(layout.begin(), layout.end(), list_);
  void* values[] = {pn_, pn2_, &type_, &hybrid_, blob_, nullptr, &stamp_};
  for (std::size_t i = 0; i < std::size(values); ++i) list_[i].value = values[i];
}

std::unique_ptr<LibraryFile> LibraryFile::create(const std::string& path, StoreMessage& error,
                                                 store::StoreFileSystem* fs) {
  std::unique_ptr<LibraryFile> lib(new LibraryFile);
  if (!lib->createFile(path, error, fs)) return nullptr;
  return lib;
}

std::unique_ptr<LibraryFile> LibraryFile::open(const std::string& path, bool writable, StoreMessage& error,
                                               store::StoreFileSystem* fs) {
  std::unique_ptr<LibraryFile> lib(new LibraryFile);
  if (!lib->openFile(path, writable, error, fs)) return nullptr;
  return lib;
}

bool LibraryFile::fill(const CPart& part) {
  std::vector<std::uint8_t> blob;
  if (Status s = encodePartBlob(part, blob); !s) {
    fail(s.code(), "serialize error", s.message());
    return false;
  }
  setFields(part.PN, part.PN2, part.PART_TYPE, part.IS_HYBRID != 0, static_cast<std::int32_t>(std::time(nullptr)),
            blob);
  return true;
}

void LibraryFile::setFields(std::string_view pn, std::string_view pn2, std::uint16_t type, bool hybrid,
                            std::int32_t stamp, std::span<const std::uint8_t> blob) {
  copyText(pn_, pn);
  copyText(pn2_, pn2);
  type_ = type;
  hybrid_ = hybrid ? 1 : 0;
  stamp_ = stamp;
  std::memset(blob_, 0, sizeof blob_);
  std::memcpy(blob_, blob.data(), blob.size());
  list_[4].size = static_cast<std::uint16_t>(blob.size());
}

void LibraryFile::load(LibEntry& entry) const {
  entry.record = store_.CurrentRecord();
  entry.pn.assign(pn_, strnlen(pn_, sizeof pn_));
  entry.pn2.assign(pn2_, strnlen(pn2_, sizeof pn2_));
  entry.type = type_;
  entry.hybrid = static_cast<std::uint8_t>(hybrid_);
  entry.stamp = stamp_;
  const std::size_t size = std::min<std::size_t>(list_[4].size, sizeof blob_);
  entry.blob.assign(blob_, blob_ + size);
}

Outcome LibraryFile::add(const CPart& part, std::int32_t* record) {
  if (!fill(part)) return Outcome::Failed;
  return addFilled(record);
}

Outcome LibraryFile::addStamped(const CPart& part, std::int32_t stamp) {
  if (!fill(part)) return Outcome::Failed;
  stamp_ = stamp;
  return addFilled(nullptr);
}

Outcome LibraryFile::addEntry(const LibEntry& entry) {
  if (entry.blob.empty() || entry.blob.size() > sizeof blob_) {
    fail(StatusCode::InvalidArgument, "serialize error",
         strprintf("'%s': %zu bytes of part", entry.pn.c_str(), entry.blob.size()));
    return Outcome::Failed;
  }
  setFields(entry.pn, entry.pn2, entry.type, entry.hybrid != 0, entry.stamp, entry.blob);
  return addFilled(nullptr);
}

Outcome LibraryFile::addFilled(std::int32_t* record) {
  const int rc = store_.AddRecord(list_);
  if (rc == store::kFail) {
    fail(StatusCode::AlreadyExists, "add error", "duplicate part number");
    return Outcome::Duplicate;
  }
  if (rc != store::kOk) return storeFailure("add error", rc);
  if (record != nullptr) *record = store_.CurrentRecord();
  return Outcome::Ok;
}

Outcome LibraryFile::lockCurrent(int index, const std::vector<std::uint8_t>& key) {
  const int rc = store_.LockRecord(index, key);
  if (rc == store::kFail) return Outcome::NotFound;  // gone or renumbered since it was found
  if (rc != store::kOk) return storeFailure("can not lock record", rc);
  return Outcome::Ok;
}

Outcome LibraryFile::replace(const CPart& part) {
  if (!fill(part)) return Outcome::Failed;
  const auto key = textKey(part.PN);
  int rc = store_.FindKey(kPnIndex, key, store::kStringKeyType, store::kFindEqual);
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) return storeFailure("can not find PN key", rc);
  if (Outcome o = lockCurrent(kPnIndex, key); o != Outcome::Ok) return o;
  // The variables still hold the new part: the store reads the old record
  // itself to change only the keys that differ.
  rc = store_.UpdateRecord(list_);
  const int unlock = store_.UnlockRecord();
  if (rc != store::kOk) return storeFailure("update error", rc);
  if (unlock != store::kOk) return storeFailure("can not unlock record", unlock);
  return Outcome::Ok;
}

Outcome LibraryFile::deleteLocked() {
  int rc = store_.ReadRecord(list_);
  if (rc == store::kOk) rc = store_.DeleteRecord(list_);
  if (rc != store::kOk) {
    store_.UnlockRecord();
    return storeFailure("delete error", rc);
  }
  return Outcome::Ok;
}

Outcome LibraryFile::remove(std::string_view pn) {
  const auto key = textKey(pn);
  const int rc = store_.FindKey(kPnIndex, key, store::kStringKeyType, store::kFindEqual);
  if (rc == store::kFail) {
    fail(StatusCode::NotFound, "can not find PN key", "no part '" + cut(pn, kNumberLength) + "'");
    return Outcome::NotFound;
  }
  if (rc != store::kOk) return storeFailure("can not find PN key", rc);
  if (Outcome o = lockCurrent(kPnIndex, key); o != Outcome::Ok) return o;
  return deleteLocked();
}

Outcome LibraryFile::rewrite(std::int32_t record, const std::function<bool(std::unique_ptr<CPart>&)>& change,
                             RewriteStep* failedAt) {
  RewriteStep ignored = RewriteStep::None;
  RewriteStep& step = failedAt != nullptr ? *failedAt : ignored;
  step = RewriteStep::Read;
  // Lock first, then read: what is read is what nobody else can change
  // before it is written back.
  LibEntry known;
  if (Outcome o = read(record, known); o != Outcome::Ok) return o;
  const auto key = textKey(known.pn);
  store_.SetCurrentRecord(record);
  if (Outcome o = lockCurrent(kPnIndex, key); o != Outcome::Ok) return o;
  auto unlockWith = [&](Outcome o) {
    const int rc = store_.UnlockRecord();
    if (o == Outcome::Ok && rc != store::kOk) return storeFailure("can not unlock record", rc);
    if (o == Outcome::Ok) step = RewriteStep::None;
    return o;
  };
  int rc = store_.ReadRecord(list_);
  if (rc != store::kOk) return unlockWith(storeFailure("can not read record", rc));
  LibEntry current;
  load(current);
  std::unique_ptr<CPart> part;
  if (!partOf(current, part)) return unlockWith(Outcome::Failed);
  if (!change(part) || !part) {
    step = RewriteStep::Cancel;
    return unlockWith(Outcome::Ok);
  }
  step = RewriteStep::Update;
  if (!fill(*part)) return unlockWith(Outcome::Failed);
  store_.SetCurrentRecord(record);
  rc = store_.UpdateRecord(list_);
  if (rc == store::kFail) {
    fail(StatusCode::AlreadyExists, "update error", "duplicate part number");
    return unlockWith(Outcome::Duplicate);
  }
  if (rc != store::kOk) return unlockWith(storeFailure("update error", rc));
  return unlockWith(Outcome::Ok);
}

Outcome LibraryFile::readCurrent(LibEntry& entry, const char* what) {
  const int rc = store_.ReadRecord(list_);
  if (rc != store::kOk) return storeFailure(what, rc);
  load(entry);
  return Outcome::Ok;
}

Outcome LibraryFile::findPn(std::string_view pn, LibEntry& entry, int mode) {
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure("can not find PN key", scope.status());
  const int rc = store_.FindKey(kPnIndex, textKey(pn), store::kStringKeyType, mode);
  if (rc == store::kFail) return Outcome::NotFound;
  if (!found(rc)) return storeFailure("can not find PN key", rc);
  return readCurrent(entry, "can not read record");
}

Outcome LibraryFile::findPn2(std::string_view pn2, LibEntry& entry, int mode) {
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure("can not find PN2 key", scope.status());
  const int rc = store_.FindKey(kPn2Index, textKey(pn2), store::kStringKeyType, mode);
  if (rc == store::kFail) return Outcome::NotFound;
  if (!found(rc)) return storeFailure("can not find PN2 key", rc);
  return readCurrent(entry, "can not read record");
}

Outcome LibraryFile::findType(std::uint16_t type, bool hybrid, LibEntry& entry, int mode) {
  LibEntry probe;
  probe.type = type;
  probe.hybrid = hybrid ? 1 : 0;
  const auto key = listKey(probe);
  if (key.empty()) return Outcome::Failed;
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure("can not find part type key", scope.status());
  const int rc = store_.FindKey(kListIndex, key, 8, mode);
  if (rc == store::kFail) return Outcome::NotFound;
  if (!found(rc)) return storeFailure("can not find part type key", rc);
  return readCurrent(entry, "can not read record");
}

Outcome LibraryFile::read(std::int32_t record, LibEntry& entry) {
  if (record <= 0) return Outcome::NotFound;
  store_.SetCurrentRecord(record);
  const int rc = store_.ReadRecord(list_);
  if (rc == store::kDataReadError) {
    fail(StatusCode::NotFound, "can not find specified record",
         strprintf("no record R%ld", static_cast<long>(record)));
    return Outcome::NotFound;
  }
  if (rc != store::kOk) return storeFailure("can not read record", rc);
  load(entry);
  return Outcome::Ok;
}

std::vector<std::uint8_t> LibraryFile::listKey(const LibEntry& entry) {
  copyText(pn_, entry.pn);
  type_ = entry.type;
  hybrid_ = entry.hybrid;
  std::vector<std::uint8_t> key;
  const int rc = store_.BuildKey(kListIndex, list_, -1, key);
  if (rc != store::kOk) {
    storeFailure("can not build part type key", rc);
    key.clear();
  }
  return key;
}

Outcome LibraryFile::readListed(LibEntry& entry, const char* what) {
  const auto cursor = store_.CursorKey(kListIndex);
  entry = LibEntry{};
  entry.record = store_.CurrentRecord();
  entry.key.assign(cursor.begin(), cursor.end());
  const int rc = store_.ReadRecord(list_);
  if (rc == store::kOk) {
    LibEntry read;
    load(read);
    if (listKey(read) == entry.key) {
      read.key = std::move(entry.key);
      entry = std::move(read);
      return Outcome::Ok;
    }
    entry.damaged = "the record does not match its list key";
  } else {
    entry.damaged = std::string(what) + ": " + store::StoreErrorText(rc);
  }
  // Hybrid flag, type and part number as the key holds them.
  const auto& k = entry.key;
  const store::ByteOrder& o = store_.header().order;
  if (k.size() < 6) return storeFailure(what, rc == store::kOk ? store::kTreeKeyLength : rc);
  entry.hybrid = static_cast<std::uint8_t>(o.get16(&k[1]));
  entry.type = o.get16(&k[3]);
  const auto* chars = reinterpret_cast<const char*>(&k[5]);
  entry.pn.assign(chars, strnlen(chars, k.size() - 5));
  return Outcome::Ok;
}

Outcome LibraryFile::step(int mode, LibEntry& entry, const char* seqWhat, const char* readWhat) {
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure(seqWhat, scope.status());
  const int rc = store_.Step(kListIndex, mode);
  if (rc == store::kFail) return Outcome::End;
  if (rc != store::kOk) return storeFailure(seqWhat, rc);
  return readListed(entry, readWhat);
}

Outcome LibraryFile::first(LibEntry& entry) {
  return step(store::kStepFirst, entry, "can not seq first record", "can not read first record");
}

Outcome LibraryFile::last(LibEntry& entry) {
  return step(store::kStepLast, entry, "can not seq last record", "can not read last record");
}

Outcome LibraryFile::moveOn(const LibEntry& from, int mode, LibEntry& entry, const char* seqWhat,
                            const char* readWhat) {
  const auto key = from.key.empty() ? listKey(from) : from.key;
  if (key.empty()) return Outcome::Failed;
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure(seqWhat, scope.status());
  const int rc = store_.FindKey(kListIndex, key, 8, mode);
  if (rc == store::kFail) return Outcome::End;
  if (!found(rc)) return storeFailure(seqWhat, rc);
  const int order = store_.CompareKeys(kListIndex, store_.CursorKey(kListIndex), key);
  if (mode == store::kFindGreater ? order <= 0 : order >= 0) {
    fail(StatusCode::Corrupt, seqWhat,
         strprintf("%s (node %ld)", store::StoreErrorText(store::kTreeKeySequence).c_str(),
                   static_cast<long>(store_.CursorNode(kListIndex))));
    return Outcome::Failed;
  }
  return readListed(entry, readWhat);
}

Outcome LibraryFile::next(const LibEntry& after, LibEntry& entry) {
  return moveOn(after, store::kFindGreater, entry, "can not seq next record", "can not read next record");
}

Outcome LibraryFile::previous(const LibEntry& before, LibEntry& entry) {
  return moveOn(before, store::kFindLess, entry, "can not seq prev record", "can not read prev record");
}

Outcome LibraryFile::search(std::string_view text, bool byPn2, std::int32_t afterRecord, LibEntry& entry) {
  const int index = byPn2 ? kPn2Index : kListIndex;
  ReadScope scope(store_);
  if (scope.status() != store::kOk) return storeFailure("can not seq first record", scope.status());
  int rc = store_.Step(index, store::kStepFirst);
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) return storeFailure("can not seq first record", rc);
  rc = store_.Step(index, store::kStepPrevious);
  if (rc != store::kFail) return storeFailure("can not seq before first record", rc == store::kOk ? store::kTreeKeySequence : rc);
  bool skipping = afterRecord > 0;
  const std::size_t textStart = byPn2 ? 0 : 5;  // after the length byte and the two 16-bit segments
  rc = store_.ScanKeys(index, [&](std::span<const std::uint8_t> key, std::int32_t number) {
    if (skipping) {
      if (number == afterRecord) skipping = false;
      return false;
    }
    if (key.size() <= textStart) return false;
    const auto* chars = reinterpret_cast<const char*>(key.data() + textStart);
    const std::string_view pn(chars, strnlen(chars, key.size() - textStart));
    return pn.find(text) != std::string_view::npos;
  });
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) return storeFailure("can not find specified record", rc);
  return readCurrent(entry, "can not read record");
}

Outcome LibraryFile::listPosition(std::int32_t record, long& position) {
  return keyedListPosition(*this, 3, record, position);
}

}  // namespace kestrel::library
