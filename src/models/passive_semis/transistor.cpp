#include "models/passive_semis/transistor.hpp"

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

const JunctionTempFields& kThermal = kTransistorThermalFields;

const FieldSpec kType{"TR_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kTransistorTypes};
// The list of the application field is the current type's; pages and
// readers put it in.
const FieldSpec kApp{"TR_APP", "Application", FieldKind::Choice, 0, 0, 0, &kFetApplications};
const FieldSpec kQu{"TR_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kTransistorQualities};
const FieldSpec kPmax{"TR_PMAX", "Prating", FieldKind::Real, 0.001, 99999, 0, nullptr, "W"};
const FieldSpec kVceo{"TR_VCEO", "Max Rated Voltage (Vceo)", FieldKind::Real, 0.001, 99999, 0, nullptr, "V"};
// The upper bound of Vce is the record's Vceo.
const FieldSpec kVce{"TR_VCE", "Operating Voltage (Vce)", FieldKind::Real, 0, 99999, 0, nullptr, "V"};
const FieldSpec kStressMode{"TR_STRESSMODE",        "Voltage Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kTransistorStressModes};
const FieldSpec kVStress{"TR_VSTRESS", "Voltage Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};

constexpr std::uint8_t kManualStress = 2;

bool bipolar(std::uint8_t type) {
  return type == kTransistorNpn || type == kTransistorPnp;
}
bool fet(std::uint8_t type) {
  return type == kTransistorMosfet || type == kTransistorJfet;
}

const ChoiceList& applicationsOf(std::uint8_t type) {
  if (bipolar(type)) return kBipolarApplications;
  if (fet(type)) return kFetApplications;
  return kNoTransistorApplications;
}

// ---- handbook sections 6.3, 6.4 and 6.5 ----

// Base failure rate lambda_b (fpmh) and the temperature constant Ea/k (K)
// of pi_T = exp(-Ea/k x (1/(Tj + 273) - 1/298)), by type.
struct TypeModel {
  double baseRate;
  double eaOverK;
};
constexpr std::array<TypeModel, 6> kTypeModels = {{
    {0.0, 0.0},
    {0.00074, 2114.0},  // NPN     6.3 bipolar
    {0.00074, 2114.0},  // PNP     6.3 bipolar
    {0.012, 1925.0},    // MOSFET  6.4 silicon FET
    {0.0045, 1925.0},   // JFET    6.4 silicon FET
    {0.0083, 2483.0},   // UJT     6.5 unijunction
}};

// Application factor pi_A by application: linear amplification, switching
// (6.3 and 6.4 pi_A tables).
constexpr std::array<double, 3> kApplicationFactor = {0.0, 1.5, 0.7};

// FET power application (6.4 pi_A): by the power rating Pr, below each bound.
struct PowerStep {
  double below;
  double factor;
};
constexpr std::array<PowerStep, 3> kFetPowerSteps = {{{5.0, 2.0}, {50.0, 4.0}, {250.0, 8.0}}};
constexpr double kFetPowerTop = 10.0;  // Pr >= 250 W

double fetPowerFactor(double pr) {
  for (const PowerStep& step : kFetPowerSteps) {
    if (pr < step.below) return step.factor;
  }
  return kFetPowerTop;
}

// Power rating factor pi_R, bipolar (6.3): Pr <= 0.1 W: 0.43; above: Pr^0.37.
// The bound is the stored (single precision) 0.1, so an entry of 0.1 W is on it.
constexpr double kSmallPowerRating = static_cast<double>(0.1f);
constexpr double kSmallPowerFactor = 0.43;
constexpr double kPowerRatingExponent = 0.37;

// Voltage stress factor pi_S, bipolar (6.3): 0.045 x exp(3.1 x Vs), Vs = Vce/Vceo.
constexpr double kStressScale = 0.045;
constexpr double kStressExponent = 3.1;

// Quality factor pi_Q, JANTXV, JANTX, JAN, Lower, Plastic (6.3, 6.4, 6.5 pi_Q).
constexpr std::array<double, 6> kQualityFactor = {0.0, 0.7, 1.0, 2.4, 5.5, 8.0};

// Environment factor pi_E, GB..CL (6.3, 6.4, 6.5 pi_E).
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  6.0,  9.0, 9.0,  19.0, 13.0, 29.0,
                                         20.0, 43.0, 24.0, 0.5, 14.0, 32.0, 320.0};

// Power ratings an entry can hold.
constexpr double kLowestRating = 0.001;
constexpr double kHighestRating = 99999.0;

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&CTransistor::TYPE>(kType),
    input<&CTransistor::APP>(kApp).withClassList(),
    input<&CTransistor::QU>(kQu).fromPackageInHybrid(),
    input<&CTransistor::PMAX>(kPmax),
    input<&CTransistor::VCEO>(kVceo),
    input<&CTransistor::VCE>(kVce),
    input<&CTransistor::STRESSMODE>(kStressMode),
    input<&CTransistor::VSTRESS>(kVStress),
    }, thermalInputs<&CTransistor::thermal>(kThermal), StoredFields{
    result<&CTransistor::LB>("LB"),
    result<&CTransistor::PIT>("PIT"),
    result<&CTransistor::PIA>("PIA"),
    result<&CTransistor::PIR>("PIR"),
    result<&CTransistor::PIS>("PIS"),
    result<&CTransistor::PIQ>("PIQ"),
    result<&CTransistor::PIE>("PIE"),
});

}  // namespace

const ClassRecord CTransistor::kClass = makeClassRecord<CTransistor>("CTransistor");

const ChoiceList& CTransistor::applications() const {
  return applicationsOf(kTransistorTypes.clamp(TYPE));
}

