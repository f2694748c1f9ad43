#include "models/micro_electromech/rotating_device.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

void dropKeyword(ImportSetup& s, std::string_view keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

// ---- motors: bearing and winding lives ------------------------------------------

struct MotorCase {
  const char* label;
  std::uint8_t type;
  float ambient, trise, opTime, cf;
  double bearing, winding;
};

class MotorRate : public ::testing::TestWithParam<MotorCase> {};

TEST_P(MotorRate, BearingAndWindingFromCharacteristicLives) {
  const MotorCase& c = GetParam();
  CRotate m;
  m.TYPE = c.type;
  m.OPTIME = c.opTime;
  m.TRISE = c.trise;
  m.CF = c.cf;
  CCircHeader h = header(14, c.ambient);  // no environment factor for motors
  m.Calculate(h);
  EXPECT_TRUE(near(m.BEARING, c.bearing));
  EXPECT_TRUE(near(m.WINDING, c.winding));
  EXPECT_TRUE(near(m.FR, (c.bearing + c.winding) * c.cf));
  EXPECT_FLOAT_EQ(m.T, c.ambient + c.trise);
  EXPECT_FLOAT_EQ(m.S, -1.0f);
  EXPECT_EQ(m.OverFlags, 0u);
}

// x = T + 273; alpha_B = 1 / (10^(2.534 - 2357/x) + 1 / (10^(20 - 4500/x) + 300));
// alpha_W = 10^(2357/x - 1.83); bearing = f(LC/alpha_B) / (A alpha_B) 1e6, winding likewise with B.
INSTANTIATE_TEST_SUITE_P(
    Lives, MotorRate,
    ::testing::Values(
        // 25 C: alpha_B = 59614.89, alpha_W = 1200593.5; LC 43800: r_B = 0.7347 -> 0.68, r_W = 0.0365 -> 0.13;
        // bearing = 0.68 / (1.9 x 59614.89) x 1e6 = 6.003445; winding = 0.13 / (1.1 x 1200593.5) x 1e6 = 0.098436
        MotorCase{"GeneralElectricalAt25C", 1, 25, 0, 43800, 1, 6.003445, 0.098436},
        // servo, 60 + 20 = 80 C: alpha_B = 13890.44, alpha_W = 70315.95; LC 10000: r_B = 0.7199 -> 0.68,
        // r_W = 0.1422 -> 0.15; bearing = 0.68 / (2.4 x 13890.44) x 1e6 = 20.39772;
        // winding = 0.15 / (1.7 x 70315.95) x 1e6 = 1.254840; CF 2
        MotorCase{"ServoHotWithCorrectionFactor", 3, 60, 20, 10000, 2, 20.39772, 1.254840},
        // r_B just below 0.1 (5961 / 59614.89 = 0.099992) -> 0.13: 0.13 / (1.9 x 59614.89) x 1e6 = 1.147717
        MotorCase{"LifeFractionJustBelowTenth", 1, 25, 0, 5961, 1, 1.147717, 0.098436},
        // r_B just above 0.1 (5963 / 59614.89 = 0.100025) -> 0.15: 0.15 / (1.9 x 59614.89) x 1e6 = 1.324289
        MotorCase{"LifeFractionJustAboveTenth", 1, 25, 0, 5963, 1, 1.324289, 0.098436}),
    labelOf<MotorCase>);

TEST(MotorRate, StepperAndSensorConstants) {
  // same lives as the 25 C case: bearing 0.68 / (A x 59614.89) x 1e6, winding 0.13 / (B x 1200593.5) x 1e6
  CRotate sensor;
  sensor.TYPE = 2;  // A 0.48, B 0.29: bearing 23.76363, winding 0.373378
  CCircHeader h = header(1, 25);
  sensor.Calculate(h);
  EXPECT_TRUE(near(sensor.BEARING, 23.76363));
  EXPECT_TRUE(near(sensor.WINDING, 0.373378));
  CRotate stepper;
  stepper.TYPE = 4;  // A 11, B 5.4: bearing 1.036959, winding 0.020052
  stepper.Calculate(h);
  EXPECT_TRUE(near(stepper.BEARING, 1.036959));
  EXPECT_TRUE(near(stepper.WINDING, 0.0200519));
}

// ---- synchros and resolvers, elapsed-time meters ----------------------------------

struct FactorCase {
  const char* label;
  std::uint8_t family, type, size, env;
  float brushes, tstress, ambient, trise;
  double lb, pis, pin, pit, pie, fr;
  std::uint32_t flags;
};

class RotateFactors : public ::testing::TestWithParam<FactorCase> {};

TEST_P(RotateFactors, HandbookProduct) {
  const FactorCase& c = GetParam();
  CRotate r;
  r.FAMILY = c.family;
  r.TYPE = c.type;
  r.SIZE = c.size;
  r.BRUSHES = c.brushes;
  r.TSTRESS = c.tstress;
  r.TRISE = c.trise;
  CCircHeader h = header(c.env, c.ambient);
  r.Calculate(h);
  EXPECT_TRUE(near(r.LB, c.lb));
  EXPECT_TRUE(near(r.PIS, c.pis));
  EXPECT_TRUE(near(r.PIN, c.pin));
  EXPECT_TRUE(near(r.PIT, c.pit));
  EXPECT_TRUE(near(r.PIE, c.pie));
  EXPECT_TRUE(near(r.FR, c.fr));
  EXPECT_EQ(r.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Families, RotateFactors,
    ::testing::Values(
        // 25 C: lambda_b = 0.00535 x exp((298/334)^8.5) = 0.00781782; size <=8 2.0; 2 brushes 1.4; GB 1
        // -> 0.0218899
        FactorCase{"SynchroSmallAtGroundBenign", 2, 1, 1, 1, 2, 0, 25, 0, 0.00781782, 2.0, 1.4, 0, 1.0, 0.0218899, 0},
        // resolver >=18 1.5, 3 brushes 2.5, 40 + 10 = 50 C: lambda_b = 0.00535 x exp((323/334)^8.5) = 0.0113517;
        // NU 18 -> 0.0113517 x 1.5 x 2.5 x 18 = 0.766243
        FactorCase{"ResolverLargeThreeBrushes", 2, 2, 3, 5, 3, 0, 40, 10, 0.0113517, 1.5, 2.5, 0, 18.0, 0.766243, 0},
        // 3.7 brushes count as 3 (2.5); resolver 10-16 2.25; 4 brushes 3.2 below
        FactorCase{"BrushesTruncated", 2, 2, 2, 1, 3.7f, 0, 25, 0, 0.00781782, 2.25, 2.5, 0, 1.0, 0.0439752, 0},
        // synchro 10-16 1.5, 4 brushes 3.2, CL 680: 0.00781782 x 1.5 x 3.2 x 680 = 25.51736
        FactorCase{"FourBrushesAtCannonLaunch", 2, 1, 2, 14, 4, 0, 25, 0, 0.00781782, 1.5, 3.2, 0, 680.0, 25.51736, 0},
        // 175 + 110 = 285 C follows the curve: (558/334)^8.5 = 1.6706587^8.5 = 78.441470,
        // 0.00535 x exp(78.441470) = 6.238085e31; x 1.4 = 8.733319e31
        FactorCase{"SynchroAbove275CFollowsTheCurve", 2, 1, 3, 1, 1, 0, 175, 110, 6.238085e31, 1.0, 1.4, 0, 1.0,
                   8.733319e31, OverTemp},
        // 175 + 125 = 300 C: (573/334)^8.5 = 98.280944, 0.00535 x exp(98.280944) = 2.5777e40 is past the
        // largest float 3.4028235e38: rate and base rate held there, flagged
        FactorCase{"SynchroPastLargestFloatHeld", 2, 1, 3, 1, 1, 0, 175, 125, 3.4028235e38, 1.0, 1.4, 0, 1.0,
                   3.4028235e38, OverTemp | EntryOverRange},
        // AC 20; stress 50 -> 0.5; GB 1 -> 10
        FactorCase{"MeterAtHalfStress", 3, 1, 2, 1, 2, 50, 25, 0, 20.0, 0, 0, 0.5, 1.0, 10.0, 0},
        // stress 50.5 -> 0.505: 20 x 0.505 x GF 2 = 20.2
        FactorCase{"MeterJustAboveHalfStress", 3, 1, 2, 2, 2, 50.5f, 25, 0, 20.0, 0, 0, 0.505, 2.0, 20.2, 0},
        // commutator DC 80, stress 80 -> 0.8, AUF 25: 1600
        FactorCase{"CommutatorMeterAtUninhabitedFighter", 3, 3, 2, 9, 2, 80, 25, 0, 80.0, 0, 0, 0.8, 25.0, 1600.0, 0},
        // inverter driven 30, ML 38: 30 x 0.5 x 38 = 570
        FactorCase{"InverterMeterAtMissileLaunch", 3, 2, 2, 13, 2, 10, 25, 0, 30.0, 0, 0, 0.5, 38.0, 570.0, 0},
        // CL: no factor, rate 0, not a valid environment
        FactorCase{"MeterAtCannonLaunch", 3, 1, 2, 14, 2, 50, 25, 0, 20.0, 0, 0, 0.5, 0.0, 0.0, EnvNotValid}),
    labelOf<FactorCase>);

TEST(RotateHybrid, PackageSuppliesTheEnvironmentAndTheMeterStaysInvalidAtCannonLaunch) {
  CRotate meter;
  meter.IS_HYBRID = 1;
  meter.FAMILY = 3;
  meter.IS_SMT = 1;
  CCircHeader h = header(14, 25);
  h.HASSMT = 1;
  meter.Calculate(h);
  EXPECT_FLOAT_EQ(meter.PIE, 1.0f);
  EXPECT_TRUE(near(meter.FR, 10.0));  // 20 x 0.5 x 1
  EXPECT_EQ(meter.OverFlags, EnvNotValid);
  EXPECT_EQ(meter.SmtCalcFlag, 0);
  EXPECT_EQ(meter.GetTypeName(), "RotatingDevice(Hyb)");

  CRotate synchro;
  synchro.IS_HYBRID = 1;
  synchro.FAMILY = 2;
  synchro.SIZE = 1;
  synchro.Calculate(h);  // 0.00781782 x 2.0 x 1.4 x 1
  EXPECT_TRUE(near(synchro.FR, 0.0218899));
}

TEST(RotateLimits, OverTemperatureStrictlyAboveTheLimit) {
  CRotate m;
  m.TRISE = 30.0f;
  m.TEMPLIMIT = 55.0f;
  CCircHeader h = header(1, 25);
  m.Calculate(h);
  EXPECT_EQ(m.OverFlags, 0u);
  m.TRISE = 30.5f;
  m.Calculate(h);
  EXPECT_EQ(m.OverFlags, OverTemp);
  CRotate meter;  // the meter's temperature is the ambient: its rise plays no part
  meter.FAMILY = 3;
  meter.TRISE = 100.0f;
  meter.TEMPLIMIT = 25.0f;
  meter.Calculate(h);
  EXPECT_FLOAT_EQ(meter.T, 25.0f);
  EXPECT_EQ(meter.OverFlags, 0u);
}

TEST(RotateSurfaceMount, DefaultRiseByFamily) {
  CCircHeader h = test::smtHeader(1, 25);
  CRotate m;
  m.IS_SMT = 1;
  m.TRISE = 12.0f;
  m.Calculate(h);
  EXPECT_EQ(m.SmtCalcFlag, 1);
  EXPECT_FLOAT_EQ(m.SMT_TEMPRISE, 12.0f);
  m.FAMILY = 3;
  m.TYPE = 1;
  m.Calculate(h);
  EXPECT_FLOAT_EQ(m.SMT_TEMPRISE, 0.0f);
}

// ---- family changes, import, update ----------------------------------------------------

TEST(RotateFamilyChange, TypeListRefilledAndClamped) {
  CRotate r;
  r.TYPE = 4;  // stepper motor
  r.FAMILY = 2;
  test::RecordingVisitor v;
  r.paramPage(v);
  EXPECT_EQ(r.TYPE, 2);  // the synchro list has two entries
  ASSERT_EQ(v.keywords(), (std::vector<std::string>{"ROTATE_FAMILY", "ROTATE_TYPE", "ROTATE_OPTIME", "ROTATE_SIZE",
                                                    "ROTATE_BRUSHES", "ROTATE_TSTRESS", "ROTATE_TRISE"}));
  EXPECT_EQ(v.seen[1].choiceCount, 2u);
  EXPECT_FALSE(v.seen[2].applies);
  EXPECT_TRUE(v.seen[3].applies);
  EXPECT_FALSE(v.seen[5].applies);
  EXPECT_TRUE(v.seen[6].applies);

  CRotate stored;  // a stored meter type past its list, read back
  stored.FAMILY = 3;
  stored.TYPE = 4;
  stored.normalizeChoices();
  EXPECT_EQ(stored.TYPE, 3);
  EXPECT_EQ(stored.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(RotateImport, FieldsByFamily) {
  ImportSetup s;
  s.map("ROTATE_FAMILY", 3, std::string("Synchro/Resolver"));
  s.map("ROTATE_TYPE", 4, std::string("Resolver"));
  s.map("ROTATE_SIZE", 5, std::string(">=18"));
  s.map("ROTATE_BRUSHES", 6, 7.0);  // above 4
  s.map("ROTATE_TRISE", 7, 15.0);
  dropKeyword(s, "ROTATE_OPTIME");  // not read for a synchro
  CRotate r;
  ASSERT_TRUE(r.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(r.FAMILY, 2);
  EXPECT_EQ(r.TYPE, 2);
  EXPECT_EQ(r.SIZE, 3);
  EXPECT_FLOAT_EQ(r.BRUSHES, 4.0f);
  EXPECT_FLOAT_EQ(r.TRISE, 15.0f);

  ImportSetup meter;
  meter.map("ROTATE_FAMILY", 3, std::string("ElapsedTimeMeter"));
  meter.map("ROTATE_TYPE", 4, std::string("CommutatorDC"));
  meter.map("ROTATE_TSTRESS", 5, 70.0);
  dropKeyword(meter, "ROTATE_TRISE");  // not read for a meter
  CRotate m;
  ASSERT_TRUE(m.ImportFields(meter.reader, false, false, 25.0f));
  EXPECT_EQ(m.TYPE, 3);
  EXPECT_FLOAT_EQ(m.TSTRESS, 70.0f);

  ImportSetup motor;
  dropKeyword(motor, "ROTATE_OPTIME");
  CRotate failed;
  EXPECT_FALSE(failed.ImportFields(motor.reader, false, false, 25.0f));
}

TEST(RotateUpdate, TakesOperatingTimeStressAndRise) {
  CRotate own;
  own.FAMILY = 2;
  own.SIZE = 1;
  CRotate other;
  other.FAMILY = 1;
  other.SIZE = 3;
  other.OPTIME = 1000.0f;
  other.TSTRESS = 60.0f;
  other.TRISE = 9.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.OPTIME, 1000.0f);
  EXPECT_FLOAT_EQ(own.TSTRESS, 60.0f);
  EXPECT_FLOAT_EQ(own.TRISE, 9.0f);
  EXPECT_EQ(own.FAMILY, 2);
  EXPECT_EQ(own.SIZE, 1);
}

// ---- text lines, file layout ------------------------------------------------------------

TEST(RotateTextLines, LayoutByFamily) {
  CRotate r;
  CCircHeader h = header(1, 25);
  r.Calculate(h);
  test::Lines l = test::linesOf(r, "> ");
  // "%s%-5s  %-17s  %-15s  %-12s"; 43800 at (8,2) -> 43800.00; bearing 6.003445 at (8,6) keeps 5
  // decimals (values 1..10), 6.00345
  EXPECT_EQ(l.detail1, "> Motor  GeneralElectrical  OpTime:43800.00  Trise:0.0   ");
  EXPECT_EQ(l.factors1, "> FR= ( BEARING_FACTOR + WINDING_FACTOR ) *   PICF  ");
  EXPECT_EQ(l.factors2, ">          6.00345          0.098436        1.00000 ");

  r.FAMILY = 2;
  r.TYPE = 2;
  r.BRUSHES = 3.0f;
  r.Calculate(h);
  l = test::linesOf(r, "");
  EXPECT_EQ(l.detail1, "Resolver  Size:10-16  Brushes:3  Trise:0.0   ");
  // 0.00781782 x 2.25 x 2.5 x 1
  EXPECT_EQ(l.factors2, "    0.007818   2.25    2.5   1.0     1.00000 ");

  r.FAMILY = 3;
  r.TYPE = 1;
  r.TSTRESS = 75.0f;
  r.Calculate(h);
  l = test::linesOf(r, "");
  EXPECT_EQ(l.detail1, "ElapsedTimeMeter  AC              Tstr:75.00%");
  EXPECT_EQ(l.factors1, "FR=  LB  *  PIT  *  PIE  *   PICF  ");
  EXPECT_EQ(l.factors2, "    20.0   0.75    1.0     1.00000 ");
}

TEST(RotateArchive, FieldsInFileOrderAndRoundTrip) {
  registerMicroElectromechParts();
  CRotate r;
  r.FAMILY = 2;
  r.TYPE = 2;
  r.OPTIME = 500.0f;
  r.SIZE = 3;
  r.BRUSHES = 4.0f;
  r.TSTRESS = 20.0f;
  r.TRISE = 5.0f;
  CCircHeader h = header(3, 25);
  r.Calculate(h);
  // 2 bytes, float, byte, 3 floats, 7 result floats = 2 + 4 + 1 + 12 + 28 = 47
  const std::vector<std::uint8_t> b = test::ownBytes(r);
  ASSERT_EQ(b.size(), 47u);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 2), 500.0f);
  EXPECT_EQ(b[6], 3);
  EXPECT_FLOAT_EQ(test::floatAt(b, 7), 4.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 11), 20.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 15), 5.0f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 19), r.LB);
  EXPECT_FLOAT_EQ(test::floatAt(b, 31), 12.0f);  // pi_E at GM
  auto back = test::roundTrip(r);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(test::ownBytes(*back), b);
}

}  // namespace
}  // namespace kestrel
