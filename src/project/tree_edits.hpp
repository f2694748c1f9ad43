// The edits of the project tree: Add a child reference to a circuit node,
// Delete a child reference, and Move a child reference to another circuit.
// Each asks the user first, works on the files (the parent is opened, changed
// and saved the safe way) and leaves the tree itself as it was: after a
// change the tree is rebuilt (kRefreshHint). A failure shows its message and
// changes no file but, for Add, a new empty child file that was created.
// A parent circuit open in a window (`open`) is changed in that window's
// document, which is marked modified and left to its user to save.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "core/status.hpp"

namespace kestrel {

class CPart;
class ProjectTree;
class Ui;

enum class ChildMode { SubCircuit, SubHybrid };

struct EditResult {
  Status status = Status::ok();
  bool changed = false;  // false with an ok status: the user answered No
};

// Add: a SubCircuit or SubHybrid record naming `childFile` joins the circuit
// of node `parent`; `childFile` is a file name, or a path in the parent's
// folder, ending ".CIR" (SubCircuit) or ".HYB" (SubHybrid). A child file that
// does not exist is created empty. `record`, when given, supplies the new
// record's other fields (identity, quantity, duty cycle); it must be of the
// mode's class. A child that is the parent or a document above it is
// refused: it would make the hierarchy refer to itself.
EditResult addChild(const ProjectTree& tree, std::size_t parent, ChildMode mode, const std::string& childFile,
                    std::unique_ptr<CPart> record, FileSystem& fs, Ui& ui,
                    OpenDocuments& open = OpenDocuments::none());

// Delete: node `child` (the document of a sub-file record) loses its
// reference in its parent; the child's file itself stays.
EditResult removeChild(const ProjectTree& tree, std::size_t child, FileSystem& fs, Ui& ui,
                       OpenDocuments& open = OpenDocuments::none());

// Move: the sub-file record of node `child` leaves its parent and joins the
// circuit of node `newParent`, with all its fields. The record is added to
// the new parent before it leaves the old one, so a failure never loses it.
EditResult moveChild(const ProjectTree& tree, std::size_t child, std::size_t newParent, FileSystem& fs, Ui& ui,
                     OpenDocuments& open = OpenDocuments::none());

// The longest sub-file name a record holds.
inline constexpr std::size_t kMaxChildFileName = 60;

}  // namespace kestrel
