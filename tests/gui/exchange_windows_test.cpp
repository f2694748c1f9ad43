// The Import and Export sheets and the import definition window driven as a
// user drives them, offscreen, against what `kestrel import`, `kestrel export`
// and `kestrel import-def` give for copies of the same inputs.
//
// The library and cross-reference windows the same way, against what
// `kestrel lib`, `kestrel xref`, `kestrel transfer`, `kestrel update` and
// `kestrel recall` give for the same inputs.
#include <QAction>
#include <QComboBox>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeView>
#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "core/registry.hpp"
#include "exchange/table_reader.hpp"
#include "gui/exchange/exchange_runs.hpp"
#include "gui/exchange/exchange_sheets.hpp"
#include "gui/exchange/import_definition_sheets.hpp"
#include "gui/exchange/import_definition_window.hpp"
#include "gui/exchange/import_preview.hpp"
#include <QTableWidget>
#include "core/circ_file.hpp"
#include "core/strfmt.hpp"
#include "core/whatif_command.hpp"
#include "exchange/import_run.hpp"
#include "gui/dialogs.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/library/library_window.hpp"
#include "gui/library/recall_browse_dialog.hpp"
#include "gui/library/recall_dialog.hpp"
#include "gui/library/transfer_sheets.hpp"
#include "gui/convert_dialog.hpp"
#include "gui/graph/chart_window.hpp"
#include "gui/library/xref_window.hpp"
#include "gui/part_detail_window.hpp"
#include "project/project_file.hpp"
#include "project/project_tree.hpp"
#include "project/tree_edits.hpp"
#include "store/library/transfer.hpp"
#include "gui/exchange/whatif_command.hpp"
#include "gui/exchange/whatif_sheet.hpp"
#include "desktop_fixture.hpp"
#include "support/pg_cluster.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

// Whether `file` still holds the bytes of the example of its name.
bool sameAsExample(const fs::path& file) {
  return test::readBytes(file) == test::readBytes(fs::path(KESTREL_EXAMPLES) / file.filename());
}

// A document as `kestrel show --json` prints it, without the line naming its
// path (copies in different folders compare equal); null when it can not.
nlohmann::json shownDocument(const std::string& path) {
  const test::RunResult run = test::runKestrel({"--no-log", "show", "--json", path});
  if (run.exitCode != 0) {
    qWarning("show '%s': %s", path.c_str(), run.err.c_str());
    return {};
  }
  nlohmann::json doc = nlohmann::json::parse(run.out);
  doc.erase("file");
  return doc;
}

// The mapping of the test definitions: the columns of a keyword-layout export.
const std::vector<std::string> kMappings = {"PART_TYPE=18", "PN=20",       "REFDES=22",      "DESCR=23",
                                            "QTY=25",       "RES_TYPE=38", "RES_RES=39",     "RES_RESUNIT=40",
                                            "MISC_METHOD=47", "MISC_BASEFR=48"};

}  // namespace

class ExchangeWindowsTest final : public QObject, test::DesktopFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void importAsCommandLine_data();
  void importAsCommandLine();
  void importCancelledWritesNothing();
  void exportAsCommandLine_data();
  void exportAsCommandLine();
  void sheetsKeepTheirSettings();
  void spreadsheetRoundTripThroughTheSheets();
  void billOfMaterialsReviewedBeforeItIsBuilt();
  void definitionEditedAsCommandLine();
  void damagedDefinitionOpensNothing_data();
  void damagedDefinitionOpensNothing();
  void editedDefinitionImportsAsShownAndAsksOnClose();

  void recallMatchesCommandLine_data();
  void recallMatchesCommandLine();
  void refusalsAddNothing_data();
  void refusalsAddNothing();
  void browseOkNeedsSelection();
  void settingsKept();
  void listMatchesCommandLine_data();
  void listMatchesCommandLine();
  void findByPnFromTopAndCurrent_data();
  void findByPnFromTopAndCurrent();
  void addEditDeleteAsCommandLine();
  void lockedRecordRefusedAndUnchanged_data();
  void lockedRecordRefusedAndUnchanged();
  void xrefWindowListsFindsAndPastes();
  void transferAndUpdateAsCommandLine();
  void hugeLibraryReadsOnlyWhatIsShown();
  void refusedMergesChangeNothing_data();
  void refusedMergesChangeNothing();
  void progressWindowLogIsBoundedAndSaysSo();
  void batchJobsKeepWhatTheWindowHolds_data();
  void batchJobsKeepWhatTheWindowHolds();
  void recoverLibraryKeepsEveryIntactRecord();
  void libraryConvertLocksUntilTheSheetCloses();
  void mergeFromLibraryMenu_data();
  void mergeFromLibraryMenu();
  void detailShowsTheSelectedRecord();
  void menusFollowTheWindowInFront();

  void sheetRunEqualsCommandLine_data();
  void sheetRunEqualsCommandLine();
  void runsThatChangeNothing_data();
  void runsThatChangeNothing();
  void previewChangesNothingAndShowsTotals();
 private:
  std::string makeDefinition(const std::string& name, const std::string& format, const std::string& skip);
  std::string makeTable(const std::string& name);
  std::unique_ptr<ImportDefinitionWindow> openDefinition(const std::string& file);
  // Scripts Add (mode recall), the recall dialog with `job`, the browse
  // dialog picking `browseRow` when it is not negative, and the property
  // sheet accepted; then Add is cancelled.
  void scriptRecall(const RecallJob& job, int browseRow);
  std::string lib_, xref_;
  std::unique_ptr<LibraryWindow> openLibrary(const std::string& path);
  // Runs row `job` of batchJobs() the desktop's way on the files of `folder`.
  void runOnWindows(std::size_t job, const fs::path& folder);
  test::RunResult runCli(const std::vector<std::string>& args, const fs::path& folder);

  // The sheet gets `script`; the confirmation is answered `confirmOk`.
  void scriptDialogs(const QString& script, bool confirmOk);

  std::string confirmation_;
  std::string totals_;  // the last before/after totals shown
  bool preview_ = false;  // the confirmation's Preview is pressed first
  int sheets_ = 0;
};

void ExchangeWindowsTest::cleanup() { closeWindows(); }

void ExchangeWindowsTest::initTestCase() {
  QVERIFY(setUp(true));
  lib_ = copyExample("parts.lib");
  xref_ = copyExample("parts.xrf");
}


std::string ExchangeWindowsTest::makeDefinition(const std::string& name, const std::string& format,
                                                const std::string& skip) {
  const std::string def = path(name);
  std::vector<std::string> args = {"import-def", "new", def, "--type", "Circuit", "--mode", "Build",
                                   "--record-mode", "BuildFromScratch", "--format", format, "--skip", skip};
  args.insert(args.end(), kMappings.begin(), kMappings.end());
  const test::RunResult run = test::runKestrel(args);
  if (run.exitCode != 0) qWarning("import-def: %s", run.err.c_str());
  return def;
}

// A table of the example board's records, one field keyword per column.
std::string ExchangeWindowsTest::makeTable(const std::string& name) {
  const std::string table = path(name);
  fs::create_directories(fs::path(table).parent_path());
  const test::RunResult run = test::runKestrel(
      {"--yes", "--no-log", "export", std::string(KESTREL_EXAMPLES) + "/io_board.cir", "-o", table, "--layout", "keywords"});
  if (run.exitCode != 0) qWarning("export: %s", run.err.c_str());
  return table;
}

void ExchangeWindowsTest::importAsCommandLine_data() {
  QTest::addColumn<QString>("format");
  QTest::addColumn<QString>("extension");
  QTest::addColumn<QString>("skip");
  QTest::newRow("CSV, first row skipped") << "CSV" << "csv" << "1-1";
  QTest::newRow("workbook") << "XLS" << "xlsx" << "0";
}

void ExchangeWindowsTest::importAsCommandLine() {
  QFETCH(QString, format);
  QFETCH(QString, extension);
  QFETCH(QString, skip);
  const std::string ext = extension.toStdString();
  const std::string def = makeDefinition("import-" + ext + ".imp", format.toStdString(), skip.toStdString());
  for (const char* side : {"gui", "cli"}) {
    makeTable(std::string("in-") + ext + "-" + side + "/board." + ext);
    makeTable(std::string("in-") + ext + "-" + side + "/bench." + ext);
    fs::create_directories(path(std::string("out-") + ext + "-" + side));
  }
  ImportSheetOptions o;
  o.definitionPath = def;
  o.dataSpec = path("in-" + ext + "-gui/b*." + ext);
  o.outputDir = path("out-" + ext + "-gui");
  scriptAccept<ImportSheet>([o](ImportSheet& sheet) { sheet.setOptions(o); });
  QVERIFY(importThroughSheet(context(), nullptr));
  QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.back().c_str());
  QCOMPARE(ui.questions.size(), std::size_t{1});
  ImportJob shown;
  std::vector<std::string> warnings;
  QVERIFY(loadDefinition(posixFileSystem(), def, shown.definition, warnings));
  shown.definitionPath = def;
  shown.inputs = {o.dataSpec};
  shown.outputDir = o.outputDir;
  std::string expected;
  for (const std::string& line : importConfirmation(shown)) expected += (expected.empty() ? "" : "\n") + line;
  QCOMPARE(ui.questions[0], expected);

  const test::RunResult cli = test::runKestrel({"--yes", "--no-log", "import", def,
                                                path("in-" + ext + "-cli/b*." + ext), "-o", path("out-" + ext + "-cli")});
  QCOMPARE(cli.exitCode, 0);
  for (const char* base : {"board.cir", "bench.cir"}) {
    const nlohmann::json built = shownDocument(path("out-" + ext + "-gui/" + base));
    QVERIFY(!built.is_null());
    QVERIFY2(built["records"].size() >= 2, base);  // the rows came through, not only the file
    QCOMPARE(built.dump(1), shownDocument(path("out-" + ext + "-cli/" + base)).dump(1));
  }
  // The window's log carries the command line's per-file result lines.
  for (std::string line : test::splitLines(cli.out)) {
    for (std::size_t at; (at = line.find("-cli/")) != std::string::npos;) line.replace(at, 5, "-gui/");
    QVERIFY2(std::find(ui.logLines.begin(), ui.logLines.end(), line) != ui.logLines.end(), line.c_str());
  }
}

void ExchangeWindowsTest::importCancelledWritesNothing() {
  const std::string def = makeDefinition("cancel.imp", "CSV", "1-1");
  // Cancel is looked at between blocks of records: a table long enough for one.
  fs::create_directories(path("cancel"));
  const std::string table = path("cancel/board.csv");
  {
    std::ofstream out(table);
    out << "first row skipped\n";
    for (int i = 1; i <= 600; ++i) {
      for (int f = 1; f <= 25; ++f) {
        out << (f == 18 ? "Resistor" : f == 20 || f == 22 ? "R" + std::to_string(i) : f == 25 ? "1" : "")
            << (f < 25 ? "," : "\n");
      }
    }
  }
  ImportSheetOptions o;
  o.definitionPath = def;
  o.dataSpec = table;
  scriptAccept<ImportSheet>([o](ImportSheet& sheet) { sheet.setOptions(o); });
  ui.cancel = true;  // Cancel clicked in the progress window before the first record
  ui.answers = {true, true};  // the confirmation, then "Cancel import?"
  QVERIFY(!importThroughSheet(context(), nullptr));
  QCOMPARE(ui.questions.back(), std::string("Cancel import?"));
  QVERIFY(!fs::exists(path("cancel/board.cir")));
}

