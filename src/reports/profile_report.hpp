// The "Mission Profile" report: the results of a mission profile laid out on
// report pages like every other report (title and stamp, the Software,
// Handbook and Company lines, a header, a column heading, then the lines).
//
// The header names the profile, its file, the top-level document and its
// model, with the profile's totals: hours, time-weighted average failure
// rate, equivalent MTBF, the reliability over one profile and, for a
// repeated profile, over all repetitions. The body is the phase table (one
// line per phase, in mission order) followed by each phase's top
// contributors, highest failure rate first.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/file_system.hpp"
#include "core/mission_profile_result.hpp"
#include "core/status.hpp"
#include "reports/page_device.hpp"
#include "reports/report.hpp"
#include "reports/report_printer.hpp"
#include "reports/report_settings.hpp"

namespace kestrel {

class Ui;

inline constexpr std::string_view kProfileReportKind = "Mission Profile";
inline constexpr std::string_view kProfileReportTitle = "Mission Profile Report";

// The report of `result`, built and ready for printReport on any page
// device (the desktop's printer and preview, the file devices). The Report
// Setup settings give the margins and the company line.
std::unique_ptr<CReport> buildProfileReport(const ProfileResult& result, const ReportSettings& settings = {});

// Prints the report of `result` on `device` (see printReport).
Status printProfileReport(const ProfileResult& result, PageDevice& device, Ui& ui,
                          const ReportSettings& settings = {}, const PrintOptions& options = {},
                          std::uint32_t* pages = nullptr);

// The report as the bytes of a .pdf, .rtf or .txt file (the kind from the
// extension of `path`); fails naming the file for any other extension.
Status renderProfileReport(const ProfileResult& result, const std::string& path, const Paper& paper,
                           std::string& bytes, const ReportSettings& settings = {},
                           const PrintOptions& options = {});

// Renders and files the report the safe way (writeReportFile): a failed
// write leaves no new file and any earlier one as it was.
Status writeProfileReport(FileSystem& fs, const ProfileResult& result, const std::string& path,
                          const Paper& paper, const ReportSettings& settings = {},
                          const PrintOptions& options = {});

}  // namespace kestrel
