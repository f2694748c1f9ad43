// The temporary folder of a graph run: "TMP<seconds>" beside the top-level
// document, a suffix "-2", "-3", ... when that name is taken (two runs in one
// second, or a folder left by a crash), and its removal with every file in
// it, whatever way the run ends.
#pragma once

#include <memory>
#include <string>

#include "graph/scratch_files.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::graph {

// The folder's path with its closing separator must stay below this.
inline constexpr std::size_t kMaxScratchPathLength = 255;
// Names tried before giving up ("TMP<seconds>", then with "-2" ... "-1000").
inline constexpr int kScratchNameTries = 1000;

class ScratchFolder {
 public:
  // Creates the folder in `parentFolder` ("" = the current folder), named
  // from `seconds`. Writes "Graph: Creating Temporary Directory..." (line 1);
  // failures "...Error: path length = %d (max=%d)." or "...Error: can not
  // create directory [%lu]." (line 5) and give null.
  static std::unique_ptr<ScratchFolder> create(ScratchFiles& files, const std::string& parentFolder, long seconds,
                                               Ui& ui);

  // Removes the folder if `remove` has not (quietly: a run that ends by an
  // error has shown its message already).
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  const std::string& name() const { return name_; }
  std::string file(const std::string& fileName) const { return path_ + "/" + fileName; }

  // "Graph: Deleting Temporary Directory..." (line 1), "...deleting file
  // '%s'..." (line 3) for each file, "...Error: can not delete file [%lu]."
  // or "...Error: can not delete directory [%lu]." (line 5). Every file is
  // tried even after a failure. Lines 4 and 5 keep what a failed run wrote
  // there. True when the folder is gone.
  bool remove(Ui& ui);

 private:
  ScratchFolder(ScratchFiles& files, std::string path, std::string name)
      : files_(files), path_(std::move(path)), name_(std::move(name)) {}

  ScratchFiles& files_;
  std::string path_;
  std::string name_;
  bool removed_ = false;
};

}  // namespace kestrel::graph
