// Fuzzes the mission profile reader. The checksum would stop almost every
// mutation at once, so inputs whose last byte is odd get a fresh checksum
// first and reach the line checks. A profile that reads must write back to
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/doc_file.hpp"
#include "core/mission_profile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() > 4 && (bytes.back() & 1) != 0) {
    bytes.resize(bytes.size() - 4);
    appendChecksum(bytes);
  }
  MissionProfile profile;
  if (decodeProfile(bytes, "FUZZ.MPF", profile).isOk()) {
    const std::vector<std::uint8_t> again = encodeProfile(profile);
    MissionProfile reread;
    if (!decodeProfile(again, "FUZZ.MPF", reread).isOk() || !(reread == profile)) std::abort();
    if (encodeProfile(reread) != again) std::abort();
  }
  return 0;
}
