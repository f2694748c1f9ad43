// The one narrow door to files: every read, write, flush, rename, delete and
// document lock goes through it. The POSIX implementation serves the
// programs; tests put a fault-injecting one in its place (short writes, a
// full disk, a failing rename) to show that nothing is ever lost.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/status.hpp"

namespace kestrel {

// Cause codes of file errors, and their names in messages.
enum class FileError : int {
  None = 0,
  Generic = 1,
  FileNotFound = 2,
  BadPath = 3,
  TooManyOpenFiles = 4,
  AccessDenied = 5,
  InvalidFile = 6,
  RemoveCurrentDir = 7,
  DirectoryFull = 8,
  BadSeek = 9,
  HardIO = 10,
  SharingViolation = 11,
  LockViolation = 12,
  DiskFull = 13,
  EndOfFile = 14,
};

// "no error", "generic error", "file not found", ... ; any other code "(%d)".
std::string fileErrorName(int code);

// An advisory lock on a document, held while this object lives. The system
// drops it when the program ends in any way, a crash included.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Who a file is and when it last changed: enough to tell that another
// program wrote it since it was read.
struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole file. Files longer than `maxBytes` are refused.
  virtual Status readFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                          std::size_t maxBytes) = 0;
  // Creates or truncates `path`, writes all of `bytes` and flushes them to disk.
  virtual Status writeFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  virtual Status rename(const std::string& from, const std::string& to) = 0;
  virtual Status remove(const std::string& path) = 0;
  virtual bool exists(const std::string& path) = 0;
  // Flushes the folder holding `path`, so that a rename survives a power cut.
  virtual Status syncFolder(const std::string& path) = 0;

  // Creates `path`, which must not exist yet and is never followed if it is
  // a symbolic link, writes all of `bytes` and flushes them. The safe save
  // writes its temporary files this way, so a planted link or file can not
  // redirect it.
  virtual Status createNewFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (exists(path)) {
      return Status::error(StatusCode::AlreadyExists, "Can not create '" + path + "': the file exists");
    }
    return writeFile(path, bytes);
  }
  // A second name `to` for the file `from` (a hard link); fails where the
  // file system has none, and callers copy instead.
  virtual Status link(const std::string& from, const std::string& /*to*/) {
    // No hard links here is none of the failure kinds; callers copy instead.
    return Status::error(StatusCode::Failed, "Can not link '" + from + "': not supported");
  }
  // The file a save of `path` must replace: the end of a chain of symbolic
  // links, or `path` itself.
  virtual std::string linkTarget(const std::string& path) { return path; }
  // The names (not paths) of the entries of `folder`; empty when it can not
  // be read.
  virtual std::vector<std::string> folderEntries(const std::string& /*folder*/) { return {}; }
  // Takes the advisory lock of the document at `path` without waiting. When
  // another program holds it, returns ok with `lock` empty and `holder`
  // saying who ("alice on host (pid 1234)"). A program may take a lock it
  // holds again; the lock goes when the last of its holders does.
  virtual Status tryLock(const std::string& path, std::unique_ptr<FileLock>& lock, std::string& holder) = 0;
  virtual FileStamp stamp(const std::string& path) = 0;
  // True for an existing file its owner has made read-only (no write
  // permission bit): a save refuses to replace it, whoever runs the program.
  virtual bool readOnly(const std::string& /*path*/) { return false; }
};

// The real file system of this machine.
FileSystem& posixFileSystem();

}  // namespace kestrel
