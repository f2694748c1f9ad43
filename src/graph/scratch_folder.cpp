#include "graph/scratch_folder.hpp"

#include <cerrno>

#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel::graph {
namespace {

std::string folderName(long seconds, int attempt) {
  return attempt == 1 ? strprintf("TMP%ld", seconds) : strprintf("TMP%ld-%d", seconds, attempt);
}

}  // namespace

std::unique_ptr<ScratchFolder> ScratchFolder::create(ScratchFiles& files, const std::string& parentFolder,
                                                     long seconds, Ui& ui) {
  ui.clearProgress();
  ui.progressLine(1, "Graph: Creating Temporary Directory...");
  const std::string parent = parentFolder.empty() ? std::string(".") : parentFolder;
  for (int attempt = 1; attempt <= kScratchNameTries; ++attempt) {
    const std::string name = folderName(seconds, attempt);
    const std::string path = parent + "/" + name;
    const std::size_t length = path.size() + 1;  // with the closing separator
    if (length >= kMaxScratchPathLength) {
      ui.progressLine(5, strprintf("...Error: path length = %d (max=%d).", static_cast<int>(length),
                                   static_cast<int>(kMaxScratchPathLength)));
      return nullptr;
    }
    const int err = files.makeFolder(path);
    if (err == 0) return std::unique_ptr<ScratchFolder>(new ScratchFolder(files, path, name));
    if (err != EEXIST) {
      ui.progressLine(5, strprintf("...Error: can not create directory [%lu].", static_cast<unsigned long>(err)));
      return nullptr;
    }
  }
  ui.progressLine(5, strprintf("...Error: can not create directory [%lu].", static_cast<unsigned long>(EEXIST)));
  return nullptr;
}

ScratchFolder::~ScratchFolder() {
  if (removed_) return;
  SilentUi quiet;
  (void)remove(quiet);
}

bool ScratchFolder::remove(Ui& ui) {
  ui.progressLine(1, "Graph: Deleting Temporary Directory...");
  std::vector<std::string> names;
  bool ok = true;
  if (const int err = files_.listFolder(path_, names); err != 0 && err != ENOENT) {
    ui.progressLine(5, strprintf("...Error: can not delete directory [%lu].", static_cast<unsigned long>(err)));
    return false;
  }
  for (const std::string& name : names) {
    ui.progressLine(3, strprintf("...deleting file '%s'...", name.c_str()));
    if (const int err = files_.removeFile(file(name)); err != 0) {
      ui.progressLine(5, strprintf("...Error: can not delete file [%lu].", static_cast<unsigned long>(err)));
      ok = false;
    }
  }
  ui.progressLine(3, {});
  if (const int err = files_.removeFolder(path_); err != 0 && err != ENOENT) {
    ui.progressLine(5, strprintf("...Error: can not delete directory [%lu].", static_cast<unsigned long>(err)));
    return false;
  }
  removed_ = true;
  return ok;
}

}  // namespace kestrel::graph
