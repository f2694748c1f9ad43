// Numbers as parts lists write them: a value with an SI prefix and an
// optional unit symbol ("10K", "4k7", "4R7", "100nF", "2.2uF", "0.25W",
// "2M2", "470p", "10Meg", "1.5mH"), read into the unit of the field that
// takes it ("10K" into an ohms field is 10000, "100nF" into a uF field 0.1).
//
// A text is read whole or not at all: "10K" is never 10, and "10uF 25V" or
// "1.2.3" are not numbers. "M" is mega and "m" milli, as resistor and
// capacitor markings use them.
#pragma once

#include <string_view>

namespace kestrel {

enum class UnitText {
  Plain,       // a plain number ("12.5", "1.5E+01")
  Converted,   // read with a prefix, a unit symbol or a marking code ("4k7")
  NoNumber,    // no number at all ("", "abc", "-", "nan")
  Unreadable,  // starts like a number but is not one ("10Kx", "10uF 25V")
  WrongUnit,   // a unit the field does not take ("0.25W" for an ohms field)
};

struct UnitReading {
  UnitText kind = UnitText::NoNumber;
  double value = 0.0;  // in the field's unit when Plain or Converted
};

// `fieldUnit` as field descriptions name units: "ohms", "Kohms", "Megohms",
// "pf", "uF", "F", "W", "mW", "V", "A", "MHz", "GHz", "deg C", "%", ...; an
// empty or unknown unit takes prefixes as plain factors ("10k" hours is 10000)
// and no symbol but its own name.
UnitReading readUnitValue(std::string_view text, std::string_view fieldUnit);

}  // namespace kestrel
