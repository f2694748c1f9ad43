// JobBatches: a run of many changes (transfer, merge, recovery, copy) put
// into a library's jobs. A file takes them in batches of one write bracket
// each (one flush per batch, and no other process waits long on the file);
// a database takes the whole run as one transaction, kept whole or undone
// whole.
#pragma once

#include <cstddef>

#include "store/library/library_home.hpp"

namespace kestrel::library {

class JobBatches {
 public:
  explicit JobBatches(LibraryHome& home) : home_(home), whole_(home.keyedFile() == nullptr) {}
  // A run left without `finish` is undone where the home can undo it.
  ~JobBatches() {
    if (open_) home_.endJob(false);
  }
  JobBatches(const JobBatches&) = delete;
  JobBatches& operator=(const JobBatches&) = delete;

  // Before a change: a job is begun when none is open. False (the home's
  // error set) when it can not be.
  bool beforeChange();
  // After a change: a file's batch ends every kBatch changes.
  bool afterChange();
  // Before a question to the user: a file's batch ends, so nobody waits on
  // the file meanwhile; a database's transaction stays open.
  bool pause();
  // Ends the run: kept, or (where the home can) undone.
  bool finish(bool keep);
  // Whether a failure undoes the whole run (a database) or only stops it.
  bool undoesWhole() const { return whole_; }

  static constexpr std::size_t kBatch = 32;

 private:
  bool end(bool keep);

  LibraryHome& home_;
  bool whole_;
  bool open_ = false;
  std::size_t changes_ = 0;
};

}  // namespace kestrel::library
