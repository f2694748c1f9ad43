// Settings files, the operation log and the bounded text of its window.
#include "shell/settings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "reports/report_profile.hpp"
#include "shell/log_window_buffer.hpp"
#include "shell/operation_log.hpp"
#include "shell/working_folder.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel {
namespace {

using test::TempFolder;

std::string readText(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(IniFile, KeepsUnknownSectionsKeysAndCommentsInOrder) {
  const std::string text =
      "; written by hand\n[Report]\nCompany=ACME\nOwnKey=keep me\n\n[Mine]\nA=1\n";
  IniFile ini = IniFile::parse(text);
  EXPECT_EQ(ini.get("report", "company"), "ACME");  // names ignore case
  ini.set("Report", "SortBy", "3");
  ini.set("New", "B", "2");
  EXPECT_EQ(ini.text(),
            "; written by hand\n[Report]\nCompany=ACME\nOwnKey=keep me\nSortBy=3\n\n[Mine]\nA=1\n"
            "[New]\nB=2\n");
  EXPECT_FALSE(ini.get("Mine", "Z").has_value());
}

// A value of the setting's kind that differs from its default.
std::string otherValue(const SettingSpec& setting) {
  // A part type id, as the export's part type filter keeps it.
  if (setting.section == "Export" && setting.key == "PartType") return "609";
  switch (setting.kind) {
    case SettingKind::Text: return "x " + std::string(setting.key);
    case SettingKind::Switch: return setting.defaultValue == "{ON}" ? "{OFF}" : "{ON}";
    case SettingKind::Whole: {
      const long hi = static_cast<long>(setting.hi);
      return std::to_string(setting.defaultValue == std::to_string(hi) ? static_cast<long>(setting.lo) : hi);
    }
    case SettingKind::Real: return "0.750000";
  }
  return {};
}

TEST(Settings, EveryKeyKeepsANonDefaultValueThroughASaveAndAFreshLoad) {
  TempFolder dir;
  std::vector<std::string> warnings;
  Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);  // no file yet: every default
  EXPECT_TRUE(warnings.empty());
  for (const SettingSpec& setting : settingSchema()) {
    EXPECT_EQ(s.text(setting.section, setting.key), setting.defaultValue) << setting.key;
    s.setText(setting.section, setting.key, otherValue(setting));
  }
  s.setReal("Calculate", "Time", 1000.5);
  s.setOn("Circuit Add", "SearchXRef", true);  // off by default
  // Report Setup writes its own section the way the desktop and the command line read it.
  const ReportSettings report{6, SortKey::PartType, 0.5f, 0.75f, "ACME Reliability", true, false, false};
  storeReportSettings(s, report);
  ASSERT_TRUE(s.save(posixFileSystem()).isOk());

  Settings back = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  for (const SettingSpec& setting : settingSchema()) {
    EXPECT_EQ(back.text(setting.section, setting.key), s.text(setting.section, setting.key))
        << setting.section << " " << setting.key;
    EXPECT_NE(back.text(setting.section, setting.key), setting.defaultValue)
        << setting.section << " " << setting.key;
  }
  EXPECT_EQ(writeReportSettings(loadReportSettings(back)), writeReportSettings(report));
  EXPECT_EQ(back.text("Calculate", "Time"), "1000.500000");
  EXPECT_DOUBLE_EQ(back.real("Calculate", "Time"), 1000.5);
}

TEST(Settings, WorkingFolderIsRememberedAndRestoredWhileItExists) {
  namespace fs = std::filesystem;
  const fs::path start = fs::current_path();
  TempFolder dir;
  fs::create_directory(dir.file("work"));
  fs::current_path(dir.file("work"));
  std::vector<std::string> warnings;
  Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
  rememberWorkingFolder(s);
  ASSERT_TRUE(s.save(posixFileSystem()).isOk());
  fs::current_path(dir.path());

  const Settings back = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
  EXPECT_TRUE(restoreWorkingFolder(back));
  EXPECT_EQ(fs::current_path(), fs::canonical(dir.file("work")));
  fs::current_path(dir.path());
  fs::remove(dir.file("work"));
  EXPECT_FALSE(restoreWorkingFolder(back));
  EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
  fs::current_path(start);
}

struct MalformedCase {
  const char* section;
  const char* key;
  const char* value;
  const char* expected;
};

class MalformedSetting : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedSetting, IsReplacedByItsDefaultWithAWarning) {
  TempFolder dir;
  const MalformedCase& c = GetParam();
  std::ofstream(dir.file("s.ini")) << "[" << c.section << "]\n" << c.key << "=" << c.value << "\nZZ=kept\n";
  std::vector<std::string> warnings;
  Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(c.key), std::string::npos);
  EXPECT_EQ(s.text(c.section, c.key), c.expected);
  EXPECT_EQ(s.text(c.section, "ZZ"), "kept");
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedSetting,
                         ::testing::Values(MalformedCase{"Calculate", "Time", "soon", "8760.00"},
                                           MalformedCase{"Calculate", "Time", "-1", "8760.00"},
                                           MalformedCase{"Calculate", "Mode", "7", "0"},
                                           MalformedCase{"Circuit Find", "From", "1.5", "0"},
                                           MalformedCase{"Report", "WarningMsg", "maybe", "{ON}"},
                                           MalformedCase{"Circuit Add", "CircType", "999", "0"}));

