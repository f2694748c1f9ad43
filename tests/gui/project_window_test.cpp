// The project tree window driven as a user drives it, offscreen, inside the
// real frame: dialogs and file choosers are answered by a script, messages
// land in a recorder. Every workflow is run a second time through `kestrel
// project` on a fresh copy of the same files in the same folder, and the
// files written and the tree shown must be the same.
//
// The graph windows the same way: the Graph page and the Calculate dialog
// answered by a script, every run repeated through `kestrel graph` on a
// fresh copy of the examples; the data file, the chart image and the graph
// definition file must be the same bytes.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTreeView>

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/mission_profile.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "graph/chart_renderer.hpp"
#include "graph/graph_definition.hpp"
#include "graph/profile_run.hpp"
#include "gui/dialogs.hpp"
#include "gui/exchange/whatif_command.hpp"
#include "gui/graph/chart_view.hpp"
#include "gui/graph/chart_window.hpp"
#include "gui/graph/graph_sheet.hpp"
#include "gui/part_detail_window.hpp"
#include "gui/profile/phase_table_model.hpp"
#include "gui/profile/profile_window.hpp"
#include "gui/project/project_dialogs.hpp"
#include "gui/project/project_tree_model.hpp"
#include "gui/project/project_window.hpp"
#include "project/node_lines.hpp"
#include "project/project_file.hpp"
#include "desktop_fixture.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

using FileBytes = std::map<std::string, std::string>;

// The tree as the window's model holds it, written the way `kestrel project
// show` writes it: the node number, the indentation by depth in the view,
// the node's lines; then the print count.
void walk(ProjectTreeModel& model, const QModelIndex& parent, int depth, std::vector<std::string>& out) {
  for (int row = 0; row < model.rowCount(parent); ++row) {
    const QModelIndex index = model.index(row, 0, parent);
    const auto node = model.nodeOf(index);
    if (!node) {
      out.push_back("<item without node>");
      continue;
    }
    const std::vector<std::string> lines = model.lines(*node);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      const std::string number = l == 0 ? strprintf("%4u", static_cast<unsigned>(*node)) : std::string(4, ' ');
      std::string text = indentPrefix(depth) + lines[l];
      text.erase(text.find_last_not_of(' ') + 1);  // npos + 1: all blanks
      out.push_back(number + "  " + text);
    }
    walk(model, index, depth + 1, out);
  }
}

std::vector<std::string> shownTree(ProjectWindow& window) {
  std::vector<std::string> out;
  walk(*window.model(), QModelIndex(), 0, out);
  out.push_back(window.tree().checkedStatus());
  return out;
}



// What the user types into the Graph page.
struct PageEntries {
  int type = 0;
  std::string from, to, step;
  bool years = false;
  std::string environments;
  std::string maxItems;
  bool topOnly = false;
};

PageEntries page(int type, std::string from, std::string to, std::string step, bool years = false,
                 std::string environments = "", std::string maxItems = "", bool topOnly = false) {
  return {type, std::move(from), std::move(to), std::move(step), years, std::move(environments), std::move(maxItems),
          topOnly};
}

void enter(GraphSheet& sheet, const PageEntries& e) {
  sheet.chooseType(e.type);
  auto set = [&sheet](const char* name, const std::string& text) {
    if (!text.empty()) sheet.findChild<QLineEdit*>(name)->setText(QString::fromStdString(text));
  };
  set("from", e.from);
  set("to", e.to);
  set("step", e.step);
  set("environments", e.environments);
  set("maxItems", e.maxItems);
  sheet.findChild<QComboBox*>("timeUnit")->setCurrentIndex(e.years ? 1 : 0);
  sheet.findChild<QCheckBox*>("hierarchy")->setChecked(!e.topOnly);
}

// `kestrel graph` of `top` with the same entries as options.
std::vector<std::string> graphCommand(const fs::path& top, const PageEntries& e) {
  std::vector<std::string> out{"graph", top.string(), "--type", std::to_string(e.type)};
  auto add = [&out](const char* name, const std::string& value) {
    if (!value.empty()) out.insert(out.end(), {name, value});
  };
  if (e.years) out.push_back("--years");
  add("--from", e.from);
  add("--to", e.to);
  add("--step", e.step);
  add("--env", e.environments);
  add("--max-items", e.maxItems);
  if (e.topOnly) out.push_back("--top-only");
  return out;
}

// Pixels close to the first series colour: the first curve, bar or slice.
long seriesPixels(const QImage& image) {
  const graph::Color c = graph::seriesColor(0);
  const QColor want = QColor::fromRgbF(float(c.r), float(c.g), float(c.b));
  long n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - want.red()) + std::abs(p.green() - want.green()) + std::abs(p.blue() - want.blue()) < 24) {
        ++n;
      }
    }
  }
  return n;
}

}  // namespace

class ProjectWindowTest final : public QObject, test::DesktopFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void newProjectBuiltInWindowMatchesCommandLine();
  void moveAndDeleteMatchCommandLine();
  void refusedEditsChangeNoFile();
  void damagedProjectFileOpensNothing();
  void openingNodesOpensTheirCircuits();
  void changedHeaderAskedAboutOnClose();
  void printProjectMatchesCommandLine();
  void topLevelCommandsRefuseWithTheirName();
  void whatIfFromProjectMatchesCommandLine();
  void graphFromProjectMatchesCommandLine();
  void subFilesOpenFromRowsAndLeadBack();
  void detailShowsRecordOrDocumentLines();

  void graphRunsMatchCommandLine();
  void pageRefusesBadEntries();
  void definitionSavedFromPageOpensBackAndMatchesCommandLine();
  void damagedDefinitionFilesAreRefused();
  void closingChartOffersToSaveDefinition();
  void cancelledRunLeavesNoChartAndNoFiles();
  void profileWindowShowsTheCalculationOfItsEdits();

 private:
  // An empty work folder with the example files in it.
  fs::path freshWork() {
    closeWindows();
    return freshExamples("work");
  }
  // A fresh work folder whose system.prj (over system.cir) is open in its window.
  ProjectWindow* openSystemProject();
  FileBytes snapshot() const { return test::folderBytes(work_); }
  // The window in front when it is a W.
  template <typename W>
  W* active() const {
    QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
    return sub != nullptr ? dynamic_cast<W*>(sub->widget()) : nullptr;
  }
  std::optional<std::size_t> findDocument(const ProjectWindow& w, const std::string& label) const {
    for (std::size_t i = 0; i < w.tree().size(); ++i) {
      if (w.tree().node(i).isDocument() && nodeLabel(w.tree().node(i)) == label) return i;
    }
    return std::nullopt;
  }
  void addThroughWindow(ProjectWindow& w, std::size_t parent, ChildMode mode, const std::string& file,
                        const std::string& refdes, const std::string& qty);
  std::vector<std::string> cliShow(const std::string& project);
  // The command lines `runs` on a fresh copy of the work folder must show
  // the tree `shown` and write the files `written` (backups aside).
  void sameAsCommandLine(const std::vector<std::vector<std::string>>& runs, const std::string& project,
                         const std::vector<std::string>& shown, const FileBytes& written);

  fs::path work_;
  // Runs a graph of `top` through the window with the page entries and the
  // Calculate dialog's mode.
  void graphThroughWindow(const fs::path& top, const PageEntries& entries, bool mission);
};

