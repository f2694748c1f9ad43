// The shared node cache.
#include "store/node_cache.hpp"

#include <algorithm>
#include <new>

#include "store/pager.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

// Every operation pins a handful of nodes at once (a split holds the node,
// its new sibling, the old sibling and the parent); below this the cache
// could run dry.
constexpr int kMinBuffers = 8;

std::unique_ptr<NodeCache>& theCache() {
  static std::unique_ptr<NodeCache> cache;
  return cache;
}

}  // namespace

NodeCache* NodeCache::instance() { return theCache().get(); }

int NodeCache::startup(int buffers) {
  if (theCache()) return kOk;
  if (buffers <= 0) return kParameterError;
  try {
    theCache() = std::make_unique<NodeCache>(std::max(buffers, kMinBuffers));
  } catch (const std::bad_alloc&) {
    return kMemoryError;
  }
  return kOk;
}

int NodeCache::shutdown() {
  auto& cache = theCache();
  if (!cache) return kOk;
  if (cache->owners() > 0) return kFail;
  cache.reset();
  return kOk;
}

BufferIndex::BufferIndex(std::size_t capacity) {
  std::size_t size = 16;
  while (size < capacity * 4) size *= 2;
  keys_.assign(size, kEmpty);
  values_.assign(size, nullptr);
  mask_ = size - 1;
}

CacheBuffer* BufferIndex::find(std::uint64_t key) const {
  for (std::size_t i = slot(key);; i = (i + 1) & mask_) {
    if (keys_[i] == key) return values_[i];
    if (keys_[i] == kEmpty) return nullptr;
  }
}

void BufferIndex::insert(std::uint64_t key, CacheBuffer* b) {
  std::size_t i = slot(key);
  while (keys_[i] != kEmpty && keys_[i] != key) i = (i + 1) & mask_;
  keys_[i] = key;
  values_[i] = b;
}

void BufferIndex::erase(std::uint64_t key) {
  std::size_t i = slot(key);
  while (keys_[i] != key) {
    if (keys_[i] == kEmpty) return;
    i = (i + 1) & mask_;
  }
  // Shift later entries of the probe run back into the hole.
  for (std::size_t j = (i + 1) & mask_; keys_[j] != kEmpty; j = (j + 1) & mask_) {
    const std::size_t home = slot(keys_[j]);
    const bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
    if (movable) {
      keys_[i] = keys_[j];
      values_[i] = values_[j];
      i = j;
    }
  }
  keys_[i] = kEmpty;
  values_[i] = nullptr;
}

NodeCache::NodeCache(int buffers) : map_(static_cast<std::size_t>(buffers)) {
  buffers_.reserve(static_cast<std::size_t>(buffers));
  for (int i = 0; i < buffers; ++i) {
    buffers_.push_back(std::make_unique<CacheBuffer>());
    use(buffers_.back().get());
  }
}

void NodeCache::unlink(CacheBuffer* b) {
  (b->newer ? b->newer->older : newest_) = b->older;
  (b->older ? b->older->newer : oldest_) = b->newer;
  b->newer = b->older = nullptr;
}

void NodeCache::use(CacheBuffer* b) {
  if (newest_ == b) return;
  if (b->newer != nullptr || b->older != nullptr || oldest_ == b) unlink(b);
  b->older = newest_;
  if (newest_ != nullptr) newest_->newer = b;
  newest_ = b;
  if (oldest_ == nullptr) oldest_ = b;
}

std::uint64_t NodeCache::keyOf(const Pager* owner, std::int32_t number) {
  return std::uint64_t{owner->cacheId()} << 32 | static_cast<std::uint32_t>(number);
}

CacheBuffer* NodeCache::find(const Pager* owner, std::int32_t number) {
  return map_.find(keyOf(owner, number));
}

void NodeCache::forget(CacheBuffer* b) {
  if (b->owner != nullptr) map_.erase(keyOf(b->owner, b->number));
  b->owner = nullptr;
  b->number = -1;
  b->dirty = false;
  // A forgotten buffer is the first to be taken again.
  if (oldest_ != b) {
    unlink(b);
    b->newer = oldest_;
    if (oldest_ != nullptr) oldest_->older = b;
    oldest_ = b;
    if (newest_ == nullptr) newest_ = b;
  }
}

int NodeCache::claim(Pager* owner, std::int32_t number, CacheBuffer*& out) {
  out = nullptr;
  // The least recently used buffer that is not pinned (free ones sink to the end).
  CacheBuffer* victim = oldest_;
  while (victim != nullptr && victim->pins > 0) victim = victim->newer;
  if (victim == nullptr) return kMemoryError;
  if (victim->dirty) {
    const int rc = victim->owner->writeBack(*victim);
    if (rc != kOk) return rc;
  }
  forget(victim);
  victim->owner = owner;
  victim->number = number;
  map_.insert(keyOf(owner, number), victim);
  use(victim);
  out = victim;
  return kOk;
}

void NodeCache::drop(const Pager* owner) {
  for (auto& b : buffers_) {
    if (b->owner == owner) forget(b.get());
  }
}

std::vector<CacheBuffer*> NodeCache::dirtyOf(const Pager* owner) {
  std::vector<CacheBuffer*> out;
  for (auto& b : buffers_) {
    if (b->owner == owner && b->dirty) out.push_back(b.get());
  }
  std::sort(out.begin(), out.end(), [](const CacheBuffer* a, const CacheBuffer* b) { return a->number < b->number; });
  return out;
}

}  // namespace kestrel::store
