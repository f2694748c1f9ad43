// kestrel profile: mission profiles (.mpf) -- the phases a piece of
// equipment lives through -- written, shown and calculated over their
// top-level circuit's hierarchy (the circuit files are only read).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/choice.hpp"
#include "core/document_lock.hpp"
#include "core/file_system.hpp"
#include "core/json_writer.hpp"
#include "core/mission_profile_json.hpp"
#include "core/mission_profile_text.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "graph/chart_file.hpp"
#include "graph/profile_charts.hpp"
#include "graph/profile_run.hpp"
#include "reports/paper_sizes.hpp"
#include "reports/profile_report.hpp"
#include "reports/report_output.hpp"
#include "reports/report_profile.hpp"
#include "reports/report_settings.hpp"

namespace kestrel::cli {
namespace {

struct ProfileCommandJob {
  std::string file;
  std::string top;
  std::string name;
  std::string phase;  // a phase's number or name
  std::vector<std::string> phases;
  std::string rename;
  std::string environment;
  double temperature = 25.0;
  double hours = 1.0;
  double poweredPercent = 100.0;
  double dormant = 0.0;
  std::size_t at = 0;  // add-phase: the position, 0 = last
  int repetitions = 1;
  std::size_t contributors = 5;
  bool json = false;
  std::string output;  // report and chart
  std::string paper;
  std::string chart;   // rate or reliability
  const CLI::App* command = nullptr;
  bool given(const char* option) const {
    const CLI::Option* o = command->get_option_no_throw(option);
    return o != nullptr && o->count() > 0;
  }
};

int failed(const Status& s) {
  std::cerr << "kestrel: " << s.message() << '\n';
  return s.code() == StatusCode::Corrupt || s.code() == StatusCode::NotFound ? kExitBadInput : kExitUserError;
}

// The phase a selector names: its number, or its name ignoring case.
std::optional<std::size_t> findPhase(const MissionProfile& profile, const std::string& selector,
                                     const std::string& path) {
  for (std::size_t i = 0; i < profile.phases.size(); ++i) {
    if (selector == std::to_string(i + 1) || upperCased(profile.phases[i].name) == upperCased(selector)) return i;
  }
  std::string known;
  for (std::size_t i = 0; i < profile.phases.size(); ++i) {
    known += (i == 0 ? " " : ", ") + std::to_string(i + 1) + " " + windows1252ToUtf8(profile.phases[i].name);
  }
  fileMessage(path, "no phase '" + selector + "'; the phases are:" + (known.empty() ? " none" : known));
  return std::nullopt;
}

// The options given of a phase's settings, into `phase`.
bool applyPhaseOptions(const ProfileCommandJob& job, MissionPhase& phase) {
  if (job.given("--env")) {
    const unsigned env = kEnvironments.find(job.environment);
    if (env == 0) {
      std::string codes;
      for (std::size_t i = 1; i <= kEnvironmentCount; ++i) codes += " " + std::string(kEnvironments.text(i));
      std::cerr << "kestrel: --env: '" << job.environment << "' is not an environment; the codes are:" << codes
                << '\n';
      return false;
    }
    phase.environment = static_cast<std::uint8_t>(env);
  }
  if (job.given("--temp")) phase.temperature = job.temperature;
  if (job.given("--hours")) phase.hours = job.hours;
  if (job.given("--on")) phase.poweredPercent = job.poweredPercent;
  if (job.given("--dormant")) phase.dormantMultiplier = job.dormant;
  if (job.given("--rename")) phase.name = job.rename;
  return true;
}

bool checkTopName(const std::string& top) {
  const std::string upper = upperCased(top);
  if (upper.ends_with(".CIR") || upper.ends_with(".HYB")) return true;
  fileMessage(top, "the top level is a circuit (.cir) or hybrid (.hyb) file");
  return false;
}

// Read, change and save under the profile's lock; `change` prints why it
// refuses. The file is written only when everything passed.
template <typename Change>
int changeProfile(const ProfileCommandJob& job, Change change) {
  DocumentLock lock;
  if (!lockForChange(job.file, lock)) return kExitUserError;
  MissionProfile profile;
  if (Status s = loadProfile(posixFileSystem(), job.file, profile); !s) return failed(s);
  if (!change(profile)) return kExitUserError;
  if (Status s = saveProfile(posixFileSystem(), profile, job.file); !s) return failed(s);
  return kExitOk;
}

int newProfile(const ProfileCommandJob& job) {
  if (!checkTopName(job.top)) return kExitUserError;
  if (posixFileSystem().exists(job.file)) {
    fileMessage(job.file, "exists already; change it with 'kestrel profile set'");
    return kExitUserError;
  }
  DocumentLock lock;
  if (!lockForChange(job.file, lock)) return kExitUserError;
  MissionProfile profile;
  // Unnamed, a profile is called after its file.
  profile.name = job.name.empty() ? utf8ToWindows1252(std::filesystem::path(job.file).stem().string()).text : job.name;
  profile.topLevel = graph::profileTopName(job.file, job.top);
  if (!posixFileSystem().exists(graph::profileTopPath(job.file, profile))) {
    fileMessage(job.top, "warning: the top-level file does not exist (yet)");
  }
  if (Status s = saveProfile(posixFileSystem(), profile, job.file); !s) return failed(s);
  std::cout << "New mission profile: " << job.file << " over " << profile.topLevel << '\n';
  return kExitOk;
}

int addPhase(const ProfileCommandJob& job) {
  return changeProfile(job, [&](MissionProfile& profile) {
    MissionPhase phase;
    phase.name = job.name;
    if (!applyPhaseOptions(job, phase)) return false;
    if (profile.phases.size() >= kMaxPhases) {
      fileMessage(job.file, strprintf("a profile has at most %zu phases", kMaxPhases));
      return false;
    }
    const std::size_t at = job.at == 0 || job.at > profile.phases.size() ? profile.phases.size() : job.at - 1;
    profile.phases.insert(profile.phases.begin() + static_cast<std::ptrdiff_t>(at), phase);
    if (Status s = checkProfile(profile, job.file); !s) {
      failed(s);
      return false;
    }
    std::cout << "Phase " << at + 1 << " '" << windows1252ToUtf8(phase.name) << "' added: " << job.file << '\n';
    return true;
  });
}

int setProfile(const ProfileCommandJob& job) {
  return changeProfile(job, [&](MissionProfile& profile) {
    if (job.phase.empty()) {
      if (job.given("--env") || job.given("--temp") || job.given("--hours") || job.given("--on") ||
          job.given("--dormant") || job.given("--rename")) {
        std::cerr << "kestrel: profile set: name the phase whose settings change\n";
        return false;
      }
      if (job.given("--name")) profile.name = job.name;
      if (job.given("--top")) {
        if (!checkTopName(job.top)) return false;
        profile.topLevel = graph::profileTopName(job.file, job.top);
      }
    } else {
      const auto index = findPhase(profile, job.phase, job.file);
      if (!index || !applyPhaseOptions(job, profile.phases[*index])) return false;
    }
    if (Status s = checkProfile(profile, job.file); !s) {
      failed(s);
      return false;
    }
    std::cout << "Changed: " << job.file << '\n';
    return true;
  });
}

int removePhases(const ProfileCommandJob& job) {
  return changeProfile(job, [&](MissionProfile& profile) {
    std::vector<std::size_t> doomed;
    for (const std::string& selector : job.phases) {
      const auto index = findPhase(profile, selector, job.file);
      if (!index) return false;
      doomed.push_back(*index);
    }
    std::sort(doomed.rbegin(), doomed.rend());
    doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
    for (std::size_t index : doomed) profile.phases.erase(profile.phases.begin() + static_cast<std::ptrdiff_t>(index));
    std::cout << "Removed " << doomed.size() << " phase(s): " << job.file << '\n';
    return true;
  });
}

// One JSON document of `command`, or the lines the terminal shows.
template <typename WriteJson, typename Lines>
int printOutcome(bool json, std::string_view command, WriteJson writeJson, Lines lines) {
  if (json) {
    JsonWriter out(std::cout);
    out.beginCommandDocument(command);
    writeJson(out);
    out.endObject();
    out.finish();
  } else {
    for (const std::string& line : lines()) std::cout << windows1252ToUtf8(line) << '\n';
  }
  return kExitOk;
}

int showProfile(const ProfileCommandJob& job) {
  MissionProfile profile;
  if (Status s = loadProfile(posixFileSystem(), job.file, profile); !s) return failed(s);
  return printOutcome(
      job.json, "profile show", [&](JsonWriter& out) { writeProfileJson(out, profile); },
      [&] { return profileLines(profile); });
}

// Loads and calculates the profile; an exit code other than kExitOk after
// printing why.
int calculate(const ProfileCommandJob& job, const GlobalOptions& global, ProfileResult& result) {
  graph::ProfileJob run;
  run.profilePath = job.file;
  run.repetitions = job.repetitions;
  run.contributorsPerPhase = job.contributors;
  if (Status s = loadProfile(posixFileSystem(), job.file, run.profile); !s) return failed(s);
  Session& session = global.session();
  session.beginLog("MISSION PROFILE");
  const Status s = [&] {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    return graph::runProfile(run, graph::posixScratchFiles(), ui, result);
  }();
  session.log.end();
  return s ? kExitOk : failed(s);
}

int calculateProfile(const ProfileCommandJob& job, const GlobalOptions& global) {
  ProfileResult result;
  if (const int code = calculate(job, global, result); code != kExitOk) return code;
  return printOutcome(
      job.json, "profile calc", [&](JsonWriter& out) { writeProfileResultJson(out, result); },
      [&] { return profileResultLines(result); });
}

int reportProfile(const ProfileCommandJob& job, const GlobalOptions& global) {
  if (!outputKindForPath(job.output)) {
    fileMessage(job.output, "use a .pdf, .rtf or .txt name");
    return kExitUserError;
  }
  const ReportSettings settings = loadReportSettings(global.session().settings);
  const std::optional<Paper> paper = findPaper(job.paper.empty() ? settings.paper : job.paper);
  if (!paper) {
    fileMessage(job.output, "no paper size '" + job.paper + "' (" + std::string(kPaperChoices) + ")");
    return kExitUserError;
  }
  ProfileResult result;
  if (const int code = calculate(job, global, result); code != kExitOk) return code;
  PrintOptions options;
  options.askFirst = false;  // a report changes nothing: never ask
  if (Status s = writeProfileReport(posixFileSystem(), result, job.output, *paper, settings, options); !s) {
    return failed(s);
  }
  std::cout << "Report: " << job.output << '\n';
  return kExitOk;
}

int chartProfile(const ProfileCommandJob& job, const GlobalOptions& global) {
  const std::string which = upperCased(job.chart);
  if (which != "RATE" && which != "RELIABILITY") {
    std::cerr << "kestrel: profile chart: the chart is rate (FR per phase) or reliability (R over the mission)\n";
    return kExitUserError;
  }
  if (!graph::chartFormatForPath(job.output)) {
    fileMessage(job.output, "use a .svg, .png or .pdf name");
    return kExitUserError;
  }
  ProfileResult result;
  if (const int code = calculate(job, global, result); code != kExitOk) return code;
  const graph::ChartStyle style;
  const graph::PlotModel plot =
      which == "RATE" ? graph::phaseFailureRatePlot(result, style) : graph::profileReliabilityPlot(result, style);
  if (Status s = graph::writeChartFile(posixFileSystem(), plot, job.output); !s) return failed(s);
  std::cout << "Chart: " << job.output << '\n';
  return kExitOk;
}

void addPhaseOptions(CLI::App* cmd, ProfileCommandJob& job) {
  cmd->add_option("--env", job.environment, "Environment code: GB, GF, GM, NS, NU, AIC, AIF, AUC, AUF, ARW, SF, "
                                             "MF, ML, CL");
  cmd->add_option("--temp", job.temperature, "Ambient temperature, -55..175 C");
  cmd->add_option("--hours", job.hours, "Duration in hours (above 0)");
  cmd->add_option("--on", job.poweredPercent, "Share of the phase powered on, 0..100 % (default 100)");
  cmd->add_option("--dormant", job.dormant,
                  "Dormant multiplier: the share of the powered failure rate kept while off, 0..10 (default 0)");
}

}  // namespace

void addProfileCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  CLI::App* profile = app.add_subcommand(
      "profile", "Mission profiles: phases of environment, temperature, time and power over a hierarchy");
  profile->require_subcommand(1);
  auto job = std::make_shared<ProfileCommandJob>();
  auto file = [&](CLI::App* cmd) {
    cmd->add_option("profile", job->file, "The mission profile file (.mpf)")->required();
  };

