// The basic calculation of circuits of MaxRecs microwave transistors (every
// type, matching, metallization and application), optoelectronic devices
// (every family and type) and laser diodes, each alone and all three mixed,
// over all three junction-temperature modes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/passive_semis/laser_diode.hpp"
#include "models/passive_semis/microwave_transistor.hpp"
#include "models/passive_semis/opto.hpp"
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

std::unique_ptr<CPart> microwaveTransistor(std::size_t i) {
  auto m = std::make_unique<CMTrans>();
  m->PART_TYPE = 303;
  m->TYPE = static_cast<std::uint8_t>(1 + i % 6);
  m->MATCH = static_cast<std::uint8_t>(1 + i % 3);
  m->METAL = static_cast<std::uint8_t>(1 + (i / 6) % 2);
  m->APP = static_cast<std::uint8_t>(1 + (i / 12) % 2);
  m->QU = static_cast<std::uint8_t>(1 + i % 4);
  m->DC = static_cast<float>(1 + i % 50);
  m->FREQ = static_cast<float>(1 + i % 10);
  m->POWER = m->TYPE == 1 ? 0.05f * static_cast<float>(1 + i % 19) : static_cast<float>(1 + i % 6);
  m->VSTRESS = static_cast<float>(i % 56);
  m->STRESSMODE = 2;
  thermalFor(m->thermal, i);
  m->PN = "MRF" + std::to_string(900 + i % 977);
  return m;
}

std::unique_ptr<CPart> opto(std::size_t i) {
  auto o = std::make_unique<COpto>();
  o->PART_TYPE = 304;
  o->FAMILY = static_cast<std::uint8_t>(1 + i % 5);
  o->TYPE = static_cast<std::uint8_t>(1 + (i / 5) % optoTypesOf(o->FAMILY).count());
  o->CHAR = static_cast<float>(1 + i % 99);
  o->LOGIC = static_cast<std::uint8_t>(1 + i % 2);
  o->QU = static_cast<std::uint8_t>(1 + i % 5);
  thermalFor(o->thermal, i);
  o->PN = "4N" + std::to_string(25 + i % 977);
  return o;
}

std::unique_ptr<CPart> laserDiode(std::size_t i) {
  auto d = std::make_unique<CLaserDiode>();
  d->PART_TYPE = 305;
  d->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  d->QU = static_cast<std::uint8_t>(1 + i % 3);
  d->APP = static_cast<std::uint8_t>(1 + (i / 2) % 2);
  d->DC = static_cast<float>(1 + i % 100);
  d->PEAKI = static_cast<float>(1 + i % 25);
  d->PREQ = static_cast<float>(i % 950);
  d->TRISE = static_cast<float>(i % 80);
  d->PN = "LD" + std::to_string(100 + i % 977);
  return d;
}

std::unique_ptr<CPart> mixed(std::size_t i) {
  switch (i % 3) {
    case 0:
      return microwaveTransistor(i);
    case 1:
      return opto(i);
    default:
      return laserDiode(i);
  }
}

void runCalc(benchmark::State& state, std::unique_ptr<CPart> (*make)(std::size_t)) {
  registerAllParts();
  CCircDoc doc;
  doc.header().ENV = 6;
  doc.header().TEMP = 45.0f;
  for (std::size_t i = 0; i < kMaxRecs; ++i) doc.appendLoaded(make(i));
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

void BM_CalcMaxRecsMicrowaveTransistors(benchmark::State& state) {
  runCalc(state, microwaveTransistor);
}
void BM_CalcMaxRecsOptoelectronics(benchmark::State& state) {
  runCalc(state, opto);
}
void BM_CalcMaxRecsLaserDiodes(benchmark::State& state) {
  runCalc(state, laserDiode);
}
void BM_CalcMaxRecsMixedOptoAndMicrowave(benchmark::State& state) {
  runCalc(state, mixed);
}
BENCHMARK(BM_CalcMaxRecsMicrowaveTransistors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsOptoelectronics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsLaserDiodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcMaxRecsMixedOptoAndMicrowave)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
