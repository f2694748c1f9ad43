#include "models/micro_electromech/switch.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/micro_electromech/electromech_test_support.hpp"
#include "models/micro_electromech/register.hpp"

namespace kestrel {
namespace {

using test::header;
using test::ImportSetup;
using test::labelOf;
using test::near;
using test::PrintTo;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// ---- Switches against hand-worked handbook values ----------------------------

struct SwitchCase {
  const char* label;
  std::uint8_t type, contact;
  float contacts;
  std::uint8_t quality, load, env;
  float stress, cf;
  double lb, pil, pic, piq, pie, fr;
};

class SwitchFailureRate : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchFailureRate, FactorsAndRateMatchHandWorkedValues) {
  const SwitchCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  s.CONTACT = c.contact;
  s.CONTACTS = c.contacts;
  s.QU = c.quality;
  s.LOAD = c.load;
  s.STRESSMODE = 2;
  s.ISTRESS = c.stress;
  s.CF = c.cf;
  s.QTY = 4;
  CCircHeader h = header(c.env, 35);
  s.Calculate(h);
  EXPECT_TRUE(near(s.LB, c.lb));
  EXPECT_TRUE(near(s.PIL, c.pil));
  EXPECT_TRUE(near(s.PIC, c.pic));
  EXPECT_FLOAT_EQ(s.PIU, 1.0f);
  EXPECT_TRUE(near(s.PIQ, c.piq));
  EXPECT_TRUE(near(s.PIE, c.pie));
  EXPECT_TRUE(near(s.FR, c.fr));
  EXPECT_FLOAT_EQ(s.T, 35.0f);  // the ambient
  EXPECT_FLOAT_EQ(s.S, c.stress);
  EXPECT_EQ(s.OverFlags, 0u);
}

// pi_C = n^0.33: 2^0.33 = exp(0.228739) = 1.257013, 4^0.33 = exp(0.457477) = 1.580083,
// 12^0.33 = exp(0.820019) = 2.270543.
INSTANTIATE_TEST_SUITE_P(
    Cases, SwitchFailureRate,
    ::testing::Values(
        // Pushbutton 0.1, SPDT (2 contacts) 1.257013, MIL, resistive 10 %: exp((0.1/0.8)^2) = exp(0.015625)
        // = 1.015748; GB 1; FR = 0.1 x 1.015748 x 1 x 1 x 1.257013 = 0.127681
        SwitchCase{"PushbuttonSpdtAtGroundBenign", 7, 3, 2, 1, 1, 1, 10, 1, 0.1, 1.015748, 1.257013, 1, 1,
                   0.127681},
        // Toggle DPDT (4) 1.580083, lower 2, inductive 30 %: exp((0.3/0.4)^2) = exp(0.5625) = 1.755055;
        // NU 29; FR = 0.1 x 1.755055 x 2 x 29 x 1.580083 = 16.08416
        SwitchCase{"ToggleDpdtLowerAtNavalUnsheltered", 14, 6, 2, 2, 2, 5, 30, 1, 0.1, 1.755055, 1.580083, 2, 29,
                   16.08416},
        // Toggle "Other" with 12 contacts: 2.270543; lamp 20 %: exp(1) = e; AUF 22;
        // FR = 0.1 x 2.718282 x 22 x 2.270543 = 13.57835
        SwitchCase{"ToggleOtherTwelveContactsLamp", 14, 10, 12, 1, 3, 9, 20, 1, 0.1, 2.718282, 2.270543, 1, 22,
                   13.57835},
        // Centrifugal 3.4: no contact factor (the stored DPDT is not used); lamp 10 %: exp(0.25) = 1.284025;
        // lower 2; GF 3; FR = 3.4 x 1.284025 x 2 x 3 = 26.19412
        SwitchCase{"CentrifugalHasNoContactFactor", 1, 6, 2, 2, 3, 2, 10, 1, 3.4, 1.284025, 1.0, 2, 3, 26.19412},
        // DIP 0.00012, resistive 50 %: exp(0.390625) = 1.477904; CL 1200; CF 3 (QTY 4 not applied):
        // FR = 0.00012 x 1.477904 x 1200 x 3 = 0.638455
        SwitchCase{"DipAtCannonLaunchWithCorrectionFactor", 2, 3, 2, 1, 1, 14, 50, 3, 0.00012, 1.477904, 1.0, 1,
                   1200, 0.638455},
        // Reed 0.001, no stress, AIC 10: 0.001 x 10 = 0.01
        SwitchCase{"ReedWithoutStress", 8, 3, 2, 1, 1, 6, 0, 1, 0.001, 1.0, 1.0, 1, 10, 0.01},
        // Thumbwheel 0.18, lower 2, ML 67: 0.18 x 2 x 67 = 24.12
        SwitchCase{"ThumbwheelLowerAtMissileLaunch", 13, 3, 2, 2, 1, 13, 0, 1, 0.18, 1.0, 1.0, 2, 67, 24.12}),
    labelOf<SwitchCase>);

// ---- Tables: base rates, contact counts, environments ---------------------------

struct TableCase {
  const char* label;
  std::uint8_t choice;
  double value;
};

class SwitchBaseRate : public ::testing::TestWithParam<TableCase> {};

TEST_P(SwitchBaseRate, TypeGivesHandbookBaseRate) {
  CSwitch s;
  s.TYPE = GetParam().choice;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.LB, static_cast<float>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SwitchBaseRate,
    ::testing::Values(TableCase{"Centrifugal", 1, 3.4}, TableCase{"Dip", 2, 0.00012}, TableCase{"Limit", 3, 4.3},
                      TableCase{"LiquidLevel", 4, 2.3}, TableCase{"Microwave", 5, 1.7}, TableCase{"Pressure", 6, 2.8},
                      TableCase{"Pushbutton", 7, 0.1}, TableCase{"Reed", 8, 0.001}, TableCase{"Rocker", 9, 0.023},
                      TableCase{"Rotary", 10, 0.11}, TableCase{"Sensitive", 11, 0.49}, TableCase{"Thermal", 12, 0.031},
                      TableCase{"Thumbwheel", 13, 0.18}, TableCase{"Toggle", 14, 0.1},
                      TableCase{"CircuitBreaker", 15, 0.34}),
    labelOf<TableCase>);

struct ContactCase {
  const char* label;
  std::uint8_t type, contact;
  float contacts;
  double pic;
  bool flagged;
};

class SwitchContactFactor : public ::testing::TestWithParam<ContactCase> {};

TEST_P(SwitchContactFactor, ContactCountToThePower033) {
  const ContactCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  s.CONTACT = c.contact;
  s.CONTACTS = c.contacts;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_TRUE(near(s.PIC, c.pic));
  EXPECT_EQ((s.OverFlags & EntryOverRange) != 0, c.flagged);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SwitchContactFactor,
    ::testing::Values(
        // n^0.33: 3 -> exp(0.362542) = 1.436978; 6 -> exp(0.591281) = 1.806300; 8 -> exp(0.686216) = 1.986185;
        // 99 -> exp(1.516390) = 4.555747
        ContactCase{"Spst", 7, 1, 2, 1.0, false}, ContactCase{"Dpst", 7, 2, 2, 1.257013, false},
        ContactCase{"Spdt", 14, 3, 2, 1.257013, false}, ContactCase{"ThreePst", 14, 4, 2, 1.436978, false},
        ContactCase{"FourPst", 7, 5, 2, 1.580083, false}, ContactCase{"Dpdt", 7, 6, 2, 1.580083, false},
        ContactCase{"ThreePdt", 14, 7, 2, 1.806300, false}, ContactCase{"FourPdt", 14, 8, 2, 1.986185, false},
        ContactCase{"SixPdt", 7, 9, 2, 2.270543, false}, ContactCase{"OtherOneContact", 7, 10, 1, 1.0, false},
        ContactCase{"OtherNinetyNine", 14, 10, 99, 4.555747, false},
        // stored counts outside 1..99 are limited for the calculation
        ContactCase{"OtherZeroContacts", 14, 10, 0, 1.0, true},
        ContactCase{"OtherTooManyContacts", 14, 10, 150, 4.555747, true},
        ContactCase{"OtherNotANumber", 7, 10, kNaNf, 1.0, true},
        // only pushbutton and toggle switches have a contact factor
        ContactCase{"RotaryIgnoresContacts", 10, 9, 2, 1.0, false}),
    labelOf<ContactCase>);

struct EnvCase {
  const char* label;
  std::uint8_t type, env;
  double pie;
};

class SwitchEnvironmentFactor : public ::testing::TestWithParam<EnvCase> {};

TEST_P(SwitchEnvironmentFactor, EnvironmentGivesHandbookFactor) {
  const EnvCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  CCircHeader h = header(c.env, 25);
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.PIE, static_cast<float>(c.pie));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SwitchEnvironmentFactor,
    ::testing::Values(EnvCase{"SwitchGB", 7, 1, 1.0}, EnvCase{"SwitchGF", 7, 2, 3.0}, EnvCase{"SwitchGM", 7, 3, 18},
                      EnvCase{"SwitchNS", 7, 4, 8.0}, EnvCase{"SwitchNU", 7, 5, 29}, EnvCase{"SwitchAIC", 7, 6, 10},
                      EnvCase{"SwitchAIF", 7, 7, 18}, EnvCase{"SwitchAUC", 7, 8, 13}, EnvCase{"SwitchAUF", 7, 9, 22},
                      EnvCase{"SwitchARW", 7, 10, 46}, EnvCase{"SwitchSF", 7, 11, 0.5}, EnvCase{"SwitchMF", 7, 12, 25},
                      EnvCase{"SwitchML", 7, 13, 67}, EnvCase{"SwitchCL", 7, 14, 1200},
                      EnvCase{"BreakerGB", 15, 1, 1.0}, EnvCase{"BreakerGF", 15, 2, 2.0},
                      EnvCase{"BreakerGM", 15, 3, 15}, EnvCase{"BreakerNS", 15, 4, 8.0},
                      EnvCase{"BreakerNU", 15, 5, 27}, EnvCase{"BreakerAIC", 15, 6, 7.0},
                      EnvCase{"BreakerAIF", 15, 7, 9.0}, EnvCase{"BreakerAUC", 15, 8, 11},
                      EnvCase{"BreakerAUF", 15, 9, 12}, EnvCase{"BreakerARW", 15, 10, 46},
                      EnvCase{"BreakerSF", 15, 11, 0.5}, EnvCase{"BreakerMF", 15, 12, 25},
                      EnvCase{"BreakerML", 15, 13, 66}, EnvCase{"BreakerCL", 15, 14, 0.0}),
    labelOf<EnvCase>);

