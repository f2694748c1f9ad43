// The multiple-document frame: menus, toolbar, accelerators and status
// texts, the document kinds with their file filters, recent files, files
// opened from the command line or dropped on the window, and the window
// placement kept in the settings.
#pragma once

#include <QMainWindow>
#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "gui/command_states.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/gui_context.hpp"
#include "gui/window_documents.hpp"

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace kestrel::gui {

class CircuitWindow;

// `window` moved (and shrunk when larger) so that it lies inside `area`.
QRect keptInside(const QRect& window, const QRect& area);

class MainWindow final : public QMainWindow {
 public:
  // `settings` is read at start and written back at exit.
  explicit MainWindow(Settings& settings, FileSystem& fs);
  ~MainWindow() override;

  GuiContext& context() { return context_; }
  // Opens a circuit or hybrid file in a new window; false (message shown) on failure.
  bool openFile(const std::string& path);
  CircuitWindow* newDocument(DocKind kind);
  CircuitWindow* activeCircuit() const;
  std::vector<CircuitWindow*> circuits() const;
  // Restores the placement stored under "Settings" "WindowPos", kept on
  // the screen; savePlacement writes it back (also done at exit).
  void restorePlacement();
  void savePlacement();

  // ---- for the window modules (libraries, exchange, project, graphs) ----
  // Adds any widget as a document window of the frame and activates it.
  QMdiSubWindow* addChildWindow(QWidget* window, QSize size = QSize(900, 480));
  QMdiArea* mdiArea() const { return mdi_; }
  // The top-level menu with this text; a new one is placed before "&Window".
  QMenu* menu(const QString& title);
  // Files whose extension (".lib", lower case) has an opener are opened
  // through it by Open, the recent files, drag-and-drop and the command line;
  // a kind beyond the six document kinds adds its `filter` to the Open dialog.
  // Database addresses ("postgresql://...") go to the opener registered
  // under kAddressOpener.
  using FileOpener = std::function<bool(const std::string& path)>;
  static constexpr const char* kAddressOpener = "address";
  void registerOpener(const std::string& extension, FileOpener open, std::string filter = {});
  // Called by openers after a successful open.
  void rememberRecent(const std::string& path);
  // File > Save (Ctrl+S) and Save As for the module's own windows: true when
  // `window` is one of them (and was saved or asked for a name).
  using SaveCommand = std::function<bool(QWidget* window, bool saveAs)>;
  void registerSave(SaveCommand save) { savers_.push_back(std::move(save)); }
  // File > Print for the module's own windows: true when `window` is one of them.
  using PrintCommand = std::function<bool(QWidget* window)>;
  void registerPrint(PrintCommand print) { printers_.push_back(std::move(print)); }
  // A menu item or tool button enabled only where `needs` are met by the
  // window in front (see command_states.hpp).
  void require(QAction* action, CommandNeeds needs);
  // The kind and state of the window in front (kNoWindow without one).
  WindowState frontState() const;
  // Enables and disables every command of the table for the window in front.
  void updateCommands();

 protected:
  void closeEvent(class QCloseEvent* event) override;
  void dragEnterEvent(class QDragEnterEvent* event) override;
  void dropEvent(class QDropEvent* event) override;

 private:
  void buildMenus();
  void addWindow(CircuitWindow* window);
  void openWithDialog();
  void fillRecentMenu();
  void saveCurrent(bool saveAs);
  void printCurrent();
  // The Window menu: its arranging items, then one checked item per open
  // document window.
  void fillWindowMenu();

  Settings& settings_;
  FileSystem& fs_;
  DialogUi ui_;
  GuiContext context_;
  WindowDocuments openDocuments_{[this] { return circuits(); }};
  QMdiArea* mdi_;
  QMenu* recent_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QList<QAction*> windowMenuFixed_;  // Cascade, Tile
  std::map<std::string, FileOpener> openers_;
  std::vector<std::string> extraFilters_;  // "Mission Profile Files (*.mpf)"
  std::vector<SaveCommand> savers_;
  std::vector<PrintCommand> printers_;
  CommandStates commands_;
  bool closing_ = false;  // the frame is being taken down: no more updates
};

}  // namespace kestrel::gui
