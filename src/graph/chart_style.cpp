#include "graph/chart_style.hpp"

#include "core/archive.hpp"
#include "core/strfmt.hpp"

namespace kestrel::graph {
namespace {

enum Switch : std::uint8_t { kGrid = 1u << 0, kMarkers = 1u << 1, kLegend = 1u << 2 };

}  // namespace

std::vector<std::uint8_t> encodeChartAttributes(const ChartStyle& style, ChartForm form) {
  Archive ar = Archive::forWriting();
  std::uint8_t version = kChartAttributesVersion;
  std::string mode(chartModeText(form));
  std::uint16_t width = static_cast<std::uint16_t>(style.width);
  std::uint16_t height = static_cast<std::uint16_t>(style.height);
  std::uint8_t scale = static_cast<std::uint8_t>(style.scale);
  std::uint8_t switches = static_cast<std::uint8_t>((style.grid ? kGrid : 0) | (style.markers ? kMarkers : 0) |
                                                    (style.legend ? kLegend : 0));
  ar.io(version);
  ar.io(mode);
  ar.io(width);
  ar.io(height);
  ar.io(scale);
  ar.io(switches);
  return ar.bytes();
}

Status decodeChartAttributes(std::span<const std::uint8_t> bytes, ChartStyle& style, ChartForm& form) {
  Archive ar = Archive::forReading(bytes, "chart attributes");
  std::uint8_t version = 0, scale = 0, switches = 0;
  std::string mode;
  std::uint16_t width = 0, height = 0;
  ar.io(version);
  if (ar.ok() && version != kChartAttributesVersion) {
    return Status::error(StatusCode::Corrupt, strprintf("chart attribute version %d (expected %d)", version,
                                                        kChartAttributesVersion));
  }
  ar.io(mode);
  ar.io(width);
  ar.io(height);
  ar.io(scale);
  ar.io(switches);
  if (!ar.ok()) return Status::error(StatusCode::Corrupt, "chart attributes: " + ar.error());
  if (ar.remaining() != 0) return Status::error(StatusCode::Corrupt, "chart attributes: bytes left over");
  const auto parsed = chartFormOfMode(mode);
  if (!parsed) return Status::error(StatusCode::Corrupt, modeStringError(mode));
  if (width < kMinChartSide || width > kMaxChartSide || height < kMinChartSide || height > kMaxChartSide) {
    return Status::error(StatusCode::Corrupt, strprintf("chart size %dx%d outside %d..%d", width, height,
                                                        kMinChartSide, kMaxChartSide));
  }
  if (scale > static_cast<std::uint8_t>(ValueScale::Logarithmic) || (switches & ~(kGrid | kMarkers | kLegend)) != 0) {
    return Status::error(StatusCode::Corrupt, "chart attributes: unknown scale or switches");
  }
  style.width = width;
  style.height = height;
  style.scale = static_cast<ValueScale>(scale);
  style.grid = (switches & kGrid) != 0;
  style.markers = (switches & kMarkers) != 0;
  style.legend = (switches & kLegend) != 0;
  form = *parsed;
  return Status::ok();
}

}  // namespace kestrel::graph
