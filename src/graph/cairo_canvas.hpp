// The cairo canvas: draws charts into a cairo context (an SVG, PNG or PDF
// surface). Texts are set in "Arial" (Liberation Sans through fontconfig,
// with the same metrics); text that is not UTF-8 is taken as Latin-1, so a
// part number of any bytes can never put the context into an error state.
#pragma once

#include <cairo.h>

#include <string>

#include "graph/canvas.hpp"

namespace kestrel::graph {

inline constexpr const char* kChartFontFamily = "Arial";

class CairoCanvas final : public Canvas {
 public:
  // Draws into `cr`, which stays the caller's.
  explicit CairoCanvas(cairo_t* cr) : cr_(cr) {}

  void fillRect(const Rect& rect, const Color& color) override;
  void fillPolygon(std::span<const Point> points, const Color& color) override;
  void strokePolyline(std::span<const Point> points, const Pen& pen, bool closed) override;
  TextSize measureText(std::string_view text, const Font& font) override;
  void drawText(std::string_view text, Point at, const Font& font, const Color& color, HAlign h, VAlign v,
                bool vertical) override;
  void pushClip(const Rect& rect) override;
  void popClip() override;

 private:
  void selectFont(const Font& font);
  void setColor(const Color& color);

  cairo_t* cr_;
};

// `text` if it is valid UTF-8, else its bytes read as Windows-1252.
std::string utf8Text(std::string_view text);

}  // namespace kestrel::graph
