#include "models/passive_semis/opto.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using passive_test::allLines;
using passive_test::dropKeyword;
using passive_test::floatAt;
using passive_test::header;
using passive_test::kNaNf;
using passive_test::logged;
using passive_test::near;
using passive_test::ownFieldBytes;
using passive_test::RecordingVisitor;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

JunctionTemp rise(float tja) {
  JunctionTemp b;
  b.MODE = 3;
  b.TJA = tja;
  return b;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  std::uint8_t family, type;
  float characters;
  std::uint8_t logic, quality, env;
  float ambient, tja, cf;
  bool hybrid;
  double lb, pit, piq, pie, fr;
};

class OptoFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(OptoFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  COpto o;
  o.FAMILY = c.family;
  o.TYPE = c.type;
  o.CHAR = c.characters;
  o.LOGIC = c.logic;
  o.QU = c.quality;
  o.thermal = rise(c.tja);
  o.CF = c.cf;
  o.QTY = 4.0f;  // never applied to FR
  o.IS_HYBRID = c.hybrid ? 1 : 0;
  o.STRESSLIMIT = 0.0f;  // no stress figure, so never over stress
  CCircHeader h = header(c.env, c.ambient);
  o.Calculate(h);
  EXPECT_FLOAT_EQ(o.T, c.ambient + c.tja);
  EXPECT_FLOAT_EQ(o.S, -1.0f);
  EXPECT_TRUE(near(o.LB, c.lb));
  EXPECT_TRUE(near(o.PIT, c.pit));
  EXPECT_TRUE(near(o.PIQ, c.piq));
  EXPECT_TRUE(near(o.PIE, c.pie));
  EXPECT_TRUE(near(o.FR, c.fr));
  EXPECT_EQ(o.OverFlags, 0u);
}

// pi_T = exp(2790 x (1/298 - 1/(Tj + 273))): 1/298 - 1/348 = 0.000482141, 1/298 - 1/398 = 0.000843142,
// 1/298 - 1/273 = -0.000307299.
INSTANTIATE_TEST_SUITE_P(
    Cases, OptoFailureRate,
    ::testing::Values(
        // photodiode detector JANTXV at GB, 25 C: FR = 0.0040 x 0.7 = 0.0028
        RateCase{"PhotoDiodeJantxvAtGroundBenign", 1, 1, 1, 2, 1, 1, 25, 0, 1, false, 0.0040, 1.0, 0.7, 1.0,
                 0.0028},
        // phototransistor detector Lower at NU, Tj 75: pi_T = exp(2790 x 0.000482141) = exp(1.345173) = 3.838857;
        // FR = 0.0055 x 3.838857 x 5.5 x 12 = 1.393505
        RateCase{"PhotoTransistorLowerHotAtNavalUnsheltered", 1, 2, 1, 2, 4, 5, 25, 50, 1, false, 0.0055,
                 3.838857, 5.5, 12.0, 1.393505},
        // single isolator, darlington, JAN at AIC, Tj 125: pi_T = exp(2.352366) = 10.510406;
        // FR = 0.013 x 10.510406 x 2.4 x 4.0 = 1.311699
        RateCase{"IsolatorDarlingtonJanHotAtAirborneCargo", 2, 3, 1, 2, 3, 6, 25, 100, 1, false, 0.013, 10.510406,
                 2.4, 4.0, 1.311699},
        // dual isolator, photoresistor, JANTX at ARW: FR = 0.0086 x 1.0 x 17 = 0.1462
        RateCase{"DualIsolatorResistorAtRotaryWing", 3, 4, 1, 2, 2, 10, 25, 0, 1, false, 0.0086, 1.0, 1.0, 17.0,
                 0.1462},
        // LED Plastic at CL, 0 C: pi_T = exp(-0.857364) = 0.424279; FR = 0.00023 x 0.424279 x 8 x 450 = 0.351303
        RateCase{"LedPlasticColdAtCannonLaunch", 4, 1, 1, 2, 5, 14, 0, 0, 1, false, 0.00023, 0.424279, 8.0, 450.0,
                 0.351303},
        // infrared LED Lower at SF, CF 3 (QTY 4 not applied): FR = 0.0013 x 5.5 x 0.5 x 3 = 0.010725
        RateCase{"InfraRedLedWithCorrectionFactor", 4, 2, 1, 2, 4, 11, 25, 0, 3, false, 0.0013, 1.0, 5.5, 0.5,
                 0.010725},
        // segment display, 8 characters, logic chip: lambda_b = 0.00043 x 8 + 0.000043 = 0.003483;
        // FR = 0.003483 x 0.7 = 0.0024381
        RateCase{"SegmentDisplayEightCharactersWithLogic", 5, 1, 8, 1, 1, 1, 25, 0, 1, false, 0.003483, 1.0, 0.7,
                 1.0, 0.0024381},
        // diode array, 1 character, no logic: lambda_b = 0.00017 + 0.00009 = 0.00026; Plastic at MF:
        // FR = 0.00026 x 8 x 9 = 0.01872
        RateCase{"DiodeArrayOneCharacterAtMissileFlight", 5, 2, 1, 2, 5, 12, 25, 0, 1, false, 0.00026, 1.0, 8.0,
                 9.0, 0.01872},
        // diode array, 99 characters, logic: lambda_b = 0.00017 x 99 + 0.000043 + 0.00009 = 0.016963
        RateCase{"DiodeArrayLargestWithLogic", 5, 2, 99, 1, 2, 1, 25, 0, 1, false, 0.016963, 1.0, 1.0, 1.0,
                 0.016963},
        // hybrid isolator phototransistor, Plastic at CL: pi_Q = pi_E = 1; FR = 0.013
        RateCase{"HybridIsolatorTakesPackageFactors", 2, 2, 1, 2, 5, 14, 25, 0, 1, true, 0.013, 1.0, 1.0, 1.0,
                 0.013}),
    labelOf<RateCase>);

