// Project files (byte layout, round trips, refusals naming the file, the safe
// save) and the project tree over real files: it matches the example
// hierarchy, shows missing children and cycles without following them, stops
// (leaving the tree as it was) on broken hierarchies, the node limit, the
// top-level checks and cancelling; refused edits change no file and failed
// saves keep the files. The edits that succeed and Print Project are run
// through `kestrel project` and the project window.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/doc_file.hpp"
#include "project/node_lines.hpp"
#include "project/project_file.hpp"
#include "project/top_level.hpp"
#include "project/tree_edits.hpp"
#include "project_fixture.hpp"
#include "support/faulty_file_system.hpp"

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
  // A second name of a document above is the same document.
  std::filesystem::create_symlink(dir.file("system.cir"), dir.file("alias.cir"));
  auto io = load("io_board.cir");
  io->insertSorted(subFile("ALIAS.CIR", "BACK"));
  save(*io, "io_board.cir");
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
  ASSERT_LT(find("ALIAS.CIR"), tree.size());
  EXPECT_EQ(tree.node(find("ALIAS.CIR")).state, ProjNodeState::Cycle);
  EXPECT_FALSE(tree.toggleCheck(loop, ui));
  EXPECT_EQ(ui.messages.back(), "TOGGLE: not a valid selection.");
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

using Edits = ProjectFixture;

std::vector<std::uint8_t> bytesOf(FileSystem& fs, const std::string& path) {
  std::vector<std::uint8_t> b;
  EXPECT_TRUE(fs.readFile(path, b, 1 << 24).isOk());
  return b;
}

struct Refusal {
  const char* name;
  void (*prepare)(Edits&);  // a change made before the files are compared; may be null
  EditResult (*edit)(Edits&);
  const char* message;
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

// Refusals the project window does not reach (it checks the top and the
// answer No through the tree; a hybrid parent it refuses itself first).
class RefusedEdit : public Edits, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedEdit, ShowsItsMessageAndChangesNoFile) {
  ASSERT_TRUE(build().isOk());
  if (GetParam().prepare != nullptr) GetParam().prepare(*this);
  const std::vector<std::string> files = dir.list();
  std::vector<std::vector<std::uint8_t>> before;
  for (const std::string& f : files) before.push_back(bytesOf(fs, dir.file(f)));
  const EditResult r = GetParam().edit(*this);
  EXPECT_FALSE(r.changed);
  ASSERT_FALSE(r.status.isOk());
  EXPECT_TRUE(contains(r.status.message(), GetParam().message)) << r.status.message();
  EXPECT_TRUE(contains(ui.messages.back(), GetParam().message));
  ASSERT_EQ(dir.list(), files);
  for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(bytesOf(fs, dir.file(files[i])), before[i]) << files[i];
}

EditResult addTo(Edits& t, const char* parent, ChildMode mode, const std::string& child) {
  return addChild(t.tree, t.find(parent), mode, child, nullptr, t.fs, t.ui);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedEdit,
    ::testing::Values(
        Refusal{"AddToHybrid", nullptr, [](Edits& t) { return addTo(t, "rf_module.hyb", ChildMode::SubCircuit, "x.cir"); },
                "ADD: project part selection is not CIRCUIT."},
        Refusal{"AddToPartRecord", nullptr,
                [](Edits& t) { return addChild(t.tree, 2, ChildMode::SubCircuit, "x.cir", nullptr, t.fs, t.ui); },
                "ADD: project part selection is not CIRCUIT."},
        Refusal{"CircuitWithoutCir", nullptr, [](Edits& t) { return addTo(t, "io_board.cir", ChildMode::SubCircuit, "x.hyb"); },
                "Circuit file must have '.CIR' extension."},
        Refusal{"HybridWithoutHyb", nullptr, [](Edits& t) { return addTo(t, "io_board.cir", ChildMode::SubHybrid, "x.cir"); },
                "Hybrid file must have '.HYB' extension."},
        Refusal{"OtherFolder", nullptr, [](Edits& t) { return addTo(t, "io_board.cir", ChildMode::SubCircuit, "/tmp/x.cir"); },
                "Child file must be in same directory as parent Circuit."},
        Refusal{"AddsItself", nullptr, [](Edits& t) { return addTo(t, "io_board.cir", ChildMode::SubCircuit, "IO_BOARD.cir"); },
                "ADD: the child file is the parent Circuit or a Circuit above it."},
        Refusal{"AddsTheTop", nullptr, [](Edits& t) { return addTo(t, "io_board.cir", ChildMode::SubCircuit, "system.cir"); },
                "ADD: the child file is the parent Circuit or a Circuit above it."},
        Refusal{"DeleteAfterParentChanged",
                [](Edits& t) {
                  auto system = t.load("system.cir");
                  system->record(0).PN = "RENAMED";
                  t.save(*system, "system.cir");
                },
                [](Edits& t) { return removeChild(t.tree, t.find("controller.cir"), t.fs, t.ui); },
                "DELETE: item ID match error."},
        Refusal{"DeleteRecordGone",
                [](Edits& t) {
                  auto io = t.load("io_board.cir");
                  while (io->count() > 0) (void)io->take(0);
                  t.save(*io, "io_board.cir");
                },
                [](Edits& t) { return removeChild(t.tree, t.find("rf_module.hyb"), t.fs, t.ui); },
                "DELETE: item record# error."},
        Refusal{"MoveUnderItself", nullptr,
                [](Edits& t) { return moveChild(t.tree, t.find("io_board.cir"), t.find("io_board.cir"), t.fs, t.ui); },
                "MOVE: the new parent Circuit is the child item or lies below it."},
        Refusal{"MoveToHybrid", nullptr,
                [](Edits& t) { return moveChild(t.tree, t.find("controller.cir"), t.find("rf_module.hyb"), t.fs, t.ui); },
                "MOVE: project part selection is not CIRCUIT."},
        Refusal{"MoveToSameParent", nullptr,
                [](Edits& t) { return moveChild(t.tree, t.find("io_board.cir"), 0, t.fs, t.ui); },
                "MOVE: the child item is in that parent Circuit already."}));

TEST_F(Edits, FailedSavesKeepTheParentFiles) {
  ASSERT_TRUE(build().isOk());
  const auto system = bytesOf(fs, dir.file("system.cir"));
  fs.failRenameNumber = 1;  // the parent takes its new content
  EditResult r = removeChild(tree, find("controller.cir"), fs, ui);
  ASSERT_FALSE(r.status.isOk());
  EXPECT_TRUE(contains(r.status.message(), "DELETE: can not save parent Circuit."));
  EXPECT_EQ(bytesOf(fs, dir.file("system.cir")), system);

  // Move: the new parent is saved, the old one fails: the record is in both.
  fs.renames = 0;
  fs.failRenameNumber = 2;
  r = moveChild(tree, find("rf_module.hyb"), find("controller.cir"), fs, ui);
  ASSERT_FALSE(r.status.isOk());
  EXPECT_TRUE(r.changed);
  EXPECT_TRUE(contains(r.status.message(), "The record is now in both parent Circuits."));
  fs.failRenameNumber = 0;
  ASSERT_TRUE(build().isOk()) << build().message();
  const std::size_t first = find("rf_module.hyb");
  EXPECT_LT(find("rf_module.hyb", first + 1), tree.size());
}

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
        Damage{"TooShort", [](auto& b) { b.resize(5); }, false, "File checksum error."},
        Damage{"Empty", [](auto& b) { b.clear(); }, false, "File checksum error."},
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
}  // namespace kestrel::test