void ExchangeWindowsTest::exportAsCommandLine_data() {
  QTest::addColumn<int>("format");
  QTest::addColumn<QString>("extension");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("pn");
  QTest::newRow("CSV, every record") << static_cast<int>(OutputFormat::CSV) << ".csv" << "" << "";
  QTest::newRow("dBASE, resistors only") << static_cast<int>(OutputFormat::DBF) << ".dbf" << "Resistor" << "";
  QTest::newRow("worksheet, PN filter") << static_cast<int>(OutputFormat::WKS) << ".wks" << "" << "R";
}

void ExchangeWindowsTest::exportAsCommandLine() {
  QFETCH(int, format);
  QFETCH(QString, extension);
  QFETCH(QString, type);
  QFETCH(QString, pn);
  const std::string ext = extension.toStdString();
  for (const char* side : {"gui", "cli"}) {
    for (const char* name : {"io_board.cir", "power_supply.cir"}) copyExample(name, "exp" + ext + "-" + side + "/" + name);
    fs::create_directories(path(std::string("exp") + ext + "-" + side + "-out"));
  }
  ExportSheetOptions o;
  o.inputSpec = path("exp" + ext + "-gui/*.cir");
  o.outputDir = path("exp" + ext + "-gui-out");
  o.format = static_cast<OutputFormat>(format);
  if (!type.isEmpty()) {
    const PartType* t = resolvePartType(type.toStdString());
    QVERIFY(t != nullptr);
    o.typeOn = true;
    o.partType = t->id;
  }
  o.pnFilter = pn.toStdString();
  scriptAccept<ExportSheet>([o](ExportSheet& sheet) { sheet.setOptions(o); });
  QVERIFY(exportThroughSheet(context(), nullptr));
  QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.back().c_str());
  QCOMPARE(ui.questions.size(), std::size_t{1});

  std::vector<std::string> args = {"--yes", "--no-log", "export", path("exp" + ext + "-cli/io_board.cir"),
                                   path("exp" + ext + "-cli/power_supply.cir"), "-o",
                                   path("exp" + ext + "-cli-out/io_board" + ext)};
  if (!type.isEmpty()) args.insert(args.end(), {"--type", type.toStdString()});
  if (!pn.isEmpty()) args.insert(args.end(), {"--pn", pn.toStdString()});
  const test::RunResult cli = test::runKestrel(args);
  QCOMPARE(cli.exitCode, 0);
  for (const char* base : {"io_board", "power_supply"}) {
    const std::string built = test::readBytes(path("exp" + ext + "-gui-out/" + base + ext));
    QVERIFY(!built.empty());
    QVERIFY2(built == test::readBytes(path("exp" + ext + "-cli-out/" + base + ext)), base);
  }
  const std::string last = test::splitLines(cli.out).back();
  // The window's log ends with the command line's totals (before the log's closing lines).
  QVERIFY2(std::find(ui.logLines.begin(), ui.logLines.end(), last) != ui.logLines.end(), last.c_str());
}

void ExchangeWindowsTest::sheetsKeepTheirSettings() {
  // Every field away from its default.
  const ImportSheetOptions in{.readBy = ImportReadBy::ColumnHeaders, .definitionPath = path("kept.imp"), .dataSpec = path("kept/*.csv"),
                              .outputDir = path("kept-out"), .libraryPath = path("kept.lib"), .searchXRef = true,
                              .xrefPath = path("kept.xrf"), .xrefMoveBoth = true, .overrideTranslate = false,
                              .translateCode = {}};
  const ExportSheetOptions ex{.inputSpec = path("kept/*.hyb"), .outputDir = path("kept-out"),
                              .format = OutputFormat::MDB, .layout = ExportLayout::Keywords, .typeOn = true,
                              .partType = allPartTypes().front().id, .pnFilter = "RN"};
  scriptAccept<ImportSheet>([in](ImportSheet& sheet) { sheet.setOptions(in); });
  scriptAccept<ExportSheet>([ex](ExportSheet& sheet) { sheet.setOptions(ex); });
  importThroughSheet(context(), nullptr);  // the definition does not exist: the run stops with its message
  exportThroughSheet(context(), nullptr);
  // A new session reads what the last one kept.
  std::vector<std::string> warnings;
  const Settings reread = Settings::load(posixFileSystem(), path("217F2.INI"), warnings);
  QCOMPARE(loadImportOptions(reread), in);
  QCOMPARE(loadExportOptions(reread), ex);
  ImportSheet importSheet(context());
  ExportSheet exportSheet(context());
  importSheet.accept();
  exportSheet.accept();
  QCOMPARE(importSheet.options(), in);
  QCOMPARE(exportSheet.options(), ex);
}

// Export in the keyword layout, import it back by column headers after the
// preview: the circuit exported again gives the same table.
void ExchangeWindowsTest::spreadsheetRoundTripThroughTheSheets() {
  copyExample("io_board.cir", "trip/io_board.cir");
  fs::create_directories(path("trip-out"));
  fs::create_directories(path("trip-back"));
  ExportSheetOptions ex;
  ex.inputSpec = path("trip/io_board.cir");
  ex.outputDir = path("trip-out");
  ex.layout = ExportLayout::Keywords;
  scriptAccept<ExportSheet>([ex](ExportSheet& sheet) { sheet.setOptions(ex); });
  QVERIFY(exportThroughSheet(context(), nullptr));
  const std::string table = path("trip-out/io_board.csv");
  ImportSheetOptions in;
  in.readBy = ImportReadBy::ColumnHeaders;
  in.dataSpec = table;
  in.outputDir = path("trip-back");
  scriptAccept<ImportSheet>([in](ImportSheet& sheet) { sheet.setOptions(in); });
  QStringList shown;
  int dataRows = 0;
  scriptAccept<ImportPreviewDialog>([&](ImportPreviewDialog& d) {
    for (int c = 0; c < d.mapping()->columnCount(); ++c) {
      shown << d.mapping()->horizontalHeaderItem(c)->text() + " " + d.mapping()->item(0, c)->text();
    }
    dataRows = d.mapping()->rowCount() - 1;
  });
  QVERIFY2(importThroughSheet(context(), nullptr), lastMessage().c_str());
  QVERIFY(shown.contains("PART_TYPE -> PART_TYPE"));
  QVERIFY(shown.contains("RES_RES -> RES_RES"));
  QCOMPARE(dataRows, 3);  // the board's three records under the keyword row (at most eight are shown)
  fs::create_directories(path("trip-again"));
  const test::RunResult again = test::runKestrel({"--yes", "--no-log", "export", path("trip-back/io_board.cir"),
                                                  "--layout", "keywords", "-o", path("trip-again/io_board.csv")});
  QCOMPARE(again.exitCode, 0);
  QVERIFY(test::readBytes(path("trip-again/io_board.csv")) == test::readBytes(table));
}

// The review of a bill of materials shows the mapping and each row's class;
// declining it builds nothing, accepting builds the circuit.
void ExchangeWindowsTest::billOfMaterialsReviewedBeforeItIsBuilt() {
  fs::create_directories(path("bom"));
  {
    std::ofstream out(path("bom/board.csv"));
    out << "Reference,Value,Qty,MPN\n\"R1,R2\",4k7,2,RC0603\nC1,100nF,1,GRM188\nTP1,,1,\n";
  }
  ImportSheetOptions in;
  in.readBy = ImportReadBy::BillOfMaterials;
  in.dataSpec = path("bom/board.csv");
  for (const bool accepted : {false, true}) {
    scriptAccept<ImportSheet>([in](ImportSheet& sheet) { sheet.setOptions(in); });
    QStringList rows;
    script([&rows, accepted](QDialog& dialog) {
      auto* d = dynamic_cast<ImportPreviewDialog*>(&dialog);
      if (d == nullptr) return static_cast<int>(QDialog::Rejected);
      for (int r = 0; r < d->rows()->rowCount(); ++r) {
        rows << d->rows()->item(r, 1)->text() + " " + d->rows()->item(r, 3)->text() + " " + d->rows()->item(r, 5)->text();
      }
      return static_cast<int>(accepted ? QDialog::Accepted : QDialog::Rejected);
    });
    QCOMPARE(importThroughSheet(context(), nullptr), accepted);
    QCOMPARE(rows, QStringList({"R1,R2 Resistor 4700 ohms", "C1 Capacitor 0.1 uF", "TP1 Miscellaneous "}));
    QCOMPARE(fs::exists(path("bom/board.cir")), accepted);
  }
  QVERIFY(std::find(ui.logLines.begin(), ui.logLines.end(),
                    "  row 4: 'TP1': no part class for the letters 'TP': imported as a miscellaneous part") !=
          ui.logLines.end());
  // A definition's field mapping offers the columns of the input last imported by name.
  auto w = openDefinition({});
  QStringList columns;
  scriptAccept<DefinitionKeywordSheet>([&columns](DefinitionKeywordSheet& sheet) {
    auto* box = sheet.findChild<QComboBox*>("inputColumn");
    for (int i = 0; box != nullptr && i < box->count(); ++i) columns << box->itemText(i);
    if (box != nullptr) box->activated(4);
  });
  w->selectRow(0);
  w->editKeyword();
  QCOMPARE(columns, QStringList({"(none)", "1: Reference", "2: Value", "3: Qty", "4: MPN"}));
  QCOMPARE(w->definition().keywords[0].fieldNumber, 4.0f);
}

std::unique_ptr<ImportDefinitionWindow> ExchangeWindowsTest::openDefinition(const std::string& file) {
  return owned(file.empty() ? ImportDefinitionWindow::create(context()) : ImportDefinitionWindow::open(file, context()));
}

