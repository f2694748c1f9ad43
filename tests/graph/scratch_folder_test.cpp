// The temporary folder: a name no other run has, a path short enough, and
// removal of everything in it with the platform's error codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "faulty_scratch.hpp"
#include "graph/scratch_folder.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::graph {
namespace {

using test::FaultyScratch;
using test::RecordingUi;
using test::TempFolder;

TEST(ScratchFolder, TwoRunsInOneSecondGetTwoFolders) {
  TempFolder dir;
  RecordingUi ui;
  auto first = ScratchFolder::create(posixScratchFiles(), dir.path(), 1700000000, ui);
  auto second = ScratchFolder::create(posixScratchFiles(), dir.path(), 1700000000, ui);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->name(), "TMP1700000000");
  EXPECT_EQ(second->name(), "TMP1700000000-2");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"TMP1700000000", "TMP1700000000-2"}));
  EXPECT_EQ(ui.lines[1], "Graph: Creating Temporary Directory...");
}

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

TEST(ScratchFolder, FolderGoesWithItsObjectWhenNotRemoved) {
  TempFolder dir;
  RecordingUi ui;
  {
    auto folder = ScratchFolder::create(posixScratchFiles(), dir.path(), 11, ui);
    ASSERT_TRUE(folder);
    std::ofstream(folder->file("X.CIR")) << "x";
  }
  EXPECT_TRUE(dir.list().empty());
}

}  // namespace
}  // namespace kestrel::graph
