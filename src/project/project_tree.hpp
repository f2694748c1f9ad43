// The project tree: one node (CProjPart) per line of the tree over the
// hierarchy below a project's top-level circuit, built in memory and never
// stored. Nodes are kept in tree order: a document, then the nodes of its
// records in file order, each sub-circuit or sub-hybrid record standing as
// the node of its child document with that document's records below it.
//
// A child that does not exist is shown as missing, and a child that is one
// of the documents above it (a cycle) is shown as such; neither is followed.
// A sub-file record whose name has the wrong extension, a file that cannot
// be read or is of the wrong kind, nesting deeper than the level limit, or a
// 5000th node stop the build: the tree is then left as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "core/part.hpp"
#include "core/status.hpp"

namespace kestrel {

class CProjDoc;
class Ui;

// The node count is kept in 16 bits; the 5000th node stops the build.
inline constexpr std::size_t kMaxProjectNodes = 4999;

enum class ProjNodeKind : std::uint8_t { Circuit, Hybrid, Part };
enum class ProjNodeState : std::uint8_t {
  Present,  // read (documents) or listed (records)
  Missing,  // a child file that does not exist
  Cycle,    // a child that is one of the documents above it
};

struct CProjPart {
  int level = 0;  // 0 = the top-level circuit
  ProjNodeKind kind = ProjNodeKind::Part;
  ProjNodeState state = ProjNodeState::Present;
  // Documents: the document's path (as found on disk when present); records:
  // the path of the document they belong to.
  std::string file;
  std::size_t recordNumber = 0;  // 1-based number in the parent document; 0 for the top
  std::string parentFile;        // the parent document's path; "" for the top
  float quantity = 1.0f;
  float dutyCycle = 100.0f;
  bool printChecked = false;  // documents only

  // Documents that were read: their header and record count.
  std::shared_ptr<const CCircHeader> header;
  std::size_t recordCount = 0;
  // Records: the record. Child documents: the sub-file record in the parent.
  std::shared_ptr<const CPart> record;
  // Records: the total their document's share column is taken against.
  double shareBase = -1.0;

  bool isDocument() const { return kind != ProjNodeKind::Part; }
  // A document that was read and can be printed or opened.
  bool isOpenable() const { return isDocument() && state == ProjNodeState::Present; }
};

class ProjectTree {
 public:
  const std::vector<CProjPart>& nodes() const { return nodes_; }
  std::size_t size() const { return nodes_.size(); }
  bool empty() const { return nodes_.empty(); }
  const CProjPart& node(std::size_t index) const { return nodes_.at(index); }

  // The node one level up (the document a record or child belongs to).
  std::optional<std::size_t> parentOf(std::size_t index) const;
  // The document nodes from the top down to `index` (itself included when a document).
  std::vector<std::size_t> documentPath(std::size_t index) const;

  // Print check marks: a document that was read toggles ("TOGGLE: not a
  // valid selection." otherwise, shown on `ui`).
  bool toggleCheck(std::size_t index, Ui& ui);
  void setCheck(std::size_t index, bool checked);
  std::size_t checkedCount() const;
  // "Files to Print (Checked) = %u".
  std::string checkedStatus() const;

  // For the builder.
  std::vector<CProjPart>& mutableNodes() { return nodes_; }

 private:
  std::vector<CProjPart> nodes_;
};

// Builds the tree below the project's top-level circuit ("Building Project
// Tree...", cancellable with "Cancel building project tree?"), after the
// checks of the top-level circuit (top_level.hpp), which may move the
// reference into the project's folder when the user agrees (the project file
// is then saved with the new reference). Every document node that was read starts checked for
// printing. On failure `tree` is left as it was and the message names the
// file and record; building a tree after a change is how it is refreshed.
// A document open in a window (`open`) is read as the window holds it.
Status buildProjectTree(CProjDoc& project, FileSystem& fs, Ui& ui, ProjectTree& tree,
                        OpenDocuments& open = OpenDocuments::none());

// The same below a top-level circuit that passed its checks.
Status buildTreeBelow(const std::string& topLevel, FileSystem& fs, Ui& ui, ProjectTree& tree,
                      OpenDocuments& open = OpenDocuments::none());

// What the view says after an edit, and after a failed build.
inline constexpr std::string_view kRefreshHint =
    "Please click the Refresh button to update the project parts list tree.";
inline constexpr std::string_view kSetTopLevelHint =
    "Please use the Edit/Header command to set a valid top-level Circuit.";
inline constexpr std::string_view kFixHierarchyHint =
    "Please fix the hierarchy below the top-level Circuit, then click Refresh.";

}  // namespace kestrel
