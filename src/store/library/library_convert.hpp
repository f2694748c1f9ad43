// Convert of a library record to another part type, as the library view
// runs it: the record is locked and read, the user picks the new type, a
// part of that class takes every base field of the old one but the type id
// (the hybrid flag stays the record's), the user edits it while the lock is
// held, and it replaces the record. A cancel at either step only unlocks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "store/library/part_library.hpp"

namespace kestrel::library {

struct ConvertSteps {
  // The new part's class for the locked record's part: a new, empty part
  // of the chosen type, or null when the user cancels. `defaults` is set
  // when the new part starts from its type's default parameters.
  std::function<std::unique_ptr<CPart>(const CPart& old, bool& defaults)> chooseType;
  // Edits the converted part (the lock still held); false cancels.
  std::function<bool(CPart& converted, bool defaults)> edit;
};

struct ConvertResult {
  Outcome outcome = Outcome::Ok;
  bool converted = false;
  // The library view's words for a failure ("Can not convert record",
  // "Can not update record", "Convert cancel"); empty on success. The
  // library's error() says the rest.
  std::string failure;
};

ConvertResult convertRecord(PartLibrary& lib, std::int32_t record, const ConvertSteps& steps);

}  // namespace kestrel::library
