// The graph module of the desktop: Activities > "&Graph..." on the active
// circuit or hybrid window. The page starts from the last graph of the
// session, or from the last graph definition file when there is one. Chart
// windows still open when the frame closes offer to save their definitions.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "gui/circuit_window.hpp"
#include "gui/graph/chart_window.hpp"
#include "gui/graph/graph_command.hpp"
#include "gui/library/logged_run.hpp"
#include "gui/main_window.hpp"
#include "gui/window_modules.hpp"

namespace kestrel::gui {
namespace {

graph::GraphDefinition startingDefinition(GuiContext& context) {
  graph::GraphDefinition d;
  d.settings = graph::defaultSettings(graph::kFrVsTemperature);
  if (context.settings == nullptr || context.fs == nullptr) return d;
  const std::string last = graph::lastGraphDefinition(*context.settings);
  graph::GraphDefinition stored;
  // A last file that is gone or damaged is simply not used at start.
  if (!last.empty() && graph::openGraphDefinition(*context.fs, last, stored)) return stored;
  return d;
}

// The last graph of the session, kept by the frame for every window that
// runs a graph in it.
class GraphSession final : public QObject {
 public:
  explicit GraphSession(MainWindow& frame) : QObject(&frame) {}
  std::optional<GraphRequest> request;
};

// findChild would match any QObject here (the class has no meta-object of
// its own), so the children are looked at with dynamic_cast.
GraphSession& sessionOf(MainWindow& frame) {
  for (QObject* child : frame.children()) {
    if (auto* session = dynamic_cast<GraphSession*>(child)) return *session;
  }
  return *new GraphSession(frame);
}

}  // namespace

bool graphInFrame(MainWindow& frame, CircuitWindow& window) {
  std::optional<GraphRequest>& request = sessionOf(frame).request;
  if (!request) {
    request.emplace();
    request->definition = startingDefinition(frame.context());
  }
  request->logFile = operationLogFile(frame.context());
  const std::optional<graph::GraphOutcome> outcome = graphCircuit(frame, window, *request);
  return outcome.has_value() && outcome->ok;
}

void installGraphWindows(MainWindow& frame) {
  QAction* graph = frame.menu(QObject::tr("Activities"))->addAction(QObject::tr("&Graph..."));
  graph->setStatusTip(QObject::tr("Graph the active document against temperature, environment, stress or time"));
  QObject::connect(graph, &QAction::triggered, &frame, [&frame] {
    if (CircuitWindow* w = frame.activeCircuit()) graphInFrame(frame, *w);
  });
  frame.require(graph, {kDocumentWindows});
}

}  // namespace kestrel::gui
