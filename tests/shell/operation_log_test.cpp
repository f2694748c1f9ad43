#include "shell/operation_log.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "shell/document_kinds.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel {
namespace {

std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(OperationLog, FileHoldsEveryLineWhileTheJobRuns) {
  test::TempFolder dir;
  const std::string path = dir.file("logs/kestrel.log");
  std::vector<std::string> shown;
  OperationLog log([&](std::string_view line) { shown.emplace_back(line); });
  log.begin("IMPORT", path);
  log.line("   ...Error: keyword not found ('PN').");
  // readable before the end
  auto lines = linesOf(path);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Log file '" + path + "' opened...");
  EXPECT_EQ(lines[1], "IMPORT:");
  EXPECT_EQ(lines[2].rfind("Start Time: ", 0), 0u);
  EXPECT_EQ(lines[3], "   ...Error: keyword not found ('PN').");
  log.end();
  lines = linesOf(path);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4].rfind("End Time: ", 0), 0u);
  EXPECT_EQ(lines[5], "Log file '" + path + "' closed.");
  EXPECT_EQ(shown.size(), 6u);
}

TEST(OperationLog, UnopenableFileLeavesTheLogInTheWindow) {
  std::vector<std::string> shown;
  OperationLog log([&](std::string_view line) { shown.emplace_back(line); });
  log.begin("EXPORT", "/proc/no/such/dir/kestrel.log");
  EXPECT_FALSE(log.fileOpen());
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], "Can not open log file '/proc/no/such/dir/kestrel.log'.");
  log.line("x");
  EXPECT_EQ(shown.back(), "x");
}

// A log file that can not be written says so and marks the job as failed.
TEST(OperationLog, FileThatCanNotBeWrittenIsReportedNotLeftEmpty) {
  struct Case {
    const char* path;
    const char* says;
  };
  const Case cases[] = {
      {"/dev/full", "Can not open log file '/dev/full'."},  // full disk: nothing can be written
      {"/dev/null/kestrel.log", "Can not open log file '/dev/null/kestrel.log'."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> shown;
    OperationLog log([&](std::string_view line) { shown.emplace_back(line); });
    log.begin("EXPORT", c.path);
    log.line("   ...Complete.");
    log.end();
    EXPECT_TRUE(log.troubled()) << c.path;
    EXPECT_NE(std::find(shown.begin(), shown.end(), c.says), shown.end()) << ::testing::PrintToString(shown);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), std::string("Log file '") + c.path + "' closed."), 0);
  }
  test::TempFolder dir;
  OperationLog good;
  good.begin("EXPORT", dir.file("kestrel.log"));
  good.end();
  EXPECT_FALSE(good.troubled());
}

TEST(DocumentKinds, TypeStringsAndClipboardNames) {
  ASSERT_EQ(documentKinds().size(), 6u);
  EXPECT_EQ(documentKinds()[0].typeString(),
            "\nCircuit\nCircuit\nCircuit Files (*.cir)\n.cir\nKestrel.Circuit\nKestrel Circuit");
  EXPECT_EQ(documentKinds()[4].filter, "Cross-Ref Files (*.xrf)");
  EXPECT_EQ(circuitPartClipboardFormat(), "Kestrel CircPart (50100)");
  EXPECT_EQ(hybridPartClipboardFormat(), "Kestrel HybPart (50100)");
}

}  // namespace
}  // namespace kestrel
