// Activities > Graph... on a circuit or hybrid window: the Graph page, the
// confirmation, the Calculate dialog, the batch run in the progress window
// (the "GRAPH" operation log), "GRAPH-DATA.CSV" beside the document, and the
// chart in its own window.
#pragma once

#include <optional>

#include "graph/graph_definition.hpp"
#include "graph/graph_run.hpp"

namespace kestrel::gui {

class CircuitWindow;
class MainWindow;

struct GraphRequest {
  // The definition the Graph page starts from; the accepted one on return.
  graph::GraphDefinition definition;
  // Folder of the operation log file ("" for none).
  std::string logFile;
  // The temporary folder's time in seconds (tests); negative = now.
  long seconds = -1;
};

// Runs a graph of the window's saved file; the outcome of the run, nothing
// when the user cancelled before it (or the document has no file yet and
// was not saved).
std::optional<graph::GraphOutcome> graphCircuit(MainWindow& frame, CircuitWindow& window, GraphRequest& request);

// Activities > Graph... on `window`: the page starts from the frame's last
// graph of the session. True when the chart was drawn.
bool graphInFrame(MainWindow& frame, CircuitWindow& window);

}  // namespace kestrel::gui
