#include "core/keywords/keyword_reader.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/keywords/import_setup.hpp"

namespace kestrel {
namespace {

using test::Cell;
using test::ImportSetup;
using test::kFld;
using test::kNaN;
using test::labelOf;
using test::Log;
using test::PrintTo;

// ---- Float and integer keywords ---------------------------------------------

struct NumberCase {
  const char* label;
  const char* keyword;
  double lo, hi;
  bool whole;
  Cell cell;
  float start, length;
  float initial;
  float expected;
  Log log;
};

class NumberKeyword : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberKeyword, ReadsClampsAndLogs) {
  const NumberCase& c = GetParam();
  ImportSetup s;
  s.map(c.keyword, kFld, c.cell, c.start, c.length);
  float value = c.initial;
  const bool ok = c.whole ? s.reader.readInt(c.keyword, value, static_cast<long>(c.lo),
                                             static_cast<long>(c.hi))
                          : s.reader.readFloat(c.keyword, value, c.lo, c.hi);
  EXPECT_TRUE(ok);
  EXPECT_FLOAT_EQ(value, c.expected);
  EXPECT_EQ(s.log, c.log);
}

const std::string kTriseNoData = "   ...'RES_TRISE' has no valid data (R7/F3)...";
const std::string kTempNoData = "   ...'HEADER_TEMP' has no valid data (R7/F3)...";
const std::string kTempLength = "   ...'HEADER_TEMP' subfield length error (R7/F3)...";
const std::string kQtyNoData = "   ...'QTY' has no valid data (R7/F3)...";

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, NumberKeyword,
    ::testing::Values(
        NumberCase{"TextInRange", "RES_TRISE", 0, 150, false, "12.5", 0, 0, 10, 12.5f, {}},
        NumberCase{"NumberFieldUsedAsIs", "RES_TRISE", 0, 150, false, 3.25, 0, 0, 10, 3.25f, {}},
        NumberCase{"AboveRangeClampedToMaximum", "RES_TRISE", 0, 150, false, "200", 0, 0, 10, 150,
                   {"   ...'RES_TRISE' [200.000000] out of range [0.000000/150.000000] (R7/F3)..."}},
        NumberCase{"BelowRangeClampedToMinimum", "RES_TRISE", 0, 150, false, "-5", 0, 0, 10, 0,
                   {"   ...'RES_TRISE' [-5.000000] out of range [0.000000/150.000000] (R7/F3)..."}},
        NumberCase{"NumberFieldAboveRange", "RES_TRISE", 0, 150, false, 1000.0, 0, 0, 10, 150,
                   {"   ...'RES_TRISE' [1000.000000] out of range [0.000000/150.000000] (R7/F3)..."}},
        NumberCase{"LettersAreNoData", "RES_TRISE", 0, 150, false, "abc", 0, 0, 10, 10, {kTriseNoData}},
        NumberCase{"EmptyFieldIsNoData", "RES_TRISE", 0, 150, false, {}, 0, 0, 10, 10, {kTriseNoData}},
        NumberCase{"SecondDecimalPointEndsNumber", "RES_TRISE", 0, 150, false, "1.2.3", 0, 0, 10, 1.2f, {}},
        NumberCase{"ExponentAccepted", "RES_TRISE", 0, 150, false, "1.5E+01", 0, 0, 10, 15, {}},
        NumberCase{"BlanksAndPlusSignAccepted", "RES_TRISE", 0, 150, false, "  +42 ", 0, 0, 10, 42, {}},
        NumberCase{"TrailingUnitIgnored", "RES_TRISE", 0, 150, false, "25C", 0, 0, 10, 25, {}},
        NumberCase{"NanTextIsNoData", "RES_TRISE", 0, 150, false, "nan", 0, 0, 10, 10, {kTriseNoData}},
        NumberCase{"InfinityTextIsNoData", "RES_TRISE", 0, 150, false, "-inf", 0, 0, 10, 10, {kTriseNoData}},
        NumberCase{"OverflowIsNoData", "RES_TRISE", 0, 150, false, "1e999", 0, 0, 10, 10, {kTriseNoData}},
        NumberCase{"NanNumberFieldIsNoData", "RES_TRISE", 0, 150, false, kNaN, 0, 0, 10, 10, {kTriseNoData}},
        NumberCase{"NoDataKeepsValueHeldInRange", "RES_TRISE", 0, 150, false, "abc", 0, 0, 500, 150,
                   {kTriseNoData, "   ...'RES_TRISE' set to default [150.000000]..."}},
        // Subfields.
        NumberCase{"SubfieldNegativeTemperatureKeepsSign", "HEADER_TEMP", -55, 175, false, "T=-55C", 1, 0, 25, -55, {}},
        NumberCase{"SubfieldStartingAtSign", "HEADER_TEMP", -55, 175, false, "T=-55C", 3, 3, 25, -55, {}},
        NumberCase{"SignOutsideSubfieldNotTaken", "HEADER_TEMP", -55, 175, false, "T=-55C", 4, 2, 25, 55, {}},
        NumberCase{"SubfieldPlusSign", "HEADER_TEMP", -55, 175, false, "Temp +25.5 deg", 1, 0, 0, 25.5f, {}},
        NumberCase{"SubfieldLeadingDecimalPoint", "HEADER_TEMP", -55, 175, false, "T=-.5", 1, 0, 25, -0.5f, {}},
        NumberCase{"SubfieldLoneDecimalPointSkipped", "HEADER_TEMP", -55, 175, false, "Temp. 30", 1, 0, 25, 30, {}},
        NumberCase{"SubfieldTakesOnlyFirstRun", "HEADER_TEMP", -55, 175, false, "12-34", 1, 0, 25, 12, {}},
        NumberCase{"SubfieldNegativeBelowRange", "HEADER_TEMP", -55, 175, false, "T=-80", 1, 0, 25, -55,
                   {"   ...'HEADER_TEMP' [-80.000000] out of range [-55.000000/175.000000] (R7/F3)..."}},
        NumberCase{"SubfieldWithoutDigitsIsNoData", "HEADER_TEMP", -55, 175, false, "none", 1, 0, 25, 25, {kTempNoData}},
        NumberCase{"SubfieldStartBeyondText", "HEADER_TEMP", -55, 175, false, "ABC", 5, 2, 25, 25, {kTempLength}},
        NumberCase{"SubfieldLengthPastEndKeepsRest", "HEADER_TEMP", -55, 175, false, "T=47", 3, 5, 25, 47, {kTempLength}},
        NumberCase{"SubfieldOnNumberFieldRefused", "HEADER_TEMP", -55, 175, false, 60.0, 1, 2, 25, 25,
                   {"   ...'HEADER_TEMP' subfield requires text field (R7/F3)..."}},
        NumberCase{"SubfieldOnEmptyFieldIsNoData", "HEADER_TEMP", -55, 175, false, {}, 1, 0, 25, 25, {kTempNoData}},
        // Whole numbers.
        NumberCase{"WholeText", "QTY", 1, 999, true, "12", 0, 0, 1, 12, {}},
        NumberCase{"WholeTextFractionDropped", "QTY", 1, 999, true, "12.9", 0, 0, 1, 12, {}},
        NumberCase{"WholeNumberFieldFractionDropped", "QTY", 1, 999, true, 3.7, 0, 0, 1, 3, {}},
        NumberCase{"WholeBelowMinimum", "QTY", 1, 999, true, "0", 0, 0, 5, 1,
                   {"   ...'QTY' [0] out of range [1/999] (R7/F3)..."}},
        NumberCase{"WholeAboveMaximum", "QTY", 1, 999, true, "5000", 0, 0, 5, 999,
                   {"   ...'QTY' [5000] out of range [1/999] (R7/F3)..."}},
        NumberCase{"WholeSubfieldTakesFirstDigitRun", "QTY", 1, 999, true, "Qty: 12.7 pcs", 1, 0, 1, 12, {}},
        NumberCase{"WholeSubfieldKeepsSign", "QTY", 1, 999, true, "n=-3", 1, 0, 5, 1,
                   {"   ...'QTY' [-3] out of range [1/999] (R7/F3)..."}},
        NumberCase{"WholeLettersAreNoData", "QTY", 1, 999, true, "many", 0, 0, 4, 4, {kQtyNoData}},
        NumberCase{"WholeNoDataOutsideRange", "QTY", 1, 999, true, "many", 0, 0, 0, 1,
                   {kQtyNoData, "   ...'QTY' set to default [1]..."}}),
    labelOf<NumberCase>);

