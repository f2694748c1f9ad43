// The application's icon, compiled in from its SVG drawing.
#pragma once

#include <QIcon>

namespace kestrel::gui {

// The icon of the frame and, as the application's default, of every window
// and dialog that has none of its own.
QIcon applicationIcon();

}  // namespace kestrel::gui
