#include "core/core_parts.hpp"

#include "core/misc_part.hpp"
#include "core/registry.hpp"

namespace kestrel {

void registerCoreParts() {
  auto& registry = PartRegistry::instance();
  if (!registry.isRegistered(kMiscType)) (void)registry.registerClass(kMiscType, CMisc::kClass);
}

}  // namespace kestrel
