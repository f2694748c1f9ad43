// The desktop windows driven as a user drives them, offscreen: dialogs are
// answered by a script instead of a person, messages land in a recorder.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QTreeView>
#include <QPushButton>
#include <QScreen>
#include <nlohmann/json.hpp>
#include <regex>

#include "core/circ_file.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "gui/convert_dialog.hpp"
#include "gui/dialogs.hpp"
#include "gui/field_page.hpp"
#include "gui/find_dialog.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/exchange/import_definition_window.hpp"
#include "gui/help/help_windows.hpp"
#include "gui/print_setup_dialog.hpp"
#include "gui/report_printing.hpp"
#include "reports/report_profile.hpp"
#include "gui/library/recall_dialog.hpp"
#include "desktop_fixture.hpp"

using namespace kestrel;
using namespace kestrel::gui;
using test::menuIndexOf;

class WindowsTest final : public QObject, test::DesktopFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void editedStressCalculatesAsCommandLine();
  void pasteMovesPartBetweenCircuitsOnly();
  void textsInAnyLanguageThroughEditFieldAndClipboard();
  void badEntriesRefusedWithSharedMessages();
  void failedSaveKeepsDocumentModified();
  void fileChangedOnDiskIsAskedBeforeSavingOver();
  void fullListOpensAndRefusesMore();
  void findSelectsHitOrTellsWhereItLooked();
  void findRemembersItsChoices();
  void convertKeepsBaseFieldsAndChangesClass();
  void convertCancelChangesNothing();
  void browsePutsChosenFileNameIntoField();
  void uncalculatedPrintOffersCalculation();
  void changedSubFileMarksParentNotCurrent();
  void partClassPagesMatchCommandLine();
  void sortedListKeepsCommandsOnDocumentRows();
  void failedCalculationKeepsItsErrorLine();
  void undoRedoRestoresEveryCommandKind();
  void emptyPageNamesFieldAndPageAndFocusesIt();
  void shortcutsAndWindowMenuWorkInAFreshFrame();
  void labelsShowNoLiteralAmpersand();
  void confirmationButtonsFollowTheQuestion();
  void placementRoundTripsAndStaysOnScreen();
  void sensibleStartsOfAddAndLists();
  void printSetupLaysOutAsCommandLine();
  void longReportAssemblyShowsProgressAndCancels();

};

void WindowsTest::initTestCase() { QVERIFY(setUp(false)); }

void WindowsTest::init() { reset(); }

std::optional<std::size_t> findPn(const CCircDoc& doc, const std::string& pn) {
  for (std::size_t i = 0; i < doc.count(); ++i) {
    if (doc.record(i).PN == pn) return i;
  }
  return std::nullopt;
}

void WindowsTest::editedStressCalculatesAsCommandLine() {
  const std::string path = copyExample("power_supply.cir");
  auto w = openWindow(path);
  QVERIFY(w);
  const auto row = findPn(w->document(), "RWR81S1R00FR");
  QVERIFY(row);
  w->select(*row);
  QVERIFY(w->selectionText().find(strprintf("Record: %zu of %zu", *row + 1, w->document().count())) !=
          std::string::npos);

  std::string stressBefore;
  scriptAccept<PropertySheet>([&](PropertySheet& sheet) {
    // The stress is computed from Pd / Pmax until the mode is "Manual".
    stressBefore = sheet.shown("RES_PSTRESS");
    sheet.enter("RES_STRESSMODE", "Manual");
    sheet.enter("RES_PSTRESS", "75");
  });
  w->editSelected();
  QCOMPARE(stressBefore, std::string(kNotApplicable));
  QVERIFY(ui.messages.empty());
  QCOMPARE(w->document().header().CalcFlags, std::uint16_t{0});  // any edit clears the results
  const auto edited = findPn(w->document(), "RWR81S1R00FR");
  QVERIFY(edited);
  QCOMPARE(w->document().record(*edited).S, 75.0f);

  scriptAccept<CalculateDialog>([](CalculateDialog& calc) {
    calc.setMission(false);
    calc.setTime("8760");
  });
  QVERIFY(w->calculate());
  QVERIFY(w->resultText().rfind("FR=", 0) == 0);
  QVERIFY(w->save());
  QVERIFY(!w->document().isModified());
  // The saved file holds the manual stress for the command line too.
  const test::RunResult run = test::runKestrel({"calc", "--json", path});
  QCOMPARE(nlohmann::json::parse(run.out)["records"][*edited]["fields"]["RES_PSTRESS"].get<double>(), 75.0);
}

void WindowsTest::pasteMovesPartBetweenCircuitsOnly() {
  auto from = openWindow(copyExample("power_supply.cir"));
  auto to = openWindow(copyExample("controller.cir"));
  auto hybrid = openWindow(copyExample("rf_module.hyb"));
  QVERIFY(from && to && hybrid);
  from->select(0);
  from->copySelected();
  const std::size_t before = to->document().count();
  to->paste();
  QVERIFY(ui.messages.empty());
  QCOMPARE(to->document().count(), before + 1);
  const auto pasted = findPn(to->document(), from->document().record(0).PN);
  QVERIFY(pasted);
  const CPart& copy = to->document().record(*pasted);
  QCOMPARE(copy.classRecord().className, from->document().record(0).classRecord().className);
  QCOMPARE(copy.REFDES, from->document().record(0).REFDES);
  QVERIFY(to->document().isModified());
  QCOMPARE(to->document().header().CalcFlags, std::uint16_t{0});
  QVERIFY(to->selectionText().find(strprintf("Record: %zu of", *pasted + 1)) != std::string::npos);

  // A circuit's record does not go into a hybrid.
  const std::size_t hybridBefore = hybrid->document().count();
  hybrid->paste();
  QCOMPARE(lastMessage(), std::string("PASTE: no matching format."));
  QCOMPARE(hybrid->document().count(), hybridBefore);

  // Damaged clipboard objects are refused, never half read.
  const std::vector<std::uint8_t> bytes = encodeClipboardPart(from->document().record(0));
  auto cutShort = bytes, leftOver = bytes, unknownClass = bytes;
  cutShort.resize(bytes.size() / 2);
  leftOver.push_back(0);
  unknownClass[6] = 'Z';
  for (const auto& [data, asHybrid] : {std::pair{std::vector<std::uint8_t>{}, false}, std::pair{cutShort, false},
                                       std::pair{leftOver, false}, std::pair{bytes, true}, std::pair{unknownClass, false}}) {
    std::unique_ptr<CPart> part;
    const Status s = decodeClipboardPart(data, asHybrid, part);
    QVERIFY(!s && !part);
    QCOMPARE(s.message(), std::string("PASTE: can not get part object."));
  }
  std::unique_ptr<CPart> part;
  QVERIFY(decodeClipboardPart(bytes, false, part).isOk());
}

