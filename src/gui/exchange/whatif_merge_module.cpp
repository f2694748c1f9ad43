#include "gui/main_window.hpp"
#include "gui/window_modules.hpp"

namespace kestrel::gui {

// Not yet in this build: the frame shows no windows of this module.
void installWhatIfAndMerge(MainWindow& frame) { (void)frame; }

}  // namespace kestrel::gui
