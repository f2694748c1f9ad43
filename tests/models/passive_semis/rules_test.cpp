// Class rules of the passive and discrete semiconductor records that no walk
// over the registry can know: the file layout of each class's own fields,
// import limits that depend on a field just read, What-If? and Update rules,
// the default surface-mount rise, entry ranges that follow another field, and
// the text lines. Records are set up through their keyword import and read
// back by keyword.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/whatif.hpp"
#include "models/micro_electromech/junction_temp.hpp"
#include "models/model_test_support.hpp"
#include "support/golden.hpp"

namespace kestrel {
namespace {

using test::created;
using test::header;
using test::logged;
using test::near;
using test::ownBytes;
using test::settingsOf;

// A record with `settings` imported; every setting must be a keyword the import reads.
std::unique_ptr<CPart> imported(std::string_view cls, std::string_view settings, bool hybrid = false) {
  test::Worked w = test::imported(cls, std::string(hybrid ? "HYB=1 " : "") + std::string(settings));
  EXPECT_TRUE(w.imported) << settings;
  EXPECT_TRUE(w.unread.empty()) << w.unread.front() << " not read by " << cls;
  return std::move(w.part);
}

// ---- import rules ------------------------------------------------------------

struct ImportRule {
  const char* cls;
  const char* settings;  // "K=!" drops a keyword from the definition
  bool succeeds;
  const char* expected;  // stored fields afterwards
  const char* logLine = "";
  bool hybrid = false;
};

TEST(PassiveRecords, ImportRules) {
  const ImportRule rules[] = {
      // the computed stress is Pd / Pmax of the values just read; the stress keyword is not read
      {"CResistor", "RES_TYPE=12 RES_QU=2 RES_PMAX=2 RES_PD=0.5 RES_STRESSMODE=1 RES_PSTRESS=! RES_TRISE=30",
       true, "RES_TYPE=12 RES_QU=2 RES_PSTRESS=25 RES_TRISE=30"},
      {"CResistor", "RES_STRESSMODE=2 RES_PSTRESS=90", true, "RES_PSTRESS=90"},
      {"CResistor", "RES_STRESSMODE=2 RES_PSTRESS=! RES_TRISE=30", false, "RES_TRISE=0"},
      // Pd above the Pmax just read is limited to it; Pmax 0 is raised to the smallest rating
      {"CResistor", "RES_PMAX=0.5 RES_PD=3 RES_STRESSMODE=1", true, "RES_PD=0.5 RES_PSTRESS=100", "'RES_PD'"},
      {"CResistor", "RES_PMAX=0 RES_PD=0 RES_STRESSMODE=1", true, "RES_PMAX=0.01 RES_PSTRESS=0"},
      // the first missing keyword ends the import: what came before it is read, nothing after it
      {"CResistor", "RES_TYPE=12 RES_QU=! RES_PMAX=2", false, "RES_TYPE=12 RES_PMAX=0.25",
       "   ...Error: keyword not found ('RES_QU')."},
      {"CPotentiometer", "POT_TYPE=5 POT_PMAX=2 POT_PD=3 POT_STRESSMODE=1 POT_TRISE=200", true,
       "POT_TYPE=5 POT_PD=2 POT_PSTRESS=100 POT_TRISE=150", "'POT_PD'"},
      {"CCapacitor", "CAP_TYPE=21 CAP_VMAX=100 CAP_VOP=30 CAP_STRESSMODE=1 CAP_VSTRESS=! CAP_CIRCR=0.3", true,
       "CAP_VSTRESS=30 CAP_CIRCR=0.3"},
      // only the solid tantalum styles read the circuit resistance
      {"CCapacitor", "CAP_TYPE=22 CAP_CIRCR=0.3", true, "CAP_CIRCR=0.3"},
      {"CCapacitor", "CAP_TYPE=21 CAP_CIRCR=!", false, "CAP_CIRCR=0.7"},
      {"CCapacitor", "CAP_TYPE=23 CAP_CIRCR=!", true, "CAP_CIRCR=0.7"},
      {"CCapacitor", "CAP_VMAX=16 CAP_VOP=50 CAP_STRESSMODE=1", true, "CAP_VOP=16 CAP_VSTRESS=100",
       "'CAP_VOP'"},
      {"CCapacitor", "CAP_TYPE=21 CAP_CAP=0 CAP_VMAX=0 CAP_VOP=0 CAP_STRESSMODE=1 CAP_TRISE=400 CAP_CIRCR=12",
       true, "CAP_CAP=0.000001 CAP_VMAX=0.01 CAP_VSTRESS=0 CAP_TRISE=150 CAP_CIRCR=9"},
      {"CCapacitor", "CAP_CAP=4.7 CAP_QU=! CAP_VMAX=100", false, "CAP_CAP=4.7 CAP_VMAX=50"},
      // the quality is read against the list of the type just read: "Lower" is 2 for a transformer
      {"CInductive", "IND_TYPE=3 IND_QU=Lower", true, "IND_TYPE=3 IND_QU=2"},
      {"CInductive", "IND_TYPE=6 IND_QU=Lower", true, "IND_TYPE=6 IND_QU=6"},
      {"CDiode",
       "DIO_FAMILY=1 DIO_TYPE=5 DIO_JUNCTIONS=7 DIO_RATING=! DIO_VMAX=200 DIO_VOP=50 DIO_STRESSMODE=1 "
       "DIO_VSTRESS=!",
       true, "DIO_JUNCTIONS=7 DIO_VSTRESS=25"},
      {"CDiode",
       "DIO_FAMILY=3 DIO_TYPE=! DIO_CONTACTS=! DIO_JUNCTIONS=! DIO_RATING=25 DIO_VMAX=200 DIO_VOP=300 "
       "DIO_STRESSMODE=2 DIO_VSTRESS=66",
       true, "DIO_RATING=25 DIO_VOP=200 DIO_VSTRESS=66", "'DIO_VOP'"},
      // Plastic is not on the Schottky list: no match, the valid Lower stays
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=5 DIO_QU=Plastic", true, "DIO_QU=4", "'DIO_QU' has no choice match"},
      {"CTransistor",
       "TR_TYPE=2 TR_APP=2 TR_QU=3 TR_PMAX=2 TR_VCEO=60 TR_VCE=45 TR_STRESSMODE=1 TR_VSTRESS=! "
       "TR_TEMPMODE=3 TR_TJA=35",
       true, "TR_VSTRESS=75 TR_TJA=35"},
      {"CTransistor", "TR_TYPE=1 TR_VCEO=60 TR_VCE=80 TR_STRESSMODE=2 TR_VSTRESS=90", true,
       "TR_VCE=60 TR_VSTRESS=90", "'TR_VCE'"},
      // a FET reads its rating only for power use; "Power" is no bipolar application
      {"CTransistor", "TR_TYPE=3 TR_APP=3 TR_PMAX=2 TR_VCEO=! TR_VCE=! TR_STRESSMODE=! TR_VSTRESS=!", true,
       "TR_PMAX=2"},
      {"CTransistor", "TR_TYPE=3 TR_APP=1 TR_PMAX=! TR_VCEO=!", true, "TR_PMAX=1"},
      {"CTransistor", "TR_TYPE=1 TR_APP=Power", true, "TR_APP=1", "'TR_APP' has no choice match"},
      {"CTransistor", "TR_APP=2 TR_QU=! TR_PMAX=2", false, "TR_APP=2 TR_PMAX=1"},
      // 20 W is past the low-noise power range; Vop is limited to the Vmax just read
      {"CMTrans", "MTR_TYPE=1 MTR_POWER=20 MTR_VMAX=40 MTR_VOP=50 MTR_STRESSMODE=1", true,
       "MTR_POWER=0.9999 MTR_VOP=40 MTR_VSTRESS=100", "'MTR_VOP'"},
      {"CMTrans", "MTR_TYPE=2 MTR_APP=1 MTR_DC=!", true, "MTR_DC=10"},
      {"CMTrans", "MTR_TYPE=2 MTR_MATCH=3 MTR_QU=! MTR_METAL=2", false, "MTR_MATCH=3 MTR_METAL=1"},
      {"COpto", "OPTO_FAMILY=5 OPTO_TYPE=2 OPTO_CHAR=12 OPTO_LOGIC=1", true, "OPTO_CHAR=12 OPTO_LOGIC=1"},
      {"COpto", "OPTO_FAMILY=3 OPTO_TYPE=3 OPTO_CHAR=! OPTO_LOGIC=!", true, "OPTO_TYPE=3 OPTO_CHAR=1"},
      // a type of another family's list matches nothing; the stored 4 is past the emitter list: #1
      {"COpto", "^OPTO_TYPE=4 OPTO_FAMILY=4 OPTO_TYPE=PhotoResistor", true, "OPTO_TYPE=1",
       "'OPTO_TYPE' set to default (#1) choice"},
      // the required power is limited to 0.95 of the rated power just read; CW reads no duty cycle
      {"CLaserDiode", "LASDIO_APP=1 LASDIO_DC=! LASDIO_PMAX=200 LASDIO_PREQ=199", true,
       "LASDIO_PREQ=190 LASDIO_DC=25", "'LASDIO_PREQ'"},
      {"CLaserDiode", "LASDIO_TYPE=2 LASDIO_QU=! LASDIO_APP=1", false, "LASDIO_TYPE=2 LASDIO_APP=2"},
      {"CCrystal", "CRYS_FREQ=450 CRYS_QU=Lower", true, "CRYS_FREQ=300 CRYS_QU=2"},
      {"CLamp", "LAMP_VOLTS=0.01 LAMP_APP=DC LAMP_UTILDC=75", true,
       "LAMP_VOLTS=0.1 LAMP_APP=2 LAMP_UTILDC=75"},
      {"CFilter", "FILT_FAMILY=BandPass FILT_TYPE=DiscreteLC/Crystal", true, "FILT_FAMILY=4 FILT_TYPE=2"},
      {"CMDev", "MDEV_TYPE=DummyLoad MDEV_RATING=100W-1000W", true, "MDEV_TYPE=3 MDEV_RATING=2"},
      {"CMDev", "MDEV_TYPE=PhaseShifter MDEV_RATING=!", true, "MDEV_TYPE=2"},
      {"CMDev", "MDEV_TYPE=Isolator/Circulator MDEV_RATING=!", false, "MDEV_TYPE=1"},
  };
  for (const ImportRule& rule : rules) {
    SCOPED_TRACE(std::string(rule.cls) + " " + rule.settings);
    test::Worked w = test::imported(rule.cls, std::string(rule.hybrid ? "HYB=1 " : "") + rule.settings);
    auto& part = w.part;
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(w.imported, rule.succeeds);
    test::expectFields(*part, rule.expected);
    if (*rule.logLine != '\0') {
      EXPECT_TRUE(logged(w.log, rule.logLine));
    }
    if (!rule.succeeds) {
      EXPECT_TRUE(logged(w.log, "keyword not found"));
      continue;
    }
    // what the import limited lies inside the entry ranges the calculation checks
    CCircHeader h = header(1, 25);
    part->Calculate(h);
    EXPECT_EQ(part->OverFlags & EntryOverRange, 0u);
  }
}

// A junction or case temperature given in the override keyword sets the block's mode and rise.
TEST(PassiveRecords, TemperatureOverrideOfTheJunctionBlock) {
  struct Case {
    const char* cls;
    const char* keyword;
    std::uint8_t option;
    const char* expected;
  };
  // TJUNC 90 at Ta 40: Tj from a junction rise of 50; TCASE 90: Tj from a case rise of 50
  const Case cases[] = {{"CDiode", "DIO_TEMP", kOverrideJunction, "DIO_TEMPMODE=3 DIO_TJA=50"},
                        {"CTransistor", "TR_TEMP", kOverrideCase, "TR_TEMPMODE=2 TR_TCA=50"},
                        {"CTransistor", "TR_TEMP", 0, ""}};  // no value type: the record fails
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword + std::to_string(c.option));
    auto part = created(c.cls);
    test::ImportSetup setup;
    setup.map(c.keyword, 1, 90.0);
    for (CKwd& k : setup.kwds) {
      if (k.name == c.keyword) k.valueOption = c.option;
    }
    EXPECT_EQ(part->ImportFields(setup.reader, false, false, 40.0f), c.option != 0);
    test::expectFields(*part, c.expected);
  }
}

