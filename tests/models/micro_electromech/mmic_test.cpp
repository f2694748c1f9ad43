#include "models/micro_electromech/mmic.hpp"

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
  std::uint8_t type, app;
  float complex;
  std::uint8_t learn;
  float years;
  std::uint8_t quality;
  float custom;
  std::uint8_t pkg;
  float pins, tja;
  std::uint8_t env;
  bool hybrid;
  double c1, c2, pit, pia, pie, piq, pil, fr;
};

class MmicFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(MmicFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CMMIC m;
  m.TYPE = c.type;
  m.APP = c.app;
  m.COMPLEX = c.complex;
  m.LEARN = c.learn;
  m.YEARS = c.years;
  m.QU = c.quality;
  m.QUCUSTOM = c.custom;
  m.PKG = c.pkg;
  m.PINS = c.pins;
  m.thermal = test::junctionRise(c.tja);
  m.IS_HYBRID = c.hybrid ? 1 : 0;
  m.QTY = 4.0f;  // never applied to FR
  CCircHeader h = test::header(c.env, 25);
  m.Calculate(h);
  EXPECT_FLOAT_EQ(m.T, 25.0f + c.tja);
  EXPECT_FLOAT_EQ(m.S, -1.0f);
  EXPECT_TRUE(near(m.C1, c.c1));
  EXPECT_TRUE(near(m.C2, c.c2));
  EXPECT_TRUE(near(m.PIT, c.pit));
  EXPECT_TRUE(near(m.PIA, c.pia));
  EXPECT_TRUE(near(m.PIE, c.pie));
  EXPECT_TRUE(near(m.PIQ, c.piq));
  EXPECT_TRUE(near(m.PIL, c.pil));
  EXPECT_TRUE(near(m.FR, c.fr));
  EXPECT_EQ(m.OverFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MmicFailureRate,
    ::testing::Values(
        // New MMIC (Unknown: pi_A 3), 100 elements 4.5, Tj = 25 + 125 = 150: pi_T = 0.1;
        // C2 = 0.00036 x 16^1.08 = 0.00719038; FR = (4.5 x 3 x 0.1 + 0.00719038 x 0.5) x 10 = 13.535952
        RateCase{"DefaultMmicAtReferenceTemperature", 1, 3, 100, 1, 2, 4, 1, 6, 16, 125, 1, false, 4.5, 0.00719038,
                 0.1, 3.0, 0.5, 10, 1, 13.535952},
        // Low-noise MMIC, 101 elements 7.2, Tj = 125: pi_T = 0.1 x exp(-1.5 x 11604.967 x (1/398 - 1/423))
        // = 0.1 x exp(-2.584948) = 0.00754000; Flatpack: C2 = 0.00003 x 10^1.82 = 0.00003 x 66.069345 =
        // 0.00198208; S, NS 4; FR = (7.2 x 0.00754000 + 0.00198208 x 4) x 0.25 = 0.0155541
        RateCase{"LowNoiseMmicFlatpackAtNavalSheltered", 1, 1, 101, 1, 2, 1, 1, 4, 10, 100, 4, false, 7.2,
                 0.00198208, 0.00754000, 1.0, 4, 0.25, 1, 0.0155541},
        // Digital IC 1001 elements 51, Tj = 100: pi_T = 0.1 x exp(-1.4 x 11604.967 x (1/373 - 1/423))
        // = 0.000580728; HermPGA/SMT-64: C2 = 0.00028 x 64^1.08 = 0.00028 x 89.263595 = 0.0249938;
        // New, 0.5 year: pi_L = 0.01 x exp(5.175) = 1.767966; B, AUC 5;
        // FR = (51 x 1 x 0.000580728 + 0.0249938 x 5) x 1.767966 = 0.273303
        RateCase{"NewDigitalIcAtAirborneUninhabitedCargo", 2, 1, 1001, 2, 0.5f, 2, 1, 3, 64, 75, 8, false, 51,
                 0.0249938, 0.000580728, 1.0, 5, 1, 1.767966, 0.273303},
        // Driver MMIC at 150, custom quality 2.5, AIC 4: FR = (4.5 x 3 x 0.1 + 0.00719038 x 4) x 2.5 = 3.446904
        RateCase{"DriverMmicCustomQuality", 1, 2, 1, 1, 2, 5, 2.5f, 7, 16, 125, 6, false, 4.5, 0.00719038, 0.1, 3.0,
                 4, 2.5, 1, 3.446904},
        // Digital IC in a hybrid, 1000 elements 25, Tj = 150: C2 0, pi_Q = pi_L = 1, pi_E still shown;
        // FR = 25 x 0.1 = 2.5
        RateCase{"HybridDigitalIc", 2, 2, 1000, 2, 0.5f, 1, 1, 6, 16, 125, 14, true, 25, 0.0, 0.1, 1.0, 220, 1, 1,
                 2.5}),
    labelOf<RateCase>);

struct DieCase {
  const char* label;
  std::uint8_t type;
  float complex;
  double c1;
  bool overRange;
};

class MmicDieComplexity : public ::testing::TestWithParam<DieCase> {};

TEST_P(MmicDieComplexity, RowAtBoundary) {
  const DieCase& c = GetParam();
  CMMIC m;
  m.TYPE = c.type;
  m.COMPLEX = c.complex;
  CCircHeader h = test::header(1, 25);
  m.Calculate(h);
  EXPECT_TRUE(near(m.C1, c.c1));
  EXPECT_EQ((m.OverFlags & EntryOverRange) != 0, c.overRange);
}

INSTANTIATE_TEST_SUITE_P(Rows, MmicDieComplexity,
                         ::testing::Values(DieCase{"Mmic100", 1, 100, 4.5, false},
                                           DieCase{"Mmic101", 1, 101, 7.2, false},
                                           DieCase{"Mmic1000", 1, 1000, 7.2, false},
                                           // past the MMIC range: last row, flagged
                                           DieCase{"Mmic1001BeyondRange", 1, 1001, 7.2, true},
                                           DieCase{"Digital1000", 2, 1000, 25, false},
                                           DieCase{"Digital1001", 2, 1001, 51, false},
                                           DieCase{"Digital10000", 2, 10000, 51, false},
                                           DieCase{"DigitalBeyondRange", 2, 20000, 51, true},
                                           DieCase{"DigitalZeroTakesFirstRow", 2, 0, 25, true}),
                         labelOf<DieCase>);

TEST(MmicTemperature, ReferredTo150) {
  // Tj = 25: MMIC 0.1 x exp(-17.261898) = 3.186052e-9; digital 0.1 x exp(-16.111105) = 1.007015e-8
  for (const auto& [type, pit] : {std::pair{1, 3.186052e-9}, std::pair{2, 1.007015e-8}}) {
    CMMIC m;
    m.TYPE = static_cast<std::uint8_t>(type);
    CCircHeader h = test::header(1, 25);
    m.Calculate(h);
    EXPECT_TRUE(near(m.PIT, pit)) << type;
  }
}

// ---- Limits, stored values, surface mounting ---------------------------------------------

TEST(MmicStoredValues, ClampedFlaggedAndFinite) {
  // type 5 -> DigitalIC (pi_A 1 whatever the application), learning 9 -> New with years NaN -> 0.01
  // (pi_L 2.0), package 0 -> HermDIP,Solder: C2 = 0.00028 x 16^1.08 = 0.00559252; Tj 150;
  // FR = (25 x 0.1 + 0.00559252 x 0.5) x 10 x 2.0 = 50.055925
  CMMIC m;
  m.TYPE = 5;
  m.APP = 9;
  m.LEARN = 9;
  m.YEARS = kNaNf;
  m.PKG = 0;
  m.thermal = test::junctionRise(125);
  CCircHeader h = test::header(1, 25);
  m.Calculate(h);
  EXPECT_EQ(m.TYPE, 2);
  EXPECT_EQ(m.LEARN, 2);
  EXPECT_EQ(m.PKG, 1);
  EXPECT_EQ(m.APP, 9);  // not used by a digital IC: left as stored
  EXPECT_FLOAT_EQ(m.PIA, 1.0f);
  EXPECT_NE(m.OverFlags & EntryOverRange, 0u);
  EXPECT_TRUE(near(m.FR, 50.055925));

  CMMIC x;
  x.APP = 0;
  x.CF = 3e38f;
  x.PINS = kNaNf;
  x.thermal = test::thermalBlock(2, 0, 3e38f, 3e38f, 0, 3e38f, 0);
  x.Calculate(h);
  EXPECT_EQ(x.APP, 1);
  EXPECT_TRUE(std::isfinite(x.FR));
  const test::Lines l = test::linesOf(x, std::string(60, '>'));
  for (const std::string* s : {&l.detail1, &l.detail2, &l.factors1, &l.factors2}) EXPECT_LE(s->size(), 132u);
}

TEST(MmicLimits, OverTempAndSurfaceMount) {
  CMMIC m;
  m.TEMPLIMIT = 150;
  m.thermal = test::junctionRise(125);  // Tj = 150: on the limit
  m.IS_SMT = 1;
  CCircHeader h = test::smtHeader(1, 25);
  m.Calculate(h);
  EXPECT_EQ(m.OverFlags, 0u);
  EXPECT_FLOAT_EQ(m.SMT_TEMPRISE, 125.0f);
  EXPECT_EQ(m.SmtCalcFlag, 1);
  m.thermal.TJA = 125.25f;
  m.Calculate(h);
  EXPECT_EQ(m.OverFlags, static_cast<std::uint32_t>(OverTemp));
}

// ---- Import, What-If?, files, lines -------------------------------------------------

void mapMmic(ImportSetup& s, const char* type) {
  s.map("MMIC_TYPE", 3, std::string(type));
  s.map("MMIC_APP", 4, std::string("Driver/HighPower"));
  s.map("MMIC_COMPLEX", 5, 5000.0);
  s.map("MMIC_LEARN", 6, std::string("New"));
  s.map("MMIC_YEARS", 7, 1.5);
  s.map("MMIC_QU", 8, std::string("B1"));
  s.map("MMIC_PKG", 9, std::string("Can"));
  s.map("MMIC_PINS", 10, 8.0);
  s.map("MMIC_TEMPMODE", 11, std::string("Tj=Ta+Tca+PdRjc"));
  s.map("MMIC_TCA", 12, 12.0);
}

TEST(MmicImport, ComplexityRangeFollowsType) {
  ImportSetup d;
  mapMmic(d, "DigitalIC");
  test::dropKeyword(d, "MMIC_APP");     // not read for a digital IC
  test::dropKeyword(d, "MMIC_QUCUSTOM");  // nor the custom factor for "B1"
  CMMIC digital;
  ASSERT_TRUE(digital.ImportFields(d.reader, false, false, 25.0f));
  EXPECT_EQ(digital.TYPE, 2);
  EXPECT_FLOAT_EQ(digital.COMPLEX, 5000.0f);
  EXPECT_EQ(digital.LEARN, 2);
  EXPECT_FLOAT_EQ(digital.YEARS, 1.5f);
  EXPECT_EQ(digital.QU, 3);
  EXPECT_EQ(digital.PKG, 5);
  EXPECT_FLOAT_EQ(digital.PINS, 8.0f);
  EXPECT_EQ(digital.thermal.MODE, 2);
  EXPECT_FLOAT_EQ(digital.thermal.TCA, 12.0f);

  ImportSetup m;
  mapMmic(m, "MMIC");
  CMMIC mmic;
  ASSERT_TRUE(mmic.ImportFields(m.reader, false, false, 25.0f));
  EXPECT_EQ(mmic.APP, 2);
  EXPECT_FLOAT_EQ(mmic.COMPLEX, 1000.0f);  // held at the MMIC bound
  EXPECT_TRUE(test::logged(m.log, "'MMIC_COMPLEX'"));
}

TEST(MmicImport, HybridReadsNoLearningQualityPackage) {
  ImportSetup s;
  mapMmic(s, "MMIC");
  for (const char* k : {"MMIC_LEARN", "MMIC_YEARS", "MMIC_QU", "MMIC_PKG", "MMIC_PINS"}) test::dropKeyword(s, k);
  CMMIC m;
  m.IS_HYBRID = 1;
  EXPECT_TRUE(m.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(m.thermal.TCA, 12.0f);
  CMMIC own;
  EXPECT_FALSE(own.ImportFields(s.reader, false, false, 25.0f));
}

TEST(MmicWhatIf, QualityRule) {
  WhatIfSettings s;
  s.qualityMode = Increase;
  s.qualityLevel = 2;
  CMMIC m;  // Commercial 4 - 2 = B
  m.ApplyWhatIf(s);
  EXPECT_EQ(m.QU, 2);
  CMMIC hybrid;
  hybrid.IS_HYBRID = 1;
  hybrid.ApplyWhatIf(s);
  EXPECT_EQ(hybrid.QU, 4);
}

TEST(MmicFiles, OwnFieldsInFileOrderAndRoundTrip) {
  // TYPE, APP bytes, COMPLEX, LEARN byte, YEARS, QU byte, QUCUSTOM, PKG byte, PINS: 21 bytes; the block
  // (mode byte first) 25; seven factors 28: 74 bytes
  registerMicroElectromechParts();
  CMMIC m;
  m.TYPE = 2;
  m.APP = 1;
  m.COMPLEX = 640;
  m.LEARN = 2;
  m.YEARS = 0.75f;
  m.QU = 5;
  m.QUCUSTOM = 8.5f;
  m.PKG = 7;
  m.PINS = 24;
  m.thermal = test::thermalBlock(3, 1, 2, 3, 4, 5, 6);
  m.C1 = 1.5f;
  m.PIA = 7.5f;
  const std::vector<std::uint8_t> b = test::ownBytes(m);
  ASSERT_EQ(b.size(), 74u);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 1);
  EXPECT_FLOAT_EQ(test::floatAt(b, 2), 640.0f);
  EXPECT_EQ(b[6], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 7), 0.75f);
  EXPECT_EQ(b[11], 5);
  EXPECT_FLOAT_EQ(test::floatAt(b, 12), 8.5f);
  EXPECT_EQ(b[16], 7);
  EXPECT_FLOAT_EQ(test::floatAt(b, 17), 24.0f);
  EXPECT_EQ(b[21], 3);
  EXPECT_FLOAT_EQ(test::floatAt(b, 46), 1.5f);  // C1 first
  EXPECT_FLOAT_EQ(test::floatAt(b, 70), 7.5f);  // pi_A last

  auto back = test::roundTrip(m);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(test::ownBytes(*back), b);
  CMMIC copy;
  copy.CopyFrom(m);
  EXPECT_EQ(test::ownBytes(copy), b);
  CMMIC updated;
  updated.UpdateAppParams(m);
  EXPECT_FLOAT_EQ(updated.thermal.TJA, 6.0f);
  EXPECT_FLOAT_EQ(updated.thermal.RJC, 0.0f);  // Rjc stays with the part
  EXPECT_EQ(updated.TYPE, 1);

  auto created = PartRegistry::instance().create(122, false);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetTypeName(), "GaAs,MMIC/DigIC");
  m.IS_HYBRID = 1;
  EXPECT_EQ(m.GetTypeName(), "GaAs,MMIC/DigIC(Hyb)");
}

