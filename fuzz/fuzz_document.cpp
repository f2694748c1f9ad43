// Fuzzes the circuit and hybrid file reader with whole files. The checksum
// would stop almost every mutation at once, so inputs whose first byte is odd
// get a fresh checksum first and reach the later checks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/text_lines.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  static const bool registered = (registerAllParts(), true);
  (void)registered;

  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() > 4 && (bytes.back() & 1) != 0) {
    bytes.resize(bytes.size() - 4);
    appendChecksum(bytes);
  }
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
