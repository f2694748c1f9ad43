#include "graph/cairo_canvas.hpp"

#include <numbers>

#include "core/windows1252.hpp"

namespace kestrel::graph {

std::string utf8Text(std::string_view text) {
  if (isValidUtf8(text)) return std::string(text);
  return windows1252ToUtf8(text);  // the records' own code page
}

void CairoCanvas::setColor(const Color& c) { cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a); }

void CairoCanvas::selectFont(const Font& font) {
  cairo_select_font_face(cr_, kChartFontFamily, CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, font.size);
}

void CairoCanvas::fillRect(const Rect& r, const Color& color) {
  setColor(color);
  cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
  cairo_fill(cr_);
}

void CairoCanvas::fillPolygon(std::span<const Point> points, const Color& color) {
  if (points.size() < 3) return;
  setColor(color);
  cairo_move_to(cr_, points[0].x, points[0].y);
  for (std::size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x, points[i].y);
  cairo_close_path(cr_);
  cairo_fill(cr_);
}

void CairoCanvas::strokePolyline(std::span<const Point> points, const Pen& pen, bool closed) {
  if (points.size() < 2) return;
  setColor(pen.color);
  cairo_set_line_width(cr_, pen.width);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  const double dash[] = {3.0, 3.0};
  cairo_set_dash(cr_, dash, pen.dashed ? 2 : 0, 0.0);
  cairo_move_to(cr_, points[0].x, points[0].y);
  for (std::size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x, points[i].y);
  if (closed) cairo_close_path(cr_);
  cairo_stroke(cr_);
  cairo_set_dash(cr_, nullptr, 0, 0.0);
}

TextSize CairoCanvas::measureText(std::string_view text, const Font& font) {
  selectFont(font);
  const std::string utf8 = utf8Text(text);
  cairo_text_extents_t te;
  cairo_text_extents(cr_, utf8.c_str(), &te);
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  return {te.x_advance, fe.ascent + fe.descent};
}

void CairoCanvas::drawText(std::string_view text, Point at, const Font& font, const Color& color, HAlign h,
                           VAlign v, bool vertical) {
  if (text.empty()) return;
  const std::string utf8 = utf8Text(text);
  selectFont(font);
  cairo_text_extents_t te;
  cairo_text_extents(cr_, utf8.c_str(), &te);
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  const double x = h == HAlign::Left ? 0.0 : (h == HAlign::Center ? -te.x_advance / 2.0 : -te.x_advance);
  const double y = v == VAlign::Top ? fe.ascent : (v == VAlign::Middle ? (fe.ascent - fe.descent) / 2.0 : -fe.descent);
  cairo_save(cr_);
  cairo_translate(cr_, at.x, at.y);
  if (vertical) cairo_rotate(cr_, -std::numbers::pi / 2.0);
  setColor(color);
  cairo_move_to(cr_, x, y);
  cairo_show_text(cr_, utf8.c_str());
  cairo_new_path(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::pushClip(const Rect& r) {
  cairo_save(cr_);
  cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
  cairo_clip(cr_);
}

void CairoCanvas::popClip() { cairo_restore(cr_); }

}  // namespace kestrel::graph
