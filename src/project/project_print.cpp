#include "project/project_print.hpp"

#include <memory>
#include <set>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "project/project_tree.hpp"
#include "reports/page_layout.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_output.hpp"

namespace kestrel {
namespace {

constexpr std::string_view kUseCalculate = "...use Calculate command in Project View to correct.";

Status checkFailure(Ui& ui, StatusCode code, const std::string& file, const char* what) {
  const std::string line = strprintf("...Error: %s.", what);
  ui.progressLine(4, line);
  ui.progressLine(5, kUseCalculate);
  ui.message(line + "\n" + std::string(kUseCalculate));
  return Status::error(code, "'" + file + "': " + line + "\n" + std::string(kUseCalculate));
}

Status printFailure(Ui& ui, StatusCode code, const std::string& file, const std::string& text) {
  ui.message(text);
  return Status::error(code, "'" + file + "': " + text);
}

bool calculated(const CCircDoc& doc) { return (doc.header().CalcFlags & HeaderBasicDone) != 0; }

}  // namespace

std::vector<std::string> filesToPrint(const ProjectTree& tree) {
  std::vector<std::string> files;
  std::set<std::string> seen;
  for (const CProjPart& node : tree.nodes()) {
    if (!node.isOpenable() || !node.printChecked) continue;
    if (seen.insert(upperCased(node.file)).second) files.push_back(node.file);
  }
  return files;
}

Status printProject(const ProjectTree& tree, const ProjectPrintJob& job, FileSystem& fs, Ui& ui,
                    ProjectPrintOutcome& outcome) {
  outcome = ProjectPrintOutcome();
  OutputKind kind = OutputKind::Text;
  if (!job.output.empty()) {
    const auto byName = outputKindForPath(job.output);
    if (!byName) {
      return Status::error(StatusCode::InvalidArgument,
                           "'" + job.output + "': a report file ends in .pdf, .rtf or .txt");
    }
    kind = *byName;
  }
  std::unique_ptr<CReport> sample = createReport(job.settings.format, job.settings);
  if (!sample) return Status::error(StatusCode::InvalidArgument, "no report kind of that number");

  const std::vector<std::string> files = filesToPrint(tree);
  if (files.empty()) {
    ui.message("PRINT: no files selected.");
    return Status::error(StatusCode::InvalidArgument, "PRINT: no files selected.");
  }

  // Every file must open and be calculated before the job is offered; the
  // page count is estimated on a device of the job's kind.
  ui.clearProgress();
  ui.progressLine(1, "Checking calculation status of project files...");
  std::unique_ptr<FileDevice> estimate = makeFileDevice(kind, reportPaper(job.settings));
  int notCurrent = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    ui.progressBar(static_cast<int>(i + 1), static_cast<int>(files.size()));
    ui.progressLine(3, strprintf("...checking '%s'...", files[i].c_str()));
    std::unique_ptr<CCircDoc> doc;
    if (Status s = loadDocument(fs, files[i], doc); !s) {
      return checkFailure(ui, s.code(), files[i], "can not open");
    }
    if (!calculated(*doc)) return checkFailure(ui, StatusCode::InvalidArgument, files[i], "not calculated");
    std::unique_ptr<CReport> report = createReport(job.settings.format, job.settings);
    if (!report->checkCurrent(fs, *doc).empty()) {
      ++notCurrent;
      ui.progressLine(3, strprintf("...'%s' is not current: a sub-file changed since it was calculated...",
                                   files[i].c_str()));
    }
    if (!report->build(*doc, ui)) {
      return Status::error(StatusCode::Cancelled, "'" + files[i] + "': the report assembly was cancelled");
    }
    const PageGeometry geometry = preparePages(*report, *estimate);
    outcome.estimatedPages += paginate(*report, geometry).pageCount();
  }
  ui.clearProgress();

  std::string question = strprintf(
      "Continue with Project Print?\n"
      "Select YES to Print the following job...\n"
      "...Files to Print: %d\n"
      "...Estimated Page Count: %d\n"
      "...Report Format: %s\n"
      "...Printer Device: %s",
      static_cast<int>(files.size()), static_cast<int>(outcome.estimatedPages), sample->GetTitle().c_str(),
      std::string(printerName(kind)).c_str());
  if (notCurrent > 0) {
    question += strprintf("\n...Not Current (recalculate to update): %d", notCurrent);
  }
  if (job.print.askFirst && !ui.confirm(question)) return Status::ok();
  outcome.confirmed = true;

  std::unique_ptr<FileDevice> device = makeFileDevice(kind, reportPaper(job.settings));
  for (const std::string& file : files) {
    std::unique_ptr<CCircDoc> doc;
    if (Status s = loadDocument(fs, file, doc); !s) {
      return printFailure(ui, s.code(), file, strprintf("PRINT ERROR: can not open '%s'.", file.c_str()));
    }
    if (!calculated(*doc)) {
      return printFailure(ui, StatusCode::InvalidArgument, file,
                          strprintf("PRINT ERROR: '%s' is not calculated.", file.c_str()));
    }
    std::unique_ptr<CReport> report = createReport(job.settings.format, job.settings);
    report->checkCurrent(fs, *doc);
    if (!report->build(*doc, ui)) {
      return Status::error(StatusCode::Cancelled, "'" + file + "': the report assembly was cancelled");
    }
    std::uint32_t pages = 0;
    if (Status s = printReport(*report, *device, ui, job.print, &pages); !s) {
      return Status::error(s.code(), "'" + file + "': " + s.message());
    }
    outcome.pages += pages;
    outcome.files.push_back(file);
  }

  std::string bytes;
  if (Status s = device->finish(bytes); !s) {
    return Status::error(s.code(), "'" + job.output + "': " + s.message());
  }
  if (job.output.empty()) {
    outcome.text = std::move(bytes);
    return Status::ok();
  }
  return writeReportFile(fs, job.output, bytes);
}

}  // namespace kestrel
