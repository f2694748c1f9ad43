// Add by library recall driven as a user drives it, offscreen, against what
// `kestrel recall` writes for the same circuit, library and numbers.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/part.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialogs.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/library/recall_browse_dialog.hpp"
#include "gui/library/recall_dialog.hpp"
#include "gui/property_sheet.hpp"
#include "models/register_all.hpp"
#include "run_kestrel.hpp"
#include "support/recording_ui.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::unique_ptr<CCircDoc> load(const std::string& path) {
  std::unique_ptr<CCircDoc> doc;
  if (Status s = loadDocument(posixFileSystem(), path, doc); !s) qWarning("%s", s.message().c_str());
  return doc;
}

// How a browse dialog is answered: the row to pick (-1: none) and whether
// Find... is used first to reach the record by its part number.
struct BrowseAnswer {
  int row = -1;
  std::string findPn;
};

}  // namespace

class RecallTest final : public QObject {
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
  void screenshot();

 private:
  std::string copyExample(const std::string& name, const std::string& as);
  void script(std::function<int(QDialog&)> answer) { scripts_.push_back(std::move(answer)); }
  // Scripts Add (mode recall), the recall dialog with `job`, and the
  // property sheet accepted; then Add is cancelled.
  void scriptRecall(const RecallJob& job, const BrowseAnswer* browse = nullptr, bool acceptSheet = true);
  std::string lastMessage() const { return ui_.messages.empty() ? "" : ui_.messages.back(); }

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  std::unique_ptr<Settings> settings_;
  GuiContext context_;
  std::deque<std::function<int(QDialog&)>> scripts_;
  std::string lib_, xref_;
};

void RecallTest::initTestCase() {
  registerAllParts();
  QVERIFY(dir_.isValid());
  std::vector<std::string> warnings;
  settings_ = std::make_unique<Settings>(
      Settings::load(posixFileSystem(), dir_.filePath("217F2.INI").toStdString(), warnings));
  context_.ui = &ui_;
  context_.fs = &posixFileSystem();
  context_.settings = settings_.get();
  context_.runDialog = [this](QDialog& dialog) {
    if (scripts_.empty()) return static_cast<int>(QDialog::Rejected);
    auto run = std::move(scripts_.front());
    scripts_.pop_front();
    return run(dialog);
  };
  context_.chooseFile = [](bool, const std::string&, const std::string&) { return std::string(); };
  context_.askSave = [](const std::string&) { return SaveAnswer::Discard; };
  lib_ = copyExample("parts.lib", "parts.lib");
  xref_ = copyExample("parts.xrf", "parts.xrf");
}

void RecallTest::init() {
  ui_.messages.clear();
  scripts_.clear();
}

std::string RecallTest::copyExample(const std::string& name, const std::string& as) {
  const std::string to = dir_.filePath(QString::fromStdString(as)).toStdString();
  fs::copy_file(std::string(KESTREL_EXAMPLES) + "/" + name, to, fs::copy_options::overwrite_existing);
  return to;
}

