// In-memory store files with per-open byte-range locks.
#include "store/memory_file.hpp"

#include <algorithm>
#include <cstring>

namespace kestrel::store {

struct MemoryFileSystem::Shared {
  struct Range {
    int owner;
    std::uint64_t begin, end;
    bool shared;
  };
  std::vector<std::uint8_t> data;
  std::vector<Range> locks;
  int nextOwner = 1;
  std::shared_ptr<const std::uint64_t> capacity;
};

namespace {

using Shared = MemoryFileSystem::Shared;

class MemoryFile final : public StoreFile {
 public:
  MemoryFile(std::shared_ptr<Shared> shared, bool writable)
      : shared_(std::move(shared)), owner_(shared_->nextOwner++), writable_(writable) {}
  ~MemoryFile() override {
    auto& locks = shared_->locks;
    locks.erase(std::remove_if(locks.begin(), locks.end(), [&](const Shared::Range& r) { return r.owner == owner_; }),
                locks.end());
  }

  long read(std::uint64_t offset, void* buffer, std::size_t size) override {
    const auto& data = shared_->data;
    if (offset >= data.size()) return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, data.size() - offset));
    if (n > 0) std::memcpy(buffer, data.data() + offset, n);
    return static_cast<long>(n);
  }

  long write(std::uint64_t offset, const void* buffer, std::size_t size) override {
    if (!writable_) return -1;
    std::uint64_t end = offset + size;
    const std::uint64_t cap = *shared_->capacity;
    if (cap != 0 && end > cap) end = std::max<std::uint64_t>(cap, offset);
    const std::size_t n = static_cast<std::size_t>(end - offset);
    if (n == 0 && size != 0) return -1;
    auto& data = shared_->data;
    if (data.size() < end) data.resize(static_cast<std::size_t>(end), 0);
    if (n > 0) std::memcpy(data.data() + offset, buffer, n);
    return static_cast<long>(n);
  }

  bool flush() override { return true; }
  std::int64_t size() override { return static_cast<std::int64_t>(shared_->data.size()); }

  bool extend(std::uint64_t newSize) override {
    if (!writable_) return false;
    const std::uint64_t cap = *shared_->capacity;
    if (cap != 0 && newSize > cap) return false;
    if (shared_->data.size() < newSize) shared_->data.resize(static_cast<std::size_t>(newSize), 0);
    return true;
  }

  LockResult tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) override {
    const std::uint64_t end = offset + length;
    const bool shared = kind == LockKind::Shared;
    for (const auto& r : shared_->locks) {
      if (r.owner != owner_ && r.begin < end && offset < r.end && !(shared && r.shared)) return LockResult::Busy;
    }
    unlock(offset, length);
    shared_->locks.push_back({owner_, offset, end, shared});
    return LockResult::Locked;
  }

  bool unlock(std::uint64_t offset, std::uint64_t length) override {
    const std::uint64_t end = offset + length;
    std::vector<Shared::Range> kept;
    for (const auto& r : shared_->locks) {
      if (r.owner != owner_ || r.end <= offset || end <= r.begin) {
        kept.push_back(r);
        continue;
      }
      if (r.begin < offset) kept.push_back({owner_, r.begin, offset, r.shared});
      if (end < r.end) kept.push_back({owner_, end, r.end, r.shared});
    }
    shared_->locks = std::move(kept);
    return true;
  }

 private:
  std::shared_ptr<Shared> shared_;
  int owner_;
  bool writable_;
};

}  // namespace

std::unique_ptr<StoreFile> MemoryFileSystem::open(const std::string& path, bool writable, OpenResult& result) {
  auto it = files_.find(path);
  if (it == files_.end()) {
    result = OpenResult::NotFound;
    return nullptr;
  }
  result = OpenResult::Ok;
  return std::make_unique<MemoryFile>(it->second, writable);
}

std::unique_ptr<StoreFile> MemoryFileSystem::createNew(const std::string& path, OpenResult& result) {
  if (files_.count(path) != 0) {
    result = OpenResult::Exists;
    return nullptr;
  }
  auto shared = std::make_shared<Shared>();
  shared->capacity = capacity_;
  files_[path] = shared;
  result = OpenResult::Ok;
  return std::make_unique<MemoryFile>(shared, true);
}

bool MemoryFileSystem::remove(const std::string& path) { return files_.erase(path) != 0; }

void MemoryFileSystem::put(const std::string& path, std::vector<std::uint8_t> bytes) {
  auto shared = std::make_shared<Shared>();
  shared->capacity = capacity_;
  shared->data = std::move(bytes);
  files_[path] = shared;
}

std::vector<std::uint8_t> MemoryFileSystem::bytes(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? std::vector<std::uint8_t>{} : it->second->data;
}

}  // namespace kestrel::store