// Unicode pasted into an edit field is stored in the records' code page (Omega
// becomes '?', the euro sign 0x80); a copy shows it in Unicode and pastes back.
void WindowsTest::textsInAnyLanguageThroughEditFieldAndClipboard() {
  auto from = openWindow(copyExample("power_supply.cir"));
  auto to = openWindow(copyExample("controller.cir"));
  from->select(0);
  QApplication::clipboard()->setText(QString::fromUtf8("\u00B5" "F \u00B1" "5 % \u03A9 25 \u00B0" "C Z\u00FCrich \u20AC"));
  scriptAccept<PropertySheet>([](PropertySheet& sheet) {
    if (auto* pn = sheet.findChild<QLineEdit*>("PN")) pn->selectAll(), pn->paste();
  });
  from->editSelected();
  const std::string stored = "\xB5" "F \xB1" "5 % ? 25 \xB0" "C Z\xFCrich \x80";
  const auto row = findPn(from->document(), stored);
  QVERIFY(ui.messages.empty() && row);
  from->select(*row);
  from->copySelected();
  QVERIFY(QApplication::clipboard()->text().contains(QString::fromUtf8("\u00B5" "F \u00B1" "5 % ? 25 \u00B0" "C Z\u00FCrich \u20AC")));
  to->paste();
  QVERIFY(findPn(to->document(), stored));
}

void WindowsTest::badEntriesRefusedWithSharedMessages() {
  auto w = openWindow(copyExample("power_supply.cir"));
  QVERIFY(w);
  w->select(0);
  const float qtyBefore = w->document().record(0).QTY;
  const struct {
    const char* field;
    std::string entry;
    std::string message;
  } refused[] = {
      {"QTY", "0", "Number entry is out of range:\n1 to 999"},
      {"QTY", "1000", "Number entry is out of range:\n1 to 999"},
      {"PN", std::string(26, 'A'), "Text entry has too many characters:\n26 ch entered ... 25 ch max"},
      {"TEMPLIMIT", "501", "Number entry is out of range:\n" + formatNumber(0, 15, 6) + " to " + formatNumber(500, 15, 6)},
  };
  for (const auto& c : refused) {
    ui.messages.clear();
    bool closed = true;
    script([&](QDialog& dialog) {
      auto* sheet = dynamic_cast<PropertySheet*>(&dialog);
      if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
      sheet->enter(c.field, c.entry);
      sheet->accept();  // OK checks the page in front again: the sheet stays open
      closed = sheet->result() == QDialog::Accepted;
      return static_cast<int>(QDialog::Rejected);
    });
    w->editSelected();
    QVERIFY2(!closed, c.field);
    QVERIFY2(ui.messages.size() >= 1, c.field);
    QCOMPARE(ui.messages.front(), c.message);
  }
  QCOMPARE(w->document().record(0).QTY, qtyBefore);

  // A valid entry is stored and shown in its stored form.
  std::string shown;
  scriptAccept<PropertySheet>([&](PropertySheet& sheet) {
    sheet.enter("QTY", "3.0");
    shown = sheet.shown("QTY");
  });
  ui.messages.clear();
  w->editSelected();
  QVERIFY(ui.messages.empty());
  QCOMPARE(shown, std::string("3"));
  const auto row = findPn(w->document(), "RLR07C4701GS");
  QVERIFY(row);
  QCOMPARE(w->document().record(*row).QTY, 3.0f);

  // Commands without a selection tell so, and open no dialog.
  auto empty = owned(std::make_unique<CircuitWindow>(std::make_unique<CCircDoc>(DocKind::Circuit), context()));
  ui.messages.clear();
  script([](QDialog&) { return static_cast<int>(QDialog::Accepted); });
  empty->editSelected();
  empty->deleteSelected();
  empty->copySelected();
  empty->convertSelected();
  QVERIFY(!dialogs.empty());
  dialogs.clear();
  const std::vector<std::string> expected{"EDIT: no part selection.", "DELETE: no part selection.",
                                          "COPY: no part selection.", "CONVERT: no part selection."};
  QCOMPARE(ui.messages, expected);
  QCOMPARE(empty->document().count(), std::size_t{0});

  // The Calculate dialog refuses text and limits the mission time.
  ui.messages.clear();
  CalculateDialog calc(*settings, ui);
  calc.setTime("abc");
  calc.accept();
  QCOMPARE(calc.result(), static_cast<int>(QDialog::Rejected));
  calc.setTime("0");
  calc.accept();
  const std::vector<std::string> calcMessages{"Please enter a number.",
                                              "Setting Mission Time to minimum:\n0.000001 hrs."};
  QCOMPARE(ui.messages, calcMessages);
  QCOMPARE(calc.job().missionTime, 0.000001);
}

void WindowsTest::failedSaveKeepsDocumentModified() {
  const std::string path = copyExample("controller.cir");
  const auto before = std::filesystem::file_size(path);
  auto w = openWindow(path);
  QVERIFY(w);
  w->select(0);
  ui.answers = {true};
  w->deleteSelected();
  QVERIFY(w->document().isModified());
  const struct {
    std::string target;
    std::string mustName;
  } cases[] = {
      {dir.filePath("no-such-folder/a.cir").toStdString(), "no-such-folder/a.cir"},
      {dir.filePath("wrong.txt").toStdString(), "Please change file extension to '.CIR'"},
  };
  for (const auto& c : cases) {
    ui.messages.clear();
    chosenFiles = {c.target, ""};  // refused, then the question again is cancelled
    QVERIFY(!w->saveAs());
    QVERIFY(w->document().isModified());
    QVERIFY2(ui.messages.size() == 1 && ui.messages[0].find(c.mustName) != std::string::npos,
             lastMessage().c_str());
  }
  // The file on disk is the one opened: nothing was lost or half-written.
  QCOMPARE(std::filesystem::file_size(path), before);
  QVERIFY(!std::filesystem::exists(dir.filePath("wrong.txt").toStdString()));
  // Asked again after a refused name: the extension is added, the case kept.
  chosenFiles = {dir.filePath("Board.txt").toStdString(), dir.filePath("PwrBoard").toStdString()};
  QVERIFY(w->saveAs());
  QCOMPARE(w->document().path(), dir.filePath("PwrBoard.cir").toStdString());
  QVERIFY(std::filesystem::exists(w->document().path()));
}

