// The What-If? item of the "Activities" menu, acting on the active circuit
// or hybrid window.
#include <QAction>
#include <QMenu>

#include "gui/circuit_window.hpp"
#include "gui/exchange/whatif_command.hpp"
#include "gui/main_window.hpp"
#include "gui/window_modules.hpp"

namespace kestrel::gui {

void installWhatIfAndMerge(MainWindow& frame) {
  QAction* whatIf = frame.menu(QObject::tr("Activities"))->addAction(QObject::tr("&What-If?..."));
  whatIf->setStatusTip(QObject::tr("Change environment, temperature, quality or stress across the hierarchy"));
  QObject::connect(whatIf, &QAction::triggered, &frame, [&frame] {
    if (CircuitWindow* w = frame.activeCircuit()) whatIfOnWindow(*w, frame.context());
  });
  frame.require(whatIf, {kDocumentWindows});
}

}  // namespace kestrel::gui
