// Field values given as KEYWORD=VALUE texts (the command line's `add`, `set`
// and `new`): each becomes one text field of an input record, mapped to its
// keyword, and the record or header reads them through the same keyword
// readers an import uses, with the same clamping and log messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/status.hpp"

namespace kestrel {

class CPart;
class CCircHeader;

struct KeywordAssignment {
  std::string keyword;  // upper case
  std::string value;
};

// Splits "KEYWORD=VALUE" texts. Refuses a text without '=', a keyword that is
// not in the catalogue, a keyword given twice, and more than 256 values. A
// value longer than an input field holds is cut, with a warning in `result`.
struct AssignmentResult;
Status parseAssignments(const std::vector<std::string>& texts, std::vector<KeywordAssignment>& out,
                        AssignmentResult* result = nullptr);

struct AssignmentResult {
  std::vector<std::string> log;      // the readers' messages
  std::vector<std::string> unused;   // keywords given that the record or header does not read
  // How many of the log lines are warnings (a value clamped, defaulted, cut
  // or changed to fit the record's character set). With `unused`, what a
  // strict run refuses.
  std::size_t warnings = 0;
  bool clean() const { return warnings == 0 && unused.empty(); }
};

// The record reads its fields. `smtAllowed` for a circuit with surface-mount
// analysis on; `ambient` the document's ambient temperature.
Status assignPartFields(CPart& part, const std::vector<KeywordAssignment>& values, bool smtAllowed,
                        float ambient, AssignmentResult& result);
// The header reads its fields (circuit or hybrid ones by `hybrid`).
Status assignHeaderFields(CCircHeader& header, bool hybrid,
                          const std::vector<KeywordAssignment>& values, AssignmentResult& result);

}  // namespace kestrel
