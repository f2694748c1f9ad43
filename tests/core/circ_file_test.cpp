#include "core/circ_file.hpp"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "core/archive.hpp"
#include "core/circ_doc.hpp"
#include "core/circ_header.hpp"
#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "core/file_system.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "core/record_find.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

using test::FaultyFileSystem;
using test::TempFolder;

std::unique_ptr<CCircDoc> sampleDoc(DocKind kind = DocKind::Circuit, int records = 3) {
  auto doc = std::make_unique<CCircDoc>(kind);
  for (int i = 0; i < records; ++i) {
    auto p = test::fixedPart(0.5 + i, "PN" + std::to_string(i), "R" + std::to_string(i), 1 + i);
    p->IS_HYBRID = doc->hybridFlag();
    doc->insertSorted(std::move(p));
  }
  return doc;
}

std::vector<std::uint8_t> readAll(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(posixFileSystem().readFile(path, bytes, 1u << 30).isOk());
  return bytes;
}

void writeAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// Re-seals bytes with a fresh checksum, so a test can reach the later checks.
std::vector<std::uint8_t> resealed(std::vector<std::uint8_t> bytes) {
  bytes.resize(bytes.size() - 4);
  appendChecksum(bytes);
  return bytes;
}

TEST(CircuitFile, EveryHeaderAndRecordFieldSurvivesSaveAndLoad) {
  test::registerTestParts();
  TempFolder dir;
  auto doc = sampleDoc();
  CCircHeader& h = doc->header();
  h.DESCR = std::string(300, 'd');  // a text past the one-byte length form
  h.ENV = 9;
  h.TEMP = -12.5f;
  h.CF = 0.75f;
  h.MODEL = 3;
  h.NREQ = 2;
  h.NOTES = "header notes";
  h.HASSMT = 1;
  h.SMTBOARD = 23;
  h.BOARDTCE = 12;
  h.TypeList[0] = 609;
  h.TypeFRShare[4] = 12.5f;
  h.MissionMTBF = 123456.75;
  CMisc& m = static_cast<CMisc&>(doc->record(1));
  m.METHOD = 2;
  m.EA = 0.55f;
  m.TNORMAL = 30;
  m.TRISE = 7;
  m.PN2 = "second";
  m.LCN = "lcn";
  m.NOTES = std::string(512, 'n');
  m.SMT_LEAD = 1;
  m.SMT_HT = 12.5f;
  m.FRSMT = 0.125f;
  m.RelAtT = 0.987654321;
  m.OverFlags = OverTemp;

  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, dir.file("A.cir")).isOk());
  std::unique_ptr<CCircDoc> back;
  const Status s = loadDocument(posixFileSystem(), dir.file("A.cir"), back);
  ASSERT_TRUE(s.isOk()) << s.message();
  // Byte for byte the same when saved again: every field came back.
  EXPECT_EQ(encodeDocument(*back), encodeDocument(*doc));
  EXPECT_EQ(back->header().DESCR, h.DESCR);
  const CMisc& mb = static_cast<const CMisc&>(back->record(1));
  EXPECT_EQ(mb.NOTES, m.NOTES);
  EXPECT_FLOAT_EQ(mb.EA, 0.55f);
  EXPECT_DOUBLE_EQ(mb.RelAtT, 0.987654321);
  EXPECT_EQ(back->title(), "A.cir");
  EXPECT_FALSE(back->isModified());
}

TEST(CircuitFile, AnyChangedByteIsAChecksumErrorFirst) {
  test::registerTestParts();
  auto doc = sampleDoc(DocKind::Circuit, 2);
  const auto good = encodeDocument(*doc);
  for (std::size_t i = 0; i < good.size(); ++i) {
    auto bytes = good;
    bytes[i] ^= 0x5A;
    CCircDoc out;
    const Status s = decodeDocument(bytes, DocKind::Circuit, out);
    ASSERT_EQ(s.message(), "File checksum error.") << "byte " << i;
    EXPECT_EQ(out.count(), 0u);
  }
}

TEST(CircuitFile, TooShortOrEmptyFileIsAChecksumError) {
  const std::vector<std::vector<std::uint8_t>> cases = {{}, {0, 0, 0, 0}, {1, 0, 1, 0, 0, 0}};
  for (const auto& bytes : cases) {
    CCircDoc out;
    EXPECT_EQ(decodeDocument(bytes, DocKind::Circuit, out).message(), "File checksum error.");
  }
}

