#include "models/micro_electromech/ic_pla.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of PLA/PAL devices by gates (handbook section 5.1).
constexpr std::array<ComplexityRow, 4> kMosGates = {{{500, 0.00085}, {2000, 0.0017}, {5000, 0.0034}, {20000, 0.0068}}};
constexpr std::array<ComplexityRow, 3> kBipolarGates = {{{200, 0.01}, {1000, 0.021}, {5000, 0.042}}};
constexpr double kMaxMosGates = 20000.0;
constexpr double kMaxBipolarGates = 5000.0;

}  // namespace

const ClassRecord CIC_PLA::kClass = makeClassRecord<CIC_PLA>("CIC_PLA");

CIC_PLA::CIC_PLA() : CIC(MicrocircuitKind::Pla) {
  COMPLEX = 500.0f;
  PINS = 20.0f;
}

std::string CIC_PLA::GetTypeName() const {
  return isHybridPart() ? "IC,PLA/PAL(Hyb)" : "IC,PLA/PAL";
}

double CIC_PLA::complexityMax() const {
  return isMos() ? kMaxMosGates : kMaxBipolarGates;
}

double CIC_PLA::dieComplexityFactor(double n) const {
  return isMos() ? complexityFactor(kMosGates, n) : complexityFactor(kBipolarGates, n);
}

double CIC_PLA::activationEnergy() const {
  return digitalActivationEnergy(TECH);
}

char CIC_PLA::complexityUnit() const {
  return 'G';
}

}  // namespace kestrel
