// CTube: electron tubes, handbook section 8: every family but travelling-wave
// tubes and magnetrons by 8.1 (base rate, learning factor, environment),
// travelling-wave tubes by 8.2 and magnetrons by 8.3.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Tube families (TUBE_FAMILY).
inline constexpr std::string_view kTubeFamilyNames[] = {"",
                                                        "Receiver",
                                                        "CRT",
                                                        "Thyratron",
                                                        "CrossedFieldAmplifier",
                                                        "PulsedGridded",
                                                        "Transmitting",
                                                        "Vidicon",
                                                        "Twystron",
                                                        "PulsedKlystron",
                                                        "LowPowerKlystron",
                                                        "ContinuousWaveKlystron",
                                                        "TravelingWaveTube",
                                                        "Magnetron"};
inline constexpr ChoiceList kTubeFamilies{kTubeFamilyNames};
inline constexpr std::uint8_t kReceiverTube = 1;
inline constexpr std::uint8_t kTransmittingTube = 6;
inline constexpr std::uint8_t kPulsedKlystron = 9;
inline constexpr std::uint8_t kContinuousWaveKlystron = 11;
inline constexpr std::uint8_t kTravelingWaveTube = 12;
inline constexpr std::uint8_t kMagnetron = 13;
inline constexpr std::uint8_t kContinuousWaveMagnetron = 1;  // magnetron type 1

// Yes / No (TUBE_OVERLIMIT): a transmitting tube operated beyond its
// peak-power, average-power or frequency limits.
inline constexpr std::string_view kTubeOverLimitNames[] = {"", "Yes", "No"};
inline constexpr ChoiceList kTubeOverLimits{kTubeOverLimitNames};

class CTube final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  // The factors the record's model uses (they depend on its type).
  std::vector<NamedFactor> factors() const override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // The family as the model reads it (a stored family past the list is the last).
  std::uint8_t family() const { return kTubeFamilies.clamp(FAMILY); }
  // The type list of the family (empty for families without types).
  const ChoiceList& typeList() const;
  bool hasType() const { return typeList().count() > 0; }
  // Power and frequency are entries of pulsed klystrons, continuous-wave
  // klystrons, travelling-wave tubes and pulsed magnetrons.
  bool hasPowerAndFrequency() const;
  bool hasLearningFactor() const { return family() <= kContinuousWaveKlystron; }
  bool isOverLimit() const { return family() == kTransmittingTube && OVERLIMIT == 1; }

  // Own fields, in file order.
  std::uint8_t FAMILY = 2;     // TUBE_FAMILY: default CRT
  std::uint8_t TYPE = 1;       // TUBE_TYPE: index into the family's list
  float POWER = 1.0f;          // TUBE_POWER: MW, kW or W by family
  float FREQ = 1.0f;           // TUBE_FREQ: GHz or MHz by family
  std::uint8_t OVERLIMIT = 2;  // TUBE_OVERLIMIT: Yes, No
  float YEARS = 3.0f;          // TUBE_YEARS: years in field use
  float RATIO = 0.0f;          // TUBE_RATIO: magnetron radiate / filament hours, percent
  float LB = 0.0f;             // result: base failure rate lambda_b, fpmh
  float PIE = 0.0f;            // result: environment factor
  float PIL = 0.0f;            // result: learning factor
  float PIU = 0.0f;            // result: utilization factor
  float PIC = 0.0f;            // result: construction factor
};

}  // namespace kestrel
