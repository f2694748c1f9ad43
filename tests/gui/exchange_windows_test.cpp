// The Import and Export sheets and the import definition window driven as a
// user drives them, offscreen, against what `kestrel import`, `kestrel export`
// and `kestrel import-def` give for copies of the same inputs.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/registry.hpp"
#include "gui/exchange/exchange_runs.hpp"
#include "gui/exchange/exchange_sheets.hpp"
#include "exchange/readers/path_readers.hpp"
#include "exchange/table_reader.hpp"
#include "gui/exchange/import_definition_sheets.hpp"
#include "gui/exchange/import_definition_window.hpp"
#include "models/register_all.hpp"
#include "run_kestrel.hpp"
#include "support/recording_ui.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A workbook's cells as text rows: its package carries the time it was
// written, so two workbooks of the same rows are compared by their cells.
std::string workbookCells(const std::string& path) {
  std::unique_ptr<TableReader> reader;
  if (!openXlsxReader(path, {}, reader)) return {};
  std::string out;
  TableRow row;
  while (reader->next(row) == RowStatus::Row) {
    for (const TableCell& cell : row) {
      out += cell.kind == TableCell::Kind::Number ? std::to_string(cell.number) : cell.text;
      out += '|';
    }
    out += '\n';
  }
  return out;
}

// A document as `kestrel show --json` prints it, without the line naming its path.
nlohmann::json shownDocument(const std::string& path) {
  const test::RunResult run = test::runKestrel({"show", "--json", path});
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

class ExchangeWindowsTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void importAsCommandLine_data();
  void importAsCommandLine();
  void importCancelledWritesNothing();
  void exportAsCommandLine_data();
  void exportAsCommandLine();
  void sheetsKeepTheirSettings();
  void definitionEditedAsCommandLine();
  void damagedDefinitionOpensNothing_data();
  void damagedDefinitionOpensNothing();
  void closeAsksToSaveChanges();
  void importRunsTheDefinitionAsShown();

 private:
  std::string path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
  std::string makeDefinition(const std::string& name, const std::string& format, const std::string& skip);
  std::string makeTable(const std::string& name);
  std::unique_ptr<ImportDefinitionWindow> openDefinition(const std::string& file);
  void script(std::function<int(QDialog&)> answer) { scripts_.push_back(std::move(answer)); }
  template <typename Sheet, typename Options>
  void scriptSheet(const Options& options) {
    script([options](QDialog& d) {
      auto* sheet = dynamic_cast<Sheet*>(&d);
      if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
      sheet->setOptions(options);
      sheet->accept();
      return sheet->result();
    });
  }

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  std::unique_ptr<Settings> settings_;
  GuiContext context_;
  std::deque<std::function<int(QDialog&)>> scripts_;
  SaveAnswer saveAnswer_ = SaveAnswer::Discard;
  std::vector<std::string> saveQuestions_;
  std::string chosenFile_;
};

void ExchangeWindowsTest::initTestCase() {
  registerAllParts();
  QVERIFY(dir_.isValid());
  std::vector<std::string> warnings;
  settings_ = std::make_unique<Settings>(Settings::load(posixFileSystem(), path("217F2.INI"), warnings));
  context_.ui = &ui_;
  context_.fs = &posixFileSystem();
  context_.settings = settings_.get();
  context_.runDialog = [this](QDialog& dialog) {
    if (scripts_.empty()) return static_cast<int>(QDialog::Rejected);
    auto run = std::move(scripts_.front());
    scripts_.pop_front();
    return run(dialog);
  };
  context_.chooseFile = [this](bool, const std::string&, const std::string&) { return chosenFile_; };
  context_.askSave = [this](const std::string& title) {
    saveQuestions_.push_back(title);
    return saveAnswer_;
  };
}