std::span<const StoredField> CTransistor::storedFields() const { return kStored; }

void CTransistor::shapeInput(ShownInput& input) {
  if (input.is(kApp)) {
    input.shown.choices = &applications();
    input.applies = hasApplication();
  } else if (input.is(kPmax)) {
    input.applies = usesPowerRating();
  } else if (input.is(kVceo) || input.is(kStressMode)) {
    input.applies = isBipolar();
  } else if (input.is(kVce)) {
    input.shown.hi = VCEO;
    input.applies = isBipolar();
  } else if (input.is(kVStress)) {
    // In the computed mode the stress is not an entry: it shows Vce / Vceo.
    if (isBipolar() && !isManualStress()) VSTRESS = stressPercent(VCE, VCEO);
    input.applies = isBipolar() && isManualStress();
  }
}

std::string CTransistor::GetTypeName() const {
  return isHybridPart() ? "Transistor(Hyb)" : "Transistor";
}

void CTransistor::normalizeChoices() {
  CPart::normalizeChoices();
  if (hasApplication()) checkChoice(APP, applications());
  thermal.normalize(*this);
}

void CTransistor::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  const std::uint8_t type = checkChoice(TYPE, kTransistorTypes);
  const TypeModel& model = tableAt(kTypeModels, type);

  double pis = 1.0;
  if (bipolar(type)) {
    const double stress = limitToRange(VSTRESS, 0.0, 100.0);
    S = static_cast<float>(stress);
    if (S > STRESSLIMIT) OverFlags |= OverStress;
    pis = kStressScale * std::exp(kStressExponent * stress * 0.01);
  } else {
    S = -1.0f;  // no stress figure for FETs and unijunctions
  }

  const double lb = model.baseRate;
  const double pit = arrheniusFactor(model.eaOverK, tj);

  double pir = 1.0;
  if (bipolar(type)) {
    const double pr = limitToRange(PMAX, kLowestRating, kHighestRating);
    pir = pr <= kSmallPowerRating ? kSmallPowerFactor : std::pow(pr, kPowerRatingExponent);
  }

  double pia = 1.0;  // unijunctions, and every hybrid part (the package supplies it)
  double piq = 1.0;
  double pie = 1.0;
  if (!isHybridPart()) {
    if (bipolar(type) || fet(type)) {
      const std::uint8_t app = checkChoice(APP, applicationsOf(type));
      pia = app == kTransistorPowerApp ? fetPowerFactor(limitToRange(PMAX, kLowestRating, kHighestRating))
                                       : tableAt(kApplicationFactor, app);
    }
    piq = tableAt(kQualityFactor, checkChoice(QU, kTransistorQualities));
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIA = static_cast<float>(pia);
  PIR = static_cast<float>(pir);
  PIS = static_cast<float>(pis);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pia * cf * lb * pit * pie * pir * pis * piq);

  thermal.finishCalculation(*this, header, kThermal);
}

void CTransistor::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kTransistorQualities.count()), settings);
  }
  if (isBipolar()) applyStressChange(StressSubject{VSTRESS, &STRESSMODE, VCEO, VCE}, 0.0, 100.0, settings);
}

bool CTransistor::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void CTransistor::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CTransistor&>(other);
  // This record keeps its type, application, quality and ratings; the
  // operating voltage it takes cannot exceed its own rating.
  VCE = o.VCE < VCEO ? o.VCE : VCEO;
  STRESSMODE = o.STRESSMODE;
  VSTRESS = isManualStress() ? o.VSTRESS : stressPercent(VCE, VCEO);
  thermal.copyAppParams(o.thermal);
}

void CTransistor::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::uint8_t type = kTransistorTypes.clamp(TYPE);
  const std::string typeText = storedChoiceText(kTransistorTypes, type);
  const std::string app = bipolar(type) || fet(type) ? storedChoiceText(applicationsOf(type), APP) : std::string();
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kTransistorQualities, QU).c_str());
  const bool rating = bipolar(type) || (fet(type) && applicationsOf(type).clamp(APP) == kTransistorPowerApp);
  const std::string pr = rating ? strprintf("Pr:%sW", formatNumber(PMAX, 7, 4).c_str()) : std::string();
  std::string vceo, vce, vstr;
  if (bipolar(type)) {
    vceo = strprintf("Vceo:%sV", formatNumber(VCEO, 7, 4).c_str());
    vce = strprintf("Vce:%sV", formatNumber(VCE, 7, 4).c_str());
    vstr = strprintf("Vstr:%s%%(%s)", formatNumber(VSTRESS, 5, 2).c_str(),
                     storedChoiceText(kTransistorStressModes, STRESSMODE).c_str());
  }
  line1 = lineprintf("%s%-6s %-9s %-10s %-11s %-13s %-12s %-26s", pre.c_str(), typeText.c_str(), app.c_str(),
                     quality.c_str(), pr.c_str(), vceo.c_str(), vce.c_str(), vstr.c_str());
  line2 = thermal.thermalLine(prefix);
}

void CTransistor::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *   PIT    *  PIA  *   PIR    *   PIS    *  PIQ  *  PIE  *   PICF  ",
                     pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-5s   %-8s   %-8s   %-5s   %-5s   %-8s", pre.c_str(),
                     formatNumber(LB, 8, 6).c_str(), formatNumber(PIT, 8, 6).c_str(),
                     formatNumber(PIA, 5, 2).c_str(), formatNumber(PIR, 8, 6).c_str(),
                     formatNumber(PIS, 8, 6).c_str(), formatNumber(PIQ, 5, 2).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
