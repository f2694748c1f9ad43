#include "gui/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/strfmt.hpp"
#include "gui/application_icon.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialogs.hpp"
#include "gui/help/help_windows.hpp"
#include "gui/print_setup_dialog.hpp"
#include "gui/qt_text.hpp"
#include "gui/window_modules.hpp"
#include "shell/document_kinds.hpp"
#include "shell/working_folder.hpp"
#include "store/library/library_location.hpp"

namespace kestrel::gui {
namespace {

constexpr int kRecentFiles = 4;
constexpr const char* kRecentSection = "Recent File List";

// All six kinds, circuits first, then the modules' own, as the Open dialog offers them.
std::string openFilters(const std::vector<std::string>& extra) {
  std::string filters;
  for (const DocumentKind& kind : documentKinds()) {
    if (!filters.empty()) filters += ";;";
    filters += std::string(kind.filter);
  }
  for (const std::string& filter : extra) filters += ";;" + filter;
  return filters + ";;All Files (*)";
}

}  // namespace

QRect keptInside(const QRect& window, const QRect& area) {
  const QSize size = window.size().boundedTo(area.size());
  const int x = std::clamp(window.x(), area.left(), area.left() + area.width() - size.width());
  const int y = std::clamp(window.y(), area.top(), area.top() + area.height() - size.height());
  return QRect(QPoint(x, y), size);
}

MainWindow::MainWindow(Settings& settings, FileSystem& fs) : settings_(settings), fs_(fs), ui_(this) {
  QApplication::setWindowIcon(applicationIcon());
  setWindowIcon(applicationIcon());
  setWindowTitle(QString::fromLatin1(kApplicationTitle.data(), static_cast<qsizetype>(kApplicationTitle.size())));
  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  setAcceptDrops(true);
  context_.ui = &ui_;
  context_.fs = &fs_;
  context_.settings = &settings_;
  useDesktopDialogs(context_, this);
  context_.openDocuments = &openDocuments_;
  context_.statusText = [this](const std::string& text) { statusBar()->showMessage(qmixed(text)); };
  context_.refreshViews = [this] {
    for (CircuitWindow* w : circuits()) w->update();
  };
  context_.openCircuit = [this](const std::string& path) -> CircuitWindow* {
    if (!openFile(path)) return nullptr;
    CircuitWindow* w = activeCircuit();
    return w != nullptr && DocumentSubFiles::sameFile(w->document().path(), path) ? w : nullptr;
  };
  context_.windowStateChanged = [this] { updateCommands(); };
  buildMenus();
  installWindowModules(*this);
  // A menu opened shows the state of the moment, whatever was missed.
  for (QAction* a : menuBar()->actions()) {
    if (a->menu() != nullptr) connect(a->menu(), &QMenu::aboutToShow, this, [this] { updateCommands(); });
  }
  updateCommands();
  statusBar()->showMessage(tr("Ready"));
  resize(1100, 750);
}

MainWindow::~MainWindow() {
  // The document windows go after this body, and their going reports window
  // changes: the Window menu is not refilled from a frame being taken down.
  windowMenu_ = nullptr;
  closing_ = true;
  context_.windowStateChanged = nullptr;
}

void MainWindow::buildMenus() {
  // An action of the active circuit window; nothing happens without one.
  auto onCircuit = [this](void (CircuitWindow::*command)()) {
    return [this, command] {
      if (CircuitWindow* w = activeCircuit()) (w->*command)();
    };
  };
  // Every item says which windows it acts on (kAlways: none needed).
  auto add = [this](QMenu* menu, const QString& text, const QKeySequence& keys, const QString& tip,
                    auto slot, CommandNeeds needs = {}) {
    QAction* action = menu->addAction(text);
    if (!keys.isEmpty()) action->setShortcut(keys);
    action->setStatusTip(tip);
    connect(action, &QAction::triggered, this, slot);
    if (needs.kinds != kAlways) require(action, needs);
    return action;
  };
  const CommandNeeds onDocument{kDocumentWindows};
  const CommandNeeds onRecord{kDocumentWindows, true};

  QMenu* file = menuBar()->addMenu(tr("&File"));
  QMenu* fileNew = file->addMenu(tr("&New"));
  QAction* newCircuit = add(fileNew, tr("&Circuit"), QKeySequence::New, tr("Create a new circuit"),
                            [this] { newDocument(DocKind::Circuit); });
  add(fileNew, tr("&Hybrid"), QKeySequence(), tr("Create a new hybrid"), [this] { newDocument(DocKind::Hybrid); });
  QAction* open = add(file, tr("&Open..."), QKeySequence::Open, tr("Open an existing document"),
                      [this] { openWithDialog(); });
  add(file, tr("&Close"), QKeySequence(), tr("Close the active document"), [this] { mdi_->closeActiveSubWindow(); },
      {kAnyWindow});
  // Libraries and cross-reference files write every change at once: they have nothing to save.
  const CommandNeeds savable{kDocumentWindows | kProjectWindow | kDefinitionWindow | kProfileWindow};
  QAction* save = add(file, tr("&Save"), QKeySequence::Save, tr("Save the active document"),
                      [this] { saveCurrent(false); }, savable);
  add(file, tr("Save &As..."), QKeySequence(), tr("Save the active document with a new name"),
      [this] { saveCurrent(true); }, savable);
  file->addSeparator();
  // The report settings are the profile's: they are edited with or without a circuit.
  add(file, tr("Report Set&up..."), QKeySequence(), tr("Choose the report kind, sort key, margins and company"),
      [this] {
        ReportSetupDialog dialog(settings_, *context_.ui, this);
        if (context_.runDialog(dialog) == QDialog::Accepted) context_.saveSettings();
      });
  add(file, tr("Pr&int Setup..."), QKeySequence(), tr("Choose the paper size and orientation of reports"), [this] {
    PrintSetupDialog dialog(settings_, this);
    if (context_.runDialog(dialog) == QDialog::Accepted) context_.saveSettings();
  });
  QAction* print = add(file, tr("&Print..."), QKeySequence::Print, tr("Print the active document's report"),
                       [this] { printCurrent(); }, {kDocumentWindows | kProjectWindow | kProfileWindow});
  add(file, tr("Print Pre&view"), QKeySequence(), tr("Show the report's pages"), onCircuit(&CircuitWindow::printPreview),
      onDocument);
  add(file, tr("Print To P&DF File..."), QKeySequence(), tr("Print the report to an Adobe PDF file"),
      [this] { if (CircuitWindow* w = activeCircuit()) w->printToFile(OutputKind::Pdf); }, onDocument);
  add(file, tr("Print To &RTF File..."), QKeySequence(), tr("Print the report to a Rich Text file"),
      [this] { if (CircuitWindow* w = activeCircuit()) w->printToFile(OutputKind::Rtf); }, onDocument);
  add(file, tr("Print To &TXT File..."), QKeySequence(), tr("Print the report to an ASCII text file"),
      [this] { if (CircuitWindow* w = activeCircuit()) w->printToFile(OutputKind::Text); }, onDocument);
  file->addSeparator();
  recent_ = file->addMenu(tr("Recent &Files"));
  fillRecentMenu();
  file->addSeparator();
  add(file, tr("E&xit"), QKeySequence::Quit, tr("Quit the application; asks to save documents"), [this] { close(); });

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  add(edit, tr("&Undo"), QKeySequence::Undo, tr("Undo the last change of the parts list or header"),
      onCircuit(&CircuitWindow::undo), {kDocumentWindows, false, true});
  QAction* redo = add(edit, tr("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), tr("Redo the change last undone"),
                      onCircuit(&CircuitWindow::redo), {kDocumentWindows, false, false, true});
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  edit->addSeparator();
  QAction* cut = add(edit, tr("Cu&t"), QKeySequence::Cut, tr("Cut the selected part to the clipboard"),
                     onCircuit(&CircuitWindow::cutSelected), onRecord);
  QAction* copy = add(edit, tr("&Copy"), QKeySequence::Copy, tr("Copy the selected part to the clipboard"),
                      onCircuit(&CircuitWindow::copySelected), onRecord);
  QAction* paste = add(edit, tr("&Paste"), QKeySequence::Paste, tr("Insert the part on the clipboard"),
                       onCircuit(&CircuitWindow::paste), onDocument);
  edit->addSeparator();
  QAction* addPart = add(edit, tr("&Add Part..."), QKeySequence(Qt::Key_Insert), tr("Add parts to the list"),
                         onCircuit(&CircuitWindow::addParts), onDocument);
  QAction* editPart = add(edit, tr("&Edit Part..."), QKeySequence(Qt::Key_Return), tr("Edit the selected part"),
                          onCircuit(&CircuitWindow::editSelected), onRecord);
  add(edit, tr("&Delete Part"), QKeySequence::Delete, tr("Delete the selected part"),
      onCircuit(&CircuitWindow::deleteSelected), onRecord);
  add(edit, tr("Con&vert Type..."), QKeySequence(), tr("Change the selected part to another part type"),
      onCircuit(&CircuitWindow::convertSelected), onRecord);
  add(edit, tr("Detai&l"), QKeySequence(), tr("Show the selected part's detail lines in the Part Detail window"),
      onCircuit(&CircuitWindow::showDetail), onRecord);
  add(edit, tr("&Find..."), QKeySequence::Find, tr("Find a part by text or part type"), onCircuit(&CircuitWindow::find),
      onDocument);
  QAction* header = add(edit, tr("Circuit &Header..."), QKeySequence(), tr("Edit the document header"),
                        onCircuit(&CircuitWindow::editHeader), onDocument);

  QMenu* activities = menuBar()->addMenu(tr("&Activities"));
  QAction* calc = add(activities, tr("&Calculate..."), QKeySequence(Qt::Key_F9),
                      tr("Calculate the failure rate, MTBF and reliability of the active document"),
                      [this] { if (CircuitWindow* w = activeCircuit()) w->calculate(); }, onDocument);

  QMenu* window = menuBar()->addMenu(tr("&Window"));
  windowMenu_ = window;
  add(window, tr("&Cascade"), QKeySequence(), tr("Arrange the windows overlapped"), [this] { mdi_->cascadeSubWindows(); },
      {kAnyWindow});
  add(window, tr("&Tile"), QKeySequence(), tr("Arrange the windows side by side"), [this] { mdi_->tileSubWindows(); },
      {kAnyWindow});
  windowMenuFixed_ = window->actions();
  connect(window, &QMenu::aboutToShow, this, [this] { fillWindowMenu(); });
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
    fillWindowMenu();
    updateCommands();
    // A child calculated in another window may have overtaken this one's totals.
    if (auto* circuit = sub != nullptr ? dynamic_cast<CircuitWindow*>(sub->widget()) : nullptr) {
      circuit->recheckSubFiles();
    }
  });

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  add(help, tr("User &Guide..."), QKeySequence::HelpContents, tr("How to work with the program"), [this] {
    auto* guide = new UserGuideWindow(this);
    guide->setAttribute(Qt::WA_DeleteOnClose);
    guide->show();
  });
  add(help, tr("Part &Classes..."), QKeySequence(), tr("Each part class's keywords and handbook section"), [this] {
    auto* classes = new PartClassesWindow(this);
    classes->setAttribute(Qt::WA_DeleteOnClose);
    classes->show();
  });
  help->addSeparator();
  add(help, tr("&About Kestrel..."), QKeySequence(), tr("Program and handbook"), [this] {
    QMessageBox::about(this, tr("About Kestrel"),
                       QString::fromStdString(std::string(kApplicationTitle) + "\n" + std::string(kHandbookName)));
  });

