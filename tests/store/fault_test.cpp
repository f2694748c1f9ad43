// Crashes, power cuts and full disks in the middle of write brackets: the
// file afterwards is refused with "write op interrupted" (the marker), or it
// is consistent and holds exactly the state after some whole bracket; never
// anything else read back as good. Then record locks and brackets between
// handles: two handles of one process behave like two processes
// (open-file-description locks); forked children stand in for processes
// that die holding locks.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "store/fault_file.hpp"
#include "store/memory_file.hpp"
#include "store/record_store.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

using State = std::map<std::string, std::int32_t>;  // part number -> stamp (the blob follows from it)

int sizeOf(std::int32_t stamp) { return 10 + stamp * 53 % 1000; }
void fill(PartRecord& r, const std::string& pn, std::int32_t stamp) {
  r.set(pn, "S" + std::to_string(stamp % 7), 400 + stamp % 3, stamp % 2, sizeOf(stamp), static_cast<std::uint32_t>(stamp));
}

// What the file holds, read through a fresh handle; false when a record is
// not what its stamp says.
bool readState(const std::string& path, StoreFileSystem& fs, State& out, int& openCode) {
  RecordStore s;
  openCode = openPartFile(s, path, kReadOnlyAccess, ShareMode::Shared, &fs);
  if (openCode != kOk) return true;
  PartRecord r, want;
  int rc = s.Step(1, kStepFirst);
  for (; rc == kOk; rc = s.Step(1, kStepNext)) {
    if (s.ReadRecord(r.fields()) != kOk) return false;
    fill(want, r.pn, r.stamp);
    if (r.blobSize() != want.blobSize() || std::memcmp(r.blob, want.blob, want.blobSize()) != 0) return false;
    out[r.pn] = r.stamp;
  }
  return rc == kFail && s.RecordCount() == static_cast<int>(out.size());
}

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    startStore();
    RecordStore s;
    ASSERT_EQ(createPartFile(s, path, &mem), kOk);
    PartRecord r;
    for (int i = 0; i < 60; ++i) {
      fill(r, "BASE-" + std::to_string(i), i + 1);
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
      states[0]["BASE-" + std::to_string(i)] = i + 1;
    }
    ASSERT_EQ(s.Close(), kOk);
    base = mem.bytes(path);
  }

  // Three write brackets; states[k] is the content after k of them (set
  // before each bracket ends: a failing end may or may not have written it).
  int batch(RecordStore& s) {
    PartRecord r;
    State st = states[0];
    auto endWith = [&](int rc) {
      const int e = s.EndWrite();
      return rc != kOk ? rc : e;
    };
    int rc = s.BeginWrite();
    if (rc != kOk) return rc;
    for (int i = 0; i < 6 && rc == kOk; ++i) {
      fill(r, "NEW-" + std::to_string(i), 500 + i);
      rc = s.AddRecord(r.fields());
      st["NEW-" + std::to_string(i)] = 500 + i;
    }
    if (rc == kOk) states[1] = st;
    rc = endWith(rc);
    if (rc != kOk) return rc;
    rc = s.BeginWrite();
    if (rc != kOk) return rc;
    for (int i : {3, 17, 40}) {
      const std::string pn = "BASE-" + std::to_string(i);
      if (rc == kOk) rc = s.FindKey(1, textKey(pn), 0, kFindEqual);
      if (rc == kOk) rc = s.LockRecord(1, textKey(pn));
      fill(r, pn, 900 + i);
      if (rc == kOk) rc = i == 17 ? s.DeleteRecord(r.fields()) : s.UpdateRecord(r.fields());
      if (i == 17) {
        st.erase(pn);
      } else {
        st[pn] = 900 + i;
      }
    }
    if (rc == kOk) states[2] = st;
    rc = endWith(rc);
    if (rc != kOk) return rc;
    fill(r, "BIG", 999);
    st["BIG"] = 999;
    states[3] = st;
    return s.AddRecord(r.fields());
  }

  // How many bytes the batch writes when nothing goes wrong (0 if it fails).
  std::int64_t bytesOfTheBatch() {
    FaultFileSystem probe(mem);
    RecordStore s;
    if (openPartFile(s, path, kReadWriteAccess, ShareMode::Shared, &probe) != kOk || batch(s) != kOk) return 0;
    s.Close();
    return probe.plan().bytesWritten;
  }

  bool isWhole(const State& got) const {
    return std::any_of(states.begin(), states.end(), [&](const auto& st) { return st.second == got; });
  }
  // After a fault: exactly the content of some whole bracket.
  void expectWhole(const std::string& what) {
    State got;
    int openCode = 0;
    ASSERT_TRUE(readState(path, mem, got, openCode)) << what << ": a record read back wrong";
    ASSERT_EQ(openCode, kOk) << what;
    EXPECT_TRUE(isWhole(got)) << what << ": content of no whole bracket";
    EXPECT_EQ(checkFaults(path, &mem), std::vector<std::string>{}) << what;
  }

  MemoryFileSystem mem;
  const std::string path = "f.lib";
  std::vector<std::uint8_t> base;
  std::map<int, State> states;
};

