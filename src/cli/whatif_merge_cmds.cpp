// kestrel whatif / merge: bulk What-If? changes over a hierarchy, and one
// circuit or hybrid merged into another.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/terminal_ui.hpp"
#include "core/document_json.hpp"
#include "core/document_sub_files.hpp"
#include "core/file_system.hpp"
#include "core/merge.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif_command.hpp"
#include "core/whatif_json.hpp"
#include "core/windows1252.hpp"

namespace kestrel::cli {
namespace {

struct WhatIfJob {
  std::string file;
  std::string env;
  std::string temp;     // MODE:VALUE, e.g. increase:10
  std::string quality;  // MODE:LEVEL
  std::string stress;   // MODE:PERCENT, or calc
  std::string partType;
  std::string pnFilter;
  bool topOnly = false;
  bool dryRun = false;
  bool json = false;
};

// "set:40", "increase:10", "decrease:5" (and "calc" for the stress).
bool parseChange(const std::string& text, std::uint8_t& mode, float& value, bool allowCalc,
                 const std::string& what) {
  if (text.empty()) return true;
  const auto colon = text.find(':');
  const std::string name = upperCased(text.substr(0, colon));
  if (allowCalc && (name == "CALC" || name == "SETTOCALCMODE")) {
    mode = SetToCalcMode;
    return true;
  }
  if (name == "SET" || name == "SETDIRECT") {
    mode = SetDirect;
  } else if (name == "INCREASE") {
    mode = Increase;
  } else if (name == "DECREASE") {
    mode = Decrease;
  } else {
    std::cerr << "kestrel: --" << what << " takes set:VALUE, increase:VALUE or decrease:VALUE"
              << (allowCalc ? " or calc" : "") << '\n';
    return false;
  }
  try {
    value = std::stof(colon == std::string::npos ? std::string() : text.substr(colon + 1));
  } catch (...) {
    std::cerr << "kestrel: --" << what << ": '" << text << "' has no number after the colon\n";
    return false;
  }
  return true;
}

int runWhatIf(const WhatIfJob& job, const GlobalOptions& global) {
  WhatIfSettings settings;
  settings.entireHierarchy = !job.topOnly;
  if (!job.env.empty()) {
    settings.changeEnvironment = true;
    settings.environment = static_cast<std::uint8_t>(kEnvironments.find(job.env));
    if (settings.environment == 0) {
      std::cerr << "kestrel: --env: '" << job.env << "' is not an environment (GB, GF, ... CL)\n";
      return kExitUserError;
    }
  }
  if (!parseChange(job.temp, settings.tempMode, settings.tempValue, false, "temp") ||
      !parseChange(job.quality, settings.qualityMode, settings.qualityLevel, false, "quality") ||
      !parseChange(job.stress, settings.stressMode, settings.stressValue, true, "stress")) {
    return kExitUserError;
  }
  if (!job.partType.empty()) {
    const PartType* type = resolvePartType(job.partType);
    if (type == nullptr) {
      std::cerr << "kestrel: --type: '" << job.partType << "' is not a part type\n";
      return kExitUserError;
    }
    settings.typeFilterOn = true;
    settings.typeId = type->id;
  }
  if (!job.pnFilter.empty()) {
    settings.pnFilterOn = true;
    settings.pnFilterText = job.pnFilter.substr(0, 25);
    settings.pnFilterLength = static_cast<int>(settings.pnFilterText.size());
  }

  DocumentLock lock;  // the sub-files are locked as the run reaches them
  if (!lockForChange(job.file, lock)) return kExitUserError;
  auto doc = openDocument(job.file);
  if (!doc) return kExitBadInput;
  Session& session = global.session();
  session.beginLog("WHAT-IF");
  for (const std::string& line : whatIfConfirmation(settings)) session.log.line(line);
  WhatIfOutcome outcome;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    outcome = runWhatIf(*doc, posixFileSystem(), ui, settings, job.dryRun);
  }
  if (!outcome.ok) {
    session.log.line("   ...What-If? did not complete: no file was changed.");
    session.log.end();
    fileMessage(job.file, "What-If? did not complete; no file was changed");
    return kExitUserError;
  }
  for (const std::string& line : outcome.lines) {
    session.log.line(line);
    if (!job.json) std::cout << line << '\n';
  }
  for (const std::string& line : whatIfTotalsLines(outcome)) {
    session.log.line(line);
    if (!job.json) std::cout << line << '\n';
  }
  for (const std::string& path : outcome.saved) session.log.line("   ...saved '" + path + "'.");
  if (job.dryRun && !job.json) std::cout << "(dry run: no file was changed)\n";
  session.log.end();
  if (job.json) {
    JsonWriter out(std::cout);
    writeWhatIfJson(out, job.file, job.dryRun, *doc, outcome);
  }
  return kExitOk;
}

struct MergeJob {
  std::string from;
  std::string into;
  bool json = false;
};

int runMerge(const MergeJob& job, const GlobalOptions& global) {
  DocumentLock lock;
  if (!lockForChange(job.into, lock)) return kExitUserError;
  auto target = openDocument(job.into);
  if (!target) return kExitBadInput;
  Session& session = global.session();
  session.beginLog("MERGE");
  MergeOutcome outcome;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    if (!ui.confirm(mergeQuestion(job.from, *target))) {
      session.log.end();
      return kExitUserError;
    }
    DocumentSubFiles files(posixFileSystem());
    CalcContext context(ui, &files);
    outcome = mergeInto(*target, job.from, context);
  }
  // Records copied before a failure stay in the target, as the command does.
  if (outcome.merged > 0 && !saveDocumentTo(*target, job.into)) return kExitUserError;
  const std::string summary = strprintf("%d records merged into '%s'.", outcome.merged, job.into.c_str());
  session.log.line(summary);
  session.log.end();
  if (job.json) {
    JsonWriter out(std::cout);
    out.sortedObject({{"command", jsonString("merge")},
                      {"schema", jsonInteger(kJsonSchema)},
                      {"from", jsonString(mixedToUtf8(job.from))},
                      {"into", jsonString(mixedToUtf8(job.into))},
                      {"merged", jsonInteger(outcome.merged)},
                      {"ok", jsonBool(outcome.ok)}});
    out.finish();
  } else {
    std::cout << summary << '\n';
  }
  return outcome.ok ? kExitOk : kExitUserError;
}

}  // namespace

void addWhatIfMergeCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<WhatIfJob>();
  CLI::App* whatif = app.add_subcommand("whatif", "What-If? changes over a hierarchy, recalculated");
  whatif->add_option("file", job->file, "The top circuit or hybrid file")->required();
  whatif->add_option("--env", job->env, "New environment: GB, GF, GM, NS, NU, AIC, ... CL");
  whatif->add_option("--temp", job->temp, "Ambient temperature: set:C, increase:C or decrease:C");
  whatif->add_option("--quality", job->quality,
                     "Quality: set:LEVEL, increase:N (better) or decrease:N (worse)");
  whatif->add_option("--stress", job->stress, "Stress: set:%, increase:%, decrease:% or calc");
  whatif->add_option("--type", job->partType, "Change only records of this part type");
  whatif->add_option("--pn", job->pnFilter, "Change only records whose part number starts so");
  whatif->add_flag("--top-only", job->topOnly, "Change the top file only (sub-files are recalculated)");
  whatif->add_flag("--dry-run", job->dryRun, "Show the results without changing any file");
  whatif->add_flag("--json", job->json, "Write every document's failure rate before and after as JSON");
  whatif->callback([job, &global, &exitCode] { exitCode = runWhatIf(*job, global); });

  auto merge = std::make_shared<MergeJob>();
  CLI::App* cmd = app.add_subcommand("merge", "Copy every record of one file into another of its kind");
  cmd->add_option("from", merge->from, "The file whose records are copied (not changed)")->required();
  cmd->add_option("into", merge->into, "The file that receives them")->required();
  cmd->add_flag("--json", merge->json, "Write the count of records merged as JSON");
  cmd->callback([merge, &global, &exitCode] { exitCode = runMerge(*merge, global); });
}

}  // namespace kestrel::cli
