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

std::string environmentTitle(unsigned code) {
  if (!kEnvironments.isValid(code)) return {};
  return std::string(kEnvironments.text(code)) + " - " + std::string(kEnvironmentMeanings[code]);
}

std::string choiceTitle(const ChoiceList& list, unsigned choice) {
  // Lists are told apart by their tables: several fields share the environments.
  if (list.names().data() == kEnvironments.names().data()) return environmentTitle(choice);
  return std::string(list.text(choice));
}

}  // namespace kestrel
