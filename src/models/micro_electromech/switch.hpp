// CSwitch: switches and circuit breakers by the handbook's part-stress models.
//   Switches (section 14.1, types 1..14):
//     lambda_p = lambda_b x pi_L x pi_C x pi_Q x pi_E
//   Circuit breakers (section 14.2, type 15):
//     lambda_p = lambda_b x pi_C x pi_U x pi_Q x pi_E
// each times the record's CF. The switch type decides which fields are used,
// which contact-form list applies and which model runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Switch types (SW_TYPE).
inline constexpr std::string_view kSwitchTypeNames[] = {"",
                                                        "Centrifugal",
                                                        "DIP",
                                                        "Limit",
                                                        "LiquidLevel",
                                                        "Microwave(Waveguide)",
                                                        "Pressure",
                                                        "Pushbutton",
                                                        "Reed",
                                                        "Rocker",
                                                        "Rotary",
                                                        "Sensitive",
                                                        "Thermal",
                                                        "Thumbwheel",
                                                        "Toggle",
                                                        "CircuitBreaker"};
inline constexpr ChoiceList kSwitchTypes{kSwitchTypeNames};
inline constexpr std::uint8_t kPushbuttonSwitch = 7;
inline constexpr std::uint8_t kToggleSwitch = 14;
inline constexpr std::uint8_t kCircuitBreaker = 15;

// Whether a circuit breaker also serves as the power on/off switch (SW_POWER).
inline constexpr std::string_view kSwitchPowerNames[] = {"", "Yes", "No"};
inline constexpr ChoiceList kSwitchPowerChoices{kSwitchPowerNames};

// Contact forms (SW_CONTACT): pushbutton and toggle switches, with "Other"
// for a contact count entered directly; circuit breakers.
inline constexpr std::string_view kSwitchContactNames[] = {"",     "SPST", "DPST", "SPDT", "3PST", "4PST",
                                                           "DPDT", "3PDT", "4PDT", "6PDT", "Other"};
inline constexpr ChoiceList kSwitchContacts{kSwitchContactNames};
inline constexpr std::uint8_t kOtherContactForm = 10;
inline constexpr std::string_view kBreakerContactNames[] = {"", "SPST", "DPST", "3PST", "4PST"};
inline constexpr ChoiceList kBreakerContacts{kBreakerContactNames};

// Quality levels (SW_QU).
inline constexpr std::string_view kSwitchQualityNames[] = {"", "MIL", "Lower"};
inline constexpr ChoiceList kSwitchQualities{kSwitchQualityNames};

class CSwitch final : public CPart {
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
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // The stored type limited to its list.
  std::uint8_t switchType() const { return kSwitchTypes.clamp(TYPE); }
  bool isBreaker() const { return switchType() == kCircuitBreaker; }
  bool isManualStress() const;
  // The contact-form list of the stored type (empty for types without one).
  const ChoiceList& contactList() const;

  // Own fields, in file order.
  std::uint8_t TYPE = 7;        // SW_TYPE: Pushbutton
  std::uint8_t POWER = 1;       // SW_POWER: breaker also the power switch, Yes
  std::uint8_t CONTACT = 3;     // SW_CONTACT: contact form, list by type; SPDT
  float CONTACTS = 2.0f;        // SW_CONTACTS: number of contacts for "Other"
  std::uint8_t QU = 1;          // SW_QU: MIL
  std::uint8_t LOAD = 1;        // SW_LOAD: resistive
  float IMAX = 1.0f;            // SW_IMAX: rated current, A
  float IOP = 0.1f;             // SW_IOP: operating current, A (0..IMAX)
  std::uint8_t STRESSMODE = 1;  // SW_STRESSMODE: 1 computed Iop/Imax, 2 manual
  float ISTRESS = 10.0f;        // SW_ISTRESS: current stress, percent
  float LB = 0.0f;              // result: base failure rate lambda_b, fpmh
  float PIL = 0.0f;             // result: load stress factor
  float PIC = 0.0f;             // result: contact form and quantity (configuration) factor
  float PIU = 0.0f;             // result: use factor
  float PIQ = 0.0f;             // result: quality factor
  float PIE = 0.0f;             // result: environment factor
};

}  // namespace kestrel
