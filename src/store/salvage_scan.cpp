// The salvage scan: reads every block by position and puts the chunks of
// data and named records together again.
#include "store/salvage_scan.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

#include "store/file_format.hpp"
#include "store/keys.hpp"
#include "store/node.hpp"
#include "store/record_codec.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

using Block = std::array<std::uint8_t, kBlockSize>;

struct Chunk {
  int index = 0;
  int tag = 0;
  std::uint32_t number = 0;
  std::vector<std::uint8_t> key, data;
  bool used = false;
};

struct Leaf {
  bool scanned = false;  // a leaf (or a freed node) whose entries were read
  std::int32_t right = -1;
  std::vector<Chunk> chunks;
};

class Scanner {
 public:
  Scanner(StoreFile& file, SalvageScan& scan) : file_(file), scan_(scan) {}
  int run();

 private:
  bool read(std::int32_t n, Block& b) { return file_.read(nodeOffset(n), b.data(), kBlockSize) == kBlockSize; }
  void readHeader(const Block& block0, std::int64_t size);
  void markTree(std::int32_t root, int height);
  void markFreeChain(std::int32_t head);
  void readLeaf(std::int32_t n, const Block& b);
  void assemble(std::int32_t n, std::size_t first);
  void finish(Chunk& start, std::int32_t node, std::vector<std::uint8_t>&& data, bool whole, CopyPlace place);
  int keyType(int index) const { return validKeyType(keyTypes_[index]) ? keyTypes_[index] : 0; }

  StoreFile& file_;
  SalvageScan& scan_;
  std::array<int, kIndexes> keyTypes_{};
  std::vector<CopyPlace> place_;
  std::vector<Leaf> leaves_;
  FileHeader header_;
};

void Scanner::readHeader(const Block& block0, std::int64_t size) {
  Block copy = block0;
  copy[kMarkerOffset] = copy[kMarkerOffset + 1] = 0;  // a torn write still leaves a header to read
  scan_.headerSound = decodeHeader({copy.data(), copy.size()}, size, header_) == kOk;
  ByteOrder& o = scan_.order;
  // A header that fails its checks still tells its byte order when its
  // byte-order word reads 1 one way or the other.
  o.big = scan_.headerSound ? header_.order.big : (block0[8] != 1 && block0[11] == 1);
  for (int i = 1; i < kIndexes; ++i) keyTypes_[i] = block0[192 + i] & 0x1F;
  const std::int32_t records = o.geti32(&block0[68]);
  if (scan_.headerSound || (records >= 0 && records <= scan_.blocks * kMaxEntries)) scan_.headerRecords = records;
}

// Marks the leaves that tree 0 reaches from its root, level by level.
void Scanner::markTree(std::int32_t root, int height) {
  const ByteOrder& o = scan_.order;
  std::vector<bool> seen(place_.size());
  std::vector<std::int32_t> level{root};
  Block b;
  for (int depth = 0; depth < height && !level.empty(); ++depth) {
    std::vector<std::int32_t> below;
    for (std::int32_t n : level) {
      if (n < 0 || n >= scan_.blocks || seen[static_cast<std::size_t>(n)] || !read(n, b)) continue;
      seen[static_cast<std::size_t>(n)] = true;
      const int lvl = o.get16(&b[12]);
      if (lvl == 0) {
        place_[static_cast<std::size_t>(n)] = CopyPlace::InTree;
        continue;
      }
      if (lvl == kFreedLevel) continue;
      below.push_back(o.geti32(&b[0]));
      for (int at = kNodeHeaderSize, k = 0; k < kMaxEntries && at < kBlockSize; ++k) {
        const int size = b[static_cast<std::size_t>(at)] + 1;
        if (size < kEntryHeader + 5 || at + size > kBlockSize) break;
        below.push_back(o.geti32(&b[static_cast<std::size_t>(at + size - 4)]));
        at += size;
      }
    }
    level = std::move(below);
  }
}

