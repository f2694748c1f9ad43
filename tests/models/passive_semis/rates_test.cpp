// Failure rates of the passive and discrete semiconductor classes against
// values worked by hand from the handbook's formulas. Each row imports its
// settings through the class's keywords, calculates in the row's environment
// (1 GB .. 14 CL) and ambient, and compares FR (and any factors named).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/model_test_support.hpp"

namespace kestrel {
namespace {

struct Rate {
  const char* cls;
  const char* settings;
  std::uint8_t env;
  float ambient;
  double fr;
  const char* factors = "";
  bool hybrid = false;
  std::uint32_t flags = 0;  // EntryOverRange or EnvNotValid the row expects
};

void checkRates(const std::vector<Rate>& rows) {
  for (const Rate& row : rows) {
    const std::string settings = std::string(row.hybrid ? "HYB=1 " : "") + "ENV=" + std::to_string(row.env) +
                                 " TA=" + std::to_string(row.ambient) + " " + row.settings;
    SCOPED_TRACE(std::string(row.cls) + " " + settings);
    test::Worked w = test::imported(row.cls, settings);
    ASSERT_NE(w.part, nullptr);
    EXPECT_TRUE(w.imported);
    EXPECT_TRUE(w.unread.empty()) << w.unread.front() << " not read";  // a mistyped keyword fails
    w.part->QTY = 7.0f;  // never applied to FR
    w.part->Calculate(w.header);
    if (row.fr >= 0) {
      EXPECT_TRUE(test::near(w.part->FR, row.fr));  // -1: the factors only
    }
    test::expectValues(*w.part, row.factors);
    EXPECT_EQ(w.part->OverFlags & (EntryOverRange | EnvNotValid), row.flags);
  }
}

// Ea/k: column 1 0.2 x 11604.967 = 2320.993 K, column 2 0.08 x 11604.967 = 928.3974 K.
// pi_P = Pmax^0.39; pi_S curve 1 0.71 exp(1.1 S), curve 2 0.54 exp(2.04 S).
TEST(HandWorkedRates, Resistor) {
  checkRates({
      // RC, Non-ER, 40 %: pi_P 0.25^0.39 = 0.582367, pi_S c2 0.54 exp(0.816) = 1.221175; 0.0017 x .. x 3.0
      {"CResistor", "RES_TYPE=2 RES_QU=5 RES_PMAX=0.25 RES_STRESSMODE=2 RES_PSTRESS=40", 1, 25, 0.0036270},
      // RLR, S, AIF, 55 + 15 C: pi_T c2 exp(-928.3974 (1/343 - 1/298)) = 1.504905; pi_S c1 0.71 exp(0.55)
      // = 1.230610; FR = 0.0037 x 1.504905 x 1.230610 x 0.03 x 23
      {"CResistor", "RES_TYPE=3 RES_QU=1 RES_PMAX=1 RES_STRESSMODE=2 RES_PSTRESS=50 RES_TRISE=15", 7, 55,
       0.0047280, "PIT=1.504905 PIS=1.230610"},
      // RWR, R, NU, 40 + 60 C: pi_T 1.870913; pi_P 5^0.39 = 1.873261; pi_S c2 0.54 exp(1.632) = 2.761610;
      // FR = 0.0024 x 1.870913 x 1.873261 x 2.761610 x 0.1 x 42
      {"CResistor", "RES_TYPE=12 RES_QU=2 RES_PMAX=5 RES_STRESSMODE=2 RES_PSTRESS=80 RES_TRISE=60", 5, 40,
       0.097561},
      // RTH, Commercial, CL, 150 C, CF 2: pi_T = pi_S = 1; 0.0019 x 2^0.39 (1.310393) x 10 x 1728 x 2
      {"CResistor", "RES_TYPE=16 RES_QU=6 RES_PMAX=2 RES_STRESSMODE=2 RES_PSTRESS=90 RES_TRISE=50 CF=2", 14,
       100, 86.04567, "PIT=1 PIS=1"},
      // RD, M, GF, 85 C: no temperature column; 0.0037 x 0.5^0.39 (0.763130) x 0.71 exp(0.22) (0.884715) x 4
      {"CResistor", "RES_TYPE=8 RES_QU=4 RES_PMAX=0.5 RES_STRESSMODE=2 RES_PSTRESS=20", 2, 85, 0.0099922,
       "PIT=1"},
      // RZ, P, SF, 125 C: pi_T c1 exp(2320.993 x 0.00084314) = 7.077542; no stress curve;
      // 0.0019 x 7.077542 x 0.582367 x 0.3 x 0.5
      {"CResistor", "RES_TYPE=9 RES_QU=3 RES_PMAX=0.25 RES_STRESSMODE=2 RES_PSTRESS=95", 11, 125, 0.0011747,
       "PIT=7.077542 PIS=1"},
      // RCR, S, ML, 0 C: pi_T c1 exp(-2320.993 x 0.00030730) = 0.490054; pi_P 0.125^0.39 = 0.444421;
      // pi_S c2 at 0 = 0.54; 0.0017 x .. x 0.03 x 87
      {"CResistor", "RES_TYPE=1 RES_QU=1 RES_PMAX=0.125 RES_STRESSMODE=2 RES_PSTRESS=0", 13, 0, 0.00052182},
      // RBR, M, MF, -55 C: pi_T c2 exp(-928.3974 x 0.00123145) = 0.318773; pi_P 10^0.39 = 2.454709;
      // pi_S c1 0.71 e^1.1 = 2.132958; x 37
      {"CResistor", "RES_TYPE=10 RES_QU=4 RES_PMAX=10 RES_STRESSMODE=2 RES_PSTRESS=100", 12, -55, 0.14821},
      // RN, Non-ER, GM, 60 C: pi_T c2 1.387422; pi_S c1 1.102422; 0.0037 x .. x 0.582367 x 3 x 16
      {"CResistor", "RES_TYPE=6 RES_QU=5 RES_PMAX=0.25 RES_STRESSMODE=2 RES_PSTRESS=40", 3, 60, 0.15820},
      // computed stress: Pd 0.05 / Pmax 0.25 = 20 %: RC Non-ER, 0.0017 x 0.582367 x 0.54 exp(0.408)
      // (0.812064) x 3.0
      {"CResistor", "RES_TYPE=2 RES_QU=5 RES_PMAX=0.25 RES_PD=0.05 RES_STRESSMODE=1", 1, 25, 0.0024119},
      // the same RC in a hybrid at CL with Commercial quality: pi_Q = pi_E = 1; 0.0017 x 0.582367 x 1.221175
      {"CResistor", "RES_TYPE=2 RES_PMAX=0.25 RES_STRESSMODE=2 RES_PSTRESS=40", 14, 25, 0.0012090, "", true},
      // Thermistor at 150 + 150 C, 100 %, CF 1.5, P, NS: 0.0019 x 0.582367 x 0.3 x 12 x 1.5
      {"CResistor",
       "RES_TYPE=16 RES_QU=3 RES_PMAX=0.25 RES_STRESSMODE=2 RES_PSTRESS=100 RES_TRISE=150 CF=1.5", 4, 150,
       0.0059750},
  });
}

// Potentiometers use curve 1 for every style and their own base rates and columns.
TEST(HandWorkedRates, Potentiometer) {
  checkRates({
      // RJ, Non-ER, GB: 0.0037 x 0.582367 x 1.102422 x 3.0
      {"CPotentiometer", "POT_TYPE=8 POT_QU=5 POT_PMAX=0.25 POT_STRESSMODE=2 POT_PSTRESS=40", 1, 25,
       0.0071264},
      // RA, M, GF, 125 C: pi_T c1 7.077542; 0.0024 x 7.077542 x 1.230610 x 4
      {"CPotentiometer", "POT_TYPE=4 POT_QU=4 POT_PMAX=1 POT_STRESSMODE=2 POT_PSTRESS=50", 2, 125, 0.083613},
      // RP, R, NU, 55 + 15 C: pi_T c2 1.504905; pi_P 1.873261; curve 1 (not the resistor's curve 2)
      // 0.71 exp(0.88) = 1.711739; 0.0024 x .. x 0.1 x 42
      {"CPotentiometer", "POT_TYPE=6 POT_QU=2 POT_PMAX=5 POT_STRESSMODE=2 POT_PSTRESS=80 POT_TRISE=15", 5, 55,
       0.048641, "PIS=1.711739"},
      // RVC, S, ML, 0 C: pi_T c1 0.490054; pi_P 0.444421; pi_S 0.71; 0.0037 x .. x 0.03 x 87
      {"CPotentiometer", "POT_TYPE=11 POT_QU=1 POT_PMAX=0.125 POT_STRESSMODE=2 POT_PSTRESS=0", 13, 0,
       0.0014933},
      // RTR, Commercial, CL, -55 C, CF 0.5: pi_T c2 0.318773; 0.0024 x .. x 2.454709 x 2.132958 x 10 x 1728 x
      // 0.5
      {"CPotentiometer", "POT_TYPE=1 POT_QU=6 POT_PMAX=10 POT_STRESSMODE=2 POT_PSTRESS=100 CF=0.5", 14, -55,
       34.6090},
      // RQ, P, AUC, 60 C: pi_T c1 exp(2320.993 x 0.00035270) = 2.267365; 0.0037 x .. x 0.763130 x 0.884715
      // x 0.3 x 31
      {"CPotentiometer", "POT_TYPE=10 POT_QU=3 POT_PMAX=0.5 POT_STRESSMODE=2 POT_PSTRESS=20", 8, 60,
       0.052675},
      // RJ in a hybrid at CL: 0.0037 x 0.582367 x 1.102422
      {"CPotentiometer", "POT_TYPE=8 POT_PMAX=0.25 POT_STRESSMODE=2 POT_PSTRESS=40", 14, 25, 0.0023755, "",
       true},
  });
}

// Ea/k: column 1 0.15 x 11604.967 = 1740.745 K; column 2 0.35 x 11604.967 = 4061.738 K.
// pi_C column 1 C^0.09, column 2 C^0.23 (uF); pi_V curves 1..5 (S/0.6)^5, ^10, ^3, (S/0.6)^17 x
// 5907.840 (0.6^-17 scaled), (S/0.5)^3, each + 1.
TEST(HandWorkedRates, Capacitor) {
  checkRates({
      // CK, Non-ER, GB, 1 uF, 50 %: curve 3 (0.5/0.6)^3 + 1 = 1.578704; 0.00099 x 1.578704 x 3.0
      {"CCapacitor", "CAP_TYPE=17 CAP_QU=8 CAP_CAP=1 CAP_CAPUNIT=2 CAP_STRESSMODE=2 CAP_VSTRESS=50", 1, 25,
       0.0046887},
      // CSR, R, GM, 60 + 10 C, 10 uF, 40 %, CR 0.1: pi_T c1 2.151936; pi_C c2 10^0.23 = 1.698244;
      // curve 4 1.001015; pi_SR 3.3; 0.0004 x .. x 0.1 x 20
      {"CCapacitor",
       "CAP_TYPE=21 CAP_QU=4 CAP_CAP=10 CAP_CAPUNIT=2 CAP_CIRCR=0.1 CAP_STRESSMODE=2 CAP_VSTRESS=40 "
       "CAP_TRISE=10",
       3, 60, 0.0096577, "PIT=2.151936 PIC=1.698244 PISR=3.3"},
      // CU, P, NU, 85 C, 100 uF, 80 %: pi_T c2 exp(4061.738 x 0.00056241) = 9.819367; pi_C 2.884032;
      // curve 1 (0.8/0.6)^5 + 1 = 5.213992; 0.00012 x .. x 0.3 x 15
      {"CCapacitor", "CAP_TYPE=27 CAP_QU=5 CAP_CAP=100 CAP_CAPUNIT=2 CAP_STRESSMODE=2 CAP_VSTRESS=80", 5, 85,
       0.079735},
      // CM, S/B, AIF, 0 C, 1000 pF = 0.001 uF, 30 %: pi_T c2 0.287030; pi_C c1 0.537032; curve 2 1.000977;
      // 0.00076 x .. x 0.03 x 15
      {"CCapacitor", "CAP_TYPE=12 CAP_QU=3 CAP_CAP=1000 CAP_CAPUNIT=1 CAP_STRESSMODE=2 CAP_VSTRESS=30", 7, 0,
       5.27688e-5, "PIC=0.537032"},
      // CV, Commercial, CL, 60 + 40 C, 50 pF, 60 %, CF 2: pi_T c1 3.236685; pi_C 0.410117; curve 5
      // (0.6/0.5)^3 + 1 = 2.728; 0.0079 x .. x 10 x 570 x 2
      {"CCapacitor",
       "CAP_TYPE=29 CAP_QU=9 CAP_CAP=50 CAP_CAPUNIT=1 CAP_STRESSMODE=2 CAP_VSTRESS=60 CAP_TRISE=40 "
       "CF=2",
       14, 60, 326.125},
      // CWR, D, SF, -55 C, 4.7 uF, 100 %, CR 0.5: pi_T c1 0.117227; pi_C c2 1.427521; curve 4 5908.840;
      // pi_SR 1.3; 0.00005 x .. x 0.001 x 0.5
      {"CCapacitor",
       "CAP_TYPE=22 CAP_QU=1 CAP_CAP=4.7 CAP_CAPUNIT=2 CAP_CIRCR=0.5 CAP_STRESSMODE=2 CAP_VSTRESS=100", 11,
       -55, 3.21363e-5, "PIV=5908.840"},
      // CHR, L, AUC, 0.22 uF, 50 %: lambda_b 0.00051; pi_C 0.872606; curve 1 1.401878; x 1.5 x 25
      {"CCapacitor", "CAP_TYPE=7 CAP_QU=7 CAP_CAP=0.22 CAP_CAPUNIT=2 CAP_STRESSMODE=2 CAP_VSTRESS=50", 8, 25,
       0.023395},
      // CH, the same: lambda_b 0.00037
      {"CCapacitor", "CAP_TYPE=8 CAP_QU=7 CAP_CAP=0.22 CAP_CAPUNIT=2 CAP_STRESSMODE=2 CAP_VSTRESS=50", 8, 25,
       0.016973},
      // CDR, C, ML, 70 C, 0.1 uF, 40 %: pi_T c2 5.978632; pi_C 0.812831; curve 3 1.296296; x 0.01 x 50
      {"CCapacitor", "CAP_TYPE=20 CAP_QU=2 CAP_CAP=0.1 CAP_CAPUNIT=2 CAP_STRESSMODE=2 CAP_VSTRESS=40", 13, 70,
       0.0062995},
      // CT, M, MF, 10 pF, 0 %: 0.0000072 x (1e-5)^0.09 (0.354813) x 20
      {"CCapacitor", "CAP_TYPE=31 CAP_QU=6 CAP_CAP=10 CAP_CAPUNIT=1 CAP_STRESSMODE=2 CAP_VSTRESS=0", 12, 25,
       5.10931e-5},
      // 1 F = 1e6 uF on column 2: CU, M, GB: 0.00012 x exp(0.23 x 13.815511) (23.988329)
      {"CCapacitor", "CAP_TYPE=26 CAP_QU=6 CAP_CAP=1 CAP_CAPUNIT=3 CAP_STRESSMODE=2 CAP_VSTRESS=0", 1, 25,
       0.0028786},
      // computed stress: Vop 30 / Vmax 50 = 60 %: CK M GB curve 3 = 2; 0.00099 x 2
      {"CCapacitor", "CAP_TYPE=17 CAP_QU=6 CAP_CAP=1 CAP_CAPUNIT=2 CAP_VMAX=50 CAP_VOP=30 CAP_STRESSMODE=1",
       1, 25, 0.00198},
      // CSR hybrid at CL, 10 uF, 40 %, CR 0.1: 0.0004 x 1.698244 x 1.001015 x 3.3
      {"CCapacitor", "CAP_TYPE=21 CAP_CAP=10 CAP_CAPUNIT=2 CAP_CIRCR=0.1 CAP_STRESSMODE=2 CAP_VSTRESS=40", 14,
       25, 0.0022439, "PIQ=1 PIE=1", true},
  });
}

// Series resistance rows of the solid tantalum styles, each boundary on the row it closes:
// CR <= 0.1: 3.3; <= 0.2: 2.7; <= 0.4: 2.0; <= 0.6: 1.3; <= 0.8: 1.0; above: 0.66.
TEST(HandWorkedRates, CapacitorSeriesResistanceRows) {
  const std::pair<float, double> rows[] = {{0.0f, 3.3},  {0.1f, 3.3}, {0.11f, 2.7},  {0.2f, 2.7},
                                           {0.21f, 2.0}, {0.4f, 2.0}, {0.41f, 1.3},  {0.6f, 1.3},
                                           {0.61f, 1.0}, {0.8f, 1.0}, {0.81f, 0.66}, {9.0f, 0.66}};
  for (const auto& [cr, pisr] : rows) {
    const std::string settings =
        "CAP_TYPE=21 CAP_QU=6 CAP_CAP=1 CAP_CAPUNIT=2 CAP_STRESSMODE=2 CAP_VSTRESS=0 CAP_CIRCR=" +
        std::to_string(cr);
    checkRates({{"CCapacitor", settings.c_str(), 1, 25, 0.0004 * pisr}});
  }
}

// pi_T = exp(1276.546362 x (1/298 - 1/(T_HS + 273))); transformers and coils have their own
// quality and environment tables.
TEST(HandWorkedRates, Inductive) {
  checkRates({
      // high power transformer, MIL, GB, 25 C: 0.049; no stress figure, so never over stress
      {"CInductive", "IND_TYPE=4 IND_QU=1 STRESSLIMIT=0", 1, 25, 0.049},
      // RF transformer, Lower, AUF, 60 + 40 C: pi_T exp(1276.546 x 0.00067474) = 2.366321; 0.13 x .. x 3 x 9
      {"CInductive", "IND_TYPE=5 IND_QU=2 IND_TRISE=40", 9, 60, 8.30579, "PIT=2.366321"},
      // fixed inductor, R, GM, 60 + 15 C: pi_T 1.850537; 0.00003 x .. x 0.1 x 12
      {"CInductive", "IND_TYPE=6 IND_QU=2 IND_TRISE=15", 3, 60, 6.66193e-5},
      // variable inductor, P, CL, -55 C, CF 3: pi_T 0.207629; 0.00005 x .. x 0.3 x 610 x 3
      {"CInductive", "IND_TYPE=7 IND_QU=3 CF=3", 14, -55, 0.0056994},
      // flyback transformer, MIL, SF, 125 C: pi_T 2.933833; 0.0054 x .. x 0.5
      {"CInductive", "IND_TYPE=1 IND_QU=1", 11, 125, 0.0079213},
      // audio transformer, Lower, ARW: 0.014 x 3.0 x 24
      {"CInductive", "IND_TYPE=2 IND_QU=2", 10, 25, 1.008},
      // low power pulse transformer, MIL, NS, 0 C: pi_T 0.675514; 0.022 x .. x 5
      {"CInductive", "IND_TYPE=3 IND_QU=1", 4, 0, 0.074307},
      // the coil and transformer tables differ at GF (4 against 6) and AIC (5 against 6):
      // fixed inductor, M, GF: 0.00003 x 1 x 4; high power transformer, MIL, AIC: 0.049 x 6
      {"CInductive", "IND_TYPE=6 IND_QU=4", 2, 25, 0.00012},
      {"CInductive", "IND_TYPE=4 IND_QU=1", 6, 25, 0.294},
      // index 2 means "R (ER)" (0.1) for an inductor and "Lower" (3.0) for a transformer
      {"CInductive", "IND_TYPE=7 IND_QU=2", 1, 25, 0.000005},
      // RF transformer in a hybrid at CL: 0.13
      {"CInductive", "IND_TYPE=5", 14, 25, 0.13, "", true},
  });
}

// Tj from the junction block: mode 1 Ta + Tadj + Pd (Rjc + Rca), 2 Ta + Tca + Pd Rjc, 3 Ta + Tja.
// pi_T = exp(-Ea/k (1/(Tj + 273) - 1/298)) with the type's Ea/k.
TEST(HandWorkedRates, Diode) {
  checkRates({
      // analog, metal bond, JANTXV, GB, 30 % (on the knee: pi_S 0.054): 0.0038 x 0.054 x 0.7
      {"CDiode", "DIO_FAMILY=1 DIO_TYPE=1 DIO_CONTACTS=1 DIO_QU=1 DIO_STRESSMODE=2 DIO_VSTRESS=30", 1, 25,
       1.4364e-4},
      // switching, spring loaded, Lower, AIF, Tj = 40 + 10 + 0.5 x 20 = 60: pi_T exp(3091 x 0.000352702) =
      // 2.974872; pi_S 0.31^2.43 = 0.0580776; 0.0010 x .. x 2.0 x 5.5 x 29
      {"CDiode",
       "DIO_FAMILY=1 DIO_TYPE=2 DIO_CONTACTS=2 DIO_QU=4 DIO_STRESSMODE=2 DIO_VSTRESS=31 DIO_TEMPMODE=2 "
       "DIO_PD=0.5 DIO_RJC=20 DIO_TCA=10",
       7, 40, 0.0551148, "PIT=2.974872 PIS=0.0580776 PIC=2"},
      // HV stacks of 4 junctions: lambda_b 0.005 x 4; JAN, NU, Tj 100: pi_T 8.049580; pi_S 0.8^2.43 =
      // 0.581445;
      // 0.02 x .. x 2.4 x 19
      {"CDiode",
       "DIO_FAMILY=1 DIO_TYPE=5 DIO_JUNCTIONS=4 DIO_QU=3 DIO_STRESSMODE=2 DIO_VSTRESS=80 DIO_TEMPMODE=3 "
       "DIO_TJA=75",
       5, 25, 4.268514, "LB=0.02"},
      // voltage regulator, no stress figure; Plastic, CL, Tj = 25 + 1 x (60 + 40) = 125: pi_T exp(1925 x
      // 0.000843142) = 5.068516; 0.0020 x .. x 8 x 320
      {"CDiode", "DIO_FAMILY=1 DIO_TYPE=6 DIO_QU=5 DIO_TEMPMODE=1 DIO_PD=1 DIO_RJC=60 DIO_RCA=40", 14, 25,
       25.950803},
      // IMPATT, JANTXV, GF, Tj 125: pi_T exp(5260 x 0.000843142) = 84.345909; 0.22 x .. x 0.5 x 2
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=1 DIO_QU=1 DIO_TEMPMODE=3 DIO_TJA=100", 2, 25, 18.556100},
      // PIN 20 W: pi_R 0.326 ln 20 - 0.25 = 0.726609; JAN 5, NS 4: 0.0081 x .. x 5 x 4
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=4 DIO_QU=3 DIO_RATING=20", 4, 25, 0.1177106},
      // PIN at 10 W is still 0.5, at 1000 W 0.326 x 6.907755 - 0.25 = 2.001928 (JANTX 1)
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=4 DIO_QU=2 DIO_RATING=10", 1, 25, 0.00405, "PIR=0.5"},
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=4 DIO_QU=2 DIO_RATING=1000", 1, 25, 0.0162156},
      // Schottky, Lower (its own list: 2.5), ML, Tj 75: pi_T exp(2100 x 0.000482141) = 2.752466; x 24
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=5 DIO_QU=4 DIO_TEMPMODE=3 DIO_TJA=50", 13, 25, 4.458994},
      // Schottky JAN 1.8 (not the high-frequency 5.0); tunnel JAN 5.0
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=5 DIO_QU=3", 1, 25, 0.0486},
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=3 DIO_QU=3", 1, 25, 0.0115},
      // varactors: multiplier pi_A 2.5, Lower 25, AUC 7; voltage control pi_A 0.5, Plastic 50, CL 250
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=8 DIO_QU=4", 8, 25, 1.09375},
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=7 DIO_QU=5", 14, 25, 15.625},
      // thyristor 4 A, 60 %, JANTX, GM, Tj 60, CF 1.5: pi_T exp(3082 x 0.000352702) = 2.965444;
      // pi_R 4^0.4 = 1.741101; pi_S 0.6^1.9 = 0.378868; 0.0022 x .. x 9 x 1.5
      {"CDiode",
       "DIO_FAMILY=3 DIO_QU=2 DIO_RATING=4 DIO_STRESSMODE=2 DIO_VSTRESS=60 DIO_TEMPMODE=3 "
       "DIO_TJA=20 CF=1.5",
       3, 40, 0.0580975},
      // stress knees: low frequency 31 % 0.31^2.43 = 0.0580776 (power rectifier 0.0030);
      // thyristor 31 % 0.31^1.9 = 0.108041; thyristor 0.5 A: 0.5^0.4 = 0.757858 at 30 % (0.1)
      {"CDiode", "DIO_FAMILY=1 DIO_TYPE=4 DIO_QU=2 DIO_STRESSMODE=2 DIO_VSTRESS=31", 1, 25, 1.742328e-4},
      {"CDiode", "DIO_FAMILY=3 DIO_QU=2 DIO_RATING=1 DIO_STRESSMODE=2 DIO_VSTRESS=31", 1, 25, 2.376902e-4},
      {"CDiode", "DIO_FAMILY=3 DIO_QU=2 DIO_RATING=0.5 DIO_STRESSMODE=2 DIO_VSTRESS=30", 1, 25, 1.667288e-4},
      // hybrid switching, spring loaded, Plastic, CL, 31 %: pi_C = pi_A = pi_Q = pi_E = 1: 0.0010 x
      // 0.0580776;
      // hybrid multiplier varactor: pi_A 1 instead of 2.5
      {"CDiode", "DIO_FAMILY=1 DIO_TYPE=2 DIO_STRESSMODE=2 DIO_VSTRESS=31", 14, 25, 5.80776e-5, "PIC=1",
       true},
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=8", 14, 25, 0.0025, "PIA=1", true},
  });
}

TEST(HandWorkedRates, Transistor) {
  checkRates({
      // NPN linear JANTXV, GB: pi_R 1; pi_S 0.045 exp(3.1 x 0.5) = 0.212016; pi_A 1.5; 0.00074 x .. x 0.7
      {"CTransistor", "TR_TYPE=1 TR_APP=1 TR_QU=1 TR_PMAX=1 TR_STRESSMODE=2 TR_VSTRESS=50", 1, 25,
       1.647366e-4},
      // PNP switching Lower, AIF, Tj = 40 + 10 + 0.2 x 50 = 60: pi_T exp(2114 x 0.000352702) = 2.107730;
      // pi_R 0.5^0.37 = 0.773782; pi_S 0.045 exp(0.93) = 0.114053; 0.00074 x .. x 0.7 x 5.5 x 29
      {"CTransistor",
       "TR_TYPE=2 TR_APP=2 TR_QU=4 TR_PMAX=0.5 TR_STRESSMODE=2 TR_VSTRESS=30 TR_TEMPMODE=2 TR_PD=0.2 "
       "TR_RJC=50 TR_TCA=10",
       7, 40, 0.0153685, "PIT=2.107730 PIR=0.773782 PIS=0.114053"},
      // MOSFET power 20 W (pi_A 4.0), JAN, NU, Tj = 45 + 60: pi_T exp(1925 x 0.000710202) = 3.924108;
      // 0.012 x .. x 4 x 2.4 x 19
      {"CTransistor", "TR_TYPE=3 TR_APP=3 TR_QU=3 TR_PMAX=20 TR_TEMPMODE=3 TR_TJA=60", 5, 45, 8.589087},
      // JFET linear Plastic, CL, 0 C: pi_T 0.553468; 0.0045 x .. x 1.5 x 8 x 320
      {"CTransistor", "TR_TYPE=4 TR_APP=1 TR_QU=5", 14, 0, 9.563935},
      // UJT JANTX, SF, Tj = 25 + 10 + 2 x (20 + 25) = 125, CF 2: pi_T exp(2483 x 0.000843142) = 8.113435;
      // 0.0083 x .. x 0.5 x 2
      {"CTransistor", "TR_TYPE=5 TR_QU=2 TR_TEMPMODE=1 TR_TADJ=10 TR_PD=2 TR_RJC=20 TR_RCA=25 CF=2", 11, 25,
       0.0673415},
      // MOSFET switching Lower, ML, Tj 75: pi_T exp(1925 x 0.000482141) = 2.529755; 0.012 x .. x 0.7 x 5.5 x
      // 32
      {"CTransistor", "TR_TYPE=3 TR_APP=2 TR_QU=4 TR_TEMPMODE=3 TR_TJA=50", 13, 25, 3.739989},
      // NPN linear JAN, ARW, -55 C, Pr 0.1 W (pi_R 0.43), 100 %: pi_T 0.0740298; pi_S 0.045 e^3.1 = 0.998908;
      // 0.00074 x .. x 1.5 x 0.43 x 2.4 x 24
      {"CTransistor", "TR_TYPE=1 TR_APP=1 TR_QU=3 TR_PMAX=0.1 TR_STRESSMODE=2 TR_VSTRESS=100", 10, -55,
       0.00203304},
      // pi_R bounds at 0 %: 0.1 W 0.43; 0.1001 W exp(0.37 x -2.301586) = 0.426737; switching 20 W 3.029571
      {"CTransistor", "TR_TYPE=1 TR_APP=1 TR_QU=2 TR_PMAX=0.1 TR_STRESSMODE=2 TR_VSTRESS=0", 1, 25,
       2.14785e-5},
      {"CTransistor", "TR_TYPE=1 TR_APP=1 TR_QU=2 TR_PMAX=0.1001 TR_STRESSMODE=2 TR_VSTRESS=0", 1, 25,
       2.131551e-5},
      {"CTransistor", "TR_TYPE=2 TR_APP=2 TR_QU=2 TR_PMAX=20 TR_STRESSMODE=2 TR_VSTRESS=0", 1, 25,
       7.06193e-5},
      // FET power pi_A steps: below 5 W 2, from 5 W 4, from 50 W 8, from 250 W 10
      {"CTransistor", "TR_TYPE=3 TR_APP=3 TR_QU=2 TR_PMAX=4.99", 1, 25, 0.024},
      {"CTransistor", "TR_TYPE=3 TR_APP=3 TR_QU=2 TR_PMAX=5", 1, 25, 0.048},
      {"CTransistor", "TR_TYPE=4 TR_APP=3 TR_QU=2 TR_PMAX=49.99", 1, 25, 0.018},
      {"CTransistor", "TR_TYPE=4 TR_APP=3 TR_QU=2 TR_PMAX=50", 1, 25, 0.036},
      {"CTransistor", "TR_TYPE=3 TR_APP=3 TR_QU=2 TR_PMAX=249.9", 1, 25, 0.096},
      {"CTransistor", "TR_TYPE=3 TR_APP=3 TR_QU=2 TR_PMAX=250", 1, 25, 0.12},
  });
}

// Bipolar pi_S 0.045 exp(3.1 S); pi_R P^0.37 (0.43 up to 0.1 W); high-power bipolar
// lambda_b 0.032 exp(0.354 F + 0.00558 P), pi_T 0.1 (gold) or 0.38 (aluminum) up to 40 %, above it
// 2 (gold) or 7.55 (aluminum) x (S - 0.35), times exp(-2903 (1/(Tj + 273) - 1/373)).
TEST(HandWorkedRates, MicrowaveTransistor) {
  checkRates({
      // low-noise bipolar JANTXV, GB: 0.18 x 0.773782 x 0.212016 x 0.5
      {"CMTrans", "MTR_TYPE=1 MTR_QU=1 MTR_POWER=0.5 MTR_STRESSMODE=2 MTR_VSTRESS=50", 1, 25, 0.0147649},
      // low-noise bipolar JAN, NS, Tj 60: pi_T 2.107730; 0.05 W: pi_R 0.43; pi_S 0.045 e^2.48 = 0.537357;
      // 0.18 x .. x 2 x 4
      {"CMTrans",
       "MTR_TYPE=1 MTR_QU=3 MTR_POWER=0.05 MTR_STRESSMODE=2 MTR_VSTRESS=80 MTR_TEMPMODE=2 "
       "MTR_PD=0.2 MTR_RJC=50 MTR_TCA=10",
       4, 40, 0.701308},
      // high-power bipolar, gold, CW, in/out matching, JAN, NU, Tj 100, 40 %: lambda_b 0.032 exp(1.4718) =
      // 0.139426; pi_T 0.1; 0.139426 x 0.1 x 7.6 x 2 x 11
      {"CMTrans",
       "MTR_TYPE=2 MTR_MATCH=1 MTR_METAL=1 MTR_APP=1 MTR_QU=3 MTR_FREQ=4 MTR_POWER=10 MTR_STRESSMODE=2 "
       "MTR_VSTRESS=40 MTR_TEMPMODE=3 MTR_TJA=75",
       5, 25, 2.331207},
      // aluminum, pulsed 25 %: pi_A 0.06 x 25 + 0.4 = 1.9; input matching 2; Lower, AIF, 25 C, 50 %:
      // lambda_b 0.032 exp(0.708 + 0.279) = 0.0858615; pi_T 7.55 x 0.15 x 0.0200517 = 0.0227086;
      // .. x 1.9 x 2 x 5 x 5
      {"CMTrans",
       "MTR_TYPE=2 MTR_MATCH=2 MTR_METAL=2 MTR_APP=2 MTR_DC=25 MTR_QU=4 MTR_FREQ=2 MTR_POWER=50 "
       "MTR_STRESSMODE=2 MTR_VSTRESS=50",
       7, 25, 0.185230},
      // GaAs FET high power, CW, no matching, Lower, AIF, Tj 75: lambda_b 0.0093 exp(0.429 x 4 + 0.486) =
      // 0.0841007; pi_T exp(4485 x 0.000482141) = 8.692013; .. x 4 x 4 x 5 x 5
      {"CMTrans",
       "MTR_TYPE=3 MTR_MATCH=3 MTR_APP=1 MTR_QU=4 MTR_FREQ=4 MTR_POWER=1 MTR_TEMPMODE=3 MTR_TJA=50", 7, 25,
       292.4016},
      // GaAs FET high power, pulsed (pi_A 1), in/out, JANTXV, GB, 1 GHz, 0.1 W: 0.0093 exp(0.4776) x 0.5
      {"CMTrans", "MTR_TYPE=3 MTR_MATCH=1 MTR_APP=2 MTR_QU=1 MTR_FREQ=1 MTR_POWER=0.1", 1, 25, 0.00749673},
      // GaAs FET low power, no matching, JANTX, ML: 4 x 0.052 x 24
      {"CMTrans", "MTR_TYPE=4 MTR_MATCH=3 MTR_QU=2", 13, 25, 4.992},
      // silicon MOSFET JANTX, SF, Tj 125, CF 2: pi_T 5.068516; 0.060 x .. x 0.5 x 2
      {"CMTrans", "MTR_TYPE=5 MTR_QU=2 MTR_TEMPMODE=1 MTR_TADJ=10 MTR_PD=2 MTR_RJC=20 MTR_RCA=25 CF=2", 11,
       25, 0.304111},
      // silicon JFET Lower, CL, 0 C: 0.023 x 0.553468 x 5 x 250
      {"CMTrans", "MTR_TYPE=6 MTR_QU=4", 14, 0, 15.91222},
      // pi_T knees of the high-power bipolar at Tj 100: gold 40 % 0.1, 41 % 2 x 0.06; aluminum 0.38 and
      // 7.55 x 0.06; aluminum 30 % at 25 C 0.38 x 0.0200517; 55 % tops the model (2 x 0.2 x 0.141032), 56 %
      // is flagged
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=1 MTR_STRESSMODE=2 MTR_VSTRESS=40 MTR_TEMPMODE=3 MTR_TJA=75", 1, 25,
       -1, "PIT=0.1"},
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=1 MTR_STRESSMODE=2 MTR_VSTRESS=41 MTR_TEMPMODE=3 MTR_TJA=75", 1, 25,
       -1, "PIT=0.12"},
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=2 MTR_STRESSMODE=2 MTR_VSTRESS=40 MTR_TEMPMODE=3 MTR_TJA=75", 1, 25,
       -1, "PIT=0.38"},
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=2 MTR_STRESSMODE=2 MTR_VSTRESS=41 MTR_TEMPMODE=3 MTR_TJA=75", 1, 25,
       -1, "PIT=0.453"},
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=2 MTR_STRESSMODE=2 MTR_VSTRESS=30", 1, 25, -1, "PIT=0.00761965"},
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=1 MTR_STRESSMODE=2 MTR_VSTRESS=55", 1, 25, -1, "PIT=0.0564128"},
      {"CMTrans", "MTR_TYPE=2 MTR_METAL=1 MTR_STRESSMODE=2 MTR_VSTRESS=56", 1, 25, -1, "PIT=0.0592335", false,
       EntryOverRange},
      // low-noise pi_R: 0.1 W 0.43, 0.1001 W 0.426737, 0.9999 W 0.999963
      {"CMTrans", "MTR_TYPE=1 MTR_POWER=0.1", 1, 25, -1, "PIR=0.43"},
      {"CMTrans", "MTR_TYPE=1 MTR_POWER=0.1001", 1, 25, -1, "PIR=0.426737"},
      {"CMTrans", "MTR_TYPE=1 MTR_POWER=0.9999", 1, 25, -1, "PIR=0.999963"},
      // hybrid high-power bipolar, gold, pulsed, input matching, CL, Tj 100, 40 %: pi_A = pi_Q = pi_E = 1,
      // pi_M stays 2: 0.139426 x 0.1 x 2
      {"CMTrans",
       "MTR_TYPE=2 MTR_MATCH=2 MTR_METAL=1 MTR_APP=2 MTR_DC=25 MTR_FREQ=4 MTR_POWER=10 MTR_STRESSMODE=2 "
       "MTR_VSTRESS=40 MTR_TEMPMODE=3 MTR_TJA=75",
       14, 25, 0.0278853, "", true},
  });
}

