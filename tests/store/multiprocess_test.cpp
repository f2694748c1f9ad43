// Several processes on one file at once, a short bounded slice
// (multiprocess_stress_test runs the long one).
#include <gtest/gtest.h>

#include "support/process_driver.hpp"

namespace kestrel::store::test {
namespace {

TEST(ProcessesSharingAFile, WritersAndReadersLoseNothingAndSeeNoTornRecord) {
  ProcessRun run;
  runProcesses(run);
}

TEST(ProcessesSharingAFile, TinyCacheInEveryProcess) {
  ProcessRun run;
  run.writers = 2;
  run.readers = 1;
  run.opsPerWriter = 80;
  run.cacheBuffers = 8;
  runProcesses(run);
}

TEST(ProcessesSharingAFile, KilledWriterLosesNoCommittedPart) {
  KilledRun run;
  run.processes = 4;
  run.seconds = 4;
  run.killEvery = 2;
  const KilledFigures figures = runKilledWriters(run);
  EXPECT_EQ(figures.kills, 1);
  EXPECT_GT(figures.committed, 0);
}

}  // namespace
}  // namespace kestrel::store::test