void ExchangeWindowsTest::definitionEditedAsCommandLine() {
  auto w = openDefinition({});
  QVERIFY(w);
  CImportHeader h;
  h.fileType = static_cast<std::uint8_t>(OutputType::Hybrid);
  h.fileMode = static_cast<std::uint8_t>(OutputMode::Update);
  h.recordMode = static_cast<std::uint8_t>(RecordMode::BuildFromScratch);
  h.inputFormat = static_cast<std::uint8_t>(InputFormat::DBF);
  h.skipFirst = 2;
  h.skipLast = 4;
  h.headerRecord = 1;
  h.description = "Bench rack";
  h.translateCode = "X31217F1";
  scriptAccept<DefinitionHeaderSheet>([h](DefinitionHeaderSheet& sheet) { sheet.setHeader(h); });
  w->editHeader();
  // The keyword found by part of its name, lower case, then mapped to a subfield.
  scriptAccept<DefinitionFindSheet>([](DefinitionFindSheet& sheet) { sheet.setSearch("efde", false); });
  w->find();
  QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.back().c_str());
  QVERIFY(w->selectedRow());
  QCOMPARE(w->definition().keywords[static_cast<std::size_t>(*w->selectedRow())].name, std::string("REFDES"));
  auto mapSelected = [this, &w](float field, float start, float length, std::uint8_t option) {
    scriptAccept<DefinitionKeywordSheet>([=](DefinitionKeywordSheet& sheet) {
      sheet.setMapping(field, start, length, option);
    });
    w->editKeyword();
  };
  mapSelected(3, 2, 5, 0);
  // A keyword with value-type options, mapped with its second option.
  std::size_t optioned = 0;
  while (optioned < w->definition().keywords.size() && optionNames(w->definition().keywords[optioned].name).size() < 3) {
    ++optioned;
  }
  QVERIFY(optioned < w->definition().keywords.size());
  const std::string optionedName = w->definition().keywords[optioned].name;
  w->selectRow(static_cast<int>(optioned));
  mapSelected(7, 0, 0, 2);
  QVERIFY(w->modified());

  chosenFile = path("edited");
  QVERIFY(w->save());  // a new definition saves through Save As; ".imp" is added
  QCOMPARE(w->path(), path("edited.imp"));
  QVERIFY(!w->modified());
  const std::string cliFile = path("edited-cli.imp");
  const test::RunResult cli = test::runKestrel(
      {"import-def", "new", cliFile, "--type", "Hybrid", "--mode", "Update", "--record-mode", "BuildFromScratch",
       "--format", "DBF", "--skip", "2-4", "--header-rec", "1", "--description", "Bench rack", "--translate",
       "X31217F1", "REFDES=3:2:5", optionedName + "=7@" + std::string(optionNames(optionedName)[2])});
  QCOMPARE(cli.exitCode, 0);
  QVERIFY(test::readBytes(path("edited.imp")) == test::readBytes(cliFile));
  // The window lists what `import-def show --all` prints.
  const test::RunResult shown = test::runKestrel({"import-def", "show", cliFile, "--all"});
  std::vector<std::string> lines = w->headerLines();
  for (const std::string& line : w->keywordLines()) lines.push_back(line);
  QCOMPARE(lines, test::splitLines(shown.out));
}

void ExchangeWindowsTest::damagedDefinitionOpensNothing_data() {
  QTest::addColumn<QString>("damage");
  QTest::newRow("cut short") << "short";
  QTest::newRow("a circuit named .imp") << "kind";
}

void ExchangeWindowsTest::damagedDefinitionOpensNothing() {
  QFETCH(QString, damage);
  const std::string good = makeDefinition("good-" + damage.toStdString() + ".imp", "CSV", "0");
  std::string bytes = test::readBytes(good);
  if (damage == "short") bytes.resize(bytes.size() / 2);
  if (damage == "kind") bytes = test::readBytes(std::string(KESTREL_EXAMPLES) + "/io_board.cir");
  const std::string bad = path("bad-" + damage.toStdString() + ".imp");
  std::ofstream(bad, std::ios::binary) << bytes;
  QVERIFY(!openDefinition(bad));
  const test::RunResult cli = test::runKestrel({"import-def", "show", bad});
  QVERIFY(cli.exitCode != 0);
  QCOMPARE(ui.messages.size(), std::size_t{1});
  QCOMPARE("kestrel: " + ui.messages[0] + "\n", cli.err);
  if (damage == "kind") QVERIFY(ui.messages[0].find("Unexpected file format...\n...not Import.") != std::string::npos);
}

// An edited definition: Import runs it as the window shows it, before it is
// saved; closing asks to save it: Cancel keeps the window, Save writes it.
void ExchangeWindowsTest::editedDefinitionImportsAsShownAndAsksOnClose() {
  const std::string file = makeDefinition("shown.imp", "CSV", "1-1");
  auto w = openDefinition(file);
  QVERIFY(w);
  QVERIFY(w->mayClose());  // unchanged: no question
  QVERIFY(saveQuestions.empty());
  CImportHeader h = w->definition().header;
  h.description = "Not saved yet";
  scriptAccept<DefinitionHeaderSheet>([h](DefinitionHeaderSheet& sheet) { sheet.setHeader(h); });
  w->editHeader();
  // The sheet comes preset with the window's file; OK as it is, then No to the confirmation.
  script([&file](QDialog& d) {
    auto* sheet = dynamic_cast<ImportSheet*>(&d);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    sheet->accept();
    return sheet->options().definitionPath == file ? sheet->result() : static_cast<int>(QDialog::Rejected);
  });
  ui.answers = {false};
  QVERIFY(!importThroughSheet(context(), nullptr, OpenDefinition{w->path(), &w->definition()}));
  QCOMPARE(ui.questions.size(), std::size_t{1});
  QVERIFY2(ui.questions[0].find("- Description: 'Not saved yet'") != std::string::npos, ui.questions[0].c_str());
  QVERIFY(ui.logLines.empty());  // No: nothing ran

  saveAnswers = {SaveAnswer::Cancel};
  QVERIFY(!w->mayClose());
  QVERIFY(w->modified());
  // The frame asks at exit as well, and stays open on Cancel.
  QMdiSubWindow* sub = frame->addChildWindow(w.get());
  saveAnswers = {SaveAnswer::Cancel};
  QVERIFY(!frame->close());
  saveAnswers = {SaveAnswer::Save};
  QVERIFY(w->mayClose());
  sub->setWidget(nullptr);
  QCOMPARE(saveQuestions, (std::vector<std::string>{"SHOWN.IMP", "SHOWN.IMP", "SHOWN.IMP"}));
  auto reopened = openDefinition(file);
  QVERIFY(reopened);
  QCOMPARE(reopened->definition().header.description, std::string("Not saved yet"));
}

// ---- Merge and batch jobs ----
// Merge driven through the frame's "Activities" menu, offscreen: the file
// chooser and the question are answered by a script. A merge through the
// window must write the same file as `kestrel merge` on a copy of the same
// files; refused merges leave the document and every file as they were.
// Every batch job run on a file open in a window (with an edit not yet
// saved) must change the window's document, never the file behind it: once
// the window is saved, the file is what the command line's job makes of a
// copy holding the same edit.

namespace {

bool anyLineHas(const test::RecordingUi& ui, const std::string& text) {
  for (const auto& history : ui.lineHistory) {
    for (const std::string& line : history) {
      if (line.find(text) != std::string::npos) return true;
    }
  }
  return false;
}

// The unsaved edit every opened circuit gets: a resistor the library holds
// (an update with --cf takes the library's correction factor) and one it
// does not (a transfer adds it).
void addUnsavedParts(CCircDoc& doc, Ui& ui) {
  for (const char* pn : {"RNC55H0438", "UNSAVED-1"}) {
    auto part = PartRegistry::instance().create(401, false);
    part->PN = pn;
    part->QTY = 3.0f;
    part->CF = 2.0f;
    doc.addRecord(std::move(part), ui);
  }
}

// A batch job of the table: what it is given and what it must leave.
struct BatchJob {
  const char* name;
  std::vector<std::string> open;     // opened in windows, in this order, each with the unsaved edit
  std::vector<std::string> cli;      // the job on the copy (none: the window refuses the job)
  std::vector<std::string> compare;  // files that must match the copy's
  std::vector<std::string> query;    // a command line whose output must match too
  std::string logLine;               // a line the run must log ("{}" = the folder)
};

std::vector<std::string> filled(const std::vector<std::string>& args, const fs::path& folder) {
  std::vector<std::string> out;
  for (std::string a : args) {
    if (const auto at = a.find("{}"); at != std::string::npos) a.replace(at, 2, folder.string());
    out.push_back(a);
  }
  return out;
}

std::size_t nodeOf(const ProjectTree& tree, const std::string& file) {
  for (std::size_t i = 0; i < tree.size(); ++i) {
    if (tree.node(i).isDocument() && fs::path(tree.node(i).file).filename() == file) return i;
  }
  return tree.size();
}

const std::vector<BatchJob>& batchJobs() {
  static const std::vector<BatchJob> jobs = {
      {"library update", {"io_board.cir"}, {"update", "--cf", "{}/io_board.cir", "{}/parts.lib"}, {"io_board.cir"}, {},
       "   ...WARNING: '{}/io_board.cir' is open and has been modified..."},
      {"transfer", {"controller.cir"}, {"transfer", "{}/controller.cir", "{}/parts.lib"}, {"controller.cir"},
       {"lib", "find", "{}/parts.lib", "UNSAVED"}, ""},
      {"recall", {"io_board.cir"}, {"recall", "{}/io_board.cir", "{}/parts.lib", "RNC55H0438"}, {"io_board.cir"},
       {}, ""},
      {"import update", {"io_board.cir"}, {}, {"io_board.cir"}, {}, "   ...Error: can not import to open document."},
      {"project add", {"system.cir"}, {"project", "add", "{}/system.prj", "system.cir", "new_board.cir"},
       {"system.cir", "new_board.cir"}, {}, ""},
      {"project remove", {"system.cir"}, {"project", "remove", "{}/system.prj", "controller.cir"}, {"system.cir"}, {},
       ""},
      {"project move", {"io_board.cir"}, {"project", "move", "{}/system.prj", "rf_module.hyb", "controller.cir"},
       {"io_board.cir", "controller.cir"}, {}, ""},
      {"what-if", {"power_supply.cir", "system.cir"}, {"whatif", "--env", "ML", "{}/system.cir"},
       {"system.cir", "controller.cir", "io_board.cir", "power_supply.cir", "rf_module.hyb"}, {}, ""},
      {"merge", {"controller.cir", "io_board.cir"}, {"merge", "{}/controller.cir", "{}/io_board.cir"},
       {"io_board.cir", "controller.cir"}, {}, ""},
  };
  return jobs;
}

}  // namespace






void ExchangeWindowsTest::refusedMergesChangeNothing_data() {
  QTest::addColumn<QString>("source");
  QTest::addColumn<bool>("answer");
  QTest::addColumn<QString>("error");
  QTest::newRow("into itself") << "controller.cir" << true << "...Error: self-reference.";
  QTest::newRow("a hybrid into a circuit") << "rf_module.hyb" << true << "...Error: unexpected file format.";
  QTest::newRow("a missing file") << "absent.cir" << true << "...Error: can not open.";
  QTest::newRow("question answered No") << "io_board.cir" << false << "";
  QTest::newRow("chooser cancelled") << "" << true << "";
}

void ExchangeWindowsTest::refusedMergesChangeNothing() {
  QFETCH(QString, source);
  QFETCH(bool, answer);
  QFETCH(QString, error);
  const fs::path folder = freshExamples("refused");
  CircuitWindow* w = frame->openFile((folder / "controller.cir").string()) ? frame->activeCircuit() : nullptr;
  QVERIFY(w != nullptr);
  const std::size_t before = w->document().count();
  if (!source.isEmpty()) chosenFiles.push_back((folder / source.toStdString()).string());
  ui.answers.push_back(answer);
  QVERIFY(trigger("Activities", "&Merge..."));
  QCOMPARE(w->document().count(), before);
  QVERIFY(!w->document().isModified());
  if (!error.isEmpty()) QVERIFY2(anyLineHas(ui, error.toStdString()), qPrintable(error));
  for (const auto& entry : fs::directory_iterator(folder)) {
    QVERIFY2(sameAsExample(entry.path()), entry.path().filename().string().c_str());
  }
}

