// The long multi-process runs (ctest label "slow").
#include <gtest/gtest.h>

#include <cstdio>

#include "support/process_driver.hpp"

namespace kestrel::store::test {
namespace {

TEST(ProcessesSharingAFileStress, SixWritersThreeReadersThousandsOfOperations) {
  ProcessRun run;
  run.writers = 6;
  run.readers = 3;
  run.opsPerWriter = 1500;
  run.sharedRecords = 4;
  runProcesses(run);
}

TEST(ProcessesSharingAFileStress, EightProcessesAMinuteAWriterKilledEveryThreeSeconds) {
  KilledRun run;
  run.processes = 8;
  run.seconds = 60;
  run.killEvery = 3;
  const KilledFigures figures = runKilledWriters(run);
  std::printf("killed writers: %ld operations committed, %d kills (%d in the middle of a write), %d restarts checked\n",
              figures.committed, figures.kills, figures.midWrite, figures.restartsChecked);
  EXPECT_EQ(figures.kills, 19);
  EXPECT_GT(figures.committed, 1000);
  EXPECT_GT(figures.midWrite, 0);
}

}  // namespace
}  // namespace kestrel::store::test
