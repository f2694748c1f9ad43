// CTransistor: low-frequency discrete transistors, handbook sections 6.3
// (bipolar), 6.4 (silicon FET) and 6.5 (unijunction):
//   lambda_p = lambda_b x pi_T x pi_A x pi_R x pi_S x pi_Q x pi_E, times CF,
// the factors a type's model lacks being 1.0. Tj comes from the shared
// junction-temperature block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"

namespace kestrel {

// Transistor types (TR_TYPE).
inline constexpr std::string_view kTransistorTypeNames[] = {"", "NPN", "PNP", "MOSFET", "JFET", "UJT"};
inline constexpr ChoiceList kTransistorTypes{kTransistorTypeNames};
enum TransistorType : std::uint8_t {
  kTransistorNpn = 1,
  kTransistorPnp = 2,
  kTransistorMosfet = 3,
  kTransistorJfet = 4,
  kTransistorUjt = 5,
};

// Applications (TR_APP), by type: bipolar 1..2, FETs 1..3, none for UJT.
inline constexpr std::string_view kTransistorApplicationNames[] = {"", "Linear", "Switching", "Power"};
inline constexpr ChoiceList kBipolarApplications{std::span(kTransistorApplicationNames, 3)};
inline constexpr ChoiceList kFetApplications{kTransistorApplicationNames};
inline constexpr ChoiceList kNoTransistorApplications{std::span(kTransistorApplicationNames, 1)};
inline constexpr std::uint8_t kTransistorPowerApp = 3;

// Quality levels (TR_QU); the periods belong to the texts.
inline constexpr std::string_view kTransistorQualityNames[] = {"",     "JANTXV", "JANTX.",
                                                               "JAN.", "Lower",  "Plastic"};
inline constexpr ChoiceList kTransistorQualities{kTransistorQualityNames};

// How the voltage stress is obtained (TR_STRESSMODE).
inline constexpr std::string_view kTransistorStressModeNames[] = {"", "Calc=Vce/Vceo", "Manual"};
inline constexpr ChoiceList kTransistorStressModes{kTransistorStressModeNames};

class CTransistor final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  bool isBipolar() const { return TYPE == kTransistorNpn || TYPE == kTransistorPnp; }
  bool isFet() const { return TYPE == kTransistorMosfet || TYPE == kTransistorJfet; }
  bool hasApplication() const { return isBipolar() || isFet(); }
  // The power rating enters pi_R (bipolar) or the FET power application's pi_A.
  bool usesPowerRating() const { return isBipolar() || (isFet() && APP == kTransistorPowerApp); }
  bool isManualStress() const { return STRESSMODE == 2; }
  // The application list of the current type.
  const ChoiceList& applications() const;

  // Own fields, in file order.
  std::uint8_t TYPE = kTransistorNpn;  // TR_TYPE
  std::uint8_t APP = 1;                // TR_APP: by type
  std::uint8_t QU = 4;                 // TR_QU: default Lower
  float PMAX = 1.0f;                   // TR_PMAX: power rating Pr, W
  float VCEO = 100.0f;                 // TR_VCEO: rated voltage, V
  float VCE = 50.0f;                   // TR_VCE: operating voltage, V (0..VCEO)
  std::uint8_t STRESSMODE = 1;         // TR_STRESSMODE: 1 computed Vce/Vceo, 2 manual
  float VSTRESS = 50.0f;               // TR_VSTRESS: voltage stress, percent
  JunctionTemp thermal;                // TR_TEMPMODE, TR_PD, TR_RJC, TR_RCA, TR_TADJ, TR_TCA, TR_TJA
  float LB = 0.0f;                     // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;                    // result: temperature factor
  float PIA = 0.0f;                    // result: application factor
  float PIR = 0.0f;                    // result: power rating factor
  float PIS = 0.0f;                    // result: voltage stress factor
  float PIQ = 0.0f;                    // result: quality factor
  float PIE = 0.0f;                    // result: environment factor
};

}  // namespace kestrel
