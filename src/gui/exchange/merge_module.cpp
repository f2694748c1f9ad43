// The Merge item of the "Activities" menu, acting on the active circuit or
// hybrid window.
#include <QAction>
#include <QMenu>

#include "gui/circuit_window.hpp"
#include "gui/exchange/merge_command.hpp"
#include "gui/main_window.hpp"
#include "gui/window_modules.hpp"

namespace kestrel::gui {

void installMerge(MainWindow& frame) {
  QAction* merge = frame.menu(QObject::tr("Activities"))->addAction(QObject::tr("&Merge..."));
  merge->setStatusTip(QObject::tr("Copy every record of another file into the active document"));
  QObject::connect(merge, &QAction::triggered, &frame, [&frame] {
    if (CircuitWindow* w = frame.activeCircuit()) mergeIntoWindow(*w, frame.context());
  });
  frame.require(merge, {kDocumentWindows});
}

}  // namespace kestrel::gui