// Crashes at every byte of the brackets, power cuts dropping unflushed
// writes, failing writes and failing flushes. The journal puts back every
// bracket a fault broke: the next opener finds the content of a whole
// bracket, never a refused file; a handle whose write or flush failed says so
// and refuses further work.
TEST_F(Faults, EveryFaultInTheBracketsIsRolledBackToAWholeState) {
  const std::int64_t total = bytesOfTheBatch();
  ASSERT_GT(total, 5000);
  struct Case {
    std::string name;
    FaultPlan plan;
  };
  std::vector<Case> cases;
  for (std::int64_t at = 0; at <= total; at += (at < 64 ? 1 : 211)) {
    cases.push_back({"crash at byte " + std::to_string(at), {}});
    cases.back().plan.crashAtByte = at;
  }
  std::mt19937 rng(5);
  for (int round = 0; round < 80; ++round) {
    cases.push_back({"power cut " + std::to_string(round), {}});
    cases.back().plan.crashAtByte = static_cast<std::int64_t>(rng() % static_cast<std::uint32_t>(total + 1));
    cases.back().plan.dropUnflushed = true;
    cases.back().plan.seed = rng();
  }
  for (std::int64_t at : {0, 1, 2, 500, 1500, 3000}) {
    cases.push_back({"write failing at byte " + std::to_string(at), {}});
    cases.back().plan.failAtByte = at;
  }
  for (int n = 1; n <= 6; ++n) {
    cases.push_back({"flush " + std::to_string(n) + " failing", {}});
    cases.back().plan.failFlushNumber = n;
  }
  for (const Case& c : cases) {
    mem.put(path, base);
    FaultFileSystem fs(mem);
    fs.plan() = c.plan;
    {
      RecordStore s;
      ASSERT_EQ(openPartFile(s, path, kReadWriteAccess, ShareMode::Shared, &fs), kOk);
      const int rc = batch(s);  // after a crash nothing more arrives in the file
      if (c.plan.failAtByte >= 0) {
        EXPECT_TRUE(rc == kDiskFull || rc == kDiskWriteError) << c.name << ": " << rc;
        EXPECT_EQ(s.RecordCount(), kWriteInterrupted) << c.name;
      }
      if (c.plan.failFlushNumber > 0) EXPECT_EQ(rc, kDiskWriteError) << c.name;
    }
    expectWhole(c.name);
    if (HasFailure()) return;
  }
}

