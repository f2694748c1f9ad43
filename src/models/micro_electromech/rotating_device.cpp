#include "models/micro_electromech/rotating_device.hpp"

#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

const FieldSpec kFamily{"ROTATE_FAMILY", "Device Family", FieldKind::Choice, 0, 0, 0, &kRotateFamilies};
const FieldSpec kType{"ROTATE_TYPE", "Device Type", FieldKind::Choice, 0, 0, 0, &kMotorTypes};
const FieldSpec kOpTime{"ROTATE_OPTIME", "Operating Time", FieldKind::Real, 0.01, 999999, 0, nullptr, "hours"};
const FieldSpec kSize{"ROTATE_SIZE", "Size", FieldKind::Choice, 0, 0, 0, &kSynchroSizes};
const FieldSpec kBrushes{"ROTATE_BRUSHES", "Brushes", FieldKind::Whole, 1, 4};
const FieldSpec kTStress{"ROTATE_TSTRESS", "Temp Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};
const FieldSpec kTRise{"ROTATE_TRISE", "Temp Rise", FieldKind::Real, 0, 125, 0, nullptr, "deg C"};

// Temperatures an entry can give: ambient -55..175 plus a rise of 0..125.
// The synchro curve exp(((T + 273) / 334) ^ 8.5) runs past the largest
// float near the top of that range; such a rate is held there (storedRate).
constexpr double kLowestTemp = -55.0;
constexpr double kHighestAmbient = 175.0;
constexpr double kHighestTemp = 300.0;

// ---- handbook section 12.1, motors ----

// Bearing characteristic life alpha_B = 1 / (10^(2.534 - 2357/x) + 1 / (10^(20 - 4500/x) + 300))
// and winding characteristic life alpha_W = 10^(2357/x - 1.83), x = T + 273 (hours).
double bearingLife(double x) {
  return 1.0 / (std::pow(10.0, 2.534 - 2357.0 / x) + 1.0 / (std::pow(10.0, 20.0 - 4500.0 / x) + 300.0));
}
double windingLife(double x) { return std::pow(10.0, 2357.0 / x - 1.83); }

// Cumulative failure fraction lambda_1, lambda_2 by the life fraction
// r = LC / alpha: up to each upper bound the fraction beside it; above 0.9: 1.0.
constexpr std::array<double, 9> kLifeFractionBounds = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
constexpr std::array<double, 10> kLifeFractionFactor = {0.13, 0.15, 0.23, 0.31, 0.41,
                                                        0.51, 0.61, 0.68, 0.76, 1.0};
double lifeFractionFactor(double r) {
  std::size_t i = 0;
  while (i < kLifeFractionBounds.size() && r > kLifeFractionBounds[i]) ++i;
  return kLifeFractionFactor[i];
}

// Motor constants A (bearing) and B (winding) by type: general electrical,
// sensor, servo, stepper.
constexpr std::array<double, 5> kMotorA = {0.0, 1.9, 0.48, 2.4, 11.0};
constexpr std::array<double, 5> kMotorB = {0.0, 1.1, 0.29, 1.7, 5.4};

// ---- handbook section 12.2, synchros and resolvers ----

// lambda_b = 0.00535 x exp(((T + 273) / 334) ^ 8.5).
constexpr double kSynchroScale = 0.00535;
constexpr double kInverse334 = 0.0029940119760479044;
constexpr double kSynchroExponent = 8.5;
// Size factor pi_S by size <=8, 10-16, >=18: synchros, resolvers.
constexpr std::array<double, 4> kSynchroSizeFactor = {0.0, 2.0, 1.5, 1.0};
constexpr std::array<double, 4> kResolverSizeFactor = {0.0, 3.0, 2.25, 1.5};
// Brushes factor pi_N by the number of brushes 1..4.
constexpr std::array<double, 5> kBrushFactor = {0.0, 1.4, 1.4, 2.5, 3.2};
// Environment factor pi_E, GB..CL.
constexpr EnvTable kSynchroEnvironmentFactor = {0.0,  1.0,  2.0,  12.0, 7.0,  18.0, 4.0,  6.0,
                                                16.0, 25.0, 26.0, 0.5,  14.0, 36.0, 680.0};

// ---- handbook section 12.3, elapsed-time meters ----

// Base failure rate lambda_b by type: AC 20, inverter driven 30, commutator DC 80.
constexpr std::array<double, 4> kMeterBaseRate = {0.0, 20.0, 30.0, 80.0};
// Temperature stress factor pi_T: 0.5 up to 50 percent of the rated
// temperature, the stress ratio above.
constexpr double kLowStressLimit = 50.0;
constexpr double kLowStressFactor = 0.5;
// Environment factor pi_E, GB..CL; none for CL, where the meter is not valid.
constexpr EnvTable kMeterEnvironmentFactor = {0.0,  1.0,  2.0,  12.0, 7.0,  18.0, 5.0, 8.0,
                                              16.0, 25.0, 26.0, 0.5,  14.0, 38.0, 0.0};
constexpr std::uint8_t kCannonLaunch = 14;

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CRotate::FAMILY>(kFamily),
    input<&CRotate::TYPE>(kType).withClassList(),
    input<&CRotate::OPTIME>(kOpTime),
    input<&CRotate::SIZE>(kSize),
    input<&CRotate::BRUSHES>(kBrushes),
    input<&CRotate::TSTRESS>(kTStress),
    input<&CRotate::TRISE>(kTRise),
    kept<&CRotate::LB>(),
    kept<&CRotate::PIS>(),
    kept<&CRotate::PIN>(),
    kept<&CRotate::PIE>(),
    kept<&CRotate::PIT>(),
    kept<&CRotate::BEARING>(),
    kept<&CRotate::WINDING>(),
};

}  // namespace