TEST(CircuitFile, KindBytesMustMatchTheDocumentKind) {
  test::registerTestParts();
  const auto hybrid = encodeDocument(*sampleDoc(DocKind::Hybrid));
  const auto circuit = encodeDocument(*sampleDoc(DocKind::Circuit));
  CCircDoc out;
  EXPECT_EQ(decodeDocument(hybrid, DocKind::Circuit, out).message(),
            "Unexpected file format...\n...not a Circuit.");
  CCircDoc outHyb(DocKind::Hybrid);
  EXPECT_EQ(decodeDocument(circuit, DocKind::Hybrid, outHyb).message(),
            "Unexpected file format...\n...not a Hybrid.");
  // A kind byte pair that is neither
  auto odd = circuit;
  odd[1] = 1;
  EXPECT_EQ(decodeDocument(resealed(odd), DocKind::Circuit, out).message(),
            "Unexpected file format...\n...not a Circuit.");
  // A hybrid named as a circuit is refused by what it holds.
  TempFolder dir;
  writeAll(dir.file("H.CIR"), hybrid);
  std::unique_ptr<CCircDoc> doc;
  EXPECT_EQ(loadDocument(posixFileSystem(), dir.file("H.CIR"), doc).message(),
            "Unexpected file format...\n...not a Circuit.");
  EXPECT_EQ(doc, nullptr);
}

struct PatchCase {
  const char* name;
  std::size_t offset;
  std::vector<std::uint8_t> value;
  const char* message;
};

class HeaderPatch : public ::testing::TestWithParam<PatchCase> {};

TEST_P(HeaderPatch, RefusedWithItsMessage) {
  test::registerTestParts();
  auto bytes = encodeDocument(*sampleDoc());
  const PatchCase& c = GetParam();
  std::copy(c.value.begin(), c.value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.offset));
  CCircDoc out;
  EXPECT_EQ(decodeDocument(resealed(bytes), DocKind::Circuit, out).message(), c.message);
  EXPECT_EQ(out.count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderPatch,
    ::testing::Values(
        // version at offset 2, record count at offset 4
        PatchCase{"Version50099", 2, {0xB3, 0xC3}, "File version error...\n...InVer=50099, ReqVer=50100."},
        PatchCase{"Version50101", 2, {0xB5, 0xC3}, "File version error...\n...InVer=50101, ReqVer=50100."},
        PatchCase{"CountAboveMaxRecs", 4, {0x81, 0x3E},
                  "Too many records...\n...InRecs=16001, MaxRecs=16000."},
        PatchCase{"CountDiffersFromList", 4, {0x02, 0x00},
                  "Damaged file: the record list holds 3 records, the header 2."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CircuitFile, ListMayNotRunIntoTheChecksumOrLeaveBytesOver) {
  test::registerTestParts();
  auto bytes = encodeDocument(*sampleDoc(DocKind::Circuit, 1));
  // One byte cut from the record: the list runs into the checksum.
  auto cut = bytes;
  cut.erase(cut.end() - 5);
  CCircDoc out;
  const Status s = decodeDocument(resealed(cut), DocKind::Circuit, out);
  EXPECT_NE(s.message().find("Damaged file: record 1"), std::string::npos) << s.message();
  // An extra byte after the list.
  auto extra = bytes;
  extra.insert(extra.end() - 4, 0x00);
  EXPECT_EQ(decodeDocument(resealed(extra), DocKind::Circuit, out).message(),
            "Damaged file: 1 unexpected bytes after the record list.");
}

TEST(CircuitFile, RandomDamageUnderAFreshChecksumNeverCrashes) {
  test::registerTestParts();
  const auto good = encodeDocument(*sampleDoc(DocKind::Circuit, 4));
  std::mt19937 rng(99);
  int refused = 0;
  for (int round = 0; round < 2000; ++round) {
    auto bytes = good;
    bytes.resize(bytes.size() - 4);
    for (int e = 0, n = 1 + static_cast<int>(rng() % 4); e < n; ++e) {
      bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
    }
    appendChecksum(bytes);
    CCircDoc out;
    if (!decodeDocument(bytes, DocKind::Circuit, out).isOk()) {
      ++refused;
      EXPECT_EQ(out.count(), 0u);
    }
  }
  EXPECT_GT(refused, 0);
}

TEST(SaveRules, ExtensionCheckIgnoresCaseAndNamesTheRequiredOne) {
  EXPECT_TRUE(checkExtension("/x/a.cir", ".CIR").isOk());
  EXPECT_TRUE(checkExtension("/x/a.Hyb", ".HYB").isOk());
  EXPECT_EQ(checkExtension("/x/a.txt", ".CIR").message(),
            "Please change file extension to '.CIR' :\n'/x/a.txt'");
  EXPECT_FALSE(checkExtension("/x.cir/a", ".CIR").isOk());
}

// The previous content goes to .BAK and a second save replaces it; where
// the file system has no hard links the backup is a copy.
TEST(SaveRules, PreviousContentGoesToBakAndASecondSaveReplacesIt) {
  test::registerTestParts();
  for (const bool hardLinks : {true, false}) {
    TempFolder dir;
    const std::string path = dir.file("A.CIR");
    FaultyFileSystem fs;
    fs.noHardLinks = !hardLinks;
    auto doc = sampleDoc(DocKind::Circuit, 1);
    ASSERT_TRUE(saveDocument(fs, *doc, path).isOk());
    EXPECT_EQ(dir.list(), std::vector<std::string>{"A.CIR"});
    const auto first = readAll(path);
    doc->insertSorted(test::fixedPart(9.0, "ZZ"));
    ASSERT_TRUE(saveDocument(fs, *doc, path).isOk());
    const auto second = readAll(path);
    EXPECT_EQ(readAll(path + ".BAK"), first) << hardLinks;
    EXPECT_NE(second, first);
    doc->insertSorted(test::fixedPart(8.0, "ZZZ"));
    ASSERT_TRUE(saveDocument(fs, *doc, path).isOk());
    EXPECT_EQ(readAll(path + ".BAK"), second) << hardLinks;
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"A.CIR", "A.CIR.BAK"}));
  }
}

