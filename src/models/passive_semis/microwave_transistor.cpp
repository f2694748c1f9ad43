#include "models/passive_semis/microwave_transistor.hpp"

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

const JunctionTempFields& kThermal = kMicrowaveTransistorThermalFields;

// Entry ranges. They are kept in single precision, as the fields are, so a
// stored value at either end of its range is inside it.
// Output power: a low-noise bipolar stays below 1 W.
constexpr float kLowPowerMin = 0.001f;
constexpr float kLowPowerMax = 0.9999f;
constexpr float kHighPowerMin = 0.1f;
constexpr float kHighPowerMax = 99999.0f;
constexpr float kDutyCycleMin = 0.001f;
constexpr float kDutyCycleMax = 100.0f;
constexpr float kFreqMin = 0.1f;
constexpr float kFreqMax = 99.9999f;

const FieldSpec kType{"MTR_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kMTransTypes};
const FieldSpec kMatch{"MTR_MATCH", "Matching", FieldKind::Choice, 0, 0, 0, &kMTransMatches};
const FieldSpec kQu{"MTR_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMTransQualities};
const FieldSpec kMetal{"MTR_METAL", "Metal", FieldKind::Choice, 0, 0, 0, &kMTransMetals};
const FieldSpec kApp{"MTR_APP", "Application", FieldKind::Choice, 0, 0, 0, &kMTransApps};
const FieldSpec kDc{"MTR_DC", "DutyCycle", FieldKind::Real, kDutyCycleMin, kDutyCycleMax, 0, nullptr, "%"};
const FieldSpec kFreq{"MTR_FREQ", "Frequency", FieldKind::Real, kFreqMin, kFreqMax, 0, nullptr, "GHz"};
const FieldSpec kLowPower{"MTR_POWER", "Power", FieldKind::Real, kLowPowerMin, kLowPowerMax, 0, nullptr, "W"};
const FieldSpec kHighPower{"MTR_POWER", "Power", FieldKind::Real, kHighPowerMin, kHighPowerMax, 0, nullptr, "W"};
const FieldSpec kVmax{"MTR_VMAX", "Max Rated Voltage (Vmax)", FieldKind::Real, 0.001, 99999, 0, nullptr, "V"};
// The upper bound of Vop is the record's Vmax.
const FieldSpec kVop{"MTR_VOP", "Operating Voltage (Vop)", FieldKind::Real, 0, 99999, 0, nullptr, "V"};
const FieldSpec kStressMode{"MTR_STRESSMODE",     "Voltage Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kMTransStressModes};
const FieldSpec kVStress{"MTR_VSTRESS", "Voltage Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};

const FieldSpec& powerField(std::uint8_t type) {
  return type == kMTransBipolarLoPower ? kLowPower : kHighPower;
}

constexpr double kInverse373 = 0.002680965147453083;  // 1/373 K

// ---- handbook sections 6.6 to 6.9 ----

// Base failure rate lambda_b (fpmh; 0 where a formula gives it) and Ea/k (K)
// of pi_T = exp(-Ea/k x (1/(Tj + 273) - 1/298)), by type. The high-power
// bipolar's pi_T has its own form below.
struct TypeModel {
  double baseRate;
  double eaOverK;
};
constexpr std::array<TypeModel, 7> kTypeModels = {{
    {0.0, 0.0},
    {0.18, 2114.0},   // 6.6 low-noise bipolar
    {0.0, 0.0},       // 6.7 high-power bipolar: lambda_b and pi_T below
    {0.0, 4485.0},    // 6.8 GaAs FET, average output power >= 100 mW: lambda_b below
    {0.052, 4485.0},  // 6.8 GaAs FET, below 100 mW
    {0.060, 1925.0},  // 6.9 silicon MOSFET
    {0.023, 1925.0},  // 6.9 silicon JFET
}};

// 6.6 power rating factor pi_R: Pr <= 0.1 W: 0.43; above: Pr^0.37. The bound
// is the stored (single precision) 0.1, so an entry of 0.1 W is on it.
constexpr double kSmallPowerRating = static_cast<double>(0.1f);
constexpr double kSmallPowerFactor = 0.43;
constexpr double kPowerRatingExponent = 0.37;
// 6.6 voltage stress factor pi_S = 0.045 x exp(3.1 x Vs), Vs = Vce/Vceo.
constexpr double kStressScale = 0.045;
constexpr double kStressExponent = 3.1;

// 6.7 lambda_b = 0.032 x exp(0.354 x F + 0.00558 x P), F in GHz, P in W.
constexpr double kHiPowerBipolarScale = 0.032;
constexpr double kHiPowerBipolarFreq = 0.354;
constexpr double kHiPowerBipolarPower = 0.00558;
// 6.8 lambda_b = 0.0093 x exp(0.429 x F + 0.486 x P).
constexpr double kGaAsScale = 0.0093;
constexpr double kGaAsFreq = 0.429;
constexpr double kGaAsPower = 0.486;

// 6.7 pi_T by metallization, E = exp(-K x (1/(Tj + 273) - 1/373)):
// Vs <= 0.40: low x E; 0.40 < Vs <= 0.55: slope x (Vs - 0.35) x E.
struct MetalModel {
  double eaOverK;
  double low;
  double slope;
};
constexpr std::array<MetalModel, 3> kMetalModels = {{
    {0.0, 0.0, 0.0},
    {2903.0, 0.1, 2.0},    // gold
    {5794.0, 0.38, 7.55},  // aluminum
}};
constexpr double kStressKneePercent = 40.0;  // Vs = 0.40
constexpr double kStressKneeOffset = 0.35;
constexpr double kHiPowerStressTop = 55.0;  // Vs = 0.55: upper end of the 6.7 model

// 6.7 application factor pi_A: CW 7.6; pulsed 0.06 x duty cycle (%) + 0.40.
constexpr double kHiPowerBipolarCw = 7.6;
constexpr double kPulsedSlope = 0.06;
constexpr double kPulsedOffset = 0.4;
// 6.8 application factor pi_A (high power): CW 4.0, pulsed 1.0.
constexpr std::array<double, 3> kGaAsApplicationFactor = {0.0, 4.0, 1.0};

// 6.7 and 6.8 matching network factor pi_M: input and output, input only, none.
constexpr std::array<double, 4> kMatchingFactor = {0.0, 1.0, 2.0, 4.0};

// Quality factor pi_Q, JANTXV, JANTX, JAN, Lower (6.6 to 6.9 pi_Q).
constexpr std::array<double, 5> kQualityFactor = {0.0, 0.5, 1.0, 2.0, 5.0};

// Environment factor pi_E, GB..CL (6.6 to 6.9 pi_E).
constexpr EnvTable kEnvironmentFactor = {0.0, 1.0,  2.0,  5.0, 4.0, 11.0, 4.0,  5.0,
                                         7.0, 12.0, 16.0, 0.5, 9.0, 24.0, 250.0};

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&CMTrans::TYPE>(kType),
    input<&CMTrans::MATCH>(kMatch),
    input<&CMTrans::METAL>(kMetal),
    input<&CMTrans::APP>(kApp),
    input<&CMTrans::DC>(kDc),
    input<&CMTrans::QU>(kQu),
    input<&CMTrans::FREQ>(kFreq),
    input<&CMTrans::POWER>(kHighPower),
    input<&CMTrans::VMAX>(kVmax),
    input<&CMTrans::VOP>(kVop),
    input<&CMTrans::STRESSMODE>(kStressMode),
    input<&CMTrans::VSTRESS>(kVStress),
    }, thermalInputs<&CMTrans::thermal>(kThermal), StoredFields{
    kept<&CMTrans::LB>(),
    kept<&CMTrans::PIT>(),
    kept<&CMTrans::PIA>(),
    kept<&CMTrans::PIR>(),
    kept<&CMTrans::PIS>(),
    kept<&CMTrans::PIM>(),
    kept<&CMTrans::PIQ>(),
    kept<&CMTrans::PIE>(),
});

}  // namespace

const ClassRecord CMTrans::kClass = makeClassRecord<CMTrans>("CMTrans");

std::span<const StoredField> CMTrans::storedFields() const { return kStored; }

std::vector<NamedFactor> CMTrans::factors() const {
  if (kMTransTypes.clamp(TYPE) == kMTransBipolarLoPower) {
    return {{"LB", LB}, {"PIT", PIT}, {"PIR", PIR}, {"PIS", PIS}, {"PIQ", PIQ}, {"PIE", PIE}};
  }
  return {{"LB", LB}, {"PIT", PIT}, {"PIA", PIA}, {"PIM", PIM}, {"PIQ", PIQ}, {"PIE", PIE}};
}

std::string CMTrans::GetTypeName() const {
  return isHybridPart() ? "MicrowaveTransistor(Hyb)" : "MicrowaveTransistor";
}

void CMTrans::paramPage(FieldVisitor& f) {
  f.choice(kType, TYPE, true);
  const std::uint8_t type = kMTransTypes.clamp(TYPE);
  f.choice(kMatch, MATCH, hasMatching(type));
  f.choice(kQu, QU, !isHybridPart());  // a hybrid part takes its quality from the package
  f.choice(kMetal, METAL, type == kMTransBipolarHiPower);
  f.choice(kApp, APP, hasApplication(type));
  f.number(kDc, DC, usesDutyCycle());
  f.number(kFreq, FREQ, hasApplication(type));
  f.number(powerField(type), POWER, usesPower(type));
  f.number(kVmax, VMAX, isBipolar(type));
  FieldSpec vop = kVop;
  vop.hi = VMAX;
  f.number(vop, VOP, isBipolar(type));
  f.choice(kStressMode, STRESSMODE, isBipolar(type));
  // In the computed mode the stress is not an entry: it shows Vop / Vmax.
  if (isBipolar(type) && !isManualStress()) VSTRESS = stressPercent(VOP, VMAX);
  f.number(kVStress, VSTRESS, isBipolar(type) && isManualStress());
}

void CMTrans::normalizeChoices() {
  CPart::normalizeChoices();
  thermal.normalize(*this);
}

void CMTrans::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  const std::uint8_t type = checkChoice(TYPE, kMTransTypes);
  const TypeModel& model = tableAt(kTypeModels, type);

  double stress = 0.0;
  if (isBipolar(type)) {
    stress = limitToRange(VSTRESS, 0.0, 100.0);
    S = static_cast<float>(stress);
    if (S > STRESSLIMIT) OverFlags |= OverStress;
    if (type == kMTransBipolarHiPower && stress > kHiPowerStressTop) OverFlags |= EntryOverRange;
  } else {
    S = -1.0f;  // no stress figure for the FETs
  }

  double lb = model.baseRate;
  double pit = arrheniusFactor(model.eaOverK, tj);
  double pir = 1.0;
  double pis = 1.0;
  double pia = 1.0;  // a hybrid part: the package supplies application, quality and environment
  double pim = 1.0;
  double piq = 1.0;
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kMTransQualities));
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  if (hasMatching(type)) pim = tableAt(kMatchingFactor, checkChoice(MATCH, kMTransMatches));

  switch (type) {
    case kMTransBipolarLoPower: {
      const double p = limitToRange(POWER, kLowPowerMin, kLowPowerMax);
      pir = p <= kSmallPowerRating ? kSmallPowerFactor : std::pow(p, kPowerRatingExponent);
      pis = kStressScale * std::exp(kStressExponent * stress * 0.01);
      break;
    }
    case kMTransBipolarHiPower: {
      const double freq = limitToRange(FREQ, kFreqMin, kFreqMax);
      const double p = limitToRange(POWER, kHighPowerMin, kHighPowerMax);
      lb = kHiPowerBipolarScale * std::exp(kHiPowerBipolarFreq * freq + kHiPowerBipolarPower * p);
      const MetalModel& metal = tableAt(kMetalModels, checkChoice(METAL, kMTransMetals));
      const double e = arrheniusFactor(metal.eaOverK, tj, kInverse373);
      pit = stress <= kStressKneePercent ? metal.low * e : metal.slope * (stress * 0.01 - kStressKneeOffset) * e;
      if (!isHybridPart()) {
        if (checkChoice(APP, kMTransApps) == kMTransPulsed) {
          pia = kPulsedSlope * limitToRange(DC, kDutyCycleMin, kDutyCycleMax) + kPulsedOffset;
        } else {
          pia = kHiPowerBipolarCw;
        }
      }
      break;
    }
    case kMTransGaAsHiPower: {
      const double freq = limitToRange(FREQ, kFreqMin, kFreqMax);
      const double p = limitToRange(POWER, kHighPowerMin, kHighPowerMax);
      lb = kGaAsScale * std::exp(kGaAsFreq * freq + kGaAsPower * p);
      if (!isHybridPart()) pia = tableAt(kGaAsApplicationFactor, checkChoice(APP, kMTransApps));
      break;
    }
    default:
      break;  // GaAs low power, silicon FETs: lambda_b and pi_T from the table
  }
  const double cf = correctionFactor();

  // The 6.7 and 6.8 base rates grow exponentially with power: a rate past
  // what a stored float holds is kept at the largest one, flagged.
  const double fr = lb * pit * pia * pir * pis * pim * piq * pie * cf;
  LB = storedRate(lb);
  PIT = static_cast<float>(pit);
  PIA = static_cast<float>(pia);
  PIR = static_cast<float>(pir);
  PIS = static_cast<float>(pis);
  PIM = static_cast<float>(pim);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = storedRate(fr);

  thermal.finishCalculation(*this, header, kThermal);
}

