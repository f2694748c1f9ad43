// Damaged files: every reader checks node numbers, counts, lengths and
// offsets, so a damaged or hostile file gives its code (and the checker names
// the node), never a crash, a hang or a wrong answer taken for good. A clean
// file checks clean with every entry counted.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "store/file_format.hpp"
#include "store/node.hpp"
#include "store/record_store.hpp"
#include "store/store_check.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

const ByteOrder kLE{};

class Damaged : public ::testing::Test {
 protected:
  void SetUp() override {
    startStore();
    path = dir.file("d.lib");
    RecordStore s;
    s.SetDurable(false);
    ASSERT_EQ(createPartFile(s, path), kOk);
    PartRecord r;
    for (int i = 0; i < 400; ++i) {
      r.set("PART-NUMBER-" + std::to_string(1000 + i), "SECOND", 400 + i % 5, i % 2, 150 + i % 300,
            static_cast<std::uint32_t>(i));
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
    }
    ASSERT_EQ(s.Close(), kOk);
    good = fileBytes(path);
    ASSERT_EQ(kLE.get32(&good[0x1c]) >= 2, true);  // tree 0 has inner nodes
  }
  std::uint8_t* node(std::vector<std::uint8_t>& b, std::int32_t n) { return &b[nodeOffset(n)]; }
  NodeImage parsed(std::int32_t n) {
    NodeImage img;
    std::memcpy(img.bytes.data(), node(good, n), kBlockSize);
    KeyContext kc;
    kc.type[3] = 8;
    kc.type[20] = 2;
    EXPECT_EQ(parseNode(img, kc, n, 1 << 20), kOk);
    return img;
  }
  // The checker's report on `good` as the test changed it.
  CheckReport check(const CheckOptions& o = partCheckOptions()) {
    writeFileBytes(path, good);
    CheckReport report;
    EXPECT_EQ(checkStore(path, o, report), kOk);
    return report;
  }
  bool reports(const CheckReport& r, std::int32_t n, int code) {
    for (const auto& f : r.faults) {
      if (f.node == n && f.code == code) return true;
    }
    ADD_FAILURE() << "no " << StoreErrorText(code) << " at node " << n << "; got "
                  << ::testing::PrintToString(checkFaults(path));
    return false;
  }
  std::int32_t root(int tree) { return kLE.geti32(&good[tree == 0 ? 12 : 264 + 4 * (tree - 1)]); }
  // The leftmost leaf of a tree and its right neighbour.
  std::int32_t firstLeaf(int tree) {
    std::int32_t n = root(tree);
    while (kLE.get16(node(good, n) + 12) != 0) n = kLE.geti32(node(good, n));
    return n;
  }
  // Runs every read path over the file and collects the codes; none may crash or hang.
  std::set<int> exercise() {
    std::set<int> codes;
    RecordStore s;
    int rc = openPartFile(s, path);
    codes.insert(rc);
    if (rc != kOk) return codes;
    PartRecord r;
    for (int index : {1, 2, 3, 19, 20, 7}) {
      for (int mode : {kStepFirst, kStepLast}) {
        rc = s.Step(index, mode);
        codes.insert(rc);
        for (int i = 0; i < 600 && rc == kOk; ++i) {
          codes.insert(s.ReadRecord(r.fields()));
          rc = s.Step(index, mode == kStepFirst ? kStepNext : kStepPrevious);
          codes.insert(rc);
        }
      }
      codes.insert(s.ScanKeys(index, [](auto, auto) { return false; }));
    }
    for (int i = 0; i < 400; i += 7) {
      rc = s.FindKey(1, textKey("PART-NUMBER-" + std::to_string(1000 + i)), 0, kFindEqualOrGreater);
      codes.insert(rc);
      if (rc >= 0) codes.insert(s.ReadRecord(r.fields()));
    }
    r.set("NEW", "X", 1, 0, 10, 1);
    codes.insert(s.AddRecord(r.fields()));
    codes.insert(s.Close());
    return codes;
  }
  void expectRefused(const std::set<int>& codes, int code) {
    EXPECT_TRUE(codes.count(code)) << "expected " << StoreErrorText(code);
    for (int c : codes) EXPECT_LE(c, 3) << c;
  }