TEST(SaveRules, BackupNameTooLongIsRefusedBeforeWriting) {
  TempFolder dir;
  const std::string path = dir.file(std::string(255 - dir.path().size(), 'a') + ".cir");
  ASSERT_GE(path.size() + 4, kMaxBackupPathLength);
  auto doc = sampleDoc(DocKind::Circuit, 1);
  const Status s = saveDocument(posixFileSystem(), *doc, path);
  EXPECT_EQ(s.message(), "Error: backup filename length = " + std::to_string(path.size() + 4) +
                             " (max=259).");
  EXPECT_TRUE(dir.list().empty());
  EXPECT_TRUE(doc->path().empty());
}

struct FaultCase {
  const char* name;
  long failWriteAfter;
  int failRename;
  int failWrite = 0;
  bool noHardLinks = false;
  StatusCode code = StatusCode::Io;
};

class FailedSave : public ::testing::TestWithParam<FaultCase> {};

// A save that fails half-way leaves the previous file as it was, under its
// own name, and no temporary file behind.
TEST_P(FailedSave, LeavesThePreviousFileIntact) {
  test::registerTestParts();
  TempFolder dir;
  const std::string path = dir.file("A.CIR");
  auto doc = sampleDoc(DocKind::Circuit, 2);
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  const auto before = readAll(path);

  doc->insertSorted(test::fixedPart(9.0, "NEW"));
  doc->setModified(true);
  FaultyFileSystem fs;
  fs.failWriteAfter = GetParam().failWriteAfter;
  fs.failRenameNumber = GetParam().failRename;
  fs.failWriteNumber = GetParam().failWrite;
  fs.noHardLinks = GetParam().noHardLinks;
  EXPECT_EQ(saveDocument(fs, *doc, path).code(), GetParam().code);
  EXPECT_EQ(readAll(path), before);
  EXPECT_TRUE(doc->isModified());
  for (const std::string& name : dir.list()) {
    EXPECT_TRUE(name == "A.CIR" || name == "A.CIR.BAK") << name;
  }
  std::unique_ptr<CCircDoc> reopened;
  EXPECT_TRUE(loadDocument(posixFileSystem(), path, reopened).isOk());
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedSave,
                         ::testing::Values(FaultCase{"DiskFullHalfWay", 100, 0},
                                           FaultCase{"DiskFullAtOnce", 0, 0},
                                           FaultCase{"FinalRenameFails", -1, 1, 0, false, StatusCode::Denied},
                                           FaultCase{"BackupCopyFails", -1, 0, 2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A save through a symbolic link writes the file it leads to and keeps the
// link; a link planted where a temporary file could go is never written.
TEST(SaveRules, SymbolicLinksAreFollowedOnlyForTheDocumentItself) {
  TempFolder dir;
  const std::string real = dir.file("REAL.CIR");
  const std::string link = dir.file("LINK.CIR");
  auto doc = sampleDoc(DocKind::Circuit, 1);
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, real).isOk());
  std::filesystem::create_symlink("REAL.CIR", link);
  doc->insertSorted(test::fixedPart(9.0, "NEW"));
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, link).isOk());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readAll(link), readAll(real));
  std::unique_ptr<CCircDoc> reopened;
  ASSERT_TRUE(loadDocument(posixFileSystem(), real, reopened).isOk());
  EXPECT_EQ(reopened->count(), 2);
  EXPECT_TRUE(std::filesystem::exists(real + ".BAK"));

  const std::string victim = dir.file("victim");
  std::ofstream(victim) << "keep";
  std::filesystem::create_symlink(victim, dir.file("planted.tmp"));
  const std::uint8_t byte = 1;
  EXPECT_FALSE(posixFileSystem().createNewFile(dir.file("planted.tmp"), {&byte, 1}).isOk());
  EXPECT_EQ(readAll(victim), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
}

