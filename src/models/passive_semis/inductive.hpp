// CInductive: transformers and inductors (coils), handbook sections 11.1 and
// 11.2 part-stress models
//   lambda_p = lambda_b x pi_T x pi_Q x pi_E, times the record's CF,
// with the temperature taken at the hot spot (ambient plus the entered rise).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Device types (IND_TYPE): 1..5 transformers, 6..7 inductors.
inline constexpr std::string_view kInductiveTypeNames[] = {"",
                                                           "Transformer,Flyback",
                                                           "Transformer,Audio",
                                                           "Transformer,LowPowerPulse",
                                                           "Transformer,HighPower",
                                                           "Transformer,RF",
                                                           "Inductor,Fixed",
                                                           "Inductor,Variable"};
inline constexpr ChoiceList kInductiveTypes{kInductiveTypeNames};
inline constexpr std::uint8_t kLastTransformerType = 5;

// Quality levels (IND_QU); which list applies depends on the type.
inline constexpr std::string_view kTransformerQualityNames[] = {"", "MIL", "Lower"};
inline constexpr ChoiceList kTransformerQualities{kTransformerQualityNames};
inline constexpr std::string_view kInductorQualityNames[] = {"",       "S (ER)", "R (ER)", "P (ER)",
                                                             "M (ER)", "MIL",    "Lower"};
inline constexpr ChoiceList kInductorQualities{kInductorQualityNames};

class CInductive final : public CPart {
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
  void normalizeChoices() override;

  // Types 1..5 are transformers; a stored type past the list counts as the
  // last one (an inductor), the way the type itself is clamped.
  bool isTransformer() const { return kInductiveTypes.clamp(TYPE) <= kLastTransformerType; }
  // The quality list of the current type: 2 entries for a transformer, 6 for an inductor.
  const ChoiceList& qualityList() const { return isTransformer() ? kTransformerQualities : kInductorQualities; }

  // Own fields, in file order.
  std::uint8_t TYPE = 4;  // IND_TYPE: default Transformer,HighPower
  std::uint8_t QU = 1;    // IND_QU: index into the current type's quality list
  float TRISE = 0.0f;     // IND_TRISE: hot spot above ambient, deg C
  float LB = 0.0f;        // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;       // result: temperature factor
  float PIQ = 0.0f;       // result: quality factor
  float PIE = 0.0f;       // result: environment factor
};

}  // namespace kestrel
