// Merge and the What-If? command over real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/merge.hpp"
#include "core/registry.hpp"
#include "core/whatif_command.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

using test::RecordingUi;
using test::TempFolder;

class Files : public ::testing::Test {
 protected:
  void SetUp() override { registerAllParts(); }
  std::unique_ptr<CCircDoc> load(const std::string& name) {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(posixFileSystem(), dir.file(name), doc).isOk()) << name;
    return doc;
  }
  void save(CCircDoc& doc, const std::string& name) {
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
  }
  std::string bytes(const std::string& name) {
    std::ifstream in(dir.file(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  TempFolder dir;
};

// ---- merge ----

TEST_F(Files, MergeCopiesEveryRecordRecalculatedAgainstTheTarget) {
  CCircDoc from;
  from.header().ENV = 1;  // GB
  from.insertSorted(test::fixedPart(2.0, "A", "R1"));
  from.insertSorted(test::fixedPart(2.0, "A", "R1"));  // a duplicate key is merged too
  auto res = PartRegistry::instance().create(401, false);
  res->PN = "RES";
  from.insertSorted(std::move(res));
  save(from, "FROM.CIR");
  const std::string sourceBytes = bytes("FROM.CIR");

  CCircDoc into;
  into.header().ENV = 5;  // NU: the resistor's pi_E is 42 here, 1 in the source
  into.insertSorted(test::fixedPart(1.0, "B"));
  into.setPath(dir.file("INTO.CIR"));
  RecordingUi ui;
  DocumentSubFiles files(posixFileSystem());
  CalcContext ctx(ui, &files);
  const MergeOutcome out = mergeInto(into, dir.file("FROM.CIR"), ctx);
  ASSERT_TRUE(out.ok) << ui.lines[4];
  EXPECT_EQ(out.merged, 3);
  EXPECT_EQ(into.count(), 4u);
  // sorted in: the resistor (type 401) before the miscellaneous parts (609)
  EXPECT_EQ(into.record(0).PN, "RES");
  EXPECT_EQ(into.record(1).PN, "A");
  EXPECT_EQ(into.record(2).PN, "A");
  EXPECT_EQ(into.record(3).PN, "B");
  EXPECT_EQ(ui.lines[4], "...Complete.");
  EXPECT_EQ(ui.lines[3], "...merging 3 records...");
  // Recalculated in NU: GB's base environment factor 1 becomes 42.
  const auto& merged = static_cast<const CResistor&>(into.record(0));
  EXPECT_FLOAT_EQ(merged.PIE, 42.0f);
  EXPECT_EQ(bytes("FROM.CIR"), sourceBytes);
  EXPECT_EQ(mergeQuestion("/a/FROM.CIR", into), "Merge '/a/FROM.CIR' into 'INTO.CIR'?");
}

struct MergeRefusal {
  const char* name;
  const char* source;
  std::size_t targetRecords;
  const char* line4;
};

class MergeRefused : public Files, public ::testing::WithParamInterface<MergeRefusal> {};

TEST_P(MergeRefused, BeforeAnyRecordIsCopied) {
  CCircDoc hyb(DocKind::Hybrid);
  hyb.insertSorted(test::fixedPart(1.0));
  save(hyb, "H.HYB");
  CCircDoc two;
  two.insertSorted(test::fixedPart(1.0));
  two.insertSorted(test::fixedPart(1.0));
  save(two, "TWO.CIR");
  CCircDoc none;
  save(none, "EMPTY.CIR");
  save(none, "INTO.CIR");
  std::filesystem::create_symlink(dir.file("INTO.CIR"), dir.file("LINK.CIR"));
  std::filesystem::create_hard_link(dir.file("INTO.CIR"), dir.file("HARD.CIR"));

  CCircDoc into;
  into.setPath(dir.file("INTO.CIR"));
  for (std::size_t i = 0; i < GetParam().targetRecords; ++i) into.appendLoaded(test::fixedPart(1.0));
  RecordingUi ui;
  DocumentSubFiles files(posixFileSystem());
  CalcContext ctx(ui, &files);
  const MergeOutcome out = mergeInto(into, dir.file(GetParam().source), ctx);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.merged, 0);
  EXPECT_EQ(into.count(), GetParam().targetRecords);
  EXPECT_EQ(ui.lines[4], GetParam().line4);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeRefused,
    ::testing::Values(MergeRefusal{"IntoItself", "INTO.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"IntoItselfThroughALink", "LINK.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"IntoItselfThroughAHardLink", "HARD.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"IntoItselfByADotPath", "./INTO.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"HybridIntoCircuit", "H.HYB", 0, "...Error: unexpected file format."},
                      MergeRefusal{"EmptySource", "EMPTY.CIR", 0, "...Error: zero records."},
                      MergeRefusal{"MissingSource", "NONE.CIR", 0, "...Error: can not open."},
                      MergeRefusal{"OneTooMany", "TWO.CIR", kMaxRecs - 1, "...Error: too many records."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Files, MergeUpToExactlyMaxRecordsSucceeds) {
  CCircDoc two;
  two.insertSorted(test::fixedPart(1.0));
  two.insertSorted(test::fixedPart(1.0));
  save(two, "TWO.CIR");
  CCircDoc into;
  for (std::size_t i = 0; i < kMaxRecs - 2; ++i) into.appendLoaded(test::fixedPart(1.0));
  RecordingUi ui;
  DocumentSubFiles files(posixFileSystem());
  CalcContext ctx(ui, &files);
  EXPECT_TRUE(mergeInto(into, dir.file("TWO.CIR"), ctx).ok);
  EXPECT_EQ(into.count(), kMaxRecs);
}

// ---- What-If? ----

// A board of one resistor (RC, Non-ER, Pmax 0.25 W, Pd 0.1 W: 40 %) under a top
// circuit of one fixed 1 fpmh part.
class WhatIf : public Files {
 protected:
  void SetUp() override {
    Files::SetUp();
    CCircDoc board;
    auto r = PartRegistry::instance().create(401, false);
    r->PN = "RES";
    board.insertSorted(std::move(r));
    save(board, "BOARD.CIR");
    CCircDoc top;
    top.insertSorted(test::fixedPart(1.0, "FIX"));
    auto sub = PartRegistry::instance().create(kSubCircuitType, false);
    sub->FileName = "BOARD.CIR";
    top.insertSorted(std::move(sub));
    save(top, "TOP.CIR");
  }
  const CResistor& boardResistor(CCircDoc& board) { return static_cast<const CResistor&>(board.record(0)); }
};

TEST_F(WhatIf, QualityStressAndEnvironmentReachTheChildAndAreSaved) {
  auto top = load("TOP.CIR");
  WhatIfSettings s;
  s.changeEnvironment = true;
  s.environment = 2;  // GF
  s.qualityMode = Increase;
  s.qualityLevel = 2;  // Non-ER (5) -> P (3)
  s.stressMode = SetDirect;
  s.stressValue = 70;
  RecordingUi ui;
  const WhatIfOutcome out = runWhatIf(*top, posixFileSystem(), ui, s, false);
  ASSERT_TRUE(out.ok) << ui.lines[5];
  auto board = load("BOARD.CIR");
  const CResistor& r = boardResistor(*board);
  EXPECT_EQ(r.QU, 3);
  EXPECT_FLOAT_EQ(r.PSTRESS, 70.0f);
  EXPECT_EQ(r.STRESSMODE, 2);  // set directly: manual
  EXPECT_EQ(board->header().ENV, 2);
  // lambda_b 0.0017, pi_T 1 (25 C), pi_P 0.25^0.39 = 0.582367, pi_S 0.54 exp(2.04 x 0.7) = 2.252182,
  // pi_Q 0.3, pi_E(GF) 4: 0.0017 x 0.582367 x 2.252182 x 0.3 x 4 = 0.00267543 fpmh
  EXPECT_NEAR(r.FR, 0.00267543, 1e-8);
  // the top takes the board's rate and its own fixed part
  EXPECT_NEAR(top->header().TotalFR, 1.0 + 0.00267543, 1e-7);
  EXPECT_EQ(load("TOP.CIR")->header().ENV, 2);
  EXPECT_EQ(out.saved.size(), 2u);
}

TEST_F(WhatIf, TemperatureDecreaseIsLimitedAndTopOnlyLeavesChildrenUnchanged) {
  auto top = load("TOP.CIR");
  WhatIfSettings s;
  s.entireHierarchy = false;
  s.tempMode = Decrease;
  s.tempValue = 100;
  RecordingUi ui;
  ASSERT_TRUE(runWhatIf(*top, posixFileSystem(), ui, s, false).ok);
  EXPECT_FLOAT_EQ(load("TOP.CIR")->header().TEMP, -55.0f);
  EXPECT_FLOAT_EQ(load("BOARD.CIR")->header().TEMP, 25.0f);  // calculated, not changed
}

TEST_F(WhatIf, FailureOnAChildChangesNoFile) {
  // A second sub-circuit naming a missing file fails after the board was reached.
  auto top = load("TOP.CIR");
  auto sub = PartRegistry::instance().create(kSubCircuitType, false);
  sub->FileName = "ZZ_MISSING.CIR";
  sub->PN = "ZZ";
  top->insertSorted(std::move(sub));
  save(*top, "TOP.CIR");
  std::filesystem::remove(dir.file("TOP.CIR.BAK"));
  const std::string topBytes = bytes("TOP.CIR"), boardBytes = bytes("BOARD.CIR");
  const auto before = dir.list();
  WhatIfSettings s;
  s.changeEnvironment = true;
  s.environment = 14;
  RecordingUi ui;
  EXPECT_FALSE(runWhatIf(*top, posixFileSystem(), ui, s, false).ok);
  EXPECT_EQ(bytes("TOP.CIR"), topBytes);
  EXPECT_EQ(bytes("BOARD.CIR"), boardBytes);
  EXPECT_EQ(dir.list(), before);
}

TEST_F(WhatIf, NothingToChangeIsRefusedAndDryRunWritesNothing) {
  auto top = load("TOP.CIR");
  WhatIfSettings none;
  RecordingUi ui;
  EXPECT_FALSE(runWhatIf(*top, posixFileSystem(), ui, none, false).ok);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"No What-If? changes specified."});
  const std::string topBytes = bytes("TOP.CIR");
  WhatIfSettings s;
  s.tempMode = SetDirect;
  s.tempValue = 80;
  const WhatIfOutcome out = runWhatIf(*top, posixFileSystem(), ui, s, true);
  EXPECT_TRUE(out.ok);
  EXPECT_TRUE(out.saved.empty());
  EXPECT_FLOAT_EQ(top->header().TEMP, 80.0f);
  EXPECT_EQ(bytes("TOP.CIR"), topBytes);
}

TEST(WhatIfConfirmation, ListsEveryChange) {
  WhatIfSettings s;
  s.typeFilterOn = true;
  s.typeId = 401;
  s.pnFilterOn = true;
  s.pnFilterText = "RNC";
  s.changeEnvironment = true;
  s.environment = 8;
  s.tempMode = Increase;
  s.tempValue = 10;
  s.qualityMode = SetDirect;
  s.qualityLevel = 2;
  s.stressMode = SetToCalcMode;
  const std::vector<std::string> expected = {"Select OK to make the following What-If? changes:",
                                             "- Make Changes for Entire Hierarchy: YES",
                                             "- Part Type Filter: Resistor",
                                             "- PN Filter: 'RNC'",
                                             "- Environment: AUC",
                                             "- Temperature: Increase (10.0C)",
                                             "- Quality: SetDirect (2)",
                                             "- Stress: SetToCalcMode"};
  EXPECT_EQ(whatIfConfirmation(s), expected);
}

}  // namespace
}  // namespace kestrel
