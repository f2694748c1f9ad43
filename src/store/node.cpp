// Node checks, entry search and in-place entry changes.
#include "store/node.hpp"

#include <cstring>

#include "store/status_codes.hpp"

namespace kestrel::store {

void initNode(NodeImage& n, const ByteOrder& o, int level, std::int32_t leftmost, std::int32_t right,
              std::int32_t left) {
  n.bytes.fill(0);
  n.count = 0;
  o.puti32(&n.bytes[0], leftmost);
  o.puti32(&n.bytes[4], right);
  o.puti32(&n.bytes[8], left);
  o.put16(&n.bytes[12], static_cast<std::uint16_t>(level));
  o.put16(&n.bytes[14], 0);
  o.put16(&n.bytes[16], kEntryArea);
}

int parseNode(NodeImage& n, const KeyContext& kc, std::int32_t self, std::int32_t nodesInUse) {
  const ByteOrder& o = kc.order;
  const int level = n.level(o);
  if (level == kFreedLevel || level >= kMaxHeight) return kTreeNodeRead;
  const int count = o.get16(&n.bytes[14]);
  const int free = n.freeBytes(o);
  if (count > kMaxEntries) return kTreeEntryCount;
  if (free > kEntryArea) return kTreeFreeSpace;
  auto inside = [&](std::int32_t v) { return v >= 0 && v < nodesInUse; };
  const std::int32_t right = n.right(o), left = n.left(o), leftmost = n.leftmost(o);
  if (right != -1 && !inside(right)) return kTreeForwardPointer;
  if (left != -1 && !inside(left)) return kTreeReversePointer;
  if (right == self || left == self || (right != -1 && right == left)) return kTreeSamePointers;
  if (level == 0 ? leftmost != 0 : !inside(leftmost)) return kTreeChildPointer;
  if (level > 0 && leftmost == self) return kTreeSamePointers;

  int pos = kNodeHeaderSize;
  for (int i = 0; i < count; ++i) {
    if (pos + kEntryHeader > kBlockSize) return kTreeEntryCount;
    const int size = n.bytes[pos] + 1;
    if (size < kEntryHeader || pos + size > kBlockSize) return kTreeScanning;
    const int index = n.bytes[pos + 1];
    if (index < 1 || index > 20) return kTreeScanning;
    const std::span<const std::uint8_t> rest(&n.bytes[pos + kEntryHeader], static_cast<std::size_t>(size - kEntryHeader));
    int klen;
    if (kc.type[index] <= 1 && !rest.empty() && rest[0] == 0) {
      klen = 1;  // the empty string of the data, reuse and named indexes
    } else {
      klen = storedKeyLength(kc.type[index], rest);
    }
    if (klen < 0 || klen > kMaxKeyLength) return kTreeKeyLength;
    if (level > 0) {
      if (size - kEntryHeader - klen != 4) return kTreeChildPointer;
      const std::int32_t child = o.geti32(&n.bytes[pos + size - 4]);
      if (!inside(child)) return kTreeChildPointer;
      if (child == self) return kTreeSamePointers;
    }
    n.off[i] = static_cast<std::uint16_t>(pos);
    n.klen[i] = static_cast<std::uint8_t>(klen);
    pos += size;
  }
  if (pos - kNodeHeaderSize + free != kEntryArea) return kTreeFreeSpace;
  n.count = count;
  return kOk;
}

void reindexNode(NodeImage& n, const KeyContext& kc) {
  const int count = kc.order.get16(&n.bytes[14]);
  int pos = kNodeHeaderSize;
  for (int i = 0; i < count; ++i) {
    const int size = n.bytes[pos] + 1;
    const std::span<const std::uint8_t> rest(&n.bytes[pos + kEntryHeader], static_cast<std::size_t>(size - kEntryHeader));
    n.off[i] = static_cast<std::uint16_t>(pos);
    n.klen[i] = static_cast<std::uint8_t>(storedKeyLength(kc.type[n.bytes[pos + 1]], rest));
    pos += size;
  }
  n.count = count;
}

int compareEntry(const NodeImage& n, int i, const KeyContext& kc, const SearchKey& s) {
  const int index = n.index(i);
  if (index != s.index) return index < s.index ? -1 : 1;
  const int c = compareKeys(kc, index, n.key(i), s.key);
  if (c != 0) return c;
  const std::uint32_t num = n.number(kc.order, i);
  if (num != s.number) return num < s.number ? -1 : 1;
  const int tag = n.tag(i) & 0x7F;
  if (tag != s.tag) return tag < s.tag ? -1 : 1;
  return 0;
}

int lowerBound(const NodeImage& n, const KeyContext& kc, const SearchKey& s) {
  int lo = 0, hi = n.count;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (compareEntry(n, mid, kc, s) < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

void insertEntry(NodeImage& n, const ByteOrder& o, int pos, std::span<const std::uint8_t> e, int klen) {
  const int size = static_cast<int>(e.size());
  const int end = kNodeHeaderSize + n.usedBytes();
  const int at = pos < n.count ? n.off[pos] : end;
  std::memmove(&n.bytes[at + size], &n.bytes[at], static_cast<std::size_t>(end - at));
  std::memcpy(&n.bytes[at], e.data(), e.size());
  for (int i = n.count; i > pos; --i) {
    n.off[i] = static_cast<std::uint16_t>(n.off[i - 1] + size);
    n.klen[i] = n.klen[i - 1];
  }
  n.off[pos] = static_cast<std::uint16_t>(at);
  n.klen[pos] = static_cast<std::uint8_t>(klen);
  ++n.count;
  o.put16(&n.bytes[14], static_cast<std::uint16_t>(n.count));
  o.put16(&n.bytes[16], static_cast<std::uint16_t>(n.freeBytes(o) - size));
}

void removeEntries(NodeImage& n, const ByteOrder& o, int pos, int count) {
  if (count <= 0) return;
  const int end = kNodeHeaderSize + n.usedBytes();
  const int from = n.off[pos];
  const int to = pos + count < n.count ? n.off[pos + count] : end;
  const int gone = to - from;
  std::memmove(&n.bytes[from], &n.bytes[to], static_cast<std::size_t>(end - to));
  std::memset(&n.bytes[end - gone], 0, static_cast<std::size_t>(gone));
  for (int i = pos; i + count < n.count; ++i) {
    n.off[i] = static_cast<std::uint16_t>(n.off[i + count] - gone);
    n.klen[i] = n.klen[i + count];
  }
  n.count -= count;
  o.put16(&n.bytes[14], static_cast<std::uint16_t>(n.count));
  o.put16(&n.bytes[16], static_cast<std::uint16_t>(n.freeBytes(o) + gone));
}

int makeEntry(std::uint8_t* out, const ByteOrder& o, int index, int tag, std::uint32_t number,
              std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
  const int size = kEntryHeader + static_cast<int>(key.size() + data.size());
  out[0] = static_cast<std::uint8_t>(size - 1);
  out[1] = static_cast<std::uint8_t>(index);
  out[2] = static_cast<std::uint8_t>(tag);
  o.put32(out + 3, number);
  if (!key.empty()) std::memcpy(out + kEntryHeader, key.data(), key.size());
  if (!data.empty()) std::memcpy(out + kEntryHeader + key.size(), data.data(), data.size());
  return size;
}

}  // namespace kestrel::store
