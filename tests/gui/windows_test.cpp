// The desktop windows driven as a user drives them, offscreen: dialogs are
// answered by a script instead of a person, messages land in a recorder.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "core/circ_file.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialogs.hpp"
#include "gui/field_page.hpp"
#include "gui/property_sheet.hpp"
#include "models/register_all.hpp"
#include "run_kestrel.hpp"
#include "support/recording_ui.hpp"

using namespace kestrel;
using namespace kestrel::gui;

class WindowsTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void editedStressCalculatesAsCommandLine();
  void pasteMovesPartBetweenCircuitsOnly();
  void badEntriesRefusedWithSharedMessages();
  void failedSaveKeepsDocumentModified();
  void fullListOpensAndRefusesMore();

 private:
  std::string copyExample(const std::string& name);
  std::unique_ptr<CircuitWindow> openWindow(const std::string& path);
  std::string lastMessage() const { return ui_.messages.empty() ? "" : ui_.messages.back(); }

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  std::unique_ptr<Settings> settings_;
  GuiContext context_;
  // Answers the next modal dialog; returns its result.
  std::function<int(QDialog&)> script_;
  std::string chosenFile_;
};

void WindowsTest::initTestCase() {
  registerAllParts();
  QVERIFY(dir_.isValid());
  std::vector<std::string> warnings;
  settings_ = std::make_unique<Settings>(
      Settings::load(posixFileSystem(), dir_.filePath("217F2.INI").toStdString(), warnings));
  context_.ui = &ui_;
  context_.fs = &posixFileSystem();
  context_.settings = settings_.get();
  context_.runDialog = [this](QDialog& dialog) {
    if (!script_) return static_cast<int>(QDialog::Rejected);
    auto run = std::move(script_);
    script_ = nullptr;
    return run(dialog);
  };
  context_.chooseFile = [this](bool, const std::string&, const std::string&) { return chosenFile_; };
  context_.askSave = [](const std::string&) { return SaveAnswer::Discard; };
}

void WindowsTest::init() {
  ui_.messages.clear();
  ui_.answers.clear();
  script_ = nullptr;
}

std::string WindowsTest::copyExample(const std::string& name) {
  const std::string to = dir_.filePath(QString::fromStdString(name)).toStdString();
  std::filesystem::copy_file(std::string(KESTREL_EXAMPLES) + "/" + name, to,
                             std::filesystem::copy_options::overwrite_existing);
  return to;
}

std::unique_ptr<CircuitWindow> WindowsTest::openWindow(const std::string& path) {
  std::unique_ptr<CCircDoc> doc;
  const Status s = loadDocument(posixFileSystem(), path, doc);
  if (!s) qWarning("%s", s.message().c_str());
  if (!doc) return nullptr;
  auto window = std::make_unique<CircuitWindow>(std::move(doc), context_);
  window->setAttribute(Qt::WA_DeleteOnClose, false);
  return window;
}

std::optional<std::size_t> findPn(const CCircDoc& doc, const std::string& pn) {
  for (std::size_t i = 0; i < doc.count(); ++i) {
    if (doc.record(i).PN == pn) return i;
  }
  return std::nullopt;
}

