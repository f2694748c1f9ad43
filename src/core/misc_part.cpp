#include "core/misc_part.hpp"

#include <cmath>

#include "core/archive.hpp"
#include "core/arrhenius.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

const FieldSpec kMethod{"MISC_METHOD", "Calculation method", FieldKind::Choice, 0, 0, 0, &kMiscMethods};
const FieldSpec kBaseFr{"MISC_BASEFR", "Base failure rate", FieldKind::Real, 0.000001, 999999, 0,
                        nullptr, "fpmh"};
const FieldSpec kEa{"MISC_EA", "Activation energy", FieldKind::Real, 0.01, 10, 0, nullptr, "eV"};
const FieldSpec kTNormal{"MISC_TNORMAL", "Normalization temperature", FieldKind::Real, -55, 175, 0,
                         nullptr, "deg C"};
const FieldSpec kTRise{"MISC_TRISE", "Temperature rise", FieldKind::Real, 0, 175, 0, nullptr, "deg C"};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CMisc::METHOD>(kMethod),
    input<&CMisc::BASEFR>(kBaseFr),
    input<&CMisc::EA>(kEa),
    input<&CMisc::TNORMAL>(kTNormal),
    input<&CMisc::TRISE>(kTRise),
    result<&CMisc::LB>("LB"),
    result<&CMisc::PIT>("PIT"),
};

}  // namespace

const ClassRecord CMisc::kClass = makeClassRecord<CMisc>("CMisc");

std::span<const StoredField> CMisc::storedFields() const { return kStored; }

std::string CMisc::GetTypeName() const {
  return isHybridPart() ? "Miscellaneous(Hyb)" : "Miscellaneous";
}

void CMisc::paramPage(FieldVisitor& f) {
  f.choice(kMethod, METHOD, true);
  f.number(kBaseFr, BASEFR, true);
  f.number(kTNormal, TNORMAL, isArrhenius());
  f.number(kEa, EA, isArrhenius());
  f.number(kTRise, TRISE, isArrhenius());
}

void CMisc::Calculate(CCircHeader& header) {
  OverFlags = 0;
  checkChoice(METHOD, kMiscMethods);
  T = isArrhenius() ? header.TEMP + TRISE : header.TEMP;
  S = -1.0f;
  flagLimits();
  // Stored inputs are limited to their field ranges for the calculation
  // (flagged EntryOverRange), so a damaged or hand-edited record can neither
  // overflow the Arrhenius term nor divide by a zero absolute temperature.
  LB = static_cast<float>(limitToRange(BASEFR, 0.0, kBaseFr.hi));  // 0: a part that never fails
  PIT = 1.0f;
  if (isArrhenius()) {
    const double t = limitToRange(T, kTNormal.lo, kTNormal.hi + kTRise.hi);
    const double tNormal = limitToRange(TNORMAL, kTNormal.lo, kTNormal.hi);
    const double ea = limitToRange(EA, kEa.lo, kEa.hi);
    PIT = storedRate(arrheniusFactorEv(ea, t, 1.0 / (tNormal + 273.0)));
  }
  FR = storedRate(limitToRange(CF, 0.0, 1000.0) * PIT * LB);
  finishSurfaceMount(header, isArrhenius() ? TRISE : 0.0);
}

void CMisc::UpdateAppParams(const CPart& other) {
  if (sameClass(other)) TRISE = static_cast<const CMisc&>(other).TRISE;
}

void CMisc::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string method = strprintf("CalcMethod:%s", std::string(kMiscMethods.text(METHOD)).c_str());
  const std::string base = strprintf("BaseFR:%sfpmh", formatNumber(BASEFR, 8, 6).c_str());
  std::string tnormal, ea, trise;
  if (isArrhenius()) {
    tnormal = strprintf("Tnormal:%s", formatNumber(TNORMAL, 6, 2).c_str());
    ea = strprintf("Ea:%s", formatNumber(EA, 8, 6).c_str());
    trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  }
  line1 = lineprintf("%s%-20s  %-19s  %-14s  %-11s  %-12s", pre.c_str(), method.c_str(), base.c_str(),
                     tnormal.c_str(), ea.c_str(), trise.c_str());
  line2.clear();
}

void CMisc::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *   PIT    *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIT, 8, 6).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
