// The long multi-process runs (ctest label "slow").
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrel::store::test
