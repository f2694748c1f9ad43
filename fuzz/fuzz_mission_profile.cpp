// Fuzzes the mission profile reader. Inputs whose last byte is odd get a
// fresh checksum first (fresh_checksum.hpp) and reach the line checks. A
// profile that reads must write back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/mission_profile.hpp"
#include "fresh_checksum.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  const std::vector<std::uint8_t> bytes = fuzzBytesWithChecksum(data, size);
  MissionProfile profile;
  if (decodeProfile(bytes, "FUZZ.MPF", profile).isOk()) {
    const std::vector<std::uint8_t> again = encodeProfile(profile);
    MissionProfile reread;
    if (!decodeProfile(again, "FUZZ.MPF", reread).isOk() || !(reread == profile)) std::abort();
    if (encodeProfile(reread) != again) std::abort();
  }
  return 0;
}
