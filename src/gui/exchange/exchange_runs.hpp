// Import and Export as the desktop runs them: the sheet, the job it fills,
// the confirmation (Yes/No), then the run in the progress window with its
// operation log ("IMPORT", "EXPORT"); Cancel in the progress window asks the
// run's own question between records.
#pragma once

#include <string>
#include <vector>

#include "exchange/export/export_run.hpp"
#include "exchange/import_run.hpp"
#include "gui/exchange/exchange_settings.hpp"
#include "gui/gui_context.hpp"

class QWidget;

namespace kestrel::gui {

// A definition open in a window: the import reads it in place of its file.
struct OpenDefinition {
  std::string path;
  const CImportDoc* doc = nullptr;
};

// Fills `job` from the sheet's options; the definition is read from its file
// (or taken from `open` when that names the same file). False, with the
// definition's message shown, when it can not be read.
bool importJobFor(const ImportSheetOptions& options, GuiContext& context, const OpenDefinition& open, ImportJob& job);
// The export job of the sheet's options over the files its filespec names;
// outputs go to the output directory (or the first input's folder).
ExportJob exportJobFor(const ExportSheetOptions& options, const std::vector<std::string>& files);

// Shows the Import sheet (the definition preset to `open.path` when given)
// and runs what it says. True when the import ran and every file was done.
bool importThroughSheet(GuiContext& context, ::QWidget* parent, const OpenDefinition& open = {});
bool exportThroughSheet(GuiContext& context, ::QWidget* parent);

}  // namespace kestrel::gui