void CMTrans::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kMTransQualities.count()), settings);
  }
  if (isBipolar(TYPE)) applyStressChange(StressSubject{VSTRESS, &STRESSMODE, VMAX, VOP}, 0.0, 100.0, settings);
}

bool CMTrans::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void CMTrans::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CMTrans&>(other);
  // This record keeps its type, matching, metallization, application,
  // quality and rating; the operating voltage it takes cannot exceed it.
  DC = o.DC;
  FREQ = o.FREQ;
  if (TYPE == kMTransBipolarHiPower || TYPE == kMTransGaAsHiPower) POWER = o.POWER;
  VOP = o.VOP < VMAX ? o.VOP : VMAX;
  STRESSMODE = o.STRESSMODE;
  VSTRESS = isManualStress() ? o.VSTRESS : stressPercent(VOP, VMAX);
  thermal.copyAppParams(o.thermal);
}

void CMTrans::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::uint8_t type = kMTransTypes.clamp(TYPE);
  const std::string match = hasMatching(type) ? storedChoiceText(kMTransMatches, MATCH) : std::string();
  const std::string metal = type == kMTransBipolarHiPower ? storedChoiceText(kMTransMetals, METAL) : std::string();
  const std::string app = hasApplication(type) ? storedChoiceText(kMTransApps, APP) : std::string();
  const bool pulsed = type == kMTransBipolarHiPower && kMTransApps.clamp(APP) == kMTransPulsed;
  const std::string dc = pulsed ? strprintf("DC:%s%%", formatNumber(DC, 5, 2).c_str()) : std::string();
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kMTransQualities, QU).c_str());
  const std::string freq =
      hasApplication(type) ? strprintf("%sGHz", formatNumber(FREQ, 5, 2).c_str()) : std::string();
  const std::string power = usesPower(type) ? strprintf("%sW", formatNumber(POWER, 7, 4).c_str()) : std::string();
  line1 = lineprintf("%s%-14s %-6s %-8s %-6s %-9s %-9s %-8s %-8s", pre.c_str(), storedChoiceText(kMTransTypes, type).c_str(),
                     match.c_str(), metal.c_str(), app.c_str(), dc.c_str(), quality.c_str(), freq.c_str(),
                     power.c_str());

  const std::string thermalText = thermal.thermalLine(prefix);
  std::string vstr;
  if (isBipolar(type)) {
    vstr = isManualStress() ? strprintf("  Vstr:%s%%(Manual)", formatNumber(VSTRESS, 5, 2).c_str())
                            : strprintf("  Vstr:%s%%(%sV/%sV)", formatNumber(VSTRESS, 5, 2).c_str(),
                                        formatNumber(VOP, 7, 4).c_str(), formatNumber(VMAX, 7, 4).c_str());
  }
  line2 = lineprintf("%s%s", thermalText.c_str(), vstr.c_str());
}

