#include "project/tree_edits.hpp"

#include <filesystem>

#include "core/path_names.hpp"
#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "core/document_sub_files.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/windows1252.hpp"
#include "project/project_tree.hpp"
#include "project/top_level.hpp"

namespace kestrel {
namespace {

EditResult refused(Ui& ui, StatusCode code, const std::string& file, const std::string& text,
                   const std::string& cause = {}) {
  ui.message(text);
  EditResult result;
  std::string message = "'" + file + "': " + text;
  if (!cause.empty()) message += "\n" + cause;
  result.status = Status::error(code, message);
  return result;
}

// Refused because of a lower failure, whose kind it keeps.
EditResult refused(Ui& ui, const std::string& file, const std::string& text, const Status& cause) {
  return refused(ui, cause.code(), file, text, cause.message());
}

EditResult done() {
  EditResult result;
  result.changed = true;
  return result;
}

const char* subKindName(std::uint16_t type) { return type == kSubHybridType ? "SubHybrid" : "SubCircuit"; }

// Opens a parent circuit, locked until `lock` goes (after its save);
// `unexpected` tells a sound file of another kind from one that can not be read.
Status openCircuit(FileSystem& fs, const std::string& path, std::unique_ptr<CCircDoc>& doc, bool& unexpected,
                   DocumentLock& lock) {
  unexpected = false;
  if (Status s = lockDocument(fs, path, lock); !s) return s;
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxDocumentFileSize); !s) return s;
  auto loaded = std::make_unique<CCircDoc>(DocKind::Circuit);
  if (Status s = decodeDocument(bytes, DocKind::Circuit, *loaded); !s) {
    unexpected = checksumMatches(bytes) && bytes.size() >= 2 && (bytes[0] != 1 || bytes[1] != 0);
    return s;
  }
  loaded->setPath(path);
  loaded->setTitle(fileNameOf(path));
  doc = std::move(loaded);
  return Status::ok();
}

// A parent circuit: the document a window holds, or one read from its file.
struct Parent {
  CCircDoc* doc = nullptr;
  std::unique_ptr<CCircDoc> loaded;  // null: the window's document
  CCircDoc* operator->() const { return doc; }
  CCircDoc& operator*() const { return *doc; }
};

// A file's parent is locked until `lock` goes (after its save); a window's is not.
Status openParent(FileSystem& fs, OpenDocuments& open, const std::string& path, Parent& parent, bool& unexpected,
                  DocumentLock& lock) {
  if (CCircDoc* held = open.find(path)) {
    unexpected = held->kind() != DocKind::Circuit;
    if (unexpected) return Status::error(StatusCode::InvalidArgument, "'" + path + "' is not a circuit.");
    parent.doc = held;
    return Status::ok();
  }
  if (Status s = openCircuit(fs, path, parent.loaded, unexpected, lock); !s) return s;
  parent.doc = parent.loaded.get();
  return Status::ok();
}

bool isChildNode(const ProjectTree& tree, std::size_t index) {
  if (index >= tree.size()) return false;
  const CProjPart& node = tree.node(index);
  return node.isDocument() && node.level > 0 && node.record && node.recordNumber > 0;
}

// The record `node` was built from, checked against the parent as it is now.
EditResult findLink(const CCircDoc& parent, const CProjPart& node, const char* command, Ui& ui,
                    std::size_t& index) {
  if (node.recordNumber == 0 || node.recordNumber > parent.count()) {
    return refused(ui, StatusCode::NotFound, parent.path(), strprintf("%s: item record# error.", command));
  }
  const CPart& now = parent.record(node.recordNumber - 1);
  const CPart& then = *node.record;
  if (now.PART_TYPE != then.PART_TYPE || now.FileName != then.FileName || now.PN != then.PN ||
      now.REFDES != then.REFDES) {
    return refused(ui, StatusCode::NotFound, parent.path(), strprintf("%s: item ID match error.", command));
  }
  index = node.recordNumber - 1;
  return EditResult();
}

// Whether `childPath` is one of the documents from the top down to node
// `parent`, by name or as the same file under another name.
bool refersBack(const ProjectTree& tree, std::size_t parent, const std::string& childPath) {
  for (std::size_t at : tree.documentPath(parent)) {
    const std::string& above = tree.node(at).file;
    if (upperCased(above) == upperCased(childPath) || DocumentSubFiles::sameFile(above, childPath)) return true;
  }
  return false;
}

EditResult saveParent(FileSystem& fs, OpenDocuments& open, Parent& parent, const std::string& text, Ui& ui) {
  // The parent's results no longer cover its hierarchy.
  parent->header().CalcFlags = 0;
  parent->setModified(true);
  if (!parent.loaded) {
    open.changed(*parent);
    return EditResult();
  }
  if (Status s = saveDocument(fs, *parent, parent->path()); !s) return refused(ui, parent->path(), text, s);
  return EditResult();
}

}  // namespace

