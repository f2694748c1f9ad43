// The rollback journal of a write bracket, "NAME-journal" beside the store
// file. Before the first byte of the file changes, block 0 as it was and
// the original bytes of every node in use that the bracket writes go to the
// journal and are flushed (more nodes follow, flushed, if the cache
// has to write one back early). Only then is the write-in-progress marker
// set; it is cleared, with the new header, once every node is on disk.
//
// A writer that dies leaves the marker set: the next opener copies every
// original back (block 0 last, which clears the marker) and goes on. The
// marker is written but not flushed on its own (the journal's flush comes
// before it, the nodes' flush after it); a power cut that loses it is
// recognised by block 0, which the bracket rewrites only after its nodes
// are on disk: while it still equals the journal's copy, the bracket did
// not end and is put back all the same. The
// journal file outlives a bracket and is overwritten by the next one (a
// file created and deleted per bracket costs more than the bracket); every
// entry carries its bracket's number and its own check sum, so entries of an
// older bracket, or torn by the crash (never followed by the write they
// guard), are not put back. Each handle keeps the journal open from its
// first bracket on; the last handle of the file to close removes it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "store/store_file.hpp"

namespace kestrel::store {

std::string journalPath(const std::string& storePath);

class Journal {
 public:
  Journal(StoreFileSystem& fs, std::string storePath);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Starts the bracket's journal with block 0 and the original bytes of the
  // `nodes` in use; flushed.
  int begin(StoreFile& store, std::span<const std::int32_t> nodes);
  // The original bytes of the nodes not kept yet in this bracket; flushed.
  int keep(StoreFile& store, std::span<const std::int32_t> nodes);
  // The bracket is complete; the journal stays open for the next one.
  void end();
  void close();

  enum class Recovery { NotNeeded, RolledBack, NoJournal };
  // Puts back what the journal holds when the bracket it kept did not end:
  // the marker is set in `block0` (the file's block 0), or block 0 is still
  // the one the journal kept. NoJournal when the marker is set and there is
  // no journal to trust.
  static int recover(StoreFileSystem& fs, const std::string& storePath, StoreFile& store, const std::uint8_t* block0,
                     Recovery& outcome);
  // The same for a file whose update lock the caller holds: reads block 0
  // and waits (up to `wait`) for the readers to leave before putting the
  // journal back.
  static int recoverLocked(StoreFileSystem& fs, const std::string& storePath, StoreFile& store,
                           std::chrono::milliseconds wait, Recovery& outcome);
  // Removes the journal of a file whose marker is clear, for a caller that
  // has the file alone (no other handle holds the journal open).
  static void removeIdle(StoreFileSystem& fs, const std::string& storePath, StoreFile& store);

 private:
  int entries(StoreFile& store, std::span<const std::int32_t> nodes, std::vector<std::uint8_t>& out);
  int append(std::span<const std::uint8_t> bytes);

  StoreFileSystem& fs_;
  std::string path_;
  std::unique_ptr<StoreFile> file_;
  std::uint64_t bracket_ = 0;
  std::uint64_t end_ = 0;
  std::uint64_t usedLength_ = 0;
  std::set<std::int32_t> kept_;
};

}  // namespace kestrel::store
