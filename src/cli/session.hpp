// What a run of the command line keeps beside its job: the user's settings
// (read at start, written at exit) and the operation log of batch jobs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/operation_log.hpp"
#include "shell/settings.hpp"

namespace kestrel::cli {

struct Session {
  Session(const std::string& settingsPath, std::string logPath);
  // Starts the operation log of a batch job (none when the log is off).
  void beginLog(std::string_view jobName);

  Settings settings;
  OperationLog log;
  std::string logPath;  // "" = no log file
};

}  // namespace kestrel::cli
