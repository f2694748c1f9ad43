#include "models/micro_electromech/mmic.hpp"

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

const JunctionTempFields& kThermal = kMmicThermalFields;

const FieldSpec kType{"MMIC_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kMmicTypes};
const FieldSpec kApp{"MMIC_APP", "Application", FieldKind::Choice, 0, 0, 0, &kMmicApplications};
// The upper bound of the complexity is the device type's.
const FieldSpec kComplex{"MMIC_COMPLEX", "Complexity", FieldKind::Whole, 1, 10000};
const FieldSpec kLearn{"MMIC_LEARN", "Learning", FieldKind::Choice, 0, 0, 0, &kLearningChoices};
const FieldSpec kYears{"MMIC_YEARS", "Years", FieldKind::Real, kYearsLo, kYearsHi, 0, nullptr, "years"};
const FieldSpec kQu{"MMIC_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMicrocircuitQualities};
const FieldSpec kQuCustom{"MMIC_QUCUSTOM", "Factor", FieldKind::Real, kCustomQualityLo, kCustomQualityHi};
const FieldSpec kPkg{"MMIC_PKG", "Package", FieldKind::Choice, 0, 0, 0, &kMicrocircuitPackages};
const FieldSpec kPins{"MMIC_PINS", "Pins", FieldKind::Whole, kPinsLo, kPinsHi};

// ---- handbook section 5.4 ----

// C1 by active elements: MMIC; digital IC.
constexpr std::array<ComplexityRow, 2> kMmicElements = {{{100, 4.5}, {1000, 7.2}}};
constexpr std::array<ComplexityRow, 2> kDigitalElements = {{{1000, 25.0}, {10000, 51.0}}};

// pi_T = 0.1 x exp(-Ea/k x (1/(Tj + 273) - 1/423)): Ea 1.5 eV (MMIC), 1.4 eV
// (digital), referred to 150 deg C.
constexpr std::array<double, 3> kActivationEnergy = {0.0, 1.5, 1.4};
constexpr double kInverse423 = 0.002364066193853428;

// Application factor pi_A of an MMIC: low noise and low power; driver and
// high power; unknown. A digital IC has 1.0.
constexpr std::array<double, 4> kApplicationFactor = {0.0, 1.0, 3.0, 3.0};

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&CMMIC::TYPE>(kType),
    input<&CMMIC::APP>(kApp),
    input<&CMMIC::COMPLEX>(kComplex),
    input<&CMMIC::LEARN>(kLearn).fromPackageInHybrid(),
    input<&CMMIC::YEARS>(kYears),
    input<&CMMIC::QU>(kQu).fromPackageInHybrid(),
    input<&CMMIC::QUCUSTOM>(kQuCustom),
    input<&CMMIC::PKG>(kPkg).fromPackageInHybrid(),
    input<&CMMIC::PINS>(kPins).fromPackageInHybrid(),
    }, thermalInputs<&CMMIC::thermal>(kThermal), StoredFields{
    result<&CMMIC::C1>("C1"),
    result<&CMMIC::C2>("C2"),
    result<&CMMIC::PIT>("PIT"),
    result<&CMMIC::PIQ>("PIQ"),
    result<&CMMIC::PIE>("PIE"),
    result<&CMMIC::PIL>("PIL"),
    result<&CMMIC::PIA>("PIA"),
});

}  // namespace

const ClassRecord CMMIC::kClass = makeClassRecord<CMMIC>("CMMIC");

double CMMIC::complexityMax() const {
  return isMmic() ? kMmicElements.back().upTo : kDigitalElements.back().upTo;
}

std::span<const StoredField> CMMIC::storedFields() const { return kStored; }

void CMMIC::shapeInput(ShownInput& input) {
  const bool own = !isHybridPart();  // a hybrid part takes these from its package
  if (input.is(kApp)) {
    input.applies = isMmic();
  } else if (input.is(kComplex)) {
    input.shown.hi = complexityMax();
  } else if (input.is(kYears)) {
    input.applies = own && LEARN == kLearningNew;
  } else if (input.is(kQuCustom)) {
    input.applies = own && QU == kCustomQuality;
  }
}

