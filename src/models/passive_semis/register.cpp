#include "models/passive_semis/register.hpp"

#include "core/registry.hpp"

namespace kestrel {

void registerPassiveSemisParts() {
  // Each class of this family adds one registerClass line here.
}

}  // namespace kestrel