void WindowsTest::fileChangedOnDiskIsAskedBeforeSavingOver() {
  const std::string path = copyExample("controller.cir");
  auto w = openWindow(path);
  QVERIFY(w);
  w->select(0);
  ui.answers = {true};
  w->deleteSelected();
  // Another program changes the file behind the open window.
  QCOMPARE(test::runKestrel({"-q", "set", path, "HEADER_CF=3"}).exitCode, 0);
  const auto bytes = [&path] { return test::readBytes(path); };
  const std::string theirs = bytes();
  const std::string question = strprintf(kChangedOnDiskQuestion, path.c_str());
  ui.questions.clear();
  ui.answers = {false};
  QVERIFY(!w->save());
  QCOMPARE(ui.questions, std::vector<std::string>{question});
  QVERIFY(w->document().isModified());
  QCOMPARE(bytes(), theirs);
  ui.answers = {true};
  QVERIFY(w->save());
  QVERIFY(bytes() != theirs);
  // Saved over once, the file is the window's own again: no question.
  ui.questions.clear();
  ui.answers = {true};
  w->deleteSelected();
  QVERIFY(w->save());
  QCOMPARE(ui.questions.size(), std::size_t{1});  // the delete's own
}

void WindowsTest::fullListOpensAndRefusesMore() {
  // A circuit of MaxRecs records, written once.
  CCircDoc big;
  auto source = openWindow(copyExample("power_supply.cir"));
  QVERIFY(source);
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    auto part = source->document().record(0).clone();
    part->PN = strprintf("P%06zu", i);
    big.appendLoaded(std::move(part));
  }
  const std::string path = dir.filePath("big.cir").toStdString();
  QVERIFY(saveDocument(posixFileSystem(), big, path).isOk());

  auto w = openWindow(path);
  QVERIFY(w);
  w->show();
  QApplication::processEvents();
  QCOMPARE(w->model()->rowCount(), static_cast<int>(kMaxRecs));
  QVERIFY(w->model()->data(w->model()->index(static_cast<int>(kMaxRecs) - 1, 0), Qt::DisplayRole)
              .toString().startsWith("P015999"));

  ui.messages.clear();
  script([](QDialog&) { return static_cast<int>(QDialog::Accepted); });
  w->addParts();
  QCOMPARE(lastMessage(), std::string("ADD: circuit list is full."));
  source->select(0);
  source->copySelected();
  w->paste();
  QCOMPARE(lastMessage(), std::string("PASTE: circuit list is full."));
  QCOMPARE(w->document().count(), kMaxRecs);
}

constexpr std::uint16_t kResistorType = 401;

void WindowsTest::findSelectsHitOrTellsWhereItLooked() {
  auto w = openWindow(copyExample("power_supply.cir"));
  QVERIFY(w);
  CCircDoc& doc = w->document();
  // The list: RLR07C4701GS R9-R12, RNC55H1002FS R1-R8, RWR81S1R00FR R13 (resistors),
  // then PS-BRIDGE, PS-CONN-6, PS-FAN, PS-XFMR-01 (miscellaneous).
  QCOMPARE(doc.count(), std::size_t{7});
  const RecordFindFields pn{true, false, false, false, false, false};
  const RecordFindFields descr{false, false, false, true, false, false};
  const std::size_t misc = menuIndexOf(kMiscType, false);
  const std::size_t resistor = menuIndexOf(kResistorType, false);
  const struct {
    const char* what;
    std::size_t selected;
    bool partType;
    std::string text;
    RecordFindFields fields;
    std::size_t type;
    bool fromCurrent;
    std::optional<std::size_t> hit;
    std::string message;
  } cases[] = {
      {"descr from top", 3, false, "film", descr, 0, false, 0, ""},
      {"descr after the last hit", 1, false, "film", descr, 0, true, std::nullopt,
       "Text: 'film'\nMatching record was not found (from current)."},
      {"pn not ticked", 0, false, "film", pn, 0, false, std::nullopt,
       "Text: 'film'\nMatching record was not found (from top)."},
      {"type from top", 5, true, "film", descr, misc, false, 3, ""},
      {"type after current", 3, true, "", pn, misc, true, 4, ""},
      {"type after its last record", 2, true, "", pn, resistor, true, std::nullopt,
       "Part Type: 'Resistor'\nMatching record was not found (from current)."},
  };
  for (const auto& c : cases) {
    ui.messages.clear();
    w->select(c.selected);
    scriptAccept<FindDialog>([&](FindDialog& find) {
      find.setPartTypeMode(c.partType);
      find.setText(c.text);
      find.setFields(c.fields);
      if (c.type != 0) find.setType(c.type);
      find.setFromCurrent(c.fromCurrent);
    });
    w->find();
    QVERIFY2(dialogs.empty(), c.what);  // the Find dialog was shown
    if (c.hit) {
      QVERIFY2(ui.messages.empty(), c.what);
      QCOMPARE(w->selection(), c.hit);
      QVERIFY2(w->selectionText().find(strprintf("Record: %zu of 7", *c.hit + 1)) != std::string::npos, c.what);
    } else {
      QCOMPARE(ui.messages, std::vector<std::string>{c.message});
      QCOMPARE(w->selection(), std::optional<std::size_t>(c.selected));  // the selection stays
    }
  }

  // Cancel searches nothing.
  ui.messages.clear();
  w->select(2);
  script([](QDialog&) { return static_cast<int>(QDialog::Rejected); });
  w->find();
  QVERIFY(ui.messages.empty());
  QCOMPARE(w->selection(), std::optional<std::size_t>(2));

  // A hybrid names its types with the hybrid menu's names.
  auto hybrid = openWindow(copyExample("rf_module.hyb"));
  QVERIFY(hybrid);
  QCOMPARE(hybrid->document().record(0).PART_TYPE, kResistorType);
  hybrid->select(0);
  ui.messages.clear();
  scriptAccept<FindDialog>([](FindDialog& find) {
    find.setPartTypeMode(true);
    find.setType(menuIndexOf(kResistorType, true));
    find.setFromCurrent(true);
  });
  hybrid->find();
  QCOMPARE(ui.messages,
           std::vector<std::string>{"Part Type: 'Resistor(Hyb)'\nMatching record was not found (from current)."});
}

