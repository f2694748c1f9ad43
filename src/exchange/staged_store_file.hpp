// The temporary file a library or cross-reference import works on, beside
// its output: a build starts from nothing, an update from a copy of the
// output. Only commit() moves it into place (an update keeps the old file
// as its .BAK); a run that ends any other way removes it, so the output is
// never half written and an existing file is never overwritten by a build.
#pragma once

#include <string>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

class StagedStoreFile {
 public:
  StagedStoreFile(FileSystem& fs, std::string outputPath);
  ~StagedStoreFile();
  StagedStoreFile(const StagedStoreFile&) = delete;
  StagedStoreFile& operator=(const StagedStoreFile&) = delete;

  const std::string& output() const { return output_; }
  const std::string& temp() const { return temp_; }
  // Clears a stale temporary file; an update also copies the output to it.
  Status prepare(bool fromExisting);
  // Moves the temporary file into place (the caller has closed it).
  Status commit(bool keepBackup);

 private:
  FileSystem& fs_;
  std::string output_;
  std::string temp_;
  bool committed_ = false;
};

}  // namespace kestrel
