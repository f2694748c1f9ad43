// The project tree over real files: it matches the example hierarchy, shows
// missing children and cycles without following them, stops (leaving the
// tree as it was) on broken hierarchies, the node limit, the top-level
// checks, cancelling, and the node lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "project/node_lines.hpp"
#include "project/top_level.hpp"
#include "project_fixture.hpp"

namespace kestrel::test {
namespace {

using Tree = ProjectFixture;

// Walks the files as the tree should: a document, then its records in file order.
void expectMatches(Tree& t, const ProjectTree& tree, std::size_t& at, const std::string& name, int level) {
  ASSERT_LT(at, tree.size());
  const CProjPart& node = tree.node(at++);
  auto doc = t.load(std::filesystem::path(node.file).filename().string());
  ASSERT_TRUE(doc);
  EXPECT_EQ(upperCased(std::filesystem::path(node.file).filename().string()), upperCased(name));
  EXPECT_EQ(node.level, level);
  EXPECT_EQ(node.kind, doc->isHybrid() ? ProjNodeKind::Hybrid : ProjNodeKind::Circuit);
  EXPECT_EQ(node.recordCount, doc->count());
  ASSERT_TRUE(node.header);
  EXPECT_EQ(node.header->TotalFR, doc->header().TotalFR);
  for (std::size_t i = 0; i < doc->count(); ++i) {
    const CPart& part = doc->record(i);
    ASSERT_LT(at, tree.size());
    const CProjPart& child = tree.node(at);
    EXPECT_EQ(child.recordNumber, i + 1);
    EXPECT_EQ(child.quantity, part.QTY);
    EXPECT_EQ(child.dutyCycle, part.DutyCycle);
    if (part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType) {
      EXPECT_EQ(child.parentFile, node.file);
      expectMatches(t, tree, at, part.FileName, level + 1);
      if (::testing::Test::HasFatalFailure()) return;
    } else {
      EXPECT_EQ(child.kind, ProjNodeKind::Part);
      EXPECT_EQ(child.record->PN, part.PN);
      ++at;
    }
  }
}

TEST_F(Tree, MatchesTheExampleHierarchy) {
  ASSERT_TRUE(build().isOk()) << build().message();
  std::size_t at = 0;
  expectMatches(*this, tree, at, "system.cir", 0);
  EXPECT_EQ(at, tree.size());
  EXPECT_EQ(tree.checkedStatus(), "Files to Print (Checked) = 5");
  const auto& stage = ui.lineHistory[1];
  EXPECT_NE(std::find(stage.begin(), stage.end(), "Building Project Tree..."), stage.end());
  const auto& parent = ui.lineHistory[4];
  EXPECT_NE(std::find(parent.begin(), parent.end(), "[Parent='IO_BOARD.CIR']"), parent.end());
}

TEST_F(Tree, MissingChildAndCycleAreShownNotFollowed) {
  std::filesystem::remove(dir.file("rf_module.hyb"));
  auto controller = load("controller.cir");
  controller->insertSorted(subFile("SYSTEM.CIR", "LOOP"));
  save(*controller, "controller.cir");
  ASSERT_TRUE(build().isOk()) << build().message();

  const std::size_t missing = find("rf_module.hyb");
  ASSERT_LT(missing, tree.size());
  EXPECT_EQ(tree.node(missing).state, ProjNodeState::Missing);
  EXPECT_FALSE(tree.node(missing).printChecked);
  EXPECT_LE(tree.node(missing + 1).level, tree.node(missing).level);
  EXPECT_TRUE(contains(nodeLines(tree.node(missing))[0], "RF_MODULE.HYB  *MISSING*"));

  const std::size_t loop = find("SYSTEM.CIR", 1);
  ASSERT_LT(loop, tree.size());
  EXPECT_EQ(tree.node(loop).state, ProjNodeState::Cycle);
  EXPECT_EQ(tree.node(loop).level, 2);
  EXPECT_LE(tree.node(loop + 1).level, 2);
  EXPECT_TRUE(contains(nodeLines(tree.node(loop))[0], "*CYCLE*"));
  EXPECT_FALSE(tree.toggleCheck(loop, ui));
  EXPECT_EQ(ui.messages.back(), "TOGGLE: not a valid selection.");
}

TEST_F(Tree, LinkToADocumentAboveIsACycle) {
  std::filesystem::create_symlink(dir.file("system.cir"), dir.file("alias.cir"));
  auto io = load("io_board.cir");
  io->insertSorted(subFile("ALIAS.CIR", "BACK"));
  save(*io, "io_board.cir");
  ASSERT_TRUE(build().isOk()) << build().message();
  const std::size_t loop = find("ALIAS.CIR");
  ASSERT_LT(loop, tree.size());
  EXPECT_EQ(tree.node(loop).state, ProjNodeState::Cycle);
}

struct Broken {
  const char* name;
  void (*damage)(Tree&);
  const char* line5;
  const char* where;
};
void PrintTo(const Broken& b, std::ostream* os) { *os << b.name; }

class BrokenHierarchy : public Tree, public ::testing::WithParamInterface<Broken> {};

TEST_P(BrokenHierarchy, StopsNamingFileAndRecordAndLeavesTheTree) {
  ASSERT_TRUE(build().isOk());
  const std::size_t before = tree.size();
  GetParam().damage(*this);
  const Status s = build();
  ASSERT_FALSE(s.isOk());
  EXPECT_EQ(ui.lines[5], GetParam().line5);
  EXPECT_TRUE(contains(s.message(), GetParam().where)) << s.message();
  EXPECT_TRUE(contains(s.message(), std::string(kFixHierarchyHint)));
  EXPECT_EQ(tree.size(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenHierarchy,
    ::testing::Values(
        Broken{"WrongExtension",
               [](Tree& t) {
                 auto doc = t.load("io_board.cir");
                 doc->insertSorted(subFile("other.txt"));
                 t.save(*doc, "io_board.cir");
               },
               "...Error: CIR extension mismatch.", "io_board.cir' R1: "},
        Broken{"DamagedChild",
               [](Tree& t) {
                 std::vector<std::uint8_t> b;
                 ASSERT_TRUE(t.fs.readFile(t.dir.file("controller.cir"), b, 1 << 20).isOk());
                 b[20] ^= 0x40;
                 ASSERT_TRUE(t.fs.writeFile(t.dir.file("controller.cir"), b).isOk());
               },
               "...Error: can not open.", "controller.cir': ...Error: can not open.\nFile checksum error."},
        Broken{"HybridInCircuitFile",
               [](Tree& t) { std::filesystem::copy_file(t.dir.file("rf_module.hyb"), t.dir.file("power_supply.cir"),
                                                        std::filesystem::copy_options::overwrite_existing); },
               "...Error: unexpected file format.", "power_supply.cir'"},
        Broken{"TooDeep",
               [](Tree& t) {
                 for (int i = 0; i < kMaxLevels; ++i) {
                   t.write("deep" + std::to_string(i) + ".cir", subFile("deep" + std::to_string(i + 1) + ".cir"));
                 }
                 t.write("deep" + std::to_string(kMaxLevels) + ".cir", misc("END"));
                 t.write("system.cir", subFile("deep0.cir"));
               },
               "...Error: too many levels.", "R1: ...Error: too many levels."}));

TEST_F(Tree, HoldsAtMost4999Nodes) {
  CCircDoc big;
  for (std::size_t i = 0; i < kMaxProjectNodes - 1; ++i) big.appendLoaded(misc("P" + std::to_string(i)));
  save(big, "system.cir");
  ASSERT_TRUE(build().isOk());
  EXPECT_EQ(tree.size(), kMaxProjectNodes);

  big.appendLoaded(misc("ONE-TOO-MANY"));
  save(big, "system.cir");
  const Status s = build();
  EXPECT_FALSE(s.isOk());
  EXPECT_EQ(ui.lines[5], "...Error: too many project parts list records (5000).");
  EXPECT_TRUE(contains(s.message(), "system.cir' R4999: "));
  EXPECT_EQ(tree.size(), kMaxProjectNodes);
}

struct TopCase {
  const char* name;
  const char* top;  // in the folder unless it starts with '/'
  const char* projectFile;
  bool answer;
  const char* message;
};
void PrintTo(const TopCase& c, std::ostream* os) { *os << c.name; }

class TopLevel : public Tree, public ::testing::WithParamInterface<TopCase> {};

TEST_P(TopLevel, IsCheckedBeforeBuilding) {
  const std::string top = GetParam().top;
  project.setTopLevel(top[0] == '/' ? top : dir.file(top));
  project.setPath(dir.file(GetParam().projectFile));
  ui.defaultAnswer = GetParam().answer;
  const Status s = build();
  EXPECT_FALSE(s.isOk());
  ASSERT_FALSE(ui.messages.empty() && ui.questions.empty());
  const std::string shown = ui.messages.empty() ? ui.questions.back() : ui.messages.back();
  EXPECT_TRUE(contains(shown, GetParam().message)) << shown;
  EXPECT_TRUE(contains(s.message(), std::string(kSetTopLevelHint)));
  EXPECT_TRUE(tree.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TopLevel,
    ::testing::Values(TopCase{"Missing", "none.cir", "unit.prj", true, "This circuit file does not currently exist."},
                      TopCase{"NoFolder", "gone/system.cir", "gone/unit.prj", true, "This drive/directory does not currently exist."},
                      TopCase{"Hybrid", "rf_module.hyb", "unit.prj", true, "Circuit file must have '.CIR' extension."},
                      TopCase{"OtherFolderKept", "/elsewhere/system.cir", "unit.prj", false,
                              "Project Error: all your project files are not in the same directory."}));

TEST_F(Tree, TopLevelInAnotherFolderMovesIntoTheProjectFolderOnYes) {
  ASSERT_TRUE(saveProject(fs, project, project.path()).isOk());
  project.setTopLevel("/elsewhere/system.cir");
  ASSERT_TRUE(build().isOk()) << build().message();
  EXPECT_TRUE(contains(ui.questions.back(), "...\n..." + dir.file("system.cir")));
  CProjDoc back;
  ASSERT_TRUE(openProject(fs, project.path(), back).isOk());
  EXPECT_EQ(back.topLevel(), dir.file("system.cir"));
}

TEST_F(Tree, CancelOnYesLeavesTheTreeAndNoKeepsBuilding) {
  ui.cancel = true;
  ui.answers = {true};
  EXPECT_FALSE(build().isOk());
  EXPECT_EQ(ui.questions.back(), "Cancel building project tree?");
  EXPECT_TRUE(tree.empty());
  ui.cancel = true;
  ui.answers = {false};
  EXPECT_TRUE(build().isOk());
  EXPECT_FALSE(tree.empty());
}

TEST_F(Tree, NodeLinesShowTheDocumentTotalsAndTheRollup) {
  ASSERT_TRUE(build().isOk());
  const std::vector<std::string> top = nodeLines(tree.node(0));
  ASSERT_GE(top.size(), 5u);
  EXPECT_EQ(top[0], "SYSTEM.CIR");
  EXPECT_EQ(top[1].substr(0, 45), "Env:GF      CF:1.00   Temp:30.00 C    Recs:3 ");
  EXPECT_TRUE(contains(top[1], "Model:Serial"));
  EXPECT_EQ(top[2], "Descr: Actuator control unit" + std::string(60 - 21, ' '));
  EXPECT_EQ(top[3].rfind("FR=", 0), 0u);
  EXPECT_TRUE(contains(top[3], "  MTBF="));
  EXPECT_TRUE(contains(top[4], "MissionR="));

  const std::vector<std::string> io = nodeLines(tree.node(find("io_board.cir")));
  EXPECT_EQ(io[0], "   IO_BOARD.CIR");
  EXPECT_TRUE(contains(io.back(), "   Item Rollup >>> TFR="));
  EXPECT_TRUE(contains(io.back(), "Qty:1    DC:80.00%"));

  auto power = load("power_supply.cir");
  power->header().CalcFlags = 0;
  save(*power, "power_supply.cir");
  ASSERT_TRUE(build().isOk());
  EXPECT_EQ(nodeLines(tree.node(find("power_supply.cir")))[3], "   *NOCALC*");
  const std::vector<std::string> part = nodeLines(tree.node(find("power_supply.cir") + 1));
  EXPECT_EQ(part.size(), 2u);
  EXPECT_EQ(part[0].substr(0, 6), "      ");
}

}  // namespace
}  // namespace kestrel::test
