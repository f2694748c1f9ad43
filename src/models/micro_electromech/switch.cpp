#include "models/micro_electromech/switch.hpp"

#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"
#include "models/micro_electromech/contact_load.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"SW_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kSwitchTypes};
const FieldSpec kQu{"SW_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kSwitchQualities};
// The contact-form list follows the type: readers and pages pass the type's list.
const FieldSpec kContact{"SW_CONTACT", "Contact Form", FieldKind::Choice};
const FieldSpec kContacts{"SW_CONTACTS", "Contacts", FieldKind::Whole, 1, 99};
const FieldSpec kLoad{"SW_LOAD", "Load", FieldKind::Choice, 0, 0, 0, &kContactLoads};
const FieldSpec kPower{"SW_POWER", "PowerSwitch", FieldKind::Choice, 0, 0, 0, &kSwitchPowerChoices};
const FieldSpec kImax{"SW_IMAX", "Max Rated Current (Imax)", FieldKind::Real, 0.000001, 999999, 0, nullptr,
                      "A"};
// The upper bound of Iop is the record's Imax; readers and pages pass it.
const FieldSpec kIop{"SW_IOP", "Operating Current (Iop)", FieldKind::Real, 0, 999999, 0, nullptr, "A"};
const FieldSpec kStressMode{"SW_STRESSMODE", "Current Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kCurrentStressModes};
const FieldSpec kIStress{"SW_ISTRESS", "Current Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};

// ---- handbook section 14.1, switches ----

// Base failure rate lambda_b (fpmh) by switch type: centrifugal, DIP, limit,
// liquid level, microwave (waveguide), pressure, pushbutton, reed, rocker,
// rotary, sensitive, thermal, thumbwheel, toggle; entry 15 is the circuit
// breaker's (section 14.2).
constexpr std::array<double, 16> kBaseRate = {0.0,   3.4,   0.00012, 4.3,  2.3,   1.7,  2.8, 0.1,
                                              0.001, 0.023, 0.11,    0.49, 0.031, 0.18, 0.1, 0.34};

// Contact form and quantity factor pi_C = n^0.33 (pushbutton and toggle
// switches only), n the number of contacts of the form SPST..6PDT; "Other"
// takes the entered count.
constexpr std::array<double, 10> kContactCount = {0, 1, 2, 2, 3, 4, 4, 6, 8, 12};
constexpr double kContactExponent = 0.33;

// Quality factor pi_Q: MIL 1.0, lower 2.0.
constexpr std::array<double, 3> kSwitchQualityFactor = {0.0, 1.0, 2.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kSwitchEnvironmentFactor = {0.0,  1.0,  3.0,  18.0, 8.0,  29.0, 10.0,  18.0,
                                               13.0, 22.0, 46.0, 0.5,  25.0, 67.0, 1200.0};

// ---- handbook section 14.2, circuit breakers ----

// Configuration factor pi_C: SPST 1, DPST 2, 3PST 3, 4PST 4.
constexpr std::array<double, 5> kBreakerContactFactor = {0.0, 1.0, 2.0, 3.0, 4.0};
// Use factor pi_U: 10 when the breaker is also used as a power on/off
// switch, 1.0 when not.
constexpr std::array<double, 3> kBreakerUseFactor = {0.0, 10.0, 1.0};
// Quality factor pi_Q: MIL 1.0, lower 8.4.
constexpr std::array<double, 3> kBreakerQualityFactor = {0.0, 1.0, 8.4};
// Environment factor pi_E, GB..CL; CL is not a valid environment (no factor given).
constexpr EnvTable kBreakerEnvironmentFactor = {0.0,  1.0,  2.0,  15.0, 8.0, 27.0, 7.0, 9.0,
                                                11.0, 12.0, 46.0, 0.5,  25.0, 66.0, 0.0};
constexpr std::uint8_t kCannonLaunch = 14;

const ChoiceList kNoContactForms{};

bool hasContactCount(std::uint8_t type) { return type == kPushbuttonSwitch || type == kToggleSwitch; }

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CSwitch::TYPE>(kType),
    input<&CSwitch::POWER>(kPower),
    input<&CSwitch::CONTACT>(kContact).withClassList(),
    input<&CSwitch::CONTACTS>(kContacts),
    input<&CSwitch::QU>(kQu),
    input<&CSwitch::LOAD>(kLoad),
    input<&CSwitch::IMAX>(kImax),
    input<&CSwitch::IOP>(kIop),
    input<&CSwitch::STRESSMODE>(kStressMode),
    input<&CSwitch::ISTRESS>(kIStress),
    kept<&CSwitch::LB>(),
    kept<&CSwitch::PIL>(),
    kept<&CSwitch::PIC>(),
    kept<&CSwitch::PIU>(),
    kept<&CSwitch::PIQ>(),
    kept<&CSwitch::PIE>(),
};

}  // namespace

const ClassRecord CSwitch::kClass = makeClassRecord<CSwitch>("CSwitch");

const ChoiceList& CSwitch::contactList() const {
  const std::uint8_t type = switchType();
  if (type == kCircuitBreaker) return kBreakerContacts;
  return hasContactCount(type) ? kSwitchContacts : kNoContactForms;
}

bool CSwitch::isManualStress() const { return STRESSMODE == kCurrentStressManual; }

std::span<const StoredField> CSwitch::storedFields() const { return kStored; }

std::vector<NamedFactor> CSwitch::factors() const {
  if (isBreaker()) return {{"LB", LB}, {"PIC", PIC}, {"PIU", PIU}, {"PIQ", PIQ}, {"PIE", PIE}};
  return {{"LB", LB}, {"PIL", PIL}, {"PIC", PIC}, {"PIQ", PIQ}, {"PIE", PIE}};
}

std::string CSwitch::GetTypeName() const { return isHybridPart() ? "Switch(Hyb)" : "Switch"; }

void CSwitch::paramPage(FieldVisitor& f) {
  f.choice(kType, TYPE, true);
  // The contact-form list is refilled from the (possibly changed) type; a
  // form past the end of its new list takes the list's last entry.
  const ChoiceList& forms = contactList();
  const bool hasForm = forms.count() > 0;
  if (hasForm && !f.readsInput()) CONTACT = forms.clamp(CONTACT);
  const std::uint8_t type = switchType();
  const bool breaker = type == kCircuitBreaker;

  f.choice(kQu, QU, !isHybridPart());  // the package supplies it
  f.choice(withChoices(kContact, forms), CONTACT, hasForm);
  f.number(kContacts, CONTACTS, hasContactCount(type) && CONTACT == kOtherContactForm);
  f.choice(kLoad, LOAD, !breaker);
  f.choice(kPower, POWER, breaker);
  f.number(kImax, IMAX, !breaker);
  FieldSpec iop = kIop;
  iop.hi = IMAX;
  f.number(iop, IOP, !breaker);
  f.choice(kStressMode, STRESSMODE, !breaker);
  // In the computed mode the stress is not an entry: it shows Iop / Imax.
  if (!breaker && !isManualStress()) ISTRESS = stressPercent(IOP, IMAX);
  f.number(kIStress, ISTRESS, !breaker && isManualStress());
}

void CSwitch::normalizeChoices() {
  CPart::normalizeChoices();
  const ChoiceList& forms = contactList();
  if (forms.count() > 0) checkChoice(CONTACT, forms);
}

void CSwitch::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const std::uint8_t type = checkChoice(TYPE, kSwitchTypes);
  const std::uint8_t env = checkedEnvironment(header);
  const bool hybrid = isHybridPart();
  const double cf = correctionFactor();
  const double lb = tableAt(kBaseRate, type);
  T = header.TEMP;  // switches have no temperature factor: the ambient

  if (type == kCircuitBreaker) {
    S = -1.0f;
    flagLimits();
    const double pic = tableAt(kBreakerContactFactor, checkChoice(CONTACT, kBreakerContacts));
    const double piu = tableAt(kBreakerUseFactor, checkChoice(POWER, kSwitchPowerChoices));
    double piq = 1.0;  // a hybrid part: the package supplies quality and environment
    double pie = 1.0;
    if (!hybrid) {
      piq = tableAt(kBreakerQualityFactor, checkChoice(QU, kSwitchQualities));
      pie = tableAt(kBreakerEnvironmentFactor, env);
    }
    if (env == kCannonLaunch) OverFlags |= EnvNotValid;
    LB = static_cast<float>(lb);
    PIL = 1.0f;
    PIC = static_cast<float>(pic);
    PIU = static_cast<float>(piu);
    PIQ = static_cast<float>(piq);
    PIE = static_cast<float>(pie);
    FR = static_cast<float>(cf * pic * piu * piq * pie * lb);
    finishSurfaceMount(header, 0.0);
    return;
  }

  const double stress = limitToRange(ISTRESS, 0.0, 100.0);
  S = static_cast<float>(stress);
  flagLimits();
  const double pil = loadStressFactor(checkChoice(LOAD, kContactLoads), stress);
  double pic = 1.0;
  if (hasContactCount(type)) {
    const std::uint8_t form = checkChoice(CONTACT, kSwitchContacts);
    const double n = form == kOtherContactForm ? limitToRange(CONTACTS, 1.0, 99.0) : tableAt(kContactCount, form);
    pic = std::pow(n, kContactExponent);
  }
  double piq = 1.0;
  double pie = 1.0;
  if (!hybrid) {
    piq = tableAt(kSwitchQualityFactor, checkChoice(QU, kSwitchQualities));
    pie = tableAt(kSwitchEnvironmentFactor, env);
  }
  LB = static_cast<float>(lb);
  PIL = static_cast<float>(pil);
  PIC = static_cast<float>(pic);
  PIU = 1.0f;
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(cf * lb * pil * piq * pie * pic);
  finishSurfaceMount(header, 0.0);
}

void CSwitch::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kSwitchQualities.count()), settings);
  }
  if (!isBreaker()) {
    applyStressChange(StressSubject{ISTRESS, &STRESSMODE, IMAX, IOP}, 0.0, 100.0, settings);
  }
}

