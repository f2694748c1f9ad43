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

// The node lines: the document's header and totals, the record's rollup,
// and *NOCALC* once an edit has cleared the results.
TEST_F(ProjectCommand, ShowDrawsTheHierarchyWithTotals) {
  std::string out = show();
  std::size_t at = 0;
  for (const char* name : {"   0  SYSTEM.CIR\n      Env:GF      CF:1.00   Temp:30.00 C    Recs:3        Model:Serial\n"
                           "      Descr: Actuator control unit\n      FR=47.7662       MTBF=20935.29 hrs.      Parts=3\n"
                           "      Time=8760.00 hrs.              MissionR=0.658078",
                           "1     CONTROLLER.CIR", "7     IO_BOARD.CIR",
                           "Item Rollup >>> TFR=0.581227     Qty:1    DC:80.00%    CF:1.00\n   8        RF_MODULE.HYB",
                           "POWER_SUPPLY.CIR", "Files to Print (Checked) = 5"}) {
    const std::size_t found = out.find(name, at);
    ASSERT_NE(found, std::string::npos) << name << "\n" << out;
    at = found;
  }
  ASSERT_EQ(runKestrel({"-q", "set", dir.file("power_supply.cir"), "HEADER_TEMP=50"}).exitCode, 0);
  out = show();
  EXPECT_TRUE(has(out, "Descr: 28 V power supply board\n         *NOCALC*\n")) << out;
}

// Add (a new file is created, only on Yes), move and remove (the file stays).
TEST_F(ProjectCommand, AddMoveRemoveWorkflow) {
  const std::vector<std::string> add = {"project", "add", prj, "controller.cir", "fan_tray.cir", "PN=FAN-TRAY", "QTY=2"};
  auto r = runKestrel(add);
  EXPECT_EQ(r.exitCode, 1);  // not answered Yes: nothing changes
  EXPECT_TRUE(has(r.err, "will be created.")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("fan_tray.cir")));
  for (const std::vector<std::string>& args : {add, {"project", "move", prj, "fan_tray.cir", "power_supply.cir"}}) {
    std::vector<std::string> yes = {"-q", "-y"};
    yes.insert(yes.end(), args.begin(), args.end());
    r = runKestrel(yes);
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  std::string out = show();
  EXPECT_TRUE(has(out, "POWER_SUPPLY.CIR")) << out;
  EXPECT_LT(out.find("POWER_SUPPLY.CIR"), out.find("FAN_TRAY.CIR")) << out;
  EXPECT_TRUE(has(out, "Qty:2")) << out;

  r = runKestrel({"-q", "-y", "project", "remove", prj, "fan_tray.cir"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(has(show(), "FAN_TRAY.CIR"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("fan_tray.cir")));
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
