// The What-If? command over a hierarchy: header and record changes applied
// during a basic calculation of every file reached. Nothing is written until
// the whole run has succeeded; then every changed file is saved (each the
// safe way), so a failure part-way leaves every file as it was.
#pragma once

#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "core/staged_sub_files.hpp"
#include "core/whatif.hpp"

namespace kestrel {

// The confirmation text, line by line ("Select OK to make the following
// What-If? changes:", "- Make Changes for Entire Hierarchy: %s", ...).
std::vector<std::string> whatIfConfirmation(const WhatIfSettings& settings);

// False when environment, temperature, quality and stress all stay.
bool hasWhatIfChanges(const WhatIfSettings& settings);

// The files a run rewrites, top first, found by walking the sub-file
// records the way the calculation does (each file once, cycles and files
// that cannot be read left out; a file open in a window as the window
// holds it). Nothing is changed.
std::vector<std::string> whatIfFiles(const CCircDoc& top, FileSystem& fs,
                                     OpenDocuments& open = OpenDocuments::none());

// The lines the confirmation adds after the changes: which files take the
// changes and which are only recalculated, all of them rewritten.
std::vector<std::string> whatIfFileLines(const WhatIfSettings& settings, const std::vector<std::string>& files);

struct WhatIfOutcome {
  bool ok = false;
  std::vector<std::string> lines;  // the basic result lines on success
  std::vector<std::string> saved;  // the files written, children first
  std::vector<DocumentTotals> totals;  // top first, then children as first reached
};

// "'PATH': FR= before -> after fpmh" per document ("*NOCALC*" when the
// stored total was not current).
std::vector<std::string> whatIfTotalsLines(const WhatIfOutcome& outcome);

// Runs the command on `top` (which must have a path). With `dryRun` the
// results are computed and shown but no file is written. Documents `open`
// holds (the top one among them) are changed in memory and marked
// modified, not saved; the other files reached are saved, all or none.
WhatIfOutcome runWhatIf(CCircDoc& top, FileSystem& fs, Ui& ui, WhatIfSettings& settings, bool dryRun,
                        OpenDocuments& open = OpenDocuments::none());

// A dry run on a copy of `top` (and of the open documents below it):
// neither `top`, nor any open document, nor any file changes.
WhatIfOutcome previewWhatIf(const CCircDoc& top, FileSystem& fs, Ui& ui, WhatIfSettings settings,
                            OpenDocuments& open = OpenDocuments::none());

}  // namespace kestrel
