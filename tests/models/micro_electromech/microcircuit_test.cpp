// Microcircuits, VHSIC/VLSI, MMIC/GaAs, bubble memories and SAW devices, and
// the junction-temperature block they share: hand-worked handbook values as
// rows of settings, and the rules the registry walk does not know.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/whatif.hpp"
#include "models/model_test_support.hpp"
#include "support/golden.hpp"
#include "models/micro_electromech/microcircuit.hpp"
#include "models/micro_electromech/bubble_memory.hpp"
#include "models/micro_electromech/junction_temp.hpp"
#include "models/micro_electromech/mmic.hpp"
#include "models/micro_electromech/vlsi.hpp"

namespace kestrel {
namespace {

using test::calculated;
using test::imported;
using test::near;
using test::Row;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// pi_T = 0.1 exp(-(Ea/k)(1/(Tj + 273) - 1/298)), Ea/k = Ea x 11604.967 K.
constexpr Row kMicrocircuitRates[] = {
    // New CMOS logic, 100 gates, NonHermDIP-16, Commercial, Est, GB, Tj = 25: pi_T = 0.1;
    // C2 = 0.00036 x 16^1.08 = 0.00719038; FR = (0.01 x 0.1 + 0.00719038 x 0.5) x 10 x 1 = 0.0459519
    {"CIC_Logic", "IC_TECH=10; IC_COMPLEX=100; IC_QU=4; IC_PKG=6; IC_PINS=16",
     "T=25 S=-1 C1=0.01 C2=0.00719038 PIT=0.1 PIQ=10 PIE=0.5 PIL=1 LCYC=0 FR=0.0459519 OVER=0"},
    // TTL logic 60000 gates (bipolar top row 0.08), Tj = 75, Ea 0.4: pi_T = 0.1 exp(2.238094) = 0.937545;
    // C2 = 0.00028 x 40^1.08 = 0.0150447; quality B, AIF pi_E 5; FR = 0.08 x 0.937545 + 0.0150447 x 5 =
    // 0.150227
    {"CIC_Logic",
     "IC_TECH=2; IC_COMPLEX=60000; IC_QU=2; IC_PKG=1; IC_PINS=40; IC_TEMPMODE=3; IC_TJA=50; ENV=7",
     "T=75 C1=0.08 C2=0.0150447 PIT=0.937545 PIQ=1 PIE=5 PIL=1 FR=0.150227 OVER=0"},
    // NMOS PLA 20000 gates (0.0068), Tj = 25 + 10 + 0.5 x (20 + 30) = 60, Ea 0.35: pi_T = 0.418950;
    // C2 = 0.00036 x 84^1.08 = 0.0431047; B1 2, NU 6, CF 2; FR = (0.0068 x 0.418950 + 0.0431047 x 6) x 2 x 2
    // = 1.045907
    {"CIC_PLA",
     "IC_TECH=9; IC_COMPLEX=20000; IC_QU=3; IC_PKG=7; IC_PINS=84; IC_TEMPMODE=1; IC_TADJ=10; IC_PD=0.5; "
     "IC_RJC=20; IC_RCA=30; CF=2; ENV=5",
     "T=60 C1=0.0068 C2=0.0431047 PIT=0.418950 PIQ=2 PIE=6 FR=1.045907 OVER=0"},
    // ECL microprocessor 16 bits (0.12), Tj = 25 + 15 + 1 x 10 = 50, Ea 0.4: pi_T = 0.333896; Can-8:
    // C2 = 0.00003 x 8^2.01 = 0.00196034; S 0.25, ARW 8; FR = (0.12 x 0.333896 + 0.00196034 x 8) x 0.25 =
    // 0.0139376
    {"CIC_Micro",
     "IC_TECH=6; IC_COMPLEX=16; IC_QU=1; IC_PKG=5; IC_PINS=8; IC_TEMPMODE=2; IC_PD=1; IC_RJC=10; "
     "IC_TCA=15; ENV=10",
     "T=50 C1=0.12 C2=0.00196034 PIT=0.333896 PIQ=0.25 PIE=8 FR=0.0139376"},
    // MOS DRAM 65536 bits (0.0025), Tj = 40 + 60 = 100, Ea 0.6: pi_T = 0.1 exp(4.698198) = 10.974924;
    // C2 = 0.00036 x 20^1.08 = 0.00914987; GF 2; FR = (0.0025 x 10.974924 + 0.00914987 x 2) x 10 = 0.457370
    {"CIC_RAM",
     "IC_TECH=10; IC_TYPE=1; IC_COMPLEX=65536; IC_QU=4; IC_PKG=6; IC_PINS=20; IC_TEMPMODE=3; IC_TJA=60; "
     "ENV=2; TA=40",
     "T=100 C1=0.0025 C2=0.00914987 PIT=10.974924 PIE=2 FR=0.457370"},
    // Bipolar linear 301 transistors (0.04), custom quality 3.5, New 1 year: pi_L = 0.01 exp(5.0) = 1.484132;
    // HermDIP,Glass-14: C2 = 0.00009 x 14^1.51 = 0.00484056; SF 0.5;
    // FR = (0.04 x 0.1 + 0.00484056 x 0.5) x 3.5 x 1.484132 = 0.0333499
    {"CIC_Linear",
     "IC_TECH=1; IC_COMPLEX=301; IC_LEARN=2; IC_YEARS=1; IC_QU=5; IC_QUCUSTOM=3.5; IC_PKG=2; "
     "IC_PINS=14; ENV=11",
     "C1=0.04 C2=0.00484056 PIT=0.1 PIQ=3.5 PIE=0.5 PIL=1.484132 FR=0.0333499"},
    // ASTTL ROM 1048576 bits (0.075), Tj = 125, Ea 0.6: pi_T = 0.1 exp(5.870780) = 35.452548;
    // Flatpack-24: C2 = 0.00003 x 24^1.82 = 0.00975227; B, CL 220; FR = 0.075 x 35.452548 + 0.00975227 x 220
    // = 4.804440
    {"CIC_ROM",
     "IC_TECH=1; IC_COMPLEX=1048576; IC_QU=2; IC_PKG=4; IC_PINS=24; IC_TEMPMODE=3; IC_TJA=100; ENV=14",
     "T=125 C1=0.075 C2=0.00975227 PIT=35.452548 PIQ=1 PIE=220 FR=4.804440"},
    // MOS UVEPROM 1048576 bits (0.0068), HermDIP,Glass-32: C2 = 0.00009 x 32^1.51 = 0.0168663;
    // FR = (0.0068 x 0.1 + 0.0168663 x 0.5) x 10 = 0.0911313
    {"CIC_PROM", "IC_TECH=10; IC_TYPE=2; IC_COMPLEX=1048576; IC_QU=4; IC_PKG=2; IC_PINS=32",
     "C1=0.0068 C2=0.0168663 FR=0.0911313"},
    // In a hybrid the package, quality and learning come from the hybrid: C2 = 0, pi_Q = pi_L = 1,
    // pi_E still 220; FR = 0.01 x 0.1 = 0.001, and no solder-joint step
    {"CIC_Logic", "HYB=1; IC_TECH=10; IC_COMPLEX=100; ENV=14; HASSMT=1; IS_SMT=1",
     "C2=0 PIQ=1 PIL=1 PIE=220 FR=0.001 SMT=0"},
    // Die rows at their bounds: CMOS logic 101 gates 0.02, 30001 0.29; MOS PLA 501 0.0017; bipolar PLA 201
    // 0.021; microprocessor 9 bits 0.28; BiCMOS RAM takes the SRAM row whatever the type (0.0078), TTL RAM
    // its
    // own (0.0052); MOS ROM 65537 0.0026; linear 1001 0.06
    {"CIC_Logic", "IC_TECH=10; IC_COMPLEX=101", "C1=0.02"},
    {"CIC_Logic", "IC_TECH=10; IC_COMPLEX=30001", "C1=0.29"},
    {"CIC_Logic", "IC_TECH=2; IC_COMPLEX=10001", "C1=0.04"},
    {"CIC_PLA", "IC_TECH=8; IC_COMPLEX=501", "C1=0.0017"},
    {"CIC_PLA", "IC_TECH=1; IC_COMPLEX=201", "C1=0.021"},
    {"CIC_Micro", "IC_TECH=10; IC_COMPLEX=9", "C1=0.28"},
    {"CIC_RAM", "IC_TECH=5; IC_TYPE=1; IC_COMPLEX=16384", "C1=0.0078"},
    {"CIC_RAM", "IC_TECH=2; IC_TYPE=2; IC_COMPLEX=16384", "C1=0.0052"},
    {"CIC_ROM", "IC_TECH=10; IC_COMPLEX=65537", "C1=0.0026"},
    {"CIC_PROM", "IC_TECH=9; IC_TYPE=4; IC_COMPLEX=16384", "C1=0.00085"},
    {"CIC_Linear", "IC_TECH=2; IC_COMPLEX=1001", "C1=0.06"},
    // Activation energy at Tj = 75 (0.1 exp(Ea x 11604.967 x 0.000482141)): LTTL is a 0.45 eV technology
    // (1.240198), MNOS digital MOS 0.35 eV (0.708750), ALSTTL and BiCMOS 0.5 (1.640552), I2L and MOS memories
    // 0.6 (2.870702), linear 0.65 (3.797406)
    {"CIC_Logic", "IC_TECH=3; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=1.240198"},
    {"CIC_Micro", "IC_TECH=8; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=0.708750"},
    {"CIC_PLA", "IC_TECH=4; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=1.640552"},
    {"CIC_Micro", "IC_TECH=5; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=1.640552"},
    {"CIC_PLA", "IC_TECH=7; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=2.870702"},
    {"CIC_RAM", "IC_TECH=10; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=2.870702"},
    {"CIC_PROM", "IC_TECH=8; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=2.870702"},
    {"CIC_Linear", "IC_TECH=2; IC_COMPLEX=8; IC_TEMPMODE=3; IC_TJA=50", "PIT=3.797406"},
    // Learning 0.01 exp(5.35 - 0.35 Y), 2.0 up to 0.1 year, 1.0 from 2 years: 0.11 -> 2.026540,
    // 1.99 -> 1.049517
    {"CIC_Linear", "IC_LEARN=2; IC_YEARS=0.1", "PIL=2"},
    {"CIC_Linear", "IC_LEARN=2; IC_YEARS=0.11", "PIL=2.026540"},
    {"CIC_Linear", "IC_LEARN=2; IC_YEARS=1.99", "PIL=1.049517"},
    {"CIC_Linear", "IC_LEARN=2; IC_YEARS=2", "PIL=1"},
    // EEPROM cycles. Flotox at Tj = 60, 64000 bits: B1 = (64000/16000)^0.5 = 2, A1(100) 0.0007 -> 0.0014;
    // pi_T (Ea 0.6) = 1.165639, C2 0.0168663: FR = (0.0017 x 1.165639 + 0.0168663 x 0.5 + 0.0014) x 10 =
    // 0.118147
    {"CIC_PROM",
     "IC_TYPE=3; IC_PROCESS=1; IC_ECC=1; IC_COMPLEX=64000; IC_CYCLES=100; IC_DESLIFE=10000; "
     "IC_TEMPMODE=3; IC_TJA=35",
     "LCYC=0.0014 FR=0.118147"},
    // A1(101) 0.0014 x 2 x Hamming 0.72 x (20000 x 0.0001) = 0.004032
    {"CIC_PROM",
     "IC_TYPE=3; IC_PROCESS=1; IC_ECC=2; IC_COMPLEX=64000; IC_CYCLES=101; IC_DESLIFE=20000; "
     "IC_TEMPMODE=3; IC_TJA=35",
     "LCYC=0.004032"},
    // Tj = 25: B1 = exp(-0.15 x 11604.967 x (1/298 - 1/333)) = 0.541201; A1(500000) 3.4 -> 1.840085
    {"CIC_PROM", "IC_TYPE=3; IC_PROCESS=1; IC_ECC=1; IC_COMPLEX=16000; IC_CYCLES=500000; IC_DESLIFE=10000",
     "LCYC=1.840085"},
    // Textured poly at Tj = 30, 64000 bits: B1 = B2 = 1; A1 0.3, A2(300000) 0; A2(300001) 1.1 over pi_Q 0.25
    {"CIC_PROM",
     "IC_TYPE=3; IC_PROCESS=2; IC_ECC=1; IC_COMPLEX=64000; IC_CYCLES=300000; IC_DESLIFE=10000; "
     "IC_TEMPMODE=3; IC_TJA=5",
     "LCYC=0.3"},
    {"CIC_PROM",
     "IC_TYPE=3; IC_PROCESS=2; IC_ECC=1; IC_QU=1; IC_COMPLEX=64000; IC_CYCLES=300001; "
     "IC_DESLIFE=10000; IC_TEMPMODE=3; IC_TJA=5",
     "LCYC=4.7"},
    // Tj = 25, 1024000 bits: B1 = 2 exp(-0.077115) = 1.851568, B2 = 2 exp(0.064262) = 2.132744;
    // (0.3 x 1.851568 + 2.3 x 2.132744 / 0.25) x redundant cell 0.68 = 13.720165
    {"CIC_PROM",
     "IC_TYPE=3; IC_PROCESS=2; IC_ECC=3; IC_QU=1; IC_COMPLEX=1024000; IC_CYCLES=400001; "
     "IC_DESLIFE=10000",
     "LCYC=13.720165"},
    // Junction temperature by mode and the default surface-mount rise: 25 + 5 + 0.5 x (10 + 20) = 45 with
    // rise Pd x Rjc = 5 (not Pd x (Rjc + Rca)); 25 + 10 + 0.5 x 10 = 40, rise 5; 25 + 30 = 55, rise 30;
    // -55 + 2 x (15 + 5) = -15, rise 30
    {"CIC_Logic",
     "IC_TEMPMODE=1; IC_TADJ=5; IC_PD=0.5; IC_RJC=10; IC_RCA=20; IC_TCA=99; IC_TJA=99; IS_SMT=1; "
     "HASSMT=1",
     "T=45 SMT=1 SMTRISE=5"},
    {"CIC_Logic", "IC_TEMPMODE=2; IC_TADJ=99; IC_PD=0.5; IC_RJC=10; IC_RCA=99; IC_TCA=10; IS_SMT=1; HASSMT=1",
     "T=40 SMT=1 SMTRISE=5"},
    {"CIC_Logic", "IC_TEMPMODE=3; IC_PD=9; IC_RJC=9; IC_TJA=30; IS_SMT=1; HASSMT=1", "T=55 SMT=1 SMTRISE=30"},
    {"CIC_Logic", "IC_TEMPMODE=1; IC_PD=2; IC_RJC=15; IC_RCA=5; IS_SMT=1; HASSMT=1; TA=-55",
     "T=-15 SMT=1 SMTRISE=30"},
    {"CIC_Logic", "IS_SMT=1; HASSMT=1; TA=40", "T=40 SMT=1 SMTRISE=0"},
    // Over temperature only strictly above the limit
    {"CIC_RAM", "IC_TEMPMODE=3; IC_TJA=100; TEMPLIMIT=125", "OVER=0"},
    {"CIC_RAM", "IC_TEMPMODE=3; IC_TJA=100.25; TEMPLIMIT=125", "OVER=2"},
    {"CIC_Logic", "IC_TEMPMODE=2; IC_PD=1; IC_RJC=20; IC_TCA=30.5; TEMPLIMIT=75", "T=75.5 OVER=2"},
};

TEST(MicrocircuitRates, HandWorkedValues) {
  test::checkRows(kMicrocircuitRates);
}

constexpr Row kVlsiMmicRates[] = {
    // New VLSI record, Tj = 25: pi_CD = 1 x 4.761905 x 2.56 / 0.64 + 0.36 = 19.407619; lambda_BP = 0.0022 +
    // 0.0000172 x 16 = 0.0024752; 500 V: 0.065; FR = 0.16 x 0.55 x 0.1 x 19.407619 + 0.0024752 x 0.5 x 10
    // x 1.3
    // + 0.065 = 0.251876
    {"CVLSI",
     "VLSI_TYPE=1; VLSI_MFG=1; VLSI_QU=4; VLSI_PKG=4; VLSI_FSIZE=0.8; VLSI_AREA=1; VLSI_PINS=16; "
     "VLSI_VOLTS=500",
     "T=25 S=-1 LBD=0.16 PIMFG=0.55 PIT=0.1 PICD=19.407619 LBP=0.0024752 PIE=0.5 PIQ=10 PIPT=1.3 LEOS=0.065 "
     "FR=0.251876 OVER=0"},
    // Gate array, not QML, Tj = 75: pi_T (0.35 eV) 0.708750; Xs 2, A 0.21: pi_CD = 0.64 + 0.36 = 1; 100 pins:
    // 0.00392; S, HermSMT 4.7, AUF 8; 1001 V: 0.053; FR = (0.24 x 2 x 0.708750 + 0.00392 x 8 x 0.25 x 4.7
    // + 0.053) x CF 2 = 0.860096
    {"CVLSI",
     "VLSI_TYPE=2; VLSI_MFG=2; VLSI_QU=1; VLSI_PKG=3; VLSI_FSIZE=2; VLSI_AREA=0.21; VLSI_PINS=100; "
     "VLSI_VOLTS=1001; VLSI_TEMPMODE=3; VLSI_TJA=50; CF=2; ENV=9",
     "T=75 PIMFG=2 PIT=0.708750 PICD=1 LBP=0.00392 PIE=8 PIQ=0.25 PIPT=4.7 LEOS=0.053 FR=0.860096"},
    // Xs 0.25, A 5: pi_CD = 975.598095; 3 pins 0.0022516; B1 2, HermPGA 2.2, CL 220; 16001 V: 0.0027;
    // FR = 8.585263 + 2.179549 + 0.0027 = 10.767512
    {"CVLSI",
     "VLSI_TYPE=1; VLSI_MFG=1; VLSI_QU=3; VLSI_PKG=2; VLSI_FSIZE=0.25; VLSI_AREA=5; VLSI_PINS=3; "
     "VLSI_VOLTS=16001; ENV=14",
     "PICD=975.598095 LBP=0.0022516 PIE=220 PIQ=2 PIPT=2.2 LEOS=0.0027 FR=10.767512"},
    // In a hybrid the package term vanishes and pi_Q is 1; the overstress counts: 0.170787 + 0.065
    {"CVLSI", "HYB=1; VLSI_TYPE=1; VLSI_MFG=1; VLSI_FSIZE=0.8; VLSI_AREA=1; VLSI_VOLTS=500; ENV=14",
     "LBP=0 PIQ=1 PIPT=0 FR=0.235787"},
    // Overstress by susceptibility, at each bound
    {"CVLSI", "VLSI_VOLTS=1000", "LEOS=0.065"},
    {"CVLSI", "VLSI_VOLTS=2000", "LEOS=0.053"},
    {"CVLSI", "VLSI_VOLTS=2001", "LEOS=0.044"},
    {"CVLSI", "VLSI_VOLTS=4000", "LEOS=0.044"},
    {"CVLSI", "VLSI_VOLTS=4001", "LEOS=0.029"},
    {"CVLSI", "VLSI_VOLTS=16000", "LEOS=0.029"},
    {"CVLSI", "VLSI_VOLTS=25000", "LEOS=0.0027"},
    // Default rise in mode 3 is Tja
    {"CVLSI", "VLSI_TEMPMODE=3; VLSI_TJA=22; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=22"},
    // MMIC (pi_A 3 for an unknown application), 100 elements 4.5, Tj = 150: pi_T = 0.1;
    // FR = (4.5 x 3 x 0.1 + 0.00719038 x 0.5) x 10 = 13.535952
    {"CMMIC",
     "MMIC_TYPE=1; MMIC_APP=3; MMIC_COMPLEX=100; MMIC_QU=4; MMIC_PKG=6; MMIC_PINS=16; MMIC_TEMPMODE=3; "
     "MMIC_TJA=125",
     "T=150 S=-1 C1=4.5 C2=0.00719038 PIT=0.1 PIA=3 PIE=0.5 PIQ=10 PIL=1 FR=13.535952 OVER=0"},
    // Low-noise MMIC, 101 elements 7.2, Tj = 125: pi_T = 0.1 exp(-1.5 x 11604.967 x (1/398 - 1/423)) =
    // 0.00754;
    // Flatpack-10: C2 = 0.00198208; S, NS 4; FR = (7.2 x 0.00754 + 0.00198208 x 4) x 0.25 = 0.0155541
    {"CMMIC",
     "MMIC_TYPE=1; MMIC_APP=1; MMIC_COMPLEX=101; MMIC_QU=1; MMIC_PKG=4; MMIC_PINS=10; MMIC_TEMPMODE=3; "
     "MMIC_TJA=100; ENV=4",
     "C1=7.2 C2=0.00198208 PIT=0.00754 PIA=1 PIE=4 PIQ=0.25 FR=0.0155541"},
    // Digital IC 1001 elements 51, Tj = 100: pi_T = 0.1 exp(-1.4 x 11604.967 x (1/373 - 1/423)) =
    // 0.000580728;
    // HermPGA/SMT-64: C2 = 0.00028 x 64^1.08 = 0.0249938; New 0.5 year: 1.767966; B, AUC 5;
    // FR = (51 x 0.000580728 + 0.0249938 x 5) x 1.767966 = 0.273303
    {"CMMIC",
     "MMIC_TYPE=2; MMIC_COMPLEX=1001; MMIC_LEARN=2; MMIC_YEARS=0.5; MMIC_QU=2; MMIC_PKG=3; MMIC_PINS=64; "
     "MMIC_TEMPMODE=3; MMIC_TJA=75; ENV=8",
     "C1=51 C2=0.0249938 PIT=0.000580728 PIA=1 PIE=5 PIQ=1 PIL=1.767966 FR=0.273303"},
    // Driver MMIC at 150, custom quality 2.5, AIC 4: FR = (4.5 x 3 x 0.1 + 0.00719038 x 4) x 2.5 = 3.446904
    {"CMMIC",
     "MMIC_TYPE=1; MMIC_APP=2; MMIC_COMPLEX=1; MMIC_QU=5; MMIC_QUCUSTOM=2.5; MMIC_PKG=7; MMIC_PINS=16; "
     "MMIC_TEMPMODE=3; MMIC_TJA=125; ENV=6",
     "PIA=3 PIQ=2.5 FR=3.446904"},
    // Digital IC in a hybrid, 1000 elements 25: C2 0, pi_Q = pi_L = 1, pi_E still shown; FR = 25 x 0.1
    {"CMMIC", "HYB=1; MMIC_TYPE=2; MMIC_COMPLEX=1000; MMIC_TEMPMODE=3; MMIC_TJA=125; ENV=14",
     "C1=25 C2=0 PIE=220 PIQ=1 PIL=1 FR=2.5"},
    // Die rows at their bounds; Tj = 25 refers to 150: MMIC 0.1 exp(-17.261898), digital 0.1 exp(-16.111105)
    {"CMMIC", "MMIC_TYPE=1; MMIC_COMPLEX=101", "C1=7.2 PIT=3.186052e-9"},
    {"CMMIC", "MMIC_TYPE=2; MMIC_COMPLEX=1001", "C1=51 PIT=1.007015e-8"},
    // on the limit at Tj = 150, then above it; the default rise is Tja
    {"CMMIC", "MMIC_TEMPMODE=3; MMIC_TJA=125; TEMPLIMIT=150; IS_SMT=1; HASSMT=1", "OVER=0 SMT=1 SMTRISE=125"},
    {"CMMIC", "MMIC_TEMPMODE=3; MMIC_TJA=125.25; TEMPLIMIT=150", "OVER=2"},
};

TEST(VlsiMmicRates, HandWorkedValues) {
  test::checkRows(kVlsiMmicRates);
}

// lambda_1 = ((Nc C21 + C2) pi_E + Nc C11 pi_T1 pi_W) pi_D pi_Q pi_L; lambda_2 = Nc (C12 pi_T2 + C22 pi_E)
// pi_Q pi_L; Ea/k 9269.988 K (0.8 eV) for pi_T1 and 6373.117 K (0.55 eV) for pi_T2; Tj 10 C above the case.
constexpr Row kBubbleSawRates[] = {
    // Default record at GB, 25 C: Tj = 35. C11 = 0.00095 x 148^0.4 = 0.0070118; C21 = 0.0001 x 148^0.226 =
    // 0.00030937; N2 = 94208: C12 = 0.0021743, C22 = 0.00031062; C2 = 0.00036 x 14^1.08 = 0.0062247;
    // pi_T1 = 0.274554, pi_T2 = 0.200243; pi_W = 10 x 10^-0.3 = 5.011872; pi_D 1; pi_Q 10;
    // lambda_1 = 0.129155, lambda_2 = 0.0059070; FR = 0.135062
    {"CBubble",
     "BUB_CHIPS=1; BUB_ELEMENTS=148; BUB_GENTYPE=2; BUB_KBITS=92; BUB_PINS=14; BUB_LEARN=1; BUB_DC=100; "
     "BUB_RW=10; BUB_TRISE=0",
     "T=35 S=-1 C11=0.0070118 C21=0.00030937 C12=0.0021743 C22=0.00031062 C2=0.0062247 PIT1=0.274554 "
     "PIT2=0.200243 PIW=5.011872 PIE=0.5 PID=1 PIL=1 PIQ=10 L1=0.129155 L2=0.0059070 FR=0.135062 OVER=0"},
    // Four seed-generator chips of 1000 elements, 9000 Kbits, 40 pins, new (0.5 year), 50 % duty, 15 C
    // (Tj 25: pi_T1 = pi_T2 = 0.1), NU 6, CF 2: pi_W = 2.505936 / 4 raised to 1; pi_D = 0.45 + 0.1;
    // pi_L = 1.767966; lambda_1 = 1.298283, lambda_2 = 0.582065; FR = 3.760697
    {"CBubble",
     "BUB_CHIPS=4; BUB_ELEMENTS=1000; BUB_GENTYPE=1; BUB_KBITS=9000; BUB_PINS=40; BUB_LEARN=2; "
     "BUB_YEARS=0.5; BUB_DC=50; BUB_RW=10; TA=15; ENV=5; CF=2",
     "C11=0.0150565 C21=0.00047643 C12=0.0085993 C22=0.0012285 C2=0.0193432 PIT1=0.1 PIT2=0.1 PIW=1 PIE=6 "
     "PID=0.55 PIL=1.767966 L1=1.298283 L2=0.582065 FR=3.760697"},
    // Two chips of 500 elements, 256 Kbits, 24 pins, 3 % duty (not above 0.03: pi_W = 1), 100 reads per
    // write, case rise 20 at 60 C: Tj = 90, pi_T1 = 26.24828, pi_T2 = 4.603963; AIF 5; pi_D = 0.127;
    // lambda_1 = 0.836677, lambda_2 = 0.314383; FR = 1.151060
    {"CBubble",
     "BUB_CHIPS=2; BUB_ELEMENTS=500; BUB_GENTYPE=2; BUB_KBITS=256; BUB_PINS=24; BUB_LEARN=1; BUB_DC=3; "
     "BUB_RW=100; BUB_TRISE=20; TA=60; ENV=7",
     "T=90 C11=0.0114107 C2=0.0111412 PIT1=26.24828 PIT2=4.603963 PIW=1 PID=0.127 L1=0.836677 L2=0.314383 "
     "FR=1.151060"},
    // The default record in a hybrid: pi_Q = pi_E = pi_L = 1, C2 = 0; lambda_1 = 0.0099578,
    // lambda_2 = 0.00074601; FR = 0.0107038
    {"CBubble",
     "HYB=1; BUB_CHIPS=1; BUB_ELEMENTS=148; BUB_GENTYPE=2; BUB_KBITS=92; BUB_DC=100; BUB_RW=10; ENV=14",
     "C2=0 PIE=1 PIL=1 PIQ=1 L1=0.0099578 L2=0.00074601 FR=0.0107038"},
    // Write factor at its bounds: seed 5.011872 / 4; 3.1 % duty 10 x 0.031 x 10^-0.3 = 0.155368 (a seed
    // generator raises it to 1); R/W 2154 is not below 2154, 2153: 10 x 2153^-0.3 = 1.000200
    {"CBubble", "BUB_GENTYPE=1; BUB_DC=100; BUB_RW=10", "PIW=1.252968"},
    {"CBubble", "BUB_GENTYPE=2; BUB_DC=3.1; BUB_RW=10", "PIW=0.155368"},
    {"CBubble", "BUB_GENTYPE=1; BUB_DC=3.1; BUB_RW=10", "PIW=1"},
    {"CBubble", "BUB_GENTYPE=2; BUB_DC=100; BUB_RW=2154", "PIW=1"},
    {"CBubble", "BUB_GENTYPE=2; BUB_DC=100; BUB_RW=2153", "PIW=1.000200"},
    {"CBubble", "BUB_LEARN=2; BUB_YEARS=1", "PIL=1.484132"},
    // Tj = 25 + 40 + 10 = 75 on the limit, then above
    {"CBubble", "BUB_TRISE=40; TEMPLIMIT=75", "T=75 OVER=0"},
    {"CBubble", "BUB_TRISE=40.25; TEMPLIMIT=75", "OVER=2"},
    // SAW: 2.1 x 0.1 x 220; 2.1 x 1.0 x 0.5; 2.1 x 8 x CF 0.25; a hybrid 2.1 x 1 x 1
    {"CSAWDevice", "SAW_QU=1; ENV=14; TA=50", "LB=2.1 PIQ=0.1 PIE=220 FR=46.2 T=50 S=-1 OVER=0"},
    {"CSAWDevice", "SAW_QU=2", "PIQ=1 PIE=0.5 FR=1.05"},
    {"CSAWDevice", "SAW_QU=2; ENV=9; CF=0.25", "PIE=8 FR=4.2"},
    {"CSAWDevice", "HYB=1; ENV=14", "PIQ=1 PIE=1 FR=2.1"},
    {"CSAWDevice", "IS_SMT=1; HASSMT=1; SMT_TEMPRISE=5", "SMT=1 SMTRISE=0"},
};

TEST(BubbleSawRates, HandWorkedValues) {
  test::checkRows(kBubbleSawRates);
}

// ---- Stored values outside their ranges ---------------------------------------------

// Stored records ("@" sets a field as a file holds it) with choices past
// their lists and numbers outside their ranges: taken to the rows they name, flagged (OVER 8).
constexpr Row kStoredRecords[] = {
    // technology 11 -> CMOS, quality 9 -> Custom (1), package 0 -> HermDIP,Solder, learning 3 -> New
    // (2 years: 1.0), environment 20 -> CL: C2 = 0.00028 x 16^1.08 = 0.00559252; FR = 0.001 + 0.00559252 x 220
    {"CIC_Logic", "@IC_TECH=11; @IC_QU=9; @IC_PKG=0; @IC_LEARN=3; ENV=20", "C2=0.00559252 FR=1.231355 OVER=8"},
    // MOS memory type 5 -> SRAM; 16384 bits: 0.0078
    {"CIC_RAM", "@IC_TYPE=5; @IC_COMPLEX=16384", "C1=0.0078 OVER=8"},
    // complexities past the table take the last row (0.29), zero and NaN the first (0.01); 20000 gates is a
    // MOS complexity: a bipolar PLA is limited to 5000 (0.042)
    {"CIC_Logic", "@IC_TECH=10; @IC_COMPLEX=60001", "C1=0.29 OVER=8"},
    {"CIC_Logic", "@IC_TECH=10; @IC_COMPLEX=0", "C1=0.01 OVER=8"},
    {"CIC_Logic", "@IC_TECH=10; @IC_COMPLEX=nan", "C1=0.01 OVER=8"},
    {"CIC_PLA", "@IC_TECH=2; @IC_COMPLEX=20000", "C1=0.042 OVER=8"},
    // only MOS EEPROMs have the cycling term: a bipolar PROM with an EEPROM type stored has none
    {"CIC_PROM", "@IC_TECH=2; @IC_TYPE=3", "LCYC=0"},
    // VLSI: type 7 -> GateArray 0.24, process 0 -> QML 0.55, package 9 -> NonHermSMT 6.1, Xs 0 -> 0.25 and
    // A 50 -> 5 (pi_CD 975.598095), V NaN -> 0 (0.065), pins 1e9 -> 9999 (lambda_BP 0.1741828);
    // FR = 12.877895 + 5.312575 + 0.065 = 18.255470
    {"CVLSI", "@VLSI_TYPE=7; @VLSI_MFG=0; @VLSI_PKG=9; @VLSI_FSIZE=0; @VLSI_AREA=50; @VLSI_VOLTS=nan; @VLSI_PINS=1e9",
     "PICD=975.598095 LBP=0.1741828 LEOS=0.065 FR=18.255470 OVER=8"},
    // MMIC: type 5 -> DigitalIC (pi_A 1 whatever the application), learning 9 -> New with years NaN -> 0.01
    // (2.0), package 0 -> HermDIP,Solder (C2 0.00559252), Tj 150; FR = (25 x 0.1 + 0.00559252 x 0.5) x 10 x
    // 2.0 = 50.055925
    {"CMMIC", "MMIC_TEMPMODE=3; MMIC_TJA=125; @MMIC_TYPE=5; @MMIC_APP=9; @MMIC_LEARN=9; @MMIC_YEARS=nan; @MMIC_PKG=0",
     "PIA=1 FR=50.055925"},
    // Bubble: the case rise is limited to 0..125 (Tj 25 + 125 + 10) and the junction to -45..310
    {"CBubble", "@BUB_TRISE=1e30", "T=160 OVER=8"},
    {"CBubble", "@BUB_TRISE=nan", "T=35 OVER=8"},
    {"CBubble", "@BUB_TRISE=0; TA=-500", "T=-45 OVER=8"},
};

TEST(MicrocircuitStoredValues, ClampedToTheRowsTheyNameAndFlagged) {
  test::checkRows(kStoredRecords);
}

// ---- The junction-temperature block -----------------------------------------------------

// Stored thermal blocks ("@" as a file holds them) of a surface-mounted
// record whose stored rise is 99: values outside their ranges limited and
// flagged (8), over temperature (2) above the 125 C limit; a mode outside
// the list is kept and flagged, at the ambient, with no rise.
constexpr Row kStoredThermalBlocks[] = {
    {"CIC_Logic", "@IC_TEMPMODE=1; @IC_PD=1e30; @IC_RJC=1", "T=10024 OVER=10"},  // Pd limited to 9999 W
    {"CIC_Logic", "@IC_TEMPMODE=2; @IC_PD=nan; @IC_RJC=10", "T=25 OVER=8"},         // Pd NaN is 0
    {"CIC_Logic", "@IC_TEMPMODE=2; @IC_PD=2; @IC_RJC=-5; @IC_TCA=10", "T=35 OVER=8"},  // Rjc -5 is 0
    {"CIC_Logic", "@IC_TEMPMODE=3; @IC_TJA=1e9", "T=200 OVER=10"},                     // Tja limited to 175
    {"CIC_Logic", "@IC_TEMPMODE=3; @IC_TJA=10; TA=-300", "T=-45 OVER=8"},              // ambient limited to -55
    // fields mode 3 does not name play no part
    {"CIC_Logic", "@IC_TEMPMODE=3; @IC_PD=-1; @IC_RJC=1e30; @IC_TCA=-7; @IC_TJA=20", "T=45 OVER=0"},
    {"CIC_Logic", "@IC_TEMPMODE=0; @IC_PD=1; @IC_RJC=10; @IC_TCA=20; @IC_TJA=30; TA=35", "T=35 OVER=8 SMTRISE=0"},
    {"CIC_Logic", "@IC_TEMPMODE=4; @IC_PD=1; @IC_RJC=10; @IC_TCA=20; @IC_TJA=30; TA=35", "T=35 OVER=8 SMTRISE=0"},
};

TEST(JunctionTemp, StoredValuesOutsideTheirRangesAndModes) {
  for (const Row& r : kStoredThermalBlocks) {
    const std::string settings = std::string("IS_SMT=1; HASSMT=1; @SMT_TEMPRISE=99; ") + r.settings;
    SCOPED_TRACE(settings);
    test::Worked w = calculated(r.cls, settings);
    test::expectValues(*w.part, r.expected);
    const auto& thermal = static_cast<const CIC&>(*w.part).thermal;
    const std::string_view mode = std::string_view(r.settings).substr(std::string_view(r.settings).find('=') + 1, 1);
    if (mode == "0" || mode == "4") {
      EXPECT_EQ(thermal.MODE, mode[0] - '0');  // kept as stored, with no thermal line
      EXPECT_EQ(thermal.thermalLine("> "), "");
    }
  }
}

void setOption(test::ImportSetup& s, std::string_view keyword, std::uint8_t option) {
  for (CKwd& k : s.kwds) {
    if (k.name == keyword) k.valueOption = option;
  }
}

TEST(JunctionTemp, ImportOverridesSetModeAndRise) {
  struct Case {
    std::uint8_t option;  // 0: TR_TEMP not mapped
    double value;
    float ambient;
    std::uint8_t mode;
    float tca, tja;
    bool outOfRange;
  };
  const Case cases[] = {
      {0, 0, 25, 1, 12, 7, false},
      {kOverrideJunction, 20, 25, 3, 12, 0, true},  // Tja = 20 - 25 < 0 -> 0
      {kOverrideJunction, 85, 25, 3, 12, 60, false},
      {kOverrideJunction, 200, 25, 3, 12, 175, false},  // the top of the range
      {kOverrideJunction, 400, 25, 3, 12, 0, true},     // read as 300: 275 > 175 -> 0
      {kOverrideCase, 60, 25, 2, 35, 7, false},         // the Tja keyword is still read
      {kOverrideCase, 250, 25, 2, 0, 7, true},
      {kOverrideCase, 10, 25, 2, 0, 7, true},
      {kOverrideRise, 40, 150, 3, 12, 40, false},  // a rise whatever the ambient
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.option) + " " + std::to_string(c.value));
    test::ImportSetup s;
    s.map("TR_TEMPMODE", 3, std::string("Tj=Ta+Tadj+Pd(Rjc+Rca)"));
    s.map("TR_PD", 4, 0.25);
    s.map("TR_TCA", 8, 12.0);
    s.map("TR_TJA", 9, 7.0);
    if (c.option != 0) {
      s.map("TR_TEMP", 10, c.value);
      setOption(s, "TR_TEMP", c.option);
    }
    JunctionTemp b;
    ASSERT_TRUE(b.importFields(s.reader, kTransistorThermalFields, c.ambient,
                               [&s](std::string_view line) { s.log.emplace_back(line); }));
    EXPECT_EQ(b.MODE, c.mode);
    EXPECT_FLOAT_EQ(b.PD, 0.25f);
    EXPECT_FLOAT_EQ(b.TCA, c.tca);
    EXPECT_FLOAT_EQ(b.TJA, c.tja);
    EXPECT_EQ(test::logged(s.log, "override out-of-range: set to 0 (R7)"), c.outOfRange);
  }
}

