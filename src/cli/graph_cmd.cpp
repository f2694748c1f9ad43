// kestrel graph: a sweep or high-value graph of a hierarchy, run on copies
// in a temporary folder; writes GRAPH-DATA.CSV beside the top-level document
// and the chart as SVG, PNG or PDF.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/terminal_ui.hpp"
#include "core/calculate_command.hpp"
#include "core/document_json.hpp"
#include "core/file_system.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "graph/chart_file.hpp"
#include "graph/graph_definition.hpp"
#include "graph/graph_json.hpp"
#include "graph/graph_run.hpp"

namespace kestrel::cli {
namespace {

struct GraphCommandJob {
  std::string file;
  bool json = false;  // the data series as JSON on stdout
  std::string type;
  long from = 0, to = 0, step = 0;
  std::string environments;
  long maxItems = 0;
  bool topOnly = false;
  bool years = false;
  double mission = -1.0;
  std::vector<std::string> outputs;
  std::string openGdf;
  std::string saveGdf;
  std::string scale;
  std::string size;
  // Which of the options were given (they override a definition file).
  const CLI::App* command = nullptr;
  bool given(const char* name) const { return command->count(name) > 0; }
};

bool parseSize(const std::string& text, graph::ChartStyle& style) {
  int w = 0, h = 0;
  char x = 0;
  if (std::sscanf(text.c_str(), "%d%c%d", &w, &x, &h) != 3 || (x != 'x' && x != 'X') || w < graph::kMinChartSide ||
      w > graph::kMaxChartSide || h < graph::kMinChartSide || h > graph::kMaxChartSide) {
    std::cerr << "kestrel: --size takes WIDTHxHEIGHT, each " << graph::kMinChartSide << ".." << graph::kMaxChartSide
              << '\n';
    return false;
  }
  style.width = w;
  style.height = h;
  return true;
}

// The definition to run: a definition file's, or a type's defaults, with
// every option given on the command line in place of its value.
bool buildDefinition(const GraphCommandJob& job, Session& session, graph::GraphDefinition& d) {
  if (!job.openGdf.empty()) {
    if (Status s = graph::openGraphDefinition(posixFileSystem(), job.openGdf, d); !s) {
      std::cerr << "kestrel: " << graph::graphDefinitionFailure(s, job.openGdf) << '\n';
      return false;
    }
    graph::rememberGraphDefinition(session.settings, job.openGdf);
  }
  if (!job.type.empty()) {
    const auto type = graph::findGraphType(job.type);
    if (!type) {
      std::cerr << "kestrel: --type: '" << job.type << "' is not a graph type; the types are:\n";
      for (int t = 0; t < graph::kGraphTypeCount; ++t) {
        std::cerr << "  " << t << "  " << graph::graphTypeAlias(t) << "  \"" << graph::graphTypeName(t) << "\"\n";
      }
      return false;
    }
    if (job.openGdf.empty() || *type != d.settings.type) d.settings = graph::defaultSettings(*type);
  } else if (job.openGdf.empty()) {
    std::cerr << "kestrel: graph needs --type (or --open-gdf)\n";
    return false;
  }
  graph::GraphSettings& s = d.settings;
  if (job.given("--from")) s.from = job.from;
  if (job.given("--to")) s.to = job.to;
  if (job.given("--step")) s.step = job.step;
  if (job.given("--env")) s.environments = job.environments;
  if (job.given("--max-items")) s.maxItems = job.maxItems;
  if (job.given("--top-only")) s.includeHierarchy = false;
  if (job.given("--years")) {
    s.timeUnit = graph::TimeUnit::Years;
    if (!job.given("--from") && !job.given("--to") && !job.given("--step")) s.from = 0, s.to = 20, s.step = 2;
  }
  if (job.given("--mission")) {
    s.mission = true;
    s.missionTime = job.mission;
  }
  if (!job.scale.empty()) {
    const std::string scale = upperCased(job.scale);
    if (scale == "AUTO") {
      d.style.scale = graph::ValueScale::Automatic;
    } else if (scale == "LINEAR") {
      d.style.scale = graph::ValueScale::Linear;
    } else if (scale == "LOG") {
      d.style.scale = graph::ValueScale::Logarithmic;
    } else {
      std::cerr << "kestrel: --scale takes auto, linear or log\n";
      return false;
    }
  }
  return job.size.empty() || parseSize(job.size, d.style);
}

// An output file other than a chart: the data file's text, written the safe way.
Status writeText(const std::string& path, const std::string& text) {
  FileSystem& fs = posixFileSystem();
  const std::string temporary = path + ".tmp";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (Status s = fs.writeFile(temporary, {bytes, text.size()}); !s) {
    (void)fs.remove(temporary);
    return s;
  }
  if (Status s = fs.rename(temporary, path); !s) {
    (void)fs.remove(temporary);
    return s;
  }
  return Status::ok();
}

int writeOutputs(const GraphCommandJob& job, const graph::GraphOutcome& outcome, Session& session) {
  int code = kExitOk;
  for (const std::string& out : job.outputs) {
    const bool csv = upperCased(out).ends_with(".CSV");
    const Status s = csv ? writeText(out, outcome.csvText) : graph::writeChartFile(posixFileSystem(), outcome.plot, out);
    if (!s) {
      std::cerr << "kestrel: " << s.message() << '\n';
      code = kExitUserError;
      continue;
    }
    session.log.line("   ...wrote '" + out + "'.");
    if (!job.json) std::cout << (csv ? "Graph data: " : "Chart: ") << out << '\n';
  }
  return code;
}

int runGraphCommand(const GraphCommandJob& job, const GlobalOptions& global) {
  for (const std::string& out : job.outputs) {
    if (!upperCased(out).ends_with(".CSV") && !graph::chartFormatForPath(out)) {
      std::cerr << "kestrel: -o '" << out << "': use a .csv, .svg, .png or .pdf name\n";
      return kExitUserError;
    }
  }
  Session& session = global.session();
  DocumentLock gdfLock;  // the definition may be read from the file it is saved to
  if (!job.saveGdf.empty() && !lockForChange(job.saveGdf, gdfLock)) return kExitUserError;
  graph::GraphDefinition definition;
  if (!buildDefinition(job, session, definition)) return kExitUserError;

  graph::GraphJob run;
  run.topPath = job.file;
  run.settings = definition.settings;
  run.style = definition.style;
  run.confirmFirst = false;  // a graph changes no document: nothing to ask
  session.beginLog("GRAPH");
  graph::GraphOutcome outcome;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    if (run.settings.mission) run.settings.missionTime = limitedMissionTime(run.settings.missionTime, ui);
    outcome = graph::runGraph(run, posixFileSystem(), graph::posixScratchFiles(), ui);
  }
  if (!outcome.scratchRemoved && !outcome.scratchPath.empty()) {
    fileMessage(outcome.scratchPath, "the temporary folder could not be removed");
  }
  if (!outcome.ok) {
    session.log.line("   ...the graph did not complete.");
    session.log.end();
    fileMessage(job.file, "the graph did not complete; no document was changed");
    return kExitUserError;
  }
  session.log.line("   ...wrote '" + outcome.csvPath + "'.");
  if (!job.json) std::cout << "Graph data: " << outcome.csvPath << '\n';
  int code = writeOutputs(job, outcome, session);
  if (job.outputs.empty() && !job.json) std::cout << outcome.csvText;

