// CBubble: magnetic bubble memories, handbook section 5.5:
//   lambda_p = lambda_1 + lambda_2, times the record's CF, with
//   lambda_1 = pi_Q x (Nc x C11 x pi_T1 x pi_W + (Nc x C21 + C2) x pi_E) x pi_D x pi_L
//   lambda_2 = pi_Q x Nc x (C12 x pi_T2 + C22 x pi_E) x pi_L
// lambda_1 for the control and detection structure, lambda_2 for the memory
// storage area; Nc bubble chips in the package.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Bubble generator types (BUB_GENTYPE).
inline constexpr std::string_view kBubbleGeneratorNames[] = {"", "Seed", "NonSeed"};
inline constexpr ChoiceList kBubbleGenerators{kBubbleGeneratorNames};
inline constexpr std::uint8_t kSeedGenerator = 1;

// Learning (BUB_LEARN): an established product, or a new one with its
// years in production.
inline constexpr std::string_view kBubbleLearningNames[] = {"", "Est", "New"};
inline constexpr ChoiceList kBubbleLearning{kBubbleLearningNames};
inline constexpr std::uint8_t kNewProduct = 2;

class CBubble final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  void shapeInput(ShownInput& input) override;
  std::string GetTypeName() const override;
  void Calculate(CCircHeader& header) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;

  // Learning "New" outside a hybrid: the years in production apply.
  bool usesYears() const { return !isHybridPart() && LEARN == kNewProduct; }

  // Own fields, in file order.
  float CHIPS = 1.0f;       // BUB_CHIPS: bubble chips Nc
  float ELEMENTS = 148.0f;  // BUB_ELEMENTS: dissipative elements per chip N1
  std::uint8_t GENTYPE = 2; // BUB_GENTYPE: NonSeed
  float KBITS = 92.0f;      // BUB_KBITS: Kbits per chip (N2 = Kbits x 1024)
  float PINS = 14.0f;       // BUB_PINS: package pins Np
  std::uint8_t LEARN = 1;   // BUB_LEARN: Est
  float YEARS = 2.0f;       // BUB_YEARS: years in production
  float DC = 100.0f;        // BUB_DC: duty cycle, percent
  float RW = 10.0f;         // BUB_RW: reads per write
  float TRISE = 0.0f;       // BUB_TRISE: case temperature rise over ambient, deg C
  float PIQ = 0.0f;         // result: quality factor
  float C11 = 0.0f;         // result: control and detection structure complexity
  float C21 = 0.0f;         // result: control and detection structure, environment part
  float C12 = 0.0f;         // result: memory storage area complexity
  float C22 = 0.0f;         // result: memory storage area, environment part
  float C2 = 0.0f;          // result: package complexity
  float PIT1 = 0.0f;        // result: temperature factor, 0.8 eV
  float PIT2 = 0.0f;        // result: temperature factor, 0.55 eV
  float PIW = 0.0f;         // result: write duty cycle factor
  float PIE = 0.0f;         // result: environment factor
  float PID = 0.0f;         // result: duty cycle factor
  float PIL = 0.0f;         // result: learning factor
  float L1 = 0.0f;          // result: lambda_1, fpmh
  float L2 = 0.0f;          // result: lambda_2, fpmh
};

}  // namespace kestrel
