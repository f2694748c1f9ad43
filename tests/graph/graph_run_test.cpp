// Whole graph runs: the user's files unchanged byte for byte after every
// kind of run, failed and cancelled ones included; the temporary folder gone
// in every case; the data file beside the top-level document.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "faulty_scratch.hpp"
#include "graph/graph_run.hpp"
#include "graph_fixture.hpp"
#include "support/test_parts.hpp"

namespace kestrel::graph {
namespace {

using test::RecordingUi;

class GraphRun : public ::testing::Test, protected test::GraphFixture {
 protected:
  void SetUp() override { writeSample(); }
  GraphJob job(int type) const {
    GraphJob j;
    j.topPath = topPath();
    j.settings = defaultSettings(type);
    j.settings.from = 0, j.settings.to = 40, j.settings.step = 20;
    if (type == kReliabilityVsTime) j.settings.to = 40000, j.settings.step = 20000;
    if (usesEnvironments(type)) j.settings.environments = "GB AIC";
    j.seconds = 500;
    return j;
  }
  void replace(const std::string& name, CCircDoc& doc) {
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
    std::filesystem::remove(dir.file(name) + ".BAK");
  }
};

class EveryGraphType : public GraphRun, public ::testing::WithParamInterface<int> {};

TEST_P(EveryGraphType, LeavesTheUsersFilesByteForByteAndOnlyAddsTheDataFile) {
  const auto before = snapshot();
  RecordingUi ui;
  const GraphOutcome first = runGraph(job(GetParam()), posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(first.ok) << ui.lines[5];
  EXPECT_TRUE(first.scratchRemoved);
  EXPECT_EQ(first.scratchPath, dir.file("TMP500"));
  auto after = snapshot();
  EXPECT_EQ(after["GRAPH-DATA.CSV"], first.csvText);
  after.erase("GRAPH-DATA.CSV");
  EXPECT_EQ(after, before);

  // A second run keeps the first one's file as the backup.
  const GraphOutcome second = runGraph(job(GetParam()), posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(second.ok);
  after = snapshot();
  EXPECT_EQ(after["GRAPH-DATA.CSV.BAK"], first.csvText);
  after.erase("GRAPH-DATA.CSV");
  after.erase("GRAPH-DATA.CSV.BAK");
  EXPECT_EQ(after, before);
  EXPECT_EQ(second.plot.title, graphTypeName(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Graph, EveryGraphType, ::testing::Range(0, kGraphTypeCount),
                         [](const auto& info) {
                           std::string name(graphTypeAlias(info.param));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST_F(GraphRun, MissingChildFailsAndLeavesNoFolder) {
  std::filesystem::remove(dir.file("CHIPS.HYB"));
  const auto before = snapshot();
  RecordingUi ui;
  const GraphOutcome out = runGraph(job(kFrVsTemperature), posixFileSystem(), posixScratchFiles(), ui);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(out.scratchRemoved);
  EXPECT_EQ(ui.lines[5], "...Error: can not copy file [2].");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, ChildWithoutRecordsFailsTheFirstIteration) {
  CCircDoc empty;
  replace("BOARD.CIR", empty);
  const auto before = snapshot();
  RecordingUi ui;
  const GraphOutcome out = runGraph(job(kMtbfVsStress), posixFileSystem(), posixScratchFiles(), ui);
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::find(ui.lineHistory[5].begin(), ui.lineHistory[5].end(), "...Error: zero records (rec#1)."),
            ui.lineHistory[5].end());
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back(), "Error at Calculation Iteration...\n...0% (Step 1 of 3).");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, SelfReferenceFailsTheHighValueCalculation) {
  CCircDoc looped;
  looped.insertSorted(test::fixedPart(1.0));
  auto self = PartRegistry::instance().create(kSubCircuitType, false);
  self->FileName = "BOARD.CIR";
  looped.insertSorted(std::move(self));
  replace("BOARD.CIR", looped);
  const auto before = snapshot();
  RecordingUi ui;
  EXPECT_FALSE(runGraph(job(kPctFrPartTypes), posixFileSystem(), posixScratchFiles(), ui).ok);
  EXPECT_NE(std::find(ui.lineHistory[5].begin(), ui.lineHistory[5].end(), "...Error: self-reference (rec#1)."),
            ui.lineHistory[5].end());
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, CancelAnsweredYesStopsLeavingEverythingAsItWas) {
  const auto before = snapshot();
  RecordingUi ui;
  ui.cancelAtRecord = 1;
  ui.answers = {true, true};  // the run's question, then "Cancel calculation?"
  const GraphOutcome out = runGraph(job(kFrVsTempEnv), posixFileSystem(), posixScratchFiles(), ui);
  EXPECT_FALSE(out.ok);
  ASSERT_EQ(ui.questions.size(), 2u);
  EXPECT_EQ(ui.questions[1], "Cancel calculation?");
  EXPECT_EQ(ui.lines[4].rfind("...Cancel (rec#1).", 0), 0u);
  EXPECT_TRUE(out.scratchRemoved);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, CancelAnsweredNoGoesOn) {
  RecordingUi ui;
  ui.cancelAtRecord = 1;
  ui.answers = {true};  // the run's question; every "Cancel calculation?" then No
  ui.defaultAnswer = false;
  EXPECT_TRUE(runGraph(job(kFrVsStress), posixFileSystem(), posixScratchFiles(), ui).ok);
}

TEST_F(GraphRun, CancelBetweenTimePointsStops) {
  const auto before = snapshot();
  RecordingUi ui;
  ui.answers = {true, true};
  ui.cancelAtRecord = 5;  // the bar ends the calculation on TOP.CIR's fifth record
  const GraphOutcome out = runGraph(job(kReliabilityVsTime), posixFileSystem(), posixScratchFiles(), ui);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(ui.lines[4], "...Cancel.");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, NoToTheQuestionCreatesNothing) {
  const auto before = snapshot();
  RecordingUi ui;
  ui.defaultAnswer = false;
  GraphJob j = job(kFrVsTemperature);
  j.settings.from = -20, j.settings.to = 120, j.settings.step = 10;
  EXPECT_FALSE(runGraph(j, posixFileSystem(), posixScratchFiles(), ui).ok);
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.questions[0],
            "The Graph operation will run batch calculations for the 'Top-Level Doc',\n"
            "then create and display the 'Graph Type' graph.\n\n"
            "Select OK to do the following Graph:\n"
            "- Top-Level Doc: 'TOP.CIR'\n"
            "- Graph Type: 'FR vs Temperature'\n"
            "- Temperature Range: From -20C  To 120C  Step 10C");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, SettingsThatFailTheirCheckAskNothingAndCreateNothing) {
  const auto before = snapshot();
  RecordingUi ui;
  GraphJob j = job(kFrPartRecords);
  j.settings.maxItems = 1;
  EXPECT_FALSE(runGraph(j, posixFileSystem(), posixScratchFiles(), ui).ok);
  EXPECT_TRUE(ui.questions.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Number entry for \"Max Items\" is out of range: 3 to 100");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, FolderThatCanNotBeCreatedEndsTheRun) {
  const auto before = snapshot();
  test::FaultyScratch faulty;
  faulty.failMakeFolder = 30;  // EROFS
  RecordingUi ui;
  EXPECT_FALSE(runGraph(job(kFrVsTemperature), posixFileSystem(), faulty, ui).ok);
  EXPECT_EQ(ui.lines[5], "...Error: can not create directory [30].");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphRun, DataFileThatCanNotBeWrittenBesideFailsTheRunAndRemovesTheFolder) {
  const auto before = snapshot();
  test::FaultyFileSystem fs;
  fs.failWriteAfter = 3;
  RecordingUi ui;
  const GraphOutcome out = runGraph(job(kFrVsEnvironment), fs, posixScratchFiles(), ui);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(out.scratchRemoved);
  EXPECT_NE(std::find(ui.lineHistory[5].begin(), ui.lineHistory[5].end(),
                      "...Error: can not write to 'GRAPH-DATA.CSV' file."),
            ui.lineHistory[5].end());
  auto after = snapshot();
  for (auto it = after.begin(); it != after.end();) {
    it = it->first.rfind("GRAPH-DATA.CSV", 0) == 0 ? after.erase(it) : std::next(it);  // a partial temporary file
  }
  EXPECT_EQ(after, before);
  EXPECT_FALSE(std::filesystem::exists(dir.file("GRAPH-DATA.CSV")));
}

TEST_F(GraphRun, TwoRunsInTheSameSecondDoNotShareAFolder) {
  std::filesystem::create_directory(dir.file("TMP500"));
  std::ofstream(dir.file("TMP500/OTHER-RUN.CIR")) << "another run's copy";
  RecordingUi ui;
  const GraphOutcome out = runGraph(job(kFrVsTemperature), posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok) << ui.lines[5];
  EXPECT_EQ(out.scratchPath, dir.file("TMP500-2"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("TMP500-2")));
  EXPECT_EQ(test::readFileText(dir.file("TMP500/OTHER-RUN.CIR")), "another run's copy");
}

TEST_F(GraphRun, OpenDocumentIsGraphedAsItStandsAndNotSaved) {
  std::unique_ptr<CCircDoc> board;
  ASSERT_TRUE(loadDocument(posixFileSystem(), dir.file("BOARD.CIR"), board).isOk());
  board->header().CF = 10.0f;  // edited, not saved
  board->setModified(true);
  const auto before = snapshot();
  RecordingUi ui;
  GraphJob plain = job(kFrCircuits);
  GraphJob edited = plain;
  ListedOpenDocuments open({board.get()});
  edited.openDocuments = &open;
  const GraphOutcome a = runGraph(plain, posixFileSystem(), posixScratchFiles(), ui);
  const GraphOutcome b = runGraph(edited, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(a.ok && b.ok);
  const auto boardValue = [](const GraphOutcome& o) {
    for (const GraphItem& i : o.data.items) {
      if (i.name == "BOARD.CIR") return i.value;
    }
    return -1.0;
  };
  EXPECT_NEAR(boardValue(b), boardValue(a) * 10.0 / 1.5, boardValue(a) * 1e-6);
  auto after = snapshot();
  after.erase("GRAPH-DATA.CSV");
  after.erase("GRAPH-DATA.CSV.BAK");
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace kestrel::graph