// A handle open while another writer dies in its bracket: its next read
// puts the journal back and goes on, rather than failing until some writer
// or opener comes along.
TEST_F(Faults, HandleOpenWhenAWriterDiesRollsTheBracketBackOnItsNextRead) {
  const std::int64_t total = bytesOfTheBatch();
  ASSERT_GT(total, 0);
  for (int access : {kReadOnlyAccess, kReadWriteAccess}) {
    for (std::int64_t at : {total / 4, total / 2, total - 100}) {
      mem.put(path, base);
      RecordStore open;
      ASSERT_EQ(openPartFile(open, path, access, ShareMode::Shared, &mem), kOk);
      FaultFileSystem fs(mem);
      fs.plan().crashAtByte = at;
      {
        RecordStore s;
        ASSERT_EQ(openPartFile(s, path, kReadWriteAccess, ShareMode::Shared, &fs), kOk);
        batch(s);
      }
      State got;
      PartRecord r;
      int rc = open.Step(1, kStepFirst);
      for (; rc == kOk; rc = open.Step(1, kStepNext)) {
        ASSERT_EQ(open.ReadRecord(r.fields()), kOk);
        got[r.pn] = r.stamp;
      }
      EXPECT_EQ(rc, kFail) << "crash at byte " << at;
      EXPECT_TRUE(isWhole(got)) << "crash at byte " << at << ": content of no whole bracket";
      EXPECT_EQ(open.Close(), kOk);
      EXPECT_EQ(checkFaults(path, &mem), std::vector<std::string>{}) << "crash at byte " << at;
    }
  }
}

TEST_F(Faults, FullDiskIsFoundBeforeTheTreeChanges) {
  mem.put(path, base);
  mem.setCapacity(base.size());  // no room to grow
  RecordStore s;
  ASSERT_EQ(openPartFile(s, path, kReadWriteAccess, ShareMode::Shared, &mem), kOk);
  PartRecord r;
  int added = 0, rc = kOk;
  for (; added < 500; ++added) {
    fill(r, "FILL-" + std::to_string(added), 2000 + added);
    rc = s.AddRecord(r.fields());
    if (rc != kOk) break;
    states[0]["FILL-" + std::to_string(added)] = 2000 + added;
  }
  EXPECT_EQ(rc, kDiskFull);
  EXPECT_EQ(s.RecordCount(), static_cast<int>(states[0].size()));  // the handle goes on
  ASSERT_EQ(s.Close(), kOk);
  mem.setCapacity(0);
  states = {{0, states[0]}};
  expectWhole("full disk");
  State got;
  int openCode = 0;
  ASSERT_TRUE(readState(path, mem, got, openCode));
  EXPECT_EQ(openCode, kOk);
}

TEST_F(Faults, ProcessKilledInsideWriteBracketsLeavesAWholeFile) {
  ScratchDir dir;
  const std::string real = dir.file("k.lib");
  std::mt19937 rng(17);
  for (int round = 0; round < 6; ++round) {
    writeFileBytes(real, base);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      RecordStore s;
      if (openPartFile(s, real) != kOk) ::_exit(1);
      PartRecord r;
      for (std::int32_t i = 0;; ++i) {  // runs until killed
        if (s.BeginWrite() != kOk) ::_exit(2);
        for (int j = 0; j < 20; ++j) {
          fill(r, "K-" + std::to_string((i * 20 + j) % 300), 3000 + i * 20 + j);
          if (s.AddRecord(r.fields()) == kFail) {
            if (s.FindKey(1, textKey(r.pn), 0, kFindEqual) != kOk || s.LockRecord() != kOk) ::_exit(3);
            if (s.UpdateRecord(r.fields()) != kOk || s.UnlockRecord() != kOk) ::_exit(4);
          }
        }
        if (s.EndWrite() != kOk) ::_exit(5);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + rng() % 200));
    ::kill(pid, SIGKILL);
    const int status = exitCodeOf(pid);
    ASSERT_EQ(status, 100 + SIGKILL) << "the writer stopped by itself: " << status;
    State got;
    int openCode = 0;
    ASSERT_TRUE(readState(real, posixStoreFileSystem(), got, openCode)) << "round " << round;
    EXPECT_EQ(openCode, kOk) << "round " << round;
    EXPECT_EQ(checkFaults(real), std::vector<std::string>{}) << "round " << round;
  }
}

