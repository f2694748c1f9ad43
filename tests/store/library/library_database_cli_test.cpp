// The library commands with libraries kept in a database: a team's day on
// one throwaway server, every step through the real program, and what the
// database home must refuse.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "run_kestrel.hpp"
#include "support/pg_cluster.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::library::test {
namespace {

using kestrel::test::runKestrel;
using kestrel::test::slurp;

struct Step {
  std::vector<std::string> args;  // "$A", "$X", "$B" and "$D/" stand for the libraries and the folder
  int exitCode;                   // 0, or any failure (-1)
  std::string shows;              // in what the program printed
};

TEST(DatabaseLibraries, EveryLibraryCommandWorksOnALibraryKeptInTheDatabase) {
  kestrel::test::ThrowawayCluster server;
  store::test::ScratchDir dir;
  const std::string base = "postgresql:///postgres?host=" + server.folder() + "&user=kestrel&library=";
  const std::string d = dir.file("");
  for (const char* f : {"parts.lib", "parts.xrf", "controller.cir", "io_board.cir"}) {
    std::filesystem::copy_file(std::string(KESTREL_EXAMPLES) + "/" + f, d + f);
  }
  const std::vector<Step> steps = {
      {{"lib", "create", "$A", "--descr", "Avionics"}, 0, "Records: 0"},
      {{"lib", "create", "$A"}, -1, "the library already exists"},
      {{"-y", "lib", "merge", "$A", "$D/parts.lib"}, 0, "Succeed:528  DuplicatePN:0"},
      {{"lib", "list", "$A"}, 0, "Library Parts List    Records: 528"},
      {{"export", "$A", "-o", "$D/a.csv"}, 0, "Succeed:528"},
      {{"lib", "edit", "$A", "RNC55H0438", "DESCR=Approved"}, 0, ""},
      {{"lib", "find", "$A", "H0438"}, 0, "RNC55H0438"},
      {{"lib", "check", "$A"}, 0, "528 records: no faults"},
      {{"xref", "create", "$X"}, 0, "Records: 0"},
      {{"-y", "xref", "merge", "$X", "$D/parts.xrf"}, 0, "Succeed:6"},
      {{"lib", "list", "$X"}, -1, "is a cross-reference list"},
      {{"-y", "recall", "$D/io_board.cir", "$A", "VENDOR-R2", "--xref", "$X"}, 0, "Recalled:1"},
      {{"-y", "transfer", "$D/*.cir", "$A"}, 0, "Succeed:"},
      {{"-y", "update", "$D/*.cir", "$A"}, 0, "NotFound:0"},
      {{"-y", "--no-log", "import-def", "new", "$D/l.imp", "--format", "CSV", "--skip", "1-1", "--type", "Library",
        "--record-mode", "BuildFromScratch", "PART_TYPE=1", "PN=2"}, 0, ""},
      {{"-y", "--no-log", "import", "$D/l.imp", "$D/l.csv", "-o", "$B"}, 0, "2 built"},
      {{"-y", "--no-log", "import", "$D/l.imp", "$D/l.csv", "-o", "$B"}, -1, "the library already exists"},
      {{"lib", "list", "$B"}, 0, "Records: 2"},
      {{"lib", "list", "postgresql://kestrel:secret@/postgres?library=avionics"}, -1, "~/.pgpass"},
      {{"lib", "list", "postgresql:///postgres?host=" + server.folder() + "&user=kestrel&library=none"}, -1,
       "library not found"},
  };
  std::ofstream(d + "l.csv") << "PART_TYPE,PN\nResistor,RC07\nCapacitor,CK05\n";
  for (const Step& step : steps) {
    std::vector<std::string> args;
    for (std::string a : step.args) {
      if (a == "$A" || a == "$X" || a == "$B") a = base + (a == "$A" ? "avionics" : a == "$X" ? "avx" : "imported");
      if (a.rfind("$D/", 0) == 0) a = d + a.substr(3);
      args.push_back(a);
    }
    const auto run = runKestrel(args);
    const std::string said = run.out + run.err;
    if (step.exitCode == 0) EXPECT_EQ(run.exitCode, 0) << step.args[1] << ": " << said;
    else EXPECT_NE(run.exitCode, 0) << step.args[1] << ": " << said;
    EXPECT_NE(said.find(step.shows), std::string::npos) << step.args[1] << " " << step.args[2] << ": " << said;
  }
  // Merged into the database, the library exports the rows the file does
  // (the header row names its own description; a merge dates what it adds).
  ASSERT_EQ(runKestrel({"export", d + "parts.lib", "-o", d + "f.csv"}).exitCode, 0);
  auto rows = [](const std::string& csv) {
    return std::regex_replace(csv.substr(csv.find('\n')), std::regex("\"\\d\\d/\\d\\d/\\d{4}\""), "DATE");
  };
  const std::string fromDatabase = slurp(d + "a.csv"), fromFile = slurp(d + "f.csv");
  ASSERT_GT(fromFile.size(), 10000u);
  EXPECT_EQ(rows(fromDatabase), rows(fromFile));
}

}  // namespace
}  // namespace kestrel::library::test
