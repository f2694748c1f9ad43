#include "models/passive_semis/laser_diode.hpp"

#include <array>
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

// Entry ranges, in single precision as the fields are, so a stored value at
// either end of its range is inside it.
constexpr float kDutyCycleMin = 0.001f;
constexpr float kDutyCycleMax = 100.0f;
constexpr float kPeakCurrentMin = 0.001f;
constexpr float kPeakCurrentMax = 25.0f;
constexpr float kPmaxMin = 0.001f;
constexpr float kPmaxMax = 999999.0f;
constexpr double kPreqShareMax = 0.95;  // Preq up to 0.95 x Pmax
constexpr float kRiseMax = 175.0f;
constexpr float kLowestAmbient = -55.0f;
constexpr float kHighestAmbient = 175.0f;

const FieldSpec kType{"LASDIO_TYPE", "Device Type", FieldKind::Choice, 0, 0, 0, &kLaserDiodeTypes};
const FieldSpec kQu{"LASDIO_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kLaserDiodeQualities};
const FieldSpec kApp{"LASDIO_APP", "Application", FieldKind::Choice, 0, 0, 0, &kLaserDiodeApps};
const FieldSpec kDc{"LASDIO_DC", "DutyCycle", FieldKind::Real, kDutyCycleMin, kDutyCycleMax, 0, nullptr, "%"};
const FieldSpec kPeakI{"LASDIO_PEAKI", "PeakCurrent", FieldKind::Real, kPeakCurrentMin, kPeakCurrentMax, 0,
                       nullptr, "A"};
const FieldSpec kPmax{"LASDIO_PMAX", "Pmax (mW)", FieldKind::Real, kPmaxMin, kPmaxMax, 0, nullptr, "mW"};
// The upper bound of Preq is 0.95 x the record's Pmax.
const FieldSpec kPreq{"LASDIO_PREQ", "Preq (mW)", FieldKind::Real, 0, kPreqShareMax * kPmaxMax, 0, nullptr, "mW"};
const FieldSpec kTRise{"LASDIO_TRISE", "Temp Rise", FieldKind::Real, 0, kRiseMax, 0, nullptr, "deg C"};

// ---- handbook section 6.13, laser diodes ----

// Base failure rate lambda_b (fpmh) by type.
constexpr std::array<double, 3> kBaseRate = {0.0, 3.23, 5.65};  // GaAs/AlGaAs, InGaAs/InGaAsP

// pi_T = exp(-4635 x (1/(T + 273) - 1/298)).
constexpr double kEaOverK = 4635.0;

// Quality factor pi_Q: hermetic, non-hermetic with facet coating, without.
constexpr std::array<double, 4> kQualityFactor = {0.0, 1.0, 1.0, 3.3};

// Forward current factor pi_I = I^0.68, I the peak forward current in A.
constexpr double kCurrentExponent = 0.68;

// Application factor pi_A: CW 4.4; pulsed (duty cycle as a fraction)^0.5.
constexpr double kContinuousWave = 4.4;

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0, 1.0, 2.0,  8.0, 5.0, 12.0, 4.0,  6.0,
                                         6.0, 8.0, 17.0, 0.5, 9.0, 24.0, 450.0};

// The largest Preq a record with rated power `pmax` holds, as stored.
double largestPreq(double pmax) {
  return static_cast<float>(kPreqShareMax * pmax);
}

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CLaserDiode::TYPE>(kType),
    input<&CLaserDiode::QU>(kQu).fromPackageInHybrid(),
    input<&CLaserDiode::APP>(kApp),
    input<&CLaserDiode::DC>(kDc),
    input<&CLaserDiode::PEAKI>(kPeakI),
    input<&CLaserDiode::PMAX>(kPmax),
    input<&CLaserDiode::PREQ>(kPreq),
    input<&CLaserDiode::TRISE>(kTRise),
    result<&CLaserDiode::LB>("LB"),
    result<&CLaserDiode::PIT>("PIT"),
    result<&CLaserDiode::PIQ>("PIQ"),
    result<&CLaserDiode::PII>("PII"),
    result<&CLaserDiode::PIA>("PIA"),
    result<&CLaserDiode::PIP>("PIP"),
    result<&CLaserDiode::PIE>("PIE"),
};

}  // namespace

const ClassRecord CLaserDiode::kClass = makeClassRecord<CLaserDiode>("CLaserDiode");

