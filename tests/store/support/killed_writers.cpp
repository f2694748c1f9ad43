#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "support/process_driver.hpp"
#include "store/file_format.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

// Parts carry versions (fillVersion); version 0 stands for "no such part".
std::string partName(int process, int i) { return "P" + std::to_string(process) + "-" + std::to_string(i); }

// The log of one process, one line per write(2) of an O_APPEND file, so a
// kill never tears a line: "B pn version" before a call (0: delete), "C"
// once the calls since the last "C" returned, "K" when a killed process
// starts again, "R pn version" for what it then found in the file.
struct Log {
  int fd = -1;
  explicit Log(const std::string& path) : fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644)) {}
  ~Log() { ::close(fd); }
  bool line(const std::string& text) {
    const std::string l = text + "\n";
    return ::write(fd, l.data(), l.size()) == static_cast<ssize_t>(l.size());
  }
};

// From a log: the versions each part may have in the file. A committed call
// leaves one; a call the process was killed in adds its own.
std::map<std::string, std::set<std::int32_t>> allowedVersions(const std::string& path, long* committed = nullptr) {
  std::map<std::string, std::set<std::int32_t>> allowed;
  std::vector<std::pair<std::string, std::int32_t>> pending;
  std::ifstream in(path);
  std::string kind;
  auto unsure = [&] {
    for (const auto& [pn, v] : pending) {
      if (allowed[pn].empty()) allowed[pn].insert(0);
      allowed[pn].insert(v);
    }
    pending.clear();
  };
  while (in >> kind) {
    if (kind == "B" || kind == "R") {
      std::string pn;
      std::int32_t v = 0;
      in >> pn >> v;
      if (kind == "R") allowed[pn] = {v};
      if (kind == "B") pending.emplace_back(pn, v);
    } else if (kind == "C") {
      for (const auto& [pn, v] : pending) allowed[pn] = {v};
      if (committed != nullptr) *committed += static_cast<long>(pending.size());
      pending.clear();
    } else if (kind == "K") {
      unsure();
    }
  }
  unsure();
  return allowed;
}

// How often the process of this log has started.
int lives(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  int n = 1;
  while (std::getline(in, line)) n += line == "K";
  return n;
}

// The version of a part in the file (0: absent), -1 on a torn or unreadable record.
std::int32_t versionIn(RecordStore& s, const std::string& pn, PartRecord& r) {
  if (s.BeginRead() != kOk) return -1;
  const int found = s.FindKey(1, textKey(pn), 0, kFindEqual);
  const int read = found == kOk ? s.ReadRecord(r.fields()) : kOk;
  s.EndRead();
  if (found == kFail) return 0;
  if (found != kOk || read != kOk || !whole(r) || r.pn != pn) return -1;
  return r.stamp;
}

// Set by a process while it ends a write bracket (when the file is being
// written): the parent kills it there. In memory shared across fork.
using Flags = std::atomic<int>*;

// One process's life between two kills; the exit code names what failed.
int worker(const std::string& path, const std::string& logPath, const std::string& stop, int w, bool restarted,
           const KilledRun& run, Flags writing) {
  Log log(logPath);
  RecordStore s;  // durable: without the flushes there is no journal either
  s.SetLockTimeout(std::chrono::seconds(20));
  if (openPartFile(s, path) != kOk) return 10;
  std::map<std::string, std::int32_t> mine;
  const auto allowed = allowedVersions(logPath);
  PartRecord r;
  if (restarted && !log.line("K")) return 11;
  for (int i = 0; i < run.partsPerProcess; ++i) {
    const std::string pn = partName(w, i);
    const std::int32_t v = versionIn(s, pn, r);
    if (v < 0) return 12;  // torn
    const auto a = allowed.find(pn);
    if (a == allowed.end() ? v != 0 : a->second.count(v) == 0) return 13;  // lost, or a change that never was
    if (restarted && a != allowed.end() && a->second.size() > 1 && !log.line("R " + pn + " " + std::to_string(v))) {
      return 14;
    }
    if (v != 0) mine[pn] = v;
  }
  std::mt19937 rng(static_cast<std::uint32_t>(::getpid()));
  // Versions never repeat across the process's lives: the life in the high bits.
  std::int32_t version = lives(logPath) << 20;
  auto put = [&](const std::string& pn) {
    const std::int32_t v = ++version;
    if (!log.line("B " + pn + " " + std::to_string(v))) return 20;
    fillVersion(r, pn, v);
    if (mine.count(pn) == 0) {
      if (s.AddRecord(r.fields()) != kOk) return 21;
    } else {
      if (s.FindKey(1, textKey(pn), 0, kFindEqual) != kOk || s.LockRecord(1, textKey(pn)) != kOk) return 22;
      if (s.UpdateRecord(r.fields()) != kOk || s.UnlockRecord() != kOk) return 23;
    }
    mine[pn] = v;
    return 0;
  };
  auto remove = [&](const std::string& pn) {
    if (!log.line("B " + pn + " 0")) return 30;
    if (s.FindKey(1, textKey(pn), 0, kFindEqual) != kOk || s.LockRecord(1, textKey(pn)) != kOk) return 31;
    if (s.DeleteRecord(r.fields()) != kOk) return 32;
    mine.erase(pn);
    return 0;
  };
  while (::access(stop.c_str(), F_OK) != 0) {
    const unsigned k = rng() % 10;
    const std::string pn = partName(w, static_cast<int>(rng() % static_cast<unsigned>(run.partsPerProcess)));
    int rc = 0;
    if (k < 6) {
      // Add, replace or delete one part, or a merge-like batch of several,
      // in one write bracket.
      if (s.BeginWrite() != kOk) return 40;
      if (k < 4) {
        rc = mine.count(pn) != 0 && k == 0 ? remove(pn) : put(pn);
      } else {
        for (unsigned n = 2 + rng() % 5; rc == 0 && n > 0; --n) {
          rc = put(partName(w, static_cast<int>(rng() % static_cast<unsigned>(run.partsPerProcess))));
        }
      }
      if (rc != 0) return rc;
      writing[w] = 1;
      if (s.EndWrite() != kOk) return 41;
      writing[w] = 0;
    } else if (k < 8) {
      // Find: the part is as this process last left it.
      const auto it = mine.find(pn);
      if (versionIn(s, pn, r) != (it == mine.end() ? 0 : it->second)) return 50;
    } else if (const int listed = listWholeInOrder(s, r); listed != 0) {
      return 60 + listed;  // every part of every process, whole and in order
    }
    if (rc != 0) return rc;
    if (k < 6 && !log.line("C")) return 70;
  }
  return s.Close() == kOk ? 0 : 80;
}