struct UnmappedCase {
  const char* label;
  float initial;
  float expected;
  Log log;
};

class UnmappedNumber : public ::testing::TestWithParam<UnmappedCase> {};

TEST_P(UnmappedNumber, KeepsRecordValueOnlyClampedIntoRange) {
  const UnmappedCase& c = GetParam();
  ImportSetup s;
  s.put(1, "99");  // data elsewhere in the record must not be picked up
  float value = c.initial;
  EXPECT_TRUE(s.reader.readFloat("RES_TRISE", value, 0, 150));
  EXPECT_FLOAT_EQ(value, c.expected);
  EXPECT_EQ(s.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, UnmappedNumber,
    ::testing::Values(
        UnmappedCase{"InsideRangeKept", 40, 40, {}},
        UnmappedCase{"AboveRangeSetToMaximum", 200, 150, {"   ...'RES_TRISE' set to default [150.000000]..."}},
        UnmappedCase{"BelowRangeSetToMinimum", -3, 0, {"   ...'RES_TRISE' set to default [0.000000]..."}},
        UnmappedCase{"NanSetToMinimum", static_cast<float>(kNaN), 0,
                     {"   ...'RES_TRISE' set to default [0.000000]..."}}),
    labelOf<UnmappedCase>);

TEST(KeywordReader, UnmappedWholeNumberSetToDefaultInIntegerForm) {
  ImportSetup s;
  float qty = 0;
  EXPECT_TRUE(s.reader.readInt("QTY", qty, 1, 999));
  EXPECT_FLOAT_EQ(qty, 1);
  EXPECT_EQ(s.log, Log{"   ...'QTY' set to default [1]..."});
}

TEST(KeywordReader, SixteenBitFlagClampedMappedAndUnmapped) {
  ImportSetup s;
  std::uint16_t flag = 5;
  EXPECT_TRUE(s.reader.readInt("IS_SMT", flag, 0, 1));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(s.log, Log{"   ...'IS_SMT' set to default [1]..."});
  s.log.clear();
  s.map("IS_SMT", kFld, "7");
  flag = 0;
  EXPECT_TRUE(s.reader.readInt("IS_SMT", flag, 0, 1));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(s.log, Log{"   ...'IS_SMT' [7] out of range [0/1] (R7/F3)..."});
}

// ---- Keywords missing from the definition or of the wrong type -----------------

struct RefusedCase {
  const char* label;
  std::function<bool(KeywordReader&)> read;
  std::string log;
};

class RefusedKeyword : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedKeyword, FailsWithErrorLine) {
  ImportSetup s;
  for (CKwd& k : s.kwds) k.fieldNumber = kFld;  // whatever is asked for would have data
  s.put(kFld, "1");
  EXPECT_FALSE(GetParam().read(s.reader));
  EXPECT_EQ(s.log, Log{GetParam().log});
}