TEST(OptoBaseRate, EveryFamilyAndType) {
  struct Case {
    std::uint8_t family, type;
    double lb;
  };
  // handbook 6.11 base rates; displays of 1 character without logic chip (6.12)
  const Case cases[] = {{1, 1, 0.0040},  {1, 2, 0.0055},   {2, 1, 0.0025}, {2, 2, 0.013},  {2, 3, 0.013},
                        {2, 4, 0.0064},  {3, 1, 0.0033},   {3, 2, 0.017},  {3, 3, 0.017},  {3, 4, 0.0086},
                        {4, 1, 0.00023}, {4, 2, 0.0013},   {5, 1, 0.00043}, {5, 2, 0.00026}};
  for (const Case& c : cases) {
    COpto o;
    o.FAMILY = c.family;
    o.TYPE = c.type;
    CCircHeader h = header(1, 25);
    o.Calculate(h);
    EXPECT_TRUE(near(o.LB, c.lb)) << int(c.family) << "/" << int(c.type);
    EXPECT_EQ(o.OverFlags, 0u);
  }
}

TEST(OptoEnvironment, EveryEnvironmentFactor) {
  // handbook 6.11 pi_E, GB..CL; a photodiode detector JANTX at 25 C has FR = 0.0040 x pi_E
  const double pie[] = {1.0, 2.0, 8.0, 5.0, 12.0, 4.0, 6.0, 6.0, 8.0, 17.0, 0.5, 9.0, 24.0, 450.0};
  for (std::uint8_t env = 1; env <= 14; ++env) {
    COpto o;
    o.FAMILY = 1;
    o.QU = 2;
    CCircHeader h = header(env, 25);
    o.Calculate(h);
    EXPECT_TRUE(near(o.FR, 0.0040 * pie[env - 1])) << int(env);
  }
}

// ---- Stored values and limits -------------------------------------------------------

