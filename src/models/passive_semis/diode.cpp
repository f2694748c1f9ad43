#include "models/passive_semis/diode.hpp"

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

const JunctionTempFields& kThermal = kDiodeThermalFields;

const FieldSpec kFamily{"DIO_FAMILY", "Family", FieldKind::Choice, 0, 0, 0, &kDiodeFamilies};
// The lists of the type and quality fields depend on the family and type;
// pages and readers put the current one in.
const FieldSpec kType{"DIO_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kLowFreqDiodeTypes};
const FieldSpec kContacts{"DIO_CONTACTS", "Contacts", FieldKind::Choice, 0, 0, 0, &kDiodeContacts};
const FieldSpec kJunctions{"DIO_JUNCTIONS", "Junctions", FieldKind::Whole, 1, 99};
const FieldSpec kQu{"DIO_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kDiodeQualities};
const FieldSpec kRating{"DIO_RATING", "Rating", FieldKind::Real, 0.001, 99999, 0, nullptr, "W"};
const FieldSpec kVmax{"DIO_VMAX", "Max Rated Voltage (Vmax)", FieldKind::Real, 0.001, 99999, 0, nullptr, "V"};
// The upper bound of Vop is the record's Vmax.
const FieldSpec kVop{"DIO_VOP", "Operating Voltage (Vop)", FieldKind::Real, 0, 99999, 0, nullptr, "V"};
const FieldSpec kStressMode{"DIO_STRESSMODE",  "Voltage Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kDiodeStressModes};
const FieldSpec kVStress{"DIO_VSTRESS", "Voltage Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};

const ChoiceList& typesOf(std::uint8_t family) {
  switch (family) {
    case kDiodeLowFreq:
      return kLowFreqDiodeTypes;
    case kDiodeHighFreq:
      return kHighFreqDiodeTypes;
    default:
      return kNoDiodeTypes;
  }
}

// ---- handbook sections 6.1, 6.2 and 6.10 ----

// Base failure rate lambda_b (fpmh), the temperature constant Ea/k (K) of
// pi_T = exp(-Ea/k x (1/(Tj + 273) - 1/298)) and the application factor
// pi_A, by type.
struct TypeModel {
  double baseRate;
  double eaOverK;
  double application;
};

// 6.1 low frequency: lambda_b by application, pi_T column by type.
constexpr std::array<TypeModel, 10> kLowFreqModels = {{
    {0.0, 0.0, 1.0},
    {0.0038, 3091.0, 1.0},  // general purpose analog
    {0.0010, 3091.0, 1.0},  // switching
    {0.025, 3091.0, 1.0},   // power rectifier, fast recovery
    {0.0030, 3091.0, 1.0},  // power rectifier / Schottky power diode
    {0.0050, 3091.0, 1.0},  // power rectifier with high-voltage stacks: per junction
    {0.0020, 1925.0, 1.0},  // voltage regulator (avalanche and zener)
    {0.0020, 1925.0, 1.0},  // voltage reference (avalanche and zener)
    {0.0013, 3091.0, 1.0},  // transient suppressor / varistor
    {0.0034, 1925.0, 1.0},  // current regulator
}};

// 6.2 high frequency: lambda_b and pi_T by type, pi_A (varactors) by application.
constexpr std::array<TypeModel, 10> kHighFreqModels = {{
    {0.0, 0.0, 1.0},
    {0.22, 5260.0, 1.0},    // silicon IMPATT
    {0.18, 2100.0, 1.0},    // Gunn / bulk effect
    {0.0023, 2100.0, 1.0},  // tunnel and back
    {0.0081, 2100.0, 1.0},  // PIN
    {0.027, 2100.0, 1.0},   // Schottky barrier
    {0.027, 2100.0, 1.0},   // point contact
    {0.0025, 2100.0, 0.5},  // varactor, voltage control
    {0.0025, 2100.0, 2.5},  // varactor, multiplier
    {0.0025, 2100.0, 1.0},  // step recovery
}};

// 6.10 thyristors and SCRs.
constexpr TypeModel kThyristorModel = {0.0022, 3082.0, 1.0};

// Power rating factor pi_R of PIN diodes (6.2): Pr <= 10 W: 0.5; above:
// 0.326 x ln(Pr) - 0.25.
constexpr double kPinSmallRating = 10.0;
constexpr double kPinSmallFactor = 0.5;
constexpr double kPinLogScale = 0.326;
constexpr double kPinLogOffset = 0.25;

// Current rating factor pi_R of thyristors (6.10): (rated forward current)^0.4.
constexpr double kCurrentRatingExponent = 0.4;

// Voltage stress factor pi_S, Vs = Vop / Vmax: Vs <= 0.3 gives the floor;
// above, Vs ^ exponent (6.1 and 6.10 pi_S).
struct StressCurve {
  double floor;
  double exponent;
};
constexpr double kStressKnee = 30.0;  // percent: compared before scaling, so 30 % is on the knee
constexpr StressCurve kLowFreqStress = {0.054, 2.43};
constexpr StressCurve kThyristorStress = {0.1, 1.9};

// Contact construction factor pi_C (6.1): metallurgically bonded, spring loaded.
constexpr std::array<double, 3> kContactFactor = {0.0, 1.0, 2.0};

// Quality factor pi_Q, JANTXV, JANTX, JAN, Lower, Plastic.
constexpr std::array<double, 6> kLowFreqQuality = {0.0, 0.7, 1.0, 2.4, 5.5, 8.0};     // 6.1 and 6.10
constexpr std::array<double, 6> kHighFreqQuality = {0.0, 0.5, 1.0, 5.0, 25.0, 50.0};  // 6.2, all but Schottky
constexpr std::array<double, 5> kSchottkyQuality = {0.0, 0.5, 1.0, 1.8, 2.5};         // 6.2 Schottky

// Environment factor pi_E, GB..CL.
constexpr EnvTable kLowFreqEnvironment = {0.0,  1.0,  6.0,  9.0, 9.0,  19.0, 13.0, 29.0,
                                          20.0, 43.0, 24.0, 0.5, 14.0, 32.0, 320.0};  // 6.1 and 6.10
constexpr EnvTable kHighFreqEnvironment = {0.0, 1.0,  2.0,  5.0, 4.0, 11.0, 4.0,  5.0,
                                           7.0, 12.0, 16.0, 0.5, 9.0, 24.0, 250.0};  // 6.2

// Ratings and junction counts an entry can hold.
constexpr double kLowestRating = 0.001;
constexpr double kHighestRating = 99999.0;
constexpr double kFewestJunctions = 1.0;
constexpr double kMostJunctions = 99.0;

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&CDiode::FAMILY>(kFamily),
    input<&CDiode::TYPE>(kType).withClassList(),
    input<&CDiode::CONTACTS>(kContacts),
    input<&CDiode::JUNCTIONS>(kJunctions),
    input<&CDiode::QU>(kQu).withClassList(),
    input<&CDiode::RATING>(kRating),
    input<&CDiode::VMAX>(kVmax),
    input<&CDiode::VOP>(kVop),
    input<&CDiode::STRESSMODE>(kStressMode),
    input<&CDiode::VSTRESS>(kVStress),
    }, thermalInputs<&CDiode::thermal>(kThermal), StoredFields{
    result<&CDiode::LB>("LB"),
    result<&CDiode::PIT>("PIT"),
    result<&CDiode::PIA>("PIA"),
    result<&CDiode::PIR>("PIR"),
    result<&CDiode::PIS>("PIS"),
    result<&CDiode::PIC>("PIC"),
    result<&CDiode::PIQ>("PIQ"),
    result<&CDiode::PIE>("PIE"),
});

}  // namespace

const ClassRecord CDiode::kClass = makeClassRecord<CDiode>("CDiode");

std::uint8_t CDiode::type() const {
  return hasType() ? typesOf(family()).clamp(TYPE) : 0;
}

const ChoiceList& CDiode::types() const {
  return typesOf(family());
}

const ChoiceList& CDiode::qualities() const {
  return isSchottky() ? kSchottkyDiodeQualities : kDiodeQualities;
}

std::span<const StoredField> CDiode::storedFields() const { return kStored; }

void CDiode::shapeInput(ShownInput& input) {
  if (input.is(kType)) {
    input.shown.choices = &types();
    input.applies = hasType();
  } else if (input.is(kContacts)) {
    input.applies = usesContacts();
  } else if (input.is(kJunctions)) {
    input.applies = usesJunctions();
  } else if (input.is(kQu)) {
    input.shown.choices = &qualities();
    input.applies = !isHybridPart();  // a hybrid part takes its quality from the package
  } else if (input.is(kRating)) {
    if (family() == kDiodeThyristor) input.shown.unit = "A";
    input.applies = usesRating();
  } else if (input.is(kVmax) || input.is(kStressMode)) {
    input.applies = usesVoltage();
  } else if (input.is(kVop)) {
    input.shown.hi = VMAX;
    input.applies = usesVoltage();
  } else if (input.is(kVStress)) {
    // In the computed mode the stress is not an entry: it shows Vop / Vmax.
    if (usesVoltage() && !isManualStress()) VSTRESS = stressPercent(VOP, VMAX);
    input.applies = usesVoltage() && isManualStress();
  }
}

std::string CDiode::GetTypeName() const {
  return isHybridPart() ? "Diode(Hyb)" : "Diode";
}

void CDiode::normalizeChoices() {
  CPart::normalizeChoices();
  if (hasType()) checkChoice(TYPE, types());
  checkChoice(QU, qualities());
  thermal.normalize(*this);
}

void CDiode::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  const std::uint8_t fam = checkChoice(FAMILY, kDiodeFamilies);
  const std::uint8_t typ = fam == kDiodeThyristor ? 0 : checkChoice(TYPE, typesOf(fam));

  TypeModel model = kThyristorModel;
  if (fam == kDiodeLowFreq) model = tableAt(kLowFreqModels, typ);
  if (fam == kDiodeHighFreq) model = tableAt(kHighFreqModels, typ);

  double lb = model.baseRate;
  if (fam == kDiodeLowFreq && typ == kDiodeHvStacks) {
    lb *= limitToRange(JUNCTIONS, kFewestJunctions, kMostJunctions);
  }
  const double pit = arrheniusFactor(model.eaOverK, tj);
  const double pia = isHybridPart() ? 1.0 : model.application;

  double pir = 1.0;
  if (fam == kDiodeHighFreq && typ == kDiodePin) {
    const double pr = limitToRange(RATING, kLowestRating, kHighestRating);
    pir = pr <= kPinSmallRating ? kPinSmallFactor : kPinLogScale * std::log(pr) - kPinLogOffset;
  } else if (fam == kDiodeThyristor) {
    pir = std::pow(limitToRange(RATING, kLowestRating, kHighestRating), kCurrentRatingExponent);
  }

  double pis = 1.0;
  if (usesVoltage()) {
    const double stress = limitToRange(VSTRESS, 0.0, 100.0);
    S = static_cast<float>(stress);
    if (S > STRESSLIMIT) OverFlags |= OverStress;
    const StressCurve& curve = fam == kDiodeThyristor ? kThyristorStress : kLowFreqStress;
    pis = stress <= kStressKnee ? curve.floor : std::pow(stress * 0.01, curve.exponent);
  } else {
    S = -1.0f;  // no stress figure
  }

  double pic = 1.0;
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    if (fam == kDiodeLowFreq) pic = tableAt(kContactFactor, checkChoice(CONTACTS, kDiodeContacts));
    const std::uint8_t env = checkedEnvironment(header);
    if (fam == kDiodeHighFreq) {
      piq = isSchottky() ? tableAt(kSchottkyQuality, checkChoice(QU, kSchottkyDiodeQualities))
                         : tableAt(kHighFreqQuality, checkChoice(QU, kDiodeQualities));
      pie = tableAt(kHighFreqEnvironment, env);
    } else {
      piq = tableAt(kLowFreqQuality, checkChoice(QU, kDiodeQualities));
      pie = tableAt(kLowFreqEnvironment, env);
    }
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIA = static_cast<float>(pia);
  PIR = static_cast<float>(pir);
  PIS = static_cast<float>(pis);
  PIC = static_cast<float>(pic);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(lb * cf * pit * piq * pie * pir * pis * pic * pia);

  thermal.finishCalculation(*this, header, kThermal);
}