  if (!job.saveGdf.empty()) {
    definition.settings = run.settings;
    if (Status s = graph::saveGraphDefinition(posixFileSystem(), job.saveGdf, definition); !s) {
      std::cerr << "kestrel: " << graph::graphDefinitionFailure(s, job.saveGdf) << '\n';
      code = kExitUserError;
    } else {
      graph::rememberGraphDefinition(session.settings, job.saveGdf);
      if (!job.json) std::cout << "Graph definition: " << job.saveGdf << '\n';
    }
  }
  session.log.end();
  if (job.json) {
    JsonWriter out(std::cout);
    out.beginCommandDocument("graph");
    out.key("csvFile");
    out.string(mixedToUtf8(outcome.csvPath));
    out.key("outputs");
    out.beginArray();
    for (const std::string& o : job.outputs) out.string(mixedToUtf8(o));
    out.endArray();
    graph::writeGraphDataJson(out, outcome.data);
    out.endObject();
    out.finish();
  }
  return code;
}

}  // namespace

void addGraphCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<GraphCommandJob>();
  CLI::App* cmd = app.add_subcommand("graph", "Graph a hierarchy: sweeps of temperature, environment, stress or "
                                              "time, or its highest failure rates (the files are not changed)");
  job->command = cmd;
  cmd->add_option("file", job->file, "The top-level circuit or hybrid file")->required();
  cmd->add_option("--type", job->type,
                  "Graph type: 0..14, its name (\"FR vs Temperature\") or short name (fr-temp, fr-env, fr-temp-env, "
                  "fr-stress, mtbf-temp, mtbf-env, mtbf-temp-env, mtbf-stress, fr-parts, fr-types, fr-cir, "
                  "pct-parts, pct-types, pct-cir, rel-time)");
  cmd->add_option("--from", job->from, "Start of the range (C, %, hours or years)");
  cmd->add_option("--to", job->to, "End of the range");
  cmd->add_option("--step", job->step, "Step of the range");
  cmd->add_option("--env", job->environments, "Environment codes, e.g. \"GB GF NS\" (at most 5)");
  cmd->add_option("--max-items", job->maxItems, "High-value graphs: how many items (3..100)");
  cmd->add_flag("--top-only", job->topOnly, "High-value graphs: the top-level document only");
  cmd->add_flag("--years", job->years, "Reliability vs Time: the range is in years");
  cmd->add_option("--mission", job->mission,
                  "Mission mode with this mission time in hours (MTBF is the mission MTBF, R the mission R)");
  cmd->add_option("-o,--output", job->outputs, "Write the data (.csv) or the chart (.svg, .png, .pdf); repeatable");
  cmd->add_option("--open-gdf", job->openGdf, "Take the graph from a graph definition file (.gdf)");
  cmd->add_option("--save-gdf", job->saveGdf, "Save the graph's definition to a .gdf file");
  cmd->add_option("--scale", job->scale, "Value axis: auto (log when failure rates span decades), linear or log");
  cmd->add_flag("--json", job->json, "Write the data series as JSON (the data file is written as ever)");
  cmd->add_option("--size", job->size, "Chart size in pixels, WIDTHxHEIGHT (default 900x560)");
  cmd->callback([job, &global, &exitCode] { exitCode = runGraphCommand(*job, global); });
}

}  // namespace kestrel::cli
