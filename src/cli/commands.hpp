// The subcommands of `kestrel`. Each adds itself to the application and, when
// chosen, fills its options struct and calls the library; `exitCode` receives
// the result.
#pragma once

namespace CLI {
class App;
}

namespace kestrel::cli {

struct GlobalOptions {
  bool assumeYes = false;
  bool quiet = false;
};

void addKeywordsCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addDemoCommand(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addDocumentCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
void addShowCalcCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);

}  // namespace kestrel::cli