bool near(double a, double b) { return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b)); }

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
  script_ = [&](QDialog& dialog) {
    auto* sheet = dynamic_cast<PropertySheet*>(&dialog);
    if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
    // The stress is computed from Pd / Pmax until the mode is "Manual".
    stressBefore = sheet->shown("RES_PSTRESS");
    sheet->enter("RES_STRESSMODE", "Manual");
    sheet->enter("RES_PSTRESS", "75");
    sheet->accept();
    return sheet->result();
  };
  w->editSelected();
  QCOMPARE(stressBefore, std::string(kNotApplicable));
  QVERIFY(ui_.messages.empty());
  QCOMPARE(w->document().header().CalcFlags, std::uint16_t{0});  // any edit clears the results
  const auto edited = findPn(w->document(), "RWR81S1R00FR");
  QVERIFY(edited);
  QCOMPARE(w->document().record(*edited).S, 75.0f);

  script_ = [](QDialog& dialog) {
    auto* calc = dynamic_cast<CalculateDialog*>(&dialog);
    if (calc == nullptr) return static_cast<int>(QDialog::Rejected);
    calc->setMission(false);
    calc->setTime("8760");
    calc->accept();
    return calc->result();
  };
  QVERIFY(w->calculate());
  QVERIFY(w->resultText().rfind("FR=", 0) == 0);
  QVERIFY(w->save());
  QVERIFY(!w->document().isModified());

  // The command line calculates the saved file again: the same numbers.
  const std::string again = dir_.filePath("again.cir").toStdString();
  std::filesystem::copy_file(path, again);
  const test::RunResult run = test::runKestrel({"calc", "--json", again});
  QCOMPARE(run.exitCode, 0);
  const nlohmann::json cli = nlohmann::json::parse(run.out);
  const CCircDoc& doc = w->document();
  QVERIFY(near(cli["totals"]["failureRate"].get<double>(), doc.header().TotalFR));
  QVERIFY(near(cli["totals"]["mtbf"].get<double>(), doc.header().MTBF));
  QCOMPARE(cli["records"].size(), doc.count());
  for (std::size_t i = 0; i < doc.count(); ++i) {
    const auto& rec = cli["records"][i];
    QCOMPARE(rec["fields"]["PN"].get<std::string>(), doc.record(i).PN);
    QVERIFY(near(rec["FR"].get<double>(), doc.record(i).FR));
    QVERIFY(near(rec["TFR"].get<double>(), doc.record(i).TFR()));
  }
  QCOMPARE(cli["records"][*edited]["fields"]["RES_PSTRESS"].get<double>(), 75.0);
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
  QVERIFY(ui_.messages.empty());
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
  std::vector<std::uint8_t> bytes = encodeClipboardPart(from->document().record(0));
  const struct {
    const char* what;
    std::vector<std::uint8_t> data;
    bool hybrid;
  } cases[] = {
      {"empty", {}, false},
      {"cut short", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)), false},
      {"bytes left over", [&] { auto b = bytes; b.push_back(0); return b; }(), false},
      {"other kind", bytes, true},
      {"unknown class", [&] { auto b = bytes; b[6] = 'Z'; return b; }(), false},
  };
  for (const auto& c : cases) {
    std::unique_ptr<CPart> part;
    const Status s = decodeClipboardPart(c.data, c.hybrid, part);
    QVERIFY2(!s && !part, c.what);
    QCOMPARE(s.message(), std::string("PASTE: can not get part object."));
  }
  std::unique_ptr<CPart> part;
  QVERIFY(decodeClipboardPart(bytes, false, part).isOk());
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
    ui_.messages.clear();
    bool closed = true;
    script_ = [&](QDialog& dialog) {
      auto* sheet = dynamic_cast<PropertySheet*>(&dialog);
      if (sheet == nullptr) return static_cast<int>(QDialog::Rejected);
      sheet->enter(c.field, c.entry);
      sheet->accept();  // OK checks the page in front again: the sheet stays open
      closed = sheet->result() == QDialog::Accepted;
      return static_cast<int>(QDialog::Rejected);
    };
    w->editSelected();
    QVERIFY2(!closed, c.field);
    QVERIFY2(ui_.messages.size() >= 1, c.field);
    QCOMPARE(ui_.messages.front(), c.message);
  }
  QCOMPARE(w->document().record(0).QTY, qtyBefore);

  // A valid entry is stored and shown in its stored form.
  std::string shown;
  script_ = [&](QDialog& dialog) {
    auto* sheet = dynamic_cast<PropertySheet*>(&dialog);
    sheet->enter("QTY", "3.0");
    shown = sheet->shown("QTY");
    sheet->accept();
    return sheet->result();
  };
  ui_.messages.clear();
  w->editSelected();
  QVERIFY(ui_.messages.empty());
  QCOMPARE(shown, std::string("3"));
  const auto row = findPn(w->document(), "RLR07C4701GS");
  QVERIFY(row);
  QCOMPARE(w->document().record(*row).QTY, 3.0f);

  // Commands without a selection tell so.
  auto empty = std::make_unique<CircuitWindow>(std::make_unique<CCircDoc>(DocKind::Circuit), context_);
  empty->setAttribute(Qt::WA_DeleteOnClose, false);
  ui_.messages.clear();
  empty->editSelected();
  empty->deleteSelected();
  empty->copySelected();
  const std::vector<std::string> expected{"EDIT: no part selection.", "DELETE: no part selection.",
                                          "COPY: no part selection."};
  QCOMPARE(ui_.messages, expected);

  // The Calculate dialog refuses text and limits the mission time.
  ui_.messages.clear();
  CalculateDialog calc(*settings_, ui_);
  calc.setTime("abc");
  calc.accept();
  QCOMPARE(calc.result(), static_cast<int>(QDialog::Rejected));
  calc.setTime("0");
  calc.accept();
  const std::vector<std::string> calcMessages{"Please enter a number.",
                                              "Setting Mission Time to minimum:\n0.000001 hrs."};
  QCOMPARE(ui_.messages, calcMessages);
  QCOMPARE(calc.job().missionTime, 0.000001);
}

