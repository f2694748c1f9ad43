// The documents a report run covers: one file, or a whole hierarchy in
// hierarchy order (the top document, then the document of each sub-circuit
// and sub-hybrid record, depth first in record order), each document once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

// Loads `topPath` and, with `recursive`, every document below it. Child
// names are found as the calculation finds them (the parent's folder, the
// case of the name ignored). Errors name the file: a child that does not
// exist or cannot be read, or nesting deeper than the level limit.
Status loadReportDocuments(FileSystem& fs, const std::string& topPath, bool recursive,
                           std::vector<std::unique_ptr<CCircDoc>>& docs);

}  // namespace kestrel
