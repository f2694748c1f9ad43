// Quartz crystals, lamps, meters, filters, fuses and microwave devices: the
// handbook products against hand-worked values, the dependent lists, the
// hybrid rules, import, What-If?, the text lines and the file layout.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/passive_semis/crystal.hpp"
#include "models/passive_semis/filter.hpp"
#include "models/passive_semis/fuse.hpp"
#include "models/passive_semis/lamp.hpp"
#include "models/passive_semis/meter.hpp"
#include "models/passive_semis/microwave_device.hpp"
#include "models/passive_semis/passive_test_helpers.hpp"
#include "models/passive_semis/register.hpp"

namespace kestrel {
namespace {

using passive_test::header;
using passive_test::near;
using test::ImportSetup;
using test::labelOf;
using test::PrintTo;

using Maker = std::function<std::unique_ptr<CPart>()>;

template <typename T>
Maker make(std::function<void(T&)> set) {
  return [set] {
    auto p = std::make_unique<T>();
    set(*p);
    return std::unique_ptr<CPart>(std::move(p));
  };
}

struct RateCase {
  const char* label;
  Maker part;
  std::uint8_t env;
  std::vector<NamedFactor> factors;
  double fr;
  std::uint32_t flags;
};

class AmbientDeviceRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(AmbientDeviceRate, FactorsAndRateMatchHandWorkedValues) {
  const RateCase& c = GetParam();
  auto p = c.part();
  p->QTY = 5.0f;  // never applied to FR
  CCircHeader h = header(c.env, 60.0f);
  p->Calculate(h);
  const std::vector<NamedFactor> got = p->factors();
  ASSERT_EQ(got.size(), c.factors.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].name, c.factors[i].name);
    EXPECT_TRUE(near(got[i].value, c.factors[i].value)) << got[i].name;
  }
  EXPECT_TRUE(near(p->FR, c.fr));
  EXPECT_FLOAT_EQ(p->T, 60.0f);  // the ambient: no rise
  EXPECT_FLOAT_EQ(p->S, -1.0f);
  EXPECT_EQ(p->OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Handbook, AmbientDeviceRate,
    ::testing::Values(
        // 1 MHz: lambda_b = 0.013 x 1^0.23 = 0.013; MIL 1.0, GB 1.0
        RateCase{"Crystal1MHzAtGroundBenign", make<CCrystal>([](CCrystal& c) { c.FREQ = 1.0f; }), 1,
                 {{"LB", 0.013}, {"PIQ", 1.0}, {"PIE", 1.0}}, 0.013, 0},
        // 10^0.23 = 1.698244: lambda_b = 0.0220772; FR = 0.0220772 x 2.1 x 16 = 0.741793
        RateCase{"Crystal10MHzLowerQualityAtNavalUnsheltered", make<CCrystal>([](CCrystal& c) { c.QU = 2; }), 5,
                 {{"LB", 0.0220772}, {"PIQ", 2.1}, {"PIE", 16.0}}, 0.741793, 0},
        // 300^0.23 = 3.713111: lambda_b = 0.0482704; FR = 0.0482704 x 500 x CF 2 = 48.2704
        RateCase{"Crystal300MHzAtCannonLaunchWithCorrectionFactor",
                 make<CCrystal>([](CCrystal& c) { c.FREQ = 300.0f; c.CF = 2.0f; }), 14,
                 {{"LB", 0.0482704}, {"PIQ", 1.0}, {"PIE", 500.0}}, 48.2704, 0},
        // 0 MHz: lambda_b = 0
        RateCase{"CrystalZeroFrequency", make<CCrystal>([](CCrystal& c) { c.FREQ = 0.0f; }), 1,
                 {{"LB", 0.0}, {"PIQ", 1.0}, {"PIE", 1.0}}, 0.0, 0},
        // 5 V: 5^1.29 = 7.973910, lambda_b = 0.590069; 50 % lit 0.72; AC 1.0; GB 1.0 -> 0.424850
        RateCase{"LampDefaultsAtGroundBenign", make<CLamp>([](CLamp&) {}), 1,
                 {{"LB", 0.590069}, {"PIU", 0.72}, {"PIA", 1.0}, {"PIE", 1.0}}, 0.424850, 0},
        // 28 V: 28^1.29 = 73.59255, lambda_b = 5.445849; 95 % lit 1.0; DC 3.3; GF 2.0 -> 35.94260
        RateCase{"Lamp28VoltDcMostlyLitAtGroundFixed",
                 make<CLamp>([](CLamp& l) { l.VOLTS = 28.0f; l.APP = 2; l.UTILDC = 95.0f; }), 2,
                 {{"LB", 5.445849}, {"PIU", 1.0}, {"PIA", 3.3}, {"PIE", 2.0}}, 35.94260, 0},
        // DC, 9.9 % lit 0.1, CL 27: 0.590069 x 3.3 x 0.1 x 27 = 5.257515
        RateCase{"LampRarelyLitAtCannonLaunch", make<CLamp>([](CLamp& l) { l.APP = 2; l.UTILDC = 9.9f; }), 14,
                 {{"LB", 0.590069}, {"PIU", 0.1}, {"PIA", 3.3}, {"PIE", 27.0}}, 5.257515, 0},
        // DC ammeter... : 0.09 x 1.0 x 1.0 x 1.0 x GB 1.0
        RateCase{"MeterDefaultsAtGroundBenign", make<CMeter>([](CMeter&) {}), 1,
                 {{"LB", 0.09}, {"PIA", 1.0}, {"PIF", 1.0}, {"PIQ", 1.0}, {"PIE", 1.0}}, 0.09, 0},
        // AC 1.7, other 2.8, lower 3.4, AUF 73: 0.09 x 1.7 x 2.8 x 3.4 x 73 = 106.32888
        RateCase{"MeterAcOtherLowerAtUninhabitedFighter",
                 make<CMeter>([](CMeter& m) { m.APP = 2; m.FUNCTION = 3; m.QU = 2; }), 9,
                 {{"LB", 0.09}, {"PIA", 1.7}, {"PIF", 2.8}, {"PIQ", 3.4}, {"PIE", 73.0}}, 106.32888, 0},
        // voltmeter 1.0 at MF 60: 0.09 x 60 = 5.4, the last valid environment
        RateCase{"MeterVoltmeterAtMissileFlight", make<CMeter>([](CMeter& m) { m.FUNCTION = 2; }), 12,
                 {{"LB", 0.09}, {"PIA", 1.0}, {"PIF", 1.0}, {"PIQ", 1.0}, {"PIE", 60.0}}, 5.4, 0},
        // ML, CL: no factor in the handbook, rate 0 and not a valid environment
        RateCase{"MeterAtMissileLaunch", make<CMeter>([](CMeter&) {}), 13,
                 {{"LB", 0.09}, {"PIA", 1.0}, {"PIF", 1.0}, {"PIQ", 1.0}, {"PIE", 0.0}}, 0.0, EnvNotValid},
        RateCase{"MeterAtCannonLaunch", make<CMeter>([](CMeter& m) { m.APP = 2; }), 14,
                 {{"LB", 0.09}, {"PIA", 1.7}, {"PIF", 1.0}, {"PIQ", 1.0}, {"PIE", 0.0}}, 0.0, EnvNotValid},
        // RFI ceramic-ferrite 0.022, MIL, GB
        RateCase{"FilterRfiCeramicFerrite", make<CFilter>([](CFilter&) {}), 1,
                 {{"LB", 0.022}, {"PIQ", 1.0}, {"PIE", 1.0}}, 0.022, 0},
        // RFI type 2 is discrete LC 0.12; GF 2.0 -> 0.24
        RateCase{"FilterRfiTypeTwoIsDiscreteLc", make<CFilter>([](CFilter& f) { f.TYPE = 2; }), 2,
                 {{"LB", 0.12}, {"PIQ", 1.0}, {"PIE", 2.0}}, 0.24, 0},
        // low pass type 2 is discrete LC and crystal 0.27; lower 2.9; MF 7.0 -> 5.481
        RateCase{"FilterLowPassTypeTwoIsLcCrystal",
                 make<CFilter>([](CFilter& f) { f.FAMILY = 3; f.TYPE = 2; f.QU = 2; }), 12,
                 {{"LB", 0.27}, {"PIQ", 2.9}, {"PIE", 7.0}}, 5.481, 0},
        // dual functioning type 1 is discrete LC 0.12; CL 120 -> 14.4
        RateCase{"FilterDualFunctioningDiscreteLc", make<CFilter>([](CFilter& f) { f.FAMILY = 6; }), 14,
                 {{"LB", 0.12}, {"PIQ", 1.0}, {"PIE", 120.0}}, 14.4, 0},
        // 0.010 x AIF 12 = 0.12; x CL 230 = 2.3
        RateCase{"FuseAtInhabitedFighter", make<CFuse>([](CFuse&) {}), 7, {{"LB", 0.01}, {"PIE", 12.0}}, 0.12, 0},
        RateCase{"FuseAtCannonLaunch", make<CFuse>([](CFuse&) {}), 14, {{"LB", 0.01}, {"PIE", 230.0}}, 2.3, 0},
        // isolator <= 100 W 0.10 x GB 1 ; > 100 W 0.20 x CL 450 = 90
        RateCase{"IsolatorLowPower", make<CMDev>([](CMDev&) {}), 1, {{"LB", 0.1}, {"PIE", 1.0}}, 0.1, 0},
        RateCase{"IsolatorHighPowerAtCannonLaunch", make<CMDev>([](CMDev& d) { d.RATING = 2; }), 14,
                 {{"LB", 0.2}, {"PIE", 450.0}}, 90.0, 0},
        // phase shifter 0.10 x NU 12 = 1.2 (ferrite table)
        RateCase{"PhaseShifterAtNavalUnsheltered", make<CMDev>([](CMDev& d) { d.TYPE = 2; }), 5,
                 {{"LB", 0.1}, {"PIE", 12.0}}, 1.2, 0},
        // dummy loads: < 100 W 0.010 x AUF 22 = 0.22; 100-1000 W 0.030 x GM 10 = 0.3; > 1000 W 0.10 x ML 36 = 3.6
        RateCase{"DummyLoadLowPower", make<CMDev>([](CMDev& d) { d.TYPE = 3; }), 9, {{"LB", 0.01}, {"PIE", 22.0}},
                 0.22, 0},
        RateCase{"DummyLoadMediumPower", make<CMDev>([](CMDev& d) { d.TYPE = 3; d.RATING = 2; }), 3,
                 {{"LB", 0.03}, {"PIE", 10.0}}, 0.3, 0},
        RateCase{"DummyLoadHighPower", make<CMDev>([](CMDev& d) { d.TYPE = 3; d.RATING = 3; }), 13,
                 {{"LB", 0.1}, {"PIE", 36.0}}, 3.6, 0},
        // termination 0.030 x SF 0.5 = 0.015 (load table)
        RateCase{"TerminationAtSpaceFlight", make<CMDev>([](CMDev& d) { d.TYPE = 4; }), 11,
                 {{"LB", 0.03}, {"PIE", 0.5}}, 0.015, 0}),
    labelOf<RateCase>);

struct UtilizationCase {
  const char* label;
  float percent;
  double piu;
};

class LampUtilization : public ::testing::TestWithParam<UtilizationCase> {};

// 5 V AC at GB: FR = 0.590069 x pi_U
TEST_P(LampUtilization, BandEdges) {
  const UtilizationCase& c = GetParam();
  CLamp l;
  l.UTILDC = c.percent;
  CCircHeader h = header(1, 25);
  l.Calculate(h);
  EXPECT_FLOAT_EQ(l.PIU, static_cast<float>(c.piu));
  EXPECT_TRUE(near(l.FR, 0.590069 * c.piu));
}

INSTANTIATE_TEST_SUITE_P(Edges, LampUtilization,
                         ::testing::Values(UtilizationCase{"JustBelowTen", 9.9f, 0.1},
                                           UtilizationCase{"ExactlyTen", 10.0f, 0.72},
                                           UtilizationCase{"ExactlyNinety", 90.0f, 0.72},
                                           UtilizationCase{"JustAboveNinety", 90.1f, 1.0}),
                         labelOf<UtilizationCase>);

// ---- hybrid parts --------------------------------------------------------------

struct HybridCase {
  const char* label;
  Maker part;
  double fr;
  std::uint32_t flags;
};

class AmbientDeviceHybrid : public ::testing::TestWithParam<HybridCase> {};

// In CL, with the package supplying quality and environment (1.0 each).
TEST_P(AmbientDeviceHybrid, PackageSuppliesQualityAndEnvironment) {
  const HybridCase& c = GetParam();
  auto p = c.part();
  p->IS_HYBRID = 1;
  p->IS_SMT = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  p->Calculate(h);
  EXPECT_TRUE(near(p->FR, c.fr));
  EXPECT_EQ(p->OverFlags, c.flags);
  EXPECT_EQ(p->SmtCalcFlag, 0);
  EXPECT_NE(p->GetTypeName().find("(Hyb)"), std::string::npos);
  std::string a, b;
  p->FormatDetail(a, b, "");
  EXPECT_EQ(a.find("Qu:"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, AmbientDeviceHybrid,
    ::testing::Values(
        // lower-quality 10 MHz crystal: 0.0220772 x 1 x 1
        HybridCase{"Crystal", make<CCrystal>([](CCrystal& c) { c.QU = 2; }), 0.0220772, 0},
        // DC lamp keeps pi_A 3.3: 0.590069 x 3.3 x 0.72 = 1.402004
        HybridCase{"LampKeepsApplicationFactor", make<CLamp>([](CLamp& l) { l.APP = 2; }), 1.402004, 0},
        // AC other lower meter in CL: 0.09 x 1.7 x 2.8 x 1 x 1 = 0.4284, still not a valid environment
        HybridCase{"MeterAtCannonLaunch", make<CMeter>([](CMeter& m) { m.APP = 2; m.FUNCTION = 3; m.QU = 2; }),
                   0.4284, EnvNotValid},
        HybridCase{"Filter", make<CFilter>([](CFilter& f) { f.FAMILY = 4; f.TYPE = 2; f.QU = 2; }), 0.27, 0},
        HybridCase{"Fuse", make<CFuse>([](CFuse&) {}), 0.01, 0},
        HybridCase{"DummyLoad", make<CMDev>([](CMDev& d) { d.TYPE = 3; d.RATING = 3; }), 0.1, 0}),
    labelOf<HybridCase>);

TEST(AmbientDeviceLimits, OverTemperatureStrictlyAboveTheLimit) {
  CFuse f;
  f.TEMPLIMIT = 60.0f;
  CCircHeader h = header(1, 60.0f);
  f.Calculate(h);
  EXPECT_EQ(f.OverFlags, 0u);
  h.TEMP = 60.5f;
  f.Calculate(h);
  EXPECT_EQ(f.OverFlags, OverTemp);
  f.STRESSLIMIT = 0.0f;  // no stress figure: never over stress
  f.Calculate(h);
  EXPECT_EQ(f.OverFlags & OverStress, 0u);
}

TEST(AmbientDeviceSurfaceMount, DefaultRiseIsZero) {
  CCrystal c;
  c.IS_SMT = 1;
  c.SMT_TEMPRISE = 7.0f;
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  c.Calculate(h);
  EXPECT_EQ(c.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(c.SMT_TEMPRISE, 0.0f);
  EXPECT_GT(c.FRSMT, 0.0f);
  c.SMT_TRISEMODE = 2;
  c.SMT_TEMPRISE = 7.0f;
  c.Calculate(h);
  EXPECT_FLOAT_EQ(c.SMT_TEMPRISE, 7.0f);
  h.HASSMT = 0;
  c.Calculate(h);
  EXPECT_EQ(c.SmtCalcFlag, 0);
}

// ---- dependent lists ------------------------------------------------------------

TEST(MicrowaveDeviceTypeChange, RatingListRefilledAndClamped) {
  // dummy load > 1000 W (rating 3) becomes an isolator: the 2-entry list
  // clamps it to "> 100W" (0.20)
  CMDev d;
  d.TYPE = 3;
  d.RATING = 3;
  d.TYPE = 1;
  passive_test::RecordingVisitor v;
  d.paramPage(v);
  EXPECT_EQ(d.RATING, 2);
  ASSERT_EQ(v.seen.size(), 2u);
  EXPECT_EQ(v.seen[1].choiceCount, 2u);
  EXPECT_TRUE(v.seen[1].applies);
  CCircHeader h = header(1, 25);
  d.Calculate(h);
  EXPECT_FLOAT_EQ(d.LB, 0.2f);

  // a phase shifter has no rating: shown as not applying, value kept
  d.TYPE = 2;
  d.RATING = 3;
  passive_test::RecordingVisitor none;
  d.paramPage(none);
  EXPECT_FALSE(none.seen[1].applies);
  EXPECT_EQ(d.RATING, 3);
  d.normalizeChoices();
  EXPECT_EQ(d.OverFlags & EntryOverRange, 0u);

  // a stored isolator rating past its list reads back clamped and flagged
  CMDev stored;
  stored.RATING = 3;
  stored.normalizeChoices();
  EXPECT_EQ(stored.RATING, 2);
  EXPECT_EQ(stored.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(FilterFamilyChange, SameTypeIndexMeansAnotherConstruction) {
  CFilter f;
  f.TYPE = 2;
  std::string a, b;
  f.FormatDetail(a, b, "");
  EXPECT_NE(a.find("DiscreteLC "), std::string::npos);
  f.FAMILY = 3;
  f.FormatDetail(a, b, "");
  EXPECT_NE(a.find("DiscreteLC/Crystal"), std::string::npos);
  f.TYPE = 9;  // past the list: clamped to 2, flagged
  CCircHeader h = header(1, 25);
  f.Calculate(h);
  EXPECT_EQ(f.TYPE, 2);
  EXPECT_FLOAT_EQ(f.LB, 0.27f);
  EXPECT_EQ(f.OverFlags & EntryOverRange, EntryOverRange);
}

// ---- import -----------------------------------------------------------------------

TEST(AmbientDeviceImport, ReadsTheKeywordsWithTheirListsAndRanges) {
  ImportSetup s;
  s.map("CRYS_FREQ", 3, 450.0);  // above 300: clamped
  s.map("CRYS_QU", 4, std::string("Lower"));
  CCrystal c;
  ASSERT_TRUE(c.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(c.FREQ, 300.0f);
  EXPECT_EQ(c.QU, 2);

  ImportSetup l;
  l.map("LAMP_VOLTS", 3, 0.01);  // below 0.1
  l.map("LAMP_APP", 4, std::string("DC"));
  l.map("LAMP_UTILDC", 5, 75.0);
  CLamp lamp;
  ASSERT_TRUE(lamp.ImportFields(l.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(lamp.VOLTS, 0.1f);
  EXPECT_EQ(lamp.APP, 2);
  EXPECT_FLOAT_EQ(lamp.UTILDC, 75.0f);

  // the type is read against the family's list
  ImportSetup f;
  f.map("FILT_FAMILY", 3, std::string("BandPass"));
  f.map("FILT_TYPE", 4, std::string("DiscreteLC/Crystal"));
  CFilter filter;
  ASSERT_TRUE(filter.ImportFields(f.reader, false, false, 25.0f));
  EXPECT_EQ(filter.FAMILY, 4);
  EXPECT_EQ(filter.TYPE, 2);

  ImportSetup m;
  m.map("MDEV_TYPE", 3, std::string("DummyLoad"));
  m.map("MDEV_RATING", 4, std::string("100W-1000W"));
  CMDev dev;
  ASSERT_TRUE(dev.ImportFields(m.reader, false, false, 25.0f));
  EXPECT_EQ(dev.TYPE, 3);
  EXPECT_EQ(dev.RATING, 2);
}

TEST(AmbientDeviceImport, MissingKeywordFailsAndHybridSkipsQuality) {
  ImportSetup noFunction;
  passive_test::dropKeyword(noFunction, "METER_FUNCTION");
  CMeter m;
  EXPECT_FALSE(m.ImportFields(noFunction.reader, false, false, 25.0f));

  ImportSetup noQuality;
  passive_test::dropKeyword(noQuality, "METER_QU");
  CMeter circuitMeter;
  EXPECT_FALSE(circuitMeter.ImportFields(noQuality.reader, false, false, 25.0f));
  CMeter hybridMeter;
  hybridMeter.IS_HYBRID = 1;
  EXPECT_TRUE(hybridMeter.ImportFields(noQuality.reader, false, false, 25.0f));

  // a phase shifter reads no rating
  ImportSetup noRating;
  passive_test::dropKeyword(noRating, "MDEV_RATING");
  noRating.map("MDEV_TYPE", 3, std::string("PhaseShifter"));
  CMDev phase;
  EXPECT_TRUE(phase.ImportFields(noRating.reader, false, false, 25.0f));
  noRating.map("MDEV_TYPE", 3, std::string("Isolator/Circulator"));
  CMDev isolator;
  EXPECT_FALSE(isolator.ImportFields(noRating.reader, false, false, 25.0f));
}

// ---- What-If? and Update --------------------------------------------------------------

TEST(AmbientDeviceWhatIf, QualityRuleOnTwoLevelsUnlessHybrid) {
  WhatIfSettings s;
  s.qualityMode = Decrease;
  s.qualityLevel = 5;
  CCrystal c;
  c.ApplyWhatIf(s);
  EXPECT_EQ(c.QU, 2);  // 1 + 5 limited to 2
  CMeter m;
  m.QU = 2;
  s.qualityMode = Increase;
  s.qualityLevel = 1;
  m.ApplyWhatIf(s);
  EXPECT_EQ(m.QU, 1);
  CFilter hybrid;
  hybrid.IS_HYBRID = 1;
  s.qualityMode = SetDirect;
  s.qualityLevel = 2;
  hybrid.ApplyWhatIf(s);
  EXPECT_EQ(hybrid.QU, 1);
}

TEST(AmbientDeviceUpdate, LampTakesUtilizationOnly) {
  CLamp own;
  own.VOLTS = 12.0f;
  CLamp other;
  other.VOLTS = 28.0f;
  other.APP = 2;
  other.UTILDC = 95.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.UTILDC, 95.0f);
  EXPECT_FLOAT_EQ(own.VOLTS, 12.0f);
  EXPECT_EQ(own.APP, 1);
}

// ---- text lines --------------------------------------------------------------------------

struct LineCase {
  const char* label;
  Maker part;
  const char* detail;
  const char* factors1;
  const char* factors2;
};

class AmbientDeviceLines : public ::testing::TestWithParam<LineCase> {};

// Calculated at GF 25 C; the second detail line is left as passed.
TEST_P(AmbientDeviceLines, ExactLayout) {
  const LineCase& c = GetParam();
  auto p = c.part();
  CCircHeader h = header(2, 25);
  p->Calculate(h);
  std::string d1, d2 = "untouched", f1, f2;
  p->FormatDetail(d1, d2, "> ");
  p->FormatFactors(f1, f2, "> ");
  EXPECT_EQ(d1, c.detail);
  EXPECT_EQ(d2, "untouched");
  EXPECT_EQ(f1, c.factors1);
  EXPECT_EQ(f2, c.factors2);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, AmbientDeviceLines,
    ::testing::Values(
        // "%s%-11s  %-8s": 10 MHz at (8,6), precision capped at 4 for values >= 10: "10.0000MHz"
        LineCase{"Crystal", make<CCrystal>([](CCrystal&) {}), "> 10.0000MHz   Qu:MIL  ",
                 "> FR=    LB    *  PIQ  *  PIE  *   PICF  ", ">     0.022077   1.00    3.0     1.00000 "},
        // "%s%-11s  %-2s  %-18s": 5 V at (6,2): "5.00volts"
        LineCase{"Lamp", make<CLamp>([](CLamp&) {}), "> 5.00volts    AC  Utilization:50.00%",
                 "> FR=    LB    *  PIU * PIA *  PIE  *   PICF  ", ">     0.590069   0.72   1.0   2.0     1.00000 "},
        LineCase{"Meter", make<CMeter>([](CMeter& m) { m.FUNCTION = 2; }), "> DC  Voltmeter  Qu:MIL  ",
                 "> FR=    LB    * PIA * PIF * PIQ *  PIE  *   PICF  ",
                 ">     0.090000   1.0   1.0   1.0   4.00    1.00000 "},
        LineCase{"Filter", make<CFilter>([](CFilter& f) { f.FAMILY = 5; f.QU = 2; }),
                 "> BandSuppression  DiscreteLC          Qu:Lower", "> FR=    LB    * PIQ *  PIE  *   PICF  ",
                 ">     0.120000   2.9   2.00    1.00000 "},
        LineCase{"Fuse", make<CFuse>([](CFuse&) {}), ">   ", "> FR=    LB    *  PIE  *   PICF  ",
                 ">     0.010000   2.00    1.00000 "},
        LineCase{"MicrowaveDevice", make<CMDev>([](CMDev& d) { d.TYPE = 3; d.RATING = 2; }),
                 "> DummyLoad            100W-1000W", "> FR=    LB    *  PIE  *   PICF  ",
                 ">     0.030000   2.00    1.00000 "},
        LineCase{"PhaseShifterNoRating", make<CMDev>([](CMDev& d) { d.TYPE = 2; }), "> PhaseShifter                   ",
                 "> FR=    LB    *  PIE  *   PICF  ", ">     0.100000   2.00    1.00000 "}),
    labelOf<LineCase>);

// ---- file layout --------------------------------------------------------------------------

struct LayoutCase {
  const char* label;
  Maker part;
  std::size_t bytes;
};

class AmbientDeviceLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(AmbientDeviceLayout, OwnFieldsSizeAndRegisteredClass) {
  const LayoutCase& c = GetParam();
  auto p = c.part();
  EXPECT_EQ(passive_test::ownFieldBytes(*p).size(), c.bytes);
  registerPassiveSemisParts();
  EXPECT_EQ(PartRegistry::instance().byClassName(p->classRecord().className), &p->classRecord());
}

// crystal: float, byte, 3 floats = 17; lamp: float, byte, float, 4 floats = 25;
// meter: 3 bytes, 5 floats = 23; filter: 3 bytes, 3 floats = 15; fuse: byte,
// 2 floats = 9; microwave device: 2 bytes, 2 floats = 10
INSTANTIATE_TEST_SUITE_P(Classes, AmbientDeviceLayout,
                         ::testing::Values(LayoutCase{"Crystal", make<CCrystal>([](CCrystal&) {}), 17},
                                           LayoutCase{"Lamp", make<CLamp>([](CLamp&) {}), 25},
                                           LayoutCase{"Meter", make<CMeter>([](CMeter&) {}), 23},
                                           LayoutCase{"Filter", make<CFilter>([](CFilter&) {}), 15},
                                           LayoutCase{"Fuse", make<CFuse>([](CFuse&) {}), 9},
                                           LayoutCase{"MicrowaveDevice", make<CMDev>([](CMDev&) {}), 10}),
                         labelOf<LayoutCase>);

TEST(AmbientDeviceLayout, LampFieldsInFileOrder) {
  CLamp l;
  l.VOLTS = 28.0f;
  l.APP = 2;
  l.UTILDC = 75.0f;
  l.LB = 1.5f;
  l.PIU = 0.72f;
  l.PIA = 3.3f;
  l.PIE = 6.0f;
  const std::vector<std::uint8_t> b = passive_test::ownFieldBytes(l);
  using passive_test::floatAt;
  EXPECT_FLOAT_EQ(floatAt(b, 0), 28.0f);
  EXPECT_EQ(b[4], 2);
  EXPECT_FLOAT_EQ(floatAt(b, 5), 75.0f);
  EXPECT_FLOAT_EQ(floatAt(b, 9), 1.5f);
  EXPECT_FLOAT_EQ(floatAt(b, 13), 0.72f);
  EXPECT_FLOAT_EQ(floatAt(b, 17), 3.3f);
  EXPECT_FLOAT_EQ(floatAt(b, 21), 6.0f);
}

}  // namespace
}  // namespace kestrel
