#include "core/keywords/unit_value.hpp"

#include <charconv>
#include <cmath>
#include <string>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A quantity's base unit and how many of it one field unit is.
struct FieldUnit {
  std::string_view base;  // "" when the unit is not one of the table's
  double scale = 1.0;
};

// The units the field descriptions use for electrical and temperature values.
constexpr struct {
  std::string_view name;
  FieldUnit unit;
} kFieldUnits[] = {
    {"ohms", {"ohm", 1.0}},   {"ohm", {"ohm", 1.0}},    {"kohms", {"ohm", 1e3}},  {"megohms", {"ohm", 1e6}},
    {"pf", {"F", 1e-12}},     {"nf", {"F", 1e-9}},      {"uf", {"F", 1e-6}},      {"f", {"F", 1.0}},
    {"w", {"W", 1.0}},        {"mw", {"W", 1e-3}},      {"v", {"V", 1.0}},        {"a", {"A", 1.0}},
    {"ma", {"A", 1e-3}},      {"hz", {"Hz", 1.0}},      {"khz", {"Hz", 1e3}},     {"mhz", {"Hz", 1e6}},
    {"ghz", {"Hz", 1e9}},     {"h", {"H", 1.0}},        {"mh", {"H", 1e-3}},      {"uh", {"H", 1e-6}},
    {"deg c", {"degC", 1.0}}, {"%", {"%", 1.0}},
};

FieldUnit fieldUnitOf(std::string_view name) {
  for (const auto& u : kFieldUnits) {
    if (sameText(u.name, name)) return u.unit;
  }
  return {};
}

// Unit symbols a value may carry, compared without regard to case.
constexpr struct {
  std::string_view symbol;
  std::string_view base;
} kSymbols[] = {
    {"ohm", "ohm"},  {"ohms", "ohm"},         {"r", "ohm"},          {"\xCE\xA9", "ohm"}, {"\xE2\x84\xA6", "ohm"},
    {"f", "F"},      {"w", "W"},              {"v", "V"},            {"a", "A"},          {"h", "H"},
    {"hz", "Hz"},    {"%", "%"},              {"c", "degC"},         {"degc", "degC"},    {"deg c", "degC"},
    {"deg", "degC"}, {"\xC2\xB0" "c", "degC"}, {"\xB0" "c", "degC"},
};

std::string_view symbolBase(std::string_view text) {
  for (const auto& s : kSymbols) {
    if (sameText(s.symbol, text)) return s.base;
  }
  return {};
}

// An SI prefix at the start of `text`: its factor and length (0: none). Case
// matters for the letters: "m" is milli, "M" mega.
struct Prefix {
  double factor = 1.0;
  std::size_t length = 0;
};

Prefix prefixAt(std::string_view text) {
  if (text.size() >= 3 && sameText(text.substr(0, 3), "meg")) return {1e6, 3};
  if (text.starts_with("\xC2\xB5") || text.starts_with("\xCE\xBC")) return {1e-6, 2};  // micro sign, mu
  if (text.empty()) return {};
  switch (text.front()) {
    case '\xB5': return {1e-6, 1};  // micro sign in Windows-1252
    case 'p': return {1e-12, 1};
    case 'n': return {1e-9, 1};
    case 'u': return {1e-6, 1};
    case 'm': return {1e-3, 1};
    case 'k':
    case 'K': return {1e3, 1};
    case 'M': return {1e6, 1};
    case 'G': return {1e9, 1};
    case 'T': return {1e12, 1};
    default: return {};
  }
}

// What follows the number: nothing, the field's own unit name, a unit
// symbol, or a prefix with or without a symbol.
struct Suffix {
  bool ok = false;
  bool fieldName = false;  // the field's unit spelt out: the number is in it
  double factor = 1.0;
  std::string_view base;
};

