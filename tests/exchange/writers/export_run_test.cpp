// Export runs over circuits, libraries, cross-reference files and import
// definitions: the record layout's rows, the keyword layout read back by
// import into records equal field by field (in every format), filters and
// counters, and failures that never count a record as exported.
#include "exchange/export/export_run.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/windows1252.hpp"
#include "exchange/auto_definition.hpp"
#include "exchange/export/keyword_rows.hpp"
#include "exchange/export/record_source.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/import_run.hpp"
#include "exchange/part_numbers/part_number_decoder.hpp"
#include "exchange/writers/buffered_writer.hpp"
#include "exchange/writers/table_writer.hpp"
#include "exchange_fixture.hpp"
#include "models/passive_semis/capacitor.hpp"
#include "models/passive_semis/potentiometer.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel::test {
namespace {

class ExportRun : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    registerAllParts();
  }
  ExportJob job(const std::string& input, const std::string& output, ExportLayout layout) const {
    ExportJob j;
    j.inputs = {input};
    j.output = output;
    j.format = *outputFormatForPath(output);
    j.layout = layout;
    return j;
  }
  RecordingUi ui;
};

TEST_F(ExportRun, RecordLayoutWritesTheHeaderRowThenOneRowPerRecord) {
  const std::string cir = saveCircuit("board.cir");
  std::unique_ptr<CCircDoc> doc;
  ASSERT_TRUE(loadDocument(posixFileSystem(), cir, doc));
  const ExportOutcome out = runExport(job(cir, path("board.csv"), ExportLayout::Records), posixFileSystem(), ui);
  ASSERT_TRUE(out.ok());
  EXPECT_EQ(out.succeed, static_cast<long>(doc->count()));
  const ReadTable t = readAll(InputFormat::CSV, path("board.csv"));
  ASSERT_EQ(t.rows.size(), doc->count() + 1);
  EXPECT_EQ(t.rows[0][0].text, "CIRCUIT");
  EXPECT_EQ(t.rows[0][1].text, "50100");
  EXPECT_EQ(t.rows[0][2].text, std::to_string(doc->count()));
  EXPECT_NEAR(std::stod(t.rows[0][9].text), doc->header().TotalFR, doc->header().TotalFR * 1e-15);
  const double total = doc->shareBase();
  for (std::size_t i = 0; i < doc->count(); ++i) {
    const CPart& part = doc->record(i);
    const TableRow& row = t.rows[i + 1];
    SCOPED_TRACE(part.PN);
    ASSERT_EQ(row.size(), 28u);
    EXPECT_EQ(row[0].text, part.GetTypeName());
    EXPECT_EQ(row[2].text, part.PN);
    EXPECT_EQ(row[5].text, part.DESCR);
    EXPECT_EQ(std::stod(row[15].text), part.TFR());
    EXPECT_NEAR(std::stod(row[16].text), part.TFR() / total * 100.0, 1e-9);
    EXPECT_EQ(static_cast<float>(std::stod(row[17].text)), part.FR);
    EXPECT_EQ(row[21].text, part.hasOverFlag() ? "*OVER*" : "");
    EXPECT_EQ(row[27].text, part.NOTES);
  }
  EXPECT_TRUE(logged(ui, strprintf("   ...Succeed:%zu  FilterOut:0...", doc->count())));

  ExportJob filtered = job(cir, path("resistors.csv"), ExportLayout::Records);
  filtered.typeFilter = 401;
  const ExportOutcome f = runExport(filtered, posixFileSystem(), ui);
  EXPECT_EQ(f.succeed, 1);
  EXPECT_EQ(f.filterOut, static_cast<long>(doc->count()) - 1);
}

