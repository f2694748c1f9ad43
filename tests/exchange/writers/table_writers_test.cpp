// Every writer's table opened by a real program (gnumeric's ssconvert for
// CSV, dBASE, worksheet and workbook files, the sqlite3 shell for database
// tables), turned back into CSV and compared cell by cell with the rows
// written: numbers keep their precision, texts their characters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/table_writer.hpp"
#include "exchange_fixture.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel::test {
namespace {

std::vector<ExportRow> sampleRows() {
  const std::string longText(600, 'x');
  return {
      {ExportCell::ofText("plain"), ExportCell::ofText("with, comma"), ExportCell::ofText("say \"hi\""),
       ExportCell::integer(50100), ExportCell::single(0.1f), ExportCell::real(1.2345678901234567), ExportCell{},
       ExportCell::single(-2.5e-7f), ExportCell::real(12345.678)},
      {ExportCell::ofText(longText + "end"), ExportCell::ofText("line1\nline2"), ExportCell::ofText("RNC55H1001FR"),
       ExportCell::integer(-3), ExportCell::single(175.0f), ExportCell::real(1e-9), ExportCell::ofText("00123"),
       ExportCell::single(3.4028235e38f), ExportCell::real(-0.0625)},
  };
}

struct FormatCase {
  OutputFormat format;
  const char* name;
  bool trimsBlanks;          // dBASE pads texts with blanks
  std::size_t maxText;       // longest text the format keeps
  bool guessesNumbers;       // gnumeric reads a CSV text of digits as a number
  bool namesRow;             // gnumeric shows dBASE field names as a first row
};

class TableWritersTest : public ExchangeTest, public ::testing::WithParamInterface<FormatCase> {
 protected:
  // The table converted back to CSV by a real program, read into cells.
  std::vector<std::vector<std::string>> readBack(const FormatCase& c, const std::string& file) {
    const std::string csv = path("back.csv");
    std::vector<std::vector<std::string>> out;
    if (c.format == OutputFormat::MDB) {
      std::string select = "SELECT ";
      for (int i = 1; i <= 9; ++i) select += std::string(i > 1 ? "," : "") + "quote(FIELD" + std::to_string(i) + ")";
      EXPECT_EQ(shell("sqlite3 -csv " + quoted(file) + " " + quoted(select + " FROM Table1") + " > " + quoted(csv)), 0);
    } else {
      EXPECT_EQ(shell("ssconvert -T Gnumeric_stf:stf_csv " + quoted(file) + " " + quoted(csv) + " 2>/dev/null"), 0);
    }
    const ReadTable t = readAll(InputFormat::CSV, csv);
    EXPECT_EQ(t.error, "");
    for (const TableRow& row : t.rows) {
      std::vector<std::string> cells;
      for (const TableCell& cell : row) cells.push_back(cell.text);
      if (c.format == OutputFormat::MDB) {
        for (std::string& v : cells) {
          if (v == "NULL") {
            v.clear();
          } else if (!v.empty() && v.front() == '\'') {
            std::string u;
            for (std::size_t i = 1; i + 1 < v.size(); ++i) {
              u.push_back(v[i]);
              if (v[i] == '\'') ++i;
            }
            v = u;
          }
        }
      }
      out.push_back(cells);
    }
    return out;
  }
};

void expectCell(const ExportCell& want, const std::string& got, const FormatCase& c, std::size_t row, std::size_t col) {
  SCOPED_TRACE(testing::Message() << c.name << " row " << row + 1 << " column " << col + 1);
  if (want.kind == ExportCell::Kind::Empty) {
    EXPECT_EQ(got, "");
  } else if (want.kind == ExportCell::Kind::Text) {
    std::string text = want.text.substr(0, c.maxText);
    if (c.trimsBlanks) text.erase(text.find_last_not_of(' ') + 1);
    if (c.guessesNumbers && !text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
      EXPECT_EQ(std::stol(got), std::stol(text));
    } else {
      EXPECT_EQ(got, text);
    }
  } else {
    char* end = nullptr;
    const double back = std::strtod(got.c_str(), &end);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(*end, '\0') << got;
    if (want.kind == ExportCell::Kind::Single) {
      EXPECT_EQ(static_cast<float>(back), static_cast<float>(want.number)) << got;
    } else {
      EXPECT_NEAR(back, want.number, std::fabs(want.number) * 1e-15) << got;
    }
  }
}

TEST_P(TableWritersTest, RealProgramReadsEveryCellBack) {
  const FormatCase& c = GetParam();
  const std::string program = c.format == OutputFormat::MDB ? "sqlite3" : "ssconvert";
  SKIP_WITHOUT(program);
  const std::string file = path(std::string("table") + std::string(formatExtension(c.format)));
  WriterOptions options;
  options.columns = 9;
  std::vector<std::string> warnings;
  options.warn = [&](std::string_view w) { warnings.emplace_back(w); };
  std::unique_ptr<TableWriter> writer;
  ASSERT_TRUE(openTableWriter(c.format, file, options, posixFileSystem(), writer));
  const auto rows = sampleRows();
  for (const ExportRow& row : rows) ASSERT_TRUE(writer->writeRow(row));
  EXPECT_FALSE(std::filesystem::exists(file)) << "nothing in place before the table is complete";
  ASSERT_TRUE(writer->finish());
  EXPECT_FALSE(std::filesystem::exists(temporaryOutputPath(file)));

  auto back = readBack(c, file);
  if (c.namesRow) {
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(back.front().at(0), "FIELD1");
    back.erase(back.begin());
  }
  ASSERT_EQ(back.size(), rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t col = 0; col < rows[r].size(); ++col) {
      expectCell(rows[r][col], col < back[r].size() ? back[r][col] : std::string(), c, r, col);
    }
  }
  if (c.format == OutputFormat::DBF) {
    EXPECT_EQ(warnings, std::vector<std::string>{"...DBF WARNING: truncated string (603/254)..."});
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, TableWritersTest,
                         ::testing::Values(FormatCase{OutputFormat::CSV, "csv", false, 100000, true, false},
                                           FormatCase{OutputFormat::DBF, "dbf", true, 254, false, true},
                                           FormatCase{OutputFormat::WKS, "wks", false, 100000, false, false},
                                           FormatCase{OutputFormat::XLS, "xlsx", false, 100000, false, false},
                                           FormatCase{OutputFormat::MDB, "sqlite", false, 100000, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeTest, CsvWritesLongLinesWholeWithStandardQuoting) {
  const std::string file = path("long.csv");
  WriterOptions options;
  options.columns = 3;
  std::unique_ptr<TableWriter> writer;
  ASSERT_TRUE(openTableWriter(OutputFormat::CSV, file, options, posixFileSystem(), writer));
  const std::string notes(3000, 'n');
  ASSERT_TRUE(writer->writeRow({ExportCell::ofText("a\"b"), ExportCell::integer(7), ExportCell::ofText(notes)}));
  ASSERT_TRUE(writer->finish());
  EXPECT_EQ(readBytes("long.csv"), "\"a\"\"b\",7,\"" + notes + "\"\n");
}

TEST_F(ExchangeTest, FailedWriteKeepsThePreviousOutputAndLeavesNoTemporaryFile) {
  const std::string file = write("out.csv", "previous good export\n");
  for (int failAt : {0, 5}) {
    FaultyFileSystem faulty;
    faulty.failWriteAfter = failAt;
    WriterOptions options;
    options.columns = 1;
    std::unique_ptr<TableWriter> writer;
    ASSERT_TRUE(openTableWriter(OutputFormat::CSV, file, options, faulty, writer));
    ASSERT_TRUE(writer->writeRow({ExportCell::ofText("new rows that will not fit")}));
    const Status s = writer->finish();
    EXPECT_FALSE(s);
    EXPECT_NE(s.message().find("out.csv"), std::string::npos) << s.message();
    EXPECT_EQ(readBytes("out.csv"), "previous good export\n");
    EXPECT_FALSE(std::filesystem::exists(temporaryOutputPath(file)));
  }
}

TEST_F(ExchangeTest, AbandonedWritersLeaveNoFileBehind) {
  for (OutputFormat f : {OutputFormat::XLS, OutputFormat::MDB, OutputFormat::DBF}) {
    const std::string file = path(std::string("gone") + std::string(formatExtension(f)));
    WriterOptions options;
    options.columns = 2;
    std::unique_ptr<TableWriter> writer;
    ASSERT_TRUE(openTableWriter(f, file, options, posixFileSystem(), writer));
    ASSERT_TRUE(writer->writeRow({ExportCell::ofText("a"), ExportCell::single(1.5f)}));
    writer.reset();
    EXPECT_FALSE(std::filesystem::exists(file)) << file;
    EXPECT_FALSE(std::filesystem::exists(temporaryOutputPath(file))) << file;
  }
}

TEST_F(ExchangeTest, FormatLimitsRefuseRowsByName) {
  struct Case {
    OutputFormat format;
    std::size_t columns;
    std::size_t rowCells;
    const char* message;
  };
  const Case cases[] = {
      {OutputFormat::CSV, 2, 3, "...CSV: too many fields (3/2)..."},
      {OutputFormat::DBF, 2, 3, "...DBF: too many fields (3)..."},
      {OutputFormat::WKS, 2, 3, "...WKS: too many fields (3)..."},
      {OutputFormat::XLS, 2, 3, "...XLS: too many fields (3)..."},
      {OutputFormat::MDB, 2, 3, "...MDB: too many fields (3)..."},
  };
  for (const Case& c : cases) {
    WriterOptions options;
    options.columns = c.columns;
    std::unique_ptr<TableWriter> writer;
    ASSERT_TRUE(openTableWriter(c.format, path(std::string("limit") + std::string(formatExtension(c.format))),
                                options, posixFileSystem(), writer));
    const Status s = writer->writeRow(ExportRow(c.rowCells, ExportCell::integer(1)));
    EXPECT_EQ(s.message(), c.message);
  }
  WriterOptions wide;
  wide.columns = 300;
  std::unique_ptr<TableWriter> writer;
  EXPECT_FALSE(openTableWriter(OutputFormat::DBF, path("wide.dbf"), wide, posixFileSystem(), writer));
  EXPECT_FALSE(openTableWriter(OutputFormat::WKS, path("wide.wks"), wide, posixFileSystem(), writer));
}

TEST_F(ExchangeTest, WorksheetRefusesTheRowBeyondItsSixteenBitRowNumbers) {
  WriterOptions options;
  options.columns = 1;
  std::unique_ptr<TableWriter> writer;
  ASSERT_TRUE(openTableWriter(OutputFormat::WKS, path("rows.wks"), options, posixFileSystem(), writer));
  for (int i = 0; i < 65536; ++i) ASSERT_TRUE(writer->writeRow({ExportCell::integer(i)}));
  EXPECT_EQ(writer->writeRow({ExportCell::integer(0)}).message(), "...WKS: too many records (65537)...");
}

TEST(ExportCellText, NumbersUseTheFewestDigitsThatReadBackExactly) {
  EXPECT_EQ(numberText(ExportCell::single(0.1f)), "0.1");
  EXPECT_EQ(numberText(ExportCell::real(0.1)), "0.1");
  EXPECT_EQ(numberText(ExportCell::real(static_cast<double>(0.1f))), "0.10000000149011612");
  EXPECT_EQ(numberText(ExportCell::integer(-42)), "-42");
  EXPECT_EQ(numberText(ExportCell::real(std::nan(""))), "");
  EXPECT_EQ(outputFormatForPath("a/b.XLSX"), OutputFormat::XLS);
  EXPECT_EQ(outputFormatForPath("a.b/c"), std::nullopt);
}

}  // namespace
}  // namespace kestrel::test
