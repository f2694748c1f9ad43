// kestrel show / calc: list a document's header and records; calculate it,
// store the results in the file and print the result lines.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/listing_options.hpp"
#include "cli/terminal_ui.hpp"
#include "core/calculate_command.hpp"
#include "core/document_json.hpp"
#include "core/file_system.hpp"
#include "core/staged_sub_files.hpp"
#include "core/stale_results.hpp"
#include "core/text_lines.hpp"

namespace kestrel::cli {
namespace {

struct ShowJob {
  std::string file;
  bool json = false;
  double missionTime = -1.0;  // calc: negative keeps the stored mission time
  double mission = -1.0;      // calc: mission hours (mission stages run when given)
  std::string model;          // calc: serial, parallel or kofn
  double required = -1.0;     // calc: K of an Active K-of-N circuit
  ListingRequest listing;     // show: which records
};

void printDocument(const CCircDoc& doc, const ListingPage& shown) {
  const CCircHeader& h = doc.header();
  const std::vector<StaleRecord> stale = staleSubFileRecords(posixFileSystem(), doc);
  auto staleReason = [&stale](std::size_t recordNumber) -> const StaleRecord* {
    for (const StaleRecord& r : stale) {
      if (r.record == recordNumber) return &r;
    }
    return nullptr;
  };
  std::cout << h.headingLine1(doc.isHybrid()) << '\n' << h.headingLine2(doc.isHybrid()) << '\n';
  const double base = doc.shareBase();
  constexpr std::string_view kIndent = "    ";
  for (std::size_t i = 0; i < doc.count(); ++i) {
    if (!shown.shows(i)) continue;
    const CPart& part = doc.record(i);
    std::string f1, f2, d1, d2;
    part.FormatFactors(f1, f2, kIndent);
    part.FormatDetail(d1, d2, kIndent);
    std::cout << '\n' << identityLine(part, " ") << '\n' << descriptionLine(part, kIndent) << '\n'
              << resultLine(part, kIndent, base, true) << '\n'
              << reliabilityLine(part, kIndent) << '\n';
    for (const std::string* line : {&f1, &f2, &d1, &d2}) {
      if (!line->empty()) std::cout << *line << '\n';
    }
    if (part.SmtCalcFlag != 0) std::cout << kIndent << smtLine(part) << '\n';
    if (part.hasOverFlag()) std::cout << limitsLine(part, kIndent) << '\n';
    if (const StaleRecord* r = staleReason(i + 1)) {
      std::cout << kIndent << "*NOT CURRENT* sub-file '" << r->file << "' " << r->reason << '\n';
    }
  }
  if (doc.isHybrid() && h.CalcFlags != 0) {
    std::cout << '\n' << h.hybridFactorLine1() << '\n' << h.hybridFactorLine2() << '\n';
  }
  if (h.CalcFlags != 0) {
    std::cout << '\n';
    for (const std::string& line : doc.resultLines(false)) std::cout << line << '\n';
  }
  if (!stale.empty()) std::cout << '\n' << notCurrentText(stale) << '\n';
}

int runShow(const ShowJob& job) {
  auto doc = openDocument(job.file);
  if (!doc) return kExitBadInput;
  if (job.json) {
    JsonWriter out(std::cout);
    writeDocumentJson(out, *doc, "show");
  } else {
    printDocument(*doc, listingPageOf(job.listing));
  }
  return kExitOk;
}

int runCalc(const ShowJob& job, const GlobalOptions& global) {
  // K-of-N without K would find every circuit certain to survive.
  if (job.model == "kofn" && job.required < 0.0) {
    std::cerr << "kestrel: --model kofn needs --k, the number of units required (1..999)\n";
    return kExitUserError;
  }
  DocumentLock lock;  // the sub-files are locked as the calculation reaches them
  if (!lockForChange(job.file, lock)) return kExitUserError;
  auto doc = openDocument(job.file);
  if (!doc) return kExitBadInput;
  CCircHeader& h = doc->header();
  if (!job.model.empty()) h.MODEL = job.model == "serial" ? 1 : (job.model == "parallel" ? 2 : 3);
  if (job.required >= 0.0) h.NREQ = static_cast<float>(job.required);
  if (job.mission >= 0.0 && h.MODEL == kModelKofN && !(h.NREQ >= 1.0f)) {
    fileMessage(job.file, "the circuit is Active K-of-N with no number required K: give it with --k (1..999)");
    return kExitUserError;
  }

  CalculateJob calc;
  calc.mission = job.mission >= 0.0;
  calc.missionTime = calc.mission ? job.mission : job.missionTime;
  CalculateOutcome outcome;
  bool saved = false;
  Session& session = global.session();
  session.beginLog("CALCULATE");
  session.log.line(job.file);
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    if (calc.mission) calc.missionTime = limitedMissionTime(calc.missionTime, ui);
    // Sub-files are written with the top file once everything succeeded.
    StagedSubFiles subFiles(posixFileSystem());
    CalcContext context(ui, &subFiles);
    outcome = runCalculate(*doc, context, calc);
    std::vector<std::string> written;
    if (outcome.ok) saved = subFiles.commit(doc.get(), ui, written);
  }
  if (!outcome.ok) {
    fileMessage(job.file, "the calculation did not complete; no file was changed");
    session.log.line("   ...the calculation did not complete.");
    session.log.end();
    return kExitUserError;
  }
  for (const std::string& line : outcome.lines) session.log.line(line);
  session.log.end();
  if (calc.mission) {
    session.settings.setWhole("Calculate", "Mode", 1);
    session.settings.setReal("Calculate", "Time", calc.missionTime);
  }
  if (!saved) return kExitUserError;
  if (job.json) {
    JsonWriter out(std::cout);
    writeDocumentJson(out, *doc, "calc");
  } else {
    for (const std::string& line : outcome.lines) std::cout << line << '\n';
  }
  return kExitOk;
}

}  // namespace

void addShowCalcCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<ShowJob>();
  CLI::App* show = app.add_subcommand("show", "Show the header and the records of a file");
  show->add_option("file", job->file, "A circuit or hybrid file")->required();
  show->add_flag("--json", job->json, "Every field, factor and result as JSON");
  addListingOptions(show, job->listing);
  show->callback([job, &exitCode] { exitCode = runShow(*job); });

  CLI::App* calc = app.add_subcommand("calc", "Calculate a file and store the results in it");
  calc->add_option("file", job->file, "A circuit or hybrid file")->required();
  calc->add_flag("--json", job->json, "Every record's fields, factors and results, and the totals");
  calc->add_option("--mission-time", job->missionTime, "Mission time in hours (default: the stored one)")
      ->check(CLI::Range(0.000001, 10000000.0));
  calc->add_option("--mission", job->mission,
                   "Run the mission stages too, over this mission time in hours");
  calc->add_option("--model", job->model, "Reliability model: serial, parallel or kofn")
      ->check(CLI::IsMember({"serial", "parallel", "kofn"}));
  calc->add_option("--k", job->required, "Number required K of an Active K-of-N circuit")
      ->check(CLI::Range(1.0, 999.0));
  calc->callback([job, &global, &exitCode] { exitCode = runCalc(*job, global); });
}

}  // namespace kestrel::cli
