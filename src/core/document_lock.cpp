#include "core/document_lock.hpp"

#include <atomic>
#include <thread>

namespace kestrel {
namespace {

std::atomic<long long>& waitMs() {
  static std::atomic<long long> ms{5000};
  return ms;
}

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
    if (lock) return Status::ok();
    if (Clock::now() >= giveUp) break;
    std::this_thread::sleep_for(kPoll);
  }
  return Status::error("'" + path + "': locked by " + holder + "; try again later");
}

bool changedOnDisk(FileSystem& fs, const std::string& path, const FileStamp& known) {
  if (!known.exists) return false;  // never read from a file
  const FileStamp now = fs.stamp(path);
  return now.exists && now != known;  // a file since removed is simply written again
}

}  // namespace kestrel
