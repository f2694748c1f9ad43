// The framework cost of the basic calculation: a document of MaxRecs records
// of a trivial part class, so that what is measured is the record walk, the
// totals and the statistics rather than any part model.
#include <benchmark/benchmark.h>

#include "core/circ_doc.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

class TrivialPart final : public CPart {
 public:
  static const ClassRecord kClass;
  const ClassRecord& classRecord() const override { return kClass; }
  void Calculate(CCircHeader&) override {
    OverFlags = 0;
    S = -1.0f;
    T = 25.0f;
    FR = CF * 0.5f;
    SmtCalcFlag = 0;
  }
};
const ClassRecord TrivialPart::kClass = makeClassRecord<TrivialPart>("CFuse");

std::unique_ptr<CCircDoc> fullCircuit() {
  auto doc = std::make_unique<CCircDoc>(DocKind::Circuit);
  // Spread over the statistics slots; sub-file types would need files.
  const auto types = menuTable(false).subspan(2);
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    auto part = std::make_unique<TrivialPart>();
    part->PART_TYPE = types[i % types.size()].id;
    part->PN = "PN" + std::to_string(i);
    doc->insertSorted(std::move(part));
  }
  return doc;
}

void BM_BasicCalcMaxRecs(benchmark::State& state) {
  auto doc = fullCircuit();
  SilentUi ui;
  CalcContext context{ui};
  if (!doc->BasicCalc(context, 0, 8760.0) || doc->count() != kMaxRecs) {
    state.SkipWithError("the calculation failed");
    return;
  }
  for (auto _ : state) {
    const bool ok = doc->BasicCalc(context, 0, 8760.0);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(doc->header().TotalFR);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMaxRecs));
  state.counters["ns_per_record"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kMaxRecs,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BasicCalcMaxRecs)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
