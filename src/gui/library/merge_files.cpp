#include "gui/library/merge_files.hpp"

#include "gui/gui_context.hpp"
#include "gui/library/logged_run.hpp"

namespace kestrel::gui {

std::optional<library::MergeOutcome> mergeIntoFile(
    GuiContext& context, const std::string& intoPath, const std::string& filter,
    const std::function<library::MergeOutcome(const std::string& input, Ui& ui)>& merge,
    const std::function<void()>& refreshView) {
  if (!context.chooseFile || context.ui == nullptr) return std::nullopt;
  const std::string input = context.chooseFile(false, "Merge", filter);
  if (input.empty() || !context.ui->confirm(library::libraryMergeQuestion(input, intoPath))) return std::nullopt;
  library::MergeOutcome out;
  {
    LoggedRun run(*context.ui, "MERGE", operationLogFile(context));
    out = merge(input, run);
    run.progressLine(5, "Updating view...");
    if (refreshView) refreshView();
  }
  return out;
}

}  // namespace kestrel::gui