// Temporary files of a writer that died are removed by the next save; those
// of a live writer stay.
TEST(SaveRules, NextSaveRemovesTemporaryFilesOfDeadWriters) {
  TempFolder dir;
  const std::string path = dir.file("A.CIR");
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  const std::string deadTemp = path + ".~" + std::to_string(dead) + "-00000000deadbeef.tmp";
  const std::string liveTemp = path + ".~1-00000000cafe0000.tmp";
  std::ofstream(deadTemp) << "half";
  std::ofstream(liveTemp) << "busy";
  auto doc = sampleDoc(DocKind::Circuit, 1);
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  EXPECT_FALSE(std::filesystem::exists(deadTemp));
  EXPECT_TRUE(std::filesystem::exists(liveTemp));
}

// A save waits for a lock another program holds, then gives up naming it and
// leaves the file as it was; the lock of this program itself never stops it.
TEST(SaveRules, LockHeldElsewhereStopsTheSaveButOwnLockDoesNot) {
  TempFolder dir;
  const std::string path = dir.file("A.CIR");
  auto doc = sampleDoc();
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  const auto before = readAll(path);

  FaultyFileSystem fs;
  fs.lockHolder = "bob on bench (pid 7)";
  const auto wait = documentLockWait();
  setDocumentLockWait(std::chrono::milliseconds(60));
  const auto start = std::chrono::steady_clock::now();
  const Status s = saveDocument(fs, *doc, path);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
  setDocumentLockWait(wait);
  EXPECT_EQ(s.message(), "'" + path + "': locked by bob on bench (pid 7); try again later");
  EXPECT_EQ(readAll(path), before);

  DocumentLock held;
  ASSERT_TRUE(lockDocument(posixFileSystem(), path, held).isOk());
  EXPECT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  held.reset();
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"A.CIR", "A.CIR.BAK"}));  // no lock file stays
}

TEST(Checksum, IsTheWrappingByteSumStoredLittleEndian) {
  std::vector<std::uint8_t> bytes(70000, 0xFF);  // 70000 x 255 = 17 850 000 = 0x01105E90
  EXPECT_EQ(additiveChecksum(bytes), 17850000u);
  appendChecksum(bytes);
  const std::vector<std::uint8_t> tail(bytes.end() - 4, bytes.end());
  EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x90, 0x5E, 0x10, 0x01}));
  EXPECT_TRUE(checksumMatches(bytes));
  bytes[3] = 0xFE;
  EXPECT_FALSE(checksumMatches(bytes));
  EXPECT_FALSE(checksumMatches(std::vector<std::uint8_t>{1, 2, 3}));
}

// Callers decide on the code of a failure of the file layer, never on its
// text.
TEST(FileSystemFailures, CarryTheCodeOfTheirCause) {
  const std::string folder = (std::filesystem::temp_directory_path() / "kestrel-status-codes").string();
  std::filesystem::create_directories(folder);
  FileSystem& fs = posixFileSystem();
  const std::string taken = folder + "/TAKEN.CIR";
  ASSERT_TRUE(fs.writeFile(taken, std::vector<std::uint8_t>{1}).isOk());
  std::vector<std::uint8_t> bytes;
  const std::pair<Status, StatusCode> cases[] = {
      {fs.readFile(folder + "/MISSING.CIR", bytes, 100), StatusCode::NotFound},
      {fs.readFile(folder + "/NO/A.CIR", bytes, 100), StatusCode::NotFound},
      {fs.readFile(folder, bytes, 100), StatusCode::InvalidArgument},
      {fs.createNewFile(taken, std::vector<std::uint8_t>{2}), StatusCode::AlreadyExists},
      {fs.writeFile("/dev/full", std::vector<std::uint8_t>(10)), StatusCode::Io},
      {fs.rename(folder + "/MISSING.CIR", taken), StatusCode::NotFound},
  };
  for (const auto& [status, code] : cases) EXPECT_EQ(status.code(), code) << status.message();
  std::filesystem::remove_all(folder);
}

TEST(HeadingLines, CircuitLineGivesEveryValueItsPlace) {
  CCircHeader h;
  h.DESCR = "Amplifier";
  h.ENV = 5;
  h.TEMP = 40.0f;
  h.CF = 1.5f;
  h.MODEL = 3;
  h.NREQ = 2.0f;
  EXPECT_EQ(h.headingLine1(false),
            "Description: Amplifier    Env: NU    Temp: 40.00 C    CF: 1.50000    Model: Active "
            "K-of-N (2-of-N)");
  h.MODEL = 1;
  EXPECT_EQ(h.headingLine1(false),
            "Description: Amplifier    Env: NU    Temp: 40.00 C    CF: 1.50000    Model: Serial ");
  h.RecordCount = 12;
  EXPECT_EQ(h.headingLine2(false), "Circuit Parts List    Record: 0 of 12");
  EXPECT_EQ(h.headingLine2(true), "Hybrid Parts List    Record: 0 of 12");
}

TEST(HeadingLines, HybridLineShowsFunctionAndQuality) {
  CCircHeader h;
  h.DESCR = "RF module";
  h.ENV = 2;
  h.HYBFUNC = 3;
  h.HYBQU = 4;
  EXPECT_EQ(h.headingLine1(true),
            "RF module    Env: GF    Temp: 25.00 C    CF: 1.00000    Function: Microwave    Qu: Custom");
}

