// Field validation: exact messages, boundary values accepted, values just
// outside refused, malformed entries never accepted, stored and redisplayed forms
// (the bounds of the quantity and the limits, and the longest part number, are
// refused through the property sheet in the desktop tests).
#include "core/validation.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/choice.hpp"
#include "core/field_spec.hpp"
#include "core/part.hpp"

namespace kestrel {
namespace {

const FieldSpec kPn{"T", "Part number", FieldKind::Text, 0, 0, 25};
const FieldSpec kNotes{"T", "Notes", FieldKind::Text, 0, 0, 512};
const FieldSpec kTooLong{"T", "Wide", FieldKind::Text, 0, 0, 5000};
const FieldSpec kQty{"T", "Quantity", FieldKind::Whole, 1, 999};
const FieldSpec kSmall{"T", "Small", FieldKind::Whole, -40, 40};
const FieldSpec kFlag{"T", "SMT", FieldKind::Flag, 0, 1};
const FieldSpec kCf{"T", "CF", FieldKind::Real, 0.000001, 1000};
const FieldSpec kCase{"T", "Case temperature", FieldKind::Real, -55, 125};
// A bound kept as a float (0.001f = 0.0010000000475) takes the entry "0.001": both store alike.
const FieldSpec kFloatBound{"T", "Float bound", FieldKind::Real, static_cast<double>(0.001f), 25};
const FieldSpec kLead{"T", "Lead", FieldKind::Choice, 0, 0, 0, &kSmtLeads};
const FieldSpec kPkg{"T", "Package", FieldKind::Choice, 0, 0, 0, &kSmtPackages};
const FieldSpec kListless{"T", "Broken", FieldKind::Choice};

const std::string kQtyRange = "Number entry is out of range:\n1 to 999";
const std::string kCfRange = "Number entry is out of range:\n0.000001 to 1000.0000";
const std::string kNoChoice = "Choice entry not found in choice list.";

struct Row {
  const char* name;
  const FieldSpec* field;
  std::string entry;
  std::string error;  // "" when accepted
  std::string text;   // stored text when accepted
  double value;       // number, or choice for choice fields
};
void PrintTo(const Row& r, std::ostream* os) {
  *os << r.name;
}

class Validation : public testing::TestWithParam<Row> {};

TEST_P(Validation, AcceptsOrRefusesWithItsMessage) {
  const Row& r = GetParam();
  const Validated v = validateEntry(*r.field, r.entry);
  EXPECT_EQ(v.error.value_or(""), r.error);
  if (r.error.empty()) {
    EXPECT_EQ(v.text, r.text);
    EXPECT_EQ(r.field->kind == FieldKind::Choice ? v.choice : v.number, r.value);
  }
}

std::string x(std::size_t n) {
  return std::string(n, 'x');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Validation,
    testing::Values(
        // Texts: stored as entered, refused only when too long; no field holds more than 512.
        Row{"TextStoredAsEntered", &kPn, " R-1 ", "", " R-1 ", 0}, Row{"TextEmpty", &kPn, "", "", "", 0},
        Row{"TextAtMaximum", &kPn, x(25), "", x(25), 0},
        Row{"NotesAtMaximum", &kNotes, x(512), "", x(512), 0},
        Row{"NoTextOver512", &kTooLong, x(513),
            "Text entry has too many characters:\n513 ch entered ... 512 ch max"},
        // Whole numbers.
        Row{"WholeLowerBound", &kQty, "1", "", "1", 1}, Row{"WholeUpperBound", &kQty, "999", "", "999", 999},
        Row{"WholeFraction", &kQty, "2.5", kQtyRange},
        Row{"WholeFractionAboveBound", &kQty, "999.0001", kQtyRange},
        Row{"WholeExponent", &kQty, "1e2", "", "100", 100},
        Row{"WholeBlanksIgnored", &kQty, "  42 \t", "", "42", 42},
        Row{"WholeLeadingPlus", &kQty, "+7", "", "7", 7}, Row{"WholeEmpty", &kQty, "", kQtyRange},
        Row{"WholeBlank", &kQty, "   ", kQtyRange}, Row{"WholeLetters", &kQty, "abc", kQtyRange},
        Row{"WholeTrailingLetters", &kQty, "12abc", kQtyRange},
        Row{"WholeIncompleteExponent", &kQty, "1e", kQtyRange}, Row{"WholeNan", &kQty, "nan", kQtyRange},
        Row{"WholeInf", &kQty, "inf", kQtyRange}, Row{"WholeHex", &kQty, "0x10", kQtyRange},
        Row{"WholeDoubleSign", &kQty, "+-5", kQtyRange},
        Row{"WholeOverflowingExponent", &kQty, "1e400", kQtyRange},
        Row{"WholeNegativeZeroStoredAsZero", &kSmall, "-0", "", "0", 0},
        Row{"WholeNegativeLowerBound", &kSmall, "-40", "", "-40", -40},
        Row{"WholeNegativeJustBelow", &kSmall, "-41", "Number entry is out of range:\n-40 to 40"},
        Row{"FlagSet", &kFlag, "1", "", "1", 1},
        Row{"FlagOutOfRange", &kFlag, "2", "Number entry is out of range:\n0 to 1"},
        // Real numbers: redisplayed at 6 places below 1, 5 below 10, 4 above.
        Row{"RealLowerBound", &kCf, "0.000001", "", "0.000001", 0.000001},
        Row{"RealLowerBoundExponent", &kCf, "1e-6", "", "0.000001", 1e-6},
        Row{"RealUpperBound", &kCf, "1000", "", "1000.0000", 1000},
        Row{"RealUnit", &kCf, "1", "", "1.00000", 1},
        Row{"RealFraction", &kCf, " .25 ", "", "0.250000", 0.25},
        Row{"RealJustBelow", &kCf, "0.0000009", kCfRange}, Row{"RealJustAbove", &kCf, "1000.0001", kCfRange},
        Row{"RealZero", &kCf, "0", kCfRange}, Row{"RealEmpty", &kCf, "", kCfRange},
        Row{"RealLetters", &kCf, "abc", kCfRange}, Row{"RealIncompleteExponent", &kCf, "1e", kCfRange},
        Row{"RealNan", &kCf, "nan", kCfRange}, Row{"RealInf", &kCf, "inf", kCfRange},
        Row{"RealNegativeInf", &kCf, "-inf", kCfRange}, Row{"RealLoneSign", &kCf, "-", kCfRange},
        Row{"RealLoneDecimalPoint", &kCf, ".", kCfRange}, Row{"RealTwoNumbers", &kCf, "1 2", kCfRange},
        Row{"RealNegativeBoundFormatted", &kCase, "-60",
            "Number entry is out of range:\n-55.0000 to 125.0000"},
        Row{"RealNegativeLowerBound", &kCase, "-55", "", "-55.0000", -55},
        Row{"RealBoundComparedAsStored", &kFloatBound, "0.001", "", "0.001000", 0.001},
        // Choices: by list text (case and blanks ignored) or by number.
        Row{"ChoiceExactText", &kLead, "Leadless", "", "Leadless", 1},
        Row{"ChoiceTextIgnoringCase", &kLead, "gullwing", "", "GullWing", 3},
        Row{"ChoiceTextWithBlanks", &kLead, "  Lead,J/S ", "", "Lead,J/S", 2},
        Row{"ChoiceFirstNumber", &kLead, "1", "", "Leadless", 1},
        Row{"ChoiceLastNumber", &kLead, "3", "", "GullWing", 3}, Row{"ChoiceZero", &kLead, "0", kNoChoice},
        Row{"ChoicePastList", &kLead, "4", kNoChoice}, Row{"ChoiceNegative", &kLead, "-1", kNoChoice},
        Row{"ChoiceFraction", &kLead, "1.5", kNoChoice},
        Row{"ChoiceOverflowingNumber", &kLead, "99999999999999999999", kNoChoice},
        Row{"ChoiceEmpty", &kLead, "", kNoChoice}, Row{"ChoicePartialText", &kLead, "Lead", kNoChoice},
        Row{"ChoiceOfAnotherList", &kLead, "Plastic", kNoChoice},
        Row{"ChoiceOtherList", &kPkg, "ceramic", "", "Ceramic", 2},
        Row{"ChoiceFieldWithoutList", &kListless, "1", kNoChoice}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PageCompletion, NamesThePageAndTheEmptyField) {
  EXPECT_EQ(pageNeedsCompletion(10), "Page 10 needs to be completed...");
  EXPECT_EQ(pageNeedsCompletion(2, "Pd", "Stress"),
            "Page 2 needs to be completed...\n'Pd' on page 'Stress' has no entry.");
}

}  // namespace
}  // namespace kestrel
