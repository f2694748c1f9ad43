#include "reports/report_json.hpp"

#include <memory>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/document_json.hpp"
#include "core/registry.hpp"
#include "core/windows1252.hpp"
#include "reports/report.hpp"
#include "reports/report_hierarchy.hpp"
#include "reports/report_kinds.hpp"

namespace kestrel {
namespace {

void writeLines(JsonWriter& out, const std::vector<std::string>& lines) {
  out.beginArray();
  for (const std::string& line : lines) out.string(mixedToUtf8(line));
  out.endArray();
}

void writeRecord(JsonWriter& out, const CReportRec& rec, bool hybrid) {
  out.beginObject();
  out.key("PN");
  out.string(windows1252ToUtf8(rec.PN));
  out.key("PN2");
  out.string(windows1252ToUtf8(rec.PN2));
  out.key("REFDES");
  out.string(windows1252ToUtf8(rec.REFDES));
  out.key("LCN");
  out.string(windows1252ToUtf8(rec.LCN));
  out.key("type");
  out.string(typeName(rec.partType, hybrid, nullptr));
  out.key("typeId");
  out.integer(rec.partType);
  out.key("QTY");
  out.number(rec.QTY);
  out.key("TFR");
  out.number(rec.TFR);
  out.key("lines");
  writeLines(out, rec.lines());
  out.endObject();
}

}  // namespace

Status writeReportJson(const ReportJob& job, FileSystem& fs, Ui& ui, JsonWriter& out, ReportOutcome& outcome) {
  outcome = ReportOutcome();
  if (!createReport(job.kind, job.settings)) {
    return Status::error(StatusCode::InvalidArgument, "no report kind of that number");
  }
  std::vector<std::unique_ptr<CCircDoc>> docs;
  if (Status s = loadReportDocuments(fs, job.file, job.recursive, docs); !s) {
    outcome.badInput = true;
    return s;
  }
  for (const auto& doc : docs) {
    if (doc->header().CalcFlags == 0) {
      return Status::error(StatusCode::InvalidArgument, "'" + doc->path() + "': " + std::string(kNotCalculatedMessage));
    }
  }
  // Every report is built before anything is written, so a cancelled
  // assembly leaves no half document.
  std::vector<std::unique_ptr<CReport>> reports;
  for (const auto& doc : docs) {
    const ReportSettings settings = job.missionLinesWhenRun ? settingsForDocument(job.settings, *doc) : job.settings;
    reports.push_back(createReport(job.kind, settings));
    if (const auto stale = reports.back()->checkCurrent(fs, *doc); !stale.empty()) {
      outcome.notCurrent.push_back("'" + doc->path() + "': " + notCurrentText(stale));
    }
    if (!reports.back()->build(*doc, ui)) {
      return Status::error(StatusCode::Cancelled, "'" + doc->path() + "': the report assembly was cancelled");
    }
  }
  out.beginObject();
  out.key("command");
  out.string("report");
  out.key("schema");
  out.integer(kJsonSchema);
  out.key("kind");
  out.string(reports.front()->GetTitle());
  out.key("sortBy");
  out.string(sortKeyName(reports.front()->sortKey()));
  out.key("reports");
  out.beginArray();
  for (std::size_t i = 0; i < docs.size(); ++i) {
    const CReport& report = *reports[i];
    out.beginObject();
    out.key("file");
    out.string(mixedToUtf8(docs[i]->path()));
    out.key("title");
    out.string(mixedToUtf8(report.docTitle()));
    out.key("sortBy");
    out.string(sortKeyName(report.sortKey()));
    out.key("header");
    writeLines(out, report.header().lines());
    out.key("records");
    out.beginArray();
    for (std::size_t r = 0; r < report.recordCount(); ++r) writeRecord(out, report.records()[r], docs[i]->isHybrid());
    out.endArray();
    out.key("totals");
    out.sortedObject(documentTotalsJson(*docs[i]));
    out.endObject();
    ++outcome.reports;
  }
  out.endArray();
  out.endObject();
  out.finish();
  return Status::ok();
}

}  // namespace kestrel
