// CSAWDevice: surface acoustic wave devices, handbook section 5.6:
//   lambda_p = 2.1 x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Quality levels (SAW_QU): screened by ten temperature cycles with end-point
// electrical tests, or commercial practice only.
inline constexpr std::string_view kSawQualityNames[] = {"", "HighQuality", "Commercial"};
inline constexpr ChoiceList kSawQualities{kSawQualityNames};

class CSAWDevice final : public CPart {
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
  std::uint8_t QU = 2;  // SAW_QU: Commercial
  float LB = 0.0f;      // result: base failure rate, fpmh
  float PIQ = 0.0f;     // result: quality factor
  float PIE = 0.0f;     // result: environment factor
};

}  // namespace kestrel