void CSwitch::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CSwitch&>(other);
  // This record keeps its type, contacts, quality and rated current; the
  // operating current it takes cannot exceed its rating.
  LOAD = o.LOAD;
  IOP = o.IOP < IMAX ? o.IOP : IMAX;
  STRESSMODE = o.STRESSMODE;
  ISTRESS = isManualStress() ? o.ISTRESS : stressPercent(IOP, IMAX);
}

void CSwitch::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::uint8_t type = switchType();
  const bool breaker = type == kCircuitBreaker;
  const std::string name = storedChoiceText(kSwitchTypes, TYPE);
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kSwitchQualities, QU).c_str());
  std::string form;
  if (hasContactCount(type) && kSwitchContacts.clamp(CONTACT) == kOtherContactForm) {
    form = strprintf("Contacts:%.0f", static_cast<double>(CONTACTS));
  } else {
    form = storedChoiceText(contactList(), CONTACT);
  }
  const std::string load = breaker ? std::string() : storedChoiceText(kContactLoads, LOAD);
  const std::string power =
      breaker && kSwitchPowerChoices.clamp(POWER) == 1 ? std::string("PowerSwitch") : std::string();
  line1 = lineprintf("%s%-20s  %-8s  %-11s  %-9s  %-11s", pre.c_str(), name.c_str(), quality.c_str(), form.c_str(),
                     load.c_str(), power.c_str());

  std::string imax, iop, istr;
  if (!breaker) {
    imax = strprintf("Imax:%sA", formatNumber(IMAX, 8, 6).c_str());
    iop = strprintf("Iop:%sA", formatNumber(IOP, 8, 6).c_str());
    istr = strprintf("Istr:%s%%(%s)", formatNumber(ISTRESS, 5, 2).c_str(),
                     storedChoiceText(kCurrentStressModes, STRESSMODE).c_str());
  }
  line2 = lineprintf("%s%-14s  %-13s  %-26s", pre.c_str(), imax.c_str(), iop.c_str(), istr.c_str());
}

void CSwitch::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  if (isBreaker()) {
    line1 = lineprintf("%sFR=    LB    * PIC * PIU * PIQ *  PIE  *   PICF  ", pre.c_str());
    // pi_U reaches 10: it is written four wide so the value is never starred.
    line2 = lineprintf("%s    %-8s   %-3s   %-3s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                       formatNumber(PIC, 3, 1).c_str(), formatNumber(PIU, 4, 1).c_str(),
                       formatNumber(PIQ, 3, 1).c_str(), formatNumber(PIE, 5, 2).c_str(),
                       formatNumber(CF, 8, 6).c_str());
    return;
  }
  line1 = lineprintf("%sFR=    LB    *   PIL    *   PIC    * PIQ *  PIE   *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-8s   %-3s   %-6s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIL, 8, 6).c_str(), formatNumber(PIC, 8, 6).c_str(),
                     formatNumber(PIQ, 3, 1).c_str(), formatNumber(PIE, 6, 2).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
