#include "reports/report_hierarchy.hpp"

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/file_identity.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

Status loadOne(FileSystem& fs, const std::string& path, std::unique_ptr<CCircDoc>& doc) {
  return loadDocument(fs, path, doc).namingFile(path);
}

class HierarchyWalk {
 public:
  HierarchyWalk(FileSystem& fs, std::vector<std::unique_ptr<CCircDoc>>& docs) : fs_(fs), docs_(docs) {}

  // Adds the children of docs_[index], and theirs, at `level` below the top.
  Status children(std::size_t index, int level) {
    // Copy what is needed: docs_ grows (and may move) while walking.
    const std::string parentPath = docs_[index]->path();
    std::vector<std::pair<std::size_t, std::string>> paths;  // record number, file
    {
      const CCircDoc& parent = *docs_[index];
      for (std::size_t i = 0; i < parent.count(); ++i) {
        const CPart& part = parent.record(i);
        if (part.PART_TYPE != kSubCircuitType && part.PART_TYPE != kSubHybridType) continue;
        std::string error;
        const std::string path = DocumentSubFiles::childFile(parentPath, part, error);
        if (path.empty()) {
          for (char& c : error) c = c == '\n' ? ' ' : c;
          return Status::error(StatusCode::InvalidArgument, "'" + parentPath + "': " + error);
        }
        paths.emplace_back(i + 1, path);
      }
    }
    IdentityPath::Step step(path_, parentPath);
    for (const auto& [record, path] : paths) {
      // A child that is a document above it (under whatever name) closes a cycle.
      if (path_.contains(path)) {
        return Status::error(
            StatusCode::InvalidArgument,
            strprintf("'%s': self-reference (rec#%d)", parentPath.c_str(), static_cast<int>(record)));
      }
      if (!seen_.insert(path)) continue;
      if (level + 1 > kMaxLevels) {
        return Status::error(StatusCode::InvalidArgument, "'" + path + "': too many levels of sub-files");
      }
      std::unique_ptr<CCircDoc> child;
      if (Status s = loadOne(fs_, path, child); !s) return s;
      docs_.push_back(std::move(child));
      if (Status s = children(docs_.size() - 1, level + 1); !s) return s;
    }
    return Status::ok();
  }

  void markSeen(const std::string& path) { seen_.insert(path); }

 private:
  FileSystem& fs_;
  std::vector<std::unique_ptr<CCircDoc>>& docs_;
  IdentityPath path_;     // the documents above the one walked
  FileIdentitySet seen_;  // each document once
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
