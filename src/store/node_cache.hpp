// The process-wide cache of node buffers shared by every open store handle.
// A buffer holds one node with its owner (a handle's pager), node number and
// dirty flag. Buffers in use are pinned through NodeRef; a miss takes the
// least recently used unpinned buffer, writing it back first when dirty.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "store/node.hpp"

namespace kestrel::store {

class Pager;

struct CacheBuffer {
  NodeImage node;
  Pager* owner = nullptr;
  std::int32_t number = -1;
  bool dirty = false;
  int pins = 0;
  CacheBuffer* newer = nullptr;  // the use list, most recent first
  CacheBuffer* older = nullptr;
};

// Buffers by (owner, node number): open addressing, no allocation per entry.
class BufferIndex {
 public:
  explicit BufferIndex(std::size_t capacity);
  CacheBuffer* find(std::uint64_t key) const;
  void insert(std::uint64_t key, CacheBuffer* b);
  void erase(std::uint64_t key);

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
  std::size_t slot(std::uint64_t key) const { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & mask_; }
  std::vector<std::uint64_t> keys_;
  std::vector<CacheBuffer*> values_;
  std::size_t mask_;
};

class NodeCache {
 public:
  // The cache of this process, null before startup.
  static NodeCache* instance();
  static int startup(int buffers);
  static int shutdown();

  explicit NodeCache(int buffers);
  CacheBuffer* find(const Pager* owner, std::int32_t number);
  // A buffer for (owner, number), its old content written back or dropped.
  int claim(Pager* owner, std::int32_t number, CacheBuffer*& out);
  // Forgets one buffer without writing it.
  void discard(CacheBuffer* b) { forget(b); }
  // Forgets every buffer of `owner` without writing it.
  void drop(const Pager* owner);
  // The dirty buffers of `owner`, by node number.
  std::vector<CacheBuffer*> dirtyOf(const Pager* owner);
  // Moves a buffer to the front of the use list.
  void use(CacheBuffer* b);

  void attach() { ++owners_; }
  void detach() { --owners_; }
  int owners() const { return owners_; }
  int size() const { return static_cast<int>(buffers_.size()); }

 private:
  static std::uint64_t keyOf(const Pager* owner, std::int32_t number);
  void forget(CacheBuffer* b);
  void unlink(CacheBuffer* b);

  std::vector<std::unique_ptr<CacheBuffer>> buffers_;
  BufferIndex map_;
  CacheBuffer* newest_ = nullptr;
  CacheBuffer* oldest_ = nullptr;
  int owners_ = 0;
};

// A pinned cache buffer; unpins when it goes.
class NodeRef {
 public:
  NodeRef() = default;
  ~NodeRef() { reset(); }
  NodeRef(NodeRef&& o) noexcept : b_(o.b_) { o.b_ = nullptr; }
  NodeRef& operator=(NodeRef&& o) noexcept {
    if (this != &o) {
      reset();
      b_ = o.b_;
      o.b_ = nullptr;
    }
    return *this;
  }
  NodeRef(const NodeRef&) = delete;
  NodeRef& operator=(const NodeRef&) = delete;

  void bind(CacheBuffer* b) {
    reset();
    b_ = b;
    ++b_->pins;
  }
  void reset() {
    if (b_ != nullptr) --b_->pins;
    b_ = nullptr;
  }
  NodeImage& operator*() const { return b_->node; }
  NodeImage* operator->() const { return &b_->node; }
  std::int32_t number() const { return b_->number; }
  CacheBuffer* buffer() const { return b_; }

 private:
  CacheBuffer* b_ = nullptr;
};

}  // namespace kestrel::store
