// Printing an assembled report on a page device: the preparation (fonts,
// geometry, the page-length and page-width warning), pagination, then the
// layout of every page. Print, preview and print-to-file all go through here.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "core/status.hpp"
#include "reports/page_device.hpp"

namespace kestrel {

class CReport;
class Ui;

// "Kestrel" and the version of this build.
std::string softwareText();

struct PrintOptions {
  std::string software = softwareText();
  // The time printed in the page stamp; the current local time when unset.
  bool fixedTime = false;
  std::tm time{};
  // False for batch printing: a page too small for the report is a warning
  // and the job goes on, and a project print starts without its question.
  bool askFirst = true;
};

// Prints `report` (already built) on `device`. When the page is too short or
// too narrow the user is asked whether to cancel (told, without askFirst);
// Yes cancels the job. An
// out-of-memory or other exception while printing logs "...Error: out of
// memory." or "...Error: exception thrown." and fails the job. `pages`
// receives the number of pages printed.
Status printReport(CReport& report, PageDevice& device, Ui& ui, const PrintOptions& options = {},
                   std::uint32_t* pages = nullptr);

}  // namespace kestrel
