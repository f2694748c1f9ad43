#include "models/micro_electromech/ic_ram.hpp"

#include <array>

#include "core/registry.hpp"

namespace kestrel {
namespace {

// C1 of random-access memories by bits (handbook section 5.1): MOS DRAM;
// MOS SRAM and BiCMOS; other bipolar.
constexpr std::array<ComplexityRow, 4> kDram = memoryRows(0.0013, 0.0025, 0.005, 0.01);
constexpr std::array<ComplexityRow, 4> kSram = memoryRows(0.0078, 0.016, 0.031, 0.062);
constexpr std::array<ComplexityRow, 4> kBipolarRam = memoryRows(0.0052, 0.011, 0.021, 0.042);
constexpr double kMaxBits = 1048576.0;
constexpr double kMemoryEa = 0.6;  // table 5.8: memories, bipolar and MOS

}  // namespace

const ClassRecord CIC_RAM::kClass = makeClassRecord<CIC_RAM>("CIC_RAM");

CIC_RAM::CIC_RAM() : CIC(MicrocircuitKind::Ram) {
  COMPLEX = 1048576.0f;
  PINS = 20.0f;
}

std::string CIC_RAM::GetTypeName() const {
  return isHybridPart() ? "IC,RAM(Hyb)" : "IC,RAM";
}

double CIC_RAM::complexityMax() const {
  return kMaxBits;
}

double CIC_RAM::dieComplexityFactor(double n) const {
  if (isMos()) return complexityFactor(kIcRamTypes.clamp(TYPE) == kIcDram ? kDram : kSram, n);
  return complexityFactor(kIcTechnologies.clamp(TECH) == kIcBiCmos ? kSram : kBipolarRam, n);
}

double CIC_RAM::activationEnergy() const {
  return kMemoryEa;
}

char CIC_RAM::complexityUnit() const {
  return 'B';
}

}  // namespace kestrel
