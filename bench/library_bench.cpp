// Libraries at scale: 10 000 recalls by part number into circuits from a
// 100 000-part library kept in a file and kept in a database side by side,
// listing that library page by page, and its copy into a database and back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"
#include "store/library/library_copy.hpp"
#include "store/library/library_list.hpp"
#include "store/library/recall.hpp"
#include "library_100k.hpp"
#include "support/pg_cluster.hpp"

namespace {

using namespace kestrel;
using bench::benchLibrary;
using bench::partNumber;

// A PostgreSQL server of the run's own, started when a benchmark first
// needs it and stopped at exit.
const kestrel::test::ThrowawayCluster& benchServer() {
  static const kestrel::test::ThrowawayCluster server;
  return server;
}

std::string databaseAddress(const std::string& library) {
  return "postgresql:///postgres?host=" + benchServer().folder() + "&user=kestrel&library=" + library;
}

// The 100 000-part library copied into the server once per run.
const std::string& benchDatabaseLibrary() {
  static const std::string address = [] {
    std::string where = databaseAddress("bench100k");
    SilentUi ui;
    if (!library::copyLibrary(benchLibrary(), where, ui).ok) std::abort();
    return where;
  }();
  return address;
}

// Arg 0: the library file; 1: the same library in a database over a local socket.
void BM_Recall10000PartsInto10Circuits(benchmark::State& state) {
  const std::string& path = state.range(0) == 0 ? benchLibrary() : benchDatabaseLibrary();
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
BENCHMARK(BM_Recall10000PartsInto10Circuits)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The 100 000-part library file copied into a database and back into a new
// file, every record checked byte for byte against the first.
void BM_CopyLibraryIntoADatabaseAndBack(benchmark::State& state) {
  const std::string& path = benchLibrary();
  const std::string back = "/tmp/kestrel-library-bench-copy.lib";
  static int run = 0;  // a new library for every run of every repetition
  SilentUi ui;
  for (auto _ : state) {
    const std::string there = databaseAddress("copy" + std::to_string(++run));
    std::filesystem::remove(back);
    if (!library::copyLibrary(path, there, ui).ok || !library::copyLibrary(there, back, ui).ok) {
      state.SkipWithError("the copy failed");
      break;
    }
    state.PauseTiming();
    library::StoreMessage error;
    auto a = library::PartLibrary::open(path, false, error);
    auto b = library::PartLibrary::open(back, false, error);
    library::LibEntry x, y;
    long same = 0;
    library::Outcome ox = a->first(x), oy = b->first(y);
    for (; ox == library::Outcome::Ok && oy == library::Outcome::Ok && x.blob == y.blob && x.pn == y.pn && x.stamp == y.stamp;
         ox = a->next(library::LibEntry(x), x), oy = b->next(library::LibEntry(y), y)) {
      ++same;
    }
    if (same != bench::kParts || ox != library::Outcome::End || oy != library::Outcome::End) {
      state.SkipWithError("the copy differs from the library");
    }
    state.ResumeTiming();
  }
  std::filesystem::remove(back);
  state.SetItemsProcessed(state.iterations() * 2 * bench::kParts);
}
BENCHMARK(BM_CopyLibraryIntoADatabaseAndBack)->Iterations(1)->Unit(benchmark::kSecond);

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
