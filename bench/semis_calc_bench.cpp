// The basic calculation of circuits of MaxRecs discrete semiconductors:
// transistors of every type and application, diodes of every family and
// type, and a mix of both, over all three junction-temperature modes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/passive_semis/diode.hpp"
#include "models/passive_semis/transistor.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

void thermalFor(JunctionTemp& t, std::size_t i) {
  t.MODE = static_cast<std::uint8_t>(1 + i % 3);
  t.PD = static_cast<float>(i % 7) * 0.1f;
  t.RJC = 20.0f;
  t.RCA = 40.0f;
  t.TADJ = 2.0f;
  t.TCA = static_cast<float>(i % 30);
  t.TJA = static_cast<float>(i % 60);
}

std::unique_ptr<CPart> transistor(std::size_t i) {
  auto t = std::make_unique<CTransistor>();
  t->PART_TYPE = 301;
  t->TYPE = static_cast<std::uint8_t>(1 + i % 5);
  t->APP = static_cast<std::uint8_t>(1 + (i / 5) % (t->TYPE <= 2 ? 2 : 3));
  t->QU = static_cast<std::uint8_t>(1 + i % 5);
  t->PMAX = static_cast<float>(1 + i % 300);
  t->VSTRESS = static_cast<float>(i % 100);
  thermalFor(t->thermal, i);
  t->PN = "2N" + std::to_string(2000 + i % 977);
  return t;
}

std::unique_ptr<CPart> diode(std::size_t i) {
  auto d = std::make_unique<CDiode>();
  d->PART_TYPE = 302;
  d->FAMILY = static_cast<std::uint8_t>(1 + i % 3);
  d->TYPE = static_cast<std::uint8_t>(1 + (i / 3) % 9);
  d->CONTACTS = static_cast<std::uint8_t>(1 + i % 2);
  d->QU = static_cast<std::uint8_t>(1 + i % 4);
  d->RATING = static_cast<float>(1 + i % 40);
  d->VSTRESS = static_cast<float>(i % 100);
  thermalFor(d->thermal, i);
  d->PN = "1N" + std::to_string(4000 + i % 977);
  return d;
}

void runCalc(benchmark::State& state, std::unique_ptr<CPart> (*make)(std::size_t), bool mixed) {
  registerAllParts();
  CCircDoc doc;
  doc.header().ENV = 6;
  doc.header().TEMP = 45.0f;
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    doc.appendLoaded(mixed && i % 2 == 1 ? diode(i) : make(i));
  }
  SilentUi ui;
  CalcContext context{ui};
  if (!doc.BasicCalc(context, 0, 8760.0)) {
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

void BM_CalcMaxRecsTransistors(benchmark::State& state) {
  runCalc(state, transistor, false);
}
void BM_CalcMaxRecsDiodes(benchmark::State& state) {
  runCalc(state, diode, false);
}
void BM_CalcMaxRecsTransistorsAndDiodes(benchmark::State& state) {
  runCalc(state, transistor, true);
}
BENCHMARK(BM_CalcMaxRecsTransistors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsDiodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsTransistorsAndDiodes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
