#include "core/keywords/keyword_reader.hpp"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/keywords/keyword_record.hpp"
#include "core/keywords/unit_value.hpp"
#include "core/strfmt.hpp"

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
  float field = kFld;  // 0: not mapped
};

class NumberKeyword : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberKeyword, ReadsClampsAndLogs) {
  const NumberCase& c = GetParam();
  ImportSetup s;
  s.put(1, "99");  // data in a field the keyword does not name is never picked up
  s.map(c.keyword, c.field, c.cell, c.start, c.length);
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
        NumberCase{"ExponentAccepted", "RES_TRISE", 0, 150, false, "1.5E+01", 0, 0, 10, 15, {}},
        NumberCase{"BlanksAndPlusSignAccepted", "RES_TRISE", 0, 150, false, "  +42 ", 0, 0, 10, 42, {}},
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
                   {kQtyNoData, "   ...'QTY' set to default [1]..."}},
        // Not mapped: the record's value kept, only clamped into range.
        NumberCase{"UnmappedInsideRangeKept", "RES_TRISE", 0, 150, false, {}, 0, 0, 40, 40, {}, 0},
        NumberCase{"UnmappedAboveRangeSetToMaximum", "RES_TRISE", 0, 150, false, {}, 0, 0, 200, 150,
                   {"   ...'RES_TRISE' set to default [150.000000]..."}, 0},
        NumberCase{"UnmappedBelowRangeSetToMinimum", "RES_TRISE", 0, 150, false, {}, 0, 0, -3, 0,
                   {"   ...'RES_TRISE' set to default [0.000000]..."}, 0},
        NumberCase{"UnmappedNanSetToMinimum", "RES_TRISE", 0, 150, false, {}, 0, 0, static_cast<float>(kNaN), 0,
                   {"   ...'RES_TRISE' set to default [0.000000]..."}, 0},
        NumberCase{"UnmappedWholeSetToDefaultInIntegerForm", "QTY", 1, 999, true, {}, 0, 0, 0, 1,
                   {"   ...'QTY' set to default [1]..."}, 0},
        // Field numbers outside the input record warn and count as no data.
        NumberCase{"Field257", "RES_TRISE", 0, 150, false, "33", 0, 0, 40, 40,
                   {"   ...WARNING: ifva[] fld# (257) out-of-range...please call support."}, 257},
        NumberCase{"NegativeField", "RES_TRISE", 0, 150, false, "33", 0, 0, 40, 40,
                   {"   ...WARNING: ifva[] fld# (-3) out-of-range...please call support."}, -3},
        NumberCase{"FarBeyondLastField", "RES_TRISE", 0, 150, false, "33", 0, 0, 40, 40,
                   {"   ...WARNING: ifva[] fld# (2147483647) out-of-range...please call support."}, 1e12f},
        NumberCase{"OutsideFieldAndValueOutOfRange", "RES_TRISE", 0, 150, false, "33", 0, 0, 200, 150,
                   {"   ...WARNING: ifva[] fld# (300) out-of-range...please call support.",
                    "   ...'RES_TRISE' set to default [150.000000]..."}, 300},
        NumberCase{"LastFieldIsInside", "RES_TRISE", 0, 150, false, "33", 0, 0, 40, 33, {}, 256},
        NumberCase{"FieldFractionDropped", "RES_TRISE", 0, 150, false, "33", 0, 0, 40, 33, {}, 2.7f}),
    labelOf<NumberCase>);

// ---- Values with SI prefixes and unit symbols -------------------------------

struct UnitCase {
  const char* label;
  const char* text;
  const char* unit;  // the field's unit
  UnitText kind;
  double value;
};

class UnitValue : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitValue, ReadsIntoTheFieldsUnit) {
  const UnitCase& c = GetParam();
  const UnitReading r = readUnitValue(c.text, c.unit);
  EXPECT_EQ(r.kind, c.kind);
  if (c.kind == UnitText::Plain || c.kind == UnitText::Converted) {
    EXPECT_NEAR(r.value, c.value, 1e-9 * std::abs(c.value));
  }
}

