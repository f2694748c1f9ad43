// Export runs over circuits, libraries, cross-reference files and import
// definitions: the record layout's rows, the keyword layout read back by
// import into records equal field by field (in every format), filters and
// counters, and failures that never count a record as exported.
#include <gtest/gtest.h>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "exchange/auto_definition.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/export/export_run.hpp"
#include "exchange/export/keyword_rows.hpp"
#include "exchange/import_run.hpp"
#include "exchange_fixture.hpp"
#include "models/register_all.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel::test {
namespace {

class LoggingUi final : public Ui {
 public:
  void message(std::string_view t) override { lines.emplace_back(t); }
  bool confirm(std::string_view) override { return true; }
  void progressLine(int, std::string_view) override {}
  void progressBar(int, int) override {}
  bool cancelRequested() override { return false; }
  void clearCancel() override {}
  void log(std::string_view line) override { lines.emplace_back(line); }
  bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
  std::vector<std::string> lines;
};

class ExportRun : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    registerAllParts();
  }
  // A calculated circuit holding one record of every part type but the sub-files.
  std::string makeCircuit(const std::string& name) {
    CCircDoc doc;
    int n = 0;
    for (const PartType& type : allPartTypes()) {
      if (type.id == kSubCircuitType || type.id == kSubHybridType) continue;
      auto part = PartRegistry::instance().create(type.id, false);
      if (!part) continue;
      ++n;
      part->PN = strprintfPn(n);
      part->REFDES = "U" + std::to_string(n);
      part->DESCR = "desc, with \"quotes\"";
      part->QTY = 2;
      part->CF = 1.25f;
      part->NOTES = "first line\nsecond line";
      doc.insertSorted(std::move(part));
    }
    EXPECT_GT(n, 30) << "every part class is registered";
    SilentUi ui;
    CalcContext context(ui);
    EXPECT_TRUE(doc.BasicCalc(context, 0, -1.0));
    const std::string file = path(name);
    EXPECT_TRUE(saveDocument(posixFileSystem(), doc, file));
    return file;
  }
  static std::string strprintfPn(int n) { return "PN" + std::to_string(1000 + n); }

  ExportJob job(const std::string& input, const std::string& output, ExportLayout layout) const {
    ExportJob j;
    j.inputs = {input};
    j.output = output;
    j.format = *outputFormatForPath(output);
    j.layout = layout;
    return j;
  }
  LoggingUi ui;
};

TEST_F(ExportRun, RecordLayoutWritesTheHeaderRowThenOneRowPerRecord) {
  const std::string cir = makeCircuit("board.cir");
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
  EXPECT_TRUE(ui.has(strprintf("   ...Succeed:%zu  FilterOut:0...", doc->count())));

  ExportJob filtered = job(cir, path("resistors.csv"), ExportLayout::Records);
  filtered.typeFilter = 401;
  const ExportOutcome f = runExport(filtered, posixFileSystem(), ui);
  EXPECT_EQ(f.succeed, 1);
  EXPECT_EQ(f.filterOut, static_cast<long>(doc->count()) - 1);
}

// Exports `cir` in the keyword layout (one part type when given), imports the
// table with a definition made from its first row, and compares every record.
void expectRoundTrip(ExportRun& t, const CCircDoc& original, const std::string& cir, const std::string& table,
                     std::optional<std::uint16_t> type, LoggingUi& ui) {
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
  const std::string cir = makeCircuit("parts.cir");
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

TEST_F(ExportRun, FailedOutputCountsEveryRecordAsFailedAndKeepsThePreviousFile) {
  const std::string cir = makeCircuit("board.cir");
  const std::string previous = write("board.csv", "old export\n");
  FaultyFileSystem faulty;
  faulty.failWriteAfter = 100;
  const ExportOutcome out = runExport(job(cir, previous, ExportLayout::Records), faulty, ui);
  EXPECT_FALSE(out.ok());
  EXPECT_EQ(out.succeed, 0);
  EXPECT_GT(out.failed, 0);
  EXPECT_EQ(out.failedFiles, 1);
  EXPECT_EQ(readBytes("board.csv"), "old export\n");
  EXPECT_TRUE(ui.has(strprintf("   ...Succeed:0  FilterOut:0  Failed:%ld...", out.failed)));
}

TEST_F(ExportRun, RefusedInputsAreLoggedByName) {
  const std::string cir = makeCircuit("same.cir");
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
    ui.lines.clear();
    const ExportOutcome out = runExport(job(c.input, c.output, ExportLayout::Records), posixFileSystem(), ui);
    EXPECT_EQ(out.failedFiles > 0, c.fails) << c.input;
    if (!c.line.empty()) {
      EXPECT_TRUE(ui.has(c.line)) << c.input;
    }
  }
  std::filesystem::create_hard_link(cir, path("alias.csv"));
  const std::string before = readBytes(cir);
  for (const std::string& output : {cir, path("alias.csv")}) {
    ExportJob same = job(cir, output, ExportLayout::Records);
    ui.lines.clear();
    EXPECT_FALSE(runExport(same, posixFileSystem(), ui).ok()) << output;
    EXPECT_TRUE(ui.has("   ...Error: can not have identical input/output filespecs.")) << output;
  }
  EXPECT_EQ(readBytes(cir), before);
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
    ui.lines.clear();
    const std::string output = c.input + ".csv";
    const ExportOutcome out = runExport(job(c.input, output, ExportLayout::Records), posixFileSystem(), ui);
    EXPECT_EQ(out.failedFiles, c.fails ? 1 : 0);
    EXPECT_EQ(out.succeed, 0);
    EXPECT_FALSE(std::filesystem::exists(output));
    if (!c.line.empty()) {
      EXPECT_TRUE(ui.has(c.line));
    }
  }
}

}  // namespace
}  // namespace kestrel::test