EditResult addChild(const ProjectTree& tree, std::size_t parentIndex, ChildMode mode, const std::string& childFile,
                    std::unique_ptr<CPart> record, FileSystem& fs, Ui& ui, OpenDocuments& open) {
  if (parentIndex >= tree.size() || tree.node(parentIndex).kind != ProjNodeKind::Circuit) {
    return refused(ui, StatusCode::InvalidArgument, childFile, "ADD: project part selection is not CIRCUIT.");
  }
  const CProjPart& parentNode = tree.node(parentIndex);
  const bool hybrid = mode == ChildMode::SubHybrid;
  const std::uint16_t type = hybrid ? kSubHybridType : kSubCircuitType;
  if (!hasExtension(childFile, hybrid ? ".HYB" : ".CIR")) {
    return refused(
        ui, StatusCode::InvalidArgument, childFile,
        hybrid ? "Hybrid file must have '.HYB' extension." : "Circuit file must have '.CIR' extension.");
  }
  if (childFile.find_first_of("/\\") != std::string::npos &&
      folderOf(absolutePath(childFile)) != folderOf(absolutePath(parentNode.file))) {
    return refused(ui, StatusCode::InvalidArgument, childFile,
                   "Child file must be in same directory as parent Circuit.");
  }
  const std::string name = fileNameOf(childFile);
  if (name.size() > kMaxChildFileName) {
    return refused(
        ui, StatusCode::InvalidArgument, childFile,
        strprintf("ADD: child file name is longer than %d characters.", static_cast<int>(kMaxChildFileName)));
  }
  const std::string childPath = subFilePath(parentNode.file, name);
  if (refersBack(tree, parentIndex, childPath)) {
    return refused(ui, StatusCode::InvalidArgument, childPath,
                   "ADD: the child file is the parent Circuit or a Circuit above it.");
  }
  std::string error;
  const bool exists = !DocumentSubFiles::resolveCase(childPath, error).empty();
  const char* kindName = subKindName(type);
  const std::string question = strprintf(
      "Add child item to parent Circuit?\n"
      "Select YES to Add a %s part record to parent '%s'...\n"
      "...this %s part record will refer to file '%s'...\n"
      "...note: the file '%s' %s.",
      kindName, fileNameOf(parentNode.file).c_str(), kindName, name.c_str(), childPath.c_str(),
      exists ? "already exists" : "will be created");
  if (!ui.confirm(question)) return EditResult();

  Parent parent;
  bool unexpected = false;
  DocumentLock lock;
  if (Status s = openParent(fs, open, parentNode.file, parent, unexpected, lock); !s) {
    return refused(
        ui, parentNode.file,
        unexpected ? "ADD: unexpected file format for parent Circuit." : "ADD: can not open parent Circuit.",
        s);
  }
  if (parent->count() >= kMaxRecs) {
    return refused(ui, StatusCode::InvalidArgument, parent->path(), "ADD: parent Circuit list is full.");
  }

  std::unique_ptr<CPart> part = record ? std::move(record) : PartRegistry::instance().create(type, false);
  if (!part || part->PART_TYPE != type) {
    return refused(ui, StatusCode::InvalidArgument, parent->path(), "ADD: can not create part object.");
  }
  // The record keeps its texts in Windows-1252; a name the code page cannot
  // hold stays as the file system spells it, so the file is still found.
  const Windows1252Text stored = utf8ToWindows1252(name);
  part->FileName = stored.lossless() ? stored.text : name;
  part->IS_HYBRID = 0;

  if (!exists) {
    CCircDoc created(hybrid ? DocKind::Hybrid : DocKind::Circuit);
    if (Status s = saveDocument(fs, created, childPath); !s) {
      return refused(ui, childPath, "ADD: can not save to new file.", s);
    }
  }
  if (!parent->addRecord(std::move(part), ui)) {
    return refused(ui, StatusCode::InvalidArgument, parent->path(), "ADD: parent Circuit list is full.");
  }
  if (EditResult r = saveParent(fs, open, parent, "ADD: can not save parent Circuit.", ui); !r.status) return r;
  return done();
}

