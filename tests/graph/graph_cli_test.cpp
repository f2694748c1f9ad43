// kestrel graph through the program itself: the data file beside the top
// document, the chart files, definition files, and refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "graph_fixture.hpp"
#include "run_kestrel.hpp"

namespace kestrel {
namespace {

using test::runKestrel;

class GraphCommand : public ::testing::Test, protected test::GraphFixture {
 protected:
  void SetUp() override {
    writeSample();
    before = snapshot();
  }
  std::vector<std::string> base() const {
    return {"--settings", settings.file("217F2.INI"), "--no-log", "-q", "-y", "graph", topPath()};
  }
  std::vector<std::string> args(std::vector<std::string> more) const {
    std::vector<std::string> all = base();
    all.insert(all.end(), more.begin(), more.end());
    return all;
  }
  // The folder's files less the data file and its backup: the user's files.
  std::map<std::string, std::string> usersFiles() const {
    auto files = snapshot();
    files.erase("GRAPH-DATA.CSV");
    files.erase("GRAPH-DATA.CSV.BAK");
    return files;
  }

  test::TempFolder settings;
  test::TempFolder out;
  std::map<std::string, std::string> before;
};

TEST_F(GraphCommand, WritesTheDataBesideTheTopDocumentAndTheCharts) {
  const auto r = runKestrel(args({"--type", "fr-temp", "--from", "0", "--to", "40", "--step", "20", "-o",
                                  out.file("t.png"), "-o", out.file("t.csv"), "-o", out.file("t.svg"),
                                  "-o", out.file("t.pdf")}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string data = test::readFileText(dir.file("GRAPH-DATA.CSV"));
  EXPECT_EQ(data.rfind("\"Temperature\",\"FR\"\n0.000000,", 0), 0u);
  EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 4);
  EXPECT_EQ(test::readFileText(out.file("t.csv")), data);
  EXPECT_EQ(test::readFileText(out.file("t.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(test::readFileText(out.file("t.svg")).rfind("<?xml", 0), 0u);
  EXPECT_NE(test::readFileText(out.file("t.svg")).find("width=\"900\""), std::string::npos);
  EXPECT_EQ(test::readFileText(out.file("t.pdf")).rfind("%PDF-", 0), 0u);
  EXPECT_NE(r.out.find("Graph data: " + dir.file("GRAPH-DATA.CSV")), std::string::npos);
  EXPECT_EQ(usersFiles(), before);
}

TEST_F(GraphCommand, WithoutOutputsPrintsTheData) {
  const auto r = runKestrel(args({"--type", "9", "--max-items", "3", "--top-only"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"PartType\",\"FR\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("\"All Other Part Types\","), std::string::npos);
  EXPECT_EQ(usersFiles(), before);
}

TEST_F(GraphCommand, SavedDefinitionRunsTheSameGraphAgain) {
  const std::string gdf = out.file("SWEEP.gdf");
  auto r = runKestrel(args({"--type", "mtbf-env", "--env", "GB NS CL", "--save-gdf", gdf}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string first = test::readFileText(dir.file("GRAPH-DATA.CSV"));
  EXPECT_NE(first.find("\"CL\","), std::string::npos);
  r = runKestrel(args({"--open-gdf", gdf}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::readFileText(dir.file("GRAPH-DATA.CSV")), first);
  EXPECT_EQ(test::readFileText(dir.file("GRAPH-DATA.CSV.BAK")), first);
  EXPECT_NE(test::readFileText(settings.file("217F2.INI")).find("GDFLastFileSpec=" + gdf), std::string::npos);
  // An option given beside the file takes the place of its value.
  r = runKestrel(args({"--open-gdf", gdf, "--env", "GF"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::readFileText(dir.file("GRAPH-DATA.CSV")).find("\"CL\","), std::string::npos);
}

TEST_F(GraphCommand, UnknownTypeListsTheTypes) {
  const auto r = runKestrel(args({"--type", "fr-humidity"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("'fr-humidity' is not a graph type"), std::string::npos);
  EXPECT_NE(r.err.find("14  rel-time  \"Reliability vs Time\""), std::string::npos);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphCommand, SettingsFailingTheirCheckShowTheMessage) {
  const auto r = runKestrel(args({"--type", "fr-stress", "--from", "0", "--to", "100", "--step", "1"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Please adjust From/To/Step to give maximum of 100 data points..."), std::string::npos);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphCommand, QuestionNotAnsweredYesRunsNothing) {
  const auto r = runKestrel({"--settings", settings.file("217F2.INI"), "--no-log", "-q", "graph", topPath(), "--type",
                             "fr-env"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("The Graph operation will run batch calculations"), std::string::npos);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GraphCommand, ChartOfAnotherFormatRefusedBeforeAnythingRuns) {
  const auto r = runKestrel(args({"--type", "fr-env", "-o", out.file("c.gif")}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace kestrel
