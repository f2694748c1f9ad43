#include "models/passive_semis/laser_diode.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using passive_test::allLines;
using passive_test::dropKeyword;
using passive_test::floatAt;
using passive_test::header;
using passive_test::kNaNf;
using passive_test::logged;
using passive_test::near;
using passive_test::ownFieldBytes;
using passive_test::RecordingVisitor;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

struct Config {
  std::uint8_t type, quality, app;
  float dc, peak, pmax, preq, trise;
};

void configure(CLaserDiode& d, const Config& c) {
  d.TYPE = c.type;
  d.QU = c.quality;
  d.APP = c.app;
  d.DC = c.dc;
  d.PEAKI = c.peak;
  d.PMAX = c.pmax;
  d.PREQ = c.preq;
  d.TRISE = c.trise;
}

// ---- Failure rates against hand-worked handbook values ---------------------

struct RateCase {
  const char* label;
  Config config;
  std::uint8_t env;
  float ambient, cf;
  bool hybrid;
  double t, lb, pit, piq, pii, pia, pip, pie, fr;
};

class LaserDiodeFailureRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(LaserDiodeFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  CLaserDiode d;
  configure(d, c.config);
  d.CF = c.cf;
  d.QTY = 3.0f;  // never applied to FR
  d.IS_HYBRID = c.hybrid ? 1 : 0;
  d.STRESSLIMIT = 0.0f;  // no stress figure, so never over stress
  CCircHeader h = header(c.env, c.ambient);
  d.Calculate(h);
  EXPECT_FLOAT_EQ(d.T, static_cast<float>(c.t));
  EXPECT_FLOAT_EQ(d.S, -1.0f);
  EXPECT_TRUE(near(d.LB, c.lb));
  EXPECT_TRUE(near(d.PIT, c.pit));
  EXPECT_TRUE(near(d.PIQ, c.piq));
  EXPECT_TRUE(near(d.PII, c.pii));
  EXPECT_TRUE(near(d.PIA, c.pia));
  EXPECT_TRUE(near(d.PIP, c.pip));
  EXPECT_TRUE(near(d.PIE, c.pie));
  EXPECT_TRUE(near(d.FR, c.fr));
  EXPECT_EQ(d.OverFlags, 0u);
}

// pi_T = exp(4635 x (1/298 - 1/(T + 273))): 1/298 - 1/328 = 0.000306924, 1/298 - 1/348 = 0.000482141,
// 1/298 - 1/273 = -0.000307299.
INSTANTIATE_TEST_SUITE_P(
    Cases, LaserDiodeFailureRate,
    ::testing::Values(
        // the default record at GB, 25 + 30 = 55 C: pi_T = exp(1.422593) = 4.147865; pi_I = 10^0.68 = 4.786301;
        // pi_A = (0.25)^0.5 = 0.5; pi_P = 1 / (2 x (1 - 100/1000)) = 0.555556;
        // FR = 3.23 x 4.147865 x 1.0 x 4.786301 x 0.5 x 0.555556 x 1.0 = 17.81249
        RateCase{"DefaultPulsedGaAsAtGroundBenign", {1, 1, 2, 25, 10, 1000, 100, 30}, 1, 25, 1, false, 55, 3.23,
                 4.147865, 1.0, 4.786301, 0.5, 0.555556, 1.0, 17.81249},
        // InGaAs without facet coating, CW (duty cycle unused), 1 A, no required power, CL, 25 C:
        // FR = 5.65 x 1 x 3.3 x 1 x 4.4 x 0.5 x 450 = 18458.55
        RateCase{"CwInGaAsNoFacetCoatAtCannonLaunch", {2, 3, 1, 25, 1, 1000, 0, 0}, 14, 25, 1, false, 25, 5.65, 1.0,
                 3.3, 1.0, 4.4, 0.5, 450.0, 18458.55},
        // facet coated, pulsed 1 % (pi_A 0.1), 25 A (25^0.68 = 8.924815), Preq 0.95 Pmax (pi_P 10), NU, 0 C:
        // pi_T = exp(-1.424331) = 0.240669; FR = 3.23 x 0.240669 x 1.0 x 8.924815 x 0.1 x 10 x 12 = 83.25379
        RateCase{"FacetCoatedHighestCurrentAndPowerCold", {1, 2, 2, 1, 25, 1000, 950, 0}, 5, 0, 1, false, 0, 3.23,
                 0.240669, 1.0, 8.924815, 0.1, 10.0, 12.0, 83.25379},
        // hybrid: pi_Q, pi_A, pi_E 1; 25 + 50 = 75 C: pi_T = exp(2.234724) = 9.343919; 2 A: 2^0.68 = 1.602140;
        // Preq 5 of 10 mW: pi_P = 1; CF 2 (QTY 3 not applied): FR = 3.23 x 9.343919 x 1.602140 x 2 = 96.70791
        RateCase{"HybridTakesPackageFactorsWithCorrectionFactor", {1, 3, 1, 25, 2, 10, 5, 50}, 14, 25, 2, true, 75,
                 3.23, 9.343919, 1.0, 1.602140, 1.0, 1.0, 1.0, 96.70791}),
    labelOf<RateCase>);

