// The subcommands of `kestrel`. Each adds itself to the application and, when
// chosen, fills its options struct and calls the library; `exitCode` receives
// the result.
#pragma once

#include <memory>
#include <string>

#include "cli/session.hpp"

namespace CLI {
class App;
}

namespace kestrel::cli {

struct GlobalOptions {
  bool assumeYes = false;
  bool quiet = false;
  bool verbose = false;
  std::string settingsPath;  // "" = the user's settings file
  std::string logPath;       // "" = the default log file
  bool noLog = false;

  // The settings and the operation log, opened on first use; main writes
  // the settings back at exit.
  Session& session() const;
  mutable std::unique_ptr<Session> openSession;
};

void addKeywordsCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addTypesCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addHelpCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addDemoCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addDocumentCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addRecordCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addShowCalcCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addReportCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addWhatIfMergeCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addGraphCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addProfileCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addStoreCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addLibraryCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addProjectCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addExportCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addImportCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addCompletionCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);

}  // namespace kestrel::cli