  ScratchDir dir;
  std::string path;
  std::vector<std::uint8_t> good;
};

struct NodeDamage {
  const char* name;
  int tree;        // the first leaf of this tree (or its root when `atRoot`)
  bool atRoot;
  std::size_t at;  // byte in the node
  std::uint32_t value;
  int width;       // 1, 2 or 4 bytes
  int code;        // what readers and the checker give
};

class DamagedNode : public Damaged, public ::testing::WithParamInterface<NodeDamage> {};

TEST_P(DamagedNode, ReadersAndTheCheckerRefuseIt) {
  const NodeDamage& d = GetParam();
  auto b = good;
  const std::int32_t n = d.atRoot ? root(d.tree) : firstLeaf(d.tree);
  std::uint8_t* p = node(b, n) + d.at;
  if (d.width == 1) *p = static_cast<std::uint8_t>(d.value);
  if (d.width == 2) kLE.put16(p, static_cast<std::uint16_t>(d.value));
  if (d.width == 4) kLE.put32(p, d.value);
  writeFileBytes(path, b);
  expectRefused(exercise(), d.code);
  const auto faults = checkFaults(path);
  ASSERT_FALSE(faults.empty());
  const std::string named = "node " + std::to_string(n) + ": " + StoreErrorText(d.code);
  bool found = false;
  for (const auto& f : faults) found = found || f.rfind(named, 0) == 0;
  EXPECT_TRUE(found) << "no \"" << named << "\" among " << ::testing::PrintToString(faults);
}