TEST(LaserDiodeEnvironment, EveryEnvironmentFactor) {
  // handbook 6.13 pi_E, GB..CL; GaAs, hermetic, CW, 1 A, no required power, 25 C: FR = 3.23 x 4.4 x 0.5 x pi_E
  const double pie[] = {1.0, 2.0, 8.0, 5.0, 12.0, 4.0, 6.0, 6.0, 8.0, 17.0, 0.5, 9.0, 24.0, 450.0};
  for (std::uint8_t env = 1; env <= 14; ++env) {
    CLaserDiode d;
    configure(d, {1, 1, 1, 25, 1, 1000, 0, 0});
    CCircHeader h = header(env, 25);
    d.Calculate(h);
    EXPECT_TRUE(near(d.FR, 3.23 * 4.4 * 0.5 * pie[env - 1])) << int(env);
  }
}

// ---- Branch points, limits and stored values ---------------------------------------

struct FactorCase {
  const char* label;
  Config config;
  float ambient;
  double t, pia, pip;
  std::uint32_t flags;
};

class LaserDiodeFactors : public ::testing::TestWithParam<FactorCase> {};

TEST_P(LaserDiodeFactors, ApplicationAndPowerFactorAtLimits) {
  const FactorCase& c = GetParam();
  CLaserDiode d;
  configure(d, c.config);
  CCircHeader h = header(1, c.ambient);
  d.Calculate(h);
  EXPECT_FLOAT_EQ(d.T, static_cast<float>(c.t));
  EXPECT_TRUE(near(d.PIA, c.pia));
  EXPECT_TRUE(near(d.PIP, c.pip));
  EXPECT_EQ(d.OverFlags, c.flags);
  EXPECT_TRUE(std::isfinite(d.FR));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LaserDiodeFactors,
    ::testing::Values(
        FactorCase{"PulsedFullDutyCycle", {1, 1, 2, 100, 1, 1000, 0, 0}, 25, 25, 1.0, 0.5, 0u},
        // (0.001 / 100)^0.5 = 0.00316228
        FactorCase{"PulsedSmallestDutyCycle", {1, 1, 2, 0.001f, 1, 1000, 0, 0}, 25, 25, 0.00316228, 0.5, 0u},
        FactorCase{"CwIgnoresDutyCycle", {1, 1, 1, 0, 1, 1000, 0, 0}, 25, 25, 4.4, 0.5, 0u},
        // 1 / (2 x (1 - 0.5)) = 1
        FactorCase{"HalfTheRatedPower", {1, 1, 1, 25, 1, 0.002f, 0.001f, 0}, 25, 25, 4.4, 1.0, 0u},
        // a stored Preq above 0.95 Pmax (even equal to Pmax: no division by zero) is limited to 0.95 Pmax
        FactorCase{"RequiredEqualToRatedIsLimited", {1, 1, 1, 25, 1, 1000, 1000, 0}, 25, 25, 4.4, 10.0,
                   EntryOverRange},
        FactorCase{"ZeroRatedPowerIsLimited", {1, 1, 1, 25, 1, 0, 0, 0}, 25, 25, 4.4, 0.5, EntryOverRange},
        FactorCase{"DutyCycleNotANumber", {1, 1, 2, kNaNf, 1, 1000, 0, 0}, 25, 25, 0.00316228, 0.5, EntryOverRange},
        // T = 150 + 25 = 175 is the default limit: no flag; 150 + 25.25 is over it
        FactorCase{"TemperatureEqualToLimit", {1, 1, 1, 25, 1, 1000, 0, 25}, 150, 175, 4.4, 0.5, 0u},
        FactorCase{"TemperatureJustAboveLimit", {1, 1, 1, 25, 1, 1000, 0, 25.25f}, 150, 175.25, 4.4, 0.5, OverTemp},
        // rise limited to 175 and ambient to 175: T = 350
        FactorCase{"RiseAndAmbientBeyondRanges", {1, 1, 1, 25, 1, 1000, 0, 900}, 300, 350, 4.4, 0.5,
                   EntryOverRange | OverTemp}),
    labelOf<FactorCase>);

