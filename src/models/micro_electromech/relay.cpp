#include "models/micro_electromech/relay.hpp"

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
#include "models/micro_electromech/contact_load.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"RELAY_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kRelayTypes};
// The construction and quality lists follow the type: readers and pages
// pass the type's list.
const FieldSpec kConstr{"RELAY_CONSTR", "Construction", FieldKind::Choice};
const FieldSpec kContact{"RELAY_CONTACT", "Contact Form", FieldKind::Choice, 0, 0, 0, &kRelayContacts};
const FieldSpec kRating{"RELAY_RATING", "Temp Rating", FieldKind::Choice, 0, 0, 0, &kRelayRatings, "deg C"};
const FieldSpec kQu{"RELAY_QU", "Quality", FieldKind::Choice};
const FieldSpec kLoad{"RELAY_LOAD", "Load", FieldKind::Choice, 0, 0, 0, &kContactLoads};
const FieldSpec kImax{"RELAY_IMAX", "Imax", FieldKind::Real, 0.000001, 999999, 0, nullptr, "A"};
// The upper bound of Iop is the record's Imax; readers and pages pass it.
const FieldSpec kIop{"RELAY_IOP", "Iop", FieldKind::Real, 0, 999999, 0, nullptr, "A"};
const FieldSpec kStressMode{"RELAY_STRESSMODE", "Current Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kCurrentStressModes};
const FieldSpec kIStress{"RELAY_ISTRESS", "Current Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};
const FieldSpec kTRise{"RELAY_TRISE", "Temp Rise", FieldKind::Real, 0, 150, 0, nullptr, "deg C"};
const FieldSpec kRate{"RELAY_RATE", "Cycle Rate", FieldKind::Real, 0.000001, 9999, 0, nullptr,
                      "cycles/hour"};

// ---- handbook section 13.1, mechanical relays ----

// Application and construction factor pi_F, handbook table 13.1 (the
// military (MIL) column), by relay type and construction. The thermal and
// electronic time-delay relays have no construction choice and one value.
constexpr std::string_view kDryCircuitNames[] = {"",         "Armature(Long)",   "DryReed",
                                                 "MercuryWetted", "MagneticLatching", "BalancedArmature",
                                                 "Solenoid"};
constexpr std::string_view kGeneralPurposeNames[] = {"", "Armature(Long)", "BalancedArmature", "Solenoid"};
constexpr std::string_view kSensitiveNames[] = {"",
                                                "Armature(Long/Short)",
                                                "MercuryWetted",
                                                "MagneticLatching",
                                                "MeterMovement",
                                                "BalancedArmature"};
constexpr std::string_view kPolarizedNames[] = {"", "Armature(Short)", "MeterMovement"};
constexpr std::string_view kVibratingReedNames[] = {"", "DryReed", "MercuryWetted"};
constexpr std::string_view kHighSpeedNames[] = {"", "Armature(Balanced/Short)", "DryReed"};
constexpr std::string_view kMagneticLatchingNames[] = {"", "DryReed", "MercuryWetted", "BalancedArmature"};
constexpr std::string_view kHighVoltageNames[] = {"", "Vacuum(Glass)", "Vacuum(Ceramic)"};
constexpr std::string_view kMediumPowerNames[] = {"",
                                                  "Armature(Long/Short)",
                                                  "MercuryWetted",
                                                  "MagneticLatching",
                                                  "MechanicalLatching",
                                                  "BalancedArmature",
                                                  "Solenoid"};
constexpr std::string_view kContactorNames[] = {"", "Armature(Short)", "MechanicalLatching",
                                                "BalancedArmature", "Solenoid"};

struct Construction {
  ChoiceList names;               // empty: the type has no construction choice
  std::array<double, 7> factors;  // pi_F by construction choice (entry 0 unused)
  double fixedFactor;             // pi_F of a type without construction choice
};

constexpr std::array<Construction, 15> kConstructions = {{
    {ChoiceList{}, {}, 1.0},                                                  // (empty)
    {ChoiceList{kDryCircuitNames}, {0, 4, 6, 1, 4, 7, 7}, 0.0},               // 1 dry circuit
    {ChoiceList{kGeneralPurposeNames}, {0, 3, 5, 6}, 0.0},                    // 2 general purpose
    {ChoiceList{kSensitiveNames}, {0, 5, 2, 6, 100, 10}, 0.0},                // 3 sensitive
    {ChoiceList{kPolarizedNames}, {0, 10, 100}, 0.0},                         // 4 polarized
    {ChoiceList{kVibratingReedNames}, {0, 6, 1}, 0.0},                        // 5 vibrating reed
    {ChoiceList{kHighSpeedNames}, {0, 25, 6}, 0.0},                           // 6 high speed
    {ChoiceList{}, {}, 10.0},                                                 // 7 thermal time delay
    {ChoiceList{}, {}, 9.0},                                                  // 8 electronic time delay
    {ChoiceList{kMagneticLatchingNames}, {0, 10, 5, 5}, 0.0},                 // 9 magnetic latching
    {ChoiceList{kHighVoltageNames}, {0, 20, 5}, 0.0},                         // 10 high voltage
    {ChoiceList{kMediumPowerNames}, {0, 3, 1, 2, 3, 2, 2}, 0.0},              // 11 medium power
    {ChoiceList{kContactorNames}, {0, 7, 12, 10, 5}, 0.0},                    // 12 contactor
    {ChoiceList{}, {}, 1.0},                                                  // 13 solid state
    {ChoiceList{}, {}, 1.0},                                                  // 14 solid-state time delay
}};

// Base failure rate lambda_b = 0.0059 x exp(-(Ea/k) x (1/(T + 273) - 1/298)),
// T the relay temperature; Ea (eV) by temperature rating 85 C, 125 C.
constexpr double kMechanicalBaseRate = 0.0059;
constexpr std::array<double, 3> kRatingActivationEnergy = {0.0, 0.19, 0.17};
// Relay temperatures an entry can give: ambient -55..175 plus a rise of 0..150.
constexpr double kLowestRelayTemp = -55.0;
constexpr double kHighestRelayTemp = 325.0;

// Contact form factor pi_C, SPST..6PDT.
constexpr std::array<double, 10> kContactFactor = {0.0, 1.0, 1.5, 1.75, 2.0, 2.5, 3.0, 4.25, 5.5, 8.0};

// Quality factor pi_Q: R, P, X, U, M, L, MIL(Non-ER), Commercial.
constexpr std::array<double, 9> kMechanicalQualityFactor = {0.0, 0.1, 0.3, 0.45, 0.6, 1.0, 1.5, 1.5, 2.9};

// Environment factor pi_E, GB..CL; CL is not a valid environment for
// mechanical relays (no factor given).
constexpr EnvTable kMechanicalEnvironmentFactor = {0.0,  1.0,  2.0,  15.0, 8.0, 27.0, 7.0, 9.0,
                                                   11.0, 12.0, 46.0, 0.5,  25.0, 66.0, 0.0};
constexpr std::uint8_t kCannonLaunch = 14;

// Cycling factor pi_CYC from the cycle rate R (cycles per hour).
// Military relays: R >= 1: R / 10; R < 1: 0.1.
// Commercial relays: R < 10: 1.0; 10..1000: R / 10; R > 1000: (R / 100)^2.
double cyclingFactor(bool military, double rate) {
  if (military) return rate >= 1.0 ? rate / 10.0 : 0.1;
  if (rate < 10.0) return 1.0;
  if (rate <= 1000.0) return rate / 10.0;
  return rate * rate / 10000.0;
}

// ---- handbook section 13.2, solid-state and time-delay relays ----

// Base failure rate lambda_b: solid state 0.40, solid-state time delay 0.50.
constexpr std::array<double, 15> kSolidStateBaseRate = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.40, 0.50};
// Quality factor pi_Q: MIL 1.0, Commercial 1.9.
constexpr std::array<double, 3> kSolidStateQualityFactor = {0.0, 1.0, 1.9};
// Environment factor pi_E, GB..CL.
constexpr EnvTable kSolidStateEnvironmentFactor = {0.0,  1.0,  3.0,  12.0, 6.0, 17.0, 12.0, 19.0,
                                                   21.0, 32.0, 23.0, 0.4,  12.0, 33.0, 590.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CRelay::TYPE>(kType),
    input<&CRelay::CONSTR>(kConstr).withClassList(),
    input<&CRelay::CONTACT>(kContact),
    input<&CRelay::RATING>(kRating),
    input<&CRelay::QU>(kQu).withClassList(),
    input<&CRelay::LOAD>(kLoad),
    input<&CRelay::IMAX>(kImax),
    input<&CRelay::IOP>(kIop),
    input<&CRelay::STRESSMODE>(kStressMode),
    input<&CRelay::ISTRESS>(kIStress),
    input<&CRelay::RATE>(kRate),
    input<&CRelay::TRISE>(kTRise),
    result<&CRelay::LB>("LB"),
    result<&CRelay::PIL>("PIL"),
    result<&CRelay::PIC>("PIC"),
    result<&CRelay::PICYC>("PICYC"),
    result<&CRelay::PIF>("PIF"),
    result<&CRelay::PIQ>("PIQ"),
    result<&CRelay::PIE>("PIE"),
};

}  // namespace

