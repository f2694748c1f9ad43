// Undo and Redo of a circuit window's record and header commands: before a
// command changes the document, its header and records (copies, results
// included) are kept; Undo puts the last kept state back and keeps the
// present one for Redo. A bounded number of steps is kept; saving the
// document forgets them all.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "core/circ_doc.hpp"

namespace kestrel::gui {

class UndoHistory {
 public:
  static constexpr std::size_t kSteps = 20;

  // The document as it is now, with the row selected in it.
  struct State {
    CCircHeader header;
    std::vector<std::unique_ptr<CPart>> records;
    std::optional<std::size_t> selection;
  };
  static State capture(const CCircDoc& doc, std::optional<std::size_t> selection);

  // A command changed the document from `before`: it can be undone, and
  // nothing undone earlier can be redone any more.
  void done(State before);
  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  // Puts the state before the last command back into `doc` and returns the
  // row to select; nothing when there is nothing to undo. Redo likewise.
  std::optional<std::optional<std::size_t>> undo(CCircDoc& doc, std::optional<std::size_t> selection);
  std::optional<std::optional<std::size_t>> redo(CCircDoc& doc, std::optional<std::size_t> selection);
  void clear();

 private:
  static void restore(CCircDoc& doc, State& state);
  // Puts the last state of `from` into `doc`, keeping the present one in `to`.
  static std::optional<std::optional<std::size_t>> step(std::deque<State>& from, std::deque<State>& to,
                                                        CCircDoc& doc, std::optional<std::size_t> selection);

  std::deque<State> undo_;
  std::deque<State> redo_;
};

}  // namespace kestrel::gui
