// kestrel export: circuits, hybrids, libraries, cross-reference files and
// import definitions written out as CSV, dBASE, Lotus worksheet, workbook or
// database tables.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/json_result.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/file_system.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "exchange/export/export_run.hpp"

namespace kestrel::cli {
namespace {

struct ExportOptions {
  std::vector<std::string> inputs;
  std::string output;
  std::string layout = "records";
  std::string partType;
  std::string pnFilter;
  bool recursive = false;
  bool json = false;
};

int runExportCommand(const ExportOptions& options, const GlobalOptions& global) {
  ExportJob job;
  job.inputs = options.inputs;
  job.output = options.output;
  job.recursive = options.recursive;
  job.pnFilter = options.pnFilter.substr(0, 40);
  const auto format = outputFormatForPath(options.output);
  if (!format) {
    std::cerr << "kestrel: -o: '" << options.output
              << "' must end in .csv, .dbf, .wks, .xlsx or .sqlite (the output format)\n";
    return kExitUserError;
  }
  job.format = *format;
  job.layout = upperCased(options.layout) == "KEYWORDS" ? ExportLayout::Keywords : ExportLayout::Records;
  if (!options.partType.empty()) {
    const PartType* type = resolvePartType(options.partType);
    if (type == nullptr) {
      std::cerr << "kestrel: --type: '" << options.partType << "' is not a part type\n";
      return kExitUserError;
    }
    job.typeFilter = type->id;
  }

  Session& session = global.session();
  session.beginLog("EXPORT");
  for (const std::string& line : exportConfirmation(job)) session.log.line(line);
  ExportOutcome outcome;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    outcome = runExport(job, posixFileSystem(), ui);
    ui.finishProgress();
  }
  session.log.end();
  if (options.json) {
    printJsonResult("export",
                    {{"succeed", jsonInteger(outcome.succeed)},
                     {"filterOut", jsonInteger(outcome.filterOut)},
                     {"failed", jsonInteger(outcome.failed)},
                     {"failedFiles", jsonInteger(outcome.failedFiles)},
                     {"damagedFiles", jsonInteger(outcome.damagedFiles)},
                     {"cancelled", jsonBool(outcome.cancelled)}},
                    "written", outcome.written);
  } else {
    for (const std::string& path : outcome.written) std::cout << "wrote '" << path << "'\n";
    std::cout << strprintf("Succeed:%ld  FilterOut:%ld  Failed:%ld", outcome.succeed, outcome.filterOut,
                           outcome.failed)
              << '\n';
  }
  if (outcome.cancelled) {
    std::cerr << "kestrel: export cancelled\n";
    return kExitUserError;
  }
  if (outcome.failedFiles > 0) {
    std::cerr << "kestrel: " << outcome.failedFiles << " file(s) not exported (see the log lines above)\n";
    return kExitBadInput;
  }
  if (outcome.damagedFiles > 0) {
    std::cerr << "kestrel: " << outcome.damagedFiles
              << " damaged file(s) exported in part: what could be read (see the log lines above)\n";
    return kExitBadInput;
  }
  return kExitOk;
}

}  // namespace

void addExportCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto options = std::make_shared<ExportOptions>();
  CLI::App* cmd = app.add_subcommand(
      "export", "Export circuits, hybrids, libraries, cross-references and import definitions to CSV, dBASE, worksheet, "
      "workbook or SQLite tables");
  cmd->add_option("FILE", options->inputs,
                  "Circuit (.cir), hybrid (.hyb), library (.lib), cross-reference (.xrf) or import definition (.imp) "
                  "files, or libraries in a database (postgresql://...?library=NAME)")
      ->required()
      ->check(existingFileOrAddress());
  cmd->add_option("-o,--output", options->output,
                  "Output of the first FILE; its extension (.csv .dbf .wks .xlsx .sqlite) picks the format, "
                  "and further files go beside it under their own names")
      ->required();
  cmd->add_flag("-r,--recursive", options->recursive, "Also export the child files of sub-circuit and sub-hybrid records");
  cmd->add_option("--layout", options->layout,
                  "records: the 28-column rows (header row first); keywords: a first row of field keywords, "
                  "for `kestrel import --auto`")
      ->check(CLI::IsMember({"records", "keywords"}, CLI::ignore_case));
  cmd->add_option("--type", options->partType, "Only records of this part type (name or type id)");
  cmd->add_option("--pn", options->pnFilter, "Only records whose part number begins with this text")->transform(storedText());
  cmd->add_flag("--json", options->json, "Write the counts and the files written as JSON");
  cmd->callback([options, &global, &exitCode] { exitCode = runExportCommand(*options, global); });
}

}  // namespace kestrel::cli
