#include "models/passive_semis/lamp.hpp"

#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "models/passive_semis/ambient_devices.hpp"

namespace kestrel {
namespace {

const FieldSpec kVolts{"LAMP_VOLTS", "Voltage Rating", FieldKind::Real, 0.1, 999, 0, nullptr, "V"};
const FieldSpec kApp{"LAMP_APP", "Application", FieldKind::Choice, 0, 0, 0, &kLampApplications};
const FieldSpec kUtil{"LAMP_UTILDC", "Utilization", FieldKind::Real, 0.1, 100, 0, nullptr, "%"};

// ---- handbook section 20.1, incandescent lamps ----

// Base failure rate lambda_b = 0.074 x Vr ^ 1.29, Vr the rated voltage.
constexpr double kBaseScale = 0.074;
constexpr double kVoltageExponent = 1.29;

// Utilization factor pi_U by the percent of operating time the lamp is lit:
// below 10: 0.10; 10 to 90: 0.72; above 90: 1.0.
double utilizationFactor(double percent) {
  if (percent < 10.0) return 0.1;
  if (percent <= 90.0) return 0.72;
  return 1.0;
}

// Application factor pi_A: AC 1.0, DC 3.3 (a hybrid part keeps it).
constexpr std::array<double, 3> kApplicationFactor = {0.0, 1.0, 3.3};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0, 1.0, 2.0, 3.0, 3.0, 4.0, 4.0, 4.0,
                                         5.0, 6.0, 5.0, 0.7, 4.0, 6.0, 27.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CLamp::VOLTS>(kVolts),
    input<&CLamp::APP>(kApp),
    input<&CLamp::UTILDC>(kUtil),
    result<&CLamp::LB>("LB"),
    result<&CLamp::PIU>("PIU"),
    result<&CLamp::PIA>("PIA"),
    result<&CLamp::PIE>("PIE"),
};

}  // namespace

const ClassRecord CLamp::kClass = makeClassRecord<CLamp>("CLamp");

std::span<const StoredField> CLamp::storedFields() const { return kStored; }

std::string CLamp::GetTypeName() const { return isHybridPart() ? "Lamp(Hyb)" : "Lamp"; }

void CLamp::Calculate(CCircHeader& header) {
  ambient_device::begin(*this, header);
  const double lb = kBaseScale * std::pow(limitToRange(VOLTS, 0.1, 999.0), kVoltageExponent);
  const double piu = utilizationFactor(limitToRange(UTILDC, 0.1, 100.0));
  const double pia = tableAt(kApplicationFactor, checkChoice(APP, kLampApplications));
  const double pie = isHybridPart() ? 1.0 : tableAt(kEnvironmentFactor, checkedEnvironment(header));
  const double cf = correctionFactor();
  LB = static_cast<float>(lb);
  PIU = static_cast<float>(piu);
  PIA = static_cast<float>(pia);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(cf * lb * pia * piu * pie);
  finishSurfaceMount(header, 0.0);
}

void CLamp::UpdateAppParams(const CPart& other) {
  if (sameClass(other)) UTILDC = static_cast<const CLamp&>(other).UTILDC;
}

void CLamp::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  const std::string volts = formatNumber(VOLTS, 6, 2) + "volts";
  const std::string util = strprintf("Utilization:%s%%", formatNumber(UTILDC, 5, 2).c_str());
  line1 = lineprintf("%s%-11s  %-2s  %-18s", std::string(prefix).c_str(), volts.c_str(),
                     storedChoiceText(kLampApplications, APP).c_str(), util.c_str());
}

void CLamp::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *  PIU * PIA *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-4s   %-3s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIU, 4, 2).c_str(), formatNumber(PIA, 3, 1).c_str(),
                     formatNumber(PIE, 5, 1).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