// pi_T = exp(2790 x (1/298 - 1/(Tj + 273))).
TEST(HandWorkedRates, Optoelectronic) {
  checkRates({
      // photodiode detector JANTXV, GB: 0.0040 x 0.7
      {"COpto", "OPTO_FAMILY=1 OPTO_TYPE=1 OPTO_QU=1", 1, 25, 0.0028},
      // phototransistor Lower, NU, Tj 75: pi_T 3.838857; 0.0055 x .. x 5.5 x 12
      {"COpto", "OPTO_FAMILY=1 OPTO_TYPE=2 OPTO_QU=4 OPTO_TEMPMODE=3 OPTO_TJA=50", 5, 25, 1.393505},
      // single isolator, darlington, JAN, AIC, Tj 125: pi_T 10.510406; 0.013 x .. x 2.4 x 4
      {"COpto", "OPTO_FAMILY=2 OPTO_TYPE=3 OPTO_QU=3 OPTO_TEMPMODE=3 OPTO_TJA=100", 6, 25, 1.311699},
      // dual isolator, photoresistor, JANTX, ARW: 0.0086 x 17
      {"COpto", "OPTO_FAMILY=3 OPTO_TYPE=4 OPTO_QU=2", 10, 25, 0.1462},
      // LED Plastic, CL, 0 C: pi_T 0.424279; 0.00023 x .. x 8 x 450
      {"COpto", "OPTO_FAMILY=4 OPTO_TYPE=1 OPTO_QU=5", 14, 0, 0.351303},
      // infrared LED Lower, SF, CF 3: 0.0013 x 5.5 x 0.5 x 3; no stress figure, so never over stress
      {"COpto", "OPTO_FAMILY=4 OPTO_TYPE=2 OPTO_QU=4 CF=3 STRESSLIMIT=0", 11, 25, 0.010725},
      // segment display, 8 characters, logic chip: 0.00043 x 8 + 0.000043 = 0.003483; x 0.7
      {"COpto", "OPTO_FAMILY=5 OPTO_TYPE=1 OPTO_CHAR=8 OPTO_LOGIC=1 OPTO_QU=1", 1, 25, 0.0024381},
      // diode array, 1 character, no logic: 0.00017 + 0.00009; Plastic, MF: x 8 x 9
      {"COpto", "OPTO_FAMILY=5 OPTO_TYPE=2 OPTO_CHAR=1 OPTO_LOGIC=2 OPTO_QU=5", 12, 25, 0.01872},
      // diode array, 99 characters, logic: 0.00017 x 99 + 0.000043 + 0.00009
      {"COpto", "OPTO_FAMILY=5 OPTO_TYPE=2 OPTO_CHAR=99 OPTO_LOGIC=1 OPTO_QU=2", 1, 25, 0.016963},
      // hybrid isolator phototransistor, CL: 0.013
      {"COpto", "OPTO_FAMILY=2 OPTO_TYPE=2", 14, 25, 0.013, "", true},
  });
}

