// Edits through the tree round-trip through the files (a rebuilt tree shows
// them), refusals change nothing, failed saves keep the files, and Print
// Project gives the report of every checked document in tree order.
#include <gtest/gtest.h>

#include "project/project_print.hpp"
#include "project/tree_edits.hpp"
#include "project_fixture.hpp"
#include "reports/report_kinds.hpp"

namespace kestrel::test {
namespace {

using Edits = ProjectFixture;

std::vector<std::uint8_t> bytesOf(FileSystem& fs, const std::string& path) {
  std::vector<std::uint8_t> b;
  EXPECT_TRUE(fs.readFile(path, b, 1 << 24).isOk());
  return b;
}

TEST_F(Edits, AddMoveAndRemoveRoundTripThroughTheFiles) {
  ASSERT_TRUE(build().isOk());
  const std::size_t nodes = tree.size();
  auto record = PartRegistry::instance().create(kSubCircuitType, false);
  record->PN = "FAN-TRAY";
  record->QTY = 2;
  EditResult r = addChild(tree, find("controller.cir"), ChildMode::SubCircuit, "fan_tray.cir", std::move(record), fs, ui);
  ASSERT_TRUE(r.status.isOk()) << r.status.message();
  EXPECT_TRUE(r.changed);
  EXPECT_TRUE(contains(ui.questions.back(), "...note: the file '" + dir.file("fan_tray.cir") + "' will be created."));
  EXPECT_EQ(load("fan_tray.cir")->count(), 0u);
  EXPECT_EQ(load("controller.cir")->header().CalcFlags, 0);

  ASSERT_TRUE(build().isOk());
  EXPECT_EQ(tree.size(), nodes + 1);
  std::size_t fan = find("fan_tray.cir");
  ASSERT_LT(fan, tree.size());
  EXPECT_EQ(tree.node(*tree.parentOf(fan)).file, dir.file("controller.cir"));
  EXPECT_EQ(tree.node(fan).quantity, 2.0f);

  r = moveChild(tree, fan, find("power_supply.cir"), fs, ui);
  ASSERT_TRUE(r.status.isOk()) << r.status.message();
  ASSERT_TRUE(build().isOk());
  fan = find("fan_tray.cir");
  EXPECT_EQ(tree.node(*tree.parentOf(fan)).file, dir.file("power_supply.cir"));
  EXPECT_EQ(tree.node(fan).record->PN, "FAN-TRAY");
  EXPECT_EQ(find("fan_tray.cir", fan + 1), tree.size());

  r = removeChild(tree, fan, fs, ui);
  ASSERT_TRUE(r.status.isOk()) << r.status.message();
  EXPECT_TRUE(contains(ui.questions.back(), "...this will NOT delete the actual data file"));
  ASSERT_TRUE(build().isOk());
  EXPECT_EQ(tree.size(), nodes);
  EXPECT_EQ(find("fan_tray.cir"), tree.size());
  EXPECT_TRUE(std::filesystem::exists(dir.file("fan_tray.cir")));
}

struct Refusal {
  const char* name;
  void (*prepare)(Edits&);  // a change made before the files are compared; may be null
  EditResult (*edit)(Edits&);
  const char* message;
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class RefusedEdit : public Edits, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedEdit, ShowsItsMessageAndChangesNoFile) {
  ASSERT_TRUE(build().isOk());
  if (GetParam().prepare != nullptr) GetParam().prepare(*this);
  const std::vector<std::string> files = dir.list();
  std::vector<std::vector<std::uint8_t>> before;
  for (const std::string& f : files) before.push_back(bytesOf(fs, dir.file(f)));
  const EditResult r = GetParam().edit(*this);
  EXPECT_FALSE(r.changed);
  if (*GetParam().message == '\0') {
    EXPECT_TRUE(r.status.isOk());
  } else {
    ASSERT_FALSE(r.status.isOk());
    EXPECT_TRUE(contains(r.status.message(), GetParam().message)) << r.status.message();
    EXPECT_TRUE(contains(ui.messages.back(), GetParam().message));
  }
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
        Refusal{"AnsweredNo", nullptr,
                [](Edits& t) {
                  t.ui.defaultAnswer = false;
                  return addTo(t, "io_board.cir", ChildMode::SubCircuit, "x.cir");
                },
                ""},
        Refusal{"DeleteTop", nullptr, [](Edits& t) { return removeChild(t.tree, 0, t.fs, t.ui); },
                "DELETE: not a valid project part selection."},
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

TEST_F(Edits, PrintGivesEveryCheckedDocumentInTreeOrder) {
  ASSERT_TRUE(build().isOk());
  ProjectPrintJob job;
  ProjectPrintOutcome out;
  ASSERT_TRUE(printProject(tree, job, fs, ui, out).isOk());
  ASSERT_TRUE(out.confirmed);
  std::vector<std::string> expected;
  for (const CProjPart& node : tree.nodes()) {
    if (node.isDocument()) expected.push_back(node.file);
  }
  EXPECT_EQ(out.files, expected);
  EXPECT_EQ(out.pages, out.estimatedPages);
  std::size_t at = 0;
  for (const std::string& file : expected) {
    const std::string descr = load(std::filesystem::path(file).filename().string())->header().DESCR;
    const std::size_t found = out.text.find(descr, at);
    ASSERT_NE(found, std::string::npos) << descr;
    at = found;
  }
  EXPECT_TRUE(contains(ui.questions.back(), "...Files to Print: 5\n...Estimated Page Count: "));
  EXPECT_TRUE(contains(ui.questions.back(), "...Report Format: Short List Report\n...Printer Device: "));

  // Unchecked documents stay out; none checked is refused.
  tree.setCheck(0, false);
  ASSERT_TRUE(printProject(tree, job, fs, ui, out).isOk());
  EXPECT_EQ(out.files.size(), 4u);
  for (std::size_t i = 0; i < tree.size(); ++i) tree.setCheck(i, false);
  EXPECT_EQ(printProject(tree, job, fs, ui, out).message(), "PRINT: no files selected.");

  // No file is written when the user says No, or when a file is not calculated.
  for (std::size_t i = 0; i < tree.size(); ++i) tree.setCheck(i, true);
  job.output = dir.file("project.pdf");
  ui.answers = {false};
  ASSERT_TRUE(printProject(tree, job, fs, ui, out).isOk());
  EXPECT_FALSE(out.confirmed);
  auto io = load("io_board.cir");
  io->header().CalcFlags = 0;
  save(*io, "io_board.cir");
  const Status s = printProject(tree, job, fs, ui, out);
  EXPECT_TRUE(contains(s.message(), "io_board.cir': ...Error: not calculated.\n...use Calculate command"));
  EXPECT_FALSE(std::filesystem::exists(job.output));
}

}  // namespace
}  // namespace kestrel::test
