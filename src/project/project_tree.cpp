#include "project/project_tree.hpp"

#include <filesystem>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/path_names.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "project/project_file.hpp"
#include "project/top_level.hpp"

namespace kestrel {
namespace {

constexpr const char* kTooManyNodes = "too many project parts list records";

bool isSubFile(const CPart& part) {
  return part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType;
}

// Walks the hierarchy depth first, adding nodes in tree order.
class TreeBuilder {
 public:
  TreeBuilder(FileSystem& fs, OpenDocuments& open, Ui& ui, std::vector<CProjPart>& nodes)
      : fs_(fs), open_(open), ui_(ui), nodes_(nodes) {}

  // The document at `path` as node of tree level `level`; `link` is the
  // sub-file record of the parent that names it (null for the top).
  Status document(const std::string& path, DocKind kind, int level, const std::string& parentPath,
                  const CPart* link, std::size_t recordNumber) {
    if (Status s = pollCancel(path); !s) return s;
    ui_.progressLine(2, strprintf("'%s' (Level %d)...", upperCased(fileNameOf(path)).c_str(), level));
    ui_.progressLine(4, parentPath.empty() ? std::string()
                                           : strprintf("[Parent='%s']", upperCased(fileNameOf(parentPath)).c_str()));
    // The calculation counts the top-level circuit as level 1.
    if (level + 1 > kMaxLevels) {
      return stop(StatusCode::InvalidArgument, parentPath, recordNumber, "too many levels");
    }

    CProjPart node;
    node.level = level;
    node.kind = kind == DocKind::Hybrid ? ProjNodeKind::Hybrid : ProjNodeKind::Circuit;
    node.file = path;
    node.parentFile = parentPath;
    node.recordNumber = recordNumber;
    if (link != nullptr) {
      node.record = link->clone();
      node.quantity = link->QTY;
      node.dutyCycle = link->DutyCycle;
    }

    // The name as it stands on disk, so that a link to a document above is
    // known for that document: a cycle, whatever its name.
    std::string error;
    StatusCode why = StatusCode::Ok;
    std::string onDisk = DocumentSubFiles::resolveCase(path, error, &why);
    const std::string& same = onDisk.empty() ? path : onDisk;
    for (const std::string& above : ancestors_) {
      if (upperCased(above) == upperCased(path) || DocumentSubFiles::sameFile(above, same)) {
        node.state = ProjNodeState::Cycle;
      }
    }
    std::string found = path;
    if (node.state == ProjNodeState::Present) {
      found = onDisk;
      if (found.empty()) {
        // Two files that match ignoring case: the calculation can not tell them apart either.
        if (why != StatusCode::NotFound) return stop(why, path, 0, "can not open", error);
        node.state = ProjNodeState::Missing;
        found = path;
      }
    }
    node.file = found;
    if (node.state != ProjNodeState::Present) return add(std::move(node));

    ui_.progressLine(3, kind == DocKind::Hybrid ? "...opening Hybrid..." : "...opening Circuit...");
    std::unique_ptr<CCircDoc> doc;
    if (Status s = load(found, kind, doc); !s) return s;
    node.header = std::make_shared<const CCircHeader>(doc->header());
    node.recordCount = doc->count();
    node.printChecked = true;
    if (Status s = add(std::move(node)); !s) return s;

    ui_.progressLine(3, strprintf("...reading %d records...", static_cast<int>(doc->count())));
    const double shareBase = doc->shareBase();
    ancestors_.push_back(found);
    for (std::size_t i = 0; i < doc->count(); ++i) {
      const CPart& part = doc->record(i);
      const std::size_t number = i + 1;
      if (isSubFile(part)) {
        const bool circuit = part.PART_TYPE == kSubCircuitType;
        if (!hasExtension(part.FileName, circuit ? ".CIR" : ".HYB")) {
          return stop(StatusCode::InvalidArgument, found, number,
                      circuit ? "CIR extension mismatch" : "HYB extension mismatch");
        }
        const std::string child = subFilePath(found, part.FileName);
        if (Status s = document(child, circuit ? DocKind::Circuit : DocKind::Hybrid, level + 1, found, &part, number);
            !s) {
          return s;
        }
        ui_.progressLine(2, strprintf("'%s' (Level %d)...", upperCased(fileNameOf(found)).c_str(), level));
        continue;
      }
      CProjPart record;
      record.level = level + 1;
      record.kind = ProjNodeKind::Part;
      record.file = found;
      record.parentFile = found;
      record.recordNumber = number;
      record.quantity = part.QTY;
      record.dutyCycle = part.DutyCycle;
      record.record = part.clone();
      record.shareBase = shareBase;
      if (Status s = add(std::move(record)); !s) return s;
    }
    ancestors_.pop_back();
    return Status::ok();
  }

 private:
  Status add(CProjPart node) {
    if (nodes_.size() + 1 > kMaxProjectNodes) {
      const std::string file = node.isDocument() ? node.parentFile : node.file;
      return stop(StatusCode::InvalidArgument, file.empty() ? node.file : file, node.recordNumber,
                  kTooManyNodes, static_cast<int>(kMaxProjectNodes + 1));
    }
    nodes_.push_back(std::move(node));
    return Status::ok();
  }

