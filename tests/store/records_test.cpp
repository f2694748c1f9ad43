// The handle: the file's byte layout, the checks made when a file is created
// or opened, and data records with the behaviours the layers above rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "store/file_format.hpp"
#include "store/node.hpp"
#include "store/record_store.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

class Records : public ::testing::Test {
 protected:
  void SetUp() override {
    startStore();
    path = dir.file("parts.lib");
    ASSERT_EQ(createPartFile(s, path), kOk);
  }
  int add(const std::string& pn, const std::string& pn2 = "", int type = 401, int hyb = 0, int size = 100) {
    rec.set(pn, pn2, type, hyb, size, static_cast<std::uint32_t>(pn.size() * 7 + type));
    const int rc = s.AddRecord(rec.fields());
    return rc == kOk ? s.CurrentRecord() : rc;
  }
  std::string currentPn() {
    PartRecord r;
    if (s.ReadRecord(r.fields()) != kOk) return "(unreadable)";
    return r.pn;
  }
  std::vector<std::uint8_t> compoundKey(int hyb, int type, const std::string& pn) {
    PartRecord r;
    r.set(pn, "", type, hyb, 0, 0);
    std::vector<std::uint8_t> key;
    EXPECT_EQ(s.BuildKey(3, r.fields(), -1, key), kOk);
    return key;
  }

  ScratchDir dir;
  std::string path;
  RecordStore s;
  PartRecord rec;
};

TEST_F(Records, UniqueKeyRefusalLeavesNothingBehind) {
  ASSERT_EQ(add("DUP", "X", 401), 1);
  const FileHeader before = s.header();
  const auto bytesBefore = s.RecordCount();
  // Same part number, other type: index 1 refuses it.
  EXPECT_EQ(add("DUP", "Y", 301), kFail);
  EXPECT_EQ(s.RecordCount(), bytesBefore);
  EXPECT_EQ(s.header().nextRecord, before.nextRecord);
  EXPECT_EQ(s.header().reuseCount, 0);
  // No key of the refused record is left in index 2 or 3, no data entry 2.
  EXPECT_EQ(s.FindKey(2, textKey("Y"), 0, kFindEqual), kFail);
  EXPECT_EQ(s.FindKey(3, compoundKey(0, 301, "DUP"), 8, kFindEqual), kFail);
  s.SetCurrentRecord(2);
  PartRecord r;
  EXPECT_EQ(s.ReadRecord(r.fields()), kDataReadError);
  ASSERT_EQ(s.Close(), kOk);
  EXPECT_EQ(checkFaults(path), std::vector<std::string>{});
}

TEST_F(Records, DeletedRecordNumberIsReusedByTheNextAdd) {
  for (int i = 1; i <= 6; ++i) ASSERT_EQ(add("P" + std::to_string(i)), i);
  ASSERT_EQ(s.FindKey(1, textKey("P5"), 0, kFindEqual), kOk);
  ASSERT_EQ(s.CurrentRecord(), 5);
  ASSERT_EQ(s.LockRecord(), kOk);
  ASSERT_EQ(s.DeleteRecord(rec.fields()), kOk);
  EXPECT_EQ(s.CurrentRecord(), -1);
  EXPECT_EQ(s.header().reuseCount, 1);
  EXPECT_EQ(add("NEW"), 5);
  EXPECT_EQ(s.header().reuseCount, 0);
  EXPECT_EQ(add("NEWER"), 7);
}

TEST_F(Records, SixHundredBytePackedRecordIsThreeChunksTagged0And1And130) {
  // A DataList of one block sized so that the packed record is 600 bytes:
  // 5 header bytes + field number 2 + length 2 + n bytes + end mark 2.
  RecordStore t;
  const std::string p = dir.file("plain.dat");
  ASSERT_EQ(t.Create(p, 1280, ShareMode::Shared, kNativeOrderFile, {}), kOk);
  std::uint8_t block[600];
  for (int i = 0; i < 600; ++i) block[i] = static_cast<std::uint8_t>(i * 7);
  DataField list[2] = {{'B', kNoKey, 'N', 600, 0, block, 589}, {}};
  ASSERT_EQ(t.AddRecord(list), kOk);
  ASSERT_EQ(t.Step(19, kStepFirst), kOk);
  ASSERT_EQ(t.Close(), kOk);
  // Tree 0 is a single leaf: read its entries straight from node 0.
  const auto bytes = fileBytes(p);
  NodeImage n;
  std::memcpy(n.bytes.data(), bytes.data() + kBlockSize, kBlockSize);
  KeyContext kc;
  kc.type[20] = 2;
  ASSERT_EQ(parseNode(n, kc, 0, 1), kOk);
  std::vector<int> tags;
  std::size_t total = 0;
  for (int i = 0; i < n.count; ++i) {
    if (n.index(i) != 19) continue;
    tags.push_back(n.tag(i));
    total += n.data(i).size();
  }
  EXPECT_EQ(tags, (std::vector<int>{0, 1, 130}));
  EXPECT_EQ(total, 600u);
}

