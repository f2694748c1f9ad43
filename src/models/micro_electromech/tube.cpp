#include "models/micro_electromech/tube.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/stored_range.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// Type lists by family.
constexpr std::string_view kReceiverTypeNames[] = {"", "Triode/Tetrode/Pentode", "PowerRectifier"};
constexpr ChoiceList kReceiverTypes{kReceiverTypeNames};
constexpr std::string_view kCrossedFieldTypeNames[] = {"", "QK681", "SFD261"};
constexpr ChoiceList kCrossedFieldTypes{kCrossedFieldTypeNames};
constexpr std::string_view kPulsedGriddedTypeNames[] = {"", "2041", "6952", "7835"};
constexpr ChoiceList kPulsedGriddedTypes{kPulsedGriddedTypeNames};
constexpr std::string_view kTransmittingTypeNames[] = {"", "Triode", "Tetrode/Pentode"};
constexpr ChoiceList kTransmittingTypes{kTransmittingTypeNames};
constexpr std::string_view kVidiconTypeNames[] = {"", "Sb2S3Photoconductor", "SiDiodeArrayPhotoconductor"};
constexpr ChoiceList kVidiconTypes{kVidiconTypeNames};
constexpr std::string_view kTwystronTypeNames[] = {"", "VA144", "VA145E", "VA145H", "VA913A"};
constexpr ChoiceList kTwystronTypes{kTwystronTypeNames};
constexpr std::string_view kMagnetronTypeNames[] = {"", "ContinuousWave", "CoaxialPulsed", "ConventionalPulsed"};
constexpr ChoiceList kMagnetronTypes{kMagnetronTypeNames};
constexpr ChoiceList kNoTypes{};

