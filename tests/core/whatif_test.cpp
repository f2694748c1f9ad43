#include "core/whatif.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/circ_header.hpp"
#include "core/document_sub_files.hpp"
#include "core/merge.hpp"
#include "core/open_documents.hpp"
#include "core/registry.hpp"
#include "core/sub_parts.hpp"
#include "core/whatif_command.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

struct QualityCase {
  std::uint8_t mode;
  float level;
  std::uint8_t before;
  std::uint8_t after;
};

class QualityRule : public ::testing::TestWithParam<QualityCase> {};

TEST_P(QualityRule, MovesWithinTheClassRange) {
  WhatIfSettings s;
  s.qualityMode = GetParam().mode;
  s.qualityLevel = GetParam().level;
  std::uint8_t q = GetParam().before;
  applyQualityChange(q, 1, 6, s);
  EXPECT_EQ(q, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QualityRule,
    ::testing::Values(QualityCase{NoChange, 3, 4, 4},       // nothing
                      QualityCase{Increase, 2, 3, 1},       // better quality is a lower index
                      QualityCase{Increase, 2, 2, 1},       // limited to the range
                      QualityCase{Decrease, 2, 5, 6},       // limited at the top
                      QualityCase{Decrease, 300, 5, 6},     // beyond a byte, still limited
                      QualityCase{SetDirect, 4, 1, 4},      // set directly
                      QualityCase{SetDirect, 2.7f, 1, 2},   // truncated to a whole number
                      QualityCase{SetDirect, 9, 1, 6}));

struct StressCase {
  std::uint8_t mode;
  float value;
  float before;
  std::uint8_t modeBefore;
  double rated, operating;
  float after;
  std::uint8_t modeAfter;
};

class StressRule : public ::testing::TestWithParam<StressCase> {};

TEST_P(StressRule, SetsRaisesLowersOrRecomputes) {
  const StressCase& c = GetParam();
  WhatIfSettings s;
  s.stressMode = c.mode;
  s.stressValue = c.value;
  float stress = c.before;
  std::uint8_t mode = c.modeBefore;
  applyStressChange({stress, &mode, c.rated, c.operating}, 0.0, 100.0, s);
  EXPECT_FLOAT_EQ(stress, c.after);
  EXPECT_EQ(mode, c.modeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StressRule,
    ::testing::Values(StressCase{NoChange, 10, 40, 1, 0.25, 0.1, 40, 1},
                      StressCase{SetDirect, 70, 40, 1, 0.25, 0.1, 70, 2},
                      StressCase{Increase, 70, 40, 1, 0.25, 0.1, 100, 2},   // limited
                      StressCase{Decrease, 50, 40, 1, 0.25, 0.1, 0, 2},     // limited
                      // Pd 0.1 W of Pmax 0.25 W: 40 % and the computed mode
                      StressCase{SetToCalcMode, 0, 90, 2, 0.25, 0.1, 40, 1},
                      // a rated value of 0 leaves the stress as it was
                      StressCase{SetToCalcMode, 0, 55, 2, 0.0, 0.1, 55, 1}));

TEST(StressRule, ClassWithoutStressModeIgnoresSetToCalcMode) {
  WhatIfSettings s;
  s.stressMode = SetToCalcMode;
  float stress = 30;
  applyStressChange({stress, nullptr, 1.0, 0.5}, 0.0, 100.0, s);
  EXPECT_FLOAT_EQ(stress, 30);
  s.stressMode = Increase;
  s.stressValue = 5;
  applyStressChange({stress, nullptr, 1.0, 0.5}, 0.0, 100.0, s);
  EXPECT_FLOAT_EQ(stress, 35);
}

TEST(WhatIfFilter, PartNumberPrefixIgnoresCaseAndTypeMustMatch) {
  WhatIfSettings s;
  s.pnFilterOn = true;
  s.pnFilterText = "AB";
  s.pnFilterLength = 2;
  auto part = test::fixedPart(1.0);
  for (const char* pn : {"ABC123", "abx"}) {
    part->PN = pn;
    EXPECT_TRUE(s.passesFilter(*part)) << pn;
  }
  for (const char* pn : {"XAB", "A", ""}) {
    part->PN = pn;
    EXPECT_FALSE(s.passesFilter(*part)) << pn;
  }
  s.pnFilterLength = 0;  // a zero length lets everything through
  EXPECT_TRUE(s.passesFilter(*part));
  s.typeFilterOn = true;
  s.typeId = 401;
  EXPECT_FALSE(s.passesFilter(*part));
  s.typeId = part->PART_TYPE;
  EXPECT_TRUE(s.passesFilter(*part));
}

TEST(HeaderWhatIf, TemperatureLimitedAndHybridQualityChanged) {
  WhatIfSettings s;
  CCircHeader h;
  s.tempMode = Increase;
  s.tempValue = 500;
  applyHeaderWhatIf(h, false, s);
  EXPECT_FLOAT_EQ(h.TEMP, 175.0f);
  s.tempMode = SetDirect;
  s.tempValue = 60;
  s.qualityMode = Increase;
  s.qualityLevel = 1;
  applyHeaderWhatIf(h, true, s);
  EXPECT_FLOAT_EQ(h.TEMP, 60.0f);
  EXPECT_EQ(h.HYBQU, 2);  // Commercial -> B
  s.typeFilterOn = true;
  s.typeId = 401;  // filtered to another type: the hybrid quality stays
  applyHeaderWhatIf(h, true, s);
  EXPECT_EQ(h.HYBQU, 2);
}

// Merge and the What-If? command over real files.

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
}

// Refused before any record is copied; one record short of the limit is
// room enough.
struct MergeRefusal {
  const char* name;
  const char* source;
  std::size_t targetRecords;
  const char* line4;
};

class MergeRefused : public Files, public ::testing::WithParamInterface<MergeRefusal> {};

TEST_P(MergeRefused, BeforeAnyRecordIsCopiedOrMergesUpToTheLimit) {
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
  const bool ok = GetParam().line4 == std::string("...Complete.");
  EXPECT_EQ(out.ok, ok);
  EXPECT_EQ(out.merged, ok ? 2 : 0);
  EXPECT_EQ(into.count(), GetParam().targetRecords + (ok ? 2 : 0));
  EXPECT_EQ(ui.lines[4], GetParam().line4);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeRefused,
    ::testing::Values(MergeRefusal{"IntoItselfThroughALink", "LINK.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"IntoItselfThroughAHardLink", "HARD.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"IntoItselfByADotPath", "./INTO.CIR", 0, "...Error: self-reference."},
                      MergeRefusal{"EmptySource", "EMPTY.CIR", 0, "...Error: zero records."},
                      MergeRefusal{"OneTooMany", "TWO.CIR", kMaxRecs - 1, "...Error: too many records."},
                      MergeRefusal{"UpToExactlyTheLimit", "TWO.CIR", kMaxRecs - 2, "...Complete."}),
    [](const auto& info) { return std::string(info.param.name); });

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

// The desktop runs top-only against the command line, which would agree
// if both reached the children.
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
// Hierarchies of real circuit and hybrid files: sub-circuits calculated one
// level deeper and saved, and every error leaving the files as they were.
class Hierarchy : public Files {
 protected:
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
  bool calc(CCircDoc& doc, RecordingUi& ui, bool mission = false) {
    DocumentSubFiles files(posixFileSystem());
    CalcContext ctx(ui, &files);
    return runCalculate(doc, ctx, {mission, 1000.0}).ok;
  }
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
        ErrorCase{"Missing", "NONE.CIR", DocKind::Circuit, false, "...Error: can not open (rec#2)."},
        ErrorCase{"HybridAsSubCircuit", "CHILD.HYB", DocKind::Hybrid, false,
                  "...Error: unexpected file format (rec#1)."},
        ErrorCase{"ZeroRecords", "CHILD.CIR", DocKind::Circuit, true, "...Error: zero records (rec#1)."}),
    [](const auto& info) { return std::string(info.param.name); });

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

}  // namespace
}  // namespace kestrel
