// The salvage scan of a damaged store file: every block is read by its
// position (never by following links alone), every leaf's entries are read
// up to the first one that does not fit, and the chunks of the data records
// (index 19) and of the named records (index 7) are put together again.
// A copy counts when its chunks are all there and its record checksum and
// end mark hold; what the record means is for the layer above to judge.
//
// Where a copy was found decides which copy wins when there are several:
// a leaf reached from tree 0's root beats one no tree reaches, which beats
// a leaf that also sits on the free chain (an old copy of a record).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/coding.hpp"
#include "store/store_file.hpp"

namespace kestrel::store {

enum class CopyPlace : int { InTree = 0, Orphan = 1, Freed = 2 };

struct SalvagedCopy {
  int index = 0;                    // 19 data record, 7 named record
  std::vector<std::uint8_t> key;    // the stored key (a name for index 7)
  std::uint32_t number = 0;         // record number or sequence number
  std::vector<std::uint8_t> data;   // the packed record or the text
  std::int32_t node = -1;           // the leaf of its first chunk
  CopyPlace place = CopyPlace::Orphan;
};

// A data record seen only in pieces, or whose checksum failed.
struct DamagedCopy {
  std::uint32_t number = 0;
  std::int32_t node = -1;
  int code = 0;  // -12 incomplete, -21 checksum
};

struct SalvageScan {
  ByteOrder order;
  bool headerSound = false;   // the header decoded and checked
  long headerRecords = -1;    // the records the header counts, -1 unknown
  long blocks = 0;            // nodes read
  std::vector<SalvagedCopy> copies;    // by index, number, then place (best first)
  std::vector<DamagedCopy> damaged;    // by number
  std::vector<std::int32_t> unreadable;  // leaves whose entries stop at a fault
};

// Scans an open file. Reads only; bounded by the file's size.
int scanStoreFile(StoreFile& file, SalvageScan& scan);
// Opens `path` for reading and scans it; -1 when it can not be opened.
int scanStore(const std::string& path, SalvageScan& scan, StoreFileSystem* fs = nullptr);

}  // namespace kestrel::store