void ExchangeWindowsTest::init() {
  ui_.messages.clear();
  ui_.questions.clear();
  ui_.answers.clear();
  ui_.logLines.clear();
  ui_.cancelAtRecord = 0;
  ui_.cancel = false;
  scripts_.clear();
  saveQuestions_.clear();
  saveAnswer_ = SaveAnswer::Discard;
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
  QTest::newRow("dBASE") << "DBF" << "dbf" << "0";
  QTest::newRow("workbook") << "XLS" << "xlsx" << "0";
  QTest::newRow("database table") << "MDB" << "sqlite" << "0";
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
  scriptSheet<ImportSheet>(o);
  QVERIFY(importThroughSheet(context_, nullptr));
  QVERIFY2(ui_.messages.empty(), ui_.messages.empty() ? "" : ui_.messages.back().c_str());
  QCOMPARE(ui_.questions.size(), std::size_t{1});
  ImportJob shown;
  std::vector<std::string> warnings;
  QVERIFY(loadDefinition(posixFileSystem(), def, shown.definition, warnings));
  shown.definitionPath = def;
  shown.inputs = {o.dataSpec};
  shown.outputDir = o.outputDir;
  std::string expected;
  for (const std::string& line : importConfirmation(shown)) expected += (expected.empty() ? "" : "\n") + line;
  QCOMPARE(ui_.questions[0], expected);

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
  std::istringstream results(cli.out);
  for (std::string line; std::getline(results, line);) {
    const auto cliDir = path("in-" + ext + "-cli"), guiDir = path("in-" + ext + "-gui");
    std::string asGui = line;
    for (std::string from : {cliDir, path("out-" + ext + "-cli")}) {
      const std::string to = from == cliDir ? guiDir : path("out-" + ext + "-gui");
      if (const auto at = asGui.find(from); at != std::string::npos) asGui.replace(at, from.size(), to);
    }
    QVERIFY2(std::find(ui_.logLines.begin(), ui_.logLines.end(), asGui) != ui_.logLines.end(), asGui.c_str());
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
  scriptSheet<ImportSheet>(o);
  ui_.cancel = true;  // Cancel clicked in the progress window before the first record
  ui_.answers = {true, true};  // the confirmation, then "Cancel import?"
  QVERIFY(!importThroughSheet(context_, nullptr));
  QCOMPARE(ui_.questions.back(), std::string("Cancel import?"));
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
  QTest::newRow("workbook") << static_cast<int>(OutputFormat::XLS) << ".xlsx" << "" << "";
  QTest::newRow("database table, capacitors") << static_cast<int>(OutputFormat::MDB) << ".sqlite" << "Capacitor" << "";
}

void ExchangeWindowsTest::exportAsCommandLine() {
  QFETCH(int, format);
  QFETCH(QString, extension);
  QFETCH(QString, type);
  QFETCH(QString, pn);
  const std::string ext = extension.toStdString();
  for (const char* side : {"gui", "cli"}) {
    for (const char* name : {"io_board.cir", "power_supply.cir"}) {
      const std::string to = path(std::string("exp") + ext + "-" + side + "/" + name);
      fs::create_directories(fs::path(to).parent_path());
      fs::copy_file(std::string(KESTREL_EXAMPLES) + "/" + name, to, fs::copy_options::overwrite_existing);
    }
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
  scriptSheet<ExportSheet>(o);
  QVERIFY(exportThroughSheet(context_, nullptr));
  QVERIFY2(ui_.messages.empty(), ui_.messages.empty() ? "" : ui_.messages.back().c_str());
  QCOMPARE(ui_.questions.size(), std::size_t{1});

  std::vector<std::string> args = {"--yes", "--no-log", "export", path("exp" + ext + "-cli/io_board.cir"),
                                   path("exp" + ext + "-cli/power_supply.cir"), "-o",
                                   path("exp" + ext + "-cli-out/io_board" + ext)};
  if (!type.isEmpty()) args.insert(args.end(), {"--type", type.toStdString()});
  if (!pn.isEmpty()) args.insert(args.end(), {"--pn", pn.toStdString()});
  const test::RunResult cli = test::runKestrel(args);
  QCOMPARE(cli.exitCode, 0);
  for (const char* base : {"io_board", "power_supply"}) {
    const auto contents = ext == ".xlsx" ? workbookCells : fileBytes;
    const std::string built = contents(path("exp" + ext + "-gui-out/" + base + ext));
    QVERIFY(!built.empty());
    QVERIFY2(built == contents(path("exp" + ext + "-cli-out/" + base + ext)), base);
  }
  std::istringstream out(cli.out);
  std::string last;
  for (std::string line; std::getline(out, line);) last = line;
  // The window's log ends with the command line's totals (before the log's closing lines).
  QVERIFY2(std::find(ui_.logLines.begin(), ui_.logLines.end(), last) != ui_.logLines.end(), last.c_str());
}

void ExchangeWindowsTest::sheetsKeepTheirSettings() {
  ImportSheetOptions in;
  in.definitionPath = path("kept.imp");
  in.dataSpec = path("kept/*.csv");
  in.outputDir = path("kept-out");
  in.libraryPath = path("kept.lib");
  in.searchXRef = true;
  in.xrefPath = path("kept.xrf");
  in.xrefMoveBoth = true;
  ExportSheetOptions ex;
  ex.inputSpec = path("kept/*.hyb");
  ex.outputDir = path("kept-out");
  ex.format = OutputFormat::MDB;
  ex.typeOn = true;
  ex.partType = allPartTypes().front().id;
  ex.pnFilter = "RN";
  scriptSheet<ImportSheet>(in);
  scriptSheet<ExportSheet>(ex);
  importThroughSheet(context_, nullptr);  // the definition does not exist: the run stops with its message
  exportThroughSheet(context_, nullptr);
  // A new session reads what the last one kept.
  std::vector<std::string> warnings;
  const Settings reread = Settings::load(posixFileSystem(), path("217F2.INI"), warnings);
  QCOMPARE(loadImportOptions(reread), in);
  QCOMPARE(loadExportOptions(reread), ex);
  ImportSheet importSheet(context_);
  ExportSheet exportSheet(context_);
  importSheet.accept();
  exportSheet.accept();
  QCOMPARE(importSheet.options(), in);
  QCOMPARE(exportSheet.options(), ex);
}

std::unique_ptr<ImportDefinitionWindow> ExchangeWindowsTest::openDefinition(const std::string& file) {
  auto w = file.empty() ? ImportDefinitionWindow::create(context_) : ImportDefinitionWindow::open(file, context_);
  if (w) w->setAttribute(Qt::WA_DeleteOnClose, false);
  return w;
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
  script([h](QDialog& d) {
    auto* sheet = dynamic_cast<DefinitionHeaderSheet*>(&d);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    sheet->setHeader(h);
    sheet->accept();
    return sheet->result();
  });
  w->editHeader();
  // The keyword found by part of its name, lower case, then mapped to a subfield.
  script([](QDialog& d) {
    auto* sheet = dynamic_cast<DefinitionFindSheet*>(&d);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    sheet->setSearch("efde", false);
    sheet->accept();
    return sheet->result();
  });
  w->find();
  QVERIFY2(ui_.messages.empty(), ui_.messages.empty() ? "" : ui_.messages.back().c_str());
  QVERIFY(w->selectedRow());
  QCOMPARE(w->definition().keywords[static_cast<std::size_t>(*w->selectedRow())].name, std::string("REFDES"));
  auto mapSelected = [this, &w](float field, float start, float length, std::uint8_t option) {
    script([=](QDialog& d) {
      auto* sheet = dynamic_cast<DefinitionKeywordSheet*>(&d);
      if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
      sheet->setMapping(field, start, length, option);
      sheet->accept();
      return sheet->result();
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

  chosenFile_ = path("edited");
  QVERIFY(w->save());  // a new definition saves through Save As; ".imp" is added
  QCOMPARE(w->path(), path("edited.imp"));
  QVERIFY(!w->modified());
  const std::string cliFile = path("edited-cli.imp");
  const test::RunResult cli = test::runKestrel(
      {"import-def", "new", cliFile, "--type", "Hybrid", "--mode", "Update", "--record-mode", "BuildFromScratch",
       "--format", "DBF", "--skip", "2-4", "--header-rec", "1", "--description", "Bench rack", "--translate",
       "X31217F1", "REFDES=3:2:5", optionedName + "=7@" + std::string(optionNames(optionedName)[2])});
  QCOMPARE(cli.exitCode, 0);
  QVERIFY(fileBytes(path("edited.imp")) == fileBytes(cliFile));
  // The window lists what `import-def show --all` prints.
  const test::RunResult shown = test::runKestrel({"import-def", "show", cliFile, "--all"});
  std::vector<std::string> lines = w->headerLines();
  for (const std::string& line : w->keywordLines()) lines.push_back(line);
  std::vector<std::string> expected;
  std::istringstream in(shown.out);
  for (std::string line; std::getline(in, line);) expected.push_back(line);
  QCOMPARE(lines, expected);
}

void ExchangeWindowsTest::damagedDefinitionOpensNothing_data() {
  QTest::addColumn<QString>("damage");
  QTest::newRow("cut short") << "short";
  QTest::newRow("another version") << "version";
  QTest::newRow("a circuit named .imp") << "kind";
}

void ExchangeWindowsTest::damagedDefinitionOpensNothing() {
  QFETCH(QString, damage);
  const std::string good = makeDefinition("good-" + damage.toStdString() + ".imp", "CSV", "0");
  std::string bytes = fileBytes(good);
  if (damage == "short") bytes.resize(bytes.size() / 2);
  if (damage == "version") {
    // The version word follows the kind byte; the trailing additive checksum is kept right.
    bytes[1] = static_cast<char>(bytes[1] + 1);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 < bytes.size(); ++i) sum += static_cast<std::uint8_t>(bytes[i]);
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>((sum >> (8 * i)) & 0xff);
  }
  if (damage == "kind") bytes = fileBytes(std::string(KESTREL_EXAMPLES) + "/io_board.cir");
  const std::string bad = path("bad-" + damage.toStdString() + ".imp");
  std::ofstream(bad, std::ios::binary) << bytes;
  QVERIFY(!openDefinition(bad));
  const test::RunResult cli = test::runKestrel({"import-def", "show", bad});
  QVERIFY(cli.exitCode != 0);
  QCOMPARE(ui_.messages.size(), std::size_t{1});
  QCOMPARE("kestrel: " + ui_.messages[0] + "\n", cli.err);
  if (damage == "kind") QVERIFY(ui_.messages[0].find("Unexpected file format...\n...not Import.") != std::string::npos);
  if (damage == "version") QVERIFY(ui_.messages[0].find("File version error...\n...InVer=") != std::string::npos);
}

void ExchangeWindowsTest::closeAsksToSaveChanges() {
  const std::string file = makeDefinition("close.imp", "CSV", "0");
  auto w = openDefinition(file);
  QVERIFY(w);
  QVERIFY(w->mayClose());  // unchanged: no question
  QVERIFY(saveQuestions_.empty());
  CImportHeader h = w->definition().header;
  h.description = "Changed";
  script([h](QDialog& d) {
    auto* sheet = dynamic_cast<DefinitionHeaderSheet*>(&d);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    sheet->setHeader(h);
    sheet->accept();
    return sheet->result();
  });
  w->editHeader();
  saveAnswer_ = SaveAnswer::Cancel;
  QVERIFY(!w->mayClose());
  QVERIFY(w->modified());
  saveAnswer_ = SaveAnswer::Save;
  QVERIFY(w->mayClose());
  QCOMPARE(saveQuestions_, (std::vector<std::string>{"CLOSE.IMP", "CLOSE.IMP"}));
  auto reopened = openDefinition(file);
  QVERIFY(reopened);
  QCOMPARE(reopened->definition().header.description, std::string("Changed"));
}

void ExchangeWindowsTest::importRunsTheDefinitionAsShown() {
  const std::string file = makeDefinition("shown.imp", "CSV", "1-1");
  auto w = openDefinition(file);
  QVERIFY(w);
  CImportHeader h = w->definition().header;
  h.description = "Not saved yet";
  script([h](QDialog& d) {
    auto* sheet = dynamic_cast<DefinitionHeaderSheet*>(&d);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    sheet->setHeader(h);
    sheet->accept();
    return sheet->result();
  });
  w->editHeader();
  // The sheet comes preset with the window's file; OK as it is, then No to the confirmation.
  script([&file](QDialog& d) {
    auto* sheet = dynamic_cast<ImportSheet*>(&d);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    sheet->accept();
    return sheet->options().definitionPath == file ? sheet->result() : static_cast<int>(QDialog::Rejected);
  });
  ui_.answers = {false};
  QVERIFY(!importThroughSheet(context_, nullptr, OpenDefinition{w->path(), &w->definition()}));
  QCOMPARE(ui_.questions.size(), std::size_t{1});
  QVERIFY2(ui_.questions[0].find("- Description: 'Not saved yet'") != std::string::npos, ui_.questions[0].c_str());
  QVERIFY(ui_.logLines.empty());  // No: nothing ran
}

QTEST_MAIN(ExchangeWindowsTest)
#include "exchange_windows_test.moc"