struct LoadCase {
  const char* label;
  std::uint8_t load;
  float stress;
  double pil;
};

class SwitchLoadFactor : public ::testing::TestWithParam<LoadCase> {};

TEST_P(SwitchLoadFactor, LoadTypeSetsStressDivisor) {
  const LoadCase& c = GetParam();
  CSwitch s;
  s.LOAD = c.load;
  s.STRESSMODE = 2;
  s.ISTRESS = c.stress;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_TRUE(near(s.PIL, c.pil));
}

INSTANTIATE_TEST_SUITE_P(Points, SwitchLoadFactor,
                         ::testing::Values(
                             // 80 %: resistive exp(1) = e; inductive exp(4) = 54.59815; lamp exp(16) = 8886111
                             LoadCase{"ResistiveAt80", 1, 80, 2.718282}, LoadCase{"InductiveAt80", 2, 80, 54.59815},
                             LoadCase{"LampAt80", 3, 80, 8886111}, LoadCase{"ZeroStress", 2, 0, 1.0}),
                         labelOf<LoadCase>);

// ---- Circuit breakers ----------------------------------------------------------

struct BreakerCase {
  const char* label;
  std::uint8_t power, contact, quality, env;
  float cf;
  double pic, piu, piq, pie, fr;
};

class SwitchBreakerRate : public ::testing::TestWithParam<BreakerCase> {};

