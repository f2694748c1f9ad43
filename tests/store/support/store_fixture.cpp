#include "support/store_fixture.hpp"

#include <stdlib.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrel::store::test {

ScratchDir::ScratchDir() {
  char name[] = "/tmp/kestrel-store-XXXXXX";
  path_ = ::mkdtemp(name) != nullptr ? name : "/tmp";
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ec);
}

void startStore(int buffers) { ASSERT_EQ(StoreStartup(buffers), kOk); }

int listWholeInOrder(RecordStore& s, PartRecord& r) {
  std::string prev;
  for (bool first = true;; first = false) {
    if (s.BeginRead() != kOk) return 1;
    const int step = s.Step(1, first ? kStepFirst : kStepNext);
    const int read = step == kOk ? s.ReadRecord(r.fields()) : kOk;
    if (s.EndRead() != kOk) return 1;
    if (step == kFail) return 0;
    if (step != kOk) return 2;
    if (read != kOk) return 3;
    if (!whole(r)) return 4;
    // A part deleted and added again behind the cursor comes once more.
    if (!prev.empty() && prev > r.pn) return 5;
    prev = r.pn;
  }
}

int exitCodeOf(int pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

PartRecord::PartRecord() {
  list[0] = {'S', 0, 'U', 26, 1, pn, 0};
  list[1] = {'S', 0, 'D', 26, 2, pn2, 0};
  list[2] = {'U', kNoKey, 'N', 2, 0, &type, 0};
  list[3] = {'U', kNoKey, 'N', 2, 0, &hybrid, 0};
  list[4] = {'B', kNoKey, 'N', 1024, 0, blob, 0};
  list[5] = {'X', 8, 'U', 242, 3, nullptr, 0};
  list[6] = {'L', kNoKey, 'N', 4, 0, &stamp, 0};
  list[7] = DataField{};
}

void PartRecord::set(const std::string& number, const std::string& second, int partType, int hyb, int size,
                     std::uint32_t seed) {
  std::memset(pn, 0, sizeof pn);
  std::memset(pn2, 0, sizeof pn2);
  std::strncpy(pn, number.c_str(), sizeof pn - 1);
  std::strncpy(pn2, second.c_str(), sizeof pn2 - 1);
  type = static_cast<std::uint16_t>(partType);
  hybrid = static_cast<std::uint16_t>(hyb);
  std::uint32_t x = seed * 2654435761u + 12345;
  for (int i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345;
    blob[i] = static_cast<std::uint8_t>(x >> 24);
  }
  list[4].size = static_cast<std::uint16_t>(size);
  stamp = static_cast<std::int32_t>(seed);
}

void fillVersion(PartRecord& r, const std::string& pn, std::int32_t version) {
  r.set(pn, "V" + std::to_string(version), 401, 0, 20 + static_cast<int>(static_cast<std::uint32_t>(version) * 37u % 900u),
        static_cast<std::uint32_t>(version));
}

bool whole(const PartRecord& r) {
  PartRecord want;
  fillVersion(want, r.pn, r.stamp);
  return std::strcmp(r.pn2, want.pn2) == 0 && r.blobSize() == want.blobSize() &&
         std::memcmp(r.blob, want.blob, want.blobSize()) == 0;
}

const SegmentList& partSegments() {
  static const SegmentList segs = {{10, 3, 0, false}, {10, 2, 0, false}, {0, 0, 0, false}};
  return segs;
}

std::span<const KeyDef> partKeys() {
  static const KeyDef keys[] = {{1, 0, nullptr}, {2, 0, nullptr}, {3, 8, &partSegments()}};
  return keys;
}

CheckOptions partCheckOptions() {
  CheckOptions o;
  o.segments[3] = partSegments();
  o.fields = {{'S', 26}, {'S', 26}, {'U', 2}, {'U', 2}, {'B', 1024}, {'X', 242}, {'L', 4}};
  return o;
}

int createPartFile(RecordStore& s, const std::string& path, StoreFileSystem* fs) {
  int rc = s.Create(path, 1280, ShareMode::Shared, kNativeOrderFile, partKeys(), fs);
  if (rc != kOk) return rc;
  for (auto [index, tree] : {std::pair{20, 20}, {1, 1}, {2, 2}, {3, 3}}) {
    rc = s.AddTree(index, tree);
    if (rc != kOk) return rc;
  }
  return kOk;
}

int openPartFile(RecordStore& s, const std::string& path, int access, ShareMode share, StoreFileSystem* fs) {
  return s.Open(path, 1280, share, access, partKeys(), fs);
}

std::vector<std::uint8_t> textKey(const std::string& s) {
  std::vector<std::uint8_t> k(s.begin(), s.end());
  k.push_back(0);
  return k;
}

std::vector<std::string> checkFaults(const std::string& path, StoreFileSystem* fs) {
  CheckReport report;
  std::vector<std::string> out;
  const int rc = checkStore(path, partCheckOptions(), report, fs);
  if (rc != kOk) out.push_back("check failed: " + StoreErrorText(rc));
  for (const auto& f : report.faults) out.push_back(describeFault(f));
  return out;
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kestrel::store::test
