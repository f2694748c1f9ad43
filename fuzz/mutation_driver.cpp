// Runs a fuzz target's entry point without libFuzzer, as a bounded test:
// every seed file as it is, then random mutations of the seeds (bit flips,
// telling byte values, inserted, removed and repeated runs, truncation and
// splices of two seeds) until the time or the run count is spent. The
// random sequence comes from a fixed seed, so a failure repeats; under the
// address sanitizer the input that failed is written beside the test first.
// Every case must end within the case limit (a slow reader is a hang in
// waiting): a slower one fails the run, and one that does not end at all
// is stopped by an alarm. The slowest case is reported.
// Usage: NAME [--seconds S] [--runs N] [--seed X] [--case-limit S] FILE|DIR...
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

// The input being run, kept for the death report.
Bytes* g_current = nullptr;
std::string g_crashFile;

// Called on the way down (a sanitizer report, abort, a trap): plain system
// calls only.
void writeCurrentInput() {
  if (g_current == nullptr || g_crashFile.empty()) return;
  const int fd = ::open(g_crashFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  ssize_t written = ::write(fd, g_current->data(), g_current->size());
  (void)written;
  ::close(fd);
  static constexpr char kNote[] = "mutation: the failing input is in mutation-crash-*.bin\n";
  written = ::write(2, kNote, sizeof kNote - 1);
}

extern "C" void onHang(int) {
  writeCurrentInput();
  static constexpr char kNote[] = "mutation: a case ran past the case limit and was stopped\n";
  ssize_t written = ::write(2, kNote, sizeof kNote - 1);
  (void)written;
  ::_exit(1);
}

extern "C" void onFatalSignal(int signal) {
  writeCurrentInput();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

bool readFile(const std::filesystem::path& path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Seeds larger than this are cut: mutations of a huge file mostly land in
// data the readers skip, and each run must stay short.
constexpr std::size_t kMaxSeed = 256 * 1024;
constexpr std::size_t kMaxInput = 2 * kMaxSeed;

void addSeeds(const std::filesystem::path& path, std::vector<Bytes>& seeds) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());  // the same order on every machine
    for (const auto& f : files) addSeeds(f, seeds);
    return;
  }
  Bytes bytes;
  if (!readFile(path, bytes)) {
    std::fprintf(stderr, "mutation: can not read seed '%s'\n", path.string().c_str());
    std::exit(2);
  }
  if (bytes.size() > kMaxSeed) bytes.resize(kMaxSeed);
  seeds.push_back(std::move(bytes));
}

class Mutator {
 public:
  explicit Mutator(std::uint64_t seed) : rng_(seed) {}

  Bytes mutate(const std::vector<Bytes>& seeds) {
    Bytes b = seeds[below(seeds.size())];
    const std::size_t steps = 1 + below(8);
    for (std::size_t i = 0; i < steps; ++i) step(b, seeds);
    if (b.size() > kMaxInput) b.resize(kMaxInput);
    return b;
  }

 private:
  std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng_() % n); }

  void step(Bytes& b, const std::vector<Bytes>& seeds) {
    static constexpr std::uint8_t kTelling[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF, '"', ',', '\n', '\r'};
    switch (below(8)) {
      case 0:  // flip a bit
        if (!b.empty()) b[below(b.size())] ^= static_cast<std::uint8_t>(1u << below(8));
        break;
      case 1:  // a telling byte value
        if (!b.empty()) b[below(b.size())] = kTelling[below(std::size(kTelling))];
        break;
      case 2: {  // a large or negative number over four bytes
        if (b.size() < 4) break;
        const std::size_t at = below(b.size() - 3);
        const std::uint32_t values[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x00010000u, 0x7F7FFFFFu};
        std::memcpy(&b[at], &values[below(std::size(values))], 4);
        break;
      }
      case 3: {  // insert random bytes
        const std::size_t at = below(b.size() + 1);
        Bytes run(1 + below(16));
        for (auto& c : run) c = static_cast<std::uint8_t>(rng_());
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), run.begin(), run.end());
        break;
      }
      case 4: {  // remove a run
        if (b.empty()) break;
        const std::size_t at = below(b.size());
        const std::size_t n = std::min(b.size() - at, 1 + below(64));
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
        break;
      }
      case 5: {  // repeat a run
        if (b.empty()) break;
        const std::size_t at = below(b.size());
        const std::size_t n = std::min(b.size() - at, 1 + below(64));
        const Bytes run(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(below(b.size() + 1)), run.begin(), run.end());
        break;
      }
      case 6:  // truncate
        if (!b.empty()) b.resize(below(b.size()));
        break;
      default: {  // splice: the head of this input, the tail of another seed
        const Bytes& other = seeds[below(seeds.size())];
        if (other.empty()) break;
        b.resize(below(b.size() + 1));
        const std::size_t from = below(other.size());
        b.insert(b.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
        break;
      }
    }
  }

  std::mt19937_64 rng_;
};

// Runs one case; its time in seconds.
double run(Bytes& input, double limit) {
  g_current = &input;
  ::alarm(static_cast<unsigned>(limit) + 2);
  const auto start = std::chrono::steady_clock::now();
  LLVMFuzzerTestOneInput(input.data(), input.size());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  ::alarm(0);
  if (took.count() > limit) {
    writeCurrentInput();
    std::fprintf(stderr, "mutation: a case of %zu bytes took %.3f s (limit %.3f s)\n", input.size(), took.count(),
                 limit);
    std::exit(1);
  }
  g_current = nullptr;
  return took.count();
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5.0;
  constexpr long kUnbounded = 1000000000;
  long runs = kUnbounded;
  std::uint64_t seed = 217;
  double limit = 2.0;
  std::vector<Bytes> seeds;
  const std::string name = std::filesystem::path(argv[0]).filename().string();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--seconds" || arg == "--runs" || arg == "--seed" || arg == "--case-limit") && i + 1 < argc) {
      const char* value = argv[++i];
      if (arg == "--case-limit") limit = std::strtod(value, nullptr);
      if (arg == "--seconds") seconds = std::strtod(value, nullptr);
      if (arg == "--runs") runs = std::strtol(value, nullptr, 10);
      if (arg == "--seed") seed = std::strtoull(value, nullptr, 10);
    } else {
      addSeeds(arg, seeds);
    }
  }
  // The environment shortens the timed runs, never one of a set number of cases.
  if (const char* s = std::getenv("KESTREL_MUTATION_SECONDS"); s != nullptr && runs == kUnbounded) {
    seconds = std::strtod(s, nullptr);
  }
  g_crashFile = "mutation-crash-" + name + ".bin";
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(writeCurrentInput);
#endif
  for (int signal : {SIGABRT, SIGILL, SIGSEGV, SIGFPE, SIGBUS}) std::signal(signal, onFatalSignal);
  std::signal(SIGALRM, onHang);

  double slowest = 0;
  Bytes empty;
  slowest = std::max(slowest, run(empty, limit));
  for (Bytes& s : seeds) {
    Bytes copy = s;
    slowest = std::max(slowest, run(copy, limit));
  }
  if (seeds.empty()) seeds.emplace_back();

  Mutator mutator(seed);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long done = 0;
  while (done < runs && std::chrono::steady_clock::now() < end) {
    Bytes input = mutator.mutate(seeds);
    slowest = std::max(slowest, run(input, limit));
    ++done;
  }
  std::printf("mutation: %s ran %zu seeds and %ld mutated inputs (seed %llu), slowest case %.1f ms\n", name.c_str(),
              seeds.size(), done, static_cast<unsigned long long>(seed), slowest * 1000);
  return 0;
}
