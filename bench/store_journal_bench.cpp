// What the rollback journal costs a library's writers: one part added per
// write bracket (the `kestrel lib add` case), and a transfer of 10 000 parts
// from ten circuit files into a new library.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"
#include "store/library/part_library.hpp"
#include "store/library/transfer.hpp"

namespace {

using namespace kestrel;

const std::string kFolder = "/tmp/kestrel-journal-bench";

std::unique_ptr<CPart> benchPart(long i) {
  auto part = PartRegistry::instance().create(i % 2 == 0 ? 401 : 302, false);
  part->PN = strprintf("JB%07ld", i);
  part->DESCR = "Bench part";
  return part;
}

std::unique_ptr<library::PartLibrary> freshLibrary(const std::string& name) {
  std::filesystem::create_directories(kFolder);
  const std::string path = kFolder + "/" + name;
  std::filesystem::remove(path);
  library::StoreMessage error;
  return library::PartLibrary::create(path, error);
}

void BM_LibraryAddOnePartPerBracket(benchmark::State& state) {
  registerAllParts();
  auto lib = freshLibrary("add.lib");
  long i = 0;
  for (auto _ : state) {
    if (lib->add(*benchPart(i++)) != library::Outcome::Ok) state.SkipWithError("add failed");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibraryAddOnePartPerBracket)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Transfer10000Parts(benchmark::State& state) {
  registerAllParts();
  const std::string circuits = kFolder + "/circuits";
  std::filesystem::create_directories(circuits);
  for (int c = 0; c < 10; ++c) {
    CCircDoc doc;
    for (long i = 0; i < 1000; ++i) doc.insertSorted(benchPart(c * 1000L + i));
    if (!saveDocument(posixFileSystem(), doc, strprintf("%s/B%02d.CIR", circuits.c_str(), c))) {
      state.SkipWithError("can not write the circuits");
      return;
    }
  }
  SilentUi ui;
  for (auto _ : state) {
    state.PauseTiming();
    auto lib = freshLibrary("transfer.lib");
    state.ResumeTiming();
    library::TransferOptions options;
    options.inputSpec = circuits + "/*.CIR";
    const auto outcome = library::runTransfer(*lib, options, posixFileSystem(), ui);
    if (outcome.total.succeed != 10000) state.SkipWithError("not every part was transferred");
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Transfer10000Parts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
