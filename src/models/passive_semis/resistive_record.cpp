#include "models/passive_semis/resistive_record.hpp"

#include "core/archive.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

}  // namespace

void CResistiveRecord::Serialize(Archive& ar) {
  serializeBase(ar);
  ar.io(TYPE);
  ar.io(RES);
  ar.io(RESUNIT);
  ar.io(QU);
  ar.io(PMAX);
  ar.io(PD);
  ar.io(STRESSMODE);
  ar.io(PSTRESS);
  ar.io(TRISE);
  ar.io(LB);
  ar.io(PIT);
  ar.io(PIP);
  ar.io(PIS);
  ar.io(PIQ);
  ar.io(PIE);
}

void CResistiveRecord::paramPage(FieldVisitor& f) {
  const Fields& k = *fields_;
  f.choice(k.type, TYPE, true);
  f.number(k.res, RES, true);
  f.choice(k.resUnit, RESUNIT, true);
  f.choice(k.qu, QU, !isHybridPart());  // a hybrid part takes its quality from the package
  f.number(k.pmax, PMAX, true);
  FieldSpec pd = k.pd;
  pd.hi = PMAX;
  f.number(pd, PD, true);
  f.choice(k.stressMode, STRESSMODE, true);
  // In the computed mode the stress is not an entry: it shows Pd / Pmax.
  if (!isManualStress()) PSTRESS = stressPercent(PD, PMAX);
  f.number(k.pstress, PSTRESS, isManualStress());
  f.number(k.trise, TRISE, true);
}

void CResistiveRecord::normalizeChoices() {
  CPart::normalizeChoices();
  checkChoice(TYPE, styles());
  checkChoice(RESUNIT, kResistanceUnits);
  checkChoice(QU, kResistorQualities);
  checkChoice(STRESSMODE, kPowerStressModes);
}

void CResistiveRecord::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kResistorQualities.count()), settings);
  }
  applyStressChange(StressSubject{PSTRESS, &STRESSMODE, PMAX, PD}, 0.0, 100.0, settings);
}

bool CResistiveRecord::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  if (!CPart::ImportFields(r, skipIdentity, smtAllowed, ambient)) return false;
  const Fields& k = *fields_;
  if (!r.read(k.type, TYPE) || !r.read(k.res, RES) || !r.read(k.resUnit, RESUNIT)) return false;
  if (!isHybridPart() && !r.read(k.qu, QU)) return false;
  if (!r.read(k.pmax, PMAX) || !r.read(k.pd, PD, PMAX) || !r.read(k.stressMode, STRESSMODE)) {
    return false;
  }
  if (isManualStress()) {
    if (!r.read(k.pstress, PSTRESS)) return false;
  } else {
    PSTRESS = stressPercent(PD, PMAX);
  }
  return r.read(k.trise, TRISE);
}

void CResistiveRecord::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CResistiveRecord&>(other);
  // This record keeps its style, value, quality and rating; the dissipation
  // it takes cannot exceed its own rating.
  PD = o.PD < PMAX ? o.PD : PMAX;
  STRESSMODE = o.STRESSMODE;
  PSTRESS = isManualStress() ? o.PSTRESS : stressPercent(PD, PMAX);
  TRISE = o.TRISE;
}

void CResistiveRecord::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string style = storedChoiceText(styles(), TYPE);
  const std::string value =
      strprintf("%s %s", formatNumber(RES, 9, 2).c_str(), storedChoiceText(kResistanceUnits, RESUNIT).c_str());
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kResistorQualities, QU).c_str());
  line1 = lineprintf("%s%-30s  %-17s  %-13s", pre.c_str(), style.c_str(), value.c_str(), quality.c_str());

  const std::string pmax = strprintf("Pmax:%sW", formatNumber(PMAX, 8, 5).c_str());
  const std::string pd = strprintf("Pd:%sW", formatNumber(PD, 8, 5).c_str());
  const std::string pstr = strprintf("Pstr:%s%%(%s)", formatNumber(PSTRESS, 5, 2).c_str(),
                                     storedChoiceText(kPowerStressModes, STRESSMODE).c_str());
  const std::string trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  line2 = lineprintf("%s%-14s  %-12s  %-25s  %-12s", pre.c_str(), pmax.c_str(), pd.c_str(), pstr.c_str(),
                     trise.c_str());
}

void CResistiveRecord::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 =
      lineprintf("%sFR=    LB    *   PIT    *   PIP    *   PIS    *  PIQ  *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf(
      "%s    %-8s   %-8s   %-8s   %-8s   %-5s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
      formatNumber(PIT, 8, 6).c_str(), formatNumber(PIP, 8, 6).c_str(), formatNumber(PIS, 8, 6).c_str(),
      formatNumber(PIQ, 5, 2).c_str(), formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
