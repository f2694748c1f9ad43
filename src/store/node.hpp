// One 1024-byte tree node, its entries, and the checks made on every node read
// from a file.
//
// Node layout (numbers in the file's byte order):
//
//   offset size  meaning
//   0      4     leftmost child (inner nodes); 0 in leaves
//   4      4     right sibling, -1 if none
//   8      4     left sibling, -1 if none
//   12     2     level: 0 = leaf; the root of a tree of height h has level h-1
//   14     2     entry count, at most 143
//   16     2     free bytes of the entry area (1006 when empty)
//   18     1006  entries, one after another in entry order, then zeros
//
// A freed node has -1 at offsets 0 and 8, level 0xFFFF, and the next free
// node at offset 4.
//
// Entry layout:
//
//   offset size  meaning
//   0      1     bytes that follow (key length + data length + 6)
//   1      1     index number 1..20
//   2      1     tag: chunk sequence 0..127 in bits 0-6, bit 7 on the last chunk
//   3      4     number (record number, or 0)
//   7      k     key, in the index's key type (its length follows from the type)
//   7+k    d     data; in inner nodes exactly 4 bytes: the child holding the
//                entries at or above this one
//
// Entry order: index number, then key (by the index's key type), then number
// (unsigned), then tag bits 0-6. Entries below an inner node's first entry
// are in its leftmost child.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "store/coding.hpp"
#include "store/keys.hpp"

namespace kestrel::store {

inline constexpr int kNodeHeaderSize = 18;
inline constexpr int kEntryArea = 1006;
inline constexpr int kMaxEntries = 143;
inline constexpr int kEntryHeader = 7;
inline constexpr int kMaxEntrySize = 251;  // 1 + 250
inline constexpr int kChunkBase = 244;     // data per chunk = 244 - key length
inline constexpr int kMaxChunks = 129;
inline constexpr std::uint16_t kFreedLevel = 0xFFFF;
inline constexpr std::uint8_t kLastChunk = 0x80;

// Where to look in a tree: an entry position in entry order.
struct SearchKey {
  int index = 0;
  std::span<const std::uint8_t> key;
  std::uint32_t number = 0;
  int tag = 0;  // bits 0-6 only
};

struct NodeImage {
  std::array<std::uint8_t, kBlockSize> bytes{};
  int count = 0;
  std::array<std::uint16_t, kMaxEntries + 1> off{};  // entry starts
  std::array<std::uint8_t, kMaxEntries + 1> klen{};  // entry key lengths

  std::int32_t leftmost(const ByteOrder& o) const { return o.geti32(&bytes[0]); }
  std::int32_t right(const ByteOrder& o) const { return o.geti32(&bytes[4]); }
  std::int32_t left(const ByteOrder& o) const { return o.geti32(&bytes[8]); }
  int level(const ByteOrder& o) const { return o.get16(&bytes[12]); }
  int freeBytes(const ByteOrder& o) const { return o.get16(&bytes[16]); }
  int usedBytes() const { return count == 0 ? 0 : off[count - 1] + size(count - 1) - kNodeHeaderSize; }
  void setLeftmost(const ByteOrder& o, std::int32_t v) { o.puti32(&bytes[0], v); }
  void setRight(const ByteOrder& o, std::int32_t v) { o.puti32(&bytes[4], v); }
  void setLeft(const ByteOrder& o, std::int32_t v) { o.puti32(&bytes[8], v); }

  int size(int i) const { return bytes[off[i]] + 1; }
  int index(int i) const { return bytes[off[i] + 1]; }
  int tag(int i) const { return bytes[off[i] + 2]; }
  std::uint32_t number(const ByteOrder& o, int i) const { return o.get32(&bytes[off[i] + 3]); }
  std::span<const std::uint8_t> entry(int i) const { return {&bytes[off[i]], static_cast<std::size_t>(size(i))}; }
  std::span<const std::uint8_t> key(int i) const {
    return {&bytes[off[i] + kEntryHeader], static_cast<std::size_t>(klen[i])};
  }
  std::span<const std::uint8_t> data(int i) const {
    return {&bytes[off[i] + kEntryHeader + klen[i]], static_cast<std::size_t>(size(i) - kEntryHeader - klen[i])};
  }
  std::int32_t child(const ByteOrder& o, int i) const { return o.geti32(&bytes[off[i] + size(i) - 4]); }
};

// Makes `n` an empty node of `level` with the given links.
void initNode(NodeImage& n, const ByteOrder& o, int level, std::int32_t leftmost, std::int32_t right,
              std::int32_t left);
// Checks a node read from the file and builds its entry table: level (not a
// freed node), entry count, free bytes, every entry's length, index number,
// key length and (inner nodes) child, the leftmost child and both siblings,
// which must lie inside [0, nodesInUse) and differ from `self`.
int parseNode(NodeImage& n, const KeyContext& kc, std::int32_t self, std::int32_t nodesInUse);
// Rebuilds the entry table of a node this process wrote (entries known good).
void reindexNode(NodeImage& n, const KeyContext& kc);

// Entry i against a search position: <0, 0, >0.
int compareEntry(const NodeImage& n, int i, const KeyContext& kc, const SearchKey& s);
// The first entry not below `s` (count when all are below).
int lowerBound(const NodeImage& n, const KeyContext& kc, const SearchKey& s);

// Room for one more entry of `size` bytes.
inline bool fits(const NodeImage& n, const ByteOrder& o, int size) {
  return n.count < kMaxEntries && n.freeBytes(o) >= size;
}
// Inserts entry bytes (with key length `klen`) before entry `pos`.
void insertEntry(NodeImage& n, const ByteOrder& o, int pos, std::span<const std::uint8_t> e, int klen);
// Removes `count` entries from `pos` on; the tail of the entry area is zeroed.
void removeEntries(NodeImage& n, const ByteOrder& o, int pos, int count);

// Writes an entry into `out` (room for kMaxEntrySize bytes); returns its size.
int makeEntry(std::uint8_t* out, const ByteOrder& o, int index, int tag, std::uint32_t number,
              std::span<const std::uint8_t> key, std::span<const std::uint8_t> data);

}  // namespace kestrel::store