  QToolBar* tools = addToolBar(tr("Standard"));
  tools->setObjectName("Standard");
  for (QAction* a : {newCircuit, open, save, cut, copy, paste, addPart, editPart, header, calc, print}) {
    tools->addAction(a);
  }
}

void MainWindow::addWindow(CircuitWindow* window) { addChildWindow(window); }

QMdiSubWindow* MainWindow::addChildWindow(QWidget* window, QSize size) {
  QMdiSubWindow* sub = mdi_->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->resize(size);
  window->show();
  // The area places a new window by its own rule, which may leave part of a
  // large one outside: it is moved, and shrunk if need be, to lie inside.
  const QSize room = mdi_->viewport()->size();
  if (mdi_->isVisible() && room.width() >= 200 && room.height() >= 150) {
    sub->setGeometry(keptInside(sub->geometry(), QRect(QPoint(0, 0), room)));
  }
  connect(window, &QWidget::windowTitleChanged, this, [this] { fillWindowMenu(); });
  // A closed window leaves another in front (or none): the commands follow
  // once it has gone.
  connect(sub, &QObject::destroyed, this, [this] { updateCommands(); }, Qt::QueuedConnection);
  mdi_->setActiveSubWindow(sub);
  fillWindowMenu();
  return sub;
}

void MainWindow::saveCurrent(bool saveAs) {
  if (CircuitWindow* w = activeCircuit()) {
    saveAs ? w->saveAs() : w->save();
    return;
  }
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (sub == nullptr) return;
  for (const SaveCommand& save : savers_) {
    if (save(sub->widget(), saveAs)) return;
  }
}

