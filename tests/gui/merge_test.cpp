// Merge driven through the frame's "Activities" menu, offscreen: the file
// chooser and the question are answered by a script. A merge through the
// window must write the same file as `kestrel merge` on a copy of the same
// files; refused merges leave the document and every file as they were.
// Every batch job run on a file open in a window (with an edit not yet
// saved) must change the window's document, never the file behind it: once
// the window is saved, the file is what the command line's job makes of a
// copy holding the same edit.
#include <QAction>
#include <QListView>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/whatif_command.hpp"
#include "exchange/import_run.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/exchange/merge_command.hpp"
#include "gui/library/library_window.hpp"
#include "gui/main_window.hpp"
#include "project/project_file.hpp"
#include "project/project_tree.hpp"
#include "project/tree_edits.hpp"
#include "store/library/recall.hpp"
#include "store/library/transfer.hpp"
#include "models/register_all.hpp"
#include "menu_items.hpp"
#include "run_kestrel.hpp"
#include "support/recording_ui.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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

class MergeTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void mergeWritesWhatTheCommandLineWrites();
  void refusedMergesChangeNothing_data();
  void refusedMergesChangeNothing();
  void openSourceStaysOpenAndUnchanged();
  void progressWindowLogIsBoundedAndSaysSo();
  void batchJobsKeepWhatTheWindowHolds_data();
  void batchJobsKeepWhatTheWindowHolds();
  void recoverLibraryKeepsEveryIntactRecord();

 private:
  // Runs row `job` of batchJobs() the desktop's way on the files of `folder`.
  void runOnWindows(std::size_t job, const fs::path& folder);
  test::RunResult runCli(const std::vector<std::string>& args, const fs::path& folder);

  // A folder holding copies of the example files.
  fs::path freshFolder(const std::string& name);
  CircuitWindow* open(const fs::path& path);
  void triggerMerge();

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<MainWindow> frame_;
  std::deque<std::string> chosen_;
  std::vector<std::string> chooserCaptions_;
};

void MergeTest::initTestCase() {
  registerAllParts();
  QVERIFY(dir_.isValid());
  std::vector<std::string> warnings;
  settings_ = std::make_unique<Settings>(
      Settings::load(posixFileSystem(), dir_.filePath("217F2.INI").toStdString(), warnings));
  frame_ = std::make_unique<MainWindow>(*settings_, posixFileSystem());
  GuiContext& context = frame_->context();
  context.ui = &ui_;
  context.runDialog = [](QDialog&) { return static_cast<int>(QDialog::Rejected); };
  context.chooseFile = [this](bool, const std::string& caption, const std::string& filter) {
    chooserCaptions_.push_back(caption + "|" + filter);
    if (chosen_.empty()) return std::string();
    std::string next = chosen_.front();
    chosen_.pop_front();
    return next;
  };
  context.askSave = [](const std::string&) { return SaveAnswer::Discard; };
}

void MergeTest::init() {
  ui_ = test::RecordingUi();
  chosen_.clear();
  chooserCaptions_.clear();
}

void MergeTest::cleanup() {
  frame_->mdiArea()->closeAllSubWindows();
  QApplication::processEvents();
}

fs::path MergeTest::freshFolder(const std::string& name) {
  const fs::path folder = fs::path(dir_.path().toStdString()) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const auto& entry : fs::directory_iterator(KESTREL_EXAMPLES)) {
    fs::copy_file(entry.path(), folder / entry.path().filename());
  }
  return folder;
}

CircuitWindow* MergeTest::open(const fs::path& path) {
  if (!frame_->openFile(path.string())) return nullptr;
  return frame_->activeCircuit();
}

void MergeTest::triggerMerge() {
  QAction* item = test::menuItem(*frame_, "Activities", "&Merge...");
  QVERIFY2(item != nullptr, "no Activities > Merge... item");
  item->trigger();
}