TEST(OptoStoredValues, ClampedByFamilyListAndFlagged) {
  struct Case {
    const char* label;
    std::uint8_t family, type;
    float characters;
    std::uint8_t quality;
    std::uint8_t expectedFamily, expectedType;
    double lb;
  };
  const Case cases[] = {
      // family 9 -> display, type 3 -> diode array, 1 character: 0.00026
      {"FamilyBeyondListIsDisplay", 9, 3, 1, 5, 5, 2, 0.00026},
      // an emitter holds two types: 4 -> infrared LED
      {"IsolatorTypeOnEmitterIsInfraRed", 4, 4, 1, 5, 4, 2, 0.0013},
      // detector type 0 -> photodiode
      {"TypeZeroIsPhotoDiode", 1, 0, 1, 5, 1, 1, 0.0040},
      // segment display with 0 characters: limited to 1, 0.00043
      {"NoCharactersIsOne", 5, 1, 0, 5, 5, 1, 0.00043},
      // segment display with 500 characters: limited to 99, 0.00043 x 99 = 0.04257
      {"TooManyCharactersIsNinetyNine", 5, 1, 500, 5, 5, 1, 0.04257},
      {"CharactersNotANumberIsOne", 5, 1, kNaNf, 5, 5, 1, 0.00043},
      // quality 6 -> Plastic (8.0); checked through FR = 0.0040 x 8 = 0.032 below
      {"QualityBeyondListIsPlastic", 1, 1, 1, 6, 1, 1, 0.0040},
  };
  for (const Case& c : cases) {
    COpto o;
    o.FAMILY = c.family;
    o.TYPE = c.type;
    o.CHAR = c.characters;
    o.QU = c.quality;
    CCircHeader h = header(1, 25);
    o.Calculate(h);
    EXPECT_EQ(o.FAMILY, c.expectedFamily) << c.label;
    EXPECT_EQ(o.TYPE, c.expectedType) << c.label;
    EXPECT_TRUE(near(o.LB, c.lb)) << c.label;
    EXPECT_TRUE(near(o.FR, c.lb * 8.0)) << c.label;
    EXPECT_EQ(o.OverFlags, EntryOverRange) << c.label;
  }

  COpto n;  // an emitter, LED
  n.TYPE = 3;
  n.LOGIC = 0;
  n.QU = 0;
  n.normalizeChoices();
  EXPECT_EQ(n.TYPE, 2);
  EXPECT_EQ(n.LOGIC, 1);
  EXPECT_EQ(n.QU, 1);
  EXPECT_EQ(n.OverFlags, EntryOverRange);
}

TEST(OptoLimits, OverTemperatureOnlyStrictlyAboveAndNeverOverStress) {
  struct Case {
    float tja, limit;
    std::uint32_t flags;
  };
  for (const Case& c : {Case{100, 125, 0u}, Case{100.25f, 125, OverTemp}}) {  // Tj = 25 + tja
    COpto o;
    o.thermal = rise(c.tja);
    o.TEMPLIMIT = c.limit;
    o.STRESSLIMIT = 0.0f;
    CCircHeader h = header(1, 25);
    o.Calculate(h);
    EXPECT_EQ(o.OverFlags, c.flags);
    EXPECT_FLOAT_EQ(o.S, -1.0f);
  }
}

