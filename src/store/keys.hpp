// Key types of the record store: how each stores its key, how long a stored
// key is, and how two keys compare. An index's key type is one of
//
//   type    stored form                length          order
//   0       zero-terminated string     length + 1      bytewise unsigned
//   1       zero-terminated string     length + 1      ASCII case folded
//   2,16-20 length byte + bytes        first byte + 1  bytewise, shorter first
//   3, 5    32-bit signed integer      4               numeric (< and >)
//   4       16-bit signed integer      2               numeric
//   6       32-bit float               4               numeric (NaN last)
//   7       64-bit float               8               numeric (NaN last)
//   8       compound: length byte + segments, each in its own type, compared
//           segment by segment (optionally descending)
//   9       6 bytes                    6               bytewise unsigned
//   10      16-bit unsigned integer    2               numeric
//
// Numbers are in the file's byte order. Types 11..15 and above 20 are invalid.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "store/coding.hpp"
#include "store/file_format.hpp"

namespace kestrel::store {

inline constexpr int kMaxKeyLength = 243;  // stored key bytes of one entry
inline constexpr int kMaxSegments = 242;

// One segment of a compound key: its key type, the DataList field it is made
// of, its maximum length (0 = 242, strings include their terminator) and
// whether it sorts descending.
struct SegmentDef {
  std::uint8_t type = 0;
  std::int32_t field = 0;
  std::uint8_t maxLength = 0;
  bool descending = false;
};
using SegmentList = std::vector<SegmentDef>;

// What comparing keys of a file needs: its byte order, the key type of every
// index and the segments of its compound indexes (empty when not given;
// such keys then compare bytewise).
struct KeyContext {
  ByteOrder order;
  std::array<std::uint8_t, kIndexes> type{};
  std::array<SegmentList, kIndexes> segments;
};

bool validKeyType(int type);
// The width of a fixed-width key type, 0 for the variable ones.
int fixedKeyWidth(int type);
// Length of the stored key of `type` at the start of `bytes`, or -1 when the
// bytes do not hold a whole key of that type.
int storedKeyLength(int type, std::span<const std::uint8_t> bytes);
// Compares two stored keys of one type; <0, 0, >0.
int compareTyped(int type, const ByteOrder& order, std::span<const std::uint8_t> a,
                 std::span<const std::uint8_t> b, const SegmentList* segments);
// Compares two stored keys of an index.
inline int compareKeys(const KeyContext& kc, int index, std::span<const std::uint8_t> a,
                       std::span<const std::uint8_t> b) {
  return compareTyped(kc.type[index], kc.order, a, b, &kc.segments[index]);
}

}  // namespace kestrel::store
