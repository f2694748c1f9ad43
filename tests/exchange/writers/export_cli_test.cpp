// kestrel export through the command line: every format's file opened by a
// real program (ssconvert, sqlite3), turned back into CSV and compared cell
// by cell with the program's own CSV export; a hierarchy exported with
// --recursive; and refusals with their exit codes.
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "exchange_fixture.hpp"
#include "models/register_all.hpp"
#include "run_kestrel.hpp"
#include "store/library/part_library.hpp"

namespace kestrel::test {
namespace {

class ExportCli : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    registerAllParts();
  }
  RunResult run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--no-log", "--settings", path("217F2.INI"), "-q"});
    return runKestrel(args);
  }
  std::vector<std::vector<std::string>> csvCells(const std::string& file) {
    std::vector<std::vector<std::string>> out;
    for (const TableRow& row : readAll(InputFormat::CSV, file).rows) {
      std::vector<std::string> cells;
      for (const TableCell& c : row) cells.push_back(c.text);
      while (!cells.empty() && cells.back().empty()) cells.pop_back();
      out.push_back(cells);
    }
    return out;
  }
  void expectEveryFormatLikeCsv(const std::string& input, const std::string& stem, std::size_t rows);
};

bool sameCell(const std::string& a, const std::string& b) {
  if (a == b) return true;
  char* ea = nullptr;
  char* eb = nullptr;
  const double x = std::strtod(a.c_str(), &ea), y = std::strtod(b.c_str(), &eb);
  if (a.empty() || b.empty() || *ea != '\0' || *eb != '\0') return false;
  if (std::fabs(x - y) <= std::fabs(x) * 1e-15) return true;
  // A 32-bit record field is written with the digits that give back its float.
  const std::size_t digits = a.find_first_not_of("-0.") == std::string::npos ? 0 : a.size() - a.find_first_not_of("-0.");
  return digits <= 10 && static_cast<float>(x) == static_cast<float>(y);
}

