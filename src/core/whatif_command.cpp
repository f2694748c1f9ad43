#include "core/whatif_command.hpp"

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/number_format.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/staged_sub_files.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

std::string modeName(std::uint8_t mode) { return std::string(kWhatIfStressModes.text(mode)); }

}  // namespace

std::vector<std::string> whatIfConfirmation(const WhatIfSettings& s) {
  std::vector<std::string> lines;
  lines.push_back("Select OK to make the following What-If? changes:");
  lines.push_back(strprintf("- Make Changes for Entire Hierarchy: %s", s.entireHierarchy ? "YES" : "NO"));
  const PartType* type = findPartType(s.typeId);
  lines.push_back(strprintf("- Part Type Filter: %s",
                            s.typeFilterOn && type ? std::string(type->menuName).c_str() : "OFF"));
  lines.push_back(s.pnFilterOn ? strprintf("- PN Filter: '%.40s'", s.pnFilterText.c_str())
                               : std::string("- PN Filter: OFF"));
  lines.push_back(strprintf("- Environment: %s", s.changeEnvironment
                                                     ? std::string(kEnvironments.text(s.environment)).c_str()
                                                     : "NoChange"));
  lines.push_back(s.tempMode == NoChange ? std::string("- Temperature: NoChange")
                                         : strprintf("- Temperature: %s (%.1fC)", modeName(s.tempMode).c_str(),
                                                     static_cast<double>(s.tempValue)));
  lines.push_back(s.qualityMode == NoChange
                      ? std::string("- Quality: NoChange")
                      : strprintf("- Quality: %s (%.0f)", modeName(s.qualityMode).c_str(),
                                  static_cast<double>(s.qualityLevel)));
  lines.push_back(s.stressMode == NoChange || s.stressMode == SetToCalcMode
                      ? strprintf("- Stress: %s", modeName(s.stressMode).c_str())
                      : strprintf("- Stress: %s (%.1f%%)", modeName(s.stressMode).c_str(),
                                  static_cast<double>(s.stressValue)));
  return lines;
}

bool hasWhatIfChanges(const WhatIfSettings& s) {
  return s.changeEnvironment || s.tempMode != NoChange || s.qualityMode != NoChange ||
         s.stressMode != NoChange;
}

WhatIfOutcome runWhatIf(CCircDoc& top, FileSystem& fs, Ui& ui, WhatIfSettings& settings, bool dryRun,
                        OpenDocuments& open) {
  WhatIfOutcome out;
  if (!hasWhatIfChanges(settings)) {
    ui.message("No What-If? changes specified.");
    return out;
  }
  settings.processedFiles.clear();
  DocumentTotals topTotals{top.path(), (top.header().CalcFlags & HeaderBasicDone) != 0, top.header().TotalFR, 0.0};
  // A dry run leaves the open documents as they are and reads copies.
  StagedSubFiles staged(fs, open, dryRun);
  CalcContext context(ui, &staged);
  const bool topOpen = !dryRun && open.find(top.path()) == &top;
  const bool calculated = top.BasicCalc(context, 0, -1.0, &settings, false);
  if (calculated) {
    out.lines = top.resultLines(false);
    topTotals.after = top.header().TotalFR;
    out.totals.push_back(topTotals);
    staged.addTotals(out.totals);
    // Children and the top document are written together or not at all; a
    // top document open in a window stays there, modified, for its user to save.
    out.ok = dryRun || staged.commit(topOpen ? nullptr : &top, ui, out.saved);
  }
  // The records in memory carry the changes even when the run failed; the
  // window shows them against the children as now written.
  if (topOpen) open.changed(top);
  return out;
}

namespace {

void collectFiles(const CCircDoc& doc, FileSystem& fs, OpenDocuments& open, int level,
                  std::vector<std::string>& files) {
  if (level > kMaxLevels) return;
  for (std::size_t i = 0; i < doc.count(); ++i) {
    std::string error;
    const std::string path = DocumentSubFiles::childFile(doc.path(), doc.record(i), error);
    if (path.empty()) continue;  // not a sub-file record, or its file is not there
    bool seen = false;
    for (const std::string& f : files) seen = seen || fileIdentity(f) == fileIdentity(path);
    if (seen) continue;
    if (const CCircDoc* held = open.find(path)) {
      files.push_back(path);
      collectFiles(*held, fs, open, level + 1, files);
      continue;
    }
    std::unique_ptr<CCircDoc> child;
    if (!loadDocument(fs, path, child) || !child) continue;
    files.push_back(path);
    collectFiles(*child, fs, open, level + 1, files);
  }
}

}  // namespace

std::vector<std::string> whatIfFiles(const CCircDoc& top, FileSystem& fs, OpenDocuments& open) {
  std::vector<std::string> files{top.path()};
  collectFiles(top, fs, open, 1, files);
  return files;
}

std::vector<std::string> whatIfFileLines(const WhatIfSettings& settings, const std::vector<std::string>& files) {
  std::vector<std::string> lines;
  if (files.empty()) return lines;
  // Without the entire-hierarchy option the sub-files keep their own data
  // but are still recalculated and saved with their new results.
  const std::size_t changed = settings.entireHierarchy ? files.size() : 1;
  lines.push_back("");
  lines.push_back("Files changed and rewritten:");
  for (std::size_t i = 0; i < changed; ++i) lines.push_back("   " + files[i]);
  if (changed < files.size()) {
    lines.push_back("Sub-files recalculated and rewritten:");
    for (std::size_t i = changed; i < files.size(); ++i) lines.push_back("   " + files[i]);
  }
  return lines;
}

std::vector<std::string> whatIfTotalsLines(const WhatIfOutcome& outcome) {
  std::vector<std::string> lines;
  for (const DocumentTotals& t : outcome.totals) {
    const std::string before =
        t.calculatedBefore ? std::string(trimmed(formatNumber(t.before, 12, 6))) : std::string("*NOCALC*");
    lines.push_back(strprintf("'%s': FR= %s -> %s fpmh", t.path.c_str(), before.c_str(),
                              std::string(trimmed(formatNumber(t.after, 12, 6))).c_str()));
  }
  return lines;
}

WhatIfOutcome previewWhatIf(const CCircDoc& top, FileSystem& fs, Ui& ui, WhatIfSettings settings,
                            OpenDocuments& open) {
  CCircDoc copy(top.kind());
  if (Status s = decodeDocument(encodeDocument(top), top.kind(), copy); !s) {
    ui.message(s.message());
    return {};
  }
  copy.setPath(top.path());
  copy.setTitle(top.title());
  return runWhatIf(copy, fs, ui, settings, true, open);
}

}  // namespace kestrel
