// kestrel demo: calculates a small built-in circuit and prints its results
// and parts list, as a first look at what the program does.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/terminal_ui.hpp"
#include "core/document_json.hpp"
#include "core/sample_circuit.hpp"
#include "core/text_lines.hpp"
#include "core/windows1252.hpp"

namespace kestrel::cli {
namespace {

struct DemoJob {
  bool json = false;
  double missionTime = 8760.0;
};

int runDemo(const DemoJob& job, const GlobalOptions& global) {
  auto doc = makeSampleCircuit();
  TerminalUi ui(global.assumeYes, global.quiet);
  CalcContext context{ui};
  const bool ok = doc->BasicCalc(context, 0, job.missionTime);
  ui.finishProgress();
  if (!ok) return kExitUserError;

  const CCircHeader& h = doc->header();
  if (job.json) {
    nlohmann::json records = nlohmann::json::array();
    for (const auto& part : doc->records()) {
      records.push_back({{"pn", kestrel::windows1252ToUtf8(part->PN)},
                         {"type", part->GetTypeName()},
                         {"refdes", kestrel::windows1252ToUtf8(part->REFDES)},
                         {"qty", part->QTY},
                         {"fr", part->FR},
                         {"tfr", part->TFR()},
                         {"temperature", part->T}});
    }
    nlohmann::json out = {{"command", "demo"},
                          {"schema", kestrel::kJsonSchema},
                          {"title", kestrel::mixedToUtf8(doc->title())},
                          {"failureRate", h.TotalFR},
                          {"mtbf", h.MTBF},
                          {"parts", h.PartsCount},
                          {"basicReliability", h.BasicR},
                          {"missionTime", h.MissionTime},
                          {"records", records}};
    std::cout << out.dump(2) << '\n';
    return kExitOk;
  }
  std::cout << h.headingLine1(false) << '\n';
  for (const auto& part : doc->records()) {
    std::cout << shortListLine(*part, doc->shareBase(), true) << '\n';
  }
  std::cout << '\n';
  for (const std::string& line : doc->resultLines(false)) std::cout << line << '\n';
  return kExitOk;
}

}  // namespace

void addDemoCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<DemoJob>();
  CLI::App* cmd = app.add_subcommand("demo", "Calculate a small built-in sample circuit");
  cmd->add_flag("--json", job->json, "Write the results as JSON");
  cmd->add_option("--mission-time", job->missionTime, "Mission time in hours")
      ->check(CLI::Range(0.000001, 10000000.0));
  cmd->callback([job, &global, &exitCode] { exitCode = runDemo(*job, global); });
}

}  // namespace kestrel::cli
