#include "core/posix_file_lock.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "core/strfmt.hpp"

namespace kestrel::detail {
namespace {

// The locks this program holds, by lock file, with how many holders each.
struct Held {
  int fd = -1;
  int holders = 0;
};

std::mutex& heldMutex() {
  static std::mutex m;
  return m;
}

std::map<std::string, Held>& heldLocks() {
  static std::map<std::string, Held> held;
  return held;
}

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(std::string lockPath) : lockPath_(std::move(lockPath)) {}
  ~PosixFileLock() override {
    std::lock_guard<std::mutex> guard(heldMutex());
    auto it = heldLocks().find(lockPath_);
    if (it == heldLocks().end() || --it->second.holders > 0) return;
    // Removed while still held: a program waiting on this file finds its
    // name gone and starts again on a fresh one.
    (void)::unlink(lockPath_.c_str());
    ::close(it->second.fd);
    heldLocks().erase(it);
  }

 private:
  std::string lockPath_;
};

// Folders where no lock file can be made take no file either: the save that
// follows reports that. This lock stands for "nothing to guard".
class NoFileLock final : public FileLock {};

std::string userName() {
  if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_name != nullptr) return pw->pw_name;
  if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') return user;
  return "uid " + std::to_string(::geteuid());
}

std::string thisHolder() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "?");
  return strprintf("%s on %s (pid %ld)", userName().c_str(), host, static_cast<long>(::getpid()));
}

std::string holderIn(int fd) {
  char text[300] = {};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  std::string holder = n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
  while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\0')) holder.pop_back();
  return holder.empty() ? "another program" : holder;
}

bool sameFile(int fd, const std::string& path) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

std::string lockFilePath(const std::string& documentPath) {
  std::error_code ec;
  std::filesystem::path real = std::filesystem::weakly_canonical(documentPath, ec);
  if (ec) real = std::filesystem::absolute(documentPath, ec);
  if (ec) real = documentPath;
  return real.string() + ".lock";
}

Status tryLockPosix(const std::string& documentPath, std::unique_ptr<FileLock>& lock, std::string& holder) {
  lock.reset();
  holder.clear();
  const std::string lockPath = lockFilePath(documentPath);
  std::lock_guard<std::mutex> guard(heldMutex());
  if (auto it = heldLocks().find(lockPath); it != heldLocks().end()) {
    ++it->second.holders;
    lock = std::make_unique<PosixFileLock>(lockPath);
    return Status::ok();
  }
  // A holder removes its lock file as it lets go: a file locked after its
  // name went is a stale one, so take the name again.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int err = errno;
      if (err == ENOENT || err == EACCES || err == EROFS || err == ENOTDIR) {
        lock = std::make_unique<NoFileLock>();
        return Status::ok();
      }
      return Status::error(StatusCode::Io, "Can not lock '" + documentPath + "': " + std::strerror(err));
    }
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
      const int err = errno;
      if (err == EAGAIN || err == EACCES) {
        holder = holderIn(fd);
        ::close(fd);
        return Status::ok();
      }
      ::close(fd);
      return Status::error(StatusCode::Io, "Can not lock '" + documentPath + "': " + std::strerror(err));
    }
    if (!sameFile(fd, lockPath)) {
      ::close(fd);
      continue;
    }
    const std::string text = thisHolder() + "\n";
    // Without the name the lock holds all the same; a waiter then says "another program".
    if (::ftruncate(fd, 0) == 0) (void)::pwrite(fd, text.data(), text.size(), 0);
    heldLocks()[lockPath] = Held{fd, 1};
    lock = std::make_unique<PosixFileLock>(lockPath);
    return Status::ok();
  }
  return Status::error(StatusCode::Locked, "Can not lock '" + documentPath + "': its lock file keeps changing");
}

FileStamp stampPosix(const std::string& path) {
  FileStamp stamp;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = static_cast<std::uint64_t>(st.st_dev);
  stamp.inode = static_cast<std::uint64_t>(st.st_ino);
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

}  // namespace kestrel::detail