// pi_T = exp(4635 x (1/298 - 1/(T + 273))); pi_I = I^0.68; pulsed pi_A = sqrt(DC);
// pi_P = 1 / (2 (1 - Preq/Pmax)).
TEST(HandWorkedRates, LaserDiode) {
  checkRates({
      // pulsed GaAs, 25 + 30 C: pi_T 4.147865; 10 A: 4.786301; 25 %: 0.5; Preq 100 of 1000: 0.555556
      {"CLaserDiode",
       "LASDIO_TYPE=1 LASDIO_QU=1 LASDIO_APP=2 LASDIO_DC=25 LASDIO_PEAKI=10 LASDIO_PMAX=1000 "
       "LASDIO_PREQ=100 LASDIO_TRISE=30",
       1, 25, 17.81249},
      // InGaAs without facet coating, CW, 1 A, no required power, CL: 5.65 x 3.3 x 4.4 x 0.5 x 450
      {"CLaserDiode",
       "LASDIO_TYPE=2 LASDIO_QU=3 LASDIO_APP=1 LASDIO_PEAKI=1 LASDIO_PMAX=1000 LASDIO_PREQ=0 "
       "LASDIO_TRISE=0",
       14, 25, 18458.55},
      // facet coated, pulsed 1 % (0.1), 25 A (8.924815), Preq 0.95 Pmax (10), NU, 0 C (0.240669); x 12
      {"CLaserDiode",
       "LASDIO_TYPE=1 LASDIO_QU=2 LASDIO_APP=2 LASDIO_DC=1 LASDIO_PEAKI=25 LASDIO_PMAX=1000 "
       "LASDIO_PREQ=950 LASDIO_TRISE=0 STRESSLIMIT=0",
       5, 0, 83.25379},
      // hybrid: pi_Q, pi_A, pi_E 1; 25 + 50 C: 9.343919; 2 A: 1.602140; Preq 5 of 10 mW: 1; CF 2
      {"CLaserDiode",
       "LASDIO_TYPE=1 LASDIO_APP=1 LASDIO_PEAKI=2 LASDIO_PMAX=10 LASDIO_PREQ=5 LASDIO_TRISE=50 CF=2", 14, 25,
       96.70791, "", true},
  });
}

