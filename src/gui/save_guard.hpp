// What a window's save goes through before it writes its file: the file's
// lock for the length of the save, and, when another program has written
// the file since the window read or last saved it, the question whether to
// save over it.
#pragma once

#include <string>

#include "core/document_lock.hpp"
#include "core/file_system.hpp"
#include "core/ui.hpp"

namespace kestrel::gui {

class SaveGuard {
 public:
  // The file as the window has it now (after reading or saving it).
  void remember(FileSystem* fs, const std::string& path) {
    stamp_ = fs != nullptr && !path.empty() ? fs->stamp(path) : FileStamp();
  }
  // True when the save may go on, `lock` then held; false after the lock
  // could not be had (told) or the user kept the file on disk.
  bool mayWrite(FileSystem& fs, Ui& ui, const std::string& path, DocumentLock& lock) const;

 private:
  FileStamp stamp_;
};

}  // namespace kestrel::gui
