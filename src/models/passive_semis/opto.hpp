// COpto: optoelectronic devices, handbook sections 6.11 (photodetectors,
// opto-isolators, emitters) and 6.12 (alphanumeric displays):
//   lambda_p = lambda_b x pi_T x pi_Q x pi_E, times CF,
// the families differing only in lambda_b. Tj comes from the shared
// junction-temperature block.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"

namespace kestrel {

// Families (OPTO_FAMILY).
inline constexpr std::string_view kOptoFamilyNames[] = {
    "", "PhotoDetector", "OptoIsolator", "DualOptoIsolator", "Emitter", "AlphaNumericDisplay"};
inline constexpr ChoiceList kOptoFamilies{kOptoFamilyNames};
enum OptoFamily : std::uint8_t {
  kOptoPhotoDetector = 1,
  kOptoIsolator = 2,
  kOptoDualIsolator = 3,
  kOptoEmitter = 4,
  kOptoDisplay = 5,
};

// Types (OPTO_TYPE), by family.
inline constexpr std::string_view kOptoDetectorTypeNames[] = {"", "PhotoDiode", "PhotoTransistor",
                                                              "PhotoDarlington", "PhotoResistor"};
inline constexpr ChoiceList kOptoDetectorTypes{std::span(kOptoDetectorTypeNames, 3)};
inline constexpr ChoiceList kOptoIsolatorTypes{kOptoDetectorTypeNames};
inline constexpr std::string_view kOptoEmitterTypeNames[] = {"", "LED", "InfraRedLED"};
inline constexpr ChoiceList kOptoEmitterTypes{kOptoEmitterTypeNames};
inline constexpr std::string_view kOptoDisplayTypeNames[] = {"", "Segment", "DiodeArray"};
inline constexpr ChoiceList kOptoDisplayTypes{kOptoDisplayTypeNames};
inline constexpr std::uint8_t kOptoDiodeArray = 2;

// Logic chip of a display (OPTO_LOGIC).
inline constexpr std::string_view kOptoLogicNames[] = {"", "Yes", "No"};
inline constexpr ChoiceList kOptoLogic{kOptoLogicNames};
inline constexpr std::uint8_t kOptoWithLogic = 1;

// Quality levels (OPTO_QU); the periods belong to the texts.
inline constexpr std::string_view kOptoQualityNames[] = {"", "JANTXV", "JANTX.", "JAN.", "Lower", "Plastic"};
inline constexpr ChoiceList kOptoQualities{kOptoQualityNames};

// The type list of a family (a family outside the list reads as the nearest).
const ChoiceList& optoTypesOf(std::uint8_t family);

class COpto final : public CPart {
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

  bool isDisplay() const { return kOptoFamilies.clamp(FAMILY) == kOptoDisplay; }
  const ChoiceList& types() const { return optoTypesOf(FAMILY); }

  // Own fields, in file order.
  std::uint8_t FAMILY = kOptoEmitter;  // OPTO_FAMILY
  std::uint8_t TYPE = 1;               // OPTO_TYPE: by family
  float CHAR = 1.0f;                   // OPTO_CHAR: characters of a display, whole number 1..99
  std::uint8_t LOGIC = 2;              // OPTO_LOGIC: display with a logic chip, default No
  std::uint8_t QU = 5;                 // OPTO_QU: default Plastic
  JunctionTemp thermal;                // OPTO_TEMPMODE, OPTO_PD, OPTO_RJC, OPTO_RCA, OPTO_TADJ, OPTO_TCA, OPTO_TJA
  float LB = 0.0f;                     // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;                    // result: temperature factor
  float PIQ = 0.0f;                    // result: quality factor
  float PIE = 0.0f;                    // result: environment factor
};

}  // namespace kestrel
