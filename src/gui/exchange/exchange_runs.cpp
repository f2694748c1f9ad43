#include "gui/exchange/exchange_runs.hpp"

#include <filesystem>

#include "core/strfmt.hpp"
#include "gui/exchange/exchange_sheets.hpp"
#include "gui/library/logged_run.hpp"
#include "store/library/part_filters.hpp"

namespace kestrel::gui {
namespace {

bool samePath(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  return std::filesystem::weakly_canonical(a, error) == std::filesystem::weakly_canonical(b, error);
}

}  // namespace

bool importJobFor(const ImportSheetOptions& o, GuiContext& context, const OpenDefinition& open, ImportJob& job) {
  job = ImportJob{};
  if (open.doc != nullptr && samePath(open.path, o.definitionPath)) {
    job.definition = *open.doc;
  } else {
    std::vector<std::string> warnings;
    if (Status s = loadDefinition(*context.fs, o.definitionPath, job.definition, warnings); !s) {
      context.ui->message(s.message());
      return false;
    }
    for (const std::string& w : warnings) context.ui->message(w);
  }
  if (o.overrideTranslate) job.definition.header.translateCode = o.translateCode;
  job.definitionPath = o.definitionPath;
  job.inputs = {o.dataSpec};
  job.outputDir = o.outputDir;
  job.libraryPath = o.libraryPath;
  job.xrefPath = o.searchXRef ? o.xrefPath : std::string();
  job.xrefMoveBoth = o.xrefMoveBoth;
  job.openDocuments = context.openDocuments;
  return true;
}

ExportJob exportJobFor(const ExportSheetOptions& o, const std::vector<std::string>& files) {
  ExportJob job;
  job.inputs = files;
  job.format = o.format;
  if (o.typeOn && o.partType != 0) job.typeFilter = o.partType;
  job.pnFilter = o.pnFilter;
  // The first output names the folder; runExport puts the others beside it.
  const std::filesystem::path first = files.empty() ? std::filesystem::path("export") : std::filesystem::path(files[0]);
  const std::filesystem::path folder = o.outputDir.empty() ? first.parent_path() : std::filesystem::path(o.outputDir);
  job.output = (folder / first.stem()).string() + std::string(formatExtension(o.format));
  return job;
}

bool importThroughSheet(GuiContext& context, ::QWidget* parent, const OpenDefinition& open) {
  ImportSheet sheet(context, parent);
  if (!open.path.empty()) {
    ImportSheetOptions preset = loadImportOptions(*context.settings);
    preset.definitionPath = open.path;
    sheet.setOptions(preset);
  }
  if (context.runDialog(sheet) != QDialog::Accepted) return false;
  context.saveSettings();
  ImportJob job;
  if (!importJobFor(sheet.options(), context, open, job)) return false;
  const std::vector<std::string> confirmation = importConfirmation(job);
  if (!context.ui->confirm(joinLines(confirmation))) return false;

  ImportOutcome outcome;
  {
    LoggedRun run(*context.ui, "IMPORT", operationLogFile(context));
    for (const std::string& line : confirmation) run.log(line);
    outcome = runImport(job, *context.fs, run);
    for (const FileOutcome& f : outcome.files) {
      const ImportCounters& n = f.counters;
      run.log(strprintf("'%s' -> '%s': %s, %ld records read, %ld built, %ld updated, %ld not found, %ld failed, %ld skipped",
                        f.input.c_str(), f.output.c_str(), f.ok ? "done" : "NOT DONE", n.read, n.built, n.updated,
                        n.notFound, n.failed, n.skipped));
    }
  }
  if (context.refreshViews) context.refreshViews();
  return outcome.allOk() && !outcome.cancelled;
}

bool exportThroughSheet(GuiContext& context, ::QWidget* parent) {
  ExportSheet sheet(context, parent);
  if (context.runDialog(sheet) != QDialog::Accepted) return false;
  context.saveSettings();
  const ExportSheetOptions& o = sheet.options();
  const std::vector<std::string> files = library::matchingFiles(o.inputSpec);
  const ExportJob job = exportJobFor(o, files);
  // The confirmation names the filespec as typed, not the files it matched.
  ExportJob shown = job;
  shown.inputs = {o.inputSpec};
  const std::vector<std::string> confirmation = exportConfirmation(shown);
  if (!context.ui->confirm(joinLines(confirmation))) return false;

  ExportOutcome outcome;
  {
    LoggedRun run(*context.ui, "EXPORT", operationLogFile(context));
    for (const std::string& line : confirmation) run.log(line);
    run.log(strprintf("Searching input filespec '%s'...", o.inputSpec.c_str()));
    if (files.empty()) {
      run.log("   ...no matching files found.");
      return false;
    }
    outcome = runExport(job, *context.fs, run);
    run.log(strprintf("Succeed:%ld  FilterOut:%ld  Failed:%ld", outcome.succeed, outcome.filterOut, outcome.failed));
  }
  return outcome.ok();
}

}  // namespace kestrel::gui
