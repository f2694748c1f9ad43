// The window modules of the desktop beyond circuits and hybrids. Each adds
// its menu items, windows and file openers to the frame when the frame is
// built; a module keeps its windows in its own folder.
#pragma once

namespace kestrel::gui {

class MainWindow;

// Library and cross-reference windows; Recall, Transfer and Update.
void installLibraryWindows(MainWindow& frame);
// Import definitions, import and export runs.
void installExchangeWindows(MainWindow& frame);
// What-If? on the active circuit or hybrid.
void installWhatIfAndMerge(MainWindow& frame);
// Merge of another file into the active circuit or hybrid.
void installMerge(MainWindow& frame);
// The project tree window.
void installProjectWindow(MainWindow& frame);
// Graph definitions, sweeps and charts.
void installGraphWindows(MainWindow& frame);
// Mission profiles: phases over a hierarchy, calculated, charted and printed.
void installMissionProfileWindow(MainWindow& frame);

inline void installWindowModules(MainWindow& frame) {
  installLibraryWindows(frame);
  installExchangeWindows(frame);
  installWhatIfAndMerge(frame);
  installMerge(frame);
  installProjectWindow(frame);
  installGraphWindows(frame);
  installMissionProfileWindow(frame);
}

}  // namespace kestrel::gui