TEST(LaserDiodeStoredValues, ChoicesClampedAndFlagged) {
  // type 7 -> InGaAs (5.65), quality 9 -> no facet coat (3.3), application 0 -> CW (4.4), env 99 -> CL,
  // 25 C, 1 A, no required power: FR = 5.65 x 3.3 x 4.4 x 0.5 x 450 = 18458.55
  CLaserDiode d;
  configure(d, {7, 9, 0, 25, 1, 1000, 0, 0});
  CCircHeader h = header(99, 25);
  d.Calculate(h);
  EXPECT_EQ(d.TYPE, 2);
  EXPECT_EQ(d.QU, 3);
  EXPECT_EQ(d.APP, 1);
  EXPECT_EQ(d.OverFlags, EntryOverRange);
  EXPECT_TRUE(near(d.FR, 18458.55));

  CLaserDiode n;
  n.TYPE = 0;
  n.APP = 3;
  n.normalizeChoices();
  EXPECT_EQ(n.TYPE, 1);
  EXPECT_EQ(n.APP, 2);
  EXPECT_EQ(n.OverFlags, EntryOverRange);
}

TEST(LaserDiodeSurfaceMount, RiseCopiedInDefaultModeAndNoStepInHybrid) {
  for (std::uint8_t mode : {1, 2}) {
    CLaserDiode d;  // rise 30
    d.IS_SMT = 1;
    d.SMT_TRISEMODE = mode;
    d.SMT_TEMPRISE = 4.0f;
    CCircHeader h = header(1, 25);
    h.HASSMT = 1;
    d.Calculate(h);
    EXPECT_EQ(d.SmtCalcFlag, 1);
    EXPECT_GT(d.FRSMT, 0.0f);
    EXPECT_FLOAT_EQ(d.SMT_TEMPRISE, mode == 1 ? 30.0f : 4.0f);
    d.IS_HYBRID = 1;
    d.Calculate(h);
    EXPECT_EQ(d.SmtCalcFlag, 0);
  }
}

// ---- Import by keyword -----------------------------------------------------------

void mapAll(ImportSetup& s, const char* app) {
  s.map("LASDIO_TYPE", 3, std::string("InGaAs/InGaAsP"));
  s.map("LASDIO_QU", 4, std::string("NonHermetic/FacetCoat"));
  s.map("LASDIO_APP", 5, std::string(app));
  s.map("LASDIO_DC", 6, 40.0);
  s.map("LASDIO_PEAKI", 7, 2.5);
  s.map("LASDIO_PMAX", 8, 200.0);
  s.map("LASDIO_PREQ", 9, 150.0);
  s.map("LASDIO_TRISE", 10, 12.0);
}

TEST(LaserDiodeImport, PulsedReadsEveryField) {
  ImportSetup s;
  mapAll(s, "Pulsed");
  CLaserDiode d;
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.TYPE, 2);
  EXPECT_EQ(d.QU, 2);
  EXPECT_EQ(d.APP, 2);
  EXPECT_FLOAT_EQ(d.DC, 40.0f);
  EXPECT_FLOAT_EQ(d.PEAKI, 2.5f);
  EXPECT_FLOAT_EQ(d.PMAX, 200.0f);
  EXPECT_FLOAT_EQ(d.PREQ, 150.0f);
  EXPECT_FLOAT_EQ(d.TRISE, 12.0f);
}

TEST(LaserDiodeImport, RequiredPowerLimitedToShareOfRatedPower) {
  ImportSetup s;
  mapAll(s, "CW");
  s.map("LASDIO_PREQ", 9, 199.0);
  dropKeyword(s, "LASDIO_DC");  // not read for CW
  CLaserDiode d;
  ASSERT_TRUE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(d.PREQ, 190.0f);  // 0.95 x 200
  EXPECT_FLOAT_EQ(d.DC, 25.0f);
  EXPECT_TRUE(logged(s.log, "'LASDIO_PREQ'"));
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  EXPECT_EQ(d.OverFlags & EntryOverRange, 0u);  // the limited value is inside the range
  EXPECT_TRUE(near(d.PIP, 10.0));
}

