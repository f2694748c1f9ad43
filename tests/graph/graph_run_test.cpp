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
#include "graph/graph_csv.hpp"
#include "graph/graph_run.hpp"
#include "graph/scratch_folder.hpp"
#include "graph_fixture.hpp"
#include "support/faulty_file_system.hpp"
#include "support/golden.hpp"
#include "support/recording_ui.hpp"
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

// ---- The temporary folder: a name no other run has, a path short enough, and
// removal of everything in it with the platform's error codes.
namespace kestrel::graph::scratch {
namespace {

using test::FaultyScratch;
using test::RecordingUi;
using test::TempFolder;

TEST(ScratchFolder, LeftoverFolderOfThatNameIsNeitherReusedNorTouched) {
  TempFolder dir;
  std::filesystem::create_directory(dir.file("TMP42"));
  std::ofstream(dir.file("TMP42/KEEP.TXT")) << "someone else's";
  RecordingUi ui;
  {
    auto folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 42, ui);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->name(), "TMP42-2");
    EXPECT_TRUE(folder->remove(ui));
  }
  EXPECT_TRUE(std::filesystem::exists(dir.file("TMP42/KEEP.TXT")));
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"TMP42"}));
}

TEST(ScratchFolder, PathOf255CharactersRefusedBeforeAnythingIsCreated) {
  TempFolder dir;
  // parent + "/TMP7" + closing separator = 255 characters
  std::string parent = dir.path() + "/";
  parent += std::string(255 - parent.size() - 6, 'p');
  std::filesystem::create_directory(parent);
  RecordingUi ui;
  EXPECT_FALSE(ScratchFolder::create(posixScratchFiles(), parent, 7, ui));
  EXPECT_EQ(ui.lines[5], "...Error: path length = 255 (max=255).");
  EXPECT_TRUE(std::filesystem::is_empty(parent));
  // One character less fits.
  RecordingUi ok;
  const std::string shorter = parent.substr(0, parent.size() - 1);
  std::filesystem::create_directory(shorter);
  EXPECT_TRUE(ScratchFolder::create(posixScratchFiles(), shorter, 7, ok));
}

TEST(ScratchFolder, CreationFailureShowsThePlatformCode) {
  TempFolder dir;
  RecordingUi ui;
  EXPECT_FALSE(ScratchFolder::create(posixScratchFiles(), dir.file("missing"), 1, ui));
  EXPECT_EQ(ui.lines[5], "...Error: can not create directory [2].");
  FaultyScratch faulty;
  faulty.failMakeFolder = 13;
  EXPECT_FALSE(ScratchFolder::create(faulty, dir.path(), 1, ui));
  EXPECT_EQ(ui.lines[5], "...Error: can not create directory [13].");
}

TEST(ScratchFolder, RemoveDeletesEveryFileThenTheFolder) {
  TempFolder dir;
  RecordingUi ui;
  auto folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 5, ui);
  ASSERT_TRUE(folder);
  std::ofstream(folder->file("A.CIR")) << "a";
  std::ofstream(folder->file("GRAPH-DATA.CSV")) << "b";
  EXPECT_TRUE(folder->remove(ui));
  EXPECT_TRUE(dir.list().empty());
  EXPECT_EQ(ui.lines[1], "Graph: Deleting Temporary Directory...");
  const auto& deleted = ui.lineHistory[3];
  EXPECT_NE(std::find(deleted.begin(), deleted.end(), "...deleting file 'A.CIR'..."), deleted.end());
  EXPECT_NE(std::find(deleted.begin(), deleted.end(), "...deleting file 'GRAPH-DATA.CSV'..."), deleted.end());
  {  // a folder not removed goes with its object
    auto dropped = ScratchFolder::create(posixScratchFiles(), dir.path(), 11, ui);
    ASSERT_TRUE(dropped);
    std::ofstream(dropped->file("X.CIR")) << "x";
  }
  EXPECT_TRUE(dir.list().empty());
}

TEST(ScratchFolder, FileThatCanNotBeDeletedIsReportedAndTheOthersStillGo) {
  TempFolder dir;
  FaultyScratch faulty;
  faulty.failRemoveName = "B.CIR";
  RecordingUi ui;
  auto folder = ScratchFolder::create(faulty, dir.path(), 9, ui);
  ASSERT_TRUE(folder);
  for (const char* name : {"A.CIR", "B.CIR", "C.CIR"}) std::ofstream(folder->file(name)) << name;
  EXPECT_FALSE(folder->remove(ui));
  const auto& errors = ui.lineHistory[5];
  EXPECT_NE(std::find(errors.begin(), errors.end(), "...Error: can not delete file [13]."), errors.end());
  EXPECT_EQ(ui.lines[5], "...Error: can not delete directory [39].");  // ENOTEMPTY
  EXPECT_TRUE(std::filesystem::exists(folder->file("B.CIR")));
  EXPECT_FALSE(std::filesystem::exists(folder->file("A.CIR")));
  EXPECT_FALSE(std::filesystem::exists(folder->file("C.CIR")));
  faulty.failRemoveName.clear();
}

}  // namespace
}  // namespace kestrel::graph::scratch

