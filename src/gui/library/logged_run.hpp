// A batch run of the library window (Transfer, Update) as the user sees it:
// the progress window opened, every log line written through the operation
// log (the window's log and the log file), the rest passed to the window's Ui.
#pragma once

#include <string>

#include "core/ui.hpp"
#include "shell/operation_log.hpp"

namespace kestrel::gui {

struct GuiContext;

// The operation log file of the desktop's batch runs: "kestrel.log" beside
// the settings file ("" when the settings have no file).
std::string operationLogFile(const GuiContext& context);

class LoggedRun final : public ForwardingUi {
 public:
  // Opens the progress window (when `ui` is the desktop's) and begins the
  // log named `name`, with a log file at `logFile` ("" for none).
  LoggedRun(Ui& ui, const std::string& name, const std::string& logFile);
  // Ends the log and leaves the progress window up with its "OK" button.
  ~LoggedRun() override;
  LoggedRun(const LoggedRun&) = delete;
  LoggedRun& operator=(const LoggedRun&) = delete;

  void log(std::string_view line) override { log_.line(line); }

 private:
  OperationLog log_;
};

}  // namespace kestrel::gui