Suffix suffixOf(std::string_view tail, std::string_view fieldUnit) {
  tail = trimmed(tail);
  if (tail.empty()) return {true, false, 1.0, {}};
  if (!fieldUnit.empty() && sameText(tail, fieldUnit)) return {true, true, 1.0, {}};
  if (const std::string_view base = symbolBase(tail); !base.empty()) return {true, false, 1.0, base};
  const Prefix p = prefixAt(tail);
  if (p.length == 0) return {};
  const std::string_view rest = trimmed(tail.substr(p.length));
  if (rest.empty()) return {true, false, p.factor, {}};
  const std::string_view base = symbolBase(rest);
  if (base.empty() || base == "%" || base == "degC") return {};
  return {true, false, p.factor, base};
}

std::size_t digitsFrom(std::string_view s, std::size_t pos) {
  while (pos < s.size() && isDigit(s[pos])) ++pos;
  return pos;
}

// A marking code puts the prefix (or R for ohms) where the decimal point
// goes: "4k7", "2M2", "4n7", "4R7", "R47".
struct Marking {
  std::size_t markerAt = 0, markerLength = 0;
  double factor = 1.0;
  bool ohms = false;
};

bool markingAt(std::string_view s, std::size_t pos, Marking& m) {
  if (pos >= s.size()) return false;
  if (s[pos] == 'R' || s[pos] == 'r') {
    m = {pos, 1, 1.0, true};
  } else {
    const Prefix p = prefixAt(s.substr(pos));
    if (p.length == 0) return false;
    m = {pos, p.length, p.factor, false};
  }
  return pos + m.markerLength < s.size() && isDigit(s[pos + m.markerLength]);
}

}  // namespace

UnitReading readUnitValue(std::string_view text, std::string_view fieldUnit) {
  text = trimmed(text);
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const std::size_t start = pos;
  pos = digitsFrom(text, pos);
  std::string number;
  Marking mark;
  // Without a whole part only R marks a value ("R47"); "k7" is no number.
  const bool marking = markingAt(text, pos, mark) && (pos > start || mark.ohms);
  std::string_view tail;
  if (marking) {
    // Whole part before the marker ("R47" has none), fraction after it.
    const std::size_t fracEnd = digitsFrom(text, mark.markerAt + mark.markerLength);
    number.append(pos > start ? text.substr(start, pos - start) : std::string_view("0"));
    number += '.';
    number += text.substr(mark.markerAt + mark.markerLength, fracEnd - mark.markerAt - mark.markerLength);
    tail = text.substr(fracEnd);
  } else {
    if (pos < text.size() && text[pos] == '.') pos = digitsFrom(text, pos + 1);
    const std::string_view mantissa = text.substr(start, pos - start);
    if (mantissa.find_first_of("0123456789") == std::string_view::npos) return {};
    // An exponent only where digits follow the E ("1.5E+01"; "2E" is no number).
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
      std::size_t e = pos + 1;
      if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
      if (e < text.size() && isDigit(text[e])) pos = digitsFrom(text, e);
    }
    number = std::string(text.substr(start, pos - start));
    tail = text.substr(pos);
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc{} || end != number.data() + number.size() || !std::isfinite(value)) return {};
  if (negative) value = -value;

  Suffix suffix = suffixOf(tail, fieldUnit);
  if (!suffix.ok) return {UnitText::Unreadable};
  if (marking) {
    if (suffix.fieldName || suffix.factor != 1.0) return {UnitText::Unreadable};  // "4k7k"
    if (mark.ohms && !suffix.base.empty() && suffix.base != "ohm") return {UnitText::Unreadable};
    suffix.factor = mark.factor;
    if (mark.ohms) suffix.base = "ohm";
  }
  const bool converted = marking || !trimmed(tail).empty();
  if (!converted) return {UnitText::Plain, value};  // a bare number is in the field's unit
  if (suffix.fieldName) return {UnitText::Converted, value};
  const FieldUnit field = fieldUnitOf(fieldUnit);
  if (!suffix.base.empty() && suffix.base != field.base) return {UnitText::WrongUnit};
  value = value * suffix.factor / field.scale;
  if (!std::isfinite(value)) return {UnitText::Unreadable};
  return {UnitText::Converted, value};
}

}  // namespace kestrel
