// The fault-injecting store file: counts bytes written across all its files
// and fails, tears or freezes them where the plan says.
#include "store/fault_file.hpp"

#include <algorithm>

namespace kestrel::store {
namespace {

class FaultFile final : public StoreFile {
 public:
  FaultFile(std::unique_ptr<StoreFile> inner, std::shared_ptr<FaultPlan> plan)
      : inner_(std::move(inner)), plan_(std::move(plan)) {}

  long read(std::uint64_t offset, void* buffer, std::size_t size) override {
    return inner_->read(offset, buffer, size);
  }

  long write(std::uint64_t offset, const void* buffer, std::size_t size) override {
    FaultPlan& p = *plan_;
    if (p.crashed) return static_cast<long>(size);  // the process is gone: nothing arrives
    ++p.writes;
    std::size_t allowed = size;
    bool fail = false;
    bool crash = false;
    if (p.failAtByte >= 0 && p.bytesWritten + static_cast<std::int64_t>(size) > p.failAtByte) {
      allowed = static_cast<std::size_t>(std::max<std::int64_t>(0, p.failAtByte - p.bytesWritten));
      fail = true;
    }
    if (p.crashAtByte >= 0 && p.bytesWritten + static_cast<std::int64_t>(size) > p.crashAtByte) {
      allowed = std::min(allowed, static_cast<std::size_t>(std::max<std::int64_t>(0, p.crashAtByte - p.bytesWritten)));
      crash = true;
    }
    if (p.dropUnflushed) remember(offset, allowed);
    long n = allowed > 0 ? inner_->write(offset, buffer, allowed) : 0;
    if (n > 0) p.bytesWritten += n;
    if (crash) {
      p.crashed = true;
      if (p.dropUnflushed) powerCut();
      if (p.onCrash) p.onCrash();
      return static_cast<long>(size);
    }
    if (fail) return n > 0 ? n : -1;
    return n;
  }

  bool flush() override {
    FaultPlan& p = *plan_;
    if (p.crashed) return true;
    if (++p.flushes == p.failFlushNumber) return false;
    if (!inner_->flush()) return false;
    undo_.clear();
    return true;
  }

  std::int64_t size() override { return inner_->size(); }

  bool extend(std::uint64_t newSize) override {
    if (plan_->crashed) return true;
    if (plan_->failExtend) return false;
    return inner_->extend(newSize);
  }

  LockResult tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) override {
    return inner_->tryLock(offset, length, kind);
  }
  bool unlock(std::uint64_t offset, std::uint64_t length) override { return inner_->unlock(offset, length); }

 private:
  struct Undo {
    std::uint64_t offset;
    std::vector<std::uint8_t> old;
  };

  void remember(std::uint64_t offset, std::size_t size) {
    if (size == 0) return;
    Undo u{offset, std::vector<std::uint8_t>(size, 0)};
    const long n = inner_->read(offset, u.old.data(), size);
    if (n < 0) return;
    undo_.push_back(std::move(u));
  }

  // Undoes a random choice of the writes since the last flush, newest first.
  void powerCut() {
    std::uint32_t x = plan_->seed * 2654435761u + 1;
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      if (x & 1) inner_->write(it->offset, it->old.data(), it->old.size());
    }
    undo_.clear();
  }

  std::unique_ptr<StoreFile> inner_;
  std::shared_ptr<FaultPlan> plan_;
  std::vector<Undo> undo_;
};

}  // namespace

std::unique_ptr<StoreFile> FaultFileSystem::open(const std::string& path, bool writable, OpenResult& result) {
  auto f = inner_.open(path, writable, result);
  if (!f) return nullptr;
  return std::make_unique<FaultFile>(std::move(f), plan_);
}

std::unique_ptr<StoreFile> FaultFileSystem::createNew(const std::string& path, OpenResult& result) {
  auto f = inner_.createNew(path, result);
  if (!f) return nullptr;
  return std::make_unique<FaultFile>(std::move(f), plan_);
}

bool FaultFileSystem::remove(const std::string& path) {
  if (plan_->crashed) return true;
  return inner_.remove(path);
}

}  // namespace kestrel::store
