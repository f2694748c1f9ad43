// Export speed: a 16 000-record circuit file exported to each format through
// the whole run (load, rows, writer, temporary file, rename), and 100 000
// library rows (the library layout) through each writer. The baseline is
// gnumeric's ssconvert turning the same rows from our CSV into .xlsx.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "exchange/export/export_run.hpp"
#include "exchange/export/record_rows.hpp"
#include "models/register_all.hpp"

namespace {

using namespace kestrel;

const std::filesystem::path& scratch() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("kestrel_export_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

std::vector<std::uint16_t> partTypes() {
  registerAllParts();
  std::vector<std::uint16_t> types;
  for (const PartType& t : allPartTypes()) {
    if (t.id > kSubHybridType && PartRegistry::instance().isRegistered(t.id)) types.push_back(t.id);
  }
  return types;
}

const std::string& circuitFile() {
  static const std::string file = [] {
    const auto types = partTypes();
    CCircDoc doc;
    for (std::size_t i = 0; i < kMaxRecs; ++i) {
      auto part = PartRegistry::instance().create(types[i % types.size()], false);
      part->PN = "PN" + std::to_string(100000 + i);
      part->REFDES = "U" + std::to_string(i);
      part->DESCR = "bench part, \"typical\" description";
      doc.appendLoaded(std::move(part));
    }
    SilentUi ui;
    CalcContext context(ui);
    doc.BasicCalc(context, 0, -1.0);
    const std::string path = (scratch() / "board.cir").string();
    (void)saveDocument(posixFileSystem(), doc, path);
    return path;
  }();
  return file;
}

const std::vector<ExportRow>& libraryRows() {
  static const std::vector<ExportRow> rows = [] {
    const auto types = partTypes();
    std::vector<ExportRow> out;
    out.reserve(100000);
    RecordRowContext context;
    context.library = true;
    context.timeStamp = 1700000000;
    for (std::size_t i = 0; i < 100000; ++i) {
      auto part = PartRegistry::instance().create(types[i % types.size()], false);
      part->PN = "LIB" + std::to_string(100000 + i);
      part->DESCR = "library part";
      out.push_back(recordRow(*part, context));
    }
    return out;
  }();
  return rows;
}

void BM_CircuitExport(benchmark::State& state) {
  const auto format = static_cast<OutputFormat>(state.range(0));
  ExportJob job;
  job.inputs = {circuitFile()};
  job.output = (scratch() / ("board" + std::string(formatExtension(format)))).string();
  job.format = format;
  SilentUi ui;
  for (auto _ : state) {
    const ExportOutcome out = runExport(job, posixFileSystem(), ui);
    if (!out.ok()) state.SkipWithError("export failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(kMaxRecs));
  state.SetLabel(std::string(kOutputFormatNames[state.range(0)]));
}
BENCHMARK(BM_CircuitExport)->DenseRange(1, 5)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_LibraryRows(benchmark::State& state) {
  const auto format = static_cast<OutputFormat>(state.range(0));
  const auto& rows = libraryRows();
  const std::string path = (scratch() / ("library" + std::string(formatExtension(format)))).string();
  for (auto _ : state) {
    WriterOptions options;
    options.columns = kRecordColumns;
    std::unique_ptr<TableWriter> writer;
    if (!openTableWriter(format, path, options, posixFileSystem(), writer)) state.SkipWithError("open failed");
    for (const ExportRow& row : rows) (void)writer->writeRow(row);
    if (!writer->finish()) state.SkipWithError("finish failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(rows.size()));
  state.SetLabel(std::string(kOutputFormatNames[state.range(0)]));
}
BENCHMARK(BM_LibraryRows)->DenseRange(1, 5)->UseRealTime()->Unit(benchmark::kMillisecond);

// Baseline: ssconvert CSV -> xlsx of the same rows (our CSV export as input).
void BM_SsconvertBaseline(benchmark::State& state) {
  const bool library = state.range(0) == 1;
  const std::string csv = (scratch() / (library ? "library.csv" : "board.csv")).string();
  const long rows = library ? 100000 : static_cast<long>(kMaxRecs) + 1;
  if (!std::filesystem::exists(csv)) {
    state.SkipWithError("run the CSV benchmarks first");
    return;
  }
  const std::string out = (scratch() / "baseline.xlsx").string();
  for (auto _ : state) {
    if (std::system(("ssconvert " + csv + " " + out + " >/dev/null 2>&1").c_str()) != 0) {
      state.SkipWithError("ssconvert failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.SetLabel(library ? "ssconvert library.csv -> xlsx" : "ssconvert board.csv -> xlsx");
}
BENCHMARK(BM_SsconvertBaseline)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
