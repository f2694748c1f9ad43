// Choice, text and raw keyword readers.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/keywords/import_setup.hpp"
#include "core/keywords/keyword_reader.hpp"

namespace kestrel {
namespace {

using test::Cell;
using test::ImportSetup;
using test::kFld;
using test::kNaN;
using test::labelOf;
using test::Log;
using test::PrintTo;

// ---- Choice keywords (the environment list: 1 "GB" .. 14 "CL") ------------------

struct ChoiceCase {
  const char* label;
  Cell cell;
  float start;
  std::uint8_t initial;
  std::uint8_t expected;
  Log log;
};

class ChoiceKeyword : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceKeyword, SelectsByNumberOrNameElseFallsBack) {
  const ChoiceCase& c = GetParam();
  ImportSetup s;
  s.map("HEADER_ENV", kFld, c.cell, c.start);
  std::uint8_t env = c.initial;
  EXPECT_TRUE(s.reader.readChoice("HEADER_ENV", env, kEnvironments));
  EXPECT_EQ(env, c.expected);
  EXPECT_EQ(s.log, c.log);
}

const std::string kNumberError = "   ...'HEADER_ENV' choice number error (R7/F3)...";
const std::string kNoMatch = "   ...'HEADER_ENV' has no choice match (R7/F3)...";
const std::string kDefault = "   ...'HEADER_ENV' set to default (#1) choice...";

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, ChoiceKeyword,
    ::testing::Values(
        ChoiceCase{"NumberSelectsThatChoice", "3", 0, 4, 3, {}},
        ChoiceCase{"LastChoiceByNumber", "14", 0, 4, 14, {}},
        ChoiceCase{"LeadingZerosAllowed", "03", 0, 4, 3, {}},
        ChoiceCase{"NameIgnoresCaseAndBlanks", " gf ", 0, 4, 2, {}},
        ChoiceCase{"LongerName", "AIC", 0, 4, 6, {}},
        ChoiceCase{"NumberBeyondListKeepsValidValue", "15", 0, 4, 4, {kNumberError}},
        ChoiceCase{"ZeroIsNoChoice", "0", 0, 4, 4, {kNumberError}},
        ChoiceCase{"HugeNumberIsNoChoice", "99999999999", 0, 4, 4, {kNumberError}},
        ChoiceCase{"NumberBeyondListInvalidValueTakesFirst", "15", 0, 0, 1, {kNumberError, kDefault}},
        ChoiceCase{"UnknownNameKeepsValidValue", "XYZ", 0, 4, 4, {kNoMatch}},
        ChoiceCase{"UnknownNameInvalidValueTakesFirst", "XYZ", 0, 99, 1, {kNoMatch, kDefault}},
        ChoiceCase{"BlankTextHasNoMatch", "   ", 0, 4, 4, {kNoMatch}},
        ChoiceCase{"EmptyFieldHasNoData", {}, 0, 4, 4, {"   ...'HEADER_ENV' has no valid data (R7/F3)..."}},
        ChoiceCase{"NumberFieldIsChoiceNumber", 3.0, 0, 4, 3, {}},
        ChoiceCase{"NumberFieldRoundedToWhole", 2.6, 0, 4, 3, {}},
        ChoiceCase{"NumberFieldBeyondList", 20.0, 0, 4, 4, {kNumberError}},
        ChoiceCase{"NegativeNumberField", -1.0, 0, 4, 4, {kNumberError}},
        ChoiceCase{"NanNumberFieldHasNoData", kNaN, 0, 0, 1,
                   {"   ...'HEADER_ENV' has no valid data (R7/F3)...", kDefault}},
        ChoiceCase{"NameInSubfield", "ENV:GF", 5, 4, 2, {}},
        ChoiceCase{"SubfieldOnNumberFieldRefused", 3.0, 1, 4, 4,
                   {"   ...'HEADER_ENV' subfield requires text field (R7/F3)..."}}),
    labelOf<ChoiceCase>);

struct UnmappedChoiceCase {
  const char* label;
  std::uint8_t initial;
  std::uint8_t expected;
  Log log;
};

