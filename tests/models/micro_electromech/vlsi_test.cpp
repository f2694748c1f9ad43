#include "models/micro_electromech/vlsi.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "electromech_test_support.hpp"
#include "microcircuit_test_support.hpp"
#include "models/micro_electromech/register.hpp"

namespace kestrel {
namespace {

using test::ImportSetup;
using test::labelOf;
using test::near;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// ---- Failure rates against hand-worked handbook values --------------------------

struct RateCase {
  const char* label;
  std::uint8_t type, mfg, quality, pkg;
  float fsize, area, pins, volts, tja, cf;
  std::uint8_t env;
  bool hybrid;
  double lbd, pimfg, pit, picd, lbp, pie, piq, pipt, leos, fr;
};

class VlsiFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(VlsiFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CVLSI v;
  v.TYPE = c.type;
  v.MFG = c.mfg;
  v.QU = c.quality;
  v.PKG = c.pkg;
  v.FSIZE = c.fsize;
  v.AREA = c.area;
  v.PINS = c.pins;
  v.VOLTS = c.volts;
  v.thermal = test::junctionRise(c.tja);
  v.CF = c.cf;
  v.QTY = 3.0f;  // never applied to FR
  v.IS_HYBRID = c.hybrid ? 1 : 0;
  CCircHeader h = test::header(c.env, 25);
  v.Calculate(h);
  EXPECT_FLOAT_EQ(v.T, 25.0f + c.tja);
  EXPECT_FLOAT_EQ(v.S, -1.0f);
  EXPECT_TRUE(near(v.LBD, c.lbd));
  EXPECT_TRUE(near(v.PIMFG, c.pimfg));
  EXPECT_TRUE(near(v.PIT, c.pit));
  EXPECT_TRUE(near(v.PICD, c.picd));
  EXPECT_TRUE(near(v.LBP, c.lbp));
  EXPECT_TRUE(near(v.PIE, c.pie));
  EXPECT_TRUE(near(v.PIQ, c.piq));
  EXPECT_TRUE(near(v.PIPT, c.pipt));
  EXPECT_TRUE(near(v.LEOS, c.leos));
  EXPECT_TRUE(near(v.FR, c.fr));
  EXPECT_EQ(v.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VlsiFailureRate,
    ::testing::Values(
        // New record, Tj = 25: pi_T 0.1; pi_CD = 1 x 4.761905 x 2.56 / 0.64 + 0.36 = 19.407619;
        // lambda_BP = 0.0022 + 0.0000172 x 16 = 0.0024752; 500 V: 0.065;
        // FR = 0.16 x 0.55 x 0.1 x 19.407619 + 0.0024752 x 0.5 x 10 x 1.3 + 0.065
        //    = 0.170787 + 0.0160888 + 0.065 = 0.251876
        RateCase{"DefaultRecordAtGroundBenign", 1, 1, 4, 4, 0.8f, 1.0f, 16, 500, 0, 1, 1, false, 0.16, 0.55, 0.1,
                 19.407619, 0.0024752, 0.5, 10, 1.3, 0.065, 0.251876},
        // Gate array, not QML, Tj = 75: pi_T = 0.1 x exp(0.35 x 11604.967 x (1/298 - 1/348)) = 0.708750;
        // Xs 2, A 0.21: pi_CD = 0.64 + 0.36 = 1; 100 pins: 0.0022 + 0.00172 = 0.00392; S, HermSMT 4.7,
        // AUF 8; 1001 V: 0.053; FR = (0.24 x 2 x 0.708750 + 0.00392 x 8 x 0.25 x 4.7 + 0.053) x 2
        //    = (0.340200 + 0.036848 + 0.053) x 2 = 0.860096
        RateCase{"GateArrayNonQmlHotWithCorrectionFactor", 2, 2, 1, 3, 2.0f, 0.21f, 100, 1001, 50, 2, 9, false,
                 0.24, 2.0, 0.708750, 1.0, 0.00392, 8, 0.25, 4.7, 0.053, 0.860096},
        // Xs 0.25, A 5: pi_CD = 5 x 4.761905 x 2.56 / 0.0625 + 0.36 = 975.598095; 3 pins:
        // 0.0022 + 0.0000516 = 0.0022516; B1 2, HermPGA 2.2, CL 220; 16001 V: 0.0027;
        // FR = 0.16 x 0.55 x 0.1 x 975.598095 + 0.0022516 x 220 x 2 x 2.2 + 0.0027
        //    = 8.585263 + 2.179549 + 0.0027 = 10.767512
        RateCase{"LargestDieComplexityAtCannonLaunch", 1, 1, 3, 2, 0.25f, 5.0f, 3, 16001, 0, 1, 14, false, 0.16,
                 0.55, 0.1, 975.598095, 0.0022516, 220, 2, 2.2, 0.0027, 10.767512},
        // In a hybrid the package term vanishes and pi_Q is 1; pi_E is still shown, EOS counts:
        // FR = 0.170787 + 0.065 = 0.235787
        RateCase{"HybridPartKeepsDieAndOverstress", 1, 1, 1, 6, 0.8f, 1.0f, 16, 500, 0, 1, 14, true, 0.16, 0.55,
                 0.1, 19.407619, 0.0, 220, 1.0, 0.0, 0.065, 0.235787}),
    labelOf<RateCase>);

// ---- Electrical overstress, package type and quality tables -------------------------

struct EsdCase {
  const char* label;
  float volts;
  double leos;
};

class VlsiOverstress : public ::testing::TestWithParam<EsdCase> {};

TEST_P(VlsiOverstress, RateBySusceptibility) {
  CVLSI v;
  v.VOLTS = GetParam().volts;
  CCircHeader h = test::header(1, 25);
  v.Calculate(h);
  EXPECT_TRUE(near(v.LEOS, GetParam().leos));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, VlsiOverstress,
    ::testing::Values(EsdCase{"Zero", 0, 0.065}, EsdCase{"At1000", 1000, 0.065}, EsdCase{"At1001", 1001, 0.053},
                      EsdCase{"At2000", 2000, 0.053}, EsdCase{"At2001", 2001, 0.044},
                      EsdCase{"At4000", 4000, 0.044}, EsdCase{"At4001", 4001, 0.029},
                      EsdCase{"At16000", 16000, 0.029}, EsdCase{"At16001", 16001, 0.0027},
                      EsdCase{"At25000", 25000, 0.0027}),
    labelOf<EsdCase>);

struct PackageCase {
  const char* label;
  std::uint8_t pkg, quality;
  float custom;
  double pipt, piq;
};

class VlsiPackageAndQuality : public ::testing::TestWithParam<PackageCase> {};

TEST_P(VlsiPackageAndQuality, Factors) {
  const PackageCase& c = GetParam();
  CVLSI v;
  v.PKG = c.pkg;
  v.QU = c.quality;
  v.QUCUSTOM = c.custom;
  CCircHeader h = test::header(1, 25);
  v.Calculate(h);
  EXPECT_TRUE(near(v.PIPT, c.pipt));
  EXPECT_TRUE(near(v.PIQ, c.piq));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, VlsiPackageAndQuality,
    ::testing::Values(PackageCase{"HermDipS", 1, 1, 1, 1.0, 0.25}, PackageCase{"HermPgaB", 2, 2, 1, 2.2, 1.0},
                      PackageCase{"HermSmtB1", 3, 3, 1, 4.7, 2.0},
                      PackageCase{"NonHermDipCommercial", 4, 4, 1, 1.3, 10.0},
                      PackageCase{"NonHermPgaCustom", 5, 5, 7.5f, 2.9, 7.5},
                      PackageCase{"NonHermSmtCustom", 6, 5, 0.01f, 6.1, 0.01}),
    labelOf<PackageCase>);

// ---- Limits, surface mounting, stored values ------------------------------------------

TEST(VlsiLimits, OverTempOnlyStrictlyAbove) {
  for (const auto& [tja, flags] : {std::pair{150.0f, 0u}, std::pair{150.25f, static_cast<unsigned>(OverTemp)}}) {
    CVLSI v;
    v.thermal = test::junctionRise(tja);  // Tj = 25 + tja against the limit 175
    CCircHeader h = test::header(1, 25);
    v.Calculate(h);
    EXPECT_EQ(v.OverFlags, flags) << tja;
  }
}

TEST(VlsiSurfaceMount, DefaultRiseIsTjaInMode3) {
  CVLSI v;
  v.thermal = test::junctionRise(22);
  v.IS_SMT = 1;
  CCircHeader h = test::smtHeader(1, 25);
  v.Calculate(h);
  EXPECT_EQ(v.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(v.SMT_TEMPRISE, 22.0f);
  v.IS_HYBRID = 1;
  v.Calculate(h);
  EXPECT_EQ(v.SmtCalcFlag, 0);
}

TEST(VlsiStoredValues, ChoicesClampedNumbersLimited) {
  // type 7 -> GateArray 0.24, process 0 -> QML 0.55, package 9 -> NonHermSMT 6.1,
  // Xs 0 -> 0.25 and A 50 -> 5 (pi_CD 975.598095), V NaN -> 0 (0.065), pins 1e9 -> 9999:
  // lambda_BP = 0.0022 + 0.0000172 x 9999 = 0.1741828;
  // FR = 0.24 x 0.55 x 0.1 x 975.598095 + 0.1741828 x 0.5 x 10 x 6.1 + 0.065
  //    = 12.877895 + 5.312575 + 0.065 = 18.255470
  CVLSI v;
  v.TYPE = 7;
  v.MFG = 0;
  v.PKG = 9;
  v.FSIZE = 0;
  v.AREA = 50;
  v.VOLTS = kNaNf;
  v.PINS = 1e9f;
  CCircHeader h = test::header(1, 25);
  v.Calculate(h);
  EXPECT_EQ(v.TYPE, 2);
  EXPECT_EQ(v.MFG, 1);
  EXPECT_EQ(v.PKG, 6);
  EXPECT_NE(v.OverFlags & EntryOverRange, 0u);
  EXPECT_TRUE(near(v.FR, 18.255470));
  const test::Lines l = test::linesOf(v, std::string(50, '>'));
  for (const std::string* s : {&l.detail1, &l.detail2, &l.factors1, &l.factors2}) EXPECT_LE(s->size(), 132u);

  CVLSI w;
  w.QU = 8;
  w.normalizeChoices();
  EXPECT_EQ(w.QU, 5);
  EXPECT_NE(w.OverFlags & EntryOverRange, 0u);
}

// ---- Import, What-If?, update, files, lines ----------------------------------------------

void mapVlsi(ImportSetup& s) {
  s.map("VLSI_TYPE", 3, std::string("GateArray/Memory"));
  s.map("VLSI_MFG", 4, std::string("NonQML/NonQPL"));
  s.map("VLSI_FSIZE", 5, 0.5);
  s.map("VLSI_AREA", 6, 2.5);
  s.map("VLSI_QU", 7, std::string("Custom"));
  s.map("VLSI_QUCUSTOM", 8, 3.0);
  s.map("VLSI_PKG", 9, std::string("HermPGA"));
  s.map("VLSI_PINS", 10, 256.0);
  s.map("VLSI_VOLTS", 11, 2500.0);
  s.map("VLSI_TEMP", 12, 80.0);  // a case temperature: mode 2, Tca = 80 - 25
  for (CKwd& k : s.kwds) {
    if (k.name == "VLSI_TEMP") k.valueOption = kOverrideCase;
  }
}

TEST(VlsiImport, ReadsEveryFieldInOrder) {
  ImportSetup s;
  mapVlsi(s);
  CVLSI v;
  ASSERT_TRUE(v.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(v.TYPE, 2);
  EXPECT_EQ(v.MFG, 2);
  EXPECT_FLOAT_EQ(v.FSIZE, 0.5f);
  EXPECT_FLOAT_EQ(v.AREA, 2.5f);
  EXPECT_EQ(v.QU, 5);
  EXPECT_FLOAT_EQ(v.QUCUSTOM, 3.0f);
  EXPECT_EQ(v.PKG, 2);
  EXPECT_FLOAT_EQ(v.PINS, 256.0f);
  EXPECT_FLOAT_EQ(v.VOLTS, 2500.0f);
  EXPECT_EQ(v.thermal.MODE, 2);
  EXPECT_FLOAT_EQ(v.thermal.TCA, 55.0f);
}

TEST(VlsiImport, HybridSkipsQualityAndPackageAndRangesHold) {
  ImportSetup s;
  mapVlsi(s);
  s.map("VLSI_FSIZE", 5, 3.0);  // above 2.0: held at the bound, logged
  for (const char* k : {"VLSI_QU", "VLSI_QUCUSTOM", "VLSI_PKG", "VLSI_PINS"}) test::dropKeyword(s, k);
  CVLSI v;
  v.IS_HYBRID = 1;
  ASSERT_TRUE(v.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(v.FSIZE, 2.0f);
  EXPECT_TRUE(test::logged(s.log, "'VLSI_FSIZE'"));
  EXPECT_FLOAT_EQ(v.VOLTS, 2500.0f);

  CVLSI n;  // the custom factor is read only for "Custom"
  ImportSetup t;
  mapVlsi(t);
  t.map("VLSI_QU", 7, std::string("B"));
  test::dropKeyword(t, "VLSI_QUCUSTOM");
  EXPECT_TRUE(n.ImportFields(t.reader, false, false, 25.0f));
  test::dropKeyword(t, "VLSI_VOLTS");
  EXPECT_FALSE(n.ImportFields(t.reader, false, false, 25.0f));
}

TEST(VlsiWhatIf, QualityWithinSToCommercialOutsideHybrids) {
  WhatIfSettings s;
  s.qualityMode = Decrease;
  s.qualityLevel = 3;
  CVLSI v;
  v.QU = 2;
  v.ApplyWhatIf(s);
  EXPECT_EQ(v.QU, 4);  // 2 + 3 limited to Commercial
  CVLSI hybrid;
  hybrid.IS_HYBRID = 1;
  hybrid.QU = 2;
  hybrid.ApplyWhatIf(s);
  EXPECT_EQ(hybrid.QU, 2);
}

void fill(CVLSI& v) {
  v.PN = "V-1";
  v.TYPE = 2;
  v.FSIZE = 0.35f;
  v.AREA = 1.75f;
  v.MFG = 2;
  v.QU = 5;
  v.QUCUSTOM = 4.5f;
  v.PKG = 6;
  v.PINS = 304;
  v.VOLTS = 3000;
  v.thermal = test::thermalBlock(1, 2, 1.5f, 7, 8, 9, 10);
  const float f[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
  float* fields[] = {&v.LBD, &v.PIMFG, &v.PIT, &v.PICD, &v.LBP, &v.PIE, &v.PIQ, &v.PIPT, &v.LEOS};
  for (std::size_t i = 0; i < 9; ++i) *fields[i] = f[i];
}

TEST(VlsiFiles, OwnFieldsInFileOrderAndRoundTrip) {
  // TYPE byte, FSIZE, AREA, MFG and QU bytes, QUCUSTOM, PKG byte, PINS, VOLTS: 24 bytes; the block 25;
  // nine factors 36: 85 bytes
  registerMicroElectromechParts();
  CVLSI v;
  fill(v);
  const std::vector<std::uint8_t> b = test::ownBytes(v);
  ASSERT_EQ(b.size(), 85u);
  EXPECT_EQ(b[0], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 1), 0.35f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 5), 1.75f);
  EXPECT_EQ(b[9], 2);
  EXPECT_EQ(b[10], 5);
  EXPECT_FLOAT_EQ(test::floatAt(b, 11), 4.5f);
  EXPECT_EQ(b[15], 6);
  EXPECT_FLOAT_EQ(test::floatAt(b, 16), 304.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 20), 3000.0f);
  EXPECT_EQ(b[24], 1);  // temperature mode
  EXPECT_FLOAT_EQ(test::floatAt(b, 49), 0.1f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 81), 0.9f);

  auto back = test::roundTrip(v);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(test::ownBytes(*back), b);
  CVLSI copy;
  copy.CopyFrom(v);
  EXPECT_EQ(test::ownBytes(copy), b);
  CVLSI updated;
  updated.UpdateAppParams(v);
  EXPECT_FLOAT_EQ(updated.thermal.PD, 1.5f);
  EXPECT_FLOAT_EQ(updated.thermal.RJC, 0.0f);  // Rjc stays with the part
  EXPECT_EQ(updated.TYPE, 1);

  auto created = PartRegistry::instance().create(108, true);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetTypeName(), "VHSIC/VLSI(Hyb)");
  EXPECT_EQ(CVLSI{}.GetTypeName(), "VHSIC/VLSI");
}

TEST(VlsiPage, FieldsInLabelOrder) {
  CVLSI v;
  v.IS_HYBRID = 1;
  test::RecordingVisitor r;
  v.paramPage(r);
  EXPECT_EQ(r.keywords(), (std::vector<std::string>{"VLSI_TYPE", "VLSI_MFG", "VLSI_FSIZE", "VLSI_AREA", "VLSI_QU",
                                                     "VLSI_QUCUSTOM", "VLSI_PKG", "VLSI_PINS", "VLSI_VOLTS"}));
  EXPECT_FALSE(r.find("VLSI_QU")->applies);
  EXPECT_FALSE(r.find("VLSI_PINS")->applies);
  EXPECT_TRUE(r.find("VLSI_VOLTS")->applies);
}

TEST(VlsiTextLines, DefaultRecordLines) {
  CVLSI v;
  CCircHeader h = test::header(1, 25);
  v.Calculate(h);
  const test::Lines l = test::linesOf(v, "");
  // "%s%-16s  %-6s  %-8s  %-13s  %-7s  %-15s  %-9s"
  EXPECT_EQ(l.detail1, "Logic/Custom    " "  " "0.80um" "  " "1.00sqcm" "  " "QML/QPL      " "  " "Qu:Comm" "  "
                       "NonHermDIP-16  " "  " "500Vesd  ");
  EXPECT_EQ(l.factors1,
            "FR= (( LBD * PIMFG *   PIT    *   PICD )+(  LBP   *  PIE  *  PIQ  * PIPT)+ LEOS ) *   PICF  ");
  // LBD 4/2, PIMFG 5/2, PIT 8/6, PICD 7/5 (19.407619: 4 decimals from 10 on), LBP 7/5, PIE, PIQ 5/2,
  // PIPT 4/2, LEOS 6/4, CF 8/6 (1.0: 5 decimals)
  EXPECT_EQ(l.factors2, "      " "0.16" "   " "0.55 " "   " "0.100000" "   " "19.4076" "   " "0.00248" "   "
                        "0.50 " "   " "10.00" "   " "1.30" "  " "0.0650" "    " "1.00000 ");
}

}  // namespace
}  // namespace kestrel
