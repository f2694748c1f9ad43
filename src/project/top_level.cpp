#include "project/top_level.hpp"

#include <filesystem>

#include "core/path_names.hpp"
#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "project/project_file.hpp"
#include "project/project_tree.hpp"

namespace kestrel {
namespace {

Status refuse(Ui& ui, StatusCode code, const std::string& path, const std::string& text,
              bool withHint = true) {
  ui.message(text);
  std::string message = "'" + path + "': " + text;
  if (withHint) message += "\n" + std::string(kSetTopLevelHint);
  return Status::error(code, message);
}

// The extension and same-folder checks; may move `top` into the project's folder.
Status checkPlace(const CProjDoc& project, std::string& top, Ui& ui, bool& moved) {
  moved = false;
  if (top.empty()) {
    ui.message(kSetTopLevelHint);
    return Status::error(StatusCode::NotFound,
                         "'" + project.path() + "': no top-level circuit.\n" + std::string(kSetTopLevelHint));
  }
  if (!hasExtension(top, ".CIR")) {
    return refuse(ui, StatusCode::InvalidArgument, top, "Circuit file must have '.CIR' extension.");
  }
  const std::string projectFolder = folderOf(absolutePath(project.path()));
  if (folderOf(absolutePath(top)) == projectFolder) return Status::ok();

  const std::string proposed =
      (std::filesystem::path(projectFolder) / std::filesystem::path(top).filename()).string();
  const std::string question = strprintf(
      "Project Error: all your project files are not in the same directory.\n"
      "Your specified top-level circuit is...\n...%s\n"
      "This is not in the same directory as your project file...\n"
      "Select YES to change your specified top-level circuit to...\n...%s",
      top.c_str(), proposed.c_str());
  if (!ui.confirm(question)) {
    // The user declined to move the top-level circuit into the project's folder.
    return Status::error(StatusCode::Cancelled,
                         "'" + top +
                             "': Project Error: all your project files are not in the same directory.\n" +
                             std::string(kSetTopLevelHint));
  }
  top = proposed;
  moved = true;
  return Status::ok();
}

bool folderExists(const std::string& path) {
  std::error_code ec;
  const std::string folder = folderOf(path);
  return std::filesystem::is_directory(folder.empty() ? "." : folder, ec);
}

}  // namespace

std::string absolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  return p.lexically_normal().string();
}

Status checkTopLevel(CProjDoc& project, FileSystem& fs, Ui& ui, bool& moved) {
  (void)fs;
  std::string top = project.topLevel();
  if (Status s = checkPlace(project, top, ui, moved); !s) return s;
  if (moved) project.setTopLevel(top);
  if (!folderExists(top)) {
    return refuse(ui, StatusCode::NotFound, top, "This drive/directory does not currently exist.");
  }
  std::string error;
  if (DocumentSubFiles::resolveCase(top, error).empty()) {
    return refuse(ui, StatusCode::NotFound, top, "This circuit file does not currently exist.");
  }
  return Status::ok();
}

Status chooseTopLevel(CProjDoc& project, const std::string& path, FileSystem& fs, Ui& ui) {
  std::string top = absolutePath(path);
  bool moved = false;
  if (Status s = checkPlace(project, top, ui, moved); !s) return s;
  if (!folderExists(top)) {
    return refuse(ui, StatusCode::NotFound, top, "This drive/directory does not currently exist.", false);
  }
  std::string error;
  if (DocumentSubFiles::resolveCase(top, error).empty()) {
    CCircDoc created(DocKind::Circuit);
    if (Status s = saveDocument(fs, created, top); !s) {
      ui.message("HEADER: can not save to new file.");
      return Status::error(s.code(), "'" + top + "': HEADER: can not save to new file.\n" + s.message());
    }
  }
  project.setTopLevel(top);
  return Status::ok();
}

}  // namespace kestrel