// The window a merge (and every batch job) shows its log in keeps a bounded
// text: a long log clears it, and the end of the job says how often.
void ExchangeWindowsTest::progressWindowLogIsBoundedAndSaysSo() {
  ProgressWindow window(nullptr);
  window.restart("Merge");
  for (int i = 0; i < 7000; ++i) window.appendLog(QString("   ...line %1").arg(i, 5, 10, QChar('0')));
  window.finish();
  const QString text = window.logText();
  QVERIFY(text.size() < 60000);
  QVERIFY(text.contains("   ...line 06999"));
  QVERIFY(!text.contains("   ...line 00000"));
  QVERIFY(text.contains("NOTE: the log window text buffer filled up and\nthe log window was reset 1 time(s)...\n"
                        "...see the log file for entire log message listing."));
  window.restart("Again");
  window.appendLog("one");
  window.finish();
  QCOMPARE(window.logText(), QString("one"));
}

test::RunResult ExchangeWindowsTest::runCli(const std::vector<std::string>& args, const fs::path& folder) {
  return kestrel(filled(args, folder));
}

void ExchangeWindowsTest::runOnWindows(std::size_t job, const fs::path& folder) {
  OpenDocuments& table = *frame->context().openDocuments;
  FileSystem& files = posixFileSystem();
  const std::string name = batchJobs()[job].name;
  const std::string ioBoard = (folder / "io_board.cir").string();
  if (name == "library update" || name == "transfer") {
    library::StoreMessage error;
    auto lib = library::PartLibrary::open((folder / "parts.lib").string(), true, error);
    QVERIFY(lib != nullptr);
    if (name == "transfer") {
      library::TransferOptions o;
      o.inputSpec = (folder / "controller.cir").string();
      QVERIFY(library::runTransfer(*lib, o, files, ui, table).total.succeed > 0);
    } else {
      library::UpdateOptions o;
      o.inputSpec = ioBoard;
      o.correctionFactor = true;
      QCOMPARE(library::runUpdate(*lib, o, files, ui, table).total.updated, 1L);
    }
    QVERIFY(lib->close());
  } else if (name == "recall") {
    const library::RecallRequest request{"RNC55H0438", ""};
    library::RecallCounters counters;
    library::RecallSettings settings;
    settings.libFile = (folder / "parts.lib").string();
    QVERIFY(library::recallIntoFile(ioBoard, files, settings, {&request, 1}, ui, counters, {}, table));
    QCOMPARE(counters.recalled, 1L);
  } else if (name == "import update") {
    QCOMPARE(runCli({"import-def", "new", "{}/update.imp", "--type", "Circuit", "--mode", "Update", "--format", "CSV",
                     "PN=1", "QTY=2"}, folder).exitCode, 0);
    std::ofstream((folder / "update.csv").string()) << "RNC55H0438,7\n";
    ImportJob run;
    std::vector<std::string> warnings;
    QVERIFY(loadDefinition(files, (folder / "update.imp").string(), run.definition, warnings));
    run.inputs = {(folder / "update.csv").string()};
    run.outputPath = ioBoard;
    run.openDocuments = &table;
    QVERIFY(!runImport(run, files, ui).allOk());
  } else if (name.rfind("project", 0) == 0) {
    CProjDoc project;
    QVERIFY(openProject(files, (folder / "system.prj").string(), project));
    ProjectTree tree;
    QVERIFY(buildProjectTree(project, files, ui, tree, table));
    EditResult r;
    if (name == "project add") {
      r = addChild(tree, 0, ChildMode::SubCircuit, "new_board.cir", nullptr, files, ui, table);
    } else if (name == "project remove") {
      r = removeChild(tree, nodeOf(tree, "controller.cir"), files, ui, table);
    } else {
      r = moveChild(tree, nodeOf(tree, "rf_module.hyb"), nodeOf(tree, "controller.cir"), files, ui, table);
    }
    QVERIFY2(r.status && r.changed, r.status.message().c_str());
  } else if (name == "what-if") {
    WhatIfSettings settings;
    settings.changeEnvironment = true;
    settings.environment = 13;  // ML
    QVERIFY(runWhatIf(frame->activeCircuit()->document(), files, ui, settings, false, table).ok);
  } else if (name == "merge") {
    // Through the menu: the chooser, then the question naming both files.
    chosenFiles.push_back((folder / "controller.cir").string());
    QVERIFY(trigger("Activities", "&Merge..."));
    QCOMPARE(chooserCalls, std::vector<std::string>{"Merge|Circuit Files (*.cir)"});
    QCOMPARE(ui.questions.back(), "Merge '" + (folder / "controller.cir").string() + "' into 'IO_BOARD.CIR'?");
    QVERIFY(anyLineHas(ui, "...Complete.") && anyLineHas(ui, "Updating view..."));
  }
}

void ExchangeWindowsTest::batchJobsKeepWhatTheWindowHolds_data() {
  QTest::addColumn<int>("job");
  for (std::size_t i = 0; i < batchJobs().size(); ++i) QTest::newRow(batchJobs()[i].name) << static_cast<int>(i);
}

void ExchangeWindowsTest::batchJobsKeepWhatTheWindowHolds() {
  QFETCH(int, job);
  const BatchJob& row = batchJobs()[static_cast<std::size_t>(job)];
  const fs::path gui = freshExamples("gui");
  const fs::path cli = freshExamples("cli");
  for (const fs::path& folder : {gui, cli}) {
    QCOMPARE(runCli({"project", "new", "{}/system.prj", "{}/system.cir"}, folder).exitCode, 0);
  }
  std::map<std::string, std::string> untouched;
  for (const std::string& file : row.open) {
    untouched[file] = test::readBytes(gui / file);
    CircuitWindow* w = frame->openFile((gui / file).string()) ? frame->activeCircuit() : nullptr;
    QVERIFY(w != nullptr);
    addUnsavedParts(w->document(), ui);
    w->documentChanged();
    // The copy holds the same edit, saved.
    std::unique_ptr<CCircDoc> copy;
    QVERIFY(loadDocument(posixFileSystem(), (cli / file).string(), copy));
    addUnsavedParts(*copy, ui);
    QVERIFY(saveDocument(posixFileSystem(), *copy, (cli / file).string()));
  }
  std::map<std::string, std::string> editedOnly;
  for (const std::string& file : row.compare) editedOnly[file] = test::readBytes(cli / file);
  const std::string queryBefore = row.query.empty() ? "" : runCli(row.query, cli).out;

  runOnWindows(static_cast<std::size_t>(job), gui);
  if (QTest::currentTestFailed()) return;
  if (!row.logLine.empty()) {
    const std::string line = filled({row.logLine}, gui).front();
    QVERIFY2(std::find(ui.logLines.begin(), ui.logLines.end(), line) != ui.logLines.end(), line.c_str());
  }
  // Nothing was written behind a window; each window then saves what it holds.
  for (CircuitWindow* w : frame->circuits()) {
    const std::string file = fs::path(w->document().path()).filename().string();
    QVERIFY2(test::readBytes(gui / file) == untouched[file], file.c_str());
    QVERIFY2(w->document().isModified() && w->windowTitle().endsWith(" *"), file.c_str());
    QVERIFY(w->save());
  }
  if (!row.cli.empty()) runCli(row.cli, cli);
  bool jobChanged = false;
  for (const std::string& file : row.compare) {
    QVERIFY2(test::readBytes(gui / file) == test::readBytes(cli / file), file.c_str());
    jobChanged = jobChanged || test::readBytes(cli / file) != editedOnly[file];
  }
  if (!row.query.empty()) {
    std::string mine = runCli(row.query, gui).out, theirs = runCli(row.query, cli).out;
    QCOMPARE(QString::fromStdString(mine).replace(QString::fromStdString(gui.string()), "DIR"),
             QString::fromStdString(theirs).replace(QString::fromStdString(cli.string()), "DIR"));
    jobChanged = jobChanged || theirs != queryBefore;
  }
  QCOMPARE(jobChanged, !row.cli.empty());
}

// "Recover Library..." on a copy of the example library whose first data
// record has a wrong checksum: the window lists past the damage, the menu
// item runs the salvage (what it keeps is the store's own test) and opens
// the new library.
void ExchangeWindowsTest::recoverLibraryKeepsEveryIntactRecord() {
  const fs::path folder = freshExamples("recover");
  const fs::path damaged = folder / "parts.lib", recovered = folder / "new.lib";
  std::string bytes = test::readBytes(damaged);
  auto word = [&](std::size_t at) { return static_cast<std::int32_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 | static_cast<std::uint8_t>(bytes[at + 2]) << 16 | static_cast<std::uint8_t>(bytes[at + 3]) << 24); };
  std::size_t node = 1024 + 1024 * static_cast<std::size_t>(word(12));
  while (bytes[node + 12] != 0) node = 1024 + 1024 * static_cast<std::size_t>(word(node));
  std::size_t at = node + 18;
  while (bytes[at + 1] != 19) at += static_cast<std::uint8_t>(bytes[at]) + 1u;
  bytes[at + 8 + 2] = static_cast<char>(~bytes[at + 8 + 2]);  // the record's checksum
  std::ofstream(damaged, std::ios::binary) << bytes;

  {
    auto window = LibraryWindow::open(damaged.string(), frame->context());
    QVERIFY(window != nullptr);
    const QAbstractItemModel* rows = window->list()->model();
    QCOMPARE(rows->rowCount(), 528);
    int shown = 0;
    for (int r = 0; r < rows->rowCount(); ++r) shown += !rows->index(r, 0).data().toString().isEmpty();
    QCOMPARE(shown, 528);
    QCOMPARE(ui.messages.size(), std::size_t{1});
    QVERIFY2(ui.messages.back().find("1 record(s) can not be read") != std::string::npos, ui.messages.back().c_str());
  }
  ui.messages.clear();
  chosenFiles = {damaged.string(), recovered.string()};
  QAction* item = test::menuItem(*frame, "Library", "&Recover Library...");
  QVERIFY2(item != nullptr, "no Library > Recover Library... item");
  item->trigger();
  QCOMPARE(chooserCalls.size(), std::size_t{2});
  QVERIFY(!ui.messages.empty());
  QVERIFY2(ui.messages.back().find("Kept:527  Lost:1  Duplicates:0") != std::string::npos, ui.messages.back().c_str());
  QVERIFY(std::any_of(ui.logLines.begin(), ui.logLines.end(), [](auto& l) { return l.ends_with("...Complete."); }));
  QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);  // the new library, opened
}

// ---- What-If? ----
// What-If? driven through the frame's "Activities" menu, offscreen: the
// sheet is filled and the confirmation answered by a script. A run through
// the window must leave every file of the hierarchy as `kestrel whatif`
// with the same options leaves a copy of the same files; refused entries
// and runs without changes leave every file as it was.

namespace {

const char* const kHierarchy[] = {"system.cir", "controller.cir", "io_board.cir", "power_supply.cir",
                                  "rf_module.hyb"};

// "label=value" entries, separated by ";".
std::vector<std::pair<std::string, std::string>> entries(const QString& script) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const QString& item : script.split(';', Qt::SkipEmptyParts)) {
    const qsizetype eq = item.indexOf('=');
    out.emplace_back(item.left(eq).toStdString(), item.mid(eq + 1).toStdString());
  }
  return out;
}

}  // namespace


void ExchangeWindowsTest::init() {
  reset();
  confirmation_.clear();
  totals_.clear();
  preview_ = false;
  sheets_ = 0;
}


