// The desktop's chart canvas: the chart renderer's drawing calls carried
// out by a QPainter, so a chart window, a printed page and a saved image
// show the same picture the command line writes through cairo.
#pragma once

#include <QPainter>

#include "graph/canvas.hpp"

namespace kestrel::gui {

class QPainterCanvas final : public graph::Canvas {
 public:
  // Draws with `painter`, which stays the caller's.
  explicit QPainterCanvas(QPainter& painter) : painter_(painter) {}

  void fillRect(const graph::Rect& rect, const graph::Color& color) override;
  void fillPolygon(std::span<const graph::Point> points, const graph::Color& color) override;
  void strokePolyline(std::span<const graph::Point> points, const graph::Pen& pen, bool closed) override;
  graph::TextSize measureText(std::string_view text, const graph::Font& font) override;
  void drawText(std::string_view text, graph::Point at, const graph::Font& font, const graph::Color& color,
                graph::HAlign h, graph::VAlign v, bool vertical) override;
  void pushClip(const graph::Rect& rect) override;
  void popClip() override;

 private:
  QPainter& painter_;
};

}  // namespace kestrel::gui
