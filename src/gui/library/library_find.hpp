// Find in a library, as the library window and the recall browse dialog
// run it: by part number or PN2 (from the top or after the current
// record), or by part type, with the library view's messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ui.hpp"
#include "gui/library/library_dialogs.hpp"
#include "store/library/part_library.hpp"

namespace kestrel::gui {

// The part-type menus the Find dialog offers, for circuits and hybrids.
struct PartTypeMenus {
  std::vector<std::string> circuit, hybrid;
};

// False, with the registry's message shown, when a menu can not be built.
bool buildPartTypeMenus(PartTypeMenus& menus, Ui& ui);

// The record `job` finds (`current` is the selected record, -1 for none);
// none, with "...Matching record was not found." or the read failure shown.
std::optional<std::int32_t> findLibraryRecord(library::PartLibrary& lib, const LibraryFindJob& job,
                                              std::int32_t current, const PartTypeMenus& menus, Ui& ui);

}  // namespace kestrel::gui
