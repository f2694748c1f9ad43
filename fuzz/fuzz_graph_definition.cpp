// Fuzzes the graph definition file reader (and the chart attribute block
// inside it). The checksum would stop almost every mutation at once, so
// inputs whose last byte is odd get a fresh checksum first and reach the
// later checks. A file that reads must write back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/doc_file.hpp"
#include "graph/graph_definition.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  using namespace kestrel::graph;

  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() > 4 && (bytes.back() & 1) != 0) {
    bytes.resize(bytes.size() - 4);
    appendChecksum(bytes);
  }
  GraphDefinition definition;
  if (decodeGraphDefinition(bytes, "FUZZ.GDF", definition).isOk()) {
    (void)checkSettings(definition.settings);
    const std::vector<std::uint8_t> again = encodeGraphDefinition(definition);
    GraphDefinition reread;
    if (!decodeGraphDefinition(again, "FUZZ.GDF", reread).isOk()) std::abort();
    if (encodeGraphDefinition(reread) != again) std::abort();
  }
  ChartStyle style;
  ChartForm form{};
  (void)decodeChartAttributes({data, size}, style, form);
  return 0;
}
