// Merge: every record of another circuit or hybrid file copied into a
// document of the same kind, each recalculated against the target's header
// and inserted in sort order. The source file is never changed.
#pragma once

#include <string>

#include "core/circ_doc.hpp"

namespace kestrel {

struct MergeOutcome {
  bool ok = false;
  int merged = 0;  // records copied (they stay in the target on a later failure)
};

// The question the Merge command asks first.
std::string mergeQuestion(const std::string& sourcePath, const CCircDoc& target);

MergeOutcome mergeInto(CCircDoc& target, const std::string& sourcePath, CalcContext& context);

}  // namespace kestrel
