// Project files: the exact byte layout, round trips, every refusal of a
// damaged or foreign file naming the file, and the safe save.
#include <gtest/gtest.h>

#include "core/doc_file.hpp"
#include "project/project_file.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel {
namespace {

std::vector<std::uint8_t> encoded(const std::string& top) {
  CProjDoc doc;
  doc.setTopLevel(top);
  return encodeProject(doc);
}

TEST(ProjectFile, LayoutIsTypeVersionPathAndChecksum) {
  const std::vector<std::uint8_t> bytes = encoded("/p/SYS.CIR");
  const std::vector<std::uint8_t> head = {4, 0xB4, 0xC3, 10, '/', 'p', '/', 'S', 'Y', 'S', '.', 'C', 'I', 'R'};
  ASSERT_EQ(bytes.size(), head.size() + 4);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  EXPECT_TRUE(checksumMatches(bytes));
}

TEST(ProjectFile, PathsOfEveryLengthRoundTrip) {
  for (const std::string& top : {std::string(), std::string("/a/B.CIR"), std::string(300, 'x'), std::string(kMaxTopLevelPathLength, 'y')}) {
    CProjDoc back;
    back.setTopLevel("stale");
    ASSERT_TRUE(decodeProject(encoded(top), "t.prj", back).isOk()) << top.size();
    EXPECT_EQ(back.topLevel(), top);
  }
}

struct Damage {
  const char* name;
  void (*apply)(std::vector<std::uint8_t>&);
  bool fixChecksum;
  const char* message;
};
void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

class DamagedProjectFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedProjectFile, IsRefusedNamingTheFileAndLeavesTheDocument) {
  std::vector<std::uint8_t> bytes = encoded("/p/SYS.CIR");
  GetParam().apply(bytes);
  if (GetParam().fixChecksum) {
    bytes.resize(bytes.size() - 4);
    appendChecksum(bytes);
  }
  CProjDoc doc;
  doc.setTopLevel("kept");
  const Status s = decodeProject(bytes, "/p/unit.prj", doc);
  ASSERT_FALSE(s.isOk());
  EXPECT_EQ(s.message(), std::string("'/p/unit.prj': ") + GetParam().message);
  EXPECT_EQ(doc.topLevel(), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedProjectFile,
    ::testing::Values(
        Damage{"ChecksumChanged", [](auto& b) { b.back() ^= 1; }, false, "File checksum error."},
        Damage{"BodyByteChanged", [](auto& b) { b[5] ^= 1; }, false, "File checksum error."},
        Damage{"TooShort", [](auto& b) { b.resize(5); }, false, "File checksum error."},
        Damage{"Empty", [](auto& b) { b.clear(); }, false, "File checksum error."},
        Damage{"CircuitType", [](auto& b) { b[0] = 1; }, true, "Unexpected file format...\n...not a Project."},
        Damage{"OldVersion", [](auto& b) { b[1] = 0xB3; }, true, "File version error...\n...InVer=50099, ReqVer=50100."},
        Damage{"PathCutShort", [](auto& b) { b[3] = 200; }, true, "Damaged file: the top-level circuit name is cut short."},
        Damage{"BytesLeftOver", [](auto& b) { b.insert(b.end() - 4, {1, 2}); }, true,
               "Damaged file: 2 unexpected bytes after the top-level circuit name."},
        Damage{"ControlCharacter", [](auto& b) { b[6] = '\n'; }, true,
               "Damaged file: the top-level circuit name is not a file name."}));

TEST(ProjectFile, SaveChecksExtensionKeepsBackupAndSurvivesFailedWrite) {
  test::TempFolder dir;
  test::FaultyFileSystem fs;
  CProjDoc doc;
  doc.setTopLevel(dir.file("A.CIR"));
  EXPECT_FALSE(saveProject(fs, doc, dir.file("unit.txt")).isOk());
  ASSERT_TRUE(saveProject(fs, doc, dir.file("unit.PRJ")).isOk());
  doc.setTopLevel(dir.file("B.CIR"));
  ASSERT_TRUE(saveProject(fs, doc, dir.file("unit.PRJ")).isOk());
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"unit.PRJ", "unit.PRJ.BAK"}));

  fs.failWriteAfter = 3;
  doc.setTopLevel(dir.file("C.CIR"));
  EXPECT_FALSE(saveProject(fs, doc, dir.file("unit.PRJ")).isOk());
  CProjDoc back;
  ASSERT_TRUE(openProject(fs, dir.file("unit.PRJ"), back).isOk());
  EXPECT_EQ(back.topLevel(), dir.file("B.CIR"));
  EXPECT_EQ(back.path(), dir.file("unit.PRJ"));
  EXPECT_NE(openProject(fs, dir.file("none.prj"), back).message().find("none.prj"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