std::string CMMIC::GetTypeName() const {
  return isHybridPart() ? "GaAs,MMIC/DigIC(Hyb)" : "GaAs,MMIC/DigIC";
}

void CMMIC::normalizeChoices() {
  CPart::normalizeChoices();
  thermal.normalize(*this);
}

void CMMIC::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  S = -1.0f;  // no stress figure
  const std::uint8_t type = checkChoice(TYPE, kMmicTypes);

  // A complexity outside the type's range takes the nearest row of C1.
  const double n = std::trunc(limitToRange(COMPLEX, 1.0, complexityMax()));
  const double c1 = type == kMmicDevice ? complexityFactor(kMmicElements, n) : complexityFactor(kDigitalElements, n);
  const double ea = tableAt(kActivationEnergy, type);
  const double pit = 0.1 * arrheniusFactorEv(ea, tj, kInverse423);
  const double pia = type == kMmicDevice ? tableAt(kApplicationFactor, checkChoice(APP, kMmicApplications)) : 1.0;
  const double pie = tableAt(kMicrocircuitEnvironmentFactor, checkedEnvironment(header));

  double c2 = 0.0;  // a hybrid part: the package is the hybrid's
  double piq = 1.0;
  double pil = 1.0;
  if (!isHybridPart()) {
    c2 = packageComplexityFactor(checkChoice(PKG, kMicrocircuitPackages), limitToRange(PINS, kPinsLo, kPinsHi));
    const std::uint8_t qu = checkChoice(QU, kMicrocircuitQualities);
    piq = qu == kCustomQuality ? limitToRange(QUCUSTOM, kCustomQualityLo, kCustomQualityHi)
                               : tableAt(kMicrocircuitQualityFactor, qu);
    if (checkChoice(LEARN, kLearningChoices) == kLearningNew) {
      pil = learningFactor(limitToRange(YEARS, kYearsLo, kYearsHi));
    }
  }
  const double cf = correctionFactor();

  C1 = static_cast<float>(c1);
  C2 = static_cast<float>(c2);
  PIT = static_cast<float>(pit);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  PIL = static_cast<float>(pil);
  PIA = static_cast<float>(pia);
  FR = static_cast<float>((c1 * pia * pit + c2 * pie) * cf * pil * piq);

  thermal.finishCalculation(*this, header, kThermal);
}

void CMMIC::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, kWhatIfQualityHi, settings);
}

bool CMMIC::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void CMMIC::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  thermal.copyAppParams(static_cast<const CMMIC&>(other).thermal);
}

void CMMIC::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string app = isMmic() ? storedChoiceText(kMmicApplications, APP) : std::string();
  const std::string complex = strprintf("Complex:%.0f", static_cast<double>(COMPLEX));
  std::string years, quality, package;
  if (!isHybridPart()) {
    if (LEARN == kLearningNew) years = strprintf("%sY", formatNumber(YEARS, 4, 2).c_str());
    const std::uint8_t qu = kMicrocircuitQualities.clamp(QU);
    quality = strprintf("Qu:%s", std::string(kMicrocircuitQualityShort[qu]).c_str());
    package = strprintf("%s-%.0f", storedChoiceText(kMicrocircuitPackages, PKG).c_str(), static_cast<double>(PINS));
  }
  line1 = lineprintf("%s%-9s %-17s %-13s %-5s %-7s  %-19s", pre.c_str(), storedChoiceText(kMmicTypes, TYPE).c_str(),
                     app.c_str(), complex.c_str(), years.c_str(), quality.c_str(), package.c_str());
  line2 = thermal.thermalLine(prefix);
}

void CMMIC::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR= ( (   C1    *   PIT    *  PIA ) + (   C2    *  PIE ) ) *  PIQ  *  PIL  *   PICF  ",
                     pre.c_str());
  line2 = lineprintf("%s       %-8s   %-8s   %-5s     %-8s   %-5s      %-5s   %-5s   %-8s", pre.c_str(),
                     formatNumber(C1, 8, 6).c_str(), formatNumber(PIT, 8, 6).c_str(),
                     formatNumber(PIA, 5, 2).c_str(), formatNumber(C2, 8, 6).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(PIQ, 5, 2).c_str(),
                     formatNumber(PIL, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