INSTANTIATE_TEST_SUITE_P(
    StoreCases, DamagedNode,
    ::testing::Values(
        NodeDamage{"EntryCountAbove143", 1, false, 14, 144, 2, kTreeEntryCount},
        NodeDamage{"FreeBytesNotMatchingTheEntries", 1, false, 16, 7, 2, kTreeFreeSpace},
        NodeDamage{"EntryLengthPastTheNode", 1, false, 18, 0xFF, 1, kTreeScanning},
        NodeDamage{"EntryIndexZero", 1, false, 19, 0, 1, kTreeScanning},
        NodeDamage{"RightSiblingOutsideTheFile", 1, false, 4, 999999, 4, kTreeForwardPointer},
        NodeDamage{"RightSiblingIsTheNodeItself", 3, false, 4, 0xFFFFFFFE, 4, kTreeForwardPointer},
        NodeDamage{"LeafClaimsALevel", 1, false, 12, 1, 2, kTreeChildPointer},
        NodeDamage{"FreedNodeInATree", 0, false, 12, 0xFFFF, 2, kTreeNodeRead},
        NodeDamage{"RootChildOutsideTheFile", 0, true, 0, 0x7FFFFFF0, 4, kTreeChildPointer},
        NodeDamage{"RootAtTheWrongLevel", 0, true, 12, 7, 2, kTreeRoot}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Damaged, SiblingLoopIsFoundNotFollowedForever) {
  // Point a leaf's right link back at the first leaf: a loop along the level.
  auto b = good;
  const std::int32_t first = firstLeaf(1);
  const std::int32_t second = kLE.geti32(node(b, first) + 4);
  ASSERT_NE(second, -1);
  const std::int32_t third = kLE.geti32(node(b, second) + 4);
  ASSERT_NE(third, -1);
  kLE.puti32(node(b, third) + 4, first);
  writeFileBytes(path, b);
  const auto codes = exercise();
  for (int c : codes) EXPECT_LE(c, 3);
  EXPECT_TRUE(codes.count(kTreeReversePointer) || codes.count(kTreeForwardPointer));
  const auto faults = checkFaults(path);
  ASSERT_FALSE(faults.empty());
}

TEST_F(Damaged, ChildPointingUpIsARefusedDescent) {
  // The root's leftmost child replaced by the root itself.
  auto b = good;
  const std::int32_t r = root(0);
  kLE.puti32(node(b, r), r);
  writeFileBytes(path, b);
  expectRefused(exercise(), kTreeSamePointers);
}

TEST_F(Damaged, TornDataRecordIsNeverReadAsGood) {
  // Flip one byte in the middle of a record's blob: the weak checksum may
  // miss it, so the damage must be caught or the bytes read must differ.
  auto b = good;
  const std::int32_t leaf = firstLeaf(0);
  const NodeImage n = parsed(leaf);
  int victim = -1;
  for (int i = 0; i < n.count && victim < 0; ++i) {
    if (n.index(i) == 19 && n.data(i).size() > 100) victim = i;
  }
  ASSERT_GE(victim, 0);
  node(b, leaf)[n.off[victim] + 60] ^= 0x40;
  writeFileBytes(path, b);
  RecordStore s;
  ASSERT_EQ(openPartFile(s, path), kOk);
  s.SetCurrentRecord(static_cast<std::int32_t>(n.number(kLE, victim)));
  PartRecord r;
  const int rc = s.ReadRecord(r.fields());
  if (rc == kOk) {
    // Whatever was read is not the record as written.
    PartRecord want;
    const int i = static_cast<int>(n.number(kLE, victim)) - 1;
    want.set("PART-NUMBER-" + std::to_string(1000 + i), "SECOND", 400 + i % 5, i % 2, 150 + i % 300,
             static_cast<std::uint32_t>(i));
    const bool same = std::string(r.pn) == want.pn && r.blobSize() == want.blobSize() &&
                      std::memcmp(r.blob, want.blob, want.blobSize()) == 0 && r.type == want.type;
    EXPECT_FALSE(same);
  } else {
    EXPECT_LT(rc, 0);
  }
}

// A write refuses the nodes it would build on when they are damaged, and
// leaves the file as it found it: no record added, no new fault.
TEST_F(Damaged, WritesRefuseDamageOnTheirWay) {
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    int code;
  };
  auto reuseEntry = [&](std::vector<std::uint8_t>& b) -> std::uint8_t* {
    // The first leaf of tree 0 with an entry of index 18 (numbers waiting for reuse).
    for (std::int32_t n = firstLeaf(0); n != -1; n = kLE.geti32(node(b, n) + 4)) {
      std::uint8_t* e = node(b, n) + kNodeHeaderSize;
      for (int i = 0; i < kLE.get16(node(b, n) + 14); ++i, e += e[0] + 1) {
        if (e[1] == 18) return e;
      }
    }
    return nullptr;
  };
  const Case cases[] = {
      {"neighbour not linking back",
       [&](auto& b) {
         const std::int32_t second = kLE.geti32(node(b, firstLeaf(1)) + 4);
         kLE.puti32(node(b, second) + 8, -1);
       },
       kTreeForwardPointer},
      {"keys out of order",
       [&](auto& b) { node(b, firstLeaf(1))[kNodeHeaderSize + kEntryHeader] = 'z'; },
       kTreeKeySequence},
      {"reused number never handed out",
       [&](auto& b) { kLE.put32(reuseEntry(b) + 3, 100000); },
       kTreeScanning},
  };
  {
    RecordStore s;
    ASSERT_EQ(openPartFile(s, path), kOk);
    ASSERT_EQ(s.FindKey(1, textKey("PART-NUMBER-1007"), 0, kFindEqual), kOk);
    ASSERT_EQ(s.LockRecord(), kOk);
    PartRecord r;
    ASSERT_EQ(s.ReadRecord(r.fields()), kOk);
    ASSERT_EQ(s.DeleteRecord(r.fields()), kOk);
    ASSERT_EQ(s.Close(), kOk);
    good = fileBytes(path);
  }
  for (const Case& c : cases) {
    auto b = good;
    c.damage(b);
    writeFileBytes(path, b);
    const auto before = checkFaults(path);
    RecordStore s;
    ASSERT_EQ(openPartFile(s, path), kOk) << c.name;
    PartRecord r;
    r.set("A-FIRST", "X", 400, 0, 10, 1);
    EXPECT_EQ(s.AddRecord(r.fields()), c.code) << c.name;
    EXPECT_EQ(s.RecordCount(), 399) << c.name;
    EXPECT_EQ(s.Close(), kOk);
    EXPECT_EQ(checkFaults(path), before) << c.name;
  }
}

