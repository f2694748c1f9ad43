// The library window over a 100 000-part library: opening it and showing
// its first rows, and scrolling to the last rows and back to the middle.
// The list reads the store a page at a time as rows are shown, so neither
// depends on the library's size. Run offscreen (QT_QPA_PLATFORM=offscreen is
// set when the environment gives none).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <filesystem>

#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "gui/library/library_window.hpp"
#include "models/register_all.hpp"
#include "shell/settings.hpp"

namespace kestrel {
namespace {

constexpr long kParts = 100000;
const std::string kPath = "/tmp/kestrel-library-bench-100k.lib";

// Builds the library once per machine (the library bench uses the same file).
const std::string& benchLibrary() {
  static const bool made = [] {
    registerAllParts();
    library::StoreMessage error;
    if (auto lib = library::PartLibrary::open(kPath, false, error); lib && lib->count() == kParts) return true;
    std::filesystem::remove(kPath);
    auto lib = library::PartLibrary::create(kPath, error);
    if (!lib) return false;
    lib->store().SetDurable(false);
    const std::uint16_t types[] = {401, 403, 302, 301, 502, 504};
    for (long i = 0; i < kParts; ++i) {
      auto part = PartRegistry::instance().create(types[i % 6], false);
      part->PN = strprintf("PN%07ld", (i * 7919) % kParts);
      part->PN2 = "ALT" + part->PN;
      part->DESCR = "Bench part";
      if (lib->add(*part) != library::Outcome::Ok) return false;
    }
    return lib->close();
  }();
  if (!made) std::abort();
  return kPath;
}

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

// Reads the rows the list shows now, as painting does; returns their count.
int readVisibleRows(gui::LibraryWindow& window) {
  QListView* list = window.list();
  const QRect area = list->viewport()->rect();
  const QModelIndex first = list->indexAt(area.topLeft());
  QModelIndex last = list->indexAt(QPoint(area.left(), area.bottom()));
  if (!last.isValid()) last = window.model()->index(window.model()->rowCount() - 1);
  int rows = 0;
  for (int r = first.row(); first.isValid() && r <= last.row(); ++r) {
    benchmark::DoNotOptimize(window.model()->data(window.model()->index(r), Qt::DisplayRole));
    ++rows;
  }
  return rows;
}

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
