// The stored fields of a part class, listed once in file order.
//
// Each class names its own fields (after the base fields 1..34) in one table:
// the member, the entry's description when the field is an input (keyword,
// label, kind, range, choice list, unit), and the printed name when the field
// is one of the factors a calculation leaves. The record base walks that
// table to write and read the record, copy it, clamp its choices, list its
// factors, and to show and import the inputs that apply; a class keeps as
// code only what depends on other fields (which inputs apply, a range or a
// list that another choice picks).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "core/field_spec.hpp"

namespace kestrel {

class CPart;

// A stored field of one record.
using FieldRef = std::variant<float*, std::uint8_t*>;

// Where an input is shown and imported: the class's parameter page, its
// second (temperature) page, or neither (kept, never edited).
enum class FieldPage : std::uint8_t { Params, Temp, None };

struct StoredField {
  FieldRef (*at)(CPart&) = nullptr;   // the member in a record of the class
  const FieldSpec* entry = nullptr;   // an input's description; null for a result
  std::string_view factor = {};       // printed among the factors under this name
  FieldPage page = FieldPage::Params;
  // A choice whose list depends on another field: the class clamps it in its
  // own normalizeChoices, the table does not.
  bool listByClass = false;
  // An input a hybrid part takes from its package (quality, learning): not
  // an entry of a part inside a hybrid.
  bool packageInHybrid = false;

  // The same field, also printed among the factors under `name`.
  StoredField printedAs(std::string_view name) const {
    StoredField copy = *this;
    copy.factor = name;
    return copy;
  }
  StoredField onPage(FieldPage where) const {
    StoredField copy = *this;
    copy.page = where;
    return copy;
  }
  StoredField fromPackageInHybrid() const {
    StoredField copy = *this;
    copy.packageInHybrid = true;
    return copy;
  }
  StoredField withClassList() const {
    StoredField copy = *this;
    copy.listByClass = true;
    return copy;
  }
};

namespace stored_detail {
template <typename>
struct MemberOf;
template <typename Class, typename Value>
struct MemberOf<Value Class::*> {
  using ClassType = Class;
};

template <auto Member>
FieldRef memberRef(CPart& part) {
  using Class = typename MemberOf<decltype(Member)>::ClassType;
  return &(static_cast<Class&>(part).*Member);
}

template <auto Block, auto Member>
FieldRef blockMemberRef(CPart& part) {
  using Class = typename MemberOf<decltype(Block)>::ClassType;
  return &((static_cast<Class&>(part).*Block).*Member);
}
}  // namespace stored_detail

// An input of the class: stored, shown on its page and imported by keyword.
template <auto Member>
StoredField input(const FieldSpec& entry) {
  return StoredField{&stored_detail::memberRef<Member>, &entry};
}
// A result of the calculation, printed among the factors under `name`.
template <auto Member>
StoredField result(std::string_view name) {
  return StoredField{&stored_detail::memberRef<Member>, nullptr, name, FieldPage::None};
}
// A stored field that is neither an input nor a printed factor.
template <auto Member>
StoredField kept() {
  return StoredField{&stored_detail::memberRef<Member>, nullptr, {}, FieldPage::None};
}
// An input held in a block of fields the class keeps as one member.
template <auto Block, auto Member>
StoredField blockInput(const FieldSpec& entry, FieldPage page) {
  return StoredField{&stored_detail::blockMemberRef<Block, Member>, &entry, {}, page};
}

// A class's table from pieces (its own fields, a shared block, its results).
using StoredFields = std::vector<StoredField>;
template <typename... Pieces>
StoredFields joinFields(StoredFields first, const Pieces&... rest) {
  (first.insert(first.end(), rest.begin(), rest.end()), ...);
  return first;
}

}  // namespace kestrel