TEST(JunctionTemp, ImportFailsOnABadOptionOrAMissingKeyword) {
  for (const std::uint8_t option : {0, 4, 200}) {
    test::ImportSetup s;
    s.map("DIO_TEMP", 10, 50.0);
    setOption(s, "DIO_TEMP", option);
    s.map("DIO_PD", 4, 0.25);
    JunctionTemp b;
    EXPECT_FALSE(b.importFields(s.reader, kDiodeThermalFields, 25,
                                [&s](std::string_view line) { s.log.emplace_back(line); }));
    EXPECT_TRUE(test::logged(s.log, "   ...Error: invalid 'DIO_TEMP' value type (R7)."));
    EXPECT_FLOAT_EQ(b.PD, 0.0f);  // nothing read after the failure
  }
  // TJUNC gives Tja, so its keyword is never read; TCASE still reads it
  for (const std::uint8_t option : {kOverrideJunction, kOverrideCase}) {
    test::ImportSetup s;
    std::erase_if(s.kwds, [](const CKwd& k) { return k.name == "TR_TJA"; });
    s.map("TR_TEMP", 10, 55.0);
    setOption(s, "TR_TEMP", option);
    JunctionTemp b;
    EXPECT_EQ(b.importFields(s.reader, kTransistorThermalFields, 25), option == kOverrideJunction);
  }
  // 50000 W: within range for discrete parts, limited to 9999 for microcircuits
  test::ImportSetup s;
  s.map("TR_PD", 4, 50000.0);
  s.map("IC_PD", 5, 50000.0);
  JunctionTemp discrete, micro;
  ASSERT_TRUE(discrete.importFields(s.reader, kTransistorThermalFields, 25));
  ASSERT_TRUE(micro.importFields(s.reader, kMicrocircuitThermalFields, 25));
  EXPECT_FLOAT_EQ(discrete.PD, 50000.0f);
  EXPECT_FLOAT_EQ(micro.PD, 9999.0f);
}

