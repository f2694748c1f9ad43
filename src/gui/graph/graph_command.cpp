#include "gui/graph/graph_command.hpp"

#include <QMdiArea>

#include "core/circ_doc.hpp"
#include "gui/circuit_window.hpp"
#include "gui/dialogs.hpp"
#include "gui/graph/chart_window.hpp"
#include "gui/graph/graph_sheet.hpp"
#include "gui/library/logged_run.hpp"
#include "gui/main_window.hpp"

namespace kestrel::gui {

std::optional<graph::GraphOutcome> graphCircuit(MainWindow& frame, CircuitWindow& window, GraphRequest& request) {
  GuiContext& context = frame.context();
  // The run reads the document's file (and uses open documents in place),
  // so a new document is saved first.
  if (window.document().path().empty() && !window.saveAs()) return std::nullopt;

  GraphSheet sheet(context, request.definition, &window);
  if (context.runDialog(sheet) != QDialog::Accepted) return std::nullopt;
  request.definition = sheet.definition();

  graph::GraphJob job;
  job.topPath = window.document().path();
  job.settings = request.definition.settings;
  job.style = request.definition.style;
  job.seconds = request.seconds;
  job.calculateDialogFollows = true;
  job.openDocuments = context.openDocuments;
  // The progress window opens once the user has answered the confirmation
  // and the Calculate dialog.
  std::optional<LoggedRun> run;
  bool started = false;
  job.afterConfirmation = [&](graph::GraphSettings& settings) {
    CalculateDialog calculate(*context.settings, *context.ui, &window);
    if (context.runDialog(calculate) != QDialog::Accepted) return false;
    settings.mission = calculate.job().mission;
    settings.missionTime = calculate.job().missionTime;
    request.definition.settings.mission = settings.mission;
    request.definition.settings.missionTime = settings.missionTime;
    run.emplace(*context.ui, "GRAPH", request.logFile);
    started = true;
    return true;
  };

  // The Ui the run reports through: the operation log once it has begun.
  struct RunUi final : Ui {
    Ui& plain;
    std::optional<LoggedRun>& logged;
    RunUi(Ui& p, std::optional<LoggedRun>& l) : plain(p), logged(l) {}
    Ui& now() { return logged ? static_cast<Ui&>(*logged) : plain; }
    void message(std::string_view t) override { now().message(t); }
    bool confirm(std::string_view q) override { return now().confirm(q); }
    void progressLine(int line, std::string_view t) override { now().progressLine(line, t); }
    void clearProgress() override { now().clearProgress(); }
    void progressBar(int i, int n) override { now().progressBar(i, n); }
    bool processEvents() override { return now().processEvents(); }
    bool cancelRequested() override { return now().cancelRequested(); }
    void clearCancel() override { now().clearCancel(); }
    void log(std::string_view line) override { now().log(line); }
  } ui(*context.ui, run);

  graph::GraphOutcome outcome = graph::runGraph(job, *context.fs, graph::posixScratchFiles(), ui);
  if (!started) return std::nullopt;
  if (outcome.ok) {
    ui.log("   ...wrote '" + outcome.csvPath + "'.");
  } else {
    ui.log("   ...the graph did not complete.");
  }
  run.reset();  // ends the log; the progress window keeps its "OK" button
  if (outcome.ok) {
    auto* chart = new ChartWindow(context, outcome.plot, request.definition);
    // The chart's own size, but never larger than the frame's document area.
    const QSize room = frame.mdiArea()->size();
    const QSize wanted(outcome.plot.width + 20, outcome.plot.height + 60);
    frame.addChildWindow(chart, room.isEmpty() ? wanted : wanted.boundedTo(room - QSize(40, 40)));
    if (context.statusText) context.statusText("Graph data: " + outcome.csvPath);
  }
  return outcome;
}

}  // namespace kestrel::gui
