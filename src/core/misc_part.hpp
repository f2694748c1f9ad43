// CMisc: a part whose base failure rate the user enters, optionally scaled
// by an Arrhenius temperature factor.
#pragma once

#include "core/part.hpp"

namespace kestrel {

inline constexpr std::string_view kMiscMethodNames[] = {"", "Fixed", "Arrhenius"};
inline constexpr ChoiceList kMiscMethods{kMiscMethodNames};

class CMisc final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  bool isArrhenius() const { return METHOD == 2; }

  std::uint8_t METHOD = 1;  // MISC_METHOD
  float BASEFR = 1.0f;      // MISC_BASEFR, fpmh
  float EA = 0.35f;         // MISC_EA, eV
  float TNORMAL = 25.0f;    // MISC_TNORMAL, deg C
  float TRISE = 0.0f;       // MISC_TRISE, deg C
  float LB = 0.0f;          // result: base failure rate used
  float PIT = 0.0f;         // result: temperature factor
};

}  // namespace kestrel
