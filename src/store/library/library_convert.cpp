#include "store/library/library_convert.hpp"

#include "core/part.hpp"

namespace kestrel::library {

ConvertResult convertRecord(PartLibrary& lib, std::int32_t record, const ConvertSteps& steps) {
  ConvertResult result;
  PartLibrary::RewriteStep failedAt = PartLibrary::RewriteStep::None;
  result.outcome = lib.rewrite(record, [&](std::unique_ptr<CPart>& part) {
    bool defaults = true;
    std::unique_ptr<CPart> converted = steps.chooseType ? steps.chooseType(*part, defaults) : nullptr;
    if (!converted) return false;
    // The new class keeps its own type id and its own parameters.
    converted->copyBaseFieldsExceptType(*part);
    converted->IS_HYBRID = part->IS_HYBRID;
    if (steps.edit && !steps.edit(*converted, defaults)) return false;
    part = std::move(converted);
    result.converted = true;
    return true;
  }, &failedAt);
  if (result.outcome == Outcome::Ok) return result;
  result.converted = false;
  switch (failedAt) {
    case PartLibrary::RewriteStep::Update: result.failure = "Can not update record"; break;
    case PartLibrary::RewriteStep::Cancel: result.failure = "Convert cancel"; break;
    default: result.failure = "Can not convert record"; break;
  }
  return result;
}

}  // namespace kestrel::library