const FieldSpec kFamily{"TUBE_FAMILY", "Device Family", FieldKind::Choice, 0, 0, 0, &kTubeFamilies};
const FieldSpec kType{"TUBE_TYPE", "Device Type", FieldKind::Choice, 0, 0, 0, &kReceiverTypes};
const FieldSpec kPower{"TUBE_POWER", "Power", FieldKind::Real, 0.001, 40000};
const FieldSpec kFreq{"TUBE_FREQ", "Frequency", FieldKind::Real, 0.1, 8000};
const FieldSpec kOverLimit{"TUBE_OVERLIMIT", "OverLimit", FieldKind::Choice, 0, 0, 0, &kTubeOverLimits};
const FieldSpec kYears{"TUBE_YEARS", "Field Years", FieldKind::Real, 0, 99, 0, nullptr, "years"};
const FieldSpec kRatio{"TUBE_RATIO", "Util Ratio (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};

// Power and frequency entry ranges (and units) by family.
struct PowerFrequencyRange {
  double powerLo, powerHi;
  std::string_view powerUnit;
  double freqLo, freqHi;
  std::string_view freqUnit;
};
constexpr PowerFrequencyRange kPulsedKlystronRange{0.01, 25, "MW", 0.2, 6, "GHz"};
constexpr PowerFrequencyRange kCwKlystronRange{0.1, 100, "KW", 300, 8000, "MHz"};
constexpr PowerFrequencyRange kTravelingWaveRange{0.001, 40000, "W", 0.1, 18, "GHz"};
constexpr PowerFrequencyRange kMagnetronRange{0.01, 5, "MW", 0.1, 100, "GHz"};

const PowerFrequencyRange& rangeOf(std::uint8_t family) {
  switch (family) {
    case kPulsedKlystron:
      return kPulsedKlystronRange;
    case kContinuousWaveKlystron:
      return kCwKlystronRange;
    case kTravelingWaveTube:
      return kTravelingWaveRange;
    default:
      return kMagnetronRange;
  }
}

FieldSpec powerField(std::uint8_t family) {
  const PowerFrequencyRange& r = rangeOf(family);
  FieldSpec f = kPower;
  f.lo = r.powerLo;
  f.hi = r.powerHi;
  f.unit = r.powerUnit;
  return f;
}

FieldSpec frequencyField(std::uint8_t family) {
  const PowerFrequencyRange& r = rangeOf(family);
  FieldSpec f = kFreq;
  f.lo = r.freqLo;
  f.hi = r.freqHi;
  f.unit = r.freqUnit;
  return f;
}

// ---- handbook section 8.1, tubes other than travelling-wave tubes and magnetrons ----

// Base failure rate lambda_b (fpmh) of the families with a fixed rate, by
// type where the family has types (index 0 for the families without).
constexpr std::array<double, 3> kReceiverRate = {0.0, 5.0, 10.0};
constexpr double kCrtRate = 9.6;
constexpr double kThyratronRate = 50.0;
constexpr std::array<double, 3> kCrossedFieldRate = {0.0, 260.0, 150.0};
constexpr std::array<double, 4> kPulsedGriddedRate = {0.0, 140.0, 390.0, 140.0};
constexpr std::array<double, 3> kTransmittingRate = {0.0, 75.0, 100.0};
constexpr double kTransmittingOverLimitRate = 250.0;  // any of the peak power, average power or frequency limits exceeded
constexpr std::array<double, 3> kVidiconRate = {0.0, 51.0, 48.0};
constexpr std::array<double, 5> kTwystronRate = {0.0, 850.0, 450.0, 490.0, 230.0};
constexpr double kLowPowerKlystronRate = 30.0;

// Pulsed klystron: lambda_b = 2.94 x F x P + 16 (F in GHz, P peak MW), valid
// for P <= 490 x F ^ -2.95.
constexpr double pulsedKlystronRate(double f, double p) { return 2.94 * f * p + 16.0; }
bool outsidePulsedKlystronEnvelope(double f, double p) { return p > 490.0 * std::pow(f, -2.95); }
// Continuous-wave klystron: lambda_b = 0.5 x P + 0.00046 x F + 29 (P average
// kW, F in MHz), valid for P <= 8 x 10^6 x F ^ -1.7.
constexpr double cwKlystronRate(double f, double p) { return 0.5 * p + 0.00046 * f + 29.0; }
bool outsideCwKlystronEnvelope(double f, double p) { return p > 8000000.0 * std::pow(f, -1.7); }

// Learning factor pi_L by years in field use T: T <= 1: 10; 1 < T < 3:
// 10 x T ^ -2.1; T >= 3: 1.0.
double learningFactor(double years) {
  if (years <= 1.0) return 10.0;
  if (years < 3.0) return 10.0 * std::pow(years, -2.1);
  return 1.0;
}

// Environment factor pi_E, GB..CL.
constexpr EnvTable kTubeEnvironmentFactor = {0.0, 0.5,  1.0,  14.0, 8.0,  24.0, 5.0,   8.0,
                                             6.0, 12.0, 40.0, 0.2,  22.0, 57.0, 1000.0};

// ---- handbook section 8.2, travelling-wave tubes ----

// lambda_b = 11 x 1.00001 ^ P x 1.1 ^ F (P rated power W, F in GHz).
double travelingWaveRate(double f, double p) { return 11.0 * std::pow(1.00001, p) * std::pow(1.1, f); }
constexpr EnvTable kTravelingWaveEnvironmentFactor = {0.0, 0.5, 1.5,  7.0,  3.0,  10.0, 5.0,  7.0,
                                                      6.0, 9.0, 20.0, 0.05, 11.0, 33.0, 500.0};

// ---- handbook section 8.3, magnetrons ----

// lambda_b = 18 for continuous-wave magnetrons (rated power < 5 kW);
// 19 x F ^ 0.73 x P ^ 0.20 for pulsed ones (F in GHz, P peak MW).
constexpr double kCwMagnetronRate = 18.0;
double pulsedMagnetronRate(double f, double p) { return 19.0 * std::pow(f, 0.73) * std::pow(p, 0.2); }
// Utilization factor pi_U = 0.44 + 0.56 x R, R = radiate hours / filament hours.
double utilizationFactor(double percent) { return 0.44 + 0.56 * (percent * 0.01); }
// Construction factor pi_C: continuous wave 1.0, coaxial pulsed 1.0, conventional pulsed 5.4.
constexpr std::array<double, 4> kConstructionFactor = {0.0, 1.0, 1.0, 5.4};
constexpr EnvTable kMagnetronEnvironmentFactor = {0.0,  1.0,  2.0,  4.0, 15.0, 47.0,  10.0,  16.0,
                                                  12.0, 23.0, 80.0, 0.5, 43.0, 133.0, 2000.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CTube::FAMILY>(kFamily),
    input<&CTube::TYPE>(kType).withClassList(),
    input<&CTube::POWER>(kPower),
    input<&CTube::FREQ>(kFreq),
    input<&CTube::OVERLIMIT>(kOverLimit),
    input<&CTube::YEARS>(kYears),
    input<&CTube::RATIO>(kRatio),
    kept<&CTube::LB>(),
    kept<&CTube::PIE>(),
    kept<&CTube::PIL>(),
    kept<&CTube::PIU>(),
    kept<&CTube::PIC>(),
};

}  // namespace

