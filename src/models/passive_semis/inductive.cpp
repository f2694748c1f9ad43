#include "models/passive_semis/inductive.hpp"

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

const FieldSpec kType{"IND_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kInductiveTypes};
// One quality field, two lists: the page and the readers take the one of the
// current type.
const FieldSpec kQuTransformer{"IND_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kTransformerQualities};
const FieldSpec kQuInductor{"IND_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kInductorQualities};
const FieldSpec kTRise{"IND_TRISE", "Temp Rise", FieldKind::Real, 0, 250, 0, nullptr, "deg C"};

// ---- handbook sections 11.1 (transformers) and 11.2 (coils) ----

// Base failure rate lambda_b (fpmh) by type.
constexpr std::array<double, 8> kBaseRate = {
    0.0,      // (empty)
    0.0054,   // transformer, flyback
    0.014,    // transformer, audio
    0.022,    // transformer, low power pulse
    0.049,    // transformer, high power / high power pulse
    0.13,     // transformer, RF
    0.00003,  // inductor, fixed (coil or choke)
    0.00005,  // inductor, variable
};

// Temperature factor pi_T = exp(-(0.11/k) x (1/(T_HS + 273) - 1/298)), T_HS
// the hot-spot temperature, 0.11 eV / k = 1276.5463618428687 K.
constexpr double kEaOverK = 1276.5463618428687;
// Hot-spot temperatures an entry can give: ambient -55..175 plus a rise of
// 0..250. A stored value outside (or not a number) is limited to it.
constexpr double kLowestHotSpot = -55.0;
constexpr double kHighestHotSpot = 425.0;

// Quality factor pi_Q: transformers MIL, Lower; inductors S, R, P, M (ER), MIL, Lower.
constexpr std::array<double, 3> kTransformerQualityFactor = {0.0, 1.0, 3.0};
constexpr std::array<double, 7> kInductorQualityFactor = {0.0, 0.03, 0.1, 0.3, 1.0, 1.0, 3.0};

// Environment factor pi_E, GB..CL: transformers (section 11.1) and coils
// (section 11.2); the coils' table is milder in GF and the airborne cargo
// and fighter environments.
constexpr EnvTable kTransformerEnvironmentFactor = {0.0, 1.0, 6.0,  12.0, 5.0,  16.0, 6.0,  8.0,
                                                    7.0, 9.0, 24.0, 0.5,  13.0, 34.0, 610.0};
constexpr EnvTable kCoilEnvironmentFactor = {0.0, 1.0, 4.0,  12.0, 5.0,  16.0, 5.0,  7.0,
                                             6.0, 8.0, 24.0, 0.5,  13.0, 34.0, 610.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CInductive::TYPE>(kType),
    input<&CInductive::QU>(kQuInductor).withClassList().fromPackageInHybrid(),
    input<&CInductive::TRISE>(kTRise),
    result<&CInductive::LB>("LB"),
    result<&CInductive::PIT>("PIT"),
    result<&CInductive::PIQ>("PIQ"),
    result<&CInductive::PIE>("PIE"),
};

}  // namespace

const ClassRecord CInductive::kClass = makeClassRecord<CInductive>("CInductive");

std::span<const StoredField> CInductive::storedFields() const { return kStored; }

void CInductive::shapeInput(ShownInput& input) {
  if (input.is(kQuInductor)) {
    // The quality list follows the type just shown (or changed): refilled from
    // the type's list, and an index past a shorter list taken back into it.
    input.shown = isTransformer() ? kQuTransformer : kQuInductor;
    if (!input.reading) checkChoice(QU, *input.shown.choices);
  }
}

std::string CInductive::GetTypeName() const {
  return isHybridPart() ? "Inductive(Hyb)" : "Inductive";
}

void CInductive::normalizeChoices() {
  CPart::normalizeChoices();
  checkChoice(QU, qualityList());
}

void CInductive::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const std::uint8_t type = checkChoice(TYPE, kInductiveTypes);

  const double t = limitToRange(static_cast<double>(header.TEMP) + static_cast<double>(TRISE), kLowestHotSpot,
                                kHighestHotSpot);
  T = static_cast<float>(t);
  S = -1.0f;  // no electrical stress figure
  flagLimits();

  const double lb = tableAt(kBaseRate, type);
  const double pit = arrheniusFactor(kEaOverK, t);
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    const std::uint8_t quality = checkChoice(QU, qualityList());
    piq = isTransformer() ? tableAt(kTransformerQualityFactor, quality) : tableAt(kInductorQualityFactor, quality);
    pie = tableAt(isTransformer() ? kTransformerEnvironmentFactor : kCoilEnvironmentFactor,
                  checkedEnvironment(header));
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(lb * cf * pit * pie * piq);

  // The hot-spot rise (0..250) goes to the solder joints unchanged.
  finishSurfaceMount(header, TRISE, kTRise.hi);
}

void CInductive::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(qualityList().count()), settings);
  }
}

void CInductive::UpdateAppParams(const CPart& other) {
  if (sameClass(other)) TRISE = static_cast<const CInductive&>(other).TRISE;
}

void CInductive::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  const std::string pre(prefix);
  const std::string type = storedChoiceText(kInductiveTypes, TYPE);
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(qualityList(), QU).c_str());
  const std::string trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  line1 = lineprintf("%s%-25s  %-9s  %-12s", pre.c_str(), type.c_str(), quality.c_str(), trise.c_str());
}

void CInductive::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *   PIT    *  PIQ  *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-5s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIT, 8, 6).c_str(), formatNumber(PIQ, 5, 2).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
