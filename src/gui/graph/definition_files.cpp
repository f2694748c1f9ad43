#include "gui/graph/definition_files.hpp"

#include <filesystem>

namespace kestrel::gui {
namespace {

const std::string kFilter = std::string(graph::kGraphDefinitionFilter);

void remember(GuiContext& context, const std::string& path) {
  if (context.settings == nullptr) return;
  graph::rememberGraphDefinition(*context.settings, path);
  context.saveSettings();
}

}  // namespace

std::optional<graph::GraphDefinition> openDefinitionFile(GuiContext& context) {
  const std::string path = context.chooseFile(false, "Open Graph Definition", kFilter);
  if (path.empty()) return std::nullopt;
  graph::GraphDefinition definition;
  if (Status s = graph::openGraphDefinition(*context.fs, path, definition); !s) {
    context.ui->message(s.message());
    return std::nullopt;
  }
  remember(context, path);
  return definition;
}

bool saveDefinitionFile(GuiContext& context, const graph::GraphDefinition& definition) {
  std::string path = context.chooseFile(true, "Save Graph Definition", kFilter);
  if (path.empty()) return false;
  if (!std::filesystem::path(path).has_extension()) path += ".gdf";
  if (Status s = graph::saveGraphDefinition(*context.fs, path, definition); !s) {
    context.ui->message(s.message());
    return false;
  }
  remember(context, path);
  return true;
}

}  // namespace kestrel::gui