void ProjectWindowTest::initTestCase() {
  QVERIFY(setUp(true));
  frame->resize(1000, 760);
  work_ = fs::path(path("work"));
}

void ProjectWindowTest::init() { reset(); }

void ProjectWindowTest::cleanup() {
  ui.answers.assign(20, false);  // no chart definition is saved by the clean-up
  closeWindows();
  QVERIFY(dialogs.empty());  // every scripted dialog was shown
}

ProjectWindow* ProjectWindowTest::openSystemProject() {
  const fs::path w = freshWork();
  const std::string project = (w / "system.prj").string();
  if (kestrel({"project", "new", project, (w / "system.cir").string()}).exitCode != 0) return nullptr;
  return frame->openFile(project) ? active<ProjectWindow>() : nullptr;
}

void ProjectWindowTest::addThroughWindow(ProjectWindow& w, std::size_t parent, ChildMode mode,
                                         const std::string& file, const std::string& refdes,
                                         const std::string& qty) {
  w.select(parent);
  scriptAccept<ProjectAddDialog>([&](ProjectAddDialog& add) {
    add.setMode(mode);
    add.setFile(file);
    add.setField("REFDES", refdes);
    add.setField("QTY", qty);
  });
  w.addChild();
}

std::vector<std::string> ProjectWindowTest::cliShow(const std::string& project) {
  const test::RunResult run = kestrel({"project", "show", project});
  if (run.exitCode != 0) qWarning("kestrel project show: %s", run.err.c_str());
  std::vector<std::string> lines = test::splitLines(run.out);
  if (!lines.empty()) lines.erase(lines.begin());  // "Project '...'" names the file as typed
  return lines;
}

void ProjectWindowTest::sameAsCommandLine(const std::vector<std::vector<std::string>>& runs,
                                          const std::string& project, const std::vector<std::string>& shown,
                                          const FileBytes& written) {
  freshWork();
  for (const auto& args : runs) {
    const test::RunResult run = kestrel(args);
    QVERIFY2(run.exitCode == 0, run.err.c_str());
  }
  QCOMPARE(shown, cliShow(project));
  for (const auto& [name, bytes] : snapshot()) {
    if (name.ends_with(".BAK")) continue;
    QVERIFY2(written.count(name) == 1 && written.at(name) == bytes, ("differs from the command line's: " + name).c_str());
  }
}

// A new project over a new top-level circuit, the three boards and the
// hybrid added as children, then calculated: the same files and the same
// tree as the command line gives.
void ProjectWindowTest::newProjectBuiltInWindowMatchesCommandLine() {
  const fs::path w = freshWork();
  const std::string project = (w / "board_set.prj").string();
  const std::string top = (w / "top.cir").string();
  struct Child {
    ChildMode mode;
    const char* file;
    const char* refdes;
    const char* qty;
  };
  const Child children[] = {{ChildMode::SubCircuit, "controller.cir", "A1", "2"},
                            {ChildMode::SubCircuit, "io_board.cir", "A2", ""},
                            {ChildMode::SubCircuit, "power_supply.cir", "A3", "1"},
                            {ChildMode::SubHybrid, "rf_module.hyb", "A4", "3"}};

  // ---- the window: File > New > Project ----
  QAction* newProject = nullptr;
  for (QAction* a : frame->findChildren<QAction*>()) {
    if (a->text() == "&Project" && a->menu() == nullptr) newProject = a;
  }
  QVERIFY(newProject != nullptr);
  chosenFiles = {project, top};
  newProject->trigger();
  ProjectWindow* window = active<ProjectWindow>();
  QVERIFY(window != nullptr);
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(window->tree().size(), std::size_t{1});
  QVERIFY(!window->isModified());
  for (const Child& c : children) {
    addThroughWindow(*window, 0, c.mode, c.file, c.refdes, c.qty);
    QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  }
  QCOMPARE(ui.questions.size(), std::size(children));
  QVERIFY(ui.questions[0].rfind("Add child item to parent Circuit?\nSelect YES to Add a SubCircuit", 0) == 0);
  QVERIFY(ui.questions[3].find("SubHybrid part record will refer to file 'rf_module.hyb'") != std::string::npos);
  QCOMPARE(settings->whole("Project Add", "Mode"), 1L);
  QCOMPARE(settings->text("Project Add", "File"), std::string("rf_module.hyb"));
  // Before the calculation the top-level circuit shows no totals.
  QVERIFY(window->model()->lines(0).back() == "*NOCALC*");
  scriptAccept<CalculateDialog>([](CalculateDialog& calc) { calc.setMission(false); });
  QVERIFY(window->calculate());
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(window->model()->lines(0)[3].rfind("FR=", 0) == 0);
  const FileBytes written = snapshot();
  QVERIFY(written.count("board_set.prj") == 1 && written.count("top.cir") == 1);

  std::vector<std::vector<std::string>> runs{{"project", "new", project, top}};
  for (const Child& c : children) {
    runs.push_back({"project", "add", project, "0", c.file, std::string("REFDES=") + c.refdes});
    if (*c.qty != '\0') runs.back().push_back(std::string("QTY=") + c.qty);
  }
  runs.push_back({"calc", top});
  sameAsCommandLine(runs, project, shownTree(*window), written);
}