// Whether the file's write-in-progress marker is set: a bracket to roll back.
bool markerSet(const std::string& path) {
  const auto bytes = fileBytes(path);
  return bytes.size() >= kBlockSize && store::markerSet(std::span<const std::uint8_t>(bytes.data(), kBlockSize));
}

}  // namespace

KilledFigures runKilledWriters(const KilledRun& run) {
  KilledFigures figures;
  EXPECT_EQ(StoreShutdown(), kOk);
  EXPECT_EQ(StoreStartup(50), kOk);
  ScratchDir dir;
  const std::string path = dir.file("killed.lib"), stop = dir.file("stop");
  {
    RecordStore s;
    s.SetDurable(false);
    EXPECT_EQ(createPartFile(s, path), kOk);
    EXPECT_EQ(s.Close(), kOk);
  }
  void* shared = ::mmap(nullptr, sizeof(std::atomic<int>) * static_cast<std::size_t>(run.processes),
                        PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  EXPECT_NE(shared, MAP_FAILED);
  if (shared == MAP_FAILED) return figures;
  const Flags writing = new (shared) std::atomic<int>[static_cast<std::size_t>(run.processes)]();
  auto logOf = [&](int w) { return dir.file("log" + std::to_string(w)); };
  auto start = [&](int w, bool restarted) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(worker(path, logOf(w), stop, w, restarted, run, writing));
    return pid;
  };
  std::vector<pid_t> pids;
  for (int w = 0; w < run.processes; ++w) pids.push_back(start(w, false));
  std::mt19937 rng(217);
  const auto begin = std::chrono::steady_clock::now();
  const auto end = begin + std::chrono::duration<double>(run.seconds);
  for (auto next = begin + std::chrono::duration<double>(run.killEvery); next < end;
       next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(run.killEvery))) {
    std::this_thread::sleep_until(next);
    // The victim: a process caught writing the file, else any.
    int w = static_cast<int>(rng() % static_cast<unsigned>(run.processes));
    for (const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
         writing[w] == 0 && std::chrono::steady_clock::now() < giveUp;) {
      w = static_cast<int>(rng() % static_cast<unsigned>(run.processes));
    }
    ::kill(pids[w], SIGKILL);
    const int status = exitCodeOf(pids[w]);
    writing[w] = 0;
    EXPECT_EQ(status, 100 + SIGKILL) << "process " << w << " ended before its kill";
    ++figures.kills;
    figures.midWrite += markerSet(path);
    ++figures.restartsChecked;
    pids[w] = start(w, true);
  }
  std::this_thread::sleep_until(end);
  std::ofstream(stop) << "stop\n";
  for (int w = 0; w < run.processes; ++w) EXPECT_EQ(exitCodeOf(pids[w]), 0) << "process " << w;

  // Every committed part once, with its last committed content; nothing else.
  std::map<std::string, std::set<std::int32_t>> allowed;
  for (int w = 0; w < run.processes; ++w) allowed.merge(allowedVersions(logOf(w), &figures.committed));
  RecordStore s;
  EXPECT_EQ(openPartFile(s, path, kReadOnlyAccess), kOk);
  PartRecord r;
  int listed = 0;
  std::set<std::string> seen;
  for (int rc = s.Step(1, kStepFirst); rc == kOk; rc = s.Step(1, kStepNext)) {
    ++listed;
    EXPECT_EQ(s.ReadRecord(r.fields()), kOk);
    EXPECT_TRUE(whole(r)) << r.pn;
    EXPECT_TRUE(seen.insert(r.pn).second) << r.pn << " twice";
    const auto it = allowed.find(r.pn);
    EXPECT_TRUE(it != allowed.end() && it->second.count(r.stamp) != 0) << r.pn << " version " << r.stamp;
  }
  for (const auto& [pn, versions] : allowed) {
    EXPECT_TRUE(seen.count(pn) != 0 || versions.count(0) != 0) << pn << " lost";
  }
  EXPECT_EQ(s.RecordCount(), listed);
  EXPECT_EQ(s.Close(), kOk);
  EXPECT_EQ(checkFaults(path), std::vector<std::string>{});
  EXPECT_EQ(StoreShutdown(), kOk);
  ::munmap(shared, sizeof(std::atomic<int>) * static_cast<std::size_t>(run.processes));
  return figures;
}

}  // namespace kestrel::store::test
