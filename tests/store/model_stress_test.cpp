// The long randomized model runs (ctest label "slow").
#include <gtest/gtest.h>

#include "support/model_driver.hpp"

namespace kestrel::store::test {
namespace {

TEST(ModelAgainstMapStress, TwentyThousandRecordsOfMixedSizes) {
  ModelRun run;
  run.seed = 2024;
  run.batches = 20;
  run.opsPerBatch = 3000;
  run.keyPool = 20000;
  run.maxBlob = 1024;
  const ModelResult r = runModel(run);
  EXPECT_EQ(r.ops, 60000);
  EXPECT_GE(r.height, 4);
}

TEST(ModelAgainstMapStress, ManySeedsWithATinyCache) {
  for (std::uint32_t seed = 100; seed < 110; ++seed) {
    ModelRun run;
    run.seed = seed;
    run.batches = 8;
    run.opsPerBatch = 1000;
    run.keyPool = 3000;
    run.maxBlob = 300;
    run.cacheBuffers = 8;
    run.longKeys = seed % 2 == 0;
    EXPECT_EQ(runModel(run).ops, 8000) << "seed " << seed;
  }
}

}  // namespace
}  // namespace kestrel::store::test
