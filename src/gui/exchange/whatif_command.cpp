#include "gui/exchange/whatif_command.hpp"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "core/strfmt.hpp"
#include "core/validation.hpp"
#include "core/whatif_command.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/exchange/whatif_sheet.hpp"
#include "gui/gui_context.hpp"
#include "gui/property_sheet.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

// A value typed under one mode may not fit the range of a mode chosen
// afterwards (a set ambient of -40 becomes a decrease of -40): the value is
// checked again against the mode finally chosen.
std::optional<std::string> rangeError(const WhatIfForm& form) {
  if (form.tempMode != NoChange) {
    const double lo = form.tempMode == SetDirect ? -55.0 : 0.0;
    if (const auto v = checkRealNumber(strprintf("%.6g", static_cast<double>(form.tempValue)), lo, 175.0); v.error) return v.error;
  }
  if (form.qualityMode != NoChange) {
    if (const auto v = checkWholeNumber(strprintf("%.0f", static_cast<double>(form.qualityLevel)), 1, 10); v.error) {
      return v.error;
    }
  }
  if (form.stressMode != NoChange && form.stressMode != SetToCalcMode) {
    if (const auto v = checkRealNumber(strprintf("%.6g", static_cast<double>(form.stressValue)), 0.0, 100.0); v.error) return v.error;
  }
  return std::nullopt;
}

void showTotals(GuiContext& context, const std::string& title, const std::string& first,
                const WhatIfOutcome& outcome, QWidget& parent) {
  std::vector<std::string> lines{first, "Total failure rate of each document, before -> after:"};
  for (std::string& line : whatIfTotalsLines(outcome)) lines.push_back(std::move(line));
  WhatIfTotalsDialog dialog(title, lines, &parent);
  context.runDialog(dialog);
}

}  // namespace

std::string joinConfirmation(const std::vector<std::string>& lines) {
  return joinLines(lines, "\r\n");
}

WhatIfConfirmDialog::WhatIfConfirmDialog(const std::vector<std::string>& lines, QWidget* parent,
                                         std::function<void()> preview)
    : QDialog(parent), text_(joinConfirmation(lines)), preview_(std::move(preview)) {
  setWindowTitle(tr("What-If?"));
  auto* layout = new QVBoxLayout(this);
  auto* shown = new QPlainTextEdit(this);
  shown->setReadOnly(true);
  shown->setPlainText(qmixed(text_));
  shown->setMinimumSize(540, 300);  // the changes and the list of files
  layout->addWidget(shown);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  if (preview_) {
    QPushButton* previewButton = buttons->addButton(tr("&Preview"), QDialogButtonBox::ActionRole);
    previewButton->setToolTip(tr("Run the changes on copies and show the results; no file changes"));
    connect(previewButton, &QPushButton::clicked, this, [this] { this->preview(); });
  }
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

WhatIfTotalsDialog::WhatIfTotalsDialog(const std::string& title, const std::vector<std::string>& lines,
                                       QWidget* parent)
    : QDialog(parent), text_(joinLines(lines, "\n")) {
  setWindowTitle(qmixed(title));
  auto* layout = new QVBoxLayout(this);
  auto* shown = new QPlainTextEdit(this);
  shown->setReadOnly(true);
  shown->setLineWrapMode(QPlainTextEdit::NoWrap);
  shown->setPlainText(qmixed(text_));
  shown->setMinimumSize(560, 180);
  layout->addWidget(shown);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

bool whatIfOnWindow(CircuitWindow& window, GuiContext& context) {
  Ui& ui = *context.ui;
  WhatIfForm form;
  for (;;) {
    PropertySheet sheet("What-If?", ui, &window);
    addWhatIfPages(sheet, form);
    if (context.runDialog(sheet) != QDialog::Accepted) return false;
    const auto error = rangeError(form);
    if (!error) break;
    ui.message(*error);
  }
  WhatIfSettings settings = whatIfSettingsOf(form);
  CCircDoc& doc = window.document();
  std::vector<std::string> lines = whatIfConfirmation(settings);
  OpenDocuments& open = *context.openDocuments;
  std::vector<std::string> files = doc.path().empty() ? std::vector<std::string>{doc.title() + " (saved first)"}
                                                      : whatIfFiles(doc, *context.fs, open);
  for (std::string& f : files) {
    if (open.find(f) != nullptr) f += "  (open: changed in its window, not saved)";
  }
  for (std::string& line : whatIfFileLines(settings, files)) lines.push_back(std::move(line));
  auto* dialogUi = dynamic_cast<DialogUi*>(&ui);
  WhatIfConfirmDialog confirm(lines, &window, [&] {
    if (!hasWhatIfChanges(settings)) {
      ui.message("No What-If? changes specified.");
      return;
    }
    if (dialogUi != nullptr) dialogUi->beginProgress("What-If? Preview");
    const WhatIfOutcome preview = previewWhatIf(doc, *context.fs, ui, settings, open);
    if (dialogUi != nullptr) dialogUi->endProgress();
    if (!preview.ok) return;
    showTotals(context, "What-If? Preview", "Preview on copies: no file was changed.", preview, confirm);
  });
  if (context.runDialog(confirm) != QDialog::Accepted) return false;
  if (!hasWhatIfChanges(settings)) {
    ui.message("No What-If? changes specified.");
    return false;
  }
  if (doc.path().empty() && (!window.saveAs() || doc.path().empty())) return false;

  if (dialogUi != nullptr) dialogUi->beginProgress("What-If?");
  const WhatIfOutcome outcome = runWhatIf(doc, *context.fs, ui, settings, false, open);
  if (outcome.ok) {
    ui.clearProgress();
    for (std::size_t i = 0; i < outcome.lines.size() && i < 2; ++i) {
      ui.progressLine(static_cast<int>(i) + 1, outcome.lines[i]);
    }
  }
  if (dialogUi != nullptr) dialogUi->endProgress();
  if (outcome.ok && outcome.lines.size() > 1 && context.statusText) context.statusText(outcome.lines[1]);
  // The records in memory carry the changes even when the run failed; the
  // documents open in windows are marked modified, for their user to save.
  ui.progressLine(5, "Updating view...");
  window.documentChanged();
  if (context.refreshViews) context.refreshViews();
  ui.progressLine(5, {});
  if (outcome.ok) {
    showTotals(context, "What-If? Results",
               "Changes made; files not open in a window saved, open documents changed there (not saved).", outcome,
               window);
  }
  return outcome.ok;
}

}  // namespace kestrel::gui
