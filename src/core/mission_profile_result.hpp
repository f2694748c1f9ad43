// What a mission profile calculation finds: per phase the top-level failure
// rate, MTBF and reliability with the records that carry most of it, and over
// the whole profile the time-weighted average failure rate, the equivalent
// MTBF and the reliability (once and after n repetitions), with the
// reliability curve over the mission time for the chart.
//
// Failure rates are in failures per million hours. A phase's failure rate is
// the average over the phase: the powered-on failure rate times
// (on + dormant multiplier x off), the shares of the phase's time. An MTBF of
// a phase or profile without failures is +infinity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/mission_profile.hpp"

namespace kestrel {

struct PhaseContributor {
  std::string partNumber;  // the record's PN (Windows-1252)
  std::string circuit;     // the file holding it
  double failureRate = 0.0;  // its share of the phase's top-level failure rate
};

struct PhaseResult {
  MissionPhase phase;
  double poweredFailureRate = 0.0;  // the top level, calculated at the phase's conditions
  double failureRate = 0.0;         // averaged over the phase (powered and dormant time)
  double mtbf = 0.0;                // 1e6 / failureRate
  double reliability = 1.0;         // surviving this phase alone, starting new
  double startHours = 0.0;          // where the phase starts in the mission
  std::vector<PhaseContributor> contributors;  // highest first
};

struct ReliabilityPoint {
  double hours = 0.0;
  double reliability = 1.0;
};

struct ProfileResult {
  std::string profileName;
  std::string profilePath;
  std::string topLevelPath;
  std::uint8_t model = 1;  // the top level's model: 1 Serial, 2 Parallel, 3 Active K-of-N
  std::vector<PhaseResult> phases;
  double totalHours = 0.0;
  double averageFailureRate = 0.0;  // sum of phase failure rate x hours, over the total hours
  double mtbf = 0.0;                // 1e6 / averageFailureRate
  double reliability = 1.0;         // surviving the whole profile once
  int repetitions = 1;
  double repeatedReliability = 1.0;  // surviving `repetitions` profiles back to back, without repair
  // The reliability from the start of the mission to its end (one profile),
  // with a point at every phase boundary.
  std::vector<ReliabilityPoint> curve;
};

}  // namespace kestrel