// ---- Import rules of the classes ----------------------------------------------------------

// a MOS PLA takes 20000 gates, a bipolar one is held at 5000, a microprocessor at 32 bits; an MMIC at
// 1000 elements, a digital GaAs IC takes 5000; bubble Kbits at 9000, pins at 3; VLSI feature size at 2.0
constexpr test::FieldRow kImportedFields[] = {
    {"CIC_PLA", "IC_TECH=CMOS; IC_COMPLEX=20000", "IC_COMPLEX", 20000, false},
    {"CIC_PLA", "IC_TECH=CML,DTL,ECL; IC_COMPLEX=20000", "IC_COMPLEX", 5000, true},
    {"CIC_Micro", "IC_TECH=CMOS; IC_COMPLEX=20000", "IC_COMPLEX", 32, true},
    {"CMMIC", "MMIC_TYPE=MMIC; MMIC_COMPLEX=5000", "MMIC_COMPLEX", 1000, true},
    {"CMMIC", "MMIC_TYPE=DigitalIC; MMIC_COMPLEX=5000", "MMIC_COMPLEX", 5000, false},
    {"CBubble", "BUB_KBITS=20000", "BUB_KBITS", 9000, true},
    {"CBubble", "BUB_PINS=1", "BUB_PINS", 3, true},
    {"CVLSI", "VLSI_FSIZE=3", "VLSI_FSIZE", 2, true},
    // "MOS" is a linear technology, not a logic one: the logic record keeps its valid choice
    {"CIC_Linear", "IC_TECH=MOS", "IC_TECH", 2, false},
    {"CIC_Logic", "IC_TECH=MOS", "IC_TECH", 10, true},
};

