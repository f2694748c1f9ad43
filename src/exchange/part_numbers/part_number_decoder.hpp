// The part-number decoder: tells the parameters of a fixed resistor, a
// potentiometer or a capacitor from its military style part number, so that
// recall can offer a part that is in no library, and builds that record.
//
// A number reads: style letters (RNC, RCR, RWR, RJR, CKR, CSR, ...), a size
// of one or two digits, one to five characteristic letters, a value code,
// then the closing letters. The value code is two to four digits whose last
// digit is the power of ten (8 and 9 stand for 0.01 and 0.1), or digits
// with an "R" for the decimal point; resistors count in ohms, capacitors in
// picofarads. An established-reliability style ends with its failure-rate
// level letter (the record's quality), optionally after a tolerance letter;
// any other style ends with at most a tolerance letter. Numbers of another
// form (slash sheets, chip numbers with a detail-sheet prefix) are
// not decoded rather than guessed at.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/status.hpp"

namespace kestrel {
class CPart;
}

namespace kestrel::part_numbers {

// The results the recall fallback understands: 0 not decoded, then which
// parameter block was filled.
enum class Family : std::uint8_t { None = 0, Resistor = 1, Potentiometer = 2, Capacitor = 3 };

inline constexpr std::size_t kMaxPartNumberLength = 25;

struct DecodedNumber {
  Family family = Family::None;
  std::string style;           // "RNC"
  int size = 0;                // "55"
  std::string characteristic;  // "H"
  double value = 0.0;          // ohms (resistors, potentiometers) or picofarads
  char tolerance = 0;          // letter, 0 when the number gives none
  char failureRateLevel = 0;   // letter of an established-reliability style, else 0
  float ratedPower = 0.0f;     // watts, 0 when the style and size do not tell it
};

// Decodes a part number (blanks around it ignored, case ignored). A refused
// number gives Family::None and, when `why` is given, the reason.
DecodedNumber decode(std::string_view partNumber, std::string* why = nullptr);

// Type id of the record class a family builds (401, 402, 403; 0 for None).
std::uint16_t typeIdOf(Family family);

// Builds the record a part number stands for: a CResistor, CPotentiometer or
// CCapacitor (through the part registry) with the record's defaults, then the
// decoded style, value, unit, quality and rating set through the class's own
// field descriptions, each choice checked against its list and each number
// against its field's range. Fails with "Not decoded: ..." for a number the
// decoder refuses, and with "WARNING: internal PN decode error...\n...PN='%s'...
// \n...please call support." when a decoded value does not fit the record.
Status buildPart(std::string_view partNumber, bool hybrid, std::unique_ptr<CPart>& part);

// The fallback recall hands a number that is in no library: the built
// record, or null when the number is not decoded.
std::unique_ptr<CPart> decodeForRecall(std::string_view number, bool hybrid);

}  // namespace kestrel::part_numbers
