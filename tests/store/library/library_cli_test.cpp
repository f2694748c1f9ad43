// The library commands as a user runs them: make a library, fill it, recall
// into a circuit, transfer back, update, cross-reference, merge and check.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "library_fixture.hpp"
#include "run_kestrel.hpp"

namespace kestrel::library::test {
namespace {

using kestrel::test::runKestrel;

TEST(LibraryCommands, WholeWorkflowPrintsItsCounters) {
  ScratchDir dir;
  const std::string lib = dir.file("p.lib"), cir = dir.file("b.cir"), xrf = dir.file("p.xrf");
  const std::string log = "--log=" + dir.file("k.log");
  struct Step {
    std::vector<std::string> args;
    int exitCode;
    std::string out;  // must appear in stdout (or stderr when the exit code is not 0)
  } steps[] = {
      {{"lib", "create", lib, "--descr", "Bench parts"}, 0, "Records: 0"},
      {{"lib", "add", lib, "Resistor", "PN=RNC55H1002FS", "RES_TYPE=5", "PN2=R-ALT"}, 0, "Succeed:1  DuplicatePN:0"},
      {{"lib", "add", lib, "Resistor", "PN=RNC55H1002FS"}, 1, "Succeed:0  DuplicatePN:1"},
      {{"lib", "add", lib, "Capacitor", "PN=CK05BX104K", "--replace"}, 0, "Succeed:1  ReplaceDuplicatePN:0"},
      {{"lib", "add", lib, "Resistor", "PN=RZ-50", "--hybrid"}, 0, "Succeed:1"},
      {{"lib", "list", lib, "--style", "2"}, 0, " RNC55H1002FS               R-ALT            Resistor"},
      {{"lib", "find", lib, "104"}, 0, "CK05BX104K"},
      {{"lib", "find", lib, "ZZZ"}, 1, "PN: 'ZZZ' Matching record was not found."},
      {{"new", "circuit", cir}, 0, ""},
      {{"recall", cir, lib, "R-ALT", "CK05BX104K", "--refdes", "R1", "C1"}, 0, "Recalled:2  NotFound:0  Refused:0"},
      {{"recall", cir, lib, "RZ-50"}, 1, "hybrid mis-match."},
      {{"xref", "create", xrf}, 0, "Records: 0"},
      {{"xref", "add", xrf, "mil-c-39014", "CK05BX104K"}, 0, "Succeed:1  DuplicatePN:0"},
      {{"xref", "find", xrf, "MIL"}, 0, " mil-c-39014"},
      {{"recall", cir, lib, "MIL-C-39014", "--xref", xrf, "--xref-move", "1"}, 0, "Recalled:1"},
      {{"-y", log, "transfer", cir, lib}, 0, "Succeed:1  DuplicatePN:2  FilterOut:0"},
      {{"-y", log, "transfer", cir, lib, "--replace", "--pn", "RNC"}, 0, "Succeed:0  ReplaceDuplicatePN:1  FilterOut:2"},
      {{"-y", log, "update", cir, lib, "--recursive"}, 0, "Update:3  NotFound:0  FilterOut:0"},
      {{"lib", "delete", lib, "mil-c-39014"}, 0, "Deleted:1  Records:3"},
      {{"lib", "delete", lib, "mil-c-39014"}, 1, "can not find PN key"},
      {{"lib", "create", dir.file("q.lib")}, 0, ""},
      {{"-y", log, "lib", "merge", dir.file("q.lib"), lib}, 0, "Succeed:3  DuplicatePN:0"},
      {{"-y", log, "lib", "merge", dir.file("q.lib"), lib}, 0, "Succeed:0  DuplicatePN:3"},
      {{"lib", "check", dir.file("q.lib")}, 0, "3 records: no faults"},
      {{"lib", "check", cir}, 2, ""},
  };
  for (const Step& s : steps) {
    const auto r = runKestrel(s.args);
    std::string cmd;
    for (const auto& a : s.args) cmd += a + " ";
    EXPECT_EQ(r.exitCode, s.exitCode) << cmd << "\n" << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(s.out), std::string::npos) << cmd << "\n" << r.out << r.err;
  }
  const auto show = runKestrel({"show", cir});
  EXPECT_NE(show.out.find("mil-c-39014"), std::string::npos) << show.out;  // XRef Move 1 put it in PN
}

// Each command killed at every write, flush and delete of its file: the
// next command rolls the library back (or finds the change complete) and the
// library checks clean, with the old or the new records.
TEST(LibraryCommands, KilledWritersLeaveALibraryThatOpensAndChecksClean) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  ScratchDir dir;
  const std::string lib = dir.file("p.lib"), other = dir.file("o.lib"), base = dir.file("base.lib");
  ASSERT_EQ(runKestrel({"lib", "create", lib}).exitCode, 0);
  ASSERT_EQ(runKestrel({"lib", "create", other}).exitCode, 0);
  for (const char* pn : {"PN=A1", "PN=A2", "PN=A3"}) ASSERT_EQ(runKestrel({"lib", "add", lib, "Resistor", pn}).exitCode, 0);
  for (const char* pn : {"PN=M1", "PN=M2"}) ASSERT_EQ(runKestrel({"lib", "add", other, "Capacitor", pn}).exitCode, 0);
  std::filesystem::copy_file(lib, base);
  const std::vector<std::vector<std::string>> commands = {{"lib", "add", lib, "Diode", "PN=NEW"},
                                                          {"lib", "delete", lib, "A2"},
                                                          {"lib", "merge", lib, other}};
  int kills = 0;
  for (const auto& command : commands) {
    for (const char* call : {"pwrite64", "fdatasync", "unlink"}) {
      for (int n = 1; n < 25; ++n) {
        std::filesystem::copy_file(base, lib, std::filesystem::copy_options::overwrite_existing);
        const auto r = runKestrel(command, {},
                                  {"strace", "-f", "-qq", "-o", "/dev/null", "-e", std::string("trace=") + call, "-e",
                                   std::string("inject=") + call + ":signal=KILL:when=" + std::to_string(n)});
        const auto check = runKestrel({"lib", "check", lib});
        EXPECT_EQ(check.exitCode, 0) << command[1] << " " << call << " #" << n << ": " << check.out << check.err;
        EXPECT_FALSE(std::filesystem::exists(lib + "-journal")) << command[1] << " " << call << " #" << n;
        if (r.exitCode == 0) break;
        ++kills;
      }
    }
  }
  EXPECT_GT(kills, 10);
}

}  // namespace
}  // namespace kestrel::library::test
