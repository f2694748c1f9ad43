// The narrow door through which the record store reaches its file: positioned
// reads and writes, flush, size, growth and one-byte-range locks. The POSIX
// implementation serves the programs; tests put an in-memory file or a
// fault-injecting wrapper in its place (short writes, failure at byte N, a
// crash in the middle of a write, a power cut that drops unflushed data).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrel::store {

enum class LockResult { Locked, Busy, Failed };
enum class LockKind { Exclusive, Shared };

class StoreFile {
 public:
  virtual ~StoreFile() = default;

  // Reads up to `size` bytes at `offset`; returns the count read (short at the
  // end of the file) or -1 on an error.
  virtual long read(std::uint64_t offset, void* buffer, std::size_t size) = 0;
  // Writes `size` bytes at `offset`; returns the count written (short when the
  // disk is full) or -1 on an error.
  virtual long write(std::uint64_t offset, const void* buffer, std::size_t size) = 0;
  // Commits everything written so far to stable storage.
  virtual bool flush() = 0;
  // Length of the file in bytes, -1 on an error.
  virtual std::int64_t size() = 0;
  // Grows the file to `newSize` bytes of zeros, reserving the space, so that a
  // full disk shows here and not in a later write. false when it cannot.
  virtual bool extend(std::uint64_t newSize) = 0;
  // Takes a lock on [offset, offset + length) without waiting. Locks belong
  // to this open file: a second open of the same file, in this process or
  // another, conflicts with them; locks of one open never do (a new lock
  // replaces the old one on the bytes they share). A file open for reading
  // only may hold its exclusive locks as shared ones.
  virtual LockResult tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind = LockKind::Exclusive) = 0;
  virtual bool unlock(std::uint64_t offset, std::uint64_t length) = 0;
};

enum class OpenResult { Ok, NotFound, Exists, Failed, ReadOnly };  // ReadOnly: opened for writing, but read-only

class StoreFileSystem {
 public:
  virtual ~StoreFileSystem() = default;
  // Opens an existing file for reading, or for reading and writing.
  virtual std::unique_ptr<StoreFile> open(const std::string& path, bool writable, OpenResult& result) = 0;
  // Creates a new empty file for reading and writing; fails with Exists when
  // the name is taken.
  virtual std::unique_ptr<StoreFile> createNew(const std::string& path, OpenResult& result) = 0;
  virtual bool remove(const std::string& path) = 0;
};

// The real files of this machine (open-file-description locks).
StoreFileSystem& posixStoreFileSystem();

}  // namespace kestrel::store
