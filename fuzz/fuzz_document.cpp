// Fuzzes the circuit and hybrid file reader with whole files. Inputs whose
// last byte is odd get a fresh checksum first (fresh_checksum.hpp).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/circ_file.hpp"
#include "core/text_lines.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"
#include "fresh_checksum.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  static const bool registered = (registerAllParts(), true);
  (void)registered;

  const std::vector<std::uint8_t> bytes = fuzzBytesWithChecksum(data, size);
  for (DocKind kind : {DocKind::Circuit, DocKind::Hybrid}) {
    CCircDoc doc(kind);
    if (!decodeDocument(bytes, kind, doc).isOk()) continue;
    SilentUi ui;
    CalcContext context{ui};
    (void)doc.BasicCalc(context, 0, 8760.0);
    for (std::size_t i = 0; i < doc.count(); ++i) (void)doc.detailText(i);
    // What was read must write back to a file that reads again.
    const auto again = encodeDocument(doc);
    CCircDoc reread(kind);
    if (!decodeDocument(again, kind, reread).isOk()) __builtin_trap();
  }
  return 0;
}
