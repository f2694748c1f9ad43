// The top-level circuit of a project: the checks made before the tree is
// built, and the Header command that chooses it.
//
// The top-level circuit must end in ".CIR" ("Circuit file must have '.CIR'
// extension.") and lie in the project file's folder, as every file of a
// project must; otherwise the user is asked ("Project Error: all your
// project files are not in the same directory." ...) whether to move the
// reference into the project's folder. Then its folder must exist ("This
// drive/directory does not currently exist.") and the file itself ("This
// circuit file does not currently exist."). Messages name the file.
#pragma once

#include <string>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

class CProjDoc;
class Ui;

// Checks the project's top-level circuit; `moved` tells whether the user
// moved the reference (the project then needs saving). Failures are shown
// on `ui` and returned with the hint to set a valid top-level circuit.
Status checkTopLevel(CProjDoc& project, FileSystem& fs, Ui& ui, bool& moved);

// The Header command: makes `path` (made absolute) the top-level circuit,
// after the extension and folder checks; a circuit file that does not exist
// yet is created empty ("HEADER: can not save to new file." when that fails).
// The caller saves the project.
Status chooseTopLevel(CProjDoc& project, const std::string& path, FileSystem& fs, Ui& ui);

// `path` made absolute against the working folder and lexically normalised.
std::string absolutePath(const std::string& path);

}  // namespace kestrel