TEST(OptoSurfaceMount, DefaultRiseIsTjaInJunctionRiseModeAndNoStepInHybrid) {
  COpto o;
  o.thermal = rise(22);
  o.IS_SMT = 1;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  o.Calculate(h);
  EXPECT_EQ(o.SmtCalcFlag, 1);
  EXPECT_GT(o.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(o.SMT_TEMPRISE, 22.0f);
  o.IS_HYBRID = 1;
  o.Calculate(h);
  EXPECT_EQ(o.SmtCalcFlag, 0);
}

// ---- Import by keyword -----------------------------------------------------------

void mapAll(ImportSetup& s, const char* family, const char* type) {
  s.map("OPTO_FAMILY", 3, std::string(family));
  s.map("OPTO_TYPE", 4, std::string(type));
  s.map("OPTO_CHAR", 5, 12.7);
  s.map("OPTO_LOGIC", 6, std::string("Yes"));
  s.map("OPTO_QU", 7, std::string("JAN."));
  s.map("OPTO_TEMPMODE", 8, std::string("Tj=Ta+Tja"));
  s.map("OPTO_TJA", 9, 35.0);
}

TEST(OptoImport, DisplayReadsCharactersAndLogicChip) {
  ImportSetup s;
  mapAll(s, "AlphaNumericDisplay", "DiodeArray");
  COpto o;
  ASSERT_TRUE(o.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(o.FAMILY, 5);
  EXPECT_EQ(o.TYPE, 2);
  EXPECT_FLOAT_EQ(o.CHAR, 12.0f);  // a whole number
  EXPECT_EQ(o.LOGIC, 1);
  EXPECT_EQ(o.QU, 3);
  EXPECT_EQ(o.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(o.thermal.TJA, 35.0f);
}

TEST(OptoImport, OtherFamiliesAndHybridsSkipTheirFields) {
  ImportSetup s;
  mapAll(s, "DualOptoIsolator", "PhotoDarlington");
  dropKeyword(s, "OPTO_CHAR");
  dropKeyword(s, "OPTO_LOGIC");
  COpto o;
  ASSERT_TRUE(o.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(o.FAMILY, 3);
  EXPECT_EQ(o.TYPE, 3);
  EXPECT_FLOAT_EQ(o.CHAR, 1.0f);

  dropKeyword(s, "OPTO_QU");
  COpto hybrid;
  hybrid.IS_HYBRID = 1;
  EXPECT_TRUE(hybrid.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(hybrid.QU, 5);
  COpto plain;
  EXPECT_FALSE(plain.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('OPTO_QU').");
}

TEST(OptoImport, TypeReadFromTheFamilysList) {
  // "PhotoResistor" is no emitter type: no match, and the stored 4 is past the emitter list, so #1
  ImportSetup s;
  mapAll(s, "Emitter", "PhotoResistor");
  COpto o;
  o.TYPE = 4;
  ASSERT_TRUE(o.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(o.FAMILY, 4);
  EXPECT_EQ(o.TYPE, 1);
  EXPECT_TRUE(logged(s.log, "'OPTO_TYPE' has no choice match"));
  EXPECT_TRUE(logged(s.log, "'OPTO_TYPE' set to default (#1) choice"));
}

// ---- What-If? and Update ---------------------------------------------------------------

TEST(OptoWhatIf, QualityRuleOnlyAndNotInHybrid) {
  struct Case {
    bool hybrid;
    std::uint8_t mode;
    float level;
    std::uint8_t expected;
  };
  // Plastic (5) - 3 = 2; 5 + 2 = 7 limited to 5; set 0 limited to 1; hybrid unchanged
  for (const Case& c : {Case{false, Increase, 3, 2}, Case{false, Decrease, 2, 5}, Case{false, SetDirect, 0, 1},
                        Case{true, SetDirect, 1, 5}}) {
    COpto o;
    o.IS_HYBRID = c.hybrid ? 1 : 0;
    WhatIfSettings s;
    s.qualityMode = c.mode;
    s.qualityLevel = c.level;
    s.stressMode = SetDirect;
    s.stressValue = 10;
    o.ApplyWhatIf(s);
    EXPECT_EQ(o.QU, c.expected);
  }
}

TEST(OptoUpdate, CopiesOnlyTheThermalApplicationFields) {
  COpto other;
  other.FAMILY = 5;
  other.TYPE = 2;
  other.CHAR = 40;
  other.QU = 1;
  other.thermal.MODE = 2;
  other.thermal.PD = 0.5f;
  other.thermal.RJC = 99.0f;
  other.thermal.TCA = 30.0f;
  COpto own;
  own.thermal.RJC = 11.0f;
  own.UpdateAppParams(other);
  EXPECT_EQ(own.FAMILY, 4);
  EXPECT_EQ(own.TYPE, 1);
  EXPECT_FLOAT_EQ(own.CHAR, 1.0f);
  EXPECT_EQ(own.QU, 5);
  EXPECT_EQ(own.thermal.MODE, 2);
  EXPECT_FLOAT_EQ(own.thermal.PD, 0.5f);
  EXPECT_FLOAT_EQ(own.thermal.TCA, 30.0f);
  EXPECT_FLOAT_EQ(own.thermal.RJC, 11.0f);  // Rjc stays with the part
}

// ---- Copy and file round trip ------------------------------------------------------

void fill(COpto& o) {
  o.PN = "4N25";
  o.PART_TYPE = 304;
  o.CF = 1.5f;
  o.FR = 0.25f;
  o.FAMILY = 5;
  o.TYPE = 2;
  o.CHAR = 16.0f;
  o.LOGIC = 1;
  o.QU = 2;
  o.thermal.MODE = 2;
  o.thermal.PD = 2.5f;
  o.thermal.RJC = 3.5f;
  o.thermal.RCA = 4.5f;
  o.thermal.TADJ = 1.5f;
  o.thermal.TCA = 5.5f;
  o.thermal.TJA = 6.5f;
  o.LB = 0.003f;
  o.PIT = 1.25f;
  o.PIQ = 1.0f;
  o.PIE = 17.0f;
}

TEST(OptoCopyAndArchive, CopyAndRoundTripKeepEveryFieldIn49Bytes) {
  registerPassiveSemisParts();
  COpto a;
  fill(a);
  const std::vector<std::uint8_t> bytes = ownFieldBytes(a);
  // family, type; characters; logic, quality, temperature mode; Pd, Rjc, Rca, Tadj, Tca, Tja; four factors
  ASSERT_EQ(bytes.size(), 49u);
  EXPECT_EQ(bytes[0], 5);
  EXPECT_EQ(bytes[1], 2);
  EXPECT_FLOAT_EQ(floatAt(bytes, 2), 16.0f);
  EXPECT_EQ(bytes[6], 1);
  EXPECT_EQ(bytes[7], 2);
  EXPECT_EQ(bytes[8], 2);
  EXPECT_FLOAT_EQ(floatAt(bytes, 9), 2.5f);    // Pd
  EXPECT_FLOAT_EQ(floatAt(bytes, 29), 6.5f);   // Tja
  EXPECT_FLOAT_EQ(floatAt(bytes, 33), 0.003f);  // lambda_b
  EXPECT_FLOAT_EQ(floatAt(bytes, 45), 17.0f);  // pi_E

  COpto b;
  b.CopyFrom(a);
  EXPECT_EQ(ownFieldBytes(b), bytes);
  EXPECT_EQ(b.PN, "4N25");

  Archive out = Archive::forWriting();
  writePartObject(out, a);
  Archive in = Archive::forReading(out.bytes(), "opto");
  auto part = readPartObject(in);
  ASSERT_TRUE(in.ok()) << in.error();
  auto* c = dynamic_cast<COpto*>(part.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(ownFieldBytes(*c), bytes);
  EXPECT_EQ(c->PN, "4N25");
  EXPECT_FLOAT_EQ(c->CF, 1.5f);
  EXPECT_EQ(in.remaining(), 0u);

  auto created = PartRegistry::instance().create(304, true);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetTypeName(), "Optoelectronic(Hyb)");
  EXPECT_EQ(COpto{}.GetTypeName(), "Optoelectronic");
}

// ---- Text lines ---------------------------------------------------------------------

std::string blanks(std::size_t n) {
  return std::string(n, ' ');
}

TEST(OptoTextLines, DetailAndFactorLines) {
  COpto o;  // an emitter LED, Plastic
  std::string a, b;
  o.FormatDetail(a, b, "> ");
  // "%s%-19s  %-15s %-15s  %-10s": no character column outside displays
  EXPECT_EQ(a, "> Emitter" + blanks(12) + "  LED" + blanks(12) + " " + blanks(15) + "  Qu:Plastic");
  EXPECT_EQ(b, "> Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)");

  COpto display;
  display.FAMILY = 5;
  display.TYPE = 1;
  display.CHAR = 8;
  display.LOGIC = 1;
  display.IS_HYBRID = 1;
  display.thermal = rise(12.5f);
  display.FormatDetail(a, b, "");
  // the quality column stays empty in a hybrid part
  EXPECT_EQ(a, "AlphaNumericDisplay  Segment" + blanks(8) + " Char:8 w/logic " + "  " + blanks(10));
  EXPECT_EQ(b, "Tj = Ta+Tja = Ta+12.50");

  // segment display at GB, Tj = 25 + 12.5: LB 0.003483 (8,6); PIT = exp(2790 x (1/298 - 1/310.5)) =
  // exp(2790 x 0.000135093) = exp(0.376909) = 1.457771 (8,6: precision 5) 1.45777; PIQ, PIE 1.00 (hybrid)
  CCircHeader h = header(1, 25);
  display.Calculate(h);
  display.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *  PIQ  *  PIE  *   PICF  ");
  EXPECT_EQ(b, "    0.003483   1.45777    1.00    1.00    1.00000 ");
}

TEST(OptoTextLines, EveryLineAtMost132Characters) {
  for (float v : {3e38f, -1e-30f, kNaNf}) {
    COpto o;
    o.FAMILY = 5;
    o.LOGIC = 1;
    o.CHAR = o.CF = o.LB = o.PIT = o.PIQ = o.PIE = v;
    o.thermal.PD = o.thermal.RJC = o.thermal.RCA = o.thermal.TADJ = v;
    for (const std::string& line : allLines(o, std::string(120, '>'))) EXPECT_LE(line.size(), 132u);
  }
}

// ---- Pages ---------------------------------------------------------------------------

TEST(OptoPage, TypeListFollowsFamilyAndDisplayFieldsApply) {
  struct Case {
    std::uint8_t family, type;
    bool hybrid;
    std::size_t typeChoices;
    std::uint8_t shownType;
    const char* applies;  // FAMILY, TYPE, CHAR, LOGIC, QU
  };
  const Case cases[] = {
      {1, 4, false, 2, 2, "11001"},  // a detector holds two types: 4 refilled to 2
      {2, 4, false, 4, 4, "11001"},
      {3, 1, true, 4, 1, "11000"},
      {4, 2, false, 2, 2, "11001"},
      {5, 2, false, 2, 2, "11111"},
  };
  for (const Case& c : cases) {
    COpto o;
    o.FAMILY = c.family;
    o.TYPE = c.type;
    o.IS_HYBRID = c.hybrid ? 1 : 0;
    RecordingVisitor v;
    o.paramPage(v);
    ASSERT_EQ(v.seen.size(), 5u);
    EXPECT_EQ(v.keywords(), (std::vector<std::string>{"OPTO_FAMILY", "OPTO_TYPE", "OPTO_CHAR", "OPTO_LOGIC",
                                                      "OPTO_QU"}));
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(v.seen[i].applies, c.applies[i] == '1') << int(c.family);
    EXPECT_EQ(v.seen[1].choiceCount, c.typeChoices);
    EXPECT_EQ(o.TYPE, c.shownType);
  }
  COpto o;
  RecordingVisitor temp;
  EXPECT_TRUE(o.tempPage(temp));
  ASSERT_EQ(temp.seen.size(), 7u);
  EXPECT_EQ(temp.seen[0].keyword, "OPTO_TEMPMODE");
}

}  // namespace
}  // namespace kestrel
