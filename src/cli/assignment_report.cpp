#include "cli/assignment_report.hpp"

#include <iostream>

#include "cli/doc_io.hpp"

namespace kestrel::cli {

bool parseValues(const std::vector<std::string>& texts, const std::string& file,
                 std::vector<KeywordAssignment>& values, AssignmentResult& result) {
  if (Status s = parseAssignments(texts, values, &result); !s) {
    fileMessage(file, s.message());
    return false;
  }
  return true;
}

bool reportAssignments(const Status& status, const AssignmentResult& result, const std::string& file,
                       bool strict) {
  // Reader messages tell what was clamped, cut or defaulted: they always show.
  for (const std::string& line : result.log) std::cerr << line << '\n';
  const char* kind = strict ? "error: " : "warning: ";
  for (const std::string& keyword : result.unused) {
    fileMessage(file, kind + keyword + " is not a field here and was ignored");
  }
  if (!status) {
    fileMessage(file, status.message());
    return false;
  }
  if (strict && !result.clean()) {
    const std::size_t n = result.warnings + result.unused.size();
    fileMessage(file, "error: " + std::to_string(n) + (n == 1 ? " warning" : " warnings") +
                          " with --strict; nothing was changed");
    return false;
  }
  return true;
}

}  // namespace kestrel::cli
