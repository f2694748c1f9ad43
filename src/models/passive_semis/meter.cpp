#include "models/passive_semis/meter.hpp"

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

const FieldSpec kApp{"METER_APP", "Application", FieldKind::Choice, 0, 0, 0, &kMeterApplications};
const FieldSpec kFunction{"METER_FUNCTION", "Function", FieldKind::Choice, 0, 0, 0, &kMeterFunctions};
const FieldSpec kQu{"METER_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMilLowerQualities};

// ---- handbook section 18.1, panel meters ----

constexpr double kBaseRate = 0.09;  // lambda_b, fpmh

// Application factor pi_A: DC 1.0, AC 1.7.
constexpr std::array<double, 3> kApplicationFactor = {0.0, 1.0, 1.7};
// Function factor pi_F: ammeter 1.0, voltmeter 1.0, other 2.8.
constexpr std::array<double, 4> kFunctionFactor = {0.0, 1.0, 1.0, 2.8};
// Quality factor pi_Q: MIL-M-10304 1.0, lower 3.4.
constexpr std::array<double, 3> kQualityFactor = {0.0, 1.0, 3.4};

// Environment factor pi_E, GB..CL; the handbook gives none for ML and CL,
// where a meter is not a valid part.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  4.0,  25.0, 12.0, 35.0, 28.0, 42.0,
                                         58.0, 73.0, 60.0, 1.1,  60.0, 0.0,  0.0};
constexpr std::uint8_t kFirstInvalidEnvironment = 13;  // ML

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CMeter::APP>(kApp),
    input<&CMeter::FUNCTION>(kFunction),
    input<&CMeter::QU>(kQu).fromPackageInHybrid(),
    result<&CMeter::LB>("LB"),
    result<&CMeter::PIA>("PIA"),
    result<&CMeter::PIF>("PIF"),
    result<&CMeter::PIQ>("PIQ"),
    result<&CMeter::PIE>("PIE"),
};

}  // namespace

const ClassRecord CMeter::kClass = makeClassRecord<CMeter>("CMeter");

std::span<const StoredField> CMeter::storedFields() const { return kStored; }

std::string CMeter::GetTypeName() const { return isHybridPart() ? "Meter(Hyb)" : "Meter"; }

void CMeter::Calculate(CCircHeader& header) {
  ambient_device::begin(*this, header);
  const std::uint8_t env = checkedEnvironment(header);
  if (env >= kFirstInvalidEnvironment) OverFlags |= EnvNotValid;
  const double pia = tableAt(kApplicationFactor, checkChoice(APP, kMeterApplications));
  const double pif = tableAt(kFunctionFactor, checkChoice(FUNCTION, kMeterFunctions));
  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kMilLowerQualities));
    pie = tableAt(kEnvironmentFactor, env);
  }
  const double cf = correctionFactor();
  LB = static_cast<float>(kBaseRate);
  PIA = static_cast<float>(pia);
  PIF = static_cast<float>(pif);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pia * cf * pif * piq * pie * kBaseRate);
  finishSurfaceMount(header, 0.0);
}

void CMeter::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, 2, settings);
}

void CMeter::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  line1 = lineprintf("%s%-2s  %-9s  %-8s", std::string(prefix).c_str(),
                     storedChoiceText(kMeterApplications, APP).c_str(),
                     storedChoiceText(kMeterFunctions, FUNCTION).c_str(),
                     ambient_device::qualityText(*this, QU).c_str());
}

void CMeter::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    * PIA * PIF * PIQ *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-3s   %-3s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIA, 3, 1).c_str(), formatNumber(PIF, 3, 1).c_str(),
                     formatNumber(PIQ, 3, 1).c_str(), formatNumber(PIE, 5, 2).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