void WindowsTest::findRemembersItsChoices() {
  std::vector<std::string> circuitMenu, hybridMenu;
  QVERIFY(PartRegistry::instance().buildMenu(false, circuitMenu).isOk());
  QVERIFY(PartRegistry::instance().buildMenu(true, hybridMenu).isOk());
  const std::size_t resistor = menuIndexOf(kResistorType, false);
  {
    FindDialog first(circuitMenu, false, *settings);
    first.setPartTypeMode(true);
    first.setFromCurrent(true);
    first.setText("rwr81");
    first.setFields({false, true, true, false, false, true});
    first.setType(resistor);
    first.accept();
  }
  QCOMPARE(settings->text("Circuit Find", "PN"), std::string("{OFF}"));

  // The next dialog opens with those choices.
  FindDialog again(circuitMenu, false, *settings);
  again.accept();
  const RecordFindJob& job = again.job();
  QCOMPARE(job.mode, RecordFindMode::PartType);
  QVERIFY(job.fromCurrent);
  QCOMPARE(job.text, std::string("rwr81"));
  QVERIFY(!job.fields.pn && job.fields.pn2 && job.fields.refDes && !job.fields.descr && !job.fields.lcn &&
          job.fields.notes);
  QCOMPARE(job.typeId, kResistorType);

  // Each kind keeps its own type; stored values out of range read as 0.
  const struct {
    const char* mode;
    const char* from;
    const char* type;
  } stored[] = {{"7", "5", "500"}, {"-1", "-1", "-3"}, {"x", "2", "0"}};
  for (const auto& c : stored) {
    settings->setText("Circuit Find", "Mode", c.mode);
    settings->setText("Circuit Find", "From", c.from);
    settings->setText("Circuit Find", "HybType", c.type);
    FindDialog damaged(hybridMenu, true, *settings);
    damaged.accept();
    QCOMPARE(damaged.job().mode, RecordFindMode::Text);
    QVERIFY(!damaged.job().fromCurrent);
    QCOMPARE(damaged.job().typeId, menuTable(true)[0].id);  // the first entry of the menu
  }
  QCOMPARE(settings->text("Circuit Find", "CircType"), std::to_string(resistor));
}

void WindowsTest::convertKeepsBaseFieldsAndChangesClass() {
  auto w = openWindow(copyExample("power_supply.cir"));
  QVERIFY(w);
  CCircDoc& doc = w->document();
  w->select(0);
  CPart& old = doc.record(0);
  QCOMPARE(old.PN, std::string("RLR07C4701GS"));
  old.PN2 = "M39017/1-4701";
  old.LCN = "5905-00-123-4567";
  old.NOTESTITLE = "Derating";
  old.NOTES = "Half of the rated power.";
  old.CF = 1.5f;
  old.TEMPLIMIT = 125.0f;
  const std::unique_ptr<CPart> before = old.clone();
  const std::size_t count = doc.count();
  const std::size_t misc = menuIndexOf(kMiscType, false);

  // The dialog names the current type; the new type's sheet comes filled with the base fields.
  std::vector<std::string> shown;
  scriptAccept<ConvertTypeDialog>([&](ConvertTypeDialog& convert) {
    shown.push_back(convert.findChild<QLabel*>("CurrentType")->text().toStdString());
    convert.choose(misc, true);
  });
  scriptAccept<PropertySheet>([&](PropertySheet& sheet) {
    for (const char* field : {"PN", "QTY", "NOTES"}) shown.push_back(sheet.shown(field));
  });
  w->convertSelected();
  QVERIFY(ui.messages.empty());
  QCOMPARE(shown, (std::vector<std::string>{"Resistor", "RLR07C4701GS", "4", "Half of the rated power."}));

  QCOMPARE(doc.count(), count);
  const auto pos = findPn(doc, "RLR07C4701GS");
  QVERIFY(pos);
  const CPart& now = doc.record(*pos);
  QCOMPARE(now.classRecord().className, std::string_view("CMisc"));
  QCOMPARE(now.PART_TYPE, kMiscType);
  const auto base = [](const CPart& p) {
    return std::tie(p.PN2, p.REFDES, p.DESCR, p.LCN, p.QTY, p.CF, p.TEMPLIMIT, p.STRESSLIMIT, p.NOTESTITLE, p.NOTES,
                    p.IS_SMT);
  };
  QVERIFY(base(now) == base(*before));
  // Replaced as an edit replaces: sorted among its new type, results cleared, selected.
  QVERIFY(*pos > 0 && doc.record(*pos - 1).PART_TYPE <= kMiscType);
  QCOMPARE(doc.header().CalcFlags, std::uint16_t{0});
  QVERIFY(doc.isModified());
  QCOMPARE(w->selection(), pos);
  QCOMPARE(settings->text("Convert Type", "CircType"), std::to_string(misc));

}

void WindowsTest::convertCancelChangesNothing() {
  auto w = openWindow(copyExample("rf_module.hyb"));
  QVERIFY(w);
  CCircDoc& doc = w->document();
  w->select(1);
  const std::vector<std::uint8_t> before = encodeClipboardPart(doc.record(1));
  const std::size_t resistor = menuIndexOf(kResistorType, true);
  const struct {
    const char* what;
    bool dialogOk;
  } cases[] = {{"Convert Type cancelled", false}, {"property sheet cancelled", true}};
  for (const auto& c : cases) {
    bool sheetShown = false;
    script([&](QDialog& dialog) {
      auto* convert = dynamic_cast<ConvertTypeDialog*>(&dialog);
      if (convert == nullptr) return static_cast<int>(QDialog::Rejected);
      convert->choose(resistor, false);
      if (!c.dialogOk) return static_cast<int>(QDialog::Rejected);
      convert->accept();
      script([&](QDialog& next) {
        auto* sheet = dynamic_cast<PropertySheet*>(&next);
        sheetShown = sheet != nullptr;
        if (sheet != nullptr) sheet->enter("QTY", "9");  // edited, then cancelled
        return static_cast<int>(QDialog::Rejected);
      });
      return convert->result();
    });
    w->convertSelected();
    QCOMPARE(sheetShown, c.dialogOk);
    QVERIFY2(ui.messages.empty(), c.what);
    QVERIFY2(encodeClipboardPart(doc.record(1)) == before, c.what);
    QCOMPARE(doc.count(), std::size_t{4});
    QVERIFY2(!doc.isModified(), c.what);
    QCOMPARE(w->selection(), std::optional<std::size_t>(1));
  }
}

