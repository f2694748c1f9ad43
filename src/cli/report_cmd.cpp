// kestrel report: print a report of a calculated circuit or hybrid (or of a
// whole hierarchy) to a PDF, RTF or text file, or as text on stdout.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <ctime>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/strfmt.hpp"
#include "reports/report_job.hpp"
#include "reports/report_json.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_output.hpp"
#include "reports/report_profile.hpp"

namespace kestrel::cli {
namespace {

struct ReportCommand {
  ReportJob job;
  std::string kind = "short";
  std::string sort = "PartType/PN/RefDes";
  std::string paper = "letter";
  std::string orientation = "portrait";
  CLI::Option* paperOption = nullptr;
  CLI::Option* orientationOption = nullptr;
  double topMargin = 0.25;
  double leftMargin = 0.25;
  // Company and switches left off the command line come from Report Setup's saved settings.
  bool missionResults = false;
  bool overMarks = true;
  bool hybridFactors = true;
  CLI::Option* companyOption = nullptr;
  CLI::Option* missionOption = nullptr;
  CLI::Option* overMarksOption = nullptr;
  CLI::Option* hybridFactorsOption = nullptr;
  std::string date;  // "YYYY-MM-DD HH:MM" printed in the stamp instead of now
  bool json = false;  // the records and totals as JSON on stdout instead of pages
};

// "YYYY-MM-DD HH:MM" into a time; false when it is not one.
bool parseStampTime(const std::string& text, std::tm& time) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d%c", &year, &month, &day, &hour, &minute, &tail) != 5) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59) {
    return false;
  }
  time = std::tm{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  return true;
}

int runReport(ReportCommand& cmd, const GlobalOptions& global) {
  ReportJob& job = cmd.job;
  job.kind = findReportKind(cmd.kind);
  if (job.kind < 0) {
    fileMessage(job.file, "no report kind '" + cmd.kind + "'");
    return kExitUserError;
  }
  const auto key = parseSortKey(cmd.sort);
  if (!key) {
    fileMessage(job.file, "no sort key '" + cmd.sort + "'");
    return kExitUserError;
  }
  if (!findPaper(cmd.paper)) {
    fileMessage(job.file, "no paper size '" + cmd.paper + "' (" + std::string(kPaperChoices) + ")");
    return kExitUserError;
  }
  if (!cmd.date.empty() && !parseStampTime(cmd.date, job.print.time)) {
    fileMessage(job.file, "the date is not YYYY-MM-DD HH:MM: '" + cmd.date + "'");
    return kExitUserError;
  }
  if (cmd.json && !job.output.empty()) {
    fileMessage(job.file, "--json writes to stdout: leave out --output");
    return kExitUserError;
  }
  job.print.fixedTime = !cmd.date.empty();
  job.settings.format = job.kind;
  job.settings.sortBy = *key;
  job.settings.topMargin = static_cast<float>(cmd.topMargin);
  job.settings.leftMargin = static_cast<float>(cmd.leftMargin);
  const ReportSettings saved = loadReportSettings(global.session().settings);
  if (cmd.companyOption->count() == 0) job.settings.company = saved.company;
  // Print Setup's paper unless the command line names one, so both lay a report out alike.
  job.settings.paper = cmd.paperOption->count() > 0 ? cmd.paper : saved.paper;
  job.settings.landscape =
      cmd.orientationOption->count() > 0 ? upperCased(cmd.orientation) == "LANDSCAPE" : saved.landscape;
  job.settings.missionResults = cmd.missionOption->count() > 0 ? cmd.missionResults : saved.missionResults;
  job.missionLinesWhenRun = cmd.missionOption->count() == 0;
  job.settings.warningMsg = cmd.overMarksOption->count() > 0 ? cmd.overMarks : saved.warningMsg;
  job.settings.hybridPiFactors =
      cmd.hybridFactorsOption->count() > 0 ? cmd.hybridFactors : saved.hybridPiFactors;

  ReportOutcome outcome;
  Status status = Status::ok();
  {
    TerminalUi ui(global.assumeYes, global.quiet);
    job.print.askFirst = false;  // a report changes nothing: never ask
    applyReportSetup(job.settings, ui);
    if (cmd.json) {
      JsonWriter out(std::cout);
      status = writeReportJson(job, posixFileSystem(), ui, out, outcome);
    } else {
      status = runReportJob(job, posixFileSystem(), ui, outcome);
    }
    ui.finishProgress();
  }
  if (!status) {
    std::string text = status.message();
    for (char& c : text) c = c == '\n' ? ' ' : c;
    std::cerr << "kestrel: " << text << '\n';
    return outcome.badInput ? kExitBadInput : kExitUserError;
  }
  for (const std::string& line : outcome.notCurrent) std::cerr << "kestrel: " << line << '\n';
  if (cmd.json) {
    std::cout << std::flush;
  } else if (job.output.empty()) {
    std::cout << outcome.text << std::flush;
  } else if (!global.quiet) {
    std::cerr << "kestrel: '" << job.output << "': " << outcome.reports
              << (outcome.reports == 1 ? " report, " : " reports, ") << outcome.pages
              << (outcome.pages == 1 ? " page\n" : " pages\n");
  }
  return kExitOk;
}

}  // namespace

void addReportCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto cmd = std::make_shared<ReportCommand>();
  CLI::App* report = app.add_subcommand("report", "Print a report of a calculated file");
  report->add_option("file", cmd->job.file, "A calculated circuit or hybrid file")->required();
  std::string kinds;
  for (std::string_view name : reportKindNames()) kinds += (kinds.empty() ? "" : "|") + std::string(name);
  report->add_option("-k,--kind", cmd->kind, "Report kind: " + kinds)->capture_default_str();
  report->add_option("-s,--sort", cmd->sort,
                     "Sort key: PartType/PN/RefDes, PN, PN2, RefDes, LCN, TFR, Qty, PartType (or 1..8)")
      ->capture_default_str();
  cmd->paperOption = report->add_option("--paper", cmd->paper,
                                        "Paper: " + std::string(kPaperChoices) + " (default: Print Setup's)");
  cmd->orientationOption =
      report->add_option("--orientation", cmd->orientation, "portrait or landscape (default: Print Setup's)")
          ->check(CLI::IsMember({"portrait", "landscape"}, CLI::ignore_case));
  report->add_option("-o,--output", cmd->job.output,
                     "Output file (.pdf, .rtf or .txt); plain text on stdout when left out");
  report->add_flag("-r,--recursive", cmd->job.recursive,
                   "Report every document of the hierarchy below FILE too, one report each");
  report->add_option("--top-margin", cmd->topMargin, "Top margin in inches (0.25 to 1.0)")
      ->capture_default_str();
  report->add_option("--left-margin", cmd->leftMargin, "Left margin in inches (0.25 to 1.0)")
      ->capture_default_str();
  cmd->companyOption = report->add_option("--company", cmd->job.settings.company,
                                          "Company line, at most 60 characters (default: the saved one)")->transform(storedText());
  cmd->missionOption =
      report->add_flag("--mission-results,!--no-mission-results", cmd->missionResults,
                       "Print (or leave out) each part's reliability line and the header's mission line "
                       "(default: as saved)");
  cmd->overMarksOption =
      report->add_flag("--over-marks,!--no-over-marks", cmd->overMarks,
                       "Print (or leave out) the *OVER* marks of over-limit parts (default: as saved)");
  cmd->hybridFactorsOption = report->add_flag(
      "--hybrid-factors,!--no-hybrid-factors", cmd->hybridFactors,
      "Print (or leave out) the hybrid's factor lines in a hybrid report's header (default: as saved)");
  report->add_flag("--json", cmd->json, "Write the report's records and totals as JSON instead of pages");
  report->add_option("--date", cmd->date, "Date and time of the page stamp, YYYY-MM-DD HH:MM (default: now)");
  report->callback([cmd, &global, &exitCode] { exitCode = runReport(*cmd, global); });
}

}  // namespace kestrel::cli
