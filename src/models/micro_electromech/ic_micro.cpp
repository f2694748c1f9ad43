#include "models/micro_electromech/ic_micro.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of microprocessors by bits (handbook section 5.1).
constexpr std::array<ComplexityRow, 3> kMosBits = {{{8, 0.14}, {16, 0.28}, {32, 0.56}}};
constexpr std::array<ComplexityRow, 3> kBipolarBits = {{{8, 0.06}, {16, 0.12}, {32, 0.24}}};
constexpr double kMaxBits = 32.0;

}  // namespace

const ClassRecord CIC_Micro::kClass = makeClassRecord<CIC_Micro>("CIC_Micro");

CIC_Micro::CIC_Micro() : CIC(MicrocircuitKind::Micro) {
  COMPLEX = 32.0f;
  PKG = 3;  // HermPGA/SMT
  PINS = 168.0f;
}

std::string CIC_Micro::GetTypeName() const {
  return isHybridPart() ? "IC,Micro(Hyb)" : "IC,Micro";
}

double CIC_Micro::complexityMax() const {
  return kMaxBits;
}

double CIC_Micro::dieComplexityFactor(double n) const {
  return complexityFactor(isMos() ? kMosBits : kBipolarBits, n);
}

double CIC_Micro::activationEnergy() const {
  return digitalActivationEnergy(TECH);
}

char CIC_Micro::complexityUnit() const {
  return 'B';
}

}  // namespace kestrel
