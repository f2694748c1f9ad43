#include "gui/exchange/merge_command.hpp"

#include "core/document_sub_files.hpp"
#include "core/merge.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/gui_context.hpp"

namespace kestrel::gui {

bool mergeIntoWindow(CircuitWindow& window, GuiContext& context) {
  CCircDoc& target = window.document();
  Ui& ui = *context.ui;
  const std::string source =
      context.chooseFile(false, "Merge", target.isHybrid() ? "Hybrid Files (*.hyb)" : "Circuit Files (*.cir)");
  if (source.empty()) return false;
  if (target.path().empty()) {
    // An empty new document has nothing to save yet; it is saved all the same
    // so that the merged records have a file to go to.
    if (target.count() == 0) target.setModified(true);
    if (!window.saveAs() || target.path().empty()) return false;
  }
  if (!ui.confirm(mergeQuestion(source, target))) return false;

  auto* dialogUi = dynamic_cast<DialogUi*>(&ui);
  if (dialogUi != nullptr) dialogUi->beginProgress("Merge");
  // A source open in a window is read from memory and stays open, unchanged.
  DocumentSubFiles files(*context.fs, *context.openDocuments);
  CalcContext calc(ui, &files);
  const MergeOutcome outcome = mergeInto(target, source, calc);
  if (outcome.merged > 0) {
    ui.progressLine(1, "Updating view...");
    window.documentChanged();
  }
  if (dialogUi != nullptr) dialogUi->endProgress();
  return outcome.ok;
}

}  // namespace kestrel::gui
