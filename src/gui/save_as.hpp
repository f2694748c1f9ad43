// Save As the way desktop programs do it: a name typed without an extension
// gets the document kind's, and a name that cannot be saved (a wrong
// extension, a folder that is not there, a full disk) is told and asked for
// again instead of closing with nothing saved.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "gui/gui_context.hpp"

namespace kestrel::gui {

// `save` writes the document to a path and tells its own errors; false
// when it failed. True once saved; false when the user cancels.
inline bool saveAsAsking(const GuiContext& context, const std::string& caption, const std::string& filter,
                         std::string_view extension, const std::function<bool(const std::string&)>& save) {
  if (!context.chooseFile) return false;
  for (;;) {
    std::string path = context.chooseFile(true, caption, filter);
    if (path.empty()) return false;
    if (std::filesystem::path(path).extension().empty()) path += std::string(extension);
    if (save(path)) return true;
  }
}

// The question of a window with unsaved changes before it closes: Save
// (through `save`), Discard or Cancel. True when it may close; a discard
// runs `discarded` so that the frame does not ask a second time.
inline bool mayCloseAsking(const GuiContext& context, const std::string& name, const std::function<bool()>& save,
                           const std::function<void()>& discarded) {
  const SaveAnswer answer = context.askSave ? context.askSave(name) : SaveAnswer::Discard;
  if (answer == SaveAnswer::Cancel) return false;
  if (answer == SaveAnswer::Save) return save();
  discarded();
  return true;
}

}  // namespace kestrel::gui
