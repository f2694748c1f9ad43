#include "models/micro_electromech/connector.hpp"

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

// ---- Connectors against hand-worked handbook values --------------------------

struct ConnectorCase {
  const char* label;
  std::uint8_t family, type, gauge;
  float amps;
  std::uint8_t cycle, quality, env;
  float ambient, trise, cf;
  double lb, to, pit, pik, piq, pie, fr;
};

class ConnectorFailureRate : public ::testing::TestWithParam<ConnectorCase> {};

TEST_P(ConnectorFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const ConnectorCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  k.TYPE = c.type;
  k.GAUGE = c.gauge;
  k.AMPS = c.amps;
  k.CYCLE = c.cycle;
  k.QU = c.quality;
  k.TRISE = c.trise;
  k.CF = c.cf;
  k.QTY = 3;
  CCircHeader h = header(c.env, c.ambient);
  k.Calculate(h);
  EXPECT_TRUE(near(k.LB, c.lb));
  EXPECT_TRUE(near(k.T, c.to, 1e-6));
  EXPECT_TRUE(near(k.PIT, c.pit));
  EXPECT_TRUE(near(k.PIK, c.pik));
  EXPECT_TRUE(near(k.PIQ, c.piq));
  EXPECT_TRUE(near(k.PIE, c.pie));
  EXPECT_FLOAT_EQ(k.PIP, 1.0f);
  EXPECT_TRUE(near(k.FR, c.fr));
  EXPECT_FLOAT_EQ(k.S, -1.0f);
  EXPECT_EQ(k.OverFlags, 0u);
}

// pi_T = exp(1624.695 x (1/298 - 1/(To + 273))); every connector rate is half the product of its factors
// (one connector of a mated pair).
INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectorFailureRate,
    ::testing::Values(
        // Circular, 20 GA at 1 A: dT = 0.64 x 1^1.85 = 0.64; To = 25.64; 1/298 - 1/298.64 = 7.19144e-6;
        // pi_T = exp(0.0116839) = 1.011752; >0.5-5 cycles 2.0; MIL; GB;
        // FR = 0.001 x 1.011752 x 2 x 1 x 1 x 0.5 = 0.00101175
        ConnectorCase{"CircularTwentyGaugeAtOneAmp", 1, 1, 6, 1, 3, 1, 1, 25, 0, 1, 0.001, 25.64, 1.011752, 2, 1,
                      1, 0.00101175},
        // Rectangular, 22 GA at 5 A: 5^1.85 = exp(2.977460) = 19.63788, dT = 0.989 x 19.63788 = 19.42186;
        // To = 40 + 10 + 19.42186 = 69.42186; 1/298 - 1/342.42186 = 0.00043533; pi_T = exp(0.707273)
        // = 2.028465; >50 cycles 4.0; lower 2; AIF 5; FR = 0.046 x 2.028465 x 4 x 2 x 5 x 0.5 = 1.866188
        ConnectorCase{"RectangularHotContactsLowerQuality", 3, 1, 5, 5, 5, 2, 7, 40, 10, 1, 0.046, 69.42186,
                      2.028465, 4, 2, 5, 1.866188},
        // High-power coaxial: dT = 50; To = 25 + 5 + 50 = 80; 1/298 - 1/353 = 0.00052284;
        // pi_T = exp(0.849458) = 2.338387; 0-0.05 cycles 1.0; CL 490;
        // FR = 0.00041 x 2.338387 x 1 x 1 x 490 x 0.5 = 0.234891
        ConnectorCase{"HighPowerCoaxialAddsFiftyDegrees", 8, 2, 6, 0.1f, 1, 1, 14, 25, 5, 1, 0.00041, 80, 2.338387,
                      1, 1, 490, 0.234891},
        // Low-power triaxial: dT = 5; To = 30; 1/298 - 1/303 = 5.53747e-5; pi_T = exp(0.0899670)
        // = 1.094138; >0.05-0.5 cycles 1.5; lower 2; NU 13; CF 2 (QTY 3 not applied):
        // FR = 0.0036 x 1.094138 x 1.5 x 2 x 13 x 2 x 0.5 = 0.153617
        ConnectorCase{"LowPowerTriaxialWithCorrectionFactor", 9, 1, 6, 0.1f, 2, 2, 5, 25, 0, 2, 0.0036, 30,
                      1.094138, 1.5, 2, 13, 0.153617},
        // Hexagonal, 12 GA at 40 A: 40^1.85 = exp(6.824427) = 920.0491, dT = 0.1 x 920.0491 = 92.00491;
        // To = 117.00491; 1/298 - 1/390.00491 = 0.00079163; pi_T = exp(1.286172) = 3.618880;
        // >5-50 cycles 3.0; ARW 19; FR = 0.15 x 3.618880 x 3 x 1 x 19 x 0.5 = 15.47071
        ConnectorCase{"HexagonalHeaviestCurrent", 2, 1, 9, 40, 4, 1, 10, 25, 0, 1, 0.15, 117.00491, 3.618880, 3, 1,
                      19, 15.47071},
        // Card edge, the default 20 GA at 0.1 A: 0.1^1.85 = 0.0141254, dT = 0.64 x 0.0141254 = 0.0090402;
        // pi_T = exp(1624.695 x 0.0090402 / (298 x 298.00904)) = exp(0.000165) = 1.000165; SF 0.5;
        // FR = 0.04 x 1.000165 x 2 x 1 x 0.5 x 0.5 = 0.0200033
        ConnectorCase{"CardEdgeDefaultCurrent", 5, 1, 6, 0.1f, 3, 1, 11, 25, 0, 1, 0.04, 25.0090402, 1.000165, 2, 1,
                      0.5, 0.0200033},
        // Power connector without current: dT = 0, To = 25, pi_T = 1; FR = 0.007 x 2 x 8 x 0.5 = 0.056
        ConnectorCase{"PowerWithoutCurrent", 6, 1, 1, 0, 3, 1, 3, 25, 0, 1, 0.007, 25, 1, 2, 1, 8, 0.056}),
    labelOf<ConnectorCase>);