  Status load(const std::string& path, DocKind kind, std::unique_ptr<CCircDoc>& doc) {
    std::vector<std::uint8_t> bytes;
    // A document open in a window is shown as the window holds it.
    if (const CCircDoc* held = open_.find(path)) {
      bytes = encodeDocument(*held);
    } else if (Status s = fs_.readFile(path, bytes, kMaxDocumentFileSize); !s) {
      return stop(s.code(), path, 0, "can not open", s.message());
    }
    auto loaded = std::make_unique<CCircDoc>(kind);
    if (Status s = decodeDocument(bytes, kind, *loaded); !s) {
      // A sound file of the other kind is the wrong format; anything else can not be read.
      const std::uint8_t wantKind = kind == DocKind::Hybrid ? 2 : 1;
      const bool wrongKind = checksumMatches(bytes) && bytes.size() >= 2 &&
                             (bytes[0] != wantKind || bytes[1] != (wantKind == 2 ? 1 : 0));
      return stop(wrongKind ? StatusCode::InvalidArgument : s.code(), path, 0,
                  wrongKind ? "unexpected file format" : "can not open", s.message());
    }
    loaded->setPath(path);
    loaded->setTitle(fileNameOf(path));
    doc = std::move(loaded);
    return Status::ok();
  }

  Status pollCancel(const std::string& path) {
    if (!ui_.processEvents()) {
      return Status::error(StatusCode::Cancelled, "'" + path + "': building the project tree was stopped.");
    }
    if (!ui_.cancelRequested()) return Status::ok();
    ui_.clearCancel();
    if (!ui_.confirm("Cancel building project tree?")) return Status::ok();
    return Status::error(StatusCode::Cancelled, "'" + path + "': building the project tree was cancelled.");
  }

  // Shows "...Error: %s." (or with a count "...Error: %s (%d).") and fails
  // naming the file and record; `cause` is the reader's own message.
  Status stop(StatusCode code, const std::string& file, std::size_t recordNumber, const char* text,
              const std::string& cause = {}) {
    const std::string line = strprintf("...Error: %s.", text);
    return fail(code, file, recordNumber, line, cause);
  }
  Status stop(StatusCode code, const std::string& file, std::size_t recordNumber, const char* text,
              int count) {
    return fail(code, file, recordNumber, strprintf("...Error: %s (%d).", text, count), {});
  }
  Status fail(StatusCode code, const std::string& file, std::size_t recordNumber, const std::string& line,
              const std::string& cause) {
    ui_.progressLine(5, line);
    std::string message = "'" + file + "'";
    if (recordNumber > 0) message += strprintf(" R%ld", static_cast<long>(recordNumber));
    message += ": " + line;
    if (!cause.empty()) message += "\n" + cause;
    message += "\n" + std::string(kFixHierarchyHint);
    return Status::error(code, message);
  }

  FileSystem& fs_;
  OpenDocuments& open_;
  Ui& ui_;
  std::vector<CProjPart>& nodes_;
  std::vector<std::string> ancestors_;  // paths of the documents above
};

}  // namespace

std::optional<std::size_t> ProjectTree::parentOf(std::size_t index) const {
  if (index >= nodes_.size()) return std::nullopt;
  const int level = nodes_[index].level;
  for (std::size_t i = index; i-- > 0;) {
    if (nodes_[i].level < level) return i;
  }
  return std::nullopt;
}

std::vector<std::size_t> ProjectTree::documentPath(std::size_t index) const {
  std::vector<std::size_t> path;
  std::optional<std::size_t> at = index;
  if (index < nodes_.size() && !nodes_[index].isDocument()) at = parentOf(index);
  while (at) {
    path.insert(path.begin(), *at);
    at = parentOf(*at);
  }
  return path;
}

bool ProjectTree::toggleCheck(std::size_t index, Ui& ui) {
  if (index >= nodes_.size() || !nodes_[index].isOpenable()) {
    ui.message("TOGGLE: not a valid selection.");
    return false;
  }
  nodes_[index].printChecked = !nodes_[index].printChecked;
  return true;
}

void ProjectTree::setCheck(std::size_t index, bool checked) {
  if (index < nodes_.size() && nodes_[index].isOpenable()) nodes_[index].printChecked = checked;
}

std::size_t ProjectTree::checkedCount() const {
  std::size_t n = 0;
  for (const CProjPart& node : nodes_) n += node.isOpenable() && node.printChecked ? 1 : 0;
  return n;
}

std::string ProjectTree::checkedStatus() const {
  return strprintf("Files to Print (Checked) = %u", static_cast<unsigned>(checkedCount()));
}

Status buildTreeBelow(const std::string& topLevel, FileSystem& fs, Ui& ui, ProjectTree& tree, OpenDocuments& open) {
  ui.clearProgress();
  ui.progressLine(1, "Building Project Tree...");
  std::vector<CProjPart> nodes;
  TreeBuilder builder(fs, open, ui, nodes);
  Status s = builder.document(topLevel, DocKind::Circuit, 0, {}, nullptr, 0);
  if (!s) return s;
  tree.mutableNodes() = std::move(nodes);
  ui.clearProgress();
  return Status::ok();
}

Status buildProjectTree(CProjDoc& project, FileSystem& fs, Ui& ui, ProjectTree& tree, OpenDocuments& open) {
  bool moved = false;
  if (Status s = checkTopLevel(project, fs, ui, moved); !s) return s;
  if (moved) {
    if (Status s = saveProject(fs, project, project.path()); !s) return s;
  }
  std::string error;
  const std::string top = DocumentSubFiles::resolveCase(project.topLevel(), error);
  return buildTreeBelow(top.empty() ? project.topLevel() : top, fs, ui, tree, open);
}

}  // namespace kestrel