TEST(HeadingLines, StayWithin132CharactersWhateverTheFileHolds) {
  CCircHeader h;
  h.DESCR = std::string(5000, 'D');
  h.TEMP = std::numeric_limits<float>::infinity();
  h.CF = std::numeric_limits<float>::quiet_NaN();
  h.MODEL = 3;
  h.NREQ = 3e38f;
  h.ENV = 99;
  h.HYBQU = 0;
  for (bool hybrid : {false, true}) {
    EXPECT_LE(h.headingLine1(hybrid).size(), 132u);
    EXPECT_LE(h.headingLine2(hybrid).size(), 132u);
  }
  h.SUMCHIPS = -1e300;
  EXPECT_LE(h.hybridFactorLine2().size(), 132u);
}

TEST(HybridFactorLines, PrintFactorsThroughTheFormatter) {
  CCircHeader h;
  h.SUMCHIPS = 10.0;
  h.hybridModel();
  EXPECT_EQ(h.hybridFactorLine1(),
            "FR= SUMCHIPS * ( 1.0 + 0.2 *  PIE ) *  PIF  *  PIQ  *  PIL  *   PICF  ");
  EXPECT_EQ(h.hybridFactorLine2(),
            "    10.0000                  0.50     1.00    10.00   1.000   1.00000 ");
}

using test::fixedPart;
using test::RecordingUi;

std::vector<std::string> keysOf(const CCircDoc& doc) {
  std::vector<std::string> keys;
  for (const auto& p : doc.records()) {
    keys.push_back(std::to_string(p->PART_TYPE) + "/" + p->PN + "/" + p->REFDES + "/" + p->DESCR);
  }
  return keys;
}

TEST(RecordOrder, SortsByTypeThenPnThenRefdesAndKeepsTiesInInsertionOrder) {
  CCircDoc doc;
  struct Row { std::uint16_t type; const char* pn; const char* ref; const char* tag; };
  const Row rows[] = {{609, "B", "R2", "1"}, {609, "A", "R9", "2"}, {1, "Z", "X", "3"},
                      {609, "B", "R1", "4"}, {609, "B", "R2", "5"}, {609, "a", "R1", "6"},
                      {609, "B", "R2", "7"}};
  for (const Row& r : rows) {
    auto p = fixedPart(1.0, r.pn, r.ref);
    p->PART_TYPE = r.type;
    p->DESCR = r.tag;
    doc.insertSorted(std::move(p));
  }
  // Byte-wise: upper case sorts before lower case.
  const std::vector<std::string> expected = {"1/Z/X/3",     "609/A/R9/2", "609/B/R1/4", "609/B/R2/1",
                                             "609/B/R2/5",  "609/B/R2/7", "609/a/R1/6"};
  EXPECT_EQ(keysOf(doc), expected);
  EXPECT_EQ(doc.header().RecordCount, 7);
}

// The windows keep their own messages and conversion; these are the
// document's, which the command line and the library commands use.
TEST(RecordCommands, AddRefusedAtCapacity) {
  CCircDoc doc;
  RecordingUi ui;
  for (std::size_t i = 0; i < kMaxRecs; ++i) doc.insertSorted(fixedPart(1.0));
  EXPECT_FALSE(doc.addRecord(fixedPart(1.0), ui).has_value());
  EXPECT_FALSE(doc.pasteRecord(fixedPart(1.0), ui).has_value());
  const std::vector<std::string> expected = {"ADD: circuit list is full.",
                                             "PASTE: circuit list is full."};
  EXPECT_EQ(ui.messages, expected);
  EXPECT_EQ(doc.count(), kMaxRecs);
}

TEST(RecordCommands, SelectionMessages) {
  CCircDoc doc;
  RecordingUi ui;
  EXPECT_FALSE(doc.replaceRecord(std::nullopt, fixedPart(1.0), ui).has_value());
  EXPECT_FALSE(doc.convertRecord(std::nullopt, kMiscType, ui).has_value());
  EXPECT_FALSE(doc.deleteRecord(std::nullopt, ui).has_value());
  EXPECT_FALSE(doc.pasteRecord(nullptr, ui).has_value());
  const std::vector<std::string> expected = {"EDIT: no part selection.", "CONVERT: no part selection.",
                                             "DELETE: no part selection.",
                                             "PASTE: can not get part object."};
  EXPECT_EQ(ui.messages, expected);
}

TEST(RecordCommands, AddCalculatesInsertsAndClearsResults) {
  CCircDoc doc;
  RecordingUi ui;
  doc.header().CalcFlags = HeaderBasicDone;
  doc.header().CF = 3.0f;  // the header factor is applied to totals, not to records
  auto p = fixedPart(2.5, "P1");
  p->CF = 2.0f;
  const auto pos = doc.addRecord(std::move(p), ui);
  ASSERT_TRUE(pos.has_value());
  EXPECT_FLOAT_EQ(doc.record(*pos).FR, 5.0f);
  EXPECT_EQ(doc.header().CalcFlags, 0);
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(ui.messages.empty());
}

