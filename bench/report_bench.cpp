// A full-list report of a 10 000-record circuit, assembled, laid out and
// filed as PDF and as plain text (the whole job but the disk write).
#include <benchmark/benchmark.h>

#include "core/circ_doc.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"
#include "reports/pdf_device.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_printer.hpp"
#include "reports/text_device.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kRecords = 10000;

// Records of every registered part type in turn, with their default
// parameters, calculated once.
const CCircDoc& bigCircuit() {
  static const std::unique_ptr<CCircDoc> doc = [] {
    registerAllParts();
    auto d = std::make_unique<CCircDoc>();
    d->setPath("/bench/BIG.CIR");
    std::vector<std::uint16_t> types;
    for (const PartType& t : menuTable(false)) {
      if (t.id != kSubCircuitType && t.id != kSubHybridType && PartRegistry::instance().isRegistered(t.id)) {
        types.push_back(t.id);
      }
    }
    for (std::size_t i = 0; i < kRecords; ++i) {
      auto part = PartRegistry::instance().create(types[i % types.size()], false);
      part->PN = "PN-" + std::to_string(100000 + (i * 7919) % kRecords);
      part->REFDES = "X" + std::to_string(i + 1);
      part->DESCR = "Benchmark part " + std::to_string(i);
      part->QTY = static_cast<float>(1 + i % 5);
      d->appendLoaded(std::move(part));
    }
    SilentUi ui;
    CalcContext context(ui);
    if (!d->BasicCalc(context, 0, 8760.0)) std::abort();
    return d;
  }();
  return *doc;
}

template <typename Device>
void fullListReport(benchmark::State& state) {
  const CCircDoc& doc = bigCircuit();
  SilentUi ui;
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto report = createReport(1, ReportSettings{});
    Device device;
    if (!report->build(doc, ui) || !printReport(*report, device, ui).isOk()) {
      state.SkipWithError("report failed");
      break;
    }
    std::string out;
    if (!device.finish(out).isOk()) state.SkipWithError("finish failed");
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRecords));
}

void BM_FullListReportPdf(benchmark::State& state) { fullListReport<PdfDevice>(state); }
void BM_FullListReportText(benchmark::State& state) { fullListReport<TextDevice>(state); }

BENCHMARK(BM_FullListReportPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullListReportText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
