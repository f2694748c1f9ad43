// The project module of the desktop: File > New > "&Project", the opener of
// ".prj" files, the "&Project" menu acting on the active project window,
// and File > Save and Print for the project in front.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <filesystem>

#include "core/doc_file.hpp"
#include "gui/circuit_window.hpp"
#include "gui/exchange/whatif_command.hpp"
#include "gui/graph/graph_command.hpp"
#include "gui/main_window.hpp"
#include "gui/project/project_window.hpp"
#include "gui/window_modules.hpp"
#include "project/project_file.hpp"
#include "project/top_level.hpp"

namespace kestrel::gui {
namespace {

ProjectWindow* activeProject(const MainWindow& frame) {
  QMdiSubWindow* sub = frame.mdiArea()->currentSubWindow();
  return sub != nullptr ? dynamic_cast<ProjectWindow*>(sub->widget()) : nullptr;
}

ProjectWindow* showProject(MainWindow& frame, std::unique_ptr<CProjDoc> project) {
  auto openCircuit = [&frame](const std::string& path) { return frame.context().openCircuit(path); };
  ProjectWindow::TopLevelCommands commands;
  commands.whatIf = [&frame](CircuitWindow& w) { return whatIfOnWindow(w, frame.context()); };
  commands.graph = [&frame](CircuitWindow& w) { return graphInFrame(frame, w); };
  auto* window = new ProjectWindow(std::move(project), frame.context(), openCircuit, std::move(commands));
  frame.addChildWindow(window, QSize(980, 620));
  window->refresh();
  return window;
}

bool openProjectFile(MainWindow& frame, const std::string& path) {
  const std::string wanted = absolutePath(path);
  for (QMdiSubWindow* sub : frame.mdiArea()->subWindowList()) {
    auto* w = dynamic_cast<ProjectWindow*>(sub->widget());
    if (w != nullptr && absolutePath(w->project().path()) == wanted) {
      frame.mdiArea()->setActiveSubWindow(sub);
      return true;
    }
  }
  GuiContext& context = frame.context();
  auto project = std::make_unique<CProjDoc>();
  if (Status s = openProject(*context.fs, path, *project); !s) {
    context.ui->message(s.message());
    return false;
  }
  showProject(frame, std::move(project));
  frame.rememberRecent(path);
  context.settings->setText("Settings", "LastOpenFile", path);
  return true;
}

// New Project, as `kestrel project new`: the project file, then its
// top-level circuit (created empty when it does not exist), saved at once.
void newProject(MainWindow& frame) {
  GuiContext& context = frame.context();
  std::string path = context.chooseFile(true, "New Project", std::string(kProjectFilter));
  if (path.empty()) return;
  if (std::filesystem::path(path).extension().empty()) path += ".prj";
  if (Status s = checkExtension(path, kProjectExtension); !s) {
    context.ui->message(s.message());
    return;
  }
  const std::string top = context.chooseFile(false, "Choose Top-Level Circuit File", "Circuit Files (*.cir)");
  if (top.empty()) return;
  auto project = std::make_unique<CProjDoc>();
  project->setPath(absolutePath(path));
  if (Status s = chooseTopLevel(*project, top, *context.fs, *context.ui); !s) {
    context.ui->message(s.message());
    return;
  }
  if (Status s = saveProject(*context.fs, *project, path); !s) {
    context.ui->message(s.message());
    return;
  }
  showProject(frame, std::move(project));
  frame.rememberRecent(path);
}

QMenu* newSubmenu(MainWindow& frame) {
  QMenu* file = frame.menu(QObject::tr("&File"));
  for (QAction* a : file->actions()) {
    if (a->menu() != nullptr && a->text() == QObject::tr("&New")) return a->menu();
  }
  return file;
}

}  // namespace

void installProjectWindow(MainWindow& frame) {
  MainWindow* f = &frame;
  QAction* create = newSubmenu(frame)->addAction(QObject::tr("&Project"));
  create->setStatusTip(QObject::tr("Create a new project over a top-level circuit"));
  QObject::connect(create, &QAction::triggered, f, [f] { newProject(*f); });
  frame.registerOpener(".prj", [f](const std::string& path) { return openProjectFile(*f, path); });

  QMenu* menu = frame.menu(QObject::tr("&Project"));
  // Each item acts on the project window in front; those of a node need a selection.
  const auto add = [f, menu](const char* text, const char* tip, auto command, bool selection = false) {
    QAction* a = menu->addAction(QObject::tr(text));
    a->setStatusTip(QObject::tr(tip));
    QObject::connect(a, &QAction::triggered, f, [f, command] {
      if (ProjectWindow* w = activeProject(*f)) command(*w);
    });
    f->require(a, {kProjectWindow, selection});
  };
  add("&Add Child...", "Add a SubCircuit or SubHybrid reference to the selected circuit",
      [](ProjectWindow& w) { w.addChild(); }, true);
  add("&Delete Child", "Delete the selected child reference", [](ProjectWindow& w) { w.deleteChild(); }, true);
  add("&Move Child...", "Move the selected child reference to another circuit", [](ProjectWindow& w) { w.moveChild(); },
      true);
  menu->addSeparator();
  add("&Open Document", "Open the selected node's document", [](ProjectWindow& w) { w.openNode(); }, true);
  add("&Edit...", "Edit the selected record or header", [](ProjectWindow& w) { w.editNode(); }, true);
  add("Detai&l", "Show the selected node in the Part Detail window", [](ProjectWindow& w) { w.showDetail(); }, true);
  add("&Header...", "Choose the top-level circuit", [](ProjectWindow& w) { w.chooseHeader(); });
  add("&Refresh", "Build the project tree again", [](ProjectWindow& w) { w.refresh(); });
  add("&Calculate...", "Calculate the top-level circuit", [](ProjectWindow& w) { w.calculate(); });
  add("&What-If?...", "What-If? changes over the top-level circuit's hierarchy", [](ProjectWindow& w) { w.whatIf(); });
  add("&Graph...", "Graph the top-level circuit", [](ProjectWindow& w) { w.graph(); });
  add("&Print Project...", "Print every checked document", [](ProjectWindow& w) { w.printProject(); });
  menu->addSeparator();
  add("&Save Project", "Save the project file", [](ProjectWindow& w) { w.save(); });
  add("Save Project &As...", "Save the project file with a new name", [](ProjectWindow& w) { w.saveAs(); });

  frame.registerSave([](QWidget* window, bool saveAs) {
    auto* w = dynamic_cast<ProjectWindow*>(window);
    if (w != nullptr) saveAs ? w->saveAs() : w->save();
    return w != nullptr;
  });
  frame.registerPrint([](QWidget* window) {
    auto* w = dynamic_cast<ProjectWindow*>(window);
    if (w != nullptr) w->printProject();
    return w != nullptr;
  });
}

}  // namespace kestrel::gui
