// What-If? driven through the frame's "Activities" menu, offscreen: the
// sheet is filled and the confirmation answered by a script. A run through
// the window must leave every file of the hierarchy as `kestrel whatif`
// with the same options leaves a copy of the same files; refused entries
// and runs without changes leave every file as it was.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "gui/circuit_window.hpp"
#include "gui/exchange/whatif_command.hpp"
#include "gui/exchange/whatif_sheet.hpp"
#include "gui/main_window.hpp"
#include "gui/property_sheet.hpp"
#include "models/register_all.hpp"
#include "menu_items.hpp"
#include "run_kestrel.hpp"
#include "support/recording_ui.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

const char* const kHierarchy[] = {"system.cir", "controller.cir", "io_board.cir", "power_supply.cir",
                                  "rf_module.hyb"};

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every field and result of a file as the command line shows it, without
// the file name (the copies live in different folders).
nlohmann::json shown(const fs::path& path) {
  const test::RunResult r = test::runKestrel({"--no-log", "show", "--json", path.string()});
  if (r.exitCode != 0) return nullptr;
  nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
  if (j.is_object()) j.erase("file");
  return j;
}

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

class WhatIfTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void sheetRunEqualsCommandLine_data();
  void sheetRunEqualsCommandLine();
  void refusedEntries_data();
  void refusedEntries();
  void runsThatChangeNothing_data();
  void runsThatChangeNothing();
  void openSubFileWindowShowsTheChanges();
  void previewChangesNothingAndShowsTotals();

 private:
  fs::path freshFolder(const std::string& name);
  void triggerWhatIf();
  // The sheet gets `script`; the confirmation is answered `confirmOk`.
  void scriptDialogs(const QString& script, bool confirmOk);

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<MainWindow> frame_;
  std::string confirmation_;
  std::string totals_;  // the last before/after totals shown
  bool preview_ = false;  // the confirmation's Preview is pressed first
  int sheets_ = 0;
};

void WhatIfTest::initTestCase() {
  registerAllParts();
  QVERIFY(dir_.isValid());
  std::vector<std::string> warnings;
  settings_ = std::make_unique<Settings>(
      Settings::load(posixFileSystem(), dir_.filePath("217F2.INI").toStdString(), warnings));
  frame_ = std::make_unique<MainWindow>(*settings_, posixFileSystem());
  GuiContext& context = frame_->context();
  context.ui = &ui_;
  context.chooseFile = [](bool, const std::string&, const std::string&) { return std::string(); };
  context.askSave = [](const std::string&) { return SaveAnswer::Discard; };
}

void WhatIfTest::init() {
  ui_ = test::RecordingUi();
  confirmation_.clear();
  totals_.clear();
  preview_ = false;
  sheets_ = 0;
}

void WhatIfTest::cleanup() {
  frame_->mdiArea()->closeAllSubWindows();
  QApplication::processEvents();
}

fs::path WhatIfTest::freshFolder(const std::string& name) {
  const fs::path folder = fs::path(dir_.path().toStdString()) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const char* file : kHierarchy) fs::copy_file(fs::path(KESTREL_EXAMPLES) / file, folder / file);
  return folder;
}

void WhatIfTest::triggerWhatIf() {
  QAction* item = test::menuItem(*frame_, "Activities", "&What-If?...");
  QVERIFY2(item != nullptr, "no Activities > What-If?... item");
  item->trigger();
}

