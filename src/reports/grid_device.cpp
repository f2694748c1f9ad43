#include "reports/grid_device.hpp"

#include <algorithm>
#include <cmath>

namespace kestrel {

std::string rowText(const GridRow& row) {
  std::string out;
  for (const GridItem& item : row.items) {
    std::size_t column = item.column;
    if (!out.empty() && column < out.size() + 1) column = out.size() + 1;
    out.resize(column, ' ');
    out += item.text;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

void GridDevice::createFont(FontRole role, const FontSpec&, int height) {
  // Every font sits on the body font's grid and baseline.
  if (role == FontRole::Body && height > 0) {
    cellWidth_ = 0.6 * height;
    ascent_ = 0.8 * height;
  }
}

double GridDevice::textWidth(FontRole, std::string_view text) const {
  return static_cast<double>(text.size()) * cellWidth_;
}

double GridDevice::ascent(FontRole) const { return ascent_; }

void GridDevice::startPage() {
  texts_.clear();
  rules_.clear();
}

void GridDevice::text(int x, int y, FontRole role, std::string_view text) {
  texts_.push_back({x, y, role, std::string(text)});
}

void GridDevice::rule(int, int y, int, int height) { rules_.push_back({y, height}); }

void GridDevice::endPage() {
  GridPage page;
  std::stable_sort(texts_.begin(), texts_.end(), [](const PlacedText& a, const PlacedText& b) {
    return a.y != b.y ? a.y < b.y : a.x < b.x;
  });
  if (!texts_.empty()) {
    page.originY = texts_.front().y;
    page.originX = std::min_element(texts_.begin(), texts_.end(), [](const PlacedText& a,
                                                                      const PlacedText& b) {
                     return a.x < b.x;
                   })->x;
  }
  for (PlacedText& t : texts_) {
    if (page.rows.empty() || page.rows.back().y != t.y) page.rows.push_back(GridRow{t.y, {}, 0});
    const double cells = std::max(0.0, (t.x - page.originX) / cellWidth_);
    page.rows.back().items.push_back(
        {static_cast<std::size_t>(std::lround(cells)), t.role, std::move(t.text)});
  }
  for (const PlacedRule& r : rules_) {
    // The rule belongs under the last row above it.
    const auto below = std::lower_bound(page.rows.begin(), page.rows.end(), r.y,
                                        [](const GridRow& row, int y) { return row.y < y; });
    if (below == page.rows.begin()) continue;
    GridRow& row = *(below - 1);
    row.ruleBelow = std::max(row.ruleBelow, r.height);
  }
  emitPage(page);
  texts_.clear();
  rules_.clear();
}

}  // namespace kestrel
