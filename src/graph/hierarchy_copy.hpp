// Copies a hierarchy into the temporary folder: the top-level document and
// every child circuit and hybrid file it reaches, walked as the calculation
// walks it, each file once however often it is named. The copies are read
// into a working set from the very bytes written, so the run reads every
// user's file exactly once and never writes one.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/open_documents.hpp"
#include "graph/scratch_files.hpp"
#include "graph/scratch_folder.hpp"
#include "graph/working_set.hpp"

namespace kestrel::graph {

struct CopyJob {
  std::string topPath;
  // Documents the user has open (null: none): their state in memory is
  // copied in place of their file (unsaved edits included).
  OpenDocuments* openDocuments = nullptr;
};

// Writes "Graph: Copying Files to Temporary Directory..." (line 1) and
// "'%s' (Level %d)..." (line 2) for each file. Failures (line 5): "...Error:
// top-level doc extension not valid.", "...Error: too many levels.",
// "...Error: CIR extension mismatch (rec#%d).", "...Error: HYB extension
// mismatch (rec#%d).", "...Error: can not copy file [%lu]."; a cancel request
// asks "Cancel temporary directory copy operation?" and Yes writes
// "...Cancel." (line 4). Null on failure.
std::unique_ptr<WorkingSet> copyHierarchy(const CopyJob& job, ScratchFiles& files, const ScratchFolder& folder,
                                          Ui& ui);

// The same walk with the documents read into memory only, nothing written
// anywhere; `firstLine` is the progress line 1 of the run.
std::unique_ptr<WorkingSet> readHierarchy(const CopyJob& job, ScratchFiles& files, std::string_view firstLine,
                                          Ui& ui);

}  // namespace kestrel::graph
