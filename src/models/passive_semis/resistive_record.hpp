// CResistiveRecord: the record fixed resistors and potentiometers share,
// handbook section 9.1. Both classes keep the same fields in the same file
// order and the same factors (lambda_b, pi_T, pi_P, pi_S, pi_Q, pi_E); each
// has its own keywords, style list and style tables, and computes its own
// failure rate.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Resistance units (RES_RESUNIT, POT_RESUNIT); the value is descriptive only.
inline constexpr std::string_view kResistanceUnitNames[] = {"", "ohms", "Kohms", "Megohms"};
inline constexpr ChoiceList kResistanceUnits{kResistanceUnitNames};

// Quality levels (RES_QU, POT_QU): the established-reliability failure-rate
// levels, then non-ER military parts and commercial parts.
inline constexpr std::string_view kResistorQualityNames[] = {"",       "S (ER)", "R (ER)",    "P (ER)",
                                                             "M (ER)", "Non-ER", "Commercial"};
inline constexpr ChoiceList kResistorQualities{kResistorQualityNames};

// How the power stress is obtained (RES_STRESSMODE, POT_STRESSMODE).
inline constexpr std::string_view kPowerStressModeNames[] = {"", "Calc=Pd/Pmax", "Manual"};
inline constexpr ChoiceList kPowerStressModes{kPowerStressModeNames};
inline constexpr std::uint8_t kStressComputed = 1;
inline constexpr std::uint8_t kStressManual = 2;

class CResistiveRecord : public CPart {
 public:
  // One class's field descriptions, in page order; `type` carries the
  // class's style list.
  struct Fields {
    const FieldSpec& type;
    const FieldSpec& res;
    const FieldSpec& resUnit;
    const FieldSpec& qu;
    const FieldSpec& pmax;
    const FieldSpec& pd;
    const FieldSpec& stressMode;
    const FieldSpec& pstress;
    const FieldSpec& trise;
  };

  // The stored fields of a class of the family, from its descriptions.
  static StoredFields storedFieldsOf(const Fields& fields);

  std::span<const StoredField> storedFields() const override { return *stored_; }
  void shapeInput(ShownInput& input) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  bool isManualStress() const { return STRESSMODE == kStressManual; }

  // Own fields, in file order (keywords with the class's prefix).
  std::uint8_t TYPE = 1;        // _TYPE: style (each class sets its default)
  float RES = 100.0f;           // _RES: resistance, in RESUNIT
  std::uint8_t RESUNIT = 1;     // _RESUNIT: ohms
  std::uint8_t QU = 5;          // _QU: quality, default Non-ER
  float PMAX = 0.25f;           // _PMAX: rated power, W
  float PD = 0.1f;              // _PD: power dissipation, W (0..PMAX)
  std::uint8_t STRESSMODE = 1;  // _STRESSMODE: 1 computed Pd/Pmax, 2 manual
  float PSTRESS = 40.0f;        // _PSTRESS: power stress, percent
  float TRISE = 0.0f;           // _TRISE: temperature rise over ambient, deg C
  float LB = 0.0f;              // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;             // result: temperature factor
  float PIP = 0.0f;             // result: power factor
  float PIS = 0.0f;             // result: power stress factor
  float PIQ = 0.0f;             // result: quality factor
  float PIE = 0.0f;             // result: environment factor

 protected:
  CResistiveRecord(const Fields& fields, const StoredFields& stored, std::uint8_t defaultStyle)
      : fields_(&fields), stored_(&stored) {
    TYPE = defaultStyle;
  }
  const ChoiceList& styles() const { return *fields_->type.choices; }

 private:
  const Fields* fields_;
  const StoredFields* stored_;
};

}  // namespace kestrel
