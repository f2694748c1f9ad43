#include "models/passive_semis/capacitor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using passive_test::header;
using passive_test::kNaNf;
using passive_test::near;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

// A record with the stress entered directly, so each case states it.
void configure(CCapacitor& c, std::uint8_t style, std::uint8_t quality, float cap, std::uint8_t unit,
               float stress, float cr, float trise) {
  c.TYPE = style;
  c.QU = quality;
  c.CAP = cap;
  c.CAPUNIT = unit;
  c.STRESSMODE = kVoltageStressManual;
  c.VSTRESS = stress;
  c.CIRCR = cr;
  c.TRISE = trise;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  std::uint8_t style, quality, env;
  float ambient, trise, cap;
  std::uint8_t unit;
  float stress, cr, cf;
  double lb, pit, pic, piv, pisr, piq, pie, fr;
};

class CapacitorFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(CapacitorFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CCapacitor cap;
  configure(cap, c.style, c.quality, c.cap, c.unit, c.stress, c.cr, c.trise);
  cap.CF = c.cf;
  cap.QTY = 5.0f;  // never applied to FR
  CCircHeader h = header(c.env, c.ambient);
  cap.Calculate(h);
  EXPECT_TRUE(near(cap.LB, c.lb));
  EXPECT_TRUE(near(cap.PIT, c.pit));
  EXPECT_TRUE(near(cap.PIC, c.pic));
  EXPECT_TRUE(near(cap.PIV, c.piv));
  EXPECT_TRUE(near(cap.PISR, c.pisr));
  EXPECT_TRUE(near(cap.PIQ, c.piq));
  EXPECT_TRUE(near(cap.PIE, c.pie));
  EXPECT_TRUE(near(cap.FR, c.fr));
  EXPECT_FLOAT_EQ(cap.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(cap.S, c.stress);
  EXPECT_EQ(cap.OverFlags, 0u);
}

// Ea/k: column 1 0.15 x 11604.967 = 1740.745 K; column 2 0.35 x 11604.967 = 4061.738 K.
INSTANTIATE_TEST_SUITE_P(
    Cases, CapacitorFailureRate,
    ::testing::Values(
        // CK, Non-ER, GB, 25 C, 1 uF, 50 %: pi_T = 1, pi_C = 1^0.09 = 1,
        // pi_V curve 3 = (0.5/0.6)^3 + 1 = 0.578704 + 1 = 1.578704, pi_SR 1, pi_Q 3.0, pi_E 1;
        // FR = 0.00099 x 1.578704 x 3.0 = 0.0046887
        RateCase{"CeramicDefaultsAtGroundBenign", 17, 8, 1, 25, 0, 1, 2, 50, 0.7f, 1,  //
                 0.00099, 1.0, 1.0, 1.578704, 1.0, 3.0, 1.0, 0.0046887},
        // CSR, R, GM, 60 + 10 = 70 C, 10 uF, 40 %, CR 0.1:
        // pi_T col 1 = exp(1740.745 x (1/298 - 1/343)) = exp(1740.745 x 0.00044025) = exp(0.766369) = 2.151936;
        // pi_C col 2 = 10^0.23 = exp(0.23 x 2.302585) = exp(0.529595) = 1.698244;
        // pi_V curve 4 = 0.4^17 x 5907.840 + 1 = 1.717987e-7 x 5907.840 + 1 = 1.001015; pi_SR (CR <= 0.1) 3.3;
        // pi_Q 0.1; pi_E 20; FR = 0.0004 x 2.151936 x 1.698244 x 1.001015 x 3.3 x 0.1 x 20 = 0.0096577
        RateCase{"SolidTantalumWithLowCircuitResistanceAtGroundMobile", 21, 4, 3, 60, 10, 10, 2, 40, 0.1f, 1,
                 0.0004, 2.151936, 1.698244, 1.001015, 3.3, 0.1, 20.0, 0.0096577},
        // CU, P, NU, 85 C, 100 uF, 80 %: pi_T col 2 = exp(4061.738 x (1/298 - 1/358)) = exp(4061.738 x
        // 0.00056241) = exp(2.284366) = 9.819367; pi_C col 2 = 100^0.23 = exp(1.059189) = 2.884032;
        // pi_V curve 1 = (0.8/0.6)^5 + 1 = 4.213992 + 1 = 5.213992; pi_Q 0.3; pi_E 15;
        // FR = 0.00012 x 9.819367 x 2.884032 x 5.213992 x 0.3 x 15 = 0.079735
        RateCase{"AluminumOxideHotAtNavalUnsheltered", 27, 5, 5, 85, 0, 100, 2, 80, 0.7f, 1,  //
                 0.00012, 9.819367, 2.884032, 5.213992, 1.0, 0.3, 15.0, 0.079735},
        // CM, S/B, AIF, 0 C, 1000 pf = 0.001 uF, 30 %: pi_T col 2 = exp(-4061.738 x (1/273 - 1/298)) =
        // exp(-4061.738 x 0.00030730) = exp(-1.248167) = 0.287030; pi_C col 1 = 0.001^0.09 = exp(0.09 x
        // -6.907755) = exp(-0.621698) = 0.537032; pi_V curve 2 = 0.5^10 + 1 = 1.000977; pi_Q 0.03; pi_E 15;
        // FR = 0.00076 x 0.287030 x 0.537032 x 1.000977 x 0.03 x 15 = 5.27688e-5
        RateCase{"MicaInPicofaradsBelowRoomTemperature", 12, 3, 7, 0, 0, 1000, 1, 30, 0.7f, 1,  //
                 0.00076, 0.287030, 0.537032, 1.000977, 1.0, 0.03, 15.0, 5.27688e-5},
        // CV, Commercial, CL, 60 + 40 = 100 C, 50 pf = 5e-5 uF, 60 %, CF 2 (QTY 5 not applied):
        // pi_T col 1 = exp(1740.745 x (1/298 - 1/373)) = exp(1740.745 x 0.00067474) = exp(1.174548) = 3.236685;
        // pi_C col 1 = (5e-5)^0.09 = exp(0.09 x -9.903488) = exp(-0.891314) = 0.410117;
        // pi_V curve 5 = (0.6/0.5)^3 + 1 = 1.728 + 1 = 2.728; pi_Q 10; pi_E 570;
        // FR = 0.0079 x 3.236685 x 0.410117 x 2.728 x 10 x 570 x 2 = 326.125
        RateCase{"VariableCeramicAtCannonLaunchWithCorrectionFactor", 29, 9, 14, 60, 40, 50, 1, 60, 0.7f, 2,
                 0.0079, 3.236685, 0.410117, 2.728, 1.0, 10.0, 570.0, 326.125},
        // CWR, D, SF, -55 C, 4.7 uF, 100 %, CR 0.5: pi_T col 1 = exp(-1740.745 x (1/218 - 1/298)) =
        // exp(-1740.745 x 0.00123145) = exp(-2.143643) = 0.117227; pi_C col 2 = 4.7^0.23 = exp(0.23 x
        // 1.547563) = exp(0.355939) = 1.427521; pi_V curve 4 = 1^17 x 5907.840 + 1 = 5908.840;
        // pi_SR (0.4 < CR <= 0.6) 1.3; pi_Q 0.001; pi_E 0.5;
        // FR = 0.00005 x 0.117227 x 1.427521 x 5908.840 x 1.3 x 0.001 x 0.5 = 3.21363e-5
        RateCase{"TantalumChipColdAtFullStressInSpaceFlight", 22, 1, 11, -55, 0, 4.7f, 2, 100, 0.5f, 1,  //
                 0.00005, 0.117227, 1.427521, 5908.840, 1.3, 0.001, 0.5, 3.21363e-5},
        // CHR, L, AUC, 25 C, 0.22 uF, 50 %: handbook table 10.1 lambda_b 0.00051 for CHR;
        // pi_C col 1 = 0.22^0.09 = exp(0.09 x -1.514128) = exp(-0.136271) = 0.872606;
        // pi_V curve 1 = (0.5/0.6)^5 + 1 = 0.401878 + 1 = 1.401878; pi_Q 1.5; pi_E 25;
        // FR = 0.00051 x 0.872606 x 1.401878 x 1.5 x 25 = 0.023395
        RateCase{"MetallizedPaperPlasticErTakesHandbookRate", 7, 7, 8, 25, 0, 0.22f, 2, 50, 0.7f, 1,  //
                 0.00051, 1.0, 0.872606, 1.401878, 1.0, 1.5, 25.0, 0.023395},
        // CH, the same inputs: handbook lambda_b 0.00037;
        // FR = 0.00037 x 0.872606 x 1.401878 x 1.5 x 25 = 0.016973
        RateCase{"MetallizedPaperPlasticTakesHandbookRate", 8, 7, 8, 25, 0, 0.22f, 2, 50, 0.7f, 1,  //
                 0.00037, 1.0, 0.872606, 1.401878, 1.0, 1.5, 25.0, 0.016973},
        // CDR, C, ML, 70 C, 0.1 uF, 40 %: pi_T col 2 = exp(4061.738 x 0.00044025) = exp(1.788193) = 5.978632;
        // pi_C col 1 = 0.1^0.09 = exp(-0.207233) = 0.812831; pi_V curve 3 = (0.4/0.6)^3 + 1 = 1.296296;
        // pi_Q 0.01; pi_E 50; FR = 0.0020 x 5.978632 x 0.812831 x 1.296296 x 0.01 x 50 = 0.0062995
        RateCase{"CeramicChipAtMissileLaunch", 20, 2, 13, 70, 0, 0.1f, 2, 40, 0.7f, 1,  //
                 0.0020, 5.978632, 0.812831, 1.296296, 1.0, 0.01, 50.0, 0.0062995},
        // CT, M, MF, 25 C, 10 pf = 1e-5 uF, 0 %: pi_C col 1 = (1e-5)^0.09 = exp(-1.036163) = 0.354813;
        // pi_V curve 5 at 0 = 1; pi_Q 1; pi_E 20; FR = 0.0000072 x 0.354813 x 20 = 5.10931e-5
        RateCase{"VariableAirTrimmerAtMobileLaunch", 31, 6, 12, 25, 0, 10, 1, 0, 0.7f, 1,  //
                 0.0000072, 1.0, 0.354813, 1.0, 1.0, 1.0, 20.0, 5.10931e-5}),
    labelOf<RateCase>);

// ---- One factor at a time ---------------------------------------------------
//
// Unless the case says otherwise: 25 C (pi_T = 1), 1 uF (pi_C = 1), stress 0
// (pi_V = 1 on every curve), circuit resistance 0.7 (pi_SR = 1.0 where it
// applies), quality M (pi_Q = 1) at GB (pi_E = 1), so FR = lambda_b x the factor.

struct FactorCase {
  const char* label;
  std::uint8_t style;
  float ambient = 25, cap = 1;
  std::uint8_t unit = 2;
  float stress = 0, cr = 0.7f;
  double lb = 0, pit = 1, pic = 1, piv = 1, pisr = 1;
};

FactorCase style(const char* label, std::uint8_t s, double lb) { return {label, s, 25, 1, 2, 0, 0.7f, lb}; }

class CapacitorFactor : public ::testing::TestWithParam<FactorCase> {};

TEST_P(CapacitorFactor, OneFactorAwayFromUnity) {
  const FactorCase& c = GetParam();
  CCapacitor cap;
  configure(cap, c.style, 6, c.cap, c.unit, c.stress, c.cr, 0);
  CCircHeader h = header(1, c.ambient);
  cap.Calculate(h);
  EXPECT_TRUE(near(cap.LB, c.lb));
  EXPECT_TRUE(near(cap.PIT, c.pit));
  EXPECT_TRUE(near(cap.PIC, c.pic));
  EXPECT_TRUE(near(cap.PIV, c.piv));
  EXPECT_TRUE(near(cap.PISR, c.pisr));
  EXPECT_FLOAT_EQ(cap.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(cap.PIE, 1.0f);
  EXPECT_TRUE(near(cap.FR, c.lb * c.pit * c.pic * c.piv * c.pisr));
  EXPECT_EQ(cap.OverFlags, 0u);
}

// Handbook table 10.1 base failure rates, every style.
INSTANTIATE_TEST_SUITE_P(
    BaseRate, CapacitorFactor,
    ::testing::Values(style("CP", 1, 0.00037), style("CA", 2, 0.00037), style("CZR", 3, 0.00037),
                      style("CZ", 4, 0.00037), style("CQR", 5, 0.00051), style("CQ", 6, 0.00051),
                      style("CHR", 7, 0.00051), style("CH", 8, 0.00037), style("CFR", 9, 0.00051),
                      style("CRH", 10, 0.00051), style("CMR", 11, 0.00076), style("CM", 12, 0.00076),
                      style("CB", 13, 0.00076), style("CYR", 14, 0.00076), style("CY", 15, 0.00076),
                      style("CKR", 16, 0.00099), style("CK", 17, 0.00099), style("CCR", 18, 0.00099),
                      style("CC", 19, 0.00099), style("CDR", 20, 0.0020), style("CSR", 21, 0.00040),
                      style("CWR", 22, 0.00005), style("CLR", 23, 0.00040), style("CL", 24, 0.00040),
                      style("CRL", 25, 0.00040), style("CUR", 26, 0.00012), style("CU", 27, 0.00012),
                      style("CE", 28, 0.00012), style("CV", 29, 0.0079), style("PC", 30, 0.0060),
                      style("CT", 31, 0.0000072), style("CG", 32, 0.0060)),
    labelOf<FactorCase>);

// At 125 C: column 1 exp(1740.745 x (1/298 - 1/398)) = exp(1740.745 x 0.00084314) = exp(1.467699) = 4.339222;
// column 2 exp(4061.738 x 0.00084314) = exp(3.424631) = 30.711027.
INSTANTIATE_TEST_SUITE_P(
    TemperatureColumn, CapacitorFactor,
    ::testing::Values(FactorCase{"PaperColumnOne", 1, 125, 1, 2, 0, 0.7f, 0.00037, 4.339222},
                      FactorCase{"PlasticColumnOne", 9, 125, 1, 2, 0, 0.7f, 0.00051, 4.339222},
                      FactorCase{"MicaColumnTwo", 11, 125, 1, 2, 0, 0.7f, 0.00076, 30.711027},
                      FactorCase{"CeramicColumnTwo", 17, 125, 1, 2, 0, 0.7f, 0.00099, 30.711027},
                      FactorCase{"SolidTantalumColumnOne", 21, 125, 1, 2, 0, 0.7f, 0.0004, 4.339222},
                      FactorCase{"NonSolidTantalumColumnOne", 25, 125, 1, 2, 0, 0.7f, 0.0004, 4.339222},
                      FactorCase{"AluminumColumnTwo", 28, 125, 1, 2, 0, 0.7f, 0.00012, 30.711027},
                      FactorCase{"VariableCeramicColumnOne", 29, 125, 1, 2, 0, 0.7f, 0.0079, 4.339222},
                      FactorCase{"PistonColumnTwo", 30, 125, 1, 2, 0, 0.7f, 0.0060, 30.711027},
                      FactorCase{"AirTrimmerColumnTwo", 31, 125, 1, 2, 0, 0.7f, 0.0000072, 30.711027},
                      FactorCase{"VacuumColumnOne", 32, 125, 1, 2, 0, 0.7f, 0.0060, 4.339222}),
    labelOf<FactorCase>);

// 1000 pf = 0.001 uF: column 1 0.001^0.09 = exp(0.09 x -6.907755) = 0.537032, column 2 0.001^0.23 =
// exp(-1.588784) = 0.204174. 1 F = 1e6 uF: column 1 exp(0.09 x 13.815511) = exp(1.243396) = 3.467369,
// column 2 exp(0.23 x 13.815511) = exp(3.177567) = 23.988329.
INSTANTIATE_TEST_SUITE_P(
    CapacitanceColumnAndUnit, CapacitorFactor,
    ::testing::Values(FactorCase{"PicofaradsColumnOne", 17, 25, 1000, 1, 0, 0.7f, 0.00099, 1, 0.537032},
                      FactorCase{"PicofaradsColumnTwo", 21, 25, 1000, 1, 0, 0.7f, 0.0004, 1, 0.204174},
                      FactorCase{"FaradColumnOne", 1, 25, 1, 3, 0, 0.7f, 0.00037, 1, 3.467369},
                      FactorCase{"FaradColumnTwo", 26, 25, 1, 3, 0, 0.7f, 0.00012, 1, 23.988329},
                      FactorCase{"FaradTantalumChipColumnTwo", 22, 25, 1, 3, 0, 0.7f, 0.00005, 1, 23.988329},
                      FactorCase{"MicrofaradsUnchanged", 23, 25, 1, 2, 0, 0.7f, 0.0004, 1, 1.0}),
    labelOf<FactorCase>);

// 60 %: (0.6/0.6)^n + 1 = 2 on curves 1..4, (0.6/0.5)^3 + 1 = 2.728 on curve 5. 100 %: curve 1
// 12.860082 + 1, curve 2 165.381717 + 1, curve 3 4.629630 + 1, curve 4 5907.840252 + 1, curve 5 8 + 1.
INSTANTIATE_TEST_SUITE_P(
    VoltageCurve, CapacitorFactor,
    ::testing::Values(FactorCase{"PaperCurveOneAtSixty", 1, 25, 1, 2, 60, 0.7f, 0.00037, 1, 1, 2.0},
                      FactorCase{"MicaCurveTwoAtSixty", 12, 25, 1, 2, 60, 0.7f, 0.00076, 1, 1, 2.0},
                      FactorCase{"CeramicCurveThreeAtSixty", 17, 25, 1, 2, 60, 0.7f, 0.00099, 1, 1, 2.0},
                      FactorCase{"TantalumCurveFourAtSixty", 24, 25, 1, 2, 60, 0.7f, 0.0004, 1, 1, 2.0},
                      FactorCase{"VacuumCurveFiveAtSixty", 32, 25, 1, 2, 60, 0.7f, 0.0060, 1, 1, 2.728},
                      FactorCase{"PaperCurveOneAtFull", 1, 25, 1, 2, 100, 0.7f, 0.00037, 1, 1, 13.860082},
                      FactorCase{"AluminumCurveOneAtFull", 28, 25, 1, 2, 100, 0.7f, 0.00012, 1, 1, 13.860082},
                      FactorCase{"GlassCurveTwoAtFull", 15, 25, 1, 2, 100, 0.7f, 0.00076, 1, 1, 166.381717},
                      FactorCase{"CeramicChipCurveThreeAtFull", 20, 25, 1, 2, 100, 0.7f, 0.0020, 1, 1, 5.629630},
                      FactorCase{"TantalumCurveFourAtFull", 23, 25, 1, 2, 100, 0.7f, 0.0004, 1, 1, 5908.840252},
                      FactorCase{"PistonCurveFiveAtFull", 30, 25, 1, 2, 100, 0.7f, 0.0060, 1, 1, 9.0},
                      FactorCase{"CeramicCurveThreeAtZero", 16, 25, 1, 2, 0, 0.7f, 0.00099, 1, 1, 1.0}),
    labelOf<FactorCase>);

// Series resistance rows: CR <= 0.1: 3.3; <= 0.2: 2.7; <= 0.4: 2.0; <= 0.6: 1.3; <= 0.8: 1.0; above: 0.66.
// Every boundary is taken as entered (single precision), on the row it closes.
INSTANTIATE_TEST_SUITE_P(
    SeriesResistance, CapacitorFactor,
    ::testing::Values(FactorCase{"ZeroOhmsPerVolt", 21, 25, 1, 2, 0, 0.0f, 0.0004, 1, 1, 1, 3.3},
                      FactorCase{"ExactlyPointOne", 21, 25, 1, 2, 0, 0.1f, 0.0004, 1, 1, 1, 3.3},
                      FactorCase{"JustAbovePointOne", 21, 25, 1, 2, 0, 0.11f, 0.0004, 1, 1, 1, 2.7},
                      FactorCase{"ExactlyPointTwo", 21, 25, 1, 2, 0, 0.2f, 0.0004, 1, 1, 1, 2.7},
                      FactorCase{"JustAbovePointTwo", 22, 25, 1, 2, 0, 0.21f, 0.00005, 1, 1, 1, 2.0},
                      FactorCase{"ExactlyPointFour", 22, 25, 1, 2, 0, 0.4f, 0.00005, 1, 1, 1, 2.0},
                      FactorCase{"JustAbovePointFour", 21, 25, 1, 2, 0, 0.41f, 0.0004, 1, 1, 1, 1.3},
                      FactorCase{"ExactlyPointSix", 21, 25, 1, 2, 0, 0.6f, 0.0004, 1, 1, 1, 1.3},
                      FactorCase{"JustAbovePointSix", 22, 25, 1, 2, 0, 0.61f, 0.00005, 1, 1, 1, 1.0},
                      FactorCase{"ExactlyPointEight", 21, 25, 1, 2, 0, 0.8f, 0.0004, 1, 1, 1, 1.0},
                      FactorCase{"JustAbovePointEight", 21, 25, 1, 2, 0, 0.81f, 0.0004, 1, 1, 1, 0.66},
                      FactorCase{"NineOhmsPerVolt", 22, 25, 1, 2, 0, 9.0f, 0.00005, 1, 1, 1, 0.66},
                      // the other styles ignore the stored resistance, even one outside its range
                      FactorCase{"NonSolidTantalumIgnoresIt", 23, 25, 1, 2, 0, 0.1f, 0.0004, 1, 1, 1, 1.0},
                      FactorCase{"CeramicIgnoresOutOfRange", 17, 25, 1, 2, 0, -5.0f, 0.00099, 1, 1, 1, 1.0}),
    labelOf<FactorCase>);

// ---- Quality and environment tables -------------------------------------------

struct TableCase {
  const char* label;
  std::uint8_t index;
  double factor;
};

class CapacitorQualityTable : public ::testing::TestWithParam<TableCase> {};

// CK at 25 C, 1 uF, 0 %, GB: FR = 0.00099 x pi_Q.
TEST_P(CapacitorQualityTable, QualityFactor) {
  const TableCase& c = GetParam();
  CCapacitor cap;
  configure(cap, 17, c.index, 1, 2, 0, 0.7f, 0);
  CCircHeader h = header(1, 25);
  cap.Calculate(h);
  EXPECT_TRUE(near(cap.PIQ, c.factor));
  EXPECT_TRUE(near(cap.FR, 0.00099 * c.factor));
}

INSTANTIATE_TEST_SUITE_P(Levels, CapacitorQualityTable,
                         ::testing::Values(TableCase{"D", 1, 0.001}, TableCase{"C", 2, 0.01},
                                           TableCase{"SB", 3, 0.03}, TableCase{"R", 4, 0.1},
                                           TableCase{"P", 5, 0.3}, TableCase{"M", 6, 1.0},
                                           TableCase{"L", 7, 1.5}, TableCase{"NonER", 8, 3.0},
                                           TableCase{"Commercial", 9, 10.0}),
                         labelOf<TableCase>);

class CapacitorEnvironmentTable : public ::testing::TestWithParam<TableCase> {};

// CK, M, at 25 C, 1 uF, 0 %: FR = 0.00099 x pi_E.
TEST_P(CapacitorEnvironmentTable, EnvironmentFactor) {
  const TableCase& c = GetParam();
  CCapacitor cap;
  configure(cap, 17, 6, 1, 2, 0, 0.7f, 0);
  CCircHeader h = header(c.index, 25);
  cap.Calculate(h);
  EXPECT_TRUE(near(cap.PIE, c.factor));
  EXPECT_TRUE(near(cap.FR, 0.00099 * c.factor));
  EXPECT_EQ(cap.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, CapacitorEnvironmentTable,
    ::testing::Values(TableCase{"GB", 1, 1.0}, TableCase{"GF", 2, 10.0}, TableCase{"GM", 3, 20.0},
                      TableCase{"NS", 4, 7.0}, TableCase{"NU", 5, 15.0}, TableCase{"AIC", 6, 12.0},
                      TableCase{"AIF", 7, 15.0}, TableCase{"AUC", 8, 25.0}, TableCase{"AUF", 9, 30.0},
                      TableCase{"ARW", 10, 40.0}, TableCase{"SF", 11, 0.5}, TableCase{"MF", 12, 20.0},
                      TableCase{"ML", 13, 50.0}, TableCase{"CL", 14, 570.0}),
    labelOf<TableCase>);

// ---- Limits and over flags ------------------------------------------------------

struct LimitCase {
  const char* label;
  float ambient, trise, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class CapacitorLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(CapacitorLimits, FlagsOnlyStrictlyAboveTheLimit) {
  const LimitCase& c = GetParam();
  CCapacitor cap;
  configure(cap, 17, 8, 1, 2, c.stress, 0.7f, c.trise);
  cap.TEMPLIMIT = c.tempLimit;
  cap.STRESSLIMIT = c.stressLimit;
  cap.OverFlags = EntryOverRange | EnvNotValid;  // left from before: cleared
  CCircHeader h = header(1, c.ambient);
  cap.Calculate(h);
  EXPECT_EQ(cap.OverFlags, c.flags);
  EXPECT_FLOAT_EQ(cap.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(cap.S, c.stress);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, CapacitorLimits,
                         ::testing::Values(LimitCase{"TemperatureEqualToLimit", 60, 10, 70, 50, 100, 0u},
                                           LimitCase{"TemperatureJustAboveLimit", 60, 10.5f, 70, 50, 100, OverTemp},
                                           LimitCase{"StressEqualToLimit", 25, 0, 175, 50, 50, 0u},
                                           LimitCase{"StressJustAboveLimit", 25, 0, 175, 50.5f, 50, OverStress},
                                           LimitCase{"Both", 100, 80, 150, 90, 60, OverTemp | OverStress}),
                         labelOf<LimitCase>);

// ---- Hybrid parts and surface mounting ----------------------------------------

TEST(CapacitorHybridPart, PackageSuppliesQualityAndEnvironment) {
  // CSR, Commercial, CL, 25 C, 10 uF, 40 %, CR 0.1, hybrid: pi_Q = pi_E = 1;
  // FR = 0.0004 x 1 x 1.698244 x 1.001015 x 3.3 = 0.0022439
  CCapacitor cap;
  configure(cap, 21, 9, 10, 2, 40, 0.1f, 0);
  cap.IS_HYBRID = 1;
  cap.IS_SMT = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  cap.Calculate(h);
  EXPECT_FLOAT_EQ(cap.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(cap.PIE, 1.0f);
  EXPECT_TRUE(near(cap.FR, 0.0022439));
  EXPECT_EQ(cap.SmtCalcFlag, 0);  // no solder-joint step inside a hybrid
  EXPECT_EQ(cap.GetTypeName(), "Capacitor(Hyb)");
}

TEST(CapacitorHybridPart, QualityNotChangedNotImportedNotShown) {
  CCapacitor cap;
  cap.IS_HYBRID = 1;
  WhatIfSettings s;
  s.qualityMode = SetDirect;
  s.qualityLevel = 1;
  cap.ApplyWhatIf(s);
  EXPECT_EQ(cap.QU, 8);

  ImportSetup in;
  in.map("CAP_QU", 3, std::string("D (ER)"));
  ASSERT_TRUE(cap.ImportFields(in.reader, false, false, 25.0f));
  EXPECT_EQ(cap.QU, 8);

  std::string a, b;
  cap.FormatDetail(a, b, "");
  EXPECT_EQ(a.find("Qu:"), std::string::npos);
}

struct SmtCase {
  const char* label;
  std::uint8_t triseMode;
  std::uint16_t hasSmt;
  std::uint16_t expectedFlag;
  float expectedRise;
};

class CapacitorSurfaceMount : public ::testing::TestWithParam<SmtCase> {};

TEST_P(CapacitorSurfaceMount, StepRunsOnlyInSmtCircuits) {
  const SmtCase& c = GetParam();
  CCapacitor cap;
  cap.IS_SMT = 1;
  cap.SmtCalcFlag = 1;
  cap.SMT_TRISEMODE = c.triseMode;
  cap.SMT_TEMPRISE = 3.0f;
  cap.TRISE = 20.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = c.hasSmt;
  cap.Calculate(h);
  EXPECT_EQ(cap.SmtCalcFlag, c.expectedFlag);
  EXPECT_FLOAT_EQ(cap.SMT_TEMPRISE, c.expectedRise);
  if (c.expectedFlag != 0) {
    EXPECT_GT(cap.FRSMT, 0.0f);
    EXPECT_TRUE(std::isfinite(cap.FRSMT));
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, CapacitorSurfaceMount,
                         ::testing::Values(SmtCase{"DefaultRiseTakesCapacitorRise", 1, 1, 1, 20.0f},
                                           SmtCase{"ManualRiseKept", 2, 1, 1, 3.0f},
                                           SmtCase{"CircuitWithoutAnalysis", 1, 0, 0, 3.0f}),
                         labelOf<SmtCase>);

// ---- Stored values outside their ranges ---------------------------------------

struct StoredChoiceCase {
  const char* label;
  std::uint8_t style, unit, quality;
  std::uint8_t expectedStyle, expectedUnit, expectedQuality;
  double fr;
};

class CapacitorStoredChoices : public ::testing::TestWithParam<StoredChoiceCase> {};

TEST_P(CapacitorStoredChoices, ClampedIntoTheirListsAndFlagged) {
  const StoredChoiceCase& c = GetParam();
  CCapacitor cap;
  configure(cap, c.style, c.quality, 1, c.unit, 0, 0.7f, 0);
  CCircHeader h = header(1, 25);
  cap.Calculate(h);
  EXPECT_EQ(cap.TYPE, c.expectedStyle);
  EXPECT_EQ(cap.CAPUNIT, c.expectedUnit);
  EXPECT_EQ(cap.QU, c.expectedQuality);
  EXPECT_EQ(cap.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(cap.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, CapacitorStoredChoices,
    ::testing::Values(
        // style 0 -> 1 (CP), M: FR = 0.00037
        StoredChoiceCase{"StyleZeroBecomesPaper", 0, 2, 6, 1, 2, 6, 0.00037},
        // style 200 -> 32 (CG), M: FR = 0.0060
        StoredChoiceCase{"StyleBeyondListBecomesVacuum", 200, 2, 6, 32, 2, 6, 0.0060},
        // quality 10 -> 9 (Commercial, 10): FR = 0.00099 x 10 = 0.0099
        StoredChoiceCase{"QualityBeyondListBecomesCommercial", 17, 2, 10, 17, 2, 9, 0.0099},
        // unit 7 -> 3 (F): CK column 1, 1e6^0.09 = 3.467369; FR = 0.00099 x 3.467369 = 0.0034327
        StoredChoiceCase{"UnitBeyondListBecomesFarad", 17, 7, 6, 17, 3, 6, 0.0034327}),
    labelOf<StoredChoiceCase>);

TEST(CapacitorStoredChoices, NormalizeClampsEveryChoice) {
  CCapacitor cap;
  cap.TYPE = 33;
  cap.CAPUNIT = 0;
  cap.QU = 99;
  cap.STRESSMODE = 3;
  cap.normalizeChoices();
  EXPECT_EQ(cap.TYPE, 32);
  EXPECT_EQ(cap.CAPUNIT, 1);
  EXPECT_EQ(cap.QU, 9);
  EXPECT_EQ(cap.STRESSMODE, 2);
  EXPECT_EQ(cap.OverFlags & EntryOverRange, EntryOverRange);

  CCapacitor valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

TEST(CapacitorStoredChoices, EnvironmentOutsideListIsClampedAndFlagged) {
  CCapacitor cap;
  CCircHeader h = header(0, 25);
  cap.Calculate(h);
  EXPECT_FLOAT_EQ(cap.PIE, 1.0f);  // GB
  EXPECT_EQ(cap.OverFlags & EntryOverRange, EntryOverRange);
  h.ENV = 15;
  cap.Calculate(h);
  EXPECT_FLOAT_EQ(cap.PIE, 570.0f);  // CL
  EXPECT_EQ(cap.OverFlags & EntryOverRange, EntryOverRange);
}

struct ExtremeCase {
  const char* label;
  float ambient, trise, stress, cap, cr, cf;
  float expectedT, expectedS;
  double pic, pisr;  // of a CSR, 0.0 when not checked
};

class CapacitorExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(CapacitorExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CCapacitor cap;
  configure(cap, 21, 8, c.cap, 2, c.stress, c.cr, c.trise);
  cap.CF = c.cf;
  CCircHeader h = header(1, c.ambient);
  cap.Calculate(h);
  for (float v : {cap.FR, cap.PIT, cap.PIC, cap.PIV, cap.PISR}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GE(cap.FR, 0.0f);
  EXPECT_FLOAT_EQ(cap.T, c.expectedT);
  EXPECT_FLOAT_EQ(cap.S, c.expectedS);
  if (c.pic > 0) {
    EXPECT_TRUE(near(cap.PIC, c.pic));
  }
  if (c.pisr > 0) {
    EXPECT_TRUE(near(cap.PISR, c.pisr));
  }
  EXPECT_EQ(cap.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, CapacitorExtremeValues,
    ::testing::Values(
        // temperature limited to ambient -55..175 plus a rise of 0..150
        ExtremeCase{"HugeRiseLimitedTo325", 25, 1e30f, 40, 1, 0.7f, 1, 325, 40, 0, 0},
        ExtremeCase{"RiseNotANumber", 25, kNaNf, 40, 1, 0.7f, 1, -55, 40, 0, 0},
        ExtremeCase{"AmbientBelowAbsoluteZero", -300, 0, 40, 1, 0.7f, 1, -55, 40, 0, 0},
        ExtremeCase{"HugeStressLimitedTo100", 25, 0, 1e30f, 1, 0.7f, 1, 25, 100, 0, 0},
        ExtremeCase{"StressNotANumber", 25, 0, kNaNf, 1, 0.7f, 1, 25, 0, 0, 0},
        // capacitance 0 limited to 1e-6 uF: column 2 (1e-6)^0.23 = exp(0.23 x -13.815511) = 0.041687
        ExtremeCase{"ZeroCapacitanceUsesSmallestValue", 25, 0, 40, 0, 0.7f, 1, 25, 40, 0.041687, 0},
        ExtremeCase{"CapacitanceNotANumber", 25, 0, 40, kNaNf, 0.7f, 1, 25, 40, 0.041687, 0},
        // 9999999 uF: column 2 exp(0.23 x 16.118096) = exp(3.707162) = 40.738
        ExtremeCase{"HugeCapacitanceLimited", 25, 0, 40, 3e38f, 0.7f, 1, 25, 40, 40.738, 0},
        // circuit resistance limited to 0..9: -1 -> 0 (3.3), 1e9 -> 9 (0.66), NaN -> 0 (3.3)
        ExtremeCase{"NegativeCircuitResistance", 25, 0, 40, 1, -1.0f, 1, 25, 40, 0, 3.3},
        ExtremeCase{"HugeCircuitResistance", 25, 0, 40, 1, 1e9f, 1, 25, 40, 0, 0.66},
        ExtremeCase{"CircuitResistanceNotANumber", 25, 0, 40, 1, kNaNf, 1, 25, 40, 0, 3.3},
        ExtremeCase{"CorrectionFactorNotANumber", 25, 0, 40, 1, 0.7f, kNaNf, 25, 40, 0, 0},
        ExtremeCase{"HugeCorrectionFactor", 25, 0, 40, 1, 0.7f, 3e38f, 25, 40, 0, 0}),
    labelOf<ExtremeCase>);

// ---- Import by keyword -------------------------------------------------------

// Maps the capacitor keywords to input fields 3..12.
void mapCapacitorKeywords(ImportSetup& s, const char* style, const char* mode, double stress) {
  s.map("CAP_TYPE", 3, std::string(style));
  s.map("CAP_CAP", 4, 4.7);
  s.map("CAP_CAPUNIT", 5, std::string("pf"));
  s.map("CAP_QU", 6, std::string("R (ER)"));
  s.map("CAP_VMAX", 7, 100.0);
  s.map("CAP_VOP", 8, 30.0);
  s.map("CAP_STRESSMODE", 9, std::string(mode));
  s.map("CAP_VSTRESS", 10, stress);
  s.map("CAP_TRISE", 11, 12.0);
  s.map("CAP_CIRCR", 12, 0.3);
}

TEST(CapacitorImport, ComputedModeReadsEverythingButStress) {
  ImportSetup s;
  mapCapacitorKeywords(s, "CSR (Tantalum,ER)", "Calc=Vop/Vmax", 90.0);
  passive_test::dropKeyword(s, "CAP_VSTRESS");  // reading it would fail the import
  CCapacitor c;
  ASSERT_TRUE(c.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(c.TYPE, 21);
  EXPECT_FLOAT_EQ(c.CAP, 4.7f);
  EXPECT_EQ(c.CAPUNIT, 1);
  EXPECT_EQ(c.QU, 4);
  EXPECT_FLOAT_EQ(c.VMAX, 100.0f);
  EXPECT_FLOAT_EQ(c.VOP, 30.0f);
  EXPECT_EQ(c.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(c.VSTRESS, 30.0f);  // 30 / 100 x 100
  EXPECT_FLOAT_EQ(c.TRISE, 12.0f);
  EXPECT_FLOAT_EQ(c.CIRCR, 0.3f);  // a CSR reads its circuit resistance
}

TEST(CapacitorImport, ManualModeReadsStress) {
  ImportSetup s;
  mapCapacitorKeywords(s, "CK (Ceramic)", "Manual", 90.0);
  CCapacitor c;
  ASSERT_TRUE(c.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(c.STRESSMODE, 2);
  EXPECT_FLOAT_EQ(c.VSTRESS, 90.0f);

  ImportSetup missing;
  mapCapacitorKeywords(missing, "CK (Ceramic)", "Manual", 90.0);
  passive_test::dropKeyword(missing, "CAP_VSTRESS");
  CCapacitor q;
  EXPECT_FALSE(q.ImportFields(missing.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(q.TRISE, 0.0f);  // not reached
}

struct CircuitResistanceImportCase {
  const char* label;
  const char* style;
  bool keywordPresent;
  bool succeeds;
  float expectedCr;
};

class CapacitorImportCircuitResistance : public ::testing::TestWithParam<CircuitResistanceImportCase> {};

TEST_P(CapacitorImportCircuitResistance, ReadOnlyForSolidTantalumStyles) {
  const CircuitResistanceImportCase& c = GetParam();
  ImportSetup s;
  mapCapacitorKeywords(s, c.style, "Calc=Vop/Vmax", 0.0);
  if (!c.keywordPresent) passive_test::dropKeyword(s, "CAP_CIRCR");
  CCapacitor cap;
  EXPECT_EQ(cap.ImportFields(s.reader, false, false, 25.0f), c.succeeds);
  EXPECT_FLOAT_EQ(cap.CIRCR, c.expectedCr);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, CapacitorImportCircuitResistance,
    ::testing::Values(CircuitResistanceImportCase{"SolidTantalumReadsIt", "CSR (Tantalum,ER)", true, true, 0.3f},
                      CircuitResistanceImportCase{"TantalumChipReadsIt", "CWR (TantalumChip,ER)", true, true, 0.3f},
                      CircuitResistanceImportCase{"SolidTantalumFailsWithoutIt", "CSR (Tantalum,ER)", false,
                                                  false, 0.7f},
                      CircuitResistanceImportCase{"NonSolidTantalumDoesNotRead", "CLR (Tantalum,ER)", true, true,
                                                  0.7f},
                      CircuitResistanceImportCase{"CeramicNeedsNoKeyword", "CK (Ceramic)", false, true, 0.7f}),
    labelOf<CircuitResistanceImportCase>);

TEST(CapacitorImport, OperatingVoltageLimitedToRatingJustRead) {
  ImportSetup s;
  mapCapacitorKeywords(s, "CK (Ceramic)", "Calc=Vop/Vmax", 0.0);
  s.map("CAP_VMAX", 7, 16.0);
  s.map("CAP_VOP", 8, 50.0);
  CCapacitor c;
  ASSERT_TRUE(c.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(c.VOP, 16.0f);
  EXPECT_FLOAT_EQ(c.VSTRESS, 100.0f);
  EXPECT_TRUE(passive_test::logged(s.log, "'CAP_VOP'"));
}

TEST(CapacitorImport, OutOfRangeNumbersClampedToTheirFields) {
  ImportSetup s;
  mapCapacitorKeywords(s, "CSR (Tantalum,ER)", "Calc=Vop/Vmax", 0.0);
  s.map("CAP_CAP", 4, 0.0);      // below 0.000001
  s.map("CAP_VMAX", 7, 0.0);     // below 0.01
  s.map("CAP_VOP", 8, 0.0);
  s.map("CAP_TRISE", 11, 400.0);  // above 150
  s.map("CAP_CIRCR", 12, 12.0);   // above 9
  CCapacitor c;
  ASSERT_TRUE(c.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(c.CAP, 0.000001f);
  EXPECT_FLOAT_EQ(c.VMAX, 0.01f);
  EXPECT_FLOAT_EQ(c.VSTRESS, 0.0f);
  EXPECT_FLOAT_EQ(c.TRISE, 150.0f);
  EXPECT_FLOAT_EQ(c.CIRCR, 9.0f);
}

TEST(CapacitorImport, FirstFailingReaderStopsImport) {
  ImportSetup s;
  mapCapacitorKeywords(s, "CK (Ceramic)", "Calc=Vop/Vmax", 0.0);
  passive_test::dropKeyword(s, "CAP_QU");
  CCapacitor c;
  EXPECT_FALSE(c.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(c.CAP, 4.7f);     // read before the failure
  EXPECT_FLOAT_EQ(c.VMAX, 50.0f);   // after it: not read
  ASSERT_FALSE(s.log.empty());
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('CAP_QU').");
}

// ---- What-If? ----------------------------------------------------------------

struct QualityCase {
  const char* label;
  std::uint8_t mode;
  float level;
  std::uint8_t start, expected;
};

class CapacitorWhatIfQuality : public ::testing::TestWithParam<QualityCase> {};

TEST_P(CapacitorWhatIfQuality, ChangesQualityWithinOneToNine) {
  const QualityCase& c = GetParam();
  CCapacitor cap;
  cap.QU = c.start;
  WhatIfSettings s;
  s.qualityMode = c.mode;
  s.qualityLevel = c.level;
  cap.ApplyWhatIf(s);
  EXPECT_EQ(cap.QU, c.expected);
  EXPECT_FLOAT_EQ(cap.VSTRESS, 50.0f);  // stress mode NoChange
}

INSTANTIATE_TEST_SUITE_P(Rules, CapacitorWhatIfQuality,
                         ::testing::Values(QualityCase{"IncreaseByTwoFromThree", Increase, 2, 3, 1},
                                           QualityCase{"IncreaseByFourFromTwoStopsAtBest", Increase, 4, 2, 1},
                                           QualityCase{"DecreaseByThreeStopsAtCommercial", Decrease, 3, 8, 9},
                                           QualityCase{"DecreaseByOne", Decrease, 1, 7, 8},
                                           QualityCase{"SetDirectAboveListStopsAtNine", SetDirect, 10, 5, 9},
                                           QualityCase{"NoChange", NoChange, 2, 4, 4}),
                         labelOf<QualityCase>);

struct StressCase {
  const char* label;
  std::uint8_t mode;
  float value;
  std::uint8_t startMode;
  float startStress;
  std::uint8_t expectedMode;
  float expectedStress;
};

class CapacitorWhatIfStress : public ::testing::TestWithParam<StressCase> {};

TEST_P(CapacitorWhatIfStress, ChangesStressAndMode) {
  const StressCase& c = GetParam();
  CCapacitor cap;  // Vop 25 V, Vmax 50 V
  cap.VOP = 20.0f;
  cap.STRESSMODE = c.startMode;
  cap.VSTRESS = c.startStress;
  WhatIfSettings s;
  s.stressMode = c.mode;
  s.stressValue = c.value;
  cap.ApplyWhatIf(s);
  EXPECT_EQ(cap.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(cap.VSTRESS, c.expectedStress);
  EXPECT_FLOAT_EQ(cap.VOP, 20.0f);
  EXPECT_EQ(cap.QU, 8);
}

INSTANTIATE_TEST_SUITE_P(Rules, CapacitorWhatIfStress,
                         ::testing::Values(
                             // 20 / 50 x 100 = 40
                             StressCase{"SetToCalcModeGivesVopOverVmax", SetToCalcMode, 0, 2, 75, 1, 40},
                             StressCase{"SetDirectSwitchesToManual", SetDirect, 70, 1, 40, 2, 70},
                             StressCase{"IncreaseLimitedToHundred", Increase, 30, 2, 80, 2, 100},
                             StressCase{"DecreaseLimitedToZero", Decrease, 50, 1, 40, 2, 0},
                             StressCase{"NoChange", NoChange, 70, 2, 55, 2, 55}),
                         labelOf<StressCase>);

// ---- Update ------------------------------------------------------------------

struct UpdateCase {
  const char* label;
  float ownVmax, otherVop;
  std::uint8_t otherMode;
  float otherStress;
  float expectedVop, expectedStress;
};

class CapacitorUpdate : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(CapacitorUpdate, CopiesApplicationParametersOnly) {
  const UpdateCase& c = GetParam();
  CCapacitor own;
  own.PN = "OWN";
  configure(own, 21, 2, 22, 1, 10, 0.2f, 0);
  own.VMAX = c.ownVmax;
  own.LB = 0.5f;
  CCapacitor other;
  other.PN = "OTHER";
  configure(other, 17, 9, 1, 3, 0, 0.9f, 33);
  other.VMAX = 1000.0f;
  other.VOP = c.otherVop;
  other.STRESSMODE = c.otherMode;
  other.VSTRESS = c.otherStress;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.VOP, c.expectedVop);
  EXPECT_EQ(own.STRESSMODE, c.otherMode);
  EXPECT_FLOAT_EQ(own.VSTRESS, c.expectedStress);
  EXPECT_FLOAT_EQ(own.TRISE, 33.0f);
  EXPECT_FLOAT_EQ(own.CIRCR, 0.9f);
  // kept: identity, style, value, unit, quality, rating and results
  EXPECT_EQ(own.PN, "OWN");
  EXPECT_EQ(own.TYPE, 21);
  EXPECT_FLOAT_EQ(own.CAP, 22.0f);
  EXPECT_EQ(own.CAPUNIT, 1);
  EXPECT_EQ(own.QU, 2);
  EXPECT_FLOAT_EQ(own.VMAX, c.ownVmax);
  EXPECT_FLOAT_EQ(own.LB, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Cases, CapacitorUpdate,
                         ::testing::Values(
                             // 80 V above own 50 V: Vop = 50, stress 50 / 50 x 100 = 100
                             UpdateCase{"VoltageAboveOwnRatingTakesRating", 50, 80, 1, 7, 50, 100},
                             UpdateCase{"VoltageEqualToOwnRating", 50, 50, 1, 7, 50, 100},
                             // 10 / 40 x 100 = 25 (the other record's 7 % is not taken)
                             UpdateCase{"ComputedModeUsesOwnRating", 40, 10, 1, 7, 10, 25},
                             UpdateCase{"ManualModeTakesOtherStress", 50, 10, 2, 66, 10, 66}),
                         labelOf<UpdateCase>);

TEST(CapacitorUpdate, OtherClassChangesNothing) {
  CCapacitor own;
  CMisc misc;
  misc.TRISE = 50.0f;
  own.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(own.TRISE, 0.0f);
  EXPECT_FLOAT_EQ(own.VOP, 25.0f);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CCapacitor& c) {
  c.PN = "M39003/01-2289";
  c.REFDES = "C7";
  c.PART_TYPE = 403;
  c.QTY = 4.0f;
  c.CF = 1.5f;
  c.IS_SMT = 1;
  c.SMT_TEMPRISE = 6.5f;
  c.FR = 0.0123f;
  c.S = 44.0f;
  c.T = 77.0f;
  c.OverFlags = OverStress;
  c.NOTES = "tantalum";
  c.TYPE = 22;
  c.CAP = 6.8f;
  c.CAPUNIT = 3;
  c.QU = 5;
  c.CIRCR = 0.35f;
  c.VMAX = 63.0f;
  c.VOP = 21.0f;
  c.STRESSMODE = 2;
  c.VSTRESS = 44.0f;
  c.TRISE = 17.5f;
  c.LB = 0.00005f;
  c.PIT = 1.25f;
  c.PIC = 1.5f;
  c.PIV = 1.75f;
  c.PISR = 2.0f;
  c.PIQ = 0.3f;
  c.PIE = 12.0f;
}

TEST(CapacitorCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // style, capacitance, unit, quality, circuit resistance, Vmax, Vop, mode,
  // stress, rise, then lambda_b, pi_T, pi_C, pi_V, pi_SR, pi_Q, pi_E:
  // 4 bytes + 13 floats x 4 = 56
  CCapacitor c;
  fill(c);
  const std::vector<std::uint8_t> b = passive_test::ownFieldBytes(c);
  ASSERT_EQ(b.size(), 56u);
  using passive_test::floatAt;
  EXPECT_EQ(b[0], 22);
  EXPECT_FLOAT_EQ(floatAt(b, 1), 6.8f);
  EXPECT_EQ(b[5], 3);
  EXPECT_EQ(b[6], 5);
  EXPECT_FLOAT_EQ(floatAt(b, 7), 0.35f);
  EXPECT_FLOAT_EQ(floatAt(b, 11), 63.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 15), 21.0f);
  EXPECT_EQ(b[19], 2);
  EXPECT_FLOAT_EQ(floatAt(b, 20), 44.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 24), 17.5f);
  EXPECT_FLOAT_EQ(floatAt(b, 28), 0.00005f);
  EXPECT_FLOAT_EQ(floatAt(b, 32), 1.25f);
  EXPECT_FLOAT_EQ(floatAt(b, 36), 1.5f);
  EXPECT_FLOAT_EQ(floatAt(b, 40), 1.75f);
  EXPECT_FLOAT_EQ(floatAt(b, 44), 2.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 48), 0.3f);
  EXPECT_FLOAT_EQ(floatAt(b, 52), 12.0f);
}

// ---- Text lines --------------------------------------------------------------

TEST(CapacitorTextLines, DefaultDetailLines) {
  CCapacitor c;
  std::string a, b;
  c.FormatDetail(a, b, "> ");
  // "%s%-22s  %-15s  %-13s  %-13s": capacitance (12,6) at precision 5 from 1 to 10;
  // no circuit resistance for a CK
  EXPECT_EQ(a,
            "> CK (Ceramic)          "
            "  "
            "1.00000 uF     "
            "  "
            "Qu:Non-ER    "
            "  "
            "             ");
  // "%s%-14s  %-13s  %-26s  %-12s": Vmax, Vop (8,5) at precision 4 from 10; stress (5,2); rise 0 as 0.0
  EXPECT_EQ(b,
            "> Vmax:50.0000V "
            "  "
            "Vop:25.0000V "
            "  "
            "Vstr:50.00%(Calc=Vop/Vmax)"
            "  "
            "Trise:0.0   ");
}

TEST(CapacitorTextLines, SolidTantalumShowsCircuitResistance) {
  CCapacitor c;
  configure(c, 21, 1, 0.47f, 2, 5, 0.7f, 12.5f);
  std::string a, b;
  c.FormatDetail(a, b, "");
  EXPECT_EQ(a,
            "CSR (Tantalum,ER)     "
            "  "
            "0.470000 uF    "
            "  "
            "Qu:D (ER)    "
            "  "
            "CircuitR:0.70");
  EXPECT_EQ(b,
            "Vmax:50.0000V "
            "  "
            "Vop:25.0000V "
            "  "
            "Vstr:5.00%(Manual)        "
            "  "
            "Trise:12.50 ");
}

TEST(CapacitorTextLines, FactorLinesAfterCalculation) {
  CCapacitor c;  // CK, Non-ER, 1 uF, 50 %, at GB 25 C
  CCircHeader h = header(1, 25);
  c.Calculate(h);
  std::string a, b;
  c.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    *   PIC    *   PIV    * PISR *  PIQ  *  PIE  *   PICF  ");
  // LB 0.000990 (8,6); PIT, PIC 1.00000 and PIV 1.57870 (precision 5 from 1 to 10);
  // PISR 1.00 (4,2); PIQ 3.000 (5,3); PIE 1.00 (5,2); CF 1.00000
  EXPECT_EQ(b,
            "    "
            "0.000990"
            "   "
            "1.00000 "
            "   "
            "1.00000 "
            "   "
            "1.57870 "
            "   "
            "1.00"
            "   "
            "3.000"
            "   "
            "1.00 "
            "   "
            "1.00000 ");
}

struct LineCase {
  const char* label;
  float value;
  std::size_t prefixLength;
};

class CapacitorTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(CapacitorTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CCapacitor cap;
  cap.TYPE = 22;  // the longest line 1: with the circuit resistance
  cap.CAP = cap.CIRCR = cap.VMAX = cap.VOP = cap.VSTRESS = cap.TRISE = cap.CF = c.value;
  cap.LB = cap.PIT = cap.PIC = cap.PIV = cap.PISR = cap.PIQ = cap.PIE = c.value;
  for (const std::string& line : passive_test::allLines(cap, std::string(c.prefixLength, '>'))) {
    EXPECT_LE(line.size(), 132u);
    EXPECT_FALSE(line.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, CapacitorTextLinesBounded,
                         ::testing::Values(LineCase{"HugeValues", 3e38f, 0}, LineCase{"TinyNegative", -1e-30f, 0},
                                           LineCase{"NotANumber", kNaNf, 0},
                                           LineCase{"HugeValuesLongPrefix", 3e38f, 200},
                                           LineCase{"OrdinaryValuesLongPrefix", 1.0f, 131}),
                         labelOf<LineCase>);

// ---- Editing page ------------------------------------------------------------

TEST(CapacitorPage, FieldsInPageOrderWithComputedStress) {
  CCapacitor c;
  c.VMAX = 40.0f;
  c.VOP = 10.0f;
  c.VSTRESS = 0.0f;
  passive_test::RecordingVisitor v;
  c.paramPage(v);
  const std::vector<std::string> order = {"CAP_TYPE",       "CAP_CAP",     "CAP_CAPUNIT", "CAP_QU",
                                          "CAP_VMAX",       "CAP_VOP",     "CAP_STRESSMODE",
                                          "CAP_VSTRESS",    "CAP_TRISE",   "CAP_CIRCR"};
  ASSERT_EQ(v.keywords(), order);
  EXPECT_TRUE(v.seen[3].applies);        // quality editable
  EXPECT_DOUBLE_EQ(v.seen[5].hi, 40.0);  // Vop up to the record's Vmax
  EXPECT_FALSE(v.seen[7].applies);       // stress not an entry in the computed mode
  EXPECT_FLOAT_EQ(c.VSTRESS, 25.0f);     // shows 10 / 40 x 100
  EXPECT_FALSE(v.seen[9].applies);       // a CK has no circuit resistance ("xxxxxx")
}

struct PageCase {
  const char* label;
  std::uint8_t style;
  bool hybrid;
  bool circuitResistance, quality;
};

class CapacitorPageApplies : public ::testing::TestWithParam<PageCase> {};

TEST_P(CapacitorPageApplies, FieldsFollowStyleAndHybridFlag) {
  const PageCase& c = GetParam();
  CCapacitor cap;
  cap.TYPE = c.style;
  cap.IS_HYBRID = c.hybrid ? 1 : 0;
  cap.STRESSMODE = 2;
  cap.VSTRESS = 77.0f;
  passive_test::RecordingVisitor v;
  cap.paramPage(v);
  ASSERT_EQ(v.seen.size(), 10u);
  EXPECT_EQ(v.seen[9].applies, c.circuitResistance);
  EXPECT_EQ(v.seen[3].applies, c.quality);
  EXPECT_TRUE(v.seen[7].applies);     // manual stress is an entry
  EXPECT_FLOAT_EQ(cap.VSTRESS, 77.0f);
}

INSTANTIATE_TEST_SUITE_P(Styles, CapacitorPageApplies,
                         ::testing::Values(PageCase{"SolidTantalum", 21, false, true, true},
                                           PageCase{"TantalumChip", 22, false, true, true},
                                           PageCase{"NonSolidTantalum", 23, false, false, true},
                                           PageCase{"HybridCeramicChip", 20, true, false, false},
                                           PageCase{"StyleBeyondList", 250, false, false, true}),
                         labelOf<PageCase>);

}  // namespace
}  // namespace kestrel
