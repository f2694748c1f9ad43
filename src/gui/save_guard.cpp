#include "gui/save_guard.hpp"

#include "core/strfmt.hpp"

namespace kestrel::gui {

bool SaveGuard::mayWrite(FileSystem& fs, Ui& ui, const std::string& path, DocumentLock& lock) const {
  if (Status s = lockDocument(fs, path, lock); !s) {
    ui.message(s.message());
    return false;
  }
  // Asked under the lock: no other program writes between the answer and the save.
  return !changedOnDisk(fs, path, stamp_) || ui.confirm(strprintf(kChangedOnDiskQuestion, path.c_str()));
}

}  // namespace kestrel::gui