// ---- What-If? and Update ------------------------------------------------------

struct WhatIfRule {
  const char* cls;
  const char* settings;
  std::uint8_t qualityMode;
  float qualityLevel;
  std::uint8_t stressMode;
  float stressValue;
  const char* expected;
  bool hybrid = false;
};

TEST(PassiveRecords, WhatIfRules) {
  const char* res = "RES_QU=3 RES_PMAX=0.25 RES_PD=0.1 RES_STRESSMODE=2 RES_PSTRESS=75";
  const char* dio =
      "DIO_FAMILY=1 DIO_TYPE=4 DIO_QU=4 DIO_VMAX=75 DIO_VOP=37.5 DIO_STRESSMODE=2 DIO_VSTRESS=10";
  const WhatIfRule rules[] = {
      // quality moves within its list; Increase means a better (lower) level
      {"CResistor", res, Increase, 2, NoChange, 0, "RES_QU=1 RES_STRESSMODE=2 RES_PSTRESS=75"},
      {"CResistor", res, Decrease, 5, NoChange, 0, "RES_QU=6"},
      {"CResistor", res, SetDirect, 9, NoChange, 0, "RES_QU=6"},
      // back to the computed mode gives Pd / Pmax; a stress set or changed is manual, within 0..100
      {"CResistor", res, NoChange, 0, SetToCalcMode, 0, "RES_QU=3 RES_STRESSMODE=1 RES_PSTRESS=40"},
      {"CResistor", res, NoChange, 0, Increase, 30, "RES_STRESSMODE=2 RES_PSTRESS=100 RES_PD=0.1"},
      {"CResistor", res, NoChange, 0, Decrease, 80, "RES_PSTRESS=0"},
      {"CResistor", "RES_STRESSMODE=2", SetDirect, 1, SetDirect, 60, "RES_QU=5 RES_PSTRESS=60",
       true},  // hybrid: quality stays
      {"CCapacitor", "CAP_QU=8 CAP_VMAX=50 CAP_VOP=20 CAP_STRESSMODE=2 CAP_VSTRESS=75", Decrease, 3,
       SetToCalcMode, 0, "CAP_QU=9 CAP_STRESSMODE=1 CAP_VSTRESS=40 CAP_VOP=20"},
      {"CInductive", "IND_TYPE=6 IND_QU=2", Decrease, 9, NoChange, 0, "IND_QU=6"},
      {"CInductive", "IND_TYPE=4 IND_QU=1", Decrease, 9, NoChange, 0, "IND_QU=2"},  // transformers: 2 levels
      // the Schottky list ends at Lower, the others at Plastic; regulators and high frequency have no stress
      {"CDiode", dio, Decrease, 3, SetToCalcMode, 0, "DIO_QU=5 DIO_STRESSMODE=1 DIO_VSTRESS=50"},
      {"CDiode", "DIO_FAMILY=2 DIO_TYPE=5 DIO_QU=4", Decrease, 3, NoChange, 0, "DIO_QU=4"},
      {"CDiode", "^DIO_STRESSMODE=2 ^DIO_VSTRESS=10 DIO_FAMILY=1 DIO_TYPE=6 DIO_QU=4", NoChange, 0,
       SetToCalcMode, 0, "DIO_STRESSMODE=2 DIO_VSTRESS=10"},
      {"CDiode", "DIO_FAMILY=3 DIO_QU=4 DIO_STRESSMODE=2 DIO_VSTRESS=10", Increase, 2, Increase, 20,
       "DIO_QU=2 DIO_VSTRESS=30"},
      {"CTransistor", "TR_TYPE=2 TR_QU=4 TR_VCEO=60 TR_VCE=45 TR_STRESSMODE=2 TR_VSTRESS=10", Increase, 9,
       SetToCalcMode, 0, "TR_QU=1 TR_STRESSMODE=1 TR_VSTRESS=75"},
      {"CTransistor", "TR_TYPE=3 TR_QU=4", Decrease, 9, SetDirect, 70, "TR_QU=5 TR_VSTRESS=50"},
      {"CMTrans", "MTR_TYPE=5 MTR_QU=4", SetDirect, 9, NoChange, 0, "MTR_QU=4"},
      {"CMTrans", "MTR_TYPE=1 MTR_QU=4 MTR_VMAX=40 MTR_VOP=30 MTR_STRESSMODE=2 MTR_VSTRESS=50", Increase, 2,
       SetToCalcMode, 0, "MTR_QU=2 MTR_STRESSMODE=1 MTR_VSTRESS=75"},
      {"CMTrans", "MTR_TYPE=3 MTR_QU=4", NoChange, 0, SetDirect, 70, "MTR_VSTRESS=50.9"},
      {"COpto", "OPTO_QU=5", Increase, 3, SetDirect, 10, "OPTO_QU=2"},
      {"COpto", "OPTO_QU=5", SetDirect, 0, NoChange, 0, "OPTO_QU=1"},
      {"CLaserDiode", "LASDIO_QU=1", SetDirect, 3, SetDirect, 10, "LASDIO_QU=1"},  // no What-If? rule
      {"CCrystal", "CRYS_QU=1", Decrease, 5, NoChange, 0, "CRYS_QU=2"},
      {"CMeter", "METER_QU=2", Increase, 1, NoChange, 0, "METER_QU=1"},
  };
  for (const WhatIfRule& rule : rules) {
    SCOPED_TRACE(std::string(rule.cls) + " " + rule.settings + " -> " + rule.expected);
    auto part = imported(rule.cls, rule.settings, rule.hybrid);
    WhatIfSettings s;
    s.qualityMode = rule.qualityMode;
    s.qualityLevel = rule.qualityLevel;
    s.stressMode = rule.stressMode;
    s.stressValue = rule.stressValue;
    part->ApplyWhatIf(s);
    test::expectFields(*part, rule.expected);
  }
}

