#include "models/micro_electromech/ic_linear.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of linear devices by transistors, bipolar and MOS alike (handbook
// section 5.1).
constexpr std::array<ComplexityRow, 4> kTransistors = {{{100, 0.01}, {300, 0.02}, {1000, 0.04}, {10000, 0.06}}};
constexpr double kMaxTransistors = 10000.0;
constexpr double kLinearEa = 0.65;  // table 5.8: linear, bipolar and MOS

}  // namespace

const ClassRecord CIC_Linear::kClass = makeClassRecord<CIC_Linear>("CIC_Linear");

CIC_Linear::CIC_Linear() : CIC(MicrocircuitKind::Linear) {
  TECH = 1;  // Bipolar
}

std::string CIC_Linear::GetTypeName() const {
  return isHybridPart() ? "IC,Linear(Hyb)" : "IC,Linear";
}

double CIC_Linear::complexityMax() const {
  return kMaxTransistors;
}

double CIC_Linear::dieComplexityFactor(double n) const {
  return complexityFactor(kTransistors, n);
}

double CIC_Linear::activationEnergy() const {
  return kLinearEa;
}

char CIC_Linear::complexityUnit() const {
  return 'T';
}

}  // namespace kestrel
