// What the frame asks of each of its document windows: which kind of window
// it is and what state it is in (a selection, something to undo), so that
// every menu item and tool button is enabled only where it can act, and
// whether it may close (the question about unsaved changes) when it or the
// frame is closed.
#pragma once

namespace kestrel::gui {

// Window kinds as bits, so a command can name several.
enum WindowKind : unsigned {
  kNoWindow = 1u << 0,
  kCircuitWindow = 1u << 1,
  kHybridWindow = 1u << 2,
  kLibraryWindow = 1u << 3,
  kXRefWindow = 1u << 4,
  kProjectWindow = 1u << 5,
  kDefinitionWindow = 1u << 6,
  kChartWindow = 1u << 7,
  kProfileWindow = 1u << 8,
};
using WindowKinds = unsigned;
inline constexpr WindowKinds kDocumentWindows = kCircuitWindow | kHybridWindow;
inline constexpr WindowKinds kKeyedFileWindows = kLibraryWindow | kXRefWindow;
inline constexpr WindowKinds kAnyWindow = kDocumentWindows | kKeyedFileWindows | kProjectWindow |
                                          kDefinitionWindow | kChartWindow | kProfileWindow;
inline constexpr WindowKinds kAlways = kAnyWindow | kNoWindow;

struct WindowState {
  WindowKind kind = kNoWindow;
  bool selection = false;
  bool canUndo = false;
  bool canRedo = false;
};

class FrameChild {
 public:
  virtual ~FrameChild() = default;
  virtual WindowState frameState() const = 0;
  // Asks about unsaved changes; false when the user cancels. Once answered,
  // closing the window asks no more.
  virtual bool mayClose() { return true; }
};

}  // namespace kestrel::gui
