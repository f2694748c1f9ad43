// The What-If? command of a circuit or hybrid window: the property sheet,
// the confirmation text, the run over the hierarchy and the refreshed views.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

namespace kestrel::gui {

class CircuitWindow;
struct GuiContext;

// The read-only summary of the changes with OK and Cancel, and a Preview
// button when `preview` is given.
class WhatIfConfirmDialog final : public QDialog {
 public:
  WhatIfConfirmDialog(const std::vector<std::string>& lines, QWidget* parent,
                      std::function<void()> preview = {});
  // The text as composed, lines joined by "\r\n".
  const std::string& text() const { return text_; }
  // What the Preview button does.
  void preview() {
    if (preview_) preview_();
  }

 private:
  std::string text_;
  std::function<void()> preview_;
};

// Each document's total failure rate before and after a run or a preview.
class WhatIfTotalsDialog final : public QDialog {
 public:
  WhatIfTotalsDialog(const std::string& title, const std::vector<std::string>& lines, QWidget* parent);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The lines of the confirmation joined the way the dialog shows them.
std::string joinConfirmation(const std::vector<std::string>& lines);

// Runs the command on the window's document. The window's document and the
// sub-files open in other windows are changed in memory and marked
// modified; the sub-files not open are saved, all or none. True when the
// changes were made.
bool whatIfOnWindow(CircuitWindow& window, GuiContext& context);

}  // namespace kestrel::gui
