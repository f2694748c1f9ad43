// Field validation: exact messages, boundary values accepted, values just
// outside refused, malformed entries never accepted, stored and redisplayed forms.
#include "core/validation.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "core/choice.hpp"
#include "core/field_spec.hpp"
#include "core/part.hpp"

namespace kestrel {
namespace {

template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------- text

struct TextCase {
  std::string name;
  std::size_t length;
  std::size_t maxLength;
  std::optional<std::string> error;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextLength : public testing::TestWithParam<TextCase> {};

TEST_P(TextLength, RefusesOnlyTooLongText) {
  const TextCase& c = GetParam();
  EXPECT_EQ(checkTextLength(std::string(c.length, 'x'), c.maxLength), c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLength,
    testing::Values(
        TextCase{"EmptyAccepted", 0, 25, std::nullopt},
        TextCase{"ExactlyMaximumAccepted", 25, 25, std::nullopt},
        TextCase{"OneOverMaximumRefused", 26, 25,
                 "Text entry has too many characters:\n26 ch entered ... 25 ch max"},
        TextCase{"DescriptionOverSixtyRefused", 100, 60,
                 "Text entry has too many characters:\n100 ch entered ... 60 ch max"},
        TextCase{"NotesAtMaximumAccepted", 512, 512, std::nullopt},
        TextCase{"NoFieldHoldsMoreThan512", 513, 5000,
                 "Text entry has too many characters:\n513 ch entered ... 512 ch max"}),
    caseName<TextCase>);

// ---------------------------------------------------------------- whole numbers

struct WholeCase {
  std::string name;
  std::string entry;
  long lo;
  long hi;
  bool accepted;
  double number;     // when accepted
  std::string text;  // redisplay when accepted
};
void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.name; }

class WholeNumber : public testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumber, AcceptsOnlyWholeNumbersInRange) {
  const WholeCase& c = GetParam();
  const Validated v = checkWholeNumber(c.entry, c.lo, c.hi);
  if (c.accepted) {
    EXPECT_FALSE(v.error.has_value()) << *v.error;
    EXPECT_EQ(v.number, c.number);
    EXPECT_EQ(v.text, c.text);
  } else {
    ASSERT_TRUE(v.error.has_value());
    EXPECT_EQ(*v.error, "Number entry is out of range:\n" + std::to_string(c.lo) + " to " +
                            std::to_string(c.hi));
  }
}

WholeCase qty(std::string name, std::string entry, bool accepted, double number = 0.0,
              std::string text = "") {
  return WholeCase{std::move(name), std::move(entry), 1, 999, accepted, number, std::move(text)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeNumber,
    testing::Values(
        qty("LowerBoundAccepted", "1", true, 1.0, "1"),
        qty("UpperBoundAccepted", "999", true, 999.0, "999"),
        qty("JustBelowRangeRefused", "0", false),
        qty("JustAboveRangeRefused", "1000", false),
        qty("NegativeRefused", "-5", false),
        qty("FractionRefused", "2.5", false),
        qty("FractionJustAboveBoundRefused", "999.0001", false),
        qty("WholeValueWithDecimalsRedisplayedWithout", "12.000", true, 12.0, "12"),
        qty("ExponentFormAccepted", "1e2", true, 100.0, "100"),
        qty("SurroundingBlanksIgnored", "  42 \t", true, 42.0, "42"),
        qty("LeadingPlusAccepted", "+7", true, 7.0, "7"),
        qty("EmptyRefused", "", false),
        qty("BlankRefused", "   ", false),
        qty("LettersRefused", "abc", false),
        qty("TrailingLettersRefused", "12abc", false),
        qty("IncompleteExponentRefused", "1e", false),
        qty("NotANumberRefused", "nan", false),
        qty("InfinityRefused", "inf", false),
        qty("HexadecimalRefused", "0x10", false),
        qty("DoubleSignRefused", "+-5", false),
        qty("OverflowingExponentRefused", "1e400", false),
        WholeCase{"NegativeZeroStoredAsZero", "-0", -5, 5, true, 0.0, "0"},
        WholeCase{"NegativeRangeLowerBound", "-40", -40, 40, true, -40.0, "-40"},
        WholeCase{"NegativeRangeJustBelow", "-41", -40, 40, false, 0.0, ""}),
    caseName<WholeCase>);

// ---------------------------------------------------------------- real numbers

struct RealCase {
  std::string name;
  std::string entry;
  double lo;
  double hi;
  bool accepted;
  double number;       // when accepted
  std::string text;    // redisplay when accepted, message when refused
};
void PrintTo(const RealCase& c, std::ostream* os) { *os << c.name; }

class RealNumber : public testing::TestWithParam<RealCase> {};

TEST_P(RealNumber, AcceptsOnlyNumbersInRange) {
  const RealCase& c = GetParam();
  const Validated v = checkRealNumber(c.entry, c.lo, c.hi);
  if (c.accepted) {
    EXPECT_FALSE(v.error.has_value()) << *v.error;
    EXPECT_EQ(v.number, c.number);
    EXPECT_EQ(v.text, c.text);
  } else {
    ASSERT_TRUE(v.error.has_value());
    EXPECT_EQ(*v.error, c.text);
  }
}

const std::string kCfRange = "Number entry is out of range:\n0.000001 to 1000.0000";
RealCase cf(std::string name, std::string entry, bool accepted, double number, std::string text) {
  return RealCase{std::move(name), std::move(entry), 0.000001, 1000.0, accepted, number,
                  std::move(text)};
}
RealCase cfRefused(std::string name, std::string entry) {
  return cf(std::move(name), std::move(entry), false, 0.0, kCfRange);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RealNumber,
    testing::Values(
        cf("LowerBoundAccepted", "0.000001", true, 0.000001, "0.000001"),
        cf("LowerBoundInExponentForm", "1e-6", true, 1e-6, "0.000001"),
        cf("UpperBoundAccepted", "1000", true, 1000.0, "1000.0000"),
        cf("UnitRedisplayedAtFivePlaces", "1", true, 1.0, "1.00000"),
        cf("FractionRedisplayedAtSixPlaces", " .25 ", true, 0.25, "0.250000"),
        cfRefused("JustBelowRangeRefused", "0.0000009"),
        cfRefused("JustAboveRangeRefused", "1000.0001"),
        cfRefused("ZeroBelowRangeRefused", "0"),
        cfRefused("NegativeRefused", "-1"),
        cfRefused("EmptyRefused", ""),
        cfRefused("LettersRefused", "abc"),
        cfRefused("IncompleteExponentRefused", "1e"),
        cfRefused("NotANumberRefused", "nan"),
        cfRefused("InfinityRefused", "inf"),
        cfRefused("NegativeInfinityRefused", "-inf"),
        cfRefused("LoneSignRefused", "-"),
        cfRefused("LoneDecimalPointRefused", "."),
        cfRefused("TwoNumbersRefused", "1 2"),
        RealCase{"TemperatureRangeBoundsFormatted", "500.5", 0.0, 500.0, false, 0.0,
                 "Number entry is out of range:\n0.0 to 500.0000"},
        RealCase{"NegativeBoundFormatted", "-60", -55.0, 125.0, false, 0.0,
                 "Number entry is out of range:\n-55.0000 to 125.0000"},
        RealCase{"NegativeLowerBoundAccepted", "-55", -55.0, 125.0, true, -55.0, "-55.0000"},
        // A bound kept as a float (0.001f = 0.0010000000475) takes the entry "0.001": both store alike.
        RealCase{"BoundComparedAsStored", "0.001", static_cast<double>(0.001f), 25.0, true, 0.001, "0.001000"}),
    caseName<RealCase>);

// ---------------------------------------------------------------- choices

struct ChoiceCase {
  std::string name;
  std::string entry;
  unsigned choice;  // 0 = refused
  std::string text;
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ChoiceEntry : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceEntry, AcceptsListTextOrNumber) {
  const ChoiceCase& c = GetParam();
  const Validated v = checkChoice(c.entry, kSmtLeads);
  if (c.choice != 0) {
    EXPECT_FALSE(v.error.has_value()) << *v.error;
    EXPECT_EQ(v.choice, c.choice);
    EXPECT_EQ(v.text, c.text);
  } else {
    EXPECT_EQ(v.error, std::optional<std::string>("Choice entry not found in choice list."));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChoiceEntry,
    testing::Values(ChoiceCase{"ExactText", "Leadless", 1, "Leadless"},
                    ChoiceCase{"TextIgnoringCase", "gullwing", 3, "GullWing"},
                    ChoiceCase{"TextWithBlanks", "  Lead,J/S ", 2, "Lead,J/S"},
                    ChoiceCase{"FirstNumber", "1", 1, "Leadless"},
                    ChoiceCase{"LastNumber", "3", 3, "GullWing"},
                    ChoiceCase{"NumberZeroRefused", "0", 0, ""},
                    ChoiceCase{"NumberPastListRefused", "4", 0, ""},
                    ChoiceCase{"NegativeNumberRefused", "-1", 0, ""},
                    ChoiceCase{"FractionalNumberRefused", "1.5", 0, ""},
                    ChoiceCase{"OverflowingNumberRefused", "99999999999999999999", 0, ""},
                    ChoiceCase{"EmptyRefused", "", 0, ""},
                    ChoiceCase{"PartialTextRefused", "Lead", 0, ""},
                    ChoiceCase{"TextOfAnotherListRefused", "Plastic", 0, ""}),
    caseName<ChoiceCase>);

// ---------------------------------------------------------------- dispatch

const FieldSpec kTextField{"T_TEXT", "Part number", FieldKind::Text, 0, 0, 25};
const FieldSpec kWholeField{"T_WHOLE", "Quantity", FieldKind::Whole, 1, 999};
const FieldSpec kRealField{"T_REAL", "Temperature limit", FieldKind::Real, 0, 500};
const FieldSpec kChoiceField{"T_CHOICE", "Package", FieldKind::Choice, 0, 0, 0, &kSmtPackages};
const FieldSpec kFlagField{"T_FLAG", "SMT", FieldKind::Flag, 0, 1};
const FieldSpec kListlessChoice{"T_NOLIST", "Broken", FieldKind::Choice};

struct DispatchCase {
  std::string name;
  const FieldSpec* field;
  std::string entry;
  std::optional<std::string> error;
  std::string text;
  double number;
  unsigned choice;
};
void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.name; }

class ValidateEntry : public testing::TestWithParam<DispatchCase> {};

TEST_P(ValidateEntry, ChecksByFieldKind) {
  const DispatchCase& c = GetParam();
  const Validated v = validateEntry(*c.field, c.entry);
  EXPECT_EQ(v.error, c.error);
  if (!c.error) {
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(v.number, c.number);
    EXPECT_EQ(v.choice, c.choice);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateEntry,
    testing::Values(
        DispatchCase{"TextStoredAsEntered", &kTextField, " R-1 ", std::nullopt, " R-1 ", 0.0, 0},
        DispatchCase{"TextTooLong", &kTextField, std::string(26, 'x'),
                     "Text entry has too many characters:\n26 ch entered ... 25 ch max", "", 0.0,
                     0},
        DispatchCase{"WholeInRange", &kWholeField, "3", std::nullopt, "3", 3.0, 0},
        DispatchCase{"WholeOutOfRange", &kWholeField, "0",
                     "Number entry is out of range:\n1 to 999", "", 0.0, 0},
        DispatchCase{"RealInRange", &kRealField, "175", std::nullopt, "175.0000", 175.0, 0},
        DispatchCase{"RealOutOfRange", &kRealField, "-0.5",
                     "Number entry is out of range:\n0.0 to 500.0000", "", 0.0, 0},
        DispatchCase{"ChoiceByText", &kChoiceField, "ceramic", std::nullopt, "Ceramic", 0.0, 2},
        DispatchCase{"ChoiceNotInList", &kChoiceField, "Metal",
                     "Choice entry not found in choice list.", "", 0.0, 0},
        DispatchCase{"FlagSet", &kFlagField, "1", std::nullopt, "1", 1.0, 0},
        DispatchCase{"FlagClear", &kFlagField, "0", std::nullopt, "0", 0.0, 0},
        DispatchCase{"FlagOutOfRange", &kFlagField, "2", "Number entry is out of range:\n0 to 1",
                     "", 0.0, 0},
        DispatchCase{"ChoiceFieldWithoutListRefused", &kListlessChoice, "1",
                     "Choice entry not found in choice list.", "", 0.0, 0}),
    caseName<DispatchCase>);

// ---------------------------------------------------------------- pages

struct PageCase {
  std::string name;
  int page;
  std::string expected;
};
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

class PageCompletion : public testing::TestWithParam<PageCase> {};

TEST_P(PageCompletion, NamesThePage) {
  EXPECT_EQ(pageNeedsCompletion(GetParam().page), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCompletion,
                         testing::Values(PageCase{"SecondPage", 2, "Page 2 needs to be completed..."},
                                         PageCase{"TenthPage", 10,
                                                  "Page 10 needs to be completed..."}),
                         caseName<PageCase>);

}  // namespace
}  // namespace kestrel