void ExchangeWindowsTest::scriptDialogs(const QString& script, bool confirmOk) {
  frame->context().runDialog = [this, script, confirmOk](QDialog& dialog) {
    if (auto* sheet = dynamic_cast<PropertySheet*>(&dialog)) {
      // A refused entry on the first showing: the user then cancels.
      if (++sheets_ > 1) return static_cast<int>(QDialog::Rejected);
      for (const auto& [label, value] : entries(script)) {
        if (!sheet->enter(label, value)) return static_cast<int>(QDialog::Rejected);
      }
      sheet->accept();
      return sheet->result();
    }
    if (auto* confirm = dynamic_cast<WhatIfConfirmDialog*>(&dialog)) {
      confirmation_ = confirm->text();
      if (preview_) confirm->preview();
      return static_cast<int>(confirmOk ? QDialog::Accepted : QDialog::Rejected);
    }
    if (auto* totals = dynamic_cast<WhatIfTotalsDialog*>(&dialog)) totals_ = totals->text();
    return static_cast<int>(QDialog::Rejected);
  };
}

void ExchangeWindowsTest::sheetRunEqualsCommandLine_data() {
  QTest::addColumn<QString>("top");
  QTest::addColumn<QString>("script");
  QTest::addColumn<QStringList>("options");
  QTest::newRow("environment and temperature, whole hierarchy")
      << "system.cir"
      << "Change Environment=1;Environment=NS;Temperature Mode=Increase;Temperature=10"
      << QStringList{"--env", "NS", "--temp", "increase:10"};
  // The hybrid below io_board.cir has a resistor too: it must stay as it is.
  QTest::newRow("resistors only, top file only")
      << "io_board.cir"
      << "Make Changes for Entire Hierarchy=0;Part Type Filter=1;Part Type=Resistor;Quality Mode=SetDirect;"
         "Quality Level=3;Stress Mode=SetDirect;Stress=40"
      << QStringList{"--top-only", "--type", "Resistor", "--quality", "set:3", "--stress", "set:40"};
  QTest::newRow("part-number filter, computed stress, colder")
      << "system.cir"
      << "PN Filter=1;PN=rnc;Stress Mode=SetToCalcMode;Temperature Mode=Decrease;Temperature=100;"
         "Quality Mode=Decrease;Quality Level=2"
      << QStringList{"--pn", "rnc", "--stress", "calc", "--temp", "decrease:100", "--quality", "decrease:2"};
}

void ExchangeWindowsTest::sheetRunEqualsCommandLine() {
  QFETCH(QString, top);
  QFETCH(QString, script);
  QFETCH(QStringList, options);
  const fs::path gui = freshExamples("gui");
  const fs::path cli = freshExamples("cli");
  QVERIFY(frame->openFile((gui / top.toStdString()).string()));
  CircuitWindow* w = frame->activeCircuit();
  QVERIFY(w != nullptr);
  scriptDialogs(script, true);
  QVERIFY(trigger("Activities", "&What-If?..."));
  QCOMPARE(ui.messages, std::vector<std::string>{});
  // The changes (worded by the run itself), then every file the run rewrites, the open one marked.
  QVERIFY2(confirmation_.starts_with("Select OK to make the following What-If? changes:\r\n- Make Changes"),
           confirmation_.c_str());
  QVERIFY2(confirmation_.find("\r\n\r\nFiles changed and rewritten:\r\n   " + (gui / top.toStdString()).string() +
                              "  (open: changed in its window, not saved)\r\n") != std::string::npos,
           confirmation_.c_str());
  for (const char* file : kHierarchy) {
    const bool reached = top == "system.cir" || std::string(file) == "io_board.cir" || std::string(file) == "rf_module.hyb";
    QCOMPARE(confirmation_.find("   " + (gui / file).string()) != std::string::npos, reached);
  }
  QVERIFY(!ui.lineHistory[1].empty());
  QCOMPARE(QString::fromStdString(ui.lineHistory[1].back()), "'" + top.toUpper() + "' Calculation Results:");
  QVERIFY(ui.lineHistory[2].back().rfind("FR=", 0) == 0);
  QVERIFY(std::find(ui.lineHistory[5].begin(), ui.lineHistory[5].end(), "Updating view...") !=
          ui.lineHistory[5].end());
  // The window's document is changed, not its file: the user saves it.
  const fs::path topFile = gui / top.toStdString();
  QVERIFY(sameAsExample(topFile));
  QVERIFY(w->document().isModified());
  QVERIFY(w->save());

  std::vector<std::string> args{"--yes", "--quiet", "--no-log", "--settings", dir.filePath("cli.ini").toStdString(),
                                "whatif"};
  for (const QString& o : options) args.push_back(o.toStdString());
  args.push_back((cli / top.toStdString()).string());
  const test::RunResult r = test::runKestrel(args);
  QCOMPARE(r.exitCode, 0);
  // The before/after totals, one line per document, as the command line gives them.
  std::string cliTotals;
  for (const QString& line : QString::fromStdString(r.out).split('\n')) {
    if (line.contains("': FR= ")) cliTotals += line.toStdString() + "\n";
  }
  QString guiTotals = QString::fromStdString(totals_).section('\n', 2) + "\n";
  guiTotals.replace(QString::fromStdString(gui.string()), QString::fromStdString(cli.string()));
  QVERIFY(cliTotals.find(" -> ") != std::string::npos);
  QCOMPARE(guiTotals.toStdString(), cliTotals);
  bool anyChanged = false;
  for (const char* file : kHierarchy) {
    const nlohmann::json mine = shownDocument((gui / file).string());
    QVERIFY2(mine.is_object(), file);
    QVERIFY2(mine == shownDocument((cli / file).string()), file);
    anyChanged = anyChanged || !sameAsExample(gui / file);
  }
  QVERIFY(anyChanged);
}

// Refused entries (the sheet stays, no confirmation), a run with only a
// filter and a cancelled confirmation: every file stays as it was.
void ExchangeWindowsTest::runsThatChangeNothing_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<bool>("confirmOk");
  QTest::addColumn<QString>("message");  // the first message shown; "" none
  const QString range = "Number entry is out of range:\n";
  const auto refused = [](const char* row, const QString& script, const QString& message) {
    QTest::newRow(row) << script << true << message;
  };
  refused("set temperature below -55", "Temperature Mode=SetDirect;Temperature=-56", range + "-55.0000 to 175.0000");
  refused("temperature increase below 0", "Temperature Mode=Increase;Temperature=-1", range + "0.0 to 175.0000");
  refused("quality level 0", "Quality Mode=SetDirect;Quality Level=0", range + "1 to 10");
  refused("stress above 100", "Stress Mode=Increase;Stress=101", range + "0.0 to 100.0000");
  refused("part number too long", "PN Filter=1;PN=ABCDEFGHIJKLMNOPQRSTUVWXYZ",
          "Text entry has too many characters:\n26 ch entered ... 25 ch max");
  refused("a value set, then a mode it does not fit",
          "Temperature Mode=SetDirect;Temperature=-40;Temperature Mode=Increase", range + "0.0 to 175.0000");
  QTest::newRow("only a filter") << "PN Filter=1;PN=RNC" << true << "No What-If? changes specified.";
  QTest::newRow("confirmation cancelled") << "Change Environment=1;Environment=GB" << false << "";
}

void ExchangeWindowsTest::runsThatChangeNothing() {
  QFETCH(QString, script);
  QFETCH(bool, confirmOk);
  QFETCH(QString, message);
  const fs::path folder = freshExamples("nothing");
  QVERIFY(frame->openFile((folder / "system.cir").string()));
  scriptDialogs(script, confirmOk);
  QVERIFY(trigger("Activities", "&What-If?..."));
  QCOMPARE(QString::fromStdString(ui.messages.empty() ? "" : ui.messages.front()), message);
  // A refused entry never reaches the confirmation.
  QCOMPARE(confirmation_.empty(), !message.isEmpty() && message != "No What-If? changes specified.");
  for (const char* file : kHierarchy) QVERIFY2(sameAsExample(folder / file), file);
}

// Preview runs the changes on copies: every total is shown before and after,
// and neither the files nor the open document change; the user then cancels.
void ExchangeWindowsTest::previewChangesNothingAndShowsTotals() {
  const fs::path folder = freshExamples("preview");
  QVERIFY(frame->openFile((folder / "system.cir").string()));
  const std::vector<std::uint8_t> before = encodeDocument(frame->activeCircuit()->document());
  preview_ = true;
  scriptDialogs("Change Environment=1;Environment=ML", false);
  QVERIFY(trigger("Activities", "&What-If?..."));
  QCOMPARE(ui.messages, std::vector<std::string>{});
  QVERIFY(totals_.rfind("Preview on copies: no file was changed.", 0) == 0);
  for (const char* file : kHierarchy) {
    QVERIFY2(sameAsExample(folder / file), file);
    const std::size_t at = totals_.find("'" + (folder / file).string() + "': FR= ");
    QVERIFY2(at != std::string::npos, file);
    // Environment ML is harsher than any of the examples': every total grows.
    const std::string line = totals_.substr(at, totals_.find('\n', at) - at);
    const std::size_t arrow = line.find(" -> ");
    const double was = std::stod(line.substr(line.find("FR= ") + 4));
    QVERIFY2(std::stod(line.substr(arrow + 4)) > was, line.c_str());
  }
  QVERIFY(encodeDocument(frame->activeCircuit()->document()) == before);
}

// ---- Library and cross-reference windows ----
namespace {

// Every record of a library in list order: its keys and its stored part.
struct StoredPart {
  std::string pn, pn2;
  std::uint16_t type = 0;
  std::uint8_t hybrid = 0;
  std::vector<std::uint8_t> blob;
  bool operator==(const StoredPart&) const = default;
};

// The window's header lines and rows from `firstRow` on are the lines the
// command line prints (its first `header` lines the header).
template <typename Window>
void listsAsCommandLine(Window& w, const std::vector<std::string>& args, std::size_t header, int firstRow) {
  const test::RunResult run = test::runKestrel(args);
  QCOMPARE(run.exitCode, 0);
  const auto cli = test::splitLines(run.out);
  QVERIFY(cli.size() > header + 1);
  QCOMPARE(w.headerLines(), std::vector<std::string>(cli.begin(), cli.begin() + static_cast<long>(header)));
  for (std::size_t i = header; i < cli.size(); ++i) {
    const int row = firstRow + static_cast<int>(i - header);
    QCOMPARE(w.model()->data(w.model()->index(row), Qt::DisplayRole).toString().toStdString(), cli[i]);
  }
}

std::vector<StoredPart> storedParts(const std::string& path) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(path, false, error);
  if (!lib) {
    qWarning("%s", error.text().c_str());
    return {};
  }
  std::vector<StoredPart> out;
  library::LibEntry e;
  library::Outcome o = lib->first(e);
  while (o == library::Outcome::Ok) {
    out.push_back({e.pn, e.pn2, e.type, e.hybrid, e.blob});
    library::LibEntry n;
    o = lib->next(e, n);
    e = std::move(n);
  }
  return out;
}

// Every record of a circuit file as the clipboard carries it.
std::vector<std::vector<std::uint8_t>> circuitRecords(const std::string& path) {
  std::unique_ptr<CCircDoc> doc;
  if (Status s = loadDocument(posixFileSystem(), path, doc); !s) {
    qWarning("%s", s.message().c_str());
    return {};
  }
  std::vector<std::vector<std::uint8_t>> out;
  for (const auto& r : doc->records()) out.push_back(encodeClipboardPart(*r));
  return out;
}

}  // namespace



