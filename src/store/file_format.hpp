// The on-disk layout of a record store file, and the file header.
//
// A store file is a sequence of 1024-byte blocks. Block 0 is the header
// block; node n (n = 0, 1, ...) is the block at file offset 1024 + 1024 n.
// All multi-byte numbers are in the file's byte order (see coding.hpp): the
// byte at offset 8 is 1 in a little-endian file, else the file is big-endian.
//
// Header block (the first 352 bytes; the rest of block 0 is zero but for the
// write-in-progress marker; every field is a 32-bit word unless a width is given):
//
//   offset size  meaning
//   0      4     update counter: +1 by every write bracket, 1 in a new file
//   4      4     86 ('V')    the eight letter words spell V A L I D A T 1
//   8      4     1 in the file's byte order (the byte-order word)
//   12     4     root node of tree 0 (0 in a new file)
//   16     4     65 ('A')
//   20     4     76 ('L')
//   24     4     73 ('I')
//   28     4     height of tree 0 in levels (1 in a new file)
//   32     4     68 ('D')
//   36     4     nodes in use: the next node handed out when no node is free
//   40     4     65 ('A')
//   44     4     next record number (1 in a new file)
//   48     4     84 ('T')
//   52     4     nodes present in the file, used and spare
//   56     4     49 ('1')
//   60     4     first node of the free chain, -1 when none
//   64     4     record numbers waiting for reuse (entries of index 18)
//   68     4     data records
//   72     4     length 0..100 of the user area (other values read as 0)
//   76     16    zero
//   92     100   user area
//   192    22    key type of index i at byte 192 + i, i = 1..20
//   214    6     unused
//   220    22    tree of index i at byte 219 + i (0 = tree 0)
//   242    20    height of tree t at byte 241 + t, t = 1..20
//   262    2     unused
//   264    80    root node of tree t at 264 + 4 (t - 1), t = 1..20; 0 = no tree
//   344    4     -1
//   348    4     -1
//   1010   2     write-in-progress marker: 13245 (0x33BD) while a write bracket
//                may have left nodes half written; 0 otherwise
//
// Trees 0..20 hold the entries of index numbers 1..20 (tree 0 unless an
// index was given a tree of its own). Four indexes have fixed roles:
//
//   index  entries                    key              number     data
//   7      named records              the name         sequence   the text
//   18     record numbers for reuse   empty string     the number none
//   19     data records               empty string     record no. the packed record
//   20     record locks               length byte (the bytes that follow),
//                                     19, the data entry's key
//                                                      record no. owner's user slot (2)
//
// Indexes 1..15 are the callers' indexes over record fields (number: the
// record number, no data).
//
// Byte ranges of block 0 serve as locks between the processes sharing a file
// (they are never written): 352 share mode, 353 + s user slot s (s = 0..208),
// 562 + s reader s, 562..770 at once the writer, 771 the update lock.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "store/coding.hpp"

namespace kestrel::store {

inline constexpr int kBlockSize = 1024;
inline constexpr int kHeaderSize = 352;
inline constexpr int kMarkerOffset = 1010;
inline constexpr std::uint16_t kMarkerValue = 13245;
inline constexpr int kTrees = 21;    // trees 0..20
inline constexpr int kIndexes = 21;  // index numbers 1..20 (0 unused)
inline constexpr int kUserAreaSize = 100;
inline constexpr int kMaxHeight = 40;  // far above what 2^31 nodes can reach

// Fixed roles of index numbers.
inline constexpr int kNamedIndex = 7;
inline constexpr int kReuseIndex = 18;
inline constexpr int kDataIndex = 19;
inline constexpr int kLockIndex = 20;
inline constexpr int kMaxCallerIndex = 15;

// Lock offsets in block 0.
inline constexpr std::uint64_t kShareLockOffset = 352;
inline constexpr std::uint64_t kUserSlotOffset = 353;
inline constexpr std::uint64_t kReaderOffset = 562;
inline constexpr int kUserSlots = 209;
inline constexpr std::uint64_t kUpdateLockOffset = 771;

inline std::uint64_t nodeOffset(std::int32_t node) {
  return kBlockSize + static_cast<std::uint64_t>(node) * kBlockSize;
}

struct FileHeader {
  ByteOrder order;
  std::uint32_t updateCounter = 1;
  std::int32_t nodesInUse = 1;
  std::int32_t nextRecord = 1;
  std::int32_t nodesPresent = 1;
  std::int32_t freeHead = -1;
  std::int32_t reuseCount = 0;
  std::int32_t recordCount = 0;
  std::int32_t userLength = 0;
  std::array<std::uint8_t, kUserAreaSize> user{};
  std::array<std::uint8_t, kIndexes> keyType{};  // raw key-type bytes
  std::array<std::uint8_t, kIndexes> treeOf{};
  std::array<std::int32_t, kTrees> root{};   // root[0] is the word at 12
  std::array<std::int32_t, kTrees> height{};  // height[0] is the word at 28

  FileHeader() {
    height[0] = 1;
    keyType[kLockIndex] = 2;
  }
  // The key type of an index (low five bits of its byte).
  int keyTypeOf(int index) const { return keyType[index] & 0x1F; }
  int treeOfIndex(int index) const { return treeOf[index]; }
};

// Writes the 352 header bytes.
void encodeHeader(const FileHeader& h, std::uint8_t* out);
// Reads and checks block 0 (at least kBlockSize bytes): the write marker
// (-40), the signature and byte-order word (-5), then every count, node
// number and height against each other and against `fileSize` (-31, -201).
int decodeHeader(std::span<const std::uint8_t> block0, std::int64_t fileSize, FileHeader& h);
// The write marker of block 0, non-zero when a write was interrupted.
bool markerSet(std::span<const std::uint8_t> block0);
// Clears the marker in a copy of block 0 that is only read.
void clearMarker(std::uint8_t* block0);

}  // namespace kestrel::store
