#include "models/passive_semis/crystal.hpp"

#include <array>
#include <cmath>

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

const FieldSpec kFreq{"CRYS_FREQ", "Frequency", FieldKind::Real, 0, 300, 0, nullptr, "MHz"};
const FieldSpec kQu{"CRYS_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMilLowerQualities};

// ---- handbook section 19.1, quartz crystals ----

// Base failure rate lambda_b = 0.013 x f ^ 0.23, f in MHz.
constexpr double kBaseScale = 0.013;
constexpr double kFrequencyExponent = 0.23;

// Quality factor pi_Q: MIL-C-3098 1.0, lower 2.1.
constexpr std::array<double, 3> kQualityFactor = {0.0, 1.0, 2.1};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  3.0,  10.0, 6.0,  16.0, 12.0, 17.0,
                                         22.0, 28.0, 23.0, 0.5,  13.0, 32.0, 500.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CCrystal::FREQ>(kFreq),
    input<&CCrystal::QU>(kQu).fromPackageInHybrid(),
    result<&CCrystal::LB>("LB"),
    result<&CCrystal::PIQ>("PIQ"),
    result<&CCrystal::PIE>("PIE"),
};

}  // namespace

const ClassRecord CCrystal::kClass = makeClassRecord<CCrystal>("CCrystal");

std::span<const StoredField> CCrystal::storedFields() const { return kStored; }

std::string CCrystal::GetTypeName() const { return isHybridPart() ? "QuartzCrystal(Hyb)" : "QuartzCrystal"; }

void CCrystal::Calculate(CCircHeader& header) {
  ambient_device::begin(*this, header);
  const double lb = kBaseScale * std::pow(limitToRange(FREQ, 0.0, 300.0), kFrequencyExponent);
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
  FR = static_cast<float>(lb * cf * piq * pie);
  finishSurfaceMount(header, 0.0);
}

void CCrystal::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, 2, settings);
}

void CCrystal::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  const std::string freq = formatNumber(FREQ, 8, 6) + "MHz";
  line1 = lineprintf("%s%-11s  %-8s", std::string(prefix).c_str(), freq.c_str(),
                     ambient_device::qualityText(*this, QU).c_str());
}

void CCrystal::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *  PIQ  *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-5s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIQ, 5, 2).c_str(), formatNumber(PIE, 5, 1).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