std::unique_ptr<LibraryWindow> ExchangeWindowsTest::openLibrary(const std::string& path) {
  return owned(LibraryWindow::open(path, context()));
}

void ExchangeWindowsTest::listMatchesCommandLine_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("page");
  QTest::newRow("number, type, date") << 1 << 1;
  QTest::newRow("number, PN2, type") << 2 << 1;
  QTest::newRow("a later page") << 1 << 7;
}

void ExchangeWindowsTest::listMatchesCommandLine() {
  QFETCH(int, style);
  QFETCH(int, page);
  const std::string path = copyExample("parts.lib", "list.lib");
  auto w = openLibrary(path);
  QVERIFY(w);
  w->setListStyle(style);
  listsAsCommandLine(*w, {"lib", "list", path, "--style", std::to_string(style), "--page", std::to_string(page),
                          "--page-size", "40"}, 3, (page - 1) * 40);
}

void ExchangeWindowsTest::findByPnFromTopAndCurrent_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("start");     // the row selected first, searched from; -1: from the top
  QTest::addColumn<int>("expected");  // the row found; -1: none
  QTest::addColumn<QString>("notFound");
  // In the example library the part numbers holding "H05" are rows 218-220; row 0 has a "1" in its PN2.
  QTest::newRow("PN from the top") << 0 << "H05" << -1 << 218 << "";
  QTest::newRow("PN from the current") << 0 << "H05" << 218 << 219 << "";
  QTest::newRow("PN2 from the top") << 1 << "1" << -1 << 0 << "";
  QTest::newRow("PN not found") << 0 << "NO-SUCH" << -1 << -1 << "PN: 'NO-SUCH'\nMatching record was not found.";
  QTest::newRow("PN2 not found") << 1 << "NO-SUCH" << 5 << -1 << "PN2: 'NO-SUCH'\nMatching record was not found.";
}

void ExchangeWindowsTest::findByPnFromTopAndCurrent() {
  QFETCH(int, mode);
  QFETCH(QString, text);
  QFETCH(int, start);
  QFETCH(int, expected);
  QFETCH(QString, notFound);
  auto w = openLibrary(copyExample("parts.lib", "find.lib"));
  QVERIFY(w);
  if (start >= 0) w->selectRow(start);
  scriptAccept<LibraryFindDialog>([&](LibraryFindDialog& find) {
    LibraryFindJob job;
    job.mode = static_cast<LibraryFindJob::Mode>(mode);
    job.text = text.toStdString();
    job.fromCurrent = start >= 0;
    find.setJob(job);
  });
  w->find();
  QVERIFY(dialogs.empty());
  QCOMPARE(lastMessage(), notFound.toStdString());
  if (expected >= 0 || start >= 0) QCOMPARE(w->selectedRow().value_or(-1), expected >= 0 ? expected : start);
  // The choices are remembered for the next Find.
  QCOMPARE(settings->text("Library Find", "Text"), text.toStdString());
  QCOMPARE(settings->whole("Library Find", "Mode"), static_cast<long>(mode));
  QCOMPARE(settings->whole("Library Find", "From"), start >= 0 ? 1L : 0L);
}

void ExchangeWindowsTest::addEditDeleteAsCommandLine() {
  const std::string guiLib = copyExample("parts.lib", "edit-gui.lib");
  const std::string cliLib = copyExample("parts.lib", "edit-cli.lib");
  auto w = openLibrary(guiLib);
  QVERIFY(w);
  const std::size_t resistor = test::menuIndexOf(findPartTypeByClass("CResistor")->id, false);
  QVERIFY(resistor > 0);

  // Add: the Add dialog, the part's sheet, then the Add dialog again (Cancel).
  scriptAccept<LibraryAddDialog>([&](LibraryAddDialog& add) {
    add.choose(LibraryAddDialog::kCircuitType, resistor, true);
  });
  scriptEntries({{"PN", "GUI-R1"}, {"PN2", "GUI-SECOND"}, {"DESCR", "added in the window"}});
  w->addParts();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(dialogs.empty());
  QCOMPARE(settings->whole("Library Add", "CircType"), static_cast<long>(resistor));
  QVERIFY(w->detailText().find("GUI-R1") != std::string::npos);  // the new part is selected
  test::RunResult cli = test::runKestrel(
      {"lib", "add", cliLib, "Resistor", "PN=GUI-R1", "PN2=GUI-SECOND", "DESCR=added in the window"});
  QCOMPARE(cli.exitCode, 0);
  QCOMPARE(storedParts(guiLib), storedParts(cliLib));

  // The same part number again is refused with the library's phrase.
  scriptAccept<LibraryAddDialog>([&](LibraryAddDialog& add) {
    add.choose(LibraryAddDialog::kCircuitType, resistor, true);
  });
  scriptEntries({{"PN", "GUI-R1"}});
  w->addParts();
  QCOMPARE(lastMessage(), "Can not add record\n'" + guiLib + "'...\n...add error...\n...duplicate part number.");
  QCOMPARE(storedParts(guiLib), storedParts(cliLib));
  ui.messages.clear();

  // Edit: the selected part's sheet; the command line replaces the same part.
  scriptEntries({{"DESCR", "edited in the window"}});
  w->editSelected();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(w->detailText().find("edited in the window") != std::string::npos);
  cli = test::runKestrel({"lib", "add", cliLib, "Resistor", "--replace", "PN=GUI-R1", "PN2=GUI-SECOND",
                          "DESCR=edited in the window"});
  QCOMPARE(cli.exitCode, 0);
  QCOMPARE(storedParts(guiLib), storedParts(cliLib));

  // Delete: the question names the part; the selection moves to the next row.
  const int row = w->selectedRow().value_or(-1);
  QVERIFY(row >= 0);
  const std::string next = w->model()->keyAt(row + 1);
  w->deleteSelected();
  QCOMPARE(ui.questions.back(), std::string("PN: 'GUI-R1'\nDelete Record?"));
  QVERIFY(ui.messages.empty());
  QCOMPARE(w->model()->keyAt(*w->selectedRow()), next);
  cli = test::runKestrel({"lib", "delete", cliLib, "GUI-R1"});
  QCOMPARE(cli.exitCode, 0);
  QCOMPARE(storedParts(guiLib), storedParts(cliLib));
  QCOMPARE(w->headerLines()[2], std::string("Library Parts List    Records: 528"));

  // Answering No keeps the part.
  ui.answers = {false};
  w->deleteSelected();
  QCOMPARE(storedParts(guiLib), storedParts(cliLib));

  // No selection: the command's own message.
  w->list()->setCurrentIndex(QModelIndex());
  for (auto [command, message] : std::vector<std::pair<void (LibraryWindow::*)(), std::string>>{
           {&LibraryWindow::editSelected, "EDIT: no part selection."},
           {&LibraryWindow::deleteSelected, "DELETE: no part selection."},
           {&LibraryWindow::copySelected, "COPY: no part selection."},
           {&LibraryWindow::cutSelected, "CUT: no part selection."}}) {
    ((*w).*command)();
    QCOMPARE(lastMessage(), message);
  }
}

void ExchangeWindowsTest::lockedRecordRefusedAndUnchanged_data() {
  QTest::addColumn<bool>("database");
  QTest::newRow("library file") << false;
  QTest::newRow("library in a database") << true;
}

// The same in a library file and in a library kept in a database, opened
// there by its address as File > Open Library Address... does.
void ExchangeWindowsTest::lockedRecordRefusedAndUnchanged() {
  QFETCH(bool, database);
  static std::unique_ptr<test::ThrowawayCluster> server;
  std::string path = copyExample("parts.lib", "locked.lib");
  std::unique_ptr<LibraryWindow> w;
  if (database) {
    if (!server) server = std::make_unique<test::ThrowawayCluster>();
    const std::string file = path;
    path = "postgresql:///postgres?host=" + server->folder() + "&user=kestrel&library=locked";
    QCOMPARE(kestrel({"lib", "create", path}).exitCode, 0);
    QCOMPARE(kestrel({"lib", "merge", path, file}).exitCode, 0);
    QVERIFY(frame->openFile(path));
    auto* shown = dynamic_cast<LibraryWindow*>(frame->mdiArea()->currentSubWindow()->widget());
    QVERIFY(shown != nullptr);
    QCOMPARE(shown->windowTitle(), QString("locked (database)"));
    frame->mdiArea()->closeAllSubWindows();
  }
  w = openLibrary(path);
  QVERIFY(w);
  w->selectRow(3);
  const auto record = w->selectedRecord();
  QVERIFY(record);
  const auto before = storedParts(path);
  // Another handle (its own lock owner, as another process is) holds the
  // record while the window tries to change it.
  library::StoreMessage error;
  auto other = library::PartLibrary::open(path, true, error);
  QVERIFY2(other, error.text().c_str());
  const std::string locked = "'" + path + "'...\n...can not lock record...\n...record is locked by " +
                             (database ? "kestrel " : "another process");
  bool held = false, sheetStayedShut = false;
  const library::Outcome o = other->edit(*record, [&](CPart&) {
    held = true;
    script([](QDialog&) { return static_cast<int>(QDialog::Accepted); });  // the sheet must not open
    w->editSelected();
    sheetStayedShut = dialogs.size() == 1;
    dialogs.clear();
    w->deleteSelected();
    return false;  // the other handle changes nothing either
  });
  QCOMPARE(o, library::Outcome::Ok);
  QVERIFY(held);
  QVERIFY(sheetStayedShut);
  QCOMPARE(ui.messages.size(), std::size_t{2});
  QVERIFY2(ui.messages[0].rfind("Can not edit record\n" + locked, 0) == 0, ui.messages[0].c_str());
  QVERIFY2(ui.messages[1].rfind("Can not delete record\n" + locked, 0) == 0, ui.messages[1].c_str());
  QCOMPARE(storedParts(path), before);
  // Released: the window edits the record now.
  ui.messages.clear();
  scriptEntries({{"DESCR", "after the lock"}});
  w->editSelected();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(storedParts(path) != before);
}

