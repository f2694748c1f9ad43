// The library module of the frame: File > New "&Library" and
// "Cross-&Reference", the openers of ".lib" and ".xrf" files, the "&Library"
// menu of the library and cross-reference windows, and Transfer and Update
// under "Activities".
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <filesystem>

#include "gui/library/library_window.hpp"
#include "gui/library/logged_run.hpp"
#include "gui/library/xref_window.hpp"
#include "gui/main_window.hpp"
#include "gui/window_modules.hpp"
#include "store/library/library_kind.hpp"
#include "store/library/library_location.hpp"
#include "store/library/salvage.hpp"

namespace kestrel::gui {
namespace {

template <typename Window>
Window* active(MainWindow& frame) {
  QMdiSubWindow* sub = frame.mdiArea()->currentSubWindow();
  return sub != nullptr ? dynamic_cast<Window*>(sub->widget()) : nullptr;
}

const std::string& pathOf(LibraryWindow& w) { return w.library().path(); }
const std::string& pathOf(XRefWindow& w) { return w.file().path(); }

// The same file under any name, or the same database address.
bool sameLibrary(const std::string& a, const std::string& b) {
  if (isDatabaseAddress(a) || isDatabaseAddress(b)) return a == b;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

// An open window of a library is brought to the front instead of opened twice.
template <typename Window>
bool bringToFront(MainWindow& frame, const std::string& path) {
  for (QMdiSubWindow* sub : frame.mdiArea()->subWindowList()) {
    auto* w = dynamic_cast<Window*>(sub->widget());
    if (w != nullptr && sameLibrary(pathOf(*w), path)) {
      frame.mdiArea()->setActiveSubWindow(sub);
      return true;
    }
  }
  return false;
}

template <typename Window>
bool openWindow(MainWindow& frame, const std::string& path) {
  if (bringToFront<Window>(frame, path)) return true;
  auto window = Window::open(path, frame.context());
  if (!window) return false;
  frame.addChildWindow(window.release(), QSize(820, 480));
  frame.rememberRecent(path);
  return true;
}

// A new library or cross-reference list (a file or a database address) in its window.
template <typename Window>
void createAt(MainWindow& frame, const std::string& address) {
  auto window = Window::create(address, frame.context());
  if (!window) return;
  frame.addChildWindow(window.release(), QSize(820, 480));
  frame.rememberRecent(address);
}

// A new file: the chooser's name, with the kind's extension when it has none.
template <typename Window>
void createWindow(MainWindow& frame, const char* title, const char* filter, const char* extension) {
  GuiContext& context = frame.context();
  if (!context.chooseFile) return;
  std::string path = context.chooseFile(true, title, filter);
  if (path.empty()) return;
  if (std::filesystem::path(path).extension().empty()) path += extension;
  createAt<Window>(frame, path);
}

// Places `action` right after File > Open....
void insertAfterOpen(QMenu* file, QAction* action) {
  const QList<QAction*> actions = file->actions();
  for (qsizetype i = 0; i + 1 < actions.size(); ++i) {
    if (actions[i]->text() == QObject::tr("&Open...")) {
      file->insertAction(actions[i + 1], action);
      return;
    }
  }
  file->addAction(action);
}

QMenu* fileNewMenu(MainWindow& frame) {
  QMenu* file = frame.menu(QObject::tr("&File"));
  for (QAction* a : file->actions()) {
    if (a->menu() != nullptr && a->text() == QObject::tr("&New")) return a->menu();
  }
  return file->addMenu(QObject::tr("&New"));
}

// One item of the "&Library" menu: the library window's command, or the
// cross-reference window's when that one is in front; enabled only in front
// of a window that has the command (and a selection when `selection`).
void addCommand(MainWindow& frame, QMenu* menu, const QString& text, const QString& tip,
                void (LibraryWindow::*onLibrary)(), void (XRefWindow::*onXRef)(), bool selection = false) {
  QAction* action = menu->addAction(text);
  action->setStatusTip(tip);
  QObject::connect(action, &QAction::triggered, &frame, [&frame, onLibrary, onXRef] {
    if (LibraryWindow* lib = active<LibraryWindow>(frame); lib != nullptr && onLibrary != nullptr) {
      (lib->*onLibrary)();
    } else if (XRefWindow* x = active<XRefWindow>(frame); x != nullptr && onXRef != nullptr) {
      (x->*onXRef)();
    }
  });
  const WindowKinds kinds = (onLibrary != nullptr ? kLibraryWindow : 0u) | (onXRef != nullptr ? kXRefWindow : 0u);
  frame.require(action, {kinds, selection});
}

template <typename Window>
bool isOpen(MainWindow& frame, const std::string& path) {
  for (QMdiSubWindow* sub : frame.mdiArea()->subWindowList()) {
    auto* w = dynamic_cast<Window*>(sub->widget());
    if (w != nullptr && sameLibrary(pathOf(*w), path)) return true;
  }
  return false;
}

// A library or cross-reference list kept in a database, opened in the
// window of its kind.
bool openAddress(MainWindow& frame, const std::string& address) {
  library::KeptKind kind = library::KeptKind::Neither;
  if (Status s = library::keptKindOf(address, kind); !s) {
    frame.context().ui->message("Can not open library file\n" + s.message());
    return false;
  }
  if (kind == library::KeptKind::CrossReferences) return openWindow<XRefWindow>(frame, address);
  return openWindow<LibraryWindow>(frame, address);
}

// "Open Library Address...": the address typed, e.g.
// "postgresql://server/reliability?library=avionics", opened, or created
// as a parts library or a cross-reference list.
void askAddress(MainWindow& frame) {
  GuiContext& context = frame.context();
  QDialog dialog(&frame);
  dialog.setWindowTitle(QObject::tr("Open Library Address"));
  auto* form = new QFormLayout(&dialog);
  auto* address = new QLineEdit(&dialog);
  address->setMinimumWidth(420);
  address->setPlaceholderText(QStringLiteral("postgresql://server/database?library=name"));
  address->setText(QString::fromStdString(context.settings->text("Library", "Address")));
  form->addRow(QObject::tr("&Address:"), address);
  auto* create = new QCheckBox(QObject::tr("&Create it as a new"), &dialog);
  auto* kind = new QComboBox(&dialog);
  kind->addItems({QObject::tr("Library"), QObject::tr("Cross-Reference List")});
  kind->setEnabled(false);
  QObject::connect(create, &QCheckBox::toggled, kind, &QWidget::setEnabled);
  form->addRow(create, kind);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (context.runDialog(dialog) != QDialog::Accepted) return;
  const std::string text = address->text().trimmed().toStdString();
  if (text.empty()) return;
  context.settings->setText("Library", "Address", text);
  if (!create->isChecked()) openAddress(frame, text);
  else if (kind->currentIndex() == 0) createAt<LibraryWindow>(frame, text);
  else createAt<XRefWindow>(frame, text);
}

// "Recover Library...": the damaged file and the new one are chosen, the
// salvage runs in the progress window, the summary is shown and the new
// file opened. The save chooser has asked before replacing a file.
void recoverFile(MainWindow& frame) {
  GuiContext& context = frame.context();
  if (!context.chooseFile || context.ui == nullptr) return;
  const char* filter = "Library Files (*.lib);;Cross-Ref Files (*.xrf)";
  const std::string damaged = context.chooseFile(false, "Recover Library: Damaged File", filter);
  if (damaged.empty()) return;
  std::string output = context.chooseFile(true, "Recover Library: New File", filter);
  if (output.empty()) return;
  if (std::filesystem::path(output).extension().empty()) output += std::filesystem::path(damaged).extension().string();
  if (isOpen<LibraryWindow>(frame, output) || isOpen<XRefWindow>(frame, output)) {
    context.ui->message("RECOVER: '" + output + "' is open in a window.");
    return;
  }
  library::RecoverOutcome out;
  {
    LoggedRun run(*context.ui, "RECOVER", operationLogFile(context));
    out = library::recoverKeyedFile(damaged, output, true, run);
  }
  if (!out.ok) {
    context.ui->message("RECOVER: " + out.failure.message() + ".");
    return;
  }
  context.ui->message("Recover Library\n'" + damaged + "' -> '" + output + "'\n" + library::recoverSummary(out));
  if (out.kind == library::KeyedKind::Library) openWindow<LibraryWindow>(frame, output);
  else openWindow<XRefWindow>(frame, output);
}

}  // namespace

void installLibraryWindows(MainWindow& frame) {
  QMenu* fileNew = fileNewMenu(frame);
  QAction* newLib = fileNew->addAction(QObject::tr("&Library"));
  newLib->setStatusTip(QObject::tr("Create a new part library"));
  QObject::connect(newLib, &QAction::triggered, &frame, [&frame] {
    createWindow<LibraryWindow>(frame, "Create New Library File", "Library Files (*.lib)", ".lib");
  });
  QAction* newXRef = fileNew->addAction(QObject::tr("Cross-&Reference"));
  newXRef->setStatusTip(QObject::tr("Create a new cross-reference file"));
  QObject::connect(newXRef, &QAction::triggered, &frame, [&frame] {
    createWindow<XRefWindow>(frame, "Create New Cross-Reference File", "Cross-Reference Files (*.xrf)", ".xrf");
  });
  QAction* byAddress = new QAction(QObject::tr("Open &Library Address..."), &frame);
  insertAfterOpen(frame.menu(QObject::tr("&File")), byAddress);
  byAddress->setStatusTip(QObject::tr("Open a library or cross-reference list kept in a database"));
  QObject::connect(byAddress, &QAction::triggered, &frame, [&frame] { askAddress(frame); });
  frame.registerOpener(MainWindow::kAddressOpener, [&frame](const std::string& address) { return openAddress(frame, address); });
  frame.registerOpener(".lib", [&frame](const std::string& path) { return openWindow<LibraryWindow>(frame, path); });
  frame.registerOpener(".xrf", [&frame](const std::string& path) { return openWindow<XRefWindow>(frame, path); });

  QMenu* lib = frame.menu(QObject::tr("&Library"));
  addCommand(frame, lib, QObject::tr("&Add..."), QObject::tr("Add records"), &LibraryWindow::addParts,
             &XRefWindow::addRecord);
  addCommand(frame, lib, QObject::tr("&Edit..."), QObject::tr("Edit the selected record"),
             &LibraryWindow::editSelected, &XRefWindow::editSelected, true);
  addCommand(frame, lib, QObject::tr("Con&vert..."), QObject::tr("Change the selected part to another part type"),
             &LibraryWindow::convertSelected, nullptr, true);
  addCommand(frame, lib, QObject::tr("&Delete"), QObject::tr("Delete the selected record"),
             &LibraryWindow::deleteSelected, &XRefWindow::deleteSelected, true);
  addCommand(frame, lib, QObject::tr("&Find..."), QObject::tr("Find a record"), &LibraryWindow::find,
             &XRefWindow::find);
  lib->addSeparator();
  addCommand(frame, lib, QObject::tr("Cu&t Record"), QObject::tr("Cut the selected record to the clipboard"),
             &LibraryWindow::cutSelected, &XRefWindow::cutSelected, true);
  addCommand(frame, lib, QObject::tr("&Copy Record"), QObject::tr("Copy the selected record to the clipboard"),
             &LibraryWindow::copySelected, &XRefWindow::copySelected, true);
  addCommand(frame, lib, QObject::tr("&Paste Record"), QObject::tr("Add the record on the clipboard"),
             &LibraryWindow::paste, &XRefWindow::paste);
  lib->addSeparator();
  addCommand(frame, lib, QObject::tr("Detai&l"), QObject::tr("Show the selected part in the Part Detail window"),
             &LibraryWindow::showDetail, nullptr, true);
  addCommand(frame, lib, QObject::tr("&Header..."), QObject::tr("Edit the description and notes of the file"),
             &LibraryWindow::editHeader, &XRefWindow::editHeader);
  addCommand(frame, lib, QObject::tr("&Merge..."), QObject::tr("Add every record of another file of the same kind"),
             &LibraryWindow::merge, &XRefWindow::merge);
  QAction* recover = lib->addAction(QObject::tr("&Recover Library..."));
  recover->setStatusTip(QObject::tr("Write every intact record of a damaged library or cross-reference file into a new file"));
  QObject::connect(recover, &QAction::triggered, &frame, [&frame] { recoverFile(frame); });
  QAction* style = lib->addAction(QObject::tr("List PN&2"));
  style->setCheckable(true);
  style->setStatusTip(QObject::tr("List part number, PN2 and type instead of part number, type and date"));
  QObject::connect(style, &QAction::toggled, &frame, [&frame](bool on) {
    if (LibraryWindow* w = active<LibraryWindow>(frame)) w->setListStyle(on ? 2 : 1);
  });
  frame.require(style, {kLibraryWindow});

  QMenu* activities = frame.menu(QObject::tr("Activities"));
  activities->addSeparator();
  addCommand(frame, activities, QObject::tr("&Transfer..."),
             QObject::tr("Add the part records of circuit files to the library in front"), &LibraryWindow::transfer,
             nullptr);
  addCommand(frame, activities, QObject::tr("&Update..."),
             QObject::tr("Rewrite the part records of circuit files from the library in front"),
             &LibraryWindow::update, nullptr);
}

}  // namespace kestrel::gui
