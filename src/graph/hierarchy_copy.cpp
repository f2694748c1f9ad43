#include "graph/hierarchy_copy.hpp"

#include <cerrno>
#include <set>

#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/file_identity.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel::graph {
namespace {

std::string fileNameOf(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class HierarchyCopier {
 public:
  // `folder` null: the documents are read into memory only.
  HierarchyCopier(const CopyJob& job, ScratchFiles& files, const ScratchFolder* folder, Ui& ui)
      : job_(job), files_(files), folder_(folder), ui_(ui), set_(std::make_unique<WorkingSet>()) {}

  std::unique_ptr<WorkingSet> run(std::string_view firstLine) {
    ui_.clearProgress();
    ui_.progressLine(1, firstLine);
    if (!kindForPath(job_.topPath)) {
      ui_.progressLine(5, "...Error: top-level doc extension not valid.");
      return nullptr;
    }
    if (!copy(job_.topPath, job_.topPath, 1)) return nullptr;
    return std::move(set_);
  }

 private:
  const CCircDoc* openDocument(const std::string& path) const {
    return job_.openDocuments != nullptr ? job_.openDocuments->find(path) : nullptr;
  }

  bool copyError(int err) {
    ui_.progressLine(5, strprintf("...Error: can not copy file [%lu].", static_cast<unsigned long>(err)));
    return false;
  }

  bool cancelled() {
    if (!ui_.processEvents()) return true;
    if (!ui_.cancelRequested()) return false;
    if (ui_.confirm("Cancel temporary directory copy operation?")) {
      ui_.progressLine(4, "...Cancel.");
      return true;
    }
    ui_.clearCancel();
    return false;
  }

  // The bytes of a document: its state in memory when the user has it open,
  // else its file.
  bool sourceBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (const CCircDoc* open = openDocument(path)) {
      bytes = encodeDocument(*open);
      return true;
    }
    if (const int err = files_.readFile(path, bytes, kMaxDocumentFileSize); err != 0) return copyError(err);
    return true;
  }

  // `asked`: the name the calculation asks for the document by, which a
  // document read into memory only keeps as its path.
  bool copy(const std::string& source, const std::string& asked, int level) {
    const std::string name = fileNameOf(source);
    ui_.progressLine(2, strprintf("'%s' (Level %d)...", upperCased(name).c_str(), level));
    if (level > kMaxLevels) {
      ui_.progressLine(5, "...Error: too many levels.");
      return false;
    }
    if (cancelled()) return false;
    copied_.insert(upperCased(source));

    std::vector<std::uint8_t> bytes;
    if (!sourceBytes(source, bytes)) return false;
    const std::string target = folder_ != nullptr ? folder_->file(name) : asked;
    if (folder_ != nullptr) {
      if (const WriteResult w = files_.writeNewFile(target, bytes); w.error != 0) return copyError(w.error);
    }

    const DocKind kind = kindForPath(source).value_or(DocKind::Circuit);
    auto doc = std::make_unique<CCircDoc>(kind);
    if (Status s = decodeDocument(bytes, kind, *doc); !s) {
      ui_.message("'" + source + "': " + s.message());
      return copyError(EINVAL);
    }
    doc->setPath(target);
    CCircDoc& added = *doc;
    set_->add(std::move(doc));
    return copyChildren(added, source, level);
  }

  bool copyChildren(const CCircDoc& doc, const std::string& source, int level) {
    IdentityPath::Step step(above_, source);
    for (std::size_t i = 0; i < doc.count(); ++i) {
      const CPart& part = doc.record(i);
      const bool subCircuit = part.PART_TYPE == kSubCircuitType;
      if (!subCircuit && part.PART_TYPE != kSubHybridType) continue;
      const int recordNumber = static_cast<int>(i + 1);
      const std::string childName = fileNameOf(part.FileName);
      if (!hasExtension(childName, subCircuit ? ".CIR" : ".HYB")) {
        ui_.progressLine(5, strprintf("...Error: %s extension mismatch (rec#%d).", subCircuit ? "CIR" : "HYB",
                                      recordNumber));
        return false;
      }
      std::string childPath = subFilePath(source, part.FileName);
      const std::string asked = subFilePath(doc.path(), part.FileName);
      if (const CCircDoc* open = openDocument(childPath)) {
        childPath = open->path();  // the name as the user's document has it
      } else {
        std::string error;
        const std::string found = DocumentSubFiles::resolveCase(childPath, error);
        if (found.empty()) {
          ui_.message(error);
          return copyError(ENOENT);
        }
        childPath = found;
      }
      // A document above this one, whatever its name here, closes a cycle.
      if (above_.contains(childPath)) {
        ui_.progressLine(5, strprintf("...Error: self-reference (rec#%d).", recordNumber));
        return false;
      }
      if (copied_.count(upperCased(childPath)) != 0) continue;
      if (!copy(childPath, asked, level + 1)) return false;
      ui_.progressLine(2, strprintf("'%s' (Level %d)...", upperCased(fileNameOf(source)).c_str(), level));
    }
    return true;
  }

  const CopyJob& job_;
  ScratchFiles& files_;
  const ScratchFolder* folder_;
  Ui& ui_;
  std::unique_ptr<WorkingSet> set_;
  std::set<std::string> copied_;  // upper-cased source paths
  IdentityPath above_;            // the documents above the one copied
};

}  // namespace

std::unique_ptr<WorkingSet> copyHierarchy(const CopyJob& job, ScratchFiles& files, const ScratchFolder& folder,
                                          Ui& ui) {
  return HierarchyCopier(job, files, &folder, ui).run("Graph: Copying Files to Temporary Directory...");
}

std::unique_ptr<WorkingSet> readHierarchy(const CopyJob& job, ScratchFiles& files, std::string_view firstLine,
                                          Ui& ui) {
  return HierarchyCopier(job, files, nullptr, ui).run(firstLine);
}

}  // namespace kestrel::graph