void RecallTest::scriptRecall(const RecallJob& job, const BrowseAnswer* browse, bool acceptSheet) {
  script([](QDialog& d) {
    auto& add = dynamic_cast<AddPartDialog&>(d);
    add.chooseRecall(true);
    add.accept();
    return add.result();
  });
  script([job](QDialog& d) {
    auto& recall = dynamic_cast<RecallDialog&>(d);
    recall.setJob(job);
    recall.accept();
    return recall.result();
  });
  if (browse != nullptr) {
    const BrowseAnswer answer = *browse;
    script([answer](QDialog& d) {
      auto& b = dynamic_cast<RecallBrowseDialog&>(d);
      if (answer.row >= 0) b.selectRow(answer.row);
      b.accept();
      return b.result();
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
  QTest::newRow("xref, no move") << "VENDOR-R2" << true << 0 << -1 << "VENDOR-R2" << "RNC55H0475" << "K401-2";
  QTest::newRow("xref, move 1") << "VENDOR-R2" << true << 1 << -1 << "VENDOR-R2" << "VENDOR-R2" << "RNC55H0475";
  QTest::newRow("xref, move 2") << "VENDOR-R2" << true << 2 << -1 << "VENDOR-R2" << "RNC55H0475" << "VENDOR-R2";
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

  CircuitWindow window(load(gui), context_);
  const std::size_t before = window.document().count();
  const BrowseAnswer browse{browseRow, {}};
  scriptRecall({number.toStdString(), {lib_, searchXRef, xref_, move}}, browseRow >= 0 ? &browse : nullptr);
  window.addParts();
  QVERIFY2(scripts_.empty(), lastMessage().c_str());
  QCOMPARE(window.document().count(), before + 1);
  bool seen = false;
  for (const auto& r : window.document().records()) seen = seen || (r->PN == pn.toStdString() && r->PN2 == pn2.toStdString());
  QVERIFY(seen);
  QVERIFY(window.save());
  QCOMPARE(fileBytes(gui), fileBytes(cli));
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
  CircuitWindow window(load(path), context_);
  const std::size_t before = window.document().count();
  const RecallJob job{number.toStdString(),
                      {dir_.filePath(library).toStdString(), !xref.isEmpty(), dir_.filePath(xref).toStdString(), 1}};
  // The browse dialog stays open after a refusal; then it is cancelled.
  scriptRecall(job, nullptr, false);
  if (browseRow >= 0) {
    scripts_.pop_back();  // no sheet: nothing was recalled
    script([browseRow](QDialog& d) {
      auto& b = dynamic_cast<RecallBrowseDialog&>(d);
      b.selectRow(browseRow);
      b.accept();
      return b.result() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected;
    });
  } else {
    scripts_.pop_back();
  }
  window.addParts();
  QVERIFY(scripts_.empty());
  QVERIFY2(lastMessage().rfind(message.toStdString(), 0) == 0, lastMessage().c_str());
  QCOMPARE(window.document().count(), before);
}

void RecallTest::browseOkNeedsSelection() {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(lib_, false, error);
  QVERIFY(lib);
  RecallBrowseDialog browse(*lib, false, context_);
  QCOMPARE(browse.headerLines(),
           (std::vector<std::string>{"Library File: " + lib_,
                                     "Description: Kestrel example parts library"}));
  browse.accept();
  QCOMPARE(lastMessage(), std::string("RECALL: no part selection."));
  QVERIFY(!browse.takePart());
  // Find... by part number selects the record; OK recalls it.
  script([](QDialog& d) {
    auto& find = dynamic_cast<LibraryFindDialog&>(d);
    find.setJob({LibraryFindJob::kPartNumber, false, "RNC55H0475", 1});
    find.accept();
    return find.result();
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
    RecallDialog dialog(false, context_);
    dialog.setJob(job);
    dialog.accept();
  }
  RecallDialog again(false, context_);
  again.accept();
  QCOMPARE(again.job().number, job.number);
  QCOMPARE(again.job().settings.libFile, job.settings.libFile);
  QCOMPARE(again.job().settings.searchXRef, true);
  QCOMPARE(again.job().settings.xrefFile, job.settings.xrefFile);
  QCOMPARE(again.job().settings.xrefMove, 2);
  QCOMPARE(settings_->whole("Circuit Add", "XRefMove"), 2L);
  // The hybrid kind keeps its own last number.
  RecallDialog hybrid(true, context_);
  hybrid.accept();
  QVERIFY(hybrid.job().number != job.number);
  AddPartDialog add({"", "x"}, false, false, *settings_);
  add.chooseRecall(true);
  add.accept();
  QCOMPARE(settings_->whole("Circuit Add", "Mode"), 1L);
  AddPartDialog reopened({"", "x"}, false, false, *settings_);
  reopened.accept();
  QVERIFY(reopened.recall());
}

void RecallTest::screenshot() {
  const QString shots = qEnvironmentVariable("KESTREL_SHOTS");
  if (shots.isEmpty()) QSKIP("KESTREL_SHOTS not set");
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(lib_, false, error);
  QVERIFY(lib);
  RecallBrowseDialog browse(*lib, false, context_);
  browse.selectRow(26);
  browse.show();
  QTest::qWait(200);
  fs::create_directories(shots.toStdString());
  QVERIFY(browse.grab().save(shots + "/recall_browse.png"));
}

QTEST_MAIN(RecallTest)
#include "recall_test.moc"
