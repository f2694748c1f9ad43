// Fuzzes the object archive: a header followed by a list of part objects,
// as they arrive from files, libraries and the clipboard.
#include <cstddef>
#include <cstdint>

#include "core/archive.hpp"
#include "core/circ_doc.hpp"
#include "core/part_archive.hpp"
#include "core/text_lines.hpp"
#include "models/register_all.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  static const bool registered = (registerAllParts(), true);
  (void)registered;

  Archive ar = Archive::forReading({data, size}, "fuzz");
  CCircDoc doc;
  doc.header().Serialize(ar, kMaxRecs);
  ar.restartObjectNumbering();
  for (int i = 0; i < 64 && ar.ok() && ar.remaining() > 0; ++i) {
    auto part = readPartObject(ar);
    if (!part) break;
    // Everything a loaded record is used for must hold up too.
    part->Calculate(doc.header());
    std::string a, b;
    part->FormatDetail(a, b, "    ");
    part->FormatFactors(a, b, "    ");
    (void)resultLine(*part, "    ", 1.0, true);
    (void)limitsLine(*part, "");
    (void)smtLine(*part);
    doc.insertSorted(std::move(part));
  }
  (void)doc.header().headingLine1(false);
  (void)doc.header().headingLine1(true);
  return 0;
}
