// CDiode: discrete diodes and thyristors, handbook sections 6.1 (low
// frequency), 6.2 (high frequency, microwave) and 6.10 (thyristors, SCRs):
//   lambda_p = lambda_b x pi_T x pi_A x pi_R x pi_S x pi_C x pi_Q x pi_E, times CF,
// the factors a family's model lacks being 1.0. Tj comes from the shared
// junction-temperature block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"

namespace kestrel {

// Families (DIO_FAMILY).
inline constexpr std::string_view kDiodeFamilyNames[] = {"", "LowFreq", "HighFreq", "Thyristor/SCR"};
inline constexpr ChoiceList kDiodeFamilies{kDiodeFamilyNames};
enum DiodeFamily : std::uint8_t {
  kDiodeLowFreq = 1,
  kDiodeHighFreq = 2,
  kDiodeThyristor = 3,
};

// Types (DIO_TYPE), by family; thyristors have none.
inline constexpr std::string_view kLowFreqDiodeTypeNames[] = {
    "",         "Analog",     "Switching",  "FastRecovery",  "PowerRectifier",
    "HVStacks", "VoltageReg", "VoltageRef", "TransientSupp", "CurrentReg"};
inline constexpr ChoiceList kLowFreqDiodeTypes{kLowFreqDiodeTypeNames};
inline constexpr std::string_view kHighFreqDiodeTypeNames[] = {"",
                                                               "IMPATT",
                                                               "Gunn/BulkEffect",
                                                               "Tunnel/Back",
                                                               "PIN",
                                                               "SchottkyBarrier",
                                                               "PointContact",
                                                               "Varactor/VControl",
                                                               "Varactor/Mult",
                                                               "StepRecovery"};
inline constexpr ChoiceList kHighFreqDiodeTypes{kHighFreqDiodeTypeNames};
inline constexpr ChoiceList kNoDiodeTypes{std::span(kLowFreqDiodeTypeNames, 1)};
inline constexpr std::uint8_t kDiodeHvStacks = 5;        // low frequency
inline constexpr std::uint8_t kDiodeLastStressType = 5;  // low frequency 1..5 have a stress factor
inline constexpr std::uint8_t kDiodePin = 4;             // high frequency
inline constexpr std::uint8_t kDiodeSchottky = 5;        // high frequency

// Contact construction (DIO_CONTACTS), low frequency.
inline constexpr std::string_view kDiodeContactNames[] = {"", "MetalBond", "SpringLoad"};
inline constexpr ChoiceList kDiodeContacts{kDiodeContactNames};

// Quality levels (DIO_QU); for high-frequency Schottky diodes the list
// stops at "Lower".
inline constexpr std::string_view kDiodeQualityNames[] = {"", "JANTXV", "JANTX.", "JAN.", "Lower", "Plastic"};
inline constexpr ChoiceList kDiodeQualities{kDiodeQualityNames};
inline constexpr ChoiceList kSchottkyDiodeQualities{std::span(kDiodeQualityNames, 5)};

// How the voltage stress is obtained (DIO_STRESSMODE).
inline constexpr std::string_view kDiodeStressModeNames[] = {"", "Calc=Vop/Vmax", "Manual"};
inline constexpr ChoiceList kDiodeStressModes{kDiodeStressModeNames};

class CDiode final : public CPart {
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

  // The family and type as the model reads them (limited to their lists;
  // type 0 for thyristors).
  std::uint8_t family() const { return kDiodeFamilies.clamp(FAMILY); }
  std::uint8_t type() const;
  const ChoiceList& types() const;
  const ChoiceList& qualities() const;
  bool hasType() const { return family() != kDiodeThyristor; }
  bool usesContacts() const { return family() == kDiodeLowFreq && !isHybridPart(); }
  bool usesJunctions() const { return family() == kDiodeLowFreq && type() == kDiodeHvStacks; }
  bool isSchottky() const { return family() == kDiodeHighFreq && type() == kDiodeSchottky; }
  // The rating is a power (PIN diodes, W) or a forward current (thyristors, A).
  bool usesRating() const {
    return (family() == kDiodeHighFreq && type() == kDiodePin) || family() == kDiodeThyristor;
  }
  // Low-frequency types 1..5 and thyristors have a voltage stress.
  bool usesVoltage() const {
    return (family() == kDiodeLowFreq && type() <= kDiodeLastStressType) || family() == kDiodeThyristor;
  }
  bool isManualStress() const { return STRESSMODE == 2; }

  // Own fields, in file order.
  std::uint8_t FAMILY = kDiodeLowFreq;  // DIO_FAMILY
  std::uint8_t TYPE = 2;                // DIO_TYPE: by family
  std::uint8_t CONTACTS = 1;            // DIO_CONTACTS
  float JUNCTIONS = 3.0f;               // DIO_JUNCTIONS: whole number 1..99 (HV stacks)
  std::uint8_t QU = 4;                  // DIO_QU: default Lower
  float RATING = 1.0f;                  // DIO_RATING: W (PIN) or A (thyristor)
  float VMAX = 75.0f;                   // DIO_VMAX: rated voltage, V
  float VOP = 37.5f;                    // DIO_VOP: operating voltage, V (0..VMAX)
  std::uint8_t STRESSMODE = 1;          // DIO_STRESSMODE: 1 computed Vop/Vmax, 2 manual
  float VSTRESS = 50.0f;                // DIO_VSTRESS: voltage stress, percent
  JunctionTemp thermal;                 // DIO_TEMPMODE, DIO_PD, DIO_RJC, DIO_RCA, DIO_TADJ, DIO_TCA, DIO_TJA
  float LB = 0.0f;                      // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;                     // result: temperature factor
  float PIA = 0.0f;                     // result: application factor
  float PIR = 0.0f;                     // result: power or current rating factor
  float PIS = 0.0f;                     // result: voltage stress factor
  float PIC = 0.0f;                     // result: contact construction factor
  float PIQ = 0.0f;                     // result: quality factor
  float PIE = 0.0f;                     // result: environment factor
};

}  // namespace kestrel
