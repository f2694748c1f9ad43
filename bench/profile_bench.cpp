// Mission profiles of 8 phases: over the bundled example system, and over a
// serial system of 200 boards of 500 parts (the hierarchy is read once and
// calculated once per phase, then the reliability combined per phase, over
// the profile and along the curve).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_hierarchy.hpp"
#include "core/ui.hpp"
#include "graph/profile_run.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

MissionProfile eightPhases(const std::string& top) {
  MissionProfile profile{"Bench", top, {}};
  const std::uint8_t envs[] = {2, 3, 6, 7, 6, 2, 1, 2};
  for (int p = 0; p < 8; ++p) {
    profile.phases.push_back({"P" + std::to_string(p + 1), envs[p], 20.0 + 5.0 * p, 1.0 + p, p == 7 ? 0.0 : 100.0,
                              p == 7 ? 0.1 : 0.0});
  }
  return profile;
}

void runProfileBenchmark(benchmark::State& state, const std::string& profilePath, const MissionProfile& profile) {
  graph::ProfileJob job;
  job.profilePath = profilePath;
  job.profile = profile;
  job.repetitions = 10;
  SilentUi ui;
  ProfileResult result;
  for (auto _ : state) {
    if (!graph::runProfile(job, graph::posixScratchFiles(), ui, result).isOk()) state.SkipWithError("profile failed");
  }
  state.counters["R"] = result.reliability;
}

void BM_ProfileOfExampleSystem8Phases(benchmark::State& state) {
  registerAllParts();
  const std::string dir = bench::benchFolder("profile-example");
  for (const auto& entry : std::filesystem::directory_iterator(KESTREL_EXAMPLES)) {
    if (entry.is_regular_file()) std::filesystem::copy_file(entry.path(), dir + "/" + entry.path().filename().string());
  }
  runProfileBenchmark(state, dir + "/SORTIE.MPF", eightPhases("system.cir"));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ProfileOfExampleSystem8Phases)->Unit(benchmark::kMillisecond);

void BM_ProfileOf200x500Hierarchy8Phases(benchmark::State& state) {
  registerAllParts();
  const std::string dir = bench::benchFolder("profile-wide");
  bench::writeWideHierarchy(dir);
  runProfileBenchmark(state, dir + "/SORTIE.MPF", eightPhases("SYSTEM.CIR"));
  state.counters["records"] = 200.0 * 500.0;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ProfileOf200x500Hierarchy8Phases)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