struct UpdateRule {
  const char* cls;
  const char* own;
  const char* other;
  const char* expected;
};

// Update takes the application (dissipation, stress, rise, thermal block but
// its Rjc) from a record of the same class and keeps the part's own choices and ratings.
TEST(PassiveRecords, UpdateRules) {
  const char* res = "RES_TYPE=12 RES_RES=47 RES_QU=1 RES_PMAX=0.25 RES_PD=0.01";
  const char* cap = "CAP_TYPE=21 CAP_CAP=22 CAP_QU=2 CAP_CIRCR=0.2 CAP_VMAX=50";
  const char* dio = "DIO_FAMILY=2 DIO_TYPE=4 DIO_QU=1 DIO_RATING=20 DIO_TEMPMODE=1 DIO_RJC=11";
  const char* tr = "TR_TYPE=3 TR_APP=3 TR_QU=1 TR_PMAX=20 TR_TEMPMODE=1 TR_RJC=11";
  const UpdateRule rules[] = {
      // a dissipation above the part's own rating is limited to it
      {"CResistor", res, "RES_TYPE=3 RES_QU=6 RES_PMAX=10 RES_PD=0.5 RES_STRESSMODE=1 RES_TRISE=40",
       "RES_PD=0.25 RES_PSTRESS=100 RES_TRISE=40 RES_TYPE=12 RES_RES=47 RES_QU=1 RES_PMAX=0.25"},
      {"CResistor", res, "RES_PMAX=10 RES_PD=0.05 RES_STRESSMODE=1", "RES_PD=0.05 RES_PSTRESS=20"},
      {"CResistor", res, "RES_PMAX=10 RES_PD=0.1 RES_STRESSMODE=2 RES_PSTRESS=66",
       "RES_STRESSMODE=2 RES_PSTRESS=66"},
      {"CPotentiometer", "POT_TYPE=3 POT_QU=1 POT_PMAX=0.5", "POT_TYPE=9 POT_PMAX=10 POT_PD=2 POT_TRISE=18",
       "POT_TYPE=3 POT_PD=0.5 POT_PSTRESS=100 POT_TRISE=18"},
      {"CCapacitor", cap,
       "^CAP_CIRCR=0.9 CAP_TYPE=17 CAP_QU=9 CAP_VMAX=1000 CAP_VOP=80 CAP_STRESSMODE=1 CAP_TRISE=33",
       "CAP_VOP=50 CAP_VSTRESS=100 CAP_TRISE=33 CAP_CIRCR=0.9 CAP_TYPE=21 CAP_CAP=22 CAP_QU=2 CAP_VMAX=50"},
      {"CInductive", "IND_TYPE=4", "IND_TYPE=6 IND_QU=5 IND_TRISE=12", "IND_TYPE=4 IND_QU=1 IND_TRISE=12"},
      {"CDiode", dio,
       "DIO_FAMILY=1 DIO_TYPE=1 DIO_QU=5 DIO_VMAX=500 DIO_VOP=80 DIO_STRESSMODE=1 DIO_TEMPMODE=3 "
       "DIO_TJA=40",
       "DIO_VOP=75 DIO_STRESSMODE=1 DIO_TEMPMODE=3 DIO_TJA=40 DIO_RJC=11 DIO_FAMILY=2 "
       "DIO_TYPE=4 DIO_QU=1 DIO_RATING=20"},
      {"CTransistor", tr, "TR_TYPE=1 TR_QU=5 TR_VCEO=500 TR_VCE=80 TR_STRESSMODE=1 TR_TEMPMODE=3 TR_TJA=40",
       "TR_VCE=80 TR_TEMPMODE=3 TR_TJA=40 TR_RJC=11 TR_TYPE=3 TR_APP=3 TR_QU=1 TR_PMAX=20"},
      // power only for the high-power types
      {"CMTrans", "MTR_TYPE=2 MTR_POWER=20 MTR_VMAX=60",
       "^MTR_DC=33 ^MTR_POWER=0.5 MTR_TYPE=1 MTR_VMAX=99 MTR_VOP=80",
       "MTR_TYPE=2 MTR_DC=33 MTR_POWER=0.5 MTR_VOP=60"},
      {"CMTrans", "^MTR_POWER=20 MTR_TYPE=4", "^MTR_DC=33 ^MTR_POWER=0.5 MTR_TYPE=1",
       "MTR_DC=33 MTR_POWER=20"},
      {"COpto", "OPTO_TEMPMODE=1 OPTO_RJC=11",
       "OPTO_FAMILY=5 OPTO_TYPE=2 OPTO_CHAR=40 OPTO_QU=1 OPTO_TEMPMODE=2 "
       "OPTO_PD=0.5 OPTO_RJC=99 OPTO_TCA=30",
       "OPTO_FAMILY=4 OPTO_CHAR=1 OPTO_QU=5 OPTO_TEMPMODE=2 OPTO_PD=0.5 OPTO_TCA=30 OPTO_RJC=11"},
      {"CLaserDiode", "", "LASDIO_TYPE=2 LASDIO_DC=40 LASDIO_PMAX=200 LASDIO_PREQ=150 LASDIO_TRISE=12",
       "LASDIO_TYPE=1 LASDIO_DC=40 LASDIO_PMAX=1000 LASDIO_PREQ=100 LASDIO_TRISE=12"},
      {"CLamp", "LAMP_VOLTS=12", "LAMP_VOLTS=28 LAMP_APP=2 LAMP_UTILDC=95",
       "LAMP_VOLTS=12 LAMP_APP=1 LAMP_UTILDC=95"},
  };
  for (const UpdateRule& rule : rules) {
    SCOPED_TRACE(std::string(rule.cls) + " " + rule.other);
    auto own = imported(rule.cls, rule.own);
    auto other = imported(rule.cls, rule.other);
    own->UpdateAppParams(*other);
    test::expectFields(*own, rule.expected);
    // a record of another class changes nothing
    const std::vector<std::uint8_t> before = ownBytes(*own);
    own->UpdateAppParams(*created(std::string(rule.cls) == "CLamp" ? "CResistor" : "CLamp"));
    EXPECT_EQ(ownBytes(*own), before);
  }
}