using Clock = std::chrono::steady_clock;

class Locks : public ::testing::Test {
 protected:
  void SetUp() override {
    startStore();
    path = dir.file("l.lib");
    RecordStore s;
    s.SetDurable(false);
    ASSERT_EQ(createPartFile(s, path), kOk);
    PartRecord r;
    for (const char* pn : {"A", "B", "C"}) {
      r.set(pn, "", 401, 0, 20, 1);
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
    }
  }
  void open(RecordStore& s) {
    s.SetDurable(false);
    ASSERT_EQ(openPartFile(s, path), kOk);
  }
  void find(RecordStore& s, const char* pn) { ASSERT_EQ(s.FindKey(1, textKey(pn), 0, kFindEqual), kOk) << pn; }
  int lockEntries(RecordStore& s) {
    int n = 0;
    for (int rc = s.Step(20, kStepFirst); rc == kOk; rc = s.Step(20, kStepNext)) ++n;
    return n;
  }
  // Runs `body` in a child process that ends with _exit, never returning.
  template <typename F>
  void inChild(F body) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      body();
      ::_exit(0);
    }
    ASSERT_EQ(exitCodeOf(pid), 0);
  }

  ScratchDir dir;
  std::string path;
};

TEST_F(Locks, SecondHandleOfOneProcessSeesTheLockAsAnotherProcesss) {
  RecordStore a, b;
  open(a);
  open(b);
  find(a, "B");
  find(b, "B");
  ASSERT_EQ(a.LockRecord(), kOk);
  EXPECT_EQ(b.LockRecord(), kLockedByOther);
  EXPECT_EQ(b.TestLock(), kLockedByOther);
  EXPECT_EQ(b.UnlockRecord(), kLockedByOther);
  PartRecord r;
  EXPECT_EQ(b.UpdateRecord(r.fields()), kMustBeLocked);
  EXPECT_EQ(b.DeleteRecord(r.fields()), kMustBeLocked);
  ASSERT_EQ(a.UnlockRecord(), kOk);
  EXPECT_EQ(b.LockRecord(), kOk);
  EXPECT_EQ(a.TestLock(), kLockedByOther);
}

TEST_F(Locks, LockLeftByADeadProcessIsTakenOver) {
  RecordStore a;
  open(a);  // slot 0; the child takes slot 1
  inChild([&] {
    RecordStore c;
    c.SetDurable(false);
    if (openPartFile(c, path) != kOk || c.UserSlot() != 1) ::_exit(1);
    if (c.FindKey(1, textKey("C"), 0, kFindEqual) != kOk || c.LockRecord() != kOk) ::_exit(2);
    ::_exit(0);  // dies without closing
  });
  find(a, "C");
  EXPECT_EQ(a.TestLock(), kUnlocked);  // its owner is gone
  EXPECT_EQ(lockEntries(a), 1);
  find(a, "C");
  ASSERT_EQ(a.LockRecord(), kOk);
  EXPECT_EQ(a.TestLock(), kLockedBySelf);
  EXPECT_EQ(lockEntries(a), 1);  // replaced, not added
}

TEST_F(Locks, LiveProcesssLockIsNotTakenOver) {
  int ready[2], done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    RecordStore c;
    c.SetDurable(false);
    char x = 1;
    if (openPartFile(c, path) != kOk || c.FindKey(1, textKey("A"), 0, kFindEqual) != kOk || c.LockRecord() != kOk) x = 0;
    (void)!::write(ready[1], &x, 1);
    (void)!::read(done[0], &x, 1);
    ::_exit(0);
  }
  char x = 0;
  ASSERT_EQ(::read(ready[0], &x, 1), 1);
  ASSERT_EQ(x, 1);
  RecordStore a;
  open(a);
  find(a, "A");
  EXPECT_EQ(a.LockRecord(), kLockedByOther);
  (void)!::write(done[1], &x, 1);
  EXPECT_EQ(exitCodeOf(pid), 0);
  EXPECT_EQ(a.LockRecord(), kOk);
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