// Devices at the ambient with no stress figure.
TEST(HandWorkedRates, AmbientDevices) {
  checkRates({
      // crystal 0.013 f^0.23: 1 MHz 0.013; 10 MHz 0.0220772 x Lower 2.1 x NU 16; 300 MHz 0.0482704 x CL 500
      // x CF 2; 0 MHz 0
      {"CCrystal", "CRYS_FREQ=1 CRYS_QU=1", 1, 60, 0.013},
      {"CCrystal", "CRYS_FREQ=10 CRYS_QU=2", 5, 60, 0.741793},
      {"CCrystal", "CRYS_FREQ=300 CRYS_QU=1 CF=2", 14, 60, 48.2704},
      {"CCrystal", "CRYS_FREQ=0 CRYS_QU=1", 1, 60, 0.0},
      // lamp 0.074 V^1.29: 5 V 0.590069, 50 % lit 0.72, AC 1; 28 V 5.445849, 95 % 1.0, DC 3.3, GF 2;
      // 9.9 % lit 0.1, DC, CL 27
      {"CLamp", "LAMP_VOLTS=5 LAMP_APP=1 LAMP_UTILDC=50", 1, 60, 0.424850},
      {"CLamp", "LAMP_VOLTS=28 LAMP_APP=2 LAMP_UTILDC=95", 2, 60, 35.94260},
      {"CLamp", "LAMP_VOLTS=5 LAMP_APP=2 LAMP_UTILDC=9.9", 14, 60, 5.257515, "PIU=0.1"},
      // meter 0.09: AC 1.7, other 2.8, Lower 3.4, AUF 73; voltmeter at MF 60; ML and CL have no
      // factor: rate 0 and not a valid environment
      {"CMeter", "METER_APP=2 METER_FUNCTION=3 METER_QU=2", 9, 60, 106.32888},
      {"CMeter", "METER_APP=1 METER_FUNCTION=2 METER_QU=1", 12, 60, 5.4},
      {"CMeter", "METER_APP=1 METER_FUNCTION=1 METER_QU=1", 13, 60, 0.0, "", false, EnvNotValid},
      {"CMeter", "METER_APP=2 METER_FUNCTION=1 METER_QU=1", 14, 60, 0.0, "", false, EnvNotValid},
      // filters: RFI ceramic-ferrite 0.022; RFI type 2 discrete LC 0.12 x GF 2; low pass type 2 LC and
      // crystal 0.27 x Lower 2.9 x MF 7; dual functioning discrete LC 0.12 x CL 120
      {"CFilter", "FILT_FAMILY=1 FILT_TYPE=1 FILT_QU=1", 1, 60, 0.022},
      {"CFilter", "FILT_FAMILY=1 FILT_TYPE=2 FILT_QU=1", 2, 60, 0.24},
      {"CFilter", "FILT_FAMILY=3 FILT_TYPE=2 FILT_QU=2", 12, 60, 5.481},
      {"CFilter", "FILT_FAMILY=6 FILT_TYPE=1 FILT_QU=1", 14, 60, 14.4},
      // fuse 0.010 x AIF 12; x CL 230
      {"CFuse", "", 7, 60, 0.12},
      {"CFuse", "", 14, 60, 2.3},
      // isolator up to 100 W 0.10, above 0.20 x CL 450; phase shifter 0.10 x NU 12 (ferrite table);
      // dummy loads 0.010 x AUF 22, 0.030 x GM 10, 0.10 x ML 36; termination 0.030 x SF 0.5 (load table)
      {"CMDev", "MDEV_TYPE=1 MDEV_RATING=1", 1, 60, 0.1},
      {"CMDev", "MDEV_TYPE=1 MDEV_RATING=2", 14, 60, 90.0},
      {"CMDev", "MDEV_TYPE=2", 5, 60, 1.2},
      {"CMDev", "MDEV_TYPE=3 MDEV_RATING=1", 9, 60, 0.22},
      {"CMDev", "MDEV_TYPE=3 MDEV_RATING=2", 3, 60, 0.3},
      {"CMDev", "MDEV_TYPE=3 MDEV_RATING=3", 13, 60, 3.6},
      {"CMDev", "MDEV_TYPE=4", 11, 60, 0.015},
  });
}

