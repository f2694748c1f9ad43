// The seven members of the monolithic microcircuit family (handbook section
// 5.1) as rows of one table: what sets one member apart from another is its
// type id, its die complexity rows C1, the activation energy group of its
// pi_T and the defaults of a new record. One class, `CIC`, reads the row.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/registry.hpp"
#include "models/micro_electromech/microcircuit_tables.hpp"

namespace kestrel {

// Activation energies of pi_T (handbook table 5.8).
enum class ActivationGroup : std::uint8_t {
  Digital,  // by technology: logic, PLA/PAL, microprocessors
  Memory,   // 0.6 eV, bipolar and MOS
  Linear,   // 0.65 eV, bipolar and MOS
};

struct MicrocircuitDefaults {
  std::uint8_t tech, type, pkg;
  float complexity, pins;
};

struct MicrocircuitFamilyMember {
  std::uint16_t typeId;
  std::string_view menuName;  // "(Hyb)" is added for a hybrid part
  char complexityUnit;  // in the detail line: G(ates), B(its), T(ransistors)
  // C1 rows by technology; a MOS DRAM and a BiCMOS device have rows of their
  // own where the handbook gives them, else the MOS or bipolar rows.
  std::span<const ComplexityRow> bipolar, mos, dram, bicmos;
  ActivationGroup activation;
  MicrocircuitDefaults defaults;
  ClassRecord classRecord;
};

// The row of the member with `typeId` (101..107), or null.
const MicrocircuitFamilyMember* microcircuitFamilyMember(std::uint16_t typeId);

// Registers the seven members under their type ids.
void registerMicrocircuitFamily();

}  // namespace kestrel
