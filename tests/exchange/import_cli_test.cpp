// Whole workflows through the kestrel program: a definition made with
// import-def, a spreadsheet imported by it and by --auto, and the refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "exchange_fixture.hpp"
#include "run_kestrel.hpp"

namespace kestrel::test {
namespace {

class ImportCli : public ExchangeTest {
 protected:
  RunResult kestrel(std::vector<std::string> args) const {
    args.insert(args.begin(), {"-y", "-q", "--no-log", "--settings", path("217F2.INI")});
    return runKestrel(args);
  }
};

TEST_F(ImportCli, DefinitionThenImportThenUpdateThroughTheProgram) {
  const std::string csv = write("parts.csv", "PART_TYPE,PN,REFDES,QTY\nResistor,RC07,R1,2\nCapacitor,CK05,C1,3\n");
  RunResult r = kestrel({"import-def", "new", path("d.imp"), "--format", "CSV", "--skip", "1-1", "--record-mode",
                         "BuildFromScratch", "PART_TYPE=1", "PN=2", "REFDES=3", "QTY=4"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("QTY                        Num       4"), std::string::npos) << r.out;
  r = kestrel({"import", path("d.imp"), csv, "-o", path("board.cir")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("2 built"), std::string::npos) << r.out;
  r = kestrel({"show", path("board.cir")});
  EXPECT_NE(r.out.find("CK05"), std::string::npos) << r.out;

  // Update with neither PN nor REFDES mapped stops before touching the file.
  const std::string before = readBytes("board.cir");
  ASSERT_EQ(kestrel({"import-def", "set", path("d.imp"), "--mode", "Update", "PN=0", "REFDES=0"}).exitCode, 0);
  r = kestrel({"import", path("d.imp"), csv, "-o", path("board.cir")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readBytes("board.cir"), before);
}

TEST_F(ImportCli, AutoImportsATableWhoseFirstRowNamesKeywords) {
  const std::string csv = write("list.csv", "PN,PART_TYPE,QTY,COLOUR\nRC07,Resistor,4,red\n");
  RunResult r = kestrel({"import", "--auto", csv, "-o", path("list.cir")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("column 4 ('COLOUR') is not a field keyword"), std::string::npos) << r.err;
  r = kestrel({"import", "--auto", csv, "-o", path("list.cir")});
  EXPECT_EQ(r.exitCode, 1);  // never overwrites the circuit it made
  r = kestrel({"import", "--auto", write("none.csv", "A,B\n1,2\n"), "-o", path("x.cir")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no column of the first row names a field keyword"), std::string::npos);
}

TEST_F(ImportCli, LibraryBuiltThenRecalledIntoACircuit) {
  const std::string lib = write("lib.csv", "PART_TYPE,PN,NOTES\nResistor,RC07,from the library\n");
  RunResult r = kestrel({"import-def", "new", path("l.imp"), "--format", "CSV", "--skip", "1-1", "--type", "Library",
                         "--record-mode", "BuildFromScratch", "PART_TYPE=1", "PN=2", "NOTES=3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = kestrel({"import", path("l.imp"), lib, "-o", path("parts.lib")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string board = write("board.csv", "PART_TYPE,PN,REFDES\nCapacitor,RC07,R1\n");
  ASSERT_EQ(kestrel({"import-def", "new", path("c.imp"), "--format", "CSV", "--skip", "1-1", "--record-mode",
                     "LibraryRecall", "PART_TYPE=1", "PN=2", "REFDES=3"}).exitCode, 0);
  r = kestrel({"import", path("c.imp"), board, "-o", path("board.cir"), "--library", path("parts.lib")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = kestrel({"show", path("board.cir")});
  EXPECT_NE(r.out.find("RC07"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Capacitor"), std::string::npos) << r.out;  // recalled as the library's resistor
  r = kestrel({"import", path("c.imp"), board, "-o", path("other.cir"), "--library", path("none.lib")});
  EXPECT_NE(r.exitCode, 0);
}

// An output that is the input under another name is refused before it is
// opened, by import and export alike.
TEST_F(ImportCli, InputUnderAnotherNameIsNotTheOutput) {
  const std::string csv = write("in.csv", "PN,PART_TYPE\nRC07,Resistor\n");
  ASSERT_EQ(kestrel({"import", "--auto", csv, "-o", path("in.cir")}).exitCode, 0);
  std::filesystem::create_directory(path("sub"));
  std::filesystem::create_hard_link(csv, path("hard.cir"));
  std::filesystem::create_symlink(csv, path("soft.cir"));
  std::filesystem::create_hard_link(path("in.cir"), path("hard.csv"));
  std::filesystem::create_symlink(path("in.cir"), path("soft.csv"));
  const std::vector<std::vector<std::string>> runs = {
      {"import", "--auto", csv, "-o", path("hard.cir")},   {"import", "--auto", csv, "-o", path("soft.cir")},
      {"import", "--auto", csv, "-o", path("sub/../hard.cir")}, {"import", "--auto", csv, "-o", path("./soft.cir")},
      {"export", path("in.cir"), "-o", path("hard.csv")},  {"export", path("in.cir"), "-o", path("sub/../soft.csv")}};
  const std::string before = readBytes("in.csv");
  for (auto args : runs) {
    args.insert(args.begin(), {"-y", "--no-log", "--settings", path("217F2.INI")});  // not quiet: the log lines
    const RunResult r = runKestrel(args);
    EXPECT_NE(r.exitCode, 0) << args.back();
    EXPECT_NE((r.err + r.out).find("can not have identical input/output filespecs."), std::string::npos)
        << args.back() << "\n" << r.err;
  }
  EXPECT_EQ(readBytes("in.csv"), before);
}

}  // namespace
}  // namespace kestrel::test