// Move a board below another and delete a child reference: the files and
// the tree are those `kestrel project move` and `remove` give.
void ProjectWindowTest::moveAndDeleteMatchCommandLine() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  const fs::path& w = work_;
  const std::string project = (w / "system.prj").string();
  const FileBytes start = snapshot();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(shownTree(*window), cliShow(project));
  QVERIFY(window->tree().size() > 20);  // three boards and a hybrid with their records

  const auto io = findDocument(*window, "IO_BOARD.CIR");
  const auto controller = findDocument(*window, "CONTROLLER.CIR");
  QVERIFY(io && controller);
  window->select(*io);
  std::size_t offered = 0;
  script([&](QDialog& dialog) {
    auto* move = dynamic_cast<MoveTargetDialog*>(&dialog);
    if (move == nullptr || !move->choose(*controller)) return static_cast<int>(QDialog::Rejected);
    offered = move->count();
    return static_cast<int>(QDialog::Accepted);
  });
  window->moveChild();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(offered, std::size_t{2});  // CONTROLLER.CIR and POWER_SUPPLY.CIR; not SYSTEM.CIR, its parent now
  QVERIFY(ui.questions.back().rfind("Move child item to another parent Circuit?", 0) == 0);
  const auto io2 = findDocument(*window, "IO_BOARD.CIR");
  QVERIFY(io2);
  QCOMPARE(window->tree().node(*io2).level, 2);

  const auto power = findDocument(*window, "POWER_SUPPLY.CIR");
  QVERIFY(power);
  window->select(*power);
  window->deleteChild();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(ui.questions.back().find("...this will NOT delete the actual data file") != std::string::npos);
  QVERIFY(!findDocument(*window, "POWER_SUPPLY.CIR"));
  QVERIFY(fs::exists(w / "power_supply.cir"));
  const FileBytes written = snapshot();
  QVERIFY(written.at("system.cir") != start.at("system.cir"));
  sameAsCommandLine({{"project", "new", project, (w / "system.cir").string()},
                     {"project", "move", project, "io_board.cir", "controller.cir"},
                     {"project", "remove", project, "power_supply.cir"}},
                    project, shownTree(*window), written);
}

// Commands on a node they do not apply to, and commands the user answers
// No to: the library's message, and no file changes.
void ProjectWindowTest::refusedEditsChangeNoFile() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  const fs::path& w = work_;
  const std::string project = (w / "system.prj").string();
  const FileBytes before = snapshot();
  const std::size_t nodes = window->tree().size();
  const auto hybrid = findDocument(*window, "RF_MODULE.HYB");
  const auto controller = findDocument(*window, "CONTROLLER.CIR");
  QVERIFY(hybrid && controller);
  const std::size_t record = *controller + 1;  // its first record
  QVERIFY(!window->tree().node(record).isDocument());

  struct Case {
    const char* what;
    std::size_t node;
    std::function<void()> command;
    bool answer;          // the answer to the library's question
    std::string message;  // "" when none is expected
  };
  const auto addHere = [&] {
    scriptAccept<ProjectAddDialog>([](ProjectAddDialog& add) {
      add.setMode(ChildMode::SubCircuit);
      add.setFile("spare.cir");
    });
    window->addChild();
  };
  const Case cases[] = {
      {"add to a hybrid", *hybrid, addHere, true, "ADD: project part selection is not CIRCUIT."},
      {"add answered No", *controller, addHere, false, ""},
      {"delete the top", 0, [&] { window->deleteChild(); }, true, "DELETE: not a valid project part selection."},
      {"delete answered No", *controller, [&] { window->deleteChild(); }, false, ""},
      {"move a record", record, [&] { window->moveChild(); }, true, "MOVE: not a valid project part selection."},
      {"check a record", record,
       [&] { window->model()->setData(window->model()->indexOf(record), Qt::Unchecked, Qt::CheckStateRole); }, true,
       "TOGGLE: not a valid selection."},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    ui.answers = {c.answer};
    window->select(c.node);
    c.command();
    QCOMPARE(ui.messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    QVERIFY2(snapshot() == before, c.what);
    QVERIFY2(window->tree().size() == nodes, c.what);
    dialogs.clear();  // a refused add shows no dialog
  }
  QVERIFY(!fs::exists(w / "spare.cir"));

  // A check mark taken off a document is counted out of the print job.
  ui.messages.clear();
  const std::size_t checked = window->tree().checkedCount();
  QVERIFY(window->model()->setData(window->model()->indexOf(*hybrid), Qt::Unchecked, Qt::CheckStateRole));
  QCOMPARE(window->tree().checkedCount(), checked - 1);
  QCOMPARE(window->statusLine(), strprintf("Files to Print (Checked) = %u", static_cast<unsigned>(checked - 1)));
  QVERIFY(ui.messages.empty());
}

// A project file that is not a sound one is refused with a message naming
// it, and no window opens; one naming a missing top-level circuit opens
// with the hint to choose another.
void ProjectWindowTest::damagedProjectFileOpensNothing() {
  const fs::path w = freshWork();
  CProjDoc doc;
  doc.setTopLevel((w / "system.cir").string());
  const std::vector<std::uint8_t> good = encodeProject(doc);
  const std::string circuit = test::readBytes(w / "controller.cir");
  const struct {
    const char* file;
    std::vector<std::uint8_t> bytes;  // none: the file is not there
    std::string mustSay;
  } cases[] = {
      {"damaged.prj", [&] { auto b = good; b[5] ^= 0x20; return b; }(), "File checksum error."},
      {"circuit.prj", {circuit.begin(), circuit.end()}, "not a Project"},
      {"no-such.prj", {}, ""},
  };
  const std::size_t windows = frame->mdiArea()->subWindowList().size();
  for (const auto& c : cases) {
    ui.messages.clear();
    const fs::path path = w / c.file;
    if (!c.bytes.empty()) test::writeBytes(path, c.bytes);
    QVERIFY2(!frame->openFile(path.string()), c.file);
    QCOMPARE(ui.messages.size(), std::size_t{1});
    QVERIFY2(ui.messages[0].find(path.string()) != std::string::npos && ui.messages[0].find(c.mustSay) != std::string::npos,
             ui.messages[0].c_str());
    QCOMPARE(frame->mdiArea()->subWindowList().size(), windows);
  }

  // Sound, but naming a circuit that is not there.
  ui.messages.clear();
  CProjDoc missing;
  missing.setTopLevel((w / "gone.cir").string());
  test::writeBytes(w / "missing.prj", encodeProject(missing));
  QVERIFY(frame->openFile((w / "missing.prj").string()));
  ProjectWindow* window = active<ProjectWindow>();
  QVERIFY(window != nullptr);
  QVERIFY(window->tree().empty());
  QCOMPARE(ui.messages, std::vector<std::string>{"This circuit file does not currently exist."});
  QVERIFY(window->statusLine().find("gone.cir") != std::string::npos);
  QVERIFY(window->statusLine().find(std::string(kSetTopLevelHint)) != std::string::npos);
}

