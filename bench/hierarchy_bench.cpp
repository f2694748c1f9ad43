// A hierarchy on disk: the basic calculation of a system over 200 child
// files of 500 records each (every child read, calculated and saved the safe
// way), and the mission MTBF of a three-level hierarchy with parallel and
// K-of-N levels.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

std::string benchFolder(const char* name) {
  const std::string dir = "/tmp/kestrel-bench-" + std::string(name) + "-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  return dir;
}

void saveCircuit(const std::string& path, std::uint8_t model, float k, int parts, double rate,
                 const std::vector<std::string>& children) {
  CCircDoc doc;
  doc.header().MODEL = model;
  doc.header().NREQ = k;
  for (int i = 0; i < parts; ++i) {
    auto part = PartRegistry::instance().create(kMiscType, false);
    static_cast<CMisc&>(*part).BASEFR = static_cast<float>(rate * (1 + i % 7));
    part->PN = "PN-" + std::to_string(i);
    doc.appendLoaded(std::move(part));
  }
  for (const std::string& child : children) {
    auto sub = PartRegistry::instance().create(kSubCircuitType, false);
    sub->FileName = child;
    sub->PN = child;
    doc.insertSorted(std::move(sub));
  }
  (void)saveDocument(posixFileSystem(), doc, path);
}

void BM_HierarchyOf200Children(benchmark::State& state) {
  registerAllParts();
  const std::string dir = benchFolder("wide");
  std::vector<std::string> children;
  for (int i = 0; i < 200; ++i) {
    children.push_back("BOARD" + std::to_string(i) + ".CIR");
    saveCircuit(dir + "/" + children.back(), 1, 0, 500, 0.01, {});
  }
  saveCircuit(dir + "/SYSTEM.CIR", 1, 0, 0, 0, children);
  std::unique_ptr<CCircDoc> top;
  (void)loadDocument(posixFileSystem(), dir + "/SYSTEM.CIR", top);
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
