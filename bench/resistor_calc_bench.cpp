// The basic calculation of a circuit of MaxRecs resistors of mixed styles,
// environments and stresses.
#include <benchmark/benchmark.h>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

void BM_CalcMaxRecsResistors(benchmark::State& state) {
  registerAllParts();
  CCircDoc doc;
  doc.header().ENV = 6;
  doc.header().TEMP = 45.0f;
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    auto part = std::make_unique<CResistor>();
    part->PART_TYPE = 401;
    part->TYPE = static_cast<std::uint8_t>(1 + i % 16);
    part->QU = static_cast<std::uint8_t>(1 + i % 6);
    part->PSTRESS = static_cast<float>(i % 100);
    part->TRISE = static_cast<float>(i % 40);
    part->PN = "RNC55H" + std::to_string(1000 + i % 977);
    doc.appendLoaded(std::move(part));
  }
  SilentUi ui;
  CalcContext context{ui};
  for (auto _ : state) {
    const bool ok = doc.BasicCalc(context, 0, 8760.0);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMaxRecs));
}
BENCHMARK(BM_CalcMaxRecsResistors)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
