// A report as JSON for scripts: the same documents, kind, records and sort
// order as the printed report, each record with its sort fields and its
// printed lines, and each document's totals.
#pragma once

#include "core/json_writer.hpp"
#include "reports/report_job.hpp"

namespace kestrel {

// Builds the reports of `job` (its output and paper are not used) and
// writes them as one JSON document. Nothing is written when a document can
// not be read, is not calculated or its assembly is cancelled: the status
// says why, naming the file.
Status writeReportJson(const ReportJob& job, FileSystem& fs, Ui& ui, JsonWriter& out, ReportOutcome& outcome);

}  // namespace kestrel
