// The multi-process run: forked writers add, update and delete records of
// their own and increment shared records under record locks, while forked
// readers step through the file and check that every record they read is
// whole. The parent then checks that nothing was lost or duplicated.
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

}  // namespace kestrel::store::test