// The recall's cross-reference move has three values and keeps each of
// them through a save and a new start.
TEST(Settings, CrossReferenceMoveOfTheRecallKeepsAllThreeValues) {
  TempFolder dir;
  std::vector<std::string> warnings;
  for (long move : {0L, 1L, 2L}) {
    Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
    s.setWhole("Circuit Add", "XRefMove", move);
    ASSERT_TRUE(s.save(posixFileSystem()));
    EXPECT_EQ(Settings::load(posixFileSystem(), dir.file("s.ini"), warnings).whole("Circuit Add", "XRefMove"), move);
  }
  EXPECT_TRUE(warnings.empty()) << warnings.front();
}

TEST(Settings, SwitchesReadInBothSpellingsAndOldSectionAndWriteOne) {
  TempFolder dir;
  std::ofstream(dir.file("s.ini")) << "[Defaults]\nSearchXRef=1\nXRefMove={ON}\nCircPN=RNC55\n"
                                   << "[Import]\nXRefMove=0\n";
  std::vector<std::string> warnings;
  Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(s.on("Circuit Add", "SearchXRef"));
  EXPECT_EQ(s.whole("Circuit Add", "XRefMove"), 1);  // a switch of older files: move 1
  EXPECT_EQ(s.text("Circuit Add", "CircPN"), "RNC55");
  EXPECT_FALSE(s.on("Import", "XRefMove"));
  EXPECT_EQ(s.text("Circuit Add", "SearchXRef"), "{ON}");
  EXPECT_EQ(s.text("Import", "XRefMove"), "{OFF}");
}

TEST(Settings, FailedWriteLeavesThePreviousFile) {
  TempFolder dir;
  const std::string path = dir.file("s.ini");
  std::ofstream(path) << "[Report]\nCompany=Old\n";
  std::vector<std::string> warnings;
  Settings s = Settings::load(posixFileSystem(), path, warnings);
  s.setText("Report", "Company", "New");
  test::FaultyFileSystem fs;
  fs.failWriteAfter = 5;
  EXPECT_FALSE(s.save(fs).isOk());
  EXPECT_EQ(readText(path), "[Report]\nCompany=Old\n");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"s.ini"});
}

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

// A log file that can not be opened or written says so, marks the job as
// failed, and the log goes on in the window.
TEST(OperationLog, FileThatCanNotBeWrittenIsReportedNotLeftEmpty) {
  struct Case {
    const char* path;
    const char* says;
  };
  const Case cases[] = {
      {"/dev/full", "Can not open log file '/dev/full'."},  // full disk: nothing can be written
      {"/dev/null/kestrel.log", "Can not open log file '/dev/null/kestrel.log'."},
      {"/proc/no/such/dir/kestrel.log", "Can not open log file '/proc/no/such/dir/kestrel.log'."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> shown;
    OperationLog log([&](std::string_view line) { shown.emplace_back(line); });
    log.begin("EXPORT", c.path);
    log.line("   ...Complete.");
    log.end();
    EXPECT_TRUE(log.troubled()) << c.path;
    EXPECT_FALSE(log.fileOpen()) << c.path;
    EXPECT_NE(std::find(shown.begin(), shown.end(), "   ...Complete."), shown.end()) << c.path;
    EXPECT_NE(std::find(shown.begin(), shown.end(), c.says), shown.end()) << ::testing::PrintToString(shown);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), std::string("Log file '") + c.path + "' closed."), 0);
  }
  test::TempFolder dir;
  OperationLog good;
  good.begin("EXPORT", dir.file("kestrel.log"));
  good.end();
  EXPECT_FALSE(good.troubled());
}

struct Case {
  const char* name;
  int lines;          // lines of ten characters (eleven with the break)
  int resets;         // clears expected
  std::size_t shown;  // lines in the text before the NOTE lines
};

class LogWindowBufferCase : public ::testing::TestWithParam<Case> {};

TEST_P(LogWindowBufferCase, ClearsWhenFullAndSaysSoAtTheEnd) {
  const Case& c = GetParam();
  LogWindowBuffer buffer(110);  // ten such lines fit
  int cleared = 0;
  for (int i = 0; i < c.lines; ++i) cleared += buffer.append("0123456789") ? 1 : 0;
  EXPECT_EQ(cleared, c.resets);
  EXPECT_EQ(buffer.resets(), c.resets);
  EXPECT_LE(buffer.text().size(), 110u);
  const std::size_t before = static_cast<std::size_t>(std::count(buffer.text().begin(), buffer.text().end(), '\n'));
  EXPECT_EQ(before, c.shown);
  const auto notes = buffer.finish();
  if (c.resets == 0) {
    EXPECT_TRUE(notes.empty());
  } else {
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0], "NOTE: the log window text buffer filled up and");
    EXPECT_EQ(notes[1], "the log window was reset " + std::to_string(c.resets) + " time(s)...");
    EXPECT_EQ(notes[2], "...see the log file for entire log message listing.");
    EXPECT_NE(buffer.text().find(notes[2]), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, LogWindowBufferCase,
                         ::testing::Values(Case{"Empty", 0, 0, 0}, Case{"ExactlyFull", 10, 0, 10},
                                           Case{"OneOver", 11, 1, 1}, Case{"ThreeTimesOver", 31, 3, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogWindowBuffer, ALineLongerThanTheWindowIsStillShownAndANewJobStartsAfresh) {
  LogWindowBuffer buffer(8);
  EXPECT_FALSE(buffer.append("a line far longer than eight"));
  EXPECT_EQ(buffer.text(), "a line far longer than eight\n");
  EXPECT_TRUE(buffer.append("next"));
  buffer.clear();
  EXPECT_EQ(buffer.resets(), 0);
  EXPECT_TRUE(buffer.text().empty());
  EXPECT_TRUE(buffer.finish().empty());
}

}  // namespace
}  // namespace kestrel
