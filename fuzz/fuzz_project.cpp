// Fuzzes the project file reader. The checksum would stop almost every
// mutation at once, so inputs whose last byte is odd get a fresh checksum
// first and reach the later checks. A file that reads must write back to
// bytes that read to the same top-level circuit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/doc_file.hpp"
#include "project/project_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() > 4 && (bytes.back() & 1) != 0) {
    bytes.resize(bytes.size() - 4);
    appendChecksum(bytes);
  }
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