// Exports `cir` in the keyword layout (one part type when given), imports the
// table with a definition made from its first row, and compares every record.
void expectRoundTrip(ExportRun& t, const CCircDoc& original, const std::string& cir, const std::string& table,
                     std::optional<std::uint16_t> type, RecordingUi& ui) {
  ExportJob ej;
  ej.inputs = {cir};
  ej.output = table;
  ej.format = *outputFormatForPath(table);
  ej.layout = ExportLayout::Keywords;
  ej.typeFilter = type;
  ASSERT_TRUE(runExport(ej, posixFileSystem(), ui).ok());
  ImportJob in;
  std::vector<std::string> ignored;
  ASSERT_TRUE(autoDefinition(table, *formatForPath(table), OutputType::Circuit, in.definition, ignored));
  EXPECT_TRUE(ignored.empty());
  in.inputs = {table};
  in.outputPath = table + ".cir";
  std::filesystem::remove(in.outputPath);
  ASSERT_TRUE(runImport(in, posixFileSystem(), ui).allOk());
  std::unique_ptr<CCircDoc> back;
  ASSERT_TRUE(loadDocument(posixFileSystem(), in.outputPath, back));
  EXPECT_EQ(back->header().DESCR, original.header().DESCR);
  std::size_t expected = 0;
  for (const auto& part : original.records()) expected += !type || part->PART_TYPE == *type;
  ASSERT_GT(expected, 0u);
  ASSERT_EQ(back->count(), expected);
  std::size_t compared = 0;
  for (std::size_t i = 0; i < original.count(); ++i) {
    const CPart& want = original.record(i);
    if (type && want.PART_TYPE != *type) continue;
    ASSERT_LT(compared, back->count());
    const CPart& got = back->record(compared++);
    SCOPED_TRACE(want.PN);
    ASSERT_EQ(got.PART_TYPE, want.PART_TYPE);
    const KeywordCells a = partKeywordCells(want), b = partKeywordCells(got);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [index, cell] : a) {
      const ExportCell& other = b.at(index);
      EXPECT_EQ(other.text, cell.text) << keywordCatalogue()[index].name;
      EXPECT_EQ(other.number, cell.number) << keywordCatalogue()[index].name;
    }
  }
  EXPECT_EQ(compared, back->count());
  (void)t;
}

TEST_F(ExportRun, KeywordLayoutImportsBackToEqualRecordsInEveryFormat) {
  const std::string cir = saveCircuit("parts.cir");
  std::unique_ptr<CCircDoc> original;
  ASSERT_TRUE(loadDocument(posixFileSystem(), cir, original));
  // Workbooks, databases and CSV take every part type in one table.
  for (const char* ext : {".csv", ".xlsx", ".sqlite"}) {
    SCOPED_TRACE(ext);
    expectRoundTrip(*this, *original, cir, path(std::string("parts") + ext), std::nullopt, ui);
  }
  // dBASE and worksheet files hold at most 255 and 256 columns: one table per part type.
  for (const char* ext : {".dbf", ".wks"}) {
    for (const PartType& type : allPartTypes()) {
      if (!PartRegistry::instance().isRegistered(type.id) || type.id <= kSubHybridType) continue;
      SCOPED_TRACE(std::string(ext) + " " + std::string(type.menuName));
      expectRoundTrip(*this, *original, cir, path("type" + std::to_string(type.id) + ext), type.id, ui);
    }
  }
}

// Typed in UTF-8; Ω has no place in the records' code page (Windows-1252).
constexpr const char* kTyped = "\u00B5" "F \u00B1" "5 % \u03A9 25 \u00B0" "C Z\u00FCrich";
constexpr const char* kStored = "\xB5" "F \xB1" "5 % ? 25 \xB0" "C Z\xFCrich";

