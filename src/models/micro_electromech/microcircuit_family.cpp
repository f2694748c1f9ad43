#include "models/micro_electromech/microcircuit_family.hpp"

#include <array>
#include <memory>

#include "models/micro_electromech/microcircuit.hpp"

namespace kestrel {
namespace {

// C1 by complexity (handbook section 5.1).
// Gate and logic arrays, by gates.
constexpr std::array<ComplexityRow, 6> kLogicMos = {
    {{100, 0.01}, {1000, 0.02}, {3000, 0.04}, {10000, 0.08}, {30000, 0.16}, {60000, 0.29}}};
constexpr std::array<ComplexityRow, 6> kLogicBipolar = {
    {{100, 0.0025}, {1000, 0.005}, {3000, 0.01}, {10000, 0.02}, {30000, 0.04}, {60000, 0.08}}};
// PLA/PAL, by gates: the range ends at 20000 (MOS) or 5000 (bipolar).
constexpr std::array<ComplexityRow, 4> kPlaMos = {{{500, 0.00085}, {2000, 0.0017}, {5000, 0.0034}, {20000, 0.0068}}};
constexpr std::array<ComplexityRow, 3> kPlaBipolar = {{{200, 0.01}, {1000, 0.021}, {5000, 0.042}}};
// Microprocessors, by bits.
constexpr std::array<ComplexityRow, 3> kMicroMos = {{{8, 0.14}, {16, 0.28}, {32, 0.56}}};
constexpr std::array<ComplexityRow, 3> kMicroBipolar = {{{8, 0.06}, {16, 0.12}, {32, 0.24}}};
// Random-access memories, by bits: MOS DRAM; MOS SRAM and BiCMOS; other bipolar.
constexpr std::array<ComplexityRow, 4> kDram = memoryRows(0.0013, 0.0025, 0.005, 0.01);
constexpr std::array<ComplexityRow, 4> kSram = memoryRows(0.0078, 0.016, 0.031, 0.062);
constexpr std::array<ComplexityRow, 4> kBipolarRam = memoryRows(0.0052, 0.011, 0.021, 0.042);
// Read-only memories, by bits.
constexpr std::array<ComplexityRow, 4> kMosRom = memoryRows(0.00065, 0.0013, 0.0026, 0.0052);
constexpr std::array<ComplexityRow, 4> kBipolarRom = memoryRows(0.0094, 0.019, 0.038, 0.075);
// Programmable read-only memories, by bits: the MOS row serves PROM,
// UVEPROM, EEPROM and EAPROM alike.
constexpr std::array<ComplexityRow, 4> kMosProm = memoryRows(0.00085, 0.0017, 0.0034, 0.0068);
// Linear devices, by transistors, bipolar and MOS alike.
constexpr std::array<ComplexityRow, 4> kTransistors = {{{100, 0.01}, {300, 0.02}, {1000, 0.04}, {10000, 0.06}}};

template <std::uint16_t Id>
std::unique_ptr<CPart> createMember() {
  return std::make_unique<CIC>(*microcircuitFamilyMember(Id));
}

template <std::uint16_t Id>
constexpr ClassRecord memberRecord(std::string_view className) {
  return ClassRecord{className, sizeof(CIC), 0, &createMember<Id>};
}

using A = ActivationGroup;
constexpr std::span<const ComplexityRow> kNone{};

// Defaults of a new record: technology, memory type, package, complexity, pins.
const std::array<MicrocircuitFamilyMember, 7> kFamily = {{
    {101, "IC,Logic", 'G', kLogicBipolar, kLogicMos, kNone, kNone, A::Digital,
     {kIcCmos, 1, 6, 100.0f, 16.0f}, memberRecord<101>("CIC_Logic")},
    {102, "IC,PLA/PAL", 'G', kPlaBipolar, kPlaMos, kNone, kNone, A::Digital,
     {kIcCmos, 1, 6, 500.0f, 20.0f}, memberRecord<102>("CIC_PLA")},
    // Package 3: HermPGA/SMT.
    {103, "IC,Micro", 'B', kMicroBipolar, kMicroMos, kNone, kNone, A::Digital,
     {kIcCmos, 1, 3, 32.0f, 168.0f}, memberRecord<103>("CIC_Micro")},
    {104, "IC,RAM", 'B', kBipolarRam, kSram, kDram, kSram, A::Memory,
     {kIcCmos, 1, 6, 1048576.0f, 20.0f}, memberRecord<104>("CIC_RAM")},
    {105, "IC,ROM", 'B', kBipolarRom, kMosRom, kNone, kNone, A::Memory,
     {kIcCmos, 1, 6, 262144.0f, 28.0f}, memberRecord<105>("CIC_ROM")},
    // Memory type 2: UVEPROM; package 2: HermDIP,Glass.
    {106, "IC,PROM", 'B', kBipolarRom, kMosProm, kNone, kNone, A::Memory,
     {kIcCmos, 2, 2, 1048576.0f, 32.0f}, memberRecord<106>("CIC_PROM")},
    // Technology 1: Bipolar.
    {107, "IC,Linear", 'T', kTransistors, kTransistors, kNone, kNone, A::Linear,
     {1, 1, 6, 100.0f, 16.0f}, memberRecord<107>("CIC_Linear")},
}};

}  // namespace

const MicrocircuitFamilyMember* microcircuitFamilyMember(std::uint16_t typeId) {
  for (const MicrocircuitFamilyMember& m : kFamily) {
    if (m.typeId == typeId) return &m;
  }
  return nullptr;
}

void registerMicrocircuitFamily() {
  auto& registry = PartRegistry::instance();
  for (const MicrocircuitFamilyMember& m : kFamily) {
    if (!registry.isRegistered(m.typeId)) (void)registry.registerClass(m.typeId, m.classRecord);
  }
}

}  // namespace kestrel
