// Field descriptions: each editable or importable field of a part class or of
// the document header is described once (keyword, label, kind, range, length,
// choice list, unit). Keyword import, `kestrel add`, validation, the desktop
// pages and the exporters are all driven by these rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/choice.hpp"

namespace kestrel {

enum class FieldKind : std::uint8_t {
  Text,    // length-limited text
  Whole,   // whole number stored in a float, range lo..hi
  Real,    // real number, range lo..hi
  Choice,  // one byte, 1-based index into `choices`
  Flag,    // unsigned 16-bit 0/1 (or a whole number) stored as an integer
};

struct FieldSpec {
  std::string_view keyword;  // field keyword, "" when the field is not importable
  std::string_view label;    // what the editing page calls it
  FieldKind kind = FieldKind::Real;
  double lo = 0.0;  // range of Whole, Real and Flag fields
  double hi = 0.0;
  std::size_t maxLength = 0;             // Text fields
  const ChoiceList* choices = nullptr;   // Choice fields
  std::string_view unit = {};
  bool upperCase = false;  // texts upper-cased on import
  // A unit choice: the keyword of the value it gives the unit of. A value
  // read with its own unit ("4k7") is not put under another one.
  std::string_view unitOf = {};
};

// The same field description with another choice list (a list that depends
// on another field's choice).
inline FieldSpec withChoices(const FieldSpec& field, const ChoiceList& list) {
  FieldSpec copy = field;
  copy.choices = &list;
  return copy;
}

// Visits the fields of a record or header. `applies` is false for a field
// that does not apply to the current choices (shown as "xxxxxx", not edited).
class FieldVisitor {
 public:
  virtual ~FieldVisitor() = default;
  virtual void text(const FieldSpec& field, std::string& value, bool applies) = 0;
  virtual void number(const FieldSpec& field, float& value, bool applies) = 0;
  virtual void choice(const FieldSpec& field, std::uint8_t& value, bool applies) = 0;
  virtual void flag(const FieldSpec& field, std::uint16_t& value, bool applies) = 0;
  // True for a visitor that reads values in by keyword (an import): a page
  // then leaves a stored choice past a refilled list, or a value outside a
  // new range, for the reader to settle and report.
  virtual bool readsInput() const { return false; }
};

}  // namespace kestrel