TEST(MicrocircuitImport, RangesFollowClassTechnologyAndType) {
  test::checkFieldRows(kImportedFields);
  // a VLSI case temperature of 80 sets mode 2 with Tca = 80 - 25
  test::ImportSetup s;
  s.map("VLSI_TEMP", 3, 80.0);
  setOption(s, "VLSI_TEMP", kOverrideCase);
  CVLSI v;
  ASSERT_TRUE(v.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(v.thermal.MODE, 2);
  EXPECT_FLOAT_EQ(v.thermal.TCA, 55.0f);
}

TEST(MicrocircuitImport, FirstFailingReaderStops) {
  test::ImportSetup s;
  s.map("IC_LEARN", 3, std::string("New"));
  s.map("IC_YEARS", 4, 0.5);
  s.map("IC_PKG", 5, std::string("Can"));
  std::erase_if(s.kwds, [](const CKwd& k) { return k.name == "IC_QU"; });
  CIC ic{*microcircuitFamilyMember(101)};
  EXPECT_FALSE(ic.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(ic.YEARS, 0.5f);  // read before the failure
  EXPECT_EQ(ic.PKG, 6);             // after it: not read
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('IC_QU').");
}

// ---- What-If?, update -------------------------------------------------------------------

TEST(MicrocircuitWhatIf, QualityWithinSToCommercial) {
  struct Case {
    const char* cls;
    const char* quality;
    std::uint8_t mode;
    float level;
    std::uint8_t start, expected;
  };
  const Case cases[] = {
      {"CIC_ROM", "IC_QU", Increase, 2, 4, 2},
      {"CIC_ROM", "IC_QU", Decrease, 5, 2, 4},   // stops at Commercial
      {"CIC_ROM", "IC_QU", SetDirect, 5, 1, 4},  // never reaches Custom
      {"CVLSI", "VLSI_QU", Decrease, 3, 2, 4},
      {"CMMIC", "MMIC_QU", Increase, 2, 4, 2},
      {"CSAWDevice", "SAW_QU", Decrease, 1, 1, 2},
  };
  for (const Case& c : cases) {
    test::Worked w = imported(c.cls, std::string(c.quality) + "=" + std::to_string(c.start));
    WhatIfSettings s;
    s.qualityMode = c.mode;
    s.qualityLevel = c.level;
    w.part->ApplyWhatIf(s);
    EXPECT_EQ(test::fieldOf(*w.part, c.quality), c.expected) << c.cls << " " << int(c.mode);
  }
}

// Update takes the application (EEPROM cycling and life, the thermal block but
// its Rjc; bubble duty cycle, read/write ratio and rise) and keeps the part's own.
TEST(MicrocircuitUpdate, CopiesApplicationParametersOnly) {
  const struct {
    const char* cls;
    const char* own;
    const char* other;
    const char* expected;
  } cases[] = {
      {"CIC_PROM", "@IC_TEMPMODE=1; @IC_RJC=9",
       "@IC_CYCLES=777; @IC_DESLIFE=55000; @IC_TECH=9; @IC_COMPLEX=4096; @IC_TEMPMODE=2; @IC_RCA=33; @IC_RJC=12",
       "IC_CYCLES=777 IC_DESLIFE=55000 IC_TEMPMODE=2 IC_RCA=33 IC_RJC=9 IC_TECH=10 IC_COMPLEX=1048576"},
      {"CBubble", "@BUB_CHIPS=3", "@BUB_CHIPS=9; @BUB_DC=20; @BUB_RW=50; @BUB_TRISE=7",
       "BUB_DC=20 BUB_RW=50 BUB_TRISE=7 BUB_CHIPS=3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls);
    test::Worked own = imported(c.cls, c.own);
    own.part->UpdateAppParams(*imported(c.cls, c.other).part);
    test::expectFields(*own.part, c.expected);
  }
  CIC ram{*microcircuitFamilyMember(104)};
  CIC logic{*microcircuitFamilyMember(101)};
  logic.COMPLEX = 7;
  ram.CopyFrom(logic);  // another family member is another class: base fields only
  EXPECT_FLOAT_EQ(ram.COMPLEX, 1048576.0f);
}

// ---- Text lines ----------------------------------------------------------------------------

// Widths and decimals capped by size (CF 1.0 with 5 decimals, LB 2.1 with 5,
// a PROM's process, correction, cycles and design life).
TEST(MicrocircuitTextLines, FactorAndEepromLines) {
  const test::Record records[] = {
      {"CIC_Logic", ""},
      {"CIC_PROM", "IC_TYPE=3; IC_LEARN=2; IC_YEARS=1.5; IC_ECC=3; IC_CYCLES=1000"},
      {"CSAWDevice", "SAW_QU=2; ENV=14"},
      {"CVLSI", ""},
      {"CMMIC", "MMIC_TEMPMODE=3; MMIC_TJA=125"},
      // the thermal line by junction-temperature mode (a zero prints 0.0)
      {"CIC_Logic", "IC_TEMPMODE=1; IC_TADJ=5; IC_PD=0.5; IC_RJC=10; IC_RCA=20"},
      {"CIC_Logic", "IC_TEMPMODE=2; IC_RJC=12.5; IC_TCA=10"},
      {"CIC_Logic", "IC_TEMPMODE=3; IC_TJA=150"},
  };
  EXPECT_GOLDEN("microcircuit_lines.txt", test::textLines(records));
}

}  // namespace
}  // namespace kestrel