  CLI::App* create = profile->add_subcommand("new", "A new mission profile over a top-level circuit or hybrid");
  file(create);
  create->add_option("top", job->top, "The top-level circuit or hybrid file")->required();
  create->add_option("--name", job->name, "The profile's name")->transform(storedText());
  create->callback([job, create, &exitCode] {
    job->command = create;
    exitCode = newProfile(*job);
  });

  CLI::App* add = profile->add_subcommand("add-phase", "Add a phase (last, or at --at N)");
  file(add);
  add->add_option("name", job->name, "The phase's name")->required()->transform(storedText());
  addPhaseOptions(add, *job);
  add->add_option("--at", job->at, "Insert as phase N (1 = first)");
  add->callback([job, add, &exitCode] {
    job->command = add;
    exitCode = addPhase(*job);
  });

  CLI::App* set = profile->add_subcommand(
      "set", "Change the profile's name or top-level file, or a phase's settings (name the phase)");
  file(set);
  set->add_option("phase", job->phase, "The phase's number or name");
  set->add_option("--name", job->name, "The profile's new name")->transform(storedText());
  set->add_option("--top", job->top, "The profile's new top-level file");
  set->add_option("--rename", job->rename, "The phase's new name")->transform(storedText());
  addPhaseOptions(set, *job);
  set->callback([job, set, &exitCode] {
    job->command = set;
    exitCode = setProfile(*job);
  });

