// The class parameters a converted record still lacks. Convert Type without
// "fill in the default parameters" leaves the new type's own entries blank
// for the user to fill; given as keywords instead, every entry that applies
// under the record's choices must be among them.
#pragma once

#include <string>
#include <vector>

#include "core/keywords/keyword_assignments.hpp"

namespace kestrel {

class CPart;

// The keywords of the parameter and temperature pages' entries (typed or
// chosen; check boxes always have a state) that apply and are not given.
std::vector<std::string> parametersNotGiven(CPart& part, const std::vector<KeywordAssignment>& given);

}  // namespace kestrel
