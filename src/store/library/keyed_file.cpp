#include "store/library/keyed_file.hpp"

namespace kestrel::library {
namespace {

constexpr std::size_t kRecordBuffer = 1280;

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
    error = {quoted(path), kind_.createFailed, store::StoreErrorText(rc)};
    return false;
  }
  std::string what;
  rc = initialiseKeyedFile(store_, kind_.headerName, kind_.trees, kind_.version, kind_.descriptionLabel, what);
  if (rc != store::kOk) {
    error = {quoted(path), what, store::StoreErrorText(rc)};
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
    error = {quoted(path), kind_.openFailed, rc == store::kFail ? "file not found" : store::StoreErrorText(rc)};
    return false;
  }
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
  error_ = {quoted(path_), what, store::StoreErrorText(rc)};
  return Outcome::Failed;
}

void KeyedFile::fail(std::string what, std::string detail) {
  error_ = {quoted(path_), std::move(what), std::move(detail)};
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

}  // namespace kestrel::library
