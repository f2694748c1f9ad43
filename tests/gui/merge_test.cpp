// Merge driven through the frame's "Activities" menu, offscreen: the file
// chooser and the question are answered by a script. A merge through the
// window must write the same file as `kestrel merge` on a copy of the same
// files; refused merges leave the document and every file as they were.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <fstream>

#include "core/circ_doc.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/main_window.hpp"
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

 private:
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

QTEST_MAIN(MergeTest)
#include "merge_test.moc"
