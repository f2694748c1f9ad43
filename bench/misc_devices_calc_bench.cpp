// The basic calculation of circuits of MaxRecs records of quartz crystals,
// lamps, meters, filters, fuses, microwave devices, rotating devices and
// tubes: one circuit per class with mixed choices, and one of them all mixed.
// Items processed = records, so the rate reads as the per-record cost.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/micro_electromech/rotating_device.hpp"
#include "models/micro_electromech/tube.hpp"
#include "models/passive_semis/crystal.hpp"
#include "models/passive_semis/filter.hpp"
#include "models/passive_semis/fuse.hpp"
#include "models/passive_semis/lamp.hpp"
#include "models/passive_semis/meter.hpp"
#include "models/passive_semis/microwave_device.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

using Maker = std::function<std::unique_ptr<CPart>(std::size_t)>;

template <typename T>
std::unique_ptr<T> part(std::uint16_t typeId) {
  auto p = std::make_unique<T>();
  p->PART_TYPE = typeId;
  return p;
}

std::unique_ptr<CPart> crystal(std::size_t i) {
  auto p = part<CCrystal>(604);
  p->FREQ = static_cast<float>(1 + i % 300);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  return p;
}

std::unique_ptr<CPart> lamp(std::size_t i) {
  auto p = part<CLamp>(605);
  p->VOLTS = static_cast<float>(1 + i % 120);
  p->APP = static_cast<std::uint8_t>(1 + i % 2);
  p->UTILDC = static_cast<float>(1 + i % 100);
  return p;
}

std::unique_ptr<CPart> meter(std::size_t i) {
  auto p = part<CMeter>(603);
  p->APP = static_cast<std::uint8_t>(1 + i % 2);
  p->FUNCTION = static_cast<std::uint8_t>(1 + i % 3);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  return p;
}

std::unique_ptr<CPart> filter(std::size_t i) {
  auto p = part<CFilter>(606);
  p->FAMILY = static_cast<std::uint8_t>(1 + i % 6);
  p->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  return p;
}

std::unique_ptr<CPart> fuse(std::size_t) { return part<CFuse>(607); }

std::unique_ptr<CPart> microwaveDevice(std::size_t i) {
  auto p = part<CMDev>(608);
  p->TYPE = static_cast<std::uint8_t>(1 + i % 4);
  p->RATING = static_cast<std::uint8_t>(1 + i % 2);
  return p;
}

std::unique_ptr<CPart> rotating(std::size_t i) {
  auto p = part<CRotate>(501);
  p->FAMILY = static_cast<std::uint8_t>(1 + i % 3);
  p->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  p->OPTIME = static_cast<float>(1000 + i % 90000);
  p->SIZE = static_cast<std::uint8_t>(1 + i % 3);
  p->BRUSHES = static_cast<float>(1 + i % 4);
  p->TSTRESS = static_cast<float>(i % 100);
  p->TRISE = static_cast<float>(i % 60);
  return p;
}

std::unique_ptr<CPart> tube(std::size_t i) {
  auto p = part<CTube>(601);
  p->FAMILY = static_cast<std::uint8_t>(1 + i % 13);
  p->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  p->POWER = static_cast<float>(1 + i % 5);
  p->FREQ = static_cast<float>(1 + i % 6);
  p->YEARS = static_cast<float>(i % 5);
  p->RATIO = static_cast<float>(i % 100);
  return p;
}

std::unique_ptr<CPart> mixed(std::size_t i) {
  static const Maker makers[] = {crystal, lamp, meter, filter, fuse, microwaveDevice, rotating, tube};
  return makers[i % 8](i / 8);
}

void calcMaxRecs(benchmark::State& state, const Maker& make) {
  registerAllParts();
  CCircDoc doc;
  doc.header().ENV = 6;
  doc.header().TEMP = 45.0f;
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    auto p = make(i);
    p->PN = "MD" + std::to_string(1000 + i % 977);
    doc.appendLoaded(std::move(p));
  }
  SilentUi ui;
  CalcContext context{ui};
  for (auto _ : state) {
    const bool ok = doc.BasicCalc(context, 0, 8760.0);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMaxRecs));
}

BENCHMARK_CAPTURE(calcMaxRecs, Crystals, Maker(crystal))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Lamps, Maker(lamp))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Meters, Maker(meter))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Filters, Maker(filter))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Fuses, Maker(fuse))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, MicrowaveDevices, Maker(microwaveDevice))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, RotatingDevices, Maker(rotating))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Tubes, Maker(tube))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Mixed, Maker(mixed))->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
