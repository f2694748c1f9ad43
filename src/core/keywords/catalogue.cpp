// Keyword lookups over the catalogue (table in catalogue_data.cpp).
#include "core/keywords/catalogue.hpp"

#include <string>

#include "core/strfmt.hpp"

namespace kestrel {

std::optional<std::size_t> keywordIndex(std::string_view name) {
  const std::string wanted = upperCased(name);
  const auto catalogue = keywordCatalogue();
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    if (catalogue[i].name == wanted) return i;
  }
  return std::nullopt;
}

const KeywordInfo* findKeyword(std::string_view name) {
  const auto index = keywordIndex(name);
  return index ? &keywordCatalogue()[*index] : nullptr;
}

}  // namespace kestrel
