#include "gui/exchange/exchange_runs.hpp"

#include <filesystem>

#include "core/strfmt.hpp"
#include "exchange/auto_definition.hpp"
#include "exchange/bom/bom_plan.hpp"
#include "exchange/table_preview.hpp"
#include "gui/exchange/exchange_sheets.hpp"
#include "gui/exchange/import_preview.hpp"
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
  job.layout = o.layout;
  if (o.typeOn && o.partType != 0) job.typeFilter = o.partType;
  job.pnFilter = o.pnFilter;
  // The first output names the folder; runExport puts the others beside it.
  const std::filesystem::path first = files.empty() ? std::filesystem::path("export") : std::filesystem::path(files[0]);
  const std::filesystem::path folder = o.outputDir.empty() ? first.parent_path() : std::filesystem::path(o.outputDir);
  job.output = (folder / first.stem()).string() + std::string(formatExtension(o.format));
  return job;
}

namespace {

constexpr std::size_t kPreviewRows = 8;

// The job of an input read without a definition file, after the user has
// reviewed what it will build; false when declined or unreadable (shown).
bool reviewedJob(const ImportSheetOptions& o, GuiContext& context, ::QWidget* parent, ImportJob& job, BomPlan& plan) {
  const auto format = formatForPath(o.dataSpec);
  if (!format) {
    context.ui->message("'" + o.dataSpec + "': can not tell the table format from its extension.");
    return false;
  }
  if (o.readBy == ImportReadBy::BillOfMaterials) {
    if (Status s = planBom(o.dataSpec, *format, o.libraryPath, *context.ui, plan); !s) {
      context.ui->message(s.message());
      return false;
    }
    ImportPreviewDialog review(plan, parent);
    if (context.runDialog(review) != QDialog::Accepted) return false;
    job = bomImportJob(plan, outputPathFor(o.dataSpec, o.outputDir, OutputType::Circuit), o.libraryPath);
  } else {
    job = ImportJob{};
    std::vector<std::string> ignored;
    TablePreview preview;
    Status s = autoDefinition(o.dataSpec, *format, OutputType::Circuit, job.definition, ignored);
    if (s) s = previewTable(o.dataSpec, *format, job.definition, kPreviewRows, preview);
    if (!s) {
      context.ui->message(s.message());
      return false;
    }
    ImportPreviewDialog review(o.dataSpec, preview, parent);
    if (context.runDialog(review) != QDialog::Accepted) return false;
    job.definitionPath = "(keywords of the first row)";
    job.inputs = {o.dataSpec};
    job.outputDir = o.outputDir;
  }
  job.openDocuments = context.openDocuments;
  return true;
}

}  // namespace

bool importThroughSheet(GuiContext& context, ::QWidget* parent, const OpenDefinition& open) {
  ImportSheet sheet(context, parent);
  if (!open.path.empty()) {
    ImportSheetOptions preset = loadImportOptions(*context.settings);
    preset.readBy = ImportReadBy::Definition;
    preset.definitionPath = open.path;
    sheet.setOptions(preset);
  }
  if (context.runDialog(sheet) != QDialog::Accepted) return false;
  context.saveSettings();
  ImportJob job;
  BomPlan plan;
  const bool bom = sheet.options().readBy == ImportReadBy::BillOfMaterials;
  if (sheet.options().readBy == ImportReadBy::Definition) {
    if (!importJobFor(sheet.options(), context, open, job)) return false;
  } else if (!reviewedJob(sheet.options(), context, parent, job, plan)) {
    return false;
  }
  const std::vector<std::string> confirmation = importConfirmation(job);
  if (!context.ui->confirm(joinLines(confirmation))) return false;

  ImportOutcome outcome;
  {
    LoggedRun run(*context.ui, "IMPORT", operationLogFile(context));
    if (bom) {
      for (const std::string& line : bomPlanLines(plan)) run.log(line);
    }
    for (const std::string& line : confirmation) run.log(line);
    outcome = runImport(job, *context.fs, run);
    for (const FileOutcome& f : outcome.files) {
      const ImportCounters& n = f.counters;
      run.log(strprintf("'%s' -> '%s': %s, %ld records read, %ld built, %ld updated, %ld not found, %ld failed, %ld skipped",
                        f.input.c_str(), f.output.c_str(), f.ok ? "done" : "NOT DONE", n.read, n.built, n.updated,
                        n.notFound, n.failed, n.skipped));
    }
    if (bom) {
      for (const std::string& line : bomSummary(plan, outcome)) run.log(line);
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