TEST_F(ExportRun, TextsInAnyLanguageRoundTripThroughEveryFormat) {
  // Imports a table by its keyword row into a circuit of the same base name.
  const auto importBack = [this](const std::string& table, std::unique_ptr<CCircDoc>& doc) {
    ImportJob in;
    std::vector<std::string> ignored;
    ASSERT_TRUE(autoDefinition(table, *formatForPath(table), OutputType::Circuit, in.definition, ignored));
    in.inputs = {table};
    ASSERT_TRUE(runImport(in, posixFileSystem(), ui).allOk());
    ASSERT_TRUE(loadDocument(posixFileSystem(), outputPathFor(table, "", OutputType::Circuit), doc));
    ASSERT_EQ(doc->count(), 1u);
  };
  const std::string csv = write("typed.csv", std::string("PART_TYPE,PN,DESCR\nResistor,R-1,") + kTyped + "\n");
  std::unique_ptr<CCircDoc> doc;
  ASSERT_NO_FATAL_FAILURE(importBack(csv, doc));
  EXPECT_TRUE(logged(ui, "   ...'\u03A9' character(s) not in Windows-1252 replaced by '?' (R2/F3)..."));
  EXPECT_EQ(doc->record(0).DESCR, kStored);
  const std::string utf8 = windows1252ToUtf8(kStored);
  const std::pair<const char*, std::string> formats[] = {  // with the text as the file holds it ("" = zipped)
      {".csv", utf8}, {".sqlite", utf8}, {".xlsx", ""}, {".dbf", kStored}, {".wks", kStored}};
  for (const auto& [ext, bytes] : formats) {
    SCOPED_TRACE(ext);
    expectRoundTrip(*this, *doc, doc->path(), path(std::string("round") + ext), std::nullopt, ui);
    EXPECT_NE(readBytes(std::string("round") + ext).find(bytes), std::string::npos);
  }
  EXPECT_EQ(static_cast<unsigned char>(readBytes("round.dbf")[29]), 0x03);  // language driver: ANSI 1252
  if (haveProgram("ssconvert")) {  // no .xls writer: a workbook saved by another program
    ASSERT_EQ(shell("ssconvert " + quoted(path("round.xlsx")) + " " + quoted(path("round.xls")) + " >/dev/null 2>&1"), 0);
    ASSERT_NO_FATAL_FAILURE(importBack(path("round.xls"), doc));
    EXPECT_EQ(doc->record(0).DESCR, kStored);
  }
}

TEST_F(ExportRun, FailedOutputCountsEveryRecordAsFailedAndKeepsThePreviousFile) {
  const std::string cir = saveCircuit("board.cir");
  const std::string previous = write("board.csv", "old export\n");
  FaultyFileSystem faulty;
  faulty.failWriteAfter = 100;
  const ExportOutcome out = runExport(job(cir, previous, ExportLayout::Records), faulty, ui);
  EXPECT_FALSE(out.ok());
  EXPECT_EQ(out.succeed, 0);
  EXPECT_GT(out.failed, 0);
  EXPECT_EQ(out.failedFiles, 1);
  EXPECT_EQ(readBytes("board.csv"), "old export\n");
  EXPECT_TRUE(logged(ui, strprintf("   ...Succeed:0  FilterOut:0  Failed:%ld...", out.failed)));
}

TEST_F(ExportRun, RefusedInputsAreLoggedByName) {
  const std::string cir = saveCircuit("same.cir");
  CCircDoc empty;
  ASSERT_TRUE(saveDocument(posixFileSystem(), empty, path("empty.cir")));
  write("notes.txt", "x");
  struct Case {
    std::string input, output, line;
    bool fails;
  };
  const Case cases[] = {
      {cir, cir.substr(0, cir.size() - 4) + ".CIR.csv", "", false},
      {path("empty.cir"), path("empty.csv"), "   ...zero records: skipping file...", false},
      {path("notes.txt"), path("notes.csv"), "   ...can not recognize input file type: skipping file...", true},
      {path("missing.cir"), path("missing.csv"), "", true},
  };
  for (const Case& c : cases) {
    ui.logLines.clear();
    ui.messages.clear();
    const ExportOutcome out = runExport(job(c.input, c.output, ExportLayout::Records), posixFileSystem(), ui);
    EXPECT_EQ(out.failedFiles > 0, c.fails) << c.input;
    if (!c.line.empty()) {
      EXPECT_TRUE(logged(ui, c.line)) << c.input;
    }
  }
}

