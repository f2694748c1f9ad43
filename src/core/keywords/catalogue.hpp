// The field keyword catalogue: the fixed, ordered table of the 295 upper-case
// keywords that name every importable field (header, base record,
// cross-reference and part-class keywords), each with its value type.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestrel {

// Keyword value types, as stored in a keyword record.
enum class KeywordType : std::uint8_t { Text = 1, Num = 2, Choice = 3 };

inline constexpr std::string_view kKeywordTypeNames[] = {"", "Text", "Num", "Choice"};
inline constexpr std::string_view kCatalogueEndMarker = "LAST_DUMMY";
inline constexpr std::size_t kCatalogueSize = 295;

struct KeywordInfo {
  std::string_view name;  // upper case
  KeywordType type;
  std::string_view className;  // owning class ("" for header, base and cross-reference keywords)
  double lo = 0.0;             // range of Num keywords (informational; readers get their own)
  double hi = 0.0;
};

// All keywords in catalogue order (without the end marker).
std::span<const KeywordInfo> keywordCatalogue();
// Lookup by name, upper-cased exact match; null when absent.
const KeywordInfo* findKeyword(std::string_view name);
// 0-based position in the catalogue.
std::optional<std::size_t> keywordIndex(std::string_view name);

}  // namespace kestrel