void CDiode::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, static_cast<int>(qualities().count()), settings);
  if (usesVoltage()) applyStressChange(StressSubject{VSTRESS, &STRESSMODE, VMAX, VOP}, 0.0, 100.0, settings);
}

bool CDiode::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void CDiode::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CDiode&>(other);
  // This record keeps its family, type, construction, quality and ratings;
  // the operating voltage it takes cannot exceed its own rating.
  VOP = o.VOP < VMAX ? o.VOP : VMAX;
  STRESSMODE = o.STRESSMODE;
  VSTRESS = isManualStress() ? o.VSTRESS : stressPercent(VOP, VMAX);
  thermal.copyAppParams(o.thermal);
}

void CDiode::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::uint8_t fam = family();
  const std::string familyText = storedChoiceText(kDiodeFamilies, fam);
  const std::string kind =
      hasType() ? strprintf("%s %s", familyText.c_str(), storedChoiceText(types(), TYPE).c_str()) : familyText;
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(qualities(), QU).c_str());
  std::string vmax, vop, vstr;
  if (usesVoltage()) {
    vmax = strprintf("Vmax:%sV", formatNumber(VMAX, 7, 4).c_str());
    vop = strprintf("Vop:%sV", formatNumber(VOP, 7, 4).c_str());
    vstr = strprintf("Vstr:%s%%(%s)", formatNumber(VSTRESS, 5, 2).c_str(),
                     storedChoiceText(kDiodeStressModes, STRESSMODE).c_str());
  }
  line1 = lineprintf("%s%-26s %-10s %-13s %-12s %-26s", pre.c_str(), kind.c_str(), quality.c_str(),
                     vmax.c_str(), vop.c_str(), vstr.c_str());

  const std::string contacts = usesContacts() ? storedChoiceText(kDiodeContacts, CONTACTS) : std::string();
  const std::string junctions =
      usesJunctions() ? strprintf("Junc:%.0f", static_cast<double>(JUNCTIONS)) : std::string();
  std::string rating;
  if (usesRating()) {
    rating = strprintf(fam == kDiodeThyristor ? "%sA" : "%sW", formatNumber(RATING, 7, 4).c_str());
  }
  // A mode outside the list has no thermal line; the prefix still leads.
  std::string thermalText = thermal.thermalLine(prefix);
  if (thermalText.empty()) thermalText = pre;
  line2 = lineprintf("%s  %-10s %-7s %-8s", thermalText.c_str(), contacts.c_str(), junctions.c_str(),
                     rating.c_str());
}

void CDiode::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *   PIT    * PIA *   PIR    *   PIS    * PIC *  PIQ  *  PIE  *   PICF  ",
                     pre.c_str());
  line2 = lineprintf(
      "%s    %-8s   %-8s   %-3s   %-8s   %-8s   %-3s   %-5s   %-5s   %-8s", pre.c_str(),
      formatNumber(LB, 8, 6).c_str(), formatNumber(PIT, 8, 6).c_str(), formatNumber(PIA, 3, 1).c_str(),
      formatNumber(PIR, 8, 6).c_str(), formatNumber(PIS, 8, 6).c_str(), formatNumber(PIC, 3, 1).c_str(),
      formatNumber(PIQ, 5, 2).c_str(), formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
