// CRelay: relays by the handbook's part-stress models.
//   Mechanical relays (section 13.1, types 1..12):
//     lambda_p = lambda_b x pi_L x pi_C x pi_CYC x pi_F x pi_Q x pi_E
//   Solid-state and time-delay relays (section 13.2, types 13 and 14):
//     lambda_p = lambda_b x pi_Q x pi_E
// each times the record's CF. The relay type decides which fields are used,
// which construction and quality lists apply and which model runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Relay types (RELAY_TYPE).
inline constexpr std::string_view kRelayTypeNames[] = {"",
                                                       "DryCircuit/Low-ma",
                                                       "GeneralPurpose/0-5A",
                                                       "Sensitive(0-100mW)/0-5A",
                                                       "Polarized/0-5A",
                                                       "VibratingReed/0-5A",
                                                       "HighSpeed/0-5A",
                                                       "ThermalTimeDelay/0-5A",
                                                       "ElectronicTimeDelay/0-5A",
                                                       "MagneticLatching/0-5A",
                                                       "HighVoltage/5-20A",
                                                       "MediumPower/5-20A",
                                                       "Contactor/25-600A",
                                                       "SolidState(SSR)",
                                                       "SSR,Time Delay"};
inline constexpr ChoiceList kRelayTypes{kRelayTypeNames};
inline constexpr std::uint8_t kLastMechanicalRelay = 12;
inline constexpr std::uint8_t kSolidStateRelay = 13;
inline constexpr std::uint8_t kSolidStateTimeDelayRelay = 14;

// Contact forms (RELAY_CONTACT).
inline constexpr std::string_view kRelayContactNames[] = {"",     "SPST", "DPST", "SPDT", "3PST",
                                                          "4PST", "DPDT", "3PDT", "4PDT", "6PDT"};
inline constexpr ChoiceList kRelayContacts{kRelayContactNames};

// Temperature ratings (RELAY_RATING), deg C.
inline constexpr std::string_view kRelayRatingNames[] = {"", "85", "125"};
inline constexpr ChoiceList kRelayRatings{kRelayRatingNames};

// Quality levels (RELAY_QU): mechanical relays use the established-
// reliability levels, non-ER military and commercial parts; solid-state
// and time-delay relays only military or commercial.
inline constexpr std::string_view kMechanicalRelayQualityNames[] = {
    "", "R", "P", "X", "U", "M", "L", "MIL(Non-ER)", "Commercial"};
inline constexpr ChoiceList kMechanicalRelayQualities{kMechanicalRelayQualityNames};
inline constexpr std::uint8_t kRelayCommercial = 8;
inline constexpr std::string_view kSolidStateRelayQualityNames[] = {"", "MIL", "Commercial"};
inline constexpr ChoiceList kSolidStateRelayQualities{kSolidStateRelayQualityNames};

class CRelay final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // The stored type limited to its list.
  std::uint8_t relayType() const { return kRelayTypes.clamp(TYPE); }
  // Mechanical relay (types 1..12), as opposed to solid-state or time-delay.
  bool isMechanical() const { return relayType() <= kLastMechanicalRelay; }
  bool isManualStress() const;
  // The construction list of the stored type (empty for types 7, 8, 13, 14)
  // and the quality list of the stored type.
  const ChoiceList& constructionList() const;
  const ChoiceList& qualityList() const;

  // Own fields, in file order.
  std::uint8_t TYPE = 2;        // RELAY_TYPE: GeneralPurpose/0-5A
  std::uint8_t CONSTR = 1;      // RELAY_CONSTR: construction, list by type
  std::uint8_t CONTACT = 1;     // RELAY_CONTACT: SPST
  std::uint8_t RATING = 2;      // RELAY_RATING: 125 C
  std::uint8_t QU = 7;          // RELAY_QU: MIL(Non-ER)
  std::uint8_t LOAD = 1;        // RELAY_LOAD: resistive
  float IMAX = 1.0f;            // RELAY_IMAX: rated contact current, A
  float IOP = 0.5f;             // RELAY_IOP: operating contact current, A (0..IMAX)
  std::uint8_t STRESSMODE = 1;  // RELAY_STRESSMODE: 1 computed Iop/Imax, 2 manual
  float ISTRESS = 50.0f;        // RELAY_ISTRESS: current stress, percent
  float RATE = 1.0f;            // RELAY_RATE: cycles per hour
  float TRISE = 0.0f;           // RELAY_TRISE: temperature rise over ambient, deg C
  float LB = 0.0f;              // result: base failure rate lambda_b, fpmh
  float PIL = 0.0f;             // result: load stress factor
  float PIC = 0.0f;             // result: contact form factor
  float PICYC = 0.0f;           // result: cycling factor
  float PIF = 0.0f;             // result: application and construction factor
  float PIQ = 0.0f;             // result: quality factor
  float PIE = 0.0f;             // result: environment factor
};

}  // namespace kestrel
