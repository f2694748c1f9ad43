// CMMIC: gallium-arsenide microwave monolithic ICs and GaAs digital ICs,
// handbook section 5.4:
//   lambda_p = (C1 x pi_A x pi_T + C2 x pi_E) x pi_L x pi_Q, times CF,
// with the package factor C2, learning, quality and environment factors of
// the microcircuit family and pi_T referred to 150 deg C. Tj comes from the
// shared junction-temperature block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"
#include "models/micro_electromech/microcircuit_tables.hpp"

namespace kestrel {

// Device types (MMIC_TYPE).
inline constexpr std::string_view kMmicTypeNames[] = {"", "MMIC", "DigitalIC"};
inline constexpr ChoiceList kMmicTypes{kMmicTypeNames};
inline constexpr std::uint8_t kMmicDevice = 1;
inline constexpr std::uint8_t kGaAsDigital = 2;
// Applications of an MMIC (MMIC_APP).
inline constexpr std::string_view kMmicApplicationNames[] = {"", "LowNoise/LowPower", "Driver/HighPower",
                                                             "Unknown"};
inline constexpr ChoiceList kMmicApplications{kMmicApplicationNames};

class CMMIC final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  bool isMmic() const { return kMmicTypes.clamp(TYPE) == kMmicDevice; }
  // Highest complexity of the device type: 1000 (MMIC) or 10000 (digital).
  double complexityMax() const;

  // Own fields, in file order.
  std::uint8_t TYPE = kMmicDevice;  // MMIC_TYPE
  std::uint8_t APP = 3;             // MMIC_APP: default Unknown
  float COMPLEX = 100.0f;           // MMIC_COMPLEX: active elements (whole)
  std::uint8_t LEARN = 1;           // MMIC_LEARN
  float YEARS = 2.0f;               // MMIC_YEARS
  std::uint8_t QU = 4;              // MMIC_QU: default Commercial
  float QUCUSTOM = 1.0f;            // MMIC_QUCUSTOM
  std::uint8_t PKG = 6;             // MMIC_PKG: default NonHermDIP
  float PINS = 16.0f;               // MMIC_PINS (whole)
  JunctionTemp thermal;             // MMIC_TEMPMODE, MMIC_PD, MMIC_RJC, MMIC_RCA, MMIC_TADJ, MMIC_TCA, MMIC_TJA
  float C1 = 0.0f;                  // result: die complexity factor
  float C2 = 0.0f;                  // result: package complexity factor
  float PIT = 0.0f;                 // result: temperature factor
  float PIQ = 0.0f;                 // result: quality factor
  float PIE = 0.0f;                 // result: environment factor
  float PIL = 0.0f;                 // result: learning factor
  float PIA = 0.0f;                 // result: application factor
};

}  // namespace kestrel
