// KEYWORD=VALUE arguments of the commands that change fields (add, set,
// edit, convert, lib add, lib edit): read them, and print what the readers
// logged and the keywords nothing read. With --strict every warning refuses
// the command before anything is written.
#pragma once

#include <string>
#include <vector>

#include "core/keywords/keyword_assignments.hpp"

namespace kestrel::cli {

// Splits the texts; false after printing why (naming `file`).
bool parseValues(const std::vector<std::string>& texts, const std::string& file,
                 std::vector<KeywordAssignment>& values, AssignmentResult& result);

// Prints the log and the unused keywords. False when the values could not
// be applied or, with `strict`, when there was any warning.
bool reportAssignments(const Status& status, const AssignmentResult& result, const std::string& file,
                       bool strict);

}  // namespace kestrel::cli