void WindowsTest::browsePutsChosenFileNameIntoField() {
  auto w = openWindow(copyExample("controller.cir"));
  QVERIFY(w);
  const struct {
    const char* what;
    bool hybrid;  // a sub-hybrid record, else a sub-circuit
    std::string chosen;
    std::string stored;  // the record's file name after OK; "" when OK is refused
    std::string message;
  } cases[] = {
      {"sub-circuit", false, dir.filePath("boards/io_board.cir").toStdString(), "io_board.cir", ""},
      {"sub-hybrid", true, dir.filePath("rf_module.hyb").toStdString(), "rf_module.hyb", ""},
      {"chooser cancelled", false, "", "typed.cir", ""},
      {"name outside ASCII", false, "/tmp/Z\u00FCrich.cir", "Z\xFCrich.cir", ""},  // kept in Windows-1252
      {"name too long", false, "/tmp/" + std::string(57, 'N') + ".cir", "",
       "Text entry has too many characters:\n61 ch entered ... 60 ch max"},
  };
  const auto addAs = [this](std::uint16_t type) {
    scriptAccept<AddPartDialog>([type](AddPartDialog& add) { add.choose(menuIndexOf(type, false), true); });
  };
  for (const auto& c : cases) {
    ui.messages.clear();
    chosenFile = c.chosen;
    chooserCalls.clear();
    const std::uint16_t type = c.hybrid ? kSubHybridType : kSubCircuitType;
    const std::string field = c.hybrid ? "SUBHYB_FILENAME" : "SUBCIRC_FILENAME";
    const std::string pn = std::string("SUB-") + c.what;
    addAs(type);
    scriptAccept<PropertySheet>([&](PropertySheet& sheet) {
      sheet.enter("PN", pn);
      sheet.enter(field, "typed.cir");
      if (auto* browse = sheet.findChild<QPushButton*>(QString::fromStdString(field + "_BROWSE"))) browse->click();
    });
    w->addParts();  // the Add dialog comes again after the record: unanswered, it ends
    QCOMPARE(chooserCalls, std::vector<std::string>{c.hybrid ? "Choose SubHybrid File|Hybrid Files (*.hyb)"
                                                             : "Choose SubCircuit File|Circuit Files (*.cir)"});
    QCOMPARE(ui.messages.empty() ? std::string() : ui.messages.front(), c.message);
    const auto row = findPn(w->document(), pn);
    QCOMPARE(row.has_value(), !c.stored.empty());  // a refused name stays in the field and OK is refused
    if (row) QCOMPARE(w->document().record(*row).PART_TYPE, type);
    if (row) QCOMPARE(w->document().record(*row).FileName, c.stored);
  }
  // Other part types have no browse button.
  bool hasButton = true;
  addAs(kMiscType);
  script([&](QDialog& next) {
    hasButton = !next.findChildren<QPushButton*>(QRegularExpression("_BROWSE$")).isEmpty();
    return static_cast<int>(QDialog::Rejected);
  });
  w->addParts();
  QVERIFY(!hasButton);
}

// A child changed and calculated alone: the parent's window marks the row and
// the totals, and printing offers to calculate first; "No" prints the report
// with its warning, "Yes" clears the marks.
void WindowsTest::changedSubFileMarksParentNotCurrent() {
  const std::string child = dir.filePath("stale-child.cir").toStdString();
  const std::string parent = dir.filePath("stale-parent.cir").toStdString();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"new", "circuit", child}, {"add", child, "609", "MISC_BASEFR=10"},
        {"new", "circuit", parent}, {"add", parent, "SubCircuit", "PN=S1", "SUBCIRC_FILENAME=stale-child.cir"},
        {"-q", "calc", parent}, {"add", child, "609", "MISC_BASEFR=5"}, {"-q", "calc", child}}) {
    QCOMPARE(test::runKestrel(args).exitCode, 0);
  }
  ui.questions.clear();
  auto w = openWindow(parent);
  QVERIFY(w);
  const QModelIndex pn = w->model()->index(0, RecordListModel::PartNumber);
  QVERIFY(!w->model()->data(pn, Qt::DecorationRole).isNull());
  QVERIFY(w->model()->data(pn, Qt::ToolTipRole).toString().contains("sub-file changed"));
  QVERIFY(w->resultText().ends_with("(not current)"));

  for (const bool yes : {false, true}) {
    const std::string txt = dir.filePath(yes ? "stale-yes.txt" : "stale-no.txt").toStdString();
    chosenFile = txt;
    ui.answers = {yes};
    script([](QDialog& dialog) {
      dialog.accept();
      return static_cast<int>(QDialog::Accepted);
    });
    w->printToFile(OutputKind::Text);
    QVERIFY(ui.questions.back().starts_with("NOT CURRENT: sub-file results out of date (rec#1"));
    QCOMPARE(test::readBytes(txt).find("NOT CURRENT") != std::string::npos, !yes);
  }
  QVERIFY(w->model()->data(pn, Qt::DecorationRole).isNull());
  QVERIFY(!w->resultText().ends_with("(not current)"));
}

// Printing an uncalculated document asks to calculate it first: Yes runs the
// Calculate dialog and prints with the saved Report Setup, the mission lines
// included after a mission calculation; No prints nothing on any road.
void WindowsTest::uncalculatedPrintOffersCalculation() {
  const std::string question = "Circuit must be calculated before printing.\nCalculate now?";
  settings->setText("Report", "Company", "Print Road Test Company");
  settings->setText("Report", "MissionResults", "0");
  std::string status;
  context().statusText = [&](const std::string& text) { status = text; };
  struct Case {
    const char* road;
    bool yes;
  };
  for (const Case c : {Case{"file", true}, Case{"file", false}, Case{"preview", false}, Case{"print", false}}) {
    const QString name = QString("%1 %2").arg(c.road).arg(c.yes ? "yes" : "no");
    init();
    ui.questions.clear();
    status.clear();
    auto w = openWindow(copyExample("power_supply.cir"));
    QVERIFY(w);
    w->document().header().CalcFlags = 0;  // as after an edit
    ui.answers = {c.yes};
    const std::string pdf = dir.filePath(name + ".pdf").toStdString();
    std::filesystem::remove(pdf);
    chosenFile = pdf;
    scriptAccept<CalculateDialog>([](CalculateDialog& calc) { calc.setMission(true); });
    if (std::string(c.road) == "file") w->printToFile(OutputKind::Pdf);
    if (std::string(c.road) == "preview") w->printPreview();
    if (std::string(c.road) == "print") w->print();
    QCOMPARE(ui.questions, std::vector<std::string>{question});
    QCOMPARE(std::filesystem::exists(pdf), c.yes);
    if (!c.yes) {
      QVERIFY2(ui.messages.empty(), qPrintable(name));
      QCOMPARE(w->document().header().CalcFlags, std::uint16_t{0});
      continue;
    }
    QVERIFY((w->document().header().CalcFlags & HeaderMissionDone) != 0);
    const std::string told = "Report printed to '" + pdf + "'.";
    QCOMPARE(lastMessage(), told);
    QCOMPARE(status, told);
    QProcess text;
    text.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    QVERIFY(text.waitForFinished(20000));
    const QString pages = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(pages.contains("Company: Print Road Test Company"), qPrintable(pages.left(2000)));
    QVERIFY2(pages.contains("MissionTime=") && pages.contains("MissionMTBF="), qPrintable(pages.left(2000)));
    QVERIFY(!pages.contains("*NOCALC*"));
  }
  context().statusText = nullptr;
}