const ClassRecord CRotate::kClass = makeClassRecord<CRotate>("CRotate");

const ChoiceList& CRotate::typeList() const {
  switch (family()) {
    case kMotorFamily:
      return kMotorTypes;
    case kSynchroFamily:
      return kSynchroTypes;
    default:
      return kElapsedTimeMeterTypes;
  }
}

std::span<const StoredField> CRotate::storedFields() const { return kStored; }

void CRotate::shapeInput(ShownInput& input) {
  const std::uint8_t fam = family();
  if (input.is(kType)) {
    // The type list is refilled from the (possibly changed) family: a type past
    // the end of a shorter list takes its last entry.
    if (!input.reading) TYPE = typeList().clamp(TYPE);
    input.shown.choices = &typeList();
  } else if (input.is(kOpTime)) {
    input.applies = fam == kMotorFamily;
  } else if (input.is(kSize) || input.is(kBrushes)) {
    input.applies = fam == kSynchroFamily;
  } else if (input.is(kTStress)) {
    input.applies = fam == kElapsedTimeMeterFamily;
  } else if (input.is(kTRise)) {
    input.applies = hasTemperatureRise();
  }
}

std::vector<NamedFactor> CRotate::factors() const {
  switch (family()) {
    case kMotorFamily:
      return {{"BEARING_FACTOR", BEARING}, {"WINDING_FACTOR", WINDING}};
    case kSynchroFamily:
      return {{"LB", LB}, {"PIS", PIS}, {"PIN", PIN}, {"PIE", PIE}};
    default:
      return {{"LB", LB}, {"PIT", PIT}, {"PIE", PIE}};
  }
}

std::string CRotate::GetTypeName() const { return isHybridPart() ? "RotatingDevice(Hyb)" : "RotatingDevice"; }

void CRotate::normalizeChoices() {
  CPart::normalizeChoices();
  checkChoice(TYPE, typeList());
}

