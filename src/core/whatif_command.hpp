// The What-If? command over a hierarchy: header and record changes applied
// during a basic calculation of every file reached. Nothing is written until
// the whole run has succeeded; then every changed file is saved (each the
// safe way), so a failure part-way leaves every file as it was.
#pragma once

#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"
#include "core/whatif.hpp"

namespace kestrel {

// The confirmation text, line by line ("Select OK to make the following
// What-If? changes:", "- Make Changes for Entire Hierarchy: %s", ...).
std::vector<std::string> whatIfConfirmation(const WhatIfSettings& settings);

// False when environment, temperature, quality and stress all stay.
bool hasWhatIfChanges(const WhatIfSettings& settings);

struct WhatIfOutcome {
  bool ok = false;
  std::vector<std::string> lines;  // the basic result lines on success
  std::vector<std::string> saved;  // the files written, children first
};

// Runs the command on `top` (which must have a path). With `dryRun` the
// results are computed and shown but no file is written.
WhatIfOutcome runWhatIf(CCircDoc& top, FileSystem& fs, Ui& ui, WhatIfSettings& settings, bool dryRun);

}  // namespace kestrel
