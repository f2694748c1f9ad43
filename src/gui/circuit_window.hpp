// The window of one circuit or hybrid document: the header lines, the
// record list (a table over the document in memory: rows are formatted when
// they are shown, nothing is read from the file; sorting is the view's only,
// the document keeps its order), the selection line and detail box, the
// result line, the way to a sub-file and back to the parent, and the record,
// header, calculate, undo and report commands.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/calculate_command.hpp"
#include "core/circ_doc.hpp"
#include "core/stale_results.hpp"
#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"
#include "gui/record_list_model.hpp"
#include "gui/save_guard.hpp"
#include "gui/undo_history.hpp"
#include "reports/report_output.hpp"
#include "reports/report_settings.hpp"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

namespace kestrel::gui {

class CircuitWindow final : public QWidget, public FrameChild {
 public:
  CircuitWindow(std::unique_ptr<CCircDoc> doc, GuiContext& context, QWidget* parent = nullptr);
  ~CircuitWindow() override;

  CCircDoc& document() { return *doc_; }
  QTreeView* list() { return list_; }
  // The records in document order; the list shows them through a sort proxy.
  RecordListModel* model() { return model_; }
  // Rows are document rows whatever order the list shows.
  std::optional<std::size_t> selection() const;
  void select(std::size_t row);
  // Orders the list by a column (-1: the document's order).
  void sortBy(int column, Qt::SortOrder order = Qt::AscendingOrder);
  // What the window shows: the selection line, the detail box, the result line.
  std::string selectionText() const;
  std::string detailText() const;
  std::string resultText() const;
  // Checks the sub-file results against their files again (another window
  // may have calculated a child) and updates the marks when they changed.
  void recheckSubFiles();

  // ---- commands ----
  void addParts();  // repeats until the Add dialog is cancelled
  void editSelected();
  // Convert Type: a record of another type takes the selected one's base
  // fields, is edited and replaces it as an edit does.
  void convertSelected();
  // Detail: the selected record's detail lines in the Part Detail window
  // ("DETAIL: no part selection." without one).
  void showDetail();
  void deleteSelected();
  void copySelected();
  void cutSelected();
  void paste();
  void editHeader();
  // The Find dialog, then the search; the record found is selected.
  void find();
  void undo();
  void redo();
  bool canUndo() const { return history_.canUndo(); }
  bool canRedo() const { return history_.canRedo(); }
  // Enter or double-click: a sub-circuit or sub-hybrid opens its file, any
  // other record is edited.
  void activateSelected();
  // The file of the selected sub-circuit or sub-hybrid record in its window
  // (brought to the front when open), which then knows this one as its parent.
  CircuitWindow* openSubFile();
  // The document this one was opened from, in its window.
  void setParentDocument(const std::string& path, std::optional<std::size_t> row);
  const std::string& parentDocument() const { return parentPath_; }
  CircuitWindow* backToParent();
  // The Calculate dialog, then the calculation. True on success.
  bool calculate();
  bool runCalculation(const CalculateJob& job);
  bool save();
  bool saveAs();
  void printPreview();
  void print();
  void printToFile(OutputKind kind);
  // Asks about unsaved changes; false when the user cancels the close.
  bool mayClose() override;
  WindowState frameState() const override;
  // Shows the document again after a command outside the window changed it
  // (records added or removed, results cleared); the selection is kept.
  // Such a change can not be undone; the steps before it are forgotten.
  void documentChanged();

 protected:
  void closeEvent(class QCloseEvent* event) override;

 private:
  void refresh(std::optional<std::size_t> keep);
  void showSelection();
  void updateTitle();
  bool editInSheet(CPart& part, const std::string& title, bool filled);
  // Printing needs current results: an uncalculated document is calculated
  // first when the user agrees. False when nothing is to be printed.
  bool readyToPrint();
  // The saved Report Setup, as every print road uses it for this document.
  ReportSettings printSettings() const;
  void showResult();
  // The last totals, greyed and marked "(not current)", with the reason as tooltip.
  void showNotCurrent(const QString& why);
  // A command that may add or replace a record: when it did, the state
  // before it becomes an undo step and the list shows the record's new row.
  void applyStep(const std::function<std::optional<std::size_t>()>& command);
  void showListMenu(const QPoint& at);
  // Keeps the state before a command that changed the document.
  void changed(UndoHistory::State before) { history_.done(std::move(before)); }
  UndoHistory::State before() const { return UndoHistory::capture(*doc_, selection()); }
  Ui& ui() { return *context_.ui; }

  std::unique_ptr<CCircDoc> doc_;
  GuiContext& context_;
  RecordListModel* model_;
  QLabel* heading_;
  QLabel* selectionLine_;
  QWidget* parentBar_;
  QLabel* parentLine_;
  QSortFilterProxyModel* sorted_;
  QTreeView* list_;
  QPlainTextEdit* detail_;
  QPushButton* openSubFile_;
  QLabel* result_;
  std::unique_ptr<CPart> lastAdded_;
  UndoHistory history_;
  // The last totals shown; kept, marked as not current, once an edit clears them.
  std::string lastResult_;
  std::vector<StaleRecord> notCurrent_;  // sub-file records a changed file has overtaken
  std::string parentPath_;
  std::optional<std::size_t> parentRow_;
  SaveGuard saveGuard_;  // knows the file as read or last saved
};

// The clipboard format of a document kind's records.
std::string partClipboardFormat(bool hybrid);
// A record as the clipboard carries it (one object entry), and back. The
// reader refuses a class that does not match its type id, a record of the
// other document kind, and any bytes left over.
std::vector<std::uint8_t> encodeClipboardPart(const CPart& part);
Status decodeClipboardPart(std::span<const std::uint8_t> bytes, bool hybridDocument,
                           std::unique_ptr<CPart>& part);

}  // namespace kestrel::gui
