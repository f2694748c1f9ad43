#include "models/passive_semis/opto.hpp"

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

const JunctionTempFields& kThermal = kOptoThermalFields;

// Characters of a display, and the correction factor, in single precision
// as the fields are.
constexpr float kCharMin = 1.0f;
constexpr float kCharMax = 99.0f;

const FieldSpec kFamily{"OPTO_FAMILY", "Family", FieldKind::Choice, 0, 0, 0, &kOptoFamilies};
// The list of the type field is the current family's; pages and readers put it in.
const FieldSpec kType{"OPTO_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kOptoIsolatorTypes};
const FieldSpec kChar{"OPTO_CHAR", "Characters", FieldKind::Whole, kCharMin, kCharMax};
const FieldSpec kLogicChip{"OPTO_LOGIC", "Logic Chip", FieldKind::Choice, 0, 0, 0, &kOptoLogic};
const FieldSpec kQu{"OPTO_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kOptoQualities};

// ---- handbook sections 6.11 and 6.12 ----

// Base failure rate lambda_b (fpmh) by family and type (6.11); the display
// rows hold the constant term of the 6.12 formulas below.
constexpr std::array<std::array<double, 5>, 6> kBaseRate = {{
    {0.0, 0.0, 0.0, 0.0, 0.0},
    {0.0, 0.0040, 0.0055, 0.0, 0.0},        // photodetector: diode, transistor
    {0.0, 0.0025, 0.013, 0.013, 0.0064},    // opto-isolator, single: diode, transistor, darlington, resistor
    {0.0, 0.0033, 0.017, 0.017, 0.0086},    // opto-isolator, dual
    {0.0, 0.00023, 0.0013, 0.0, 0.0},       // emitter: LED, infrared LED
    {0.0, 0.0, 0.00009, 0.0, 0.0},          // display: segment, diode array
}};

// 6.12 alphanumeric displays: lambda_b = per character x C + logic chip
// (+ the constant term above for a diode array).
constexpr std::array<double, 3> kPerCharacter = {0.0, 0.00043, 0.00017};  // segment, diode array
constexpr double kLogicChipRate = 0.000043;

// pi_T = exp(-2790 x (1/(Tj + 273) - 1/298)), every family.
constexpr double kEaOverK = 2790.0;

// Quality factor pi_Q, JANTXV, JANTX, JAN, Lower, Plastic (6.11, 6.12 pi_Q).
constexpr std::array<double, 6> kQualityFactor = {0.0, 0.7, 1.0, 2.4, 5.5, 8.0};

// Environment factor pi_E, GB..CL (6.11, 6.12 pi_E).
constexpr EnvTable kEnvironmentFactor = {0.0, 1.0, 2.0,  8.0, 5.0, 12.0, 4.0,  6.0,
                                         6.0, 8.0, 17.0, 0.5, 9.0, 24.0, 450.0};

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&COpto::FAMILY>(kFamily),
    input<&COpto::TYPE>(kType).withClassList(),
    input<&COpto::CHAR>(kChar),
    input<&COpto::LOGIC>(kLogicChip),
    input<&COpto::QU>(kQu).fromPackageInHybrid(),
    }, thermalInputs<&COpto::thermal>(kThermal), StoredFields{
    result<&COpto::LB>("LB"),
    result<&COpto::PIT>("PIT"),
    result<&COpto::PIQ>("PIQ"),
    result<&COpto::PIE>("PIE"),
});

}  // namespace

const ChoiceList& optoTypesOf(std::uint8_t family) {
  switch (kOptoFamilies.clamp(family)) {
    case kOptoPhotoDetector:
      return kOptoDetectorTypes;
    case kOptoIsolator:
    case kOptoDualIsolator:
      return kOptoIsolatorTypes;
    case kOptoEmitter:
      return kOptoEmitterTypes;
    default:
      return kOptoDisplayTypes;
  }
}

const ClassRecord COpto::kClass = makeClassRecord<COpto>("COpto");

std::span<const StoredField> COpto::storedFields() const { return kStored; }

void COpto::shapeInput(ShownInput& input) {
  if (input.is(kType)) {
    // The type list follows the family: a type the new list does not hold
    // moves to its last entry.
    const ChoiceList& list = types();
    if (!input.reading) TYPE = list.clamp(TYPE);
    input.shown.choices = &list;
  } else if (input.is(kChar) || input.is(kLogicChip)) {
    input.applies = isDisplay();
  }
}

std::string COpto::GetTypeName() const {
  return isHybridPart() ? "Optoelectronic(Hyb)" : "Optoelectronic";
}

void COpto::normalizeChoices() {
  CPart::normalizeChoices();
  checkChoice(TYPE, types());
  thermal.normalize(*this);
}

void COpto::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  S = -1.0f;  // no stress figure
  const std::uint8_t family = checkChoice(FAMILY, kOptoFamilies);
  const std::uint8_t type = checkChoice(TYPE, optoTypesOf(family));

  double lb = tableAt(tableAt(kBaseRate, family), type);
  if (family == kOptoDisplay) {
    const double characters = limitToRange(CHAR, kCharMin, kCharMax);
    const double logic = checkChoice(LOGIC, kOptoLogic) == kOptoWithLogic ? kLogicChipRate : 0.0;
    lb += tableAt(kPerCharacter, type) * characters + logic;
  }
  const double pit = arrheniusFactor(kEaOverK, tj);
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kOptoQualities));
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pit * cf * lb * pie * piq);

  thermal.finishCalculation(*this, header, kThermal);
}

void COpto::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kOptoQualities.count()), settings);
  }
}

bool COpto::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void COpto::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  thermal.copyAppParams(static_cast<const COpto&>(other).thermal);
}

void COpto::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string family = storedChoiceText(kOptoFamilies, FAMILY);
  const std::string type = storedChoiceText(types(), TYPE);
  std::string display;
  if (isDisplay()) {
    display = strprintf("Char:%.0f", static_cast<double>(CHAR));
    if (kOptoLogic.clamp(LOGIC) == kOptoWithLogic) display += " w/logic";
  }
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kOptoQualities, QU).c_str());
  line1 = lineprintf("%s%-19s  %-15s %-15s  %-10s", pre.c_str(), family.c_str(), type.c_str(), display.c_str(),
                     quality.c_str());
  line2 = thermal.thermalLine(prefix);
}

void COpto::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *   PIT    *  PIQ  *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-5s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIT, 8, 6).c_str(), formatNumber(PIQ, 5, 2).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
