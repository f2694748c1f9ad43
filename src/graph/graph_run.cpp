#include "graph/graph_run.hpp"

#include <ctime>

#include "core/path_names.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "graph/graph_csv.hpp"
#include "graph/hierarchy_copy.hpp"
#include "graph/high_values.hpp"
#include "graph/scratch_folder.hpp"
#include "graph/sweep.hpp"

namespace kestrel::graph {
namespace {

// Everything between creating the temporary folder and removing it.
bool runInFolder(const GraphJob& job, FileSystem& fs, ScratchFiles& scratch, const ScratchFolder& folder, Ui& ui,
                 GraphOutcome& out) {
  const GraphSettings& s = job.settings;
  std::unique_ptr<WorkingSet> set = copyHierarchy({job.topPath, job.openDocuments}, scratch, folder, ui);
  if (!set) return false;
  out.filesCopied = static_cast<int>(set->size());

  GraphData& data = out.data;
  data.type = s.type;
  data.timeUnit = s.timeUnit;
  data.mission = s.mission;
  data.includeHierarchy = s.includeHierarchy;
  data.topTitle = set->top().title();
  if (sweepOf(s.type) == Sweep::Items) {
    if (!calculateOnce(*set, s, ui)) return false;
    getHighValues(*set, s, ui, data);
  } else if (!runSweep(*set, s, ui, data)) {
    return false;
  }

  if (Status st = graphDataText(data, out.csvText); !st) {
    ui.message(st.message());
    return false;
  }
  if (!writeGraphData(scratch, folder, out.csvText, ui)) return false;
  out.csvPath = publishGraphData(fs, job.topPath, out.csvText, ui);
  if (out.csvPath.empty()) return false;

  ui.clearProgress();
  ui.progressLine(1, strprintf("Creating Graph for '%s'...", upperCased(data.topTitle).c_str()));
  out.plot = buildPlot(data, job.style);
  return true;
}

}  // namespace

GraphOutcome runGraph(const GraphJob& job, FileSystem& fs, ScratchFiles& scratch, Ui& ui) {
  GraphOutcome out;
  if (Status s = checkSettings(job.settings); !s) {
    ui.message(s.message());
    return out;
  }
  const std::string title = upperCased(fileNameOf(job.topPath));
  if (job.confirmFirst &&
      !ui.confirm(kestrel::joinLines(confirmationLines(job.settings, title, job.calculateDialogFollows)))) {
    return out;
  }
  GraphJob adjusted;
  if (job.afterConfirmation) {
    adjusted = job;
    if (!job.afterConfirmation(adjusted.settings)) return out;
  }
  const GraphJob& run = job.afterConfirmation ? adjusted : job;

  const long seconds = job.seconds >= 0 ? job.seconds : static_cast<long>(std::time(nullptr));
  std::unique_ptr<ScratchFolder> folder = ScratchFolder::create(scratch, folderOf(run.topPath), seconds, ui);
  if (!folder) return out;
  out.scratchPath = folder->path();
  const bool ok = runInFolder(run, fs, scratch, *folder, ui, out);
  out.scratchRemoved = folder->remove(ui);
  out.ok = ok;
  return out;
}

}  // namespace kestrel::graph
