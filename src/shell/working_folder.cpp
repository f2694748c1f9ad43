#include "shell/working_folder.hpp"

#include <filesystem>

namespace kestrel {

namespace fs = std::filesystem;

bool restoreWorkingFolder(const Settings& settings) {
  const std::string folder =
      settings.text("Settings", "WorkingDrive") + settings.text("Settings", "WorkingDir");
  if (folder.empty()) return false;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  fs::current_path(folder, ec);
  return !ec;
}

void rememberWorkingFolder(Settings& settings) {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  if (ec) return;
  settings.setText("Settings", "WorkingDrive", here.root_name().string());
  settings.setText("Settings", "WorkingDir", (here.root_directory() / here.relative_path()).string());
}

}  // namespace kestrel