const ClassRecord CRelay::kClass = makeClassRecord<CRelay>("CRelay");

const ChoiceList& CRelay::constructionList() const { return tableAt(kConstructions, relayType()).names; }

const ChoiceList& CRelay::qualityList() const {
  return isMechanical() ? kMechanicalRelayQualities : kSolidStateRelayQualities;
}

bool CRelay::isManualStress() const { return STRESSMODE == kCurrentStressManual; }

std::span<const StoredField> CRelay::storedFields() const { return kStored; }

std::string CRelay::GetTypeName() const { return isHybridPart() ? "Relay(Hyb)" : "Relay"; }

void CRelay::paramPage(FieldVisitor& f) {
  f.choice(kType, TYPE, true);
  // The dependent lists are refilled from the (possibly changed) type; a
  // choice past the end of its new list takes the list's last entry.
  const ChoiceList& constructions = constructionList();
  const bool hasConstruction = constructions.count() > 0;
  if (!f.readsInput()) {
    if (hasConstruction) CONSTR = constructions.clamp(CONSTR);
    QU = qualityList().clamp(QU);
  }
  const bool mechanical = isMechanical();

  f.choice(withChoices(kConstr, constructions), CONSTR, hasConstruction);
  f.choice(kContact, CONTACT, mechanical);
  f.choice(kRating, RATING, mechanical);
  f.choice(withChoices(kQu, qualityList()), QU, !isHybridPart());  // the package supplies it
  f.choice(kLoad, LOAD, mechanical);
  f.number(kImax, IMAX, mechanical);
  FieldSpec iop = kIop;
  iop.hi = IMAX;
  f.number(iop, IOP, mechanical);
  f.choice(kStressMode, STRESSMODE, mechanical);
  // In the computed mode the stress is not an entry: it shows Iop / Imax.
  if (mechanical && !isManualStress()) ISTRESS = stressPercent(IOP, IMAX);
  f.number(kIStress, ISTRESS, mechanical && isManualStress());
  f.number(kTRise, TRISE, mechanical);
  f.number(kRate, RATE, mechanical);
}