std::span<const StoredField> CLaserDiode::storedFields() const { return kStored; }

void CLaserDiode::shapeInput(ShownInput& input) {
  if (input.is(kDc)) {
    input.applies = isPulsed();
  } else if (input.is(kPreq)) {
    input.shown.hi = kPreqShareMax * PMAX;
  }
}

std::string CLaserDiode::GetTypeName() const {
  return isHybridPart() ? "LaserDiode(Hyb)" : "LaserDiode";
}

void CLaserDiode::Calculate(CCircHeader& header) {
  OverFlags = 0;
  // Device temperature: ambient plus the diode's own rise.
  const double rise = limitToRange(TRISE, 0.0, kRiseMax);
  const double t = limitToRange(header.TEMP, kLowestAmbient, kHighestAmbient) + rise;
  T = static_cast<float>(t);
  if (T > TEMPLIMIT) OverFlags |= OverTemp;
  S = -1.0f;  // no stress figure

  const double lb = tableAt(kBaseRate, checkChoice(TYPE, kLaserDiodeTypes));
  const double pit = arrheniusFactor(kEaOverK, t);
  const double pii = std::pow(limitToRange(PEAKI, kPeakCurrentMin, kPeakCurrentMax), kCurrentExponent);

  // Power degradation factor pi_P = 1 / (2 x (1 - Preq / Pmax)).
  const double pmax = limitToRange(PMAX, kPmaxMin, kPmaxMax);
  const double preq = limitToRange(PREQ, 0.0, largestPreq(pmax));
  const double denominator = 2.0 * (1.0 - preq / pmax);
  const double pip = denominator == 0.0 ? 0.0 : 1.0 / denominator;

  double piq = 1.0;  // a hybrid part: the package supplies quality, application and environment
  double pia = 1.0;
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kLaserDiodeQualities));
    pia = checkChoice(APP, kLaserDiodeApps) == kLaserDiodePulsed
              ? std::sqrt(limitToRange(DC, kDutyCycleMin, kDutyCycleMax) * 0.01)
              : kContinuousWave;
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIQ = static_cast<float>(piq);
  PII = static_cast<float>(pii);
  PIA = static_cast<float>(pia);
  PIP = static_cast<float>(pip);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pia * lb * cf * pit * pii * pip * pie * piq);

  finishSurfaceMount(header, rise);
}

void CLaserDiode::ApplyWhatIf(const WhatIfSettings&) {
  // Neither the quality nor a stress of a laser diode is changed by What-If?.
}

void CLaserDiode::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CLaserDiode&>(other);
  DC = o.DC;
  TRISE = o.TRISE;
}

void CLaserDiode::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string quality = isHybridPart() ? std::string() : storedChoiceText(kLaserDiodeQualities, QU);
  const bool pulsed = kLaserDiodeApps.clamp(APP) == kLaserDiodePulsed;
  const std::string dc = pulsed ? strprintf("DC:%s%%", formatNumber(DC, 5, 2).c_str()) : std::string();
  line1 = lineprintf("%s%-14s  %-23s  %-6s  %-9s", pre.c_str(), storedChoiceText(kLaserDiodeTypes, TYPE).c_str(),
                     quality.c_str(), storedChoiceText(kLaserDiodeApps, APP).c_str(), dc.c_str());
  const std::string peak = strprintf("PeakI:%sA", formatNumber(PEAKI, 8, 6).c_str());
  const std::string pmax = strprintf("Pmax:%smW", formatNumber(PMAX, 8, 6).c_str());
  const std::string preq = strprintf("Preq:%smW", formatNumber(PREQ, 8, 6).c_str());
  const std::string trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  line2 = lineprintf("%s%-15s  %-15s  %-15s  %-12s", pre.c_str(), peak.c_str(), pmax.c_str(), preq.c_str(),
                     trise.c_str());
}

void CLaserDiode::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *   PIT    * PIQ *   PII    *   PIA    *   PIP    *  PIE  *   PICF  ",
                     pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-3s   %-8s   %-8s   %-8s   %-5s   %-8s", pre.c_str(),
                     formatNumber(LB, 8, 6).c_str(), formatNumber(PIT, 8, 6).c_str(),
                     formatNumber(PIQ, 3, 1).c_str(), formatNumber(PII, 8, 6).c_str(),
                     formatNumber(PIA, 8, 6).c_str(), formatNumber(PIP, 8, 6).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
