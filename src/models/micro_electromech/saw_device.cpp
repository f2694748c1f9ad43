#include "models/micro_electromech/saw_device.hpp"

#include <array>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"
#include "models/micro_electromech/microcircuit_tables.hpp"

namespace kestrel {
namespace {

const FieldSpec kQu{"SAW_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kSawQualities};

// ---- handbook section 5.6, surface acoustic wave devices ----

// Base failure rate lambda_b (fpmh).
constexpr double kBaseRate = 2.1;
// Quality factor pi_Q: ten temperature cycles (-55 to +125 C) with end-point
// electrical tests 0.10; commercial practice only 1.0.
constexpr std::array<double, 3> kQualityFactor = {0.0, 0.1, 1.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CSAWDevice::QU>(kQu).fromPackageInHybrid(),
    result<&CSAWDevice::LB>("LB"),
    result<&CSAWDevice::PIQ>("PIQ"),
    result<&CSAWDevice::PIE>("PIE"),
};

}  // namespace

const ClassRecord CSAWDevice::kClass = makeClassRecord<CSAWDevice>("CSAWDevice");

std::span<const StoredField> CSAWDevice::storedFields() const { return kStored; }

std::string CSAWDevice::GetTypeName() const { return isHybridPart() ? "SAWDevice(Hyb)" : "SAWDevice"; }

void CSAWDevice::Calculate(CCircHeader& header) {
  OverFlags = 0;
  T = header.TEMP;
  S = -1.0f;
  flagLimits();
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kSawQualities));
    pie = tableAt(kMicrocircuitEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();
  LB = static_cast<float>(kBaseRate);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(cf * piq * pie * kBaseRate);
  finishSurfaceMount(header, 0.0);
}

void CSAWDevice::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, static_cast<int>(kSawQualities.count()), settings);
}

void CSAWDevice::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string quality =
      isHybridPart() ? std::string()
                     : strprintf("Qu:%s", storedChoiceText(kSawQualities, QU).c_str());
  line1 = lineprintf("%s%-14s", pre.c_str(), quality.c_str());
  line2.clear();
}

void CSAWDevice::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *  PIQ  *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-5s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIQ, 5, 2).c_str(), formatNumber(PIE, 5, 1).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
