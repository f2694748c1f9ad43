// The exchange module of the frame: File > New "&Import Definition", the
// opener of ".imp" files, the "&Definition" menu of the definition window,
// and "Activities" > "&Import...", "Import &Bill of Materials..." and "E&xport...".
// With a definition window in front, Import runs that window's definition as it is shown.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <filesystem>

#include "gui/exchange/exchange_runs.hpp"
#include "gui/exchange/import_definition_window.hpp"
#include "gui/main_window.hpp"
#include "gui/window_modules.hpp"

namespace kestrel::gui {
namespace {

ImportDefinitionWindow* activeDefinition(MainWindow& frame) {
  QMdiSubWindow* sub = frame.mdiArea()->currentSubWindow();
  return sub != nullptr ? dynamic_cast<ImportDefinitionWindow*>(sub->widget()) : nullptr;
}

QMenu* fileNewMenu(MainWindow& frame) {
  QMenu* file = frame.menu(QObject::tr("&File"));
  for (QAction* a : file->actions()) {
    if (a->menu() != nullptr && a->text() == QObject::tr("&New")) return a->menu();
  }
  return file->addMenu(QObject::tr("&New"));
}

bool openDefinition(MainWindow& frame, const std::string& path) {
  for (QMdiSubWindow* sub : frame.mdiArea()->subWindowList()) {
    auto* w = dynamic_cast<ImportDefinitionWindow*>(sub->widget());
    std::error_code ec;
    if (w != nullptr && !w->path().empty() && std::filesystem::equivalent(w->path(), path, ec)) {
      frame.mdiArea()->setActiveSubWindow(sub);
      return true;
    }
  }
  auto window = ImportDefinitionWindow::open(path, frame.context());
  if (!window) return false;
  frame.addChildWindow(window.release(), QSize(720, 520));
  frame.rememberRecent(path);
  return true;
}

void addCommand(MainWindow& frame, QMenu* menu, const QString& text, const QString& tip,
                void (ImportDefinitionWindow::*command)(), bool selection = false) {
  QAction* action = menu->addAction(text);
  action->setStatusTip(tip);
  QObject::connect(action, &QAction::triggered, &frame, [&frame, command] {
    if (ImportDefinitionWindow* w = activeDefinition(frame)) (w->*command)();
  });
  frame.require(action, {kDefinitionWindow, selection});
}

}  // namespace

void installExchangeWindows(MainWindow& frame) {
  QAction* newDefinition = fileNewMenu(frame)->addAction(QObject::tr("&Import Definition"));
  newDefinition->setStatusTip(QObject::tr("Create a new import definition"));
  QObject::connect(newDefinition, &QAction::triggered, &frame, [&frame] {
    frame.addChildWindow(ImportDefinitionWindow::create(frame.context()).release(), QSize(720, 520));
  });
  frame.registerOpener(".imp", [&frame](const std::string& path) { return openDefinition(frame, path); });

  QMenu* definition = frame.menu(QObject::tr("&Definition"));
  addCommand(frame, definition, QObject::tr("Edit &Header..."), QObject::tr("Edit what the import builds and reads"),
             &ImportDefinitionWindow::editHeader);
  addCommand(frame, definition, QObject::tr("Edit &Keyword..."),
             QObject::tr("Edit the input field of the selected keyword"), &ImportDefinitionWindow::editKeyword, true);
  addCommand(frame, definition, QObject::tr("&Find..."), QObject::tr("Find a keyword by its name"),
             &ImportDefinitionWindow::find);
  definition->addSeparator();
  QAction* save = definition->addAction(QObject::tr("&Save Definition"));
  QObject::connect(save, &QAction::triggered, &frame, [&frame] {
    if (ImportDefinitionWindow* w = activeDefinition(frame)) w->save();
  });
  frame.require(save, {kDefinitionWindow});
  QAction* saveAs = definition->addAction(QObject::tr("Save Definition &As..."));
  QObject::connect(saveAs, &QAction::triggered, &frame, [&frame] {
    if (ImportDefinitionWindow* w = activeDefinition(frame); w != nullptr && w->saveAs()) {
      frame.rememberRecent(w->path());
    }
  });
  frame.require(saveAs, {kDefinitionWindow});

  frame.registerSave([&frame](QWidget* window, bool saveAs) {
    auto* w = dynamic_cast<ImportDefinitionWindow*>(window);
    if (w == nullptr) return false;
    if (!saveAs) {
      w->save();
    } else if (w->saveAs()) {
      frame.rememberRecent(w->path());
    }
    return true;
  });

  QMenu* activities = frame.menu(QObject::tr("Activities"));
  QAction* import = activities->addAction(QObject::tr("&Import..."));
  import->setStatusTip(QObject::tr("Build or update Kestrel files from foreign data files"));
  QObject::connect(import, &QAction::triggered, &frame, [&frame] {
    OpenDefinition open;
    if (ImportDefinitionWindow* w = activeDefinition(frame); w != nullptr && !w->path().empty()) {
      open = {w->path(), &w->definition()};
    }
    importThroughSheet(frame.context(), &frame, open);
  });
  // The Import sheet set to read a bill of materials (the sheet keeps the choice).
  QAction* bom = activities->addAction(QObject::tr("Import &Bill of Materials..."));
  bom->setStatusTip(QObject::tr("Build a circuit from a bill of materials (Reference, Value, Qty, MPN... columns)"));
  QObject::connect(bom, &QAction::triggered, &frame, [&frame] {
    Settings& settings = *frame.context().settings;
    ImportSheetOptions options = loadImportOptions(settings);
    options.readBy = ImportReadBy::BillOfMaterials;
    storeImportOptions(settings, options);
    importThroughSheet(frame.context(), &frame);
  });
  QAction* exportAction = activities->addAction(QObject::tr("E&xport..."));
  exportAction->setStatusTip(QObject::tr("Write Kestrel files out as foreign data files"));
  QObject::connect(exportAction, &QAction::triggered, &frame,
                   [&frame] { exportThroughSheet(frame.context(), &frame); });
}

}  // namespace kestrel::gui
