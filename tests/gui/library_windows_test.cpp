// The library and cross-reference windows driven as a user drives them,
// offscreen, against what `kestrel lib`, `kestrel xref`, `kestrel transfer`
// and `kestrel update` give for the same inputs.
#include <iterator>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <fstream>
#include <sstream>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/library/library_window.hpp"
#include "gui/library/transfer_sheets.hpp"
#include "gui/library/xref_window.hpp"
#include "gui/dialogs.hpp"
#include "gui/library/recall_browse_dialog.hpp"
#include "gui/library/recall_dialog.hpp"
#include "desktop_fixture.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

// Every record of a library in list order: its keys and its stored part.
struct StoredPart {
  std::string pn, pn2;
  std::uint16_t type = 0;
  std::uint8_t hybrid = 0;
  std::vector<std::uint8_t> blob;
  bool operator==(const StoredPart&) const = default;
};

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

class LibraryWindowsTest final : public QObject, test::DesktopFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void listMatchesCommandLine_data();
  void listMatchesCommandLine();
  void findByPnFromTopAndCurrent_data();
  void findByPnFromTopAndCurrent();
  void addEditDeleteAsCommandLine();
  void lockedRecordRefusedAndUnchanged();
  void xrefWindowListsFindsAndPastes();
  void transferAndUpdateAsCommandLine();
  void hugeLibraryReadsOnlyWhatIsShown();

 private:
  std::unique_ptr<LibraryWindow> openLibrary(const std::string& path);
};

void LibraryWindowsTest::initTestCase() { QVERIFY(setUp(false)); }

void LibraryWindowsTest::init() { reset(); }

std::unique_ptr<LibraryWindow> LibraryWindowsTest::openLibrary(const std::string& path) {
  auto w = LibraryWindow::open(path, context());
  if (w) w->setAttribute(Qt::WA_DeleteOnClose, false);
  return w;
}

void LibraryWindowsTest::listMatchesCommandLine_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("page");
  QTest::newRow("number, type, date") << 1 << 1;
  QTest::newRow("number, PN2, type") << 2 << 1;
  QTest::newRow("a later page") << 1 << 7;
}

void LibraryWindowsTest::listMatchesCommandLine() {
  QFETCH(int, style);
  QFETCH(int, page);
  const std::string path = copyExample("parts.lib", "list.lib");
  auto w = openLibrary(path);
  QVERIFY(w);
  w->setListStyle(style);
  const test::RunResult run = test::runKestrel(
      {"lib", "list", path, "--style", std::to_string(style), "--page", std::to_string(page), "--page-size", "40"});
  QCOMPARE(run.exitCode, 0);
  const auto cli = test::splitLines(run.out);
  QVERIFY(cli.size() > 3 + 30);
  QCOMPARE(w->headerLines(), std::vector<std::string>(cli.begin(), cli.begin() + 3));
  for (std::size_t i = 3; i < cli.size(); ++i) {
    const int row = (page - 1) * 40 + static_cast<int>(i - 3);
    QCOMPARE(w->model()->data(w->model()->index(row), Qt::DisplayRole).toString().toStdString(), cli[i]);
  }
}

