// The library window over a 100 000-part library: opening it and showing
// its first rows, and scrolling to the last rows and back to the middle.
// The list reads the store a page at a time as rows are shown, so neither
// depends on the library's size. Run offscreen (QT_QPA_PLATFORM=offscreen is
// set when the environment gives none).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QScrollBar>

#include "core/ui.hpp"
#include "gui/library/library_window.hpp"
#include "library_100k.hpp"
#include "shell/settings.hpp"
#include "visible_rows.hpp"

namespace kestrel {
namespace {

using bench::benchLibrary;
using bench::kParts;

Settings benchSettings() {
  std::vector<std::string> warnings;
  return Settings::load(posixFileSystem(), "/tmp/kestrel-gui-library-bench.ini", warnings);
}

struct Frame {
  SilentUi ui;
  Settings settings = benchSettings();
  gui::GuiContext context;
  Frame() {
    context.ui = &ui;
    context.fs = &posixFileSystem();
    context.settings = &settings;
  }
};

std::unique_ptr<gui::LibraryWindow> openWindow(Frame& frame) {
  auto window = gui::LibraryWindow::open(benchLibrary(), frame.context);
  if (!window) std::abort();
  window->resize(820, 600);
  window->show();
  QApplication::processEvents();
  return window;
}

int readVisibleRows(gui::LibraryWindow& window) { return bench::readVisibleRows(*window.list(), *window.model()); }

void BM_Open100000PartLibraryShowFirstRows(benchmark::State& state) {
  benchLibrary();
  Frame frame;
  int rows = 0;
  for (auto _ : state) {
    auto window = openWindow(frame);
    if (window->model()->rowCount() != static_cast<int>(kParts)) std::abort();
    rows = readVisibleRows(*window);
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["rows_shown"] = rows;
}
BENCHMARK(BM_Open100000PartLibraryShowFirstRows)->Unit(benchmark::kMillisecond);

// One jump of the scroll bar to a place not yet read: the end, then the middle.
void BM_Scroll100000PartLibrary(benchmark::State& state) {
  Frame frame;
  auto window = openWindow(frame);
  QScrollBar* bar = window->list()->verticalScrollBar();
  int rows = 0;
  bool toEnd = true;
  for (auto _ : state) {
    bar->setValue(toEnd ? bar->maximum() : bar->maximum() / 2 + (rows % 7) * 1000);
    QApplication::processEvents();
    rows = readVisibleRows(*window);
    toEnd = !toEnd;
  }
  if (rows == 0) std::abort();
  state.counters["rows_shown"] = rows;
}
BENCHMARK(BM_Scroll100000PartLibrary)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
