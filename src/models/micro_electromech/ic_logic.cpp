#include "models/micro_electromech/ic_logic.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of gate and logic arrays by gates (handbook section 5.1).
constexpr std::array<ComplexityRow, 6> kMosGates = {
    {{100, 0.01}, {1000, 0.02}, {3000, 0.04}, {10000, 0.08}, {30000, 0.16}, {60000, 0.29}}};
constexpr std::array<ComplexityRow, 6> kBipolarGates = {
    {{100, 0.0025}, {1000, 0.005}, {3000, 0.01}, {10000, 0.02}, {30000, 0.04}, {60000, 0.08}}};
constexpr double kMaxGates = 60000.0;

}  // namespace

const ClassRecord CIC_Logic::kClass = makeClassRecord<CIC_Logic>("CIC_Logic");

CIC_Logic::CIC_Logic() : CIC(MicrocircuitKind::Logic) {}

std::string CIC_Logic::GetTypeName() const {
  return isHybridPart() ? "IC,Logic(Hyb)" : "IC,Logic";
}

double CIC_Logic::complexityMax() const {
  return kMaxGates;
}

double CIC_Logic::dieComplexityFactor(double n) const {
  return complexityFactor(isMos() ? kMosGates : kBipolarGates, n);
}

double CIC_Logic::activationEnergy() const {
  return digitalActivationEnergy(TECH);
}

char CIC_Logic::complexityUnit() const {
  return 'G';
}

}  // namespace kestrel