void MergeTest::mergeWritesWhatTheCommandLineWrites() {
  const fs::path gui = freshFolder("gui");
  const fs::path cli = freshFolder("cli");
  CircuitWindow* w = open(gui / "controller.cir");
  QVERIFY(w != nullptr);
  const std::size_t before = w->document().count();
  chosen_.push_back((gui / "io_board.cir").string());
  triggerMerge();
  QCOMPARE(chooserCaptions_, std::vector<std::string>{"Merge|Circuit Files (*.cir)"});
  QCOMPARE(ui_.questions.size(), std::size_t{1});
  QCOMPARE(ui_.questions[0], "Merge '" + (gui / "io_board.cir").string() + "' into 'CONTROLLER.CIR'?");
  QCOMPARE(w->document().count(), before + 3);
  QVERIFY(w->document().isModified());
  QVERIFY(anyLineHas(ui_, "...Complete."));
  QVERIFY(anyLineHas(ui_, "Updating view..."));
  QVERIFY(w->save());

  const test::RunResult r = test::runKestrel({"--yes", "--quiet", "--no-log", "--settings",
                                              dir_.filePath("cli.ini").toStdString(), "merge",
                                              (cli / "io_board.cir").string(), (cli / "controller.cir").string()});
  QCOMPARE(r.exitCode, 0);
  QVERIFY(readBytes(gui / "controller.cir") == readBytes(cli / "controller.cir"));
  QVERIFY(readBytes(gui / "io_board.cir") == readBytes(fs::path(KESTREL_EXAMPLES) / "io_board.cir"));
}

void MergeTest::refusedMergesChangeNothing_data() {
  QTest::addColumn<QString>("source");
  QTest::addColumn<bool>("answer");
  QTest::addColumn<QString>("error");
  QTest::newRow("into itself") << "controller.cir" << true << "...Error: self-reference.";
  QTest::newRow("a hybrid into a circuit") << "rf_module.hyb" << true << "...Error: unexpected file format.";
  QTest::newRow("a missing file") << "absent.cir" << true << "...Error: can not open.";
  QTest::newRow("question answered No") << "io_board.cir" << false << "";
  QTest::newRow("chooser cancelled") << "" << true << "";
}

void MergeTest::refusedMergesChangeNothing() {
  QFETCH(QString, source);
  QFETCH(bool, answer);
  QFETCH(QString, error);
  const fs::path folder = freshFolder("refused");
  CircuitWindow* w = open(folder / "controller.cir");
  QVERIFY(w != nullptr);
  const std::size_t before = w->document().count();
  if (!source.isEmpty()) chosen_.push_back((folder / source.toStdString()).string());
  ui_.answers.push_back(answer);
  triggerMerge();
  QCOMPARE(w->document().count(), before);
  QVERIFY(!w->document().isModified());
  if (!error.isEmpty()) QVERIFY2(anyLineHas(ui_, error.toStdString()), qPrintable(error));
  for (const auto& entry : fs::directory_iterator(folder)) {
    QVERIFY2(readBytes(entry.path()) == readBytes(fs::path(KESTREL_EXAMPLES) / entry.path().filename()),
             entry.path().filename().string().c_str());
  }
}

void MergeTest::openSourceStaysOpenAndUnchanged() {
  const fs::path folder = freshFolder("open");
  CircuitWindow* source = open(folder / "io_board.cir");
  QVERIFY(source != nullptr);
  CircuitWindow* target = open(folder / "power_supply.cir");
  QVERIFY(target != nullptr && target != source);
  const std::size_t before = target->document().count();
  chosen_.push_back((folder / "io_board.cir").string());
  triggerMerge();
  QCOMPARE(target->document().count(), before + source->document().count());
  QCOMPARE(frame_->circuits().size(), std::size_t{2});
  QVERIFY(!source->document().isModified());
  QVERIFY(readBytes(folder / "io_board.cir") == readBytes(fs::path(KESTREL_EXAMPLES) / "io_board.cir"));
}