TEST_F(Records, StepPastEitherEndFailsAndClearsTheCurrentRecord) {
  add("B");
  add("A");
  add("C");
  ASSERT_EQ(s.Step(1, kStepLast), kOk);
  EXPECT_EQ(currentPn(), "C");
  EXPECT_EQ(s.Step(1, kStepNext), kFail);
  EXPECT_EQ(s.CurrentRecord(), -1);
  EXPECT_EQ(s.Step(1, kStepPrevious), kOk);  // back from past the end: the last one
  EXPECT_EQ(currentPn(), "C");
  ASSERT_EQ(s.Step(1, kStepFirst), kOk);
  EXPECT_EQ(currentPn(), "A");
  EXPECT_EQ(s.Step(1, kStepPrevious), kFail);
  EXPECT_EQ(s.CurrentRecord(), -1);
  EXPECT_EQ(s.Step(1, kStepNext), kOk);
  EXPECT_EQ(currentPn(), "A");
}

struct FindCase {
  const char* name;
  const char* key;
  int mode;
  int result;
  const char* found;  // part number of the record made current, "" for none
};

// Equal-or-greater, the mode the lists use, is checked against a map in the
// model runs.
class FindModes : public Records, public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindModes, PositionAndResult) {
  for (const char* p : {"B10", "B20", "B30"}) add(p);
  const FindCase& c = GetParam();
  EXPECT_EQ(s.FindKey(1, textKey(c.key), kStringKeyType, c.mode), c.result);
  if (std::string(c.found).empty()) {
    EXPECT_EQ(s.CurrentRecord(), -1);
  } else {
    EXPECT_EQ(currentPn(), c.found);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StoreCases, FindModes,
    ::testing::Values(FindCase{"EqualHit", "B20", kFindEqual, kOk, "B20"},
                      FindCase{"EqualMiss", "B25", kFindEqual, kFail, ""},
                      FindCase{"GreaterSkipsEqual", "B20", kFindGreater, kOk, "B30"},
                      FindCase{"GreaterPastLast", "B30", kFindGreater, kFail, ""},
                      FindCase{"LessTakesThePrevious", "B20", kFindLess, kOk, "B10"},
                      FindCase{"LessBeforeFirst", "B10", kFindLess, kFail, ""},
                      FindCase{"EqualOrLessOnEqual", "B30", kFindEqualOrLess, kOk, "B30"},
                      FindCase{"EqualOrLessBetweenGives3", "B25", kFindEqualOrLess, 3, "B20"},
                      FindCase{"EqualOrLessPastLastGives3", "Z", kFindEqualOrLess, 3, "B30"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Records, FindKeyRefusesAnotherKeyType) {
  add("A");
  EXPECT_EQ(s.FindKey(1, textKey("A"), 3, kFindEqual), kKeyTypeError);
  EXPECT_EQ(s.FindKey(3, compoundKey(0, 401, "A"), kStringKeyType, kFindEqual), kKeyTypeError);
  EXPECT_EQ(s.FindKey(1, textKey("A"), kAnyKeyType, kFindEqual), kOk);
}

TEST_F(Records, CompoundKeyOrdersByHybridFlagThenTypeThenNumber) {
  add("B", "", 401, 0);  // resistor "B"
  add("A", "", 402, 0);  // capacitor "A"
  add("C", "", 401, 1);  // hybrid resistor "C"
  add("A2", "", 301, 1);
  add("Z", "", 1000, 0);  // type 1000 after 402: numeric, not bytewise little-endian order
  std::vector<std::string> order;
  for (int rc = s.Step(3, kStepFirst); rc == kOk; rc = s.Step(3, kStepNext)) order.push_back(currentPn());
  EXPECT_EQ(order, (std::vector<std::string>{"B", "A", "Z", "A2", "C"}));
  // The first record at or after (hybrid 0, type 402, empty number).
  EXPECT_EQ(s.FindKey(3, compoundKey(0, 402, ""), 8, kFindEqualOrGreater), 2);
  EXPECT_EQ(currentPn(), "A");
}

TEST_F(Records, DuplicateSecondNumbersAreAllKept) {
  add("P1", "SAME");
  add("P2", "SAME");
  add("P3", "OTHER");
  ASSERT_EQ(s.FindKey(2, textKey("SAME"), 0, kFindEqual), kOk);
  EXPECT_EQ(currentPn(), "P1");
  ASSERT_EQ(s.Step(2, kStepNext), kOk);
  EXPECT_EQ(currentPn(), "P2");
  EXPECT_EQ(s.Step(2, kStepNext), kFail);  // "OTHER" sorts before "SAME"
  ASSERT_EQ(s.Step(2, kStepFirst), kOk);
  EXPECT_EQ(currentPn(), "P3");
}

TEST_F(Records, UpdateAndDeleteNeedTheLockInSharedMode) {
  add("A");
  ASSERT_EQ(s.FindKey(1, textKey("A"), 0, kFindEqual), kOk);
  EXPECT_EQ(s.UpdateRecord(rec.fields()), kMustBeLocked);
  EXPECT_EQ(s.DeleteRecord(rec.fields()), kMustBeLocked);
  EXPECT_EQ(s.TestLock(), kUnlocked);
  ASSERT_EQ(s.LockRecord(), kOk);
  EXPECT_EQ(s.TestLock(), kLockedBySelf);
  ASSERT_EQ(s.UnlockRecord(), kOk);
  EXPECT_EQ(s.TestLock(), kUnlocked);
  EXPECT_EQ(s.UnlockRecord(), kUnlocked);
}

TEST_F(Records, OperationsWithoutCurrentRecordSayNoCurrentRecord) {
  PartRecord r;
  EXPECT_EQ(s.ReadRecord(r.fields()), kNoCurrentRecord);
  EXPECT_EQ(s.UpdateRecord(r.fields()), kNoCurrentRecord);
  EXPECT_EQ(s.DeleteRecord(r.fields()), kNoCurrentRecord);
  EXPECT_EQ(s.LockRecord(), kNoCurrentRecord);
}

TEST_F(Records, NamedRecordsReplaceAndReportMissingEntries) {
  const std::string v1 = "50100";
  ASSERT_EQ(s.WriteNamed(7, "LIBHEADER", 1, {reinterpret_cast<const std::uint8_t*>(v1.c_str()), v1.size() + 1}), kOk);
  const std::string d = "Library Description";
  ASSERT_EQ(s.WriteNamed(7, "LIBHEADER", 3, {reinterpret_cast<const std::uint8_t*>(d.c_str()), d.size() + 1}), kOk);
  std::uint8_t buf[100];
  std::size_t len = 0;
  ASSERT_EQ(s.ReadNamed(7, "LIBHEADER", 1, buf, &len), kOk);
  EXPECT_STREQ(reinterpret_cast<char*>(buf), "50100");
  EXPECT_EQ(s.ReadNamed(7, "LIBHEADER", 2, buf, &len), 1);  // a higher sequence number exists
  EXPECT_EQ(s.ReadNamed(7, "LIBHEADER", 4, buf, &len), 2);
  EXPECT_EQ(s.ReadNamed(7, "NOSUCH", 1, buf, &len), 2);
  // Replacing keeps one entry; a long text runs over several chunks.
  std::string big(700, 'x');
  ASSERT_EQ(s.WriteNamed(7, "LIBHEADER", 1, {reinterpret_cast<const std::uint8_t*>(big.c_str()), big.size() + 1}),
            kOk);
  std::vector<std::uint8_t> out(1000);
  ASSERT_EQ(s.ReadNamed(7, "LIBHEADER", 1, out, &len), kOk);
  EXPECT_EQ(len, 701u);
  EXPECT_EQ(s.ReadNamed(7, "LIBHEADER", 1, std::span(out).first(10), &len), kOk);
  EXPECT_EQ(len, 10u);  // cut to the buffer
  ASSERT_EQ(s.Close(), kOk);
  EXPECT_EQ(checkFaults(path), std::vector<std::string>{});
}

TEST_F(Records, ScanKeysStopsAtTheAcceptedKey) {
  for (const char* p : {"AB100", "CD47X", "EF200", "GH470"}) add(p);
  ASSERT_EQ(s.Step(1, kStepFirst), kOk);
  ASSERT_EQ(s.Step(1, kStepPrevious), kFail);
  std::vector<std::string> seen;
  auto contains47 = [&](std::span<const std::uint8_t> key, std::int32_t) {
    seen.emplace_back(reinterpret_cast<const char*>(key.data()));
    return seen.back().find("47") != std::string::npos;
  };
  ASSERT_EQ(s.ScanKeys(1, contains47), kOk);
  EXPECT_EQ(currentPn(), "CD47X");
  ASSERT_EQ(s.ScanKeys(1, contains47), kOk);
  EXPECT_EQ(currentPn(), "GH470");
  EXPECT_EQ(s.ScanKeys(1, contains47), kFail);
  EXPECT_EQ(s.CurrentRecord(), -1);
  EXPECT_EQ(seen, (std::vector<std::string>{"AB100", "CD47X", "EF200", "GH470"}));
}

TEST_F(Records, ReadOnlyHandleRefusesWrites) {
  add("A");
  ASSERT_EQ(s.Close(), kOk);
  ASSERT_EQ(openPartFile(s, path, kReadOnlyAccess), kOk);
  EXPECT_EQ(s.AddRecord(rec.fields()), kReadOnly);
  ASSERT_EQ(s.Step(1, kStepFirst), kOk);
  EXPECT_EQ(s.LockRecord(), kReadOnly);
  EXPECT_EQ(s.WriteNamed(7, "N", 1, {}), kReadOnly);
  EXPECT_EQ(currentPn(), "A");
}

TEST_F(Records, ClosedHandleGivesHandleError) {
  ASSERT_EQ(s.Close(), kOk);
  EXPECT_EQ(s.RecordCount(), kHandleError);
  EXPECT_EQ(s.Step(1, kStepFirst), kHandleError);
  EXPECT_EQ(s.Close(), kHandleError);
}

TEST_F(Records, RecordLargerThanTheBufferIsRefused) {
  RecordStore t;
  ASSERT_EQ(t.Create(dir.file("small.dat"), 100, ShareMode::Exclusive, kNativeOrderFile, {}), kOk);
  std::uint8_t block[200] = {1};
  DataField list[2] = {{'B', kNoKey, 'N', 200, 0, block, 200}, {}};
  EXPECT_EQ(t.AddRecord(list), kBufferOverflow);
  EXPECT_EQ(t.RecordCount(), 0);
}


class FileLayout : public ::testing::Test {
 protected:
  void SetUp() override { startStore(); }
  std::uint32_t word(const std::vector<std::uint8_t>& b, std::size_t at, bool big = false) {
    return ByteOrder{big}.get32(&b[at]);
  }
  // A new part file, closed.
  std::string made(const std::string& name) {
    const std::string p = dir.file(name);
    RecordStore s;
    EXPECT_EQ(createPartFile(s, p), kOk);
    return p;
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
  const std::string p = made("h.lib");
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
  const std::string p = made("m.lib");
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
  const SegmentList bad = {{21, 0, 0, false}};
  const KeyDef badIndex[] = {{16, 0, nullptr}}, badType[] = {{1, 21, nullptr}}, badSegments[] = {{3, 8, &bad}};
  const std::tuple<int, std::span<const KeyDef>, int> cases[] = {{1, badIndex, kIndexNumberError},
                                                                 {1, badType, kIndexTypeError},
                                                                 {4, partKeys(), kByteOrderModeError},
                                                                 {1, badSegments, kSegmentListError}};
  for (const auto& [byteOrder, keys, code] : cases) {
    EXPECT_EQ(s.Create(p, 1280, ShareMode::Shared, byteOrder, keys), code);
    EXPECT_FALSE(std::filesystem::exists(p)) << code;
  }
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
  const std::string p = made("k.lib");
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
  const std::string p = made("x.lib");
  RecordStore a, b;
  ASSERT_EQ(openPartFile(a, p, kReadWriteAccess, ShareMode::Exclusive), kOk);
  EXPECT_EQ(openPartFile(b, p), kShareModeError);
  EXPECT_EQ(openPartFile(b, p, kReadWriteAccess, ShareMode::Exclusive), kShareModeError);
  ASSERT_EQ(a.Close(), kOk);
  ASSERT_EQ(openPartFile(b, p), kOk);
  EXPECT_EQ(openPartFile(a, p, kReadWriteAccess, ShareMode::Exclusive), kShareModeError);
}

TEST_F(FileLayout, HandlesTakeTheFirstFreeUserSlots) {
  const std::string p = made("u.lib");
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
