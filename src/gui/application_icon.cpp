#include "gui/application_icon.hpp"

// The resource lives in a static library: its registration is called for
// explicitly, outside any namespace, as the resource system requires.
static void initIconResources() { Q_INIT_RESOURCE(kestrel); }

namespace kestrel::gui {

QIcon applicationIcon() {
  initIconResources();
  return QIcon(":/kestrel/kestrel.svg");
}

}  // namespace kestrel::gui
