#include "core/registry.hpp"

#include <algorithm>
#include <array>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

// Ids of VHSIC/VLSI (108), Transistor (301) and MicrowaveTransistor (303)
// are fixed here once, inside the ranges of their families.
constexpr PartType kTypes[] = {
    {1, "CSubCircuit", "SubCircuit", false},
    {2, "CSubHybrid", "SubHybrid", false},
    {101, "CIC_Logic", "IC,Logic", true},
    {102, "CIC_PLA", "IC,PLA/PAL", true},
    {103, "CIC_Micro", "IC,Micro", true},
    {104, "CIC_RAM", "IC,RAM", true},
    {105, "CIC_ROM", "IC,ROM", true},
    {106, "CIC_PROM", "IC,PROM", true},
    {107, "CIC_Linear", "IC,Linear", true},
    {108, "CVLSI", "VHSIC/VLSI", true},
    {122, "CMMIC", "GaAs,MMIC/DigIC", true},
    {123, "CBubble", "BubbleMemory", true},
    {124, "CSAWDevice", "SAWDevice", true},
    {301, "CTransistor", "Transistor", true},
    {302, "CDiode", "Diode", true},
    {303, "CMTrans", "MicrowaveTransistor", true},
    {304, "COpto", "Optoelectronic", true},
    {305, "CLaserDiode", "LaserDiode", true},
    {401, "CResistor", "Resistor", true},
    {402, "CPotentiometer", "Potentiometer", true},
    {403, "CCapacitor", "Capacitor", true},
    {404, "CInductive", "Inductive", true},
    {501, "CRotate", "RotatingDevice", true},
    {502, "CRelay", "Relay", true},
    {503, "CSwitch", "Switch", true},
    {504, "CConnector", "Connector", true},
    {505, "CCircuitBoard", "CircuitBoard", false},
    {506, "CConnections", "Connections", false},
    {601, "CTube", "Tube", true},
    {603, "CMeter", "Meter", true},
    {604, "CCrystal", "QuartzCrystal", true},
    {605, "CLamp", "Lamp", true},
    {606, "CFilter", "Filter", true},
    {607, "CFuse", "Fuse", true},
    {608, "CMDev", "MicrowaveDevice", true},
    {609, "CMisc", "Miscellaneous", true},
};

constexpr std::size_t kHybridCount =
    static_cast<std::size_t>(std::count_if(std::begin(kTypes), std::end(kTypes),
                                           [](const PartType& t) { return t.inHybridMenu; }));

constexpr auto kHybridTypes = [] {
  std::array<PartType, kHybridCount> out{};
  std::size_t n = 0;
  for (const PartType& t : kTypes) {
    if (t.inHybridMenu) out[n++] = t;
  }
  return out;
}();

constexpr bool ascendingIds(std::span<const PartType> table) {
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (table[i - 1].id >= table[i].id) return false;
  }
  return true;
}
static_assert(ascendingIds(kTypes), "the part-type table is kept in ascending id order");
static_assert(std::size(kTypes) < kTypeSlots, "the tables hold 75 types and an unknown slot");

// Type id -> table position, for both tables: the calculation looks a
// position up for every record.
constexpr std::uint16_t kHighestTypeId = 609;
constexpr std::uint8_t kNoSlot = 0xFF;
template <typename Table>
constexpr auto slotIndex(const Table& table) {
  std::array<std::uint8_t, kHighestTypeId + 1> slots{};
  slots.fill(kNoSlot);
  for (std::size_t i = 0; i < std::size(table); ++i) slots[table[i].id] = static_cast<std::uint8_t>(i);
  return slots;
}
constexpr auto kCircuitSlots = slotIndex(kTypes);
constexpr auto kHybridSlots = slotIndex(kHybridTypes);

}  // namespace

std::span<const PartType> allPartTypes() { return kTypes; }

std::span<const PartType> menuTable(bool hybrid) {
  if (hybrid) return kHybridTypes;
  return kTypes;
}

const PartType* findPartType(std::uint16_t typeId) {
  for (const PartType& t : kTypes) {
    if (t.id == typeId) return &t;
  }
  return nullptr;
}

const PartType* findPartTypeByClass(std::string_view className) {
  for (const PartType& t : kTypes) {
    if (t.className == className) return &t;
  }
  return nullptr;
}