TEST_F(ExportRun, LibraryRecordsLeaveResultsEmptyAndCarryTheirDate) {
  library::StoreMessage error;
  std::string started;
  ASSERT_TRUE(library::startStore(started));
  auto lib = library::PartLibrary::create(path("parts.lib"), error);
  ASSERT_NE(lib, nullptr) << error.text();
  for (std::uint16_t type : {401, 402, 403}) {
    auto part = PartRegistry::instance().create(type, false);
    part->PN = "LIB" + std::to_string(type);
    ASSERT_EQ(lib->add(*part), library::Outcome::Ok);
  }
  ASSERT_TRUE(lib->close());
  lib.reset();
  const ExportOutcome out = runExport(job(path("parts.lib"), path("parts.csv"), ExportLayout::Records), posixFileSystem(), ui);
  ASSERT_TRUE(out.ok());
  EXPECT_EQ(out.succeed, 3);
  const ReadTable t = readAll(InputFormat::CSV, path("parts.csv"));
  ASSERT_EQ(t.rows.size(), 4u);
  EXPECT_EQ(t.rows[0][0].text, "LIBRARY");
  EXPECT_EQ(t.rows[0][2].text, "3");
  EXPECT_EQ(t.rows[1][2].text, "LIB401");
  EXPECT_EQ(t.rows[1][14].text.size(), 10u);  // "%02d/%02d/%4d"
  EXPECT_EQ(t.rows[1][14].text[2], '/');
  EXPECT_EQ(t.rows[1][11].text, "");  // no detail lines
  EXPECT_EQ(t.rows[1][15].text, "");  // no results
}

// Cross-reference records (in cross-reference number order) with texts a
// CSV must quote, under a header of their own.
const std::vector<library::CXRef> kXRefs = {
    {"AB-100", "LIB401", "Title, one", "notes with \"quotes\"\nand a second line"},
    {"AB-200", "LIB401", "", ""},
    {"ZX9", "LIB403", "t", "n"},
};
const library::HeaderTexts kXRefHeader = {"Cross-references, \"main\"", "Notes title", "line one\nline two"};

std::string makeXRefFile(const std::string& file, const std::vector<library::CXRef>& records) {
  std::string started;
  EXPECT_TRUE(library::startStore(started)) << started;
  library::StoreMessage error;
  auto xrf = library::XRefFile::create(file, error);
  EXPECT_NE(xrf, nullptr) << error.text();
  if (!xrf) return file;
  EXPECT_TRUE(xrf->writeHeader(kXRefHeader));
  for (const library::CXRef& x : records) EXPECT_EQ(xrf->add(x), library::Outcome::Ok) << x.pn;
  EXPECT_TRUE(xrf->close());
  return file;
}

ExportCell t(std::string text) { return ExportCell::ofText(std::move(text)); }
ExportCell n(double v) { return ExportCell::real(v); }