void LibraryWindowsTest::findByPnFromTopAndCurrent_data() {
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

void LibraryWindowsTest::findByPnFromTopAndCurrent() {
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

void LibraryWindowsTest::addEditDeleteAsCommandLine() {
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

void LibraryWindowsTest::lockedRecordRefusedAndUnchanged() {
  const std::string path = copyExample("parts.lib", "locked.lib");
  auto w = openLibrary(path);
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
  const std::string locked = "'" + path + "'...\n...can not lock record...\n...record is locked by another process.";
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
  QCOMPARE(ui.messages[0], "Can not edit record\n" + locked);
  QCOMPARE(ui.messages[1], "Can not delete record\n" + locked);
  QCOMPARE(storedParts(path), before);
  // Released: the window edits the record now.
  ui.messages.clear();
  scriptEntries({{"DESCR", "after the lock"}});
  w->editSelected();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(storedParts(path) != before);
}

void LibraryWindowsTest::xrefWindowListsFindsAndPastes() {
  const std::string path = copyExample("parts.xrf", "window.xrf");
  auto w = XRefWindow::open(path, context());
  QVERIFY(w);
  const test::RunResult run = test::runKestrel({"xref", "list", path});
  QCOMPARE(run.exitCode, 0);
  const auto cli = test::splitLines(run.out);
  QCOMPARE(w->headerLines(), std::vector<std::string>(cli.begin(), cli.begin() + 2));
  QCOMPARE(w->model()->rowCount(), static_cast<int>(cli.size()) - 2);
  for (std::size_t i = 2; i < cli.size(); ++i) {
    QCOMPARE(w->model()->data(w->model()->index(static_cast<int>(i - 2)), Qt::DisplayRole).toString().toStdString(),
             cli[i]);
  }
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
  const test::RunResult after = test::runKestrel({"xref", "find", path, "VENDOR-R2B"});
  QCOMPARE(after.exitCode, 0);
  QCOMPARE(test::splitLines(after.out).front(), cli[3].substr(0, 1) + strprintf("%-25.25s", "VENDOR-R2B") + cli[3].substr(26));
  QCOMPARE(w->model()->keyAt(*w->selectedRow()), std::string("VENDOR-R2B"));
}

void LibraryWindowsTest::transferAndUpdateAsCommandLine() {
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
  scriptAccept<TransferSheet>([&](TransferSheet& sheet) {
    sheet.setOptions(t);
  });
  w->transfer();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(ui.questions.size(), std::size_t{1});
  // The question lists what the sheet was given (the same library as the command line's shows it took it).
  QVERIFY2(ui.questions[0].starts_with("The Transfer operation will read part records from the 'Input Filespec'") &&
               ui.questions[0].ends_with("- Target Library File: '" + guiLib + "'\n- Replace Duplicate Records: NO\n"
                                         "- Clear Reference Designator: YES\n- Clear LCN: NO\n- Set Quantity=1: YES\n"
                                         "- Part Type Filter: OFF\n- PN Filter: 'R'"),
           ui.questions[0].c_str());
  test::RunResult cli = test::runKestrel({"--yes", "--no-log", "transfer", cliDir + "/*.cir", cliLib, "--clear-refdes",
                                          "--qty-one", "--pn", "R"});
  QCOMPARE(cli.exitCode, 0);
  const auto transferred = storedParts(guiLib);
  QVERIFY(!transferred.empty());
  QCOMPARE(transferred, storedParts(cliLib));
  // The counters the window's log shows are the command line's totals.
  long succeed = 0, duplicate = 0, filterOut = 0, files = 0;
  for (const std::string& line : ui.logLines) {
    long s = 0, d = 0, f = 0;
    if (std::sscanf(line.c_str(), "   ...Succeed:%ld  DuplicatePN:%ld  FilterOut:%ld", &s, &d, &f) == 3) {
      succeed += s, duplicate += d, filterOut += f, ++files;
    }
  }
  QCOMPARE(files, 2L);
  QCOMPARE(strprintf("Succeed:%ld  DuplicatePN:%ld  FilterOut:%ld", succeed, duplicate, filterOut),
           test::splitLines(cli.out).back());
  QVERIFY(filterOut > 0);
  QCOMPARE(w->headerLines()[2], strprintf("Library Parts List    Records: %ld", static_cast<long>(transferred.size())));
  // The log file got the run as well.
  std::ifstream logFile(dir.filePath("kestrel.log").toStdString());
  std::stringstream logText;
  logText << logFile.rdbuf();
  QVERIFY(logText.str().find("TRANSFER") != std::string::npos);
  QVERIFY(logText.str().find("Opening '" + guiDir) != std::string::npos);
  // The options are kept for the next run.
  QCOMPARE(loadTransferOptions(*settings).inputSpec, t.inputSpec);
  QVERIFY(loadTransferOptions(*settings).setQuantityOne);

  // Update the circuits from the library: quantity and designator come from
  // the library (1 and empty), everything else stays the circuit's.
  const auto originalRecords = circuitRecords(guiDir + "/power_supply.cir");
  ui.questions.clear();
  library::UpdateOptions u;
  u.inputSpec = guiDir + "/*.cir";
  u.quantity = true;
  u.refdes = true;
  scriptAccept<UpdateSheet>([&](UpdateSheet& sheet) {
    sheet.setOptions(u);
  });
  w->update();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(ui.questions.size(), std::size_t{1});
  QVERIFY(ui.questions[0].rfind("The Update operation will update part records in the 'Input Filespec' files,\n"
                                 "to match the current part record data in the 'Source Library File'.\n"
                                 "Select OK to do the following Update:\n",
                                 0) == 0);
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

void LibraryWindowsTest::hugeLibraryReadsOnlyWhatIsShown() {
  constexpr long kParts = 100000;
  const std::string path = dir.filePath("huge.lib").toStdString();
  QElapsedTimer timer;
  timer.start();
  {
    library::StoreMessage error;
    auto lib = library::PartLibrary::create(path, error);
    QVERIFY2(lib, error.text().c_str());
    lib->store().SetDurable(false);  // built for the test only: no flush per record
    auto part = PartRegistry::instance().create(findPartTypeByClass("CResistor")->id, false);
    QVERIFY(part);
    for (long i = 0; i < kParts; ++i) {
      part->PN = strprintf("R%07ld", i);
      if (lib->add(*part) != library::Outcome::Ok) QFAIL(lib->error().text().c_str());
    }
  }
  const qint64 built = timer.restart();
  auto w = openLibrary(path);
  QVERIFY(w);
  w->resize(800, 500);
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  QApplication::processEvents();
  const qint64 opened = timer.restart();
  QCOMPARE(w->model()->rowCount(), static_cast<int>(kParts));
  QVERIFY(w->model()->pagesRead() >= 1);
  QVERIFY2(w->model()->rowsRead() <= 2 * static_cast<long>(PagedListModel::kPageRows),
           strprintf("%ld rows read", w->model()->rowsRead()).c_str());
  // The last page is reached from the end, the middle from the nearer side.
  w->list()->scrollToBottom();
  QApplication::processEvents();
  const qint64 bottom = timer.restart();
  QCOMPARE(w->model()->data(w->model()->index(static_cast<int>(kParts - 1)), Qt::DisplayRole).toString().mid(1, 8),
           QString("R0099999"));
  QVERIFY2(w->model()->rowsRead() <= 5 * static_cast<long>(PagedListModel::kPageRows),
           strprintf("%ld rows read", w->model()->rowsRead()).c_str());
  w->selectRow(kParts / 2);
  QApplication::processEvents();
  const qint64 middle = timer.restart();
  QCOMPARE(w->model()->keyAt(kParts / 2), strprintf("R%07ld", kParts / 2));
  qInfo("100000 parts: built %lld ms, first page %lld ms, last page %lld ms, middle %lld ms; %ld pages, %ld rows read",
        static_cast<long long>(built), static_cast<long long>(opened), static_cast<long long>(bottom),
        static_cast<long long>(middle), w->model()->pagesRead(), w->model()->rowsRead());
}

// ---- Recall of library parts into a circuit ----
// Add by library recall driven as a user drives it, offscreen, against what
// `kestrel recall` writes for the same circuit, library and numbers.

namespace {

// How a browse dialog is answered: the row to pick (-1: none) and whether
// Find... is used first to reach the record by its part number.
struct BrowseAnswer {
  int row = -1;
  std::string findPn;
};

}  // namespace

class RecallTest final : public QObject, test::DesktopFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void recallMatchesCommandLine_data();
  void recallMatchesCommandLine();
  void refusalsAddNothing_data();
  void refusalsAddNothing();
  void browseOkNeedsSelection();
  void settingsKept();

 private:
  // Scripts Add (mode recall), the recall dialog with `job`, and the
  // property sheet accepted; then Add is cancelled.
  void scriptRecall(const RecallJob& job, const BrowseAnswer* browse = nullptr, bool acceptSheet = true);
  std::string lib_, xref_;
};

void RecallTest::initTestCase() {
  QVERIFY(setUp(false));
  lib_ = copyExample("parts.lib");
  xref_ = copyExample("parts.xrf");
}

void RecallTest::init() { reset(); }

void RecallTest::scriptRecall(const RecallJob& job, const BrowseAnswer* browse, bool acceptSheet) {
  scriptAccept<AddPartDialog>([](AddPartDialog& add) {
    add.chooseRecall(true);
  });
  scriptAccept<RecallDialog>([job](RecallDialog& recall) {
    recall.setJob(job);
  });
  if (browse != nullptr) {
    const BrowseAnswer answer = *browse;
    scriptAccept<RecallBrowseDialog>([answer](RecallBrowseDialog& b) {
      if (answer.row >= 0) b.selectRow(answer.row);
    });
  }
  script([acceptSheet](QDialog& d) {
    if (!acceptSheet) return static_cast<int>(QDialog::Rejected);
    dynamic_cast<PropertySheet&>(d).accept();
    return d.result();
  });
}

void RecallTest::recallMatchesCommandLine_data() {
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

void RecallTest::recallMatchesCommandLine() {
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

  const auto owned = openWindow(gui);
  CircuitWindow& window = *owned;
  const std::size_t before = window.document().count();
  const BrowseAnswer browse{browseRow, {}};
  scriptRecall({number.toStdString(), {lib_, searchXRef, xref_, move}}, browseRow >= 0 ? &browse : nullptr);
  window.addParts();
  QVERIFY2(dialogs.empty(), lastMessage().c_str());
  QCOMPARE(window.document().count(), before + 1);
  bool seen = false;
  for (const auto& r : window.document().records()) seen = seen || (r->PN == pn.toStdString() && r->PN2 == pn2.toStdString());
  QVERIFY(seen);
  QVERIFY(window.save());
  QCOMPARE(test::readBytes(gui), test::readBytes(cli));
}

void RecallTest::refusalsAddNothing_data() {
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

void RecallTest::refusalsAddNothing() {
  QFETCH(QString, file);
  QFETCH(QString, number);
  QFETCH(QString, library);
  QFETCH(QString, xref);
  QFETCH(int, browseRow);
  QFETCH(QString, message);
  const std::string path = copyExample(file.toStdString(), "refused" + fs::path(file.toStdString()).extension().string());
  const auto owned = openWindow(path);
  CircuitWindow& window = *owned;
  const std::size_t before = window.document().count();
  const RecallJob job{number.toStdString(),
                      {dir.filePath(library).toStdString(), !xref.isEmpty(), dir.filePath(xref).toStdString(), 1}};
  // The browse dialog stays open after a refusal; then it is cancelled.
  scriptRecall(job, nullptr, false);
  if (browseRow >= 0) {
    dialogs.pop_back();  // no sheet: nothing was recalled
    script([browseRow](QDialog& d) {
      auto& b = dynamic_cast<RecallBrowseDialog&>(d);
      b.selectRow(browseRow);
      b.accept();
      return b.result() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected;
    });
  } else {
    dialogs.pop_back();
  }
  window.addParts();
  QVERIFY(dialogs.empty());
  QVERIFY2(lastMessage().rfind(message.toStdString(), 0) == 0, lastMessage().c_str());
  QCOMPARE(window.document().count(), before);
}

void RecallTest::browseOkNeedsSelection() {
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

void RecallTest::settingsKept() {
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

int main(int argc, char** argv) { return test::runTests<LibraryWindowsTest, RecallTest>(argc, argv); }
#include "library_windows_test.moc"