// A zero rating is limited to the smallest entry: no division by zero.
TEST(PassiveRecords, UpdateOfARecordWithoutRating) {
  const UpdateRule rules[] = {{"CResistor", "@RES_PMAX=0", "", "RES_PD=0 RES_PSTRESS=100"},
                              {"CDiode", "@DIO_VMAX=0", "", "DIO_VOP=0 DIO_VSTRESS=100"},
                              {"CTransistor", "@TR_VCEO=0", "", "TR_VCE=0 TR_VSTRESS=100"}};
  for (const UpdateRule& rule : rules) {
    SCOPED_TRACE(rule.cls);
    auto own = imported(rule.cls, rule.own);
    own->UpdateAppParams(*created(rule.cls));
    test::expectFields(*own, rule.expected);
    EXPECT_EQ(own->OverFlags & EntryOverRange, EntryOverRange);
  }
}

// ---- surface mounting, entry ranges, text lines --------------------------------

// The rise a "Default" surface-mount rise mode takes from the part.
TEST(PassiveRecords, DefaultSurfaceMountRise) {
  struct Case {
    const char* cls;
    const char* settings;
    float rise;
  };
  const Case cases[] = {
      {"CResistor", "RES_TRISE=20", 20},
      {"CCapacitor", "CAP_TRISE=20", 20},
      {"CInductive", "IND_TRISE=250 TEMPLIMIT=500", 250},                 // the whole hot-spot rise, past 175
      {"CDiode", "DIO_TEMPMODE=1 DIO_PD=0.5 DIO_RJC=30 DIO_RCA=40", 15},  // Pd x Rjc, not Pd x (Rjc + Rca)
      {"CDiode", "DIO_TEMPMODE=3 DIO_TJA=18", 18},
      {"CTransistor", "TR_TEMPMODE=2 TR_PD=0.5 TR_RJC=20 TR_TCA=10", 10},
      {"CMTrans", "MTR_TYPE=4 MTR_TEMPMODE=1 MTR_TADJ=5 MTR_PD=0.5 MTR_RJC=30 MTR_RCA=40", 15},
      {"COpto", "OPTO_TEMPMODE=3 OPTO_TJA=22", 22},
      {"CLaserDiode", "LASDIO_TRISE=30", 30},
      {"CCrystal", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + c.settings);
    auto part = imported(c.cls, std::string("IS_SMT=1 SMT_TRISEMODE=1 ") + c.settings);
    CCircHeader h = header(1, 25);
    h.HASSMT = 1;
    part->Calculate(h);
    EXPECT_EQ(part->SmtCalcFlag, 1);
    EXPECT_FLOAT_EQ(part->SMT_TEMPRISE, c.rise);
  }
  // The hot-spot rise of 250 reaches the joints: GB (delta_T 7), epoxy/glass (alpha_S 15), plastic
  // (alpha_CC 7), J-lead (h 8, LC 150), d 345, computer (CR 0.17), life 87600 h: strain |15 x 7 - 7 x 257|
  // x 1e-6 = 0.001694; Nf = 3.5 x (345 / 5.2)^-2.26 x 0.001694^-2.26 x 150 = 73368.80; alpha = Nf / 0.17
  // = 431581.2 h; 87600 / 431581.2 = 0.2030 -> ECF 0.23; FRSMT = 0.23 / 431581.2 x 1e6 (175 would give
  // 0.130256)
  auto coil = imported("CInductive", "IS_SMT=1 IND_TRISE=250 TEMPLIMIT=500");
  CCircHeader h = header(1, 25);
  h.HASSMT = 1;
  coil->Calculate(h);
  EXPECT_TRUE(near(coil->FRSMT, 0.532924));
  EXPECT_EQ(coil->OverFlags, 0u);
}

