// `kestrel project` end to end over a copy of the example hierarchy: new,
// show, add, move, remove and print, answers and refusals, bad files.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_kestrel.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel {
namespace {

using test::runKestrel;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ProjectCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& entry : std::filesystem::directory_iterator(KESTREL_EXAMPLES)) {
      std::filesystem::copy_file(entry.path(), dir.file(entry.path().filename().string()));
    }
    prj = dir.file("unit.prj");
    ASSERT_EQ(runKestrel({"-q", "project", "new", prj, dir.file("system.cir")}).exitCode, 0);
  }
  std::string show() {
    const auto r = runKestrel({"-q", "project", "show", prj, "--documents"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
  }
  test::TempFolder dir;
  std::string prj;
};

TEST_F(ProjectCommand, ShowDrawsTheHierarchyWithTotals) {
  const std::string out = show();
  std::size_t at = 0;
  for (const char* name : {"0  SYSTEM.CIR", "1     CONTROLLER.CIR", "7     IO_BOARD.CIR", "8        RF_MODULE.HYB",
                           "POWER_SUPPLY.CIR", "Files to Print (Checked) = 5"}) {
    const std::size_t found = out.find(name, at);
    ASSERT_NE(found, std::string::npos) << name << "\n" << out;
    at = found;
  }
  EXPECT_TRUE(has(out, "FR=47.7662       MTBF=20935.29 hrs.      Parts=3\n")) << out;
  EXPECT_TRUE(has(out, "Item Rollup >>> TFR=0.581227     Qty:1    DC:80.00%    CF:1.00\n")) << out;
}

TEST_F(ProjectCommand, AddMoveRemoveWorkflow) {
  auto r = runKestrel({"-q", "project", "add", prj, "controller.cir", "fan_tray.cir", "PN=FAN-TRAY", "QTY=2"});
  EXPECT_EQ(r.exitCode, 1);  // not answered Yes: nothing changes
  EXPECT_TRUE(has(r.err, "Add child item to parent Circuit?")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("fan_tray.cir")));

  r = runKestrel({"-q", "-y", "project", "add", prj, "controller.cir", "fan_tray.cir", "PN=FAN-TRAY", "QTY=2"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string out = show();
  EXPECT_TRUE(has(out, "2        FAN_TRAY.CIR\n")) << out;
  EXPECT_TRUE(has(out, "Qty:2")) << out;

  r = runKestrel({"-q", "-y", "project", "move", prj, "fan_tray.cir", "power_supply.cir"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  out = show();
  EXPECT_LT(out.find("POWER_SUPPLY.CIR"), out.find("FAN_TRAY.CIR")) << out;

  r = runKestrel({"-q", "-y", "project", "remove", prj, "fan_tray.cir"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(has(show(), "FAN_TRAY.CIR"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("fan_tray.cir")));

  r = runKestrel({"-q", "-y", "project", "remove", prj, "0"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(has(r.err, "DELETE: not a valid project part selection.")) << r.err;
}

TEST_F(ProjectCommand, PrintGivesEveryReportInTreeOrder) {
  auto r = runKestrel({"-q", "-y", "project", "print", prj, "--skip", "power_supply.cir", "--date", "2025-01-02 03:04"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::size_t system = r.out.find("Actuator control unit");
  const std::size_t controller = r.out.find("Actuator controller");
  const std::size_t io = r.out.find("Interface board");
  const std::size_t rf = r.out.find("RF front-end hybrid");
  EXPECT_LT(system, controller);
  EXPECT_LT(controller, io);
  EXPECT_LT(io, rf);
  EXPECT_NE(rf, std::string::npos);
  EXPECT_FALSE(has(r.out, "28 V power supply board"));

  r = runKestrel({"-y", "project", "print", prj, "-o", dir.file("all.pdf"), "--kind", "full"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(has(r.err, "all.pdf': 5 reports, "));
  EXPECT_TRUE(std::filesystem::file_size(dir.file("all.pdf")) > 1000);
}

TEST_F(ProjectCommand, BrokenFilesAreNamed) {
  std::filesystem::remove(dir.file("rf_module.hyb"));
  EXPECT_TRUE(has(show(), "RF_MODULE.HYB  *MISSING*"));

  std::filesystem::resize_file(dir.file("io_board.cir"), 40);
  auto r = runKestrel({"-q", "project", "show", prj});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(has(r.err, "io_board.cir': ...Error: can not open.")) << r.err;

  std::filesystem::resize_file(prj, 3);
  r = runKestrel({"-q", "project", "show", prj});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(has(r.err, "unit.prj': File checksum error.")) << r.err;
  r = runKestrel({"-q", "project", "new", dir.file("other.txt"), dir.file("system.cir")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(has(r.err, "Please change file extension to '.PRJ'")) << r.err;
}

}  // namespace
}  // namespace kestrel