// Every part class's help page in the desktop is the text `kestrel help` prints.
void WindowsTest::partClassPagesMatchCommandLine() {
  PartClassesWindow window;
  QVERIFY(window.classes()->count() >= 30);
  for (int row = 0; row < window.classes()->count(); ++row) {
    window.classes()->setCurrentRow(row);
    const auto id = window.classes()->item(row)->data(Qt::UserRole).toUInt();
    const test::RunResult r = test::runKestrel({"help", std::to_string(id)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(window.pageText(), r.out);
  }
  const QString guide = userGuideHtml();
  for (const char* part : {"A first circuit", "Calculation", "Libraries", "Import and export", "What-If?", "Graphs",
                           "Projects"}) {
    QVERIFY2(guide.contains(QString("<h2>%1</h2>").arg(part)), part);
  }
}

// A child that is its own parent under another name: the error stays on the
// progress window's last line after the views are refreshed.
void WindowsTest::failedCalculationKeepsItsErrorLine() {
  const std::string top = copyExample("controller.cir");
  auto w = openWindow(top);
  QVERIFY(w);
  auto link = PartRegistry::instance().create(kSubCircuitType, false);
  link->PN = "LOOP";
  link->FileName = "loop.cir";
  w->document().insertSorted(std::move(link));
  QVERIFY(saveDocument(posixFileSystem(), w->document(), top).isOk());
  std::filesystem::create_symlink(top, dir.filePath("loop.cir").toStdString());
  QVERIFY(!w->runCalculation(CalculateJob{}));
  QCOMPARE(ui.lines[2], std::string("'CONTROLLER.CIR' (Level 1)..."));
  QCOMPARE(ui.lines[5], std::string("...Error: self-reference (rec#1)."));
}


// Sorting orders the view only: every row of the view still names its
// document record, a command acts on that record, and the file keeps its order.
void WindowsTest::sortedListKeepsCommandsOnDocumentRows() {
  auto w = openWindow(copyExample("power_supply.cir"));
  QVERIFY(w && w->runCalculation(CalculateJob{}));
  const std::string totals = w->resultText();
  QVERIFY(totals.rfind("FR=", 0) == 0);
  const CCircDoc& doc = w->document();
  const RecordListModel& m = *w->model();
  QVERIFY(m.headerData(RecordListModel::Tfr, Qt::Horizontal, Qt::DisplayRole).toString().contains("fpmh"));
  std::size_t largest = 0;
  for (std::size_t i = 0; i < doc.count(); ++i) {
    if (doc.record(i).TFR() > doc.record(largest).TFR()) largest = i;
  }
  QCOMPARE(m.largest().front(), largest);
  QVERIFY(m.data(m.index(static_cast<int>(largest), 0), Qt::FontRole).value<QFont>().bold());

  const auto bytes = encodeDocument(doc);
  const auto key = [&](std::size_t row, int column) {
    return m.data(m.index(static_cast<int>(row), column), RecordListModel::kSortRole);
  };
  for (int column = 0; column < RecordListModel::ColumnCount; ++column) {
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
      w->sortBy(column, order);
      std::vector<QVariant> keys;
      for (int r = 0; r < static_cast<int>(doc.count()); ++r) {
        w->list()->setCurrentIndex(w->list()->model()->index(r, 0));
        const auto sel = w->selection();
        QVERIFY(sel);
        QVERIFY(w->selectionText().find(strprintf("Record: %zu of", *sel + 1)) != std::string::npos);
        keys.push_back(key(*sel, column));
      }
      for (std::size_t r = 1; r < keys.size(); ++r) {
        const QVariant& a = order == Qt::AscendingOrder ? keys[r - 1] : keys[r];
        const QVariant& b = order == Qt::AscendingOrder ? keys[r] : keys[r - 1];
        const bool inOrder =
            a.typeId() == QMetaType::Double ? a.toDouble() <= b.toDouble() : a.toString() <= b.toString();
        QVERIFY2(inOrder, qPrintable(QString("column %1 row %2").arg(column).arg(r)));
      }
    }
  }
  QVERIFY(encodeDocument(doc) == bytes);

  // The view's top row under TFR descending is the largest part: Delete removes it.
  w->sortBy(RecordListModel::Tfr, Qt::DescendingOrder);
  w->list()->setCurrentIndex(w->list()->model()->index(0, 0));
  const std::string pn = doc.record(largest).PN;
  w->deleteSelected();
  QCOMPARE(doc.count(), std::size_t{6});
  QVERIFY(!findPn(doc, pn));
  // The last totals stay, marked; the share column waits for a calculation.
  QCOMPARE(w->resultText(), totals + "   (not current)");
  QVERIFY(m.data(m.index(0, RecordListModel::Share), Qt::DisplayRole).toString().isEmpty());
}

// Each command is undone to the exact bytes before it and redone to those
// after it; twenty steps are kept; a save forgets them.
void WindowsTest::undoRedoRestoresEveryCommandKind() {
  auto w = openWindow(copyExample("power_supply.cir"));
  QVERIFY(w);
  const CCircDoc& doc = w->document();
  const auto choose = [](std::uint16_t type) { return [type](auto& d) { d.choose(menuIndexOf(type, false), true); }; };
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"add", [&] {
         scriptAccept<AddPartDialog>(choose(kMiscType));
         scriptEntries({{"PN", "NEW-1"}});
         w->addParts();
       }},
      {"edit", [&] { w->select(0); scriptEntries({{"QTY", "7"}}); w->editSelected(); }},
      {"delete", [&] { w->select(1); w->deleteSelected(); }},
      {"convert", [&] {
         w->select(3);
         scriptAccept<ConvertTypeDialog>(choose(kResistorType));
         scriptEntries({{"PN", "CONVERTED"}});
         w->convertSelected();
       }},
      {"cut", [&] { w->select(2); w->cutSelected(); }},
      {"paste", [&] { w->paste(); }},
      {"header", [&] { scriptEntries({{"HEADER_TEMP", "61"}}); w->editHeader(); }},
  };
  for (const auto& [what, command] : commands) {
    const auto before = encodeDocument(doc);
    command();
    const auto after = encodeDocument(doc);
    QVERIFY2(after != before && ui.messages.empty(), what);
    w->undo();
    QVERIFY2(encodeDocument(doc) == before, what);
    w->redo();
    QVERIFY2(encodeDocument(doc) == after, what);
  }

  // Twenty-one edits: the first stays, the twenty after it are undone.
  const auto row = findPn(doc, "RWR81S1R00FR");
  QVERIFY(row);
  for (int qty = 2; qty <= 22; ++qty) {
    w->select(*row);
    scriptEntries({{"QTY", std::to_string(qty)}});
    w->editSelected();
  }
  int undone = 0;
  for (; w->canUndo(); ++undone) w->undo();
  QCOMPARE(undone, 20);
  QCOMPARE(doc.record(*row).QTY, 2.0f);

  w->redo();
  QVERIFY(w->save());
  QVERIFY(!w->canUndo() && !w->canRedo());
}

