#include "core/whatif_command.hpp"

#include <map>

#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

std::string modeName(std::uint8_t mode) { return std::string(kWhatIfStressModes.text(mode)); }

// Child documents kept in memory for the whole run: a save only marks them
// to be written, and a file reached again is the same document.
class StagedSubFiles final : public SubFileAccess {
 public:
  explicit StagedSubFiles(FileSystem& fs) : files_(fs) {}

  Opened open(const std::string& path, bool keepFiles, Ui& ui) override {
    const std::string key = upperCased(path);
    if (auto it = staged_.find(key); it != staged_.end()) return {it->second.doc.get(), nullptr, false};
    Opened opened = files_.open(path, keepFiles, ui);
    if (!opened.owned) return opened;
    CCircDoc* doc = opened.owned.get();
    staged_[key].doc = std::move(opened.owned);
    order_.push_back(key);
    return {doc, nullptr, false};
  }
  bool save(CCircDoc& doc, Ui&) override {
    staged_[upperCased(doc.path())].changed = true;
    return true;
  }
  // Writes every changed child, in the order they were first reached.
  bool commit(FileSystem& fs, Ui& ui, std::vector<std::string>& saved) {
    for (const std::string& key : order_) {
      Staged& s = staged_[key];
      if (!s.changed) continue;
      if (Status st = saveDocument(fs, *s.doc, s.doc->path()); !st) {
        ui.message("'" + s.doc->path() + "': " + st.message());
        return false;
      }
      saved.push_back(s.doc->path());
    }
    return true;
  }

 private:
  struct Staged {
    std::unique_ptr<CCircDoc> doc;
    bool changed = false;
  };
  DocumentSubFiles files_;
  std::map<std::string, Staged> staged_;
  std::vector<std::string> order_;
};

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

WhatIfOutcome runWhatIf(CCircDoc& top, FileSystem& fs, Ui& ui, WhatIfSettings& settings, bool dryRun) {
  WhatIfOutcome out;
  if (!hasWhatIfChanges(settings)) {
    ui.message("No What-If? changes specified.");
    return out;
  }
  settings.processedFiles.clear();
  StagedSubFiles staged(fs);
  CalcContext context(ui, &staged);
  if (!top.BasicCalc(context, 0, -1.0, &settings, false)) return out;
  out.lines = top.resultLines(false);
  if (!dryRun) {
    if (!staged.commit(fs, ui, out.saved)) return out;
    if (Status s = saveDocument(fs, top, top.path()); !s) {
      ui.message("'" + top.path() + "': " + s.message());
      return out;
    }
    out.saved.push_back(top.path());
  }
  out.ok = true;
  return out;
}

}  // namespace kestrel
