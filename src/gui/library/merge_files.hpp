// Merge in the library and cross-reference windows: the input file chosen,
// the question "Merge '%s' into '%s'?", the merge run in the progress
// window with its log lines, and the view brought up to date ("Updating
// view..."). The merge itself is the library's.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "store/library/library_merge.hpp"

namespace kestrel::gui {

struct GuiContext;

// Null when the user chose no file or said No.
std::optional<library::MergeOutcome> mergeIntoFile(
    GuiContext& context, const std::string& intoPath, const std::string& filter,
    const std::function<library::MergeOutcome(const std::string& input, Ui& ui)>& merge,
    const std::function<void()>& refreshView);

}  // namespace kestrel::gui
