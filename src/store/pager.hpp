// A store handle's view of its file's nodes: cached and checked reads, node
// allocation (free chain first, then the next unused node), pre-extension of
// the file with spare nodes, and the write discipline of a write bracket:
// the journal keeps the original bytes before anything changes, the
// write-in-progress marker is written and flushed before the first node or
// header byte changes, and cleared (and flushed) only after every node and
// the header are written and flushed; then the journal goes.
#pragma once

#include <cstdint>
#include <span>

#include "store/file_format.hpp"
#include "store/journal.hpp"
#include "store/keys.hpp"
#include "store/node_cache.hpp"
#include "store/store_file.hpp"

namespace kestrel::store {

class Pager {
 public:
  Pager(StoreFile& file, FileHeader& header, KeyContext& keys);
  ~Pager();
  Pager(const Pager&) = delete;
  Pager& operator=(const Pager&) = delete;

  std::uint32_t cacheId() const { return id_; }
  FileHeader& header() { return header_; }
  const KeyContext& keys() const { return keys_; }
  const ByteOrder& order() const { return header_.order; }
  StoreFile& file() { return file_; }

  // Node `number`, from the cache or read and checked.
  int get(std::int32_t number, NodeRef& out);
  // A new empty node, taken from the free chain or the spare nodes.
  int allocate(int level, std::int32_t leftmost, std::int32_t right, std::int32_t left, NodeRef& out);
  // Marks a node changed; nothing reaches the file before a write-back.
  int modify(NodeRef& ref);
  // Makes sure `nodes` spare nodes exist past the nodes in use (-8 if not).
  int ensureSpare(int nodes);
  // Called by the cache to write a dirty buffer back.
  int writeBack(CacheBuffer& b);

  // Write bracket end: every dirty node, the header, flush, clear the marker.
  int commit();
  // Forgets every cached node of this handle (another process changed the file).
  void dropCache();
  void markHeaderDirty() { headerDirty_ = true; }
  // The rollback journal the write brackets keep (none: no journal).
  void setJournal(Journal* journal) { journal_ = journal; }
  // Flushes reach the disk only when durable (the default).
  void setDurable(bool on) { durable_ = on; }
  // Bumped whenever cached tree contents may have changed.
  std::uint64_t version() const { return version_; }
  void bumpVersion() { ++version_; }

 private:
  // The journal, when brackets are durable (a file built in one go has none).
  Journal* journal() { return durable_ ? journal_ : nullptr; }
  // Before the first write of a bracket: the journal, then the marker.
  int startWriting(std::span<const std::int32_t> nodes);
  int setMarker();
  int writeHeader();
  int flushFile();

  StoreFile& file_;
  FileHeader& header_;
  KeyContext& keys_;
  std::uint32_t id_;
  bool markerOn_ = false;
  bool headerDirty_ = false;
  bool durable_ = true;
  Journal* journal_ = nullptr;
  std::uint64_t version_ = 1;
};

}  // namespace kestrel::store