// Open on a document node opens its circuit window once; on a record it
// opens the record's document with the record selected; a missing child
// opens nothing.
void ProjectWindowTest::openingNodesOpensTheirCircuits() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  const fs::path& w = work_;
  const std::string project = (w / "system.prj").string();

  const auto controller = findDocument(*window, "CONTROLLER.CIR");
  const auto hybrid = findDocument(*window, "RF_MODULE.HYB");
  QVERIFY(controller && hybrid);
  struct Case {
    std::size_t node;
    std::string file;
    std::optional<std::size_t> row;  // the selected record, for record nodes
  };
  const std::size_t lastRecord = *hybrid + window->tree().node(*hybrid).recordCount;
  const Case cases[] = {
      {*controller, "controller.cir", std::nullopt},
      {*hybrid, "rf_module.hyb", std::nullopt},
      {lastRecord, "rf_module.hyb", window->tree().node(lastRecord).recordNumber - 1},
      {0, "system.cir", std::nullopt},
  };
  for (const Case& c : cases) {
    frame->mdiArea()->setActiveSubWindow(frame->mdiArea()->subWindowList().front());
    window->select(c.node);
    CircuitWindow* opened = window->openNode();
    QVERIFY2(opened != nullptr, c.file.c_str());
    QCOMPARE(fs::path(opened->document().path()).filename().string(), c.file);
    QCOMPARE(frame->activeCircuit(), opened);
    if (c.row) {
      QCOMPARE(opened->selection(), c.row);
      QCOMPARE(opened->document().record(*c.row).PN, window->tree().node(c.node).record->PN);
    }
  }
  QCOMPARE(frame->circuits().size(), std::size_t{3});  // rf_module.hyb was brought back, not opened twice
  QVERIFY(ui.messages.empty());

  // A child whose file is gone is shown as missing and opens nothing.
  fs::remove(w / "power_supply.cir");
  QVERIFY(window->refresh());
  const auto gone = findDocument(*window, "POWER_SUPPLY.CIR");
  QVERIFY(gone);
  QVERIFY(window->model()->lines(*gone)[0].find("*MISSING*") != std::string::npos);
  window->select(*gone);
  QVERIFY(window->openNode() == nullptr);
  QVERIFY(upperCased(lastMessage()).find("POWER_SUPPLY.CIR") != std::string::npos);
  QCOMPARE(frame->circuits().size(), std::size_t{3});
}

// Header chooses another top-level circuit: the project is changed, its
// close asks, Cancel keeps it open, Save writes it the safe way.
void ProjectWindowTest::changedHeaderAskedAboutOnClose() {
  const fs::path w = freshWork();
  const std::string project = (w / "system.prj").string();
  QCOMPARE(kestrel({"project", "new", project, (w / "system.cir").string()}).exitCode, 0);
  const std::string before = test::readBytes(project);
  QVERIFY(frame->openFile(project));
  ProjectWindow* window = active<ProjectWindow>();
  QVERIFY(window != nullptr);

  chosenFiles = {(w / "controller.cir").string()};
  window->chooseHeader();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(window->isModified());
  QCOMPARE(nodeLabel(window->tree().node(0)), std::string("CONTROLLER.CIR"));
  QCOMPARE(test::readBytes(project), before);

  saveAnswers = {SaveAnswer::Cancel};
  QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
  QVERIFY(!sub->close());
  QCOMPARE(saveQuestions, std::vector<std::string>{"SYSTEM.PRJ"});
  QCOMPARE(test::readBytes(project), before);
  // The frame's own close asks too, and stays open on Cancel.
  saveAnswers = {SaveAnswer::Cancel};
  QVERIFY(!frame->close());
  QCOMPARE(saveQuestions.size(), std::size_t{2});

  saveAnswers = {SaveAnswer::Save};
  QVERIFY(sub->close());
  QApplication::processEvents();
  CProjDoc saved;
  QVERIFY(openProject(posixFileSystem(), project, saved).isOk());
  QCOMPARE(fs::path(saved.topLevel()).filename().string(), std::string("controller.cir"));
  QCOMPARE(test::readBytes(w / "system.prj.BAK"), before);  // the previous good file is kept
}

