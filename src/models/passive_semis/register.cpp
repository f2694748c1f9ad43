#include "models/passive_semis/register.hpp"

#include "core/registry.hpp"
#include "models/passive_semis/resistor.hpp"

namespace kestrel {

void registerPassiveSemisParts() {
  // Each class of this family adds one registerClass line here.
  if (auto& r = PartRegistry::instance(); !r.isRegistered(401)) (void)r.registerClass(401, CResistor::kClass);
}

}  // namespace kestrel
