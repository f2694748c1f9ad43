// Fuzzes the graph definition file reader (and the chart attribute block
// inside it). Inputs whose last byte is odd get a fresh checksum first
// (fresh_checksum.hpp). A file that reads must write back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graph/graph_definition.hpp"
#include "fresh_checksum.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  using namespace kestrel::graph;

  const std::vector<std::uint8_t> bytes = fuzzBytesWithChecksum(data, size);
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