// Print Project of the checked documents into one text file: the pages the
// command line prints for the same documents (the date stamp aside).
// Nothing checked, a document not calculated, or No to the job question
// writes no file.
void ProjectWindowTest::printProjectMatchesCommandLine() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  const fs::path& w = work_;
  const std::string project = (w / "system.prj").string();
  const auto hybrid = findDocument(*window, "RF_MODULE.HYB");
  QVERIFY(hybrid);
  QVERIFY(window->model()->setData(window->model()->indexOf(*hybrid), Qt::Unchecked, Qt::CheckStateRole));

  const std::string guiOut = (w / "gui.txt").string();
  chosenFiles = {guiOut};
  QVERIFY(window->printProject());
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QVERIFY(ui.questions.back().rfind("Continue with Project Print?\nSelect YES to Print the following job...\n"
                                     "...Files to Print: 4\n", 0) == 0);

  // The checked documents' pages, the unchecked hybrid's not.
  const std::string printed = test::readBytes(guiOut);
  QVERIFY(test::splitLines(printed).size() > 40);
  for (const char* name : {"SYSTEM.CIR", "CONTROLLER.CIR", "IO_BOARD.CIR", "POWER_SUPPLY.CIR"}) {
    QVERIFY2(upperCased(printed).find(name) != std::string::npos, name);
  }
  QVERIFY(upperCased(printed).find("RF_MODULE.HYB") == std::string::npos);

  // Refused jobs.
  struct Case {
    const char* what;
    std::function<void()> prepare;
    bool answer;
    std::string message;  // "" when none
  };
  const Case cases[] = {
      {"answered No", [] {}, false, ""},
      {"nothing checked",
       [&] {
         for (std::size_t i = 0; i < window->tree().size(); ++i) {
           if (window->tree().node(i).isOpenable() && window->tree().node(i).printChecked) {
             window->model()->setData(window->model()->indexOf(i), Qt::Unchecked, Qt::CheckStateRole);
           }
         }
       },
       true, "PRINT: no files selected."},
      {"not calculated",
       [&] {
         QCOMPARE(kestrel({"set", (w / "io_board.cir").string(), "HEADER_TEMP=50"}).exitCode, 0);
         QVERIFY(window->refresh());
       },
       true, "...Error: not calculated.\n...use Calculate command in Project View to correct."},
  };
  for (const Case& c : cases) {
    fs::remove(guiOut);
    QVERIFY(window->refresh());
    c.prepare();
    ui.messages.clear();
    ui.answers = {c.answer};
    chosenFiles = {guiOut};
    QVERIFY2(!window->printProject(), c.what);
    QVERIFY2(!fs::exists(guiOut), c.what);
    QCOMPARE(ui.messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
  }
}

// Calculate, What-If? and Graph need a top-level circuit that opens and
// holds records; each refusal names its command, shows no dialog and
// changes no file.
void ProjectWindowTest::topLevelCommandsRefuseWithTheirName() {
  const fs::path w = freshWork();
  const std::string empty = (w / "empty.prj").string();
  QCOMPARE(kestrel({"project", "new", empty, (w / "blank.cir").string()}).exitCode, 0);
  CProjDoc missing;
  missing.setTopLevel((w / "gone.cir").string());
  test::writeBytes(w / "missing.prj", encodeProject(missing));
  const std::pair<const char*, const char*> projects[] = {{"empty.prj", "zero records in top-level Circuit."},
                                                          {"missing.prj", "can not open top-level Circuit."}};
  const std::pair<const char*, bool (ProjectWindow::*)()> commands[] = {
      {"CALCULATE:", &ProjectWindow::calculate}, {"WHAT-IF?:", &ProjectWindow::whatIf}, {"GRAPH:", &ProjectWindow::graph}};
  for (const auto& [file, message] : projects) for (const auto& [command, run] : commands) {
    closeWindows();
    QVERIFY(frame->openFile((w / file).string()));
    ProjectWindow* window = nullptr;
    for (QMdiSubWindow* sub : frame->mdiArea()->subWindowList()) {
      if (auto* p = dynamic_cast<ProjectWindow*>(sub->widget())) window = p;
    }
    QVERIFY(window != nullptr);
    const FileBytes before = snapshot();
    ui.messages.clear();
    bool dialogShown = false;
    script([&dialogShown](QDialog&) {
      dialogShown = true;
      return static_cast<int>(QDialog::Rejected);
    });
    const std::string what = std::string(file) + " " + command;
    QVERIFY2(!(window->*run)(), what.c_str());
    QCOMPARE(lastMessage(), std::string(command) + " " + message);
    QVERIFY2(!dialogShown, what.c_str());
    QVERIFY2(snapshot() == before, what.c_str());
    dialogs.clear();
  }
}

// What-If? from the project window over the whole hierarchy: the same
// documents as `kestrel whatif` on the top-level circuit, and the tree
// shows the changed results as `kestrel project show` does.
void ProjectWindowTest::whatIfFromProjectMatchesCommandLine() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  const fs::path& w = work_;
  const std::string project = (w / "system.prj").string(), top = (w / "system.cir").string();
  const std::vector<std::string> treeBefore = shownTree(*window);
  std::string confirmation;
  scriptEntries({{"Change Environment", "1"}, {"Environment", "NS"}, {"Temperature Mode", "Increase"}, {"Temperature", "15"}});
  script([&confirmation](QDialog& next) {
    auto* confirm = dynamic_cast<WhatIfConfirmDialog*>(&next);
    if (confirm != nullptr) confirmation = confirm->text();
    return static_cast<int>(confirm != nullptr ? QDialog::Accepted : QDialog::Rejected);
  });
  QVERIFY(window->whatIf());
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  // The top-level circuit is changed in its window, for the user to save.
  const std::vector<CircuitWindow*> circuits = frame->circuits();
  QCOMPARE(circuits.size(), std::size_t{1});
  QVERIFY(circuits[0]->document().isModified());
  QVERIFY(circuits[0]->save());
  QVERIFY(confirmation.find("- Environment: NS") != std::string::npos);
  QVERIFY(confirmation.find("- Temperature: Increase (15.0C)") != std::string::npos);
  const std::vector<std::string> shown = shownTree(*window);
  QVERIFY(shown != treeBefore);
  sameAsCommandLine({{"project", "new", project, top}, {"whatif", "--env", "NS", "--temp", "increase:15", top}}, project,
                    shown, snapshot());
}

// Graph from the project window: the chart opens, and the data file is
// written beside the top-level circuit.
void ProjectWindowTest::graphFromProjectMatchesCommandLine() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  scriptAccept<GraphSheet>([](GraphSheet& sheet) { enter(sheet, page(0, "20", "80", "20")); });
  scriptAccept<CalculateDialog>([](CalculateDialog& calculate) { calculate.setMission(false); });
  QVERIFY(window->graph());
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QMdiSubWindow* active = frame->mdiArea()->activeSubWindow();
  QVERIFY(active != nullptr && dynamic_cast<ChartWindow*>(active->widget()) != nullptr);
  QVERIFY(test::readBytes(work_ / "GRAPH-DATA.CSV").starts_with("\"Temperature\",\"FR\"\n20.000000,"));
  ui.answers = {false};  // the chart's definition is not saved on close
}

