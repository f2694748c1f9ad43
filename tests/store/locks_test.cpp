// Record locks and brackets between handles: two handles of one process
// behave like two processes (open-file-description locks); forked children
// stand in for processes that die holding locks.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "store/record_store.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

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
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
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
  ::waitpid(pid, nullptr, 0);
  EXPECT_EQ(a.LockRecord(), kOk);
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

TEST_F(Locks, ReopeningTheSlotClearsItsLeftoverLocks) {
  inChild([&] {
    RecordStore c;
    c.SetDurable(false);
    if (openPartFile(c, path) != kOk || c.UserSlot() != 0) ::_exit(1);
    if (c.FindKey(1, textKey("A"), 0, kFindEqual) != kOk || c.LockRecord() != kOk) ::_exit(2);
    ::_exit(0);
  });
  RecordStore a;
  open(a);
  EXPECT_EQ(a.UserSlot(), 0);
  EXPECT_EQ(lockEntries(a), 0);
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

TEST_F(Locks, DeleteTakesTheLockWithTheRecord) {
  RecordStore a;
  open(a);
  find(a, "A");
  ASSERT_EQ(a.LockRecord(), kOk);
  PartRecord r;
  ASSERT_EQ(a.DeleteRecord(r.fields()), kOk);
  r.set("N", "", 1, 0, 0, 0);
  ASSERT_EQ(a.AddRecord(r.fields()), kOk);  // the same number again
  EXPECT_EQ(a.TestLock(), kUnlocked);
  EXPECT_EQ(lockEntries(a), 0);
}

TEST_F(Locks, CloseRemovesTheHandlesLocks) {
  RecordStore a, b;
  open(a);
  find(a, "A");
  ASSERT_EQ(a.LockRecord(), kOk);
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
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
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
