#include "store/library/keyed_file.hpp"

#include "core/strfmt.hpp"

namespace kestrel::library {
namespace {

constexpr std::size_t kRecordBuffer = 1280;
constexpr const char* kInterruptedDetail =
    "a write was interrupted and left nothing to roll it back with; save the records with 'kestrel store recover'";

}  // namespace

KeyedFile::~KeyedFile() {
  if (store_.isOpen()) store_.Close();
}

bool KeyedFile::createFile(const std::string& path, StoreMessage& error, store::StoreFileSystem* fs) {
  error = {};
  std::string init;
  if (!startStore(init)) {
    error = {quoted(path), kind_.createFailed, init};
    return false;
  }
  path_ = path;
  int rc = store_.Create(path, kRecordBuffer, store::ShareMode::Shared, store::kNativeOrderFile, kind_.keys(), fs);
  if (rc != store::kOk) {
    error = {quoted(path), kind_.createFailed, store::StoreErrorText(rc), statusCodeOf(rc)};
    return false;
  }
  std::string what;
  rc = initialiseKeyedFile(store_, kind_.headerName, kind_.trees, kind_.version, kind_.descriptionLabel, what);
  if (rc != store::kOk) {
    error = {quoted(path), what, store::StoreErrorText(rc), statusCodeOf(rc)};
    store_.Close();
    (fs != nullptr ? *fs : store::posixStoreFileSystem()).remove(path);
    return false;
  }
  return true;
}

bool KeyedFile::openFile(const std::string& path, bool writable, StoreMessage& error, store::StoreFileSystem* fs) {
  error = {};
  std::string init;
  if (!startStore(init)) {
    error = {quoted(path), kind_.openFailed, init};
    return false;
  }
  path_ = path;
  const int access = writable ? store::kReadWriteAccess : store::kReadOnlyAccess;
  const int rc = store_.Open(path, kRecordBuffer, store::ShareMode::Shared, access, kind_.keys(), fs);
  if (rc != store::kOk) {
    error = {quoted(path), kind_.openFailed,
             rc == store::kFail ? "file not found" : store::StoreErrorText(rc), statusCodeOf(rc)};
    return false;
  }
  notice_ = {};
  if (store_.interruptedWithoutJournal()) notice_ = {quoted(path), "opened read-only", kInterruptedDetail};
  if (!checkKeyedFileVersion(store_, kind_.headerName, kind_.version, path, error)) return false;
  if (count() < 0) {
    error = error_;
    return false;
  }
  return true;
}

bool KeyedFile::close() {
  const int rc = store_.Close();
  if (rc == store::kOk) return true;
  storeFailure("can not close file", rc);
  return false;
}

Outcome KeyedFile::storeFailure(const char* what, int rc) {
  const bool lostWrite = rc == store::kReadOnly && store_.interruptedWithoutJournal();
  error_ = {quoted(path_), what,
            lostWrite ? std::string("the file is open read-only: ") + kInterruptedDetail
                      : store::StoreErrorText(rc),
            statusCodeOf(rc)};
  return Outcome::Failed;
}

bool KeyedFile::beginJob() {
  const int rc = store_.BeginWrite();
  if (rc != store::kOk) storeFailure("can not begin writing", rc);
  return rc == store::kOk;
}

bool KeyedFile::endJob(bool) {
  const int rc = store_.EndWrite();
  if (rc < 0) storeFailure("can not end writing", rc);
  return rc >= 0;
}

long KeyedFile::count() {
  const int rc = store_.RecordCount();
  if (rc < 0) {
    storeFailure("can not get record count", rc);
    return -1;
  }
  return rc;
}

bool KeyedFile::readHeader(HeaderTexts& texts) {
  std::string what;
  const int rc = readHeaderRecords(store_, kind_.headerName, texts, what);
  if (rc != store::kOk) storeFailure(what.c_str(), rc);
  return rc == store::kOk;
}

bool KeyedFile::writeHeader(const HeaderTexts& texts) {
  std::string what;
  const int rc = writeHeaderRecords(store_, kind_.headerName, texts, what);
  if (rc != store::kOk) storeFailure(what.c_str(), rc);
  return rc == store::kOk;
}

void KeyedFile::checkIndexKeys(std::vector<std::string>& faults) {
  const long records = count();
  if (records < 0) {
    faults.push_back(oneLine(error_.text()));
    return;
  }
  const auto list = dataList();
  for (const store::KeyDef& def : kind_.keys()) {
    const int index = def.index;
    std::vector<std::uint8_t> prev, built;
    std::int32_t prevRecord = 0;
    long entries = 0;
    int rc = store_.Step(index, store::kStepFirst);
    for (; rc == store::kOk; rc = store_.Step(index, store::kStepNext)) {
      const std::int32_t record = store_.CurrentRecord();
      const auto key = store_.CursorKey(index);
      const long node = store_.CursorNode(index);
      if (++entries > records) {
        faults.push_back(strprintf("index %d: more entries than the %ld records (node %ld)", index, records, node));
        break;
      }
      // Entries rise by key, then (duplicate keys) by record number.
      const int order = prev.empty() ? 1 : store_.CompareKeys(index, key, prev);
      if (order < 0 || (order == 0 && record <= prevRecord)) {
        faults.push_back(strprintf("index %d: %s (node %ld)", index,
                                   store::StoreErrorText(store::kTreeKeySequence).c_str(), node));
        break;
      }
      prev.assign(key.begin(), key.end());
      prevRecord = record;
      const int read = store_.ReadRecord(list);
      if (read != store::kOk) {
        faults.push_back(strprintf("index %d: R%ld: %s", index, static_cast<long>(record),
                                   store::StoreErrorText(read).c_str()));
        continue;
      }
      if (store_.BuildKey(index, list, -1, built) != store::kOk || built != prev) {
        faults.push_back(strprintf("index %d: R%ld does not match its key (node %ld)", index,
                                   static_cast<long>(record), node));
      }
      store_.SetCurrentRecord(record);
    }
    if (rc != store::kOk && rc != store::kFail) {
      faults.push_back(strprintf("index %d: %s", index, store::StoreErrorText(rc).c_str()));
    } else if (rc == store::kFail && entries != records) {
      faults.push_back(strprintf("index %d: %ld entries for %ld records", index, entries, records));
    }
  }
}

}  // namespace kestrel::library
