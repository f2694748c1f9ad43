// The basic calculation of circuits of MaxRecs capacitors, potentiometers and
// inductive devices (each class alone, then the three mixed), with styles,
// qualities, stresses and temperature rises spread over their lists.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/passive_semis/capacitor.hpp"
#include "models/passive_semis/inductive.hpp"
#include "models/passive_semis/potentiometer.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

std::unique_ptr<CPart> capacitor(std::size_t i) {
  auto part = std::make_unique<CCapacitor>();
  part->PART_TYPE = 403;
  part->TYPE = static_cast<std::uint8_t>(1 + i % 32);
  part->QU = static_cast<std::uint8_t>(1 + i % 9);
  part->CAPUNIT = static_cast<std::uint8_t>(1 + i % 3);
  part->CAP = static_cast<float>(1 + i % 470);
  part->CIRCR = static_cast<float>(i % 10) * 0.1f;
  part->VSTRESS = static_cast<float>(i % 100);
  part->TRISE = static_cast<float>(i % 40);
  part->PN = "M39014/" + std::to_string(1000 + i % 977);
  return part;
}

std::unique_ptr<CPart> potentiometer(std::size_t i) {
  auto part = std::make_unique<CPotentiometer>();
  part->PART_TYPE = 402;
  part->TYPE = static_cast<std::uint8_t>(1 + i % 11);
  part->QU = static_cast<std::uint8_t>(1 + i % 6);
  part->PMAX = 0.25f + static_cast<float>(i % 8);
  part->PSTRESS = static_cast<float>(i % 100);
  part->TRISE = static_cast<float>(i % 40);
  part->PN = "RJ24FW" + std::to_string(100 + i % 977);
  return part;
}

std::unique_ptr<CPart> inductive(std::size_t i) {
  auto part = std::make_unique<CInductive>();
  part->PART_TYPE = 404;
  part->TYPE = static_cast<std::uint8_t>(1 + i % 7);
  part->QU = static_cast<std::uint8_t>(1 + i % (part->TYPE <= 5 ? 2 : 6));
  part->TRISE = static_cast<float>(i % 60);
  part->PN = "M27/" + std::to_string(100 + i % 977);
  return part;
}

std::unique_ptr<CPart> mixed(std::size_t i) {
  switch (i % 3) {
    case 0:
      return capacitor(i / 3);
    case 1:
      return potentiometer(i / 3);
    default:
      return inductive(i / 3);
  }
}

void runCircuit(benchmark::State& state, const std::function<std::unique_ptr<CPart>(std::size_t)>& make) {
  registerAllParts();
  CCircDoc doc;
  doc.header().ENV = 6;
  doc.header().TEMP = 45.0f;
  for (std::size_t i = 0; i < kMaxRecs; ++i) doc.appendLoaded(make(i));
  SilentUi ui;
  CalcContext context{ui};
  if (!doc.BasicCalc(context, 0, 8760.0) || doc.count() != kMaxRecs) {
    state.SkipWithError("the calculation failed");
    return;
  }
  for (auto _ : state) {
    const bool ok = doc.BasicCalc(context, 0, 8760.0);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(doc.header().TotalFR);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMaxRecs));
  state.counters["ns_per_record"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kMaxRecs,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CalcMaxRecsCapacitors(benchmark::State& state) { runCircuit(state, capacitor); }
void BM_CalcMaxRecsPotentiometers(benchmark::State& state) { runCircuit(state, potentiometer); }
void BM_CalcMaxRecsInductive(benchmark::State& state) { runCircuit(state, inductive); }
void BM_CalcMaxRecsMixedPassive(benchmark::State& state) { runCircuit(state, mixed); }
BENCHMARK(BM_CalcMaxRecsCapacitors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsPotentiometers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsInductive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsMixedPassive)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
