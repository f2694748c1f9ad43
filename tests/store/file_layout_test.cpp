// The file's byte layout and the checks made when a file is created or opened.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/file_format.hpp"
#include "store/node.hpp"
#include "store/record_store.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

class FileLayout : public ::testing::Test {
 protected:
  void SetUp() override { startStore(); }
  std::uint32_t word(const std::vector<std::uint8_t>& b, std::size_t at, bool big = false) {
    return ByteOrder{big}.get32(&b[at]);
  }
  ScratchDir dir;
};

TEST_F(FileLayout, NewFileIsHeaderRootAndSpareNodes) {
  const std::string p = dir.file("new.lib");
  {
    RecordStore s;
    ASSERT_EQ(s.Create(p, 1280, ShareMode::Shared, kLittleEndianFile, partKeys()), kOk);
  }
  const auto b = fileBytes(p);
  ASSERT_GE(b.size(), 2u * kBlockSize);
  EXPECT_EQ(b.size() % kBlockSize, 0u);
  const std::pair<std::size_t, std::uint32_t> words[] = {
      {4, 'V'}, {16, 'A'}, {20, 'L'}, {24, 'I'}, {32, 'D'}, {40, 'A'}, {48, 'T'}, {56, '1'},
      {8, 1},   {12, 0},   {28, 1},   {36, 1},   {44, 1},   {60, 0xFFFFFFFF}, {64, 0}, {68, 0},
      {344, 0xFFFFFFFF}, {348, 0xFFFFFFFF}};
  for (const auto& [at, v] : words) EXPECT_EQ(word(b, at), v) << "offset " << at;
  EXPECT_GE(word(b, 0), 1u);  // update counter
  EXPECT_EQ(word(b, 52), b.size() / kBlockSize - 1);  // every node past block 0 is counted
  EXPECT_EQ(b[192 + 1], 0);
  EXPECT_EQ(b[192 + 3], 8);   // the compound index
  EXPECT_EQ(b[192 + 20], 2);  // the lock index
  EXPECT_EQ(b[1010], 0);
  EXPECT_EQ(b[1011], 0);
  // Node 0: the empty leaf root of tree 0.
  EXPECT_EQ(word(b, 1024 + 0), 0u);
  EXPECT_EQ(word(b, 1024 + 4), 0xFFFFFFFF);
  EXPECT_EQ(word(b, 1024 + 8), 0xFFFFFFFF);
  EXPECT_EQ(ByteOrder{}.get16(&b[1024 + 12]), 0);
  EXPECT_EQ(ByteOrder{}.get16(&b[1024 + 14]), 0);
  EXPECT_EQ(ByteOrder{}.get16(&b[1024 + 16]), 1006);
}

TEST_F(FileLayout, BigEndianFileStoresEveryNumberBigEndianAndReadsBack) {
  const std::string p = dir.file("big.lib");
  {
    RecordStore s;
    ASSERT_EQ(s.Create(p, 1280, ShareMode::Shared, kBigEndianFile, partKeys()), kOk);
    PartRecord r;
    for (int i = 0; i < 50; ++i) {
      r.set("BE" + std::to_string(i), "x", 300 + i, i % 2, 200, static_cast<std::uint32_t>(i));
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
    }
  }
  const auto b = fileBytes(p);
  EXPECT_EQ(b[8], 0);
  EXPECT_EQ(word(b, 8, true), 1u);
  EXPECT_EQ(word(b, 4, true), 86u);
  EXPECT_EQ(word(b, 44, true), 51u);
  EXPECT_EQ(checkFaults(p), std::vector<std::string>{});
  RecordStore s;
  ASSERT_EQ(openPartFile(s, p, kReadOnlyAccess), kOk);
  EXPECT_EQ(s.RecordCount(), 50);
  // Index 3 orders type numerically in this byte order too.
  PartRecord r;
  int last = -1;
  for (int rc = s.Step(3, kStepFirst); rc == kOk; rc = s.Step(3, kStepNext)) {
    ASSERT_EQ(s.ReadRecord(r.fields()), kOk);
    const int k = r.hybrid * 10000 + r.type;
    EXPECT_LT(last, k);
    last = k;
  }
}

struct HeaderDamage {
  const char* name;
  std::size_t at;
  std::uint8_t value;
  int code;
};

class DamagedHeader : public FileLayout, public ::testing::WithParamInterface<HeaderDamage> {};

