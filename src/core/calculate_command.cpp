#include "core/calculate_command.hpp"

#include "core/ui.hpp"

namespace kestrel {

SmtOffForMission::SmtOffForMission(CCircHeader& header) : header_(header) {
  if (header_.HASSMT != 0 && header_.LargestFRSMT == 0.0) {
    header_.HASSMT = 0;
    switched_ = true;
  }
}

SmtOffForMission::~SmtOffForMission() {
  if (switched_) header_.HASSMT = 1;
}

double limitedMissionTime(double hours, Ui& ui) {
  if (!(hours >= kMinMissionTime)) {
    ui.message("Setting Mission Time to minimum:\n0.000001 hrs.");
    return kMinMissionTime;
  }
  if (hours > kMaxMissionTime) {
    ui.message("Setting Mission Time to maximum:\n10.0 million hrs.");
    return kMaxMissionTime;
  }
  return hours;
}

CalculateOutcome runCalculate(CCircDoc& doc, CalcContext& context, const CalculateJob& job) {
  CalculateOutcome out;
  if (!doc.BasicCalc(context, 0, job.missionTime)) return out;
  if (job.mission) {
    SmtOffForMission smt(doc.header());
    if (!doc.MissionCalc(context, 0)) return out;
    if (!doc.MissionMTBF(context, &out.evaluations)) return out;
    doc.header().CalcFlags |= HeaderMissionMtbfDone;
  }
  out.ok = true;
  out.lines = doc.resultLines(job.mission);
  return out;
}

}  // namespace kestrel
