// Enter and double-click on a row of a list or tree run the row's own
// command. Enter is taken by the view while it has the focus, before the
// frame's menu shortcut for the same key sees it.
#pragma once

#include <functional>

class QAbstractItemView;

namespace kestrel::gui {

void onRowActivated(QAbstractItemView* view, std::function<void()> command);

}  // namespace kestrel::gui