// Stored values outside their entry ranges ("@" sets them after the import,
// as a file may hold them) are limited for the calculation and flagged.
TEST(HandWorkedRates, StoredValuesLimitedForTheCalculation) {
  checkRates({
      // Pmax 0 is taken as 0.01 W: pi_P = 0.01^0.39 = 0.165959; RC Non-ER 40 %: 0.0017 x .. x 1.221175 x 3.0
      {"CResistor", "RES_TYPE=2 RES_QU=5 RES_STRESSMODE=2 RES_PSTRESS=40 @RES_PMAX=0", 1, 25, 0.0010336,
       "PIP=0.165959", false, EntryOverRange},
      // CSR capacitance 0 is 1e-6 uF: column 2 (1e-6)^0.23 = 0.041687; 3e38 is 9999999 uF:
      // exp(0.23 x 16.118096) = 40.738; circuit resistance -1 is 0 (3.3), 1e9 is 9 (0.66)
      {"CCapacitor", "CAP_TYPE=21 CAP_CAPUNIT=2 @CAP_CAP=0", 1, 25, -1, "PIC=0.041687", false,
       EntryOverRange},
      {"CCapacitor", "CAP_TYPE=21 CAP_CAPUNIT=2 @CAP_CAP=3e38", 1, 25, -1, "PIC=40.738", false,
       EntryOverRange},
      {"CCapacitor", "CAP_TYPE=21 @CAP_CIRCR=-1", 1, 25, -1, "PISR=3.3", false, EntryOverRange},
      {"CCapacitor", "CAP_TYPE=21 @CAP_CIRCR=1e9", 1, 25, -1, "PISR=0.66", false, EntryOverRange},
      // PIN rating 0 is 0.001 W: pi_R 0.5, never ln 0; thyristor 0 A is 0.001: 0.001^0.4 = 0.0630957
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=4 @DIO_RATING=0", 1, 25, -1, "PIR=0.5", false, EntryOverRange},
      {"CDiode", "DIO_FAMILY=3 @DIO_RATING=0", 1, 25, -1, "PIR=0.0630957", false, EntryOverRange},
      // Preq equal to Pmax is limited to 0.95 Pmax (pi_P 10, no division by zero); Pmax 0 likewise
      {"CLaserDiode", "LASDIO_APP=1 LASDIO_PMAX=1000 @LASDIO_PREQ=1000", 1, 25, -1, "PIP=10", false,
       EntryOverRange},
      {"CLaserDiode", "LASDIO_APP=1 @LASDIO_PMAX=0 @LASDIO_PREQ=0", 1, 25, -1, "PIP=0.5", false,
       EntryOverRange},
      // 0.0093 exp(0.486 x 99999) and 0.032 exp(0.00558 x 99999) pass the largest float: held there
      {"CMTrans", "MTR_TYPE=3 @MTR_POWER=99999", 1, 25, -1, "LB=3.4028235e38", false, EntryOverRange},
      {"CMTrans", "MTR_TYPE=2 MTR_POWER=99999", 1, 25, -1, "LB=3.4028235e38", false, EntryOverRange},
  });
}

