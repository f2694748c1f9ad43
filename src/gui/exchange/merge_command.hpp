// Merge on the desktop: every record of a chosen circuit (or hybrid) file
// copied into the window's document, recalculated against its header. The
// progress window shows the run and stays up with its "OK" button.
#pragma once

namespace kestrel::gui {

class CircuitWindow;
struct GuiContext;

// Asks for the source file ("Merge"), saves a document that has no file yet,
// asks "Merge '%s' into '%s'?" and merges. True when the merge ran through;
// records copied before a failure stay in the document, which then shows them.
bool mergeIntoWindow(CircuitWindow& window, GuiContext& context);

}  // namespace kestrel::gui