  CLI::App* remove = profile->add_subcommand("remove-phase", "Remove phases, named by number or name");
  file(remove);
  remove->add_option("phases", job->phases, "The phases' numbers or names")->required();
  remove->callback([job, remove, &exitCode] {
    job->command = remove;
    exitCode = removePhases(*job);
  });

  CLI::App* show = profile->add_subcommand("show", "List the profile's phases");
  file(show);
  show->add_flag("--json", job->json, "Write the profile as JSON");
  show->callback([job, show, &exitCode] {
    job->command = show;
    exitCode = showProfile(*job);
  });

  CLI::App* calc = profile->add_subcommand(
      "calc", "Calculate the profile: each phase's FR, MTBF and R, and the profile's average FR, equivalent MTBF "
              "and R (the circuit files are not changed)");
  file(calc);
  calc->add_option("--repeat", job->repetitions, "Also the reliability after N profiles back to back")
      ->check(CLI::Range(1, 1000000));
  calc->add_option("--contributors", job->contributors, "Top contributors listed per phase (default 5)")
      ->check(CLI::Range(0, 100));
  calc->add_flag("--json", job->json, "Write the results as JSON");
  calc->callback([job, calc, &global, &exitCode] {
    job->command = calc;
    exitCode = calculateProfile(*job, global);
  });

  CLI::App* report = profile->add_subcommand("report", "Print the Mission Profile report to a .pdf, .rtf or .txt file");
  file(report);
  report->add_option("-o,--output", job->output, "The report file (.pdf, .rtf, .txt)")->required();
  report->add_option("--repeat", job->repetitions, "Also the reliability after N profiles")->check(CLI::Range(1, 1000000));
  report->add_option("--paper", job->paper, "Paper: " + std::string(kPaperChoices) + " (default: Print Setup's)");
  report->callback([job, report, &global, &exitCode] {
    job->command = report;
    exitCode = reportProfile(*job, global);
  });

  CLI::App* chart = profile->add_subcommand(
      "chart", "Draw a chart of the profile: rate (FR per phase, bars) or reliability (R over the mission time)");
  file(chart);
  chart->add_option("chart", job->chart, "rate or reliability")->required();
  chart->add_option("-o,--output", job->output, "The chart file (.svg, .png, .pdf)")->required();
  chart->callback([job, chart, &global, &exitCode] {
    job->command = chart;
    exitCode = chartProfile(*job, global);
  });

}

}  // namespace kestrel::cli
