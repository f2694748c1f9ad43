#include "support/process_driver.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

std::string sharedName(int i) { return "SHARED-" + std::to_string(i); }

// Retries what another process holds; false on any other failure.
template <typename F>
int retrying(F op) {
  for (int i = 0; i < 2000; ++i) {
    const int rc = op();
    if (rc != kLockedByOther) return rc;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return kLockedByOther;
}

int writer(const std::string& path, const std::string& out, int w, const ProcessRun& run) {
  RecordStore s;
  s.SetDurable(false);
  if (openPartFile(s, path) != kOk) return 10;
  std::mt19937 rng(static_cast<std::uint32_t>(w) * 7919u + 1);
  std::map<std::string, std::int32_t> mine;  // part number -> version
  std::map<int, int> increments;
  PartRecord r;
  for (int op = 0; op < run.opsPerWriter; ++op) {
    const unsigned k = rng() % 10;
    const std::string pn = "W" + std::to_string(w) + "-" + std::to_string(rng() % 40);
    const std::int32_t version = w * 100000 + op * 10 + 1;
    if (k < 4) {
      int shared = static_cast<int>(rng() % static_cast<unsigned>(run.sharedRecords));
      const auto key = textKey(sharedName(shared));
      int rc = retrying([&] {
        int f = s.FindKey(1, key, 0, kFindEqual);
        return f != kOk ? f : s.LockRecord(1, key);
      });
      if (rc != kOk) return 20;
      if (s.ReadRecord(r.fields()) != kOk || !whole(r)) return 21;
      fillVersion(r, sharedName(shared), r.stamp + 1);
      if (s.UpdateRecord(r.fields()) != kOk) return 22;
      if (s.UnlockRecord() != kOk) return 23;
      ++increments[shared];
    } else if (mine.count(pn) == 0) {
      fillVersion(r, pn, version);
      if (s.AddRecord(r.fields()) != kOk) return 30;
      mine[pn] = version;
    } else if (k < 7) {
      if (s.FindKey(1, textKey(pn), 0, kFindEqual) != kOk || s.LockRecord(1, textKey(pn)) != kOk) return 40;
      fillVersion(r, pn, version);
      if (s.UpdateRecord(r.fields()) != kOk || s.UnlockRecord() != kOk) return 41;
      mine[pn] = version;
    } else {
      if (s.FindKey(1, textKey(pn), 0, kFindEqual) != kOk || s.LockRecord(1, textKey(pn)) != kOk) return 50;
      if (s.DeleteRecord(r.fields()) != kOk) return 51;
      mine.erase(pn);
    }
  }
  if (s.Close() != kOk) return 60;
  std::ofstream f(out);
  for (const auto& [pn, v] : mine) f << "R " << pn << ' ' << v << '\n';
  for (const auto& [i, n] : increments) f << "I " << i << ' ' << n << '\n';
  return f ? 0 : 61;
}

int reader(const std::string& path, const std::string& stopFile) {
  RecordStore s;
  if (openPartFile(s, path, kReadOnlyAccess) != kOk) return 70;
  PartRecord r;
  for (int pass = 0; pass < 10000; ++pass) {
    const bool last = ::access(stopFile.c_str(), F_OK) == 0;
    if (const int rc = listWholeInOrder(s, r); rc != 0) return 70 + rc;
    if (last) break;
  }
  return s.Close() == kOk ? 0 : 75;
}

}  // namespace

void runProcesses(const ProcessRun& run) {
  ASSERT_EQ(StoreShutdown(), kOk);
  ASSERT_EQ(StoreStartup(run.cacheBuffers), kOk);
  ScratchDir dir;
  const std::string path = dir.file("shared.lib");
  {
    RecordStore s;
    s.SetDurable(false);
    ASSERT_EQ(createPartFile(s, path), kOk);
    PartRecord r;
    for (int i = 0; i < run.sharedRecords; ++i) {
      fillVersion(r, sharedName(i), 0);
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
    }
  }
  const std::string stop = dir.file("stop");
  std::vector<pid_t> writers, readers;
  for (int w = 0; w < run.writers + run.readers; ++w) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const int rc = w < run.writers ? writer(path, dir.file("w" + std::to_string(w)), w, run) : reader(path, stop);
      ::_exit(rc);
    }
    (w < run.writers ? writers : readers).push_back(pid);
  }
  for (pid_t p : writers) EXPECT_EQ(exitCodeOf(p), 0) << "writer";
  std::ofstream(stop) << "stop\n";
  for (pid_t p : readers) EXPECT_EQ(exitCodeOf(p), 0) << "reader";

  // Nothing lost, nothing duplicated, every increment counted.
  std::map<std::string, std::int32_t> expected;
  std::map<int, int> increments;
  for (int w = 0; w < run.writers; ++w) {
    std::ifstream f(dir.file("w" + std::to_string(w)));
    std::string kind, a;
    long b;
    while (f >> kind >> a >> b) {
      if (kind == "R") expected[a] = static_cast<std::int32_t>(b);
      if (kind == "I") increments[std::stoi(a)] += static_cast<int>(b);
    }
  }
  for (int i = 0; i < run.sharedRecords; ++i) expected[sharedName(i)] = increments[i];
  RecordStore s;
  ASSERT_EQ(openPartFile(s, path, kReadOnlyAccess), kOk);
  EXPECT_EQ(s.RecordCount(), static_cast<int>(expected.size()));
  PartRecord r;
  auto it = expected.begin();
  for (int rc = s.Step(1, kStepFirst); rc == kOk; rc = s.Step(1, kStepNext), ++it) {
    ASSERT_NE(it, expected.end());
    ASSERT_EQ(s.ReadRecord(r.fields()), kOk);
    EXPECT_EQ(r.pn, it->first);
    EXPECT_EQ(r.stamp, it->second) << r.pn;
    EXPECT_TRUE(whole(r)) << r.pn;
  }
  EXPECT_EQ(it, expected.end());
  EXPECT_EQ(s.Step(20, kStepFirst), kFail);  // no lock left behind
  ASSERT_EQ(s.Close(), kOk);
  EXPECT_EQ(checkFaults(path), std::vector<std::string>{});
  EXPECT_EQ(StoreShutdown(), kOk);
}

}  // namespace kestrel::store::test
