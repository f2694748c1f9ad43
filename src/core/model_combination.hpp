// How a circuit's records combine into its reliability: Serial (every unit
// needed), Parallel (any one suffices) or Active K-of-N (at least K of the N
// units survive). The solder joints of a circuit with surface-mount analysis
// count as one more unit.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace kestrel {

struct UnitReliability {
  double reliability;  // of one unit of the record
  double quantity;     // QTY
};

struct CombinationInput {
  std::uint8_t model = 1;   // 1 Serial, 2 Parallel, 3 Active K-of-N
  double required = 0.0;    // K
  double partsCount = 0.0;  // the header's parts count
  bool smt = false;         // one more unit: the solder joints
  double smtReliability = 1.0;
  double correctionFactor = 1.0;
};

struct CombinationResult {
  std::optional<double> reliability;  // empty on failure
  std::string error;                  // the progress line of the failure
};

class CCircHeader;

// Whether a circuit's solder joints count as one more unit: surface-mount
// analysis on and a solder-joint failure rate to count. Joints that never
// fail would make a parallel circuit never fail and add a perfect unit to a
// K-of-N one.
bool solderJointsAreAUnit(const CCircHeader& header);

// The circuit reliability, raised to the header correction factor.
CombinationResult combineReliabilities(std::span<const UnitReliability> records,
                                       const CombinationInput& input);

}  // namespace kestrel
