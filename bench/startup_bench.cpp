// Start-up time of the command line: `kestrel --version` and `kestrel types`
// run as a user runs them (fork, exec, wait, output to /dev/null), with
// /bin/true as the floor of what any program costs. KESTREL=path measures
// another build of the program.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string program() {
  const char* other = std::getenv("KESTREL");
  return other != nullptr && *other != '\0' ? other : KESTREL_BIN;
}

void runOnce(benchmark::State& state, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError(("failed: " + args[0]).c_str());
}

void run(benchmark::State& state, std::vector<std::string> args) {
  for (auto _ : state) runOnce(state, args);
}

void BM_True(benchmark::State& state) { run(state, {"/bin/true"}); }
void BM_Version(benchmark::State& state) { run(state, {program(), "--version"}); }
void BM_Types(benchmark::State& state) { run(state, {program(), "types"}); }

}  // namespace

BENCHMARK(BM_True)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Version)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Types)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
