#include "core/document_sub_files.hpp"

#include <filesystem>

#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {

std::string DocumentSubFiles::resolveCase(const std::string& path, std::string& error, StatusCode* why) {
  error.clear();
  if (why != nullptr) *why = StatusCode::Ok;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return path;
  const std::filesystem::path p(path);
  const std::filesystem::path folder = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
  const std::string wanted = upperCased(p.filename().string());
  std::vector<std::string> matches;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (upperCased(it->path().filename().string()) == wanted && it->is_regular_file(ec)) {
      matches.push_back(it->path().string());
    }
  }
  if (matches.size() == 1) return matches.front();
  if (matches.empty()) {
    error = "File does not exist.\n'" + path + "'";
    if (why != nullptr) *why = StatusCode::NotFound;
  } else {
    error = "Two files match the name ignoring case:\n'" + matches[0] + "'\n'" + matches[1] + "'";
    if (why != nullptr) *why = StatusCode::Failed;
  }
  return {};
}

std::string DocumentSubFiles::childFile(const std::string& parentPath, const CPart& record, std::string& error) {
  error.clear();
  if (record.PART_TYPE != kSubCircuitType && record.PART_TYPE != kSubHybridType) {
    error = "OPEN SUB-FILE: not a SubCircuit or SubHybrid part.";
    return {};
  }
  if (record.FileName.empty()) {
    error = "OPEN SUB-FILE: the part names no file.";
    return {};
  }
  if (parentPath.empty()) {
    // A sub-file lies in its parent's folder: a parent never saved has none.
    error = "OPEN SUB-FILE: save this document first; its sub-files lie in its folder.";
    return {};
  }
  return resolveCase(subFilePath(parentPath, record.FileName), error);
}

bool DocumentSubFiles::sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = std::filesystem::equivalent(a, b, ec);
  return ec ? a == b : same;
}

SubFileAccess::Opened DocumentSubFiles::open(const std::string& path, bool keepFiles, Ui& ui) {
  Opened result;
  std::string error;
  const std::string found = resolveCase(path, error);
  if (CCircDoc* open = open_.find(path)) {
    if (!keepFiles) {
      result.doc = open;
      result.wasAlreadyOpen = true;
      return result;
    }
    // A graph run works on files of its own: save an edited open document
    // first, then read the file.
    if (open->isModified() && !saveDocument(fs_, *open, open->path()).isOk()) {
      ui.message("Save error during Graph operation.");
      return result;
    }
  }
  if (found.empty()) {
    ui.message(error);
    return result;
  }
  std::unique_ptr<CCircDoc> doc;
  if (Status s = loadDocument(fs_, found, doc); !s) {
    ui.message("'" + found + "': " + s.message());
    return result;
  }
  result.doc = doc.get();
  result.owned = std::move(doc);
  return result;
}

bool DocumentSubFiles::save(CCircDoc& doc, Ui& ui) {
  if (Status s = saveDocument(fs_, doc, doc.path()); !s) {
    ui.message(s.message());
    return false;
  }
  return true;
}

}  // namespace kestrel
