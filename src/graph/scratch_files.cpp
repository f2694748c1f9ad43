// POSIX implementation of the temporary folder's file operations.
#include "graph/scratch_files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrel::graph {
namespace {

class PosixScratchFiles final : public ScratchFiles {
 public:
  int makeFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

  int removeFolder(const std::string& path) override { return ::rmdir(path.c_str()) == 0 ? 0 : errno; }

  int listFolder(const std::string& path, std::vector<std::string>& names) override {
    names.clear();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return errno;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    const int err = errno;
    ::closedir(dir);
    return err;
  }

  int readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t maxBytes) override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0) {
      err = errno;
    } else if (!S_ISREG(st.st_mode)) {
      err = EISDIR;
    } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
      err = EFBIG;
    }
    if (err == 0) {
      bytes.resize(static_cast<std::size_t>(st.st_size));
      std::size_t done = 0;
      while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          err = errno;
          break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
      }
      bytes.resize(done);
    }
    ::close(fd);
    return err;
  }

  WriteResult writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return {errno, WriteResult::Step::Open};
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const int err = n < 0 ? errno : ENOSPC;
        ::close(fd);
        return {err, WriteResult::Step::Write};
      }
      done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) return {errno, WriteResult::Step::Close};
    return {};
  }

  int removeFile(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }
};

}  // namespace

ScratchFiles& posixScratchFiles() {
  static PosixScratchFiles files;
  return files;
}

}  // namespace kestrel::graph