constexpr UnitText kPlain = UnitText::Plain, kConv = UnitText::Converted, kNone = UnitText::NoNumber,
                   kBad = UnitText::Unreadable, kWrong = UnitText::WrongUnit;

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, UnitValue,
    ::testing::Values(
        UnitCase{"KiloOhms", "10K", "ohms", kConv, 10000}, UnitCase{"KiloLowerCase", "10k", "ohms", kConv, 10000},
        UnitCase{"KiloMarking", "4k7", "ohms", kConv, 4700}, UnitCase{"OhmMarking", "4R7", "ohms", kConv, 4.7},
        UnitCase{"OhmMarkingWithoutWholePart", "R47", "ohms", kConv, 0.47},
        UnitCase{"MegaMarking", "2M2", "ohms", kConv, 2.2e6}, UnitCase{"MegaIsNotMilli", "1M", "ohms", kConv, 1e6},
        UnitCase{"MegSpelt", "10Meg", "ohms", kConv, 1e7}, UnitCase{"IntoKiloOhms", "4k7", "Kohms", kConv, 4.7},
        UnitCase{"IntoMegohms", "470k", "Megohms", kConv, 0.47},
        UnitCase{"OhmSign", "100 \xCE\xA9", "ohms", kConv, 100}, UnitCase{"KiloOhmWord", "1.5 kohm", "ohms", kConv, 1500},
        UnitCase{"FieldUnitSpeltOut", "10 Kohms", "Kohms", kConv, 10}, UnitCase{"ZeroOhmLink", "0R", "ohms", kConv, 0},
        UnitCase{"NanoIntoMicro", "100nF", "uF", kConv, 0.1}, UnitCase{"MicroFarad", "2.2uF", "uF", kConv, 2.2},
        UnitCase{"MicroSign", "10\xC2\xB5" "F", "uF", kConv, 10}, UnitCase{"GreekMu", "1\xCE\xBC", "uF", kConv, 1},
        UnitCase{"PicoIntoPico", "470p", "pf", kConv, 470}, UnitCase{"PicoIntoMicro", "470pF", "uF", kConv, 0.00047},
        UnitCase{"NanoMarking", "4n7", "pf", kConv, 4700}, UnitCase{"Watts", "0.25W", "W", kConv, 0.25},
        UnitCase{"MilliwattsIntoWatts", "250mW", "W", kConv, 0.25}, UnitCase{"MilliHenry", "1.5mH", "H", kConv, 0.0015},
        UnitCase{"Celsius", "25C", "deg C", kConv, 25}, UnitCase{"DegreeSign", "-40 \xC2\xB0" "C", "deg C", kConv, -40},
        UnitCase{"Percent", "50%", "%", kConv, 50}, UnitCase{"PrefixWithoutUnit", "10k", "hours", kConv, 10000},
        UnitCase{"PlainNumberInTheFieldsUnit", " 12.5 ", "uF", kPlain, 12.5}, UnitCase{"Exponent", "1.5E+01", "", kPlain, 15},
        UnitCase{"Negative", "-55", "deg C", kPlain, -55},
        UnitCase{"NoDigits", "abc", "ohms", kNone, 0}, UnitCase{"Dash", "-", "uF", kNone, 0},
        UnitCase{"PowerIntoOhms", "0.25W", "ohms", kWrong, 0}, UnitCase{"OhmMarkingIntoFarads", "4R7", "uF", kWrong, 0},
        UnitCase{"SymbolOnPlainField", "25C", "", kWrong, 0},
        UnitCase{"RatedVoltageAfterValue", "10uF 25V", "uF", kBad, 0}, UnitCase{"TwoDecimalPoints", "1.2.3", "", kBad, 0},
        UnitCase{"DoublePrefix", "4k7k", "ohms", kBad, 0}, UnitCase{"TrailingLetters", "10Kx", "ohms", kBad, 0},
        UnitCase{"ExponentWithoutDigits", "2E", "", kBad, 0}, UnitCase{"PercentWithPrefix", "5k%", "%", kBad, 0}),
    labelOf<UnitCase>);

TEST(KeywordReaderUnits, ConversionIsLoggedAndAnUnreadableValueFailsTheRecord) {
  ImportSetup s;
  s.map("RES_PD", kFld, std::string("250mW"));
  float pd = 0;
  EXPECT_TRUE(s.reader.readFloat("RES_PD", pd, 0, 10, "W"));
  EXPECT_FLOAT_EQ(pd, 0.25f);
  s.map("RES_PMAX", 4, std::string("10Kx"));
  float pmax = 1;
  EXPECT_FALSE(s.reader.readFloat("RES_PMAX", pmax, 0, 10, "W"));
  EXPECT_FLOAT_EQ(pmax, 1.0f);
  EXPECT_EQ(s.log, (Log{"   ...'RES_PD' read '250mW' as 0.25 W (R7/F3)...",
                        "   ...Error: 'RES_PMAX' can not read value '10Kx' (R7/F4)."}));
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
  EXPECT_EQ(s.log, (Log{"   ...'RES_PD' [0.500000] out of range [0.000000/0.250000] (R7/F3)...",
                        "   ...'REFDES' text of 8 characters cut to 5 (R7/F6)..."}));
}

