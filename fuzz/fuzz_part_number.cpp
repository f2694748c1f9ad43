// The part-number decoder reads numbers typed by users and taken from
// foreign files: any bytes must give a decoded part or a refusal, never a
// crash, and a decoded part must be a record its class accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/part.hpp"
#include "exchange/part_numbers/part_number_decoder.hpp"
#include "models/register_all.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (kestrel::registerAllParts(), true);
  (void)registered;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string why;
  const kestrel::part_numbers::DecodedNumber decoded = kestrel::part_numbers::decode(text, &why);
  std::unique_ptr<kestrel::CPart> part;
  const bool built = static_cast<bool>(kestrel::part_numbers::buildPart(text, size % 2 == 1, part));
  // Decoding and building agree, and a built record is of the decoded family.
  if (built != (decoded.family != kestrel::part_numbers::Family::None)) std::abort();
  if (built && part->PART_TYPE != kestrel::part_numbers::typeIdOf(decoded.family)) std::abort();
  if (!built && why.empty()) std::abort();
  return 0;
}