void CRelay::normalizeChoices() {
  CPart::normalizeChoices();
  const ChoiceList& constructions = constructionList();
  if (constructions.count() > 0) checkChoice(CONSTR, constructions);
  checkChoice(QU, qualityList());
}

void CRelay::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const std::uint8_t type = checkChoice(TYPE, kRelayTypes);
  const std::uint8_t env = checkedEnvironment(header);
  const bool hybrid = isHybridPart();
  const double cf = correctionFactor();

  if (type > kLastMechanicalRelay) {
    // Solid-state and time-delay relays: no temperature or stress figure.
    T = header.TEMP;
    S = -1.0f;
    flagLimits();
    const double lb = tableAt(kSolidStateBaseRate, type);
    double piq = 1.0;  // a hybrid part: the package supplies quality and environment
    double pie = 1.0;
    if (!hybrid) {
      piq = tableAt(kSolidStateQualityFactor, checkChoice(QU, kSolidStateRelayQualities));
      pie = tableAt(kSolidStateEnvironmentFactor, env);
    }
    LB = static_cast<float>(lb);
    PIL = PIC = PICYC = PIF = 1.0f;
    PIQ = static_cast<float>(piq);
    PIE = static_cast<float>(pie);
    FR = static_cast<float>(lb * piq * pie * cf);
    finishSurfaceMount(header, 0.0);
    return;
  }

  // Relay temperature: ambient plus the relay's own rise.
  const double rise = limitToRange(TRISE, 0.0, 150.0);
  const double t = limitToRange(static_cast<double>(header.TEMP) + rise, kLowestRelayTemp, kHighestRelayTemp);
  T = static_cast<float>(t);
  const double stress = limitToRange(ISTRESS, 0.0, 100.0);
  S = static_cast<float>(stress);
  flagLimits();

  const double ea = tableAt(kRatingActivationEnergy, checkChoice(RATING, kRelayRatings));
  const double lb = kMechanicalBaseRate * arrheniusFactorEv(ea, t);
  const double pil = loadStressFactor(checkChoice(LOAD, kContactLoads), stress);
  const double pic = tableAt(kContactFactor, checkChoice(CONTACT, kRelayContacts));

  double piq = 1.0;
  double pie = 1.0;
  bool military = false;  // a hybrid part cycles by the commercial rule
  if (!hybrid) {
    const std::uint8_t quality = checkChoice(QU, kMechanicalRelayQualities);
    piq = tableAt(kMechanicalQualityFactor, quality);
    pie = tableAt(kMechanicalEnvironmentFactor, env);
    military = quality < kRelayCommercial;
  }
  if (env == kCannonLaunch) OverFlags |= EnvNotValid;
  const double picyc = cyclingFactor(military, limitToRange(RATE, 0.000001, 9999.0));

  const Construction& construction = tableAt(kConstructions, type);
  double pif = construction.fixedFactor;
  if (construction.names.count() > 0) {
    pif = tableAt(construction.factors, checkChoice(CONSTR, construction.names));
  }

  LB = static_cast<float>(lb);
  PIL = static_cast<float>(pil);
  PIC = static_cast<float>(pic);
  PICYC = static_cast<float>(picyc);
  PIF = static_cast<float>(pif);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(lb * pil * pic * picyc * pif * piq * pie * cf);

  finishSurfaceMount(header, rise);
}