void MainWindow::printCurrent() {
  if (CircuitWindow* w = activeCircuit()) {
    w->print();
    return;
  }
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (sub == nullptr) return;
  for (const PrintCommand& print : printers_) {
    if (print(sub->widget())) return;
  }
}

void MainWindow::require(QAction* action, CommandNeeds needs) {
  commands_.require(action, needs);
  action->setEnabled(needs.metBy(frontState()));
}

WindowState MainWindow::frontState() const {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  const auto* child = sub != nullptr ? dynamic_cast<const FrameChild*>(sub->widget()) : nullptr;
  return child != nullptr ? child->frameState() : WindowState{};
}

void MainWindow::updateCommands() {
  if (!closing_) commands_.update(frontState());
}

void MainWindow::fillWindowMenu() {
  if (windowMenu_ == nullptr) return;
  for (QAction* a : windowMenu_->actions()) {
    if (!windowMenuFixed_.contains(a)) {
      windowMenu_->removeAction(a);
      a->deleteLater();
    }
  }
  const QList<QMdiSubWindow*> subs = mdi_->subWindowList();
  if (subs.isEmpty()) return;
  windowMenu_->addSeparator();
  QMdiSubWindow* current = mdi_->currentSubWindow();
  for (qsizetype i = 0; i < subs.size(); ++i) {
    QMdiSubWindow* sub = subs[i];
    QString title = sub->widget() != nullptr ? sub->widget()->windowTitle() : sub->windowTitle();
    title.replace('&', "&&");  // a title's "&" is shown, not taken as a mnemonic
    QAction* a = windowMenu_->addAction(i < 9 ? QString("&%1 %2").arg(i + 1).arg(title) : title);
    a->setCheckable(true);
    a->setChecked(sub == current);
    connect(a, &QAction::triggered, this, [this, sub] {
      if (mdi_->subWindowList().contains(sub)) mdi_->setActiveSubWindow(sub);
    });
  }
}