TEST_F(Damaged, RandomByteFlipsNeverCrashOrHang) {
  std::mt19937 rng(99);
  const std::size_t nodes = good.size() / kBlockSize - 1;
  int refused = 0;
  for (int round = 0; round < 60; ++round) {
    auto b = good;
    for (int k = 0; k < 3; ++k) {
      const std::size_t n = rng() % nodes;
      b[nodeOffset(static_cast<std::int32_t>(n)) + rng() % kBlockSize] ^= static_cast<std::uint8_t>(1 + rng() % 255);
    }
    writeFileBytes(path, b);
    const auto codes = exercise();
    for (int c : codes) ASSERT_LE(c, 3) << "round " << round;
    refused += *codes.begin() < 0;
    (void)checkFaults(path);
  }
  EXPECT_GT(refused, 10);
}


TEST_F(Damaged, CleanFileHasNoFaultsAndCountsEverything) {
  const CheckReport r = check();
  EXPECT_TRUE(r.clean());
  EXPECT_EQ(r.records, 400);
  EXPECT_EQ(r.entries[19], 400);
  EXPECT_EQ(r.entries[1], 400);
  EXPECT_EQ(r.entries[3], 400);
  EXPECT_EQ(r.trees, 5);
}

TEST_F(Damaged, SwappedEntriesAreAKeySequenceError) {
  const std::int32_t leaf = firstLeaf(1);
  const NodeImage n = parsed(leaf);
  ASSERT_EQ(n.size(0), n.size(1));
  std::vector<std::uint8_t> first(n.entry(0).begin(), n.entry(0).end());
  std::memcpy(node(good, leaf) + n.off[0], node(good, leaf) + n.off[1], first.size());
  std::memcpy(node(good, leaf) + n.off[1], first.data(), first.size());
  EXPECT_TRUE(reports(check(), leaf, kTreeKeySequence));
}

TEST_F(Damaged, IndexEntryOfAMissingRecordIsNamed) {
  const std::int32_t leaf = firstLeaf(1);
  kLE.put32(node(good, leaf) + parsed(leaf).off[2] + 3, 99999);
  const CheckReport r = check();
  EXPECT_TRUE(reports(r, leaf, kDataRecordError));
  EXPECT_NE(describeFault(r.faults.front()).find("R99999"), std::string::npos);
}

TEST_F(Damaged, RecordCountDifferentFromTheTreesIsAHeaderFault) {
  kLE.put32(&good[68], 401);
  EXPECT_TRUE(reports(check(), -1, kCorruptedHeader));
}

TEST_F(Damaged, DamagedRecordChecksumIsNamedWithItsNode) {
  // The last bytes of a record decide its checksum: change the last blob byte.
  const std::int32_t leaf = firstLeaf(0);
  const NodeImage n = parsed(leaf);
  int last = -1;
  for (int i = 0; i < n.count; ++i) {
    if (n.index(i) == 19 && (n.tag(i) & kLastChunk) && n.data(i).size() > 20) last = i;
  }
  ASSERT_GE(last, 0);
  // The record ends: last blob byte, stamp field number (2) and value (4), FF FF.
  node(good, leaf)[n.off[last] + n.size(last) - 9] ^= 0x01;
  EXPECT_TRUE(reports(check(), leaf, kRecordChecksum));
}

TEST_F(Damaged, FreeChainIntoATreeIsReported) {
  kLE.puti32(&good[60], firstLeaf(2));
  const CheckReport r = check();
  bool freeChain = false;
  for (const auto& f : r.faults) freeChain = freeChain || f.code == kTreeFreeChain;
  EXPECT_TRUE(freeChain);
}

TEST_F(Damaged, InterruptedWriteIsReportedButTheWalkGoesOn) {
  good[kMarkerOffset] = 0xBD;
  const CheckReport r = check();
  EXPECT_TRUE(reports(r, -1, kWriteInterrupted));
  EXPECT_EQ(r.records, 400);
  EXPECT_EQ(r.faults.size(), 1u);
}

TEST_F(Damaged, FaultsBeyondTheLimitAreCountedNotListed) {
  for (std::int32_t n = 1; n < 40; ++n) kLE.put16(node(good, n) + 16, 1);  // free bytes wrong everywhere
  CheckOptions o = partCheckOptions();
  o.maxFaults = 5;
  const CheckReport r = check(o);
  EXPECT_EQ(r.faults.size(), 5u);
  EXPECT_GT(r.moreFaults, 0);
}

}  // namespace
}  // namespace kestrel::store::test