TEST_P(SwitchBreakerRate, FactorsAndRateMatchHandWorkedValues) {
  const BreakerCase& c = GetParam();
  CSwitch s;
  s.TYPE = 15;
  s.POWER = c.power;
  s.CONTACT = c.contact;
  s.QU = c.quality;
  s.CF = c.cf;
  s.ISTRESS = 95.0f;  // not a breaker field
  CCircHeader h = header(c.env, 25);
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.LB, 0.34f);
  EXPECT_FLOAT_EQ(s.PIL, 1.0f);
  EXPECT_TRUE(near(s.PIC, c.pic));
  EXPECT_TRUE(near(s.PIU, c.piu));
  EXPECT_TRUE(near(s.PIQ, c.piq));
  EXPECT_TRUE(near(s.PIE, c.pie));
  EXPECT_TRUE(near(s.FR, c.fr));
  EXPECT_FLOAT_EQ(s.S, -1.0f);
  EXPECT_EQ(s.OverFlags, 0u);
}

// Handbook section 14.2: lambda_b 0.34; pi_C 1..4 by poles; pi_U 10 when the breaker is also the power
// on/off switch, 1 when not; pi_Q MIL 1.0, lower 8.4.
INSTANTIATE_TEST_SUITE_P(Cases, SwitchBreakerRate,
                         ::testing::Values(
                             // 0.34 x 3 x 10 x 8.4 x 1.0 = 85.68
                             BreakerCase{"PowerSwitchThreePoleLowerAtGroundBenign", 1, 3, 2, 1, 1, 3, 10, 8.4, 1,
                                         85.68},
                             // 0.34 x 1 x 1 x 1 x 12 = 4.08
                             BreakerCase{"NotPowerSwitchSinglePoleAtAirborneFighter", 2, 1, 1, 9, 1, 1, 1, 1, 12,
                                         4.08},
                             // 0.34 x 4 x 10 x 1 x 8 x CF 0.5 = 54.4
                             BreakerCase{"PowerSwitchFourPoleWithCorrectionFactor", 1, 4, 1, 4, 0.5f, 4, 10, 1, 8,
                                         54.4},
                             // 0.34 x 2 x 1 x 8.4 x 66 = 376.992
                             BreakerCase{"DoublePoleLowerAtMissileLaunch", 2, 2, 2, 13, 1, 2, 1, 8.4, 66, 376.992}),
                         labelOf<BreakerCase>);

TEST(SwitchBreakerRate, CannonLaunchGivesNoRateAndEnvNotValid) {
  CSwitch s;
  s.TYPE = 15;
  CCircHeader h = header(14, 25);
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.FR, 0.0f);
  EXPECT_EQ(s.OverFlags, static_cast<std::uint32_t>(EnvNotValid));

  // In a hybrid the flag is set too, with pi_Q = pi_E = 1: SPDT stored (3) is "3PST" on the
  // breaker list: 0.34 x 3 x 10 = 10.2
  CSwitch hybrid;
  hybrid.TYPE = 15;
  hybrid.IS_HYBRID = 1;
  hybrid.QU = 2;
  hybrid.Calculate(h);
  EXPECT_EQ(hybrid.OverFlags, static_cast<std::uint32_t>(EnvNotValid));
  EXPECT_TRUE(near(hybrid.FR, 10.2));
}

TEST(SwitchBreakerRate, OnlyBreakersFlagCannonLaunch) {
  CSwitch s;  // pushbutton
  CCircHeader h = header(14, 25);
  s.Calculate(h);
  EXPECT_EQ(s.OverFlags, 0u);
  EXPECT_TRUE(near(s.FR, 0.127681 * 1200));  // 153.2170
}

// ---- Limits and hybrid parts ------------------------------------------------------

struct LimitCase {
  const char* label;
  std::uint8_t type;
  float ambient, tempLimit, stress, stressLimit;
  std::uint32_t flags;
};

