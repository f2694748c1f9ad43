// Registers every part class linked into a program: the core's and both
// model families'. Front ends call it once at start-up.
#pragma once

#include "core/core_parts.hpp"
#include "models/micro_electromech/register.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {

inline void registerAllParts() {
  registerCoreParts();
  registerPassiveSemisParts();
  registerMicroElectromechParts();
}

}  // namespace kestrel
