// Connections and circuit boards.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/micro_electromech/circuit_board.hpp"
#include "models/micro_electromech/connections.hpp"
#include "models/micro_electromech/electromech_test_support.hpp"
#include "models/micro_electromech/register.hpp"

namespace kestrel {
namespace {

using test::header;
using test::ImportSetup;
using test::labelOf;
using test::near;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// ---- Connections --------------------------------------------------------------

struct ConnectionsCase {
  const char* label;
  std::uint8_t type, env;
  float count, cf;
  double lb, pie, fr;
};

class ConnectionsFailureRate : public ::testing::TestWithParam<ConnectionsCase> {};

TEST_P(ConnectionsFailureRate, RatePerConnectionTimesCount) {
  const ConnectionsCase& c = GetParam();
  CConnections x;
  x.TYPE = c.type;
  x.N = c.count;
  x.CF = c.cf;
  x.QTY = 2;
  CCircHeader h = header(c.env, 55);
  x.Calculate(h);
  EXPECT_TRUE(near(x.LB, c.lb));
  EXPECT_TRUE(near(x.PIE, c.pie));
  EXPECT_TRUE(near(x.FR, c.fr));
  EXPECT_FLOAT_EQ(x.T, 55.0f);
  EXPECT_FLOAT_EQ(x.S, -1.0f);
  EXPECT_EQ(x.OverFlags, 0u);
}

// lambda_p = lambda_b x pi_E x N x CF (QTY 2 not applied)
INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionsFailureRate,
    ::testing::Values(
        ConnectionsCase{"ZeroConnectionsGiveZero", 1, 14, 0, 1, 0.0013, 420, 0.0},
        // 0.0013 x 1 x 100 = 0.13
        ConnectionsCase{"HandSolderAtGroundBenign", 1, 1, 100, 1, 0.0013, 1, 0.13},
        // 0.00026 x 8 x 250 = 0.52
        ConnectionsCase{"CrimpAtAirborneFighter", 3, 9, 250, 1, 0.00026, 8, 0.52},
        // 0.062 x 420 x 3 x CF 0.5 = 39.06
        ConnectionsCase{"TerminalBlockAtCannonLaunch", 9, 14, 3, 0.5f, 0.062, 420, 39.06},
        // 0.17 x 11 x 10 = 18.7
        ConnectionsCase{"SpringContactAtNavalUnsheltered", 8, 5, 10, 1, 0.17, 11, 18.7},
        // 0.000015 x 24 x 1000 = 0.36
        ConnectionsCase{"WeldAtMissileLaunch", 4, 13, 1000, 1, 0.000015, 24, 0.36},
        // 0.0000068 x 0.5 x 999999 = 3.3999966
        ConnectionsCase{"MostSolderlessWrapsAtSpaceFlight", 5, 11, 999999, 1, 0.0000068, 0.5, 3.3999966}),
    labelOf<ConnectionsCase>);

struct TableCase {
  const char* label;
  std::uint8_t choice;
  double value;
};

class ConnectionsBaseRate : public ::testing::TestWithParam<TableCase> {};

TEST_P(ConnectionsBaseRate, TypeGivesHandbookBaseRate) {
  CConnections x;
  x.TYPE = GetParam().choice;
  CCircHeader h = header(1, 25);
  x.Calculate(h);
  EXPECT_FLOAT_EQ(x.LB, static_cast<float>(GetParam().value));
  EXPECT_TRUE(near(x.FR, GetParam().value * 10));  // the default 10 connections at GB
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectionsBaseRate,
                         ::testing::Values(TableCase{"HandSolderNoWrapping", 1, 0.0013},
                                           TableCase{"HandSolderWrapping", 2, 0.00007}, TableCase{"Crimp", 3, 0.00026},
                                           TableCase{"Weld", 4, 0.000015}, TableCase{"SolderlessWrap", 5, 0.0000068},
                                           TableCase{"ClipTermination", 6, 0.00012},
                                           TableCase{"ReflowSolder", 7, 0.000069}, TableCase{"SpringContact", 8, 0.17},
                                           TableCase{"TerminalBlock", 9, 0.062}),
                         labelOf<TableCase>);

class ConnectionsEnvironmentFactor : public ::testing::TestWithParam<TableCase> {};

TEST_P(ConnectionsEnvironmentFactor, EnvironmentGivesHandbookFactor) {
  CConnections x;
  CCircHeader h = header(GetParam().choice, 25);
  x.Calculate(h);
  EXPECT_FLOAT_EQ(x.PIE, static_cast<float>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectionsEnvironmentFactor,
                         ::testing::Values(TableCase{"GB", 1, 1.0}, TableCase{"GF", 2, 2.0}, TableCase{"GM", 3, 7.0},
                                           TableCase{"NS", 4, 4.0}, TableCase{"NU", 5, 11}, TableCase{"AIC", 6, 4.0},
                                           TableCase{"AIF", 7, 6.0}, TableCase{"AUC", 8, 6.0}, TableCase{"AUF", 9, 8.0},
                                           TableCase{"ARW", 10, 16}, TableCase{"SF", 11, 0.5}, TableCase{"MF", 12, 9.0},
                                           TableCase{"ML", 13, 24}, TableCase{"CL", 14, 420}),
                         labelOf<TableCase>);

struct ConnectionsStoredCase {
  const char* label;
  std::uint8_t type, env;
  float count;
  double fr;
};

class ConnectionsStoredValues : public ::testing::TestWithParam<ConnectionsStoredCase> {};

TEST_P(ConnectionsStoredValues, ClampedAndFlagged) {
  const ConnectionsStoredCase& c = GetParam();
  CConnections x;
  x.TYPE = c.type;
  x.N = c.count;
  CCircHeader h = header(c.env, 25);
  x.Calculate(h);
  EXPECT_EQ(x.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(std::isfinite(x.FR));
  EXPECT_TRUE(near(x.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(Stored, ConnectionsStoredValues,
                         ::testing::Values(
                             // type 10 -> 9 terminal block: 0.062 x 10 = 0.62
                             ConnectionsStoredCase{"TypePastListBecomesTerminalBlock", 10, 1, 10, 0.62},
                             // type 0 -> 1: 0.0013 x 10 = 0.013
                             ConnectionsStoredCase{"TypeZeroBecomesHandSolder", 0, 1, 10, 0.013},
                             // environment 0 -> GB
                             ConnectionsStoredCase{"EnvironmentZero", 1, 0, 10, 0.013},
                             // count limited to 0..999999: 0.0013 x 999999 = 1299.9987
                             ConnectionsStoredCase{"HugeCount", 1, 1, 3e38f, 1299.9987},
                             ConnectionsStoredCase{"NegativeCount", 1, 1, -5, 0.0},
                             ConnectionsStoredCase{"CountNotANumber", 1, 1, kNaNf, 0.0}),
                         labelOf<ConnectionsStoredCase>);

TEST(ConnectionsLimits, AmbientAgainstTemperatureLimit) {
  CConnections x;
  x.TEMPLIMIT = 70.0f;
  CCircHeader h = header(1, 70);
  x.Calculate(h);
  EXPECT_EQ(x.OverFlags, 0u);
  h.TEMP = 70.25f;
  x.Calculate(h);
  EXPECT_EQ(x.OverFlags, static_cast<std::uint32_t>(OverTemp));
}

TEST(ConnectionsCircuitOnly, NoSurfaceMountStepAndNoHybridName) {
  CConnections x;
  x.IS_SMT = 1;
  x.SmtCalcFlag = 1;
  CCircHeader h = test::smtHeader(1, 25);
  x.Calculate(h);
  EXPECT_EQ(x.SmtCalcFlag, 0);
  EXPECT_EQ(x.GetTypeName(), "Connections");
  x.IS_HYBRID = 1;
  EXPECT_EQ(x.GetTypeName(), "*ERROR*");
}

TEST(ConnectionsImport, ReadsTypeAndCount) {
  ImportSetup s;
  s.map("CX_TYPE", 3, std::string("ReflowSolder"));
  s.map("CX_QTY", 4, 1234.0);
  CConnections x;
  ASSERT_TRUE(x.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(x.TYPE, 7);
  EXPECT_FLOAT_EQ(x.N, 1234.0f);

  // a count above the range is clamped and logged
  ImportSetup big;
  big.map("CX_TYPE", 3, std::string("Crimp"));
  big.map("CX_QTY", 4, 5e6);
  CConnections y;
  ASSERT_TRUE(y.ImportFields(big.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(y.N, 999999.0f);
  ASSERT_FALSE(big.log.empty());

  ImportSetup missing;
  std::erase_if(missing.kwds, [](const CKwd& k) { return k.name == "CX_QTY"; });
  CConnections z;
  EXPECT_FALSE(z.ImportFields(missing.reader, false, false, 25.0f));
}

TEST(ConnectionsCopyAndArchive, CopyRoundTripAndLayout) {
  registerMicroElectromechParts();
  CConnections a;
  a.PN = "WIRING";
  a.PART_TYPE = 506;
  a.TYPE = 8;
  a.N = 42.0f;
  a.LB = 0.17f;
  a.PIE = 16.0f;
  a.FR = 114.24f;
  CConnections b;
  b.CopyFrom(a);
  auto part = test::roundTrip(a);
  auto* c = dynamic_cast<CConnections*>(part.get());
  ASSERT_NE(c, nullptr);
  for (const CConnections* r : {&b, c}) {
    EXPECT_EQ(r->PN, "WIRING");
    EXPECT_EQ(r->PART_TYPE, 506);
    EXPECT_EQ(r->TYPE, 8);
    EXPECT_FLOAT_EQ(r->N, 42.0f);
    EXPECT_FLOAT_EQ(r->LB, 0.17f);
    EXPECT_FLOAT_EQ(r->PIE, 16.0f);
    EXPECT_FLOAT_EQ(r->FR, 114.24f);
  }
  // type byte, count, lambda_b, pi_E: 13 bytes
  const std::vector<std::uint8_t> bytes = test::ownBytes(a);
  ASSERT_EQ(bytes.size(), 13u);
  EXPECT_EQ(bytes[0], 8);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 1), 42.0f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 5), 0.17f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 9), 16.0f);
}

TEST(ConnectionsTextLines, DetailAndFactorLines) {
  CConnections x;
  x.N = 250;
  CCircHeader h = header(5, 25);
  x.Calculate(h);
  const test::Lines l = test::linesOf(x, "> ");
  // "%s%-21s  %-18s"
  EXPECT_EQ(l.detail1, "> HandSolder,NoWrapping  Connections:250   ");
  EXPECT_TRUE(l.detail2.empty());
  EXPECT_EQ(l.factors1, "> FR=    LB    *    N    *  PIE  *   PICF  ");
  // LB 0.001300 (8,6); N "%.0f" in 7; PIE 11.00 (5,2); CF 1.00000
  EXPECT_EQ(l.factors2, ">     0.001300   250       11.00   1.00000 ");
}

// ---- Circuit boards -----------------------------------------------------------

struct BoardCase {
  const char* label;
  std::uint8_t type;
  float layers, automated, hand;
  std::uint8_t quality, env;
  float cf;
  double lb, pic, piq, pie, fr;
  std::uint32_t flags;
};

class CircuitBoardFailureRate : public ::testing::TestWithParam<BoardCase> {};

TEST_P(CircuitBoardFailureRate, HolesWeightedByComplexity) {
  const BoardCase& c = GetParam();
  CCircuitBoard b;
  b.TYPE = c.type;
  b.LAYERS = c.layers;
  b.N1 = c.automated;
  b.N2 = c.hand;
  b.QU = c.quality;
  b.CF = c.cf;
  CCircHeader h = header(c.env, 45);
  b.Calculate(h);
  EXPECT_TRUE(near(b.LB, c.lb));
  EXPECT_TRUE(near(b.PIC, c.pic));
  EXPECT_TRUE(near(b.PIQ, c.piq));
  EXPECT_TRUE(near(b.PIE, c.pie));
  EXPECT_TRUE(near(b.FR, c.fr));
  EXPECT_FLOAT_EQ(b.T, 45.0f);
  EXPECT_FLOAT_EQ(b.S, -1.0f);
  EXPECT_EQ(b.OverFlags, c.flags);
}

// lambda_p = lambda_b x (N1 x pi_C + N2 x (pi_C + 13)) x pi_Q x pi_E x CF; pi_C = 0.65 x P^0.63 for a
// printed board of more than two layers.
INSTANTIATE_TEST_SUITE_P(
    Cases, CircuitBoardFailureRate,
    ::testing::Values(
        // 2 layers: pi_C = 1.0 (not 0.65 x 2^0.63); 0.000017 x 500 x 1 = 0.0085
        BoardCase{"TwoLayerPrintedBoardAtGroundBenign", 1, 2, 500, 0, 1, 1, 1, 0.000017, 1.0, 1, 1, 0.0085, 0u},
        BoardCase{"SingleLayerPrintedBoard", 1, 1, 500, 0, 1, 1, 1, 0.000017, 1.0, 1, 1, 0.0085, 0u},
        // 3 layers: 3^0.63 = exp(0.692126) = 1.997958, pi_C = 1.298673; 0.000017 x 1000 x 1.298673 = 0.0220774
        BoardCase{"ThreeLayersJustAboveTwo", 1, 3, 1000, 0, 1, 1, 1, 0.000017, 1.298673, 1, 1, 0.0220774, 0u},
        // 8 layers: 8^0.63 = exp(1.310048) = 3.706352, pi_C = 2.409129; lower 2; AUF 28;
        // 0.000017 x (1000 x 2.409129 + 20 x 15.409129) x 2 x 28 = 0.000017 x 2717.312 x 56 = 2.586881
        BoardCase{"EightLayersWithHandHolesLowerQuality", 1, 8, 1000, 20, 2, 9, 1, 0.000017, 2.409129, 2, 28,
                  2.586881, 0u},
        // 18 layers, the model's last: 18^0.63 = exp(1.820934) = 6.177627, pi_C = 4.015458;
        // 0.000017 x 100 x 4.015458 x GM 7 x CF 2 = 0.0955679
        BoardCase{"EighteenLayersStillInRange", 1, 18, 100, 0, 1, 3, 2, 0.000017, 4.015458, 1, 7, 0.0955679, 0u},
        // 19 layers: computed (19^0.63 = 6.391676, pi_C = 4.154590) and flagged;
        // 0.000017 x 100 x 4.154590 = 0.0070628
        BoardCase{"NineteenLayersFlagged", 1, 19, 100, 0, 1, 1, 1, 0.000017, 4.154590, 1, 1, 0.0070628,
                  EntryOverRange},
        // discrete wiring, 2 layers: 0.00011 x (100 + 10 x 14) x NS 5 = 0.00011 x 240 x 5 = 0.132
        BoardCase{"DiscreteWiringTwoLayers", 2, 2, 100, 10, 1, 4, 1, 0.00011, 1.0, 1, 5, 0.132, 0u},
        // discrete wiring, 3 layers: flagged, pi_C stays 1; 0.00011 x 100 x CL 500 = 5.5
        BoardCase{"DiscreteWiringThreeLayersFlagged", 2, 3, 100, 0, 1, 14, 1, 0.00011, 1.0, 1, 500, 5.5,
                  EntryOverRange},
        // no holes: 0 (pi_C of 4 layers: 4^0.63 = exp(0.873365) = 2.394957, 0.65 x 2.394957 = 1.556722)
        BoardCase{"NoHoles", 1, 4, 0, 0, 2, 10, 1, 0.000017, 1.556722, 2, 19, 0.0, 0u}),
    labelOf<BoardCase>);

TEST(CircuitBoardFailureRate, HandHoleCountsFourteenAutomatedHoles) {
  CCircuitBoard automated;
  automated.N1 = 14;
  CCircuitBoard hand;
  hand.N1 = 0;
  hand.N2 = 1;
  CCircHeader h = header(1, 25);
  automated.Calculate(h);
  hand.Calculate(h);
  EXPECT_TRUE(near(hand.FR, automated.FR, 1e-6));
  EXPECT_TRUE(near(hand.FR, 0.000238));  // 0.000017 x 1 x (1 + 13)
}

class CircuitBoardEnvironmentFactor : public ::testing::TestWithParam<TableCase> {};

TEST_P(CircuitBoardEnvironmentFactor, EnvironmentGivesHandbookFactor) {
  CCircuitBoard b;
  CCircHeader h = header(GetParam().choice, 25);
  b.Calculate(h);
  EXPECT_FLOAT_EQ(b.PIE, static_cast<float>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Table, CircuitBoardEnvironmentFactor,
                         ::testing::Values(TableCase{"GB", 1, 1.0}, TableCase{"GF", 2, 2.0}, TableCase{"GM", 3, 7.0},
                                           TableCase{"NS", 4, 5.0}, TableCase{"NU", 5, 13}, TableCase{"AIC", 6, 5.0},
                                           TableCase{"AIF", 7, 8.0}, TableCase{"AUC", 8, 16}, TableCase{"AUF", 9, 28},
                                           TableCase{"ARW", 10, 19}, TableCase{"SF", 11, 0.5}, TableCase{"MF", 12, 10},
                                           TableCase{"ML", 13, 27}, TableCase{"CL", 14, 500}),
                         labelOf<TableCase>);

struct BoardStoredCase {
  const char* label;
  std::uint8_t type, quality;
  float layers, automated;
  double fr;
};

class CircuitBoardStoredValues : public ::testing::TestWithParam<BoardStoredCase> {};

TEST_P(CircuitBoardStoredValues, ClampedAndFlagged) {
  const BoardStoredCase& c = GetParam();
  CCircuitBoard b;
  b.TYPE = c.type;
  b.QU = c.quality;
  b.LAYERS = c.layers;
  b.N1 = c.automated;
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  EXPECT_EQ(b.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(std::isfinite(b.FR));
  EXPECT_TRUE(near(b.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(Stored, CircuitBoardStoredValues,
                         ::testing::Values(
                             // type 3 -> 2 discrete wiring: 0.00011 x 500 = 0.055 (2 layers)
                             BoardStoredCase{"TypePastListBecomesDiscreteWiring", 3, 1, 2, 500, 0.055},
                             // quality 0 -> MIL
                             BoardStoredCase{"QualityZeroBecomesMil", 1, 0, 2, 500, 0.0085},
                             // layers limited to 99: 99^0.63 = 18.082154, pi_C = 11.753400;
                             // 0.000017 x 500 x 11.753400 = 0.0999039
                             BoardStoredCase{"HugeLayerCount", 1, 1, 3e38f, 500, 0.0999039},
                             // layers 0 -> 1: pi_C 1
                             BoardStoredCase{"ZeroLayers", 1, 1, 0, 500, 0.0085},
                             BoardStoredCase{"LayersNotANumber", 1, 1, kNaNf, 500, 0.0085},
                             // holes limited to 999999: 0.000017 x 999999 = 16.999983
                             BoardStoredCase{"HugeHoleCount", 1, 1, 2, 3e38f, 16.999983}),
                         labelOf<BoardStoredCase>);

TEST(CircuitBoardStoredValues, NormalizeClampsChoices) {
  CCircuitBoard b;
  b.TYPE = 0;
  b.QU = 3;
  b.normalizeChoices();
  EXPECT_EQ(b.TYPE, 1);
  EXPECT_EQ(b.QU, 2);
  EXPECT_EQ(b.OverFlags & EntryOverRange, EntryOverRange);
  CConnections x;
  x.TYPE = 12;
  x.normalizeChoices();
  EXPECT_EQ(x.TYPE, 9);
  EXPECT_EQ(x.OverFlags & EntryOverRange, EntryOverRange);
  CCircuitBoard valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

TEST(CircuitBoardCircuitOnly, NoSurfaceMountStepAndNoHybridName) {
  CCircuitBoard b;
  b.IS_SMT = 1;
  b.SmtCalcFlag = 1;
  CCircHeader h = test::smtHeader(1, 25);
  b.Calculate(h);
  EXPECT_EQ(b.SmtCalcFlag, 0);
  EXPECT_EQ(b.GetTypeName(), "CircuitBoard");
  b.IS_HYBRID = 1;
  EXPECT_EQ(b.GetTypeName(), "*ERROR*");
}

TEST(CircuitBoardWhatIf, QualityWithinOneToTwo) {
  CCircuitBoard b;
  WhatIfSettings s;
  s.qualityMode = Decrease;
  s.qualityLevel = 4;
  b.ApplyWhatIf(s);
  EXPECT_EQ(b.QU, 2);
  s.qualityMode = Increase;
  s.qualityLevel = 1;
  b.ApplyWhatIf(s);
  EXPECT_EQ(b.QU, 1);
  s.qualityMode = SetDirect;
  s.qualityLevel = 7;
  b.ApplyWhatIf(s);
  EXPECT_EQ(b.QU, 2);
}

TEST(CircuitBoardImport, ReadsInKeywordOrder) {
  ImportSetup s;
  s.map("BD_TYPE", 3, std::string("DiscreteWiring,w/PTH"));
  s.map("BD_LAYERS", 4, 2.0);
  s.map("BD_QU", 5, std::string("Lower"));
  s.map("BD_AUTOHOLES", 6, 1500.0);
  s.map("BD_HANDHOLES", 7, 35.0);
  CCircuitBoard b;
  ASSERT_TRUE(b.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(b.TYPE, 2);
  EXPECT_FLOAT_EQ(b.LAYERS, 2.0f);
  EXPECT_EQ(b.QU, 2);
  EXPECT_FLOAT_EQ(b.N1, 1500.0f);
  EXPECT_FLOAT_EQ(b.N2, 35.0f);

  // layers outside 1..99 are clamped with a log line; a missing keyword stops the import
  ImportSetup t;
  t.map("BD_LAYERS", 4, 150.0);
  std::erase_if(t.kwds, [](const CKwd& k) { return k.name == "BD_AUTOHOLES"; });
  CCircuitBoard c;
  EXPECT_FALSE(c.ImportFields(t.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(c.LAYERS, 99.0f);
  EXPECT_FLOAT_EQ(c.N2, 0.0f);
  EXPECT_EQ(t.log.back(), "   ...Error: keyword not found ('BD_AUTOHOLES').");
}

TEST(CircuitBoardCopyAndArchive, CopyRoundTripAndLayout) {
  registerMicroElectromechParts();
  CCircuitBoard a;
  a.PN = "PWB-1";
  a.PART_TYPE = 505;
  a.TYPE = 1;
  a.LAYERS = 12.0f;
  a.N1 = 2400.0f;
  a.N2 = 16.0f;
  a.QU = 2;
  a.LB = 0.000017f;
  a.PIC = 3.1f;
  a.PIQ = 2.0f;
  a.PIE = 19.0f;
  CCircuitBoard b;
  b.CopyFrom(a);
  auto part = test::roundTrip(a);
  auto* c = dynamic_cast<CCircuitBoard*>(part.get());
  ASSERT_NE(c, nullptr);
  for (const CCircuitBoard* r : {&b, c}) {
    EXPECT_EQ(r->PN, "PWB-1");
    EXPECT_EQ(r->TYPE, 1);
    EXPECT_FLOAT_EQ(r->LAYERS, 12.0f);
    EXPECT_FLOAT_EQ(r->N1, 2400.0f);
    EXPECT_FLOAT_EQ(r->N2, 16.0f);
    EXPECT_EQ(r->QU, 2);
    EXPECT_FLOAT_EQ(r->LB, 0.000017f);
    EXPECT_FLOAT_EQ(r->PIC, 3.1f);
    EXPECT_FLOAT_EQ(r->PIQ, 2.0f);
    EXPECT_FLOAT_EQ(r->PIE, 19.0f);
  }
  // type byte, layers, N1, N2, quality byte, four factors: 1 + 12 + 1 + 16 = 30 bytes
  const std::vector<std::uint8_t> bytes = test::ownBytes(a);
  ASSERT_EQ(bytes.size(), 30u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 1), 12.0f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 5), 2400.0f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 9), 16.0f);
  EXPECT_EQ(bytes[13], 2);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 14), 0.000017f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 18), 3.1f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 22), 2.0f);
  EXPECT_FLOAT_EQ(test::floatAt(bytes, 26), 19.0f);

  CMisc misc;
  misc.PN = "MISC";
  b.CopyFrom(misc);
  EXPECT_EQ(b.PN, "MISC");
  EXPECT_FLOAT_EQ(b.N1, 2400.0f);
}

TEST(CircuitBoardTextLines, DetailAndFactorLines) {
  CCircuitBoard b;  // printed, 2 layers, 500 automated holes, at GB
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  const test::Lines l = test::linesOf(b);
  // "%s%-20s  %-9s  %-8s  %-27s %-22s"
  EXPECT_EQ(l.detail1,
            "PrintedCircuit,w/PTH  Layers:2   Qu:MIL    AutomatedSolderHoles:500    HandSolderHoles:0     ");
  EXPECT_TRUE(l.detail2.empty());
  EXPECT_EQ(l.factors1,
            "FR=    LB    * PIQ *  PIE  * (   N1   * (   PIC   ) +   N2   * (   PIC    + 13 ) ) *   PICF  ");
  // LB 0.000017 (8,6); PIQ 1.0; PIE 1.00; N1 500 in 6; PIC 1.00000 (8,6 capped at 5); N2 0; PIC; CF
  EXPECT_EQ(l.factors2,
            "    0.000017   1.0   1.00      500        1.00000     0          1.00000             1.00000 ");
}

struct LineCase {
  const char* label;
  float value;
  std::size_t prefixLength;
};

class InterconnectTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(InterconnectTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  const std::string prefix(c.prefixLength, '>');
  CCircuitBoard b;
  b.LAYERS = b.N1 = b.N2 = b.CF = b.LB = b.PIC = b.PIQ = b.PIE = c.value;
  CConnections x;
  x.N = x.CF = x.LB = x.PIE = c.value;
  for (const CPart* part : {static_cast<const CPart*>(&b), static_cast<const CPart*>(&x)}) {
    const test::Lines l = test::linesOf(*part, prefix);
    EXPECT_LE(l.detail1.size(), 132u);
    EXPECT_LE(l.detail2.size(), 132u);
    EXPECT_LE(l.factors1.size(), 132u);
    EXPECT_LE(l.factors2.size(), 132u);
    EXPECT_FALSE(l.factors2.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, InterconnectTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 3e38f, 0}, LineCase{"NegativeHuge", -3e38f, 0},
                                           LineCase{"NotANumber", kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 3e38f, 200},
                                           LineCase{"OrdinaryValuesLongPrefix", 1.0f, 131}),
                         labelOf<LineCase>);

TEST(InterconnectPages, FieldsInPageOrder) {
  CCircuitBoard b;
  test::RecordingVisitor v;
  b.paramPage(v);
  const std::vector<std::string> board = {"BD_TYPE", "BD_LAYERS", "BD_QU", "BD_AUTOHOLES", "BD_HANDHOLES"};
  EXPECT_EQ(v.keywords(), board);
  for (const test::SeenField& f : v.seen) EXPECT_TRUE(f.applies) << f.keyword;

  CConnections x;
  test::RecordingVisitor w;
  x.paramPage(w);
  const std::vector<std::string> connections = {"CX_TYPE", "CX_QTY"};
  EXPECT_EQ(w.keywords(), connections);
  EXPECT_DOUBLE_EQ(w.find("CX_QTY")->hi, 999999.0);
}

}  // namespace
}  // namespace kestrel
