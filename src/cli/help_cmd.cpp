// kestrel help [CLASS]: the part classes with their handbook sections, or one
// class's page of keywords, kinds, ranges, units and choices.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "core/registry.hpp"
#include "shell/class_help.hpp"

namespace kestrel::cli {
namespace {

struct HelpJob {
  std::string className;  // "" = the list of classes
};

int runHelp(const HelpJob& job) {
  if (job.className.empty()) {
    std::fputs(classHelpIndex().c_str(), stdout);
    std::fputs("\nkestrel help CLASS shows one class (class name, type id or name).\n", stdout);
    return kExitOk;
  }
  const PartType* type = resolvePartType(job.className);
  if (type == nullptr || !PartRegistry::instance().isRegistered(type->id)) {
    std::fprintf(stderr, "HELP: no part class '%s' (see kestrel help).\n", job.className.c_str());
    return kExitUserError;
  }
  std::fputs(classHelpPage(*type).c_str(), stdout);
  return kExitOk;
}

}  // namespace

void addHelpCommand(CLI::App& app, const GlobalOptions&, int& exitCode) {
  auto job = std::make_shared<HelpJob>();
  CLI::App* cmd = app.add_subcommand("help", "List the part classes, or show one class's keywords and handbook section");
  cmd->add_option("class", job->className, "Class name (CResistor), type id (401) or name (Resistor)");
  cmd->callback([job, &exitCode] { exitCode = runHelp(*job); });
}

}  // namespace kestrel::cli
