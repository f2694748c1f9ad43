// `kestrel report` end to end: text on stdout, files by extension, the
// refusal of an uncalculated file, bad options and the margin messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "report_fixtures.hpp"
#include "run_kestrel.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel {
namespace {

using test::runKestrel;

class ReportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    board = dir.file("board.cir");
    ASSERT_EQ(runKestrel({"new", "circuit", board, "HEADER_DESCR=Fan tray"}).exitCode, 0);
    ASSERT_EQ(runKestrel({"add", board, "Miscellaneous", "PN=fan-1", "REFDES=B1", "MISC_BASEFR=5"}).exitCode, 0);
    ASSERT_EQ(runKestrel({"add", board, "Resistor", "PN=r-10k", "REFDES=R1", "QTY=4"}).exitCode, 0);
  }
  void calculate() { ASSERT_EQ(runKestrel({"-q", "calc", board}).exitCode, 0); }

  test::TempFolder dir;
  std::string board;
};

TEST_F(ReportCommand, UncalculatedFileIsRefusedWithExitCodeOne) {
  const auto r = runKestrel({"report", board});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Circuit must be calculated before printing."), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

TEST_F(ReportCommand, TextGoesToStandardOutputWithoutAnOutputFile) {
  calculate();
  const auto r = runKestrel({"report", board, "--kind", "full", "--sort", "RefDes", "--date", "2025-03-04 00:30"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = test::splitLines(r.out);
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[0].rfind("Full List Report", 0), 0u);
  EXPECT_NE(lines[0].find("Page 1 of 1      SortBy: RefDes      Date: 3/4/2025  12:30 AM"), std::string::npos);
  EXPECT_NE(r.out.find(" FAN-1 "), std::string::npos);
  EXPECT_LT(r.out.find(" FAN-1 "), r.out.find(" R-10K "));  // B1 sorts before R1
}

TEST_F(ReportCommand, OutputFileKindFollowsTheExtension) {
  calculate();
  for (const auto& [output, start] :
       {std::pair{"r.pdf", "%PDF-"}, {"r.RTF", "{\\rtf1"}, {"r.txt", "Pi Fac"}}) {
    const std::string out = dir.file(output);
    const auto r = runKestrel({"report", board, "--kind", "pifactors", "--paper", "a4", "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("1 report, 1 page"), std::string::npos) << r.err;
    EXPECT_EQ(test::commandOutput("head -c 6 '" + out + "'").rfind(start, 0), 0u) << output;
  }
}

TEST_F(ReportCommand, BadOptionsAreRefused) {
  calculate();
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--kind", "bom"}, "no report kind 'bom'"},
      {{"--sort", "weight"}, "no sort key 'weight'"},
      {{"--paper", "legal"}, "no paper size 'legal'"},
      {{"--date", "yesterday"}, "YYYY-MM-DD HH:MM"},
      {{"-o", "/tmp/report.docx"}, ".pdf, .rtf or .txt"}};
  for (const auto& [options, error] : cases) {
    std::vector<std::string> args = {"report", board};
    args.insert(args.end(), options.begin(), options.end());
    const auto r = runKestrel(args);
    EXPECT_EQ(r.exitCode, 1) << error;
    EXPECT_NE(r.err.find(error), std::string::npos) << r.err;
  }
}

TEST_F(ReportCommand, MissingFileGivesExitCodeTwo) {
  const auto r = runKestrel({"report", dir.file("none.cir")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("none.cir"), std::string::npos) << r.err;
}

TEST_F(ReportCommand, MarginOutsideItsRangeIsLimitedWithTheSetupMessage) {
  calculate();
  const auto r = runKestrel({"report", board, "--left-margin", "0.1", "--top-margin", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("Setting left margin to minimum: 0.25in"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Setting top margin to maximum: 1.0in"), std::string::npos) << r.err;
}

// The saved Report Setup gives the company and the switches; options on the
// command line win.
TEST_F(ReportCommand, SavedSetupIsTheDefault) {
  calculate();
  const struct {
    const char* saved;
    std::vector<std::string> args;
    const char* company;
    bool missionLine;
  } cases[] = {{"Company=ACME\nMissionResults={ON}\n", {}, "ACME", true},
               {"Company=ACME\nMissionResults={ON}\n", {"--company", "Mine", "--no-mission-results"}, "Mine", false},
               {"MissionResults=1\n", {}, "Your Company Name Here", true},  // an older one
               {"MissionResults={OFF}\n", {"--mission-results"}, "Your Company Name Here", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.saved);
    std::ofstream(dir.file("217F2.INI")) << "[Report]\n" << c.saved;
    std::vector<std::string> args{"--settings", dir.file("217F2.INI"), "report", board};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = runKestrel(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("Company: ") + c.company + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("MissionTime=") != std::string::npos, c.missionLine) << r.out;
  }
}

}  // namespace
}  // namespace kestrel
