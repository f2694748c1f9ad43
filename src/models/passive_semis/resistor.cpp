#include "models/passive_semis/resistor.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/arrhenius.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"RES_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kResistorStyles};
const FieldSpec kRes{"RES_RES", "Resistance", FieldKind::Real, 0, 9999999};
const FieldSpec kResUnit{"RES_RESUNIT", "Unit", FieldKind::Choice, 0, 0, 0, &kResistanceUnits, {}, false, "RES_RES"};
const FieldSpec kQu{"RES_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kResistorQualities};
const FieldSpec kPmax{"RES_PMAX", "Max Rated Power (Pmax)", FieldKind::Real, 0.01, 999999, 0, nullptr, "W"};
// The upper bound of Pd is the record's Pmax; readers and pages pass it.
const FieldSpec kPd{"RES_PD", "Power Dissipation (Pd)", FieldKind::Real, 0, 999999, 0, nullptr, "W"};
const FieldSpec kStressMode{"RES_STRESSMODE",  "Power Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kPowerStressModes};
const FieldSpec kPStress{"RES_PSTRESS", "Power Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};
const FieldSpec kTRise{"RES_TRISE", "Temp Rise", FieldKind::Real, 0, 150, 0, nullptr, "deg C"};

const CResistiveRecord::Fields kFields{kType, kRes, kResUnit, kQu, kPmax, kPd, kStressMode, kPStress, kTRise};
const StoredFields kStored = CResistiveRecord::storedFieldsOf(kFields);

// ---- handbook section 9.1, fixed resistors ----

// What each style takes from the model: base failure rate lambda_b (fpmh),
// the pi_T column (0: no temperature factor) and the pi_S curve (0: none).
struct StyleModel {
  double baseRate;
  std::uint8_t tempColumn;
  std::uint8_t stressCurve;
};

// Base failure rate by style, with the notes to the pi_T and pi_S tables
// saying which column and curve each style uses.
constexpr std::array<StyleModel, 17> kStyleModels = {{
    {0.0, 0, 0},     // (empty)
    {0.0017, 1, 2},  // RCR  carbon composition, ER
    {0.0017, 1, 2},  // RC   carbon composition
    {0.0037, 2, 1},  // RLR  film, ER
    {0.0037, 2, 1},  // RL   film
    {0.0037, 2, 1},  // RNR/RNC/RNN precision film, ER
    {0.0037, 2, 1},  // RN   precision film
    {0.0037, 2, 1},  // RM   chip film
    {0.0037, 0, 1},  // RD   power film: no temperature factor
    {0.0019, 1, 0},  // RZ   film network: no stress factor
    {0.0024, 2, 1},  // RBR  precision wirewound, ER
    {0.0024, 2, 1},  // RB   precision wirewound
    {0.0024, 2, 2},  // RWR  power wirewound, ER
    {0.0024, 2, 2},  // RW   power wirewound
    {0.0024, 2, 2},  // RER  chassis-mount wirewound, ER
    {0.0024, 2, 2},  // RE   chassis-mount wirewound
    {0.0019, 0, 0},  // RTH  thermistor: neither factor
}};

// Temperature factor pi_T = exp(-(Ea/k) x (1/(T + 273) - 1/298)), T the
// resistor body temperature; activation energy Ea (eV) by column.
constexpr std::array<double, 3> kActivationEnergy = {0.0, 0.2, 0.08};
// Body temperatures an entry can give: ambient -55..175 plus a rise of
// 0..150. A stored value outside (or not a number) is limited to it.
constexpr double kLowestBodyTemp = -55.0;
constexpr double kHighestBodyTemp = 325.0;

double temperatureFactor(std::uint8_t column, double t) {
  if (column == 0) return 1.0;
  return arrheniusFactorEv(tableAt(kActivationEnergy, column), t);
}

// Power stress factor, S = stress percent x 0.01:
// curve 1: 0.71 x exp(1.1 x S); curve 2: 0.54 x exp(2.04 x S).
struct StressCurve {
  double scale;
  double exponent;
};
constexpr std::array<StressCurve, 3> kStressCurves = {{{1.0, 0.0}, {0.71, 1.1}, {0.54, 2.04}}};

double stressFactor(std::uint8_t curve, double stressPercent) {
  if (curve == 0) return 1.0;
  const StressCurve& c = tableAt(kStressCurves, curve);
  return c.scale * std::exp(c.exponent * stressPercent * 0.01);
}

// Power factor pi_P = Pmax ^ 0.39, from the rated power.
constexpr double kPowerExponent = 0.39;

// Quality factor pi_Q by quality S, R, P, M (ER), Non-ER, Commercial.
constexpr std::array<double, 7> kQualityFactor = {0.0, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  4.0,  16.0, 12.0, 42.0, 18.0,  23.0,
                                         31.0, 43.0, 63.0, 0.5,  37.0, 87.0, 1728.0};

}  // namespace

CResistor::CResistor() : CResistiveRecord(kFields, kStored, 2) {}  // style RC

const ClassRecord CResistor::kClass = makeClassRecord<CResistor>("CResistor");

std::string CResistor::GetTypeName() const {
  return isHybridPart() ? "Resistor(Hyb)" : "Resistor";
}

void CResistor::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const StyleModel& style = tableAt(kStyleModels, checkChoice(TYPE, kResistorStyles));

  // Body temperature: ambient plus the resistor's own rise.
  const double t = limitToRange(static_cast<double>(header.TEMP) + static_cast<double>(TRISE), kLowestBodyTemp,
                           kHighestBodyTemp);
  T = static_cast<float>(t);
  const double stress = limitToRange(PSTRESS, 0.0, 100.0);
  S = static_cast<float>(stress);
  flagLimits();

  const double lb = style.baseRate;
  const double pit = temperatureFactor(style.tempColumn, t);
  const double pip = std::pow(limitToRange(PMAX, 0.01, 999999.0), kPowerExponent);
  const double pis = stressFactor(style.stressCurve, stress);
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kResistorQualities));
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIP = static_cast<float>(pip);
  PIS = static_cast<float>(pis);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pip * cf * pis * lb * piq * pie * pit);

  finishSurfaceMount(header, TRISE);
}

}  // namespace kestrel
