#include "reports/report_job.hpp"

#include <memory>
#include <vector>

#include "core/circ_doc.hpp"
#include "reports/report.hpp"
#include "reports/report_hierarchy.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_output.hpp"

namespace kestrel {
namespace {

Status named(StatusCode code, const std::string& path, std::string_view text) {
  return Status::error(code, "'" + path + "': " + std::string(text));
}

}  // namespace

Status runReportJob(const ReportJob& job, FileSystem& fs, Ui& ui, ReportOutcome& outcome) {
  outcome = ReportOutcome();
  OutputKind kind = OutputKind::Text;
  if (!job.output.empty()) {
    const auto byName = outputKindForPath(job.output);
    if (!byName) {
      return named(StatusCode::InvalidArgument, job.output, "a report file ends in .pdf, .rtf or .txt");
    }
    kind = *byName;
  }
  if (!createReport(job.kind, job.settings)) {
    return Status::error(StatusCode::InvalidArgument, "no report kind of that number");
  }

  std::vector<std::unique_ptr<CCircDoc>> docs;
  if (Status s = loadReportDocuments(fs, job.file, job.recursive, docs); !s) {
    outcome.badInput = true;
    return s;
  }
  // Every document must be reportable before anything is printed.
  for (const auto& doc : docs) {
    if (doc->header().CalcFlags == 0) {
      return named(StatusCode::InvalidArgument, doc->path(), kNotCalculatedMessage);
    }
  }

  std::unique_ptr<FileDevice> device = makeFileDevice(kind, reportPaper(job.settings));
  for (const auto& doc : docs) {
    const ReportSettings settings = job.missionLinesWhenRun ? settingsForDocument(job.settings, *doc) : job.settings;
    std::unique_ptr<CReport> report = createReport(job.kind, settings);
    if (const auto stale = report->checkCurrent(fs, *doc); !stale.empty()) {
      outcome.notCurrent.push_back("'" + doc->path() + "': " + notCurrentText(stale));
    }
    if (!report->build(*doc, ui)) {
      return named(StatusCode::Cancelled, doc->path(), "the report assembly was cancelled");
    }
    std::uint32_t pages = 0;
    if (Status s = printReport(*report, *device, ui, job.print, &pages); !s) {
      return named(s.code(), doc->path(), s.message());
    }
    outcome.pages += pages;
    ++outcome.reports;
  }

  std::string bytes;
  if (Status s = device->finish(bytes); !s) return named(s.code(), job.output, s.message());
  if (job.output.empty()) {
    outcome.text = std::move(bytes);
    return Status::ok();
  }
  return writeReportFile(fs, job.output, bytes);
}

}  // namespace kestrel
