// A file system for tests that works on real files but can be told to fail:
// a write that stops after N bytes (a full disk, a crash half-way), or the
// N-th rename or delete.
#pragma once

#include <string>

#include "core/file_system.hpp"

namespace kestrel::test {

class FaultyFileSystem final : public FileSystem {
 public:
  Status readFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                  std::size_t maxBytes) override;
  Status writeFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  Status rename(const std::string& from, const std::string& to) override;
  Status remove(const std::string& path) override;
  bool exists(const std::string& path) override;
  Status syncFolder(const std::string& path) override;
  Status createNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  Status link(const std::string& from, const std::string& to) override;
  std::string linkTarget(const std::string& path) override;
  std::vector<std::string> folderEntries(const std::string& folder) override;
  Status tryLock(const std::string& path, std::unique_ptr<FileLock>& lock, std::string& holder) override;
  FileStamp stamp(const std::string& path) override;

  // A write stops with "disk is full" after this many bytes (-1: never).
  long failWriteAfter = -1;
  // The n-th rename (1-based) fails (0: never).
  int failRenameNumber = 0;
  int renames = 0;
  // Hard links fail, as on file systems that have none.
  bool noHardLinks = false;
  // When set, every document lock is held by this other program.
  std::string lockHolder;
  int writes = 0;
  // The n-th write (1-based) fails before writing anything (0: never).
  int failWriteNumber = 0;
};

// A fresh empty folder under /tmp, removed when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> list() const;

 private:
  std::string path_;
};

}  // namespace kestrel::test