void Scanner::markFreeChain(std::int32_t head) {
  Block b;
  for (long steps = 0; head >= 0 && head < scan_.blocks && steps < scan_.blocks; ++steps) {
    if (place_[static_cast<std::size_t>(head)] == CopyPlace::Freed || !read(head, b)) return;
    place_[static_cast<std::size_t>(head)] = CopyPlace::Freed;
    head = scan_.order.geti32(&b[4]);
  }
}

// Reads a leaf's entries up to the first one that does not fit.
void Scanner::readLeaf(std::int32_t n, const Block& b) {
  const ByteOrder& o = scan_.order;
  Leaf& leaf = leaves_[static_cast<std::size_t>(n)];
  leaf.scanned = true;
  leaf.right = o.geti32(&b[4]);
  int at = kNodeHeaderSize, parsed = 0;
  bool stopped = false;
  for (; parsed < kMaxEntries && at < kBlockSize; ++parsed) {
    const int size = b[static_cast<std::size_t>(at)] + 1;
    if (size == 1) break;  // the zeroed tail
    if (size < kEntryHeader || at + size > kBlockSize) {
      stopped = true;
      break;
    }
    const int index = b[static_cast<std::size_t>(at) + 1];
    if (index < 1 || index > kLockIndex) {
      stopped = true;
      break;
    }
    const std::uint8_t* e = &b[static_cast<std::size_t>(at)];
    if (index == kDataIndex || index == kNamedIndex) {
      const int klen = storedKeyLength(keyType(index), {e + kEntryHeader, static_cast<std::size_t>(size - kEntryHeader)});
      if (klen < 0) {
        stopped = true;
        break;
      }
      Chunk c;
      c.index = index;
      c.tag = e[2];
      c.number = o.get32(e + 3);
      c.key.assign(e + kEntryHeader, e + kEntryHeader + klen);
      c.data.assign(e + kEntryHeader + klen, e + size);
      leaf.chunks.push_back(std::move(c));
    }
    at += size;
  }
  // An entry count above what could be read: the rest of the leaf is lost.
  const int count = o.get16(&b[14]);
  const bool freed = o.get16(&b[12]) == kFreedLevel;
  if (!freed && (stopped || (count <= kMaxEntries && parsed < count))) scan_.unreadable.push_back(n);
}

// Follows the chain of chunks that starts at chunk `first` of leaf `n`,
// on into right siblings, as the store writes a record too long for one leaf.
void Scanner::assemble(std::int32_t n, std::size_t first) {
  Leaf* leaf = &leaves_[static_cast<std::size_t>(n)];
  Chunk& start = leaf->chunks[first];
  start.used = true;
  std::vector<std::uint8_t> data = start.data;
  CopyPlace place = place_[static_cast<std::size_t>(n)];
  int tag = start.tag;
  std::size_t i = first + 1;
  std::set<std::int32_t> visited{n};
  while (!(tag & kLastChunk)) {
    if (i >= leaf->chunks.size()) {
      const std::int32_t right = leaf->right;
      if (right < 0 || right >= scan_.blocks || !visited.insert(right).second ||
          !leaves_[static_cast<std::size_t>(right)].scanned) {
        break;
      }
      leaf = &leaves_[static_cast<std::size_t>(right)];
      place = std::max(place, place_[static_cast<std::size_t>(right)]);
      i = 0;
      continue;
    }
    Chunk& c = leaf->chunks[i];
    if (c.used || c.index != start.index || c.number != start.number || c.key != start.key ||
        (c.tag & 0x7F) != (tag & 0x7F) + 1) {
      break;
    }
    c.used = true;
    data.insert(data.end(), c.data.begin(), c.data.end());
    tag = c.tag;
    ++i;
  }
  finish(start, n, std::move(data), (tag & kLastChunk) != 0, place);
}

