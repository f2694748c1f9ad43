// The standard record text lines: exact layouts, the *NOCALC* and *OVER*
// marks, and the 132-character bound whatever the record holds; and the
// stored texts' code page, Windows-1252, to and from UTF-8; and the JSON
// texts of numbers, strings and documents.
#include "core/text_lines.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/json_writer.hpp"
#include "core/number_format.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"

namespace kestrel {
namespace {

class LinePart final : public CPart {
 public:
  const ClassRecord& classRecord() const override {
    static const ClassRecord record = makeClassRecord<LinePart>("CFuse");
    return record;
  }
  std::string GetTypeName() const override { return typeName; }
  std::string typeName = "Fuse";
};

// A record with one unit of 0.5 fpmh at 40 C and 50 % stress: TFR 0.5.
void setTypical(CPart& part) {
  part.PN = "PN-100";
  part.PN2 = "ALT-7";
  part.REFDES = "F1";
  part.DESCR = "Cartridge fuse";
  part.QTY = 1.0f;
  part.CF = 1.0f;
  part.FR = 0.5f;
  part.T = 40.0f;
  part.S = 50.0f;
}

template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------- identity

struct IdentityCase {
  std::string name;
  std::string prefix;
  std::string pn;
  std::string type;
  float qty;
  std::string refdes;
  std::string expected;
};
void PrintTo(const IdentityCase& c, std::ostream* os) {
  *os << c.name;
}

class IdentityLine : public testing::TestWithParam<IdentityCase> {};

TEST_P(IdentityLine, MatchesLayout) {
  const IdentityCase& c = GetParam();
  LinePart part;
  part.PN = c.pn;
  part.typeName = c.type;
  part.QTY = c.qty;
  part.REFDES = c.refdes;
  EXPECT_EQ(identityLine(part, c.prefix), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdentityLine,
    testing::Values(
        IdentityCase{"ColumnsPaddedTo25", "", "PN-100", "Fuse", 2.0f, "F1",
                     "PN-100                     Fuse                         2  F1              "
                     "         "},
        IdentityCase{"PrefixLeadsTheLine", ">> ", "A", "IC,Logic(Hyb)", 999.0f, "U7",
                     ">> A                          IC,Logic(Hyb)              999  U7             "
                     "          "},
        IdentityCase{"LongPartNumberCutAt25", "", std::string(40, 'P'), "Fuse", 1.0f, "F1",
                     std::string(25, 'P') + "  Fuse                         1  F1               "
                                            "        "},
        IdentityCase{"QuantityRoundedToWhole", "", "X", "Fuse", 12.6f, "",
                     "X                          Fuse                        13  " + std::string(25, ' ')},
        IdentityCase{"QuantityTooWideShowsAsterisks", "", "X", "Fuse", 1000.0f, "",
                     "X                          Fuse                       ***  " + std::string(25, ' ')},
        IdentityCase{"QuantityNotANumberShowsAsterisks", "", "X", "Fuse",
                     std::numeric_limits<float>::quiet_NaN(), "",
                     "X                          Fuse                       ***  " + std::string(25, ' ')}),
    caseName<IdentityCase>);

// Second part number in 25 columns, the description cut or padded to 60.
TEST(DescriptionLine, SecondPartNumberAndDescriptionColumns) {
  LinePart part;
  part.PN2 = "ALT-7";
  part.DESCR = std::string(70, 'd');
  EXPECT_EQ(descriptionLine(part, "  "), "  ALT-7                      " + std::string(60, 'd'));
  part.PN2 = "";
  part.DESCR = "Fuse";
  EXPECT_EQ(descriptionLine(part, ""), std::string(25, ' ') + "  Fuse" + std::string(56, ' '));
}

// ---------------------------------------------------------------- record lines

// A row: changes to the typical record, the line printed, the text expected.
struct LineCase {
  std::string name;
  std::function<void(CPart&)> setup;
  std::function<std::string(const CPart&)> print;
  std::string expected;
};
void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.name;
}

class RecordLine : public testing::TestWithParam<LineCase> {};

TEST_P(RecordLine, MatchesLayout) {
  const LineCase& c = GetParam();
  LinePart part;
  setTypical(part);
  if (c.setup) c.setup(part);
  EXPECT_EQ(c.print(part), c.expected);
}

std::function<std::string(const CPart&)> result(std::string prefix, double total, bool over) {
  return [=](const CPart& p) { return resultLine(p, prefix, total, over); };
}
std::function<std::string(const CPart&)> shortList(double total, bool over) {
  return [=](const CPart& p) { return shortListLine(p, total, over); };
}
std::string reliability(const CPart& p) {
  return reliabilityLine(p, "  ");
}
std::string smt(const CPart& p) {
  return smtLine(p);
}
std::string limits(const CPart& p) {
  return limitsLine(p, "   ");
}
void over(CPart& p, std::uint32_t flags) {
  p.OverFlags = flags;
}
void twoAtAQuarter(CPart& p) {  // TFR 0.5 again
  p.QTY = 2.0f;
  p.FR = 0.25f;
}

// The layouts a calculated record prints in the reports (share, *OVER* in a
// short prefix, the joint rate, the limits and surface-mount lines) are
// pinned by the report golden files; these rows are the cases they lack.
// The typical record's line from "TFR=" up to the stress column.
const std::string kTypicalHead = "TFR=  0.500000  [ 25.00% ]  FR=  0.500000   CF= 1.00000  T= 40.00C  ";
const std::string kTypicalNoCalc = "TFR=  0.500000  [*NOCALC*]  FR=  0.500000   CF= 1.00000  T= 40.00C  ";
const std::string kShortHead =
    "PN-100                    Fuse                        2  F1                        ";
const std::string kLimits = "   TempLimit:175.00  StressLimit:100.0  ";
constexpr std::uint16_t kBoth = PartBasicDone | PartMissionDone;
const std::string kTen(10, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordLine,
    testing::Values(
        LineCase{"ShareOfCircuitTotal", nullptr, result("", 2.0, false), kTypicalHead + "S=50.00%  "},
        LineCase{"ZeroStressStillPrinted", [](CPart& p) { p.S = 0.0f; }, result("", 2.0, false),
                 kTypicalHead + "  S=0.0%  "},
        LineCase{"ZeroCircuitTotalPrintsNoCalc", nullptr, result("", 0.0, false),
                 kTypicalNoCalc + "S=50.00%  "},
        LineCase{"NotANumberCircuitTotalPrintsNoCalc", nullptr,
                 result("", std::numeric_limits<double>::quiet_NaN(), false), kTypicalNoCalc + "S=50.00%  "},
        LineCase{"WholeShareIsHundredPercent", nullptr, result("", 0.5, false),
                 "TFR=  0.500000  [100.00% ]  FR=  0.500000   CF= 1.00000  T= 40.00C  S=50.00%  "},
        LineCase{"DutyCycleScalesTotalRate", [](CPart& p) { p.DutyCycle = 50.0f; }, result("", 1.0, false),
                 "TFR=  0.250000  [ 25.00% ]  FR=  0.500000   CF= 1.00000  T= 40.00C  S=50.00%  "},
        LineCase{"SmtResultHiddenWhenNotCalculated", [](CPart& p) { p.FRSMT = 0.0125f; },
                 result("", 2.0, false), kTypicalHead + "S=50.00%  "},
        LineCase{"OverMarkReplacesPrefixKeepingItsWidth", [](CPart& p) { over(p, OverTemp); },
                 result(kTen, 2.0, true), "*OVER*    " + kTypicalHead + "S=50.00%  "},
        LineCase{"OverMarkNotAskedKeepsPrefix", [](CPart& p) { over(p, OverStress); },
                 result(kTen, 2.0, false), kTen + kTypicalHead + "S=50.00%  "},
        LineCase{"OverMarkAskedWithoutFlagKeepsPrefix", nullptr, result(kTen, 2.0, true),
                 kTen + kTypicalHead + "S=50.00%  "},
        LineCase{"InfiniteRateShowsAsterisks",
                 [](CPart& p) { p.FR = std::numeric_limits<float>::infinity(); }, result("", 2.0, false),
                 "TFR=**********  [******% ]  FR=**********   CF= 1.00000  T= 40.00C  S=50.00%  "},
        // Reliabilities: only the calculated ones shown.
        LineCase{"NothingCalculated", [](CPart& p) { p.BasicR = 0.99f, p.MissionR = 0.98f; }, reliability,
                 "  MissionR= *NOCALC*   BasicR= *NOCALC*"},
        LineCase{"MissionOnly",
                 [](CPart& p) { p.CalcFlags = PartMissionDone, p.BasicR = 0.5f, p.MissionR = 0.25f; },
                 reliability, "  MissionR= 0.250000   BasicR= *NOCALC*"},
        LineCase{"BothCalculated", [](CPart& p) { p.CalcFlags = kBoth, p.BasicR = 0.5f, p.MissionR = 0.25f; },
                 reliability, "  MissionR= 0.250000   BasicR= 0.500000"},
        LineCase{"UnitReliabilityPaddedForAlignment",
                 [](CPart& p) { p.CalcFlags = kBoth, p.BasicR = 1.0f, p.MissionR = 0.0f; }, reliability,
                 "  MissionR= 0.0        BasicR= 1.00000 "},
        // The short list.
        LineCase{"ShortZeroTotalGivesZeroShare", twoAtAQuarter, shortList(0.0, false),
                 kShortHead + "   0.500000  0.0 "},
        LineCase{"ShortWholeShareFitsColumn", twoAtAQuarter, shortList(0.5, false),
                 kShortHead + "   0.500000 100.0"},
        LineCase{"ShortOverMarkNotAskedShowsRate", [](CPart& p) { twoAtAQuarter(p), over(p, OverStress); },
                 shortList(2.0, false), kShortHead + "   0.500000 25.00"},
        LineCase{"ShortLargeRatePaddedForAlignment", [](CPart& p) { p.QTY = 2.0f, p.FR = 61.5f; },
                 shortList(1230.0, false), kShortHead + " 123.0000   10.00"},
        // Surface mount.
        LineCase{"SmtCeramicGullWingManualRise",
                 [](CPart& p) {
                   p.FRSMT = 0.001234f, p.SMT_PKG = 2, p.SMT_LEAD = 3, p.SMT_DIST = 120.0f, p.SMT_HT = 7.5f;
                   p.SMT_TRISEMODE = 2, p.SMT_TEMPRISE = 12.5f;
                 },
                 smt,
                 "FRSMT=0.001234  Pkg:Ceramic/GullWing  JointDist:120.0000  JointHt:7.50000   Trise:12.50 "
                 "(Manual)  "},
        LineCase{"SmtLeadlessPackage", [](CPart& p) { p.SMT_LEAD = 1; }, smt,
                 "FRSMT=0.0       Pkg:Plastic/Leadless  JointDist:345.0000  JointHt:50.0000   Trise:0.0 "
                 "(Default)   "},
        LineCase{"SmtChoiceBytesOutsideListsPrintEmpty",
                 [](CPart& p) { p.SMT_PKG = 0, p.SMT_LEAD = 200, p.SMT_TRISEMODE = 3; }, smt,
                 "FRSMT=0.0       Pkg:/                 JointDist:345.0000  JointHt:50.0000   Trise:0.0 ()   "
                 "       "},
        LineCase{"SmtDistanceTooWideShowsAsterisks", [](CPart& p) { p.SMT_DIST = 123456789.0f; }, smt,
                 "FRSMT=0.0       Pkg:Plastic/Lead,J/S  JointDist:********  JointHt:50.0000   Trise:0.0 "
                 "(Default)   "},
        // Limits: the set flags named in print order.
        LineCase{"LimitsTempBeforeStress", [](CPart& p) { over(p, OverStress | OverTemp); }, limits,
                 kLimits + "*OVER*: OverTemp OverStress"},
        LineCase{"LimitsStressBeforeEnvironmentAndRange",
                 [](CPart& p) { over(p, OverStress | EnvNotValid | EntryOverRange); }, limits,
                 kLimits + "*OVER*: OverStress EnvNotValid EntryOverRange"},
        LineCase{"LimitsAllFlags",
                 [](CPart& p) { over(p, OverStress | OverTemp | EnvNotValid | EntryOverRange); }, limits,
                 kLimits + "*OVER*: OverTemp OverStress EnvNotValid EntryOverRange"},
        LineCase{"LimitsUnnamedBitIsNotAnOverFlag", [](CPart& p) { over(p, 1u << 7); }, limits, kLimits}),
    [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------- bounds

struct ExtremeCase {
  std::string name;
  double value;
};
void PrintTo(const ExtremeCase& c, std::ostream* os) {
  *os << c.name;
}

class LineBound : public testing::TestWithParam<ExtremeCase> {};

// Every number field and every text of the record at its worst: the lines
// stay within 132 characters and show no raw "inf"/"nan" text.
TEST_P(LineBound, EveryLineAtMost132Characters) {
  const double v = GetParam().value;
  const float f = static_cast<float>(v);
  LinePart part;
  const std::string huge(10000, 'W');
  part.PN = part.PN2 = part.REFDES = part.DESCR = part.LCN = huge;
  part.typeName = huge;
  part.QTY = part.CF = part.FR = part.T = part.S = f;
  part.DutyCycle = f;
  part.BasicR = part.MissionR = f;
  part.FRSMT = part.SMT_DIST = part.SMT_HT = part.SMT_TEMPRISE = f;
  part.TEMPLIMIT = part.STRESSLIMIT = f;
  part.SmtCalcFlag = 1;
  part.CalcFlags = PartBasicDone | PartMissionDone;
  part.OverFlags = OverStress | OverTemp | EnvNotValid | EntryOverRange;
  const std::string longPrefix(300, '>');

  std::vector<std::string> lines = {identityLine(part, longPrefix),
                                    identityLine(part, ""),
                                    descriptionLine(part, longPrefix),
                                    descriptionLine(part, ""),
                                    resultLine(part, longPrefix, v, true),
                                    resultLine(part, "", v, false),
                                    resultLine(part, "", 1e-300, false),
                                    resultLine(part, longPrefix, 1.0, false),
                                    reliabilityLine(part, longPrefix),
                                    reliabilityLine(part, ""),
                                    shortListLine(part, v, true),
                                    shortListLine(part, v, false),
                                    smtLine(part),
                                    limitsLine(part, longPrefix),
                                    limitsLine(part, "")};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    EXPECT_LE(lines[i].size(), kMaxLineLength);
    EXPECT_EQ(lines[i].find("inf"), std::string::npos) << lines[i];
    EXPECT_EQ(lines[i].find("nan"), std::string::npos) << lines[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineBound,
    testing::Values(ExtremeCase{"Huge", 1e300},
                    ExtremeCase{"NotANumber", std::numeric_limits<double>::quiet_NaN()},
                    ExtremeCase{"Infinite", std::numeric_limits<double>::infinity()},
                    ExtremeCase{"NegativeInfinite", -std::numeric_limits<double>::infinity()},
                    ExtremeCase{"LargestNegativeFloat", -std::numeric_limits<float>::max()}),
    caseName<ExtremeCase>);

// Numbers too large for their columns print as asterisks, keeping the
// columns of the line in place.
TEST(LineBound, HugeValuesKeepColumnWidths) {
  LinePart part;
  setTypical(part);
  part.FR = 1e30f;
  part.CF = -1e30f;
  part.T = std::numeric_limits<float>::quiet_NaN();
  part.S = 1e30f;
  EXPECT_EQ(resultLine(part, "", 1.0, false),
            "TFR=**********  [******% ]  FR=**********   CF=********  T=******C  S=*****%  ");
}

struct FormatCase {
  double value;
  int width;
  int precision;
  const char* plain;
  const char* padded;
};

class NumberFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormat, MatchesHandWorkedText) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(formatNumber(c.value, c.width, c.precision), c.plain);
  EXPECT_EQ(formatPadded(c.value, c.width, c.precision), c.padded);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberFormat,
    ::testing::Values(
        // zero prints with precision 1, either sign
        FormatCase{0.0, 10, 6, "0.0", "0.0     "}, FormatCase{-0.0, 10, 6, "-0.0", "-0.0     "},
        // precision capped at 4 from 10 on; the padded form keeps ten characters
        FormatCase{123.456, 10, 6, "123.4560", "123.4560  "},
        // capped at 5 between 1 and 10, at 6 below 1
        FormatCase{1.5, 10, 6, "1.50000", "1.50000 "}, FormatCase{0.123456789, 10, 6, "0.123457", "0.123457"},
        FormatCase{-0.5, 10, 6, "-0.500000", "-0.500000"},
        // shrinking precision until the text fits
        FormatCase{12345.678, 8, 6, "12345.68", "12345.68"},
        FormatCase{123456.7, 8, 6, "123456.7", "123456.7"},
        // a nine-digit value at width 8 cannot fit even at precision 1
        FormatCase{123456789.0, 8, 6, "********", "********"},
        // precision 0 becomes 1
        FormatCase{5.0, 6, 0, "5.0", "5.0"},
        // a requested precision below the cap is kept
        FormatCase{2.345, 6, 2, "2.35", "2.35"},
        // beyond 1e70, and every non-finite value, print as asterisks
        FormatCase{1e71, 12, 6, "************", "************"}, FormatCase{-1e71, 5, 2, "*****", "*****"},
        FormatCase{kInf, 12, 6, "************", "************"}, FormatCase{-kInf, 6, 2, "******", "******"},
        FormatCase{kNaN, 8, 6, "********", "********"},
        // a tiny value rounds to zero at the capped precision
        FormatCase{1e-9, 10, 6, "0.000000", "0.000000"},
        // rounding up at precision 1 can still overflow the field
        FormatCase{99999.99, 7, 2, "*******", "*******"},
        // reduced precision pads blanks up to the field width only
        FormatCase{1234.5678, 10, 6, "1234.5678", "1234.5678 "},
        FormatCase{1234.5678, 7, 6, "1234.57", "1234.57"}));

TEST(NumberFormat, NeverWiderThanTheFieldWhenItFits) {
  const double values[] = {0.001, 0.5, 7.25, 42.0, 1234.5678, 98765.4321, -3.25, 1e6};
  for (double v : values) {
    for (int w = 4; w <= 15; ++w) {
      const std::string text = formatNumber(v, w, 6);
      EXPECT_LE(text.size(), static_cast<std::size_t>(w)) << v << " at width " << w;
      if (text.find('*') == std::string::npos) {
        EXPECT_NEAR(std::stod(text), v, std::fabs(v) * 0.05 + 0.05) << text;
      }
    }
  }
}

TEST(Windows1252, EveryHighByteRoundTrips) {
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b)), utf8 = windows1252ToUtf8(byte);
    EXPECT_TRUE(isValidUtf8(utf8) && utf8ToWindows1252(utf8).text == byte && utf8ToWindows1252(utf8).lossless()) << b;
  }
}

