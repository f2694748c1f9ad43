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
  // Every report is built before anything is written, so a cancelled
  // assembly leaves no half document.
  std::vector<std::unique_ptr<CCircDoc>> docs;
  std::vector<std::unique_ptr<CReport>> reports;
  if (Status s = buildJobReports(job, fs, ui, outcome, docs, reports); !s) return s;
  out.beginCommandDocument("report");
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
