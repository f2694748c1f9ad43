#include "core/merge.hpp"

#include "core/document_sub_files.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {

std::string mergeQuestion(const std::string& sourcePath, const CCircDoc& target) {
  return strprintf("Merge '%s' into '%s'?", sourcePath.c_str(), upperCased(target.title()).c_str());
}

MergeOutcome mergeInto(CCircDoc& target, const std::string& sourcePath, CalcContext& context) {
  Ui& ui = context.ui;
  MergeOutcome out;
  auto error = [&](const char* text) {
    ui.progressLine(4, strprintf("...Error: %s.", text));
    return out;
  };
  ui.clearProgress();
  ui.progressLine(1, strprintf("Merge into '%s'...", upperCased(target.title()).c_str()));
  ui.progressLine(2, strprintf("...'%s'...", sourcePath.c_str()));
  ui.progressLine(3, strprintf("...opening '%s'...", sourcePath.c_str()));

  // One file under two names (a link, "./", another case of a name that
  // exists only once) is still the document itself.
  if (upperCased(sourcePath) == upperCased(target.path()) || DocumentSubFiles::sameFile(sourcePath, target.path())) {
    return error("self-reference");
  }
  if (context.subFiles == nullptr) return error("can not open");
  SubFileAccess::Opened source = context.subFiles->open(sourcePath, false, ui);
  if (source.doc == nullptr) return error("can not open");
  const CCircDoc& from = *source.doc;
  if (from.kind() != target.kind() || from.hybridFlag() != target.hybridFlag()) {
    return error("unexpected file format");
  }
  if (from.count() == 0) return error("zero records");

  const int n = static_cast<int>(from.count());
  ui.progressLine(3, strprintf("...merging %d records...", n));
  if (target.count() + from.count() > kMaxRecs) return error("too many records");

  for (int i = 1; i <= n; ++i) {
    ui.progressBar(i, n);
    if (target.count() >= kMaxRecs) {
      ui.progressLine(4, strprintf("...Error: %s (rec#%d).", "too many records", i));
      return out;
    }
    auto copy = from.record(static_cast<std::size_t>(i - 1)).clone();
    if (!copy) {
      ui.progressLine(4, strprintf("...Error: %s (rec#%d).", "can not copy record", i));
      return out;
    }
    copy->IS_HYBRID = target.hybridFlag();
    copy->normalizeChoices();
    copy->Calculate(target.header());
    target.insertSorted(std::move(copy));
    ++out.merged;
    target.header().CalcFlags = 0;
    target.setModified(true);
    if ((i - 1) % 10 == 0) {
      if (!ui.processEvents()) return out;
      if (ui.cancelRequested()) {
        if (ui.confirm("Cancel merge?")) {
          ui.progressLine(4, strprintf("...Cancel (rec#%d).", i));
          return out;
        }
        ui.clearCancel();
      }
    }
  }
  ui.progressLine(4, "...Complete.");
  out.ok = true;
  return out;
}

}  // namespace kestrel