// Choice, text and raw keyword readers.

// ---- Choice keywords (the environment list: 1 "GB" .. 14 "CL") ------------------

struct ChoiceCase {
  const char* label;
  Cell cell;
  float start;
  std::uint8_t initial;
  std::uint8_t expected;
  Log log;
  float field = kFld;  // 0: not mapped
};

class ChoiceKeyword : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceKeyword, SelectsByNumberOrNameElseFallsBack) {
  const ChoiceCase& c = GetParam();
  ImportSetup s;
  s.put(1, "GF");  // data in a field the keyword does not name is never picked up
  s.map("HEADER_ENV", c.field, c.cell, c.start);
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
                   {"   ...'HEADER_ENV' subfield requires text field (R7/F3)..."}},
        // Not mapped: a valid stored choice kept, else the first.
        ChoiceCase{"UnmappedValidKept", {}, 0, 5, 5, {}, 0},
        ChoiceCase{"UnmappedZeroTakesFirst", {}, 0, 0, 1, {kDefault}, 0},
        ChoiceCase{"UnmappedPastListTakesFirst", {}, 0, 200, 1, {kDefault}, 0}),
    labelOf<ChoiceCase>);

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
  float field = kFld;  // 0: not mapped
};

class TextKeyword : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextKeyword, CopiesUpToMaximumLength) {
  const TextCase& c = GetParam();
  ImportSetup s;
  s.put(1, "NEW");  // data in a field the keyword does not name is never picked up
  s.map("PN", c.field, c.cell, c.start, c.length);
  std::string pn = "OLD";
  EXPECT_TRUE(s.reader.readText("PN", pn, c.maxLength, c.upperCase));
  EXPECT_EQ(pn, c.expected);
  EXPECT_EQ(s.log, c.log);
  EXPECT_EQ(s.reader.warnings(), c.log.size());  // every line a text reader logs is a warning
}

INSTANTIATE_TEST_SUITE_P(
    KeywordReader, TextKeyword,
    ::testing::Values(
        TextCase{"UpperCasedWhenAsked", "abc-123", 0, 0, 25, true, "ABC-123", {}},
        TextCase{"CaseKeptOtherwise", "abc-123", 0, 0, 25, false, "abc-123", {}},
        TextCase{"CutToMaximumLength", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 0, 0, 25, false,
                 "ABCDEFGHIJKLMNOPQRSTUVWXY", {"   ...'PN' text of 30 characters cut to 25 (R7/F3)..."}},
        TextCase{"ExactlyMaximumLengthKept", "12345", 0, 0, 5, false, "12345", {}},
        TextCase{"NumberFieldFormattedWhole", 1234.6, 0, 0, 25, false, "1235", {}},
        TextCase{"NumberFieldCutToMaximumLength", 123456.0, 0, 0, 3, false, "123",
                 {"   ...'PN' text of 6 characters cut to 3 (R7/F3)..."}},
        TextCase{"SubfieldOfText", "ABC-123-XYZ", 5, 3, 25, false, "123", {}},
        TextCase{"SubfieldToEndOfText", "ABC-123-XYZ", 9, 0, 25, false, "XYZ", {}},
        TextCase{"SubfieldOnNumberFieldRefused", 12.0, 1, 2, 25, false, "OLD",
                 {"   ...'PN' subfield requires text field (R7/F3)..."}},
        TextCase{"SubfieldStartBeyondText", "ABC", 4, 1, 25, false, "OLD",
                 {"   ...'PN' subfield length error (R7/F3)..."}},
        TextCase{"EmptyFieldKeepsText", {}, 0, 0, 25, false, "OLD",
                 {"   ...'PN' has no valid data (R7/F3)..."}},
        TextCase{"InfiniteNumberKeepsText", -std::numeric_limits<double>::infinity(), 0, 0, 25, false,
                 "OLD", {"   ...'PN' has no valid data (R7/F3)..."}},
        TextCase{"UnmappedKeepsRecordText", {}, 0, 0, 25, true, "OLD", {}, 0}),
    labelOf<TextCase>);

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

