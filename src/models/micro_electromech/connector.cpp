#include "models/micro_electromech/connector.hpp"

#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/arrhenius.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

const FieldSpec kFamily{"CONN_FAMILY", "Family", FieldKind::Choice, 0, 0, 0, &kConnectorFamilies};
// The type list follows the family: readers and pages pass the family's list.
const FieldSpec kType{"CONN_TYPE", "Type", FieldKind::Choice};
const FieldSpec kQu{"CONN_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kConnectorQualities};
const FieldSpec kPins{"CONN_PINS", "Pins Used", FieldKind::Whole, 1, 9999};
const FieldSpec kGauge{"CONN_GAUGE", "Pin Size", FieldKind::Choice, 0, 0, 0, &kPinGauges};
const FieldSpec kAmps{"CONN_AMPS", "Amps/Pin", FieldKind::Real, 0, 40, 0, nullptr, "A"};
const FieldSpec kCycle{"CONN_CYCLE", "Cycle Rate", FieldKind::Choice, 0, 0, 0, &kMatingCycles,
                       "cycles/1000 hours"};
const FieldSpec kTRise{"CONN_TRISE", "Temp Rise", FieldKind::Real, 0, 150, 0, nullptr, "deg C"};

// ---- handbook section 15.1, connectors ----

// Base failure rate lambda_b (fpmh) by family: circular, hexagonal,
// rectangular, rack and panel, card edge, power, telephone, RF coaxial,
// RF triaxial (sockets take theirs from section 15.2).
constexpr std::array<double, 10> kConnectorBaseRate = {0.0,   0.001, 0.15,   0.046, 0.021,
                                                       0.04,  0.007, 0.0075, 0.00041, 0.0036};

// Insert temperature rise dT = g x i^1.85 (i amperes per contact), g by
// contact gauge 32..12.
constexpr std::array<double, 10> kGaugeRiseFactor = {0.0,   3.256, 2.856, 2.286, 1.345,
                                                     0.989, 0.64,  0.429, 0.274, 0.1};
constexpr double kRiseExponent = 1.85;
// Coaxial and triaxial connectors: dT = 5 deg C, 50 deg C at high power.
constexpr std::array<double, 3> kRfInsertRise = {0.0, 5.0, 50.0};

// Temperature factor pi_T = exp(-(Ea/k) x (1/(To + 273) - 1/298)), Ea = 0.14 eV:
// Ea/k = 0.14 x 11604.966925844261.
constexpr double kInsertEaOverK = 1624.6953696181968;
// Connector temperatures an entry can give: ambient -55..175, a rise of
// 0..150 and an insert rise up to 3.256 x 40^1.85 = 2994.2 deg C.
constexpr double kLowestConnectorTemp = -55.0;
constexpr double kHighestConnectorTemp = 3320.0;

// Mating/unmating factor pi_K by cycles per 1000 hours.
constexpr std::array<double, 6> kMatingFactor = {0.0, 1.0, 1.5, 2.0, 3.0, 4.0};

// Quality factor pi_Q: MIL 1.0, lower 2.0.
constexpr std::array<double, 3> kConnectorQualityFactor = {0.0, 1.0, 2.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kConnectorEnvironmentFactor = {0.0, 1.0,  1.0,  8.0, 5.0,  13.0, 3.0,  5.0,
                                                  8.0, 12.0, 19.0, 0.5, 10.0, 27.0, 490.0};

// The handbook's connector rate is that of a mated pair; a record stands
// for one connector of the pair and carries half of it.
constexpr double kHalfOfMatedPair = 0.5;

// ---- handbook section 15.2, sockets ----

// Base failure rate lambda_b (fpmh) by socket type: DIP, SIP, chip carrier,
// PGA, relay, transistor, electronic tube/CRT.
constexpr std::array<double, 8> kSocketBaseRate = {0.0, 0.00064, 0.00064, 0.00064, 0.00064, 0.037, 0.0051, 0.011};

// Active pins factor pi_P = exp(((N - 1) / 10)^0.39), N active contacts.
constexpr double kPinsExponent = 0.39;

// Quality factor pi_Q: MIL 0.3, lower 1.0.
constexpr std::array<double, 3> kSocketQualityFactor = {0.0, 0.3, 1.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kSocketEnvironmentFactor = {0.0,  1.0,  3.0,  14.0, 6.0,  18.0, 8.0,  12.0,
                                               11.0, 13.0, 25.0, 0.5,  14.0, 36.0, 650.0};

const ChoiceList kNoTypes{};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CConnector::FAMILY>(kFamily),
    input<&CConnector::TYPE>(kType).withClassList(),
    input<&CConnector::PINS>(kPins),
    input<&CConnector::GAUGE>(kGauge),
    input<&CConnector::AMPS>(kAmps),
    input<&CConnector::QU>(kQu),
    input<&CConnector::CYCLE>(kCycle),
    input<&CConnector::TRISE>(kTRise),
    kept<&CConnector::LB>(),
    kept<&CConnector::PIT>(),
    kept<&CConnector::PIK>(),
    kept<&CConnector::PIP>(),
    kept<&CConnector::PIQ>(),
    kept<&CConnector::PIE>(),
};

}  // namespace

const ClassRecord CConnector::kClass = makeClassRecord<CConnector>("CConnector");

const ChoiceList& CConnector::typeList() const {
  const std::uint8_t f = family();
  if (f == kSocketFamily) return kSocketTypes;
  return f >= kCoaxialFamily ? kRfConnectorTypes : kNoTypes;
}

std::span<const StoredField> CConnector::storedFields() const { return kStored; }

std::vector<NamedFactor> CConnector::factors() const {
  if (isSocket()) return {{"LB", LB}, {"PIP", PIP}, {"PIQ", PIQ}, {"PIE", PIE}};
  return {{"LB", LB}, {"PIT", PIT}, {"PIK", PIK}, {"PIQ", PIQ}, {"PIE", PIE}, {"HALF", kHalfOfMatedPair}};
}

std::string CConnector::GetTypeName() const { return isHybridPart() ? "Connector(Hyb)" : "Connector"; }

void CConnector::paramPage(FieldVisitor& f) {
  f.choice(kFamily, FAMILY, true);
  // The type list is refilled from the (possibly changed) family; a type
  // past the end of its new list takes the list's last entry.
  const ChoiceList& types = typeList();
  const bool hasType = types.count() > 0;
  if (hasType && !f.readsInput()) TYPE = types.clamp(TYPE);
  f.choice(withChoices(kType, types), TYPE, hasType);
  f.choice(kQu, QU, !isHybridPart());  // the package supplies it
  f.number(kPins, PINS, true);
  f.choice(kGauge, GAUGE, hasPins());
  f.number(kAmps, AMPS, hasPins());
  f.choice(kCycle, CYCLE, !isSocket());
  f.number(kTRise, TRISE, !isSocket());
}

void CConnector::normalizeChoices() {
  CPart::normalizeChoices();
  const ChoiceList& types = typeList();
  if (types.count() > 0) checkChoice(TYPE, types);
}

void CConnector::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const std::uint8_t f = checkChoice(FAMILY, kConnectorFamilies);
  const std::uint8_t env = checkedEnvironment(header);
  const bool hybrid = isHybridPart();
  const double cf = correctionFactor();
  S = -1.0f;

  if (f == kSocketFamily) {
    T = header.TEMP;
    flagLimits();
    const double lb = tableAt(kSocketBaseRate, checkChoice(TYPE, kSocketTypes));
    const double pins = limitToRange(PINS, 1.0, 9999.0);
    const double pip = std::exp(std::pow((pins - 1.0) / 10.0, kPinsExponent));
    double piq = 1.0;  // a hybrid part: the package supplies quality and environment
    double pie = 1.0;
    if (!hybrid) {
      piq = tableAt(kSocketQualityFactor, checkChoice(QU, kConnectorQualities));
      pie = tableAt(kSocketEnvironmentFactor, env);
    }
    LB = static_cast<float>(lb);
    PIT = PIK = 1.0f;
    PIP = static_cast<float>(pip);
    PIQ = static_cast<float>(piq);
    PIE = static_cast<float>(pie);
    FR = static_cast<float>(lb * cf * pip * piq * pie);
    finishSurfaceMount(header, 0.0);
    return;
  }

  // Insert temperature rise from the contact current, or the fixed rise of
  // an RF connector.
  double insertRise = 0.0;
  if (f <= kLastPinFamily) {
    const double amps = limitToRange(AMPS, 0.0, 40.0);
    insertRise = tableAt(kGaugeRiseFactor, checkChoice(GAUGE, kPinGauges)) * std::pow(amps, kRiseExponent);
  } else {
    insertRise = tableAt(kRfInsertRise, checkChoice(TYPE, kRfConnectorTypes));
  }
  const double rise = limitToRange(TRISE, 0.0, 150.0);
  const double to = limitToRange(static_cast<double>(header.TEMP) + rise + insertRise, kLowestConnectorTemp,
                                 kHighestConnectorTemp);
  T = static_cast<float>(to);
  flagLimits();

  const double lb = tableAt(kConnectorBaseRate, f);
  const double pit = arrheniusFactor(kInsertEaOverK, to);
  const double pik = tableAt(kMatingFactor, checkChoice(CYCLE, kMatingCycles));
  double piq = 1.0;
  double pie = 1.0;
  if (!hybrid) {
    piq = tableAt(kConnectorQualityFactor, checkChoice(QU, kConnectorQualities));
    pie = tableAt(kConnectorEnvironmentFactor, env);
  }
  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIK = static_cast<float>(pik);
  PIP = 1.0f;
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(lb * cf * pit * pik * piq * pie * kHalfOfMatedPair);
  // The joints see the insert rise, not the entered rise.
  finishSurfaceMount(header, insertRise);
}

