// Fuzzes the project file reader. Inputs whose last byte is odd get a fresh
// checksum first (fresh_checksum.hpp). A file that reads must write back to
// bytes that read to the same top-level circuit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "project/project_file.hpp"
#include "fresh_checksum.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  const std::vector<std::uint8_t> bytes = fuzzBytesWithChecksum(data, size);
  CProjDoc doc;
  if (decodeProject(bytes, "FUZZ.PRJ", doc).isOk()) {
    const std::vector<std::uint8_t> again = encodeProject(doc);
    CProjDoc reread;
    if (!decodeProject(again, "FUZZ.PRJ", reread).isOk() || reread.topLevel() != doc.topLevel()) std::abort();
  } else if (!doc.topLevel().empty()) {
    std::abort();  // a refused file leaves the document as it was
  }
  return 0;
}
