// Libraries at scale: 10 000 recalls by part number into circuits from a
// 100 000-part library, and listing that library page by page.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"
#include "store/library/library_list.hpp"
#include "store/library/recall.hpp"
#include "library_100k.hpp"

namespace {

using namespace kestrel;
using bench::benchLibrary;
using bench::partNumber;

void BM_Recall10000PartsInto10Circuits(benchmark::State& state) {
  const std::string& path = benchLibrary();
  std::vector<library::RecallRequest> requests;
  for (long i = 0; i < 1000; ++i) requests.push_back({partNumber(i * 97 + 13), "R" + std::to_string(i)});
  SilentUi ui;
  for (auto _ : state) {
    long recalled = 0;
    for (int c = 0; c < 10; ++c) {
      CCircDoc doc;
      library::RecallCounters counters;
      (void)library::recallIntoDocument(doc, {path, false, "", 0}, requests, ui, counters);
      recalled += counters.recalled;
    }
    if (recalled != 10000) state.SkipWithError("not every part was recalled");
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Recall10000PartsInto10Circuits)->Unit(benchmark::kMillisecond);

// What the list view shows first: open, header lines, the first 40 lines.
void BM_FirstPageOf100000Parts(benchmark::State& state) {
  const std::string& path = benchLibrary();
  for (auto _ : state) {
    library::StoreMessage error;
    auto lib = library::PartLibrary::open(path, false, error);
    auto lines = library::libraryHeaderLines(*lib);
    library::LibraryPager pager(*lib);
    std::vector<library::LibEntry> page;
    pager.page(0, 40, page);
    for (const auto& e : page) lines.push_back(library::libraryListLine(e, 1));
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_FirstPageOf100000Parts)->Unit(benchmark::kMillisecond);

// Paging on through the list, 40 lines at a time.
void BM_NextPage(benchmark::State& state) {
  const std::string& path = benchLibrary();
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(path, false, error);
  library::LibraryPager pager(*lib);
  std::vector<library::LibEntry> page;
  long at = 0;
  for (auto _ : state) {
    pager.page(at, 40, page);
    at = page.size() == 40 ? at + 40 : 0;
    benchmark::DoNotOptimize(page);
  }
}
BENCHMARK(BM_NextPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