// The window a merge (and every batch job) shows its log in keeps a bounded
// text: a long log clears it, and the end of the job says how often.
void MergeTest::progressWindowLogIsBoundedAndSaysSo() {
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

test::RunResult MergeTest::runCli(const std::vector<std::string>& args, const fs::path& folder) {
  std::vector<std::string> all{"--yes", "--quiet", "--no-log", "--settings", dir_.filePath("cli.ini").toStdString()};
  for (std::string& a : filled(args, folder)) all.push_back(std::move(a));
  return test::runKestrel(all);
}

void MergeTest::runOnWindows(std::size_t job, const fs::path& folder) {
  OpenDocuments& table = *frame_->context().openDocuments;
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
      QVERIFY(library::runTransfer(*lib, o, files, ui_, table).total.succeed > 0);
    } else {
      library::UpdateOptions o;
      o.inputSpec = ioBoard;
      o.correctionFactor = true;
      QCOMPARE(library::runUpdate(*lib, o, files, ui_, table).total.updated, 1L);
    }
    QVERIFY(lib->close());
  } else if (name == "recall") {
    const library::RecallRequest request{"RNC55H0438", ""};
    library::RecallCounters counters;
    library::RecallSettings settings;
    settings.libFile = (folder / "parts.lib").string();
    QVERIFY(library::recallIntoFile(ioBoard, files, settings, {&request, 1}, ui_, counters, {}, table));
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
    QVERIFY(!runImport(run, files, ui_).allOk());
  } else if (name.rfind("project", 0) == 0) {
    CProjDoc project;
    QVERIFY(openProject(files, (folder / "system.prj").string(), project));
    ProjectTree tree;
    QVERIFY(buildProjectTree(project, files, ui_, tree, table));
    EditResult r;
    if (name == "project add") {
      r = addChild(tree, 0, ChildMode::SubCircuit, "new_board.cir", nullptr, files, ui_, table);
    } else if (name == "project remove") {
      r = removeChild(tree, nodeOf(tree, "controller.cir"), files, ui_, table);
    } else {
      r = moveChild(tree, nodeOf(tree, "rf_module.hyb"), nodeOf(tree, "controller.cir"), files, ui_, table);
    }
    QVERIFY2(r.status && r.changed, r.status.message().c_str());
  } else if (name == "what-if") {
    WhatIfSettings settings;
    settings.changeEnvironment = true;
    settings.environment = 13;  // ML
    QVERIFY(runWhatIf(frame_->activeCircuit()->document(), files, ui_, settings, false, table).ok);
  } else if (name == "merge") {
    chosen_.push_back((folder / "controller.cir").string());
    QVERIFY(mergeIntoWindow(*frame_->activeCircuit(), frame_->context()));
  }
}

void MergeTest::batchJobsKeepWhatTheWindowHolds_data() {
  QTest::addColumn<int>("job");
  for (std::size_t i = 0; i < batchJobs().size(); ++i) QTest::newRow(batchJobs()[i].name) << static_cast<int>(i);
}

void MergeTest::batchJobsKeepWhatTheWindowHolds() {
  QFETCH(int, job);
  const BatchJob& row = batchJobs()[static_cast<std::size_t>(job)];
  const fs::path gui = freshFolder("gui");
  const fs::path cli = freshFolder("cli");
  for (const fs::path& folder : {gui, cli}) {
    QCOMPARE(runCli({"project", "new", "{}/system.prj", "{}/system.cir"}, folder).exitCode, 0);
  }
  std::map<std::string, std::string> untouched;
  for (const std::string& file : row.open) {
    untouched[file] = readBytes(gui / file);
    CircuitWindow* w = open(gui / file);
    QVERIFY(w != nullptr);
    addUnsavedParts(w->document(), ui_);
    w->documentChanged();
    // The copy holds the same edit, saved.
    std::unique_ptr<CCircDoc> copy;
    QVERIFY(loadDocument(posixFileSystem(), (cli / file).string(), copy));
    addUnsavedParts(*copy, ui_);
    QVERIFY(saveDocument(posixFileSystem(), *copy, (cli / file).string()));
  }
  std::map<std::string, std::string> editedOnly;
  for (const std::string& file : row.compare) editedOnly[file] = readBytes(cli / file);
  const std::string queryBefore = row.query.empty() ? "" : runCli(row.query, cli).out;

  runOnWindows(static_cast<std::size_t>(job), gui);
  if (QTest::currentTestFailed()) return;
  if (!row.logLine.empty()) {
    const std::string line = filled({row.logLine}, gui).front();
    QVERIFY2(std::find(ui_.logLines.begin(), ui_.logLines.end(), line) != ui_.logLines.end(), line.c_str());
  }
  // Nothing was written behind a window; each window then saves what it holds.
  for (CircuitWindow* w : frame_->circuits()) {
    const std::string file = fs::path(w->document().path()).filename().string();
    QVERIFY2(readBytes(gui / file) == untouched[file], file.c_str());
    QVERIFY2(w->document().isModified(), file.c_str());
    QVERIFY(w->save());
  }
  if (!row.cli.empty()) runCli(row.cli, cli);
  bool jobChanged = false;
  for (const std::string& file : row.compare) {
    QVERIFY2(readBytes(gui / file) == readBytes(cli / file), file.c_str());
    jobChanged = jobChanged || readBytes(cli / file) != editedOnly[file];
  }
  if (!row.query.empty()) {
    std::string mine = runCli(row.query, gui).out, theirs = runCli(row.query, cli).out;
    QCOMPARE(QString::fromStdString(mine).replace(QString::fromStdString(gui.string()), "DIR"),
             QString::fromStdString(theirs).replace(QString::fromStdString(cli.string()), "DIR"));
    jobChanged = jobChanged || theirs != queryBefore;
  }
  QCOMPARE(jobChanged, !row.cli.empty());
}

