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

Status buildJobReports(const ReportJob& job, FileSystem& fs, Ui& ui, ReportOutcome& outcome,
                       std::vector<std::unique_ptr<CCircDoc>>& docs, std::vector<std::unique_ptr<CReport>>& reports) {
  if (!createReport(job.kind, job.settings)) {
    return Status::error(StatusCode::InvalidArgument, "no report kind of that number");
  }
  if (Status s = loadReportDocuments(fs, job.file, job.recursive, docs); !s) {
    outcome.badInput = true;
    return s;
  }
  // Every document must be reportable before anything is built.
  for (const auto& doc : docs) {
    if (doc->header().CalcFlags == 0) {
      return named(StatusCode::InvalidArgument, doc->path(), kNotCalculatedMessage);
    }
  }
  for (const auto& doc : docs) {
    const ReportSettings settings = job.missionLinesWhenRun ? settingsForDocument(job.settings, *doc) : job.settings;
    reports.push_back(createReport(job.kind, settings));
    if (const auto stale = reports.back()->checkCurrent(fs, *doc); !stale.empty()) {
      outcome.notCurrent.push_back("'" + doc->path() + "': " + notCurrentText(stale));
    }
    if (!reports.back()->build(*doc, ui)) {
      return named(StatusCode::Cancelled, doc->path(), "the report assembly was cancelled");
    }
  }
  return Status::ok();
}

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
  std::vector<std::unique_ptr<CCircDoc>> docs;
  std::vector<std::unique_ptr<CReport>> reports;
  if (Status s = buildJobReports(job, fs, ui, outcome, docs, reports); !s) return s;

  std::unique_ptr<FileDevice> device = makeFileDevice(kind, reportPaper(job.settings));
  for (std::size_t i = 0; i < docs.size(); ++i) {
    std::uint32_t pages = 0;
    if (Status s = printReport(*reports[i], *device, ui, job.print, &pages); !s) {
      return named(s.code(), docs[i]->path(), s.message());
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
