// The mission stages: the mission reliability of a circuit over its mission
// time by its model (Serial, Parallel, Active K-of-N), and the circuit
// reliability at any time t that the mission MTBF integrates.
#include <cmath>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/model_combination.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

const char* modelName(std::uint8_t model) {
  switch (model) {
    case 1: return "Serial";
    case 2: return "Parallel";
    case 3: return "Active K-of-N";
    default: return "?";
  }
}

// Lets the window work and asks about a cancel request every ten records.
bool keepGoing(Ui& ui, int recordNumber) {
  if ((recordNumber - 1) % 10 != 0) return true;
  if (!ui.processEvents()) return false;
  if (ui.cancelRequested()) {
    if (ui.confirm("Cancel calculation?")) {
      ui.progressLine(4, strprintf("...Cancel (rec#%d).", recordNumber));
      return false;
    }
    ui.clearCancel();
  }
  return true;
}

// A sub-circuit's reliability weighed by its duty cycle and correction factor.
double weighed(double childReliability, const CPart& part) {
  return std::pow(childReliability, static_cast<double>(part.DutyCycle) * 0.01 * part.CF);
}

}  // namespace

bool CCircDoc::MissionCalc(CalcContext& context, int callerLevel) {
  Ui& ui = context.ui;
  const int level = callerLevel + 1;
  auto stage = [&](const std::string& activity) {
    ui.progressLine(1, "Mission Calculation:");
    ui.progressLine(2, strprintf("'%s' (Level %d)...", upperCased(title_).c_str(), level));
    ui.progressLine(3, activity);
  };
  ui.clearProgress();
  stage(strprintf("...calculating %d records...", static_cast<int>(records_.size())));
  if (level > kMaxLevels) {
    ui.progressLine(4, strprintf("...Error: %s.", "too many levels"));
    return false;
  }
  CCircHeader& h = header_;
  h.CalcFlags &= static_cast<std::uint16_t>(~HeaderMissionDone);

  const int n = static_cast<int>(records_.size());
  for (int i = 1; i <= n; ++i) {
    CPart& part = *records_[static_cast<std::size_t>(i - 1)];
    ui.progressBar(i, n);
    if (part.PART_TYPE == kSubCircuitType) {
      SubFileAccess::Opened child = openChild(context, part, static_cast<std::size_t>(i), false);
      if (child.doc == nullptr) return false;
      bool ok = false;
      {
        ActiveDocument active(context, *this);
        ok = child.doc->MissionCalc(context, level);
      }
      if (!ok) return false;
      part.MissionR = static_cast<float>(weighed(static_cast<float>(child.doc->header().MissionR), part));
      if (!child.wasAlreadyOpen && !finishChild(context, child, part, static_cast<std::size_t>(i))) {
        return false;
      }
      stage(strprintf("...calculating %d records...", n));
    } else {
      part.MissionR = part.BasicR;
    }
    part.CalcFlags |= PartMissionDone;
    if (!keepGoing(ui, i)) return false;
  }

  if (isHybrid()) {
    h.MissionR = h.BasicR;
    h.CalcFlags |= HeaderMissionDone;
    return true;
  }
  const bool smt = solderJointsAreAUnit(h);
  if (smt) h.SmtReliability = std::exp(-h.LargestFRSMT * h.MissionTime * 0.000001);

  stage(strprintf("...calculating Mission R for %s Model...", modelName(h.MODEL)));
  std::vector<UnitReliability> units;
  units.reserve(records_.size());
  for (const auto& part : records_) units.push_back({part->MissionR, part->QTY});
  const CombinationResult r = combineReliabilities(
      units, {h.MODEL, h.NREQ, h.PartsCount, smt, h.SmtReliability, h.CF});
  if (!r.reliability) {
    ui.progressLine(4, r.error);
    return false;
  }
  h.MissionR = *r.reliability;
  h.CalcFlags |= HeaderMissionDone;
  return true;
}

bool CCircDoc::SystemR(CalcContext& context, int callerLevel, double t) {
  Ui& ui = context.ui;
  const int level = callerLevel + 1;
  if (level > kMaxLevels) {
    ui.progressLine(4, strprintf("...Error: %s.", "too many levels"));
    return false;
  }
  CCircHeader& h = header_;
  if (isHybrid()) {
    h.RelAtT = std::exp(-h.TotalFR * t * 0.000001);
    return true;
  }
  for (std::size_t i = 0; i < records_.size(); ++i) {
    CPart& part = *records_[i];
    if (part.PART_TYPE == kSubCircuitType) {
      SubFileAccess::Opened child = openChild(context, part, i + 1, false);
      if (child.doc == nullptr) return false;
      bool ok = false;
      {
        ActiveDocument active(context, *this);
        ok = child.doc->SystemR(context, level, t);
      }
      if (!ok) return false;
      part.RelAtT = weighed(child.doc->header().RelAtT, part);
    } else {
      part.RelAtT = std::exp(-static_cast<double>(part.DutyCycle) * 0.01 * part.FR * t * 0.000001);
    }
  }
  const bool smt = solderJointsAreAUnit(h);
  if (smt) h.SmtRelAtT = std::exp(-h.LargestFRSMT * t * 0.000001);
  std::vector<UnitReliability> units;
  units.reserve(records_.size());
  for (const auto& part : records_) units.push_back({part->RelAtT, part->QTY});
  const CombinationResult r =
      combineReliabilities(units, {h.MODEL, h.NREQ, h.PartsCount, smt, h.SmtRelAtT, h.CF});
  if (!r.reliability) {
    ui.progressLine(4, r.error);
    return false;
  }
  h.RelAtT = *r.reliability;
  return true;
}

}  // namespace kestrel
