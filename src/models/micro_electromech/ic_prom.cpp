#include "models/micro_electromech/ic_prom.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of programmable read-only memories by bits (handbook section 5.1): the
// MOS row serves PROM, UVEPROM, EEPROM and EAPROM alike.
constexpr std::array<ComplexityRow, 4> kMosProm = memoryRows(0.00085, 0.0017, 0.0034, 0.0068);
constexpr std::array<ComplexityRow, 4> kBipolarProm = memoryRows(0.0094, 0.019, 0.038, 0.075);
constexpr double kMaxBits = 1048576.0;
constexpr double kMemoryEa = 0.6;  // table 5.8: memories, bipolar and MOS

}  // namespace

const ClassRecord CIC_PROM::kClass = makeClassRecord<CIC_PROM>("CIC_PROM");

CIC_PROM::CIC_PROM() : CIC(MicrocircuitKind::Prom) {
  TYPE = 2;  // UVEPROM
  COMPLEX = 1048576.0f;
  PKG = 2;  // HermDIP,Glass
  PINS = 32.0f;
}

std::string CIC_PROM::GetTypeName() const {
  return isHybridPart() ? "IC,PROM(Hyb)" : "IC,PROM";
}

double CIC_PROM::complexityMax() const {
  return kMaxBits;
}

double CIC_PROM::dieComplexityFactor(double n) const {
  return complexityFactor(isMos() ? kMosProm : kBipolarProm, n);
}

double CIC_PROM::activationEnergy() const {
  return kMemoryEa;
}

char CIC_PROM::complexityUnit() const {
  return 'B';
}

}  // namespace kestrel
