#include "models/micro_electromech/ic_rom.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of read-only memories by bits (handbook section 5.1).
constexpr std::array<ComplexityRow, 4> kMosRom = memoryRows(0.00065, 0.0013, 0.0026, 0.0052);
constexpr std::array<ComplexityRow, 4> kBipolarRom = memoryRows(0.0094, 0.019, 0.038, 0.075);
constexpr double kMaxBits = 1048576.0;
constexpr double kMemoryEa = 0.6;  // table 5.8: memories, bipolar and MOS

}  // namespace

const ClassRecord CIC_ROM::kClass = makeClassRecord<CIC_ROM>("CIC_ROM");

CIC_ROM::CIC_ROM() : CIC(MicrocircuitKind::Rom) {
  COMPLEX = 262144.0f;
  PINS = 28.0f;
}

std::string CIC_ROM::GetTypeName() const {
  return isHybridPart() ? "IC,ROM(Hyb)" : "IC,ROM";
}

double CIC_ROM::complexityMax() const {
  return kMaxBits;
}

double CIC_ROM::dieComplexityFactor(double n) const {
  return complexityFactor(isMos() ? kMosRom : kBipolarRom, n);
}

double CIC_ROM::activationEnergy() const {
  return kMemoryEa;
}

char CIC_ROM::complexityUnit() const {
  return 'B';
}

}  // namespace kestrel
