// The keyed record store against SQLite on the same machine, the same data
// and the same durability: 100 000 records of a 25-character part number and
// a 600-byte value, one transaction (write bracket) per 1000 records, every
// commit flushed to disk (SQLite's default rollback journal with
// synchronous=FULL; the store's brackets flush). Both keep a table of records
// and a unique index on the part number. At the end a table gives each ratio
// (store time / SQLite time) and the file sizes against the raw data.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "store/record_store.hpp"

namespace {

using namespace kestrel::store;

constexpr int kRecords = 100000;
constexpr int kValueSize = 600;
constexpr int kBatch = 1000;
constexpr int kMixedOps = 10000;  // over two processes

// Cache sizes: the store's node buffers (the library layer's 50 unless
// KESTREL_STORE_CACHE says otherwise) and SQLite's page cache in KiB
// (KESTREL_SQLITE_CACHE_KIB; by default SQLite's own 2000 KiB).
int envInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}
int storeCacheNodes() { return envInt("KESTREL_STORE_CACHE", 50); }
int sqliteCacheKiB() { return envInt("KESTREL_SQLITE_CACHE_KIB", 2000); }

std::string folder() {
  static std::string dir = [] {
    if (const char* given = std::getenv("KESTREL_BENCH_DIR")) return std::string(given);
    char name[] = "/tmp/kestrel-store-bench-XXXXXX";
    return std::string(::mkdtemp(name) ? name : "/tmp");
  }();
  return dir;
}
std::string keyOf(int i) {
  char k[32];
  std::snprintf(k, sizeof k, "PN-%08d-XXXXXXXXXXXXX", i);  // 25 characters
  return k;
}
void valueOf(int i, std::uint8_t* out) {
  std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u + 1;
  for (int b = 0; b < kValueSize; ++b) {
    x = x * 1103515245u + 12345;
    out[b] = static_cast<std::uint8_t>(x >> 23);
  }
}
std::vector<int> keyOrder(bool random, std::uint32_t seed = 42) {
  std::vector<int> v(kRecords);
  std::iota(v.begin(), v.end(), 0);
  if (random) std::shuffle(v.begin(), v.end(), std::mt19937(seed));
  return v;
}
long fileSize(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}
double rawBytes() { return static_cast<double>(kRecords) * (25 + kValueSize); }

// ---- the record store ----

const KeyDef kKeys[] = {{1, 0, nullptr}};

struct Ours {
  RecordStore s;
  char pn[26] = {};
  std::uint8_t value[kValueSize] = {};
  DataField list[3] = {{'S', 0, 'U', 26, 1, pn, 0}, {'B', kNoKey, 'N', kValueSize, 0, value, kValueSize}, {}};

  bool create(const std::string& path) {
    ::unlink(path.c_str());
    return s.Create(path, 1280, ShareMode::Shared, kNativeOrderFile, kKeys) == kOk && s.AddTree(20, 20) == kOk &&
           s.AddTree(1, 1) == kOk;
  }
  bool open(const std::string& path) { return s.Open(path, 1280, ShareMode::Shared, kReadWriteAccess, kKeys) == kOk; }
  int add(int i) {
    std::strcpy(pn, keyOf(i).c_str());
    valueOf(i, value);
    list[1].size = kValueSize;
    return s.AddRecord(list);
  }
  bool lookup(int i) {
    const std::string k = keyOf(i);
    const std::vector<std::uint8_t> key(k.c_str(), k.c_str() + k.size() + 1);
    return s.FindKey(1, key, 0, kFindEqual) == kOk && s.ReadRecord(list) == kOk && list[1].size == kValueSize;
  }
};

// ---- SQLite ----

