#include "core/circ_file.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "support/faulty_file_system.hpp"
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

TEST(CircuitFile, SecondRecordOfAClassIsWrittenAsIndexTag) {
  test::registerTestParts();
  auto doc = sampleDoc(DocKind::Circuit, 2);
  const auto bytes = encodeDocument(*doc);
  const std::string name = "CMisc";
  const auto first = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(first, bytes.end());
  EXPECT_EQ(std::search(first + 1, bytes.end(), name.begin(), name.end()), bytes.end());
  // The second entry starts right after the first record's fields: find 01 80.
  CCircDoc one;
  one.insertSorted(test::fixedPart(0.5, "PN0", "R0", 1));
  const std::size_t secondTag = encodeDocument(one).size() - 4;
  ASSERT_LT(secondTag + 1, bytes.size());
  EXPECT_EQ(bytes[secondTag], 0x01);
  EXPECT_EQ(bytes[secondTag + 1], 0x80);
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
}

TEST(CircuitFile, HybridFileWithCircuitExtensionIsRefusedAsNotACircuit) {
  test::registerTestParts();
  TempFolder dir;
  writeAll(dir.file("H.CIR"), encodeDocument(*sampleDoc(DocKind::Hybrid)));
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
  auto doc = sampleDoc(DocKind::Hybrid, 1);
  TempFolder dir;
  EXPECT_EQ(saveDocument(posixFileSystem(), *doc, dir.file("h.cir")).message(),
            "Please change file extension to '.HYB' :\n'" + dir.file("h.cir") + "'");
  EXPECT_TRUE(dir.list().empty());
}

TEST(SaveRules, PreviousContentGoesToBakAndASecondSaveReplacesIt) {
  test::registerTestParts();
  TempFolder dir;
  const std::string path = dir.file("A.CIR");
  auto doc = sampleDoc(DocKind::Circuit, 1);
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  EXPECT_EQ(dir.list(), std::vector<std::string>{"A.CIR"});
  const auto first = readAll(path);

  doc->insertSorted(test::fixedPart(9.0, "ZZ"));
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  const auto second = readAll(path);
  EXPECT_EQ(readAll(path + ".BAK"), first);

  doc->insertSorted(test::fixedPart(8.0, "ZZZ"));
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  EXPECT_EQ(readAll(path + ".BAK"), second);
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"A.CIR", "A.CIR.BAK"}));
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

// Where the file system has no hard links the backup is a copy.
TEST(SaveRules, BackupIsACopyWithoutHardLinks) {
  TempFolder dir;
  const std::string path = dir.file("A.CIR");
  auto doc = sampleDoc(DocKind::Circuit, 1);
  ASSERT_TRUE(saveDocument(posixFileSystem(), *doc, path).isOk());
  const auto first = readAll(path);
  doc->insertSorted(test::fixedPart(9.0, "NEW"));
  FaultyFileSystem fs;
  fs.noHardLinks = true;
  ASSERT_TRUE(saveDocument(fs, *doc, path).isOk());
  EXPECT_EQ(readAll(path + ".BAK"), first);
  EXPECT_NE(readAll(path), first);
}

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

}  // namespace
}  // namespace kestrel