TEST_F(ExportRun, CrossReferenceAndDefinitionRowsHoldEveryFieldOfTheirRecords) {
  const std::string xrf = makeXRefFile(path("parts.xrf"), kXRefs);
  CImportDoc def;
  def.header.description = "from the \"vendor\", list";
  def.header.fileType = static_cast<std::uint8_t>(OutputType::CrossReference);
  def.header.inputFormat = 1;
  def.header.skipFirst = 2;
  def.header.skipLast = 7;
  def.header.headerRecord = 1;
  def.header.separator = ";";
  def.find("XREF_PN")->fieldNumber = 3;
  CKwd& temp = *def.find("IC_TEMP");
  temp.fieldNumber = 12;
  temp.subStart = 2;
  temp.subLength = 5;
  temp.valueOption = 2;
  ASSERT_TRUE(saveDefinition(posixFileSystem(), def, path("vendor.imp")));

  std::vector<ExportRow> xrefRows = {{t("XREF"), n(99), n(3), t(kXRefHeader.description), t(kXRefHeader.notesTitle),
                                      t(kXRefHeader.notes)}};
  for (const library::CXRef& x : kXRefs) xrefRows.push_back({t(x.pn), t(x.libPn), t(x.notesTitle), t(x.notes)});
  std::vector<ExportRow> defRows = {{t("IMPORT"), n(50100), n(static_cast<double>(def.keywords.size())),
                                     t(def.header.description), t("Cross-Reference"), t("Build"), t("LibraryRecall"),
                                     t("CSV"), n(2), n(7), n(1), t(""), t(""), t(";")}};
  for (const CKwd& k : def.keywords) {
    defRows.push_back({t(k.name), t(std::string(kKeywordTypeNames[k.valueType])), n(k.fieldNumber), n(k.subStart),
                       n(k.subLength), t(k.name == "IC_TEMP" ? "TCASE" : "")});
  }
  struct Case {
    std::string input, output, pnFilter;
    std::vector<ExportRow> rows;
    long filterOut;
  };
  std::vector<ExportRow> filtered(xrefRows.begin(), xrefRows.begin() + 3);
  const Case cases[] = {
      {xrf, path("xref.csv"), "", xrefRows, 0},
      {xrf, path("xref-ab.csv"), "AB", filtered, 1},
      {path("vendor.imp"), path("vendor.csv"), "", defRows, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    ExportJob j = job(c.input, c.output, ExportLayout::Records);
    j.pnFilter = c.pnFilter;
    const ExportOutcome out = runExport(j, posixFileSystem(), ui);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.succeed, static_cast<long>(c.rows.size()) - 1);
    EXPECT_EQ(out.filterOut, c.filterOut);
    const ReadTable table = readAll(InputFormat::CSV, c.output);
    ASSERT_EQ(table.rows.size(), c.rows.size());
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
      ASSERT_GE(table.rows[r].size(), c.rows[r].size()) << "row " << r;
      for (std::size_t col = 0; col < c.rows[r].size(); ++col) {
        const ExportCell& want = c.rows[r][col];
        const std::string& got = table.rows[r][col].text;
        if (want.isNumber()) {
          EXPECT_EQ(got.empty() ? -1.0 : std::stod(got), want.number) << "row " << r << " column " << col;
        } else {
          EXPECT_EQ(got, want.text) << "row " << r << " column " << col;
        }
      }
    }
  }
}

TEST_F(ExportRun, CrossReferenceKeywordLayoutImportsBackToAnEqualFile) {
  const std::string xrf = makeXRefFile(path("parts.xrf"), kXRefs);
  const std::string table = path("xref-keywords.csv");
  ASSERT_TRUE(runExport(job(xrf, table, ExportLayout::Keywords), posixFileSystem(), ui).ok());
  ImportJob in;
  std::vector<std::string> ignored;
  ASSERT_TRUE(autoDefinition(table, InputFormat::CSV, OutputType::CrossReference, in.definition, ignored));
  EXPECT_TRUE(ignored.empty());
  in.inputs = {table};
  in.outputPath = path("back.xrf");
  ASSERT_TRUE(runImport(in, posixFileSystem(), ui).allOk());

  library::StoreMessage error;
  auto back = library::XRefFile::open(in.outputPath, false, error);
  ASSERT_NE(back, nullptr) << error.text();
  library::HeaderTexts texts;
  ASSERT_TRUE(back->readHeader(texts));
  EXPECT_EQ(texts.description, kXRefHeader.description);
  EXPECT_EQ(texts.notesTitle, kXRefHeader.notesTitle);
  EXPECT_EQ(texts.notes, kXRefHeader.notes);
  ASSERT_EQ(back->count(), static_cast<long>(kXRefs.size()));
  library::XRefEntry entry, next;
  ASSERT_EQ(back->first(entry), library::Outcome::Ok);
  for (std::size_t i = 0; i < kXRefs.size(); ++i) {
    SCOPED_TRACE(kXRefs[i].pn);
    EXPECT_EQ(entry.xref.pn, kXRefs[i].pn);
    EXPECT_EQ(entry.xref.libPn, kXRefs[i].libPn);
    EXPECT_EQ(entry.xref.notesTitle, kXRefs[i].notesTitle);
    EXPECT_EQ(entry.xref.notes, kXRefs[i].notes);
    const library::Outcome o = back->next(entry, next);
    ASSERT_EQ(o, i + 1 < kXRefs.size() ? library::Outcome::Ok : library::Outcome::End);
    entry = next;
  }
  EXPECT_TRUE(back->close());
}

