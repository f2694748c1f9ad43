// CConnector: connectors and sockets by the handbook's part-stress models.
//   Connectors (section 15.1, families 1..9):
//     lambda_p = lambda_b x pi_T x pi_K x pi_Q x pi_E x 0.5
//   (the handbook's rate is that of a mated pair; a record stands for one
//   half of the pair), and sockets (section 15.2, family 10):
//     lambda_p = lambda_b x pi_P x pi_Q x pi_E
// each times the record's CF. The family decides which fields are used,
// which type list applies and which model runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Connector families (CONN_FAMILY).
inline constexpr std::string_view kConnectorFamilyNames[] = {
    "",      "Circular/Cylindrical", "Hexagonal",  "Rectangular", "Rack&Panel", "CardEdge/PCB",
    "Power", "Telephone",            "Coaxial,RF", "Triaxial,RF", "Socket"};
inline constexpr ChoiceList kConnectorFamilies{kConnectorFamilyNames};
inline constexpr std::uint8_t kLastPinFamily = 7;  // families 1..7 have pin sizes and currents
inline constexpr std::uint8_t kCoaxialFamily = 8;
inline constexpr std::uint8_t kTriaxialFamily = 9;
inline constexpr std::uint8_t kSocketFamily = 10;

// Types (CONN_TYPE): coaxial and triaxial connectors; sockets.
inline constexpr std::string_view kRfConnectorTypeNames[] = {"", "LowPower", "HighPower"};
inline constexpr ChoiceList kRfConnectorTypes{kRfConnectorTypeNames};
inline constexpr std::string_view kSocketTypeNames[] = {"",    "DIP",   "SIP",        "ChipCarrier",
                                                        "PGA", "Relay", "Transistor", "Tube/CRT"};
inline constexpr ChoiceList kSocketTypes{kSocketTypeNames};

// Contact (pin) sizes (CONN_GAUGE).
inline constexpr std::string_view kPinGaugeNames[] = {"",      "32 GA", "30 GA", "28 GA", "24 GA",
                                                      "22 GA", "20 GA", "18 GA", "16 GA", "12 GA"};
inline constexpr ChoiceList kPinGauges{kPinGaugeNames};

// Quality levels (CONN_QU).
inline constexpr std::string_view kConnectorQualityNames[] = {"", "MIL", "Lower"};
inline constexpr ChoiceList kConnectorQualities{kConnectorQualityNames};

// Mating/unmating cycles per 1000 hours (CONN_CYCLE).
inline constexpr std::string_view kMatingCycleNames[] = {"", "0-0.05", ">0.05-0.5", ">0.5-5", ">5-50", ">50"};
inline constexpr ChoiceList kMatingCycles{kMatingCycleNames};

class CConnector final : public CPart {
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

  // The stored family limited to its list.
  std::uint8_t family() const { return kConnectorFamilies.clamp(FAMILY); }
  bool isSocket() const { return family() == kSocketFamily; }
  bool hasPins() const { return family() <= kLastPinFamily; }
  // The type list of the stored family (empty for families 1..7).
  const ChoiceList& typeList() const;

  // Own fields, in file order.
  std::uint8_t FAMILY = 1;  // CONN_FAMILY: Circular/Cylindrical
  std::uint8_t TYPE = 1;    // CONN_TYPE: list by family
  float PINS = 37.0f;       // CONN_PINS: active pins
  std::uint8_t GAUGE = 6;   // CONN_GAUGE: 20 GA
  float AMPS = 0.1f;        // CONN_AMPS: current per pin, A
  std::uint8_t QU = 1;      // CONN_QU: MIL
  std::uint8_t CYCLE = 3;   // CONN_CYCLE: >0.5-5 per 1000 hours
  float TRISE = 0.0f;       // CONN_TRISE: temperature rise over ambient, deg C
  float LB = 0.0f;          // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;         // result: temperature factor
  float PIK = 0.0f;         // result: mating/unmating factor
  float PIP = 0.0f;         // result: active pins factor (sockets)
  float PIQ = 0.0f;         // result: quality factor
  float PIE = 0.0f;         // result: environment factor
};

}  // namespace kestrel