TEST_F(Locks, RecordNumberGivenToAnotherPartMeanwhileIsNotLocked) {
  RecordStore a, b;
  open(a);
  open(b);
  find(a, "B");
  const auto number = a.CurrentRecord();
  // Meanwhile b deletes "B" and adds "Z", which takes the same number.
  find(b, "B");
  PartRecord r;
  ASSERT_EQ(b.LockRecord(), kOk);
  ASSERT_EQ(b.DeleteRecord(r.fields()), kOk);
  r.set("Z", "", 402, 0, 5, 2);
  ASSERT_EQ(b.AddRecord(r.fields()), kOk);
  ASSERT_EQ(b.CurrentRecord(), number);
  EXPECT_EQ(a.LockRecord(1, textKey("B")), kFail);
  EXPECT_EQ(a.CurrentRecord(), -1);
  EXPECT_EQ(lockEntries(a), 0);
  // With the key it still carries, the lock is taken.
  a.SetCurrentRecord(number);
  EXPECT_EQ(a.LockRecord(1, textKey("Z")), kOk);
}

// A lock entry goes with its record, with the handle that closes, and with
// the slot of a process that died holding it once the slot is opened again.
TEST_F(Locks, LockEntriesGoWithTheRecordTheHandleAndADeadSlot) {
  inChild([&] {
    RecordStore c;
    c.SetDurable(false);
    if (openPartFile(c, path) != kOk || c.UserSlot() != 0) ::_exit(1);
    if (c.FindKey(1, textKey("A"), 0, kFindEqual) != kOk || c.LockRecord() != kOk) ::_exit(2);
    ::_exit(0);
  });
  RecordStore a, b;
  open(a);
  EXPECT_EQ(a.UserSlot(), 0);
  EXPECT_EQ(lockEntries(a), 0);
  find(a, "A");
  ASSERT_EQ(a.LockRecord(), kOk);
  PartRecord r;
  ASSERT_EQ(a.DeleteRecord(r.fields()), kOk);
  r.set("N", "", 1, 0, 0, 0);
  ASSERT_EQ(a.AddRecord(r.fields()), kOk);  // the same number again
  EXPECT_EQ(a.TestLock(), kUnlocked);
  EXPECT_EQ(lockEntries(a), 0);
  find(a, "B");
  ASSERT_EQ(a.LockRecord(), kOk);
  EXPECT_EQ(lockEntries(a), 1);
  ASSERT_EQ(a.Close(), kOk);
  open(b);
  EXPECT_EQ(lockEntries(b), 0);
}

TEST_F(Locks, WriterWaitingForAReaderTimesOutOrIsCancelled) {
  RecordStore a, b;
  open(a);
  open(b);
  ASSERT_EQ(a.BeginRead(), kOk);
  b.SetLockTimeout(std::chrono::milliseconds(150));
  PartRecord r;
  r.set("W", "", 1, 0, 0, 0);
  const auto t0 = Clock::now();
  EXPECT_EQ(b.AddRecord(r.fields()), kFileLocked);
  EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(150));
  int polls = 0;
  b.SetCancelPoll([&] { return ++polls >= 3; });
  EXPECT_EQ(b.AddRecord(r.fields()), kInterrupted);
  EXPECT_EQ(polls, 3);
  b.SetCancelPoll(nullptr);
  ASSERT_EQ(a.EndRead(), kOk);
  EXPECT_EQ(b.AddRecord(r.fields()), kOk);
  // a's next read sees b's record.
  EXPECT_EQ(a.RecordCount(), 4);
}

