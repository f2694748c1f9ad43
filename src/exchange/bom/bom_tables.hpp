// The two tables a bill of materials is read by: the header names of its
// columns (as EDA tools and colleagues write them) and the part class that a
// reference designator's letters stand for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// What a bill-of-materials column holds.
enum class BomColumn : std::uint8_t {
  None,
  Reference,
  Value,
  Description,
  Quantity,
  PartNumber,
  Mpn,
  Manufacturer,
  Footprint,
};

// The column a header names ("Ref Des", "QTY", "Manufacturer Part Number"...),
// case, blanks and punctuation ignored; None for any other name.
BomColumn bomColumnNamed(std::string_view header);
// How the review names a column's role ("Reference", "MPN"...).
std::string_view bomColumnTitle(BomColumn column);

// The class name of the part class a designator's letters stand for
// ("R" -> "CResistor", "RV" -> "CPotentiometer", "U" -> "CIC_Logic"), or ""
// when the table has none (the row becomes a miscellaneous part).
std::string_view bomClassForLetters(std::string_view letters);

// The designators of a grouped reference: "R1,R2,R3", "R1-R3", "R1 R2",
// "R1, R4-R6". Empty with `error` set when a part can not be read ("R3-R1",
// "R1-C3", a range of more than 999).
std::vector<std::string> expandDesignators(std::string_view text, std::string& error);
// The leading letters of a designator, upper-cased ("rv12" -> "RV").
std::string designatorLetters(std::string_view designator);

}  // namespace kestrel