struct Lite {
  sqlite3* db = nullptr;
  sqlite3_stmt *ins = nullptr, *get = nullptr, *upd = nullptr, *del = nullptr;
  std::uint8_t value[kValueSize];
  ~Lite() {
    for (sqlite3_stmt* st : {ins, get, upd, del}) sqlite3_finalize(st);
    sqlite3_close(db);
  }
  bool open(const std::string& path, bool fresh) {
    if (fresh) {
      ::unlink(path.c_str());
      ::unlink((path + "-journal").c_str());
    }
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    sqlite3_busy_timeout(db, 30000);
    exec("PRAGMA synchronous=FULL");
    const std::string cache = "PRAGMA cache_size=-" + std::to_string(sqliteCacheKiB());
    exec(cache.c_str());
    if (fresh) exec("CREATE TABLE parts(pn TEXT PRIMARY KEY, value BLOB NOT NULL)");
    return prepare("INSERT INTO parts(pn, value) VALUES(?, ?)", &ins) &&
           prepare("SELECT value FROM parts WHERE pn = ?", &get) &&
           prepare("UPDATE parts SET value = ? WHERE pn = ?", &upd) && prepare("DELETE FROM parts WHERE pn = ?", &del);
  }
  bool prepare(const char* sql, sqlite3_stmt** st) { return sqlite3_prepare_v2(db, sql, -1, st, nullptr) == SQLITE_OK; }
  void exec(const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
  bool step(sqlite3_stmt* st) {
    int rc = sqlite3_step(st);
    // A lock upgrade that would deadlock is refused at once, whatever the busy timeout: retry.
    for (int tries = 0; rc == SQLITE_BUSY && tries < 100000; ++tries) {
      sqlite3_reset(st);
      ::usleep(50);
      rc = sqlite3_step(st);
    }
    sqlite3_reset(st);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
  }
  bool add(int i) {
    const std::string k = keyOf(i);
    valueOf(i, value);
    sqlite3_bind_text(ins, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(ins, 2, value, kValueSize, SQLITE_STATIC);
    return step(ins);
  }
  bool lookup(int i) {
    const std::string k = keyOf(i);
    sqlite3_bind_text(get, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
    bool ok = sqlite3_step(get) == SQLITE_ROW && sqlite3_column_bytes(get, 0) == kValueSize;
    if (ok) std::memcpy(value, sqlite3_column_blob(get, 0), kValueSize);
    sqlite3_reset(get);
    return ok;
  }
};

std::string ourFile(bool random) { return folder() + (random ? "/random.lib" : "/ordered.lib"); }
std::string liteFile(bool random) { return folder() + (random ? "/random.db" : "/ordered.db"); }

bool buildOurs(bool random) {
  Ours o;
  if (!o.create(ourFile(random))) return false;
  const auto order = keyOrder(random);
  for (int b = 0; b < kRecords; b += kBatch) {
    if (o.s.BeginWrite() != kOk) return false;
    for (int i = b; i < b + kBatch; ++i) {
      if (o.add(order[static_cast<std::size_t>(i)]) != kOk) return false;
    }
    if (o.s.EndWrite() != kOk) return false;
  }
  return o.s.Close() == kOk;
}

bool buildLite(bool random) {
  Lite l;
  if (!l.open(liteFile(random), true)) return false;
  const auto order = keyOrder(random);
  for (int b = 0; b < kRecords; b += kBatch) {
    l.exec("BEGIN");
    for (int i = b; i < b + kBatch; ++i) {
      if (!l.add(order[static_cast<std::size_t>(i)])) return false;
    }
    l.exec("COMMIT");
  }
  return true;
}

std::map<std::string, bool> built;
void ensureBuilt(bool ours, bool random) {
  const std::string k = std::string(ours ? "o" : "l") + (random ? "r" : "s");
  if (built[k]) return;
  // With a given folder, files of an earlier run are used again.
  if (std::getenv("KESTREL_BENCH_DIR") != nullptr && fileSize(ours ? ourFile(random) : liteFile(random)) > 0) {
    built[k] = true;
    return;
  }
  built[k] = ours ? buildOurs(random) : buildLite(random);
}

void BM_Insert(benchmark::State& state, bool ours, bool random) {
  bool ok = true;
  for (auto _ : state) ok = ours ? buildOurs(random) : buildLite(random);
  if (!ok) state.SkipWithError("insert failed");
  built[std::string(ours ? "o" : "l") + (random ? "r" : "s")] = ok;
  const long size = fileSize(ours ? ourFile(random) : liteFile(random));
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.counters["file_vs_raw"] = static_cast<double>(size) / rawBytes();
  state.SetItemsProcessed(kRecords);
}

void BM_Lookup(benchmark::State& state, bool ours) {
  ensureBuilt(ours, true);
  const auto order = keyOrder(true, 7);
  long found = 0;
  for (auto _ : state) {
    found = 0;
    if (ours) {
      Ours o;
      if (!o.open(ourFile(true))) break;
      for (int b = 0; b < kRecords; b += kBatch) {
        o.s.BeginRead();
        for (int i = b; i < b + kBatch; ++i) found += o.lookup(order[static_cast<std::size_t>(i)]);
        o.s.EndRead();
      }
    } else {
      Lite l;
      if (!l.open(liteFile(true), false)) break;
      for (int b = 0; b < kRecords; b += kBatch) {
        l.exec("BEGIN");
        for (int i = b; i < b + kBatch; ++i) found += l.lookup(order[static_cast<std::size_t>(i)]);
        l.exec("COMMIT");
      }
    }
  }
  if (found != kRecords) state.SkipWithError("lookups missed records");
  state.SetItemsProcessed(kRecords);
}

void BM_Scan(benchmark::State& state, bool ours) {
  ensureBuilt(ours, true);
  long rows = 0;
  for (auto _ : state) {
    rows = 0;
    if (ours) {
      Ours o;
      if (!o.open(ourFile(true))) break;
      o.s.BeginRead();
      std::string last;
      for (int rc = o.s.Step(1, kStepFirst); rc == kOk; rc = o.s.Step(1, kStepNext)) {
        if (o.s.ReadRecord(o.list) != kOk || last >= o.pn) break;
        last = o.pn;
        ++rows;
      }
      o.s.EndRead();
    } else {
      Lite l;
      if (!l.open(liteFile(true), false)) break;
      sqlite3_stmt* st = nullptr;
      l.prepare("SELECT pn, value FROM parts ORDER BY pn", &st);
      l.exec("BEGIN");
      while (sqlite3_step(st) == SQLITE_ROW) {
        std::memcpy(l.value, sqlite3_column_blob(st, 1), kValueSize);
        benchmark::DoNotOptimize(sqlite3_column_text(st, 0));
        ++rows;
      }
      l.exec("COMMIT");
      sqlite3_finalize(st);
    }
  }
  if (rows != kRecords) state.SkipWithError("scan did not see every record");
  state.SetItemsProcessed(kRecords);
}

// One process's share of the mixed run: half look-ups, a quarter updates,
// the rest inserts and deletes, each operation its own transaction.
int mixedWorker(bool ours, int proc, const std::string& path) {
  std::mt19937 rng(static_cast<std::uint32_t>(proc) + 100);
  Ours o;
  Lite l;
  if (ours ? !o.open(path) : !l.open(path, false)) return 1;
  int next = kRecords + proc * kMixedOps;
  for (int op = 0; op < kMixedOps / 2; ++op) {
    const unsigned kind = rng() % 100;
    const int i = static_cast<int>(rng() % kRecords);
    if (kind < 50) {
      if (ours) {
        o.s.BeginRead();
        o.lookup(i);
        o.s.EndRead();
      } else {
        l.lookup(i);
      }
      continue;
    }
    const int target = kind < 90 ? next++ : i;
    if (ours) {
      if (o.s.BeginWrite() != kOk) return 2;
      if (kind < 75) {
        const std::string k = keyOf(i);
        const std::vector<std::uint8_t> key(k.c_str(), k.c_str() + k.size() + 1);
        if (o.s.FindKey(1, key, 0, kFindEqual) == kOk && o.s.LockRecord(1, key) == kOk) {
          valueOf(i + op, o.value);
          o.s.UpdateRecord(o.list);
          o.s.UnlockRecord();
        }
      } else if (kind < 90) {
        o.add(target);
      } else {
        const std::string k = keyOf(i);
        const std::vector<std::uint8_t> key(k.c_str(), k.c_str() + k.size() + 1);
        if (o.s.FindKey(1, key, 0, kFindEqual) == kOk && o.s.LockRecord(1, key) == kOk) o.s.DeleteRecord(o.list);
      }
      if (o.s.EndWrite() != kOk) return 3;
    } else {
      const std::string k = keyOf(i);
      if (kind < 75) {
        valueOf(i + op, l.value);
        sqlite3_bind_blob(l.upd, 1, l.value, kValueSize, SQLITE_STATIC);
        sqlite3_bind_text(l.upd, 2, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
        if (!l.step(l.upd)) return 4;
      } else if (kind < 90) {
        if (!l.add(target)) return 5;
      } else {
        sqlite3_bind_text(l.del, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
        if (!l.step(l.del)) return 6;
      }
    }
  }
  return 0;
}

void BM_Mixed2Processes(benchmark::State& state, bool ours) {
  ensureBuilt(ours, true);
  const std::string work = folder() + (ours ? "/mixed.lib" : "/mixed.db");
  bool ok = true;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string from = ours ? ourFile(true) : liteFile(true);
    std::system(("cp '" + from + "' '" + work + "'").c_str());
    // The copy, and the files the insert runs left unwritten, reach the disk
    // before the clock runs: a commit would otherwise wait behind them.
    ::sync();
    state.ResumeTiming();
    pid_t pids[2];
    for (int p = 0; p < 2; ++p) {
      pids[p] = ::fork();
      if (pids[p] == 0) ::_exit(mixedWorker(ours, p, work));
    }
    for (pid_t pid : pids) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
  }
  if (!ok) state.SkipWithError("a worker failed");
  state.SetItemsProcessed(kMixedOps);
}

// Collects each run's time for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

void registerAll() {
  for (bool ours : {true, false}) {
    const std::string who = ours ? "Store" : "SQLite";
    auto reg = [&](const std::string& name, auto fn) {
      benchmark::RegisterBenchmark((name + "/" + who).c_str(), fn)
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    };
    reg("InsertKeyOrder", [ours](benchmark::State& s) { BM_Insert(s, ours, false); });
    reg("InsertRandomOrder", [ours](benchmark::State& s) { BM_Insert(s, ours, true); });
    reg("Lookup", [ours](benchmark::State& s) { BM_Lookup(s, ours); });
    reg("Scan", [ours](benchmark::State& s) { BM_Scan(s, ours); });
    reg("Mixed2Processes", [ours](benchmark::State& s) { BM_Mixed2Processes(s, ours); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (StoreStartup(storeCacheNodes()) != kOk) return 1;
  std::printf("store cache %d nodes (%d KiB), SQLite cache %d KiB\n", storeCacheNodes(), storeCacheNodes(),
              sqliteCacheKiB());
  registerAll();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nstore / SQLite time (below 1 the store is faster)\n");
  for (const char* op : {"InsertKeyOrder", "InsertRandomOrder", "Lookup", "Scan", "Mixed2Processes"}) {
    const auto a = reporter.times.find(std::string(op) + "/Store/iterations:1/real_time");
    const auto b = reporter.times.find(std::string(op) + "/SQLite/iterations:1/real_time");
    if (a == reporter.times.end() || b == reporter.times.end() || b->second <= 0) continue;
    std::printf("  %-18s %6.2f\n", op, a->second / b->second);
  }
  for (bool random : {false, true}) {
    const long ours = fileSize(ourFile(random)), lite = fileSize(liteFile(random));
    if (ours > 0) {
      std::printf("  file after %s inserts: store %.1f MB (%.2f x raw), SQLite %.1f MB (%.2f x raw)\n",
                  random ? "random" : "key-order", ours / 1e6, ours / rawBytes(), lite / 1e6, lite / rawBytes());
    }
  }
  if (std::getenv("KESTREL_BENCH_KEEP") == nullptr && std::getenv("KESTREL_BENCH_DIR") == nullptr) std::system(("rm -rf '" + folder() + "'").c_str());
  benchmark::Shutdown();
  StoreShutdown();
  return 0;
}
