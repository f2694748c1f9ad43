// CCircuitBoard: a printed or discrete-wiring board with plated
// through-holes, handbook section 16.1:
//   lambda_p = lambda_b x (N1 x pi_C + N2 x (pi_C + 13)) x pi_Q x pi_E,
// times the record's CF; N1 automated and N2 hand solder holes. A
// circuit-level part: never inside a hybrid, no surface-mount step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Board types (BD_TYPE).
inline constexpr std::string_view kBoardTypeNames[] = {"", "PrintedCircuit,w/PTH", "DiscreteWiring,w/PTH"};
inline constexpr ChoiceList kBoardTypes{kBoardTypeNames};
inline constexpr std::uint8_t kPrintedBoard = 1;
inline constexpr std::uint8_t kDiscreteWiringBoard = 2;

// Quality levels (BD_QU).
inline constexpr std::string_view kBoardQualityNames[] = {"", "MIL", "Lower"};
inline constexpr ChoiceList kBoardQualities{kBoardQualityNames};

class CCircuitBoard final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  // Own fields, in file order.
  std::uint8_t TYPE = 1;  // BD_TYPE: printed circuit board with PTH
  float LAYERS = 2.0f;    // BD_LAYERS: circuit planes P
  float N1 = 500.0f;      // BD_AUTOHOLES: automated (wave or reflow) solder holes
  float N2 = 0.0f;        // BD_HANDHOLES: hand solder holes
  std::uint8_t QU = 1;    // BD_QU: MIL
  float LB = 0.0f;        // result: base failure rate per hole, fpmh
  float PIC = 0.0f;       // result: complexity factor
  float PIQ = 0.0f;       // result: quality factor
  float PIE = 0.0f;       // result: environment factor
};

}  // namespace kestrel
