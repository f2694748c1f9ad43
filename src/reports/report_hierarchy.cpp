#include "reports/report_hierarchy.hpp"

#include <set>

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

Status loadOne(FileSystem& fs, const std::string& path, std::unique_ptr<CCircDoc>& doc) {
  if (Status s = loadDocument(fs, path, doc); !s) {
    if (s.message().find(path) != std::string::npos) return s;
    return Status::error("'" + path + "': " + s.message());
  }
  return Status::ok();
}

class HierarchyWalk {
 public:
  HierarchyWalk(FileSystem& fs, std::vector<std::unique_ptr<CCircDoc>>& docs) : fs_(fs), docs_(docs) {}

  // Adds the children of docs_[index], and theirs, at `level` below the top.
  Status children(std::size_t index, int level) {
    // Copy what is needed: docs_ grows (and may move) while walking.
    std::vector<std::string> paths;
    {
      const CCircDoc& parent = *docs_[index];
      for (const auto& part : parent.records()) {
        if (part->PART_TYPE != kSubCircuitType && part->PART_TYPE != kSubHybridType) continue;
        paths.push_back(subFilePath(parent.path(), part->FileName));
      }
    }
    for (const std::string& wanted : paths) {
      std::string error;
      const std::string path = DocumentSubFiles::resolveCase(wanted, error);
      if (path.empty()) {
        std::string flat = error;
        for (char& c : flat) c = c == '\n' ? ' ' : c;
        return Status::error("'" + docs_[index]->path() + "': " + flat);
      }
      if (!seen_.insert(upperCased(path)).second) continue;
      if (level + 1 > kMaxLevels) {
        return Status::error("'" + path + "': too many levels of sub-files");
      }
      std::unique_ptr<CCircDoc> child;
      if (Status s = loadOne(fs_, path, child); !s) return s;
      docs_.push_back(std::move(child));
      if (Status s = children(docs_.size() - 1, level + 1); !s) return s;
    }
    return Status::ok();
  }

  void markSeen(const std::string& path) { seen_.insert(upperCased(path)); }

 private:
  FileSystem& fs_;
  std::vector<std::unique_ptr<CCircDoc>>& docs_;
  std::set<std::string> seen_;
};

}  // namespace

Status loadReportDocuments(FileSystem& fs, const std::string& topPath, bool recursive,
                           std::vector<std::unique_ptr<CCircDoc>>& docs) {
  docs.clear();
  std::unique_ptr<CCircDoc> top;
  if (Status s = loadOne(fs, topPath, top); !s) return s;
  docs.push_back(std::move(top));
  if (!recursive) return Status::ok();
  HierarchyWalk walk(fs, docs);
  walk.markSeen(topPath);
  Status s = walk.children(0, 0);
  if (!s) docs.clear();
  return s;
}

}  // namespace kestrel
