// The junction-temperature block shared by every semiconductor and
// microcircuit class: the thermal fields of the "Temp" page, the junction
// temperature Tj they give with the circuit's ambient temperature, the
// over-temperature test, the thermal text line, the default surface-mount
// temperature rise and the import of the block with its temperature
// override keyword.
//
// A class holds one `JunctionTemp` at the end of its own parameter fields
// and names its keywords with one of the `JunctionTempFields` below. Its
// table of stored fields takes the block's seven inputs (the "Temp" page,
// each an entry in every mode) from `thermalInputs`; it then only calls the
// block:
//   UpdateAppParams   thermal.copyAppParams(other.thermal)
//   Calculate         const double tj = thermal.beginCalculation(*this, header, kFields);
//                     ... the class's stress (or S = -1) and pi_T from tj ...
//                     thermal.finishCalculation(*this, header, kFields)
//   ImportFields      thermal.importFields(reader, kFields, ambient)
//   FormatDetail      thermal.thermalLine(prefix)
//   normalizeChoices  thermal.normalize(*this)
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/choice.hpp"
#include "core/field_spec.hpp"
#include "core/stored_fields.hpp"

namespace kestrel {

class Archive;
class CCircHeader;
class CPart;
class KeywordReader;

// Temperature modes: how Tj is formed from the ambient temperature Ta.
inline constexpr std::string_view kJunctionTempModeNames[] = {"", "Tj=Ta+Tadj+Pd(Rjc+Rca)", "Tj=Ta+Tca+PdRjc",
                                                              "Tj=Ta+Tja"};
inline constexpr ChoiceList kJunctionTempModes{kJunctionTempModeNames};
enum JunctionTempMode : std::uint8_t {
  kTjFromResistances = 1,   // Tj = Ta + Tadj + Pd x (Rjc + Rca)
  kTjFromCaseRise = 2,      // Tj = Ta + Tca + Pd x Rjc
  kTjFromJunctionRise = 3,  // Tj = Ta + Tja
};

// What the number of a mapped temperature override keyword (IC_TEMP,
// TR_TEMP, ...) means: the value-type option of its keyword record.
inline constexpr std::string_view kTempOverrideOptionNames[] = {"", "TJUNC", "TCASE", "TRISE"};
inline constexpr ChoiceList kTempOverrideOptions{kTempOverrideOptionNames};
enum TempOverrideOption : std::uint8_t {
  kOverrideJunction = 1,  // a junction temperature, -55..300
  kOverrideCase = 2,      // a case temperature, -55..300
  kOverrideRise = 3,      // a junction rise over ambient, 0..175
};

// Entry ranges of the block.
inline constexpr double kThermalResistanceMax = 9999.0;  // Rjc, Rca, deg C/W
inline constexpr double kThermalRiseMax = 175.0;         // Tadj, Tca, Tja, deg C
inline constexpr double kMicrocircuitPdMax = 9999.0;     // Pd, W: IC, VLSI, MMIC
inline constexpr double kDiscretePdMax = 99999.0;        // Pd, W: transistors, diodes, opto

// The field descriptions of one class's block: its seven keywords with their
// ranges, and the keyword of its temperature override (no field of its own).
struct JunctionTempFields {
  FieldSpec mode, pd, rjc, rca, tadj, tca, tja;
  std::string_view temp;
};

struct JunctionTempKeywords {
  std::string_view mode, pd, rjc, rca, tadj, tca, tja, temp;
};

constexpr JunctionTempFields makeJunctionTempFields(const JunctionTempKeywords& k, double pdMax) {
  return JunctionTempFields{
      FieldSpec{k.mode, "Temperature Mode", FieldKind::Choice, 0, 0, 0, &kJunctionTempModes},
      FieldSpec{k.pd, "Power Dissipation (Pd)", FieldKind::Real, 0, pdMax, 0, nullptr, "W"},
      FieldSpec{k.rjc, "Thermal Resistance J-C (Rjc)", FieldKind::Real, 0, kThermalResistanceMax, 0, nullptr,
                "deg C/W"},
      FieldSpec{k.rca, "Thermal Resistance C-A (Rca)", FieldKind::Real, 0, kThermalResistanceMax, 0, nullptr,
                "deg C/W"},
      FieldSpec{k.tadj, "Temp Adjust (Tadj)", FieldKind::Real, 0, kThermalRiseMax, 0, nullptr, "deg C"},
      FieldSpec{k.tca, "Temp Rise C-A (Tca)", FieldKind::Real, 0, kThermalRiseMax, 0, nullptr, "deg C"},
      FieldSpec{k.tja, "Temp Rise J-A (Tja)", FieldKind::Real, 0, kThermalRiseMax, 0, nullptr, "deg C"},
      k.temp};
}

// The blocks of the seven classes that carry one.
inline constexpr JunctionTempFields kMicrocircuitThermalFields = makeJunctionTempFields(
    {"IC_TEMPMODE", "IC_PD", "IC_RJC", "IC_RCA", "IC_TADJ", "IC_TCA", "IC_TJA", "IC_TEMP"},
    kMicrocircuitPdMax);
inline constexpr JunctionTempFields kVlsiThermalFields = makeJunctionTempFields(
    {"VLSI_TEMPMODE", "VLSI_PD", "VLSI_RJC", "VLSI_RCA", "VLSI_TADJ", "VLSI_TCA", "VLSI_TJA", "VLSI_TEMP"},
    kMicrocircuitPdMax);
inline constexpr JunctionTempFields kMmicThermalFields = makeJunctionTempFields(
    {"MMIC_TEMPMODE", "MMIC_PD", "MMIC_RJC", "MMIC_RCA", "MMIC_TADJ", "MMIC_TCA", "MMIC_TJA", "MMIC_TEMP"},
    kMicrocircuitPdMax);
inline constexpr JunctionTempFields kTransistorThermalFields = makeJunctionTempFields(
    {"TR_TEMPMODE", "TR_PD", "TR_RJC", "TR_RCA", "TR_TADJ", "TR_TCA", "TR_TJA", "TR_TEMP"}, kDiscretePdMax);
inline constexpr JunctionTempFields kDiodeThermalFields = makeJunctionTempFields(
    {"DIO_TEMPMODE", "DIO_PD", "DIO_RJC", "DIO_RCA", "DIO_TADJ", "DIO_TCA", "DIO_TJA", "DIO_TEMP"},
    kDiscretePdMax);
inline constexpr JunctionTempFields kMicrowaveTransistorThermalFields = makeJunctionTempFields(
    {"MTR_TEMPMODE", "MTR_PD", "MTR_RJC", "MTR_RCA", "MTR_TADJ", "MTR_TCA", "MTR_TJA", "MTR_TEMP"},
    kDiscretePdMax);
inline constexpr JunctionTempFields kOptoThermalFields = makeJunctionTempFields(
    {"OPTO_TEMPMODE", "OPTO_PD", "OPTO_RJC", "OPTO_RCA", "OPTO_TADJ", "OPTO_TCA", "OPTO_TJA", "OPTO_TEMP"},
    kDiscretePdMax);

// Where the block's import messages go (the import run's operation log).
using JunctionTempLog = std::function<void(std::string_view line)>;

struct JunctionTemp {
  // The seven fields, in file order.
  std::uint8_t MODE = kTjFromResistances;  // temperature mode 1..3
  float PD = 0.0f;                         // power dissipation, W
  float RJC = 0.0f;                        // thermal resistance junction to case, deg C/W
  float RCA = 0.0f;                        // thermal resistance case to ambient, deg C/W
  float TADJ = 0.0f;                       // temperature adjustment, deg C
  float TCA = 0.0f;                        // temperature rise case to ambient, deg C
  float TJA = 0.0f;                        // temperature rise junction to ambient, deg C