void CRelay::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(qualityList().count()), settings);
  }
  if (isMechanical()) {
    applyStressChange(StressSubject{ISTRESS, &STRESSMODE, IMAX, IOP}, 0.0, 100.0, settings);
  }
}

void CRelay::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CRelay&>(other);
  // This record keeps its type, construction, contacts, rating, quality and
  // rated current; the operating current it takes cannot exceed its rating.
  LOAD = o.LOAD;
  RATE = o.RATE;
  TRISE = o.TRISE;
  IOP = o.IOP < IMAX ? o.IOP : IMAX;
  STRESSMODE = o.STRESSMODE;
  ISTRESS = isManualStress() ? o.ISTRESS : stressPercent(IOP, IMAX);
}

void CRelay::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const bool mechanical = isMechanical();
  const std::string type = storedChoiceText(kRelayTypes, TYPE);
  const std::string construction = storedChoiceText(constructionList(), CONSTR);
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(qualityList(), QU).c_str());
  std::string contact, rating, load;
  if (mechanical) {
    contact = storedChoiceText(kRelayContacts, CONTACT);
    rating = strprintf("%sC", storedChoiceText(kRelayRatings, RATING).c_str());
    load = storedChoiceText(kContactLoads, LOAD);
  }
  line1 = lineprintf("%s%-24s %-24s %-14s  %-4s  %-4s  %-9s", pre.c_str(), type.c_str(), construction.c_str(),
                     quality.c_str(), contact.c_str(), rating.c_str(), load.c_str());

  std::string imax, iop, istr, trise, rate;
  if (mechanical) {
    imax = strprintf("Imax:%sA", formatNumber(IMAX, 8, 6).c_str());
    iop = strprintf("Iop:%sA", formatNumber(IOP, 8, 6).c_str());
    istr = strprintf("Istr:%s%%(%s)", formatNumber(ISTRESS, 5, 2).c_str(),
                     storedChoiceText(kCurrentStressModes, STRESSMODE).c_str());
    trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
    rate = strprintf("Cyc/hr:%s", formatNumber(RATE, 6, 2).c_str());
  }
  line2 = lineprintf("%s%-14s  %-13s  %-26s  %-12s  %-13s", pre.c_str(), imax.c_str(), iop.c_str(), istr.c_str(),
                     trise.c_str(), rate.c_str());
}

void CRelay::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *  PIQ  *  PIE  *   PIL    *  PIC  *  PICYC   *  PIF  *   PICF  ",
                     pre.c_str());
  line2 = lineprintf("%s    %-8s   %-5s   %-5s   %-8s   %-5s   %-8s   %-5s   %-8s", pre.c_str(),
                     formatNumber(LB, 8, 6).c_str(), formatNumber(PIQ, 5, 2).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(PIL, 8, 6).c_str(),
                     formatNumber(PIC, 5, 2).c_str(), formatNumber(PICYC, 8, 6).c_str(),
                     formatNumber(PIF, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