TEST(RecordCommands, DeleteAsksAndKeepsSelectionPosition) {
  CCircDoc doc;
  RecordingUi ui;
  for (const char* pn : {"A", "B", "C"}) doc.insertSorted(fixedPart(1.0, pn));
  doc.record(1).PN = std::string(40, 'X');  // the question shows at most 25 characters

  ui.answers = {false};
  EXPECT_EQ(doc.deleteRecord(1, ui), 1u);
  EXPECT_EQ(doc.count(), 3u);
  EXPECT_EQ(ui.questions.back(), "PN: '" + std::string(25, 'X') + "'\nDelete Record# 2?");

  ui.answers = {true};
  EXPECT_EQ(doc.deleteRecord(1, ui), 1u);
  EXPECT_EQ(doc.count(), 2u);
  EXPECT_EQ(doc.record(1).PN, "C");
  EXPECT_EQ(doc.header().RecordCount, 2);

  ui.answers = {true};
  EXPECT_EQ(doc.deleteRecord(1, ui), 0u);  // the last one deleted: selection moves up
  ui.answers = {true};
  EXPECT_EQ(doc.deleteRecord(0, ui), std::nullopt);
  EXPECT_EQ(doc.count(), 0u);
}

TEST(RecordCommands, EditReplacesAndResorts) {
  CCircDoc doc;
  RecordingUi ui;
  for (const char* pn : {"A", "M", "Z"}) doc.insertSorted(fixedPart(1.0, pn));
  auto edited = doc.record(0).clone();
  edited->PN = "ZZ";
  const auto pos = doc.replaceRecord(0, std::move(edited), ui);
  ASSERT_TRUE(pos.has_value());
  EXPECT_EQ(*pos, 2u);
  EXPECT_EQ(doc.count(), 3u);
  EXPECT_EQ(doc.record(2).PN, "ZZ");
}

TEST(RecordCommands, ConvertKeepsBaseFieldsButTakesNewType) {
  CCircDoc doc;
  RecordingUi ui;
  auto p = fixedPart(4.0, "KEEP", "U7", 5);
  p->NOTES = "note";
  doc.insertSorted(std::move(p));
  const auto pos = doc.convertRecord(0, kMiscType, ui);
  ASSERT_TRUE(pos.has_value());
  const CPart& converted = doc.record(*pos);
  EXPECT_EQ(converted.PN, "KEEP");
  EXPECT_EQ(converted.QTY, 5);
  EXPECT_EQ(converted.NOTES, "note");
  EXPECT_EQ(converted.PART_TYPE, kMiscType);
  // the new record starts from its class defaults: base rate 1.0
  EXPECT_FLOAT_EQ(converted.FR, 1.0f);
}

TEST(DetailBox, ShowsNoCalcShareUntilCalculated) {
  CCircDoc doc;
  RecordingUi ui;
  doc.addRecord(fixedPart(2.0, "P1", "R1"), ui);
  EXPECT_EQ(doc.selectionTitle(0), "Circuit Parts List    Record: 1 of 1");
  const std::string before = doc.detailText(0);
  EXPECT_NE(before.find("*NOCALC*"), std::string::npos);
  CalcContext context{ui};
  ASSERT_TRUE(doc.BasicCalc(context, 0, 1000.0));
  const std::string after = doc.detailText(0);
  EXPECT_EQ(after.find("*NOCALC*"), std::string::npos);
  EXPECT_NE(after.find("100.00%"), std::string::npos) << after;
  EXPECT_NE(after.find("\r\n"), std::string::npos);
}

TEST(SubFilePath, TakesParentFolderAndChildFileName) {
  EXPECT_EQ(subFilePath("/data/top/A.CIR", "B.CIR"), "/data/top/B.CIR");
  EXPECT_EQ(subFilePath("/data/top/A.CIR", "C:\\old\\dir\\B.CIR"), "/data/top/B.CIR");
  EXPECT_EQ(subFilePath("/data/top/A.CIR", "../elsewhere/B.HYB"), "/data/top/B.HYB");
  EXPECT_EQ(subFilePath("A.CIR", "B.CIR"), "B.CIR");
}

std::vector<std::uint8_t> encodeText(const std::string& text) {
  Archive ar = Archive::forWriting();
  std::string copy = text;
  ar.io(copy);
  return ar.bytes();
}

struct PrefixCase {
  std::size_t length;
  std::vector<std::uint8_t> prefix;
};

class TextPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(TextPrefix, UsesTheShortestFormAndReadsBack) {
  const std::string text(GetParam().length, 'k');
  const auto bytes = encodeText(text);
  const auto& prefix = GetParam().prefix;
  ASSERT_EQ(bytes.size(), prefix.size() + text.size());
  EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), bytes.begin()));
  Archive in = Archive::forReading(bytes, "t");
  std::string back;
  in.io(back);
  EXPECT_TRUE(in.ok());
  EXPECT_EQ(back, text);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, TextPrefix,
    ::testing::Values(PrefixCase{0, {0x00}}, PrefixCase{9, {0x09}}, PrefixCase{254, {0xFE}},
                      PrefixCase{255, {0xFF, 0xFF, 0x00}}, PrefixCase{65533, {0xFF, 0xFD, 0xFF}},
                      PrefixCase{65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                      PrefixCase{70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}));

TEST(Archive, ReadsWideText) {
  const std::vector<std::uint8_t> bytes = {0xFF, 0xFE, 0xFF, 0x03, 'A', 0, 'b', 0, 0x34, 0x12};
  Archive in = Archive::forReading(bytes, "t");
  std::string text;
  in.io(text);
  ASSERT_TRUE(in.ok()) << in.error();
  EXPECT_EQ(text, "Ab?");
}

struct DamagedCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
};

