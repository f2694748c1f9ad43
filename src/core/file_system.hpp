// The one narrow door to files: every read, write, flush, rename and delete
// of a document goes through it. The POSIX implementation serves the
// programs; tests put a fault-injecting one in its place (short writes, a
// full disk, a failing rename) to show that nothing is ever lost.
#pragma once

#include <cstdint>
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
    if (exists(path)) return Status::error("Can not create '" + path + "': the file exists");
    return writeFile(path, bytes);
  }
  // A second name `to` for the file `from` (a hard link); fails where the
  // file system has none, and callers copy instead.
  virtual Status link(const std::string& from, const std::string& /*to*/) {
    return Status::error("Can not link '" + from + "': not supported");
  }
  // The file a save of `path` must replace: the end of a chain of symbolic
  // links, or `path` itself.
  virtual std::string linkTarget(const std::string& path) { return path; }
  // The names (not paths) of the entries of `folder`; empty when it can not
  // be read.
  virtual std::vector<std::string> folderEntries(const std::string& /*folder*/) { return {}; }
};

// The real file system of this machine.
FileSystem& posixFileSystem();

}  // namespace kestrel
