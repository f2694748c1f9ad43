// CFilter: non-tunable electronic filters, handbook section 21.1
//   lambda_p = lambda_b x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Filter families (FILT_FAMILY).
inline constexpr std::string_view kFilterFamilyNames[] = {
    "", "RFI", "HighPass", "LowPass", "BandPass", "BandSuppression", "DualFunctioning"};
inline constexpr ChoiceList kFilterFamilies{kFilterFamilyNames};
inline constexpr std::uint8_t kRfiFamily = 1;

// Construction (FILT_TYPE); the list depends on the family: the same stored
// index means a different construction for an RFI filter.
inline constexpr std::string_view kRfiFilterTypeNames[] = {"", "Ceramic/Ferrite", "DiscreteLC"};
inline constexpr ChoiceList kRfiFilterTypes{kRfiFilterTypeNames};
inline constexpr std::string_view kFilterTypeNames[] = {"", "DiscreteLC", "DiscreteLC/Crystal"};
inline constexpr ChoiceList kFilterTypes{kFilterTypeNames};

class CFilter final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // A stored family past the list counts as the last one, the way it is clamped.
  bool isRfi() const { return kFilterFamilies.clamp(FAMILY) == kRfiFamily; }
  const ChoiceList& typeList() const { return isRfi() ? kRfiFilterTypes : kFilterTypes; }

  // Own fields, in file order.
  std::uint8_t FAMILY = 1;  // FILT_FAMILY
  std::uint8_t TYPE = 1;    // FILT_TYPE: index into the family's list
  std::uint8_t QU = 1;      // FILT_QU: MIL, Lower
  float LB = 0.0f;          // result: base failure rate lambda_b, fpmh
  float PIQ = 0.0f;         // result: quality factor
  float PIE = 0.0f;         // result: environment factor
};

}  // namespace kestrel
