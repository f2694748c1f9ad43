// The page device a report is printed on: its resolution, printable area
// and unprintable strips, the four report fonts with their metrics, and
// pages of positioned text and solid rules. Text, RTF and PDF files are
// devices; the desktop application's printer and preview are others.
//
// Coordinates are device units with (0, 0) at the top left corner of the
// printable area, y growing downwards; a text's y is the top of its line
// cell (its baseline lies `ascent` lower).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.hpp"

namespace kestrel {

// The four fonts of a report page.
enum class FontRole : std::uint8_t { Body = 0, Heading = 1, Title = 2, Small = 3 };
inline constexpr int kFontRoleCount = 4;

struct FontSpec {
  std::string_view face;
  int points;
  int weight;  // 400 normal, 700 bold
};

// Body "Courier New" 9 pt, heading the same in bold, title "Arial" 12 pt,
// small "Arial" 9 pt.
const FontSpec& reportFont(FontRole role);

struct DeviceCaps {
  int dpiX = 0;  // logical pixels per inch, across
  int dpiY = 0;  // and down
  int printableWidth = 0;
  int printableHeight = 0;
  int offsetLeft = 0;    // unprintable strip at the left edge of the paper
  int offsetTop = 0;     // at the top
  int offsetBottom = 0;  // at the bottom
};

class PageDevice {
 public:
  virtual ~PageDevice() = default;

  virtual DeviceCaps caps() const = 0;
  // Creates the font of a role at `height` device units (the character
  // height; the printing code passes points x dpiY / 72).
  virtual void createFont(FontRole role, const FontSpec& font, int height) = 0;
  // Width of a text in a created font, in device units.
  virtual double textWidth(FontRole role, std::string_view text) const = 0;
  // Distance from the top of a line cell to the baseline.
  virtual double ascent(FontRole role) const = 0;

  // A print job of `pages` pages; a file device may take several jobs.
  virtual void startJob(std::string_view title, std::uint32_t pages) { (void)title, (void)pages; }
  virtual void startPage() = 0;
  // Text is single-byte (Windows-1252, as the records keep it) without
  // control characters; each device writes it in its file's own encoding.
  virtual void text(int x, int y, FontRole role, std::string_view text) = 0;
  // A solid black rectangle.
  virtual void rule(int x, int y, int width, int height) = 0;
  virtual void endPage() = 0;
  virtual void endJob() {}
};

// Paper sizes of the file devices.
struct Paper {
  std::string_view name;
  double widthInches;
  double heightInches;
};
inline constexpr Paper kLetterPaper{"letter", 8.5, 11.0};
inline constexpr Paper kA4Paper{"a4", 210.0 / 25.4, 297.0 / 25.4};

// A device that files its pages: `finish` gives the whole file's bytes.
class FileDevice : public PageDevice {
 public:
  // Resolution of the file devices, and the strip at each paper edge that
  // they keep free, as a printer does.
  static constexpr int kDpi = 600;
  static constexpr double kUnprintableInches = 0.25;

  explicit FileDevice(const Paper& paper);
  DeviceCaps caps() const override { return caps_; }
  const Paper& paper() const { return paper_; }
  // Paper size in device units.
  int paperWidth() const;
  int paperHeight() const;

  virtual Status finish(std::string& bytes) = 0;

 private:
  Paper paper_;
  DeviceCaps caps_;
};

}  // namespace kestrel