float f = 9;
std::uint8_t ch = 2;
std::string txt = "OLD";

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, RefusedKeyword,
    ::testing::Values(
        RefusedCase{"FloatUnknownKeyword", [](KeywordReader& r) { return r.readFloat("NO_SUCH", f, 0, 1); },
                    "   ...Error: keyword not found ('NO_SUCH')."},
        RefusedCase{"IntUnknownKeyword", [](KeywordReader& r) { return r.readInt("NO_SUCH", f, 0, 1); },
                    "   ...Error: keyword not found ('NO_SUCH')."},
        RefusedCase{"ChoiceUnknownKeyword", [](KeywordReader& r) { return r.readChoice("LAST_DUMMY", ch, kEnvironments); },
                    "   ...Error: keyword not found ('LAST_DUMMY')."},
        RefusedCase{"TextUnknownKeyword", [](KeywordReader& r) { return r.readText("PNX", txt, 25); },
                    "   ...Error: keyword not found ('PNX')."},
        RefusedCase{"FloatOnTextKeyword", [](KeywordReader& r) { return r.readFloat("PN", f, 0, 1); },
                    "   ...Error: keyword type mismatch ('PN')."},
        RefusedCase{"IntOnChoiceKeyword", [](KeywordReader& r) { return r.readInt("HEADER_ENV", f, 0, 1); },
                    "   ...Error: keyword type mismatch ('HEADER_ENV')."},
        RefusedCase{"ChoiceOnNumKeyword", [](KeywordReader& r) { return r.readChoice("QTY", ch, kEnvironments); },
                    "   ...Error: keyword type mismatch ('QTY')."},
        RefusedCase{"TextOnNumKeyword", [](KeywordReader& r) { return r.readText("QTY", txt, 25); },
                    "   ...Error: keyword type mismatch ('QTY')."}),
    labelOf<RefusedCase>);

