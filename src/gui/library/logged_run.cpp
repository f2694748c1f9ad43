#include "gui/library/logged_run.hpp"

#include <filesystem>

#include "gui/dialog_ui.hpp"
#include "gui/gui_context.hpp"

namespace kestrel::gui {

std::string operationLogFile(const GuiContext& context) {
  if (context.settings == nullptr || context.settings->path().empty()) return {};
  return std::filesystem::path(context.settings->path()).replace_filename("kestrel.log").string();
}

LoggedRun::LoggedRun(Ui& ui, const std::string& name, const std::string& logFile)
    : ForwardingUi(ui), log_([&ui](std::string_view line) { ui.log(line); }) {
  if (auto* desktop = dynamic_cast<DialogUi*>(&inner())) desktop->beginProgress(name);
  log_.begin(name, logFile);
}

LoggedRun::~LoggedRun() {
  log_.end();
  if (auto* desktop = dynamic_cast<DialogUi*>(&inner())) desktop->endProgress();
}

}  // namespace kestrel::gui
