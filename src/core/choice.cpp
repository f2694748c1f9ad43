#include "core/choice.hpp"

#include "core/strfmt.hpp"

namespace kestrel {

unsigned ChoiceList::find(std::string_view name) const {
  const std::string wanted = upperCased(name);
  for (std::size_t i = 1; i < names_.size(); ++i) {
    if (upperCased(names_[i]) == wanted) return static_cast<unsigned>(i);
  }
  return 0;
}

}  // namespace kestrel
