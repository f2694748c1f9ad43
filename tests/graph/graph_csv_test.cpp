// "GRAPH-DATA.CSV": the exact header and line layout of every kind of
// graph, and where the file goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "faulty_scratch.hpp"
#include "graph/graph_csv.hpp"
#include "graph_fixture.hpp"
#include "support/golden.hpp"

namespace kestrel::graph {
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

struct WriteFailure {
  const char* name;
  WriteResult::Step step;
  const char* line5;
};
void PrintTo(const WriteFailure& c, std::ostream* os) { *os << c.name; }

class GraphDataWrite : public ::testing::TestWithParam<WriteFailure> {};

TEST_P(GraphDataWrite, FailureNamesTheStepThatFailed) {
  test::TempFolder dir;
  test::FaultyScratch faulty;
  test::RecordingUi ui;
  auto folder = ScratchFolder::create(faulty, dir.path(), 3, ui);
  ASSERT_TRUE(folder);
  faulty.failWriteNumber = 1;
  faulty.failWriteStep = GetParam().step;
  EXPECT_FALSE(writeGraphData(faulty, *folder, "x\n", ui));
  EXPECT_EQ(ui.lines[1], "Graph: Writing Raw Data to CSV File...");
  EXPECT_EQ(ui.lines[5], GetParam().line5);
}

INSTANTIATE_TEST_SUITE_P(
    Graph, GraphDataWrite,
    ::testing::Values(WriteFailure{"Open", WriteResult::Step::Open, "...Error: can not open 'GRAPH-DATA.CSV' file."},
                      WriteFailure{"Write", WriteResult::Step::Write,
                                   "...Error: can not write to 'GRAPH-DATA.CSV' file."},
                      WriteFailure{"Close", WriteResult::Step::Close,
                                   "...Error: can not close 'GRAPH-DATA.CSV' file."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GraphDataBeside, WrittenInTheFolderThenBesideTheTopDocumentKeepingTheOlder) {
  test::TempFolder dir;
  test::RecordingUi ui;
  auto folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 8, ui);
  ASSERT_TRUE(writeGraphData(posixScratchFiles(), *folder, "new\n", ui));
  EXPECT_EQ(test::readFileText(folder->file("GRAPH-DATA.CSV")), "new\n");
  std::ofstream(dir.file("GRAPH-DATA.CSV")) << "older\n";
  const std::string path = publishGraphData(posixFileSystem(), dir.file("TOP.CIR"), "new\n", ui);
  EXPECT_EQ(path, dir.file("GRAPH-DATA.CSV"));
  EXPECT_EQ(test::readFileText(dir.file("GRAPH-DATA.CSV")), "new\n");
  EXPECT_EQ(test::readFileText(dir.file("GRAPH-DATA.CSV.BAK")), "older\n");
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
}  // namespace kestrel::graph
