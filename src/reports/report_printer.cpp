#include "reports/report_printer.hpp"

#include <new>
#include <stdexcept>

#include "core/ui.hpp"
#include "reports/page_layout.hpp"
#include "reports/report.hpp"

#ifndef KESTREL_VERSION
#define KESTREL_VERSION "0.0.0"
#endif

namespace kestrel {
namespace {

std::tm localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm out{};
  localtime_r(&now, &out);
  return out;
}

Status printPages(CReport& report, PageDevice& device, Ui& ui, const PrintOptions& options,
                  std::uint32_t* pages) {
  const PageGeometry geometry = preparePages(report, device);
  if (const std::string warning = pageWarning(geometry); !warning.empty()) {
    if (!options.askFirst) {
      ui.message(warning.substr(0, warning.rfind('\n')));
    } else if (ui.confirm(warning)) {
      return Status::error(StatusCode::Cancelled, "the print job was cancelled");
    }
  }
  const Pagination pagination = paginate(report, geometry);
  PageTexts texts;
  texts.software = options.software;
  texts.time = options.fixedTime ? options.time : localNow();

  device.startJob(report.GetTitle(), pagination.pageCount());
  for (std::uint32_t page = 1; page <= pagination.pageCount(); ++page) {
    device.startPage();
    layoutPage(report, geometry, pagination, page, texts, device);
    device.endPage();
  }
  device.endJob();
  if (pages != nullptr) *pages = pagination.pageCount();
  return Status::ok();
}

}  // namespace

std::string softwareText() { return std::string("Kestrel ") + KESTREL_VERSION; }

Status printReport(CReport& report, PageDevice& device, Ui& ui, const PrintOptions& options,
                   std::uint32_t* pages) {
  try {
    return printPages(report, device, ui, options, pages);
  } catch (const std::bad_alloc&) {
    // Running out of memory or an unforeseen fault is none of the kinds callers tell apart.
    ui.log("...Error: out of memory.");
    return Status::error(StatusCode::Failed, "out of memory");
  } catch (const std::exception&) {
    ui.log("...Error: exception thrown.");
    return Status::error(StatusCode::Failed, "exception thrown");
  }
}

}  // namespace kestrel
