// kestrel export through the command line: every format's file opened by a
// real program (ssconvert, sqlite3), turned back into CSV and compared cell
// by cell with the program's own CSV export. The export, import and recall
// workflows and their refusals are transcripts (tests/cli/transcripts).
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

}  // namespace
}  // namespace kestrel::test
