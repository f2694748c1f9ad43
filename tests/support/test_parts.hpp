// Builders of simple records for tests: fixed-rate miscellaneous parts, whose
// failure rate is the base rate times the correction factor.
#pragma once

#include <memory>
#include <string>

#include "core/misc_part.hpp"

namespace kestrel::test {

// Registers the core part classes (idempotent).
void registerTestParts();

std::unique_ptr<CMisc> fixedPart(double baseFr, std::string pn = "PN", std::string refdes = "R1",
                                 double qty = 1.0);

}  // namespace kestrel::test