// A sub-circuit or sub-hybrid row opens its file (Enter, or from the tree),
// the child names its parent, and Back to Parent raises the parent window
// with that row selected; any other row is refused.
void ProjectWindowTest::subFilesOpenFromRowsAndLeadBack() {
  const fs::path w = freshWork();
  QVERIFY(frame->openFile((w / "system.cir").string()));
  CircuitWindow* top = frame->activeCircuit();
  QVERIFY(top);
  std::size_t opened = 0;
  for (std::size_t row = 0; row < top->document().count(); ++row) {
    const CPart& part = top->document().record(row);
    const bool sub = part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType;
    frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(top->parentWidget()));
    top->select(row);
    ui.messages.clear();
    // Enter: a sub-file row opens its file; any other row goes to its (unanswered) sheet.
    QTest::keyClick(top->list(), Qt::Key_Return);
    CircuitWindow* child = frame->activeCircuit();
    if (!sub) {
      QCOMPARE(child, top);
      top->openSubFile();
      QCOMPARE(lastMessage(), std::string("OPEN SUB-FILE: not a SubCircuit or SubHybrid part."));
      continue;
    }
    ++opened;
    QVERIFY(child != top);
    QCOMPARE(upperCased(fs::path(child->document().path()).filename().string()), upperCased(part.FileName));
    QCOMPARE(child->parentDocument(), top->document().path());
    QCOMPARE(child->backToParent(), top);
    QCOMPARE(frame->activeCircuit(), top);
    QCOMPARE(top->selection(), std::optional<std::size_t>(row));
  }
  QVERIFY(opened >= 2);
  const std::size_t windows = frame->circuits().size();
  QCOMPARE(windows, opened + 1);

  // From the project tree: a child document opens already-open, knowing its parent.
  const std::string project = (w / "system.prj").string();
  QCOMPARE(kestrel({"project", "new", project, (w / "system.cir").string()}).exitCode, 0);
  QVERIFY(frame->openFile(project));
  ProjectWindow* tree = active<ProjectWindow>();
  const auto controller = findDocument(*tree, "CONTROLLER.CIR");
  QVERIFY(tree && controller);
  tree->select(*controller);
  QTest::keyClick(tree->view(), Qt::Key_Return);
  CircuitWindow* board = frame->activeCircuit();
  QVERIFY(board && board != top);
  QVERIFY(DocumentSubFiles::sameFile(board->parentDocument(), (w / "system.cir").string()));
  QCOMPARE(board->backToParent(), top);
  QCOMPARE(frame->circuits().size(), windows);
  QVERIFY(ui.messages.empty());

  // Edit > Undo and Redo act on the active circuit window.
  const auto bytes = encodeDocument(top->document());
  top->select(0);
  top->cutSelected();
  test::menuItem(*frame, "&Edit", "&Undo")->trigger();
  QVERIFY(encodeDocument(top->document()) == bytes);
  test::menuItem(*frame, "&Edit", "&Redo")->trigger();
  QVERIFY(encodeDocument(top->document()) != bytes);
}

// ---- Graphs ----


void ProjectWindowTest::graphThroughWindow(const fs::path& top, const PageEntries& entries, bool mission) {
  QVERIFY(frame->openFile(top.string()));
  scriptAccept<GraphSheet>([entries](GraphSheet& sheet) { enter(sheet, entries); });
  scriptAccept<CalculateDialog>([mission](CalculateDialog& calculate) {
    calculate.setMission(mission);
    calculate.setTime("8760");
  });
  QVERIFY(trigger("Activities", "&Graph..."));
}

void ProjectWindowTest::graphRunsMatchCommandLine() {
  struct Case {
    const char* name;
    PageEntries entries;
    bool mission;
    std::size_t seriesCount;  // curves of a line chart; 0: bars or slices
  };
  const Case cases[] = {
      {"fr-temperature", {0, "0", "100", "10", false, "", "", false}, false, 1},
      {"mtbf-temp-env-mission", {6, "20", "60", "20", false, "GB NS", "", false}, true, 2},
      {"fr-environment", {1, "", "", "", false, "GB GF NS AIC", "", false}, false, 0},
      {"pct-part-types", {12, "", "", "", false, "", "5", false}, false, 0},
      {"fr-circuits-top-only", {10, "", "", "", false, "", "3", true}, false, 0},
      {"reliability-years", {14, "0", "20", "2", true, "", "", false}, false, 1},
  };
  for (const Case& c : cases) {
    const fs::path gui = freshExamples(std::string("gui-") + c.name);
    const fs::path cli = freshExamples(std::string("cli-") + c.name);
    graphThroughWindow(gui / "system.cir", c.entries, c.mission);
    ChartWindow* chart = active<ChartWindow>();
    QVERIFY2(chart != nullptr, (std::string(c.name) + ": " + lastMessage()).c_str());
    QVERIFY2(ui.messages.empty(), lastMessage().c_str());

    std::vector<std::string> args = graphCommand(cli / "system.cir", c.entries);
    if (c.mission) args.insert(args.end(), {"--mission", "8760"});
    args.insert(args.end(), {"-o", (cli / "chart.png").string()});
    const test::RunResult r = kestrel(args);
    QVERIFY2(r.exitCode == 0, r.err.c_str());

    const std::string csv = test::readBytes(gui / "GRAPH-DATA.CSV");
    QVERIFY2(!csv.empty(), c.name);
    QCOMPARE(csv, test::readBytes(cli / "GRAPH-DATA.CSV"));

    // Save As image writes the command line's chart file.
    chosenFiles.push_back((gui / "chart.png").string());
    chart->saveImage();
    QVERIFY2(test::readBytes(gui / "chart.png") == test::readBytes(cli / "chart.png"), c.name);

    QCOMPARE(chart->plot().kind == graph::PlotKind::Lines ? chart->plot().series.size() : 0u, c.seriesCount);
    // The screen image and the command line's PNG show the first series in
    // about the same number of pixels (fonts may differ slightly).
    const QImage painted = chartImage(chart->plot());
    const QImage filed(QString::fromStdString((cli / "chart.png").string()));
    const long a = seriesPixels(painted), b = seriesPixels(filed);
    QVERIFY2(a > 50 && b > 50, c.name);
    QVERIFY2(a * 10 > b * 7 && b * 10 > a * 7, strprintf("%s: %ld vs %ld pixels", c.name, a, b).c_str());

    const std::string pdf = (gui / "chart.pdf").string();
    QVERIFY(chart->printToPdf(pdf));
    QVERIFY(test::readBytes(pdf).starts_with("%PDF"));

    ui.answers = {false};  // the chart's save question
    frame->mdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    QVERIFY(ui.answers.empty());
  }
}

