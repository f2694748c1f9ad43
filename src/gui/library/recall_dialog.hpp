// Add by library recall: the dialog that asks for the number, the recall
// library and the cross-reference settings, and the recall it starts.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "gui/gui_context.hpp"
#include "store/library/recall.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kestrel {
class CCircDoc;
class CPart;
}  // namespace kestrel

namespace kestrel::gui {

struct RecallJob {
  std::string number;  // at most 25 characters
  library::RecallSettings settings;
};

// PN, Library FileSpec, Search Cross-Reference, XRef FileSpec and XRef Move,
// read from the "Circuit Add" profile section and written back on OK.
class RecallDialog final : public QDialog {
 public:
  RecallDialog(bool hybrid, GuiContext& context, QWidget* parent = nullptr);
  void setJob(const RecallJob& job);
  void accept() override;
  const RecallJob& job() const { return job_; }

 private:
  void showXRefState();

  GuiContext& context_;
  bool hybrid_;
  QLineEdit* number_;
  QLineEdit* libFile_;
  QCheckBox* searchXRef_;
  QLineEdit* xrefFile_;
  QComboBox* xrefMove_;
  RecallJob job_;
};

// The recall of Add: asks with RecallDialog, recalls from the library (then
// through the cross-reference file, then by the Library Recall Browse
// dialog) and gives the part for the new record; null when nothing was
// recalled (the reason has been shown).
std::unique_ptr<CPart> recallForAdd(const CCircDoc& doc, GuiContext& context, QWidget* parent);

}  // namespace kestrel::gui