TEST(LaserDiodeImport, HybridSkipsQualityAndFirstFailureStops) {
  ImportSetup s;
  mapAll(s, "CW");
  dropKeyword(s, "LASDIO_QU");
  CLaserDiode hybrid;
  hybrid.IS_HYBRID = 1;
  EXPECT_TRUE(hybrid.ImportFields(s.reader, false, false, 25.0f));
  CLaserDiode d;
  EXPECT_FALSE(d.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(d.TYPE, 2);  // read before the failure
  EXPECT_EQ(d.APP, 2);   // after it: not read (the default, not the mapped CW)
  EXPECT_FLOAT_EQ(d.PEAKI, 10.0f);
  EXPECT_EQ(s.log.back(), "   ...Error: keyword not found ('LASDIO_QU').");
}

// ---- What-If?, Update, copy and round trip ---------------------------------------------

TEST(LaserDiodeWhatIf, ChangesNothing) {
  CLaserDiode d;
  WhatIfSettings s;
  s.qualityMode = SetDirect;
  s.qualityLevel = 3;
  s.stressMode = SetDirect;
  s.stressValue = 10;
  s.tempMode = SetDirect;
  s.tempValue = 80;
  d.ApplyWhatIf(s);
  CLaserDiode fresh;
  EXPECT_EQ(ownFieldBytes(d), ownFieldBytes(fresh));
}

TEST(LaserDiodeUpdate, TakesDutyCycleAndRiseOnly) {
  CLaserDiode other;
  configure(other, {2, 3, 1, 60, 20, 50, 10, 45});
  CLaserDiode own;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.DC, 60.0f);
  EXPECT_FLOAT_EQ(own.TRISE, 45.0f);
  EXPECT_EQ(own.TYPE, 1);
  EXPECT_EQ(own.QU, 1);
  EXPECT_EQ(own.APP, 2);
  EXPECT_FLOAT_EQ(own.PEAKI, 10.0f);
  EXPECT_FLOAT_EQ(own.PMAX, 1000.0f);
  EXPECT_FLOAT_EQ(own.PREQ, 100.0f);
}

TEST(LaserDiodeCopyAndArchive, CopyAndRoundTripKeepEveryFieldIn51Bytes) {
  registerPassiveSemisParts();
  CLaserDiode a;
  a.PN = "SPL-PL90";
  a.PART_TYPE = 305;
  a.CF = 0.75f;
  configure(a, {2, 3, 1, 12.5f, 1.5f, 2000, 300, 17.5f});
  a.LB = 5.65f;
  a.PIT = 1.25f;
  a.PIQ = 3.3f;
  a.PII = 1.3f;
  a.PIA = 4.4f;
  a.PIP = 0.6f;
  a.PIE = 450.0f;
  const std::vector<std::uint8_t> bytes = ownFieldBytes(a);
  // type, quality, application; duty cycle, peak current, Pmax, Preq, rise; seven factors
  ASSERT_EQ(bytes.size(), 51u);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[1], 3);
  EXPECT_EQ(bytes[2], 1);
  EXPECT_FLOAT_EQ(floatAt(bytes, 3), 12.5f);
  EXPECT_FLOAT_EQ(floatAt(bytes, 7), 1.5f);
  EXPECT_FLOAT_EQ(floatAt(bytes, 11), 2000.0f);
  EXPECT_FLOAT_EQ(floatAt(bytes, 15), 300.0f);
  EXPECT_FLOAT_EQ(floatAt(bytes, 19), 17.5f);
  EXPECT_FLOAT_EQ(floatAt(bytes, 23), 5.65f);  // lambda_b
  EXPECT_FLOAT_EQ(floatAt(bytes, 35), 1.3f);   // pi_I
  EXPECT_FLOAT_EQ(floatAt(bytes, 39), 4.4f);   // pi_A
  EXPECT_FLOAT_EQ(floatAt(bytes, 47), 450.0f);  // pi_E

  CLaserDiode b;
  b.CopyFrom(a);
  EXPECT_EQ(ownFieldBytes(b), bytes);
  EXPECT_EQ(b.PN, a.PN);

  Archive out = Archive::forWriting();
  writePartObject(out, a);
  Archive in = Archive::forReading(out.bytes(), "laser");
  auto part = readPartObject(in);
  ASSERT_TRUE(in.ok()) << in.error();
  auto* c = dynamic_cast<CLaserDiode*>(part.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(ownFieldBytes(*c), bytes);
  EXPECT_FLOAT_EQ(c->CF, 0.75f);
  EXPECT_EQ(in.remaining(), 0u);

  auto created = PartRegistry::instance().create(305, false);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetTypeName(), "LaserDiode");
  a.IS_HYBRID = 1;
  EXPECT_EQ(a.GetTypeName(), "LaserDiode(Hyb)");
}

