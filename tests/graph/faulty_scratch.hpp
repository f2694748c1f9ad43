// Temporary-folder file operations for tests: the real ones, counted, with
// failures on demand.
#pragma once

#include <string>

#include "graph/scratch_files.hpp"

namespace kestrel::test {

class FaultyScratch final : public graph::ScratchFiles {
 public:
  int makeFolder(const std::string& path) override {
    return failMakeFolder != 0 ? failMakeFolder : real().makeFolder(path);
  }
  int removeFolder(const std::string& path) override { return real().removeFolder(path); }
  int listFolder(const std::string& path, std::vector<std::string>& names) override {
    return real().listFolder(path, names);
  }
  int readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t maxBytes) override {
    ++reads;
    return real().readFile(path, bytes, maxBytes);
  }
  graph::WriteResult writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    ++writes;
    if (failWriteNumber == writes) return {failWriteCode, failWriteStep};
    return real().writeNewFile(path, bytes);
  }
  int removeFile(const std::string& path) override {
    if (!failRemoveName.empty() && path.ends_with("/" + failRemoveName)) return 13;  // EACCES
    return real().removeFile(path);
  }

  int failMakeFolder = 0;
  int failWriteNumber = 0;  // the n-th write fails (1-based; 0: never)
  int failWriteCode = 28;   // ENOSPC
  graph::WriteResult::Step failWriteStep = graph::WriteResult::Step::Write;
  std::string failRemoveName;
  int reads = 0;
  int writes = 0;

 private:
  static graph::ScratchFiles& real() { return graph::posixScratchFiles(); }
};

}  // namespace kestrel::test
