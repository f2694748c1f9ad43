#include "core/document_lock.hpp"

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace kestrel {
namespace {

std::atomic<long long>& waitMs() {
  static std::atomic<long long> ms{5000};
  return ms;
}

// How this program left each document it locked: a file found so is not
// another program's work.
struct LeftByUs {
  std::mutex mutex;
  std::map<std::string, FileStamp> stamps;
};

LeftByUs& leftByUs() {
  static LeftByUs left;
  return left;
}

std::string keyOf(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : real.string();
}

// The lock of the file system, noting the file as it is when let go.
class NotingLock final : public FileLock {
 public:
  NotingLock(FileSystem& fs, std::string path, std::unique_ptr<FileLock> held)
      : fs_(fs), path_(std::move(path)), held_(std::move(held)) {}
  ~NotingLock() override {
    const FileStamp now = fs_.stamp(path_);
    std::lock_guard<std::mutex> guard(leftByUs().mutex);
    leftByUs().stamps[keyOf(path_)] = now;
  }

 private:
  FileSystem& fs_;
  std::string path_;
  std::unique_ptr<FileLock> held_;
};

}  // namespace

std::chrono::milliseconds documentLockWait() { return std::chrono::milliseconds(waitMs().load()); }

void setDocumentLockWait(std::chrono::milliseconds wait) { waitMs() = wait.count() < 0 ? 0 : wait.count(); }

Status lockDocument(FileSystem& fs, const std::string& path, DocumentLock& lock) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point giveUp = Clock::now() + documentLockWait();
  // Short polls: a holder usually lets go within a save or two.
  constexpr auto kPoll = std::chrono::milliseconds(10);
  std::string holder;
  for (;;) {
    if (Status s = fs.tryLock(path, lock, holder); !s) return s;
    if (lock) {
      lock = std::make_unique<NotingLock>(fs, path, std::move(lock));
      return Status::ok();
    }
    if (Clock::now() >= giveUp) break;
    std::this_thread::sleep_for(kPoll);
  }
  return Status::error(StatusCode::Locked, "'" + path + "': locked by " + holder + "; try again later");
}

bool changedOnDisk(FileSystem& fs, const std::string& path, const FileStamp& known) {
  if (!known.exists) return false;  // never read from a file
  const FileStamp now = fs.stamp(path);
  if (!now.exists || now == known) return false;  // a file since removed is simply written again
  std::lock_guard<std::mutex> guard(leftByUs().mutex);
  const auto left = leftByUs().stamps.find(keyOf(path));
  return left == leftByUs().stamps.end() || left->second != now;
}

}  // namespace kestrel