// Each field of the page read and refused with its name; the rules
// themselves are the graph definition's.
void ProjectWindowTest::pageRefusesBadEntries() {
  struct Case {
    PageEntries entries;
    std::string message;
  };
  const Case cases[] = {
      {page(0, "-56", "100", "10"), "Number entry for \"From\" is out of range: -55 to 175"},
      {page(3, "0", "101", "10"), "Number entry for \"To\" is out of range: 0 to 100"},
      {page(14, "0", "100", "1001", true), "Number entry for \"Step\" is out of range: 1 to 1000"},
      {page(0, "0", "10", "10"),
       "Please adjust From/To/Step to give minimum of 3 data points...\n...From 0 To 10 Step 10 gives 2 data points."},
      {page(1, "", "", "", false, "GB XX"), "Please edit \"Environment\"...\n...\"XX\" is not a valid environment code."},
      {page(9, "", "", "", false, "", "2"), "Number entry for \"Max Items\" is out of range: 3 to 100"},
      {page(0, "ten", "100", "10"), "Please enter a number."},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    GraphSheet sheet(frame->context(), graph::GraphDefinition{});
    enter(sheet, c.entries);
    sheet.accept();
    QCOMPARE(sheet.result(), static_cast<int>(QDialog::Rejected));
    QCOMPARE(lastMessage(), c.message);
  }
}

void ProjectWindowTest::definitionSavedFromPageOpensBackAndMatchesCommandLine() {
  const fs::path folder = freshExamples("gdf");
  const PageEntries entries{2, "-40", "120", "20", false, "GF NU", "", false};
  GraphSheet sheet(frame->context(), graph::GraphDefinition{});
  enter(sheet, entries);
  chosenFiles.push_back((folder / "page").string());  // ".gdf" is added
  sheet.saveDefinition();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(graph::lastGraphDefinition(*settings), (folder / "page.gdf").string());

  GraphSheet reopened(frame->context(), graph::GraphDefinition{});
  chosenFiles.push_back((folder / "page.gdf").string());
  reopened.openDefinition();
  graph::GraphDefinition a, b;
  QVERIFY(sheet.read(a));
  QVERIFY(reopened.read(b));
  QCOMPARE(graph::encodeGraphDefinition(b), graph::encodeGraphDefinition(a));

  std::vector<std::string> args = graphCommand(folder / "system.cir", entries);
  args.insert(args.end(), {"--save-gdf", (folder / "cli.gdf").string()});
  const test::RunResult r = kestrel(args);
  QVERIFY2(r.exitCode == 0, r.err.c_str());
  QCOMPARE(test::readBytes(folder / "page.gdf"), test::readBytes(folder / "cli.gdf"));
}

void ProjectWindowTest::damagedDefinitionFilesAreRefused() {
  const fs::path folder = freshExamples("damaged");
  graph::GraphDefinition good;
  good.settings = graph::defaultSettings(graph::kFrVsStress);
  const std::vector<std::uint8_t> bytes = graph::encodeGraphDefinition(good);
  test::writeBytes(folder / "short.gdf", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 9));
  struct Case {
    std::string path;
    std::string start;  // the message begins so
  };
  const Case cases[] = {
      {(folder / "short.gdf").string(),
       "GDF Open...\n...can not read from '" + (folder / "short.gdf").string() + "'...\n...[CArchiveException...1]."},
      {(folder / "missing.gdf").string(), "GDF Open...\n...can not open '"},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    GraphSheet sheet(frame->context(), graph::GraphDefinition{});
    chosenFiles.push_back(c.path);
    sheet.openDefinition();
    QVERIFY2(lastMessage().starts_with(c.start), lastMessage().c_str());
    graph::GraphDefinition shown;
    QVERIFY(sheet.read(shown));
    QCOMPARE(shown.settings.type, 0);  // the page keeps what it showed
  }
}

void ProjectWindowTest::closingChartOffersToSaveDefinition() {
  const fs::path folder = freshExamples("close");
  const PageEntries entries = page(3, "10", "90", "20");
  graphThroughWindow(folder / "system.cir", entries, false);
  ChartWindow* chart = active<ChartWindow>();
  QVERIFY(chart != nullptr);

  // Yes, then a cancelled file chooser: the window stays open.
  ui.questions.clear();
  ui.answers = {true};
  QVERIFY(!chart->mayClose());
  QCOMPARE(ui.questions, std::vector<std::string>{std::string(graph::kSaveDefinitionQuestion)});

  ui.answers = {true};
  chosenFiles.push_back((folder / "stress.gdf").string());
  QVERIFY(chart->mayClose());
  graph::GraphDefinition saved;
  QVERIFY(graph::openGraphDefinition(posixFileSystem(), (folder / "stress.gdf").string(), saved));
  QCOMPARE(saved.settings.type, 3);
  QCOMPARE(saved.settings.from, 10L);
  QCOMPARE(saved.settings.step, 20L);
}

