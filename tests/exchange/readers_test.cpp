// The table readers: CSV as the export and spreadsheets write it, and files
// made by real programs (gnumeric's ssconvert, the sqlite3 shell, shapelib's
// dbfcreate) from the same rows, read back and compared cell by cell; then
// damaged and hostile files, each refused by name.
#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

#include "exchange_fixture.hpp"

namespace kestrel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows texts(const ReadTable& t) {
  Rows rows;
  for (const TableRow& r : t.rows) {
    std::vector<std::string> cells;
    for (const TableCell& c : r) cells.push_back(cellText(c));
    while (!cells.empty() && cells.back().empty()) cells.pop_back();
    rows.push_back(cells);
  }
  return rows;
}

struct CsvCase {
  const char* label;
  std::string input;
  char separator;
  Rows expected;
  const char* warning;  // "" = none expected
};

class CsvReading : public ExchangeTest, public ::testing::WithParamInterface<CsvCase> {};

TEST_P(CsvReading, SplitsFieldsAsTheWriterMeantThem) {
  const CsvCase& c = GetParam();
  ReaderOptions options;
  options.separator = c.separator;
  const ReadTable t = readAll(InputFormat::CSV, write("in.csv", c.input), options);
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(texts(t), c.expected);
  if (*c.warning == '\0') {
    EXPECT_TRUE(t.warnings.empty()) << t.warnings.front();
  } else {
    ASSERT_EQ(t.warnings.size(), 1u);
    EXPECT_EQ(t.warnings[0], c.warning);
  }
}

const std::string kLongNote(512, 'n');
const std::string kLongLine(100000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvReading,
    ::testing::Values(
        CsvCase{"QuotedComma", "a,\"b,c\",d\n", ',', {{"a", "b,c", "d"}}, ""},
        CsvCase{"DoubledQuotesInsideQuotes", "\"say \"\"hi\"\"\",2\n", ',', {{"say \"hi\"", "2"}}, ""},
        CsvCase{"LineBreakInsideQuotes", "\"two\nlines\",x\r\nnext,y\r\n", ',', {{"two\nlines", "x"}, {"next", "y"}}, ""},
        CsvCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFPN,QTY\n", ',', {{"PN", "QTY"}}, ""},
        CsvCase{"SemicolonSeparator", "a;b,c;d\n", ';', {{"a", "b,c", "d"}}, ""},
        CsvCase{"TabSeparatorKeepsEmptyFields", "a\t\tc\n", '\t', {{"a", "", "c"}}, ""},
        CsvCase{"BlankLinesSkipped", "a\n  \n\r\n\nb\n", ',', {{"a"}, {"b"}}, ""},
        CsvCase{"LeadingBlanksSkipped", "  a,   \"b\" ,c\n", ',', {{"a", "b", "c"}}, ""},
        CsvCase{"DoubledQuoteInPlainField", "5\"\"x,y\n", ',', {{"5\"x", "y"}}, ""},
        CsvCase{"LongLineIsOneRecord", kLongLine + "," + kLongLine + "\n", ',', {{kLongLine, kLongLine}}, ""},
        CsvCase{"LongNoteKept", "\"" + kLongNote + "\"\n", ',', {{kLongNote}}, ""},
        CsvCase{"LastLineWithoutNewline", "a,b", ',', {{"a", "b"}}, ""},
        CsvCase{"EmbeddedLoneQuoteKeptAndWarned", "ab\"c,d\n", ',', {{"ab\"c", "d"}},
                "   ...CSV WARNING: unmatched embedded quotes (R1/F1)..."},
        CsvCase{"UnmatchedQuoteEndsAtItsLine", "ok,1\nx,\"open\nnext,2\n", ',',
                {{"ok", "1"}, {"x", "#ERR"}, {"next", "2"}}, "   ...CSV WARNING: unmatched quotes (R2/F2)..."}),
    [](const auto& info) { return std::string(info.param.label); });

// The rows every real program below is given, as a CSV with a header row.
const Rows kSource = {
    {"PART_TYPE", "PN", "REFDES", "QTY", "RES_PMAX", "NOTES"},
    {"Resistor", "RC07GF103J", "R1", "2", "0.25", "carbon, film"},
    {"Capacitor", "CK05BX104K", "C1", "1", "", "ceramic \"X7R\""},
    {"Resistor", "RN55D1001F", "R2", "12", "0.125", "metal film"},
};

std::string toCsv(const Rows& rows) {
  std::string csv;
  for (const auto& r : rows) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      std::string f = r[i];
      if (f.find_first_of(",\"") != std::string::npos) {
        std::string q = "\"";
        for (char ch : f) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        f = q + "\"";
      }
      csv += (i ? "," : "") + f;
    }
    csv += "\n";
  }
  return csv;
}

