// Import speed: CSV, .xlsx and SQLite tables of mixed part types, 30
// columns, into circuits of 16 000 records; reading a 100 000-row CSV; and,
// as the baseline, the sqlite3 shell's own .import of the same CSV.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/strfmt.hpp"
#include "exchange/import_run.hpp"
#include "exchange/table_reader.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

const char* kColumns[30] = {"PART_TYPE", "PN", "REFDES", "DESCR", "QTY", "CF", "TEMPLIMIT", "STRESSLIMIT",
                            "NOTESTITLE", "NOTES", "RES_TYPE", "RES_RES", "RES_QU", "RES_PMAX", "RES_PD",
                            "RES_TRISE", "CAP_TYPE", "CAP_CAP", "CAP_QU", "CAP_VMAX", "CAP_VOP", "CAP_TRISE",
                            "TR_VCEO", "TR_QU", "DIO_QU", "IC_QU", "LCN", "PN2", "HEADER_ENV", "HEADER_TEMP"};

std::filesystem::path scratch() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("kestrel-import-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// `pnEvery`: part numbers repeat every so many rows (0: every row its own).
std::string csvOf(int rows, int pnEvery = 997) {
  const std::string file = (scratch() / strprintf("parts%d-%d.csv", rows, pnEvery)).string();
  if (std::filesystem::exists(file)) return file;
  std::ofstream out(file);
  for (int c = 0; c < 30; ++c) out << (c ? "," : "") << kColumns[c];
  out << '\n';
  const char* types[] = {"Resistor", "Capacitor", "Transistor", "Diode", "\"IC,Logic\""};
  for (int r = 0; r < rows; ++r) {
    out << types[r % 5] << ",PN" << (pnEvery > 0 ? r % pnEvery : r) << ",R" << r << ",\"part, number " << r << "\"," << 1 + r % 9
        << ",1.0,175,100,title,\"note " << r << "\",1," << 1000 + r << ",2,0.25,0.1,10,1,0.1,2,50,10,5,30,2,2,2,LCN"
        << r << ",ALT" << r << ",GF,40\n";
  }
  return file;
}

ImportJob jobFor(const std::string& input, InputFormat format, OutputType type = OutputType::Circuit) {
  ImportJob job;
  job.definition.header.inputFormat = static_cast<std::uint8_t>(format);
  job.definition.header.recordMode = 2;
  job.definition.header.fileType = static_cast<std::uint8_t>(type);
  job.definition.header.skipFirst = job.definition.header.skipLast = 1;
  for (int c = 0; c < 30; ++c) job.definition.find(kColumns[c])->fieldNumber = static_cast<float>(c + 1);
  job.inputs = {input};
  job.outputPath = (scratch() / (type == OutputType::Library ? "out.LIB" : "out.CIR")).string();
  return job;
}

void importInto(benchmark::State& state, const std::string& input, InputFormat format,
                OutputType type = OutputType::Circuit) {
  registerAllParts();
  const ImportJob job = jobFor(input, format, type);
  SilentUi ui;
  long records = 0;
  for (auto _ : state) {
    std::filesystem::remove(job.outputPath);
    const ImportOutcome out = runImport(job, posixFileSystem(), ui);
    if (!out.allOk()) state.SkipWithError("import failed");
    if (!out.files.empty()) records += out.files[0].counters.built + out.files[0].counters.duplicatePN;
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}

void BM_CsvIntoCircuit16k(benchmark::State& state) { importInto(state, csvOf(16000), InputFormat::CSV); }

// Every row its own part number: 100 000 parts added to the library.
void BM_CsvIntoLibrary100k(benchmark::State& state) {
  importInto(state, csvOf(100000, 0), InputFormat::CSV, OutputType::Library);
}

void BM_XlsxIntoCircuit16k(benchmark::State& state) {
  const std::string xlsx = (scratch() / "parts16000.xlsx").string();
  if (!std::filesystem::exists(xlsx) &&
      std::system(("ssconvert " + csvOf(16000) + " " + xlsx + " >/dev/null 2>&1").c_str()) != 0) {
    state.SkipWithError("ssconvert not available");
    return;
  }
  importInto(state, xlsx, InputFormat::XLS);
}

std::string sqliteOf(int rows) {
  const std::string db = (scratch() / strprintf("parts%d.db", rows)).string();
  std::filesystem::remove(db);
  std::system(("sqlite3 " + db + " '.mode csv' '.import " + csvOf(rows) + " parts'").c_str());
  return db;
}

void BM_SqliteIntoCircuit16k(benchmark::State& state) { importInto(state, sqliteOf(16000), InputFormat::MDB); }

void BM_CsvRead100k(benchmark::State& state) {
  const std::string file = csvOf(100000);
  long rows = 0;
  for (auto _ : state) {
    std::unique_ptr<TableReader> reader;
    if (!openTableReader(InputFormat::CSV, file, {}, reader)) state.SkipWithError("open failed");
    TableRow row;
    while (reader->next(row) == RowStatus::Row) ++rows;
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

void BM_Sqlite3ShellImport100k(benchmark::State& state) {
  const std::string file = csvOf(100000);
  const std::string db = (scratch() / "shell.db").string();
  long rows = 0;
  for (auto _ : state) {
    std::filesystem::remove(db);
    if (std::system(("sqlite3 " + db + " '.mode csv' '.import " + file + " parts'").c_str()) != 0) {
      state.SkipWithError("sqlite3 not available");
    }
    rows += 100000;
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_CsvIntoCircuit16k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CsvIntoLibrary100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_XlsxIntoCircuit16k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SqliteIntoCircuit16k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CsvRead100k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Sqlite3ShellImport100k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