  // The application parameters of another record's block: everything but
  // Rjc, which belongs to the device.
  void copyAppParams(const JunctionTemp& other);

  bool modeIsValid() const { return kJunctionTempModes.isValid(MODE); }

  // Tj from the ambient temperature `ambient` by the mode. The inputs the
  // mode names are limited to their entry ranges (ambient to -55..175); a
  // value outside sets EntryOverRange on `part`. A mode outside the list
  // gives Tj = ambient, also with EntryOverRange.
  double junctionTemperature(CPart& part, double ambient, const JunctionTempFields& fields) const;

  // The first step of a class's Calculate: clears the over flags, stores Tj
  // as the record's temperature T and sets OverTemp unless TEMPLIMIT >= Tj.
  // Returns Tj. The class then sets its stress S (-1 when it has none).
  double beginCalculation(CPart& part, const CCircHeader& header, const JunctionTempFields& fields) const;

  // The rise a "Default" surface-mount temperature-rise mode takes: Pd x Rjc
  // in modes 1 and 2 (not Pd x (Rjc + Rca)), Tja in mode 3, 0 for a mode
  // outside the list.
  double smtDefaultRise(CPart& part, const JunctionTempFields& fields) const;

  // The last step of a class's Calculate: the default rise and the
  // surface-mount step, or the SMT calculated flag cleared where the step
  // does not run (hybrid part, no SMT analysis, part not surface-mounted).
  void finishCalculation(CPart& part, CCircHeader& header, const JunctionTempFields& fields) const;

  // Reads the block from the current input record, `ambient` being the
  // target document's ambient temperature. A mapped temperature override
  // keyword sets the mode and Tca or Tja by its value-type option; an
  // option outside TJUNC/TCASE/TRISE fails the record. Returns false at
  // the first failed read. The override's own messages go to `log`, or
  // without one to the reader's log.
  bool importFields(KeywordReader& reader, const JunctionTempFields& fields, float ambient,
                    const JunctionTempLog& log = {});

  // The thermal line of the detail text, by the mode; empty for a mode
  // outside the list. At most 132 characters.
  std::string thermalLine(std::string_view prefix) const;

  // A stored mode outside the list sets EntryOverRange on `part`. The mode
  // is kept as stored (the calculation then takes Tj = ambient) rather than
  // moved to another formula that would read other thermal fields.
  void normalize(CPart& part) const;
};

// The block's seven fields in a class's table, in file order: mode (byte),
// then six floats (25 bytes), on the class's temperature page. A stored mode
// outside its list is kept as it is (normalize flags it).
template <auto Block>
StoredFields thermalInputs(const JunctionTempFields& f) {
  constexpr FieldPage kTemp = FieldPage::Temp;
  return {blockInput<Block, &JunctionTemp::MODE>(f.mode, kTemp).withClassList(),
          blockInput<Block, &JunctionTemp::PD>(f.pd, kTemp),
          blockInput<Block, &JunctionTemp::RJC>(f.rjc, kTemp),
          blockInput<Block, &JunctionTemp::RCA>(f.rca, kTemp),
          blockInput<Block, &JunctionTemp::TADJ>(f.tadj, kTemp),
          blockInput<Block, &JunctionTemp::TCA>(f.tca, kTemp),
          blockInput<Block, &JunctionTemp::TJA>(f.tja, kTemp)};
}

}  // namespace kestrel