QMenu* MainWindow::menu(const QString& title) {
  // Titles are compared as shown, without their keyboard marks.
  const QString shown = QString(title).remove('&');
  for (QAction* a : menuBar()->actions()) {
    if (a->menu() != nullptr && QString(a->text()).remove('&') == shown) return a->menu();
  }
  auto* created = new QMenu(title, this);
  menuBar()->insertMenu(windowMenu_ != nullptr ? windowMenu_->menuAction() : nullptr, created);
  return created;
}

void MainWindow::registerOpener(const std::string& extension, FileOpener open, std::string filter) {
  openers_[extension] = std::move(open);
  if (!filter.empty()) extraFilters_.push_back(std::move(filter));
}

CircuitWindow* MainWindow::newDocument(DocKind kind) {
  auto doc = std::make_unique<CCircDoc>(kind);
  static int untitled = 0;  // a name for each new document of this run (view naming only)
  doc->setTitle(strprintf("%s%d", kind == DocKind::Hybrid ? "Hybrid" : "Circuit", ++untitled));
  auto* window = new CircuitWindow(std::move(doc), context_);
  addWindow(window);
  return window;
}

bool MainWindow::openFile(const std::string& path) {
  // An open document is brought to the front, not read twice.
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    auto* w = dynamic_cast<CircuitWindow*>(sub->widget());
    if (w != nullptr && !w->document().path().empty() &&
        DocumentSubFiles::sameFile(w->document().path(), path)) {
      mdi_->setActiveSubWindow(sub);
      return true;
    }
  }
  const std::string suffix = isDatabaseAddress(path) ? std::string(kAddressOpener)
                                                     : "." + QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
  if (auto opener = openers_.find(suffix); opener != openers_.end()) return opener->second(path);
  if (!kindForPath(path)) {
    for (const DocumentKind& kind : documentKinds()) {
      if (QFileInfo(QString::fromStdString(path)).suffix().compare(QString::fromLatin1(kind.extension.substr(1).data(),
              static_cast<qsizetype>(kind.extension.size() - 1)), Qt::CaseInsensitive) == 0) {
        ui_.message("'" + path + "':\n" + std::string(kind.name) + " documents open in a later version of this window.");
        return false;
      }
    }
  }
  std::unique_ptr<CCircDoc> doc;
  if (Status s = loadDocument(fs_, path, doc); !s) {
    ui_.message(s.namingFile(path, ":\n").message());
    return false;
  }
  addWindow(new CircuitWindow(std::move(doc), context_));
  rememberRecent(path);
  settings_.setText("Settings", "LastOpenFile", path);
  return true;
}

