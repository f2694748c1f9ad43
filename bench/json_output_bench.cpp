// The command line's JSON of a 10 000-part circuit: the real `kestrel calc
// --json` and `kestrel show --json` run as a child process with stdout to
// /dev/null, timed whole (start, load, calculation, save, output) with the
// child's peak resident memory as a counter.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

constexpr int kParts = 10000;

// The bench's folder, removed when the program ends.
struct BenchFolder {
  std::string path = "/tmp/kestrel-bench-json-" + std::to_string(::getpid());
  BenchFolder() { std::filesystem::create_directories(path); }
  ~BenchFolder() { std::filesystem::remove_all(path); }
};

// Every registered part class but the sub-files, in type order, with
// numbered part numbers and designators: a large real-looking parts list.
const std::string& bigCircuit() {
  static const BenchFolder folder;
  static const std::string path = [] {
    registerAllParts();
    const std::string& dir = folder.path;
    std::vector<std::uint16_t> types;
    for (const PartType& t : allPartTypes()) {
      if (t.id > 2 && PartRegistry::instance().isRegistered(t.id)) types.push_back(t.id);
    }
    CCircDoc doc;
    for (int i = 0; i < kParts; ++i) {
      auto part = PartRegistry::instance().create(types[static_cast<std::size_t>(i) * types.size() / kParts], false);
      char number[16];
      std::snprintf(number, sizeof number, "%05d", i);
      part->PN = std::string("PN-") + number;
      part->REFDES = std::string("U") + number;
      part->DESCR = "Bench part";
      doc.appendLoaded(std::move(part));
    }
    const std::string file = dir + "/big.cir";
    (void)saveDocument(posixFileSystem(), doc, file);
    return file;
  }();
  return path;
}

// Runs kestrel with ARGS, stdout to /dev/null; returns the child's peak RSS in MB.
double runKestrel(const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    std::vector<char*> argv;
    // KESTREL in the environment measures another build (a baseline).
    const char* other = std::getenv("KESTREL");
    std::string program = other != nullptr ? other : KESTREL_BIN;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void runCommand(benchmark::State& state, const char* command) {
  const std::string& file = bigCircuit();
  const std::string settings = std::filesystem::path(file).parent_path() / "settings.ini";
  double rss = 0.0;
  for (auto _ : state) {
    rss = runKestrel({"--no-log", "--quiet", "--settings", settings, command, file, "--json"});
    if (rss < 0.0) state.SkipWithError("kestrel failed");
  }
  state.counters["peak_rss_MB"] = rss;
}

void BM_CalcJson10000Parts(benchmark::State& state) { runCommand(state, "calc"); }
BENCHMARK(BM_CalcJson10000Parts)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShowJson10000Parts(benchmark::State& state) { runCommand(state, "show"); }
BENCHMARK(BM_ShowJson10000Parts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
