// The base of the character-cell file devices (plain text and RTF): every
// font is taken as fixed-pitch with the body font's cell width, and each
// page's positioned texts are gathered into rows (one per text top) of
// items at character columns, with the rules noted under the row above them.
#pragma once

#include <string>
#include <vector>

#include "reports/page_device.hpp"

namespace kestrel {

struct GridItem {
  std::size_t column = 0;
  FontRole role = FontRole::Body;
  std::string text;
};

struct GridRow {
  int y = 0;  // device units, as laid out
  std::vector<GridItem> items;
  int ruleBelow = 0;  // height of the thickest rule between this row and the next; 0 for none
};

struct GridPage {
  int originX = 0;  // device x of column 0: the leftmost text of the page
  int originY = 0;  // device y of the first row
  std::vector<GridRow> rows;
};

// The text of a row, items placed at their columns with blanks between them;
// an item that would overlap the one before starts one blank after it.
std::string rowText(const GridRow& row);

class GridDevice : public FileDevice {
 public:
  explicit GridDevice(const Paper& paper) : FileDevice(paper) {}

  void createFont(FontRole role, const FontSpec& font, int height) override;
  double textWidth(FontRole role, std::string_view text) const override;
  double ascent(FontRole role) const override;

  void startPage() override;
  void text(int x, int y, FontRole role, std::string_view text) override;
  void rule(int x, int y, int width, int height) override;
  void endPage() override;

  // Device units per character column.
  double cellWidth() const { return cellWidth_; }

 protected:
  // One finished page, in order.
  virtual void emitPage(const GridPage& page) = 0;

 private:
  struct PlacedText {
    int x;
    int y;
    FontRole role;
    std::string text;
  };
  struct PlacedRule {
    int y;
    int height;
  };

  double cellWidth_ = 0.6 * 9 * kDpi / 72;  // Courier's advance is 0.6 of the font height
  double ascent_ = 0.8 * 9 * kDpi / 72;
  std::vector<PlacedText> texts_;
  std::vector<PlacedRule> rules_;
};

}  // namespace kestrel
