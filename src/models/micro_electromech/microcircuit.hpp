// CIC: the monolithic microcircuit family, handbook section 5.1, with the
// EEPROM programming-cycle term of section 5.2:
//   lambda_p = (C1 x pi_T + C2 x pi_E + lambda_cyc) x pi_Q x pi_L, times CF.
// One record layout and one model serve the seven classes of the family
// (logic, PLA/PAL, microprocessor, RAM, ROM, PROM, linear); each class is a
// row of the family table, with its die complexity rows C1 (which also set
// its complexity range) and its activation energy group. Tj comes from the
// shared junction-temperature block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"
#include "models/micro_electromech/microcircuit_family.hpp"
#include "models/micro_electromech/microcircuit_tables.hpp"

namespace kestrel {

// The members of the family, by their part type codes.
enum class MicrocircuitKind : std::uint16_t {
  Logic = 101,
  Pla = 102,
  Micro = 103,
  Ram = 104,
  Rom = 105,
  Prom = 106,
  Linear = 107,
};

// Technologies (IC_TECH); 8..10 are MOS, the others bipolar.
inline constexpr std::string_view kIcTechnologyNames[] = {
    "",        "ASTTL,STTL",  "TTL,HTTL,FTTL", "LTTL", "ALSTTL,LSTTL",   "BiCMOS",
    "CML,DTL,ECL", "IIL,I3L,ISL", "MNOS",          "NMOS,PMOS,HMOS", "CMOS"};
inline constexpr ChoiceList kIcTechnologies{kIcTechnologyNames};
inline constexpr std::uint8_t kIcBiCmos = 5;
inline constexpr std::uint8_t kIcFirstMos = 8;
inline constexpr std::uint8_t kIcCmos = 10;
// Technologies of linear devices.
inline constexpr std::string_view kIcLinearTechnologyNames[] = {"", "Bipolar", "MOS"};
inline constexpr ChoiceList kIcLinearTechnologies{kIcLinearTechnologyNames};

// Memory types (IC_TYPE) of MOS RAMs and MOS PROMs.
inline constexpr std::string_view kIcRamTypeNames[] = {"", "DRAM", "SRAM"};
inline constexpr ChoiceList kIcRamTypes{kIcRamTypeNames};
inline constexpr std::string_view kIcPromTypeNames[] = {"", "PROM", "UVEPROM", "EEPROM", "EAPROM"};
inline constexpr ChoiceList kIcPromTypes{kIcPromTypeNames};
inline constexpr std::string_view kIcPromTypeShort[] = {"", "PROM", "UVE", "EE", "EA"};
inline constexpr std::uint8_t kIcDram = 1;
inline constexpr std::uint8_t kIcEeprom = 3;

// EEPROM cell process and on-chip error correction.
inline constexpr std::string_view kIcProcessNames[] = {"", "Flotox", "TexturedPoly"};
inline constexpr ChoiceList kIcProcesses{kIcProcessNames};
inline constexpr std::string_view kIcProcessShort[] = {"", "Flotx", "TextP"};
inline constexpr std::uint8_t kIcFlotox = 1;
inline constexpr std::string_view kIcEccNames[] = {"", "NoECC", "HammingCode", "RedundantCell"};
inline constexpr ChoiceList kIcEccChoices{kIcEccNames};
inline constexpr std::string_view kIcEccShort[] = {"", "NoECC", "Hamm", "Redun"};

class CIC final : public CPart {
 public:
  explicit CIC(const MicrocircuitFamilyMember& member);

  const ClassRecord& classRecord() const override { return member_->classRecord; }
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

  MicrocircuitKind kind() const { return static_cast<MicrocircuitKind>(member_->typeId); }
  // The technology list of the class (linear devices have their own).
  const ChoiceList& technologies() const;
  // The memory-type list of a MOS RAM or PROM, else null.
  const ChoiceList* memoryTypes() const;
  bool isMos() const;
  bool usesMemoryType() const { return memoryTypes() != nullptr; }
  bool isEeprom() const;
  // Highest complexity of the class (for PLA/PAL by technology).
  double complexityMax() const;

  // Own fields, in file order.
  std::uint8_t TECH = kIcCmos;     // IC_TECH
  std::uint8_t TYPE = 1;           // IC_TYPE: memory type of a MOS RAM or PROM
  float COMPLEX = 100.0f;          // IC_COMPLEX: gates, bits or transistors (whole)
  std::uint8_t LEARN = 1;          // IC_LEARN
  float YEARS = 2.0f;              // IC_YEARS: years in production
  std::uint8_t QU = 4;             // IC_QU: default Commercial
  float QUCUSTOM = 1.0f;           // IC_QUCUSTOM: custom quality factor
  std::uint8_t PKG = 6;            // IC_PKG: default NonHermDIP
  float PINS = 16.0f;              // IC_PINS (whole)
  std::uint8_t PROCESS = 1;        // IC_PROCESS: EEPROM cell process
  std::uint8_t ECC = 1;            // IC_ECC: EEPROM error correction
  float CYCLES = 10.0f;            // IC_CYCLES: EEPROM programming cycles (whole)
  float DESLIFE = 10000.0f;        // IC_DESLIFE: EEPROM design life, hours
  JunctionTemp thermal;            // IC_TEMPMODE, IC_PD, IC_RJC, IC_RCA, IC_TADJ, IC_TCA, IC_TJA
  float C1 = 0.0f;                 // result: die complexity factor
  float C2 = 0.0f;                 // result: package complexity factor
  float PIT = 0.0f;                // result: temperature factor
  float PIQ = 0.0f;                // result: quality factor
  float PIE = 0.0f;                // result: environment factor
  float PIL = 0.0f;                // result: learning factor
  float LCYC = 0.0f;               // result: EEPROM programming-cycle rate, fpmh

 private:
  // The C1 rows for the record's technology and memory type.
  std::span<const ComplexityRow> complexityRows() const;
  double activationEnergy() const;

  const MicrocircuitFamilyMember* member_;
};

// Activation energy of pi_T for logic, PLA/PAL and microprocessors by
// technology (table 5.8).
double digitalActivationEnergy(std::uint8_t technology);

}  // namespace kestrel
