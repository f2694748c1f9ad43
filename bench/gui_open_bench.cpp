// The circuit window over a full list: opening a circuit of MaxRecs records
// and showing its first rows, and scrolling to the last rows. The list model
// formats a row only when it is shown, so both stay independent of the
// list's length apart from reading the file. Run offscreen
// (QT_QPA_PLATFORM=offscreen is set when the environment gives none).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <QScrollBar>
#include <unistd.h>

#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "gui/circuit_window.hpp"
#include "models/register_all.hpp"
#include "visible_rows.hpp"

namespace kestrel {
namespace {

std::string benchPath() { return "/tmp/kestrel-gui-bench-" + std::to_string(::getpid()) + ".cir"; }

// A circuit of MaxRecs resistors written once, removed at exit.
const std::string& fullCircuitFile() {
  static const std::string path = [] {
    registerAllParts();
    CCircDoc doc;
    for (std::size_t i = 0; i < kMaxRecs; ++i) {
      auto part = PartRegistry::instance().create(401, false);
      part->PN = "RLR07C" + std::to_string(1000 + i) + "GS";
      part->REFDES = "R" + std::to_string(i + 1);
      part->DESCR = "Film resistor, established reliability";
      doc.appendLoaded(std::move(part));
    }
    const std::string p = benchPath();
    if (!saveDocument(posixFileSystem(), doc, p).isOk()) std::abort();
    return p;
  }();
  return path;
}

struct Frame {
  SilentUi ui;
  gui::GuiContext context;
  Frame() {
    context.ui = &ui;
    context.fs = &posixFileSystem();
  }
};

std::unique_ptr<gui::CircuitWindow> openWindow(Frame& frame) {
  std::unique_ptr<CCircDoc> doc;
  if (!loadDocument(posixFileSystem(), fullCircuitFile(), doc).isOk()) std::abort();
  auto window = std::make_unique<gui::CircuitWindow>(std::move(doc), frame.context);
  window->show();
  QApplication::processEvents();
  return window;
}

int readVisibleRows(gui::CircuitWindow& window) {
  return bench::readVisibleRows(*window.list(), *window.list()->model());
}

void BM_OpenMaxRecsShowFirstRows(benchmark::State& state) {
  fullCircuitFile();
  Frame frame;
  int rows = 0;
  for (auto _ : state) {
    auto window = openWindow(frame);
    if (window->model()->rowCount() != static_cast<int>(kMaxRecs)) std::abort();
    rows = readVisibleRows(*window);
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["rows_shown"] = rows;
}
BENCHMARK(BM_OpenMaxRecsShowFirstRows)->Unit(benchmark::kMillisecond);

void BM_ScrollMaxRecsToEnd(benchmark::State& state) {
  Frame frame;
  auto window = openWindow(frame);
  QTreeView* list = window->list();
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    list->scrollToTop();
    QApplication::processEvents();
    state.ResumeTiming();
    list->scrollToBottom();
    QApplication::processEvents();
    rows = readVisibleRows(*window);
  }
  if (list->verticalScrollBar()->value() != list->verticalScrollBar()->maximum()) std::abort();
  state.counters["rows_shown"] = rows;
}
BENCHMARK(BM_ScrollMaxRecsToEnd)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ::unlink(kestrel::benchPath().c_str());
  return 0;
}
