#include "models/passive_semis/potentiometer.hpp"

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

const FieldSpec kType{"POT_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kPotentiometerStyles};
const FieldSpec kRes{"POT_RES", "Resistance", FieldKind::Real, 0, 9999999};
const FieldSpec kResUnit{"POT_RESUNIT", "Unit", FieldKind::Choice, 0, 0, 0, &kResistanceUnits, {}, false, "POT_RES"};
const FieldSpec kQu{"POT_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kResistorQualities};
const FieldSpec kPmax{"POT_PMAX", "Max Rated Power (Pmax)", FieldKind::Real, 0.01, 999999, 0, nullptr, "W"};
// The upper bound of Pd is the record's Pmax; readers and pages pass it.
const FieldSpec kPd{"POT_PD", "Power Dissipation (Pd)", FieldKind::Real, 0, 999999, 0, nullptr, "W"};
const FieldSpec kStressMode{"POT_STRESSMODE", "Power Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kPowerStressModes};
const FieldSpec kPStress{"POT_PSTRESS", "Power Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};
const FieldSpec kTRise{"POT_TRISE", "Temp Rise", FieldKind::Real, 0, 150, 0, nullptr, "deg C"};

const CResistiveRecord::Fields kFields{kType, kRes, kResUnit, kQu, kPmax, kPd, kStressMode, kPStress, kTRise};
const StoredFields kStored = CResistiveRecord::storedFieldsOf(kFields);

// ---- handbook section 9.1, variable resistors ----

// Base failure rate lambda_b (fpmh) and pi_T column by style; every
// potentiometer style has a temperature column and uses stress curve 1.
struct StyleModel {
  double baseRate;
  std::uint8_t tempColumn;
};

constexpr std::array<StyleModel, 12> kStyleModels = {{
    {0.0, 0},     // (empty)
    {0.0024, 2},  // RTR  wirewound lead screw, ER
    {0.0024, 2},  // RT   wirewound lead screw
    {0.0024, 2},  // RR   wirewound precision
    {0.0024, 1},  // RA   wirewound low operating temperature
    {0.0024, 1},  // RK   wirewound semi-precision
    {0.0024, 2},  // RP   wirewound power
    {0.0037, 2},  // RJR  non-wirewound, ER
    {0.0037, 2},  // RJ   non-wirewound
    {0.0037, 2},  // RV   composition
    {0.0037, 1},  // RQ   non-wirewound precision
    {0.0037, 1},  // RVC  non-wirewound
}};

// Temperature factor pi_T = exp(-(Ea/k) x (1/(T + 273) - 1/298)); activation
// energy Ea (eV) by column: 1 0.2 eV, 2 0.08 eV.
constexpr std::array<double, 3> kActivationEnergy = {0.0, 0.2, 0.08};
// Element temperatures an entry can give: ambient -55..175 plus a rise of
// 0..150. A stored value outside (or not a number) is limited to it.
constexpr double kLowestTemp = -55.0;
constexpr double kHighestTemp = 325.0;

// Power stress factor, curve 1: 0.71 x exp(1.1 x S), S = stress percent x 0.01.
constexpr double kStressScale = 0.71;
constexpr double kStressExponent = 1.1;

// Power factor pi_P = Pmax ^ 0.39, from the rated power.
constexpr double kPowerExponent = 0.39;

// Quality factor pi_Q by quality S, R, P, M (ER), Non-ER, Commercial.
constexpr std::array<double, 7> kQualityFactor = {0.0, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  4.0,  16.0, 12.0, 42.0, 18.0,  23.0,
                                         31.0, 43.0, 63.0, 0.5,  37.0, 87.0, 1728.0};

}  // namespace

CPotentiometer::CPotentiometer() : CResistiveRecord(kFields, kStored, 8) {}  // style RJ

const ClassRecord CPotentiometer::kClass = makeClassRecord<CPotentiometer>("CPotentiometer");

std::string CPotentiometer::GetTypeName() const {
  return isHybridPart() ? "Potentiometer(Hyb)" : "Potentiometer";
}

void CPotentiometer::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const StyleModel& style = tableAt(kStyleModels, checkChoice(TYPE, kPotentiometerStyles));

  const double t = limitToRange(static_cast<double>(header.TEMP) + static_cast<double>(TRISE), kLowestTemp,
                                kHighestTemp);
  T = static_cast<float>(t);
  const double stress = limitToRange(PSTRESS, 0.0, 100.0);
  S = static_cast<float>(stress);
  flagLimits();

  const double lb = style.baseRate;
  const double pit = arrheniusFactorEv(tableAt(kActivationEnergy, style.tempColumn), t);
  const double pip = std::pow(limitToRange(PMAX, 0.01, 999999.0), kPowerExponent);
  const double pis = kStressScale * std::exp(kStressExponent * stress * 0.01);
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
