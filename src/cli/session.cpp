#include "cli/session.hpp"

#include <iostream>

#include "core/file_system.hpp"

namespace kestrel::cli {
namespace {

Settings loadSettings(const std::string& path) {
  std::vector<std::string> warnings;
  Settings settings = Settings::load(posixFileSystem(), path, warnings);
  for (const std::string& w : warnings) std::cerr << "kestrel: warning: " << w << '\n';
  return settings;
}

}  // namespace

Session::Session(const std::string& settingsPath, std::string logFile)
    : settings(loadSettings(settingsPath.empty() ? defaultSettingsPath() : settingsPath)),
      log([](std::string_view line) {
        // Only the log's own troubles: messages it records are shown already.
        const bool logTrouble = line.rfind("Can not open log file", 0) == 0 ||
                                line.rfind("Can not close log file", 0) == 0;
        if (logTrouble) std::cerr << "kestrel: " << line << '\n';
      }),
      logPath(std::move(logFile)) {}

void Session::beginLog(std::string_view jobName) { log.begin(jobName, logPath); }

}  // namespace kestrel::cli

#include "cli/commands.hpp"

namespace kestrel::cli {

Session& GlobalOptions::session() const {
  if (!openSession) {
    const std::string log = noLog ? std::string() : (logPath.empty() ? defaultLogPath() : logPath);
    openSession = std::make_unique<Session>(settingsPath, log);
  }
  return *openSession;
}

}  // namespace kestrel::cli