void Scanner::finish(Chunk& start, std::int32_t node, std::vector<std::uint8_t>&& data, bool whole, CopyPlace place) {
  if (start.index == kDataIndex) {
    if (!whole) {
      scan_.damaged.push_back({start.number, node, kIncompleteRecord});
      return;
    }
    const std::size_t n = data.size();
    bool sound = n >= static_cast<std::size_t>(kRecordHeader + 2) && data[n - 1] == 0xFF && data[n - 2] == 0xFF;
    if (sound) {
      const std::uint16_t stored = scan_.order.get16(&data[2]);
      const std::span<const std::uint8_t> body(data.data() + 4, n - 4);
      sound = stored == recordChecksum(body, true) || stored == recordChecksum(body, false);
    }
    if (!sound) {
      scan_.damaged.push_back({start.number, node, kRecordChecksum});
      return;
    }
  } else if (!whole) {
    return;  // a header text in pieces: the layer above falls back to its defaults
  }
  scan_.copies.push_back({start.index, std::move(start.key), start.number, std::move(data), node, place});
}

int Scanner::run() {
  const std::int64_t size = file_.size();
  Block block0{};
  if (size < kBlockSize || file_.read(0, block0.data(), kBlockSize) != kBlockSize) return kDiskReadError;
  scan_.blocks = static_cast<long>(std::min<std::int64_t>((size - kBlockSize) / kBlockSize, INT32_MAX));
  readHeader(block0, size);
  place_.assign(static_cast<std::size_t>(scan_.blocks), CopyPlace::Orphan);
  leaves_.assign(static_cast<std::size_t>(scan_.blocks), Leaf{});
  if (scan_.headerSound) {
    markTree(header_.root[0], header_.height[0]);
    markFreeChain(header_.freeHead);
  }
  Block b;
  for (std::int32_t n = 0; n < scan_.blocks; ++n) {
    if (!read(n, b)) return kDiskReadError;
    const int level = scan_.order.get16(&b[12]);
    if (level == kFreedLevel) place_[static_cast<std::size_t>(n)] = CopyPlace::Freed;
    if (level == 0 || level == kFreedLevel) readLeaf(n, b);
  }
  for (std::int32_t n = 0; n < scan_.blocks; ++n) {
    Leaf& leaf = leaves_[static_cast<std::size_t>(n)];
    for (std::size_t i = 0; i < leaf.chunks.size(); ++i) {
      if (!leaf.chunks[i].used && (leaf.chunks[i].tag & 0x7F) == 0) assemble(n, i);
    }
  }
  // Later chunks whose first chunk was lost still name their record.
  for (std::int32_t n = 0; n < scan_.blocks; ++n) {
    for (const Chunk& c : leaves_[static_cast<std::size_t>(n)].chunks) {
      if (!c.used && c.index == kDataIndex) scan_.damaged.push_back({c.number, n, kIncompleteRecord});
    }
  }
  std::stable_sort(scan_.copies.begin(), scan_.copies.end(), [](const SalvagedCopy& a, const SalvagedCopy& b) {
    if (a.index != b.index) return a.index > b.index;  // data records first
    if (a.number != b.number) return a.number < b.number;
    return a.place < b.place;
  });
  std::stable_sort(scan_.damaged.begin(), scan_.damaged.end(),
                   [](const DamagedCopy& a, const DamagedCopy& b) { return a.number < b.number; });
  scan_.damaged.erase(std::unique(scan_.damaged.begin(), scan_.damaged.end(),
                                  [](const DamagedCopy& a, const DamagedCopy& b) { return a.number == b.number; }),
                      scan_.damaged.end());
  return kOk;
}

}  // namespace

int scanStoreFile(StoreFile& file, SalvageScan& scan) {
  scan = SalvageScan{};
  return Scanner(file, scan).run();
}

int scanStore(const std::string& path, SalvageScan& scan, StoreFileSystem* fsp) {
  StoreFileSystem& fs = fsp != nullptr ? *fsp : posixStoreFileSystem();
  OpenResult r;
  auto file = fs.open(path, false, r);
  if (!file) return kFail;
  return scanStoreFile(*file, scan);
}

}  // namespace kestrel::store