// Numbers are compared as numbers: programs write them as they please.
void expectSameRows(const Rows& got, const Rows& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t r = 0; r < want.size(); ++r) {
    ASSERT_EQ(got[r].size(), want[r].size()) << "row " << r + 1;
    for (std::size_t c = 0; c < want[r].size(); ++c) {
      double a = 0, b = 0;
      const std::string& g = got[r][c];
      const std::string& w = want[r][c];
      const bool numbers = std::from_chars(g.data(), g.data() + g.size(), a).ec == std::errc{} &&
                           std::from_chars(w.data(), w.data() + w.size(), b).ec == std::errc{} && !w.empty() &&
                           w.find_first_not_of("0123456789.-") == std::string::npos;
      if (numbers) {
        EXPECT_DOUBLE_EQ(a, b) << "row " << r + 1 << " field " << c + 1;
      } else {
        EXPECT_EQ(g, w) << "row " << r + 1 << " field " << c + 1;
      }
    }
  }
}

class RealPrograms : public ExchangeTest {};

TEST_F(RealPrograms, WorkbooksMadeByGnumericReadAsTheirSourceRows) {
  SKIP_WITHOUT("ssconvert");
  const std::string csv = write("parts.csv", toCsv(kSource));
  for (const char* ext : {"xls", "xlsx"}) {
    const std::string out = path(std::string("parts.") + ext);
    ASSERT_EQ(shell("ssconvert " + quoted(csv) + " " + quoted(out) + " >/dev/null 2>&1"), 0) << ext;
    const ReadTable t = readAll(InputFormat::XLS, out);
    ASSERT_EQ(t.error, "") << ext;
    expectSameRows(texts(t), kSource);
  }
}

TEST_F(RealPrograms, SqliteTableImportedByTheShellReadsWithItsColumnNamesFirst) {
  SKIP_WITHOUT("sqlite3");
  const std::string csv = write("parts.csv", toCsv(kSource));
  const std::string db = path("parts.db");
  ASSERT_EQ(shell("sqlite3 " + quoted(db) + " '.mode csv' " + quoted(".import " + csv + " parts")), 0);
  const ReadTable t = readAll(InputFormat::MDB, db);
  ASSERT_EQ(t.error, "");
  expectSameRows(texts(t), kSource);
}

TEST_F(RealPrograms, DbaseTableMadeByShapelibReadsAsItsRows) {
  SKIP_WITHOUT("dbfcreate");
  const std::string dbf = path("parts.dbf");
  ASSERT_EQ(shell("dbfcreate " + quoted(dbf) + " -s PART_TYPE 20 -s PN 25 -n QTY 5 0 -n RES_PMAX 10 4 -s NOTES 60"), 0);
  const Rows rows = {{"Resistor", "RC07GF103J", "2", "0.25", "carbon, film"},
                     {"Capacitor", "CK05BX104K", "1", "0", "caf\xC3\xA9 \"X7R\""}};
  for (const auto& r : rows) {
    std::string cmd = "dbfadd " + quoted(dbf);
    for (const auto& f : r) cmd += " " + quoted(f);
    ASSERT_EQ(shell(cmd), 0);
  }
  const ReadTable t = readAll(InputFormat::DBF, dbf);
  ASSERT_EQ(t.error, "");
  expectSameRows(texts(t), rows);
  EXPECT_EQ(t.rows[0][2].kind, TableCell::Kind::Number);

  // Damaged headers: every length and count is checked before any row.
  const std::string good = readBytes(dbf);
  struct Damage { const char* label; std::size_t at; unsigned char value; const char* error; };
  const Damage damages[] = {
      {"version", 0, 5, "DBF: not a valid version# (5)"},
      {"record length", 10, 7, "DBF: record length mismatch (7/"},
      {"header length", 8, 0x10, "DBF: header length 16 does not fit"},
      {"record count", 7, 0x10, "DBF: the file ends before its"},
      {"field length", 32 + 16, 0, "DBF: field 1 has length 0"},
  };
  for (const Damage& d : damages) {
    std::string bad = good;
    bad[d.at] = static_cast<char>(d.value);
    const ReadTable b = readAll(InputFormat::DBF, write("bad.dbf", bad));
    EXPECT_TRUE(b.rows.empty()) << d.label;
    EXPECT_NE(b.error.find(d.error), std::string::npos) << d.label << ": " << b.error;
  }
}

