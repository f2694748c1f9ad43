// The multi-process runs. Forked writers add, update and delete records of
// their own and increment shared records under record locks, while forked
// readers step through the file and check that every record they read is
// whole; the parent then checks that nothing was lost or duplicated.
#pragma once

namespace kestrel::store::test {

struct ProcessRun {
  int writers = 3;
  int readers = 2;
  int opsPerWriter = 400;
  int sharedRecords = 6;
  int cacheBuffers = 50;
};

// Runs it with GoogleTest assertions in the parent.
void runProcesses(const ProcessRun& run);

// The killed-writers run: forked processes add, replace, delete, list and
// find their own parts and put batches of them in one write bracket, for
// `seconds`; every `killEvery` seconds one of them is killed (SIGKILL), one
// caught writing the file when there is one, and started again. Each process logs an operation as committed only once the
// store call returned; a restarted process first checks that its parts are
// as committed (or as the operation it was killed in would have left them).
// At the end every committed part is present once with its last committed
// content, nothing else is, and the file checks clean.
struct KilledRun {
  int processes = 4;
  double seconds = 4;
  double killEvery = 2;
  int partsPerProcess = 40;
};

struct KilledFigures {
  long committed = 0;  // operations logged as committed (a batch counts each part)
  int kills = 0;
  int midWrite = 0;  // kills that left a write bracket to roll back
  int restartsChecked = 0;
};

KilledFigures runKilledWriters(const KilledRun& run);

}  // namespace kestrel::store::test
