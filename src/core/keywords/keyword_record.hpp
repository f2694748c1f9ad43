// CKwd: one keyword record of an import definition: which input field (and
// optionally which part of it) holds a keyword's value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/keywords/catalogue.hpp"

namespace kestrel {

class Archive;

struct CKwd {
  std::string name;
  std::uint8_t valueType = 1;  // KeywordType
  float fieldNumber = 0.0f;    // 0 = not mapped
  float subStart = 0.0f;       // 1-based character position; below 1 = whole field
  float subLength = 0.0f;
  std::uint8_t valueOption = 0;  // index into the keyword's value-type options; 0 = none

  // name, value type, field number, subfield start, subfield length, option.
  void Serialize(Archive& ar);
};

// One keyword record for every catalogue entry, in catalogue order, unmapped.
std::vector<CKwd> defaultKeywordRecords();

}  // namespace kestrel
