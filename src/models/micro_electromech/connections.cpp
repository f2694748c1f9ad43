#include "models/micro_electromech/connections.hpp"

#include <array>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"CX_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kConnectionTypes};
const FieldSpec kCount{"CX_QTY", "#Connections", FieldKind::Whole, 0, 999999};

// ---- handbook section 17.1, connections ----

// Base failure rate lambda_b (fpmh per connection) by connection type: hand
// solder without and with wrapping, crimp, weld, solderless wrap, clip
// termination, reflow solder, spring contact, terminal block.
constexpr std::array<double, 10> kBaseRate = {0.0,      0.0013,  0.00007,  0.00026, 0.000015,
                                              0.0000068, 0.00012, 0.000069, 0.17,    0.062};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0, 1.0,  2.0,  7.0, 4.0, 11.0, 4.0,  6.0,
                                         6.0, 8.0, 16.0, 0.5, 9.0, 24.0, 420.0};

constexpr double kMostConnections = 999999.0;

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CConnections::TYPE>(kType),
    input<&CConnections::N>(kCount).printedAs("N"),
    result<&CConnections::LB>("LB"),
    result<&CConnections::PIE>("PIE"),
};

}  // namespace

const ClassRecord CConnections::kClass = makeClassRecord<CConnections>("CConnections");

std::span<const StoredField> CConnections::storedFields() const { return kStored; }

// Connections belong to a circuit, never to a hybrid.
std::string CConnections::GetTypeName() const { return isHybridPart() ? "*ERROR*" : "Connections"; }

void CConnections::Calculate(CCircHeader& header) {
  OverFlags = 0;
  T = header.TEMP;
  S = -1.0f;
  flagLimits();
  const double lb = tableAt(kBaseRate, checkChoice(TYPE, kConnectionTypes));
  const double pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  const double n = limitToRange(N, 0.0, kMostConnections);
  const double cf = correctionFactor();
  LB = static_cast<float>(lb);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pie * lb * cf * n);
  SmtCalcFlag = 0;
}

void CConnections::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string type = storedChoiceText(kConnectionTypes, TYPE);
  const std::string count = strprintf("Connections:%.0f", static_cast<double>(N));
  line1 = lineprintf("%s%-21s  %-18s", pre.c_str(), type.c_str(), count.c_str());
  line2.clear();
}

void CConnections::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *    N    *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-7.0f   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     static_cast<double>(N), formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
