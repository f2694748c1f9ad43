// Saving and loading a circuit of MaxRecs records: encoding and decoding in
// memory, and the whole safe save and load through the file system.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include "core/circ_file.hpp"
#include "core/core_parts.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"

namespace kestrel {
namespace {

std::unique_ptr<CCircDoc> fullCircuit() {
  registerCoreParts();
  auto doc = std::make_unique<CCircDoc>(DocKind::Circuit);
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    auto part = PartRegistry::instance().create(kMiscType, false);
    part->PN = "M39003/01-" + std::to_string(2000 + i);
    part->REFDES = "C" + std::to_string(i + 1);
    part->DESCR = "Tantalum capacitor, solid";
    doc->appendLoaded(std::move(part));
  }
  return doc;
}

void BM_EncodeMaxRecs(benchmark::State& state) {
  auto doc = fullCircuit();
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto out = encodeDocument(*doc);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_EncodeMaxRecs)->Unit(benchmark::kMillisecond);

void BM_DecodeMaxRecs(benchmark::State& state) {
  const auto bytes = encodeDocument(*fullCircuit());
  for (auto _ : state) {
    CCircDoc doc;
    const bool ok = decodeDocument(bytes, DocKind::Circuit, doc).isOk();
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeMaxRecs)->Unit(benchmark::kMillisecond);

std::string benchPath() { return "/tmp/kestrel-bench-" + std::to_string(::getpid()) + ".cir"; }

// The whole save: encode, temporary file, flush to disk, read back, backup, rename.
void BM_SaveFileMaxRecs(benchmark::State& state) {
  auto doc = fullCircuit();
  const std::string path = benchPath();
  const std::size_t size = encodeDocument(*doc).size();
  for (auto _ : state) {
    const bool ok = saveDocument(posixFileSystem(), *doc, path).isOk();
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  ::unlink(path.c_str());
  ::unlink((path + ".BAK").c_str());
}
BENCHMARK(BM_SaveFileMaxRecs)->Unit(benchmark::kMillisecond);

void BM_LoadFileMaxRecs(benchmark::State& state) {
  auto doc = fullCircuit();
  const std::string path = benchPath();
  (void)saveDocument(posixFileSystem(), *doc, path);
  const std::size_t size = encodeDocument(*doc).size();
  for (auto _ : state) {
    std::unique_ptr<CCircDoc> loaded;
    const bool ok = loadDocument(posixFileSystem(), path, loaded).isOk();
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  ::unlink(path.c_str());
}
BENCHMARK(BM_LoadFileMaxRecs)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
