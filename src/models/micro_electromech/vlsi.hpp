// CVLSI: VHSIC and VLSI CMOS microcircuits, handbook section 5.3:
//   lambda_p = lambda_BD x pi_MFG x pi_T x pi_CD       (die)
//            + lambda_BP x pi_E x pi_Q x pi_PT         (package)
//            + lambda_EOS                              (electrical overstress),
// times CF. Tj comes from the shared junction-temperature block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"
#include "models/micro_electromech/junction_temp.hpp"
#include "models/micro_electromech/microcircuit_tables.hpp"

namespace kestrel {

// Part types (VLSI_TYPE).
inline constexpr std::string_view kVlsiTypeNames[] = {"", "Logic/Custom", "GateArray/Memory"};
inline constexpr ChoiceList kVlsiTypes{kVlsiTypeNames};
// Manufacturing process (VLSI_MFG).
inline constexpr std::string_view kVlsiProcessNames[] = {"", "QML/QPL", "NonQML/NonQPL"};
inline constexpr ChoiceList kVlsiProcesses{kVlsiProcessNames};
// Packages (VLSI_PKG).
inline constexpr std::string_view kVlsiPackageNames[] = {"",           "HermDIP",    "HermPGA",   "HermSMT",
                                                         "NonHermDIP", "NonHermPGA", "NonHermSMT"};
inline constexpr ChoiceList kVlsiPackages{kVlsiPackageNames};

class CVLSI final : public CPart {
 public:
  static const ClassRecord kClass;

  const ClassRecord& classRecord() const override { return kClass; }
  std::span<const StoredField> storedFields() const override;
  std::string GetTypeName() const override;
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  void ApplyWhatIf(const WhatIfSettings& settings) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void UpdateAppParams(const CPart& other) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void normalizeChoices() override;

  // Own fields, in file order.
  std::uint8_t TYPE = 1;     // VLSI_TYPE
  float FSIZE = 0.8f;        // VLSI_FSIZE: feature size Xs, microns
  float AREA = 1.0f;         // VLSI_AREA: die area A, square cm
  std::uint8_t MFG = 1;      // VLSI_MFG
  std::uint8_t QU = 4;       // VLSI_QU: default Commercial
  float QUCUSTOM = 1.0f;     // VLSI_QUCUSTOM
  std::uint8_t PKG = 4;      // VLSI_PKG: default NonHermDIP
  float PINS = 16.0f;        // VLSI_PINS: Np (whole)
  float VOLTS = 500.0f;      // VLSI_VOLTS: ESD susceptibility, V (whole)
  JunctionTemp thermal;      // VLSI_TEMPMODE, VLSI_PD, VLSI_RJC, VLSI_RCA, VLSI_TADJ, VLSI_TCA, VLSI_TJA
  float LBD = 0.0f;          // result: die base failure rate, fpmh
  float PIMFG = 0.0f;        // result: manufacturing process factor
  float PIT = 0.0f;          // result: temperature factor
  float PICD = 0.0f;         // result: die complexity factor
  float LBP = 0.0f;          // result: package base failure rate, fpmh
  float PIE = 0.0f;          // result: environment factor
  float PIQ = 0.0f;          // result: quality factor
  float PIPT = 0.0f;         // result: package type factor
  float LEOS = 0.0f;         // result: electrical overstress failure rate, fpmh
};

}  // namespace kestrel
