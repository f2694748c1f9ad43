// Opening and saving graph definition files from the desktop: the file
// chooser with "Graph Definition Files (*.gdf)", the library's open and save
// with their "GDF Open..." / "GDF Save..." messages, and the last file kept
// under "Graph" "GDFLastFileSpec".
#pragma once

#include <optional>
#include <string>

#include "graph/graph_definition.hpp"
#include "gui/gui_context.hpp"

namespace kestrel::gui {

// The definition of a chosen file; nothing when the user cancels or the
// file is refused (its message shown).
std::optional<graph::GraphDefinition> openDefinitionFile(GuiContext& context);
// False when the user cancels or the save fails (its message shown). A name
// without an extension gets ".gdf".
bool saveDefinitionFile(GuiContext& context, const graph::GraphDefinition& definition);

}  // namespace kestrel::gui
