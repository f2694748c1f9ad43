// Page geometry, pagination and the layout of one report page.
//
// Every page is: the title with the page stamp on its baseline, a rule,
// the "Software:", "Handbook:" and "Company:" lines each followed by a
// rule, the header record's lines, a rule, the column heading, a rule, then
// the record lines of the page, each record followed by its separator line
// when the kind has one. Below the body, a bottom reserve of half an inch
// (less the device's unprintable strip) stays free on every page.
//
// Records are never split across pages, except one taller than a whole
// page body: it starts on a page of its own and continues on the next ones,
// at least one line per page, so pagination always ends.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "reports/page_device.hpp"
#include "reports/report_settings.hpp"

namespace kestrel {

class CReport;
class Ui;

inline constexpr std::string_view kHandbookName = "MIL-HDBK-217F, Notice 2";

struct PageGeometry {
  int dpiX = 0;
  int dpiY = 0;
  int x0 = 0;               // left offset of every line (the left margin on this device)
  int y0 = 0;               // top offset of the title
  int printableWidth = 0;   // from x0 to the right edge of the printable area
  int printableHeight = 0;  // from y0 to the bottom edge of the printable area
  int bottomReserve = 0;
  int bodyStep = 0;   // line step of the body font
  int titleStep = 0;
  int smallStep = 0;
  int bodyHeight = 0;  // what the records of one page may take
  int titleRule = 0;   // height of the rule under the title
  int thinRule = 0;    // height of the other rules
  std::string separatorLine;  // hyphens as wide as the printable width (kinds with a separator)
  bool pageTooShort = false;   // a nominal record does not fit the body
  bool pageTooNarrow = false;  // 100 hyphens do not fit the width
};

// Reads the device, creates the four fonts and works out the geometry of
// `report`'s pages.
PageGeometry preparePages(const CReport& report, PageDevice& device);

// The warning of a page too short or too narrow, or "" when the page is fine:
// "Print job warning:" with "\nPage length not sufficient for this report."
// and/or "\nPage width not sufficient for this report.", then "\nCancel print job?".
std::string pageWarning(const PageGeometry& geometry);

// A run of lines of one record on one page. Line `lineCount` of a record
// (one past its last text line) stands for its separator line.
struct PageSlice {
  std::size_t record = 0;
  std::size_t firstLine = 0;
  std::size_t lineCount = 0;
};

struct Pagination {
  std::vector<std::vector<PageSlice>> pages;  // at least one page, maybe empty
  std::uint32_t pageCount() const { return static_cast<std::uint32_t>(pages.size()); }
};

// Lays the records onto pages and notes each record's first page in it.
Pagination paginate(CReport& report, const PageGeometry& geometry);

// "Page %u of %u      SortBy: %s      Date: %d/%d/%d  %d:%02d %s" with the
// month, day and four-digit year, the hour on a 12-hour clock (0 shown as
// 12), the minutes and "AM" or "PM".
std::string pageStamp(std::uint32_t page, std::uint32_t pages, SortKey key, const std::tm& time);
std::string pageStamp(std::uint32_t page, std::uint32_t pages, std::string_view sortName, const std::tm& time);

// What every page shows besides the report's own lines.
struct PageTexts {
  std::string software;  // application name and version
  std::tm time{};        // when the job was prepared
};

// Lays out page `page` (1-based) on the device, between its startPage and endPage.
void layoutPage(const CReport& report, const PageGeometry& geometry, const Pagination& pagination,
                std::uint32_t page, const PageTexts& texts, PageDevice& device);

// The longest start of `text` that fits `width` in a font of the device.
std::string fittedText(const PageDevice& device, FontRole role, std::string_view text, double width);

}  // namespace kestrel