class SwitchLimitFlags : public ::testing::TestWithParam<LimitCase> {};

TEST_P(SwitchLimitFlags, FlagOnlyStrictlyAboveLimit) {
  const LimitCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  s.STRESSMODE = 2;
  s.ISTRESS = c.stress;
  s.TEMPLIMIT = c.tempLimit;
  s.STRESSLIMIT = c.stressLimit;
  CCircHeader h = header(1, c.ambient);
  s.Calculate(h);
  EXPECT_EQ(s.OverFlags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, SwitchLimitFlags,
                         ::testing::Values(LimitCase{"AmbientEqualToLimit", 7, 70, 70, 10, 100, 0u},
                                           LimitCase{"AmbientJustAboveLimit", 7, 70.25f, 70, 10, 100, OverTemp},
                                           LimitCase{"StressEqualToLimit", 14, 25, 175, 40, 40, 0u},
                                           LimitCase{"StressJustAboveLimit", 14, 25, 175, 40.25f, 40, OverStress},
                                           LimitCase{"BreakerHasNoStress", 15, 25, 175, 90, 10, 0u},
                                           LimitCase{"BreakerAmbientAboveLimit", 15, 70.25f, 70, 0, 100, OverTemp}),
                         labelOf<LimitCase>);

TEST(SwitchHybridPart, QualityAndEnvironmentFactorsAreOne) {
  // Pushbutton of lower quality at ML in a hybrid: FR = 0.1 x 1.015748 x 1.257013 = 0.127681
  CSwitch s;
  s.IS_HYBRID = 1;
  s.QU = 2;
  CCircHeader h = header(13, 25);
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.PIQ, 1.0f);
  EXPECT_FLOAT_EQ(s.PIE, 1.0f);
  EXPECT_TRUE(near(s.FR, 0.127681));
  EXPECT_EQ(s.GetTypeName(), "Switch(Hyb)");
  EXPECT_EQ(CSwitch{}.GetTypeName(), "Switch");
}

struct SmtCase {
  const char* label;
  std::uint8_t type, triseMode;
  bool hybrid;
  std::uint16_t hasSmt, calculated;
  float smtRise;
};

class SwitchSurfaceMount : public ::testing::TestWithParam<SmtCase> {};

TEST_P(SwitchSurfaceMount, DefaultRiseIsZero) {
  const SmtCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  s.IS_HYBRID = c.hybrid ? 1 : 0;
  s.IS_SMT = 1;
  s.SMT_TRISEMODE = c.triseMode;
  s.SMT_TEMPRISE = 3.0f;
  s.SmtCalcFlag = 1;
  CCircHeader h = header(1, 25);
  h.HASSMT = c.hasSmt;
  s.Calculate(h);
  EXPECT_EQ(s.SmtCalcFlag, c.calculated);
  EXPECT_FLOAT_EQ(s.SMT_TEMPRISE, c.smtRise);
}

INSTANTIATE_TEST_SUITE_P(Cases, SwitchSurfaceMount,
                         ::testing::Values(SmtCase{"SwitchDefault", 2, 1, false, 1, 1, 0.0f},
                                           SmtCase{"BreakerDefault", 15, 1, false, 1, 1, 0.0f},
                                           SmtCase{"Manual", 2, 2, false, 1, 1, 3.0f},
                                           SmtCase{"Hybrid", 2, 1, true, 1, 0, 3.0f},
                                           SmtCase{"NoAnalysis", 2, 1, false, 0, 0, 3.0f}),
                         labelOf<SmtCase>);

// ---- Type changes and stored values outside their lists --------------------------

TEST(SwitchTypeChange, ToggleToBreakerClampsContactForm) {
  // DPDT (6 of 10) on a toggle becomes the breaker list of 4: "4PST", pi_C 4;
  // FR = 0.34 x 4 x 10 x 1 x 1 = 13.6
  CSwitch s;
  s.TYPE = 14;
  s.CONTACT = 6;
  s.normalizeChoices();
  EXPECT_EQ(s.OverFlags, 0u);
  s.TYPE = 15;
  s.normalizeChoices();
  EXPECT_EQ(s.CONTACT, 4);
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_TRUE(near(s.FR, 13.6));
}

TEST(SwitchTypeChange, CalculateNeverReadsPastTheBreakerTable) {
  // "Other" (10) stored on a breaker: limited to 4 "4PST": 0.34 x 4 x 10 = 13.6
  CSwitch s;
  s.TYPE = 15;
  s.CONTACT = 10;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_EQ(s.CONTACT, 4);
  EXPECT_FLOAT_EQ(s.PIC, 4.0f);
  EXPECT_TRUE(near(s.FR, 13.6));
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);
}

TEST(SwitchTypeChange, PageRefillsContactList) {
  CSwitch s;
  s.TYPE = 7;
  s.CONTACT = 9;
  s.TYPE = 15;
  test::RecordingVisitor v;
  s.paramPage(v);
  EXPECT_EQ(s.CONTACT, 4);
  EXPECT_EQ(v.find("SW_CONTACT")->choiceCount, 4u);
  EXPECT_FALSE(v.find("SW_CONTACTS")->applies);
  EXPECT_EQ(s.OverFlags, 0u);

  // A breaker back to a rotary switch: no contact form at all, the stored one left alone.
  s.TYPE = 10;
  test::RecordingVisitor w;
  s.paramPage(w);
  EXPECT_EQ(s.CONTACT, 4);
  EXPECT_FALSE(w.find("SW_CONTACT")->applies);
  EXPECT_EQ(w.find("SW_CONTACT")->choiceCount, 0u);
}