// Entries bounded by another field of the record, and lists that follow another choice.
TEST(PassiveRecords, RangesAndListsFollowOtherFields) {
  struct Case {
    const char* cls;
    const char* settings;
    const char* keyword;
    double hi;
    std::size_t choices;  // 0: a number field
  };
  const Case cases[] = {
      {"CResistor", "RES_PMAX=0.5", "RES_PD", 0.5, 0},
      {"CCapacitor", "CAP_VMAX=40", "CAP_VOP", 40, 0},
      {"CTransistor", "TR_VCEO=40", "TR_VCE", 40, 0},
      {"CMTrans", "MTR_TYPE=1 MTR_VMAX=40", "MTR_VOP", 40, 0},
      {"CMTrans", "MTR_TYPE=1", "MTR_POWER", 0.9999f, 0},
      {"CMTrans", "MTR_TYPE=2", "MTR_POWER", 99999, 0},
      {"CInductive", "IND_TYPE=3", "IND_QU", 0, 2},
      {"CInductive", "IND_TYPE=6", "IND_QU", 0, 6},
      {"COpto", "OPTO_FAMILY=1", "OPTO_TYPE", 0, 2},
      {"COpto", "OPTO_FAMILY=2", "OPTO_TYPE", 0, 4},
      {"CMDev", "MDEV_TYPE=1", "MDEV_RATING", 0, 2},
      {"CMDev", "MDEV_TYPE=3", "MDEV_RATING", 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + c.settings + " " + c.keyword);
    auto part = imported(c.cls, c.settings);
    std::optional<FieldSpec> field;
    test::eachField(*part, [&](const FieldSpec& f, std::string_view, auto&) {
      if (f.keyword == c.keyword) field = f;
    });
    ASSERT_TRUE(field.has_value());
    if (c.choices == 0) {
      EXPECT_DOUBLE_EQ(field->hi, static_cast<double>(static_cast<float>(c.hi)));
    } else {
      ASSERT_NE(field->choices, nullptr);
      EXPECT_EQ(field->choices->count(), c.choices);
    }
  }
}