void CRotate::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const std::uint8_t fam = checkChoice(FAMILY, kRotateFamilies);
  const std::uint8_t type = checkChoice(TYPE, typeList());
  const double ambient = limitToRange(header.TEMP, kLowestTemp, kHighestAmbient);
  const double t = hasTemperatureRise() ? limitToRange(ambient + limitToRange(TRISE, 0.0, 125.0), kLowestTemp,
                                                       kHighestTemp)
                                        : ambient;
  T = static_cast<float>(t);
  S = -1.0f;  // no electrical stress figure
  flagLimits();
  const double cf = correctionFactor();
  const std::uint8_t env = checkedEnvironment(header);

  double lb = 0.0, pis = 0.0, pin = 0.0, pie = 0.0, pit = 0.0, bearing = 0.0, winding = 0.0;
  double fr = 0.0;
  if (fam == kMotorFamily) {
    // No environment or quality factor for motors.
    const double x = t + 273.0;
    const double lc = limitToRange(OPTIME, 0.01, 999999.0);
    const double alphaB = bearingLife(x);
    const double alphaW = windingLife(x);
    bearing = lifeFractionFactor(lc / alphaB) / (tableAt(kMotorA, type) * alphaB) * 1000000.0;
    winding = lifeFractionFactor(lc / alphaW) / (tableAt(kMotorB, type) * alphaW) * 1000000.0;
    fr = (bearing + winding) * cf;
  } else if (fam == kSynchroFamily) {
    lb = kSynchroScale * std::exp(std::pow((t + 273.0) * kInverse334, kSynchroExponent));
    const std::uint8_t size = checkChoice(SIZE, kSynchroSizes);
    pis = type == 1 ? tableAt(kSynchroSizeFactor, size) : tableAt(kResolverSizeFactor, size);
    pin = tableAt(kBrushFactor, static_cast<std::size_t>(limitToRange(BRUSHES, 1.0, 4.0)));
    pie = isHybridPart() ? 1.0 : tableAt(kSynchroEnvironmentFactor, env);
    fr = lb * cf * pin * pis * pie;
  } else {
    lb = tableAt(kMeterBaseRate, type);
    const double stress = limitToRange(TSTRESS, 0.0, 100.0);
    pit = stress <= kLowStressLimit ? kLowStressFactor : stress * 0.01;
    if (env == kCannonLaunch) OverFlags |= EnvNotValid;  // hybrid or not
    pie = isHybridPart() ? 1.0 : tableAt(kMeterEnvironmentFactor, env);
    fr = lb * cf * pit * pie;
  }
  LB = storedRate(lb);
  PIS = static_cast<float>(pis);
  PIN = static_cast<float>(pin);
  PIE = static_cast<float>(pie);
  PIT = static_cast<float>(pit);
  BEARING = static_cast<float>(bearing);
  WINDING = static_cast<float>(winding);
  FR = storedRate(fr);
  finishSurfaceMount(header, hasTemperatureRise() ? TRISE : 0.0);
}

void CRotate::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CRotate&>(other);
  OPTIME = o.OPTIME;
  TSTRESS = o.TSTRESS;
  TRISE = o.TRISE;
}

void CRotate::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line by family; the second is left as the caller passed it.
  const std::string pre(prefix);
  const std::string familyName = storedChoiceText(kRotateFamilies, FAMILY);
  const std::string typeName = storedChoiceText(typeList(), TYPE);
  const std::string trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  switch (family()) {
    case kMotorFamily: {
      const std::string opTime = strprintf("OpTime:%s", formatNumber(OPTIME, 8, 2).c_str());
      line1 = lineprintf("%s%-5s  %-17s  %-15s  %-12s", pre.c_str(), familyName.c_str(), typeName.c_str(),
                         opTime.c_str(), trise.c_str());
      break;
    }
    case kSynchroFamily: {
      const std::string size = strprintf("Size:%s", storedChoiceText(kSynchroSizes, SIZE).c_str());
      const std::string brushes = strprintf("Brushes:%.0f", static_cast<double>(BRUSHES));
      line1 = lineprintf("%s%-8s  %-10s  %-9s  %-12s", pre.c_str(), typeName.c_str(), size.c_str(),
                         brushes.c_str(), trise.c_str());
      break;
    }
    default: {
      const std::string tstress = strprintf("Tstr:%s%%", formatNumber(TSTRESS, 5, 2).c_str());
      line1 = lineprintf("%s%-16s  %-14s  %-11s", pre.c_str(), familyName.c_str(), typeName.c_str(),
                         tstress.c_str());
      break;
    }
  }
}

void CRotate::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string cf = formatNumber(CF, 8, 6);
  switch (family()) {
    case kMotorFamily:
      line1 = lineprintf("%sFR= ( BEARING_FACTOR + WINDING_FACTOR ) *   PICF  ", pre.c_str());
      line2 = lineprintf("%s         %-8s         %-8s        %-8s", pre.c_str(),
                         formatNumber(BEARING, 8, 6).c_str(), formatNumber(WINDING, 8, 6).c_str(), cf.c_str());
      break;
    case kSynchroFamily:
      line1 = lineprintf("%sFR=    LB    *  PIS  * PIN *  PIE  *   PICF  ", pre.c_str());
      line2 = lineprintf("%s    %-8s   %-5s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                         formatNumber(PIS, 5, 2).c_str(), formatNumber(PIN, 3, 1).c_str(),
                         formatNumber(PIE, 5, 1).c_str(), cf.c_str());
      break;
    default:
      line1 = lineprintf("%sFR=  LB  *  PIT  *  PIE  *   PICF  ", pre.c_str());
      line2 = lineprintf("%s    %-4s   %-5s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 4, 1).c_str(),
                         formatNumber(PIT, 5, 2).c_str(), formatNumber(PIE, 5, 1).c_str(), cf.c_str());
      break;
  }
}

}  // namespace kestrel
