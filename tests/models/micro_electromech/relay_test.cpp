#include "models/micro_electromech/relay.hpp"

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

// A mechanical relay with the stress entered directly, so the case states it.
void configure(CRelay& r, std::uint8_t type, std::uint8_t constr, std::uint8_t contact, std::uint8_t rating,
               std::uint8_t quality, std::uint8_t load, float stress, float rate, float trise) {
  r.TYPE = type;
  r.CONSTR = constr;
  r.CONTACT = contact;
  r.RATING = rating;
  r.QU = quality;
  r.LOAD = load;
  r.STRESSMODE = 2;
  r.ISTRESS = stress;
  r.RATE = rate;
  r.TRISE = trise;
}

// ---- Mechanical relays against hand-worked handbook values -----------------

struct MechanicalCase {
  const char* label;
  std::uint8_t type, constr, contact, rating, quality, load, env;
  float stress, rate, ambient, trise, cf, qty;
  double lb, pil, pic, picyc, pif, piq, pie, fr;
};

class RelayMechanicalRate : public ::testing::TestWithParam<MechanicalCase> {};

TEST_P(RelayMechanicalRate, FactorsAndRateMatchHandWorkedValues) {
  const MechanicalCase& c = GetParam();
  CRelay r;
  configure(r, c.type, c.constr, c.contact, c.rating, c.quality, c.load, c.stress, c.rate, c.trise);
  r.CF = c.cf;
  r.QTY = c.qty;
  CCircHeader h = header(c.env, c.ambient);
  r.Calculate(h);
  EXPECT_TRUE(near(r.LB, c.lb));
  EXPECT_TRUE(near(r.PIL, c.pil));
  EXPECT_TRUE(near(r.PIC, c.pic));
  EXPECT_TRUE(near(r.PICYC, c.picyc));
  EXPECT_TRUE(near(r.PIF, c.pif));
  EXPECT_TRUE(near(r.PIQ, c.piq));
  EXPECT_TRUE(near(r.PIE, c.pie));
  EXPECT_TRUE(near(r.FR, c.fr));
  EXPECT_FLOAT_EQ(r.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(r.S, c.stress);
  EXPECT_EQ(r.OverFlags, 0u);
}

// Ea/k: rating 85 C 0.19 x 11604.967 = 2204.944 K; rating 125 C 0.17 x 11604.967 = 1972.844 K.
INSTANTIATE_TEST_SUITE_P(
    Cases, RelayMechanicalRate,
    ::testing::Values(
        // General purpose, armature (long) pi_F 3, SPST 1.0, 125 C at 25 C: lambda_b = 0.0059;
        // resistive 50 %: pi_L = exp((0.5/0.8)^2) = exp(0.390625) = 1.477904; MIL(Non-ER) 1.5 and
        // 1 cycle/h: pi_CYC = 1/10 = 0.1; GB 1.0; FR = 0.0059 x 1.477904 x 1 x 0.1 x 3 x 1.5 x 1 = 0.0039238
        MechanicalCase{"GeneralPurposeArmatureAtRoomTemperature", 2, 1, 1, 2, 7, 1, 1, 50, 1, 25, 0, 1, 1,
                       0.0059, 1.477904, 1.0, 0.1, 3.0, 1.5, 1.0, 0.0039238},
        // Dry circuit, dry reed 6, DPDT 3.0, 85 C rating at 60 + 20 = 80 C:
        // lambda_b = 0.0059 x exp(2204.944 x (1/298 - 1/353)) = 0.0059 x exp(2204.944 x 0.00052284)
        // = 0.0059 x exp(1.152843) = 0.0059 x 3.167177 = 0.018686; inductive 30 %: exp((0.3/0.4)^2)
        // = exp(0.5625) = 1.755055; R 0.1 with 50 cycles/h: 50/10 = 5; AIF 9;
        // FR = 0.018686 x 1.755055 x 3 x 5 x 6 x 0.1 x 9 = 2.656440
        MechanicalCase{"DryCircuitDryReedWithRiseAtAirborneFighter", 1, 2, 6, 1, 1, 2, 7, 30, 50, 60, 20, 1, 1,
                       0.018686, 1.755055, 3.0, 5.0, 6.0, 0.1, 9.0, 2.656440},
        // Contactor, solenoid 5, 6PDT 8.0, 125 C rating at 40 + 10 = 50 C:
        // lambda_b = 0.0059 x exp(1972.844 x (1/298 - 1/323)) = 0.0059 x exp(1972.844 x 0.00025973)
        // = 0.0059 x exp(0.512410) = 0.0059 x 1.669296 = 0.0098489; lamp 20 %: exp((0.2/0.2)^2) = e
        // = 2.718282; Commercial 2.9 at 1500 cycles/h: (1500/100)^2 = 225; ARW 46;
        // FR = 0.0098489 x 2.718282 x 8 x 225 x 5 x 2.9 x 46 = 32142.5
        MechanicalCase{"ContactorCommercialLampAboveThousandCycles", 12, 4, 9, 2, 8, 3, 10, 20, 1500, 40, 10, 1,
                       1, 0.0098489, 2.718282, 8.0, 225.0, 5.0, 2.9, 46.0, 32142.5},
        // Thermal time delay: fixed pi_F 10; SPDT 1.75; U 0.6; no stress: pi_L = 1; 20 cycles/h: 2.0;
        // GF 2; FR = 0.0059 x 1 x 1.75 x 2 x 10 x 0.6 x 2 = 0.2478
        MechanicalCase{"ThermalTimeDelayHasFixedConstructionFactor", 7, 1, 3, 2, 4, 1, 2, 0, 20, 25, 0, 1, 1,
                       0.0059, 1.0, 1.75, 2.0, 10.0, 0.6, 2.0, 0.2478},
        // Electronic time delay: fixed pi_F 9; 4PST 2.5; 85 C rating at 25 C: 0.0059; M 1.0; inductive
        // 40 %: exp((0.4/0.4)^2) = e; 1 cycle/h: 0.1; NS 8;
        // FR = 0.0059 x 2.718282 x 2.5 x 0.1 x 9 x 1 x 8 = 0.288682
        MechanicalCase{"ElectronicTimeDelayHasFixedConstructionFactor", 8, 1, 5, 1, 5, 2, 4, 40, 1, 25, 0, 1, 1,
                       0.0059, 2.718282, 2.5, 0.1, 9.0, 1.0, 8.0, 0.288682},
        // Magnetic latching, mercury wetted 5; 3PST 2.0; L 1.5; resistive 80 %: exp((0.8/0.8)^2) = e;
        // 0.5 cycles/h below 1: 0.1; NU 27; FR = 0.0059 x 2.718282 x 2 x 0.1 x 5 x 1.5 x 27 = 0.649533
        MechanicalCase{"MagneticLatchingSlowCyclingMilRelay", 9, 2, 4, 2, 6, 1, 5, 80, 0.5f, 25, 0, 1, 1,
                       0.0059, 2.718282, 2.0, 0.1, 5.0, 1.5, 27.0, 0.649533},
        // High voltage, vacuum (ceramic) 5; 4PDT 5.5; X 0.45; no stress; 1000 cycles/h: 100; SF 0.5;
        // CF 2 (QTY 5 not applied): FR = 0.0059 x 1 x 5.5 x 100 x 5 x 0.45 x 0.5 x 2 = 7.30125
        MechanicalCase{"HighVoltageWithCorrectionFactor", 10, 2, 8, 2, 3, 1, 11, 0, 1000, 25, 0, 2, 5, 0.0059,
                       1.0, 5.5, 100.0, 5.0, 0.45, 0.5, 7.30125}),
    labelOf<MechanicalCase>);

// ---- Every construction, contact form, quality and environment --------------

struct ConstructionCase {
  const char* label;
  std::uint8_t type, constr;
  double pif;
};

class RelayConstructionFactor : public ::testing::TestWithParam<ConstructionCase> {};

TEST_P(RelayConstructionFactor, TypeAndConstructionGiveHandbookFactor) {
  const ConstructionCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.CONSTR = c.constr;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIF, static_cast<float>(c.pif));
  EXPECT_EQ(r.OverFlags, 0u);
  EXPECT_EQ(r.CONSTR, c.constr);
}

// Handbook table 13.1, military (MIL) column.
INSTANTIATE_TEST_SUITE_P(
    Table, RelayConstructionFactor,
    ::testing::Values(
        ConstructionCase{"DryCircuitArmatureLong", 1, 1, 4}, ConstructionCase{"DryCircuitDryReed", 1, 2, 6},
        ConstructionCase{"DryCircuitMercuryWetted", 1, 3, 1},
        ConstructionCase{"DryCircuitMagneticLatching", 1, 4, 4},
        ConstructionCase{"DryCircuitBalancedArmature", 1, 5, 7}, ConstructionCase{"DryCircuitSolenoid", 1, 6, 7},
        ConstructionCase{"GeneralPurposeArmatureLong", 2, 1, 3},
        ConstructionCase{"GeneralPurposeBalancedArmature", 2, 2, 5},
        ConstructionCase{"GeneralPurposeSolenoid", 2, 3, 6}, ConstructionCase{"SensitiveArmature", 3, 1, 5},
        ConstructionCase{"SensitiveMercuryWetted", 3, 2, 2}, ConstructionCase{"SensitiveMagneticLatching", 3, 3, 6},
        ConstructionCase{"SensitiveMeterMovement", 3, 4, 100},
        ConstructionCase{"SensitiveBalancedArmature", 3, 5, 10},
        ConstructionCase{"PolarizedArmatureShort", 4, 1, 10}, ConstructionCase{"PolarizedMeterMovement", 4, 2, 100},
        ConstructionCase{"VibratingReedDryReed", 5, 1, 6}, ConstructionCase{"VibratingReedMercuryWetted", 5, 2, 1},
        ConstructionCase{"HighSpeedArmature", 6, 1, 25}, ConstructionCase{"HighSpeedDryReed", 6, 2, 6},
        ConstructionCase{"ThermalTimeDelay", 7, 1, 10}, ConstructionCase{"ElectronicTimeDelay", 8, 1, 9},
        ConstructionCase{"MagneticLatchingDryReed", 9, 1, 10},
        ConstructionCase{"MagneticLatchingMercuryWetted", 9, 2, 5},
        ConstructionCase{"MagneticLatchingBalancedArmature", 9, 3, 5},
        ConstructionCase{"HighVoltageVacuumGlass", 10, 1, 20},
        ConstructionCase{"HighVoltageVacuumCeramic", 10, 2, 5}, ConstructionCase{"MediumPowerArmature", 11, 1, 3},
        ConstructionCase{"MediumPowerMercuryWetted", 11, 2, 1},
        ConstructionCase{"MediumPowerMagneticLatching", 11, 3, 2},
        ConstructionCase{"MediumPowerMechanicalLatching", 11, 4, 3},
        ConstructionCase{"MediumPowerBalancedArmature", 11, 5, 2}, ConstructionCase{"MediumPowerSolenoid", 11, 6, 2},
        ConstructionCase{"ContactorArmatureShort", 12, 1, 7},
        ConstructionCase{"ContactorMechanicalLatching", 12, 2, 12},
        ConstructionCase{"ContactorBalancedArmature", 12, 3, 10}, ConstructionCase{"ContactorSolenoid", 12, 4, 5}),
    labelOf<ConstructionCase>);

TEST(RelayConstructionFactor, ListsFollowTheType) {
  CRelay r;
  const std::size_t expected[] = {0, 6, 3, 5, 2, 2, 2, 0, 0, 3, 2, 6, 4, 0, 0};
  for (std::uint8_t type = 1; type <= 14; ++type) {
    r.TYPE = type;
    EXPECT_EQ(r.constructionList().count(), expected[type]) << "type " << int(type);
  }
  r.TYPE = 3;
  EXPECT_EQ(r.constructionList().text(4), "MeterMovement");
  r.TYPE = 10;
  EXPECT_EQ(r.constructionList().text(1), "Vacuum(Glass)");
}

struct TableCase {
  const char* label;
  std::uint8_t choice;
  double factor;
};

class RelayContactFactor : public ::testing::TestWithParam<TableCase> {};

TEST_P(RelayContactFactor, ContactFormGivesHandbookFactor) {
  CRelay r;
  r.CONTACT = GetParam().choice;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIC, static_cast<float>(GetParam().factor));
}

INSTANTIATE_TEST_SUITE_P(Table, RelayContactFactor,
                         ::testing::Values(TableCase{"SPST", 1, 1.0}, TableCase{"DPST", 2, 1.5},
                                           TableCase{"SPDT", 3, 1.75}, TableCase{"ThreePST", 4, 2.0},
                                           TableCase{"FourPST", 5, 2.5}, TableCase{"DPDT", 6, 3.0},
                                           TableCase{"ThreePDT", 7, 4.25}, TableCase{"FourPDT", 8, 5.5},
                                           TableCase{"SixPDT", 9, 8.0}),
                         labelOf<TableCase>);

class RelayQualityFactor : public ::testing::TestWithParam<TableCase> {};

TEST_P(RelayQualityFactor, QualityGivesHandbookFactor) {
  CRelay r;
  r.QU = GetParam().choice;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIQ, static_cast<float>(GetParam().factor));
}

INSTANTIATE_TEST_SUITE_P(Table, RelayQualityFactor,
                         ::testing::Values(TableCase{"R", 1, 0.1}, TableCase{"P", 2, 0.3}, TableCase{"X", 3, 0.45},
                                           TableCase{"U", 4, 0.6}, TableCase{"M", 5, 1.0}, TableCase{"L", 6, 1.5},
                                           TableCase{"MilNonEr", 7, 1.5}, TableCase{"Commercial", 8, 2.9}),
                         labelOf<TableCase>);

struct EnvCase {
  const char* label;
  std::uint8_t type, env;
  double pie;
};

class RelayEnvironmentFactor : public ::testing::TestWithParam<EnvCase> {};

TEST_P(RelayEnvironmentFactor, EnvironmentGivesHandbookFactor) {
  const EnvCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.QU = 1;
  CCircHeader h = header(c.env, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIE, static_cast<float>(c.pie));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RelayEnvironmentFactor,
    ::testing::Values(EnvCase{"MechanicalGB", 2, 1, 1.0}, EnvCase{"MechanicalGF", 2, 2, 2.0},
                      EnvCase{"MechanicalGM", 2, 3, 15}, EnvCase{"MechanicalNS", 2, 4, 8.0},
                      EnvCase{"MechanicalNU", 2, 5, 27}, EnvCase{"MechanicalAIC", 2, 6, 7.0},
                      EnvCase{"MechanicalAIF", 2, 7, 9.0}, EnvCase{"MechanicalAUC", 2, 8, 11},
                      EnvCase{"MechanicalAUF", 2, 9, 12}, EnvCase{"MechanicalARW", 2, 10, 46},
                      EnvCase{"MechanicalSF", 2, 11, 0.5}, EnvCase{"MechanicalMF", 2, 12, 25},
                      EnvCase{"MechanicalML", 2, 13, 66}, EnvCase{"MechanicalCL", 2, 14, 0.0},
                      EnvCase{"SolidStateGB", 13, 1, 1.0}, EnvCase{"SolidStateGF", 13, 2, 3.0},
                      EnvCase{"SolidStateGM", 13, 3, 12}, EnvCase{"SolidStateNS", 13, 4, 6.0},
                      EnvCase{"SolidStateNU", 13, 5, 17}, EnvCase{"SolidStateAIC", 13, 6, 12},
                      EnvCase{"SolidStateAIF", 13, 7, 19}, EnvCase{"SolidStateAUC", 13, 8, 21},
                      EnvCase{"SolidStateAUF", 13, 9, 32}, EnvCase{"SolidStateARW", 13, 10, 23},
                      EnvCase{"SolidStateSF", 13, 11, 0.4}, EnvCase{"SolidStateMF", 13, 12, 12},
                      EnvCase{"SolidStateML", 13, 13, 33}, EnvCase{"TimeDelayCL", 14, 14, 590}),
    labelOf<EnvCase>);

// ---- Temperature rating, load and cycling branches --------------------------

struct TemperatureCase {
  const char* label;
  std::uint8_t rating;
  float ambient, trise;
  double lb;
};

class RelayBaseRate : public ::testing::TestWithParam<TemperatureCase> {};

TEST_P(RelayBaseRate, RatingSetsActivationEnergy) {
  const TemperatureCase& c = GetParam();
  CRelay r;
  r.RATING = c.rating;
  r.TRISE = c.trise;
  CCircHeader h = header(1, c.ambient);
  r.Calculate(h);
  EXPECT_TRUE(near(r.LB, c.lb));
  EXPECT_FLOAT_EQ(r.T, c.ambient + c.trise);
}

INSTANTIATE_TEST_SUITE_P(
    Points, RelayBaseRate,
    ::testing::Values(
        TemperatureCase{"Rating85At25", 1, 25, 0, 0.0059}, TemperatureCase{"Rating125At25", 2, 25, 0, 0.0059},
        // 1/298 - 1/373 = 0.00067474: 85 C rating exp(2204.944 x 0.00067474) = exp(1.487763) = 4.427180,
        // 0.0059 x 4.427180 = 0.026120; 125 C rating exp(1972.844 x 0.00067474) = exp(1.331156) = 3.785417,
        // 0.0059 x 3.785417 = 0.022334
        TemperatureCase{"Rating85At100", 1, 60, 40, 0.026120}, TemperatureCase{"Rating125At100", 2, 60, 40, 0.022334},
        // 1/298 - 1/218 = -0.00123145: 85 C exp(-2.715281) = 0.066186 -> 0.00039050;
        // 125 C exp(-2.429462) = 0.088084 -> 0.00051970
        TemperatureCase{"Rating85AtMinus55", 1, -55, 0, 0.00039050},
        TemperatureCase{"Rating125AtMinus55", 2, -55, 0, 0.00051970},
        // 1/298 - 1/423 = 0.00099164: 125 C exp(1.956348) = 7.073451 -> 0.041733
        TemperatureCase{"Rating125At150", 2, 25, 125, 0.041733}),
    labelOf<TemperatureCase>);

struct LoadCase {
  const char* label;
  std::uint8_t load;
  float stress;
  double pil;
};

class RelayLoadFactor : public ::testing::TestWithParam<LoadCase> {};

TEST_P(RelayLoadFactor, LoadTypeSetsStressDivisor) {
  const LoadCase& c = GetParam();
  CRelay r;
  r.LOAD = c.load;
  r.STRESSMODE = 2;
  r.ISTRESS = c.stress;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.PIL, c.pil));
}

INSTANTIATE_TEST_SUITE_P(Points, RelayLoadFactor,
                         ::testing::Values(
                             // 40 %: resistive exp((0.4/0.8)^2) = exp(0.25) = 1.284025; inductive
                             // exp((0.4/0.4)^2) = e; lamp exp((0.4/0.2)^2) = exp(4) = 54.59815
                             LoadCase{"ResistiveAt40", 1, 40, 1.284025}, LoadCase{"InductiveAt40", 2, 40, 2.718282},
                             LoadCase{"LampAt40", 3, 40, 54.59815}, LoadCase{"NoStress", 3, 0, 1.0},
                             // full stress: resistive exp(1.5625) = 4.770733; lamp exp(25) = 7.200490e10
                             LoadCase{"ResistiveFull", 1, 100, 4.770733}, LoadCase{"LampFull", 3, 100, 7.200490e10}),
                         labelOf<LoadCase>);

struct CyclingCase {
  const char* label;
  std::uint8_t quality;
  bool hybrid;
  float rate;
  double picyc;
};

class RelayCyclingFactor : public ::testing::TestWithParam<CyclingCase> {};

TEST_P(RelayCyclingFactor, BranchesAtTheirBoundaries) {
  const CyclingCase& c = GetParam();
  CRelay r;
  r.QU = c.quality;
  r.IS_HYBRID = c.hybrid ? 1 : 0;
  r.RATE = c.rate;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.PICYC, c.picyc));
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, RelayCyclingFactor,
    ::testing::Values(
        // MIL qualities: below 1 cycle/h 0.1, from 1 on R / 10
        CyclingCase{"MilHalfCycle", 7, false, 0.5f, 0.1}, CyclingCase{"MilJustBelowOne", 1, false, 0.99f, 0.1},
        CyclingCase{"MilOne", 1, false, 1.0f, 0.1}, CyclingCase{"MilOneAndHalf", 5, false, 1.5f, 0.15},
        CyclingCase{"MilFiveThousand", 7, false, 5000, 500},
        // Commercial: below 10 1.0; 10..1000 R / 10; above 1000 (R / 100)^2
        CyclingCase{"CommercialHalfCycle", 8, false, 0.5f, 1.0},
        CyclingCase{"CommercialJustBelowTen", 8, false, 9.5f, 1.0}, CyclingCase{"CommercialTen", 8, false, 10, 1.0},
        CyclingCase{"CommercialThousand", 8, false, 1000, 100},
        // 1001^2 / 10000 = 100.2001
        CyclingCase{"CommercialJustAboveThousand", 8, false, 1001, 100.2001},
        CyclingCase{"CommercialTwoThousand", 8, false, 2000, 400},
        // a hybrid part cycles by the commercial rule whatever its stored quality
        CyclingCase{"HybridQualityRHalfCycle", 1, true, 0.5f, 1.0},
        CyclingCase{"HybridQualityRTwoThousand", 1, true, 2000, 400}),
    labelOf<CyclingCase>);

// ---- Solid-state and time-delay relays -----------------------------------------

struct SolidStateCase {
  const char* label;
  std::uint8_t type, quality, env;
  float cf;
  double lb, piq, pie, fr;
};

class RelaySolidStateRate : public ::testing::TestWithParam<SolidStateCase> {};

TEST_P(RelaySolidStateRate, BaseRateTimesQualityAndEnvironment) {
  const SolidStateCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.QU = c.quality;
  r.CF = c.cf;
  r.TRISE = 30.0f;   // not a solid-state relay field
  r.ISTRESS = 90.0f;  // nor is this
  CCircHeader h = header(c.env, 40);
  r.Calculate(h);
  EXPECT_TRUE(near(r.LB, c.lb));
  EXPECT_TRUE(near(r.PIQ, c.piq));
  EXPECT_TRUE(near(r.PIE, c.pie));
  EXPECT_FLOAT_EQ(r.PIL, 1.0f);
  EXPECT_FLOAT_EQ(r.PIC, 1.0f);
  EXPECT_FLOAT_EQ(r.PICYC, 1.0f);
  EXPECT_FLOAT_EQ(r.PIF, 1.0f);
  EXPECT_TRUE(near(r.FR, c.fr));
  EXPECT_FLOAT_EQ(r.T, 40.0f);  // the ambient, no rise
  EXPECT_FLOAT_EQ(r.S, -1.0f);
  EXPECT_EQ(r.OverFlags, 0u);  // CL is a valid environment for these
}

// Handbook section 13.2: lambda_b solid state 0.40, solid-state time delay 0.50.
INSTANTIATE_TEST_SUITE_P(Cases, RelaySolidStateRate,
                         ::testing::Values(
                             // 0.40 x 1.0 x 1.0 = 0.40
                             SolidStateCase{"SolidStateMilAtGroundBenign", 13, 1, 1, 1, 0.40, 1.0, 1.0, 0.40},
                             // 0.40 x 1.9 x 12 = 9.12
                             SolidStateCase{"SolidStateCommercialAtGroundMobile", 13, 2, 3, 1, 0.40, 1.9, 12, 9.12},
                             // 0.50 x 1.9 x 590 = 560.5
                             SolidStateCase{"TimeDelayCommercialAtCannonLaunch", 14, 2, 14, 1, 0.50, 1.9, 590, 560.5},
                             // 0.50 x 1.0 x 32 x CF 0.5 = 8.0
                             SolidStateCase{"TimeDelayMilWithCorrectionFactor", 14, 1, 9, 0.5f, 0.50, 1.0, 32, 8.0}),
                         labelOf<SolidStateCase>);

// ---- Environment CL, limits, hybrid parts --------------------------------------

TEST(RelayCannonLaunch, MechanicalRelayHasNoRateAndEnvNotValid) {
  CRelay r;
  CCircHeader h = header(14, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIE, 0.0f);
  EXPECT_FLOAT_EQ(r.FR, 0.0f);
  EXPECT_EQ(r.OverFlags, static_cast<std::uint32_t>(EnvNotValid));
}

TEST(RelayCannonLaunch, HybridMechanicalRelayFlaggedButRated) {
  // pi_E = pi_Q = 1 in a hybrid: FR = 0.0059 x 1.477904 x 1 x 1.0 (commercial rule, 1 cycle/h) x 3
  // = 0.026159
  CRelay r;
  r.IS_HYBRID = 1;
  CCircHeader h = header(14, 25);
  r.Calculate(h);
  EXPECT_EQ(r.OverFlags, static_cast<std::uint32_t>(EnvNotValid));
  EXPECT_TRUE(near(r.FR, 0.026159));
}

struct LimitCase {
  const char* label;
  std::uint8_t type;
  float trise, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class RelayLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RelayLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.QU = 1;  // on both quality lists
  r.STRESSMODE = 2;
  r.ISTRESS = c.stress;
  r.TRISE = c.trise;
  r.TEMPLIMIT = c.tempLimit;
  r.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_EQ(r.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, RelayLimitFlags,
    ::testing::Values(LimitCase{"TemperatureEqualToLimit", 2, 60, 85, 50, 100, 0u},
                      LimitCase{"TemperatureJustAboveLimit", 2, 60.25f, 85, 50, 100, OverTemp},
                      LimitCase{"StressEqualToLimit", 2, 0, 175, 60, 60, 0u},
                      LimitCase{"StressJustAboveLimit", 2, 0, 175, 60.25f, 60, OverStress},
                      LimitCase{"BothAboveLimits", 2, 60.25f, 85, 60.25f, 60, OverTemp | OverStress},
                      // a solid-state relay runs at the ambient and has no stress figure
                      LimitCase{"SolidStateIgnoresRiseAndStress", 13, 100, 25, 90, 10, 0u},
                      LimitCase{"SolidStateAmbientAboveLimit", 13, 0, 24.75f, 0, 100, OverTemp}),
    labelOf<LimitCase>);

TEST(RelayHybridPart, QualityAndEnvironmentFactorsAreOne) {
  // GeneralPurpose relay of quality R at AIF in a hybrid: pi_Q = pi_E = 1 and the commercial cycling
  // rule (1 cycle/h: 1.0); FR = 0.0059 x 1.477904 x 1 x 1.0 x 3 x 1 x 1 = 0.026159
  CRelay r;
  r.IS_HYBRID = 1;
  r.QU = 1;
  CCircHeader h = header(7, 25);
  r.Calculate(h);
  EXPECT_FLOAT_EQ(r.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(r.PIE, 1.0f);
  EXPECT_FLOAT_EQ(r.PICYC, 1.0f);
  EXPECT_TRUE(near(r.FR, 0.026159));
  EXPECT_EQ(r.GetTypeName(), "Relay(Hyb)");
  EXPECT_EQ(CRelay{}.GetTypeName(), "Relay");
}

TEST(RelayHybridPart, SolidStateFactorsAreOne) {
  CRelay r;
  r.IS_HYBRID = 1;
  r.TYPE = 14;
  r.QU = 2;
  CCircHeader h = header(14, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.FR, 0.50));  // 0.50 x 1 x 1
  EXPECT_EQ(r.OverFlags, 0u);
}

// ---- Surface mounting --------------------------------------------------------

struct SmtCase {
  const char* label;
  std::uint8_t type, triseMode;
  bool hybrid;
  std::uint16_t hasSmt;
  std::uint16_t calculated;
  float smtRise;
};

class RelaySurfaceMount : public ::testing::TestWithParam<SmtCase> {};

TEST_P(RelaySurfaceMount, DefaultRiseAndWhenTheStepRuns) {
  const SmtCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.IS_HYBRID = c.hybrid ? 1 : 0;
  r.IS_SMT = 1;
  r.SMT_TRISEMODE = c.triseMode;
  r.SMT_TEMPRISE = 3.0f;
  r.SmtCalcFlag = 1;  // stale
  r.TRISE = 20.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = c.hasSmt;
  r.Calculate(h);
  EXPECT_EQ(r.SmtCalcFlag, c.calculated);
  EXPECT_FLOAT_EQ(r.SMT_TEMPRISE, c.smtRise);
  if (c.calculated != 0) {
    EXPECT_GT(r.FRSMT, 0.0f);
    EXPECT_TRUE(std::isfinite(r.FRSMT));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RelaySurfaceMount,
                         ::testing::Values(SmtCase{"MechanicalDefaultTakesRelayRise", 2, 1, false, 1, 1, 20.0f},
                                           SmtCase{"SolidStateDefaultTakesZero", 13, 1, false, 1, 1, 0.0f},
                                           SmtCase{"ManualKeepsEnteredRise", 2, 2, false, 1, 1, 3.0f},
                                           SmtCase{"HybridNeverRuns", 2, 1, true, 1, 0, 3.0f},
                                           SmtCase{"CircuitWithoutAnalysis", 2, 1, false, 0, 0, 3.0f}),
                         labelOf<SmtCase>);

// ---- Type changes and stored values outside their lists ----------------------

TEST(RelayTypeChange, NormalizeRefillsConstructionAndQuality) {
  // Dry circuit "Solenoid" (6 of 6) becomes a general-purpose relay with 3 constructions: 3 "Solenoid".
  CRelay r;
  r.TYPE = 1;
  r.CONSTR = 6;
  r.normalizeChoices();
  EXPECT_EQ(r.OverFlags, 0u);
  r.TYPE = 2;
  r.normalizeChoices();
  EXPECT_EQ(r.CONSTR, 3);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);

  // MIL(Non-ER) (7 of 8) becomes the solid-state list of 2: "Commercial".
  CRelay s;
  s.TYPE = 13;
  s.normalizeChoices();
  EXPECT_EQ(s.QU, 2);
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);

  // A time-delay relay has no construction list: the stored choice is left alone.
  CRelay t;
  t.TYPE = 7;
  t.CONSTR = 6;
  t.normalizeChoices();
  EXPECT_EQ(t.CONSTR, 6);
  EXPECT_EQ(t.OverFlags, 0u);
}

TEST(RelayTypeChange, CalculateNeverReadsPastTheConstructionTable) {
  // Polarized relay (2 constructions) with construction 5 stored: limited to 2 "MeterMovement", pi_F 100;
  // FR = 0.0059 x 1.477904 x 1 x 0.1 x 100 x 1.5 x 1 = 0.130794
  CRelay r;
  r.TYPE = 4;
  r.CONSTR = 5;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_EQ(r.CONSTR, 2);
  EXPECT_FLOAT_EQ(r.PIF, 100.0f);
  EXPECT_TRUE(near(r.FR, 0.130794));
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(RelayTypeChange, CalculateClampsQualityToSolidStateList) {
  // Quality 7 on a solid-state relay: limited to 2 "Commercial", 0.40 x 1.9 x 1 = 0.76
  CRelay r;
  r.TYPE = 13;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_EQ(r.QU, 2);
  EXPECT_TRUE(near(r.FR, 0.76));
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(RelayTypeChange, PageRefillsDependentListsWithoutFlag) {
  CRelay r;
  r.TYPE = 11;
  r.CONSTR = 6;
  r.TYPE = 5;  // vibrating reed: 2 constructions
  test::RecordingVisitor v;
  r.paramPage(v);
  EXPECT_EQ(r.CONSTR, 2);
  const test::SeenField* constr = v.find("RELAY_CONSTR");
  ASSERT_NE(constr, nullptr);
  EXPECT_EQ(constr->choiceCount, 2u);
  EXPECT_TRUE(constr->applies);

  r.TYPE = 14;
  test::RecordingVisitor w;
  r.paramPage(w);
  EXPECT_EQ(r.QU, 2);
  EXPECT_EQ(w.find("RELAY_QU")->choiceCount, 2u);
  EXPECT_FALSE(w.find("RELAY_CONSTR")->applies);
  EXPECT_EQ(r.OverFlags, 0u);
}

TEST(RelayStoredChoices, NormalizeClampsEveryChoice) {
  CRelay r;
  r.TYPE = 200;
  r.CONTACT = 0;
  r.RATING = 3;
  r.QU = 9;
  r.LOAD = 4;
  r.STRESSMODE = 0;
  r.normalizeChoices();
  EXPECT_EQ(r.TYPE, 14);
  EXPECT_EQ(r.CONTACT, 1);
  EXPECT_EQ(r.RATING, 2);
  EXPECT_EQ(r.QU, 2);  // the type-14 list
  EXPECT_EQ(r.LOAD, 3);
  EXPECT_EQ(r.STRESSMODE, 1);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);

  CRelay valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

struct StoredCase {
  const char* label;
  std::uint8_t type, contact, rating, load, env;
  double fr;
};

class RelayStoredChoices : public ::testing::TestWithParam<StoredCase> {};

TEST_P(RelayStoredChoices, ClampedAndFlaggedInCalculate) {
  const StoredCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.CONTACT = c.contact;
  r.RATING = c.rating;
  r.LOAD = c.load;
  CCircHeader h = header(c.env, 25);
  r.Calculate(h);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(r.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, RelayStoredChoices,
    ::testing::Values(
        // type 0 -> 1 dry circuit, construction 1 armature (long) 4:
        // 0.0059 x 1.477904 x 1 x 0.1 x 4 x 1.5 = 0.0052318
        StoredCase{"TypeZeroBecomesDryCircuit", 0, 1, 2, 1, 1, 0.0052318},
        // contact 10 -> 9 (8.0): 0.0039238 x 8 = 0.031391
        StoredCase{"ContactPastListBecomesSixPDT", 2, 10, 2, 1, 1, 0.031391},
        // load 0 -> 1 resistive: the default rate 0.0039238
        StoredCase{"LoadZeroBecomesResistive", 2, 1, 2, 0, 1, 0.0039238},
        // rating 7 -> 2 (125 C): at 25 C the same 0.0039238
        StoredCase{"RatingPastListBecomes125", 2, 1, 7, 1, 1, 0.0039238},
        // environment 0 -> GB
        StoredCase{"EnvironmentZeroBecomesGroundBenign", 2, 1, 2, 1, 0, 0.0039238}),
    labelOf<StoredCase>);

TEST(RelayStoredChoices, EnvironmentPastListIsCannonLaunch) {
  CRelay r;
  CCircHeader h = header(99, 25);
  r.Calculate(h);
  EXPECT_EQ(r.OverFlags, static_cast<std::uint32_t>(EntryOverRange | EnvNotValid));
  EXPECT_FLOAT_EQ(r.FR, 0.0f);
}

struct ExtremeCase {
  const char* label;
  float ambient, trise, stress, rate, cf;
  float expectedT, expectedS;
};

class RelayExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(RelayExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CRelay r;
  configure(r, 12, 1, 9, 2, 8, 3, c.stress, c.rate, c.trise);
  r.CF = c.cf;
  CCircHeader h = header(10, c.ambient);
  r.Calculate(h);
  EXPECT_TRUE(std::isfinite(r.FR));
  EXPECT_TRUE(std::isfinite(r.LB));
  EXPECT_TRUE(std::isfinite(r.PIL));
  EXPECT_TRUE(std::isfinite(r.PICYC));
  EXPECT_GE(r.FR, 0.0f);
  EXPECT_FLOAT_EQ(r.T, c.expectedT);
  EXPECT_FLOAT_EQ(r.S, c.expectedS);
  EXPECT_EQ(r.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(Stored, RelayExtremeValues,
                         ::testing::Values(
                             // rise limited to 0..150, the relay temperature to -55..325
                             ExtremeCase{"HugeRise", 25, 1e30f, 50, 1, 1, 175, 50},
                             ExtremeCase{"NegativeRise", 25, -1e30f, 50, 1, 1, 25, 50},
                             ExtremeCase{"RiseNotANumber", 25, kNaNf, 50, 1, 1, 25, 50},
                             ExtremeCase{"AmbientBelowAbsoluteZero", -300, 0, 50, 1, 1, -55, 50},
                             ExtremeCase{"AmbientHuge", 1e30f, 0, 50, 1, 1, 325, 50},
                             ExtremeCase{"HugeStress", 25, 0, 1e30f, 1, 1, 25, 100},
                             ExtremeCase{"StressNotANumber", 25, 0, kNaNf, 1, 1, 25, 0},
                             ExtremeCase{"HugeCycleRate", 25, 0, 50, 3e38f, 1, 25, 50},
                             ExtremeCase{"ZeroCycleRate", 25, 0, 50, 0, 1, 25, 50},
                             ExtremeCase{"CycleRateNotANumber", 25, 0, 50, kNaNf, 1, 25, 50},
                             ExtremeCase{"CorrectionFactorNotANumber", 25, 0, 50, 1, kNaNf, 25, 50},
                             ExtremeCase{"HugeCorrectionFactor", 25, 0, 50, 1, 3e38f, 25, 50}),
                         labelOf<ExtremeCase>);

TEST(RelayExtremeValues, HugeCycleRateUsesHighestEntry) {
  // 9999 cycles/h commercial: (9999/100)^2 = 9998.0001
  CRelay r;
  r.QU = 8;
  r.RATE = 3e38f;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  EXPECT_TRUE(near(r.PICYC, 9998.0001));
}

// ---- Import by keyword -------------------------------------------------------

void mapRelayKeywords(ImportSetup& s, const char* type, const char* mode) {
  s.map("RELAY_TYPE", 3, std::string(type));
  s.map("RELAY_CONSTR", 4, std::string("MercuryWetted"));
  s.map("RELAY_CONTACT", 5, std::string("DPDT"));
  s.map("RELAY_RATING", 6, std::string("85"));
  s.map("RELAY_QU", 7, std::string("Commercial"));
  s.map("RELAY_LOAD", 8, std::string("Lamp"));
  s.map("RELAY_IMAX", 9, 4.0);
  s.map("RELAY_IOP", 10, 1.0);
  s.map("RELAY_STRESSMODE", 11, std::string(mode));
  s.map("RELAY_ISTRESS", 12, 80.0);
  s.map("RELAY_TRISE", 13, 15.0);
  s.map("RELAY_RATE", 14, 120.0);
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

TEST(RelayImport, MechanicalComputedModeReadsEverythingButStress) {
  ImportSetup s;
  mapRelayKeywords(s, "MediumPower/5-20A", "Calc=Iop/Imax");
  dropKeyword(s, "RELAY_ISTRESS");  // reading it would fail the import
  CRelay r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.TYPE, 11);
  EXPECT_EQ(r.CONSTR, 2);  // "MercuryWetted" on the medium-power list
  EXPECT_EQ(r.CONTACT, 6);
  EXPECT_EQ(r.RATING, 1);
  EXPECT_EQ(r.QU, 8);
  EXPECT_EQ(r.LOAD, 3);
  EXPECT_FLOAT_EQ(r.IMAX, 4.0f);
  EXPECT_FLOAT_EQ(r.IOP, 1.0f);
  EXPECT_EQ(r.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(r.ISTRESS, 25.0f);  // 1 / 4 x 100
  EXPECT_FLOAT_EQ(r.TRISE, 15.0f);
  EXPECT_FLOAT_EQ(r.RATE, 120.0f);
}

TEST(RelayImport, ManualModeReadsStress) {
  ImportSetup s;
  mapRelayKeywords(s, "MediumPower/5-20A", "Manual");
  CRelay r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.STRESSMODE, 2);
  EXPECT_FLOAT_EQ(r.ISTRESS, 80.0f);

  ImportSetup missing;
  mapRelayKeywords(missing, "MediumPower/5-20A", "Manual");
  dropKeyword(missing, "RELAY_ISTRESS");
  CRelay q;
  EXPECT_FALSE(q.ImportFields(missing.reader, false, false, 25.0f));
}

TEST(RelayImport, ConstructionNameReadOnTheTypeList) {
  // "MercuryWetted" is entry 3 of the dry-circuit list and entry 2 of the sensitive list.
  ImportSetup s;
  mapRelayKeywords(s, "DryCircuit/Low-ma", "Calc=Iop/Imax");
  CRelay r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.CONSTR, 3);
}

TEST(RelayImport, TimeDelayRelaySkipsConstruction) {
  ImportSetup s;
  mapRelayKeywords(s, "ThermalTimeDelay/0-5A", "Calc=Iop/Imax");
  dropKeyword(s, "RELAY_CONSTR");
  CRelay r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.TYPE, 7);
  EXPECT_EQ(r.CONTACT, 6);
  EXPECT_FLOAT_EQ(r.RATE, 120.0f);
}

TEST(RelayImport, SolidStateReadsTypeAndQualityOnly) {
  ImportSetup s;
  mapRelayKeywords(s, "SolidState(SSR)", "Manual");
  CRelay r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.TYPE, 13);
  EXPECT_EQ(r.QU, 2);  // "Commercial" on the two-entry list
  for (const char* unread : {"RELAY_CONSTR", "RELAY_CONTACT", "RELAY_RATING", "RELAY_LOAD", "RELAY_IMAX",
                             "RELAY_IOP", "RELAY_STRESSMODE", "RELAY_ISTRESS", "RELAY_TRISE", "RELAY_RATE"}) {
    EXPECT_EQ(s.reader.consulted().count(unread), 0u) << unread;
  }
  EXPECT_EQ(r.CONTACT, 1);
  EXPECT_FLOAT_EQ(r.TRISE, 0.0f);
}

TEST(RelayImport, OperatingCurrentLimitedToImaxJustRead) {
  ImportSetup s;
  mapRelayKeywords(s, "GeneralPurpose/0-5A", "Calc=Iop/Imax");
  s.map("RELAY_CONSTR", 4, std::string("Solenoid"));
  s.map("RELAY_IOP", 10, 9.0);
  CRelay r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(r.IOP, 4.0f);
  EXPECT_FLOAT_EQ(r.ISTRESS, 100.0f);
  bool logged = false;
  for (const std::string& line : s.log) logged |= line.find("'RELAY_IOP'") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST(RelayImport, HybridPartDoesNotReadQuality) {
  ImportSetup s;
  mapRelayKeywords(s, "MediumPower/5-20A", "Calc=Iop/Imax");
  dropKeyword(s, "RELAY_QU");
  CRelay r;
  r.IS_HYBRID = 1;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.QU, 7);

  ImportSetup circuit;
  mapRelayKeywords(circuit, "MediumPower/5-20A", "Calc=Iop/Imax");
  dropKeyword(circuit, "RELAY_QU");
  CRelay c;
  EXPECT_FALSE(c.ImportFields(circuit.reader, false, false, 25.0f));
  ASSERT_FALSE(circuit.log.empty());
  EXPECT_EQ(circuit.log.back(), "   ...Error: keyword not found ('RELAY_QU').");
  EXPECT_EQ(c.LOAD, 1);  // after the failure: not read
}

TEST(RelayImport, ChoiceOutsideTypeListFallsBackToFirst) {
  // "Vacuum(Glass)" is not a construction of a dry-circuit relay.
  ImportSetup s;
  mapRelayKeywords(s, "DryCircuit/Low-ma", "Calc=Iop/Imax");
  s.map("RELAY_CONSTR", 4, std::string("Vacuum(Glass)"));
  CRelay r;
  r.CONSTR = 5;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_TRUE(r.constructionList().isValid(r.CONSTR));
}

// ---- What-If? ----------------------------------------------------------------

struct QualityCase {
  const char* label;
  std::uint8_t type;
  bool hybrid;
  std::uint8_t mode;
  float level;
  std::uint8_t start, expected;
};

class RelayWhatIfQuality : public ::testing::TestWithParam<QualityCase> {};

TEST_P(RelayWhatIfQuality, ChangesQualityWithinTheTypeList) {
  const QualityCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.IS_HYBRID = c.hybrid ? 1 : 0;
  r.QU = c.start;
  WhatIfSettings s;
  s.qualityMode = c.mode;
  s.qualityLevel = c.level;
  r.ApplyWhatIf(s);
  EXPECT_EQ(r.QU, c.expected);
  EXPECT_FLOAT_EQ(r.ISTRESS, 50.0f);
}

INSTANTIATE_TEST_SUITE_P(Rules, RelayWhatIfQuality,
                         ::testing::Values(QualityCase{"MechanicalIncreaseByTwo", 2, false, Increase, 2, 7, 5},
                                           QualityCase{"MechanicalDecreaseStopsAtCommercial", 2, false, Decrease, 5,
                                                       7, 8},
                                           QualityCase{"MechanicalSetDirect", 2, false, SetDirect, 1, 7, 1},
                                           QualityCase{"SolidStateSetDirectStopsAtTwo", 13, false, SetDirect, 5, 1, 2},
                                           QualityCase{"SolidStateIncrease", 14, false, Increase, 1, 2, 1},
                                           QualityCase{"HybridUnchanged", 2, true, SetDirect, 1, 7, 7}),
                         labelOf<QualityCase>);

struct StressCase {
  const char* label;
  std::uint8_t type;
  std::uint8_t mode;
  float value;
  std::uint8_t startMode;
  float startStress;
  std::uint8_t expectedMode;
  float expectedStress;
};

class RelayWhatIfStress : public ::testing::TestWithParam<StressCase> {};

TEST_P(RelayWhatIfStress, ChangesCurrentStress) {
  const StressCase& c = GetParam();
  CRelay r;  // Iop 0.5 A, Imax 1 A
  r.TYPE = c.type;
  r.STRESSMODE = c.startMode;
  r.ISTRESS = c.startStress;
  WhatIfSettings s;
  s.stressMode = c.mode;
  s.stressValue = c.value;
  r.ApplyWhatIf(s);
  EXPECT_EQ(r.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(r.ISTRESS, c.expectedStress);
  EXPECT_FLOAT_EQ(r.IOP, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Rules, RelayWhatIfStress,
                         ::testing::Values(
                             // 0.5 / 1 x 100 = 50
                             StressCase{"SetToCalcModeGivesIopOverImax", 2, SetToCalcMode, 0, 2, 75, 1, 50},
                             StressCase{"SetDirectSwitchesToManual", 2, SetDirect, 70, 1, 50, 2, 70},
                             StressCase{"IncreaseLimitedToHundred", 11, Increase, 60, 2, 50, 2, 100},
                             StressCase{"DecreaseLimitedToZero", 11, Decrease, 60, 2, 50, 2, 0},
                             StressCase{"SolidStateUnchanged", 13, SetDirect, 70, 1, 50, 1, 50}),
                         labelOf<StressCase>);

// ---- Update ------------------------------------------------------------------

struct UpdateCase {
  const char* label;
  float ownImax, otherIop;
  std::uint8_t otherMode;
  float otherStress;
  float expectedIop, expectedStress;
};

class RelayUpdate : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(RelayUpdate, CopiesApplicationParametersOnly) {
  const UpdateCase& c = GetParam();
  CRelay own;
  own.PN = "OWN";
  own.TYPE = 11;
  own.CONSTR = 4;
  own.CONTACT = 6;
  own.RATING = 1;
  own.QU = 2;
  own.IMAX = c.ownImax;
  own.LB = 0.5f;
  CRelay other;
  other.TYPE = 3;
  other.CONSTR = 2;
  other.CONTACT = 9;
  other.RATING = 2;
  other.QU = 8;
  other.LOAD = 2;
  other.IMAX = 50.0f;
  other.IOP = c.otherIop;
  other.STRESSMODE = c.otherMode;
  other.ISTRESS = c.otherStress;
  other.RATE = 77.0f;
  other.TRISE = 33.0f;
  own.UpdateAppParams(other);
  EXPECT_EQ(own.LOAD, 2);
  EXPECT_FLOAT_EQ(own.RATE, 77.0f);
  EXPECT_FLOAT_EQ(own.TRISE, 33.0f);
  EXPECT_FLOAT_EQ(own.IOP, c.expectedIop);
  EXPECT_EQ(own.STRESSMODE, c.otherMode);
  EXPECT_FLOAT_EQ(own.ISTRESS, c.expectedStress);
  // kept: identity, type, construction, contacts, rating, quality, rated current, results
  EXPECT_EQ(own.PN, "OWN");
  EXPECT_EQ(own.TYPE, 11);
  EXPECT_EQ(own.CONSTR, 4);
  EXPECT_EQ(own.CONTACT, 6);
  EXPECT_EQ(own.RATING, 1);
  EXPECT_EQ(own.QU, 2);
  EXPECT_FLOAT_EQ(own.IMAX, c.ownImax);
  EXPECT_FLOAT_EQ(own.LB, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Cases, RelayUpdate,
                         ::testing::Values(
                             // 10 A above own 2 A: Iop 2, stress 2 / 2 x 100 = 100
                             UpdateCase{"CurrentAboveOwnImaxTakesImax", 2, 10, 1, 7, 2, 100},
                             UpdateCase{"CurrentEqualToOwnImax", 2, 2, 1, 7, 2, 100},
                             // 0.5 / 2 x 100 = 25 (the other record's 7 % is not taken)
                             UpdateCase{"ComputedModeUsesOwnImax", 2, 0.5f, 1, 7, 0.5f, 25},
                             UpdateCase{"ManualModeTakesOtherStress", 2, 0.5f, 2, 66, 0.5f, 66}),
                         labelOf<UpdateCase>);

TEST(RelayUpdate, ZeroOwnImaxGivesNoNaN) {
  CRelay own;
  own.IMAX = 0.0f;
  CRelay other;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.IOP, 0.0f);
  EXPECT_FLOAT_EQ(own.ISTRESS, 100.0f);
  EXPECT_EQ(own.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(RelayUpdate, OtherClassChangesNothing) {
  CRelay own;
  CMisc misc;
  misc.TRISE = 50.0f;
  own.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(own.TRISE, 0.0f);
  EXPECT_FLOAT_EQ(own.IOP, 0.5f);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CRelay& r) {
  r.PN = "M39016/9-059M";
  r.REFDES = "K3";
  r.PART_TYPE = 502;
  r.QTY = 2.0f;
  r.CF = 1.5f;
  r.IS_SMT = 1;
  r.FR = 0.25f;
  r.S = 44.0f;
  r.T = 61.0f;
  r.OverFlags = OverStress;
  r.NOTES = "relay note";
  r.TYPE = 12;
  r.CONSTR = 3;
  r.CONTACT = 7;
  r.RATING = 1;
  r.QU = 4;
  r.LOAD = 2;
  r.IMAX = 30.0f;
  r.IOP = 12.5f;
  r.STRESSMODE = 2;
  r.ISTRESS = 44.0f;
  r.RATE = 3.5f;
  r.TRISE = 36.0f;
  r.LB = 0.011f;
  r.PIL = 3.3f;
  r.PIC = 4.25f;
  r.PICYC = 0.35f;
  r.PIF = 10.0f;
  r.PIQ = 0.6f;
  r.PIE = 46.0f;
}

TEST(RelayCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // six choice bytes, Imax, Iop, stress mode byte, stress, rate, rise, then the
  // seven factors: 6 + 4 + 4 + 1 + 4 x 3 + 7 x 4 = 55 bytes
  CRelay r;
  fill(r);
  const std::vector<std::uint8_t> b = test::ownBytes(r);
  ASSERT_EQ(b.size(), 55u);
  const std::uint8_t choices[] = {12, 3, 7, 1, 4, 2};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(b[i], choices[i]) << i;
  EXPECT_FLOAT_EQ(test::floatAt(b, 6), 30.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 10), 12.5f);
  EXPECT_EQ(b[14], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 15), 44.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 19), 3.5f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 23), 36.0f);
  const float factors[] = {0.011f, 3.3f, 4.25f, 0.35f, 10.0f, 0.6f, 46.0f};
  for (std::size_t i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(test::floatAt(b, 27 + 4 * i), factors[i]) << i;
}

// ---- Text lines --------------------------------------------------------------

TEST(RelayTextLines, DefaultDetailLines) {
  CRelay r;
  const test::Lines l = test::linesOf(r, "> ");
  // "%s%-24s %-24s %-14s  %-4s  %-4s  %-9s"
  EXPECT_EQ(l.detail1,
            "> GeneralPurpose/0-5A     "
            " "
            "Armature(Long)          "
            " "
            "Qu:MIL(Non-ER)"
            "  "
            "SPST"
            "  "
            "125C"
            "  "
            "Resistive");
  // "%s%-14s  %-13s  %-26s  %-12s  %-13s": Imax, Iop (8,6), stress (5,2), rise and rate (6,2;
  // zero prints 0.0)
  EXPECT_EQ(l.detail2,
            "> Imax:1.00000A "
            "  "
            "Iop:0.500000A"
            "  "
            "Istr:50.00%(Calc=Iop/Imax)"
            "  "
            "Trise:0.0   "
            "  "
            "Cyc/hr:1.00  ");
}

TEST(RelayTextLines, SolidStateDetailLinesLeaveMechanicalFieldsEmpty) {
  CRelay r;
  r.TYPE = 14;
  r.QU = 1;
  const test::Lines l = test::linesOf(r);
  EXPECT_EQ(l.detail1, "SSR,Time Delay           " + std::string(24, ' ') + " " + "Qu:MIL        " +
                           std::string(2 + 4 + 2 + 4 + 2 + 9, ' '));
  EXPECT_EQ(l.detail2, std::string(14 + 2 + 13 + 2 + 26 + 2 + 12 + 2 + 13, ' '));
}

TEST(RelayTextLines, HybridDetailLineShowsNoQuality) {
  CRelay r;
  r.IS_HYBRID = 1;
  r.TYPE = 7;
  const test::Lines l = test::linesOf(r);
  EXPECT_EQ(l.detail1, "ThermalTimeDelay/0-5A    " + std::string(24, ' ') + " " + std::string(14, ' ') +
                           "  SPST  125C  Resistive");
}

TEST(RelayTextLines, FactorLinesAfterCalculation) {
  CRelay r;  // the default relay at GB 25 C
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  const test::Lines l = test::linesOf(r);
  EXPECT_EQ(l.factors1, "FR=    LB    *  PIQ  *  PIE  *   PIL    *  PIC  *  PICYC   *  PIF  *   PICF  ");
  // LB 0.005900 (8,6); PIQ 1.50, PIE 1.00 (5,2); PIL 1.47790 (capped at 5 between 1 and 10);
  // PIC 1.00; PICYC 0.100000; PIF 3.00; CF 1.00000
  EXPECT_EQ(l.factors2,
            "    "
            "0.005900"
            "   "
            "1.50 "
            "   "
            "1.00 "
            "   "
            "1.47790 "
            "   "
            "1.00 "
            "   "
            "0.100000"
            "   "
            "3.00 "
            "   "
            "1.00000 ");
}

struct LineCase {
  const char* label;
  std::uint8_t type;
  float value;
  std::size_t prefixLength;
};

class RelayTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(RelayTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CRelay r;
  r.TYPE = c.type;
  r.IMAX = r.IOP = r.ISTRESS = r.RATE = r.TRISE = r.CF = c.value;
  r.LB = r.PIL = r.PIC = r.PICYC = r.PIF = r.PIQ = r.PIE = c.value;
  const test::Lines l = test::linesOf(r, std::string(c.prefixLength, '>'));
  for (const std::string* line : {&l.detail1, &l.detail2, &l.factors1, &l.factors2}) {
    EXPECT_LE(line->size(), 132u);
    EXPECT_FALSE(line->empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, RelayTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 6, 3e38f, 0},
                                           LineCase{"TinyNegative", 6, -1e-30f, 0},
                                           LineCase{"NotANumber", 6, kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 6, 3e38f, 200},
                                           LineCase{"StoredTypePastList", 255, 3e38f, 131}),
                         labelOf<LineCase>);

// ---- Editing page ------------------------------------------------------------

TEST(RelayPage, FieldsInPageOrderWithComputedStress) {
  CRelay r;
  r.IMAX = 4.0f;
  r.IOP = 1.0f;
  r.ISTRESS = 0.0f;
  test::RecordingVisitor v;
  r.paramPage(v);
  const std::vector<std::string> order = {"RELAY_TYPE",   "RELAY_CONSTR", "RELAY_CONTACT",    "RELAY_RATING",
                                          "RELAY_QU",     "RELAY_LOAD",   "RELAY_IMAX",       "RELAY_IOP",
                                          "RELAY_STRESSMODE", "RELAY_ISTRESS", "RELAY_TRISE", "RELAY_RATE"};
  EXPECT_EQ(v.keywords(), order);
  EXPECT_DOUBLE_EQ(v.find("RELAY_IOP")->hi, 4.0);
  EXPECT_FALSE(v.find("RELAY_ISTRESS")->applies);
  EXPECT_FLOAT_EQ(r.ISTRESS, 25.0f);  // shows 1 / 4 x 100
  EXPECT_EQ(v.find("RELAY_CONSTR")->choiceCount, 3u);
  EXPECT_EQ(v.find("RELAY_QU")->choiceCount, 8u);
}

TEST(RelayPage, SolidStateDisablesMechanicalFields) {
  CRelay r;
  r.TYPE = 13;
  r.IS_HYBRID = 1;
  test::RecordingVisitor v;
  r.paramPage(v);
  for (const test::SeenField& f : v.seen) {
    EXPECT_EQ(f.applies, f.keyword == "RELAY_TYPE") << f.keyword;  // quality too: hybrid
  }
}

}  // namespace
}  // namespace kestrel