// A choice past the list of the choice it depends on is taken into that list
// when the record is read (and flagged); the same index may mean another thing.
TEST(PassiveRecords, DependentChoicesOfStoredRecords) {
  const struct {
    const char* cls;
    const char* settings;
    const char* expected;
    double fr;  // at GB 25 C
  } cases[] = {
      // an inductor quality past the transformer list becomes "Lower" (3.0): 0.049 x 3
      {"CInductive", "@IND_TYPE=4 @IND_QU=6", "IND_QU=2", 0.147},
      // dummy load > 1000 W as an isolator: "> 100W" (0.20)
      {"CMDev", "@MDEV_TYPE=1 @MDEV_RATING=3", "MDEV_RATING=2", 0.2},
      // "Plastic" as a Schottky quality: Lower (2.5): 0.027 x 2.5
      {"CDiode", "@DIO_FAMILY=2 @DIO_TYPE=5 @DIO_QU=5", "DIO_QU=4", 0.0675},
      // a low pass filter type past its list: the last, LC and crystal 0.27
      {"CFilter", "@FILT_FAMILY=3 @FILT_TYPE=9", "FILT_TYPE=2", 0.27},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + c.settings);
    auto part = imported(c.cls, c.settings);
    part->normalizeChoices();
    test::expectFields(*part, c.expected);
    EXPECT_EQ(part->OverFlags & EntryOverRange, EntryOverRange);
    CCircHeader h = header(1, 25);
    part->Calculate(h);
    EXPECT_TRUE(near(part->FR, c.fr));
  }
  // a phase shifter has no rating list: its stored rating is left alone
  auto phase = imported("CMDev", "@MDEV_TYPE=2 @MDEV_RATING=3");
  phase->normalizeChoices();
  EXPECT_EQ(phase->OverFlags & EntryOverRange, 0u);
}

