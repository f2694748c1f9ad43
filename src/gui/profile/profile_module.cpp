// The mission profile module of the desktop: Activities > "Mission
// &Profile..." starts a profile over the circuit or hybrid in front (or a
// file the user chooses), File > Open reads ".mpf" files into their window,
// and File > Save and Print act on the profile window in front.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "core/circ_doc.hpp"
#include "core/document_sub_files.hpp"
#include "core/path_names.hpp"
#include "core/strfmt.hpp"
#include "gui/circuit_window.hpp"
#include "gui/main_window.hpp"
#include "gui/profile/profile_window.hpp"
#include "gui/qt_text.hpp"
#include "gui/window_modules.hpp"

namespace kestrel::gui {
namespace {

void showProfile(MainWindow& frame, MissionProfile profile, const std::string& path) {
  auto* window = new MissionProfileWindow(std::move(profile), path, frame.context());
  frame.addChildWindow(window, QSize(1180, 760));
  window->setFocus();
}

bool openProfileFile(MainWindow& frame, const std::string& path) {
  for (QMdiSubWindow* sub : frame.mdiArea()->subWindowList()) {
    auto* w = dynamic_cast<MissionProfileWindow*>(sub->widget());
    if (w != nullptr && !w->path().empty() && DocumentSubFiles::sameFile(w->path(), path)) {
      frame.mdiArea()->setActiveSubWindow(sub);
      return true;
    }
  }
  GuiContext& context = frame.context();
  MissionProfile profile;
  if (Status s = loadProfile(*context.fs, path, profile); !s) {
    context.ui->message(s.message());
    return false;
  }
  showProfile(frame, std::move(profile), path);
  frame.rememberRecent(path);
  context.settings->setText("Settings", "LastOpenFile", path);
  return true;
}

// A new profile of one phase over the saved document in front, or over a
// file the user chooses.
void newProfile(MainWindow& frame) {
  MissionProfile profile;
  if (CircuitWindow* w = frame.activeCircuit(); w != nullptr && !w->document().path().empty()) {
    profile.topLevel = w->document().path();
  } else {
    GuiContext& context = frame.context();
    profile.topLevel = context.chooseFile
                           ? context.chooseFile(false, "Choose Top-Level File",
                                                "Circuit Files (*.cir);;Hybrid Files (*.hyb)")
                           : std::string();
    if (profile.topLevel.empty()) return;
  }
  profile.name = stext(qmixed("Mission of " + upperCased(fileNameOf(profile.topLevel)))).substr(0, kMaxProfileName);
  profile.phases.push_back(MissionPhase{.name = "Phase 1"});
  showProfile(frame, std::move(profile), {});
}

}  // namespace

void installMissionProfileWindow(MainWindow& frame) {
  MainWindow* f = &frame;
  QAction* open = frame.menu(QObject::tr("Activities"))->addAction(QObject::tr("Mission &Profile..."));
  open->setStatusTip(QObject::tr("Phases of environment, temperature and time over the active document's hierarchy"));
  QObject::connect(open, &QAction::triggered, f, [f] { newProfile(*f); });
  frame.registerOpener(".mpf", [f](const std::string& path) { return openProfileFile(*f, path); },
                       "Mission Profile Files (*.mpf)");
  frame.registerSave([f](QWidget* window, bool saveAs) {
    auto* w = dynamic_cast<MissionProfileWindow*>(window);
    if (w == nullptr) return false;
    if ((saveAs || w->path().empty()) ? w->saveAs() : w->save()) f->rememberRecent(w->path());
    return true;
  });
  frame.registerPrint([](QWidget* window) {
    auto* w = dynamic_cast<MissionProfileWindow*>(window);
    if (w != nullptr) w->print();
    return w != nullptr;
  });
}

}  // namespace kestrel::gui
