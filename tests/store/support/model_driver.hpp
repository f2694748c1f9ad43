// The randomized model run: a long sequence of adds, updates, deletes, finds
// and steps on a part file, mirrored in a std::map; after each batch the
// file is closed, checked and reopened, and its whole content compared.
#pragma once

#include <cstdint>

namespace kestrel::store::test {

struct ModelRun {
  std::uint32_t seed = 1;
  int batches = 10;
  int opsPerBatch = 200;
  int keyPool = 600;    // distinct part numbers drawn from
  int maxBlob = 1024;   // blob sizes 0..maxBlob (records up to five chunks)
  int cacheBuffers = 50;
  bool longKeys = false;  // 24-character part numbers: fewer entries a node, taller trees
};

struct ModelResult {
  long ops = 0;
  long records = 0;
  int height = 0;  // the tallest tree at the end
};

// Runs it with GoogleTest assertions.
ModelResult runModel(const ModelRun& run);

}  // namespace kestrel::store::test