// A Lotus worksheet put together record by record (nothing here writes
// one); gnumeric reads it too, and both must see the same cells.
std::string wksRecord(std::uint16_t op, const std::string& body) {
  std::string r;
  r.push_back(static_cast<char>(op & 0xFF));
  r.push_back(static_cast<char>(op >> 8));
  r.push_back(static_cast<char>(body.size() & 0xFF));
  r.push_back(static_cast<char>(body.size() >> 8));
  return r + body;
}
std::string u16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string cellHead(unsigned col, unsigned row) { return std::string(1, '\xFF') + u16(col) + u16(row); }
std::string labelCell(unsigned col, unsigned row, const std::string& text) {
  return wksRecord(0x0F, cellHead(col, row) + "'" + text + std::string(1, '\0'));
}
std::string numberCell(unsigned col, unsigned row, double v) {
  std::string b(8, '\0');
  std::memcpy(b.data(), &v, 8);
  return wksRecord(0x0E, cellHead(col, row) + b);
}

std::string worksheet(bool withStrayCell) {
  std::string w = wksRecord(0x00, u16(0x0404)) + wksRecord(0x06, u16(0) + u16(0) + u16(2) + u16(2));
  w += labelCell(0, 0, "PN") + labelCell(1, 0, "QTY") + labelCell(2, 0, "NOTES");
  w += labelCell(0, 1, "RC07") + wksRecord(0x0D, cellHead(1, 1) + u16(7)) + labelCell(2, 1, "film, 5%");
  w += labelCell(0, 2, "CK05") + numberCell(1, 2, 2.5);
  if (withStrayCell) w += labelCell(7, 9, "outside");
  return w + wksRecord(0x01, "");
}

TEST_F(RealPrograms, WorksheetReadsAsGnumericReadsIt) {
  const Rows expected = {{"PN", "QTY", "NOTES"}, {"RC07", "7", "film, 5%"}, {"CK05", "2.5"}};
  const std::string wks = write("parts.wks", worksheet(false));
  const ReadTable t = readAll(InputFormat::WKS, wks);
  ASSERT_EQ(t.error, "");
  expectSameRows(texts(t), expected);
  if (haveProgram("ssconvert")) {
    ASSERT_EQ(shell("ssconvert " + quoted(wks) + " " + quoted(path("wks.csv")) + " >/dev/null 2>&1"), 0);
    const ReadTable viaGnumeric = readAll(InputFormat::CSV, path("wks.csv"));
    expectSameRows(texts(viaGnumeric), expected);
  }
  const ReadTable stray = readAll(InputFormat::WKS, write("stray.wks", worksheet(true)));
  expectSameRows(texts(stray), expected);
  ASSERT_EQ(stray.warnings.size(), 1u);
  EXPECT_EQ(stray.warnings[0], "   ...WKS: cell outside the declared range skipped (R10/F8)...");
}

struct HostileCase {
  const char* label;
  InputFormat format;
  std::string bytes;
  const char* error;
};

class HostileFiles : public ExchangeTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileFiles, AreRefusedByName) {
  const HostileCase& c = GetParam();
  const std::string file = write("hostile.bin", c.bytes);
  const ReadTable t = readAll(c.format, file);
  EXPECT_TRUE(t.rows.empty());
  EXPECT_NE(t.error.find(c.error), std::string::npos) << t.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileFiles,
    ::testing::Values(
        HostileCase{"WksWithoutBof", InputFormat::WKS, std::string("\x06\x00\x08\x00", 4), "WKS: BOF record not found (6)"},
        HostileCase{"WksUnknownVersion", InputFormat::WKS, wksRecord(0, u16(0x0999)), "WKS: not a valid version# (2457)"},
        HostileCase{"WksRecordPastEnd", InputFormat::WKS, wksRecord(0, u16(0x0404)) + std::string("\x0F\x00\xFF\x7F", 4),
                    "runs past the end"},
        HostileCase{"WksTruncated", InputFormat::WKS, wksRecord(0, u16(0x0404)), "without its EOF"},
        HostileCase{"DbfTooShort", InputFormat::DBF, std::string(10, '\x03'), "DBF: file too short"},
        HostileCase{"XlsNotAWorkbook", InputFormat::XLS, "hello", "XLS: can not open file"},
        HostileCase{"XlsxTruncatedZip", InputFormat::XLS, std::string("PK\x03\x04\x14\x00\x00\x00", 8), "XLSX: can not open file"},
        HostileCase{"EncryptedWorkbook", InputFormat::XLS,
                    std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(64, '\0') +
                        std::string("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32),
                    "XLS: the workbook is encrypted"},
        HostileCase{"DatabaseOfNoKnownKind", InputFormat::MDB, std::string(64, 'z'), "MDB: can not read structure"},
        HostileCase{"MdbHeaderOnly", InputFormat::MDB, std::string("\0\1\0\0Standard Jet DB\0", 20), "MDB: can not"},
        HostileCase{"SqliteHeaderOnly", InputFormat::MDB, std::string("SQLite format 3\0", 16) + std::string(84, '\0'),
                    "SQLITE: "}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kestrel::test
