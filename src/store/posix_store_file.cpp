// The record store's file interface on POSIX: reads through a read-only
// shared mapping of the file (pread past its end or where mapping fails),
// pwrite, fdatasync, posix_fallocate and open-file-description byte-range
// locks (F_OFD_SETLK), which conflict between two opens of one file even
// inside one process.
//
// The mapping covers the file as long as it was when last mapped and is
// renewed when a read reaches past it; writes through the descriptor show
// in it at once (one page cache). Store files only ever grow; a file cut
// shorter by someone else while it is open is outside what this handles.
#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "store/store_file.hpp"

namespace kestrel::store {
namespace {

class PosixStoreFile final : public StoreFile {
 public:
  PosixStoreFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
  ~PosixStoreFile() override {
    if (map_ != nullptr) ::munmap(map_, mapped_);
    ::close(fd_);
  }
  PosixStoreFile(const PosixStoreFile&) = delete;
  PosixStoreFile& operator=(const PosixStoreFile&) = delete;

  long read(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (inMap(offset, size) || (remap() && inMap(offset, size))) {
      std::memcpy(buffer, static_cast<const char*>(map_) + offset, size);
      return static_cast<long>(size);
    }
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done,
                                static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return static_cast<long>(done);
  }

  long write(std::uint64_t offset, const void* buffer, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buffer) + done, size - done,
                                 static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return done > 0 ? static_cast<long>(done) : -1;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return static_cast<long>(done);
  }

  bool flush() override { return ::fdatasync(fd_) == 0; }

  std::int64_t size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return -1;
    return st.st_size;
  }

  bool extend(std::uint64_t newSize) override {
    const std::int64_t now = size();
    if (now < 0) return false;
    if (static_cast<std::uint64_t>(now) >= newSize) return true;
    const int rc = ::posix_fallocate(fd_, static_cast<off_t>(now), static_cast<off_t>(newSize - now));
    if (rc == 0) return true;
    if (rc != EOPNOTSUPP && rc != EINVAL) return false;
    // A file system without allocation: write the zeros.
    static const char zeros[4096] = {};
    for (std::uint64_t at = static_cast<std::uint64_t>(now); at < newSize;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof zeros, newSize - at));
      if (write(at, zeros, n) != static_cast<long>(n)) return false;
      at += n;
    }
    return true;
  }

  LockResult tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) override {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    // A descriptor open for reading only can hold shared locks only.
    fl.l_type = (kind == LockKind::Shared || !writable_) ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    for (;;) {
      if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return LockResult::Locked;
      if (errno == EINTR) continue;
      return (errno == EAGAIN || errno == EACCES) ? LockResult::Busy : LockResult::Failed;
    }
  }

  bool unlock(std::uint64_t offset, std::uint64_t length) override {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    return ::fcntl(fd_, F_OFD_SETLK, &fl) == 0;
  }

 private:
  bool inMap(std::uint64_t offset, std::size_t size) const {
    return map_ != nullptr && offset <= mapped_ && size <= mapped_ - offset;
  }
  // Maps the file afresh when it has grown; false when nothing changed.
  bool remap() {
    struct stat st;
    if (::fstat(fd_, &st) != 0 || st.st_size <= 0 || static_cast<std::uint64_t>(st.st_size) <= mapped_) return false;
    if (map_ != nullptr) ::munmap(map_, mapped_);
    map_ = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd_, 0);
    if (map_ == MAP_FAILED) {
      map_ = nullptr;
      mapped_ = 0;
      return false;
    }
    mapped_ = static_cast<std::size_t>(st.st_size);
    return true;
  }

  int fd_;
  bool writable_;
  void* map_ = nullptr;
  std::size_t mapped_ = 0;
};

class PosixStoreFileSystem final : public StoreFileSystem {
  static void syncFolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
  }

 public:
  std::unique_ptr<StoreFile> open(const std::string& path, bool writable, OpenResult& result) override {
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
      result = errno == ENOENT ? OpenResult::NotFound : OpenResult::Failed;
      return nullptr;
    }
    // A file its owner made read-only is not changed, whoever runs the program.
    struct stat st {};
    if (writable && ::fstat(fd, &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      ::close(fd);
      result = OpenResult::ReadOnly;
      return nullptr;
    }
    result = OpenResult::Ok;
    return std::make_unique<PosixStoreFile>(fd, writable);
  }

  std::unique_ptr<StoreFile> createNew(const std::string& path, OpenResult& result) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      result = errno == EEXIST ? OpenResult::Exists : OpenResult::Failed;
      return nullptr;
    }
    // The new name is made durable at once: a journal whose name a power
    // cut took back would leave its store with nothing to roll back with.
    syncFolderOf(path);
    result = OpenResult::Ok;
    return std::make_unique<PosixStoreFile>(fd, true);
  }

  bool remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
};

}  // namespace

StoreFileSystem& posixStoreFileSystem() {
  static PosixStoreFileSystem fs;
  return fs;
}

}  // namespace kestrel::store