const ClassRecord CTube::kClass = makeClassRecord<CTube>("CTube");

const ChoiceList& CTube::typeList() const {
  switch (family()) {
    case 1:
      return kReceiverTypes;
    case 4:
      return kCrossedFieldTypes;
    case 5:
      return kPulsedGriddedTypes;
    case 6:
      return kTransmittingTypes;
    case 7:
      return kVidiconTypes;
    case 8:
      return kTwystronTypes;
    case 13:
      return kMagnetronTypes;
    default:
      return kNoTypes;
  }
}

bool CTube::hasPowerAndFrequency() const {
  switch (family()) {
    case kPulsedKlystron:
    case kContinuousWaveKlystron:
    case kTravelingWaveTube:
      return true;
    case kMagnetron:
      return kMagnetronTypes.clamp(TYPE) != kContinuousWaveMagnetron;
    default:
      return false;
  }
}

std::span<const StoredField> CTube::storedFields() const { return kStored; }

void CTube::shapeInput(ShownInput& input) {
  if (input.is(kType)) {
    // The type list, and the power and frequency ranges, follow the (possibly
    // changed) family: a type past the end of a shorter list takes its last
    // entry, a power or frequency outside the new range its nearest bound.
    if (hasType() && !input.reading) TYPE = typeList().clamp(TYPE);
    input.shown.choices = &typeList();
    input.applies = hasType();
  } else if (input.is(kPower) || input.is(kFreq)) {
    const bool power = input.is(kPower);
    input.shown = power ? powerField(family()) : frequencyField(family());
    input.applies = hasPowerAndFrequency();
    float& value = power ? POWER : FREQ;
    if (input.applies && !input.reading) value = static_cast<float>(heldInRange(value, input.shown.lo, input.shown.hi));
  } else if (input.is(kOverLimit)) {
    input.applies = family() == kTransmittingTube;
  } else if (input.is(kYears)) {
    input.applies = hasLearningFactor();
  } else if (input.is(kRatio)) {
    input.applies = family() == kMagnetron;
  }
}

std::vector<NamedFactor> CTube::factors() const {
  if (family() == kTravelingWaveTube) return {{"LB", LB}, {"PIE", PIE}};
  if (family() == kMagnetron) return {{"LB", LB}, {"PIU", PIU}, {"PIC", PIC}, {"PIE", PIE}};
  return {{"LB", LB}, {"PIL", PIL}, {"PIE", PIE}};
}

std::string CTube::GetTypeName() const { return isHybridPart() ? "Tube(Hyb)" : "Tube"; }

void CTube::normalizeChoices() {
  CPart::normalizeChoices();
  if (hasType()) checkChoice(TYPE, typeList());
}