TEST(ConnectorFailureRate, RateIsHalfTheDisplayedProduct) {
  // Every connector of families 1..9 carries half of the mated pair's rate.
  for (std::uint8_t family = 1; family <= 9; ++family) {
    CConnector k;
    k.FAMILY = family;
    k.QU = 2;
    CCircHeader h = header(6, 40);
    k.Calculate(h);
    const double product = static_cast<double>(k.LB) * k.PIT * k.PIK * k.PIQ * k.PIE * k.CF;
    EXPECT_TRUE(near(k.FR, 0.5 * product)) << "family " << int(family);
  }
}

// ---- Tables ------------------------------------------------------------------

struct TableCase {
  const char* label;
  std::uint8_t choice;
  double value;
};

class ConnectorBaseRate : public ::testing::TestWithParam<TableCase> {};

TEST_P(ConnectorBaseRate, FamilyGivesHandbookBaseRate) {
  CConnector k;
  k.FAMILY = GetParam().choice;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_FLOAT_EQ(k.LB, static_cast<float>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectorBaseRate,
                         ::testing::Values(TableCase{"Circular", 1, 0.001}, TableCase{"Hexagonal", 2, 0.15},
                                           TableCase{"Rectangular", 3, 0.046}, TableCase{"RackAndPanel", 4, 0.021},
                                           TableCase{"CardEdge", 5, 0.04}, TableCase{"Power", 6, 0.007},
                                           TableCase{"Telephone", 7, 0.0075}, TableCase{"Coaxial", 8, 0.00041},
                                           TableCase{"Triaxial", 9, 0.0036}),
                         labelOf<TableCase>);

class ConnectorGaugeRise : public ::testing::TestWithParam<TableCase> {};

TEST_P(ConnectorGaugeRise, OneAmpAddsTheGaugeFactor) {
  // at 1 A, dT = g x 1^1.85 = g, so To = 25 + g
  CConnector k;
  k.GAUGE = GetParam().choice;
  k.AMPS = 1.0f;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_TRUE(near(k.T, 25.0 + GetParam().value, 1e-6));
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectorGaugeRise,
                         ::testing::Values(TableCase{"Gauge32", 1, 3.256}, TableCase{"Gauge30", 2, 2.856},
                                           TableCase{"Gauge28", 3, 2.286}, TableCase{"Gauge24", 4, 1.345},
                                           TableCase{"Gauge22", 5, 0.989}, TableCase{"Gauge20", 6, 0.64},
                                           TableCase{"Gauge18", 7, 0.429}, TableCase{"Gauge16", 8, 0.274},
                                           TableCase{"Gauge12", 9, 0.1}),
                         labelOf<TableCase>);

class ConnectorMatingFactor : public ::testing::TestWithParam<TableCase> {};

TEST_P(ConnectorMatingFactor, CycleRateGivesHandbookFactor) {
  CConnector k;
  k.CYCLE = GetParam().choice;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_FLOAT_EQ(k.PIK, static_cast<float>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectorMatingFactor,
                         ::testing::Values(TableCase{"UpTo005", 1, 1.0}, TableCase{"UpTo05", 2, 1.5},
                                           TableCase{"UpTo5", 3, 2.0}, TableCase{"UpTo50", 4, 3.0},
                                           TableCase{"Above50", 5, 4.0}),
                         labelOf<TableCase>);

struct EnvCase {
  const char* label;
  std::uint8_t family, env;
  double pie;
};

class ConnectorEnvironmentFactor : public ::testing::TestWithParam<EnvCase> {};

TEST_P(ConnectorEnvironmentFactor, EnvironmentGivesHandbookFactor) {
  const EnvCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  CCircHeader h = header(c.env, 25);
  k.Calculate(h);
  EXPECT_FLOAT_EQ(k.PIE, static_cast<float>(c.pie));
  EXPECT_EQ(k.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectorEnvironmentFactor,
    ::testing::Values(EnvCase{"ConnectorGB", 1, 1, 1.0}, EnvCase{"ConnectorGF", 1, 2, 1.0},
                      EnvCase{"ConnectorGM", 1, 3, 8.0}, EnvCase{"ConnectorNS", 1, 4, 5.0},
                      EnvCase{"ConnectorNU", 1, 5, 13}, EnvCase{"ConnectorAIC", 1, 6, 3.0},
                      EnvCase{"ConnectorAIF", 1, 7, 5.0}, EnvCase{"ConnectorAUC", 1, 8, 8.0},
                      EnvCase{"ConnectorAUF", 1, 9, 12}, EnvCase{"ConnectorARW", 1, 10, 19},
                      EnvCase{"ConnectorSF", 1, 11, 0.5}, EnvCase{"ConnectorMF", 1, 12, 10},
                      EnvCase{"ConnectorML", 1, 13, 27}, EnvCase{"ConnectorCL", 1, 14, 490},
                      EnvCase{"SocketGB", 10, 1, 1.0}, EnvCase{"SocketGF", 10, 2, 3.0}, EnvCase{"SocketGM", 10, 3, 14},
                      EnvCase{"SocketNS", 10, 4, 6.0}, EnvCase{"SocketNU", 10, 5, 18}, EnvCase{"SocketAIC", 10, 6, 8.0},
                      EnvCase{"SocketAIF", 10, 7, 12}, EnvCase{"SocketAUC", 10, 8, 11},
                      EnvCase{"SocketAUF", 10, 9, 13}, EnvCase{"SocketARW", 10, 10, 25},
                      EnvCase{"SocketSF", 10, 11, 0.5}, EnvCase{"SocketMF", 10, 12, 14},
                      EnvCase{"SocketML", 10, 13, 36}, EnvCase{"SocketCL", 10, 14, 650}),
    labelOf<EnvCase>);

// ---- Sockets -----------------------------------------------------------------

struct SocketCase {
  const char* label;
  std::uint8_t type;
  float pins;
  std::uint8_t quality, env;
  float cf;
  double lb, pip, piq, pie, fr;
};

class ConnectorSocketRate : public ::testing::TestWithParam<SocketCase> {};

TEST_P(ConnectorSocketRate, FactorsAndRateMatchHandWorkedValues) {
  const SocketCase& c = GetParam();
  CConnector k;
  k.FAMILY = 10;
  k.TYPE = c.type;
  k.PINS = c.pins;
  k.QU = c.quality;
  k.CF = c.cf;
  k.TRISE = 40.0f;  // not a socket field
  k.AMPS = 30.0f;   // nor this
  CCircHeader h = header(c.env, 45);
  k.Calculate(h);
  EXPECT_TRUE(near(k.LB, c.lb));
  EXPECT_TRUE(near(k.PIP, c.pip));
  EXPECT_TRUE(near(k.PIQ, c.piq));
  EXPECT_TRUE(near(k.PIE, c.pie));
  EXPECT_FLOAT_EQ(k.PIT, 1.0f);
  EXPECT_FLOAT_EQ(k.PIK, 1.0f);
  EXPECT_TRUE(near(k.FR, c.fr));
  EXPECT_FLOAT_EQ(k.T, 45.0f);  // the ambient
  EXPECT_EQ(k.OverFlags, 0u);
}

// pi_P = exp(((N - 1) / 10)^0.39); no half factor for sockets.
INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectorSocketRate,
    ::testing::Values(
        // DIP with 11 pins: exp(1^0.39) = e; MIL 0.3; GB: 0.00064 x 2.718282 x 0.3 = 0.00052191
        SocketCase{"DipElevenPinsIsE", 1, 11, 1, 1, 1, 0.00064, 2.718282, 0.3, 1, 0.00052191},
        // PGA with one pin: exp(0) = 1; lower 1.0; AIF 12: 0.00064 x 12 = 0.00768
        SocketCase{"PgaOnePinIsOne", 4, 1, 2, 7, 1, 0.00064, 1.0, 1.0, 12, 0.00768},
        // relay socket, 21 pins: 2^0.39 = 1.310393, exp(1.310393) = 3.707632; lower; GM 14:
        // 0.037 x 3.707632 x 1 x 14 = 1.920553
        SocketCase{"RelaySocketTwentyOnePins", 5, 21, 2, 3, 1, 0.037, 3.707632, 1.0, 14, 1.920553},
        // tube socket, 37 pins: 3.6^0.39 = exp(0.499564) = 1.648003, exp(1.648003) = 5.196591; MIL 0.3;
        // CL 650; CF 0.5: 0.011 x 5.196591 x 0.3 x 650 x 0.5 = 5.573344
        SocketCase{"TubeSocketAtCannonLaunch", 7, 37, 1, 14, 0.5f, 0.011, 5.196591, 0.3, 650, 5.573344},
        // transistor socket, 3 pins: 0.2^0.39 = exp(0.39 x -1.609438) = exp(-0.627681) = 0.533828,
        // exp(0.533828) = 1.705449; MIL; NS 6: 0.0051 x 1.705449 x 0.3 x 6 = 0.0156560
        SocketCase{"TransistorSocketThreePins", 6, 3, 1, 4, 1, 0.0051, 1.705449, 0.3, 6, 0.0156560}),
    labelOf<SocketCase>);

class ConnectorSocketBaseRate : public ::testing::TestWithParam<TableCase> {};

TEST_P(ConnectorSocketBaseRate, SocketTypeGivesHandbookBaseRate) {
  CConnector k;
  k.FAMILY = 10;
  k.TYPE = GetParam().choice;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_FLOAT_EQ(k.LB, static_cast<float>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectorSocketBaseRate,
                         ::testing::Values(TableCase{"Dip", 1, 0.00064}, TableCase{"Sip", 2, 0.00064},
                                           TableCase{"ChipCarrier", 3, 0.00064}, TableCase{"Pga", 4, 0.00064},
                                           TableCase{"Relay", 5, 0.037}, TableCase{"Transistor", 6, 0.0051},
                                           TableCase{"TubeCrt", 7, 0.011}),
                         labelOf<TableCase>);

// ---- Limits, hybrid parts, surface mounting ---------------------------------------

struct LimitCase {
  const char* label;
  std::uint8_t family;
  float trise, tempLimit;
  std::uint32_t flags;
};

class ConnectorLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ConnectorLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  k.TYPE = 1;  // coaxial low power: dT 5
  k.TRISE = c.trise;
  k.TEMPLIMIT = c.tempLimit;
  k.STRESSLIMIT = 0.0f;  // no stress figure: never OverStress
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_EQ(k.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ConnectorLimitFlags,
                         ::testing::Values(
                             // 25 + 20 + 5 = 50
                             LimitCase{"ContactTemperatureEqualToLimit", 8, 20, 50, 0u},
                             LimitCase{"ContactTemperatureJustAboveLimit", 8, 20.25f, 50, OverTemp},
                             // sockets run at the ambient
                             LimitCase{"SocketIgnoresRise", 10, 100, 25, 0u},
                             LimitCase{"SocketAmbientAboveLimit", 10, 0, 24.75f, OverTemp}),
                         labelOf<LimitCase>);

TEST(ConnectorHybridPart, QualityAndEnvironmentFactorsAreOne) {
  // Lower-quality circular connector at CL in a hybrid: FR = 0.001 x pi_T x 2 x 0.5; at 25 C with
  // 0 A: pi_T = 1, FR = 0.001
  CConnector k;
  k.IS_HYBRID = 1;
  k.QU = 2;
  k.AMPS = 0.0f;
  CCircHeader h = header(14, 25);
  k.Calculate(h);
  EXPECT_FLOAT_EQ(k.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(k.PIE, 1.0f);
  EXPECT_TRUE(near(k.FR, 0.001));
  EXPECT_EQ(k.GetTypeName(), "Connector(Hyb)");
  EXPECT_EQ(CConnector{}.GetTypeName(), "Connector");

  CConnector socket;
  socket.IS_HYBRID = 1;
  socket.FAMILY = 10;
  socket.PINS = 1;
  socket.QU = 2;
  socket.Calculate(h);
  EXPECT_TRUE(near(socket.FR, 0.00064));  // 0.00064 x 1 x 1 x 1
}

struct SmtCase {
  const char* label;
  std::uint8_t family, triseMode;
  bool hybrid;
  std::uint16_t calculated;
  float smtRise;
};

class ConnectorSurfaceMount : public ::testing::TestWithParam<SmtCase> {};

TEST_P(ConnectorSurfaceMount, DefaultRiseIsTheInsertRise) {
  const SmtCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  k.TYPE = 2;
  k.AMPS = 1.0f;  // 20 GA: dT 0.64
  k.TRISE = 10.0f;
  k.IS_HYBRID = c.hybrid ? 1 : 0;
  k.IS_SMT = 1;
  k.SMT_TRISEMODE = c.triseMode;
  k.SMT_TEMPRISE = 3.0f;
  CCircHeader h = test::smtHeader(1, 25);
  k.Calculate(h);
  EXPECT_EQ(k.SmtCalcFlag, c.calculated);
  EXPECT_TRUE(near(k.SMT_TEMPRISE, c.smtRise, 1e-6));
}

INSTANTIATE_TEST_SUITE_P(Cases, ConnectorSurfaceMount,
                         ::testing::Values(
                             // the entered rise of 10 is not included
                             SmtCase{"CircularTakesContactRise", 1, 1, false, 1, 0.64f},
                             SmtCase{"HighPowerCoaxialTakesFifty", 8, 1, false, 1, 50.0f},
                             SmtCase{"DipSocketTakesZero", 10, 1, false, 1, 0.0f},
                             SmtCase{"ManualKeepsEnteredRise", 1, 2, false, 1, 3.0f},
                             SmtCase{"HybridNeverRuns", 1, 1, true, 0, 3.0f}),
                         labelOf<SmtCase>);

// ---- Family changes and stored values outside their lists ------------------------

TEST(ConnectorFamilyChange, SocketToCoaxialClampsType) {
  // "Relay" socket (5 of 7) becomes a coaxial connector with 2 types: "HighPower", dT 50.
  CConnector k;
  k.FAMILY = 10;
  k.TYPE = 5;
  k.normalizeChoices();
  EXPECT_EQ(k.OverFlags, 0u);
  k.FAMILY = 8;
  k.normalizeChoices();
  EXPECT_EQ(k.TYPE, 2);
  EXPECT_EQ(k.OverFlags & EntryOverRange, EntryOverRange);
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_FLOAT_EQ(k.T, 75.0f);
  EXPECT_EQ(k.OverFlags, 0u);
}

TEST(ConnectorFamilyChange, CalculateNeverReadsPastTheTypeTables) {
  // type 7 "Tube/CRT" stored on a triaxial connector: limited to 2 "HighPower": To = 25 + 50 = 75
  CConnector k;
  k.FAMILY = 9;
  k.TYPE = 7;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_EQ(k.TYPE, 2);
  EXPECT_FLOAT_EQ(k.T, 75.0f);
  EXPECT_EQ(k.OverFlags & EntryOverRange, EntryOverRange);

  // type 0 on a socket: limited to 1 "DIP"
  CConnector s;
  s.FAMILY = 10;
  s.TYPE = 0;
  s.Calculate(h);
  EXPECT_EQ(s.TYPE, 1);
  EXPECT_FLOAT_EQ(s.LB, 0.00064f);
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(ConnectorFamilyChange, PageRefillsTypeList) {
  CConnector k;
  k.FAMILY = 10;
  k.TYPE = 7;
  k.FAMILY = 9;
  test::RecordingVisitor v;
  k.paramPage(v);
  EXPECT_EQ(k.TYPE, 2);
  EXPECT_EQ(v.find("CONN_TYPE")->choiceCount, 2u);
  EXPECT_TRUE(v.find("CONN_TYPE")->applies);
  EXPECT_EQ(k.OverFlags, 0u);

  k.FAMILY = 4;  // rack and panel: no type
  test::RecordingVisitor w;
  k.paramPage(w);
  EXPECT_FALSE(w.find("CONN_TYPE")->applies);
  EXPECT_EQ(k.TYPE, 2);
}

TEST(ConnectorStoredChoices, NormalizeClampsEveryChoice) {
  CConnector k;
  k.FAMILY = 11;
  k.TYPE = 0;
  k.GAUGE = 10;
  k.QU = 0;
  k.CYCLE = 6;
  k.normalizeChoices();
  EXPECT_EQ(k.FAMILY, 10);
  EXPECT_EQ(k.TYPE, 1);
  EXPECT_EQ(k.GAUGE, 9);
  EXPECT_EQ(k.QU, 1);
  EXPECT_EQ(k.CYCLE, 5);
  EXPECT_EQ(k.OverFlags & EntryOverRange, EntryOverRange);

  CConnector valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

struct StoredCase {
  const char* label;
  std::uint8_t family, gauge, quality, cycle, env;
  double fr;
};

class ConnectorStoredChoices : public ::testing::TestWithParam<StoredCase> {};

TEST_P(ConnectorStoredChoices, ClampedAndFlaggedInCalculate) {
  const StoredCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  k.GAUGE = c.gauge;
  k.QU = c.quality;
  k.CYCLE = c.cycle;
  k.AMPS = 0.0f;  // pi_T = 1 at 25 C
  CCircHeader h = header(c.env, 25);
  k.Calculate(h);
  EXPECT_EQ(k.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(k.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, ConnectorStoredChoices,
    ::testing::Values(
        // family 0 -> 1 circular: 0.001 x 1 x 2 x 1 x 1 x 0.5 = 0.001
        StoredCase{"FamilyZeroBecomesCircular", 0, 6, 1, 3, 1, 0.001},
        // quality 9 -> lower 2: 0.002
        StoredCase{"QualityPastListBecomesLower", 1, 6, 9, 3, 1, 0.002},
        // cycle 0 -> 1 (1.0): 0.0005
        StoredCase{"CycleZeroBecomesLowest", 1, 6, 1, 0, 1, 0.0005},
        // environment 15 -> CL 490: 0.001 x 490 = 0.49
        StoredCase{"EnvironmentPastListBecomesCannonLaunch", 1, 6, 1, 3, 15, 0.49}),
    labelOf<StoredCase>);

TEST(ConnectorStoredChoices, GaugePastListBecomesTwelveGauge) {
  // gauge 200 -> 12 GA (0.1): at 1 A, To = 25.1
  CConnector k;
  k.GAUGE = 200;
  k.AMPS = 1.0f;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_EQ(k.GAUGE, 9);
  EXPECT_TRUE(near(k.T, 25.1, 1e-6));
  EXPECT_EQ(k.OverFlags & EntryOverRange, EntryOverRange);
}

struct ExtremeCase {
  const char* label;
  std::uint8_t family;
  float ambient, trise, amps, pins, cf;
  float expectedT;
};

class ConnectorExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(ConnectorExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  k.GAUGE = 1;
  k.TRISE = c.trise;
  k.AMPS = c.amps;
  k.PINS = c.pins;
  k.CF = c.cf;
  CCircHeader h = header(14, c.ambient);
  k.Calculate(h);
  EXPECT_TRUE(std::isfinite(k.FR));
  EXPECT_TRUE(std::isfinite(k.PIT));
  EXPECT_TRUE(std::isfinite(k.PIP));
  EXPECT_GE(k.FR, 0.0f);
  EXPECT_TRUE(near(k.T, c.expectedT, 1e-5));
  EXPECT_EQ(k.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, ConnectorExtremeValues,
    ::testing::Values(
        // 32 GA at 40 A (limited): dT = 3.256 x 920.0491 = 2995.680; with a rise limited to 150:
        // 25 + 150 + 2995.680 = 3170.680
        ExtremeCase{"HugeCurrentAndRise", 1, 25, 1e30f, 1e30f, 37, 1, 3170.680f},
        ExtremeCase{"NegativeCurrent", 1, 25, 0, -5, 37, 1, 25},
        ExtremeCase{"CurrentNotANumber", 1, 25, 0, kNaNf, 37, 1, 25},
        ExtremeCase{"RiseNotANumber", 1, 25, kNaNf, 0, 37, 1, 25},
        ExtremeCase{"AmbientBelowAbsoluteZero", 1, -400, 0, 0, 37, 1, -55},
        ExtremeCase{"CorrectionFactorNotANumber", 3, 25, 0, 0, 37, kNaNf, 25},
        // sockets: pins limited to 1..9999
        ExtremeCase{"SocketHugePins", 10, 25, 0, 0, 3e38f, 1, 25},
        ExtremeCase{"SocketZeroPins", 10, 25, 0, 0, 0, 1, 25},
        ExtremeCase{"SocketPinsNotANumber", 10, 25, 0, 0, kNaNf, 1, 25}),
    labelOf<ExtremeCase>);

TEST(ConnectorExtremeValues, MostPinsGiveLargestFactor) {
  // 9999 pins: (9998 / 10)^0.39 = 14.789930, exp(14.789930) = 2649629
  CConnector k;
  k.FAMILY = 10;
  k.PINS = 9999;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  EXPECT_TRUE(near(k.PIP, 2649629, 1e-3));
  EXPECT_EQ(k.OverFlags, 0u);
}

// ---- Import by keyword -------------------------------------------------------

void mapConnectorKeywords(ImportSetup& s, const char* family, const char* type) {
  s.map("CONN_FAMILY", 3, std::string(family));
  s.map("CONN_TYPE", 4, std::string(type));
  s.map("CONN_QU", 5, std::string("Lower"));
  s.map("CONN_PINS", 6, 64.0);
  s.map("CONN_GAUGE", 7, std::string("16 GA"));
  s.map("CONN_AMPS", 8, 7.5);
  s.map("CONN_CYCLE", 9, std::string(">5-50"));
  s.map("CONN_TRISE", 10, 12.0);
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

TEST(ConnectorImport, PinFamilyReadsGaugeCurrentCycleAndRise) {
  ImportSetup s;
  mapConnectorKeywords(s, "Rack&Panel", "HighPower");
  dropKeyword(s, "CONN_TYPE");  // not read for families 1..7
  CConnector k;
  ASSERT_TRUE(k.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(k.FAMILY, 4);
  EXPECT_EQ(k.QU, 2);
  EXPECT_FLOAT_EQ(k.PINS, 64.0f);
  EXPECT_EQ(k.GAUGE, 8);
  EXPECT_FLOAT_EQ(k.AMPS, 7.5f);
  EXPECT_EQ(k.CYCLE, 4);
  EXPECT_FLOAT_EQ(k.TRISE, 12.0f);
}

TEST(ConnectorImport, CoaxialReadsTypeButNoGauge) {
  ImportSetup s;
  mapConnectorKeywords(s, "Coaxial,RF", "HighPower");
  CConnector k;
  ASSERT_TRUE(k.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(k.FAMILY, 8);
  EXPECT_EQ(k.TYPE, 2);
  EXPECT_EQ(k.GAUGE, 6);  // not read
  EXPECT_FLOAT_EQ(k.AMPS, 0.1f);
  EXPECT_EQ(s.reader.consulted().count("CONN_GAUGE"), 0u);
  EXPECT_EQ(k.CYCLE, 4);
}

TEST(ConnectorImport, SocketReadsTypeQualityAndPinsOnly) {
  ImportSetup s;
  mapConnectorKeywords(s, "Socket", "Transistor");
  CConnector k;
  ASSERT_TRUE(k.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(k.FAMILY, 10);
  EXPECT_EQ(k.TYPE, 6);
  EXPECT_EQ(k.QU, 2);
  EXPECT_FLOAT_EQ(k.PINS, 64.0f);
  for (const char* unread : {"CONN_GAUGE", "CONN_AMPS", "CONN_CYCLE", "CONN_TRISE"}) {
    EXPECT_EQ(s.reader.consulted().count(unread), 0u) << unread;
  }
}

TEST(ConnectorImport, PinsOutOfRangeClampedAndLogged) {
  ImportSetup s;
  mapConnectorKeywords(s, "Socket", "DIP");
  s.map("CONN_PINS", 6, 20000.0);
  CConnector k;
  ASSERT_TRUE(k.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(k.PINS, 9999.0f);
  bool logged = false;
  for (const std::string& line : s.log) logged |= line.find("'CONN_PINS'") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST(ConnectorImport, HybridPartDoesNotReadQuality) {
  ImportSetup s;
  mapConnectorKeywords(s, "Circular/Cylindrical", "DIP");
  dropKeyword(s, "CONN_QU");
  CConnector k;
  k.IS_HYBRID = 1;
  ASSERT_TRUE(k.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(k.QU, 1);

  ImportSetup circuit;
  mapConnectorKeywords(circuit, "Circular/Cylindrical", "DIP");
  dropKeyword(circuit, "CONN_QU");
  CConnector c;
  EXPECT_FALSE(c.ImportFields(circuit.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(c.PINS, 37.0f);  // after the failure: not read
}

// ---- What-If? and update -------------------------------------------------------

TEST(ConnectorWhatIf, QualityOnlyOutsideHybrid) {
  WhatIfSettings s;
  s.qualityMode = Decrease;
  s.qualityLevel = 3;
  s.stressMode = SetDirect;
  s.stressValue = 20;
  CConnector k;
  k.ApplyWhatIf(s);
  EXPECT_EQ(k.QU, 2);
  EXPECT_FLOAT_EQ(k.S, 0.0f);  // no stress figure to change
  CConnector h;
  h.IS_HYBRID = 1;
  h.ApplyWhatIf(s);
  EXPECT_EQ(h.QU, 1);
  s.qualityMode = Increase;
  k.ApplyWhatIf(s);
  EXPECT_EQ(k.QU, 1);
}

TEST(ConnectorUpdate, CopiesCurrentCycleRateAndRise) {
  CConnector own;
  own.FAMILY = 3;
  own.PINS = 50;
  own.GAUGE = 2;
  own.QU = 2;
  CConnector other;
  other.FAMILY = 1;
  other.PINS = 7;
  other.GAUGE = 9;
  other.AMPS = 3.0f;
  other.CYCLE = 5;
  other.TRISE = 22.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.AMPS, 3.0f);
  EXPECT_EQ(own.CYCLE, 5);
  EXPECT_FLOAT_EQ(own.TRISE, 22.0f);
  EXPECT_EQ(own.FAMILY, 3);
  EXPECT_FLOAT_EQ(own.PINS, 50.0f);
  EXPECT_EQ(own.GAUGE, 2);
  EXPECT_EQ(own.QU, 2);
  CMisc misc;
  misc.TRISE = 99.0f;
  own.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(own.TRISE, 22.0f);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CConnector& k) {
  k.PN = "D38999/26WB35PN";
  k.REFDES = "J2";
  k.PART_TYPE = 504;
  k.CF = 1.25f;
  k.FR = 0.004f;
  k.S = -1.0f;
  k.T = 33.0f;
  k.FAMILY = 9;
  k.TYPE = 2;
  k.PINS = 3.0f;
  k.GAUGE = 4;
  k.AMPS = 2.5f;
  k.QU = 2;
  k.CYCLE = 5;
  k.TRISE = 8.0f;
  k.LB = 0.0036f;
  k.PIT = 2.1f;
  k.PIK = 4.0f;
  k.PIP = 1.0f;
  k.PIQ = 2.0f;
  k.PIE = 27.0f;
}

TEST(ConnectorCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // family, type (bytes), pins, gauge (byte), amps, quality, cycle (bytes), rise, six factors:
  // 2 + 4 + 1 + 4 + 2 + 4 + 24 = 41 bytes
  CConnector k;
  fill(k);
  const std::vector<std::uint8_t> b = test::ownBytes(k);
  ASSERT_EQ(b.size(), 41u);
  EXPECT_EQ(b[0], 9);
  EXPECT_EQ(b[1], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 2), 3.0f);
  EXPECT_EQ(b[6], 4);
  EXPECT_FLOAT_EQ(test::floatAt(b, 7), 2.5f);
  EXPECT_EQ(b[11], 2);
  EXPECT_EQ(b[12], 5);
  EXPECT_FLOAT_EQ(test::floatAt(b, 13), 8.0f);
  const float factors[] = {0.0036f, 2.1f, 4.0f, 1.0f, 2.0f, 27.0f};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(test::floatAt(b, 17 + 4 * i), factors[i]) << i;
}

// ---- Text lines --------------------------------------------------------------

TEST(ConnectorTextLines, DefaultCircularLines) {
  CConnector k;
  k.AMPS = 0.0f;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  const test::Lines l = test::linesOf(k, "> ");
  // "%s%-20s  %-11s  %-9s  %-5s  %-8s"
  EXPECT_EQ(l.detail1, "> Circular/Cylindrical               Pins:37    20 GA  Qu:MIL  ");
  // "%s%-21s  %-17s  %-12s": amps 0 prints 0.0
  EXPECT_EQ(l.detail2, "> Cycles/Khrs:>0.5-5     Amps/Pin:0.0       Trise:0.0   ");
  EXPECT_EQ(l.factors1,
            "> FR=    LB    *   PIT    * PIK * PIQ *  PIE  *   PICF   * 0.5 (one connector of a mated pair)");
  // LB 0.001000, PIT 1.00000, PIK 2.0, PIQ 1.0, PIE 1.00, CF 1.00000
  EXPECT_EQ(l.factors2, ">     0.001000   1.00000    2.0   1.0   1.00    1.00000 ");
}

TEST(ConnectorTextLines, SocketAndCoaxialLines) {
  CConnector k;
  k.FAMILY = 10;
  k.TYPE = 3;
  k.PINS = 11;
  CCircHeader h = header(1, 25);
  k.Calculate(h);
  const test::Lines l = test::linesOf(k);
  EXPECT_EQ(l.detail1, "Socket                ChipCarrier  Pins:11           Qu:MIL  ");
  EXPECT_EQ(l.detail2, std::string(21 + 2 + 17 + 2 + 12, ' '));
  EXPECT_EQ(l.factors1, "FR=    LB    *    PIP     * PIQ *  PIE  *   PICF  ");
  // LB 0.000640; PIP e = 2.71828 (10,6 capped at 5); PIQ 0.3; PIE 1.00; CF 1.00000
  EXPECT_EQ(l.factors2, "    0.000640   2.71828      0.3   1.00    1.00000 ");

  CConnector c;
  c.FAMILY = 8;
  c.TYPE = 2;
  c.IS_HYBRID = 1;
  c.TRISE = 5.0f;
  const test::Lines m = test::linesOf(c);
  // family (20), type (11), pins (9), then an empty gauge (5) and no quality (8)
  EXPECT_EQ(m.detail1, "Coaxial,RF            HighPower    Pins:37" + std::string(2 + 2 + 5 + 2 + 8, ' '));
  EXPECT_EQ(m.detail2, "Cycles/Khrs:>0.5-5                        Trise:5.00  ");
}

struct LineCase {
  const char* label;
  std::uint8_t family;
  float value;
  std::size_t prefixLength;
};

class ConnectorTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(ConnectorTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CConnector k;
  k.FAMILY = c.family;
  k.PINS = k.AMPS = k.TRISE = k.CF = c.value;
  k.LB = k.PIT = k.PIK = k.PIP = k.PIQ = k.PIE = c.value;
  const test::Lines l = test::linesOf(k, std::string(c.prefixLength, '>'));
  for (const std::string* line : {&l.detail1, &l.detail2, &l.factors1, &l.factors2}) {
    EXPECT_LE(line->size(), 132u);
    EXPECT_FALSE(line->empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, ConnectorTextLinesBounded,
                         ::testing::Values(LineCase{"HugeCircular", 1, 3e38f, 0},
                                           LineCase{"HugeSocket", 10, 3e38f, 0},
                                           LineCase{"NotANumberCoaxial", 8, kNaNf, 0},
                                           LineCase{"TinyNegativeLongPrefix", 1, -1e-30f, 200},
                                           LineCase{"FamilyPastList", 90, 3e38f, 131}),
                         labelOf<LineCase>);

// ---- Editing page ------------------------------------------------------------

TEST(ConnectorPage, FieldsInPageOrderAndByFamily) {
  CConnector k;
  test::RecordingVisitor v;
  k.paramPage(v);
  const std::vector<std::string> order = {"CONN_FAMILY", "CONN_TYPE", "CONN_QU",    "CONN_PINS",
                                          "CONN_GAUGE",  "CONN_AMPS", "CONN_CYCLE", "CONN_TRISE"};
  EXPECT_EQ(v.keywords(), order);
  EXPECT_FALSE(v.find("CONN_TYPE")->applies);
  EXPECT_TRUE(v.find("CONN_GAUGE")->applies);

  CConnector s;
  s.FAMILY = 10;
  s.IS_HYBRID = 1;
  test::RecordingVisitor w;
  s.paramPage(w);
  for (const test::SeenField& f : w.seen) {
    const bool expected = f.keyword == "CONN_FAMILY" || f.keyword == "CONN_TYPE" || f.keyword == "CONN_PINS";
    EXPECT_EQ(f.applies, expected) << f.keyword;
  }
  EXPECT_EQ(w.find("CONN_TYPE")->choiceCount, 7u);
}

}  // namespace
}  // namespace kestrel
