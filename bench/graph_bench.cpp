// Graphs of a large hierarchy: a 20-point temperature sweep of a three-level
// hierarchy of 10 000 records (a system over 10 assemblies over 10 boards of
// 100 parts each), copied once into the temporary folder and calculated 20
// times; and a high-value graph of the same hierarchy (one calculation).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "core/circ_file.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "graph/graph_run.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

constexpr int kAssemblies = 10;
constexpr int kBoardsPerAssembly = 10;
constexpr int kPartsPerBoard = 100;

void save(CCircDoc& doc, const std::string& path) {
  if (!saveDocument(posixFileSystem(), doc, path).isOk()) std::abort();
}

std::unique_ptr<CPart> subCircuit(const std::string& file) {
  auto sub = PartRegistry::instance().create(kSubCircuitType, false);
  sub->FileName = file;
  sub->PN = file;
  return sub;
}

// The hierarchy on disk; returns the top document's path.
std::string writeHierarchy(const std::string& dir) {
  registerAllParts();
  CCircDoc top;
  for (int a = 0; a < kAssemblies; ++a) {
    CCircDoc assembly;
    for (int b = 0; b < kBoardsPerAssembly; ++b) {
      CCircDoc board;
      board.header().TEMP = 40.0f;
      for (int p = 0; p < kPartsPerBoard; ++p) {
        std::unique_ptr<CPart> part;
        if (p % 2 == 0) {
          part = PartRegistry::instance().create(401, false);
          auto& r = static_cast<CResistor&>(*part);
          r.TYPE = static_cast<std::uint8_t>(1 + p % 15);
          r.PSTRESS = static_cast<float>(10 + p % 80);
        } else {
          part = PartRegistry::instance().create(kMiscType, false);
          auto& m = static_cast<CMisc&>(*part);
          m.METHOD = 2;
          m.BASEFR = 0.01f * static_cast<float>(1 + p % 9);
          m.EA = 0.3f + 0.01f * static_cast<float>(p % 20);
        }
        part->PN = strprintf("PN-%d", p);
        board.appendLoaded(std::move(part));
      }
      const std::string name = strprintf("B%d_%d.CIR", a, b);
      save(board, dir + "/" + name);
      assembly.insertSorted(subCircuit(name));
    }
    const std::string name = strprintf("A%d.CIR", a);
    save(assembly, dir + "/" + name);
    top.insertSorted(subCircuit(name));
  }
  save(top, dir + "/SYSTEM.CIR");
  return dir + "/SYSTEM.CIR";
}

struct Hierarchy {
  Hierarchy() : dir(strprintf("/tmp/kestrel-bench-graph-%d", static_cast<int>(::getpid()))) {
    std::filesystem::create_directories(dir);
    top = writeHierarchy(dir);
  }
  ~Hierarchy() { std::filesystem::remove_all(dir); }
  std::string dir;
  std::string top;
};

void runGraphBenchmark(benchmark::State& state, const graph::GraphSettings& settings) {
  static Hierarchy hierarchy;
  graph::GraphJob job;
  job.topPath = hierarchy.top;
  job.settings = settings;
  SilentUi ui;
  graph::GraphOutcome out;
  for (auto _ : state) {
    out = graph::runGraph(job, posixFileSystem(), graph::posixScratchFiles(), ui);
    if (!out.ok || !out.scratchRemoved) state.SkipWithError("graph run failed");
  }
  state.counters["records"] = kAssemblies * kBoardsPerAssembly * kPartsPerBoard;
  state.counters["files_copied"] = out.filesCopied;
  state.counters["points"] = static_cast<double>(out.data.series.empty() ? 1 : out.data.series.front().size());
}

void BM_TemperatureSweep20Points(benchmark::State& state) {
  graph::GraphSettings s;
  s.type = graph::kFrVsTemperature;
  s.from = -50, s.to = 140, s.step = 10;  // 20 points
  runGraphBenchmark(state, s);
}
BENCHMARK(BM_TemperatureSweep20Points)->Unit(benchmark::kMillisecond);

void BM_PartRecordsTop10(benchmark::State& state) {
  graph::GraphSettings s;
  s.type = graph::kFrPartRecords;
  s.maxItems = 10;
  runGraphBenchmark(state, s);
}
BENCHMARK(BM_PartRecordsTop10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
