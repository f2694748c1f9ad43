// The basic calculation of a circuit or hybrid document: every record's
// failure rate against the header, sub-files one level deeper, and the
// roll-up into failure rate, MTBF, basic reliability, parts count and the
// per-part-type statistics.
#include <cmath>

#include "core/circ_doc.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

// Share in percent, 0 when the denominator is not above 0 (an empty
// circuit, or a correction factor of 0 read from a file).
float sharePercent(double part, double whole) {
  if (!(whole > 0.0)) return 0.0f;
  return static_cast<float>(part / whole * 100.0);
}

}  // namespace

void CCircDoc::writeStage(Ui& ui, int level, const char* activity) const {
  ui.progressLine(1, "Basic Calculation:");
  ui.progressLine(2, strprintf("'%s' (Level %d)...", upperCased(title_).c_str(), level));
  ui.progressLine(3, strprintf(activity, static_cast<int>(records_.size())));
}

bool CCircDoc::BasicCalc(CalcContext& context, int callerLevel, double missionTime,
                         WhatIfSettings* whatIf, bool keepFiles) {
  Ui& ui = context.ui;
  const int level = callerLevel + 1;
  ui.clearProgress();
  writeStage(ui, level, "...calculating %d records...");

  if (level > kMaxLevels) {
    ui.progressLine(4, strprintf("...Error: %s.", "too many levels"));
    return false;
  }
  if (missionTime >= 0.0) header_.MissionTime = static_cast<float>(missionTime);
  header_.CalcFlags = 0;
  modified_ = true;

  if (whatIf != nullptr && keepFiles) {
    if (whatIf->cfOverride >= 0.0f) header_.CF = whatIf->cfOverride;
    if (whatIf->missionTimeOverride >= 0.0f) header_.MissionTime = whatIf->missionTimeOverride;
  }

  bool whatIfApplies = false;
  if (whatIf != nullptr && (whatIf->entireHierarchy || level == 1) &&
      whatIf->processedFiles.count(title_) == 0) {
    whatIf->processedFiles.insert(title_);
    whatIfApplies = true;
    applyHeaderWhatIf(header_, isHybrid(), *whatIf);
  }

  const int n = static_cast<int>(records_.size());
  for (int i = 1; i <= n; ++i) {
    CPart& part = *records_[static_cast<std::size_t>(i - 1)];
    ui.progressBar(i, n);
    part.CalcFlags = 0;

    if (part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType) {
      if (!calculateSubFile(context, part, static_cast<std::size_t>(i), level, missionTime, whatIf,
                            keepFiles)) {
        return false;
      }
      writeStage(ui, level, "...calculating %d records...");
      ui.progressBar(i, n);
    }

    if (whatIfApplies && whatIf->passesFilter(part)) part.ApplyWhatIf(*whatIf);
    part.Calculate(header_);
    part.BasicR = static_cast<float>(
        std::exp(-static_cast<double>(part.DutyCycle) * 0.01 * header_.MissionTime * part.FR * 1e-6));
    part.CalcFlags |= PartBasicDone;

    if ((i - 1) % 10 == 0) {
      if (!ui.processEvents()) return false;
      if (ui.cancelRequested()) {
        if (ui.confirm("Cancel calculation?")) {
          ui.progressLine(4, strprintf("...Cancel (rec#%d).", i));
          return false;
        }
        ui.clearCancel();
      }
    }
  }

  writeStage(ui, level, "...totals for %d records...");
  sumTotals(ui);
  header_.CalcFlags |= HeaderBasicDone;
  return true;
}

void CCircDoc::sumTotals(Ui& ui) {
  CCircHeader& h = header_;
  h.PartsCount = 0.0f;
  h.TotalFR = h.MTBF = h.BasicR = h.MissionR = h.RelAtT = h.MissionMTBF = 0.0;
  h.SUMCHIPS = 0.0;
  h.LargestFRSMT = h.SmtReliability = h.SmtRelAtT = 0.0;

  const auto table = menuTable(isHybrid());
  h.TypeList.fill(0);
  for (std::size_t i = 0; i < table.size(); ++i) h.TypeList[i] = table[i].id;
  h.TypeCount.fill(0.0f);
  h.TypeFR.fill(0.0f);
  h.TypeCountShare.fill(0.0f);
  h.TypeFRShare.fill(0.0f);

  const bool smt = !isHybrid() && h.HASSMT != 0;
  bool reportedUnknown = false;
  double sum = 0.0;
  for (auto& record : records_) {
    CPart& part = *record;
    const double tfr = part.TFR();
    h.PartsCount += part.QTY;
    sum += tfr;
    std::size_t slot = typePosition(part.PART_TYPE, isHybrid(), reportedUnknown ? nullptr : &ui);
    if (slot == kUnknownTypeSlot) {
      // Counted in the last slot rather than lost from the statistics.
      reportedUnknown = true;
      part.OverFlags |= EntryOverRange;
    }
    h.TypeCount[slot] += part.QTY;
    h.TypeFR[slot] += static_cast<float>(tfr);
    if (smt && part.SmtCalcFlag != 0 && part.FRSMT > h.LargestFRSMT) h.LargestFRSMT = part.FRSMT;
  }

  if (isHybrid()) {
    h.SUMCHIPS = sum;
    h.TotalFR = h.hybridModel();
  } else {
    if (smt) sum += h.LargestFRSMT;
    h.TotalFR = sum;
  }
  // Failure-rate shares are taken against the total before the correction factor.
  const double shareTotal = isHybrid() ? h.SUMCHIPS : sum;

  h.TotalFR *= h.CF;
  h.MTBF = 1000000.0 / h.TotalFR;  // infinite for an empty circuit: prints as asterisks
  h.BasicR = std::exp(-h.TotalFR * h.MissionTime * 0.000001);

  for (std::size_t i = 0; i < kTypeSlots; ++i) {
    h.TypeCountShare[i] = sharePercent(h.TypeCount[i], h.PartsCount);
    h.TypeFRShare[i] = sharePercent(h.TypeFR[i], shareTotal);
  }
}

bool CCircDoc::calculateSubFile(CalcContext& context, CPart& part, std::size_t recordNumber,
                                int level, double missionTime, WhatIfSettings* whatIf,
                                bool keepFiles) {
  SubFileAccess::Opened child = openChild(context, part, recordNumber, keepFiles);
  if (child.doc == nullptr) return false;
  CCircDoc& doc = *child.doc;
  bool childOk = false;
  {
    ActiveDocument active(context, *this);
    childOk = doc.BasicCalc(context, level, missionTime, whatIf, keepFiles);
  }
  if (!childOk) return false;

  part.SubFR = static_cast<float>(doc.header().TotalFR);
  part.T = doc.header().TEMP;
  part.CalcFlags |= PartBasicDone;
  return keepFiles ? true : finishChild(context, child, part, recordNumber);
}

}  // namespace kestrel