TEST_P(DamagedHeader, OpenRefusesWithItsCode) {
  const std::string p = dir.file("h.lib");
  {
    RecordStore s;
    ASSERT_EQ(createPartFile(s, p), kOk);
  }
  auto b = fileBytes(p);
  b[GetParam().at] = GetParam().value;
  writeFileBytes(p, b);
  RecordStore s;
  EXPECT_EQ(openPartFile(s, p), GetParam().code);
  EXPECT_FALSE(s.isOpen());
  // The checker reports it too (a changed key type of an empty index is no
  // fault of the file, only a mismatch with the caller's definitions).
  if (GetParam().code != kIndexTypeError) {
    EXPECT_FALSE(checkFaults(p).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    StoreCases, DamagedHeader,
    ::testing::Values(HeaderDamage{"SignatureWordAt4", 4, 87, kBadHeader},
                      HeaderDamage{"SignatureWordAt56", 56, '2', kBadHeader},
                      HeaderDamage{"ByteOrderWord", 9, 1, kBadHeader},
                      HeaderDamage{"NodesInUseAboveNodesPresent", 39, 0x40, kCorruptedHeader},
                      HeaderDamage{"NodesPresentPastTheFile", 55, 0x10, kCorruptedHeader},
                      HeaderDamage{"RootOutsideTheFile", 15, 0x7F, kTreeRoot},
                      HeaderDamage{"HeightZero", 28, 0, kTreeRoot},
                      HeaderDamage{"FreeChainOutsideTheFile", 60, 50, kTreeFreeChain},
                      HeaderDamage{"IndexMappedToMissingTree", 219 + 5, 9, kTreeCorruptedHeader},
                      HeaderDamage{"InvalidKeyType", 192 + 9, 12, kInvalidKeyType},
                      HeaderDamage{"KeyTypeNotTheListed", 192 + 1, 1, kIndexTypeError}),
    [](const auto& info) { return std::string(info.param.name); });

// A marker with no journal to roll back with, whole or torn: the file opens
// for reading only and refuses every write.
TEST_F(FileLayout, MarkerWithoutJournalOpensReadOnly) {
  const std::string p = dir.file("m.lib");
  {
    RecordStore s;
    ASSERT_EQ(createPartFile(s, p), kOk);
  }
  const auto sound = fileBytes(p);
  for (const bool half : {false, true}) {
    auto b = sound;
    if (half) {
      b[kMarkerOffset + 1] = 0x33;
    } else {
      ByteOrder{}.put16(&b[kMarkerOffset], kMarkerValue);
    }
    writeFileBytes(p, b);
    RecordStore s;
    ASSERT_EQ(openPartFile(s, p, kReadWriteAccess), kOk) << half;
    EXPECT_TRUE(s.interruptedWithoutJournal());
    EXPECT_EQ(s.RecordCount(), 0);
    PartRecord r;
    r.set("A", "X", 1, 0, 10, 1);
    EXPECT_EQ(s.AddRecord(r.fields()), kReadOnly);
    EXPECT_EQ(s.Close(), kOk);
    EXPECT_EQ(fileBytes(p), b);
  }
  EXPECT_EQ(StoreErrorText(kWriteInterrupted), "write op interrupted: file corrupted");
}

TEST_F(FileLayout, FailedCreateLeavesNoFile) {
  RecordStore s;
  const std::string p = dir.file("x.lib");
  const KeyDef badIndex[] = {{16, 0, nullptr}};
  EXPECT_EQ(s.Create(p, 1280, ShareMode::Shared, 1, badIndex), kIndexNumberError);
  EXPECT_FALSE(std::filesystem::exists(p));
  const KeyDef badType[] = {{1, 21, nullptr}};
  EXPECT_EQ(s.Create(p, 1280, ShareMode::Shared, 1, badType), kIndexTypeError);
  EXPECT_FALSE(std::filesystem::exists(p));
  EXPECT_EQ(s.Create(p, 1280, ShareMode::Shared, 4, partKeys()), kByteOrderModeError);
  EXPECT_FALSE(std::filesystem::exists(p));
  const SegmentList bad = {{21, 0, 0, false}};
  const KeyDef badSegments[] = {{3, 8, &bad}};
  EXPECT_EQ(s.Create(p, 1280, ShareMode::Shared, 1, badSegments), kSegmentListError);
  EXPECT_FALSE(std::filesystem::exists(p));
}

TEST_F(FileLayout, CreateRefusesAnExistingFileAndOpenAMissingOne) {
  const std::string p = dir.file("e.lib");
  RecordStore s;
  ASSERT_EQ(s.Create(p, 1280, ShareMode::Shared, 1, partKeys()), kOk);
  ASSERT_EQ(s.Close(), kOk);
  EXPECT_EQ(s.Create(p, 1280, ShareMode::Shared, 1, partKeys()), kFileExists);
  EXPECT_EQ(openPartFile(s, dir.file("missing.lib")), kFail);
  writeFileBytes(dir.file("short.lib"), std::vector<std::uint8_t>(100, 0));
  EXPECT_EQ(openPartFile(s, dir.file("short.lib")), kDiskReadError);
}

TEST_F(FileLayout, OpenChecksTheKeyDefinitions) {
  const std::string p = dir.file("k.lib");
  {
    RecordStore s;
    ASSERT_EQ(createPartFile(s, p), kOk);
  }
  RecordStore s;
  const KeyDef other[] = {{1, 1, nullptr}};
  EXPECT_EQ(s.Open(p, 1280, ShareMode::Shared, 2, other), kIndexTypeError);
  const KeyDef noSegments[] = {{3, 8, nullptr}};
  EXPECT_EQ(s.Open(p, 1280, ShareMode::Shared, 2, noSegments), kSegmentListError);
  const KeyDef high[] = {{16, 0, nullptr}};
  EXPECT_EQ(s.Open(p, 1280, ShareMode::Shared, 2, high), kIndexNumberError);
  // Without a list every index below 15 must be a plain string index.
  EXPECT_EQ(s.Open(p, 1280, ShareMode::Shared, 2, {}), kIndexTypeError);
  EXPECT_EQ(openPartFile(s, p), kOk);
}

TEST_F(FileLayout, ShutdownWaitsForTheLastClose) {
  const std::string p = dir.file("s.lib");
  RecordStore s;
  ASSERT_EQ(createPartFile(s, p), kOk);
  EXPECT_EQ(StoreShutdown(), kFail);
  ASSERT_EQ(s.Close(), kOk);
  EXPECT_EQ(StoreShutdown(), kOk);
  RecordStore t;
  EXPECT_EQ(openPartFile(t, p), kMemoryError);  // no cache
  startStore();
  EXPECT_EQ(openPartFile(t, p), kOk);
}

TEST_F(FileLayout, ExclusiveOpenShutsOutEveryOtherOpen) {
  const std::string p = dir.file("x.lib");
  {
    RecordStore s;
    ASSERT_EQ(createPartFile(s, p), kOk);
  }
  RecordStore a, b;
  ASSERT_EQ(openPartFile(a, p, kReadWriteAccess, ShareMode::Exclusive), kOk);
  EXPECT_EQ(openPartFile(b, p), kShareModeError);
  EXPECT_EQ(openPartFile(b, p, kReadWriteAccess, ShareMode::Exclusive), kShareModeError);
  ASSERT_EQ(a.Close(), kOk);
  ASSERT_EQ(openPartFile(b, p), kOk);
  EXPECT_EQ(openPartFile(a, p, kReadWriteAccess, ShareMode::Exclusive), kShareModeError);
}

TEST_F(FileLayout, HandlesTakeTheFirstFreeUserSlots) {
  const std::string p = dir.file("u.lib");
  {
    RecordStore s;
    ASSERT_EQ(createPartFile(s, p), kOk);
  }
  RecordStore a, b, c;
  ASSERT_EQ(openPartFile(a, p), kOk);
  ASSERT_EQ(openPartFile(b, p, kReadOnlyAccess), kOk);
  EXPECT_EQ(a.UserSlot(), 0);
  EXPECT_EQ(b.UserSlot(), 1);
  ASSERT_EQ(a.Close(), kOk);
  ASSERT_EQ(openPartFile(c, p), kOk);
  EXPECT_EQ(c.UserSlot(), 0);
}

TEST_F(FileLayout, AddTreeRefusesAnIndexThatHasEntries) {
  const std::string p = dir.file("t.lib");
  RecordStore s;
  ASSERT_EQ(s.Create(p, 1280, ShareMode::Shared, 1, partKeys()), kOk);
  PartRecord r;
  r.set("A", "B", 1, 0, 0, 0);
  ASSERT_EQ(s.AddRecord(r.fields()), kOk);
  EXPECT_EQ(s.AddTree(1, 1), kIndexEntriesExist);
  EXPECT_EQ(s.AddTree(20, 20), kOk);
  EXPECT_EQ(s.AddTree(20, 20), kOk);  // already so
  EXPECT_EQ(s.AddTree(0, 1), kParameterError);
  EXPECT_EQ(s.AddTree(1, 21), kParameterError);
  EXPECT_EQ(s.header().treeOf[20], 20);
  EXPECT_NE(s.header().root[20], 0);
}

}  // namespace
}  // namespace kestrel::store::test