const PartType* resolvePartType(std::string_view name) {
  const std::string wanted = upperCased(trimmed(name));
  if (wanted.empty()) return nullptr;
  if (wanted.find_first_not_of("0123456789") == std::string::npos && wanted.size() <= 5) {
    const unsigned long id = std::stoul(wanted);
    return id > 0xFFFF ? nullptr : findPartType(static_cast<std::uint16_t>(id));
  }
  for (const PartType& t : kTypes) {
    if (upperCased(t.className) == wanted || upperCased(t.menuName) == wanted) return &t;
  }
  return nullptr;
}

std::size_t typePosition(std::uint16_t typeId, bool hybrid, Ui* ui) {
  if (typeId <= kHighestTypeId) {
    const std::uint8_t slot = (hybrid ? kHybridSlots : kCircuitSlots)[typeId];
    if (slot != kNoSlot) return slot;
  }
  if (ui != nullptr) ui->message("Call support: part type position error...");
  return kUnknownTypeSlot;
}

std::string typeName(std::uint16_t typeId, bool hybrid, Ui* ui) {
  for (const PartType& t : menuTable(hybrid)) {
    if (t.id != typeId) continue;
    if (auto part = PartRegistry::instance().create(typeId, hybrid)) return part->GetTypeName();
    return hybrid ? std::string(t.menuName) + "(Hyb)" : std::string(t.menuName);
  }
  if (ui != nullptr) ui->message("Call support: part type name error...");
  return {};
}

PartRegistry& PartRegistry::instance() {
  static PartRegistry registry;
  return registry;
}

Status PartRegistry::registerClass(std::uint16_t typeId, const ClassRecord& record) {
  const PartType* type = findPartType(typeId);
  if (type == nullptr) {
    return Status::error(StatusCode::InvalidArgument,
                         "part type id " + std::to_string(typeId) + " is not a known part type");
  }
  if (type->className != record.className) {
    return Status::error(StatusCode::InvalidArgument,
                         "class " + std::string(record.className) + " does not belong to type id " +
                             std::to_string(typeId) + " (" + std::string(type->className) + ")");
  }
  if (record.create == nullptr) {
    return Status::error(StatusCode::InvalidArgument,
                         "class " + std::string(record.className) + " has no create function");
  }
  if (byId_.count(typeId) != 0 || byName_.count(record.className) != 0) {
    return Status::error(StatusCode::AlreadyExists,
                         "class " + std::string(record.className) + " is registered already");
  }
  byId_.emplace(typeId, &record);
  byName_.emplace(std::string(record.className), &record);
  return Status::ok();
}

const ClassRecord* PartRegistry::byTypeId(std::uint16_t typeId) const {
  const auto it = byId_.find(typeId);
  return it == byId_.end() ? nullptr : it->second;
}

const ClassRecord* PartRegistry::byClassName(std::string_view className) const {
  const auto it = byName_.find(className);
  return it == byName_.end() ? nullptr : it->second;
}

std::unique_ptr<CPart> PartRegistry::create(std::uint16_t typeId, bool hybrid) const {
  const ClassRecord* record = byTypeId(typeId);
  if (record == nullptr) return nullptr;
  auto part = record->create();
  if (!part) return nullptr;
  part->PART_TYPE = typeId;
  part->IS_HYBRID = hybrid ? 1 : 0;
  return part;
}

std::unique_ptr<CPart> PartRegistry::createByClassName(std::string_view className) const {
  const ClassRecord* record = byClassName(className);
  if (record == nullptr) return nullptr;
  return record->create();
}

std::unique_ptr<CPart> PartRegistry::createFromMenu(std::size_t menuIndex, bool hybrid) const {
  const auto table = menuTable(hybrid);
  if (menuIndex < 1 || menuIndex > table.size()) return nullptr;
  return create(table[menuIndex - 1].id, hybrid);
}

Status PartRegistry::buildMenu(bool hybrid, std::vector<std::string>& names) const {
  names.assign(1, std::string());
  for (const PartType& t : menuTable(hybrid)) {
    auto part = create(t.id, hybrid);
    if (!part) {
      names.clear();
      // A listed part type this program can not make: none of the input kinds.
      return Status::error(StatusCode::Failed, hybrid ? "Can not create Hybrid part types menu."
                                                      : "Can not create Circuit part types menu.");
    }
    names.push_back(part->GetTypeName());
  }
  return Status::ok();
}

}  // namespace kestrel
