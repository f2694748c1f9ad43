// The bash completion script of `kestrel`: subcommands (and the commands
// under a command group), part classes after `add` and `help`, and the field
// keywords of the chosen class after its name, all taken from the program's
// own command list and part registry so that the script never falls behind.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct CompletionCommand {
  std::string name;
  std::vector<std::string> subcommands;  // a command group's commands (lib add, ...)
};

// The script, ready to be sourced by bash. The registry must be filled.
std::string bashCompletionScript(const std::vector<CompletionCommand>& commands);

}  // namespace kestrel