void CMTrans::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::uint8_t type = kMTransTypes.clamp(TYPE);
  const std::string lb = formatNumber(LB, 8, 6);
  const std::string pit = formatNumber(PIT, 8, 6);
  const std::string piq = formatNumber(PIQ, 5, 2);
  const std::string pie = formatNumber(PIE, 5, 2);
  const std::string cf = formatNumber(CF, 8, 6);
  if (type == kMTransBipolarLoPower) {
    line1 = lineprintf("%sFR=    LB    *   PIT    *   PIR    *   PIS    *  PIQ  *  PIE  *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-8s   %-8s   %-8s   %-5s   %-5s   %-8s", pre.c_str(), lb.c_str(), pit.c_str(),
                       formatNumber(PIR, 8, 6).c_str(), formatNumber(PIS, 8, 6).c_str(), piq.c_str(), pie.c_str(),
                       cf.c_str());
  } else if (type == kMTransBipolarHiPower) {
    line1 = lineprintf("%sFR=    LB    *   PIT    *   PIA    * PIM *  PIQ  *  PIE  *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-8s   %-8s   %-3s   %-5s   %-5s   %-8s", pre.c_str(), lb.c_str(), pit.c_str(),
                       formatNumber(PIA, 8, 6).c_str(), formatNumber(PIM, 3, 1).c_str(), piq.c_str(), pie.c_str(),
                       cf.c_str());
  } else {
    line1 = lineprintf("%sFR=    LB    *   PIT    * PIA * PIM *  PIQ  *  PIE  *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-8s   %-3s   %-3s   %-5s   %-5s   %-8s", pre.c_str(), lb.c_str(), pit.c_str(),
                       formatNumber(PIA, 3, 1).c_str(), formatNumber(PIM, 3, 1).c_str(), piq.c_str(), pie.c_str(),
                       cf.c_str());
  }
}


}  // namespace kestrel