QTEST_MAIN(MergeTest)
// "Recover Library..." on a copy of the example library whose first data
// record has a wrong checksum: the new file holds every other record.
void MergeTest::recoverLibraryKeepsEveryIntactRecord() {
  const fs::path folder = freshFolder("recover");
  const fs::path damaged = folder / "parts.lib", recovered = folder / "new.lib";
  std::string bytes = readBytes(damaged);
  auto word = [&](std::size_t at) { return static_cast<std::int32_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 | static_cast<std::uint8_t>(bytes[at + 2]) << 16 | static_cast<std::uint8_t>(bytes[at + 3]) << 24); };
  std::size_t node = 1024 + 1024 * static_cast<std::size_t>(word(12));
  while (bytes[node + 12] != 0) node = 1024 + 1024 * static_cast<std::size_t>(word(node));
  std::size_t at = node + 18;
  while (bytes[at + 1] != 19) at += static_cast<std::uint8_t>(bytes[at]) + 1u;
  bytes[at + 8 + 2] = static_cast<char>(~bytes[at + 8 + 2]);  // the record's checksum
  std::ofstream(damaged, std::ios::binary) << bytes;

  ui_.messages.clear();
  {
    // The window lists every record past the damaged one, and says so once.
    auto window = LibraryWindow::open(damaged.string(), frame_->context());
    QVERIFY(window != nullptr);
    const QAbstractItemModel* rows = window->list()->model();
    QCOMPARE(rows->rowCount(), 528);
    int shown = 0;
    for (int r = 0; r < rows->rowCount(); ++r) shown += !rows->index(r, 0).data().toString().isEmpty();
    QCOMPARE(shown, 528);
    QCOMPARE(ui_.messages.size(), std::size_t{1});
    QVERIFY2(ui_.messages.back().find("1 record(s) can not be read") != std::string::npos, ui_.messages.back().c_str());
  }
  ui_.messages.clear();
  chosen_ = {damaged.string(), recovered.string()};
  QAction* item = test::menuItem(*frame_, "Library", "&Recover Library...");
  QVERIFY2(item != nullptr, "no Library > Recover Library... item");
  item->trigger();
  QCOMPARE(chooserCaptions_.size(), std::size_t{2});
  QVERIFY(!ui_.messages.empty());
  QVERIFY2(ui_.messages.back().find("Kept:527  Lost:1  Duplicates:0") != std::string::npos, ui_.messages.back().c_str());
  auto logged = [&](const std::string& text) {
    return std::any_of(ui_.logLines.begin(), ui_.logLines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
  };
  QVERIFY(logged("...Complete."));
  QVERIFY(logged("(node "));  // the lost record, named
  QCOMPARE(frame_->mdiArea()->subWindowList().size(), 1);  // the new library, opened
  frame_->mdiArea()->closeAllSubWindows();
  QCOMPARE(test::runKestrel({"lib", "check", recovered.string()}).exitCode, 0);
  QCOMPARE(readBytes(damaged), bytes);  // only read
}

#include "merge_test.moc"