void WindowsTest::emptyPageNamesFieldAndPageAndFocusesIt() {
  CircuitWindow w(std::make_unique<CCircDoc>(DocKind::Circuit), context());
  // One rule for every class: without default parameters a page starts empty
  // and OK names its first empty field; with them OK takes the record.
  for (const std::uint16_t type : {401, 101, 302}) {
    for (const bool defaults : {false, true}) {
      ui.messages.clear();
      const std::size_t before = w.document().count();
      QString label;
      script([&](QDialog& dialog) {
        dynamic_cast<AddPartDialog&>(dialog).choose(menuIndexOf(type, false), defaults);
        dialog.accept();
        script([&](QDialog& next) {
          auto& sheet = dynamic_cast<PropertySheet&>(next);
          sheet.show();
          sheet.enter("PN", "P1");
          sheet.accept();
          auto* form = qobject_cast<QFormLayout*>(sheet.page(1).layout());
          if (auto* at = qobject_cast<QLabel*>(form->labelForField(sheet.focusWidget()))) label = at->text();
          sheet.hide();
          return sheet.result();
        });
        return dialog.result();
      });
      w.addParts();
      QCOMPARE(w.document().count(), before + (defaults ? 1 : 0));
      const QString message = defaults ? QString() : "Page 2 needs to be completed...\n'" + label.section(" [", 0, 0) +
                                                          "' on page 'Parameters' has no entry.";
      QCOMPARE(QString::fromStdString(lastMessage()), message);
      QVERIFY(defaults || !label.isEmpty());  // the cursor is in that field
    }
  }
}

// A frame whose dialogs, choosers and messages are the test's.
std::unique_ptr<MainWindow> testFrame(Settings& settings, const GuiContext& context) {
  auto frame = std::make_unique<MainWindow>(settings, posixFileSystem());
  GuiContext& c = frame->context();
  c.ui = context.ui;
  c.runDialog = context.runDialog;
  c.chooseFile = context.chooseFile;
  c.askSave = context.askSave;
  return frame;
}

void WindowsTest::shortcutsAndWindowMenuWorkInAFreshFrame() {
  auto frame = testFrame(*settings, context());
  frame->show();
  frame->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(frame.get()));
  QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(frame->circuits().size(), std::size_t{1});
  const std::pair<QKeyCombination, std::string> keys[] = {
      {Qt::ControlModifier | Qt::Key_S, "Save As"}, {Qt::ControlModifier | Qt::Key_O, "Open"}, {Qt::Key_F9, "Save As"}};
  for (const auto& [key, chooser] : keys) {
    chooserCalls.clear();
    QTest::keyClick(frame.get(), key.key(), key.keyboardModifiers());
    QCOMPARE(chooserCalls.back().substr(0, chooserCalls.back().find('|')), chooser);
  }
  QVERIFY(frame->openFile(copyExample("controller.cir")));
  frame->activeCircuit()->select(0);
  ui.answers = {false};
  QTest::keyClick(frame.get(), Qt::Key_Delete);
  QVERIFY(!ui.questions.empty() && ui.questions.back().rfind("PN: '", 0) == 0);

  // The Window menu lists both documents, the one in front checked.
  QMenu* menu = frame->menu("&Window");
  emit menu->aboutToShow();
  QList<QAction*> docs = menu->actions();
  docs.removeIf([](QAction* a) { return !a->isCheckable(); });
  QCOMPARE(docs.size(), 2);
  QVERIFY(docs[1]->isChecked() && !docs[0]->isChecked());
  QVERIFY(docs[1]->text().endsWith(frame->circuits()[1]->windowTitle()));
  docs[0]->trigger();
  QCOMPARE(frame->activeCircuit(), frame->circuits()[0]);
  // Ctrl+S saves the window in front whatever its kind.
  frame->addChildWindow(ImportDefinitionWindow::create(frame->context()).release());
  QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(chooserCalls.back().substr(0, chooserCalls.back().find('|')), std::string("Save Import Definition As"));
}

// Labels whose "&" is shown as it is: no buddy takes the mnemonic.
QStringList literalAmpersands(const QWidget& window) {
  QStringList found;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (label->buddy() == nullptr && QString(label->text()).remove("&&").contains('&')) found << label->text();
  }
  return found;
}

void WindowsTest::labelsShowNoLiteralAmpersand() {
  auto frame = testFrame(*settings, context());
  QVERIFY(frame->openFile(copyExample("controller.cir")));
  RecallDialog recall(false, frame->context());
  QStringList found = literalAmpersands(recall);
  int dialogs = 0;
  frame->context().runDialog = [&](QDialog& dialog) {
    ++dialogs;
    found << literalAmpersands(dialog);
    return static_cast<int>(QDialog::Rejected);
  };
  // Every dialog the menus open (those that print or end the program aside).
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu() != nullptr) walk(a->menu());
      if (a->menu() == nullptr && !a->text().contains(QRegularExpression("Print|About|E&xit|&Close"))) a->trigger();
    }
  };
  for (QAction* top : frame->menuBar()->actions()) {
    if (top->menu() != nullptr) walk(top->menu());
  }
  QVERIFY(dialogs >= 8);
  QVERIFY2(found.isEmpty(), qPrintable(found.join(" | ")));
}

void WindowsTest::confirmationButtonsFollowTheQuestion() {
  DialogUi dialogs(nullptr);
  QMessageBox::StandardButtons shown;
  QTimer poll;  // answers each box with its default button
  connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->standardButtons();
      box->defaultButton()->click();
    }
  });
  poll.start(10);
  QVERIFY(dialogs.confirm("Select OK to do the following Import:\n- Description: 'x'"));
  QCOMPARE(shown, QMessageBox::Ok | QMessageBox::Cancel);
  QVERIFY(dialogs.confirm("Cancel calculation?"));
  QCOMPARE(shown, QMessageBox::Yes | QMessageBox::No);
}

