#include "shell/settings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "reports/report_profile.hpp"
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

TEST(Settings, MissingFileGivesEveryDefaultAndRoundTrips) {
  TempFolder dir;
  std::vector<std::string> warnings;
  Settings s = Settings::load(posixFileSystem(), dir.file("k/217F2.INI"), warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(s.text("Calculate", "Time"), "8760.00");
  EXPECT_EQ(s.text("Report", "Company"), "Your Company Name Here");
  EXPECT_EQ(s.text("Report", "TopMargin"), "0.25");
  s.setReal("Calculate", "Time", 1000.5);
  s.setOn("Circuit Add", "SearchXRef", true);
  s.setText("Settings", "LastOpenFile", "/x/A.CIR");
  ASSERT_TRUE(s.save(posixFileSystem()).isOk());

  Settings back = Settings::load(posixFileSystem(), dir.file("k/217F2.INI"), warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(back.text("Calculate", "Time"), "1000.500000");
  EXPECT_DOUBLE_EQ(back.real("Calculate", "Time"), 1000.5);
  EXPECT_TRUE(back.on("Circuit Add", "SearchXRef"));
  EXPECT_EQ(back.text("Settings", "LastOpenFile"), "/x/A.CIR");
  // every key of the schema is in the file
  const std::string text = readText(dir.file("k/217F2.INI"));
  for (const SettingSpec& setting : settingSchema()) {
    EXPECT_NE(text.find(std::string(setting.key) + "="), std::string::npos) << setting.key;
  }
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
  Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
  for (const SettingSpec& setting : settingSchema()) {
    s.setText(setting.section, setting.key, otherValue(setting));
  }
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
  for (long move : {0L, 1L, 2L}) {
    TempFolder dir;
    std::vector<std::string> warnings;
    Settings s = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
    s.setWhole("Circuit Add", "XRefMove", move);
    ASSERT_TRUE(s.save(posixFileSystem()));
    Settings again = Settings::load(posixFileSystem(), dir.file("s.ini"), warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(again.whole("Circuit Add", "XRefMove"), move);
  }
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

}  // namespace
}  // namespace kestrel
