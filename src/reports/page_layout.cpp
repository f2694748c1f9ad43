#include "reports/page_layout.hpp"

#include <algorithm>
#include <cmath>

#include "core/strfmt.hpp"
#include "reports/report.hpp"

namespace kestrel {
namespace {

// int() of a length in inches on an axis of `dpi`: the fraction is dropped.
int units(double inches, int dpi) { return static_cast<int>(inches * dpi); }

// Line step of a font of `points` on an axis of `dpi` (integer division).
int step(int points, int dpi) { return points * dpi / 72; }

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

// Control characters (a line break in a stored text, a tab) print as blanks.
std::string printable(std::string_view text) {
  std::string out(text);
  std::replace_if(out.begin(), out.end(), isControl, ' ');
  return out;
}

// One line of text at (x, y), cut to what fits before the right edge.
void textLine(PageDevice& device, const PageGeometry& g, int x, int y, FontRole role,
              std::string_view text) {
  const double room = static_cast<double>(g.x0 + g.printableWidth - x);
  // Most lines are plain and fit: they go to the device as they are.
  if (std::none_of(text.begin(), text.end(), isControl) && device.textWidth(role, text) <= room) {
    device.text(x, y, role, text);
    return;
  }
  device.text(x, y, role, fittedText(device, role, printable(text), room));
}

}  // namespace

std::string fittedText(const PageDevice& device, FontRole role, std::string_view text, double width) {
  if (device.textWidth(role, text) <= width) return std::string(text);
  // Widths grow with the length: find the longest start that fits.
  std::size_t lo = 0;
  std::size_t hi = text.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi + 1) / 2;
    if (device.textWidth(role, text.substr(0, mid)) <= width) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return std::string(text.substr(0, lo));
}

PageGeometry preparePages(const CReport& report, PageDevice& device) {
  const DeviceCaps caps = device.caps();
  PageGeometry g;
  g.dpiX = caps.dpiX;
  g.dpiY = caps.dpiY;
  for (int i = 0; i < kFontRoleCount; ++i) {
    const auto role = static_cast<FontRole>(i);
    const FontSpec& font = reportFont(role);
    device.createFont(role, font, step(font.points, g.dpiY));
  }
  g.bodyStep = step(13, g.dpiY);
  g.titleStep = step(14, g.dpiY);
  g.smallStep = step(11, g.dpiY);

  g.x0 = std::max(0, units(report.leftMargin(), g.dpiX) - caps.offsetLeft);
  g.y0 = std::max(0, units(report.topMargin(), g.dpiY) - caps.offsetTop);
  g.printableWidth = caps.printableWidth - g.x0;
  g.printableHeight = caps.printableHeight - g.y0;
  const int halfInch = units(0.5, g.dpiY);
  g.bottomReserve = std::clamp(halfInch - caps.offsetBottom, 0, halfInch);

  const int headerLines = static_cast<int>(report.header().lineCount());
  const int fixed = 3 * (g.bodyStep / 2 + g.smallStep / 2 + g.smallStep) +
                    (headerLines + 1) * g.bodyStep + g.titleStep;
  g.bodyHeight = g.printableHeight - g.bottomReserve - fixed;
  g.titleRule = units(0.025, g.dpiY);
  g.thinRule = units(0.017, g.dpiY);

  int nominal = report.nominalHeight();
  if (report.separator()) nominal += report.missionResults() ? 2 : 1;
  g.pageTooShort = nominal * g.bodyStep > g.bodyHeight;
  g.pageTooNarrow = device.textWidth(FontRole::Body, std::string(100, '-')) > g.printableWidth;

  if (report.separator()) {
    const double hyphen = device.textWidth(FontRole::Body, "-");
    const auto count = hyphen > 0.0 ? static_cast<std::size_t>(g.printableWidth / hyphen) : 0;
    g.separatorLine = fittedText(device, FontRole::Body, std::string(count, '-'), g.printableWidth);
  }
  return g;
}

std::string pageWarning(const PageGeometry& geometry) {
  if (!geometry.pageTooShort && !geometry.pageTooNarrow) return {};
  std::string text = "Print job warning:";
  if (geometry.pageTooShort) text += "\nPage length not sufficient for this report.";
  if (geometry.pageTooNarrow) text += "\nPage width not sufficient for this report.";
  text += "\nCancel print job?";
  return text;
}