void WindowsTest::placementRoundTripsAndStaysOnScreen() {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const std::string kept = strprintf("0,1,-1,-1,-1,-1,%d,%d,%d,%d", screen.left() + 40, screen.top() + 30,
                                     screen.left() + 640, screen.top() + 430);
  for (const std::string& stored : {kept, std::string("0,1,-1,-1,-1,-1,9000,7000,9600,7400")}) {
    settings->setText("Settings", "WindowPos", stored);
    auto frame = testFrame(*settings, context());
    frame->restorePlacement();
    frame->savePlacement();
    QVERIFY2(screen.contains(frame->geometry()), stored.c_str());
    QVERIFY(stored != kept || settings->text("Settings", "WindowPos") == kept);
  }
  // A document window larger than the frame's area opens inside it.
  auto frame = testFrame(*settings, context());
  frame->show();
  QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
  QMdiSubWindow* sub = frame->addChildWindow(new QWidget, QSize(5000, 4000));
  QVERIFY(QRect(QPoint(0, 0), frame->mdiArea()->viewport()->size()).contains(sub->geometry()));
  // Closing the frame keeps the working folder for the next start.
  const QString here = QDir::currentPath();
  QDir::setCurrent(dir.path());
  frame->close();
  QDir::setCurrent(here);
  QCOMPARE(QString::fromStdString(settings->text("Settings", "WorkingDir")),
           QFileInfo(dir.path()).canonicalFilePath());
}

void WindowsTest::sensibleStartsOfAddAndLists() {
  // The first Add offers the resistor, later ones the class used last.
  settings->setWhole("Circuit Add", "CircType", 0);
  std::vector<std::string> menu;
  QVERIFY(PartRegistry::instance().buildMenu(false, menu));
  for (const QString type : {"Resistor", "Capacitor"}) {
    AddPartDialog add(menu, false, false, *settings);
    QCOMPARE(add.findChild<QComboBox*>("PartType")->currentText(), type);
    add.choose(menuIndexOf(403, false), true);
    add.accept();
  }
  // The sheet opens with the cursor in the part number; a new style takes
  // a quality it can have.
  CCircDoc doc(DocKind::Circuit);
  auto part = PartRegistry::instance().create(403, false);
  PropertySheet sheet("Capacitor", ui);
  addPartPages(sheet, *part, doc, true);
  sheet.show();
  QCOMPARE(sheet.focusWidget()->objectName(), QString("PN"));
  for (const auto& [style, quality] : {std::pair<std::string, std::string>{"CKR (Ceramic,ER)", "M (ER)"},
                                       {"CK (Ceramic)", "Non-ER"}, {"CDR (CeramicChip,ER)", "M (ER)"}}) {
    QVERIFY(sheet.enter("CAP_TYPE", style));
    QCOMPARE(sheet.shown("CAP_QU"), quality);
  }
  sheet.hide();
  // Environments are listed with their names; the code is what is stored.
  CCircHeader header;
  PropertySheet headerSheet("Circuit Header", ui);
  addHeaderPages(headerSheet, header, false);
  auto* env = headerSheet.findChild<QComboBox*>("HEADER_ENV");
  QCOMPARE(env->itemText(1), QString("GF - Ground, Fixed"));
  QVERIFY(headerSheet.enter("HEADER_ENV", "NS"));
  QCOMPARE(header.ENV, std::uint8_t{4});
  QCOMPARE(env->toolTip(), QString("NS - Naval, Sheltered"));
}

// Print Setup's paper and orientation reach every road: the desktop's print
// to file lays the report out as `kestrel report` does on the same paper, and
// the printer gets the same sheet. The frame and its windows carry the icon.
void WindowsTest::printSetupLaysOutAsCommandLine() {
  PrintSetupDialog setup(*settings);
  setup.choose("A4", true);
  setup.accept();
  const ReportSettings saved = loadReportSettings(*settings);
  QCOMPARE(saved.paper, std::string("a4"));
  QVERIFY(saved.landscape);
  QPrinter printer;
  applyPrintSetup(printer, saved);
  QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
  QVERIFY(qAbs(printer.pageLayout().fullRect(QPageLayout::Inch).width() - 297.0 / 25.4) < 0.01);

  const std::string file = copyExample("power_supply.cir");
  auto w = openWindow(file);
  QVERIFY(w);
  const auto withoutDate = [](std::string text) {
    return std::regex_replace(text, std::regex("Date: [^\\n]*"), "Date:");
  };
  for (const char* extension : {"txt", "pdf"}) {
    const std::string desk = dir.filePath(QString("desk.%1").arg(extension)).toStdString();
    const std::string cli = dir.filePath(QString("cli.%1").arg(extension)).toStdString();
    chosenFile = desk;
    w->printToFile(std::string(extension) == "txt" ? OutputKind::Text : OutputKind::Pdf);
    QCOMPARE(test::runKestrel({"report", file, "--paper", "a4", "--orientation", "landscape", "--company",
                               saved.company, "-o", cli})
                 .exitCode,
             0);
    if (std::string(extension) == "txt") {
      QCOMPARE(withoutDate(test::readBytes(desk)), withoutDate(test::readBytes(cli)));
      continue;
    }
    for (const std::string& pdf : {desk, cli}) {
      QProcess info;
      info.start("pdfinfo", {QString::fromStdString(pdf)});
      QVERIFY(info.waitForFinished(20000));
      QVERIFY2(info.readAllStandardOutput().contains("841.89 x 595.276 pts"), pdf.c_str());
    }
  }

  auto shown = testFrame(*settings, context());
  QVERIFY(!shown->windowIcon().isNull());
  QVERIFY(!QApplication::windowIcon().isNull());
}

// A large report's assembly runs in the progress window: its Cancel, then
// "Yes", stops the print with nothing written and the cancel in the log.
void WindowsTest::longReportAssemblyShowsProgressAndCancels() {
  CCircDoc doc;
  for (int i = 0; i < 2500; ++i) doc.insertSorted(PartRegistry::instance().create(609, false));
  doc.header().CalcFlags = HeaderBasicDone;
  DialogUi dialogs(nullptr);
  bool cancelled = false;
  QTimer poll;  // presses the progress window's Cancel, then answers the question "Yes"
  connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->defaultButton()->click();
    } else if (ProgressWindow* w = dialogs.progressWindow(); w != nullptr && w->running() && !cancelled) {
      cancelled = true;
      w->findChild<QPushButton*>()->click();
    }
  });
  poll.start(1);
  const std::string pdf = dir.filePath("long.pdf").toStdString();
  const Status s = gui::printToFile(doc, ReportSettings(), OutputKind::Pdf, pdf, posixFileSystem(), dialogs);
  QCOMPARE(s.code(), StatusCode::Cancelled);
  QVERIFY(!std::filesystem::exists(pdf));
  QVERIFY(dialogs.progressWindow()->logText().contains("...Cancel (rec#"));
}

int main(int argc, char** argv) { return test::runTests<WindowsTest>(argc, argv); }
#include "windows_test.moc"

