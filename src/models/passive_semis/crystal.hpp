// CCrystal: quartz crystals, handbook section 19.1
//   lambda_p = lambda_b x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

class CCrystal final : public CPart {
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
  float FREQ = 10.0f;   // CRYS_FREQ: frequency, MHz
  std::uint8_t QU = 1;  // CRYS_QU: MIL, Lower
  float LB = 0.0f;      // result: base failure rate lambda_b, fpmh
  float PIQ = 0.0f;     // result: quality factor
  float PIE = 0.0f;     // result: environment factor
};

}  // namespace kestrel
