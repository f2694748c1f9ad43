// The Calculate command as both front ends run it: the basic calculation,
// then in mission mode the mission reliability and the mission MTBF, and the
// result lines to show.
#pragma once

#include <string>
#include <vector>

#include "core/circ_doc.hpp"

namespace kestrel {

inline constexpr double kMinMissionTime = 0.000001;
inline constexpr double kMaxMissionTime = 10000000.0;

// A mission time entered by the user, limited to its range with the
// messages "Setting Mission Time to minimum:\n0.000001 hrs." and "Setting
// Mission Time to maximum:\n10.0 million hrs.".
double limitedMissionTime(double hours, Ui& ui);

// A circuit whose joints gave no failure rate takes no solder-joint unit in
// the mission stages; the setting comes back on every way out.
class SmtOffForMission {
 public:
  explicit SmtOffForMission(CCircHeader& header);
  ~SmtOffForMission();
  SmtOffForMission(const SmtOffForMission&) = delete;
  SmtOffForMission& operator=(const SmtOffForMission&) = delete;

 private:
  CCircHeader& header_;
  bool switched_ = false;
};

struct CalculateJob {
  bool mission = false;       // basic plus mission, or basic only
  double missionTime = -1.0;  // negative keeps the stored one
};

struct CalculateOutcome {
  bool ok = false;
  std::vector<std::string> lines;  // the result lines, on success
  long evaluations = 0;            // R(t) evaluations of the mission MTBF
};

CalculateOutcome runCalculate(CCircDoc& doc, CalcContext& context, const CalculateJob& job);

}  // namespace kestrel