TEST(Windows1252, StoresWhatTheCodePageHoldsAndReplacesTheRest) {
  const struct { std::string utf8, stored; std::size_t replaced; } cases[] = {
      {"\u20AC \u201Cx\u201D \u2013\u2014\u2122", "\x80 \x93x\x94 \x96\x97\x99", 0},
      {"\u0160\u017D\u0161\u017E\u0178", "\x8A\x8E\x9A\x9E\x9F", 0},
      {"\u0081\u0080", "\x81?", 1},  // only the unassigned bytes stand for C1 controls
      {"\u00B5" "F \u00B1" "5 % \u03A9 25 \u00B0" "C Z\u00FCrich", "\xB5" "F \xB1" "5 % ? 25 \xB0" "C Z\xFCrich", 1},
      {"R\u6297 \U0001F600", "R? ?", 2},
      {"a\x80" "b Z\xC3", "a?b Z?", 2},         // a stray continuation byte, a cut sequence
      {"\xC0\xAF \xED\xA0\x80", "?? ???", 5},  // overlong, surrogate
  };
  for (const auto& c : cases) {
    const Windows1252Text got = utf8ToWindows1252(c.utf8);
    EXPECT_TRUE(got.text == c.stored && got.replaced == c.replaced && got.positions.size() == c.replaced) << c.stored;
  }
  const Windows1252Text omega = utf8ToWindows1252("\u03A9 \xFF");
  EXPECT_EQ(omega.positions, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(replacedNote(omega, 3, 5), "   ...'\u03A9\uFFFD' character(s) not in Windows-1252 replaced by '?' (R3/F5)...");
  // A line joining a UTF-8 file name and a stored part number shows both.
  EXPECT_EQ(mixedToUtf8("Z\u00FCrich.cir PN=\xB5" "F \x80"), "Z\u00FCrich.cir PN=\u00B5" "F \u20AC");
}

// JSON numbers: the shortest text that reads back to the same double,
// plain between 1e-4 and 1e15 (whole numbers with ".0"), exponent form outside.
TEST(JsonText, NumbersReadBackExactlyInTheirLayout) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{0.0, "0.0"},         {1.0, "1.0"},       {-2.5, "-2.5"},     {0.1, "0.1"},
               {0.0001, "0.0001"},   {1e-5, "1e-05"},    {1.5e-7, "1.5e-07"}, {1e14, "100000000000000.0"}, {1e15, "1e+15"},
               {1e16, "1e+16"},      {123.456, "123.456"}, {20935.293212724715, "20935.293212724715"},
               {0.1f, "0.10000000149011612"}, {1.25e300, "1.25e+300"}};
  for (const auto& c : cases) {
    EXPECT_EQ(jsonNumber(c.value), c.text);
    EXPECT_EQ(std::strtod(c.text, nullptr), c.value) << c.text;
  }
  EXPECT_EQ(jsonNumber(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(jsonNumber(std::nan("")), "null");
}

TEST(JsonText, StringsEscapeQuotesBackslashesAndControlsOnly) {
  EXPECT_EQ(jsonString("a\"b\\c\n\t\x01\x7f\xc3\xa9"), "\"a\\\"b\\\\c\\n\\t\\u0001\x7f\xc3\xa9\"");
}

TEST(JsonText, WriterLaysOutNestedValuesTwoBlanksDeep) {
  std::ostringstream text;
  {
    JsonWriter out(text);
    out.beginObject();
    out.key("a");
    out.beginArray();
    out.integer(1);
    out.beginObject();
    out.endObject();
    out.endArray();
    out.key("b");
    out.sortedObject({{"z", "1"}, {"y", "2"}, {"z", "3"}});
    out.endObject();
    out.finish();
  }
  EXPECT_EQ(text.str(), "{\n  \"a\": [\n    1,\n    {}\n  ],\n  \"b\": {\n    \"y\": 2,\n    \"z\": 3\n  }\n}\n");
}

}  // namespace
}  // namespace kestrel
