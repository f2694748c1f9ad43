// How a chart is drawn beyond its data (size, value scale, grid, markers,
// legend), and the attribute block that keeps it in a graph definition file.
//
// Attribute block (little-endian, the object archive's encoding):
//   1 byte   block version (1)
//   text     the chart mode text ("SCIENTIFIC_GRAPH...Single Curve", ...)
//   2 bytes  width in pixels  (kMinChartSide..kMaxChartSide)
//   2 bytes  height in pixels (kMinChartSide..kMaxChartSide)
//   1 byte   value scale: 0 automatic, 1 linear, 2 logarithmic
//   1 byte   switches: bit 0 grid, bit 1 markers, bit 2 legend
// and nothing after them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/status.hpp"
#include "graph/graph_types.hpp"

namespace kestrel::graph {

inline constexpr std::uint8_t kChartAttributesVersion = 1;
inline constexpr int kMinChartSide = 200;
inline constexpr int kMaxChartSide = 4000;

enum class ValueScale : std::uint8_t { Automatic = 0, Linear = 1, Logarithmic = 2 };

struct ChartStyle {
  int width = 900;
  int height = 560;
  // Automatic: logarithmic when positive failure rates or MTBFs span more
  // than two decades.
  ValueScale scale = ValueScale::Automatic;
  bool grid = true;
  bool markers = true;
  bool legend = true;
};

std::vector<std::uint8_t> encodeChartAttributes(const ChartStyle& style, ChartForm form);
// Fails with a message naming what is wrong ("...Error: mode string ['%s']."
// for a mode text of no chart form); `style` and `form` are set only on success.
Status decodeChartAttributes(std::span<const std::uint8_t> bytes, ChartStyle& style, ChartForm& form);

}  // namespace kestrel::graph