class UnmappedChoice : public ::testing::TestWithParam<UnmappedChoiceCase> {};

TEST_P(UnmappedChoice, KeepsValidChoiceElseTakesFirst) {
  ImportSetup s;
  std::uint8_t env = GetParam().initial;
  EXPECT_TRUE(s.reader.readChoice("HEADER_ENV", env, kEnvironments));
  EXPECT_EQ(env, GetParam().expected);
  EXPECT_EQ(s.log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(KeywordReader, UnmappedChoice,
                         ::testing::Values(UnmappedChoiceCase{"ValidKept", 5, 5, {}},
                                           UnmappedChoiceCase{"ZeroTakesFirst", 0, 1, {kDefault}},
                                           UnmappedChoiceCase{"PastListTakesFirst", 200, 1, {kDefault}}),
                         labelOf<UnmappedChoiceCase>);

// A list whose choice texts are numbers, like the relay temperature ratings.
constexpr std::string_view kRatingNames[] = {"", "85", "125"};
constexpr ChoiceList kRatings{kRatingNames};

TEST(KeywordReader, ChoiceTextsThatAreNumbersMatchByNumberThenByText) {
  struct Row {
    Cell cell;
    std::uint8_t expected;
  };
  for (const Row& row : {Row{"2", 2}, Row{"1", 1}, Row{"125", 2}, Row{"85", 1}, Row{125.0, 2}}) {
    ImportSetup s;
    s.map("RELAY_RATING", kFld, row.cell);
    std::uint8_t rating = 1;
    EXPECT_TRUE(s.reader.readChoice("RELAY_RATING", rating, kRatings));
    EXPECT_EQ(rating, row.expected);
    EXPECT_TRUE(s.log.empty());
  }
  ImportSetup s;
  s.map("RELAY_RATING", kFld, "300");
  std::uint8_t rating = 2;
  EXPECT_TRUE(s.reader.readChoice("RELAY_RATING", rating, kRatings));
  EXPECT_EQ(rating, 2);
  EXPECT_EQ(s.log, Log{"   ...'RELAY_RATING' choice number error (R7/F3)..."});
}

// ---- Text keywords ------------------------------------------------------------

struct TextCase {
  const char* label;
  Cell cell;
  float start, length;
  std::size_t maxLength;
  bool upperCase;
  std::string expected;
  Log log;
};

class TextKeyword : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextKeyword, CopiesUpToMaximumLength) {
  const TextCase& c = GetParam();
  ImportSetup s;
  s.map("PN", kFld, c.cell, c.start, c.length);
  std::string pn = "OLD";
  EXPECT_TRUE(s.reader.readText("PN", pn, c.maxLength, c.upperCase));
  EXPECT_EQ(pn, c.expected);
  EXPECT_EQ(s.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, TextKeyword,
    ::testing::Values(
        TextCase{"UpperCasedWhenAsked", "abc-123", 0, 0, 25, true, "ABC-123", {}},
        TextCase{"CaseKeptOtherwise", "abc-123", 0, 0, 25, false, "abc-123", {}},
        TextCase{"CutToMaximumLength", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 0, 0, 25, false,
                 "ABCDEFGHIJKLMNOPQRSTUVWXY", {}},
        TextCase{"ExactlyMaximumLengthKept", "12345", 0, 0, 5, false, "12345", {}},
        TextCase{"NumberFieldFormattedWhole", 1234.6, 0, 0, 25, false, "1235", {}},
        TextCase{"NumberFieldCutToMaximumLength", 123456.0, 0, 0, 3, false, "123", {}},
        TextCase{"SubfieldOfText", "ABC-123-XYZ", 5, 3, 25, false, "123", {}},
        TextCase{"SubfieldToEndOfText", "ABC-123-XYZ", 9, 0, 25, false, "XYZ", {}},
        TextCase{"SubfieldOnNumberFieldRefused", 12.0, 1, 2, 25, false, "OLD",
                 {"   ...'PN' subfield requires text field (R7/F3)..."}},
        TextCase{"SubfieldStartBeyondText", "ABC", 4, 1, 25, false, "OLD",
                 {"   ...'PN' subfield length error (R7/F3)..."}},
        TextCase{"EmptyFieldKeepsText", {}, 0, 0, 25, false, "OLD",
                 {"   ...'PN' has no valid data (R7/F3)..."}},
        TextCase{"InfiniteNumberKeepsText", -std::numeric_limits<double>::infinity(), 0, 0, 25, false,
                 "OLD", {"   ...'PN' has no valid data (R7/F3)..."}}),
    labelOf<TextCase>);

TEST(KeywordReader, UnmappedTextKeepsRecordText) {
  ImportSetup s;
  s.put(1, "NEW");
  std::string pn = "OLD";
  EXPECT_TRUE(s.reader.readText("PN", pn, 25, true));
  EXPECT_EQ(pn, "OLD");
  EXPECT_TRUE(s.log.empty());
}

// ---- Raw readers of fixed field numbers -----------------------------------------

struct RawCase {
  const char* label;
  int fieldNumber;
  Cell cell;  // put into field 5
  bool ok;
  std::string text;  // rawText rows: the result (maximum length 4); rawFloat rows: ""
  double number;     // rawFloat result (range 0..100)
  Log log;
};

class RawReader : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawReader, ReadsFieldOrFailsWithError) {
  const RawCase& c = GetParam();
  ImportSetup s;
  s.put(5, c.cell);
  std::string text = "OLD";
  double number = -1;
  const bool ok = c.text.empty() ? s.reader.rawFloat(c.fieldNumber, number, 0, 100)
                                 : s.reader.rawText(c.fieldNumber, text, 4);
  EXPECT_EQ(ok, c.ok);
  if (c.text.empty()) {
    EXPECT_DOUBLE_EQ(number, c.number);
  } else {
    EXPECT_EQ(text, c.text);
  }
  EXPECT_EQ(s.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, RawReader,
    ::testing::Values(
        RawCase{"TextRead", 5, "Hey", true, "Hey", 0, {}},
        RawCase{"TextCutToMaximumLength", 5, "Hello", true, "Hell", 0, {}},
        RawCase{"TextFieldZero", 0, "Hey", false, "OLD", 0, {"   ...Error: rawtext fld# 0 (R7) out-of-range."}},
        RawCase{"TextField257", 257, "Hey", false, "OLD", 0, {"   ...Error: rawtext fld# 257 (R7) out-of-range."}},
        RawCase{"TextFromNumberField", 5, 12.0, false, "OLD", 0, {"   ...Error: rawtext fld# 5 (R7) not text field."}},
        RawCase{"TextEmptyField", 5, {}, false, "OLD", 0, {"   ...Error: rawtext fld# 5 (R7) no valid data."}},
        RawCase{"FloatFromNumberField", 5, 42.5, true, "", 42.5, {}},
        RawCase{"FloatFromTextField", 5, "12.5", true, "", 12.5, {}},
        RawCase{"FloatLettersNoData", 5, "abc", false, "", -1, {"   ...Error: rawfloat fld# 5 (R7) no valid data."}},
        RawCase{"FloatNanTextNoData", 5, "NaN", false, "", -1, {"   ...Error: rawfloat fld# 5 (R7) no valid data."}},
        RawCase{"FloatEmptyFieldNoData", 5, {}, false, "", -1, {"   ...Error: rawfloat fld# 5 (R7) no valid data."}},
        RawCase{"FloatValueOutsideRange", 5, 150.0, false, "", -1, {"   ...Error: rawfloat fld# 5 (R7) out-of-range."}},
        RawCase{"FloatFieldZero", 0, 1.0, false, "", -1, {"   ...Error: rawfloat fld# 0 (R7) out-of-range."}},
        RawCase{"FloatNegativeField", -2, 1.0, false, "", -1, {"   ...Error: rawfloat fld# -2 (R7) out-of-range."}}),
    labelOf<RawCase>);

}  // namespace
}  // namespace kestrel
