// kestrel completion bash: the bash completion script, made from this
// program's commands and part registry.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "shell/bash_completion.hpp"

namespace kestrel::cli {
namespace {

std::vector<CompletionCommand> commandsOf(const CLI::App& app) {
  const auto all = [](const CLI::App*) { return true; };
  std::vector<CompletionCommand> out;
  for (const CLI::App* command : app.get_subcommands(all)) {
    CompletionCommand c{command->get_name(), {}};
    for (const CLI::App* sub : command->get_subcommands(all)) c.subcommands.push_back(sub->get_name());
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace

void addCompletionCommand(CLI::App& app, const GlobalOptions&, int& exitCode) {
  auto shell = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand(
      "completion", "Print the completion script of a shell (installed as share/bash-completion/completions/kestrel)");
  cmd->add_option("shell", *shell, "bash")->required()->check(CLI::IsMember({"bash"}));
  // The option writes into *shell as the line is parsed: the callback keeps it alive.
  cmd->callback([shell, &app, &exitCode] {
    std::fputs(bashCompletionScript(commandsOf(app)).c_str(), stdout);
    exitCode = kExitOk;
  });
}

}  // namespace kestrel::cli
