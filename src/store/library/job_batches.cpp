#include "store/library/job_batches.hpp"

namespace kestrel::library {

bool JobBatches::beforeChange() {
  if (open_) return true;
  open_ = home_.beginJob();
  return open_;
}

bool JobBatches::end(bool keep) {
  if (!open_) return true;
  open_ = false;
  return home_.endJob(keep);
}

bool JobBatches::afterChange() {
  if (whole_ || ++changes_ % kBatch != 0) return true;
  return end(true);
}

bool JobBatches::pause() { return whole_ || end(true); }

bool JobBatches::finish(bool keep) { return end(keep); }

}  // namespace kestrel::library
