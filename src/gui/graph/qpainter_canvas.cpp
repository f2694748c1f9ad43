#include "gui/graph/qpainter_canvas.hpp"

#include <QFontMetricsF>
#include <QPolygonF>

#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

QColor toQColor(const graph::Color& c) { return QColor::fromRgbF(float(c.r), float(c.g), float(c.b), float(c.a)); }

QPolygonF toPolygon(std::span<const graph::Point> points) {
  QPolygonF polygon;
  polygon.reserve(qsizetype(points.size()));
  for (const graph::Point& p : points) polygon << QPointF(p.x, p.y);
  return polygon;
}

// The chart's font at a size in pixels, as the cairo canvas sets it.
QFont chartFont(const graph::Font& font) {
  QFont f(QStringLiteral("Arial"));  // Liberation Sans through fontconfig, as in the chart files
  f.setPixelSize(std::max(1, int(font.size + 0.5)));
  f.setBold(font.bold);
  return f;
}

// UTF-8 text as it is; other bytes (a part number) read as Windows-1252.
QString chartText(std::string_view text) {
  return isValidUtf8(text) ? QString::fromStdString(std::string(text)) : qtext(text);
}

}  // namespace

void QPainterCanvas::fillRect(const graph::Rect& r, const graph::Color& color) {
  painter_.fillRect(QRectF(r.x, r.y, r.w, r.h), toQColor(color));
}

void QPainterCanvas::fillPolygon(std::span<const graph::Point> points, const graph::Color& color) {
  if (points.empty()) return;
  painter_.save();
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(toQColor(color));
  painter_.drawPolygon(toPolygon(points));
  painter_.restore();
}

void QPainterCanvas::strokePolyline(std::span<const graph::Point> points, const graph::Pen& pen, bool closed) {
  if (points.size() < 2) return;
  QPen qpen(toQColor(pen.color), pen.width);
  if (pen.dashed) qpen.setStyle(Qt::DashLine);
  qpen.setCapStyle(Qt::FlatCap);
  painter_.save();
  painter_.setPen(qpen);
  painter_.setBrush(Qt::NoBrush);
  const QPolygonF line = toPolygon(points);
  if (closed) painter_.drawPolygon(line);
  else painter_.drawPolyline(line);
  painter_.restore();
}

graph::TextSize QPainterCanvas::measureText(std::string_view text, const graph::Font& font) {
  const QFontMetricsF metrics(chartFont(font), painter_.device());
  return {metrics.horizontalAdvance(chartText(text)), metrics.ascent() + metrics.descent()};
}

void QPainterCanvas::drawText(std::string_view text, graph::Point at, const graph::Font& font,
                              const graph::Color& color, graph::HAlign h, graph::VAlign v, bool vertical) {
  if (text.empty()) return;
  const QFont f = chartFont(font);
  const QFontMetricsF metrics(f, painter_.device());
  const QString s = chartText(text);
  const double advance = metrics.horizontalAdvance(s);
  const double x = h == graph::HAlign::Left ? 0.0 : (h == graph::HAlign::Center ? -advance / 2.0 : -advance);
  const double y = v == graph::VAlign::Top
                       ? metrics.ascent()
                       : (v == graph::VAlign::Middle ? (metrics.ascent() - metrics.descent()) / 2.0 : -metrics.descent());
  painter_.save();
  painter_.translate(at.x, at.y);
  if (vertical) painter_.rotate(-90.0);
  painter_.setFont(f);
  painter_.setPen(toQColor(color));
  painter_.drawText(QPointF(x, y), s);
  painter_.restore();
}

void QPainterCanvas::pushClip(const graph::Rect& r) {
  painter_.save();
  painter_.setClipRect(QRectF(r.x, r.y, r.w, r.h), Qt::IntersectClip);
}

void QPainterCanvas::popClip() { painter_.restore(); }

}  // namespace kestrel::gui
