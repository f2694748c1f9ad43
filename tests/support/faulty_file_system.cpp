#include "support/faulty_file_system.hpp"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kestrel::test {

Status FaultyFileSystem::readFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                                  std::size_t maxBytes) {
  return posixFileSystem().readFile(path, bytes, maxBytes);
}

Status FaultyFileSystem::writeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  ++writes;
  if (writes == failWriteNumber) return Status::error(StatusCode::Io, "Can not write '" + path + "': " + fileErrorName(13));
  if (failWriteAfter >= 0 && bytes.size() > static_cast<std::size_t>(failWriteAfter)) {
    // What a crash or a full disk leaves: the first bytes only.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), failWriteAfter);
    return Status::error(StatusCode::Io, "Can not write '" + path + "': " + fileErrorName(13));
  }
  return posixFileSystem().writeFile(path, bytes);
}

Status FaultyFileSystem::createNewFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (posixFileSystem().exists(path)) return posixFileSystem().createNewFile(path, bytes);
  if (Status s = writeFile(path, bytes); !s) return s;
  return Status::ok();
}

Status FaultyFileSystem::link(const std::string& from, const std::string& to) {
  if (noHardLinks) return Status::error("Can not link '" + from + "': not supported");
  return posixFileSystem().link(from, to);
}

std::string FaultyFileSystem::linkTarget(const std::string& path) { return posixFileSystem().linkTarget(path); }

std::vector<std::string> FaultyFileSystem::folderEntries(const std::string& folder) {
  return posixFileSystem().folderEntries(folder);
}

Status FaultyFileSystem::rename(const std::string& from, const std::string& to) {
  if (++renames == failRenameNumber) return Status::error(StatusCode::Denied, "Can not rename '" + from + "': access denied");
  return posixFileSystem().rename(from, to);
}

Status FaultyFileSystem::remove(const std::string& path) { return posixFileSystem().remove(path); }

bool FaultyFileSystem::exists(const std::string& path) { return posixFileSystem().exists(path); }

Status FaultyFileSystem::syncFolder(const std::string& path) { return posixFileSystem().syncFolder(path); }

Status FaultyFileSystem::tryLock(const std::string& path, std::unique_ptr<FileLock>& lock, std::string& holder) {
  if (lockHolder.empty()) return posixFileSystem().tryLock(path, lock, holder);
  lock.reset();
  holder = lockHolder;
  return Status::ok();
}

FileStamp FaultyFileSystem::stamp(const std::string& path) { return posixFileSystem().stamp(path); }

TempFolder::TempFolder() {
  char name[] = "/tmp/kestrel-test-XXXXXX";
  path_ = ::mkdtemp(name) != nullptr ? name : "/tmp";
}

TempFolder::~TempFolder() {
  std::error_code ec;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempFolder::list() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kestrel::test
