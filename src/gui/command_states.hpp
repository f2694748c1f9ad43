// The frame's table of commands and what each needs of the window in front:
// the window kinds it acts on and the state it needs there. Every menu item
// and tool button the table holds is enabled or disabled from it whenever
// the window in front, its selection or its document changes. A command
// that needs no window at all is left out or given kAlways.
#pragma once

#include <QPointer>
#include <utility>
#include <vector>

#include "gui/frame_child.hpp"

class QAction;

namespace kestrel::gui {

struct CommandNeeds {
  WindowKinds kinds = kAlways;
  bool selection = false;
  bool undo = false;
  bool redo = false;

  bool metBy(const WindowState& state) const {
    return (kinds & state.kind) != 0 && (!selection || state.selection) && (!undo || state.canUndo) &&
           (!redo || state.canRedo);
  }
};

class CommandStates {
 public:
  void require(QAction* action, CommandNeeds needs) { commands_.emplace_back(action, needs); }
  // Enables each command whose needs `front` meets and disables the others.
  void update(const WindowState& front);

 private:
  std::vector<std::pair<QPointer<QAction>, CommandNeeds>> commands_;
};

}  // namespace kestrel::gui
