// Hierarchies of real circuit and hybrid files: sub-circuits calculated one
// level deeper and saved, and every error leaving the files as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/open_documents.hpp"
#include "core/registry.hpp"
#include "core/sub_parts.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

using test::RecordingUi;
using test::TempFolder;

class Hierarchy : public ::testing::Test {
 protected:
  void SetUp() override { test::registerTestParts(); }

  // A file of fixed-rate parts, and sub-file records naming other files.
  void write(const std::string& name, DocKind kind, std::vector<double> rates,
             std::vector<std::pair<std::uint16_t, std::string>> subs = {}, float ambient = 25.0f) {
    CCircDoc doc(kind);
    doc.header().TEMP = ambient;
    int n = 0;
    for (double rate : rates) doc.insertSorted(test::fixedPart(rate, "P" + std::to_string(++n)));
    for (const auto& [type, file] : subs) {
      auto sub = PartRegistry::instance().create(type, false);
      sub->FileName = file;
      sub->PN = file;
      doc.insertSorted(std::move(sub));
    }
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
    std::filesystem::remove(dir.file(name) + ".BAK");
  }
  std::unique_ptr<CCircDoc> load(const std::string& name) {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(posixFileSystem(), dir.file(name), doc).isOk()) << name;
    return doc;
  }
  std::string bytes(const std::string& name) {
    std::ifstream in(dir.file(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  bool calc(CCircDoc& doc, RecordingUi& ui, bool mission = false) {
    DocumentSubFiles files(posixFileSystem());
    CalcContext ctx(ui, &files);
    return runCalculate(doc, ctx, {mission, 1000.0}).ok;
  }

  TempFolder dir;
};

TEST_F(Hierarchy, SubCircuitTotalWeighedByDutyCycleAndSavedWithResults) {
  write("BOARD.CIR", DocKind::Circuit, {4.0, 6.0}, {}, 60.0f);  // 10 fpmh at 60 deg C
  write("TOP.CIR", DocKind::Circuit, {1.0}, {{kSubCircuitType, "BOARD.CIR"}});
  auto top = load("TOP.CIR");
  CPart& sub = top->record(0);
  ASSERT_EQ(sub.PART_TYPE, kSubCircuitType);
  sub.DutyCycle = 50.0f;
  sub.CF = 2.0f;
  RecordingUi ui;
  ASSERT_TRUE(calc(*top, ui, true)) << ui.lines[5];
  // SubFR 10; FR = CF x SubFR = 20; TFR = 20 x 50 % = 10; total 10 + 1
  EXPECT_FLOAT_EQ(sub.SubFR, 10.0f);
  EXPECT_FLOAT_EQ(sub.FR, 20.0f);
  EXPECT_DOUBLE_EQ(sub.TFR(), 10.0);
  EXPECT_FLOAT_EQ(sub.T, 60.0f);  // the child's ambient
  EXPECT_NEAR(top->header().TotalFR, 11.0, 1e-6);
  // mission: the child's R (exp(-10 x 1000 x 1e-6)) to the power 0.5 x 2
  EXPECT_NEAR(sub.MissionR, std::exp(-0.01), 1e-6);
  auto board = load("BOARD.CIR");
  EXPECT_EQ(board->header().CalcFlags & HeaderBasicDone, HeaderBasicDone);
  EXPECT_NEAR(board->header().TotalFR, 10.0, 1e-9);
  EXPECT_TRUE(std::filesystem::exists(dir.file("BOARD.CIR.BAK")));
}

TEST_F(Hierarchy, SubHybridTakesTheHybridModel) {
  write("CHIPS.HYB", DocKind::Hybrid, {1.0});  // 1 x 1.1 x 1 x 1 x 10 = 11 fpmh
  write("TOP.CIR", DocKind::Circuit, {}, {{kSubHybridType, "CHIPS.HYB"}});
  auto top = load("TOP.CIR");
  RecordingUi ui;
  ASSERT_TRUE(calc(*top, ui)) << ui.lines[5];
  EXPECT_NEAR(top->header().TotalFR, 11.0, 1e-5);
}

struct ErrorCase {
  const char* name;
  const char* topChild;  // file the top record names
  DocKind childKind;
  bool childEmpty;
  const char* line5;
};

class HierarchyErrors : public Hierarchy, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(HierarchyErrors, FailWithTheirLineAndLeaveEveryFileAsItWas) {
  const ErrorCase& c = GetParam();
  write("GOOD.CIR", DocKind::Circuit, {2.0});
  if (c.childKind == DocKind::Hybrid) {
    write("CHILD.HYB", DocKind::Hybrid, c.childEmpty ? std::vector<double>{} : std::vector<double>{1.0});
  } else {
    write("CHILD.CIR", DocKind::Circuit, c.childEmpty ? std::vector<double>{} : std::vector<double>{1.0});
  }
  write("TOP.CIR", DocKind::Circuit, {1.0},
        {{kSubCircuitType, "GOOD.CIR"}, {kSubCircuitType, c.topChild}});
  // Sub-file records sort first, by their part numbers (the file names here).
  const auto before = dir.list();
  const std::string top = bytes("TOP.CIR"), good = bytes("GOOD.CIR");
  auto doc = load("TOP.CIR");
  RecordingUi ui;
  EXPECT_FALSE(calc(*doc, ui));
  EXPECT_EQ(ui.lines[5], c.line5);
  EXPECT_EQ(bytes("TOP.CIR"), top);
  // GOOD.CIR was calculated and saved in full before the failure, or left alone.
  auto goodAfter = load("GOOD.CIR");
  EXPECT_TRUE(bytes("GOOD.CIR") == good || goodAfter->header().CalcFlags == HeaderBasicDone);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HierarchyErrors,
    ::testing::Values(
        ErrorCase{"SelfReference", "TOP.CIR", DocKind::Circuit, false, "...Error: self-reference (rec#2)."},
        ErrorCase{"Missing", "NONE.CIR", DocKind::Circuit, false, "...Error: can not open (rec#2)."},
        ErrorCase{"HybridAsSubCircuit", "CHILD.HYB", DocKind::Hybrid, false,
                  "...Error: unexpected file format (rec#1)."},
        ErrorCase{"ZeroRecords", "CHILD.CIR", DocKind::Circuit, true, "...Error: zero records (rec#1)."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Hierarchy, CycleThroughTwoFilesIsCaughtByName) {
  write("A.CIR", DocKind::Circuit, {1.0}, {{kSubCircuitType, "B.CIR"}});
  write("B.CIR", DocKind::Circuit, {1.0}, {{kSubCircuitType, "a.cir"}});
  const std::string a = bytes("A.CIR"), b = bytes("B.CIR");
  auto doc = load("A.CIR");
  RecordingUi ui;
  EXPECT_FALSE(calc(*doc, ui));
  EXPECT_EQ(ui.lines[5], "...Error: self-reference (rec#1).");  // sub-files sort first
  EXPECT_EQ(ui.lines[2], "'B.CIR' (Level 2)...");  // caught at once, not at the level limit
  EXPECT_EQ(bytes("A.CIR"), a);
  EXPECT_EQ(bytes("B.CIR"), b);
}

TEST_F(Hierarchy, ChildNameMatchedIgnoringCaseAndMissingChildNamesItsPath) {
  write("board1.cir", DocKind::Circuit, {3.0});
  write("TOP.CIR", DocKind::Circuit, {}, {{kSubCircuitType, "BOARD1.CIR"}});
  auto doc = load("TOP.CIR");
  RecordingUi ui;
  ASSERT_TRUE(calc(*doc, ui)) << ui.lines[5];
  EXPECT_NEAR(doc->header().TotalFR, 3.0, 1e-9);

  write("Board1.CIR", DocKind::Circuit, {5.0});  // now two files match
  RecordingUi twice;
  EXPECT_FALSE(calc(*doc, twice));
  ASSERT_FALSE(twice.messages.empty());
  EXPECT_NE(twice.messages.back().find("Two files match"), std::string::npos);

  doc->record(0).FileName = "GONE.CIR";
  RecordingUi missing;
  EXPECT_FALSE(calc(*doc, missing));
  EXPECT_EQ(missing.messages.back(), "File does not exist.\n'" + dir.file("GONE.CIR") + "'");
}

TEST_F(Hierarchy, FailedChildSaveLeavesTheChildFileIntact) {
  write("BOARD.CIR", DocKind::Circuit, {4.0});
  write("TOP.CIR", DocKind::Circuit, {}, {{kSubCircuitType, "BOARD.CIR"}});
  const std::string board = bytes("BOARD.CIR");
  auto doc = load("TOP.CIR");
  test::FaultyFileSystem fs;
  fs.failWriteAfter = 10;
  DocumentSubFiles files(fs);
  RecordingUi ui;
  CalcContext ctx(ui, &files);
  EXPECT_FALSE(doc->BasicCalc(ctx, 0, 1000.0));
  EXPECT_EQ(ui.lines[5], "...Error: can not save (rec#1).");
  EXPECT_EQ(bytes("BOARD.CIR"), board);
}

// The table of open documents finds a file by what it is, not by how it is
// named: a link, another spelling of the folder, another case of a name
// stored once; a file of the same name elsewhere, or a document never
// saved, is not found.
TEST_F(Hierarchy, OpenDocumentFoundByFileIdentity) {
  write("BOARD.CIR", DocKind::Circuit, {4.0});
  std::filesystem::create_directory(dir.file("other"));
  write("other/BOARD.CIR", DocKind::Circuit, {4.0});
  std::filesystem::create_symlink(dir.file("BOARD.CIR"), dir.file("LINK.CIR"));
  auto board = load("BOARD.CIR");
  CCircDoc unsaved;
  ListedOpenDocuments open({&unsaved, board.get()});
  const std::string folder = std::filesystem::path(dir.file("BOARD.CIR")).parent_path().string();
  const struct {
    std::string path;
    bool found;
  } cases[] = {
      {dir.file("BOARD.CIR"), true},
      {dir.file("LINK.CIR"), true},
      {folder + "/other/../BOARD.CIR", true},
      {dir.file("board.cir"), true},
      {dir.file("other/BOARD.CIR"), false},
      {dir.file("ABSENT.CIR"), false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(open.find(c.path), c.found ? board.get() : nullptr) << c.path;
    EXPECT_EQ(OpenDocuments::none().find(c.path), nullptr) << c.path;
  }
}

TEST_F(Hierarchy, ThreeLevelMissionMtbfWithParallelAndKofN) {
  // Two parallel units of 100 fpmh: MTBF 15 000 h; the top takes it in series
  // with nothing else, through a middle K-of-N level of 1 of 1.
  write("LEAF.CIR", DocKind::Circuit, {100.0, 100.0});
  {
    auto leaf = load("LEAF.CIR");
    leaf->header().MODEL = 2;
    ASSERT_TRUE(saveDocument(posixFileSystem(), *leaf, dir.file("LEAF.CIR")).isOk());
  }
  write("MID.CIR", DocKind::Circuit, {}, {{kSubCircuitType, "LEAF.CIR"}});
  {
    auto mid = load("MID.CIR");
    mid->header().MODEL = 3;
    mid->header().NREQ = 1;
    ASSERT_TRUE(saveDocument(posixFileSystem(), *mid, dir.file("MID.CIR")).isOk());
  }
  write("TOP.CIR", DocKind::Circuit, {}, {{kSubCircuitType, "MID.CIR"}});
  auto top = load("TOP.CIR");
  RecordingUi ui;
  ASSERT_TRUE(calc(*top, ui, true)) << ui.lines[1] << ui.lines[4] << ui.lines[5];
  EXPECT_NEAR(top->header().MissionMTBF, 15000.0, 15000.0 * 0.002);
  // R(1000 h) of the parallel pair: 1 - (1 - e^-0.1)^2
  const double r = std::exp(-0.1);
  EXPECT_NEAR(top->header().MissionR, 1 - (1 - r) * (1 - r), 1e-6);
}

}  // namespace
}  // namespace kestrel
