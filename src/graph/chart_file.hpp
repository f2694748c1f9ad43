// Chart files: a plot model drawn through the cairo canvas into SVG, PNG or
// PDF bytes, and those bytes written to a file the safe way (a temporary
// file beside it, then renamed over it), so a failed write never leaves a
// damaged chart under the file's name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "graph/plot_model.hpp"

namespace kestrel::graph {

enum class ChartFileFormat { Svg, Png, Pdf };

// The format a path's extension names (".svg", ".png", ".pdf", case ignored).
std::optional<ChartFileFormat> chartFormatForPath(const std::string& path);

// The chart as the bytes of a file of `format` (a PDF page is the chart's
// size in points).
Status renderChartBytes(const PlotModel& plot, ChartFileFormat format, std::vector<std::uint8_t>& bytes);

// Renders and writes the chart; the format comes from the extension
// ("Chart file '%s': use a .svg, .png or .pdf name." otherwise).
Status writeChartFile(FileSystem& fs, const PlotModel& plot, const std::string& path);

}  // namespace kestrel::graph
