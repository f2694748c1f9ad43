// CPotentiometer: variable resistors, handbook section 9.1 part-stress model
//   lambda_p = lambda_b x pi_T x pi_P x pi_S x pi_Q x pi_E, times the record's CF.
// The record has the resistor's layout field for field, with its own style
// list and style table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/passive_semis/resistor.hpp"

namespace kestrel {

// Potentiometer styles (POT_TYPE).
inline constexpr std::string_view kPotentiometerStyleNames[] = {"",
                                                                "RTR (Wirewound,LeadScrew,ER)",
                                                                "RT (Wirewound,LeadScrew)",
                                                                "RR (Wirewound,Precision)",
                                                                "RA (Wirewound,LowOpTemp)",
                                                                "RK (Wirewound,SemiPrecision)",
                                                                "RP (Wirewound,Power)",
                                                                "RJR (NonWirewound,ER)",
                                                                "RJ (NonWirewound)",
                                                                "RV (Composition)",
                                                                "RQ (NonWirewound,Precision)",
                                                                "RVC (NonWirewound)"};
inline constexpr ChoiceList kPotentiometerStyles{kPotentiometerStyleNames};

// Units, quality levels and stress modes are the resistor's lists
// (kResistanceUnits, kResistorQualities, kPowerStressModes).

class CPotentiometer final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  void Serialize(Archive& ar) override;
  void CopyFrom(const CPart& other) override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;
  std::vector<NamedFactor> factors() const override {
    return {{"LB", LB}, {"PIT", PIT}, {"PIP", PIP}, {"PIS", PIS}, {"PIQ", PIQ}, {"PIE", PIE}};
  }

  bool isManualStress() const { return STRESSMODE == kStressManual; }

  // Own fields, in file order.
  std::uint8_t TYPE = 8;        // POT_TYPE: style, default RJ
  float RES = 100.0f;           // POT_RES: resistance, in RESUNIT
  std::uint8_t RESUNIT = 1;     // POT_RESUNIT: ohms
  std::uint8_t QU = 5;          // POT_QU: quality, default Non-ER
  float PMAX = 0.25f;           // POT_PMAX: rated power, W
  float PD = 0.1f;              // POT_PD: power dissipation, W (0..PMAX)
  std::uint8_t STRESSMODE = 1;  // POT_STRESSMODE: 1 computed Pd/Pmax, 2 manual
  float PSTRESS = 40.0f;        // POT_PSTRESS: power stress, percent
  float TRISE = 0.0f;           // POT_TRISE: temperature rise over ambient, deg C
  float LB = 0.0f;              // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;             // result: temperature factor
  float PIP = 0.0f;             // result: power factor
  float PIS = 0.0f;             // result: power stress factor
  float PIQ = 0.0f;             // result: quality factor
  float PIE = 0.0f;             // result: environment factor
};

}  // namespace kestrel
