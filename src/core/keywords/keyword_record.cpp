#include "core/keywords/keyword_record.hpp"

#include <utility>

#include "core/archive.hpp"

namespace kestrel {

void CKwd::Serialize(Archive& ar) {
  ar.io(name);
  ar.io(valueType);
  ar.io(fieldNumber);
  ar.io(subStart);
  ar.io(subLength);
  ar.io(valueOption);
}

std::vector<CKwd> defaultKeywordRecords() {
  std::vector<CKwd> records;
  const auto catalogue = keywordCatalogue();
  records.reserve(catalogue.size());
  for (const KeywordInfo& info : catalogue) {
    CKwd kwd;
    kwd.name = std::string(info.name);
    kwd.valueType = static_cast<std::uint8_t>(info.type);
    records.push_back(std::move(kwd));
  }
  return records;
}

}  // namespace kestrel
