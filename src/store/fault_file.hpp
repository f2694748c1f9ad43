// A store file system for tests that passes everything to another one but can
// be told to fail: a write that stops short at byte N of all bytes written
// (a full disk), a flush or growth that fails, or a crash at byte N: the write
// that crosses N is torn there, and from then on nothing more reaches the file
// (as when the process dies in the middle of a write bracket). At a crash it
// can also drop a random part of the data written since the last flush, as a
// power cut does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/store_file.hpp"

namespace kestrel::store {

struct FaultPlan {
  std::int64_t failAtByte = -1;   // writes fail from this byte on (-1: never)
  std::int64_t crashAtByte = -1;  // the file stops changing at this byte (-1: never)
  int failFlushNumber = 0;        // the n-th flush (1-based) fails (0: never)
  bool failExtend = false;        // every growth of a file fails
  bool dropUnflushed = false;     // at the crash, drop a random part of the unflushed writes
  std::uint32_t seed = 1;         // chooses what a power cut drops
  std::function<void()> onCrash;  // called once at the crash (for example _exit in a child)

  // What happened so far.
  std::int64_t bytesWritten = 0;
  int writes = 0;
  int flushes = 0;
  bool crashed = false;
};

class FaultFileSystem final : public StoreFileSystem {
 public:
  explicit FaultFileSystem(StoreFileSystem& inner, std::shared_ptr<FaultPlan> plan = std::make_shared<FaultPlan>())
      : inner_(inner), plan_(std::move(plan)) {}

  std::unique_ptr<StoreFile> open(const std::string& path, bool writable, OpenResult& result) override;
  std::unique_ptr<StoreFile> createNew(const std::string& path, OpenResult& result) override;
  bool remove(const std::string& path) override;

  FaultPlan& plan() { return *plan_; }

 private:
  StoreFileSystem& inner_;
  std::shared_ptr<FaultPlan> plan_;
};

}  // namespace kestrel::store
