// The randomized model test, a short bounded slice (model_stress_test runs
// the long one): random adds, updates, deletes, finds and steps against a
// std::map, the trees checked after each batch and the file reopened.
#include <gtest/gtest.h>

#include "support/model_driver.hpp"

namespace kestrel::store::test {
namespace {

TEST(ModelAgainstMap, ManySmallRecordsSplitEveryLevel) {
  ModelRun run;
  run.seed = 7;
  run.batches = 6;
  run.opsPerBatch = 800;
  run.keyPool = 4000;
  run.maxBlob = 40;
  run.longKeys = true;
  const ModelResult r = runModel(run);
  EXPECT_EQ(r.ops, 4800);
  EXPECT_GE(r.height, 3);  // inner nodes split too
}

TEST(ModelAgainstMap, LargeRecordsRunOverSeveralChunksAndLeaves) {
  ModelRun run;
  run.seed = 11;
  run.batches = 5;
  run.opsPerBatch = 300;
  run.keyPool = 400;
  run.maxBlob = 1024;
  const ModelResult r = runModel(run);
  EXPECT_EQ(r.ops, 1500);
  EXPECT_GE(r.height, 3);
}

TEST(ModelAgainstMap, SmallestCacheEvictsDirtyNodesInsideBrackets) {
  ModelRun run;
  run.seed = 3;
  run.batches = 4;
  run.opsPerBatch = 300;
  run.keyPool = 800;
  run.maxBlob = 600;
  run.cacheBuffers = 8;
  run.longKeys = true;
  EXPECT_EQ(runModel(run).ops, 1200);
}

}  // namespace
}  // namespace kestrel::store::test
