#include "reports/rtf_device.hpp"

#include <algorithm>
#include <cmath>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr int kTwipsPerInch = 1440;
// A body line step (13/72 inch) in twips, for the last row of a page.
constexpr int kBodyLineTwips = 13 * 20;
// Border widths above 75 twips are not allowed.
constexpr int kMaxBorderTwips = 75;

// Font number in the font table and size in half points, per role.
struct RtfFont {
  int number;
  int halfPoints;
  bool bold;
};
RtfFont rtfFont(FontRole role) {
  switch (role) {
    case FontRole::Body: return {0, 18, false};
    case FontRole::Heading: return {0, 18, true};
    case FontRole::Title: return {1, 24, false};
    case FontRole::Small: return {1, 18, false};
  }
  return {0, 18, false};
}

std::string run(const GridItem& item) {
  const RtfFont font = rtfFont(item.role);
  return strprintf("{\\f%d\\fs%d%s %s}", font.number, font.halfPoints, font.bold ? "\\b" : "",
                   rtfEscaped(item.text).c_str());
}

}  // namespace

std::string rtfEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (u >= 0x80 || u < 0x20) {
      out += strprintf("\\'%02x", u);
    } else {
      out += c;
    }
  }
  return out;
}

int RtfDevice::twips(double units) const {
  return static_cast<int>(std::lround(units * kTwipsPerInch / kDpi));
}

void RtfDevice::startJob(std::string_view title, std::uint32_t) {
  if (title_.empty()) title_ = std::string(title);
}

void RtfDevice::emitPage(const GridPage& page) {
  if (!haveOrigin_ && !page.rows.empty()) {
    originX_ = page.originX;
    originY_ = page.originY;
    haveOrigin_ = true;
  }
  if (pages_ > 0) body_ += "\\page\n";
  ++pages_;
  const int cell = twips(cellWidth());
  for (std::size_t r = 0; r < page.rows.size(); ++r) {
    const GridRow& row = page.rows[r];
    const int height = r + 1 < page.rows.size() ? twips(page.rows[r + 1].y - row.y) : kBodyLineTwips;
    body_ += strprintf("\\pard\\plain\\sl-%d\\slmult0", std::max(height, 1));
    if (row.ruleBelow > 0) {
      body_ += strprintf("\\brdrb\\brdrs\\brdrw%d", std::min(kMaxBorderTwips, std::max(1, twips(row.ruleBelow))));
    }
    for (std::size_t i = 1; i < row.items.size(); ++i) {
      body_ += strprintf("\\tx%d", static_cast<int>(row.items[i].column) * cell);
    }
    body_ += ' ';
    for (std::size_t i = 0; i < row.items.size(); ++i) {
      if (i > 0) body_ += "\\tab";
      body_ += run(row.items[i]);
    }
    body_ += "\\par\n";
  }
}

Status RtfDevice::finish(std::string& bytes) {
  const DeviceCaps c = caps();
  const int left = twips(c.offsetLeft + originX_);
  const int top = twips(c.offsetTop + originY_);
  const int side = twips(c.offsetLeft);
  const int bottom = twips(c.offsetBottom);
  bytes = "{\\rtf1\\ansi\\ansicpg1252\\deff0\n";
  bytes += "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}}\n";
  bytes += "{\\info{\\title " + rtfEscaped(title_) + "}{\\author Kestrel}}\n";
  const auto paperTwips = [](double inches) { return static_cast<int>(std::lround(inches * kTwipsPerInch)); };
  bytes += strprintf("\\paperw%d\\paperh%d\\margl%d\\margr%d\\margt%d\\margb%d\n",
                     paperTwips(paper().widthInches), paperTwips(paper().heightInches), left, side, top,
                     bottom);
  // Word processors turn the page by this word, not by the sides alone.
  if (paper().widthInches > paper().heightInches) bytes += "\\landscape\n";
  bytes += body_;
  bytes += "}\n";
  body_.clear();
  pages_ = 0;
  haveOrigin_ = false;
  return Status::ok();
}

}  // namespace kestrel
