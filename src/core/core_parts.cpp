#include "core/core_parts.hpp"

#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/sub_parts.hpp"

namespace kestrel {

void registerCoreParts() {
  auto& registry = PartRegistry::instance();
  if (!registry.isRegistered(kSubCircuitType)) {
    (void)registry.registerClass(kSubCircuitType, CSubCircuit::kClass);
  }
  if (!registry.isRegistered(kSubHybridType)) {
    (void)registry.registerClass(kSubHybridType, CSubHybrid::kClass);
  }
  if (!registry.isRegistered(kMiscType)) (void)registry.registerClass(kMiscType, CMisc::kClass);
}

}  // namespace kestrel
