// Node reads, allocation, pre-extension and the ordered writes of a bracket.
#include "store/pager.hpp"

#include <algorithm>
#include <vector>

#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

std::uint32_t nextPagerId() {
  static std::uint32_t id = 0;
  return ++id;
}

}  // namespace

Pager::Pager(StoreFile& file, FileHeader& header, KeyContext& keys)
    : file_(file), header_(header), keys_(keys), id_(nextPagerId()) {
  if (NodeCache* c = NodeCache::instance()) c->attach();
}

Pager::~Pager() {
  if (NodeCache* c = NodeCache::instance()) {
    c->drop(this);
    c->detach();
  }
}

int Pager::get(std::int32_t number, NodeRef& out) {
  NodeCache* cache = NodeCache::instance();
  if (cache == nullptr) return kMemoryError;
  if (number < 0 || number >= header_.nodesInUse) return kInvalidNode;
  if (CacheBuffer* b = cache->find(this, number)) {
    cache->use(b);
    out.bind(b);
    return kOk;
  }
  CacheBuffer* b = nullptr;
  int rc = cache->claim(this, number, b);
  if (rc != kOk) return rc;
  out.bind(b);
  const long n = file_.read(nodeOffset(number), b->node.bytes.data(), kBlockSize);
  if (n != kBlockSize) rc = n < 0 ? kDiskError : kDiskReadError;
  if (rc == kOk) rc = parseNode(b->node, keys_, number, header_.nodesInUse);
  if (rc != kOk) {
    out.reset();
    cache->discard(b);
    return rc;
  }
  return kOk;
}

int Pager::allocate(int level, std::int32_t leftmost, std::int32_t right, std::int32_t left, NodeRef& out) {
  NodeCache* cache = NodeCache::instance();
  if (cache == nullptr) return kMemoryError;
  std::int32_t number;
  const ByteOrder& o = order();
  if (header_.freeHead != -1) {
    number = header_.freeHead;
    if (number < 0 || number >= header_.nodesInUse) return kTreeFreeChain;
    std::uint8_t raw[kBlockSize];
    if (file_.read(nodeOffset(number), raw, kBlockSize) != kBlockSize) return kDiskReadError;
    const std::int32_t next = o.geti32(raw + 4);
    if (o.get16(raw + 12) != kFreedLevel || o.geti32(raw + 0) != -1 || o.geti32(raw + 8) != -1 ||
        next == number || (next != -1 && (next < 0 || next >= header_.nodesInUse))) {
      return kTreeFreeChain;
    }
    header_.freeHead = next;
  } else {
    int rc = ensureSpare(1);
    if (rc != kOk) return rc;
    number = header_.nodesInUse++;
  }
  headerDirty_ = true;
  CacheBuffer* b = cache->find(this, number);
  if (b == nullptr) {
    const int rc = cache->claim(this, number, b);
    if (rc != kOk) return rc;
  }
  out.bind(b);
  initNode(b->node, o, level, leftmost, right, left);
  return modify(out);
}

int Pager::modify(NodeRef& ref) {
  ref.buffer()->dirty = true;
  ++version_;
  return kOk;
}

int Pager::ensureSpare(int nodes) {
  if (header_.nodesPresent - header_.nodesInUse >= nodes) return kOk;
  // Grow a little beyond the need so that a long run of inserts does not
  // extend the file at every record.
  const std::int32_t slack = std::clamp(header_.nodesPresent / 64, 16, 256);
  const std::int32_t want = header_.nodesInUse + nodes + slack;
  if (!file_.extend(nodeOffset(want))) return kDiskFull;
  header_.nodesPresent = want;
  headerDirty_ = true;
  return kOk;
}

int Pager::writeBack(CacheBuffer& b) {
  const ByteOrder& o = order();
  const NodeImage& n = b.node;
  // A node whose counts are out of range is never written.
  if (o.get16(&n.bytes[14]) > kMaxEntries || n.freeBytes(o) > kEntryArea) return kCorruptedNode;
  if (b.number < 0 || b.number >= header_.nodesPresent) return kInvalidNode;
  // A node the cache writes back before the bracket's end.
  const std::int32_t number = b.number;
  if (!markerOn_) {
    if (const int rc = startWriting({&number, 1}); rc != kOk) return rc;
  } else if (Journal* j = journal()) {
    if (const int rc = j->keep(file_, {&number, 1}); rc != kOk) return rc;
  }
  const long w = file_.write(nodeOffset(b.number), n.bytes.data(), kBlockSize);
  if (w != kBlockSize) return kDiskFull;
  b.dirty = false;
  return kOk;
}

int Pager::startWriting(std::span<const std::int32_t> nodes) {
  if (Journal* j = journal()) {
    if (const int rc = j->begin(file_, nodes); rc != kOk) {
      j->end();
      return rc;
    }
  }
  return setMarker();
}

int Pager::setMarker() {
  std::uint8_t m[2];
  order().put16(m, kMarkerValue);
  if (file_.write(kMarkerOffset, m, 2) != 2) return kDiskFull;
  // With a journal the marker needs no flush of its own: the journal is on
  // disk already, and the nodes' flush takes the marker with it.
  if (journal() == nullptr) {
    if (const int rc = flushFile(); rc != kOk) return rc;
  }
  markerOn_ = true;
  return kOk;
}

int Pager::writeHeader() {
  std::uint8_t h[kHeaderSize];
  encodeHeader(header_, h);
  if (file_.write(0, h, kHeaderSize) != kHeaderSize) return kDiskFull;
  headerDirty_ = false;
  return kOk;
}

int Pager::flushFile() {
  if (durable_ && !file_.flush()) return kDiskWriteError;
  return kOk;
}

int Pager::commit() {
  NodeCache* cache = NodeCache::instance();
  if (cache == nullptr) return kMemoryError;
  const auto dirty = cache->dirtyOf(this);
  if (dirty.empty() && !headerDirty_ && !markerOn_) return kOk;
  // One flush of the journal for all the nodes of the bracket.
  std::vector<std::int32_t> numbers;
  for (const CacheBuffer* b : dirty) numbers.push_back(b->number);
  if (!markerOn_) {
    if (const int rc = startWriting(numbers); rc != kOk) return rc;
  } else if (Journal* j = journal()) {
    if (const int rc = j->keep(file_, numbers); rc != kOk) return rc;
  }
  for (CacheBuffer* b : dirty) {
    const int rc = writeBack(*b);
    if (rc != kOk) return rc;
  }
  // With a journal, block 0 is rewritten only once every node is on disk
  // (an opener that finds block 0 as the journal kept it puts the bracket
  // back), and the header and the cleared marker go in one flush.
  int rc = kOk;
  if (journal() != nullptr) rc = flushFile();
  if (rc == kOk) rc = writeHeader();
  if (rc == kOk && journal() == nullptr) rc = flushFile();
  if (rc != kOk) return rc;
  const std::uint8_t zero[2] = {0, 0};
  if (file_.write(kMarkerOffset, zero, 2) != 2) return kDiskFull;
  rc = flushFile();
  if (rc != kOk) return rc;
  markerOn_ = false;
  if (journal_ != nullptr) journal_->end();
  return kOk;
}

void Pager::dropCache() {
  if (NodeCache* c = NodeCache::instance()) c->drop(this);
  ++version_;
}

}  // namespace kestrel::store