void WhatIfTest::scriptDialogs(const QString& script, bool confirmOk) {
  frame_->context().runDialog = [this, script, confirmOk](QDialog& dialog) {
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

void WhatIfTest::sheetRunEqualsCommandLine_data() {
  QTest::addColumn<QString>("top");
  QTest::addColumn<QString>("script");
  QTest::addColumn<QStringList>("options");
  QTest::addColumn<QStringList>("confirmation");
  QTest::newRow("environment and temperature, whole hierarchy")
      << "system.cir"
      << "Change Environment=1;Environment=NS;Temperature Mode=Increase;Temperature=10"
      << QStringList{"--env", "NS", "--temp", "increase:10"}
      << QStringList{"- Make Changes for Entire Hierarchy: YES", "- Part Type Filter: OFF", "- PN Filter: OFF",
                     "- Environment: NS", "- Temperature: Increase (10.0C)", "- Quality: NoChange",
                     "- Stress: NoChange"};
  // The hybrid below io_board.cir has a resistor too: it must stay as it is.
  QTest::newRow("resistors only, top file only")
      << "io_board.cir"
      << "Make Changes for Entire Hierarchy=0;Part Type Filter=1;Part Type=Resistor;Quality Mode=SetDirect;"
         "Quality Level=3;Stress Mode=SetDirect;Stress=40"
      << QStringList{"--top-only", "--type", "Resistor", "--quality", "set:3", "--stress", "set:40"}
      << QStringList{"- Make Changes for Entire Hierarchy: NO", "- Part Type Filter: Resistor", "- PN Filter: OFF",
                     "- Environment: NoChange", "- Temperature: NoChange", "- Quality: SetDirect (3)",
                     "- Stress: SetDirect (40.0%)"};
  QTest::newRow("part-number filter, computed stress, colder")
      << "system.cir"
      << "PN Filter=1;PN=rnc;Stress Mode=SetToCalcMode;Temperature Mode=Decrease;Temperature=100;"
         "Quality Mode=Decrease;Quality Level=2"
      << QStringList{"--pn", "rnc", "--stress", "calc", "--temp", "decrease:100", "--quality", "decrease:2"}
      << QStringList{"- Make Changes for Entire Hierarchy: YES", "- Part Type Filter: OFF", "- PN Filter: 'rnc'",
                     "- Environment: NoChange", "- Temperature: Decrease (100.0C)", "- Quality: Decrease (2)",
                     "- Stress: SetToCalcMode"};
}

void WhatIfTest::sheetRunEqualsCommandLine() {
  QFETCH(QString, top);
  QFETCH(QString, script);
  QFETCH(QStringList, options);
  QFETCH(QStringList, confirmation);
  const fs::path gui = freshFolder("gui");
  const fs::path cli = freshFolder("cli");
  QVERIFY(frame_->openFile((gui / top.toStdString()).string()));
  CircuitWindow* w = frame_->activeCircuit();
  QVERIFY(w != nullptr);
  scriptDialogs(script, true);
  triggerWhatIf();
  QCOMPARE(ui_.messages, std::vector<std::string>{});
  confirmation.prepend("Select OK to make the following What-If? changes:");
  // The changes first, then every file the run rewrites.
  const QString joined = confirmation.join("\r\n") + "\r\n\r\nFiles changed and rewritten:\r\n   " +
                         QString::fromStdString((gui / top.toStdString()).string()) +
                         "  (open: changed in its window, not saved)\r\n";
  QVERIFY2(QString::fromStdString(confirmation_).startsWith(joined), confirmation_.c_str());
  for (const char* file : kHierarchy) {
    const bool reached = top == "system.cir" || std::string(file) == "io_board.cir" || std::string(file) == "rf_module.hyb";
    QCOMPARE(confirmation_.find("   " + (gui / file).string()) != std::string::npos, reached);
  }
  QVERIFY(!ui_.lineHistory[1].empty());
  QCOMPARE(QString::fromStdString(ui_.lineHistory[1].back()), "'" + top.toUpper() + "' Calculation Results:");
  QVERIFY(ui_.lineHistory[2].back().rfind("FR=", 0) == 0);
  QVERIFY(std::find(ui_.lineHistory[5].begin(), ui_.lineHistory[5].end(), "Updating view...") !=
          ui_.lineHistory[5].end());
  // The window's document is changed, not its file: the user saves it.
  const fs::path topFile = gui / top.toStdString();
  QVERIFY(readBytes(topFile) == readBytes(fs::path(KESTREL_EXAMPLES) / top.toStdString()));
  QVERIFY(w->document().isModified());
  QVERIFY(w->save());

  std::vector<std::string> args{"--yes", "--quiet", "--no-log", "--settings", dir_.filePath("cli.ini").toStdString(),
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
    const nlohmann::json mine = shown(gui / file);
    QVERIFY2(mine.is_object(), file);
    QVERIFY2(mine == shown(cli / file), file);
    anyChanged = anyChanged || readBytes(gui / file) != readBytes(fs::path(KESTREL_EXAMPLES) / file);
  }
  QVERIFY(anyChanged);
}

void WhatIfTest::refusedEntries_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("message");
  const QString range = "Number entry is out of range:\n";
  QTest::newRow("set temperature below -55")
      << "Temperature Mode=SetDirect;Temperature=-56" << range + "-55.0000 to 175.0000";
  QTest::newRow("temperature increase below 0")
      << "Temperature Mode=Increase;Temperature=-1" << range + "0.0 to 175.0000";
  QTest::newRow("quality level 0") << "Quality Mode=SetDirect;Quality Level=0" << range + "1 to 10";
  QTest::newRow("stress above 100") << "Stress Mode=Increase;Stress=101" << range + "0.0 to 100.0000";
  QTest::newRow("part number too long")
      << "PN Filter=1;PN=ABCDEFGHIJKLMNOPQRSTUVWXYZ"
      << "Text entry has too many characters:\n26 ch entered ... 25 ch max";
  QTest::newRow("a value set, then a mode it does not fit")
      << "Temperature Mode=SetDirect;Temperature=-40;Temperature Mode=Increase" << range + "0.0 to 175.0000";
}

void WhatIfTest::refusedEntries() {
  QFETCH(QString, script);
  QFETCH(QString, message);
  const fs::path folder = freshFolder("refused");
  QVERIFY(frame_->openFile((folder / "system.cir").string()));
  scriptDialogs(script, true);
  triggerWhatIf();
  QVERIFY(!ui_.messages.empty());
  QCOMPARE(QString::fromStdString(ui_.messages.front()), message);
  QVERIFY(confirmation_.empty());
  for (const char* file : kHierarchy) {
    QVERIFY2(readBytes(folder / file) == readBytes(fs::path(KESTREL_EXAMPLES) / file), file);
  }
}

void WhatIfTest::runsThatChangeNothing_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<bool>("confirmOk");
  QTest::addColumn<QStringList>("messages");
  QTest::newRow("only a filter") << "PN Filter=1;PN=RNC" << true << QStringList{"No What-If? changes specified."};
  QTest::newRow("confirmation cancelled") << "Change Environment=1;Environment=GB" << false << QStringList{};
}

