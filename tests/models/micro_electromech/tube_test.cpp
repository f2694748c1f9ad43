#include "models/micro_electromech/tube.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/registry.hpp"
#include "models/micro_electromech/electromech_test_support.hpp"
#include "models/micro_electromech/register.hpp"

namespace kestrel {
namespace {

using test::header;
using test::ImportSetup;
using test::labelOf;
using test::near;
using test::PrintTo;

struct TubeCase {
  const char* label;
  std::uint8_t family, type, env;
  float power, freq, years, ratio;
  std::uint8_t overLimit;
  double lb, pil, piu, pic, pie, fr;
  std::uint32_t flags;
};

class TubeRate : public ::testing::TestWithParam<TubeCase> {};

TEST_P(TubeRate, HandbookProduct) {
  const TubeCase& c = GetParam();
  CTube t;
  t.FAMILY = c.family;
  t.TYPE = c.type;
  t.POWER = c.power;
  t.FREQ = c.freq;
  t.YEARS = c.years;
  t.RATIO = c.ratio;
  t.OVERLIMIT = c.overLimit;
  t.QTY = 4.0f;  // never applied to FR
  CCircHeader h = header(c.env, 30);
  t.Calculate(h);
  EXPECT_TRUE(near(t.LB, c.lb));
  EXPECT_TRUE(near(t.PIL, c.pil));
  EXPECT_TRUE(near(t.PIU, c.piu));
  EXPECT_TRUE(near(t.PIC, c.pic));
  EXPECT_TRUE(near(t.PIE, c.pie));
  EXPECT_TRUE(near(t.FR, c.fr));
  EXPECT_FLOAT_EQ(t.T, 30.0f);
  EXPECT_FLOAT_EQ(t.S, -1.0f);
  EXPECT_EQ(t.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Families, TubeRate,
    ::testing::Values(
        // receiver triode 5.0; 3 years pi_L 1.0; GB 0.5 -> 2.5
        TubeCase{"ReceiverSettled", 1, 1, 1, 1, 1, 3, 0, 2, 5.0, 1.0, 0, 0, 0.5, 2.5, 0},
        // power rectifier 10; first year pi_L 10; GF 1.0 -> 100
        TubeCase{"RectifierFirstYear", 1, 2, 2, 1, 1, 1, 0, 2, 10.0, 10.0, 0, 0, 1.0, 100.0, 0},
        // CRT 9.6; 2 years: 10 x 2^-2.1 = 2.332582; NS 8 -> 179.1423
        TubeCase{"CrtSecondYear", 2, 1, 4, 1, 1, 2, 0, 2, 9.6, 2.332582, 0, 0, 8.0, 179.1423, 0},
        // new in the field (0 years): pi_L 10; thyratron 50; AIC 5 -> 2500
        TubeCase{"ThyratronNew", 3, 1, 6, 1, 1, 0, 0, 2, 50.0, 10.0, 0, 0, 5.0, 2500.0, 0},
        // crossed-field amplifier SFD261 150; ARW 40 -> 6000
        TubeCase{"CrossedFieldAmplifier", 4, 2, 10, 1, 1, 3, 0, 2, 150.0, 1.0, 0, 0, 40.0, 6000.0, 0},
        // pulsed gridded 6952 390; NU 24 -> 9360
        TubeCase{"PulsedGridded6952", 5, 2, 5, 1, 1, 5, 0, 2, 390.0, 1.0, 0, 0, 24.0, 9360.0, 0},
        // transmitting triode 75 within limits, 250 over them; GM 14 -> 1050 / 3500
        TubeCase{"TransmittingTriode", 6, 1, 3, 1, 1, 3, 0, 2, 75.0, 1.0, 0, 0, 14.0, 1050.0, 0},
        TubeCase{"TransmittingTriodeOverLimit", 6, 1, 3, 1, 1, 3, 0, 1, 250.0, 1.0, 0, 0, 14.0, 3500.0, 0},
        // vidicon silicon diode array 48; SF 0.2 -> 9.6
        TubeCase{"VidiconAtSpaceFlight", 7, 2, 11, 1, 1, 3, 0, 2, 48.0, 1.0, 0, 0, 0.2, 9.6, 0},
        // twystron VA145H 490; ML 57 -> 27930
        TubeCase{"TwystronAtMissileLaunch", 8, 3, 13, 1, 1, 3, 0, 2, 490.0, 1.0, 0, 0, 57.0, 27930.0, 0},
        // pulsed klystron F 2 GHz P 5 MW: 2.94 x 2 x 5 + 16 = 45.4; envelope 490 x 2^-2.95 = 63.41 MW; AUF 12 -> 544.8
        TubeCase{"PulsedKlystronInsideEnvelope", 9, 1, 9, 5, 2, 3, 0, 2, 45.4, 1.0, 0, 0, 12.0, 544.8, 0},
        // F 6 GHz P 10 MW: 192.4, outside 490 x 6^-2.95 = 2.48 MW -> EntryOverRange; GB 0.5 -> 96.2
        TubeCase{"PulsedKlystronOutsideEnvelope", 9, 1, 1, 10, 6, 3, 0, 2, 192.4, 1.0, 0, 0, 0.5, 96.2, EntryOverRange},
        // low power klystron 30; CL 1000 -> 30000
        TubeCase{"LowPowerKlystronAtCannonLaunch", 10, 1, 14, 1, 1, 3, 0, 2, 30.0, 1.0, 0, 0, 1000.0, 30000.0, 0},
        // CW klystron P 10 kW F 1000 MHz: 0.5 x 10 + 0.00046 x 1000 + 29 = 34.46 (handbook coefficient);
        // envelope 8e6 x 1000^-1.7 = 63.55 kW; GB 0.5 -> 17.23
        TubeCase{"CwKlystronHandbookFrequencyTerm", 11, 1, 1, 10, 1000, 3, 0, 2, 34.46, 1.0, 0, 0, 0.5, 17.23, 0},
        // F 3000 MHz: 5 + 1.38 + 29 = 35.38; envelope 8e6 x 3000^-1.7 = 9.82 kW < 10 -> EntryOverRange; GF 1 -> 35.38
        TubeCase{"CwKlystronOutsideEnvelope", 11, 1, 2, 10, 3000, 3, 0, 2, 35.38, 1.0, 0, 0, 1.0, 35.38, EntryOverRange},
        // travelling wave P 0.001 W F 0.1 GHz: 11 x 1.00001^0.001 x 1.1^0.1 = 11.10534; GB 0.5 -> 5.55267
        TubeCase{"TravelingWaveLowest", 12, 1, 1, 0.001f, 0.1f, 0, 0, 2, 11.10534, 0, 0, 0, 0.5, 5.55267, 0},
        // P 40000 W F 18 GHz: 11 x 1.00001^40000 x 1.1^18 = 91.23846; MF 11 -> 1003.623
        TubeCase{"TravelingWaveHighest", 12, 1, 12, 40000, 18, 0, 0, 2, 91.23846, 0, 0, 0, 11.0, 1003.623, 0},
        // CW magnetron 18; utilization 100 %: 0.44 + 0.56 = 1.0; pi_C 1.0; GB 1 -> 18
        TubeCase{"CwMagnetronFullUtilization", 13, 1, 1, 1, 1, 0, 100, 2, 18.0, 0, 1.0, 1.0, 1.0, 18.0, 0},
        // 0 %: pi_U 0.44 -> 7.92
        TubeCase{"CwMagnetronIdle", 13, 1, 1, 1, 1, 0, 0, 2, 18.0, 0, 0.44, 1.0, 1.0, 7.92, 0},
        // conventional pulsed F 10 GHz P 1 MW: 19 x 10^0.73 x 1^0.2 = 102.0360; 50 %: pi_U 0.72; pi_C 5.4;
        // AUC 12 -> 102.0360 x 0.72 x 5.4 x 12 = 4760.594
        TubeCase{"ConventionalPulsedMagnetron", 13, 3, 8, 1, 10, 0, 50, 2, 102.0360, 0, 0.72, 5.4, 12.0, 4760.594, 0}),
    labelOf<TubeCase>);

TEST(TubeLearning, BoundariesOfTheLearningFactor) {
  // 1.5 years: 10 x 1.5^-2.1 = 4.267842; just below 3 years still on the curve, 3 exactly 1.0
  CTube t;
  t.FAMILY = 3;
  CCircHeader h = header(1, 25);
  t.YEARS = 1.5f;
  t.Calculate(h);
  EXPECT_TRUE(near(t.PIL, 4.267842));
  t.YEARS = 2.99f;
  t.Calculate(h);
  EXPECT_GT(t.PIL, 1.0f);
  t.YEARS = 3.0f;
  t.Calculate(h);
  EXPECT_FLOAT_EQ(t.PIL, 1.0f);
}

TEST(TubeHybrid, PackageSuppliesTheEnvironment) {
  CTube t;
  t.IS_HYBRID = 1;
  t.IS_SMT = 1;
  CCircHeader h = test::smtHeader(14, 25);
  t.Calculate(h);  // CRT 9.6 x pi_L 1 x pi_E 1
  EXPECT_FLOAT_EQ(t.PIE, 1.0f);
  EXPECT_TRUE(near(t.FR, 9.6));
  EXPECT_EQ(t.SmtCalcFlag, 0);
  EXPECT_EQ(t.GetTypeName(), "Tube(Hyb)");

  CTube circuit;  // in a circuit with surface mounting: the default rise is 0
  circuit.IS_SMT = 1;
  circuit.SMT_TEMPRISE = 9.0f;
  CCircHeader c = test::smtHeader(1, 25);
  circuit.Calculate(c);
  EXPECT_EQ(circuit.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(circuit.SMT_TEMPRISE, 0.0f);
}

TEST(TubeLimits, OverTemperatureAtTheAmbientAndStoredInputsLimited) {
  CTube t;
  t.TEMPLIMIT = 40.0f;
  CCircHeader h = header(1, 40.0f);
  t.Calculate(h);
  EXPECT_EQ(t.OverFlags, 0u);
  h.TEMP = 40.5f;
  t.Calculate(h);
  EXPECT_EQ(t.OverFlags, OverTemp);

  CTube twt;  // stored power past 40000 W: limited, flagged, finite
  twt.FAMILY = 12;
  twt.POWER = 1e30f;
  twt.FREQ = 18.0f;
  CCircHeader g = header(1, 25);
  twt.Calculate(g);
  EXPECT_TRUE(near(twt.LB, 91.23846));
  EXPECT_EQ(twt.OverFlags & EntryOverRange, EntryOverRange);
}

// ---- family changes ---------------------------------------------------------------------

TEST(TubeFamilyChange, TypeListAndRangesFollowTheFamily) {
  CTube t;
  t.FAMILY = 8;  // twystron VA913A
  t.TYPE = 4;
  t.FAMILY = 13;  // magnetron: three types
  t.POWER = 1000.0f;
  t.FREQ = 0.01f;
  test::RecordingVisitor v;
  t.paramPage(v);
  EXPECT_EQ(t.TYPE, 3);
  ASSERT_EQ(v.keywords(), (std::vector<std::string>{"TUBE_FAMILY", "TUBE_TYPE", "TUBE_POWER", "TUBE_FREQ",
                                                    "TUBE_OVERLIMIT", "TUBE_YEARS", "TUBE_RATIO"}));
  EXPECT_EQ(v.seen[1].choiceCount, 3u);
  EXPECT_TRUE(v.seen[2].applies);
  EXPECT_DOUBLE_EQ(v.seen[2].hi, 5.0);  // pulsed magnetron: 0.01..5 MW
  EXPECT_FLOAT_EQ(t.POWER, 5.0f);
  EXPECT_FLOAT_EQ(t.FREQ, 0.1f);
  EXPECT_FALSE(v.seen[5].applies);
  EXPECT_TRUE(v.seen[6].applies);

  t.FAMILY = 2;  // CRT: no type, power or frequency
  test::RecordingVisitor crt;
  t.paramPage(crt);
  EXPECT_FALSE(crt.seen[1].applies);
  EXPECT_FALSE(crt.seen[2].applies);
  EXPECT_TRUE(crt.seen[5].applies);

  CTube stored;  // a stored receiver type past its list
  stored.FAMILY = 1;
  stored.TYPE = 9;
  stored.normalizeChoices();
  EXPECT_EQ(stored.TYPE, 2);
  EXPECT_EQ(stored.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(TubeImport, FieldsByFamilyWithTheFamilysRanges) {
  ImportSetup s;
  s.map("TUBE_FAMILY", 3, std::string("ContinuousWaveKlystron"));
  s.map("TUBE_POWER", 4, 500.0);  // above 100 kW
  s.map("TUBE_FREQ", 5, 2000.0);
  s.map("TUBE_YEARS", 6, 1.0);
  CTube t;
  ASSERT_TRUE(t.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(t.FAMILY, 11);
  EXPECT_FLOAT_EQ(t.POWER, 100.0f);
  EXPECT_FLOAT_EQ(t.FREQ, 2000.0f);
  EXPECT_FLOAT_EQ(t.YEARS, 1.0f);

  ImportSetup m;
  m.map("TUBE_FAMILY", 3, std::string("Magnetron"));
  m.map("TUBE_TYPE", 4, std::string("ContinuousWave"));
  m.map("TUBE_RATIO", 5, 40.0);
  std::erase_if(m.kwds, [](const CKwd& k) { return k.name == "TUBE_POWER" || k.name == "TUBE_YEARS"; });
  CTube cw;  // a continuous-wave magnetron reads neither power nor years
  ASSERT_TRUE(cw.ImportFields(m.reader, false, false, 25.0f));
  EXPECT_EQ(cw.TYPE, 1);
  EXPECT_FLOAT_EQ(cw.RATIO, 40.0f);
  m.map("TUBE_TYPE", 4, std::string("CoaxialPulsed"));
  CTube pulsed;
  EXPECT_FALSE(pulsed.ImportFields(m.reader, false, false, 25.0f));
}

// ---- text lines, file layout ----------------------------------------------------------------

TEST(TubeTextLines, LayoutByFamily) {
  CTube t;
  t.FAMILY = 6;
  t.OVERLIMIT = 1;
  CCircHeader h = header(2, 25);
  t.Calculate(h);
  test::Lines l = test::linesOf(t, "");
  // "%s%-22s %-27s %-10s %-11s %-11s"
  EXPECT_EQ(l.detail1, "Transmitting           Triode (OverLimit)                                 Years:3.00 ");
  EXPECT_EQ(l.factors1, "FR=    LB    *  PIL  *   PIE   *   PICF  ");
  EXPECT_EQ(l.factors2, "    250.0000   1.00    1.00      1.00000 ");

  t.FAMILY = 13;
  t.TYPE = 2;
  t.POWER = 2.0f;
  t.FREQ = 9.5f;
  t.RATIO = 50.0f;
  t.Calculate(h);
  l = test::linesOf(t, "");
  EXPECT_EQ(l.detail1, "Magnetron              CoaxialPulsed               2.00000MW  9.50000GHz  Util:50.00%");
  EXPECT_EQ(l.factors1, "FR=    LB    *  PIU  * PIC *   PIE   *   PICF  ");

  t.FAMILY = 12;
  t.Calculate(h);
  l = test::linesOf(t, "");
  EXPECT_EQ(l.detail1, "TravelingWaveTube                                  2.00000W   9.50000GHz             ");
  EXPECT_EQ(l.factors1, "FR=    LB    *   PIE   *   PICF  ");
}

TEST(TubeArchive, FieldsInFileOrderAndRoundTrip) {
  registerMicroElectromechParts();
  CTube t;
  t.FAMILY = 9;
  t.POWER = 3.0f;
  t.FREQ = 1.5f;
  t.YEARS = 2.0f;
  CCircHeader h = header(3, 25);
  t.Calculate(h);
  // 2 bytes, 2 floats, byte, 2 floats, 5 result floats = 2 + 8 + 1 + 8 + 20 = 39
  const std::vector<std::uint8_t> b = test::ownBytes(t);
  ASSERT_EQ(b.size(), 39u);
  EXPECT_EQ(b[0], 9);
  EXPECT_FLOAT_EQ(test::floatAt(b, 2), 3.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 6), 1.5f);
  EXPECT_EQ(b[10], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 11), 2.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 19), 2.94f * 1.5f * 3.0f + 16.0f);  // lambda_b 29.23
  EXPECT_FLOAT_EQ(test::floatAt(b, 23), 14.0f);                        // pi_E at GM
  auto back = test::roundTrip(t);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(test::ownBytes(*back), b);
}

}  // namespace
}  // namespace kestrel
