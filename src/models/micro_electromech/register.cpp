#include "models/micro_electromech/register.hpp"

#include "core/registry.hpp"

namespace kestrel {

void registerMicroElectromechParts() {
  // Each class of this family adds one registerClass line here.
}

}  // namespace kestrel