void CConnector::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kConnectorQualities.count()), settings);
  }
}

void CConnector::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CConnector&>(other);
  AMPS = o.AMPS;
  CYCLE = o.CYCLE;
  TRISE = o.TRISE;
}

void CConnector::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const bool pins = hasPins();
  const bool socket = isSocket();
  const std::string name = storedChoiceText(kConnectorFamilies, FAMILY);
  const std::string type = storedChoiceText(typeList(), TYPE);
  const std::string count = strprintf("Pins:%.0f", static_cast<double>(PINS));
  const std::string gauge = pins ? storedChoiceText(kPinGauges, GAUGE) : std::string();
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kConnectorQualities, QU).c_str());
  line1 = lineprintf("%s%-20s  %-11s  %-9s  %-5s  %-8s", pre.c_str(), name.c_str(), type.c_str(), count.c_str(),
                     gauge.c_str(), quality.c_str());

  std::string cycles, amps, trise;
  if (!socket) {
    cycles = strprintf("Cycles/Khrs:%s", storedChoiceText(kMatingCycles, CYCLE).c_str());
    trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  }
  if (pins) amps = strprintf("Amps/Pin:%s", formatNumber(AMPS, 8, 6).c_str());
  line2 = lineprintf("%s%-21s  %-17s  %-12s", pre.c_str(), cycles.c_str(), amps.c_str(), trise.c_str());
}

void CConnector::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  if (isSocket()) {
    line1 = lineprintf("%sFR=    LB    *    PIP     * PIQ *  PIE  *   PICF  ", pre.c_str());
    line2 = lineprintf("%s    %-8s   %-10s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                       formatNumber(PIP, 10, 6).c_str(), formatNumber(PIQ, 3, 1).c_str(),
                       formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
    return;
  }
  // The fixed half is written out so the line's product is the failure rate.
  line1 = lineprintf("%sFR=    LB    *   PIT    * PIK * PIQ *  PIE  *   PICF   * 0.5 (one connector of a mated pair)",
                     pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-3s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIT, 8, 6).c_str(), formatNumber(PIK, 3, 1).c_str(),
                     formatNumber(PIQ, 3, 1).c_str(), formatNumber(PIE, 5, 2).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