TEST(KeywordReader, RefusedReadLeavesDestinationAlone) {
  ImportSetup s;
  s.map("PN", kFld, "5");
  float value = 9;
  std::string text = "OLD";
  EXPECT_FALSE(s.reader.readFloat("PN", value, 0, 100));
  EXPECT_FALSE(s.reader.readText("NO_SUCH", text, 25));
  EXPECT_FLOAT_EQ(value, 9);
  EXPECT_EQ(text, "OLD");
}

TEST(KeywordReader, KeywordMissingFromDefinitionIsNotFound) {
  ImportSetup s;
  std::erase_if(s.kwds, [](const CKwd& k) { return k.name == "RES_TRISE"; });
  float value = 1;
  EXPECT_FALSE(s.reader.readFloat("RES_TRISE", value, 0, 150));
  EXPECT_EQ(s.log, Log{"   ...Error: keyword not found ('RES_TRISE')."});
}

TEST(KeywordReader, DefinitionLookupIgnoresCase) {
  ImportSetup s;
  s.map("RES_TRISE", kFld, "12");
  float value = 0;
  EXPECT_TRUE(s.reader.readFloat("res_trise", value, 0, 150));
  EXPECT_FLOAT_EQ(value, 12);
}

// ---- Field numbers and the current record --------------------------------------

struct FieldNumberCase {
  const char* label;
  float fieldNumber;
  float initial;
  float expected;
  Log log;
};

class FieldNumber : public ::testing::TestWithParam<FieldNumberCase> {};

