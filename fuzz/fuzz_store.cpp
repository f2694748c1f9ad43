// Fuzz target for the keyed record store's readers: a store file made of the
// input bytes (or a good file with the input's patches applied) is opened,
// stepped through on every index both ways, searched, scanned, read,
// written to, checked and scanned block by block for salvage. Whatever the bytes, the store gives codes: no
// crash, no hang, no access outside its buffers.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "store/memory_file.hpp"
#include "store/record_store.hpp"
#include "store/salvage_scan.hpp"
#include "store/store_check.hpp"

namespace {

using namespace kestrel::store;

const SegmentList kSegments = {{10, 3, 0, false}, {10, 2, 0, false}, {0, 0, 0, false}};
const KeyDef kKeys[] = {{1, 0, nullptr}, {2, 0, nullptr}, {3, 8, &kSegments}};

struct Part {
  char pn[26] = {};
  char pn2[26] = {};
  std::uint16_t type = 0, hybrid = 0;
  std::uint8_t blob[1024] = {};
  std::int32_t stamp = 0;
  DataField list[8] = {{'S', 0, 'U', 26, 1, pn, 0},         {'S', 0, 'D', 26, 2, pn2, 0},
                       {'U', kNoKey, 'N', 2, 0, &type, 0},   {'U', kNoKey, 'N', 2, 0, &hybrid, 0},
                       {'B', kNoKey, 'N', 1024, 0, blob, 0}, {'X', 8, 'U', 242, 3, nullptr, 0},
                       {'L', kNoKey, 'N', 4, 0, &stamp, 0},  {}};
  void set(int i) {
    std::snprintf(pn, sizeof pn, "PN-%05d", i);
    std::snprintf(pn2, sizeof pn2, "ALT-%d", i % 13);
    type = static_cast<std::uint16_t>(400 + i % 7);
    hybrid = static_cast<std::uint16_t>(i % 2);
    list[4].size = static_cast<std::uint16_t>((i * 97) % 700);
    std::memset(blob, i & 0xFF, list[4].size);
    stamp = i;
  }
};

// A good library-like file, made once: the base for patch inputs.
const std::vector<std::uint8_t>& goodFile() {
  static std::vector<std::uint8_t> bytes = [] {
    MemoryFileSystem fs;
    RecordStore s;
    s.SetDurable(false);
    if (s.Create("good", 1280, ShareMode::Shared, kNativeOrderFile, kKeys, &fs) != kOk) return std::vector<std::uint8_t>{};
    for (auto [i, t] : {std::pair{20, 20}, {1, 1}, {2, 2}, {3, 3}}) s.AddTree(i, t);
    Part p;
    for (int i = 0; i < 150; ++i) {
      p.set(i);
      s.AddRecord(p.list);
    }
    const char text[] = "50100";
    s.WriteNamed(7, "LIBHEADER", 1, {reinterpret_cast<const std::uint8_t*>(text), sizeof text});
    s.Close();
    return fs.bytes("good");
  }();
  return bytes;
}

void exercise(MemoryFileSystem& fs, const std::uint8_t* data, std::size_t size) {
  RecordStore s;
  s.SetDurable(false);
  s.SetLockTimeout(std::chrono::milliseconds(0));
  if (s.Open("f", 1280, ShareMode::Shared, kReadWriteAccess, kKeys, &fs) != kOk) return;
  Part p;
  for (int index : {1, 2, 3, 7, 18, 19, 20}) {
    for (int mode : {kStepFirst, kStepLast}) {
      int rc = s.Step(index, mode);
      for (int i = 0; i < 200 && rc == kOk; ++i) {
        if (i % 8 == 0 || index == 19) s.ReadRecord(p.list);
        rc = s.Step(index, mode == kStepFirst ? kStepNext : kStepPrevious);
      }
    }
    int visits = 0;
    s.ScanKeys(index, [&](std::span<const std::uint8_t>, std::int32_t) { return ++visits > 200; });
  }
  std::uint8_t buf[200];
  s.ReadNamed(7, "LIBHEADER", 1, buf);
  for (std::size_t at = 0; at + 1 < size && at < 64; at += 8) {
    p.set(data[at] | data[at + 1] << 8);
    std::vector<std::uint8_t> key;
    if (s.BuildKey(1, p.list, -1, key) == kOk) {
      for (int mode = kFindEqual; mode <= kFindEqualOrLess; ++mode) {
        if (s.FindKey(1, key, 0, mode) >= 0) s.ReadRecord(p.list);
      }
    }
    if (s.BuildKey(3, p.list, -1, key) == kOk && s.FindKey(3, key, 8, kFindEqualOrGreater) >= 0) {
      if (s.LockRecord() == kOk) {
        p.set(data[at] + 1000);
        if (data[at] & 1) {
          s.UpdateRecord(p.list);
        } else {
          s.DeleteRecord(p.list);
        }
      }
    }
    p.set(5000 + data[at + 1]);
    s.AddRecord(p.list);
  }
  s.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = StoreStartup(50) == kOk;
  if (!started || size == 0) return 0;
  std::vector<std::uint8_t> file;
  if (data[0] & 1) {
    // The input is the file.
    file.assign(data + 1, data + size);
  } else {
    // The input patches a good file: (offset 3 bytes, xor byte) at a time.
    file = goodFile();
    if (file.empty()) return 0;
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
      const std::size_t at = (data[i] | data[i + 1] << 8 | data[i + 2] << 16) % file.size();
      file[at] ^= data[i + 3];
    }
  }
  MemoryFileSystem fs;
  fs.put("f", file);
  CheckReport report;
  CheckOptions options;
  options.segments[3] = kSegments;
  options.fields = {{'S', 26}, {'S', 26}, {'U', 2}, {'U', 2}, {'B', 1024}, {'X', 242}, {'L', 4}};
  checkStore("f", options, report, &fs);
  SalvageScan scan;
  scanStore("f", scan, &fs);
  exercise(fs, data, size);
  return 0;
}
