// The file checker: a clean file reports nothing; each kind of damage is
// reported with the node it is in.
#include "store/store_check.hpp"

#include <gtest/gtest.h>

#include "store/memory_file.hpp"
#include "store/node.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

const ByteOrder kLE{};

class Checker : public ::testing::Test {
 protected:
  void SetUp() override {
    startStore();
    RecordStore s;
    ASSERT_EQ(createPartFile(s, path, &mem), kOk);
    PartRecord r;
    for (int i = 0; i < 300; ++i) {
      r.set("PN-" + std::to_string(10000 + i), "P2", 300 + i % 9, i % 2, 40 + i % 500, static_cast<std::uint32_t>(i));
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
    }
    ASSERT_EQ(s.Close(), kOk);
    bytes = mem.bytes(path);
  }
  std::uint8_t* node(std::int32_t n) { return &bytes[nodeOffset(n)]; }
  std::int32_t firstLeaf(int tree) {
    std::int32_t n = kLE.geti32(&bytes[tree == 0 ? 12 : 264 + 4 * (tree - 1)]);
    while (kLE.get16(node(n) + 12) != 0) n = kLE.geti32(node(n));
    return n;
  }
  NodeImage parsed(std::int32_t n) {
    NodeImage img;
    std::memcpy(img.bytes.data(), node(n), kBlockSize);
    KeyContext kc;
    kc.type[3] = 8;
    kc.type[20] = 2;
    EXPECT_EQ(parseNode(img, kc, n, 1 << 20), kOk);
    return img;
  }
  CheckReport check() {
    mem.put(path, bytes);
    CheckReport report;
    EXPECT_EQ(checkStore(path, partCheckOptions(), report, &mem), kOk);
    return report;
  }
  bool reports(const CheckReport& r, std::int32_t n, int code) {
    for (const auto& f : r.faults) {
      if (f.node == n && f.code == code) return true;
    }
    ADD_FAILURE() << "no " << StoreErrorText(code) << " at node " << n << "; got:";
    for (const auto& f : r.faults) ADD_FAILURE() << describeFault(f);
    return false;
  }

  MemoryFileSystem mem;
  const std::string path = "c.lib";
  std::vector<std::uint8_t> bytes;
};

TEST_F(Checker, CleanFileHasNoFaultsAndCountsEverything) {
  const CheckReport r = check();
  EXPECT_TRUE(r.clean());
  EXPECT_EQ(r.records, 300);
  EXPECT_EQ(r.entries[19], 300);
  EXPECT_EQ(r.entries[1], 300);
  EXPECT_EQ(r.entries[3], 300);
  EXPECT_EQ(r.trees, 5);
}

TEST_F(Checker, SwappedEntriesAreAKeySequenceError) {
  const std::int32_t leaf = firstLeaf(1);
  const NodeImage n = parsed(leaf);
  ASSERT_EQ(n.size(0), n.size(1));
  std::vector<std::uint8_t> first(n.entry(0).begin(), n.entry(0).end());
  std::memcpy(node(leaf) + n.off[0], node(leaf) + n.off[1], first.size());
  std::memcpy(node(leaf) + n.off[1], first.data(), first.size());
  EXPECT_TRUE(reports(check(), leaf, kTreeKeySequence));
}

TEST_F(Checker, IndexEntryOfAMissingRecordIsNamed) {
  const std::int32_t leaf = firstLeaf(1);
  const NodeImage n = parsed(leaf);
  kLE.put32(node(leaf) + n.off[2] + 3, 99999);
  const CheckReport r = check();
  EXPECT_TRUE(reports(r, leaf, kDataRecordError));
  EXPECT_NE(describeFault(r.faults.front()).find("R99999"), std::string::npos);
}

TEST_F(Checker, RecordCountDifferentFromTheTreesIsAHeaderFault) {
  kLE.put32(&bytes[68], 301);
  EXPECT_TRUE(reports(check(), -1, kCorruptedHeader));
}

TEST_F(Checker, DamagedRecordChecksumIsNamedWithItsNode) {
  // The last bytes of a record decide its checksum: change the last blob byte.
  const std::int32_t leaf = firstLeaf(0);
  const NodeImage n = parsed(leaf);
  int last = -1;
  for (int i = 0; i < n.count; ++i) {
    if (n.index(i) == 19 && (n.tag(i) & kLastChunk) && n.data(i).size() > 20) last = i;
  }
  ASSERT_GE(last, 0);
  // The record ends: last blob byte, stamp field number (2) and value (4), FF FF.
  node(leaf)[n.off[last] + n.size(last) - 9] ^= 0x01;
  EXPECT_TRUE(reports(check(), leaf, kRecordChecksum));
}

TEST_F(Checker, FreeChainIntoATreeIsReported) {
  kLE.puti32(&bytes[60], firstLeaf(2));
  const CheckReport r = check();
  EXPECT_FALSE(r.clean());
  bool freeChain = false;
  for (const auto& f : r.faults) freeChain = freeChain || f.code == kTreeFreeChain;
  EXPECT_TRUE(freeChain);
}

TEST_F(Checker, InterruptedWriteIsReportedButTheWalkGoesOn) {
  bytes[kMarkerOffset] = 0xBD;
  const CheckReport r = check();
  EXPECT_TRUE(reports(r, -1, kWriteInterrupted));
  EXPECT_EQ(r.records, 300);
  EXPECT_EQ(r.faults.size(), 1u);
}

TEST_F(Checker, FaultsBeyondTheLimitAreCountedNotListed) {
  for (std::int32_t n = 1; n < 40; ++n) kLE.put16(node(n) + 16, 1);  // free bytes wrong everywhere
  mem.put(path, bytes);
  CheckOptions o = partCheckOptions();
  o.maxFaults = 5;
  CheckReport r;
  ASSERT_EQ(checkStore(path, o, r, &mem), kOk);
  EXPECT_EQ(r.faults.size(), 5u);
  EXPECT_GT(r.moreFaults, 0);
}

}  // namespace
}  // namespace kestrel::store::test
