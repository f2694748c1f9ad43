// A hierarchy on disk: the basic calculation of a system over 200 child
// files of 500 records each (every child read, calculated and saved the safe
// way), and the mission MTBF of a three-level hierarchy with parallel and
// K-of-N levels.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "bench_hierarchy.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

using bench::benchFolder;
using bench::saveCircuit;

void BM_HierarchyOf200Children(benchmark::State& state) {
  registerAllParts();
  const std::string dir = benchFolder("wide");
  std::unique_ptr<CCircDoc> top;
  (void)loadDocument(posixFileSystem(), bench::writeWideHierarchy(dir), top);
  SilentUi ui;
  for (auto _ : state) {
    DocumentSubFiles files(posixFileSystem());
    CalcContext context(ui, &files);
    const bool ok = top->BasicCalc(context, 0, 8760.0);
    if (!ok) state.SkipWithError("calculation failed");
  }
  state.counters["records"] = 200.0 * 500.0;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_HierarchyOf200Children)->Unit(benchmark::kMillisecond);

void BM_MissionMtbfThreeLevels(benchmark::State& state) {
  registerAllParts();
  const std::string dir = benchFolder("deep");
  // Leaves in parallel, a K-of-N middle level over four leaves, a serial top over two.
  for (int i = 0; i < 8; ++i) saveCircuit(dir + "/LEAF" + std::to_string(i) + ".CIR", 2, 0, 20, 2.0, {});
  saveCircuit(dir + "/MIDA.CIR", 3, 3, 0, 0, {"LEAF0.CIR", "LEAF1.CIR", "LEAF2.CIR", "LEAF3.CIR"});
  saveCircuit(dir + "/MIDB.CIR", 3, 2, 0, 0, {"LEAF4.CIR", "LEAF5.CIR", "LEAF6.CIR", "LEAF7.CIR"});
  saveCircuit(dir + "/TOP.CIR", 1, 0, 10, 0.5, {"MIDA.CIR", "MIDB.CIR"});
  std::unique_ptr<CCircDoc> top;
  (void)loadDocument(posixFileSystem(), dir + "/TOP.CIR", top);
  SilentUi ui;
  long evaluations = 0;
  for (auto _ : state) {
    DocumentSubFiles files(posixFileSystem());
    CalcContext context(ui, &files);
    evaluations = 0;
    const CalculateOutcome out = runCalculate(*top, context, {true, 8760.0});
    evaluations = out.evaluations;
    if (!out.ok) state.SkipWithError("calculation failed");
  }
  state.counters["R_evaluations"] = static_cast<double>(evaluations);
  state.counters["missionMTBF_h"] = top->header().MissionMTBF;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_MissionMtbfThreeLevels)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
