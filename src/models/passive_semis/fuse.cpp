#include "models/passive_semis/fuse.hpp"

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "models/passive_semis/ambient_devices.hpp"

namespace kestrel {
namespace {

const FieldSpec kNote{"", "Note", FieldKind::Choice, 0, 0, 0, &kFuseNotes};

// ---- handbook section 22.1, fuses ----

constexpr double kBaseRate = 0.010;  // lambda_b, fpmh

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  2.0,  8.0, 5.0,  11.0, 9.0,  12.0,
                                         15.0, 18.0, 16.0, 0.9, 10.0, 21.0, 230.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CFuse::NOTE>(kNote),
    result<&CFuse::LB>("LB"),
    result<&CFuse::PIE>("PIE"),
};

}  // namespace

const ClassRecord CFuse::kClass = makeClassRecord<CFuse>("CFuse");

std::span<const StoredField> CFuse::storedFields() const { return kStored; }

std::string CFuse::GetTypeName() const { return isHybridPart() ? "Fuse(Hyb)" : "Fuse"; }

void CFuse::Calculate(CCircHeader& header) {
  ambient_device::begin(*this, header);
  // a hybrid part: the package supplies the environment
  const double pie = isHybridPart() ? 1.0 : tableAt(kEnvironmentFactor, checkedEnvironment(header));
  const double cf = correctionFactor();
  LB = static_cast<float>(kBaseRate);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(cf * pie * kBaseRate);
  finishSurfaceMount(header, 0.0);
}

void CFuse::FormatDetail(std::string& line1, std::string&, std::string_view prefix) const {
  // One line; the second is left as the caller passed it.
  line1 = lineprintf("%s%s", std::string(prefix).c_str(), "  ");
}

void CFuse::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=    LB    *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-5s   %-8s", pre.c_str(), formatNumber(LB, 8, 6).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
