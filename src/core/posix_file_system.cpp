// POSIX implementation of the file door.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "core/file_system.hpp"
#include "core/posix_file_lock.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

FileError causeOf(int err) {
  switch (err) {
    case ENOENT: return FileError::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL: return FileError::BadPath;
    case EMFILE:
    case ENFILE: return FileError::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::AccessDenied;
    case EBADF: return FileError::InvalidFile;
    case ENOSPC:
    case EDQUOT: return FileError::DiskFull;
    case EIO: return FileError::HardIO;
    case ESPIPE: return FileError::BadSeek;
    default: return FileError::Generic;
  }
}

StatusCode codeOf(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return StatusCode::NotFound;
    case EEXIST: return StatusCode::AlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS: return StatusCode::Denied;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP: return StatusCode::InvalidArgument;
    default: return StatusCode::Io;
  }
}

Status failure(const std::string& what, const std::string& path, int err) {
  return Status::error(codeOf(err), what + " '" + path + "': " + fileErrorName(static_cast<int>(causeOf(err))) +
                                        " (" + std::strerror(err) + ")");
}

// Writes all of `bytes` to the open file, flushes it and closes it.
Status writeAndClose(int fd, const std::string& path, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      ::close(fd);
      return failure("Can not write", path, err);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) {
    const int err = errno;
    ::close(fd);
    return failure("Can not flush", path, err);
  }
  if (::close(fd) != 0) return failure("Can not close", path, errno);
  return Status::ok();
}

class PosixFileSystem final : public FileSystem {
 public:
  Status readFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                  std::size_t maxBytes) override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure("Can not open", path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      const int err = errno;
      ::close(fd);
      return failure("Can not read", path, err);
    }
    if (!S_ISREG(st.st_mode)) {
      ::close(fd);
      return Status::error(StatusCode::InvalidArgument, "Can not read '" + path + "': not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
      ::close(fd);
      return Status::error(StatusCode::InvalidArgument, "Can not read '" + path + "': the file is larger than " +
                           std::to_string(maxBytes) + " bytes");
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int err = errno;
        ::close(fd);
        return failure("Can not read", path, err);
      }
      if (n == 0) break;  // shrank while reading
      done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return Status::ok();
  }

  Status writeFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return failure("Can not create", path, errno);
    return writeAndClose(fd, path, bytes);
  }

  Status createNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return failure("Can not create", path, errno);
    return writeAndClose(fd, path, bytes);
  }

  Status link(const std::string& from, const std::string& to) override {
    if (::link(from.c_str(), to.c_str()) != 0) return failure("Can not link", from, errno);
    return Status::ok();
  }

  std::string linkTarget(const std::string& path) override {
    std::string current = path;
    // A loop of links ends the walk; the save then fails on the name itself.
    for (int hop = 0; hop < 40; ++hop) {
      struct stat st {};
      if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
      std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
      const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
      if (n <= 0) return current;
      target.resize(static_cast<std::size_t>(n));
      if (target.front() != '/') {
        const auto slash = current.find_last_of('/');
        if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
      }
      current = target;
    }
    return current;
  }

  std::vector<std::string> folderEntries(const std::string& folder) override {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
  }

  Status rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return failure("Can not rename", from, errno);
    return Status::ok();
  }

  Status remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return failure("Can not delete", path, errno);
    return Status::ok();
  }

  bool exists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }

  Status syncFolder(const std::string& path) override {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failure("Can not open folder", folder, errno);
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0 && err != EINVAL) return failure("Can not flush folder", folder, err);
    return Status::ok();
  }

  Status tryLock(const std::string& path, std::unique_ptr<FileLock>& lock, std::string& holder) override {
    return detail::tryLockPosix(path, lock, holder);
  }

  FileStamp stamp(const std::string& path) override { return detail::stampPosix(path); }

  bool readOnly(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
  }
};

}  // namespace

std::string fileErrorName(int code) {
  static constexpr const char* kNames[] = {"no error",
                                           "generic error",
                                           "file not found",
                                           "invalid path",
                                           "too many open files",
                                           "access denied",
                                           "invalid file handle",
                                           "can not remove current directory",
                                           "directory is full",
                                           "seek error",
                                           "hardware error",
                                           "sharing violation",
                                           "locking violation",
                                           "disk is full",
                                           "end of file"};
  if (code >= 0 && code < static_cast<int>(std::size(kNames))) return kNames[code];
  return strprintf("(%d)", code);
}

FileSystem& posixFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace kestrel
