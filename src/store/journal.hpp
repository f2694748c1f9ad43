// The rollback journal of a write bracket, "NAME-journal" beside the store
// file. Before the first byte of the file changes, block 0 as it was and the
// file's length go to the journal and are flushed; before each node is first
// written in the bracket, its original bytes follow, flushed. The bracket's
// end removes the journal once the file is complete and its marker cleared.
//
// A writer that dies leaves the marker set and the journal beside it: the
// next opener copies every original back (block 0 last, which clears the
// marker) and goes on. Every entry carries its own check sum; an entry torn
// by the crash was never followed by the write it guards, so it is skipped.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>

#include "store/store_file.hpp"

namespace kestrel::store {

std::string journalPath(const std::string& storePath);

class Journal {
 public:
  Journal(StoreFileSystem& fs, std::string storePath);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // A new journal holding the file's block 0 and length; flushed.
  int begin(StoreFile& store);
  // The original bytes of the nodes not kept yet in this bracket; flushed.
  int keep(StoreFile& store, std::span<const std::int32_t> nodes);
  // The bracket is complete: the journal goes.
  void end();
  bool active() const { return file_ != nullptr; }

  enum class Recovery { NotNeeded, RolledBack, NoJournal };
  // For a file whose marker is set: puts back what the journal holds and
  // flushes; NoJournal when there is none to trust. A journal left beside a
  // file without the marker belongs to a bracket that finished and is removed.
  static int recover(StoreFileSystem& fs, const std::string& storePath, StoreFile& store, bool markerOn,
                     Recovery& outcome);
  // The same for a file whose update lock the caller holds: reads block 0,
  // and when the marker is set waits (up to `wait`) for the readers to leave
  // before putting the journal back.
  static int recoverLocked(StoreFileSystem& fs, const std::string& storePath, StoreFile& store,
                           std::chrono::milliseconds wait, Recovery& outcome);

 private:
  int append(std::span<const std::uint8_t> bytes);

  StoreFileSystem& fs_;
  std::string path_;
  std::unique_ptr<StoreFile> file_;
  std::uint64_t end_ = 0;
  std::uint64_t storeLength_ = 0;
  std::set<std::int32_t> kept_;
};

}  // namespace kestrel::store