TEST(SwitchTypeChange, ContactFormShownOnlyForItsTypes) {
  // Type 14 to 3: the contact form is not shown and pi_C becomes 1.0.
  CSwitch s;
  s.TYPE = 14;
  s.CONTACT = 6;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  EXPECT_TRUE(near(s.PIC, 1.580083));
  s.TYPE = 3;
  s.Calculate(h);
  EXPECT_FLOAT_EQ(s.PIC, 1.0f);
  std::string a, b;
  s.FormatDetail(a, b, "");
  // type (20), quality (8), an empty form (11), the load (9), no power switch (11)
  EXPECT_EQ(a, "Limit" + std::string(15 + 2, ' ') + "Qu:MIL" + std::string(2 + 2 + 11 + 2, ' ') + "Resistive" +
                   std::string(2 + 11, ' '));
}

TEST(SwitchStoredChoices, NormalizeClampsEveryChoice) {
  CSwitch s;
  s.TYPE = 0;
  s.POWER = 3;
  s.CONTACT = 0;
  s.QU = 5;
  s.LOAD = 9;
  s.STRESSMODE = 3;
  s.normalizeChoices();
  EXPECT_EQ(s.TYPE, 1);
  EXPECT_EQ(s.POWER, 2);
  EXPECT_EQ(s.CONTACT, 0);  // a centrifugal switch has no contact form
  EXPECT_EQ(s.QU, 2);
  EXPECT_EQ(s.LOAD, 3);
  EXPECT_EQ(s.STRESSMODE, 2);
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);

  CSwitch valid;
  valid.normalizeChoices();
  EXPECT_EQ(valid.OverFlags, 0u);
}

struct StoredCase {
  const char* label;
  std::uint8_t type, power, quality, load, env;
  double fr;
};

class SwitchStoredChoices : public ::testing::TestWithParam<StoredCase> {};

TEST_P(SwitchStoredChoices, ClampedAndFlaggedInCalculate) {
  const StoredCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  s.POWER = c.power;
  s.QU = c.quality;
  s.LOAD = c.load;
  CCircHeader h = header(c.env, 25);
  s.Calculate(h);
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);
  EXPECT_TRUE(near(s.FR, c.fr));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, SwitchStoredChoices,
    ::testing::Values(
        // type 99 -> 15 breaker, SPDT stored -> "3PST" 3, power Yes 10: 0.34 x 3 x 10 = 10.2
        StoredCase{"TypePastListBecomesBreaker", 99, 1, 1, 1, 1, 10.2},
        // power 0 -> "Yes": the same 10.2
        StoredCase{"PowerZeroBecomesYes", 15, 0, 1, 1, 1, 10.2},
        // quality 3 -> "Lower" 2: 0.127681 x 2 = 0.255362
        StoredCase{"QualityPastListBecomesLower", 7, 1, 3, 1, 1, 0.255362},
        // load 4 -> lamp: exp((0.1/0.2)^2) = exp(0.25) = 1.284025; 0.1 x 1.284025 x 1.257013 = 0.161404
        StoredCase{"LoadPastListBecomesLamp", 7, 1, 1, 4, 1, 0.161404},
        // environment 200 -> CL 1200: 0.127681 x 1200 = 153.2170
        StoredCase{"EnvironmentPastListBecomesCannonLaunch", 7, 1, 1, 1, 200, 153.2170}),
    labelOf<StoredCase>);

struct ExtremeCase {
  const char* label;
  float stress, cf;
  float expectedS;
};

class SwitchExtremeValues : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(SwitchExtremeValues, StayFiniteAndFlagged) {
  const ExtremeCase& c = GetParam();
  CSwitch s;
  s.TYPE = 14;
  s.LOAD = 3;
  s.STRESSMODE = 2;
  s.ISTRESS = c.stress;
  s.CF = c.cf;
  CCircHeader h = header(14, 25);
  s.Calculate(h);
  EXPECT_TRUE(std::isfinite(s.FR));
  EXPECT_TRUE(std::isfinite(s.PIL));
  EXPECT_FLOAT_EQ(s.S, c.expectedS);
  EXPECT_EQ(s.OverFlags & EntryOverRange, EntryOverRange);
}

INSTANTIATE_TEST_SUITE_P(Stored, SwitchExtremeValues,
                         ::testing::Values(ExtremeCase{"HugeStress", 3e38f, 1, 100},
                                           ExtremeCase{"NegativeStress", -5, 1, 0},
                                           ExtremeCase{"StressNotANumber", kNaNf, 1, 0},
                                           ExtremeCase{"CorrectionFactorNotANumber", 10, kNaNf, 10},
                                           ExtremeCase{"ZeroCorrectionFactor", 10, 0, 10}),
                         labelOf<ExtremeCase>);

// ---- Import by keyword -------------------------------------------------------

