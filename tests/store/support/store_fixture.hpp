// Shared helpers of the record store tests: a scratch folder, the part-like
// record layout the library layer uses (part number, second number, type,
// hybrid flag, blob, compound key, time stamp), and a tree check.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "store/record_store.hpp"
#include "store/store_check.hpp"

namespace kestrel::store::test {

// A fresh folder under /tmp, removed at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes sure the process has its node cache.
void startStore(int buffers = 50);

// The part-like record: its variables and the DataList that points at them.
struct PartRecord {
  char pn[26] = {};
  char pn2[26] = {};
  std::uint16_t type = 0;
  std::uint16_t hybrid = 0;
  std::uint8_t blob[1024] = {};
  std::int32_t stamp = 0;
  std::array<DataField, 8> list;

  PartRecord();
  PartRecord(const PartRecord&) = delete;
  PartRecord& operator=(const PartRecord&) = delete;
  std::span<DataField> fields() { return list; }
  // Fills every field; the blob is `blobSize` bytes derived from `seed`.
  void set(const std::string& number, const std::string& second, int partType, int hyb, int blobSize,
           std::uint32_t seed);
  std::uint16_t blobSize() const { return list[4].size; }
};

// A part whose content follows from its version (the stamp): PN2 and the
// blob agree with the stamp in a whole record, so a torn one shows.
void fillVersion(PartRecord& r, const std::string& pn, std::int32_t version);
bool whole(const PartRecord& r);

// The compound key of index 3: hybrid flag, part type (16-bit unsigned), part number.
const SegmentList& partSegments();
std::span<const KeyDef> partKeys();
// The CheckOptions that know the part layout.
CheckOptions partCheckOptions();

// Creates a library-like file (shared, native order, trees for 20, 1, 2, 3).
int createPartFile(RecordStore& s, const std::string& path, StoreFileSystem* fs = nullptr);
int openPartFile(RecordStore& s, const std::string& path, int access = kReadWriteAccess,
                 ShareMode share = ShareMode::Shared, StoreFileSystem* fs = nullptr);

// A type-0 string key.
std::vector<std::uint8_t> textKey(const std::string& s);
// The faults of a file, one text per fault (empty when clean).
std::vector<std::string> checkFaults(const std::string& path, StoreFileSystem* fs = nullptr);
// Steps through index 1, each step and its read in one read bracket (between
// two brackets a record may go and its number come back on another part):
// 0 when every record read whole and in order, else what failed first
// (1 a bracket, 2 a step, 3 a read, 4 a torn record, 5 out of order).
int listWholeInOrder(RecordStore& s, PartRecord& r);
// Waits for a child: its exit code, or 100 + the signal that ended it.
int exitCodeOf(int pid);
// A whole file's bytes, and writing them back.
std::vector<std::uint8_t> fileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace kestrel::store::test