void ProjectWindowTest::cancelledRunLeavesNoChartAndNoFiles() {
  const fs::path folder = freshExamples("cancel");
  auto nothingLeft = [&folder] {
    QVERIFY(!fs::exists(folder / "GRAPH-DATA.CSV"));
    for (const auto& entry : fs::directory_iterator(folder)) {
      QVERIFY2(!entry.path().filename().string().starts_with("TMP"), entry.path().c_str());
    }
  };
  // Cancel pressed as the copies begin, then Yes to the question.
  ui.cancel = true;
  graphThroughWindow(folder / "system.cir", page(0, "0", "100", "10"), false);
  ui.cancel = false;
  QVERIFY(active<ChartWindow>() == nullptr);
  QVERIFY(std::find(ui.questions.begin(), ui.questions.end(), "Cancel temporary directory copy operation?") !=
          ui.questions.end());
  nothingLeft();

  // Cancel in the Calculate dialog after the confirmation: nothing is created.
  scriptAccept<GraphSheet>();
  bool calculateShown = false;
  script([&calculateShown](QDialog& d) {
    calculateShown = dynamic_cast<CalculateDialog*>(&d) != nullptr;
    return static_cast<int>(QDialog::Rejected);
  });
  QVERIFY(trigger("Activities", "&Graph..."));
  QVERIFY(calculateShown);
  QVERIFY(active<ChartWindow>() == nullptr);
  nothingLeft();
}


int main(int argc, char** argv) { return test::runTests<ProjectWindowTest>(argc, argv); }
// Detail on the tree: a record shows its detail lines, a document its
// header and result lines; no selection says so.
void ProjectWindowTest::detailShowsRecordOrDocumentLines() {
  ProjectWindow* window = openSystemProject();
  QVERIFY(window != nullptr);
  window->view()->setCurrentIndex({});
  window->showDetail();
  QCOMPARE(lastMessage(), std::string("DETAIL: no part selection."));
  std::size_t record = 1;
  while (record < window->tree().size() && window->tree().node(record).isDocument()) ++record;
  for (std::size_t node : {std::size_t{0}, record}) {
    window->select(node);
    QVERIFY(trigger("&Project", "Detai&l"));
    const std::vector<std::string> lines = test::splitLines(PartDetailWindow::of(window)->text());
    const bool shown = node == 0 ? lines.size() > 1 && lines[1].find("Recs:") != std::string::npos
                                 : lines.size() > 2 && lines[0].rfind(" " + window->tree().node(node).record->PN, 0) == 0 &&
                                       lines[2].find("TFR=") != std::string::npos;
    QVERIFY2(shown, lines.empty() ? "" : lines[0].c_str());
  }
}

// A profile over the example system opened from its file, a temperature
// typed into its cell, Calculate: the results are those the calculation
// gives for the edited profile (not the profile as read), with the repetitions
// of the spin box; a duration out of range is refused with the profile
// check's message and changes nothing.
void ProjectWindowTest::profileWindowShowsTheCalculationOfItsEdits() {
  const fs::path folder = freshExamples("profile");
  MissionProfile read;
  read.name = "Sortie";
  read.topLevel = "system.cir";
  read.phases = {{"Ground", 2, 35.0, 2.0, 100.0, 0.0}, {"Flight", 6, 55.0, 6.0, 100.0, 0.0},
                 {"Hangar", 2, 25.0, 16.0, 0.0, 0.1}};
  const std::string path = (folder / "sortie.mpf").string();
  QVERIFY(saveProfile(posixFileSystem(), read, path).isOk());
  frame->show();  // an editor takes keys only when shown
  QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
  QVERIFY(frame->openFile(path));
  auto* w = active<MissionProfileWindow>();
  QVERIFY(w != nullptr);

  QTest::qWait(50);  // the window comes to the front before the cell is edited
  const QModelIndex flightTemp = w->phases()->index(1, PhaseTableModel::kTemperature);
  w->phaseView()->setCurrentIndex(flightTemp);
  w->phaseView()->edit(flightTemp);
  auto* editor = qobject_cast<QLineEdit*>(w->phaseView()->indexWidget(flightTemp));
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "85");
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(w->profile().phases[1].temperature, 85.0);  // the editor commits from the event loop
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());

  const auto expected = [&](const MissionProfile& profile, int repetitions) {
    graph::ProfileJob job{path, profile, repetitions};
    SilentUi silent;
    ProfileResult out;
    const Status s = graph::runProfile(job, graph::posixScratchFiles(), silent, out);
    if (!s) qWarning("%s", s.message().c_str());
    return out;
  };
  const auto shownR = [](double r) { return QString::fromStdString(formatNumber(r, 8, 6)).trimmed(); };
  const ProfileResult edited = expected(w->profile(), 1);
  QVERIFY(shownR(edited.phases[1].reliability) != shownR(expected(read, 1).phases[1].reliability));
  QVERIFY(w->calculate());
  QCOMPARE(w->resultTable()->rowCount(), 3);
  for (int row = 0; row < 3; ++row) {
    QCOMPARE(w->resultTable()->item(row, 3)->text(), shownR(edited.phases[static_cast<std::size_t>(row)].reliability));
  }
  QVERIFY2(w->summaryText().contains(shownR(edited.reliability)), qPrintable(w->summaryText()));
  QCOMPARE(w->contributorTable()->rowCount(), static_cast<int>(edited.phases[1].contributors.size()));

  w->repetitions()->setValue(40);
  QVERIFY(w->result().has_value());
  QVERIFY2(w->summaryText().contains("R after 40: " + shownR(expected(w->profile(), 40).repeatedReliability)),
           qPrintable(w->summaryText()));

  // A refused value: the check's message names the file and the phase.
  MissionProfile refused = w->profile();
  refused.phases[1].hours = -3.0;
  QVERIFY(!w->phases()->setData(w->phases()->index(1, PhaseTableModel::kHours), "-3", Qt::EditRole));
  QCOMPARE(lastMessage(), checkProfile(refused, path).message());
  QVERIFY(lastMessage().find("phase 2 ('Flight')") != std::string::npos);
  QCOMPARE(w->profile().phases[1].hours, 6.0);
  QVERIFY(w->result().has_value());
  ui.messages.clear();

  // The report and the chart of the results shown go to their files.
  chosenFiles = {(folder / "sortie.txt").string(), (folder / "sortie.png").string()};
  QVERIFY(w->printToFile());
  QVERIFY(test::readBytes(folder / "sortie.txt").find("Mission Profile Report") != std::string::npos);
  QVERIFY(w->saveChart());
  QCOMPARE(test::readBytes(folder / "sortie.png").substr(1, 3), std::string("PNG"));
  frame->hide();
}

#include "project_window_test.moc"
