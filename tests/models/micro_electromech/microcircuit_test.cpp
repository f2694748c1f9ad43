#include "models/micro_electromech/microcircuit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "electromech_test_support.hpp"
#include "microcircuit_test_support.hpp"
#include "models/micro_electromech/ic_linear.hpp"
#include "models/micro_electromech/ic_logic.hpp"
#include "models/micro_electromech/ic_micro.hpp"
#include "models/micro_electromech/ic_pla.hpp"
#include "models/micro_electromech/ic_prom.hpp"
#include "models/micro_electromech/ic_ram.hpp"
#include "models/micro_electromech/ic_rom.hpp"
#include "models/micro_electromech/register.hpp"

namespace kestrel {
namespace {

using test::ImportSetup;
using test::labelOf;
using test::near;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

enum : std::uint16_t { Logic = 101, Pla = 102, Micro = 103, Ram = 104, Rom = 105, Prom = 106, Linear = 107 };

std::unique_ptr<CIC> make(std::uint16_t id) {
  switch (id) {
    case Logic: return std::make_unique<CIC_Logic>();
    case Pla: return std::make_unique<CIC_PLA>();
    case Micro: return std::make_unique<CIC_Micro>();
    case Ram: return std::make_unique<CIC_RAM>();
    case Rom: return std::make_unique<CIC_ROM>();
    case Prom: return std::make_unique<CIC_PROM>();
    default: return std::make_unique<CIC_Linear>();
  }
}

JunctionTemp thermal(std::uint8_t mode, float tadj, float pd, float rjc, float rca, float tca, float tja) {
  return test::thermalBlock(mode, tadj, pd, rjc, rca, tca, tja);
}
JunctionTemp rise(float tja) {
  return test::junctionRise(tja);
}

// ---- Failure rates against hand-worked handbook values ----------------------

struct RateCase {
  const char* label;
  std::uint16_t id;
  std::uint8_t tech, type;
  float complex;
  std::uint8_t quality, learn;
  float years, custom;
  std::uint8_t pkg;
  float pins;
  JunctionTemp block;
  std::uint8_t env;
  float ambient, cf;
  double tj, c1, c2, pit, piq, pie, pil, fr;
};

class MicrocircuitFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(MicrocircuitFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  auto ic = make(c.id);
  ic->TECH = c.tech;
  ic->TYPE = c.type;
  ic->COMPLEX = c.complex;
  ic->QU = c.quality;
  ic->LEARN = c.learn;
  ic->YEARS = c.years;
  ic->QUCUSTOM = c.custom;
  ic->PKG = c.pkg;
  ic->PINS = c.pins;
  ic->thermal = c.block;
  ic->CF = c.cf;
  ic->QTY = 7.0f;  // never applied to FR
  CCircHeader h = test::header(c.env, c.ambient);
  ic->Calculate(h);
  EXPECT_FLOAT_EQ(ic->T, static_cast<float>(c.tj));
  EXPECT_FLOAT_EQ(ic->S, -1.0f);
  EXPECT_TRUE(near(ic->C1, c.c1));
  EXPECT_TRUE(near(ic->C2, c.c2));
  EXPECT_TRUE(near(ic->PIT, c.pit));
  EXPECT_TRUE(near(ic->PIQ, c.piq));
  EXPECT_TRUE(near(ic->PIE, c.pie));
  EXPECT_TRUE(near(ic->PIL, c.pil));
  EXPECT_FLOAT_EQ(ic->LCYC, 0.0f);
  EXPECT_TRUE(near(ic->FR, c.fr));
  EXPECT_EQ(ic->OverFlags, 0u);
}

const JunctionTemp kAtAmbient{};

INSTANTIATE_TEST_SUITE_P(
    Classes, MicrocircuitFailureRate,
    ::testing::Values(
        // New CMOS logic, 100 gates, NonHermDIP-16, Commercial, Est, GB, Tj = 25: pi_T = 0.1;
        // C2 = 0.00036 x 16^1.08 = 0.00036 x 19.973289 = 0.00719038;
        // FR = (0.01 x 0.1 + 0.00719038 x 0.5) x 10 x 1 = 0.0459519
        RateCase{"DefaultCmosLogicAtGroundBenign", Logic, 10, 1, 100, 4, 1, 2, 1, 6, 16, kAtAmbient, 1, 25, 1,
                 25, 0.01, 0.00719038, 0.1, 10, 0.5, 1, 0.0459519},
        // TTL logic 60000 gates (bipolar top row 0.08), Tj = 25 + 50 = 75, Ea 0.4:
        // pi_T = 0.1 x exp(0.4 x 11604.967 x (1/298 - 1/348)) = 0.1 x exp(2.238094) = 0.937545;
        // C2 = 0.00028 x 40^1.08 = 0.00028 x 53.730984 = 0.0150447; quality B, AIF pi_E 5;
        // FR = 0.08 x 0.937545 + 0.0150447 x 5 = 0.150227
        RateCase{"TtlLogicTopRowHotAtAirborneFighter", Logic, 2, 1, 60000, 2, 1, 2, 1, 1, 40, rise(50), 7, 25, 1,
                 75, 0.08, 0.0150447, 0.937545, 1, 5, 1, 0.150227},
        // NMOS PLA 20000 gates (MOS top row 0.0068), Tj = 25 + 10 + 0.5 x (20 + 30) = 60, Ea 0.35:
        // pi_T = 0.1 x exp(0.35 x 11604.967 x (1/298 - 1/333)) = 0.1 x exp(1.432582) = 0.418950;
        // C2 = 0.00036 x 84^1.08 = 0.00036 x 119.735141 = 0.0431047; B1 pi_Q 2, NU pi_E 6, CF 2;
        // FR = (0.0068 x 0.418950 + 0.0431047 x 6) x 2 x 2 = 1.045907
        RateCase{"NmosPlaTopRowWithCorrectionFactor", Pla, 9, 1, 20000, 3, 1, 2, 1, 7, 84,
                 thermal(1, 10, 0.5f, 20, 30, 0, 0), 5, 25, 2, 60, 0.0068, 0.0431047, 0.418950, 2, 6, 1, 1.045907},
        // ECL microprocessor 16 bits (bipolar 0.12), Tj = 25 + 15 + 1 x 10 = 50, Ea 0.4:
        // pi_T = 0.1 x exp(0.4 x 11604.967 x (1/298 - 1/323)) = 0.1 x exp(1.205661) = 0.333896;
        // Can: C2 = 0.00003 x 8^2.01 = 0.00003 x 65.344776 = 0.00196034; S pi_Q 0.25, ARW pi_E 8;
        // FR = (0.12 x 0.333896 + 0.00196034 x 8) x 0.25 = 0.0139376
        RateCase{"EclMicroprocessorInCanAtRotaryWing", Micro, 6, 1, 16, 1, 1, 2, 1, 5, 8,
                 thermal(2, 0, 1, 10, 0, 15, 0), 10, 25, 1, 50, 0.12, 0.00196034, 0.333896, 0.25, 8, 1, 0.0139376},
        // MOS DRAM 65536 bits (0.0025), Tj = 40 + 60 = 100, Ea 0.6:
        // pi_T = 0.1 x exp(0.6 x 11604.967 x (1/298 - 1/373)) = 0.1 x exp(4.698198) = 10.974924;
        // C2 = 0.00036 x 20^1.08 = 0.00036 x 25.416304 = 0.00914987; GF pi_E 2;
        // FR = (0.0025 x 10.974924 + 0.00914987 x 2) x 10 = 0.457370
        RateCase{"MosDramAtGroundFixed", Ram, 10, 1, 65536, 4, 1, 2, 1, 6, 20, rise(60), 2, 40, 1, 100, 0.0025,
                 0.00914987, 10.974924, 10, 2, 1, 0.457370},
        // Bipolar linear 301 transistors (0.04), Tj = 25, pi_T 0.1; custom quality 3.5; New, 1 year:
        // pi_L = 0.01 x exp(5.35 - 0.35) = 1.484132; HermDIP,Glass: C2 = 0.00009 x 14^1.51 =
        // 0.00009 x 53.784029 = 0.00484056; SF pi_E 0.5;
        // FR = (0.04 x 0.1 + 0.00484056 x 0.5) x 3.5 x 1.484132 = 0.0333499
        RateCase{"LinearCustomQualityNewLineAtSpaceFlight", Linear, 1, 1, 301, 5, 2, 1.0f, 3.5f, 2, 14, kAtAmbient,
                 11, 25, 1, 25, 0.04, 0.00484056, 0.1, 3.5, 0.5, 1.484132, 0.0333499},
        // ASTTL (bipolar) ROM 1048576 bits (0.075), Tj = 25 + 100 = 125, Ea 0.6:
        // pi_T = 0.1 x exp(0.6 x 11604.967 x (1/298 - 1/398)) = 0.1 x exp(5.870780) = 35.452548;
        // Flatpack: C2 = 0.00003 x 24^1.82 = 0.00003 x 325.075665 = 0.00975227; B, CL pi_E 220;
        // FR = 0.075 x 35.452548 + 0.00975227 x 220 = 4.804440
        RateCase{"BipolarRomTopRowAtCannonLaunch", Rom, 1, 1, 1048576, 2, 1, 2, 1, 4, 24, rise(100), 14, 25, 1,
                 125, 0.075, 0.00975227, 35.452548, 1, 220, 1, 4.804440},
        // Default MOS UVEPROM 1048576 bits (0.0068), HermDIP,Glass-32: C2 = 0.00009 x 32^1.51 =
        // 0.00009 x 187.402969 = 0.0168663; FR = (0.0068 x 0.1 + 0.0168663 x 0.5) x 10 = 0.0911313
        RateCase{"DefaultUvepromAtGroundBenign", Prom, 10, 2, 1048576, 4, 1, 2, 1, 2, 32, kAtAmbient, 1, 25, 1, 25,
                 0.0068, 0.0168663, 0.1, 10, 0.5, 1, 0.0911313}),
    labelOf<RateCase>);

TEST(MicrocircuitFailureRate, CorrectionFactorButNotQuantity) {
  CIC_Logic one, two;
  two.CF = 2.5f;
  two.QTY = 9.0f;
  CCircHeader h = test::header(1, 25);
  one.Calculate(h);
  two.Calculate(h);
  EXPECT_TRUE(near(two.FR, 2.5 * 0.0459519));  // default logic rate above
  EXPECT_TRUE(near(one.FR, 0.0459519));
}

// ---- Die complexity C1 by class, technology and complexity ---------------------

struct DieCase {
  const char* label;
  std::uint16_t id;
  std::uint8_t tech, type;
  float complex;
  double c1;
  bool overRange;
};

class MicrocircuitDieComplexity : public ::testing::TestWithParam<DieCase> {};

TEST_P(MicrocircuitDieComplexity, RowAtBoundary) {
  const DieCase& c = GetParam();
  auto ic = make(c.id);
  ic->TECH = c.tech;
  ic->TYPE = c.type;
  ic->COMPLEX = c.complex;
  CCircHeader h = test::header(1, 25);
  ic->Calculate(h);
  EXPECT_TRUE(near(ic->C1, c.c1));
  EXPECT_EQ((ic->OverFlags & EntryOverRange) != 0, c.overRange);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MicrocircuitDieComplexity,
    ::testing::Values(
        DieCase{"CmosLogic100", Logic, 10, 1, 100, 0.01, false},
        DieCase{"CmosLogic101", Logic, 10, 1, 101, 0.02, false},
        DieCase{"CmosLogic3001", Logic, 10, 1, 3001, 0.08, false},
        DieCase{"CmosLogic30001", Logic, 10, 1, 30001, 0.29, false},
        DieCase{"BipolarLogic1000", Logic, 2, 1, 1000, 0.005, false},
        DieCase{"BipolarLogic10001", Logic, 2, 1, 10001, 0.04, false},
        DieCase{"BipolarLogic60000", Logic, 6, 1, 60000, 0.08, false},
        // a complexity past the table takes its last row and flags the entry
        DieCase{"LogicBeyondTableTakesLastRow", Logic, 10, 1, 60001, 0.29, true},
        DieCase{"LogicZeroTakesFirstRow", Logic, 10, 1, 0, 0.01, true},
        DieCase{"LogicNotANumberTakesFirstRow", Logic, 10, 1, kNaNf, 0.01, true},
        DieCase{"MosPla500", Pla, 8, 1, 500, 0.00085, false},
        DieCase{"MosPla501", Pla, 8, 1, 501, 0.0017, false},
        DieCase{"MosPla2001", Pla, 9, 1, 2001, 0.0034, false},
        DieCase{"MosPla5001", Pla, 10, 1, 5001, 0.0068, false},
        DieCase{"BipolarPla200", Pla, 1, 1, 200, 0.01, false},
        DieCase{"BipolarPla201", Pla, 1, 1, 201, 0.021, false},
        DieCase{"BipolarPla1001", Pla, 7, 1, 1001, 0.042, false},
        // 20000 gates is a MOS complexity: a bipolar PLA is limited to 5000
        DieCase{"BipolarPla20000IsBeyondItsRange", Pla, 2, 1, 20000, 0.042, true},
        DieCase{"MosMicro8", Micro, 10, 1, 8, 0.14, false},
        DieCase{"MosMicro9", Micro, 10, 1, 9, 0.28, false},
        DieCase{"MosMicro17", Micro, 10, 1, 17, 0.56, false},
        DieCase{"BipolarMicro8", Micro, 5, 1, 8, 0.06, false},
        DieCase{"BipolarMicro32", Micro, 5, 1, 32, 0.24, false},
        DieCase{"Micro64BitsBeyondTable", Micro, 10, 1, 64, 0.56, true},
        DieCase{"Dram16384", Ram, 10, 1, 16384, 0.0013, false},
        DieCase{"Dram262145", Ram, 9, 1, 262145, 0.01, false},
        DieCase{"Sram16385", Ram, 10, 2, 16385, 0.016, false},
        DieCase{"Sram262144", Ram, 8, 2, 262144, 0.031, false},
        // BiCMOS uses the SRAM row whatever the memory type holds; other bipolar its own row
        DieCase{"BiCmosRamIsSram", Ram, 5, 1, 16384, 0.0078, false},
        DieCase{"TtlRamIsBipolarRow", Ram, 2, 2, 16384, 0.0052, false},
        DieCase{"BipolarRam1048576", Ram, 4, 1, 1048576, 0.042, false},
        DieCase{"RamBeyondOneMegabit", Ram, 10, 1, 1048577, 0.01, true},
        DieCase{"MosRom65536", Rom, 10, 1, 65536, 0.0013, false},
        DieCase{"MosRom65537", Rom, 10, 1, 65537, 0.0026, false},
        DieCase{"BipolarRom16385", Rom, 3, 1, 16385, 0.019, false},
        DieCase{"MosEeprom262145", Prom, 10, 3, 262145, 0.0068, false},
        DieCase{"MosEaprom16384", Prom, 9, 4, 16384, 0.00085, false},
        DieCase{"BipolarProm65537", Prom, 6, 1, 65537, 0.038, false},
        DieCase{"Linear100", Linear, 1, 1, 100, 0.01, false},
        DieCase{"Linear101", Linear, 2, 1, 101, 0.02, false},
        DieCase{"Linear1001", Linear, 2, 1, 1001, 0.06, false},
        DieCase{"LinearBeyondTable", Linear, 1, 1, 10001, 0.06, true}),
    labelOf<DieCase>);

// ---- Activation energy by class and technology (handbook table 5.8) -------------

struct EnergyCase {
  const char* label;
  std::uint16_t id;
  std::uint8_t tech;
  double pit;  // at Tj = 75: 0.1 x exp(Ea x 11604.967 x 0.000482141)
};

class MicrocircuitActivationEnergy : public ::testing::TestWithParam<EnergyCase> {};

TEST_P(MicrocircuitActivationEnergy, TemperatureFactorAt75) {
  const EnergyCase& c = GetParam();
  auto ic = make(c.id);
  ic->TECH = c.tech;
  ic->COMPLEX = 8;
  ic->thermal = rise(50);
  CCircHeader h = test::header(1, 25);
  ic->Calculate(h);
  EXPECT_TRUE(near(ic->PIT, c.pit));
}

// Ea 0.4: exp(2.238094) -> 0.937545; 0.45: exp(2.517856) -> 1.240198; 0.5: exp(2.797618) -> 1.640552;
// 0.6: exp(3.357142) -> 2.870702; 0.35: exp(1.958333) -> 0.708750; 0.65: exp(3.636903) -> 3.797406
INSTANTIATE_TEST_SUITE_P(
    Technologies, MicrocircuitActivationEnergy,
    ::testing::Values(EnergyCase{"AsttlSttl", Logic, 1, 0.937545}, EnergyCase{"TtlHttlFttl", Logic, 2, 0.937545},
                      // LTTL is a 0.45 eV technology in the handbook
                      EnergyCase{"Lttl", Logic, 3, 1.240198}, EnergyCase{"AlsttlLsttl", Pla, 4, 1.640552},
                      EnergyCase{"BiCmos", Micro, 5, 1.640552}, EnergyCase{"CmlDtlEcl", Logic, 6, 0.937545},
                      EnergyCase{"IilI3lIsl", Pla, 7, 2.870702},
                      // MNOS is digital MOS: 0.35 eV
                      EnergyCase{"Mnos", Micro, 8, 0.708750}, EnergyCase{"NmosPmosHmos", Logic, 9, 0.708750},
                      EnergyCase{"Cmos", Pla, 10, 0.708750}, EnergyCase{"MosRam", Ram, 10, 2.870702},
                      EnergyCase{"BipolarRom", Rom, 2, 2.870702}, EnergyCase{"MnosProm", Prom, 8, 2.870702},
                      EnergyCase{"BipolarLinear", Linear, 1, 3.797406},
                      EnergyCase{"MosLinear", Linear, 2, 3.797406}),
    labelOf<EnergyCase>);

// ---- Learning factor ---------------------------------------------------------------

struct LearningCase {
  const char* label;
  std::uint8_t learn;
  float years;
  bool hybrid;
  double pil;
};

class MicrocircuitLearning : public ::testing::TestWithParam<LearningCase> {};

TEST_P(MicrocircuitLearning, FactorByYearsInProduction) {
  const LearningCase& c = GetParam();
  CIC_Linear ic;
  ic.LEARN = c.learn;
  ic.YEARS = c.years;
  ic.IS_HYBRID = c.hybrid ? 1 : 0;
  CCircHeader h = test::header(1, 25);
  ic.Calculate(h);
  EXPECT_TRUE(near(ic.PIL, c.pil));
}

// pi_L = 0.01 x exp(5.35 - 0.35 Y), held at 2.0 up to 0.1 year and at 1.0 from 2 years
INSTANTIATE_TEST_SUITE_P(
    Years, MicrocircuitLearning,
    ::testing::Values(LearningCase{"EstablishedIsOne", 1, 0.01f, false, 1.0},
                      LearningCase{"NewAtLowestEntryIsTwo", 2, 0.01f, false, 2.0},
                      LearningCase{"NewAtTenthOfYearIsTwo", 2, 0.1f, false, 2.0},
                      // 0.01 x exp(5.35 - 0.0385) = 0.01 x exp(5.3115) = 2.026540
                      LearningCase{"NewJustAboveTenthOfYear", 2, 0.11f, false, 2.026540},
                      // 0.01 x exp(5.175) = 1.767966
                      LearningCase{"NewHalfYear", 2, 0.5f, false, 1.767966},
                      // 0.01 x exp(5.35 - 0.6965) = 0.01 x exp(4.6535) = 1.049517
                      LearningCase{"NewJustBelowTwoYears", 2, 1.99f, false, 1.049517},
                      LearningCase{"NewAtTwoYearsIsOne", 2, 2.0f, false, 1.0},
                      LearningCase{"HybridIsOne", 2, 0.5f, true, 1.0}),
    labelOf<LearningCase>);

// ---- EEPROM programming cycles (handbook section 5.2) ---------------------------------

struct CycleCase {
  const char* label;
  std::uint8_t process, ecc, quality;
  float bits, cycles, life;
  float tja;  // Tj = 25 + tja
  double lcyc;
};

class MicrocircuitEepromCycles : public ::testing::TestWithParam<CycleCase> {};

TEST_P(MicrocircuitEepromCycles, CycleRate) {
  const CycleCase& c = GetParam();
  CIC_PROM ic;
  ic.TYPE = kIcEeprom;
  ic.PROCESS = c.process;
  ic.ECC = c.ecc;
  ic.QU = c.quality;
  ic.COMPLEX = c.bits;
  ic.CYCLES = c.cycles;
  ic.DESLIFE = c.life;
  ic.thermal = rise(c.tja);
  CCircHeader h = test::header(1, 25);
  ic.Calculate(h);
  EXPECT_TRUE(near(ic.LCYC, c.lcyc));
  EXPECT_TRUE(near(ic.FR, (ic.C1 * ic.PIT + ic.C2 * ic.PIE + ic.LCYC) * ic.PIQ * ic.PIL));
}

INSTANTIATE_TEST_SUITE_P(
    Cycles, MicrocircuitEepromCycles,
    ::testing::Values(
        // Flotox at Tj = 60 (= 1/333): B1 = (64000/16000)^0.5 x 1 = 2; A1(100) 0.0007 -> 0.0014
        CycleCase{"Flotox100CyclesAtReference", 1, 1, 4, 64000, 100, 10000, 35, 0.0014},
        // A1(101) 0.0014 x 2 x Hamming 0.72 x (20000 x 0.0001 = 2) = 0.004032
        CycleCase{"Flotox101CyclesHammingDoubleLife", 1, 2, 4, 64000, 101, 20000, 35, 0.004032},
        // Tj = 25: B1 = (16000/16000)^0.5 x exp(-0.15 x 11604.967 x (1/298 - 1/333)) = exp(-0.613964)
        // = 0.541201; A1(500000) 3.4 -> 1.840085
        CycleCase{"Flotox500000CyclesAtRoom", 1, 1, 4, 16000, 500000, 10000, 0, 1.840085},
        // textured poly at Tj = 30 (= 1/303), 64000 bits: B1 = B2 = 1; A1 0.3, A2(300000) 0
        CycleCase{"TexturedPoly300000HasNoA2", 2, 1, 4, 64000, 300000, 10000, 5, 0.3},
        // A2(300001) 1.1 divided by pi_Q 0.25 (S): 0.3 + 4.4 = 4.7
        CycleCase{"TexturedPoly300001AddsA2OverQuality", 2, 1, 1, 64000, 300001, 10000, 5, 4.7},
        // Tj = 25, 1024000 bits: (16)^0.25 = 2, D = 1/298 - 1/303 = 5.537466e-5;
        // B1 = 2 x exp(-0.077115) = 1.851568, B2 = 2 x exp(0.064262) = 2.132744;
        // (0.3 x 1.851568 + 2.3 x 2.132744 / 0.25) x redundant cell 0.68 = 13.720165
        CycleCase{"TexturedPoly400001RedundantCellAtRoom", 2, 3, 1, 1024000, 400001, 10000, 0, 13.720165}),
    labelOf<CycleCase>);

TEST(MicrocircuitEepromCycles, WholeRateOfAFlotoxEeprom) {
  // Flotox at Tj = 60, 64000 bits (C1 0.0017), 100 cycles: LCYC 0.0014; Ea 0.6:
  // pi_T = 0.1 x exp(0.6 x 11604.967 x (1/298 - 1/333)) = 0.1 x exp(2.455855) = 1.165639;
  // HermDIP,Glass-32: C2 = 0.0168663; FR = (0.0017 x 1.165639 + 0.0168663 x 0.5 + 0.0014) x 10 = 0.118147
  CIC_PROM ic;
  ic.TYPE = kIcEeprom;
  ic.COMPLEX = 64000;
  ic.CYCLES = 100;
  ic.thermal = rise(35);
  CCircHeader h = test::header(1, 25);
  ic.Calculate(h);
  EXPECT_TRUE(near(ic.FR, 0.118147));
}

TEST(MicrocircuitEepromCycles, OnlyMosEepromsHaveTheTerm) {
  for (std::uint8_t tech : {2, 10}) {
    CIC_PROM prom;
    prom.TECH = tech;
    prom.TYPE = tech == 10 ? 2 : kIcEeprom;  // a MOS UVEPROM, or bipolar with an EEPROM type stored
    CIC_ROM rom;
    CCircHeader h = test::header(1, 25);
    prom.Calculate(h);
    rom.Calculate(h);
    EXPECT_FLOAT_EQ(prom.LCYC, 0.0f) << int(tech);
    EXPECT_FALSE(prom.isEeprom());
    EXPECT_FLOAT_EQ(rom.LCYC, 0.0f);
  }
}

// ---- Hybrid parts, limits, surface mounting -------------------------------------------

TEST(MicrocircuitHybridPart, PackageQualityAndLearningComeFromTheHybrid) {
  // CMOS logic 100 gates in a hybrid at CL: C2 = 0, pi_Q = pi_L = 1, pi_E still 220;
  // FR = 0.01 x 0.1 = 0.001
  CIC_Logic ic;
  ic.IS_HYBRID = 1;
  ic.QU = 1;
  ic.LEARN = 2;
  ic.YEARS = 0.5f;
  ic.IS_SMT = 1;
  ic.SmtCalcFlag = 1;
  CCircHeader h = test::smtHeader(14, 25);
  ic.Calculate(h);
  EXPECT_FLOAT_EQ(ic.C2, 0.0f);
  EXPECT_FLOAT_EQ(ic.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(ic.PIL, 1.0f);
  EXPECT_FLOAT_EQ(ic.PIE, 220.0f);
  EXPECT_TRUE(near(ic.FR, 0.001));
  EXPECT_EQ(ic.SmtCalcFlag, 0);
  EXPECT_EQ(ic.GetTypeName(), "IC,Logic(Hyb)");
  std::string l1, l2;
  ic.FormatDetail(l1, l2, "");
  EXPECT_EQ(l1.find("Qu:"), std::string::npos);
  EXPECT_EQ(l1.find("NonHermDIP"), std::string::npos);
  EXPECT_EQ(l1.find('Y'), std::string::npos);
}

struct LimitCase {
  const char* label;
  float tja, limit;
  std::uint32_t flags;
};

class MicrocircuitLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(MicrocircuitLimitFlags, OverTempOnlyStrictlyAbove) {
  const LimitCase& c = GetParam();
  CIC_RAM ic;
  ic.thermal = rise(c.tja);
  ic.TEMPLIMIT = c.limit;
  ic.STRESSLIMIT = 0;  // no stress figure: never over stress
  CCircHeader h = test::header(1, 25);
  ic.Calculate(h);
  EXPECT_EQ(ic.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, MicrocircuitLimitFlags,
                         ::testing::Values(LimitCase{"JunctionEqualToLimit", 100, 125, 0u},
                                           LimitCase{"JunctionJustAboveLimit", 100.25f, 125, OverTemp}),
                         labelOf<LimitCase>);

TEST(MicrocircuitSurfaceMount, DefaultRiseIsPdTimesRjc) {
  // mode 1: rise = Pd x Rjc = 0.5 x 30 = 15, not 0.5 x (30 + 40)
  CIC_Micro ic;
  ic.thermal = thermal(1, 2, 0.5f, 30, 40, 0, 0);
  ic.IS_SMT = 1;
  CCircHeader h = test::smtHeader(1, 25);
  ic.Calculate(h);
  EXPECT_EQ(ic.SmtCalcFlag, 1);
  EXPECT_GT(ic.FRSMT, 0.0f);
  EXPECT_FLOAT_EQ(ic.SMT_TEMPRISE, 15.0f);
}

// ---- Stored values outside their ranges -------------------------------------------------

TEST(MicrocircuitStoredChoices, ClampedAndFlagged) {
  // technology 11 -> CMOS, quality 9 -> Custom (factor 1), package 0 -> HermDIP,Solder,
  // learning 3 -> New (2 years: 1.0), environment 20 -> CL
  CIC_Logic ic;
  ic.TECH = 11;
  ic.QU = 9;
  ic.PKG = 0;
  ic.LEARN = 3;
  CCircHeader h = test::header(20, 25);
  ic.Calculate(h);
  EXPECT_EQ(ic.TECH, 10);
  EXPECT_EQ(ic.QU, 5);
  EXPECT_EQ(ic.PKG, 1);
  EXPECT_EQ(ic.LEARN, 2);
  EXPECT_NE(ic.OverFlags & EntryOverRange, 0u);
  // C2 = 0.00028 x 16^1.08 = 0.00559252; FR = 0.01 x 0.1 + 0.00559252 x 220 = 1.231355
  EXPECT_TRUE(near(ic.FR, 1.231355));

  CIC_RAM ram;  // MOS memory type 5 -> SRAM; 16384 bits: 0.0078
  ram.TYPE = 5;
  ram.COMPLEX = 16384;
  ram.normalizeChoices();
  EXPECT_EQ(ram.TYPE, 2);
  EXPECT_NE(ram.OverFlags & EntryOverRange, 0u);
  CCircHeader g = test::header(1, 25);
  ram.Calculate(g);
  EXPECT_TRUE(near(ram.C1, 0.0078));

  CIC_Linear linear;  // the linear list has two technologies
  linear.TECH = 3;
  linear.normalizeChoices();
  EXPECT_EQ(linear.TECH, 2);
}

TEST(MicrocircuitStoredChoices, ExtremeNumbersStayFinite) {
  for (float v : {kNaNf, 3e38f, -3e38f}) {
    CIC_PROM ic;
    ic.TYPE = kIcEeprom;
    ic.PROCESS = 2;
    ic.COMPLEX = v;
    ic.PINS = v;
    ic.CYCLES = v;
    ic.DESLIFE = v;
    ic.QU = 5;
    ic.QUCUSTOM = v;
    ic.LEARN = 2;
    ic.YEARS = v;
    ic.CF = v;
    ic.thermal = thermal(1, v, v, v, v, v, v);
    CCircHeader h = test::header(1, 25);
    ic.Calculate(h);
    EXPECT_TRUE(std::isfinite(ic.FR)) << v;
    EXPECT_GT(ic.FR, 0.0f) << v;
    EXPECT_NE(ic.OverFlags & EntryOverRange, 0u);
    for (const test::Lines& l : {test::linesOf(ic, std::string(40, '>'))}) {
      for (const std::string* s : {&l.detail1, &l.detail2, &l.factors1, &l.factors2}) EXPECT_LE(s->size(), 132u);
    }
  }
}

// ---- Import by keyword ----------------------------------------------------------------

void mapIc(ImportSetup& s, const char* tech) {
  s.map("IC_TECH", 3, std::string(tech));
  s.map("IC_TYPE", 4, std::string("EEPROM"));
  s.map("IC_COMPLEX", 5, 20000.0);
  s.map("IC_LEARN", 6, std::string("New"));
  s.map("IC_YEARS", 7, 0.5);
  s.map("IC_QU", 8, std::string("Custom"));
  s.map("IC_QUCUSTOM", 9, 4.0);
  s.map("IC_PKG", 10, std::string("Can"));
  s.map("IC_PINS", 11, 12.0);
  s.map("IC_PROCESS", 12, std::string("TexturedPoly"));
  s.map("IC_ECC", 13, std::string("HammingCode"));
  s.map("IC_CYCLES", 14, 5000.0);
  s.map("IC_DESLIFE", 15, 30000.0);
  s.map("IC_TEMPMODE", 16, std::string("Tj=Ta+Tja"));
  s.map("IC_TJA", 17, 20.0);
}

TEST(MicrocircuitImport, EepromReadsEveryField) {
  ImportSetup s;
  mapIc(s, "CMOS");
  CIC_PROM ic;
  ASSERT_TRUE(ic.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(ic.TECH, 10);
  EXPECT_EQ(ic.TYPE, 3);
  EXPECT_FLOAT_EQ(ic.COMPLEX, 20000.0f);
  EXPECT_EQ(ic.LEARN, 2);
  EXPECT_FLOAT_EQ(ic.YEARS, 0.5f);
  EXPECT_EQ(ic.QU, 5);
  EXPECT_FLOAT_EQ(ic.QUCUSTOM, 4.0f);
  EXPECT_EQ(ic.PKG, 5);
  EXPECT_FLOAT_EQ(ic.PINS, 12.0f);
  EXPECT_EQ(ic.PROCESS, 2);
  EXPECT_EQ(ic.ECC, 2);
  EXPECT_FLOAT_EQ(ic.CYCLES, 5000.0f);
  EXPECT_FLOAT_EQ(ic.DESLIFE, 30000.0f);
  EXPECT_EQ(ic.thermal.MODE, 3);
  EXPECT_FLOAT_EQ(ic.thermal.TJA, 20.0f);
}

struct SkipCase {
  const char* label;
  std::uint16_t id;
  const char* tech;
  bool hybrid;
  std::vector<const char*> notRead;  // dropped from the definition: the import still succeeds
};

class MicrocircuitImportByClass : public ::testing::TestWithParam<SkipCase> {};

TEST_P(MicrocircuitImportByClass, ReadsOnlyWhatTheRecordUses) {
  const SkipCase& c = GetParam();
  ImportSetup s;
  mapIc(s, c.tech);
  for (const char* k : c.notRead) test::dropKeyword(s, k);
  auto ic = make(c.id);
  ic->IS_HYBRID = c.hybrid ? 1 : 0;
  EXPECT_TRUE(ic->ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(ic->thermal.TJA, 20.0f);  // the block is still read at the end
}

INSTANTIATE_TEST_SUITE_P(
    Classes, MicrocircuitImportByClass,
    ::testing::Values(
        SkipCase{"LogicReadsNoTypeNorEeprom", Logic, "CMOS", false,
                 {"IC_TYPE", "IC_PROCESS", "IC_ECC", "IC_CYCLES", "IC_DESLIFE"}},
        SkipCase{"BipolarPromReadsNoType", Prom, "TTL,HTTL,FTTL", false,
                 {"IC_TYPE", "IC_PROCESS", "IC_ECC", "IC_CYCLES", "IC_DESLIFE"}},
        SkipCase{"MosRamReadsTypeNotEeprom", Ram, "NMOS,PMOS,HMOS", false,
                 {"IC_PROCESS", "IC_ECC", "IC_CYCLES", "IC_DESLIFE"}},
        SkipCase{"HybridReadsNoLearningQualityPackage", Linear, "MOS", true,
                 {"IC_TYPE", "IC_LEARN", "IC_YEARS", "IC_QU", "IC_QUCUSTOM", "IC_PKG", "IC_PINS", "IC_PROCESS"}}),
    labelOf<SkipCase>);

TEST(MicrocircuitImport, ComplexityRangeFollowsClassAndTechnology) {
  // 20000 gates: a MOS PLA takes it, a bipolar PLA is held at 5000, a microprocessor at 32
  ImportSetup mos;
  mapIc(mos, "CMOS");
  CIC_PLA a;
  ASSERT_TRUE(a.ImportFields(mos.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(a.COMPLEX, 20000.0f);
  ImportSetup bipolar;
  mapIc(bipolar, "ECL");  // no match: the technology stays CMOS
  bipolar.map("IC_TECH", 3, std::string("CML,DTL,ECL"));
  CIC_PLA b;
  ASSERT_TRUE(b.ImportFields(bipolar.reader, false, false, 25.0f));
  EXPECT_EQ(b.TECH, 6);
  EXPECT_FLOAT_EQ(b.COMPLEX, 5000.0f);
  EXPECT_TRUE(test::logged(bipolar.log, "'IC_COMPLEX'"));
  CIC_Micro m;
  ImportSetup micro;
  mapIc(micro, "CMOS");
  ASSERT_TRUE(m.ImportFields(micro.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(m.COMPLEX, 32.0f);
}

TEST(MicrocircuitImport, LinearTechnologyFromItsOwnList) {
  ImportSetup s;
  mapIc(s, "MOS");
  CIC_Linear ic;
  ASSERT_TRUE(ic.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(ic.TECH, 2);
  ImportSetup t;
  mapIc(t, "MOS");
  CIC_Logic logic;  // "MOS" is no logic technology: the valid current choice stays
  ASSERT_TRUE(logic.ImportFields(t.reader, false, false, 25.0f));
  EXPECT_EQ(logic.TECH, 10);
}

TEST(MicrocircuitImport, FirstFailingReaderStops) {
  ImportSetup s;
  mapIc(s, "CMOS");
  test::dropKeyword(s, "IC_QU");
  CIC_Logic ic;
  EXPECT_FALSE(ic.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(ic.YEARS, 0.5f);  // read before the failure
  EXPECT_EQ(ic.PKG, 6);             // after it: not read
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('IC_QU').");
}

// ---- What-If?, update, copy, files ------------------------------------------------------

struct WhatIfCase {
  const char* label;
  std::uint8_t quality;
  bool hybrid;
  std::uint8_t mode;
  float level;
  std::uint8_t expected;
};

class MicrocircuitWhatIf : public ::testing::TestWithParam<WhatIfCase> {};

TEST_P(MicrocircuitWhatIf, QualityWithinSToCommercial) {
  const WhatIfCase& c = GetParam();
  CIC_ROM ic;
  ic.QU = c.quality;
  ic.IS_HYBRID = c.hybrid ? 1 : 0;
  WhatIfSettings s;
  s.qualityMode = c.mode;
  s.qualityLevel = c.level;
  ic.ApplyWhatIf(s);
  EXPECT_EQ(ic.QU, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, MicrocircuitWhatIf,
                         ::testing::Values(WhatIfCase{"IncreaseByTwo", 4, false, Increase, 2, 2},
                                           WhatIfCase{"DecreaseStopsAtCommercial", 2, false, Decrease, 5, 4},
                                           WhatIfCase{"SetNeverReachesCustom", 1, false, SetDirect, 5, 4},
                                           WhatIfCase{"HybridUnchanged", 4, true, SetDirect, 1, 4}),
                         labelOf<WhatIfCase>);

void fill(CIC& ic) {
  ic.PN = "IC-1";
  ic.TECH = 9;
  ic.TYPE = 3;
  ic.COMPLEX = 4096;
  ic.LEARN = 2;
  ic.YEARS = 1.25f;
  ic.QU = 5;
  ic.QUCUSTOM = 6.5f;
  ic.PKG = 7;
  ic.PINS = 44;
  ic.PROCESS = 2;
  ic.ECC = 3;
  ic.CYCLES = 777;
  ic.DESLIFE = 55000;
  ic.thermal = thermal(2, 1.5f, 0.25f, 12, 33, 4, 5);
  ic.C1 = 0.11f;
  ic.C2 = 0.22f;
  ic.PIT = 0.33f;
  ic.PIQ = 0.44f;
  ic.PIE = 0.55f;
  ic.PIL = 0.66f;
  ic.LCYC = 0.77f;
}

TEST(MicrocircuitUpdate, CopiesCyclesLifeAndThermalApplication) {
  CIC_PROM own;
  CIC_PROM other;
  fill(other);
  own.thermal.RJC = 9;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.CYCLES, 777.0f);
  EXPECT_FLOAT_EQ(own.DESLIFE, 55000.0f);
  EXPECT_EQ(own.thermal.MODE, 2);
  EXPECT_FLOAT_EQ(own.thermal.RCA, 33.0f);
  EXPECT_FLOAT_EQ(own.thermal.RJC, 9.0f);  // Rjc stays with the part
  EXPECT_EQ(own.TECH, 10);                 // kept
  EXPECT_FLOAT_EQ(own.COMPLEX, 1048576.0f);
  EXPECT_EQ(own.PN, "");
}

TEST(MicrocircuitFiles, OwnFieldsInFileOrder) {
  // TECH, TYPE bytes, COMPLEX, LEARN byte, YEARS, QU byte, QUCUSTOM, PKG byte, PINS, PROCESS and ECC
  // bytes, CYCLES, DESLIFE: 31 bytes; the block 25; seven factors 28: 84 bytes
  CIC_PROM ic;
  fill(ic);
  const std::vector<std::uint8_t> b = test::ownBytes(ic);
  ASSERT_EQ(b.size(), 84u);
  EXPECT_EQ(b[0], 9);
  EXPECT_EQ(b[1], 3);
  EXPECT_FLOAT_EQ(test::floatAt(b, 2), 4096.0f);
  EXPECT_EQ(b[6], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 7), 1.25f);
  EXPECT_EQ(b[11], 5);
  EXPECT_FLOAT_EQ(test::floatAt(b, 12), 6.5f);
  EXPECT_EQ(b[16], 7);
  EXPECT_FLOAT_EQ(test::floatAt(b, 17), 44.0f);
  EXPECT_EQ(b[21], 2);
  EXPECT_EQ(b[22], 3);
  EXPECT_FLOAT_EQ(test::floatAt(b, 23), 777.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 27), 55000.0f);
  EXPECT_EQ(b[31], 2);  // temperature mode
  const float factors[] = {0.11f, 0.22f, 0.33f, 0.44f, 0.55f, 0.66f, 0.77f};
  for (std::size_t i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(test::floatAt(b, 56 + 4 * i), factors[i]) << i;
}

TEST(MicrocircuitFiles, EveryClassRoundTripsAndIsRegistered) {
  registerMicroElectromechParts();
  const char* names[] = {"IC,Logic", "IC,PLA/PAL", "IC,Micro", "IC,RAM", "IC,ROM", "IC,PROM", "IC,Linear"};
  for (std::uint16_t id = Logic; id <= Linear; ++id) {
    auto a = make(id);
    fill(*a);
    if (id == Ram) a->TYPE = 2;       // the RAM list has two memory types
    if (id == Linear) a->TECH = 2;    // and the linear list two technologies
    a->PART_TYPE = id;
    auto part = test::roundTrip(*a);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(&part->classRecord(), &a->classRecord());
    const std::vector<std::uint8_t> before = test::ownBytes(*a);
    EXPECT_EQ(test::ownBytes(*part), before) << id;
    auto copy = make(id);
    copy->CopyFrom(*a);
    EXPECT_EQ(test::ownBytes(*copy), before) << id;
    EXPECT_EQ(copy->PN, "IC-1");

    auto circuit = PartRegistry::instance().create(id, false);
    auto hybrid = PartRegistry::instance().create(id, true);
    ASSERT_NE(circuit, nullptr);
    EXPECT_EQ(circuit->GetTypeName(), names[id - Logic]);
    EXPECT_EQ(hybrid->GetTypeName(), std::string(names[id - Logic]) + "(Hyb)");
  }
}

TEST(MicrocircuitFiles, CopyFromOtherClassTakesBaseOnly) {
  CMisc misc;
  misc.PN = "MISC";
  CIC_Logic ic;
  fill(ic);
  ic.CopyFrom(misc);
  EXPECT_EQ(ic.PN, "MISC");
  EXPECT_EQ(ic.TECH, 9);
  CIC_RAM ram;
  ram.CopyFrom(ic);  // another family member is another class
  EXPECT_FLOAT_EQ(ram.COMPLEX, 1048576.0f);
}

// ---- Pages and text lines ------------------------------------------------------------------

TEST(MicrocircuitPage, FieldsAndWhatApplies) {
  CIC_PROM ic;
  ic.TYPE = kIcEeprom;
  ic.LEARN = 2;
  test::RecordingVisitor v;
  ic.paramPage(v);
  EXPECT_EQ(v.keywords(), (std::vector<std::string>{"IC_TECH", "IC_TYPE", "IC_COMPLEX", "IC_LEARN", "IC_YEARS",
                                                     "IC_QU", "IC_QUCUSTOM", "IC_PKG", "IC_PINS", "IC_PROCESS",
                                                     "IC_ECC", "IC_CYCLES", "IC_DESLIFE"}));
  EXPECT_TRUE(v.find("IC_TYPE")->applies);
  EXPECT_EQ(v.find("IC_TYPE")->choiceCount, 4u);
  EXPECT_TRUE(v.find("IC_YEARS")->applies);
  EXPECT_FALSE(v.find("IC_QUCUSTOM")->applies);
  EXPECT_TRUE(v.find("IC_CYCLES")->applies);

  CIC_PLA pla;
  pla.TECH = 1;
  pla.IS_HYBRID = 1;
  test::RecordingVisitor p;
  pla.paramPage(p);
  EXPECT_FALSE(p.find("IC_TYPE")->applies);
  EXPECT_DOUBLE_EQ(p.find("IC_COMPLEX")->hi, 5000.0);
  EXPECT_FALSE(p.find("IC_QU")->applies);
  EXPECT_FALSE(p.find("IC_PINS")->applies);
  EXPECT_FALSE(p.find("IC_PROCESS")->applies);
  EXPECT_TRUE(pla.tempPage(p));
}

TEST(MicrocircuitTextLines, DefaultLogicAndEepromLines) {
  CIC_Logic ic;
  CCircHeader h = test::header(1, 25);
  ic.Calculate(h);
  const test::Lines l = test::linesOf(ic, "> ");
  // "%s%-14s %-4s %-8s %-5s %-7s  %-19s %-29s"
  EXPECT_EQ(l.detail1, "> " "CMOS          " " " "    " " " "100G    " " " "     " " " "Qu:Comm" "  "
                       "NonHermDIP-16      " " " +
                           std::string(29, ' '));
  EXPECT_EQ(l.detail2, "> Tj = Ta+Tadj+Pd(Rjc+Rca) = Ta+0.0+0.0(0.0+0.0)");
  EXPECT_EQ(l.factors1, "> FR= ( (   C1    *   PIT   ) + (   C2    *  PIE ) )  *  PIQ  *  PIL  *   PICF  ");
// CF 1.0 prints with 5 decimals (precision capped from 1 to below 10)
  EXPECT_EQ(l.factors2, ">        0.010000   0.100000     0.007190   0.50        10.00   1.00    1.00000 ");

  CIC_PROM prom;
  prom.TYPE = kIcEeprom;
  prom.LEARN = 2;
  prom.YEARS = 1.5f;
  prom.ECC = 3;
  prom.CYCLES = 1000;
  prom.Calculate(h);
  const test::Lines e = test::linesOf(prom, "");
  // process, correction, cycles, design life (10, 6: capped at 4 decimals from 10 on)
  EXPECT_EQ(e.detail1, "CMOS          " " " "EE  " " " "1048576B" " " "1.50Y" " " "Qu:Comm" "  "
                       "HermDIP,Glass-32   " " " "Flotx/Redun/1000/10000.0000  ");
  EXPECT_NE(e.factors1.find("PIE ) +   LCYC   )  *  PIQ"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