TEST_P(FieldNumber, OutsideInputRecordWarnsAndCountsAsNoData) {
  const FieldNumberCase& c = GetParam();
  ImportSetup s;
  s.map("RES_TRISE", c.fieldNumber, "33");
  float value = c.initial;
  EXPECT_TRUE(s.reader.readFloat("RES_TRISE", value, 0, 150));
  EXPECT_FLOAT_EQ(value, c.expected);
  EXPECT_EQ(s.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, FieldNumber,
    ::testing::Values(
        FieldNumberCase{"Field257", 257, 40, 40,
                        {"   ...WARNING: ifva[] fld# (257) out-of-range...please call support."}},
        FieldNumberCase{"NegativeField", -3, 40, 40,
                        {"   ...WARNING: ifva[] fld# (-3) out-of-range...please call support."}},
        FieldNumberCase{"FarBeyondLastField", 1e12f, 40, 40,
                        {"   ...WARNING: ifva[] fld# (2147483647) out-of-range...please call support."}},
        FieldNumberCase{"OutsideAndValueOutOfRange", 300, 200, 150,
                        {"   ...WARNING: ifva[] fld# (300) out-of-range...please call support.",
                         "   ...'RES_TRISE' set to default [150.000000]..."}},
        FieldNumberCase{"LastFieldIsInside", 256, 40, 33, {}},
        FieldNumberCase{"FractionDropped", 2.7f, 40, 33, {}}),
    labelOf<FieldNumberCase>);

TEST(KeywordReader, FieldNumberOutsideRecordLeavesChoiceAndTextAlone) {
  ImportSetup s;
  s.map("HEADER_ENV", 500);
  s.map("PN", 0.5f);  // a fraction of the first field is still no field: unmapped
  std::uint8_t env = 4;
  std::string pn = "OLD";
  EXPECT_TRUE(s.reader.readChoice("HEADER_ENV", env, kEnvironments));
  EXPECT_TRUE(s.reader.readText("PN", pn, 25));
  EXPECT_EQ(env, 4);
  EXPECT_EQ(pn, "OLD");
  EXPECT_EQ(s.log, Log{"   ...WARNING: ifva[] fld# (500) out-of-range...please call support."});
}

TEST(KeywordReader, WithoutRecordEveryMappedFieldHasNoData) {
  ImportSetup s;
  s.map("RES_TRISE", 1, "12");
  s.map("HEADER_ENV", 2, "GF");
  s.reader.setRecord(nullptr);
  float trise = 200;
  std::uint8_t env = 0;
  std::string text = "OLD";
  double raw = 5;
  EXPECT_TRUE(s.reader.readFloat("RES_TRISE", trise, 0, 150));
  EXPECT_TRUE(s.reader.readChoice("HEADER_ENV", env, kEnvironments));
  EXPECT_FALSE(s.reader.rawText(1, text, 25));
  EXPECT_FALSE(s.reader.rawFloat(1, raw, 0, 100));
  EXPECT_FLOAT_EQ(trise, 150);
  EXPECT_EQ(env, 1);
  EXPECT_EQ(text, "OLD");
  EXPECT_EQ(raw, 5);
  EXPECT_EQ(s.log, (Log{"   ...'RES_TRISE' has no valid data (R0/F1)...",
                        "   ...'RES_TRISE' set to default [150.000000]...",
                        "   ...'HEADER_ENV' has no valid data (R0/F2)...",
                        "   ...'HEADER_ENV' set to default (#1) choice...",
                        "   ...Error: rawtext fld# 1 (R0) no valid data.",
                        "   ...Error: rawfloat fld# 1 (R0) no valid data."}));
}

TEST(KeywordReader, ValueOptionOfMappedTemperatureKeyword) {
  ImportSetup s;
  for (CKwd& k : s.kwds) {
    if (k.name == "IC_TEMP") k.valueOption = 2;
  }
  EXPECT_EQ(s.reader.valueOption("ic_temp"), 2);
  EXPECT_EQ(s.reader.valueOption("IC_TEMPMODE"), 0);
  EXPECT_EQ(s.reader.valueOption("NO_SUCH"), 0);
  EXPECT_TRUE(s.log.empty());
}

// ---- Field descriptions ---------------------------------------------------------

TEST(KeywordReader, FieldDescriptionSuppliesKeywordRangeLengthAndList) {
  ImportSetup s;
  s.map("QTY", 1, "12.9");
  s.map("CF", 2, "0.5");
  s.map("RES_PD", 3, "0.5");
  s.map("IS_SMT", 4, "1");
  s.map("HEADER_ENV", 5, "ml");
  s.map("REFDES", 6, "r1234567");
  const FieldSpec qty{.keyword = "QTY", .label = "Qty", .kind = FieldKind::Whole, .lo = 1, .hi = 999};
  const FieldSpec cf{.keyword = "CF", .label = "CF", .kind = FieldKind::Real, .lo = 0.000001, .hi = 1000};
  const FieldSpec pd{.keyword = "RES_PD", .label = "Pd", .kind = FieldKind::Real, .lo = 0, .hi = 999999};
  const FieldSpec smt{.keyword = "IS_SMT", .label = "SMT", .kind = FieldKind::Flag, .lo = 0, .hi = 1};
  const FieldSpec env{.keyword = "HEADER_ENV", .label = "Env", .kind = FieldKind::Choice, .choices = &kEnvironments};
  const FieldSpec refdes{
      .keyword = "REFDES", .label = "RefDes", .kind = FieldKind::Text, .maxLength = 5, .upperCase = true};
  float q = 1, c = 1, p = 0;
  std::uint16_t flag = 0;
  std::uint8_t e = 1;
  std::string r;
  EXPECT_TRUE(s.reader.read(qty, q));
  EXPECT_TRUE(s.reader.read(cf, c));
  EXPECT_TRUE(s.reader.read(pd, p, 0.25));  // Pd no more than the Pmax just read
  EXPECT_TRUE(s.reader.read(smt, flag));
  EXPECT_TRUE(s.reader.read(env, e));
  EXPECT_TRUE(s.reader.read(refdes, r));
  EXPECT_FLOAT_EQ(q, 12);
  EXPECT_FLOAT_EQ(c, 0.5f);
  EXPECT_FLOAT_EQ(p, 0.25f);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(e, 13);
  EXPECT_EQ(r, "R1234");
  EXPECT_EQ(s.log, Log{"   ...'RES_PD' [0.500000] out of range [0.000000/0.250000] (R7/F3)..."});
}

}  // namespace
}  // namespace kestrel
