#include "models/passive_semis/filter.hpp"

#include <array>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/ambient_devices.hpp"

namespace kestrel {
namespace {

const FieldSpec kFamily{"FILT_FAMILY", "Family", FieldKind::Choice, 0, 0, 0, &kFilterFamilies};
const FieldSpec kType{"FILT_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kFilterTypes};
const FieldSpec kQu{"FILT_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMilLowerQualities};

// ---- handbook section 21.1, non-tunable electronic filters ----

// Base failure rate lambda_b (fpmh) by construction: ceramic-ferrite 0.022,
// discrete LC components 0.12, discrete LC and crystal components 0.27.
constexpr std::array<double, 3> kRfiBaseRate = {0.0, 0.022, 0.12};
constexpr std::array<double, 3> kBaseRate = {0.0, 0.12, 0.27};

// Quality factor pi_Q: MIL-F-15733 / MIL-F-18327 1.0, lower 2.9.
constexpr std::array<double, 3> kQualityFactor = {0.0, 1.0, 2.9};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  2.0,  6.0, 4.0, 9.0,  7.0,  9.0,
                                         11.0, 13.0, 11.0, 0.8, 7.0, 15.0, 120.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CFilter::FAMILY>(kFamily),
    input<&CFilter::TYPE>(kType).withClassList(),
    input<&CFilter::QU>(kQu).fromPackageInHybrid(),
    result<&CFilter::LB>("LB"),
    result<&CFilter::PIQ>("PIQ"),
    result<&CFilter::PIE>("PIE"),
};

}  // namespace

const ClassRecord CFilter::kClass = makeClassRecord<CFilter>("CFilter");

std::span<const StoredField> CFilter::storedFields() const { return kStored; }

void CFilter::shapeInput(ShownInput& input) {
  if (input.is(kType)) {
    // The type list is refilled from the (possibly changed) family.
    if (!input.reading) checkChoice(TYPE, typeList());
    input.shown.choices = &typeList();
  }
}

std::string CFilter::GetTypeName() const { return isHybridPart() ? "Filter(Hyb)" : "Filter"; }

void CFilter::normalizeChoices() {
  CPart::normalizeChoices();
  checkChoice(TYPE, typeList());
}

void CFilter::Calculate(CCircHeader& header) {
  ambient_device::begin(*this, header);
  checkChoice(FAMILY, kFilterFamilies);
  const std::uint8_t type = checkChoice(TYPE, typeList());
  const double lb = isRfi() ? tableAt(kRfiBaseRate, type) : tableAt(kBaseRate, type);
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kMilLowerQualities));
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();
  LB = static_cast<float>(lb);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(cf * piq * pie * lb);
  finishSurfaceMount(header, 0.0);
}

void CFilter::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, 2, settings);
}

void CFilter::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  line1 = lineprintf("%s%-15s  %-18s  %-8s", std::string(prefix).c_str(),
                     storedChoiceText(kFilterFamilies, FAMILY).c_str(),
                     storedChoiceText(typeList(), TYPE).c_str(), ambient_device::qualityText(*this, QU).c_str());
}

void CFilter::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    * PIQ *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIQ, 3, 1).c_str(), formatNumber(PIE, 5, 2).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
