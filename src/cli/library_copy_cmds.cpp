// kestrel lib copy / xref copy: a whole library or cross-reference list
// copied into a new one, between files and databases in any direction.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/exit_codes.hpp"
#include "cli/json_result.hpp"
#include "cli/library_cli.hpp"
#include "cli/session.hpp"
#include "cli/terminal_ui.hpp"
#include "store/library/library_copy.hpp"

namespace kestrel::cli {
namespace {

struct CopyJob {
  std::string source;
  std::string target;
  bool json = false;
};

int runCopy(const CopyJob& job, std::string_view command, const GlobalOptions& global,
            library::CopyOutcome (*copy)(const std::string&, const std::string&, Ui&, store::StoreFileSystem*)) {
  Session& session = global.session();
  session.beginLog("COPY");
  library::CopyOutcome out;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    out = copy(job.source, job.target, ui, nullptr);
  }
  session.log.end();
  if (!out.ok) std::cerr << "kestrel: " << out.failure.message() << '\n';
  if (!out.leftBehind.empty()) {
    std::cerr << "kestrel: '" << out.leftBehind << "': the new library is left behind: remove it\n";
  }
  if (job.json) {
    printJsonResult(command, {{"source", jsonString(mixedToUtf8(job.source))},
                              {"target", jsonString(mixedToUtf8(job.target))},
                              {"ok", jsonBool(out.ok)},
                              {"copied", jsonInteger(out.copied)},
                              {"records", jsonInteger(out.records)}});
  } else {
    std::cout << library::copySummary(out) << '\n';
  }
  if (out.ok) return kExitOk;
  // A source that is missing or damaged is bad input; the rest is refused.
  const StatusCode code = out.failure.code();
  return code == StatusCode::NotFound || code == StatusCode::Corrupt ? kExitBadInput : kExitUserError;
}

}  // namespace

void addLibraryCopyCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<CopyJob>();
  const struct {
    const char* group;
    const char* help;
    const char* command;
    library::CopyOutcome (*copy)(const std::string&, const std::string&, Ui&, store::StoreFileSystem*);
  } kinds[] = {
      {"lib", "Copy a library into a new one, record for record (a file or a database address each)", "lib copy",
       library::copyLibrary},
      {"xref", "Copy a cross-reference file into a new one (a file or a database address each)", "xref copy",
       library::copyXRef},
  };
  for (const auto& kind : kinds) {
    CLI::App* c = app.get_subcommand(kind.group)->add_subcommand("copy", kind.help);
    c->add_option("SOURCE", job->source, "The library copied (not changed)")->required();
    c->add_option("TARGET", job->target, "The new library (it must not exist)")->required();
    c->add_flag("--json", job->json, "Write the counts as JSON");
    c->callback([job, &global, &exitCode, command = kind.command, copy = kind.copy] {
      exitCode = runCopy(*job, command, global, copy);
    });
  }
}

}  // namespace kestrel::cli
