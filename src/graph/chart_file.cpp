#include "graph/chart_file.hpp"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include "core/strfmt.hpp"
#include "graph/cairo_canvas.hpp"
#include "graph/chart_renderer.hpp"

namespace kestrel::graph {
namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Draws on a surface and finishes it; the surface is destroyed here.
Status drawOn(cairo_surface_t* surface, const PlotModel& plot) {
  cairo_t* cr = cairo_create(surface);
  CairoCanvas canvas(cr);
  renderChart(plot, canvas);
  const cairo_status_t drawn = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  Status result = Status::ok();
  // Drawing happens in memory: a failure there is none of the file or input
  // kinds, so it stays a plain failure (here and below).
  if (drawn != CAIRO_STATUS_SUCCESS) {
    result = Status::error(StatusCode::Failed,
                           std::string("chart drawing failed: ") + cairo_status_to_string(drawn));
  }
  return result;
}

}  // namespace

std::optional<ChartFileFormat> chartFormatForPath(const std::string& path) {
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos) return std::nullopt;
  const std::string ext = upperCased(path.substr(dot));
  if (ext == ".SVG") return ChartFileFormat::Svg;
  if (ext == ".PNG") return ChartFileFormat::Png;
  if (ext == ".PDF") return ChartFileFormat::Pdf;
  return std::nullopt;
}

Status renderChartBytes(const PlotModel& plot, ChartFileFormat format, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  const double w = plot.width, h = plot.height;
  cairo_surface_t* surface = nullptr;
  switch (format) {
    case ChartFileFormat::Svg: surface = cairo_svg_surface_create_for_stream(appendBytes, &bytes, w, h); break;
    case ChartFileFormat::Pdf: surface = cairo_pdf_surface_create_for_stream(appendBytes, &bytes, w, h); break;
    case ChartFileFormat::Png: surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, plot.width, plot.height); break;
  }
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    const std::string why = cairo_status_to_string(cairo_surface_status(surface));
    cairo_surface_destroy(surface);
    return Status::error(StatusCode::Failed, "chart surface: " + why);
  }
  Status drawn = drawOn(surface, plot);
  if (drawn && format == ChartFileFormat::Png) {
    if (cairo_surface_write_to_png_stream(surface, appendBytes, &bytes) != CAIRO_STATUS_SUCCESS) {
      drawn = Status::error(StatusCode::Failed, "chart PNG could not be encoded");
    }
  }
  cairo_surface_finish(surface);
  if (drawn && cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    drawn = Status::error(StatusCode::Failed, std::string("chart file: ") +
                                                  cairo_status_to_string(cairo_surface_status(surface)));
  }
  cairo_surface_destroy(surface);
  if (!drawn) bytes.clear();
  return drawn;
}

Status writeChartFile(FileSystem& fs, const PlotModel& plot, const std::string& path) {
  const auto format = chartFormatForPath(path);
  if (!format) {
    return Status::error(StatusCode::InvalidArgument,
                         "Chart file '" + path + "': use a .svg, .png or .pdf name.");
  }
  std::vector<std::uint8_t> bytes;
  if (Status s = renderChartBytes(plot, *format, bytes); !s) {
    return Status::error(s.code(), "'" + path + "': " + s.message());
  }
  const std::string temporary = path + ".tmp";
  if (Status s = fs.writeFile(temporary, bytes); !s) {
    (void)fs.remove(temporary);
    return s;
  }
  if (Status s = fs.rename(temporary, path); !s) {
    (void)fs.remove(temporary);
    return s;
  }
  return fs.syncFolder(path);
}

}  // namespace kestrel::graph
