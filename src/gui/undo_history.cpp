#include "gui/undo_history.hpp"

#include <utility>

namespace kestrel::gui {

UndoHistory::State UndoHistory::capture(const CCircDoc& doc, std::optional<std::size_t> selection) {
  State state;
  state.header = doc.header();
  state.records.reserve(doc.count());
  for (const auto& part : doc.records()) state.records.push_back(part->clone());
  state.selection = selection;
  return state;
}

void UndoHistory::done(State before) {
  undo_.push_back(std::move(before));
  if (undo_.size() > kSteps) undo_.pop_front();
  redo_.clear();
}

void UndoHistory::restore(CCircDoc& doc, State& state) {
  // The records move back as they were kept, results and all: nothing needs
  // calculating again, and the header's flags say whether its totals fit them.
  doc.clear();
  for (auto& part : state.records) doc.appendLoaded(std::move(part));
  doc.header() = state.header;
  doc.setModified(true);
}

std::optional<std::optional<std::size_t>> UndoHistory::step(std::deque<State>& from, std::deque<State>& to,
                                                            CCircDoc& doc, std::optional<std::size_t> selection) {
  if (from.empty()) return std::nullopt;
  State state = std::move(from.back());
  from.pop_back();
  to.push_back(capture(doc, selection));
  restore(doc, state);
  return state.selection;
}

std::optional<std::optional<std::size_t>> UndoHistory::undo(CCircDoc& doc,
                                                            std::optional<std::size_t> selection) {
  return step(undo_, redo_, doc, selection);
}

std::optional<std::optional<std::size_t>> UndoHistory::redo(CCircDoc& doc,
                                                            std::optional<std::size_t> selection) {
  return step(redo_, undo_, doc, selection);
}

void UndoHistory::clear() {
  undo_.clear();
  redo_.clear();
}

}  // namespace kestrel::gui
