// CCapacitor: fixed and variable capacitors, handbook section 10.1 part-stress model
//   lambda_p = lambda_b x pi_T x pi_C x pi_V x pi_SR x pi_Q x pi_E, times the record's CF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/part.hpp"

namespace kestrel {

// Capacitor styles (CAP_TYPE).
inline constexpr std::string_view kCapacitorStyleNames[] = {"",
                                                            "CP (Paper)",
                                                            "CA (Paper)",
                                                            "CZR (Paper/Plastic,ER)",
                                                            "CZ (Paper/Plastic)",
                                                            "CQR (Paper/Plastic,ER)",
                                                            "CQ (Paper/Plastic)",
                                                            "CHR (Paper/Plastic,ER)",
                                                            "CH (Paper/Plastic)",
                                                            "CFR (Plastic,ER)",
                                                            "CRH (Plastic,ER)",
                                                            "CMR (Mica,ER)",
                                                            "CM (Mica)",
                                                            "CB (MicaButton)",
                                                            "CYR (Glass,ER)",
                                                            "CY (Glass)",
                                                            "CKR (Ceramic,ER)",
                                                            "CK (Ceramic)",
                                                            "CCR (Ceramic,ER)",
                                                            "CC (Ceramic)",
                                                            "CDR (CeramicChip,ER)",
                                                            "CSR (Tantalum,ER)",
                                                            "CWR (TantalumChip,ER)",
                                                            "CLR (Tantalum,ER)",
                                                            "CL (Tantalum)",
                                                            "CRL (Tantalum)",
                                                            "CUR (Aluminum,ER)",
                                                            "CU (Aluminum)",
                                                            "CE (Aluminum)",
                                                            "CV (Variable,Ceramic)",
                                                            "PC (Variable,Piston)",
                                                            "CT (Variable,Air)",
                                                            "CG (Variable,Vacuum)"};
inline constexpr ChoiceList kCapacitorStyles{kCapacitorStyleNames};
// The solid tantalum styles whose failure rate depends on the circuit
// resistance (the only styles that use and edit CAP_CIRCR).
inline constexpr std::uint8_t kCapacitorStyleCSR = 21;
inline constexpr std::uint8_t kCapacitorStyleCWR = 22;

// Capacitance units (CAP_CAPUNIT).
inline constexpr std::string_view kCapacitanceUnitNames[] = {"", "pf", "uF", "F"};
inline constexpr ChoiceList kCapacitanceUnits{kCapacitanceUnitNames};

// Quality levels (CAP_QU): the established-reliability failure-rate levels,
// then non-ER military parts and commercial parts.
inline constexpr std::string_view kCapacitorQualityNames[] = {
    "", "D (ER)", "C (ER)", "S,B (ER)", "R (ER)", "P (ER)", "M (ER)", "L (ER)", "Non-ER", "Commercial"};
inline constexpr ChoiceList kCapacitorQualities{kCapacitorQualityNames};

// How the voltage stress is obtained (CAP_STRESSMODE).
inline constexpr std::string_view kVoltageStressModeNames[] = {"", "Calc=Vop/Vmax", "Manual"};
inline constexpr ChoiceList kVoltageStressModes{kVoltageStressModeNames};
inline constexpr std::uint8_t kVoltageStressManual = 2;

class CCapacitor final : public CPart {
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

  bool isManualStress() const { return STRESSMODE == kVoltageStressManual; }
  // True for the styles whose model takes the circuit resistance (CSR, CWR).
  bool usesCircuitResistance() const { return TYPE == kCapacitorStyleCSR || TYPE == kCapacitorStyleCWR; }
  // After the style is edited: the quality becomes one the style can have.
  void keepQualityOfStyle();

  // Own fields, in file order.
  std::uint8_t TYPE = 17;       // CAP_TYPE: style, default CK
  float CAP = 1.0f;             // CAP_CAP: capacitance, in CAPUNIT
  std::uint8_t CAPUNIT = 2;     // CAP_CAPUNIT: uF
  std::uint8_t QU = 8;          // CAP_QU: quality, default Non-ER
  float CIRCR = 0.7f;           // CAP_CIRCR: circuit resistance, ohms per volt (CSR, CWR only)
  float VMAX = 50.0f;           // CAP_VMAX: rated voltage, V
  float VOP = 25.0f;            // CAP_VOP: operating voltage, V (0..VMAX)
  std::uint8_t STRESSMODE = 1;  // CAP_STRESSMODE: 1 computed Vop/Vmax, 2 manual
  float VSTRESS = 50.0f;        // CAP_VSTRESS: voltage stress, percent
  float TRISE = 0.0f;           // CAP_TRISE: temperature rise over ambient, deg C
  float LB = 0.0f;              // result: base failure rate lambda_b, fpmh
  float PIT = 0.0f;             // result: temperature factor
  float PIC = 0.0f;             // result: capacitance factor
  float PIV = 0.0f;             // result: voltage stress factor
  float PISR = 0.0f;            // result: series resistance factor
  float PIQ = 0.0f;             // result: quality factor
  float PIE = 0.0f;             // result: environment factor
};

}  // namespace kestrel