TEST(MmicPage, ApplicationOnlyForMmic) {
  CMMIC m;
  m.TYPE = 2;
  test::RecordingVisitor r;
  m.paramPage(r);
  EXPECT_EQ(r.keywords(), (std::vector<std::string>{"MMIC_TYPE", "MMIC_APP", "MMIC_COMPLEX", "MMIC_LEARN",
                                                     "MMIC_YEARS", "MMIC_QU", "MMIC_QUCUSTOM", "MMIC_PKG",
                                                     "MMIC_PINS"}));
  EXPECT_FALSE(r.find("MMIC_APP")->applies);
  EXPECT_DOUBLE_EQ(r.find("MMIC_COMPLEX")->hi, 10000.0);
  EXPECT_FALSE(r.find("MMIC_YEARS")->applies);
}

TEST(MmicTextLines, DefaultRecordLines) {
  CMMIC m;
  m.thermal = test::junctionRise(125);
  CCircHeader h = test::header(1, 25);
  m.Calculate(h);
  const test::Lines l = test::linesOf(m, "");
  // "%s%-9s %-17s %-13s %-5s %-7s  %-19s"
  EXPECT_EQ(l.detail1, "MMIC     " " " "Unknown          " " " "Complex:100  " " " "     " " " "Qu:Comm" "  "
                       "NonHermDIP-16      ");
  EXPECT_EQ(l.detail2, "Tj = Ta+Tja = Ta+125.00");
  EXPECT_EQ(l.factors1,
            "FR= ( (   C1    *   PIT    *  PIA ) + (   C2    *  PIE ) ) *  PIQ  *  PIL  *   PICF  ");
  // C1 4.5 (8, 6: 5 decimals below 10), pi_T 0.1, pi_A 3.00, C2 0.007190, pi_E, pi_Q, pi_L, CF
  EXPECT_EQ(l.factors2, "       " "4.50000 " "   " "0.100000" "   " "3.00 " "     " "0.007190" "   " "0.50 "
                        "      " "10.00" "   " "1.00 " "   " "1.00000 ");
}

}  // namespace
}  // namespace kestrel