class DamagedText : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedText, FailsWithoutReadingPastTheEnd) {
  Archive in = Archive::forReading(GetParam().bytes, "t");
  std::string text;
  in.io(text);
  EXPECT_FALSE(in.ok());
  EXPECT_TRUE(text.empty());
  std::uint32_t after = 7;
  in.io(after);  // a failed archive reads zeros from then on
  EXPECT_EQ(after, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedText,
    ::testing::Values(DamagedCase{"Empty", {}}, DamagedCase{"ShortBody", {0x05, 'a', 'b'}},
                      DamagedCase{"CutPrefix", {0xFF, 0x10}},
                      DamagedCase{"HugeLength", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
                      DamagedCase{"WideTooLong", {0xFF, 0xFE, 0xFF, 0x09, 'A', 0}},
                      DamagedCase{"WideTwice", {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartObjects, SecondRecordOfAClassUsesItsIndexTag) {
  test::registerTestParts();
  Archive out = Archive::forWriting();
  auto a = test::fixedPart(1.0, "A");
  auto b = test::fixedPart(2.0, "B");
  writePartObject(out, *a);
  const std::size_t firstSize = out.bytes().size();
  writePartObject(out, *b);
  const auto& bytes = out.bytes();
  // new class: FFFF, schema 0, name length 5, "CMisc"
  const std::vector<std::uint8_t> head = {0xFF, 0xFF, 0x00, 0x00, 0x05, 0x00, 'C', 'M', 'i', 's', 'c'};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  // the class took index 1, so the second record's tag is 0x8001 (bytes 01 80)
  EXPECT_EQ(bytes[firstSize], 0x01);
  EXPECT_EQ(bytes[firstSize + 1], 0x80);

  Archive in = Archive::forReading(bytes, "t");
  auto ra = readPartObject(in);
  auto rb = readPartObject(in);
  ASSERT_TRUE(in.ok()) << in.error();
  EXPECT_EQ(ra->PN, "A");
  EXPECT_EQ(static_cast<CMisc&>(*rb).BASEFR, 2.0f);
  EXPECT_EQ(in.remaining(), 0u);
}

TEST(PartObjects, RefusesUnknownClassAndBadTags) {
  test::registerTestParts();
  const std::vector<std::vector<std::uint8_t>> cases = {
      {0xFF, 0xFF, 0x00, 0x00, 0x04, 0x00, 'C', 'Z', 'Z', 'Z'},  // class not registered
      {0x05, 0x80},                                              // index never named
      {0x00, 0x00},                                              // empty entry
      {0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00, 'C', 'M', 'i', 's', 'c'},  // unknown schema
      {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF},                           // name runs past the end
  };
  for (const auto& bytes : cases) {
    Archive in = Archive::forReading(bytes, "t");
    EXPECT_EQ(readPartObject(in), nullptr);
    EXPECT_FALSE(in.ok());
  }
}

TEST(PartObjects, OutOfListChoiceIsClampedAndFlagged) {
  test::registerTestParts();
  auto part = test::fixedPart(1.0);
  part->METHOD = 77;
  part->SMT_LEAD = 0;
  Archive out = Archive::forWriting();
  writePartObject(out, *part);
  Archive in = Archive::forReading(out.bytes(), "t");
  auto back = readPartObject(in);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(static_cast<CMisc&>(*back).METHOD, 2);
  EXPECT_EQ(back->SMT_LEAD, 1);
  EXPECT_NE(back->OverFlags & EntryOverRange, 0u);
}

// Random damage to a valid record list never crashes or hangs the reader.
TEST(PartObjects, SurvivesRandomMutation) {
  test::registerTestParts();
  Archive out = Archive::forWriting();
  for (int i = 0; i < 4; ++i) writePartObject(out, *test::fixedPart(i, "P" + std::to_string(i)));
  const auto good = out.bytes();
  std::mt19937 rng(1234);
  for (int round = 0; round < 3000; ++round) {
    auto bytes = good;
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    Archive in = Archive::forReading(bytes, "t");
    for (int i = 0; i < 4 && in.ok(); ++i) (void)readPartObject(in);
    EXPECT_LE(in.position(), bytes.size());
  }
}

TEST(HeaderArchive, NonFiniteResultsStillLoad) {
  CCircHeader h;
  h.MTBF = std::numeric_limits<double>::infinity();
  h.TotalFR = std::numeric_limits<double>::quiet_NaN();
  Archive out = Archive::forWriting();
  h.Serialize(out, 16000);
  Archive in = Archive::forReading(out.bytes(), "t");
  CCircHeader back;
  back.Serialize(in, 16000);
  EXPECT_TRUE(in.ok());
  EXPECT_TRUE(std::isinf(back.MTBF));
  EXPECT_TRUE(std::isnan(back.TotalFR));
}

// A small list in sort order: a transistor, a diode, two resistors, a fan.
// Searching from the selection and by part type are the desktop tests' (the
// Find dialog over an example circuit); here every field the text is sought in.
class RecordFind : public ::testing::Test {
 protected:
  void SetUp() override {
    registerAllParts();
    add(301, "2N2222A", "Q1", "switch transistor", "", "", "", "");
    add(302, "1N4148", "CR1", "signal diode", "ALT-4148", "LCN-77", "Derated", "keep below 50 C");
    add(401, "RLR07C1001", "R1", "pull-up 1k", "", "", "", "");
    add(401, "RLR07C4701", "R2", "divider 4.7k", "", "", "Sourcing", "second source: rwr81s");
    add(609, "FAN-12V", "B1", "cooling fan", "", "", "", "");
  }

  void add(std::uint16_t type, const char* pn, const char* ref, const char* descr, const char* pn2,
           const char* lcn, const char* notesTitle, const char* notes) {
    auto part = PartRegistry::instance().create(type, false);
    ASSERT_TRUE(part);
    part->PN = pn;
    part->REFDES = ref;
    part->DESCR = descr;
    part->PN2 = pn2;
    part->LCN = lcn;
    part->NOTESTITLE = notesTitle;
    part->NOTES = notes;
    doc.insertSorted(std::move(part));
  }

  static RecordFindJob text(std::string what, RecordFindFields fields) {
    RecordFindJob job;
    job.text = std::move(what);
    job.fields = fields;
    return job;
  }

  CCircDoc doc;
};

RecordFindFields only(bool RecordFindFields::*field) {
  RecordFindFields f{};
  f.pn = false;
  f.*field = true;
  return f;
}

TEST_F(RecordFind, TextLooksOnlyInTheTickedFieldsCaseIgnored) {
  const struct {
    const char* what;
    RecordFindFields fields;
    std::optional<std::size_t> hit;
  } cases[] = {
      {"rlr07", only(&RecordFindFields::pn), 2},
      {"4701", only(&RecordFindFields::pn), 3},
      {"r2", only(&RecordFindFields::pn), std::nullopt},  // REFDES not ticked
      {"r2", only(&RecordFindFields::refDes), 3},
      {"alt-", only(&RecordFindFields::pn2), 1},
      {"alt-", only(&RecordFindFields::pn), std::nullopt},
      {"FAN", only(&RecordFindFields::descr), 4},  // "cooling fan"
      {"lcn-7", only(&RecordFindFields::lcn), 1},
      {"sourcing", only(&RecordFindFields::notes), 3},  // the notes title
      {"RWR81", only(&RecordFindFields::notes), 3},     // the notes themselves
      {"rwr81", only(&RecordFindFields::descr), std::nullopt},
      {"1", RecordFindFields{false, false, false, false, false, false}, std::nullopt},  // nothing ticked
      {"zzz", RecordFindFields{true, true, true, true, true, true}, std::nullopt},
  };
  for (const auto& c : cases) {
    const RecordFindResult r = findRecord(doc, text(c.what, c.fields), std::nullopt);
    EXPECT_EQ(r.found, c.hit) << c.what;
    EXPECT_EQ(r.message.empty(), c.hit.has_value()) << c.what;
  }
}

TEST_F(RecordFind, OnlyTheFirstTwentyFiveCharactersAreSought) {
  add(609, "ABCDEFGHIJKLMNOPQRSTUVWXY", "X1", "", "", "", "", "");
  const std::string entered = "abcdefghijklmnopqrstuvwxyZZZ";  // 28 characters
  const RecordFindResult hit = findRecord(doc, text(entered, only(&RecordFindFields::pn)), std::nullopt);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(doc.record(*hit.found).REFDES, "X1");

  CCircDoc empty;
  const RecordFindResult miss = findRecord(empty, text(entered, only(&RecordFindFields::pn)), std::nullopt);
  EXPECT_EQ(miss.message, "Text: 'abcdefghijklmnopqrstuvwxy'\nMatching record was not found (from top).");
}

}  // namespace
}  // namespace kestrel