TEST_F(Locks, ReaderWaitsForTheWriteBracketAndThenSeesItsChanges) {
  int in[2], go[2];
  ASSERT_EQ(::pipe(in), 0);
  ASSERT_EQ(::pipe(go), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    RecordStore c;
    c.SetDurable(false);
    PartRecord r;
    r.set("CHILD", "", 1, 0, 10, 3);
    char x = 1;
    // The bracket starts only once the parent has the file open, however
    // late the parent runs after the fork.
    char started = 0;
    if (::read(go[0], &started, 1) != 1) ::_exit(4);
    if (openPartFile(c, path) != kOk || c.BeginWrite() != kOk || c.AddRecord(r.fields()) != kOk) x = 0;
    (void)!::write(in[1], &x, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (c.EndWrite() != kOk) ::_exit(3);
    ::_exit(x ? 0 : 2);
  }
  RecordStore a;
  open(a);
  const std::uint32_t before = a.header().updateCounter;
  const char start = 1;
  ASSERT_EQ(::write(go[1], &start, 1), 1);
  char x = 0;
  ASSERT_EQ(::read(in[0], &x, 1), 1);
  ASSERT_EQ(x, 1);
  const auto t0 = Clock::now();
  EXPECT_EQ(a.RecordCount(), 4);  // waited for the bracket to end
  EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(150));
  EXPECT_GT(a.header().updateCounter, before);
  EXPECT_EQ(a.FindKey(1, textKey("CHILD"), 0, kFindEqual), kOk);
  EXPECT_EQ(exitCodeOf(pid), 0);
  for (int fd : {in[0], in[1], go[0], go[1]}) ::close(fd);
}

TEST_F(Locks, ExclusiveModeLockIsAFlagOfTheHandle) {
  RecordStore a;
  a.SetDurable(false);
  ASSERT_EQ(openPartFile(a, path, kReadWriteAccess, ShareMode::Exclusive), kOk);
  find(a, "A");
  PartRecord r;
  EXPECT_EQ(a.TestLock(), kUnlocked);
  ASSERT_EQ(a.LockRecord(), kOk);
  EXPECT_EQ(a.TestLock(), kLockedBySelf);
  EXPECT_EQ(lockEntries(a), 0);
  find(a, "A");
  r.set("A", "", 402, 0, 7, 7);
  EXPECT_EQ(a.UpdateRecord(r.fields()), kOk);
  EXPECT_EQ(a.UnlockRecord(), kOk);
}

TEST_F(Locks, NestedBracketsCountAndUnbalancedEndsAreRefused) {
  RecordStore a;
  open(a);
  EXPECT_EQ(a.EndRead(), kParameterError);
  EXPECT_EQ(a.EndWrite(), kParameterError);
  ASSERT_EQ(a.BeginWrite(), kOk);
  ASSERT_EQ(a.BeginRead(), kOk);
  ASSERT_EQ(a.BeginWrite(), kOk);
  PartRecord r;
  r.set("N1", "", 1, 0, 0, 0);
  ASSERT_EQ(a.AddRecord(r.fields()), kOk);
  ASSERT_EQ(a.EndWrite(), kOk);
  ASSERT_EQ(a.EndWrite(), kOk);  // the outer one writes; the read bracket stays
  RecordStore b;
  open(b);
  b.SetLockTimeout(std::chrono::milliseconds(50));
  r.set("N2", "", 1, 0, 0, 0);
  EXPECT_EQ(b.AddRecord(r.fields()), kFileLocked);  // a still reads
  EXPECT_EQ(b.RecordCount(), 4);                     // readers share
  ASSERT_EQ(a.EndRead(), kOk);
  EXPECT_EQ(b.AddRecord(r.fields()), kOk);
}

}  // namespace
}  // namespace kestrel::store::test
