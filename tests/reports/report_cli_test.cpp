// `kestrel report` end to end: text on stdout, files by extension, the
// refusal of an uncalculated file, bad options and the margin messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

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

struct FileCase {
  const char* name;
  const char* output;
  const char* start;
};
void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class ReportCommandFiles : public ReportCommand, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ReportCommandFiles, OutputFileKindFollowsTheExtension) {
  calculate();
  const std::string out = dir.file(GetParam().output);
  const auto r = runKestrel({"report", board, "--kind", "pifactors", "--paper", "a4", "-o", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("1 report, 1 page"), std::string::npos) << r.err;
  EXPECT_EQ(test::commandOutput("head -c 6 '" + out + "'").rfind(GetParam().start, 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ReportCommandFiles,
                         ::testing::Values(FileCase{"Pdf", "r.pdf", "%PDF-"}, FileCase{"RtfInCapitals", "r.RTF", "{\\rtf1"},
                                           FileCase{"Text", "r.txt", "Pi Fac"}),
                         [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

struct BadCase {
  const char* name;
  std::vector<std::string> args;
  int exitCode;
  const char* error;
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class ReportCommandErrors : public ReportCommand, public ::testing::WithParamInterface<BadCase> {};

TEST_P(ReportCommandErrors, BadOptionsAreRefused) {
  calculate();
  std::vector<std::string> args = {"report", board};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  const auto r = runKestrel(args);
  EXPECT_EQ(r.exitCode, GetParam().exitCode);
  EXPECT_NE(r.err.find(GetParam().error), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Options, ReportCommandErrors,
    ::testing::Values(BadCase{"UnknownKind", {"--kind", "bom"}, 1, "no report kind 'bom'"},
                      BadCase{"UnknownSortKey", {"--sort", "weight"}, 1, "no sort key 'weight'"},
                      BadCase{"UnknownPaper", {"--paper", "legal"}, 1, "no paper size 'legal'"},
                      BadCase{"BadDate", {"--date", "yesterday"}, 1, "YYYY-MM-DD HH:MM"},
                      BadCase{"BadExtension", {"-o", "/tmp/report.docx"}, 1, ".pdf, .rtf or .txt"}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

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
struct SavedCase {
  const char* name;
  const char* saved;
  std::vector<std::string> args;
  const char* company;
  bool missionLine;
};

class ReportCommandSaved : public ReportCommand, public ::testing::WithParamInterface<SavedCase> {};

TEST_P(ReportCommandSaved, SavedSetupIsTheDefault) {
  const SavedCase& c = GetParam();
  calculate();
  std::ofstream(dir.file("217F2.INI")) << "[Report]\n" << c.saved;
  std::vector<std::string> args{"--settings", dir.file("217F2.INI"), "report", board};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const auto r = runKestrel(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(std::string("Company: ") + c.company + "\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("MissionTime=") != std::string::npos, c.missionLine) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportCommandSaved,
    ::testing::Values(SavedCase{"Saved", "Company=ACME\nMissionResults={ON}\n", {}, "ACME", true},
                      SavedCase{"OptionsWin", "Company=ACME\nMissionResults={ON}\n",
                                {"--company", "Mine", "--no-mission-results"}, "Mine", false},
                      SavedCase{"OlderOne", "MissionResults=1\n", {}, "Your Company Name Here", true},
                      SavedCase{"SwitchedOn", "MissionResults={OFF}\n", {"--mission-results"},
                                "Your Company Name Here", true}),
    [](const ::testing::TestParamInfo<SavedCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel
