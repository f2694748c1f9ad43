// The solder-joint model against hand-worked values:
//   Nf = 3.5 (d / (0.65 h))^-2.26 (|aS dT - aCC (dT + TRISE)| 1e-6)^-2.26 LC
//   aSMT = Nf / CR, x = life / aSMT, FRSMT = ECF(x) / aSMT x 1e6.
#include <gtest/gtest.h>

#include <cmath>

#include "core/circ_header.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

struct SmtCase {
  const char* name;
  float d, h;
  std::uint8_t pkg, lead, board, env, equip, trisemode;
  float trise, life, tce;
  double expected;  // fpmh
  double expectedH;
};

class SolderJoints : public ::testing::TestWithParam<SmtCase> {};

TEST_P(SolderJoints, MatchHandWorkedRates) {
  const SmtCase& c = GetParam();
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = c.env;
  h.SMTBOARD = c.board;
  h.BOARDTCE = c.tce;
  h.SMTEQUIP = c.equip;
  h.SMTLIFE = c.life;
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->SMT_PKG = c.pkg;
  part->SMT_LEAD = c.lead;
  part->SMT_DIST = c.d;
  part->SMT_HT = c.h;
  part->SMT_TRISEMODE = c.trisemode;
  part->SMT_TEMPRISE = c.trise;
  part->Calculate(h);
  EXPECT_EQ(part->SmtCalcFlag, 1);
  EXPECT_NEAR(part->FRSMT, c.expected, c.expected * 1e-4);
  EXPECT_FLOAT_EQ(part->SMT_HT, c.expectedH);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolderJoints,
    ::testing::Values(
        // Plastic leadless, d 345, h 50, Epoxy/Glass (aS 15), GB (dT 7), Computer (CR 0.17),
        // Default rise 0: strain |105 - 49| = 56e-6; (345/32.5)^-2.26 = 4.8037e-3,
        // (56e-6)^-2.26 = 4.0653e9, Nf = 6.8320e7, aSMT = 4.0188e8 h, x = 2.18e-4: ECF 0.13,
        // FRSMT = 0.13 / 4.0188e8 x 1e6 = 3.2348e-4
        SmtCase{"LeadlessOnEpoxyGlass", 345, 50, 1, 1, 11, 1, 3, 1, 0, 87600, 1, 3.23477e-4, 50},
        // Ceramic gull-wing (h becomes 8, LC 5000), d 10000, FR-4 multilayer (aS 20), AUC
        // (dT 57), Automotive (CR 1.0), manual rise 50: strain |1140 - 642| = 498e-6,
        // Nf = 19296 = aSMT, x = 87600 / 19296 = 4.54: ECF 1.0, FRSMT = 51.824
        SmtCase{"GullWingFullCumulativeFailures", 10000, 50, 2, 3, 2, 8, 1, 2, 50, 87600, 1, 51.8242, 8},
        // The same joint over a 6750 h life: x = 0.3498, ECF 0.31, FRSMT = 16.0655
        SmtCase{"MiddleRowOfTheTable", 10000, 50, 2, 3, 2, 8, 1, 2, 50, 6750, 1, 16.0655, 8},
        // Board "Other" with TCE 12, AIC (dT 31), Industrial (CR 0.021), h 20:
        // strain |372 - 217| = 155e-6, Nf = 8.6290e5, aSMT = 4.1090e7, FRSMT = 3.16376e-3
        SmtCase{"OtherBoardUsesTheHeaderTce", 345, 20, 1, 1, 23, 6, 6, 1, 0, 87600, 12, 3.16376e-3, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SolderJoints, TableValuesAreWrittenBackToTheHeader) {
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = 6;           // AIC: dT 31
  h.SMTBOARD = 2;      // FR-4 multilayer: 20
  h.BOARDTCE = 99;     // overwritten
  h.SMTEQUIP = 9;      // fighter: 0.5
  h.SMTCYCLERATE = 7;  // overwritten
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->Calculate(h);
  EXPECT_FLOAT_EQ(h.BOARDTCE, 20.0f);
  EXPECT_FLOAT_EQ(h.TEMPDIFF, 31.0f);
  EXPECT_FLOAT_EQ(h.SMTCYCLERATE, 0.5f);
}

TEST(SolderJoints, NoThermalCyclingEnvironmentGivesZeroWithEnvNotValid) {
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = 13;  // ML
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->Calculate(h);
  EXPECT_EQ(part->FRSMT, 0.0f);
  EXPECT_EQ(part->SmtCalcFlag, 1);
  EXPECT_NE(part->OverFlags & EnvNotValid, 0u);
}

TEST(SolderJoints, ZeroStrainMeansTheJointsNeverFail) {
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = 1;       // dT 7
  h.SMTBOARD = 4;  // ceramic multilayer: aS 7 = aCC of plastic, rise 0
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->Calculate(h);
  EXPECT_EQ(part->FRSMT, 0.0f);
  EXPECT_EQ(part->OverFlags & EntryOverRange, 0u);
}

TEST(SolderJoints, StepRunsOnlyForSurfaceMountedCircuitParts) {
  CCircHeader h;
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->SmtCalcFlag = 1;
  part->Calculate(h);  // circuit without SMT analysis
  EXPECT_EQ(part->SmtCalcFlag, 0);
  h.HASSMT = 1;
  part->IS_HYBRID = 1;  // hybrid part
  part->Calculate(h);
  EXPECT_EQ(part->SmtCalcFlag, 0);
  part->IS_HYBRID = 0;
  part->IS_SMT = 0;
  part->Calculate(h);
  EXPECT_EQ(part->SmtCalcFlag, 0);
}

TEST(SolderJoints, DamagedStoredInputsAreLimitedAndFlagged) {
  CCircHeader h;
  h.HASSMT = 1;
  h.SMTLIFE = -5;
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->SMT_LEAD = 1;
  part->SMT_HT = 0.0f;     // below 0.1 mils
  part->SMT_DIST = -1.0f;  // below 1 mil
  part->Calculate(h);
  EXPECT_TRUE(std::isfinite(part->FRSMT));
  EXPECT_NE(part->OverFlags & EntryOverRange, 0u);
}

}  // namespace
}  // namespace kestrel