void WhatIfTest::runsThatChangeNothing() {
  QFETCH(QString, script);
  QFETCH(bool, confirmOk);
  QFETCH(QStringList, messages);
  const fs::path folder = freshFolder("nothing");
  QVERIFY(frame_->openFile((folder / "system.cir").string()));
  scriptDialogs(script, confirmOk);
  triggerWhatIf();
  QStringList shownMessages;
  for (const std::string& m : ui_.messages) shownMessages << QString::fromStdString(m);
  QCOMPARE(shownMessages, messages);
  QVERIFY(!confirmation_.empty());
  for (const char* file : kHierarchy) {
    QVERIFY2(readBytes(folder / file) == readBytes(fs::path(KESTREL_EXAMPLES) / file), file);
  }
}

// A sub-file open in its own window is changed there, not on disk: the
// window shows the change and is marked modified; its file stays.
void WhatIfTest::openSubFileWindowShowsTheChanges() {
  const fs::path folder = freshFolder("open");
  QVERIFY(frame_->openFile((folder / "power_supply.cir").string()));
  CircuitWindow* child = frame_->activeCircuit();
  QVERIFY(frame_->openFile((folder / "system.cir").string()));
  QVERIFY(frame_->activeCircuit() != child);
  scriptDialogs("Change Environment=1;Environment=ML", true);
  triggerWhatIf();
  QCOMPARE(ui_.messages, std::vector<std::string>{});
  QCOMPARE(child->document().header().environment(), std::uint8_t{13});
  QVERIFY(child->document().isModified());
  QVERIFY(child->windowTitle().endsWith(" *"));
  QCOMPARE(child->document().path(), (folder / "power_supply.cir").string());
  QVERIFY(readBytes(folder / "power_supply.cir") == readBytes(fs::path(KESTREL_EXAMPLES) / "power_supply.cir"));
  QVERIFY(readBytes(folder / "controller.cir") != readBytes(fs::path(KESTREL_EXAMPLES) / "controller.cir"));
}

// Preview runs the changes on copies: every total is shown before and after,
// and neither the files nor the open document change; the user then cancels.
void WhatIfTest::previewChangesNothingAndShowsTotals() {
  const fs::path folder = freshFolder("preview");
  QVERIFY(frame_->openFile((folder / "system.cir").string()));
  const std::vector<std::uint8_t> before = encodeDocument(frame_->activeCircuit()->document());
  preview_ = true;
  scriptDialogs("Change Environment=1;Environment=ML", false);
  triggerWhatIf();
  QCOMPARE(ui_.messages, std::vector<std::string>{});
  QVERIFY(totals_.rfind("Preview on copies: no file was changed.", 0) == 0);
  for (const char* file : kHierarchy) {
    QVERIFY2(readBytes(folder / file) == readBytes(fs::path(KESTREL_EXAMPLES) / file), file);
    const std::size_t at = totals_.find("'" + (folder / file).string() + "': FR= ");
    QVERIFY2(at != std::string::npos, file);
    // Environment ML is harsher than any of the examples': every total grows.
    const std::string line = totals_.substr(at, totals_.find('\n', at) - at);
    const std::size_t arrow = line.find(" -> ");
    const double was = std::stod(line.substr(line.find("FR= ") + 4));
    QVERIFY2(std::stod(line.substr(arrow + 4)) > was, line.c_str());
  }
  QVERIFY(encodeDocument(frame_->activeCircuit()->document()) == before);
}

QTEST_MAIN(WhatIfTest)
#include "whatif_test.moc"