EditResult removeChild(const ProjectTree& tree, std::size_t childIndex, FileSystem& fs, Ui& ui, OpenDocuments& open) {
  if (!isChildNode(tree, childIndex)) {
    return refused(ui, StatusCode::InvalidArgument,
                   childIndex < tree.size() ? tree.node(childIndex).file : std::string(),
                   "DELETE: not a valid project part selection.");
  }
  const CProjPart& child = tree.node(childIndex);
  const char* kindName = subKindName(child.record->PART_TYPE);
  const std::string parentName = fileNameOf(child.parentFile);
  const std::string question =
      strprintf("Delete child item from parent Circuit?\n"
                "Select YES to Delete record# %d in parent '%s'...\n"
                "...this is a %s part record referring to '%s'...\n"
                "...this will NOT delete the actual data file '%s'...\n"
                "...it will only delete the reference to this data file in '%s'.",
                static_cast<int>(child.recordNumber), parentName.c_str(), kindName,
                child.record->FileName.c_str(), child.file.c_str(), parentName.c_str());
  if (!ui.confirm(question)) return EditResult();

  Parent parent;
  bool unexpected = false;
  DocumentLock lock;
  if (Status s = openParent(fs, open, child.parentFile, parent, unexpected, lock); !s) {
    return refused(ui, child.parentFile, "DELETE: can not open parent Circuit.", s);
  }
  std::size_t index = 0;
  if (EditResult r = findLink(*parent, child, "DELETE", ui, index); !r.status) return r;
  (void)parent->take(index);
  if (EditResult r = saveParent(fs, open, parent, "DELETE: can not save parent Circuit.", ui); !r.status) return r;
  return done();
}

EditResult moveChild(const ProjectTree& tree, std::size_t childIndex, std::size_t newParentIndex, FileSystem& fs,
                     Ui& ui, OpenDocuments& open) {
  if (!isChildNode(tree, childIndex)) {
    return refused(ui, StatusCode::InvalidArgument,
                   childIndex < tree.size() ? tree.node(childIndex).file : std::string(),
                   "MOVE: not a valid project part selection.");
  }
  const CProjPart& child = tree.node(childIndex);
  if (newParentIndex >= tree.size() || tree.node(newParentIndex).kind != ProjNodeKind::Circuit) {
    return refused(ui, StatusCode::InvalidArgument, child.file,
                   "MOVE: project part selection is not CIRCUIT.");
  }
  const CProjPart& target = tree.node(newParentIndex);
  if (upperCased(target.file) == upperCased(child.parentFile)) {
    return refused(ui, StatusCode::InvalidArgument, target.file,
                   "MOVE: the child item is in that parent Circuit already.");
  }
  const std::string movedPath = subFilePath(target.file, child.record->FileName);
  if (refersBack(tree, newParentIndex, movedPath)) {
    return refused(ui, StatusCode::InvalidArgument, target.file,
                   "MOVE: the new parent Circuit is the child item or lies below it.");
  }
  const char* kindName = subKindName(child.record->PART_TYPE);
  const std::string question =
      strprintf("Move child item to another parent Circuit?\n"
                "Select YES to Move record# %d of parent '%s' to parent '%s'...\n"
                "...this is a %s part record referring to '%s'.",
                static_cast<int>(child.recordNumber), fileNameOf(child.parentFile).c_str(),
                fileNameOf(target.file).c_str(), kindName, child.record->FileName.c_str());
  if (!ui.confirm(question)) return EditResult();

  Parent from;
  Parent to;
  bool unexpected = false;
  DocumentLock fromLock, toLock;
  if (Status s = openParent(fs, open, child.parentFile, from, unexpected, fromLock); !s) {
    return refused(ui, child.parentFile, "MOVE: can not open parent Circuit.", s);
  }
  std::size_t index = 0;
  if (EditResult r = findLink(*from, child, "MOVE", ui, index); !r.status) return r;
  if (Status s = openParent(fs, open, target.file, to, unexpected, toLock); !s) {
    return refused(ui, target.file,
                   unexpected ? "MOVE: unexpected file format for new parent Circuit."
                              : "MOVE: can not open new parent Circuit.",
                   s);
  }
  if (to->count() >= kMaxRecs) {
    return refused(ui, StatusCode::InvalidArgument, to->path(), "MOVE: new parent Circuit list is full.");
  }

  // First the new home, then the old one lets go: a failure in between
  // leaves the reference in both parents, never in none.
  if (!to->addRecord(from->record(index).clone(), ui)) {
    return refused(ui, StatusCode::InvalidArgument, to->path(), "MOVE: new parent Circuit list is full.");
  }
  if (EditResult r = saveParent(fs, open, to, "MOVE: can not save new parent Circuit.", ui); !r.status) return r;
  (void)from->take(index);
  if (EditResult r = saveParent(fs, open, from, "MOVE: can not save parent Circuit.", ui); !r.status) {
    r.status =
        Status::error(r.status.code(), r.status.message() + "\nThe record is now in both parent Circuits.");
    r.changed = true;
    return r;
  }
  return done();
}

}  // namespace kestrel
