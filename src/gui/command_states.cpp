#include "gui/command_states.hpp"

#include <QAction>

namespace kestrel::gui {

void CommandStates::update(const WindowState& front) {
  for (const auto& [action, needs] : commands_) {
    if (action) action->setEnabled(needs.metBy(front));
  }
}

}  // namespace kestrel::gui
