#include "models/passive_semis/resistive_record.hpp"

#include <iterator>

#include "core/archive.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {

StoredFields CResistiveRecord::storedFieldsOf(const Fields& k) {
  using R = CResistiveRecord;
  return {input<&R::TYPE>(k.type),
          input<&R::RES>(k.res),
          input<&R::RESUNIT>(k.resUnit),
          input<&R::QU>(k.qu),
          input<&R::PMAX>(k.pmax),
          input<&R::PD>(k.pd),
          input<&R::STRESSMODE>(k.stressMode),
          input<&R::PSTRESS>(k.pstress),
          input<&R::TRISE>(k.trise),
          result<&R::LB>("LB"),
          result<&R::PIT>("PIT"),
          result<&R::PIP>("PIP"),
          result<&R::PIS>("PIS"),
          result<&R::PIQ>("PIQ"),
          result<&R::PIE>("PIE")};
}

void CResistiveRecord::shapeInput(ShownInput& input) {
  const Fields& k = *fields_;
  if (input.is(k.res) && input.reading) {
    // A value written with a prefix ("4k7") is read into the record's unit.
    const bool known = RESUNIT >= 1 && RESUNIT < std::size(kResistanceUnitNames);
    input.shown.unit = kResistanceUnitNames[known ? RESUNIT : 1];
  } else if (input.is(k.qu)) {
    input.applies = !isHybridPart();  // a hybrid part takes its quality from the package
  } else if (input.is(k.pd)) {
    input.shown.hi = PMAX;
  } else if (input.is(k.pstress)) {
    // In the computed mode the stress is not an entry: it shows Pd / Pmax.
    if (!isManualStress()) PSTRESS = stressPercent(PD, PMAX);
    input.applies = isManualStress();
  }
}

void CResistiveRecord::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kResistorQualities.count()), settings);
  }
  applyStressChange(StressSubject{PSTRESS, &STRESSMODE, PMAX, PD}, 0.0, 100.0, settings);
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
