#include "gui/library/logged_run.hpp"

#include "gui/dialog_ui.hpp"

namespace kestrel::gui {

LoggedRun::LoggedRun(Ui& ui, const std::string& name, const std::string& logFile)
    : ui_(ui), log_([&ui](std::string_view line) { ui.log(line); }) {
  if (auto* desktop = dynamic_cast<DialogUi*>(&ui_)) desktop->beginProgress(name);
  log_.begin(name, logFile);
}

LoggedRun::~LoggedRun() {
  log_.end();
  if (auto* desktop = dynamic_cast<DialogUi*>(&ui_)) desktop->endProgress();
}

}  // namespace kestrel::gui