void WindowsTest::failedSaveKeepsDocumentModified() {
  const std::string path = copyExample("controller.cir");
  const auto before = std::filesystem::file_size(path);
  auto w = openWindow(path);
  QVERIFY(w);
  w->select(0);
  ui_.answers = {true};
  w->deleteSelected();
  QVERIFY(w->document().isModified());
  const struct {
    std::string target;
    std::string mustName;
  } cases[] = {
      {dir_.filePath("no-such-folder/a.cir").toStdString(), "no-such-folder/a.cir"},
      {dir_.filePath("wrong.txt").toStdString(), "Please change file extension to '.CIR'"},
  };
  for (const auto& c : cases) {
    ui_.messages.clear();
    chosenFile_ = c.target;
    QVERIFY(!w->saveAs());
    QVERIFY(w->document().isModified());
    QVERIFY2(ui_.messages.size() == 1 && ui_.messages[0].find(c.mustName) != std::string::npos,
             lastMessage().c_str());
  }
  // The file on disk is the one opened: nothing was lost or half-written.
  QCOMPARE(std::filesystem::file_size(path), before);
  QVERIFY(!std::filesystem::exists(dir_.filePath("wrong.txt").toStdString()));
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
  const std::string path = dir_.filePath("big.cir").toStdString();
  QVERIFY(saveDocument(posixFileSystem(), big, path).isOk());

  QElapsedTimer timer;
  timer.start();
  auto w = openWindow(path);
  QVERIFY(w);
  w->show();
  QApplication::processEvents();
  const qint64 shown = timer.elapsed();
  qInfo("a circuit of %zu records opened and showed its first rows in %lld ms", kMaxRecs,
        static_cast<long long>(shown));
  QCOMPARE(w->model()->rowCount(), static_cast<int>(kMaxRecs));
  QVERIFY(w->model()->data(w->model()->index(static_cast<int>(kMaxRecs) - 1), Qt::DisplayRole)
              .toString().startsWith("P015999"));

  ui_.messages.clear();
  script_ = [](QDialog&) { return static_cast<int>(QDialog::Accepted); };
  w->addParts();
  QCOMPARE(lastMessage(), std::string("ADD: circuit list is full."));
  source->select(0);
  source->copySelected();
  w->paste();
  QCOMPARE(lastMessage(), std::string("PASTE: circuit list is full."));
  QCOMPARE(w->document().count(), kMaxRecs);
}

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