// ---- "GRAPH-DATA.CSV": the exact header and line layout of every kind of
// graph, and where the file goes.
namespace kestrel::graph::data_file {
namespace {

GraphData curve(int type, std::vector<double> x, std::vector<std::vector<double>> series,
                std::vector<std::string> envs = {}) {
  GraphData d;
  d.type = type;
  d.x = std::move(x);
  d.series = std::move(series);
  d.environments = std::move(envs);
  return d;
}

GraphData years(GraphData d) {
  d.timeUnit = TimeUnit::Years;
  return d;
}

GraphData items(int type, std::vector<GraphItem> list) {
  GraphData d;
  d.type = type;
  d.items = std::move(list);
  return d;
}

// Every kind of graph's data file, one after the other: headers, six
// decimals, quoted texts with their quotes doubled, items left out.
TEST(GraphDataFile, EveryKindHasItsExactLayout) {
  const std::pair<const char*, GraphData> cases[] = {
      {"FrVsTemperature", curve(kFrVsTemperature, {-55, 60, 175}, {{0.5, 1.25, 12.3456789}})},
      {"MtbfVsTemperature", curve(kMtbfVsTemperature, {0, 10, 20}, {{200000, 150000.5, 1e6}})},
      {"FrVsEnvironment", curve(kFrVsEnvironment, {}, {{1.5, 3.0}}, {"GB", "CL"})},
      {"MtbfVsEnvironment", curve(kMtbfVsEnvironment, {}, {{1e5}}, {"AUF"})},
      {"FrVsTemperatureEnvironment", curve(kFrVsTempEnv, {0, 50, 100}, {{1, 2, 3}, {4, 5, 6}}, {"GB", "NS"})},
      {"MtbfVsTemperatureEnvironment", curve(kMtbfVsTempEnv, {25}, {{7}, {8}, {9}}, {"GF", "GM", "SF"})},
      {"FrVsStress", curve(kFrVsStress, {10, 20}, {{0.1, 0.2}})},
      {"MtbfVsStress", curve(kMtbfVsStress, {100}, {{42}})},
      {"ReliabilityVsHours", curve(kReliabilityVsTime, {0, 8760}, {{1.0, 0.9512294245}})},
      {"ReliabilityVsYears", years(curve(kReliabilityVsTime, {1, 2}, {{0.9, 0.81}}))},
      {"PartRecords", items(kFrPartRecords, {{"RNC55", 2.5, "BOARD.CIR"}, {"All Other Part Records", 0.25, ""}})},
      {"PercentPartRecords", items(kPctFrPartRecords, {{"A", 75, "TOP.CIR"}, {"B", 25, "TOP.CIR"}})},
      {"PartTypes", items(kFrPartTypes, {{"Resistor", 1.0, ""}, {"Resistor(Hyb)", 0.5, ""}})},
      {"PercentCircuits", items(kPctFrCircuits, {{"TOP.CIR", 60, ""}, {"All Other Circuits", 40, ""}})},
      {"QuoteInsideATextIsDoubled", items(kFrCircuits, {{"3\" BOARD.CIR", 1, ""}})},
      {"NoItemsLeavesTheHeader", items(kFrPartTypes, {})},
  };
  std::string all;
  for (const auto& [name, data] : cases) {
    std::string text;
    ASSERT_TRUE(graphDataText(data, text).isOk()) << name;
    all += std::string("== ") + name + "\n" + text;
  }
  EXPECT_GOLDEN("data_files.txt", all);
}

TEST(GraphDataFile, TypeOutsideTheTableRefused) {
  std::string text = "old";
  const Status s = graphDataText(curve(99, {}, {}), text);
  EXPECT_EQ(s.message(), "Signature...graph type parameter error...99.");
  EXPECT_TRUE(text.empty());
}

TEST(GraphDataWrite, FailureNamesTheStepThatFailed) {
  const std::pair<WriteResult::Step, const char*> steps[] = {
      {WriteResult::Step::Open, "...Error: can not open 'GRAPH-DATA.CSV' file."},
      {WriteResult::Step::Write, "...Error: can not write to 'GRAPH-DATA.CSV' file."},
      {WriteResult::Step::Close, "...Error: can not close 'GRAPH-DATA.CSV' file."}};
  for (const auto& [step, line5] : steps) {
    test::TempFolder dir;
    test::FaultyScratch faulty;
    test::RecordingUi ui;
    auto folder = ScratchFolder::create(faulty, dir.path(), 3, ui);
    ASSERT_TRUE(folder);
    faulty.failWriteNumber = 1;
    faulty.failWriteStep = step;
    EXPECT_FALSE(writeGraphData(faulty, *folder, "x\n", ui));
    EXPECT_EQ(ui.lines[1], "Graph: Writing Raw Data to CSV File...");
    EXPECT_EQ(ui.lines[5], line5);
  }
}

TEST(GraphDataBeside, FailedWriteLeavesTheOlderFileAndSaysSo) {
  test::TempFolder dir;
  std::ofstream(dir.file("GRAPH-DATA.CSV")) << "older\n";
  test::FaultyFileSystem fs;
  fs.failWriteAfter = 2;
  test::RecordingUi ui;
  EXPECT_EQ(publishGraphData(fs, dir.file("TOP.CIR"), "a longer text\n", ui), "");
  EXPECT_EQ(ui.lines[5], "...Error: can not write to 'GRAPH-DATA.CSV' file.");
  EXPECT_FALSE(ui.messages.empty());
  EXPECT_EQ(test::readFileText(dir.file("GRAPH-DATA.CSV")), "older\n");
}

}  // namespace
}  // namespace kestrel::graph::data_file