TEST_F(ExportRun, EmptyAndDamagedCrossReferenceAndDefinitionFiles) {
  makeXRefFile(path("empty.xrf"), {});
  write("damaged.xrf", std::string(3000, 'x'));
  write("damaged.imp", "not a definition");
  struct Case {
    std::string input, line;
    bool fails;
  };
  const Case cases[] = {
      {path("empty.xrf"), "   ...zero records: skipping file...", false},
      {path("damaged.xrf"), "", true},
      {path("damaged.imp"), "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    ui.logLines.clear();
    ui.messages.clear();
    const std::string output = c.input + ".csv";
    const ExportOutcome out = runExport(job(c.input, output, ExportLayout::Records), posixFileSystem(), ui);
    EXPECT_EQ(out.failedFiles, c.fails ? 1 : 0);
    EXPECT_EQ(out.succeed, 0);
    EXPECT_FALSE(std::filesystem::exists(output));
    if (!c.line.empty()) {
      EXPECT_TRUE(logged(ui, c.line));
    }
  }
}

// Every writer's table opened by a real program (gnumeric's ssconvert for
// CSV, dBASE, worksheet and workbook files, the sqlite3 shell for database
// tables), turned back into CSV and compared cell by cell with the rows
// written: numbers keep their precision, texts their characters.

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

class TableWritersTest : public ExchangeTest, public ::testing::WithParamInterface<FormatCase> {};

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

  auto back = readBack(file, 9);
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
  // A dBASE record at the reader's 4000 bytes is written and read back; one byte more is refused by name.
  for (const std::size_t last : {189u, 190u}) {
    WriterOptions texts;
    texts.columns = 16;
    ExportRow row(15, ExportCell::ofText(std::string(254, 'x')));
    row.push_back(ExportCell::ofText(std::string(last, 'y')));
    const std::string file = path("record" + std::to_string(last) + ".dbf");
    ASSERT_TRUE(openTableWriter(OutputFormat::DBF, file, texts, posixFileSystem(), writer));
    ASSERT_TRUE(writer->writeRow(row));
    const Status s = writer->finish();
    if (last == 189u) {
      EXPECT_TRUE(s) << s.message();
      EXPECT_EQ(readAll(InputFormat::DBF, file).rows.at(0).at(15).text, std::string(last, 'y'));
    } else {
      EXPECT_EQ(s.message(), "'" + file + "': ...DBF: record len too large (4001/4000)...");
      EXPECT_FALSE(std::filesystem::exists(file));
    }
  }
}

TEST_F(ExchangeTest, WorksheetRefusesTheRowBeyondItsSixteenBitRowNumbers) {
  WriterOptions options;
  options.columns = 1;
  std::unique_ptr<TableWriter> writer;
  ASSERT_TRUE(openTableWriter(OutputFormat::WKS, path("rows.wks"), options, posixFileSystem(), writer));
  for (int i = 0; i < 65536; ++i) ASSERT_TRUE(writer->writeRow({ExportCell::integer(i)}));
  EXPECT_EQ(writer->writeRow({ExportCell::integer(0)}).message(), "...WKS: too many records (65537)...");
}

