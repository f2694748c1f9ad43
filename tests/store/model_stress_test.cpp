// The long randomized runs (ctest label "slow"): one process against a
// std::map, and several processes on one file with writers killed among them.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/model_driver.hpp"
#include "support/process_driver.hpp"

namespace kestrel::store::test {
namespace {

TEST(ModelAgainstMapStress, TwentyThousandRecordsOfMixedSizes) {
  const ModelResult r = runModel({2024, 20, 3000, 20000, 1024, 50, false});
  EXPECT_EQ(r.ops, 60000);
  EXPECT_GE(r.height, 4);
}

TEST(ModelAgainstMapStress, ManySeedsWithATinyCache) {
  for (std::uint32_t seed = 100; seed < 110; ++seed) {
    EXPECT_EQ(runModel({seed, 8, 1000, 3000, 300, 8, seed % 2 == 0}).ops, 8000) << "seed " << seed;
  }
}

TEST(ProcessesSharingAFileStress, SixWritersThreeReadersThousandsOfOperations) {
  runProcesses({6, 3, 1500, 4, 50});
}

TEST(ProcessesSharingAFileStress, EightProcessesAMinuteAWriterKilledEveryThreeSeconds) {
  const KilledFigures figures = runKilledWriters({8, 60, 3, 40});
  std::printf("killed writers: %ld operations committed, %d kills (%d in the middle of a write), %d restarts checked\n",
              figures.committed, figures.kills, figures.midWrite, figures.restartsChecked);
  EXPECT_EQ(figures.kills, 19);
  EXPECT_GT(figures.committed, 1000);
  EXPECT_GT(figures.midWrite, 0);
}

}  // namespace
}  // namespace kestrel::store::test