void ExchangeWindowsTest::xrefWindowListsFindsAndPastes() {
  const std::string path = copyExample("parts.xrf", "window.xrf");
  auto w = XRefWindow::open(path, context());
  QVERIFY(w);
  listsAsCommandLine(*w, {"xref", "list", path}, 2, 0);
  const auto cli = test::splitLines(test::runKestrel({"xref", "list", path}).out);
  QCOMPARE(w->model()->rowCount(), static_cast<int>(cli.size()) - 2);
  struct Case {
    bool byLib;
    std::string text;
    int row;  // -1: not found
    std::string message;
  };
  const std::vector<Case> cases = {
      {false, "vendor-r3", 2, ""},
      {true, "RNC55H05", 2, ""},  // RNC55H0512, the first at or after the text
      {false, "VENDOR-X", -1, "Cross-Ref PN: 'VENDOR-X'\nMatching record was not found."},
      {true, "ZZ", -1, "Library PN: 'ZZ'\nMatching record was not found."},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    w->selectRow(0);
    scriptAccept<XRefFindDialog>([&](XRefFindDialog& find) {
      find.setJob({c.byLib, c.text});
    });
    w->find();
    if (c.row < 0) {
      QCOMPARE(lastMessage(), c.message);
      QCOMPARE(w->selectedRow().value_or(-1), 0);
    } else {
      QVERIFY2(ui.messages.empty(), lastMessage().c_str());
      QCOMPARE(w->selectedRow().value_or(-1), c.row);
    }
    QCOMPARE(settings->text("XRef Find", "Text"), c.text);
  }
  // Copy, then paste: the same number is refused; a new number is added.
  ui.messages.clear();
  w->selectRow(1);
  w->copySelected();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  scriptEntries({{"XREF_PN", "VENDOR-R2B"}});
  w->paste();
  QCOMPARE(ui.messages.size(), std::size_t{1});
  QCOMPARE(ui.messages[0], "Can not paste record\n'" + path + "'...\n...add error...\n...duplicate part number.");
  QCOMPARE(w->model()->keyAt(*w->selectedRow()), std::string("VENDOR-R2B"));
  // The new record is the copied one under its new number.
  QCOMPARE(w->model()->data(w->model()->index(*w->selectedRow()), Qt::DisplayRole).toString().toStdString(),
           cli[3].substr(0, 1) + strprintf("%-25.25s", "VENDOR-R2B") + cli[3].substr(26));
}

void ExchangeWindowsTest::transferAndUpdateAsCommandLine() {
  // Two copies of the same inputs: one for the window, one for the command line.
  for (const char* side : {"gui", "cli"}) {
    copyExample("power_supply.cir", std::string("move-") + side + "/power_supply.cir");
    copyExample("io_board.cir", std::string("move-") + side + "/io_board.cir");
  }
  const std::string guiDir = dir.filePath("move-gui").toStdString();
  const std::string cliDir = dir.filePath("move-cli").toStdString();
  const std::string guiLib = dir.filePath("move-gui.lib").toStdString();
  const std::string cliLib = dir.filePath("move-cli.lib").toStdString();
  QCOMPARE(test::runKestrel({"lib", "create", guiLib}).exitCode, 0);
  QCOMPARE(test::runKestrel({"lib", "create", cliLib}).exitCode, 0);
  auto w = openLibrary(guiLib);
  QVERIFY(w);

  library::TransferOptions t;
  t.inputSpec = guiDir + "/*.cir";
  t.clearRefDes = true;
  t.setQuantityOne = true;
  t.filters.pnOn = true;
  t.filters.pn = "R";
  scriptAccept<TransferSheet>([&](TransferSheet& sheet) { sheet.setOptions(t); });
  w->transfer();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(ui.questions.size(), std::size_t{1});
  // The question lists what the sheet was given.
  QVERIFY2(ui.questions[0].ends_with("- Target Library File: '" + guiLib + "'\n- Replace Duplicate Records: NO\n"
                                     "- Clear Reference Designator: YES\n- Clear LCN: NO\n- Set Quantity=1: YES\n"
                                     "- Part Type Filter: OFF\n- PN Filter: 'R'"),
           ui.questions[0].c_str());
  test::RunResult cli = test::runKestrel({"--yes", "--no-log", "transfer", cliDir + "/*.cir", cliLib, "--clear-refdes",
                                          "--qty-one", "--pn", "R"});
  QCOMPARE(cli.exitCode, 0);
  const auto transferred = storedParts(guiLib);
  QVERIFY(!transferred.empty());
  QCOMPARE(transferred, storedParts(cliLib));
  // The window's list is refreshed; the options are kept for the next run.
  QCOMPARE(w->headerLines()[2], strprintf("Library Parts List    Records: %ld", static_cast<long>(transferred.size())));
  QCOMPARE(loadTransferOptions(*settings).inputSpec, t.inputSpec);

  // Update the circuits from the library: quantity and designator come from
  // the library (1 and empty), everything else stays the circuit's.
  const auto originalRecords = circuitRecords(guiDir + "/power_supply.cir");
  ui.questions.clear();
  library::UpdateOptions u;
  u.inputSpec = guiDir + "/*.cir";
  u.quantity = true;
  u.refdes = true;
  scriptAccept<UpdateSheet>([&](UpdateSheet& sheet) { sheet.setOptions(u); });
  w->update();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(ui.questions.size(), std::size_t{1});
  QVERIFY(ui.questions[0].find("\n- Update Quantity: YES\n- Update Correction Factor: NO\n") != std::string::npos);
  cli = test::runKestrel({"--yes", "--no-log", "update", cliDir + "/*.cir", cliLib, "--qty", "--refdes"});
  QCOMPARE(cli.exitCode, 0);
  for (const char* file : {"/power_supply.cir", "/io_board.cir"}) {
    const auto gui = circuitRecords(guiDir + file);
    QVERIFY(!gui.empty());
    QCOMPARE(gui, circuitRecords(cliDir + file));
  }
  QVERIFY(circuitRecords(guiDir + "/power_supply.cir") != originalRecords);

  // Cancelled at the confirmation: nothing is read or written.
  ui.answers = {false};
  ui.logLines.clear();
  scriptAccept<TransferSheet>([&](TransferSheet& sheet) {
    library::TransferOptions again = t;
    again.replaceDuplicates = true;
    sheet.setOptions(again);
  });
  w->transfer();
  QVERIFY(ui.questions.back().find("- Replace Duplicate Records: YES  (PLEASE BE CAREFUL!)") != std::string::npos);
  QVERIFY(ui.logLines.empty());
  QCOMPARE(storedParts(guiLib), transferred);
}

void ExchangeWindowsTest::hugeLibraryReadsOnlyWhatIsShown() {
  constexpr long kParts = 100000;
  const std::string path = dir.filePath("huge.lib").toStdString();
  {
    library::StoreMessage error;
    auto lib = library::PartLibrary::create(path, error);
    QVERIFY2(lib, error.text().c_str());
    lib->keyedFile()->store().SetDurable(false);  // built for the test only: no flush per record
    auto part = PartRegistry::instance().create(findPartTypeByClass("CResistor")->id, false);
    QVERIFY(part);
    for (long i = 0; i < kParts; ++i) {
      part->PN = strprintf("R%07ld", i);
      if (lib->add(*part) != library::Outcome::Ok) QFAIL(lib->error().text().c_str());
    }
  }
  auto w = openLibrary(path);
  QVERIFY(w);
  w->resize(800, 500);
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  QApplication::processEvents();
  QCOMPARE(w->model()->rowCount(), static_cast<int>(kParts));
  QVERIFY(w->model()->pagesRead() >= 1);
  QVERIFY2(w->model()->rowsRead() <= 2 * static_cast<long>(PagedListModel::kPageRows),
           strprintf("%ld rows read", w->model()->rowsRead()).c_str());
  // The last page is reached from the end, the middle from the nearer side.
  w->list()->scrollToBottom();
  QApplication::processEvents();
  QCOMPARE(w->model()->data(w->model()->index(static_cast<int>(kParts - 1)), Qt::DisplayRole).toString().mid(1, 8),
           QString("R0099999"));
  QVERIFY2(w->model()->rowsRead() <= 5 * static_cast<long>(PagedListModel::kPageRows),
           strprintf("%ld rows read", w->model()->rowsRead()).c_str());
  w->selectRow(kParts / 2);
  QApplication::processEvents();
  QCOMPARE(w->model()->keyAt(kParts / 2), strprintf("R%07ld", kParts / 2));
}

// ---- Recall of library parts into a circuit ----
// Add by library recall driven as a user drives it, offscreen, against what
// `kestrel recall` writes for the same circuit, library and numbers.



void ExchangeWindowsTest::scriptRecall(const RecallJob& job, int browseRow) {
  scriptAccept<AddPartDialog>([](AddPartDialog& add) { add.chooseRecall(true); });
  scriptAccept<RecallDialog>([job](RecallDialog& recall) { recall.setJob(job); });
  if (browseRow >= 0) scriptAccept<RecallBrowseDialog>([browseRow](RecallBrowseDialog& b) { b.selectRow(browseRow); });
  scriptAccept<PropertySheet>();
}

void ExchangeWindowsTest::recallMatchesCommandLine_data() {
  QTest::addColumn<QString>("number");
  QTest::addColumn<bool>("searchXRef");
  QTest::addColumn<int>("move");
  QTest::addColumn<int>("browseRow");  // -1: found without browsing
  QTest::addColumn<QString>("cliNumber");
  QTest::addColumn<QString>("pn");
  QTest::addColumn<QString>("pn2");
  QTest::newRow("by PN") << "P101-0212" << false << 0 << -1 << "P101-0212" << "P101-0212" << "K101-3";
  QTest::newRow("only as PN2") << "K101-3" << false << 0 << -1 << "K101-3" << "P101-0212" << "K101-3";
  QTest::newRow("xref, move 1") << "VENDOR-R2" << true << 1 << -1 << "VENDOR-R2" << "VENDOR-R2" << "RNC55H0475";
  QTest::newRow("not found, browse") << "NO-SUCH-PN" << false << 0 << 24 << "P101-0138" << "P101-0138" << "K101-1";
}

void ExchangeWindowsTest::recallMatchesCommandLine() {
  QFETCH(QString, number);
  QFETCH(bool, searchXRef);
  QFETCH(int, move);
  QFETCH(int, browseRow);
  QFETCH(QString, cliNumber);
  QFETCH(QString, pn);
  QFETCH(QString, pn2);
  const std::string gui = copyExample("controller.cir", "gui.cir");
  const std::string cli = copyExample("controller.cir", "cli.cir");
  std::vector<std::string> args = {"recall", cli, lib_, cliNumber.toStdString()};
  if (searchXRef) args.insert(args.end(), {"--xref", xref_, "--xref-move", std::to_string(move)});
  const test::RunResult run = test::runKestrel(args);
  QCOMPARE(run.exitCode, 0);

  const auto window = openWindow(gui);
  QVERIFY(window);
  const std::size_t before = window->document().count();
  scriptRecall({number.toStdString(), {lib_, searchXRef, xref_, move}}, browseRow);
  window->addParts();
  QVERIFY2(dialogs.empty(), lastMessage().c_str());
  QCOMPARE(window->document().count(), before + 1);
  bool seen = false;
  for (const auto& r : window->document().records()) seen = seen || (r->PN == pn.toStdString() && r->PN2 == pn2.toStdString());
  QVERIFY(seen);
  QVERIFY(window->save());
  QCOMPARE(test::readBytes(gui), test::readBytes(cli));
}

void ExchangeWindowsTest::refusalsAddNothing_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("number");
  QTest::addColumn<QString>("library");
  QTest::addColumn<QString>("xref");  // empty: no cross-reference search
  QTest::addColumn<int>("browseRow");  // -2: no browse dialog
  QTest::addColumn<QString>("message");
  QTest::newRow("hybrid mis-match") << "rf_module.hyb" << "P101-0138" << "parts.lib" << "" << -2
                                    << "PN='P101-0138' found...\n...can not recall: hybrid mis-match.";
  QTest::newRow("picked with the other hybrid flag") << "rf_module.hyb" << "NO-SUCH-PN" << "parts.lib" << "" << 24
                                                     << "PN='P101-0138'...\n...can not recall: hybrid mis-match.";
  QTest::newRow("missing library") << "controller.cir" << "P101-0138" << "missing.lib" << "" << -2
                                   << "Can not open recall library file\n";
  QTest::newRow("missing cross-reference file") << "controller.cir" << "VENDOR-R2" << "parts.lib" << "missing.xrf"
                                                << -2 << "Can not open cross-reference file\n";
}

