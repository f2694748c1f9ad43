// Packed data records: the bytes of a record as its index-19 entry holds them.
//
//   offset size  meaning
//   0      2     DataList checksum
//   2      2     record checksum over the bytes from offset 4 to the end
//   4      1     record flag byte (carried over, no meaning to the store)
//   5      ...   fields, each a 16-bit field number and its value, field
//                numbers rising strictly; then the end mark FF FF
//
// Values: S the string with its terminator; B a 16-bit length and the bytes;
// D 8 bytes; F, I, L 4 bytes; H, U 2 bytes; M 6 bytes; X nothing. Numbers are
// in the file's byte order. A field without index is left out when empty
// (zero, either zero of a float, empty string or block); indexed fields are
// always written.
//
// The record checksum: from 0, for each byte add it (sign-extended), then
// double, in 16 bits; a record is accepted when the stored value equals that
// sum or the same sum over the bytes as unsigned values. Like the DataList
// checksum it depends on the last bytes only, so a reader also requires every
// record to parse completely, end exactly at its length, and every field to
// fit its DataList length.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "store/coding.hpp"
#include "store/datalist.hpp"

namespace kestrel::store {

inline constexpr int kRecordHeader = 5;
inline constexpr std::uint16_t kEndMark = 0xFFFF;

std::uint16_t recordChecksum(std::span<const std::uint8_t> bytesFrom4, bool signedBytes);

// Packs the caller's values; -28 when longer than `limit`.
int packRecord(std::span<const DataField> fields, const ByteOrder& o, std::uint8_t flag,
               std::vector<std::uint8_t>& out, std::size_t limit);

// Checks a packed record against the DataList and splits it into values
// (spans into `rec`): -12 when it is cut short or runs past its end mark,
// -21 on a checksum mismatch, -20 on a field number out of order or beyond
// the DataList (or a DataList checksum mismatch when `checkDataList`), -18
// when a value does not fit its field.
int parseRecord(std::span<const std::uint8_t> rec, std::span<const DataField> fields, const ByteOrder& o,
                bool checkDataList, std::vector<FieldValue>& values);

// Clears the caller's variables (blocks keep their bytes) and stores the
// parsed values into them.
void storeValues(std::span<DataField> fields, const std::vector<FieldValue>& values);

}  // namespace kestrel::store
