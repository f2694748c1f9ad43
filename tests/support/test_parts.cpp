#include "support/test_parts.hpp"

#include "core/core_parts.hpp"
#include "core/registry.hpp"

namespace kestrel::test {

void registerTestParts() { registerCoreParts(); }

std::unique_ptr<CMisc> fixedPart(double baseFr, std::string pn, std::string refdes, double qty) {
  registerTestParts();
  auto part = std::make_unique<CMisc>();
  part->PART_TYPE = kMiscType;
  part->METHOD = 1;
  part->BASEFR = static_cast<float>(baseFr);
  part->PN = std::move(pn);
  part->REFDES = std::move(refdes);
  part->QTY = static_cast<float>(qty);
  return part;
}

}  // namespace kestrel::test
