// DataList: how a caller describes a record to the store. An array of field
// descriptions ended by one of type 'E'; a field's position is its field
// number. Each names its type, its index (if any) with key type and
// duplicate flag, its declared length, and the caller's variable.
//
//   type  value                         declared length
//   S     zero-terminated string        maximum length with the terminator
//   B     binary block (`size` bytes)   block capacity
//   D     64-bit float                  8
//   F     32-bit float                  4
//   I, L  32-bit integer                4
//   H     16-bit integer                2
//   U     16-bit unsigned integer       2
//   M     6 bytes                       6
//   X     compound key only, made of other fields by its index's segments
//
// Key types: 0..20 (see keys.hpp) or 'N' for a field without index;
// duplicate flag 'U' unique, 'D' duplicates allowed, 'N' no index.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "store/file_format.hpp"
#include "store/keys.hpp"

namespace kestrel::store {

inline constexpr std::uint8_t kNoKey = 'N';
inline constexpr int kMaxFieldLength = 31232;
inline constexpr int kMaxFields = 1000;

struct DataField {
  char type = 'E';
  std::uint8_t keyType = kNoKey;
  char dup = 'N';
  std::uint16_t length = 0;
  std::uint8_t index = 0;
  void* value = nullptr;
  std::uint16_t size = 0;  // B fields: bytes in use (set by ReadRecord)
};

// An index of the caller: its number 1..15, key type and, for a compound
// key, its segments.
struct KeyDef {
  std::uint8_t index = 0;
  std::uint8_t keyType = 0;
  const SegmentList* segments = nullptr;
};

// A field's value, whichever side it comes from (the caller's variables or a
// packed record): text and blocks as bytes, numbers as numbers.
struct FieldValue {
  bool present = false;
  std::span<const std::uint8_t> bytes;  // S without terminator, B, M
  std::int64_t integer = 0;
  double real = 0.0;
  bool isReal = false;
};

// The fields before the 'E' entry, or -14 when there is no 'E'.
int dataListFieldCount(std::span<const DataField> list);
// The 16-bit DataList checksum over type, key type, duplicate flag and index
// number of every field, each step doubling.
std::uint16_t dataListChecksum(std::span<const DataField> fields);
// Checks every field against itself and the file's indexes (-22..-27, -37).
int validateDataList(std::span<const DataField> fields, const FileHeader& h, const KeyContext& kc);
// The caller's current values.
void currentValues(std::span<const DataField> fields, std::vector<FieldValue>& out);
// Whether a field of `fieldType` can carry a key of `keyType`.
bool keyTypeFits(char fieldType, int keyType);
int fixedFieldWidth(char type);
// The key of field `f` (an indexed field or a compound key) from `values`.
int buildFieldKey(std::span<const DataField> fields, int f, const std::vector<FieldValue>& values,
                  const KeyContext& kc, std::vector<std::uint8_t>& key);

}  // namespace kestrel::store
