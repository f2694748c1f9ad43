// The basic calculation of circuits of MaxRecs microcircuits: each class of
// the microcircuit family (EEPROMs among the PROMs), VHSIC/VLSI, GaAs MMIC
// and digital ICs, and a mix of all nine, over the three junction-temperature
// modes, qualities, packages and environments' worth of variety per record.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/micro_electromech/microcircuit.hpp"
#include "models/micro_electromech/mmic.hpp"
#include "models/micro_electromech/vlsi.hpp"
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

// A part number: a letter and a number of four digits.
std::string pnOf(char letter, std::size_t i) {
  std::string pn(1, letter);
  pn.append(std::to_string(1000 + i % 977));
  return pn;
}

std::unique_ptr<CPart> microcircuit(std::size_t i, std::uint16_t id, float maxComplexity) {
  auto ic = std::make_unique<CIC>(*microcircuitFamilyMember(id));
  ic->PART_TYPE = id;
  ic->TECH = static_cast<std::uint8_t>(1 + i % (id == 107 ? 2 : 10));
  ic->TYPE = static_cast<std::uint8_t>(1 + (i / 3) % (id == 104 ? 2 : 4));
  ic->COMPLEX = static_cast<float>(1 + (i * 7919) % static_cast<std::size_t>(maxComplexity));
  ic->LEARN = static_cast<std::uint8_t>(1 + i % 2);
  ic->YEARS = static_cast<float>(i % 20) * 0.1f + 0.05f;
  ic->QU = static_cast<std::uint8_t>(1 + i % 5);
  ic->PKG = static_cast<std::uint8_t>(1 + i % 7);
  ic->PINS = static_cast<float>(8 + i % 200);
  ic->PROCESS = static_cast<std::uint8_t>(1 + i % 2);
  ic->ECC = static_cast<std::uint8_t>(1 + i % 3);
  ic->CYCLES = static_cast<float>(1 + (i * 997) % 500000);
  thermalFor(ic->thermal, i);
  ic->PN = pnOf('U', i);
  return ic;
}

std::unique_ptr<CPart> logic(std::size_t i) { return microcircuit(i, 101, 60000); }
std::unique_ptr<CPart> pla(std::size_t i) { return microcircuit(i, 102, 20000); }
std::unique_ptr<CPart> micro(std::size_t i) { return microcircuit(i, 103, 32); }
std::unique_ptr<CPart> ram(std::size_t i) { return microcircuit(i, 104, 1048576); }
std::unique_ptr<CPart> rom(std::size_t i) { return microcircuit(i, 105, 1048576); }
std::unique_ptr<CPart> prom(std::size_t i) { return microcircuit(i, 106, 1048576); }
std::unique_ptr<CPart> linear(std::size_t i) { return microcircuit(i, 107, 10000); }

std::unique_ptr<CPart> vlsi(std::size_t i) {
  auto v = std::make_unique<CVLSI>();
  v->PART_TYPE = 108;
  v->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  v->MFG = static_cast<std::uint8_t>(1 + (i / 2) % 2);
  v->FSIZE = 0.25f + static_cast<float>(i % 8) * 0.2f;
  v->AREA = 0.1f + static_cast<float>(i % 10) * 0.45f;
  v->QU = static_cast<std::uint8_t>(1 + i % 5);
  v->PKG = static_cast<std::uint8_t>(1 + i % 6);
  v->PINS = static_cast<float>(16 + i % 400);
  v->VOLTS = static_cast<float>((i * 331) % 25000);
  thermalFor(v->thermal, i);
  v->PN = pnOf('V', i);
  return v;
}

std::unique_ptr<CPart> mmic(std::size_t i) {
  auto m = std::make_unique<CMMIC>();
  m->PART_TYPE = 122;
  m->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  m->APP = static_cast<std::uint8_t>(1 + i % 3);
  m->COMPLEX = static_cast<float>(1 + (i * 37) % (m->TYPE == 1 ? 1000 : 10000));
  m->LEARN = static_cast<std::uint8_t>(1 + i % 2);
  m->YEARS = static_cast<float>(i % 20) * 0.1f + 0.05f;
  m->QU = static_cast<std::uint8_t>(1 + i % 5);
  m->PKG = static_cast<std::uint8_t>(1 + i % 7);
  m->PINS = static_cast<float>(8 + i % 100);
  thermalFor(m->thermal, i);
  m->PN = pnOf('G', i);
  return m;
}

using Maker = std::unique_ptr<CPart> (*)(std::size_t);
constexpr Maker kAll[] = {logic, pla, micro, ram, rom, prom, linear, vlsi, mmic};

std::unique_ptr<CPart> mixed(std::size_t i) { return kAll[i % std::size(kAll)](i); }

void runCalc(benchmark::State& state, Maker make) {
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

BENCHMARK_CAPTURE(runCalc, Logic, logic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, PlaPal, pla)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, Micro, micro)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, Ram, ram)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, Rom, rom)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, PromAndEeprom, prom)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, Linear, linear)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, Vlsi, vlsi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, GaAsMmicAndDigital, mmic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runCalc, AllNineMixed, mixed)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