// ---- Text lines and page ---------------------------------------------------------------

TEST(LaserDiodeTextLines, DetailAndFactorLines) {
  CLaserDiode d;
  std::string a, b;
  d.FormatDetail(a, b, "> ");
  // "%s%-14s  %-23s  %-6s  %-9s": the quality text without a label; duty cycle 25 (5,2) 25.00
  EXPECT_EQ(a, "> GaAs/AlGaAs" + std::string(5, ' ') + "Hermetic" + std::string(17, ' ') + "Pulsed  DC:25.00%");
  // "%s%-15s  %-15s  %-15s  %-12s": 10 (8,6) 10.0000; 1000 (8,6) 1000.000; 100 (8,6) 100.0000; 30 (6,2) 30.00
  EXPECT_EQ(b, "> PeakI:10.0000A   Pmax:1000.000mW  Preq:100.0000mW  Trise:30.00 ");

  // at AUC: the default rate x pi_E 6 = 17.81249 x 6; factors as in the default case above
  CCircHeader h = header(8, 25);
  d.Calculate(h);
  EXPECT_TRUE(near(d.FR, 106.8749));
  d.FormatFactors(a, b, "");
  EXPECT_EQ(a, "FR=    LB    *   PIT    * PIQ *   PII    *   PIA    *   PIP    *  PIE  *   PICF  ");
  // LB 3.23 (8,6) 3.23000; PIT 4.14786; PIQ (3,1) 1.0; PII 4.78630; PIA 0.500000; PIP 0.555556; PIE 6.00
  EXPECT_EQ(b, "    3.23000    4.14786    1.0   4.78630    0.500000   0.555556   6.00    1.00000 ");

  d.APP = 1;
  d.IS_HYBRID = 1;
  d.FormatDetail(a, b, "");
  EXPECT_EQ(a, "GaAs/AlGaAs     " + std::string(23, ' ') + "  CW      " + std::string(9, ' '));
}

TEST(LaserDiodeTextLines, EveryLineAtMost132Characters) {
  for (float v : {3e38f, -1e-30f, kNaNf}) {
    CLaserDiode d;
    configure(d, {1, 1, 2, v, v, v, v, v});
    d.CF = d.LB = d.PIT = d.PIQ = d.PII = d.PIA = d.PIP = d.PIE = v;
    for (const std::string& line : allLines(d, std::string(120, '>'))) EXPECT_LE(line.size(), 132u);
  }
}

TEST(LaserDiodePage, DutyCycleForPulsedAndQualityOutsideHybrids) {
  struct Case {
    std::uint8_t app;
    bool hybrid;
    const char* applies;  // TYPE, QU, APP, DC, PEAKI, PMAX, PREQ, TRISE
  };
  for (const Case& c : {Case{2, false, "11111111"}, Case{1, false, "11101111"}, Case{2, true, "10111111"}}) {
    CLaserDiode d;
    d.APP = c.app;
    d.IS_HYBRID = c.hybrid ? 1 : 0;
    d.PMAX = 200.0f;
    RecordingVisitor v;
    d.paramPage(v);
    EXPECT_EQ(v.keywords(), (std::vector<std::string>{"LASDIO_TYPE", "LASDIO_QU", "LASDIO_APP", "LASDIO_DC",
                                                      "LASDIO_PEAKI", "LASDIO_PMAX", "LASDIO_PREQ", "LASDIO_TRISE"}));
    ASSERT_EQ(v.seen.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(v.seen[i].applies, c.applies[i] == '1') << i;
    EXPECT_DOUBLE_EQ(v.seen[6].hi, 190.0);  // Preq up to 0.95 x Pmax
  }
  CLaserDiode d;
  RecordingVisitor temp;
  EXPECT_FALSE(d.tempPage(temp));
  EXPECT_TRUE(temp.seen.empty());
}

}  // namespace
}  // namespace kestrel