// The detail and factor lines of records of each class at GF 25 C: widths,
// decimals, a hybrid's lines without quality, a transistor's thermal line.
TEST(PassiveRecords, TextLines) {
  const test::Record records[] = {
      {"CResistor", "ENV=2"},
      {"CResistor", "ENV=2 HYB=1 RES_TYPE=14 RES_RES=2.2 RES_RESUNIT=3 RES_STRESSMODE=2 RES_PSTRESS=5 RES_TRISE=12.5"},
      {"CCapacitor", "ENV=2"},
      {"CCapacitor", "ENV=2 CAP_TYPE=21 CAP_QU=1 CAP_CAP=0.47"},
      {"CInductive", "ENV=2 IND_TYPE=6 IND_QU=6 IND_TRISE=125.5"},
      {"CDiode", "ENV=2"},
      {"CTransistor", "ENV=2"},
      {"CTransistor", "ENV=2 TR_TYPE=3 TR_APP=3 TR_QU=3 TR_PMAX=20 TR_TEMPMODE=3 TR_TJA=12.5"},  // no voltages
      {"CMTrans", "ENV=2"},
      {"CMTrans",
       "ENV=2 MTR_TYPE=2 MTR_MATCH=2 MTR_METAL=2 MTR_APP=2 MTR_DC=12.5 MTR_QU=1 MTR_FREQ=10.5 MTR_POWER=250"},
      {"COpto", "ENV=2 HYB=1 OPTO_FAMILY=5 OPTO_TYPE=1 OPTO_CHAR=8 OPTO_LOGIC=1 OPTO_TEMPMODE=3 OPTO_TJA=12.5"},
      {"CLaserDiode", "ENV=2"},
      {"CCrystal", "ENV=2"},
      {"CLamp", "ENV=2"},
      {"CMeter", "ENV=2 METER_FUNCTION=2"},
      {"CFilter", "ENV=2 FILT_FAMILY=5 FILT_QU=2"},
      {"CFuse", "ENV=2"},
      {"CMDev", "ENV=2 MDEV_TYPE=2"},
  };
  EXPECT_GOLDEN("text_lines.txt", test::textLines(records));
}

}  // namespace
}  // namespace kestrel
