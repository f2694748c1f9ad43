// The window of one project document: the tree over the hierarchy below the
// project's top-level circuit, every node with its lines and totals, the
// print check marks, and the project commands (Add, Delete and Move of child
// references, Open and Edit of a node's document in its circuit window,
// Header, Refresh, Calculate, What-If? and Graph on the top-level circuit,
// Print Project, Save). The tree is read from
// the files; every edit is made on the files by the project library, and
// the tree is built again afterwards.
#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"
#include "gui/save_guard.hpp"
#include "project/project_file.hpp"
#include "project/project_tree.hpp"

class QLabel;
class QTreeView;

namespace kestrel::gui {

class CircuitWindow;
class ProjectTreeModel;

class ProjectWindow final : public QWidget, public FrameChild {
 public:
  // Opens a circuit or hybrid file in its window (or brings it to the
  // front); null when it could not be opened (message shown).
  using OpenCircuit = std::function<CircuitWindow*(const std::string& path)>;
  // What-If? and Graph as the frame runs them on a circuit window; true
  // when the command ran to its end.
  using CircuitCommand = std::function<bool(CircuitWindow&)>;
  struct TopLevelCommands {
    CircuitCommand whatIf;
    CircuitCommand graph;
  };

  ProjectWindow(std::unique_ptr<CProjDoc> project, GuiContext& context, OpenCircuit openCircuit,
                TopLevelCommands commands = {}, QWidget* parent = nullptr);
  ~ProjectWindow() override;

  const CProjDoc& project() const { return *project_; }
  const ProjectTree& tree() const { return tree_; }
  ProjectTreeModel* model() { return model_; }
  QTreeView* view() { return view_; }
  bool isModified() const { return modified_; }
  // The line below the tree: hints, failures and the print count.
  std::string statusLine() const;

  std::optional<std::size_t> selection() const;
  void select(std::size_t node);

  // ---- commands ----
  // Builds the tree again from the files; false (tree kept) on failure.
  bool refresh();
  void addChild();
  void deleteChild();
  void moveChild();
  // The node's document in its circuit window; a record node selects its record.
  CircuitWindow* openNode();
  // A record in its sheet, a document's header in its sheet (in the circuit window).
  void editNode();
  // Detail: the selected record's detail lines, or the selected document's
  // header and result lines, in the Part Detail window.
  void showDetail();
  // Header: another top-level circuit.
  void chooseHeader();
  // Calculate (F9 in the circuit window) on the top-level circuit, which is then saved.
  bool calculate();
  // What-If? over the top-level circuit's hierarchy; the tree then shows
  // the changed files.
  bool whatIf();
  // Graph of the top-level circuit.
  bool graph();
  // Every checked document's report into one .pdf, .rtf or .txt file.
  bool printProject();
  bool save();
  bool saveAs();
  // Asks about unsaved changes; false when the user cancels.
  bool mayClose() override;
  WindowState frameState() const override { return {kProjectWindow, selection().has_value()}; }

 protected:
  void closeEvent(class QCloseEvent* event) override;

 private:
  // The top-level circuit in its window, when it opens and holds records;
  // otherwise null with the command's message ("CALCULATE:", ...).
  CircuitWindow* openTopLevel(const char* command);
  void setStatus(const std::string& text);
  void showChecked();
  void updateTitle();
  // Shows a failure the library did not show itself.
  void report(const Status& status, bool alreadyShown);
  Ui& ui() { return *context_.ui; }

  std::unique_ptr<CProjDoc> project_;
  GuiContext& context_;
  OpenCircuit openCircuit_;
  TopLevelCommands commands_;
  ProjectTree tree_;
  ProjectTreeModel* model_;
  QLabel* heading_;
  QTreeView* view_;
  QLabel* status_;
  bool modified_ = false;
  SaveGuard saveGuard_;  // knows the file as read or last saved
};

}  // namespace kestrel::gui