void CTube::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const std::uint8_t fam = checkChoice(FAMILY, kTubeFamilies);
  const std::uint8_t type = hasType() ? checkChoice(TYPE, typeList()) : 0;
  T = static_cast<float>(limitToRange(header.TEMP, -55.0, 175.0));
  S = -1.0f;  // no stress figure
  flagLimits();
  const double cf = correctionFactor();
  const std::uint8_t env = checkedEnvironment(header);
  double p = 0.0, f = 0.0;
  if (hasPowerAndFrequency()) {
    const PowerFrequencyRange& r = rangeOf(fam);
    p = limitToRange(POWER, r.powerLo, r.powerHi);
    f = limitToRange(FREQ, r.freqLo, r.freqHi);
  }

  double lb = 0.0, pie = 1.0, pil = 0.0, piu = 0.0, pic = 0.0, fr = 0.0;
  if (fam == kTravelingWaveTube) {
    lb = travelingWaveRate(f, p);
    if (!isHybridPart()) pie = tableAt(kTravelingWaveEnvironmentFactor, env);
    fr = lb * cf * pie;
  } else if (fam == kMagnetron) {
    lb = type == kContinuousWaveMagnetron ? kCwMagnetronRate : pulsedMagnetronRate(f, p);
    piu = utilizationFactor(limitToRange(RATIO, 0.0, 100.0));
    pic = tableAt(kConstructionFactor, type);
    if (!isHybridPart()) pie = tableAt(kMagnetronEnvironmentFactor, env);
    fr = pic * cf * piu * lb * pie;
  } else {
    switch (fam) {
      case 1: lb = tableAt(kReceiverRate, type); break;
      case 2: lb = kCrtRate; break;
      case 3: lb = kThyratronRate; break;
      case 4: lb = tableAt(kCrossedFieldRate, type); break;
      case 5: lb = tableAt(kPulsedGriddedRate, type); break;
      case 6:
        lb = checkChoice(OVERLIMIT, kTubeOverLimits) == 1 ? kTransmittingOverLimitRate
                                                          : tableAt(kTransmittingRate, type);
        break;
      case 7: lb = tableAt(kVidiconRate, type); break;
      case 8: lb = tableAt(kTwystronRate, type); break;
      case kPulsedKlystron:
        lb = pulsedKlystronRate(f, p);
        if (outsidePulsedKlystronEnvelope(f, p)) OverFlags |= EntryOverRange;
        break;
      case 10: lb = kLowPowerKlystronRate; break;
      default:
        lb = cwKlystronRate(f, p);
        if (outsideCwKlystronEnvelope(f, p)) OverFlags |= EntryOverRange;
        break;
    }
    pil = learningFactor(limitToRange(YEARS, 0.0, 99.0));
    if (!isHybridPart()) pie = tableAt(kTubeEnvironmentFactor, env);
    fr = cf * pil * lb * pie;
  }
  LB = static_cast<float>(lb);
  PIE = static_cast<float>(pie);
  PIL = static_cast<float>(pil);
  PIU = static_cast<float>(piu);
  PIC = static_cast<float>(pic);
  FR = static_cast<float>(fr);
  finishSurfaceMount(header, 0.0);
}

void CTube::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  const std::uint8_t fam = family();
  std::string type = hasType() ? storedChoiceText(typeList(), TYPE) : std::string();
  if (isOverLimit()) type += " (OverLimit)";
  std::string power, freq;
  if (hasPowerAndFrequency()) {
    const PowerFrequencyRange& r = rangeOf(fam);
    power = formatNumber(POWER, 8, 6) + std::string(r.powerUnit);
    freq = formatNumber(FREQ, 8, 6) + std::string(r.freqUnit);
  }
  std::string last;
  if (hasLearningFactor()) {
    last = strprintf("Years:%s", formatNumber(YEARS, 5, 2).c_str());
  } else if (fam == kMagnetron) {
    last = strprintf("Util:%s%%", formatNumber(RATIO, 5, 2).c_str());
  }
  line1 = lineprintf("%s%-22s %-27s %-10s %-11s %-11s", std::string(prefix).c_str(),
                     storedChoiceText(kTubeFamilies, FAMILY).c_str(), type.c_str(), power.c_str(), freq.c_str(), last.c_str());
}

void CTube::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string lb = formatNumber(LB, 8, 6);
  const std::string pie = formatNumber(PIE, 7, 2);
  const std::string cf = formatNumber(CF, 8, 6);
  if (family() == kTravelingWaveTube) {
    line1 = lineprintf("%sFR=    LB    *   PIE   *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-7s   %-8s", pre.c_str(), lb.c_str(), pie.c_str(), cf.c_str());
  } else if (family() == kMagnetron) {
    line1 = lineprintf("%sFR=    LB    *  PIU  * PIC *   PIE   *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-5s   %-3s   %-7s   %-8s", pre.c_str(), lb.c_str(),
                       formatNumber(PIU, 5, 3).c_str(), formatNumber(PIC, 3, 1).c_str(), pie.c_str(), cf.c_str());
  } else {
    line1 = lineprintf("%sFR=    LB    *  PIL  *   PIE   *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-5s   %-7s   %-8s", pre.c_str(), lb.c_str(), formatNumber(PIL, 5, 2).c_str(),
                       pie.c_str(), cf.c_str());
  }
}

}  // namespace kestrel