void MainWindow::openWithDialog() {
  const std::string path = context_.chooseFile(false, "Open", openFilters(extraFilters_));
  if (!path.empty()) openFile(path);
}

CircuitWindow* MainWindow::activeCircuit() const {
  // The current window, not the active one: the area has no active window
  // while the frame itself is not the active window (a key pressed as a
  // dialog closes, a frame driven by tests), and the command is still meant
  // for the document in front.
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  return sub != nullptr ? dynamic_cast<CircuitWindow*>(sub->widget()) : nullptr;
}

std::vector<CircuitWindow*> MainWindow::circuits() const {
  std::vector<CircuitWindow*> out;
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    if (auto* w = dynamic_cast<CircuitWindow*>(sub->widget())) out.push_back(w);
  }
  return out;
}

void MainWindow::rememberRecent(const std::string& path) {
  std::vector<std::string> files{path};
  for (int i = 1; i <= kRecentFiles; ++i) {
    const std::string f = settings_.text(kRecentSection, strprintf("File%d", i));
    if (!f.empty() && f != path && static_cast<int>(files.size()) < kRecentFiles) files.push_back(f);
  }
  for (int i = 1; i <= kRecentFiles; ++i) {
    settings_.setText(kRecentSection, strprintf("File%d", i),
                      i <= static_cast<int>(files.size()) ? files[static_cast<std::size_t>(i - 1)] : "");
  }
  fillRecentMenu();
}

void MainWindow::fillRecentMenu() {
  if (recent_ == nullptr) return;
  recent_->clear();
  for (int i = 1; i <= kRecentFiles; ++i) {
    const std::string f = settings_.text(kRecentSection, strprintf("File%d", i));
    if (f.empty()) continue;
    QAction* a = recent_->addAction(QString::fromStdString(strprintf("&%d %s", i, f.c_str())));
    connect(a, &QAction::triggered, this, [this, f] { openFile(f); });
  }
  recent_->setEnabled(!recent_->isEmpty());
}

void MainWindow::restorePlacement() {
  // "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show state, minimized and
  // maximized positions, then the normal rectangle.
  const std::string text = settings_.text("Settings", "WindowPos");
  unsigned flags = 0, show = 0;
  int v[8] = {};
  if (std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &flags, &show, &v[0], &v[1], &v[2], &v[3],
                  &v[4], &v[5], &v[6], &v[7]) != 10) {
    return;
  }
  const int width = v[6] - v[4], height = v[7] - v[5];
  if (width < 200 || height < 150 || width > 20000 || height > 20000) return;
  // A position stored on a screen that is no longer there (or larger than
  // this one) is brought onto the screen the frame opens on.
  QRect wanted(v[4], v[5], width, height);
  const QScreen* screen = QGuiApplication::screenAt(wanted.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) wanted = keptInside(wanted, screen->availableGeometry());
  setGeometry(wanted);
  if (show == 3) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::savePlacement() {
  const QRect r = normalGeometry();
  settings_.setText("Settings", "WindowPos",
                    strprintf("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", 0u, isMaximized() ? 3u : 1u, -1, -1, -1, -1, r.left(),
                              r.top(), r.right() + 1, r.bottom() + 1));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Every document window with unsaved changes is asked about; a Cancel
  // keeps the frame open.
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    auto* child = dynamic_cast<FrameChild*>(sub->widget());
    if (child != nullptr && !child->mayClose()) {
      event->ignore();
      return;
    }
  }
  savePlacement();
  rememberWorkingFolder(settings_);
  context_.saveSettings();
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) openFile(url.toLocalFile().toStdString());
  }
  event->acceptProposedAction();
}

}  // namespace kestrel::gui