void mapSwitchKeywords(ImportSetup& s, const char* type, const char* contact, const char* mode) {
  s.map("SW_TYPE", 3, std::string(type));
  s.map("SW_QU", 4, std::string("Lower"));
  s.map("SW_CONTACT", 5, std::string(contact));
  s.map("SW_CONTACTS", 6, 24.0);
  s.map("SW_LOAD", 7, std::string("Inductive"));
  s.map("SW_POWER", 8, std::string("No"));
  s.map("SW_IMAX", 9, 5.0);
  s.map("SW_IOP", 10, 2.0);
  s.map("SW_STRESSMODE", 11, std::string(mode));
  s.map("SW_ISTRESS", 12, 65.0);
}

void dropKeyword(ImportSetup& s, const char* keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

TEST(SwitchImport, ToggleWithOtherContactsComputedStress) {
  ImportSetup s;
  mapSwitchKeywords(s, "Toggle", "Other", "Calc=Iop/Imax");
  dropKeyword(s, "SW_POWER");    // not read for a toggle switch
  dropKeyword(s, "SW_ISTRESS");  // nor the stress in the computed mode
  CSwitch w;
  ASSERT_TRUE(w.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(w.TYPE, 14);
  EXPECT_EQ(w.QU, 2);
  EXPECT_EQ(w.CONTACT, 10);
  EXPECT_FLOAT_EQ(w.CONTACTS, 24.0f);
  EXPECT_EQ(w.LOAD, 2);
  EXPECT_FLOAT_EQ(w.IMAX, 5.0f);
  EXPECT_FLOAT_EQ(w.IOP, 2.0f);
  EXPECT_EQ(w.STRESSMODE, 1);
  EXPECT_FLOAT_EQ(w.ISTRESS, 40.0f);  // 2 / 5 x 100
}

TEST(SwitchImport, ManualModeReadsStress) {
  ImportSetup s;
  mapSwitchKeywords(s, "Rocker", "DPDT", "Manual");
  CSwitch w;
  ASSERT_TRUE(w.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(w.TYPE, 9);
  EXPECT_EQ(w.CONTACT, 3);  // a rocker switch has no contact form: not read
  EXPECT_EQ(s.reader.consulted().count("SW_CONTACT"), 0u);
  EXPECT_EQ(s.reader.consulted().count("SW_CONTACTS"), 0u);
  EXPECT_FLOAT_EQ(w.ISTRESS, 65.0f);
  EXPECT_EQ(w.STRESSMODE, 2);
}

TEST(SwitchImport, BreakerReadsContactFormAndPowerOnly) {
  ImportSetup s;
  mapSwitchKeywords(s, "CircuitBreaker", "3PST", "Manual");
  CSwitch w;
  ASSERT_TRUE(w.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(w.TYPE, 15);
  EXPECT_EQ(w.CONTACT, 3);  // "3PST" is entry 3 of the breaker list (4 of the switch list)
  EXPECT_EQ(w.POWER, 2);
  for (const char* unread : {"SW_CONTACTS", "SW_LOAD", "SW_IMAX", "SW_IOP", "SW_STRESSMODE", "SW_ISTRESS"}) {
    EXPECT_EQ(s.reader.consulted().count(unread), 0u) << unread;
  }
}

TEST(SwitchImport, NamedFormOnTheSwitchList) {
  ImportSetup s;
  mapSwitchKeywords(s, "Pushbutton", "3PST", "Calc=Iop/Imax");
  CSwitch w;
  ASSERT_TRUE(w.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(w.CONTACT, 4);
  EXPECT_FLOAT_EQ(w.CONTACTS, 2.0f);  // only read for "Other"
}

TEST(SwitchImport, OperatingCurrentLimitedToImax) {
  ImportSetup s;
  mapSwitchKeywords(s, "Toggle", "SPST", "Calc=Iop/Imax");
  s.map("SW_IOP", 10, 50.0);
  CSwitch w;
  ASSERT_TRUE(w.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_FLOAT_EQ(w.IOP, 5.0f);
  EXPECT_FLOAT_EQ(w.ISTRESS, 100.0f);
}

TEST(SwitchImport, HybridPartDoesNotReadQuality) {
  ImportSetup s;
  mapSwitchKeywords(s, "Toggle", "SPST", "Calc=Iop/Imax");
  dropKeyword(s, "SW_QU");
  CSwitch w;
  w.IS_HYBRID = 1;
  ASSERT_TRUE(w.ImportFields(s.reader, false, false, 25.0f));
  EXPECT_EQ(w.QU, 1);

  ImportSetup circuit;
  mapSwitchKeywords(circuit, "Toggle", "SPST", "Calc=Iop/Imax");
  dropKeyword(circuit, "SW_QU");
  CSwitch c;
  EXPECT_FALSE(c.ImportFields(circuit.reader, false, false, 25.0f));
  EXPECT_EQ(c.TYPE, 14);  // read before the failure
  EXPECT_EQ(c.CONTACT, 3);  // after it: not read
}

// ---- What-If? ----------------------------------------------------------------

struct WhatIfCase {
  const char* label;
  std::uint8_t type;
  bool hybrid;
  std::uint8_t qualityMode, stressMode;
  float value;
  std::uint8_t expectedQuality, expectedMode;
  float expectedStress;
};

class SwitchWhatIf : public ::testing::TestWithParam<WhatIfCase> {};

TEST_P(SwitchWhatIf, QualityAndStressRules) {
  const WhatIfCase& c = GetParam();
  CSwitch s;  // Iop 0.1 A, Imax 1 A, stress 10 %, MIL
  s.TYPE = c.type;
  s.IS_HYBRID = c.hybrid ? 1 : 0;
  s.STRESSMODE = 2;
  s.ISTRESS = 30.0f;
  WhatIfSettings w;
  w.qualityMode = c.qualityMode;
  w.qualityLevel = c.value;
  w.stressMode = c.stressMode;
  w.stressValue = c.value;
  s.ApplyWhatIf(w);
  EXPECT_EQ(s.QU, c.expectedQuality);
  EXPECT_EQ(s.STRESSMODE, c.expectedMode);
  EXPECT_FLOAT_EQ(s.ISTRESS, c.expectedStress);
}

INSTANTIATE_TEST_SUITE_P(Rules, SwitchWhatIf,
                         ::testing::Values(
                             WhatIfCase{"DecreaseQualityStopsAtLower", 7, false, Decrease, NoChange, 5, 2, 2, 30},
                             WhatIfCase{"HybridQualityUnchanged", 7, true, Decrease, NoChange, 5, 1, 2, 30},
                             // 0.1 / 1 x 100 = 10
                             WhatIfCase{"SetToCalcMode", 14, false, NoChange, SetToCalcMode, 0, 1, 1, 10},
                             WhatIfCase{"IncreaseStress", 3, false, NoChange, Increase, 25, 1, 2, 55},
                             WhatIfCase{"BreakerStressUnchanged", 15, false, SetDirect, SetDirect, 2, 2, 2, 30}),
                         labelOf<WhatIfCase>);

// ---- Update ------------------------------------------------------------------

TEST(SwitchUpdate, CopiesLoadCurrentAndStress) {
  CSwitch own;
  own.TYPE = 14;
  own.CONTACT = 6;
  own.QU = 2;
  own.IMAX = 2.0f;
  CSwitch other;
  other.TYPE = 7;
  other.CONTACT = 2;
  other.QU = 1;
  other.LOAD = 3;
  other.IMAX = 10.0f;
  other.IOP = 5.0f;
  other.STRESSMODE = 1;
  other.ISTRESS = 50.0f;
  own.UpdateAppParams(other);
  EXPECT_EQ(own.LOAD, 3);
  EXPECT_FLOAT_EQ(own.IOP, 2.0f);       // limited to own Imax
  EXPECT_FLOAT_EQ(own.ISTRESS, 100.0f);  // 2 / 2 x 100
  EXPECT_EQ(own.TYPE, 14);
  EXPECT_EQ(own.CONTACT, 6);
  EXPECT_EQ(own.QU, 2);
  EXPECT_FLOAT_EQ(own.IMAX, 2.0f);

  other.STRESSMODE = 2;
  other.ISTRESS = 12.0f;
  other.IOP = 1.0f;
  own.UpdateAppParams(other);
  EXPECT_FLOAT_EQ(own.IOP, 1.0f);
  EXPECT_EQ(own.STRESSMODE, 2);
  EXPECT_FLOAT_EQ(own.ISTRESS, 12.0f);

  CMisc misc;
  own.UpdateAppParams(misc);
  EXPECT_EQ(own.LOAD, 3);
}

// ---- Copy and file round trip -------------------------------------------------

void fill(CSwitch& s) {
  s.PN = "MS24523-23";
  s.REFDES = "S1";
  s.PART_TYPE = 503;
  s.CF = 0.75f;
  s.FR = 0.5f;
  s.S = 12.0f;
  s.T = 40.0f;
  s.OverFlags = OverTemp;
  s.TYPE = 14;
  s.POWER = 2;
  s.CONTACT = 10;
  s.CONTACTS = 16.0f;
  s.QU = 2;
  s.LOAD = 3;
  s.IMAX = 7.5f;
  s.IOP = 0.9f;
  s.STRESSMODE = 2;
  s.ISTRESS = 12.0f;
  s.LB = 0.1f;
  s.PIL = 1.4f;
  s.PIC = 2.5f;
  s.PIU = 1.0f;
  s.PIQ = 2.0f;
  s.PIE = 46.0f;
}

TEST(SwitchCopyAndArchive, OwnFieldsWrittenInFileOrder) {
  // type, power, form (bytes), contacts, quality, load (bytes), Imax, Iop, mode (byte), stress, then six
  // factors: 3 + 4 + 2 + 8 + 1 + 4 + 24 = 46 bytes
  CSwitch s;
  fill(s);
  const std::vector<std::uint8_t> b = test::ownBytes(s);
  ASSERT_EQ(b.size(), 46u);
  EXPECT_EQ(b[0], 14);
  EXPECT_EQ(b[1], 2);
  EXPECT_EQ(b[2], 10);
  EXPECT_FLOAT_EQ(test::floatAt(b, 3), 16.0f);
  EXPECT_EQ(b[7], 2);
  EXPECT_EQ(b[8], 3);
  EXPECT_FLOAT_EQ(test::floatAt(b, 9), 7.5f);
  EXPECT_FLOAT_EQ(test::floatAt(b, 13), 0.9f);
  EXPECT_EQ(b[17], 2);
  EXPECT_FLOAT_EQ(test::floatAt(b, 18), 12.0f);
  const float factors[] = {0.1f, 1.4f, 2.5f, 1.0f, 2.0f, 46.0f};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(test::floatAt(b, 22 + 4 * i), factors[i]) << i;
}

// ---- Text lines --------------------------------------------------------------

TEST(SwitchTextLines, DefaultPushbuttonLines) {
  CSwitch s;
  CCircHeader h = header(1, 25);
  s.Calculate(h);
  const test::Lines l = test::linesOf(s, "> ");
  // "%s%-20s  %-8s  %-11s  %-9s  %-11s"
  EXPECT_EQ(l.detail1, "> Pushbutton            Qu:MIL    SPDT         Resistive             ");
  // "%s%-14s  %-13s  %-26s"
  EXPECT_EQ(l.detail2, "> Imax:1.00000A   Iop:0.100000A  Istr:10.00%(Calc=Iop/Imax)");
  EXPECT_EQ(l.factors1, "> FR=    LB    *   PIL    *   PIC    * PIQ *  PIE   *   PICF  ");
  // LB 0.100000, PIL 1.01575, PIC 1.25701 (8,6 capped at 5), PIQ 1.0 (3,1), PIE 1.00 (6,2), CF 1.00000
  EXPECT_EQ(l.factors2, ">     0.100000   1.01575    1.25701    1.0   1.00     1.00000 ");
}

TEST(SwitchTextLines, OtherContactsAndBreakerLines) {
  CSwitch s;
  s.TYPE = 14;
  s.CONTACT = 10;
  s.CONTACTS = 24.0f;
  s.QU = 2;
  s.LOAD = 2;
  EXPECT_EQ(test::linesOf(s).detail1, "Toggle                Qu:Lower  Contacts:24  Inductive             ");

  CSwitch b;
  b.TYPE = 15;
  b.CONTACT = 3;
  b.QU = 2;
  CCircHeader h = header(1, 25);
  b.Calculate(h);
  const test::Lines l = test::linesOf(b);
  EXPECT_EQ(l.detail1, "CircuitBreaker        Qu:Lower  3PST                    PowerSwitch");
  EXPECT_EQ(l.detail2, std::string(14 + 2 + 13 + 2 + 26, ' '));
  EXPECT_EQ(l.factors1, "FR=    LB    * PIC * PIU * PIQ *  PIE  *   PICF  ");
  // LB 0.340000; PIC 3.0; PIU 10.0 (written four wide); PIQ 8.4; PIE 1.00; CF 1.00000
  EXPECT_EQ(l.factors2, "    0.340000   3.0   10.0   8.4   1.00    1.00000 ");

  b.POWER = 2;
  b.IS_HYBRID = 1;
  EXPECT_EQ(test::linesOf(b).detail1, "CircuitBreaker                  3PST                               ");
}

struct LineCase {
  const char* label;
  std::uint8_t type;
  float value;
  std::size_t prefixLength;
};

class SwitchTextLinesBounded : public ::testing::TestWithParam<LineCase> {};

TEST_P(SwitchTextLinesBounded, EveryLineAtMost132Characters) {
  const LineCase& c = GetParam();
  CSwitch s;
  s.TYPE = c.type;
  s.CONTACT = 10;
  s.CONTACTS = s.IMAX = s.IOP = s.ISTRESS = s.CF = c.value;
  s.LB = s.PIL = s.PIC = s.PIU = s.PIQ = s.PIE = c.value;
  const test::Lines l = test::linesOf(s, std::string(c.prefixLength, '>'));
  for (const std::string* line : {&l.detail1, &l.detail2, &l.factors1, &l.factors2}) {
    EXPECT_LE(line->size(), 132u);
    EXPECT_FALSE(line->empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Extremes, SwitchTextLinesBounded,
                         ::testing::Values(LineCase{"HugeToggle", 14, 3e38f, 0},
                                           LineCase{"HugeBreaker", 15, 3e38f, 0},
                                           LineCase{"NotANumberToggle", 14, kNaNf, 0},
                                           LineCase{"TinyNegativeLongPrefix", 7, -1e-30f, 200},
                                           LineCase{"TypePastList", 77, 3e38f, 131}),
                         labelOf<LineCase>);

// ---- Editing page ------------------------------------------------------------

TEST(SwitchPage, FieldsInPageOrder) {
  CSwitch s;
  s.TYPE = 14;
  s.CONTACT = 10;
  test::RecordingVisitor v;
  s.paramPage(v);
  const std::vector<std::string> order = {"SW_TYPE",  "SW_QU",   "SW_CONTACT", "SW_CONTACTS",   "SW_LOAD",
                                          "SW_POWER", "SW_IMAX", "SW_IOP",     "SW_STRESSMODE", "SW_ISTRESS"};
  EXPECT_EQ(v.keywords(), order);
  EXPECT_TRUE(v.find("SW_CONTACTS")->applies);
  EXPECT_FALSE(v.find("SW_POWER")->applies);
  EXPECT_FALSE(v.find("SW_ISTRESS")->applies);
  EXPECT_DOUBLE_EQ(v.find("SW_IOP")->hi, 1.0);
  EXPECT_FLOAT_EQ(s.ISTRESS, 10.0f);

  CSwitch b;
  b.TYPE = 15;
  b.IS_HYBRID = 1;
  test::RecordingVisitor w;
  b.paramPage(w);
  for (const test::SeenField& f : w.seen) {
    const bool expected = f.keyword == "SW_TYPE" || f.keyword == "SW_CONTACT" || f.keyword == "SW_POWER";
    EXPECT_EQ(f.applies, expected) << f.keyword;
  }
}

}  // namespace
}  // namespace kestrel
