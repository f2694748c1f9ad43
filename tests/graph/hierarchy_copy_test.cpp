// Copying a hierarchy into the temporary folder: each file once, walked as
// the calculation walks it, with the walk's errors, cancel and the state of
// documents the user has open.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "faulty_scratch.hpp"
#include "graph/hierarchy_copy.hpp"
#include "graph_fixture.hpp"
#include "support/test_parts.hpp"

namespace kestrel::graph {
namespace {

using test::FaultyScratch;
using test::RecordingUi;

class HierarchyCopy : public ::testing::Test, protected test::GraphFixture {
 protected:
  void SetUp() override {
    writeSample();
    folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 100, ui);
    ASSERT_TRUE(folder);
  }
  // A circuit of fixed parts naming sub-files.
  void circuit(const std::string& name, std::vector<std::pair<std::uint16_t, std::string>> subs, int parts = 1) {
    CCircDoc doc;
    for (int i = 0; i < parts; ++i) doc.insertSorted(test::fixedPart(1.0, strprintf("P%d", i)));
    for (const auto& [type, file] : subs) {
      auto sub = PartRegistry::instance().create(type, false);
      sub->FileName = file;
      doc.insertSorted(std::move(sub));
    }
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
    std::filesystem::remove(dir.file(name) + ".BAK");
  }
  std::unique_ptr<WorkingSet> copy(const std::string& top, ScratchFiles& files = posixScratchFiles()) {
    return copyHierarchy({dir.file(top), {}}, files, *folder, ui);
  }
  std::vector<std::string> copied() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder->path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  RecordingUi ui;
  std::unique_ptr<ScratchFolder> folder;
};

TEST_F(HierarchyCopy, EveryFileOfTheHierarchyCopiedByteForByteIntoTheWorkingSet) {
  FaultyScratch counting;
  auto set = copy("TOP.CIR", counting);
  ASSERT_TRUE(set) << ui.lines[5];
  EXPECT_EQ(copied(), (std::vector<std::string>{"BOARD.CIR", "CHIPS.HYB", "TOP.CIR"}));
  for (const char* name : {"TOP.CIR", "BOARD.CIR", "CHIPS.HYB"}) {
    EXPECT_EQ(test::readFileText(folder->file(name)), test::readFileText(dir.file(name))) << name;
  }
  EXPECT_EQ(counting.reads, 3);
  EXPECT_EQ(counting.writes, 3);
  ASSERT_EQ(set->size(), 3u);
  EXPECT_EQ(set->top().path(), folder->file("TOP.CIR"));
  // The child named "board.cir" in the record is found among the copies.
  EXPECT_NE(set->find(folder->file("board.cir")), nullptr);
  EXPECT_EQ(ui.lines[1], "Graph: Copying Files to Temporary Directory...");
  EXPECT_NE(std::find(ui.lineHistory[2].begin(), ui.lineHistory[2].end(), "'CHIPS.HYB' (Level 2)..."),
            ui.lineHistory[2].end());
}

TEST_F(HierarchyCopy, FileNamedTwiceIsCopiedOnce) {
  circuit("LEAF.CIR", {});
  circuit("MID.CIR", {{kSubCircuitType, "LEAF.CIR"}});
  circuit("ROOT.CIR", {{kSubCircuitType, "MID.CIR"}, {kSubCircuitType, "LEAF.CIR"}, {kSubCircuitType, "leaf.cir"}});
  FaultyScratch counting;
  auto set = copy("ROOT.CIR", counting);
  ASSERT_TRUE(set) << ui.lines[5];
  EXPECT_EQ(set->size(), 3u);
  EXPECT_EQ(counting.writes, 3);
}

// Refused at the record that closes the cycle, as the calculation refuses it.
TEST_F(HierarchyCopy, CycleIsRefusedWhereItCloses) {
  circuit("A.CIR", {{kSubCircuitType, "B.CIR"}});
  circuit("B.CIR", {{kSubCircuitType, "A.CIR"}});
  EXPECT_FALSE(copy("A.CIR"));
  EXPECT_EQ(ui.lines[2], "'B.CIR' (Level 2)...");
  EXPECT_EQ(ui.lines[5], "...Error: self-reference (rec#1).");
}

TEST_F(HierarchyCopy, TopLevelDocumentOfAnotherExtensionRefused) {
  std::filesystem::copy_file(dir.file("TOP.CIR"), dir.file("TOP.LIB"));
  EXPECT_FALSE(copy("TOP.LIB"));
  EXPECT_EQ(ui.lines[5], "...Error: top-level doc extension not valid.");
  EXPECT_TRUE(copied().empty());
}

struct MismatchCase {
  const char* name;
  std::uint16_t type;
  const char* file;
  const char* line5;
};
void PrintTo(const MismatchCase& c, std::ostream* os) { *os << c.name; }


class HierarchyCopyMismatch : public HierarchyCopy, public ::testing::WithParamInterface<MismatchCase> {};

TEST_P(HierarchyCopyMismatch, RecordNamingTheOtherKindStopsTheCopy) {
  const MismatchCase& c = GetParam();
  circuit("WRONG.CIR", {{c.type, c.file}});
  EXPECT_FALSE(copy("WRONG.CIR"));
  EXPECT_EQ(ui.lines[5], c.line5);
}

INSTANTIATE_TEST_SUITE_P(
    Graph, HierarchyCopyMismatch,
    ::testing::Values(MismatchCase{"SubCircuitNamingHybrid", kSubCircuitType, "CHIPS.HYB",
                                   "...Error: CIR extension mismatch (rec#1)."},
                      MismatchCase{"SubHybridNamingCircuit", kSubHybridType, "BOARD.CIR",
                                   "...Error: HYB extension mismatch (rec#1)."},
                      MismatchCase{"SubCircuitWithoutExtension", kSubCircuitType, "BOARD",
                                   "...Error: CIR extension mismatch (rec#1)."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HierarchyCopy, MissingChildGivesCanNotCopyWithTheCode) {
  circuit("ORPHAN.CIR", {{kSubCircuitType, "NOWHERE.CIR"}});
  EXPECT_FALSE(copy("ORPHAN.CIR"));
  EXPECT_EQ(ui.lines[5], "...Error: can not copy file [2].");
}

TEST_F(HierarchyCopy, DamagedChildIsNamedAndStopsTheCopy) {
  std::filesystem::resize_file(dir.file("BOARD.CIR"), 40);
  EXPECT_FALSE(copy("TOP.CIR"));
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_NE(ui.messages.back().find("BOARD.CIR"), std::string::npos);
  EXPECT_EQ(ui.lines[5], "...Error: can not copy file [22].");
}

TEST_F(HierarchyCopy, ChainDeeperThanTheLevelLimitRefused) {
  for (int i = kMaxLevels; i >= 0; --i) {
    std::vector<std::pair<std::uint16_t, std::string>> child;
    if (i < kMaxLevels) child.emplace_back(kSubCircuitType, strprintf("L%d.CIR", i + 1));
    circuit(strprintf("L%d.CIR", i), child);
  }
  EXPECT_FALSE(copy("L0.CIR"));
  EXPECT_EQ(ui.lines[5], "...Error: too many levels.");
  folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 101, ui);
  EXPECT_TRUE(copy("L1.CIR")) << ui.lines[5];
}

TEST_F(HierarchyCopy, WriteFailureInTheFolderGivesItsCode) {
  FaultyScratch faulty;
  faulty.failWriteNumber = 2;
  EXPECT_FALSE(copy("TOP.CIR", faulty));
  EXPECT_EQ(ui.lines[5], "...Error: can not copy file [28].");
}

TEST_F(HierarchyCopy, CancelAnsweredYesStopsAndNoGoesOn) {
  ui.cancel = true;
  ui.answers = {false};
  EXPECT_TRUE(copy("TOP.CIR"));
  ASSERT_FALSE(ui.questions.empty());
  EXPECT_EQ(ui.questions[0], "Cancel temporary directory copy operation?");

  RecordingUi yes;
  yes.cancel = true;
  yes.answers = {true};
  auto second = ScratchFolder::create(posixScratchFiles(), dir.path(), 100, yes);
  EXPECT_FALSE(copyHierarchy({topPath(), {}}, posixScratchFiles(), *second, yes));
  EXPECT_EQ(yes.lines[4], "...Cancel.");
}

TEST_F(HierarchyCopy, OpenDocumentIsCopiedAsItStandsNotAsSaved) {
  std::unique_ptr<CCircDoc> board;
  ASSERT_TRUE(loadDocument(posixFileSystem(), dir.file("BOARD.CIR"), board).isOk());
  board->header().TEMP = 99.0f;  // an edit not saved
  const std::string before = test::readFileText(dir.file("BOARD.CIR"));
  ListedOpenDocuments open({board.get()});
  auto set = copyHierarchy({topPath(), &open}, posixScratchFiles(), *folder, ui);
  ASSERT_TRUE(set);
  const CCircDoc* copyOfBoard = set->find(folder->file("BOARD.CIR"));
  ASSERT_NE(copyOfBoard, nullptr);
  EXPECT_FLOAT_EQ(copyOfBoard->header().TEMP, 99.0f);
  EXPECT_EQ(test::readFileText(dir.file("BOARD.CIR")), before);
}

}  // namespace
}  // namespace kestrel::graph
