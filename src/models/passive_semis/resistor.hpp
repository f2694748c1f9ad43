// CResistor: fixed resistors, handbook section 9.1 part-stress model
//   lambda_p = lambda_b x pi_T x pi_P x pi_S x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/part.hpp"

namespace kestrel {

// Resistor styles (RES_TYPE).
inline constexpr std::string_view kResistorStyleNames[] = {"",
                                                           "RCR (CarbonComposition,ER)",
                                                           "RC (CarbonComposition)",
                                                           "RLR (Film,ER)",
                                                           "RL (Film)",
                                                           "RNR/RNC/RNN (PrecisionFilm,ER)",
                                                           "RN (PrecisionFilm)",
                                                           "RM (ChipFilm)",
                                                           "RD (PowerFilm)",
                                                           "RZ (NetworkFilm)",
                                                           "RBR (PrecisionWirewound,ER)",
                                                           "RB (PrecisionWirewound)",
                                                           "RWR (PowerWirewound,ER)",
                                                           "RW (PowerWirewound)",
                                                           "RER (ChassisMountWirewound,ER)",
                                                           "RE (ChassisMountWirewound)",
                                                           "RTH (Thermistor)"};
inline constexpr ChoiceList kResistorStyles{kResistorStyleNames};

// Resistance units (RES_RESUNIT); the value is descriptive only.
inline constexpr std::string_view kResistanceUnitNames[] = {"", "ohms", "Kohms", "Megohms"};
inline constexpr ChoiceList kResistanceUnits{kResistanceUnitNames};

// Quality levels (RES_QU): the established-reliability failure-rate levels,
// then non-ER military parts and commercial parts.
inline constexpr std::string_view kResistorQualityNames[] = {"",       "S (ER)", "R (ER)",    "P (ER)",
                                                             "M (ER)", "Non-ER", "Commercial"};
inline constexpr ChoiceList kResistorQualities{kResistorQualityNames};

// How the power stress is obtained (RES_STRESSMODE).
inline constexpr std::string_view kPowerStressModeNames[] = {"", "Calc=Pd/Pmax", "Manual"};
inline constexpr ChoiceList kPowerStressModes{kPowerStressModeNames};
inline constexpr std::uint8_t kStressComputed = 1;
inline constexpr std::uint8_t kStressManual = 2;

class CResistor final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  void Serialize(Archive& ar) override;
  void CopyFrom(const CPart& other) override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;
  std::vector<NamedFactor> factors() const override {
    return {{"LB", LB}, {"PIT", PIT}, {"PIP", PIP}, {"PIS", PIS}, {"PIQ", PIQ}, {"PIE", PIE}};
  }

  bool isManualStress() const { return STRESSMODE == kStressManual; }

  // Own fields, in file order.
  std::uint8_t TYPE = 2;        // RES_TYPE: style, default RC
  float RES = 100.0f;           // RES_RES: resistance, in RESUNIT
  std::uint8_t RESUNIT = 1;     // RES_RESUNIT: ohms
  std::uint8_t QU = 5;          // RES_QU: quality, default Non-ER
  float PMAX = 0.25f;           // RES_PMAX: rated power, W
  float PD = 0.1f;              // RES_PD: power dissipation, W (0..PMAX)
  std::uint8_t STRESSMODE = 1;  // RES_STRESSMODE: 1 computed Pd/Pmax, 2 manual
  float PSTRESS = 40.0f;        // RES_PSTRESS: power stress, percent
  float TRISE = 0.0f;           // RES_TRISE: body temperature rise over ambient, deg C
  float LB = 0.0f;              // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;             // result: temperature factor
  float PIP = 0.0f;             // result: power factor
  float PIS = 0.0f;             // result: power stress factor
  float PIQ = 0.0f;             // result: quality factor
  float PIE = 0.0f;             // result: environment factor
};

}  // namespace kestrel
