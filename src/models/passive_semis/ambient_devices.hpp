// What the crystal, lamp, meter, filter, fuse and microwave-device classes
// share: the two-level quality list and the calculation frame of a part whose
// handbook model has no temperature or stress dependence (the record's
// temperature is the ambient, there is no stress figure, and the solder-joint
// step sees no temperature rise of its own).
#pragma once

#include <string>
#include <string_view>

#include "core/circ_header.hpp"
#include "core/part.hpp"

namespace kestrel {

// Quality (CRYS_QU, METER_QU, FILT_QU): parts to their military
// standard (MIL), or lower quality.
inline constexpr std::string_view kMilLowerQualityNames[] = {"", "MIL", "Lower"};
inline constexpr ChoiceList kMilLowerQualities{kMilLowerQualityNames};

namespace ambient_device {

// Ambient temperatures a header can hold; a stored value outside (or not a
// number) is limited to it for the record's temperature.
inline constexpr double kLowestAmbient = -55.0;
inline constexpr double kHighestAmbient = 175.0;

// First step of Calculate: clears the over flags, takes the ambient as the
// record's temperature, no stress figure, and the limit flags.
inline void begin(CPart& part, const CCircHeader& header) {
  part.OverFlags = 0;
  part.T = static_cast<float>(part.limitToRange(header.TEMP, kLowestAmbient, kHighestAmbient));
  part.S = -1.0f;
  part.flagLimits();
}

// "Qu:%s", or empty for a hybrid part (its package supplies the quality).
inline std::string qualityText(const CPart& part, std::uint8_t quality) {
  return part.isHybridPart() ? std::string() : "Qu:" + storedChoiceText(kMilLowerQualities, quality);
}

}  // namespace ambient_device
}  // namespace kestrel
