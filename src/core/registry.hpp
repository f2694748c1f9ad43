// The part-type registry: the fixed table of part types (type id, class name,
// menu name, whether the hybrid menu offers it) and the run-time class records
// of the part classes that are linked in, found by type id or class name.
//
// Type ids are written into files and library keys: they never change.
// Circuit menu: every type in ascending id order. Hybrid menu: every type
// except SubCircuit, SubHybrid, CircuitBoard and Connections. Both tables
// have 76 slots (the header's per-type statistics have the same 76); slot 75
// is where a type id found in neither table is counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.hpp"

namespace kestrel {

class CPart;
class Ui;

// Run-time class record of a serializable class.
struct ClassRecord {
  std::string_view className;  // the type name in files, e.g. "CResistor"
  std::size_t objectSize = 0;
  std::uint16_t schema = 0;    // 0 for every part class
  std::unique_ptr<CPart> (*create)() = nullptr;
};

template <typename T>
constexpr ClassRecord makeClassRecord(std::string_view className) {
  return ClassRecord{className, sizeof(T), 0,
                     []() -> std::unique_ptr<CPart> { return std::make_unique<T>(); }};
}

struct PartType {
  std::uint16_t id;
  std::string_view className;
  std::string_view menuName;  // circuit menu; the hybrid menu appends "(Hyb)"
  bool inHybridMenu;
};

// Type ids used by the core itself.
inline constexpr std::uint16_t kSubCircuitType = 1;
inline constexpr std::uint16_t kSubHybridType = 2;
inline constexpr std::uint16_t kMiscType = 609;

inline constexpr std::size_t kTypeSlots = 76;
inline constexpr std::size_t kUnknownTypeSlot = 75;

// Every part type, in ascending type-id order.
std::span<const PartType> allPartTypes();
// The circuit (hybrid = false) or hybrid (hybrid = true) menu table.
std::span<const PartType> menuTable(bool hybrid);
// The fixed entry of a type id, or null.
const PartType* findPartType(std::uint16_t typeId);
const PartType* findPartTypeByClass(std::string_view className);

// A part type named by its class name ("CResistor"), type id ("401") or
// menu name ("Resistor"), case ignored; null when none matches.
const PartType* resolvePartType(std::string_view name);

// Position of a type id in the table of a document kind. Not found: shows
// "Call support: part type position error..." (when `ui` is given) and
// returns kUnknownTypeSlot.
std::size_t typePosition(std::uint16_t typeId, bool hybrid, Ui* ui);
// Menu name of a type id for a document kind ("(Hyb)" appended for hybrids).
// Not found: shows "Call support: part type name error..." and returns "".
std::string typeName(std::uint16_t typeId, bool hybrid, Ui* ui);

class PartRegistry {
 public:
  // The one registry of the process.
  static PartRegistry& instance();

  // Links a part class to its type id. Refused when the id is not a known
  // part type, the class name differs from that type's, or the id or the
  // class name is registered already.
  Status registerClass(std::uint16_t typeId, const ClassRecord& record);

  const ClassRecord* byTypeId(std::uint16_t typeId) const;
  const ClassRecord* byClassName(std::string_view className) const;
  bool isRegistered(std::uint16_t typeId) const { return byTypeId(typeId) != nullptr; }
  std::size_t size() const { return byId_.size(); }

  // A new record of a type with default fields, its type id and hybrid flag
  // set. Null when the class is not linked in.
  std::unique_ptr<CPart> create(std::uint16_t typeId, bool hybrid) const;
  // A new record from the class name stored in a file (its fields are then read).
  std::unique_ptr<CPart> createByClassName(std::string_view className) const;
  // Creation from a 1-based menu index of a document kind's menu.
  std::unique_ptr<CPart> createFromMenu(std::size_t menuIndex, bool hybrid) const;

  // The menu of a document kind: index 0 is the empty text, then the names
  // of the table's types (taken from a temporary object of each class).
  // Fails with "Can not create Circuit part types menu." or "Can not create
  // Hybrid part types menu." when a class cannot be created.
  Status buildMenu(bool hybrid, std::vector<std::string>& names) const;

 private:
  std::map<std::uint16_t, const ClassRecord*> byId_;
  std::map<std::string, const ClassRecord*, std::less<>> byName_;
};

}  // namespace kestrel
