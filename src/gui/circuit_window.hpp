// The window of one circuit or hybrid document: the header lines, the
// record list (a model over the document in memory: rows are formatted when
// they are shown, nothing is read from the file), the selection line and
// detail box, and the record, header, calculate and report commands.
#pragma once

#include <QAbstractListModel>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "core/calculate_command.hpp"
#include "core/circ_doc.hpp"
#include "gui/gui_context.hpp"
#include "reports/report_output.hpp"
#include "reports/report_settings.hpp"

class QLabel;
class QListView;
class QPlainTextEdit;

namespace kestrel::gui {

// One row per record: its short list line, formatted on demand.
class RecordListModel final : public QAbstractListModel {
 public:
  explicit RecordListModel(CCircDoc& doc, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // After any change of the list or of the results.
  void reload();

 private:
  CCircDoc& doc_;
  double shareBase_ = -1.0;  // taken once per reload, not per row
};

class CircuitWindow final : public QWidget {
 public:
  CircuitWindow(std::unique_ptr<CCircDoc> doc, GuiContext& context, QWidget* parent = nullptr);
  ~CircuitWindow() override;

  CCircDoc& document() { return *doc_; }
  QListView* list() { return list_; }
  RecordListModel* model() { return model_; }
  std::optional<std::size_t> selection() const;
  void select(std::size_t row);
  // What the window shows: the selection line, the detail box, the result line.
  std::string selectionText() const;
  std::string detailText() const;
  std::string resultText() const;

  // ---- commands ----
  void addParts();  // repeats until the Add dialog is cancelled
  void editSelected();
  // Convert Type: a record of another type takes the selected one's base
  // fields, is edited and replaces it as an edit does.
  void convertSelected();
  void deleteSelected();
  void copySelected();
  void cutSelected();
  void paste();
  void editHeader();
  // The Find dialog, then the search; the record found is selected.
  void find();
  // The Calculate dialog, then the calculation. True on success.
  bool calculate();
  bool runCalculation(const CalculateJob& job);
  bool save();
  bool saveAs();
  void printPreview();
  void print();
  void printToFile(OutputKind kind);
  void reportSetup();
  // Asks about unsaved changes; false when the user cancels the close.
  bool mayClose();
  // Shows the document again after a command outside the window changed it
  // (records added or removed, results cleared); the selection is kept.
  void documentChanged() { refresh(selection()); }

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
  Ui& ui() { return *context_.ui; }

  std::unique_ptr<CCircDoc> doc_;
  GuiContext& context_;
  RecordListModel* model_;
  QLabel* heading_;
  QLabel* selectionLine_;
  QListView* list_;
  QPlainTextEdit* detail_;
  QLabel* result_;
  std::unique_ptr<CPart> lastAdded_;
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
