// Short bounded slices of the randomized runs (model_stress_test and
// multiprocess_stress_test run the long ones): one process against a
// std::map, the trees checked after each batch and the file reopened; and
// several processes on one file at once, writers killed among them.
#include <gtest/gtest.h>

#include "support/model_driver.hpp"
#include "support/process_driver.hpp"

namespace kestrel::store::test {
namespace {

struct ModelCase {
  const char* name;
  ModelRun run;  // seed, batches, ops a batch, key pool, largest blob, cache buffers, long keys
  int minHeight;
};

TEST(ModelAgainstMap, EveryOperationAgreesWithTheMap) {
  const ModelCase cases[] = {
      {"many small records split every level", {7, 6, 800, 4000, 40, 50, true}, 3},
      {"large records run over several chunks and leaves", {11, 5, 300, 400, 1024, 50, false}, 3},
      {"smallest cache evicts dirty nodes inside brackets", {3, 4, 300, 800, 600, 8, true}, 0},
  };
  for (const ModelCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ModelResult r = runModel(c.run);
    EXPECT_EQ(r.ops, c.run.batches * c.run.opsPerBatch);
    EXPECT_GE(r.height, c.minHeight);
  }
}

TEST(ProcessesSharingAFile, WritersAndReadersLoseNothingAndSeeNoTornRecord) {
  runProcesses(ProcessRun{});
  runProcesses(ProcessRun{2, 1, 80, 6, 8});  // a tiny cache in every process
}

TEST(ProcessesSharingAFile, KilledWriterLosesNoCommittedPart) {
  const KilledFigures figures = runKilledWriters(KilledRun{4, 4, 2, 40});
  EXPECT_EQ(figures.kills, 1);
  EXPECT_GT(figures.committed, 0);
}

}  // namespace
}  // namespace kestrel::store::test
