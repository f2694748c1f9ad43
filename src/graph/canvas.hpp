// The canvas a chart is drawn on: filled shapes, lines, and text that can
// be measured before it is placed. Units are pixels from the top-left
// corner. Implementations: cairo (SVG, PNG and PDF files) and the desktop
// application's painter; tests record the calls.
#pragma once

#include <span>
#include <string_view>

namespace kestrel::graph {

struct Point {
  double x = 0.0;
  double y = 0.0;
};

struct Rect {
  double x = 0.0;
  double y = 0.0;
  double w = 0.0;
  double h = 0.0;
};

struct Color {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 1.0;
};

struct Pen {
  Color color;
  double width = 1.0;
  bool dashed = false;
};

struct Font {
  double size = 12.0;  // pixels
  bool bold = false;
};

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };

struct TextSize {
  double width = 0.0;
  double height = 0.0;  // the font's ascent plus descent
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void fillRect(const Rect& rect, const Color& color) = 0;
  virtual void fillPolygon(std::span<const Point> points, const Color& color) = 0;
  // A line through the points; `closed` joins the last to the first.
  virtual void strokePolyline(std::span<const Point> points, const Pen& pen, bool closed) = 0;

  virtual TextSize measureText(std::string_view text, const Font& font) = 0;
  // Text placed by `at`: its left, centre or right edge, and its top,
  // middle or bottom. `vertical` turns it a quarter left (reading upwards);
  // the alignment then applies to the turned text's own directions.
  virtual void drawText(std::string_view text, Point at, const Font& font, const Color& color, HAlign h,
                        VAlign v, bool vertical) = 0;

  // Drawing is limited to `rect` until the matching popClip.
  virtual void pushClip(const Rect& rect) = 0;
  virtual void popClip() = 0;
};

}  // namespace kestrel::graph