// Real failures from opening, reading and writing tables carry the code a
// caller decides on, whatever their messages say.
TEST_F(ExchangeTest, FailuresCarryTheCodeOfWhatHappened) {
  write("damaged.xls", "these bytes are no workbook");
  write("damaged.imp", "not a definition");
  write("damaged.lib", std::string(3000, 'x'));
  write("plain.csv", "name,value\n1,2\n");
  FaultyFileSystem fullDisk;
  fullDisk.failWriteAfter = 0;
  const auto openInput = [&](InputFormat format, const std::string& name) {
    std::unique_ptr<TableReader> reader;
    return openTableReader(format, path(name), {}, reader);
  };
  const auto writeTable = [&](FileSystem& fs, const std::string& file, std::size_t columns) {
    WriterOptions options;
    options.columns = columns;
    std::unique_ptr<TableWriter> writer;
    if (Status s = openTableWriter(OutputFormat::CSV, file, options, fs, writer); !s) return s;
    if (Status s = writer->writeRow({ExportCell::ofText("row")}); !s) return s;
    return writer->finish();
  };
  const auto library = [&](const std::string& name) {
    std::unique_ptr<RecordSource> source;
    return openLibrarySource(path(name), source);
  };
  const auto autoDefined = [&](const std::string& name) {
    CImportDoc doc;
    std::vector<std::string> ignored;
    return autoDefinition(path(name), InputFormat::CSV, OutputType::Circuit, doc, ignored);
  };
  struct Case {
    const char* what;
    std::function<Status()> run;
    StatusCode code;
  };
  const Case cases[] = {
      {"missing input table", [&] { return openInput(InputFormat::CSV, "none.csv"); }, StatusCode::NotFound},
      {"damaged workbook", [&] { return openInput(InputFormat::XLS, "damaged.xls"); }, StatusCode::Corrupt},
      {"missing library", [&] { return library("none.lib"); }, StatusCode::NotFound},
      {"damaged library", [&] { return library("damaged.lib"); }, StatusCode::Corrupt},
      {"damaged definition",
       [&] {
         CImportDoc doc;
         std::vector<std::string> warnings;
         return loadDefinition(posixFileSystem(), path("damaged.imp"), doc, warnings);
       },
       StatusCode::Corrupt},
      {"no keyword column", [&] { return autoDefined("plain.csv"); }, StatusCode::InvalidArgument},
      {"output folder missing", [&] { return writeTable(posixFileSystem(), path("no/such/out.csv"), 1); },
       StatusCode::NotFound},
      {"disk full", [&] { return writeTable(fullDisk, path("full.csv"), 1); }, StatusCode::Io},
      {"no columns", [&] { return writeTable(posixFileSystem(), path("none.csv"), 0); },
       StatusCode::InvalidArgument},
  };
  for (const Case& c : cases) {
    const Status s = c.run();
    EXPECT_EQ(s.code(), c.code) << c.what << ": " << s.message();
  }
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

// The part-number decoder: cases of each family it must decode, numbers it
// must refuse, and the records it builds through the part classes.
namespace kestrel::part_numbers {
namespace {

struct DecodeCase {
  const char* pn;
  Family family;
  const char* style;
  double value;
  char tolerance;
  char level;
  float ratedPower;
};

TEST(PartNumberDecoder, DecodesEachFamily) {
  const DecodeCase cases[] = {
      {"RNC55H1001FR", Family::Resistor, "RNC", 1000.0, 'F', 'R', 0.1f},
      {"rcr07g103js", Family::Resistor, "RCR", 10000.0, 'J', 'S', 0.25f},
      {"RLR07C4701FM", Family::Resistor, "RLR", 4700.0, 'F', 'M', 0.25f},
      {"RN55D1002F", Family::Resistor, "RN", 10000.0, 'F', 0, 0.1f},
      {"RWR81S1R00FR", Family::Resistor, "RWR", 1.0, 'F', 'R', 0.0f},
      {"RER60FR100M", Family::Resistor, "RER", 0.1, 0, 'M', 0.0f},
      {" RC20GF105J ", Family::Resistor, "RC", 1e6, 'J', 0, 0.5f},
      {"RJR24FW103R", Family::Potentiometer, "RJR", 10000.0, 0, 'R', 0.0f},
      {"RTR22DC502P", Family::Potentiometer, "RTR", 5000.0, 0, 'P', 0.0f},
      {"RV4NAYSD102A", Family::Potentiometer, "RV", 1000.0, 'A', 0, 0.0f},
      {"CKR05BX104KR", Family::Capacitor, "CKR", 100000.0, 'K', 'R', 0.0f},
      {"CSR13E106KB", Family::Capacitor, "CSR", 1e7, 'K', 'B', 0.0f},
      {"CK05BX470K", Family::Capacitor, "CK", 47.0, 'K', 0, 0.0f},
      {"CLR79B4R7MD", Family::Capacitor, "CLR", 4.7, 'M', 'D', 0.0f},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.pn);
    std::string why;
    const DecodedNumber d = decode(c.pn, &why);
    ASSERT_EQ(d.family, c.family) << why;
    EXPECT_EQ(d.style, c.style);
    EXPECT_NEAR(d.value, c.value, c.value * 1e-12);
    EXPECT_EQ(d.tolerance, c.tolerance);
    EXPECT_EQ(d.failureRateLevel, c.level);
    EXPECT_EQ(d.ratedPower, c.ratedPower);
  }
}

TEST(PartNumberDecoder, RefusesNumbersItCannotRead) {
  const char* refused[] = {
      "",                 // nothing
      "2N2222A",          // a transistor
      "M39003/01-2301",   // slash sheet
      "RNC55H1001F",      // established-reliability style without its level
      "RN55D1001FR",      // non-ER style with a failure-rate level
      "RNC55H1001FX",     // unknown level letter
      "RNC55H10",         // value code too short for the level
      "RNCH1001FR",       // no size
      "RNC551001FR",      // no characteristic (size runs into the value)
      "RNC55H1001FRRRRRRRRRRRRRRRRR",  // longer than a part number
      "CK05BX000K",       // no capacitance
      "RXR55H1001FR",     // no such style
      "RNC55H1R0R1FR",    // two decimal points
  };
  for (const char* pn : refused) {
    std::string why;
    EXPECT_EQ(decode(pn, &why).family, Family::None) << pn;
    EXPECT_FALSE(why.empty()) << pn;
  }
}

TEST(PartNumberDecoder, BuildsRecordsThroughThePartClasses) {
  registerAllParts();
  std::unique_ptr<CPart> part;
  ASSERT_TRUE(buildPart("rnc55h1001fr", false, part));
  auto* res = dynamic_cast<CResistor*>(part.get());
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->PN, "RNC55H1001FR");
  EXPECT_EQ(res->PART_TYPE, 401);
  EXPECT_EQ(kResistorStyles.text(res->TYPE), "RNR/RNC/RNN (PrecisionFilm,ER)");
  EXPECT_EQ(kResistorQualities.text(res->QU), "R (ER)");
  EXPECT_EQ(kResistanceUnits.text(res->RESUNIT), "Kohms");
  EXPECT_FLOAT_EQ(res->RES, 1.0f);
  EXPECT_FLOAT_EQ(res->PMAX, 0.1f);
  EXPECT_LE(res->PD, res->PMAX);

  ASSERT_TRUE(buildPart("RJR24FW103R", true, part));
  auto* pot = dynamic_cast<CPotentiometer*>(part.get());
  ASSERT_NE(pot, nullptr);
  EXPECT_EQ(pot->IS_HYBRID, 1);
  EXPECT_EQ(kPotentiometerStyles.text(pot->TYPE), "RJR (NonWirewound,ER)");
  EXPECT_FLOAT_EQ(pot->RES, 10.0f);

  ASSERT_TRUE(buildPart("CSR13E106KB", false, part));
  auto* cap = dynamic_cast<CCapacitor*>(part.get());
  ASSERT_NE(cap, nullptr);
  EXPECT_EQ(kCapacitorStyles.text(cap->TYPE), "CSR (Tantalum,ER)");
  EXPECT_EQ(kCapacitorQualities.text(cap->QU), "S,B (ER)");
  EXPECT_EQ(kCapacitanceUnits.text(cap->CAPUNIT), "uF");
  EXPECT_FLOAT_EQ(cap->CAP, 10.0f);

  const Status refused = buildPart("2N2222A", false, part);
  EXPECT_FALSE(refused);
  EXPECT_EQ(part, nullptr);
  // The largest value code still fits the record: 99 x 10^7 ohms.
  ASSERT_TRUE(buildPart("RC20GF997J", false, part));
  res = dynamic_cast<CResistor*>(part.get());
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(kResistanceUnits.text(res->RESUNIT), "Megohms");
  EXPECT_FLOAT_EQ(res->RES, 990.0f);
}

}  // namespace
}  // namespace kestrel::part_numbers