// Names unique, upper case and within their stored slot; types Text, Num or
// Choice; ranges ordered and only on numbers.
TEST(KeywordCatalogue, EveryEntryIsWellFormed) {
  std::set<std::string_view> seen;
  for (const KeywordInfo& k : keywordCatalogue()) {
    EXPECT_TRUE(seen.insert(k.name).second) << "duplicate " << k.name;
    EXPECT_LE(k.name.size(), 32u) << k.name;
    EXPECT_EQ(std::string(k.name), upperCased(k.name)) << k.name;
    const auto type = static_cast<int>(k.type);
    EXPECT_TRUE(type >= 1 && type <= 3) << k.name << " has type " << type;
    if (k.type == KeywordType::Num) {
      EXPECT_LE(k.lo, k.hi) << k.name;
    } else {
      EXPECT_TRUE(k.lo == 0.0 && k.hi == 0.0) << k.name;
    }
  }
  EXPECT_EQ(seen.count(kCatalogueEndMarker), 0u);
  EXPECT_EQ(kCatalogueSize, keywordCatalogue().size());
}

// Stored import definitions list every keyword in catalogue order and are
// refused when it differs, so the names, their order, types and owning
// classes are pinned by one fingerprint (64-bit FNV-1a over the listing
// below); a deliberate change of the catalogue changes it here too.
TEST(KeywordCatalogue, OrderNamesTypesAndOwnersArePinned) {
  std::string listing;
  for (const KeywordInfo& k : keywordCatalogue()) {
    listing += strprintf("%s %d %s\n", std::string(k.name).c_str(), static_cast<int>(k.type),
                         std::string(k.className).c_str());
  }
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : listing) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  EXPECT_EQ(kCatalogueSize, 295u);
  EXPECT_EQ(hash, 0x5911157b40912d10ull) << listing;
}

// Found by the upper-cased exact name; the index and the entry agree.
TEST(KeywordCatalogue, FindsByUpperCasedExactName) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"RES_PSTRESS", "RES_PSTRESS"}, {"res_pstress", "RES_PSTRESS"}, {"Header_#Req", "HEADER_#REQ"},
      {"pn", "PN"},  // a short name is no prefix match
      {"subhyb_dc", "SUBHYB_DC"},    // the last entry
      {"RES_", std::nullopt},         {"PN ", std::nullopt},
      {"LAST_DUMMY", std::nullopt},  // the end marker is no keyword
      {"", std::nullopt}};
  for (const auto& [query, found] : cases) {
    const KeywordInfo* info = findKeyword(query);
    const auto index = keywordIndex(query);
    ASSERT_EQ(info != nullptr, found.has_value()) << query;
    ASSERT_EQ(index.has_value(), found.has_value()) << query;
    if (!found) continue;
    EXPECT_EQ(info->name, *found);
    EXPECT_EQ(&keywordCatalogue()[*index], info) << query;
  }
}

TEST(KeywordRecords, SerializeWritesFieldsInOrderAndReadsThemBack) {
  CKwd out;
  out.name = "IC_TEMP";
  out.valueType = 2;
  out.fieldNumber = 12.0f;
  out.subStart = 3.0f;
  out.subLength = 4.0f;
  out.valueOption = 2;
  Archive writer = Archive::forWriting();
  out.Serialize(writer);
  const std::vector<std::uint8_t>& bytes = writer.bytes();
  // 1 length byte + 7 characters, type byte, three floats, option byte.
  ASSERT_EQ(bytes.size(), 1u + 7u + 1u + 12u + 1u);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 8), "IC_TEMP");
  EXPECT_EQ(bytes[8], 2);
  EXPECT_EQ(bytes[9 + 4 + 4 + 4], 2);  // the option comes last

  Archive reader = Archive::forReading(bytes, "test");
  CKwd in;
  in.Serialize(reader);
  ASSERT_TRUE(reader.ok()) << reader.error();
  Archive again = Archive::forWriting();
  in.Serialize(again);
  EXPECT_EQ(again.bytes(), bytes);
  EXPECT_EQ(reader.remaining(), 0u);
}

}  // namespace
}  // namespace kestrel