// Exports `input` to CSV and to every other format, reads each back through
// a real program and compares it cell by cell with the CSV export.
void ExportCli::expectEveryFormatLikeCsv(const std::string& input, const std::string& stem, std::size_t rows) {
  ASSERT_EQ(run({"export", input, "-o", path(stem + ".csv")}).exitCode, 0);
  const auto reference = csvCells(path(stem + ".csv"));
  ASSERT_EQ(reference.size(), rows);

  for (const char* ext : {".dbf", ".wks", ".xlsx", ".sqlite"}) {
    SCOPED_TRACE(stem + ext);
    const std::string out = path(stem + ext);
    const RunResult r = run({"export", input, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string program = std::string(ext) == ".sqlite" ? "sqlite3" : "ssconvert";
    SKIP_WITHOUT(program);
    std::size_t columns = 0;
    for (const auto& row : reference) columns = std::max(columns, row.size());
    auto cells = readBack(out, columns);
    for (auto& row : cells) {
      while (!row.empty() && row.back().empty()) row.pop_back();
    }
    // dBASE shows its field names, a workbook its heading row, as a first row.
    if (std::string(ext) == ".dbf" || std::string(ext) == ".xlsx") {
      ASSERT_FALSE(cells.empty());
      EXPECT_EQ(cells.front().at(0), "FIELD1");
      cells.erase(cells.begin());
    }
    ASSERT_EQ(cells.size(), reference.size());
    for (std::size_t r2 = 0; r2 < reference.size(); ++r2) {
      for (std::size_t c = 0; c < std::max(reference[r2].size(), cells[r2].size()); ++c) {
        std::string want = c < reference[r2].size() ? reference[r2][c] : "";
        std::string got = c < cells[r2].size() ? cells[r2][c] : "";
        if (std::string(ext) == ".dbf") {  // dBASE pads texts with blanks
          want.erase(want.find_last_not_of(' ') + 1);
          got.erase(got.find_last_not_of(' ') + 1);
        }
        EXPECT_TRUE(sameCell(want, got)) << "row " << r2 + 1 << " column " << c + 1 << ": '" << want << "' vs '" << got << "'";
      }
    }
  }
}

TEST_F(ExportCli, EveryFormatReadsBackCellByCellLikeTheCsvExport) {
  const std::string cir = saveCircuit("board.cir");
  std::unique_ptr<CCircDoc> doc;
  ASSERT_TRUE(loadDocument(posixFileSystem(), cir, doc));
  expectEveryFormatLikeCsv(cir, "board", doc->count() + 1);
}

// Cross-reference and import definition files go through the same writers,
// with rows of their own (texts with commas, quotes and line breaks).
TEST_F(ExportCli, CrossReferenceAndDefinitionFilesReadBackInEveryFormat) {
  const std::string xrf = path("parts.xrf");
  ASSERT_EQ(run({"xref", "create", xrf, "--descr", "Vendor numbers, \"second\" source"}).exitCode, 0);
  const std::vector<std::vector<std::string>> refs = {
      {"AB-100", "RNC55H1001FR", "Title, one", "notes with \"quotes\""},
      {"AB-200", "CKR05BX104KR", "", ""},
      {"ZX9", "M39003/01-2289", "t", "line one\nline two"},
  };
  for (const auto& x : refs) {
    const RunResult r = run({"xref", "add", xrf, x[0], x[1], "--notes-title", x[2], "--notes", x[3]});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  expectEveryFormatLikeCsv(xrf, "xref", refs.size() + 1);

  const std::string imp = path("vendor.imp");
  ASSERT_EQ(run({"import-def", "new", imp, "--type", "Library", "--description", "From the \"vendor\", list"}).exitCode, 0);
  ASSERT_EQ(run({"import-def", "set", imp, "PN=1", "DESCR=3:2:10", "QTY=4"}).exitCode, 0);
  const std::size_t keywords = readAll(InputFormat::CSV, [&] {
    EXPECT_EQ(run({"export", imp, "-o", path("probe.csv")}).exitCode, 0);
    return path("probe.csv");
  }()).rows.size();
  EXPECT_GT(keywords, 200u);  // the header row and one row per catalogue keyword
  expectEveryFormatLikeCsv(imp, "vendor", keywords);
}

TEST_F(ExportCli, RecursiveExportWritesEveryFileOfTheHierarchy) {
  saveCircuit("child.cir", {401, 403});
  const std::string top = saveCircuit("top.cir", {kSubCircuitType, 401}, "child.cir");
  const RunResult r = run({"export", top, "--recursive", "-o", path("out/top.xlsx")});
  // The output folder must exist: refused by name, nothing written.
  EXPECT_NE(r.exitCode, 0);
  std::filesystem::create_directory(path("out"));
  const RunResult ok = run({"export", top, "-r", "-o", path("out/top.xlsx"), "--layout", "keywords"});
  ASSERT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_TRUE(std::filesystem::exists(path("out/top.xlsx")));
  EXPECT_TRUE(std::filesystem::exists(path("out/child.xlsx")));
  EXPECT_NE(ok.out.find("Succeed:4  FilterOut:0  Failed:0"), std::string::npos) << ok.out;
}

TEST_F(ExportCli, RecallFallsBackToThePartNumberDecoderWhenAsked) {
  const std::string cir = saveCircuit("board.cir", {403});
  std::string started;
  ASSERT_TRUE(library::startStore(started));
  library::StoreMessage error;
  auto lib = library::PartLibrary::create(path("parts.lib"), error);
  ASSERT_NE(lib, nullptr) << error.text();
  ASSERT_TRUE(lib->close());
  lib.reset();
  const RunResult plain = run({"--yes", "recall", cir, path("parts.lib"), "RNC55H1001FR"});
  EXPECT_NE(plain.out.find("NotFound:1"), std::string::npos) << plain.out << plain.err;
  const RunResult decoded = run({"--yes", "recall", cir, path("parts.lib"), "RNC55H1001FR", "CKR05BX104KR", "--decode"});
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  std::unique_ptr<CCircDoc> doc;
  ASSERT_TRUE(loadDocument(posixFileSystem(), cir, doc));
  ASSERT_EQ(doc->count(), 3u);
  EXPECT_EQ(doc->record(0).PN, "RNC55H1001FR");
  EXPECT_EQ(doc->record(0).PART_TYPE, 401);
  EXPECT_EQ(doc->record(1).PN, "CKR05BX104KR");  // sorted before "PN1001"
  EXPECT_EQ(doc->record(1).PART_TYPE, 403);
}

TEST_F(ExportCli, RefusesWhatItCannotWrite) {
  const std::string cir = saveCircuit("board.cir", {401});
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* err;
  };
  const Case cases[] = {
      {{"export", cir, "-o", path("board.txt")}, 1, "must end in .csv"},
      {{"export", cir, "-o", path("board.csv"), "--type", "Nonsense"}, 1, "is not a part type"},
      {{"export", cir, "-o", cir + ".csv", "--layout", "rows"}, 1, "--layout"},
  };
  for (const Case& c : cases) {
    const RunResult r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

// Whole workflows through the kestrel program: a definition made with
// import-def, a spreadsheet imported by it and by --auto, and the refusals.

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
  r = runKestrel({"-y", "--no-log", "--settings", path("217F2.INI"), "import", path("d.imp"), csv, "-o",
                  path("board.cir")});  // not quiet: the log lines
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE((r.err + r.out).find("update mode requires 'PN' or 'REFDES' keyword to be defined."), std::string::npos)
      << r.err;
  EXPECT_EQ(readBytes("board.cir"), before);
  EXPECT_FALSE(std::filesystem::exists(path("board.cir.BAK")));
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
