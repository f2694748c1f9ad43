// CMeter: panel meters, handbook section 18.1
//   lambda_p = lambda_b x pi_A x pi_F x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Application (METER_APP) and function (METER_FUNCTION).
inline constexpr std::string_view kMeterApplicationNames[] = {"", "DC", "AC"};
inline constexpr ChoiceList kMeterApplications{kMeterApplicationNames};
inline constexpr std::string_view kMeterFunctionNames[] = {"", "Ammeter", "Voltmeter", "Other"};
inline constexpr ChoiceList kMeterFunctions{kMeterFunctionNames};

class CMeter final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  // Own fields, in file order.
  std::uint8_t APP = 1;       // METER_APP: DC, AC
  std::uint8_t FUNCTION = 1;  // METER_FUNCTION: Ammeter, Voltmeter, Other
  std::uint8_t QU = 1;        // METER_QU: MIL, Lower
  float LB = 0.0f;            // result: base failure rate lambda_b, fpmh
  float PIA = 0.0f;           // result: application factor
  float PIF = 0.0f;           // result: function factor
  float PIQ = 0.0f;           // result: quality factor
  float PIE = 0.0f;           // result: environment factor
};

}  // namespace kestrel
