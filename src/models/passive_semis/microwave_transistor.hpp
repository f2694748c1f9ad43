// CMTrans: high-frequency (microwave) transistors, one class over four
// handbook models, each with its own product of factors times CF:
//   section 6.6  low-noise bipolar   lambda_b x pi_T x pi_R x pi_S x pi_Q x pi_E
//   section 6.7  high-power bipolar  lambda_b x pi_T x pi_A x pi_M x pi_Q x pi_E
//   section 6.8  GaAs FET            lambda_b x pi_T x pi_A x pi_M x pi_Q x pi_E
//   section 6.9  silicon FET         lambda_b x pi_T x pi_Q x pi_E
// Tj comes from the shared junction-temperature block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"

namespace kestrel {

// Device types (MTR_TYPE).
inline constexpr std::string_view kMTransTypeNames[] = {
    "", "BipolarLoPower", "BipolarHiPower", "GaAsFETHiPower", "GaAsFETLoPower", "SiMOSFET", "SiJFET"};
inline constexpr ChoiceList kMTransTypes{kMTransTypeNames};
enum MTransType : std::uint8_t {
  kMTransBipolarLoPower = 1,
  kMTransBipolarHiPower = 2,
  kMTransGaAsHiPower = 3,
  kMTransGaAsLoPower = 4,
  kMTransSiMosfet = 5,
  kMTransSiJfet = 6,
};

// Matching network (MTR_MATCH), metallization (MTR_METAL), application (MTR_APP).
inline constexpr std::string_view kMTransMatchNames[] = {"", "In/Out", "Input", "None"};
inline constexpr ChoiceList kMTransMatches{kMTransMatchNames};
inline constexpr std::string_view kMTransMetalNames[] = {"", "Gold", "Aluminum"};
inline constexpr ChoiceList kMTransMetals{kMTransMetalNames};
inline constexpr std::string_view kMTransAppNames[] = {"", "CW", "Pulsed"};
inline constexpr ChoiceList kMTransApps{kMTransAppNames};
inline constexpr std::uint8_t kMTransGold = 1;
inline constexpr std::uint8_t kMTransPulsed = 2;

// Quality levels (MTR_QU); the periods belong to the texts.
inline constexpr std::string_view kMTransQualityNames[] = {"", "JANTXV", "JANTX.", "JAN.", "Lower"};
inline constexpr ChoiceList kMTransQualities{kMTransQualityNames};

// How the voltage stress is obtained (MTR_STRESSMODE).
inline constexpr std::string_view kMTransStressModeNames[] = {"", "Calc=Vop/Vmax", "Manual"};
inline constexpr ChoiceList kMTransStressModes{kMTransStressModeNames};

class CMTrans final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  // The factors the record's model uses (they depend on its type).
  std::vector<NamedFactor> factors() const override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // Which fields a type uses.
  static bool isBipolar(std::uint8_t type) { return type == kMTransBipolarLoPower || type == kMTransBipolarHiPower; }
  static bool hasMatching(std::uint8_t type) { return type >= kMTransBipolarHiPower && type <= kMTransGaAsLoPower; }
  static bool hasApplication(std::uint8_t type) { return type == kMTransBipolarHiPower || type == kMTransGaAsHiPower; }
  static bool usesPower(std::uint8_t type) { return type >= kMTransBipolarLoPower && type <= kMTransGaAsHiPower; }
  bool usesDutyCycle() const { return TYPE == kMTransBipolarHiPower && APP == kMTransPulsed; }
  bool isManualStress() const { return STRESSMODE == 2; }

  // Own fields, in file order.
  std::uint8_t TYPE = kMTransBipolarHiPower;  // MTR_TYPE
  std::uint8_t MATCH = 1;                     // MTR_MATCH: types 2..4
  std::uint8_t METAL = kMTransGold;           // MTR_METAL: type 2
  std::uint8_t APP = 1;                       // MTR_APP: types 2, 3
  float DC = 10.0f;                           // MTR_DC: duty cycle, percent (type 2 pulsed)
  std::uint8_t QU = 4;                        // MTR_QU: default Lower
  float FREQ = 4.0f;                          // MTR_FREQ: GHz (types 2, 3)
  float POWER = 1.0f;                         // MTR_POWER: W (types 1..3)
  float VMAX = 55.0f;                         // MTR_VMAX: rated voltage, V (types 1, 2)
  float VOP = 28.0f;                          // MTR_VOP: operating voltage, V (0..VMAX)
  std::uint8_t STRESSMODE = 1;                // MTR_STRESSMODE: 1 computed Vop/Vmax, 2 manual
  float VSTRESS = 50.9f;                      // MTR_VSTRESS: voltage stress, percent
  JunctionTemp thermal;                       // MTR_TEMPMODE, MTR_PD, MTR_RJC, MTR_RCA, MTR_TADJ, MTR_TCA, MTR_TJA
  float LB = 0.0f;                            // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;                           // result: temperature factor
  float PIA = 0.0f;                           // result: application factor
  float PIR = 0.0f;                           // result: power rating factor (type 1)
  float PIS = 0.0f;                           // result: voltage stress factor (type 1)
  float PIM = 0.0f;                           // result: matching network factor
  float PIQ = 0.0f;                           // result: quality factor
  float PIE = 0.0f;                           // result: environment factor
};

}  // namespace kestrel