void ExchangeWindowsTest::refusalsAddNothing() {
  QFETCH(QString, file);
  QFETCH(QString, number);
  QFETCH(QString, library);
  QFETCH(QString, xref);
  QFETCH(int, browseRow);
  QFETCH(QString, message);
  const std::string path = copyExample(file.toStdString(), "refused" + fs::path(file.toStdString()).extension().string());
  const auto window = openWindow(path);
  QVERIFY(window);
  const std::size_t before = window->document().count();
  const RecallJob job{number.toStdString(),
                      {dir.filePath(library).toStdString(), !xref.isEmpty(), dir.filePath(xref).toStdString(), 1}};
  // No sheet: nothing is recalled. The browse dialog stays open after a refusal; then it is cancelled.
  scriptRecall(job, browseRow);
  dialogs.pop_back();
  window->addParts();
  QVERIFY(dialogs.empty());
  QVERIFY2(lastMessage().rfind(message.toStdString(), 0) == 0, lastMessage().c_str());
  QCOMPARE(window->document().count(), before);
}

void ExchangeWindowsTest::browseOkNeedsSelection() {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(lib_, false, error);
  QVERIFY(lib);
  RecallBrowseDialog browse(*lib, false, context());
  QCOMPARE(browse.headerLines(),
           (std::vector<std::string>{"Library File: " + lib_,
                                     "Description: Kestrel example parts library"}));
  browse.accept();
  QCOMPARE(lastMessage(), std::string("RECALL: no part selection."));
  QVERIFY(!browse.takePart());
  // Find... by part number selects the record; OK recalls it.
  scriptAccept<LibraryFindDialog>([](LibraryFindDialog& find) {
    find.setJob({LibraryFindJob::kPartNumber, false, "RNC55H0475", 1});
  });
  browse.find();
  QVERIFY(browse.selectedRow());
  QCOMPARE(browse.model()->keyAt(*browse.selectedRow()), std::string("RNC55H0475"));
  browse.accept();
  const auto part = browse.takePart();
  QVERIFY(part);
  QCOMPARE(part->PN, std::string("RNC55H0475"));
}

void ExchangeWindowsTest::settingsKept() {
  const RecallJob job{"VENDOR-R3", {lib_, true, xref_, 2}};
  {
    RecallDialog dialog(false, context());
    dialog.setJob(job);
    dialog.accept();
  }
  RecallDialog again(false, context());
  again.accept();
  const auto kept = [](const RecallJob& j) {
    return std::tie(j.number, j.settings.libFile, j.settings.searchXRef, j.settings.xrefFile, j.settings.xrefMove);
  };
  QVERIFY(kept(again.job()) == kept(job));
  QCOMPARE(settings->whole("Circuit Add", "XRefMove"), 2L);
  // The hybrid kind keeps its own last number.
  RecallDialog hybrid(true, context());
  hybrid.accept();
  QVERIFY(hybrid.job().number != job.number);
  AddPartDialog add({"", "x"}, false, false, *settings);
  add.chooseRecall(true);
  add.accept();
  QCOMPARE(settings->whole("Circuit Add", "Mode"), 1L);
  AddPartDialog reopened({"", "x"}, false, false, *settings);
  reopened.accept();
  QVERIFY(reopened.recall());
}


int main(int argc, char** argv) {
  return test::runTests<ExchangeWindowsTest>(argc, argv);
}

// Convert in the library window: the part becomes a miscellaneous part
// keeping its number; another handle finds the record locked while the
// sheet is open, and free again after Cancel and after OK.
void ExchangeWindowsTest::libraryConvertLocksUntilTheSheetCloses() {
  const std::string path = copyExample("parts.lib", "convert.lib");
  auto w = openLibrary(path);
  w->selectRow(0);
  library::StoreMessage error;
  auto other = library::PartLibrary::open(path, true, error);
  library::LibEntry before, after;
  QVERIFY(other && w->selectedRecord() && other->read(*w->selectedRecord(), before) == library::Outcome::Ok);
  QVERIFY(before.type != kMiscType);
  const auto lockFree = [&] { return other->edit(before.record, [](CPart&) { return false; }); };
  for (bool accept : {false, true}) {
    library::Outcome whileOpen = library::Outcome::Ok;
    scriptAccept<ConvertTypeDialog>([](ConvertTypeDialog& d) { d.choose(test::menuIndexOf(kMiscType, false), true); });
    script([&](QDialog&) {
      whileOpen = lockFree();
      return static_cast<int>(accept ? QDialog::Accepted : QDialog::Rejected);
    });
    w->convertSelected();
    QVERIFY2(ui.messages.empty(), lastMessage().c_str());
    QCOMPARE(whileOpen, library::Outcome::Failed);
    QCOMPARE(lockFree(), library::Outcome::Ok);
    QCOMPARE(other->findPn(before.pn, after), library::Outcome::Ok);
    QCOMPARE(after.type, accept ? kMiscType : before.type);
  }
  w->list()->setCurrentIndex({});
  w->convertSelected();
  QCOMPARE(lastMessage(), std::string("CONVERT: no part selection."));
}

void ExchangeWindowsTest::mergeFromLibraryMenu_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("library") << "lib";
  QTest::newRow("cross-reference") << "xref";
}

// Library > Merge in front of a library or cross-reference window adds the
// chosen file's records; merged again, every one is a duplicate.
void ExchangeWindowsTest::mergeFromLibraryMenu() {
  QFETCH(QString, kind);
  const bool lib = kind == "lib";
  const std::string into = path(lib ? "merged.lib" : "merged.xrf"), input = lib ? lib_ : xref_;
  QVERIFY(kestrel({kind.toStdString(), "create", into}).exitCode == 0 && frame->openFile(into));
  const long records = std::stol(kestrel({kind.toStdString(), "check", input}).out.substr(input.size() + 4));
  for (bool again : {false, true}) {
    chosenFiles = {input};
    ui.answers = {true};
    QVERIFY(trigger("&Library", "&Merge..."));
    QCOMPARE(ui.questions.back(), "Merge '" + input + "' into '" + into + "'?");
    const std::string counts = strprintf("...Succeed:%ld  DuplicatePN:%ld...", again ? 0 : records, again ? records : 0);
    QVERIFY2(anyLineHas(ui, "Updating view...") && std::count(ui.logLines.begin(), ui.logLines.end(), counts) == 1,
             counts.c_str());
  }
}

// Detail shows the selected record's lines in the Part Detail window, as the
// circuit window's detail box has them; without a selection it says so.
void ExchangeWindowsTest::detailShowsTheSelectedRecord() {
  CircuitWindow* circuit = frame->openFile(copyExample("controller.cir", "detail.cir")) ? frame->activeCircuit() : nullptr;
  QVERIFY(circuit != nullptr);
  circuit->select(1);
  QVERIFY(trigger("&Edit", "Detai&l"));
  QCOMPARE(PartDetailWindow::of(circuit)->text(), circuit->detailText());
  auto w = openLibrary(copyExample("parts.lib", "detail.lib"));
  w->selectRow(2);
  w->showDetail();
  const std::vector<std::string> shown = test::splitLines(PartDetailWindow::of(w.get())->text());
  QVERIFY(shown.size() >= 3 && shown[0].rfind(" " + w->model()->keyAt(2), 0) == 0);
  QVERIFY(shown[2].find("*NOCALC*") != std::string::npos);  // a library part has no circuit to share
  w->list()->setCurrentIndex({});
  w->showDetail();
  QCOMPARE(lastMessage(), std::string("DETAIL: no part selection."));
}

// Every menu item acts on the window kinds it names and is greyed in front
// of any other kind (and without a window); a record's commands need a
// selection, Undo a change.
void ExchangeWindowsTest::menusFollowTheWindowInFront() {
  closeWindows();
  const std::string prj = path("menus.prj");
  QCOMPARE(kestrel({"project", "new", prj, copyExample("system.cir", "menus.cir")}).exitCode, 0);
  const unsigned doc = kCircuitWindow | kHybridWindow, keyed = kLibraryWindow | kXRefWindow;
  const struct {
    const char* menu;
    const char* item;
    unsigned kinds;
  } items[] = {
      {"File", "&Close", kAnyWindow}, {"File", "&Save", doc | kProjectWindow | kDefinitionWindow},
      {"File", "Report Set&up...", kAlways}, {"File", "&Print...", doc | kProjectWindow},
      {"File", "Print To P&DF File...", doc}, {"Edit", "&Undo", 0}, {"Edit", "&Paste", doc},
      {"Edit", "Con&vert Type...", doc}, {"Edit", "Detai&l", doc}, {"Activities", "&Calculate...", doc},
      {"Activities", "&Graph...", doc}, {"Activities", "&Transfer...", kLibraryWindow},
      {"Activities", "&Import...", kAlways}, {"Library", "&Edit...", keyed}, {"Library", "Con&vert...", kLibraryWindow},
      {"Library", "&Merge...", keyed}, {"Library", "List PN&2", kLibraryWindow}, {"Project", "Detai&l", kProjectWindow},
      {"Definition", "Edit &Header...", kDefinitionWindow}, {"Window", "&Cascade", kAnyWindow},
  };
  const std::vector<std::pair<unsigned, std::function<bool()>>> windows = {
      {kNoWindow, [] { return true; }},
      {kCircuitWindow, [&] { return frame->openFile(copyExample("controller.cir", "menus-c.cir")); }},
      {kHybridWindow, [&] { return frame->openFile(copyExample("rf_module.hyb", "menus.hyb")); }},
      {kLibraryWindow, [&] { return frame->openFile(copyExample("parts.lib", "menus.lib")); }},
      {kXRefWindow, [&] { return frame->openFile(copyExample("parts.xrf", "menus.xrf")); }},
      {kProjectWindow, [&] { return frame->openFile(prj); }},
      {kDefinitionWindow, [&] { return frame->addChildWindow(ImportDefinitionWindow::create(context()).release()); }},
      {kChartWindow, [&] { return frame->addChildWindow(new ChartWindow(context(), {}, {})) != nullptr; }},
  };
  for (const auto& [kind, open] : windows) {
    QVERIFY(open());
    for (const auto& item : items) {
      QAction* action = test::menuItem(*frame, item.menu, item.item);
      QVERIFY2(action != nullptr && action->isEnabled() == ((item.kinds & kind) != 0),
               qPrintable(QString("%1 > %2 in front of kind %3").arg(item.menu, item.item).arg(kind)));
    }
    ui.answers = {false};  // the chart's graph definition is not saved
    closeWindows();
  }
  CircuitWindow* w = frame->openFile(copyExample("controller.cir", "menus-c.cir")) ? frame->activeCircuit() : nullptr;
  QVERIFY(w != nullptr);
  w->list()->setCurrentIndex({});
  QVERIFY(!test::menuItem(*frame, "Edit", "Detai&l")->isEnabled());
  w->select(0);
  ui.answers = {true};
  w->deleteSelected();
  QVERIFY(test::menuItem(*frame, "Edit", "&Undo")->isEnabled() && test::menuItem(*frame, "Edit", "Detai&l")->isEnabled());
}

#include "exchange_windows_test.moc"