// Application, power and utilization bands, and the hybrid parts of the devices at the ambient.
TEST(HandWorkedRates, BandsAndHybrids) {
  checkRates({
      // pulsed pi_A = (DC/100)^0.5: 100 % 1; 0.001 % 0.00316228; CW 4.4 whatever the duty cycle;
      // Preq half of Pmax: 1 / (2 x 0.5) = 1
      {"CLaserDiode", "LASDIO_APP=2 LASDIO_DC=100", 1, 25, -1, "PIA=1"},
      {"CLaserDiode", "LASDIO_APP=2 LASDIO_DC=0.001", 1, 25, -1, "PIA=0.00316228"},
      {"CLaserDiode", "LASDIO_APP=1 LASDIO_PMAX=0.002 LASDIO_PREQ=0.001", 1, 25, -1, "PIA=4.4 PIP=1"},
      // lamp utilization: below 10 % 0.1, 10..90 % 0.72, above 90 % 1.0 (5 V AC at GB: 0.590069 x pi_U)
      {"CLamp", "LAMP_VOLTS=5 LAMP_APP=1 LAMP_UTILDC=10", 1, 25, 0.424850},
      {"CLamp", "LAMP_VOLTS=5 LAMP_APP=1 LAMP_UTILDC=90", 1, 25, 0.424850},
      {"CLamp", "LAMP_VOLTS=5 LAMP_APP=1 LAMP_UTILDC=90.1", 1, 25, 0.590069},
      // hybrids at CL: NPN switching Pr 0.2 W, 50 %: 0.00074 x 0.2^0.37 (0.551291) x 0.212016
      {"CTransistor", "TR_TYPE=1 TR_APP=2 TR_PMAX=0.2 TR_STRESSMODE=2 TR_VSTRESS=50", 14, 25, 8.649316e-5, "",
       true},
      // 10 MHz crystal 0.0220772; DC lamp keeps pi_A 3.3: 0.590069 x 3.3 x 0.72; AC other meter
      // 0.09 x 1.7 x 2.8, still no valid environment; band pass LC and crystal 0.27; fuse 0.01;
      // dummy load > 1000 W 0.1
      {"CCrystal", "CRYS_FREQ=10", 14, 25, 0.0220772, "", true},
      {"CLamp", "LAMP_VOLTS=5 LAMP_APP=2 LAMP_UTILDC=50", 14, 25, 1.402004, "", true},
      {"CMeter", "METER_APP=2 METER_FUNCTION=3", 14, 25, 0.4284, "", true, EnvNotValid},
      {"CFilter", "FILT_FAMILY=4 FILT_TYPE=2", 14, 25, 0.27, "", true},
      {"CFuse", "", 14, 25, 0.01, "", true},
      {"CMDev", "MDEV_TYPE=3 MDEV_RATING=3", 14, 25, 0.1, "", true},
  });
}

}  // namespace
}  // namespace kestrel
