// CLaserDiode: semiconductor laser diodes, handbook section 6.13:
//   lambda_p = lambda_b x pi_T x pi_Q x pi_I x pi_A x pi_P x pi_E, times CF.
// The device temperature is ambient plus the entered rise; there is no
// junction-temperature block and What-If? changes nothing here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Device types (LASDIO_TYPE).
inline constexpr std::string_view kLaserDiodeTypeNames[] = {"", "GaAs/AlGaAs", "InGaAs/InGaAsP"};
inline constexpr ChoiceList kLaserDiodeTypes{kLaserDiodeTypeNames};

// Package and facet quality (LASDIO_QU).
inline constexpr std::string_view kLaserDiodeQualityNames[] = {"", "Hermetic", "NonHermetic/FacetCoat",
                                                               "NonHermetic/NoFacetCoat"};
inline constexpr ChoiceList kLaserDiodeQualities{kLaserDiodeQualityNames};

// Application (LASDIO_APP).
inline constexpr std::string_view kLaserDiodeAppNames[] = {"", "CW", "Pulsed"};
inline constexpr ChoiceList kLaserDiodeApps{kLaserDiodeAppNames};
inline constexpr std::uint8_t kLaserDiodePulsed = 2;

class CLaserDiode final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  bool isPulsed() const { return APP == kLaserDiodePulsed; }

  // Own fields, in file order.
  std::uint8_t TYPE = 1;  // LASDIO_TYPE
  std::uint8_t QU = 1;    // LASDIO_QU
  std::uint8_t APP = 2;   // LASDIO_APP: default Pulsed
  float DC = 25.0f;       // LASDIO_DC: duty cycle, percent (pulsed)
  float PEAKI = 10.0f;    // LASDIO_PEAKI: peak forward current, A
  float PMAX = 1000.0f;   // LASDIO_PMAX: rated optical power, mW
  float PREQ = 100.0f;    // LASDIO_PREQ: required optical power, mW (0..0.95 x PMAX)
  float TRISE = 30.0f;    // LASDIO_TRISE: temperature rise above ambient, deg C
  float LB = 0.0f;        // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;       // result: temperature factor
  float PIQ = 0.0f;       // result: quality factor
  float PII = 0.0f;       // result: forward current factor
  float PIA = 0.0f;       // result: application factor
  float PIP = 0.0f;       // result: power degradation factor
  float PIE = 0.0f;       // result: environment factor
};

}  // namespace kestrel
