// A report run as the front ends start it: which file (or hierarchy), which
// kind, the Report Setup settings, the paper and the output; the run loads
// the documents, builds one report per document, prints them all on one
// file device and files the result safely (or hands back the text).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "reports/page_device.hpp"
#include "reports/report_printer.hpp"
#include "reports/report_settings.hpp"

namespace kestrel {

class Ui;

struct ReportJob {
  std::string file;        // the circuit or hybrid to report
  bool recursive = false;  // and every document below it, in hierarchy order
  int kind = 0;            // row of the report types menu, 0..6
  ReportSettings settings;  // the paper and orientation included
  // A document whose mission stage ran prints its mission lines, as the
  // desktop prints it; false when the caller chose them for every document.
  bool missionLinesWhenRun = true;
  std::string output;  // a .pdf, .rtf or .txt file; empty: plain text handed back
  PrintOptions print;
};

struct ReportOutcome {
  std::size_t reports = 0;  // documents reported
  std::uint32_t pages = 0;  // pages printed, all reports together
  std::string text;         // the plain text, when no output file was named
  bool badInput = false;    // a document could not be read
  // One line per reported document whose sub-file results are out of date.
  std::vector<std::string> notCurrent;
};

class CCircDoc;
class CReport;

// The documents of the job and one built report each, in hierarchy order.
// Fails naming the file when a document can not be read (outcome.badInput),
// is not calculated, or its assembly is cancelled; the stale sub-file lines
// go to outcome.notCurrent.
Status buildJobReports(const ReportJob& job, FileSystem& fs, Ui& ui, ReportOutcome& outcome,
                       std::vector<std::unique_ptr<CCircDoc>>& docs, std::vector<std::unique_ptr<CReport>>& reports);

// Runs the job. Nothing is written unless every report was built and
// printed: an uncalculated document fails with "Circuit must be calculated
// before printing." naming its file, and so does a cancelled assembly or job.
Status runReportJob(const ReportJob& job, FileSystem& fs, Ui& ui, ReportOutcome& outcome);

}  // namespace kestrel