Pagination paginate(CReport& report, const PageGeometry& geometry) {
  Pagination out;
  out.pages.emplace_back();
  const int lineStep = std::max(1, geometry.bodyStep);
  const int body = geometry.bodyHeight;
  int remaining = body;
  auto newPage = [&] {
    out.pages.emplace_back();
    remaining = body;
  };

  const ReportRecList& records = report.records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::size_t lines = records[i].lineCount() + (report.separator() ? 1 : 0);
    const long long height = static_cast<long long>(lines) * lineStep;
    if (height > remaining && !out.pages.back().empty()) newPage();
    report.setRecordPage(i, out.pageCount());
    if (height <= remaining) {
      out.pages.back().push_back({i, 0, lines});
      remaining -= static_cast<int>(height);
      continue;
    }
    // Taller than a whole page body: it fills this page and continues on
    // the next ones. Every page takes at least one line, so this ends even
    // when the body has no room for a single line.
    std::size_t first = 0;
    while (first < lines) {
      const std::size_t room = static_cast<std::size_t>(std::max(1, remaining / lineStep));
      const std::size_t take = std::min(room, lines - first);
      out.pages.back().push_back({i, first, take});
      first += take;
      remaining -= static_cast<int>(take) * lineStep;
      if (first < lines) newPage();
    }
  }
  return out;
}

std::string pageStamp(std::uint32_t page, std::uint32_t pages, SortKey key, const std::tm& time) {
  return pageStamp(page, pages, sortKeyName(key), time);
}

std::string pageStamp(std::uint32_t page, std::uint32_t pages, std::string_view sortName, const std::tm& time) {
  int hour = time.tm_hour % 12;
  if (hour == 0) hour = 12;
  return strprintf("Page %u of %u      SortBy: %s      Date: %d/%d/%d  %d:%02d %s", page, pages,
                   std::string(sortName).c_str(), time.tm_mon + 1, time.tm_mday,
                   time.tm_year + 1900, hour, time.tm_min, time.tm_hour < 12 ? "AM" : "PM");
}

void layoutPage(const CReport& report, const PageGeometry& g, const Pagination& pagination,
                std::uint32_t page, const PageTexts& texts, PageDevice& device) {
  const int x = g.x0;
  const int width = g.printableWidth;
  int y = g.y0;

  // Title, and the stamp right-aligned on the same baseline.
  textLine(device, g, x, y, FontRole::Title, report.GetTitle());
  const std::string stamp = pageStamp(page, pagination.pageCount(), report.sortName(), texts.time);
  const int right = x + width - units(0.05, g.dpiX);
  const int stampX = std::max(x, static_cast<int>(right - device.textWidth(FontRole::Small, stamp)));
  const int stampY =
      y + static_cast<int>(std::lround(device.ascent(FontRole::Title) - device.ascent(FontRole::Small)));
  textLine(device, g, stampX, stampY, FontRole::Small, stamp);
  y += g.titleStep;
  device.rule(x, y, width, g.titleRule);

  const std::string smallLines[] = {"Software: " + texts.software,
                                    "Handbook: " + std::string(kHandbookName),
                                    "Company: " + report.company()};
  for (const std::string& line : smallLines) {
    y += g.smallStep / 2;
    textLine(device, g, x, y, FontRole::Small, line);
    y += g.smallStep;
    device.rule(x, y, width, g.thinRule);
  }

  y += g.bodyStep / 2;
  for (const std::string& line : report.header().lines()) {
    textLine(device, g, x, y, FontRole::Body, line);
    y += g.bodyStep;
  }
  device.rule(x, y, width, g.thinRule);
  y += g.bodyStep / 2;

  static const std::vector<PageSlice> kNoSlices;
  const bool hasPage = page >= 1 && page <= pagination.pageCount();
  const std::vector<PageSlice>& slices = hasPage ? pagination.pages[page - 1] : kNoSlices;
  const std::size_t first = slices.empty() ? 0 : slices.front().record;
  textLine(device, g, x, y, FontRole::Heading, report.pageColumnHeading(first));
  y += g.bodyStep;
  device.rule(x, y, width, g.thinRule);
  y += g.bodyStep / 2;

  for (const PageSlice& slice : slices) {
    const CReportRec& rec = report.records()[slice.record];
    for (std::size_t line = slice.firstLine; line < slice.firstLine + slice.lineCount; ++line) {
      if (line < rec.lineCount()) {
        textLine(device, g, x, y, FontRole::Body, rec.lines()[line]);
      } else {
        device.text(x, y, FontRole::Body, g.separatorLine);
      }
      y += g.bodyStep;
    }
  }
}

}  // namespace kestrel
