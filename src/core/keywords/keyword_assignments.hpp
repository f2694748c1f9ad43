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
// not in the catalogue, a keyword given twice, and more than 256 values.
Status parseAssignments(const std::vector<std::string>& texts, std::vector<KeywordAssignment>& out);

struct AssignmentResult {
  std::vector<std::string> log;      // the readers' messages
  std::vector<std::string> unused;   // keywords given that the record or header does not read
};

// The record reads its fields. `smtAllowed` for a circuit with surface-mount
// analysis on; `ambient` the document's ambient temperature.
Status assignPartFields(CPart& part, const std::vector<KeywordAssignment>& values, bool smtAllowed,
                        float ambient, AssignmentResult& result);
// The header reads its fields (circuit or hybrid ones by `hybrid`).
Status assignHeaderFields(CCircHeader& header, bool hybrid,
                          const std::vector<KeywordAssignment>& values, AssignmentResult& result);

}  // namespace kestrel
