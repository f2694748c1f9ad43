// CLamp: incandescent lamps, handbook section 20.1
//   lambda_p = lambda_b x pi_U x pi_A x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Application (LAMP_APP).
inline constexpr std::string_view kLampApplicationNames[] = {"", "AC", "DC"};
inline constexpr ChoiceList kLampApplications{kLampApplicationNames};

class CLamp final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  // Own fields, in file order.
  float VOLTS = 5.0f;    // LAMP_VOLTS: rated voltage, V
  std::uint8_t APP = 1;  // LAMP_APP: AC, DC
  float UTILDC = 50.0f;  // LAMP_UTILDC: percent of the operating time lit
  float LB = 0.0f;       // result: base failure rate lambda_b, fpmh
  float PIU = 0.0f;      // result: utilization factor
  float PIA = 0.0f;      // result: application factor
  float PIE = 0.0f;      // result: environment factor
};

}  // namespace kestrel
