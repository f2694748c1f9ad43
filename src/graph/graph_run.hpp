// One graph run from start to end: the checks and the confirmation, the
// temporary folder, the copies of the hierarchy, the batch calculations or
// the high values, "GRAPH-DATA.CSV" (in the temporary folder, then beside
// the top-level document), the chart's plot model, and the removal of the
// temporary folder however the run ends. The user's files are only read.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "graph/chart_style.hpp"
#include "graph/graph_data.hpp"
#include "graph/graph_settings.hpp"
#include "graph/plot_model.hpp"
#include "graph/scratch_files.hpp"

namespace kestrel::graph {

struct GraphJob {
  std::string topPath;  // the top-level document, ".CIR" or ".HYB"
  GraphSettings settings;
  ChartStyle style;
  // Documents the user has open (null: none): their state in memory is used
  // in place of their files.
  OpenDocuments* openDocuments = nullptr;
  // The time in seconds that names the temporary folder; negative = now.
  long seconds = -1;
  // The Calculate dialog follows the confirmation (the desktop application).
  bool calculateDialogFollows = false;
  // False for batch runs: the graph starts without its confirmation.
  bool confirmFirst = true;
  // Asked after a Yes to the confirmation, before anything is created (the
  // desktop's Calculate dialog): may set the calculate mode and mission
  // time of the run; false ends the run.
  std::function<bool(GraphSettings&)> afterConfirmation;
};

struct GraphOutcome {
  bool ok = false;
  GraphData data;
  PlotModel plot;
  std::string csvText;
  std::string csvPath;         // beside the top-level document
  std::string scratchPath;     // the temporary folder the run used
  bool scratchRemoved = false;
  int filesCopied = 0;         // each file of the hierarchy is copied once
};

// Runs the graph. A check that fails shows its message; No to the
// confirmation ends the run before anything is created.
GraphOutcome runGraph(const GraphJob& job, FileSystem& fs, ScratchFiles& scratch, Ui& ui);

}  // namespace kestrel::graph
