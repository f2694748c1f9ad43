#include "core/part.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "keywords/import_setup.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

struct StressCase {
  double operating, rated;
  float percent;
  bool flagged;
};

class StressPercent : public ::testing::TestWithParam<StressCase> {};

// A rated value of 0 (or anything not a real positive number) gives 100 %
// with EntryOverRange rather than a division by zero.
TEST_P(StressPercent, NeverDividesByZero) {
  CMisc part;
  const float s = part.stressPercent(GetParam().operating, GetParam().rated);
  EXPECT_FLOAT_EQ(s, GetParam().percent);
  EXPECT_EQ((part.OverFlags & EntryOverRange) != 0, GetParam().flagged);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
INSTANTIATE_TEST_SUITE_P(Cases, StressPercent,
                         ::testing::Values(StressCase{0.1, 0.25, 40.0f, false},
                                           StressCase{0.0, 0.25, 0.0f, false},
                                           StressCase{0.1, 0.0, 100.0f, true},
                                           StressCase{0.1, -2.0, 100.0f, true},
                                           StressCase{0.1, kNaN, 100.0f, true},
                                           StressCase{kNaN, 1.0, 100.0f, true}));

TEST(ChoiceChecks, HeaderEnvironmentOutsideTheListIsLimited) {
  CMisc part;
  CCircHeader h;
  h.ENV = 0;
  EXPECT_EQ(part.checkedEnvironment(h), 1);
  h.ENV = 15;
  EXPECT_EQ(part.checkedEnvironment(h), 14);
  EXPECT_NE(part.OverFlags & EntryOverRange, 0u);
  constexpr std::array<double, 3> table = {0.0, 1.5, 2.5};
  EXPECT_EQ(tableAt(table, 200), 2.5);
}

TEST(ChoiceChecks, EnvironmentListsShowMeaningOtherListsTheirText) {
  EXPECT_EQ(choiceTitle(kEnvironments, 1), "GB - Ground, Benign");
  EXPECT_EQ(choiceTitle(kEnvironments, 9), "AUF - Airborne, Uninhabited, Fighter");
  EXPECT_EQ(choiceTitle(kEnvironments, 14), "CL - Cannon, Launch");
  EXPECT_EQ(choiceTitle(kEnvironments, 15), "");
  EXPECT_EQ(choiceTitle(kSmtLeads, 3), "GullWing");
}

TEST(ChoiceChecks, TypeChangeRefillsAndClampsDependentChoices) {
  CMisc part;
  part.METHOD = 40;
  part.SMT_PKG = 0;
  part.normalizeChoices();
  EXPECT_EQ(part.METHOD, 2);
  EXPECT_EQ(part.SMT_PKG, 1);
  EXPECT_NE(part.OverFlags & EntryOverRange, 0u);
}

TEST(BaseImport, NewPnReplacesPartNumberOnlyWhenMapped) {
  test::ImportSetup in;
  in.map("PN", 1, std::string("abc-1"));
  in.map("REFDES", 2, std::string("r12"));
  in.map("QTY", 3, 5000.0);
  CMisc part;
  ASSERT_TRUE(part.ImportFields(in.reader, false, false, 25.0f));
  EXPECT_EQ(part.PN, "ABC-1");
  EXPECT_EQ(part.REFDES, "R12");
  EXPECT_EQ(part.QTY, 999.0f);  // clamped to the whole-number range

  in.map("NEWPN", 4, std::string("new-7"));
  ASSERT_TRUE(part.ImportFields(in.reader, false, false, 25.0f));
  EXPECT_EQ(part.PN, "NEW-7");

  part.PN = "KEEP";
  ASSERT_TRUE(part.ImportFields(in.reader, true, false, 25.0f));  // skip identity
  EXPECT_EQ(part.PN, "KEEP");
}

TEST(BaseImport, SmtFieldsReadOnlyWhenAllowedAndByTheirConditions) {
  test::ImportSetup in;
  in.map("IS_SMT", 1, 1.0);
  in.map("SMT_LEAD", 2, std::string("gullwing"));
  in.map("SMT_HT", 3, 7.0);
  in.map("SMT_TRISEMODE", 4, std::string("Manual"));
  in.map("SMT_TEMPRISE", 5, 300.0);
  CMisc part;
  ASSERT_TRUE(part.ImportFields(in.reader, false, false, 25.0f));
  EXPECT_EQ(part.IS_SMT, 0);  // not a circuit with SMT analysis: untouched
  ASSERT_TRUE(part.ImportFields(in.reader, false, true, 25.0f));
  EXPECT_EQ(part.IS_SMT, 1);
  EXPECT_EQ(part.SMT_LEAD, 3);
  EXPECT_FLOAT_EQ(part.SMT_HT, 50.0f);         // height only for leadless parts
  EXPECT_FLOAT_EQ(part.SMT_TEMPRISE, 175.0f);  // manual rise, clamped
}

TEST(BaseImport, FailsOnTheFirstMissingKeyword) {
  std::vector<CKwd> kwds = defaultKeywordRecords();
  std::erase_if(kwds, [](const CKwd& k) { return k.name == "LCN"; });
  std::vector<std::string> log;
  KeywordReader reader(kwds, [&](std::string_view line) { log.emplace_back(line); });
  InputRecord record;
  reader.setRecord(&record);
  CMisc part;
  part.NOTES = "old";
  EXPECT_FALSE(part.ImportFields(reader, false, false, 25.0f));
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("keyword not found ('LCN')"), std::string::npos);
  EXPECT_EQ(part.NOTES, "old");
}

TEST(PartTypeTable, IdsAscendUniqueAndWithinTheirFamilies) {
  std::set<std::string_view> names;
  std::uint16_t last = 0;
  for (const PartType& t : allPartTypes()) {
    EXPECT_GT(t.id, last);
    last = t.id;
    EXPECT_TRUE(names.insert(t.className).second) << t.className;
  }
  EXPECT_EQ(allPartTypes().size(), 36u);
  // The ids this program fixes for the families with open ranges.
  EXPECT_EQ(findPartTypeByClass("CVLSI")->id, 108);
  EXPECT_EQ(findPartTypeByClass("CTransistor")->id, 301);
  EXPECT_EQ(findPartTypeByClass("CMTrans")->id, 303);
}

TEST(PartTypeTable, HybridMenuLeavesOutBoardLevelAndSubFileTypes) {
  const auto hybrid = menuTable(true);
  EXPECT_EQ(hybrid.size(), 32u);
  for (const PartType& t : hybrid) {
    EXPECT_NE(t.id, kSubCircuitType);
    EXPECT_NE(t.id, kSubHybridType);
    EXPECT_NE(t.id, 505);
    EXPECT_NE(t.id, 506);
  }
  EXPECT_EQ(menuTable(false).size(), 36u);
}

TEST(TypePosition, UnknownIdGoesToLastSlotWithMessage) {
  test::RecordingUi ui;
  EXPECT_EQ(typePosition(401, false, &ui), 18u);
  EXPECT_EQ(typePosition(kSubCircuitType, true, &ui), kUnknownTypeSlot);
  EXPECT_EQ(typePosition(9999, false, &ui), kUnknownTypeSlot);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0], "Call support: part type position error...");
  EXPECT_EQ(typeName(9999, false, &ui), "");
  EXPECT_EQ(ui.messages.back(), "Call support: part type name error...");
}

TEST(PartRegistry, RefusesDuplicatesAndMismatchedClasses) {
  test::registerTestParts();
  auto& registry = PartRegistry::instance();
  EXPECT_FALSE(registry.registerClass(kMiscType, CMisc::kClass).isOk());
  EXPECT_FALSE(registry.registerClass(401, CMisc::kClass).isOk());   // CMisc is not 401's class
  EXPECT_FALSE(registry.registerClass(7777, CMisc::kClass).isOk());  // not a part type
  EXPECT_EQ(registry.create(7777, false), nullptr);
  EXPECT_EQ(registry.createByClassName("CNoSuchClass"), nullptr);
}

TEST(PartRegistry, MenuBuildsFromClassNamesOrFailsWithStartUpMessage) {
  test::registerTestParts();
  std::vector<std::string> names;
  const Status status = PartRegistry::instance().buildMenu(false, names);
  if (PartRegistry::instance().size() < allPartTypes().size()) {
    EXPECT_EQ(status.message(), "Can not create Circuit part types menu.");
    EXPECT_TRUE(names.empty());
  } else {
    EXPECT_TRUE(status.isOk());
    EXPECT_EQ(names.size(), allPartTypes().size() + 1);
    EXPECT_EQ(names.front(), "");
  }
  auto misc = PartRegistry::instance().createFromMenu(menuTable(true).size(), true);
  ASSERT_NE(misc, nullptr);
  EXPECT_EQ(misc->GetTypeName(), "Miscellaneous(Hyb)");
}

struct MiscCase {
  std::uint8_t method;
  float baseFr, ea, tNormal, tRise, ambient, cf;
  double pit;
};

class MiscModel : public ::testing::TestWithParam<MiscCase> {};

TEST_P(MiscModel, ArrheniusFactorMatchesHandWorkedValue) {
  const MiscCase& c = GetParam();
  CMisc part;
  part.METHOD = c.method;
  part.BASEFR = c.baseFr;
  part.EA = c.ea;
  part.TNORMAL = c.tNormal;
  part.TRISE = c.tRise;
  part.CF = c.cf;
  CCircHeader h;
  h.TEMP = c.ambient;
  part.Calculate(h);
  EXPECT_NEAR(part.PIT, c.pit, 0.005);
  EXPECT_NEAR(part.FR, c.baseFr * c.pit * c.cf, c.baseFr * c.cf * 0.005);
  EXPECT_FLOAT_EQ(part.S, -1.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, MiscModel,
                         ::testing::Values(
                             // fixed: no temperature factor
                             MiscCase{1, 2.0f, 0.35f, 25, 30, 90, 1.0f, 1.0},
                             // Ea 0.35 eV, Tnormal 25, ambient 55: 3.48
                             MiscCase{2, 1.0f, 0.35f, 25, 0, 55, 1.0f, 3.48},
                             // T equal to Tnormal: 1.0
                             MiscCase{2, 5.0f, 0.7f, 40, 15, 25, 2.0f, 1.0}));

TEST(MiscModel, FlagsOverTemperatureAgainstTheLimit) {
  CMisc part;
  part.METHOD = 2;
  part.TRISE = 100;
  part.TEMPLIMIT = 120;
  CCircHeader h;
  h.TEMP = 25;
  part.Calculate(h);
  EXPECT_EQ(part.OverFlags & OverTemp, OverTemp);
  part.TRISE = 95;  // T = 120 is not above the limit
  part.Calculate(h);
  EXPECT_EQ(part.OverFlags, 0u);
}

// Only the temperature rise is an application parameter.
TEST(MiscModel, UpdateAppParamsTakesTheTemperatureRiseOnly) {
  CMisc a, b;
  a.TRISE = 12;
  a.BASEFR = 3;
  b.UpdateAppParams(a);
  EXPECT_FLOAT_EQ(b.TRISE, 12);
  EXPECT_FLOAT_EQ(b.BASEFR, 1.0f);
}

// The solder-joint model against hand-worked values:
//   Nf = 3.5 (d / (0.65 h))^-2.26 (|aS dT - aCC (dT + TRISE)| 1e-6)^-2.26 LC
//   aSMT = Nf / CR, x = life / aSMT, FRSMT = ECF(x) / aSMT x 1e6.

struct SmtCase {
  const char* name;
  float d, h;
  std::uint8_t pkg, lead, board, env, equip, trisemode;
  float trise, life, tce;
  double expected;  // fpmh
  double expectedH;
};

class SolderJoints : public ::testing::TestWithParam<SmtCase> {};

TEST_P(SolderJoints, MatchHandWorkedRates) {
  const SmtCase& c = GetParam();
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = c.env;
  h.SMTBOARD = c.board;
  h.BOARDTCE = c.tce;
  h.SMTEQUIP = c.equip;
  h.SMTLIFE = c.life;
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->SMT_PKG = c.pkg;
  part->SMT_LEAD = c.lead;
  part->SMT_DIST = c.d;
  part->SMT_HT = c.h;
  part->SMT_TRISEMODE = c.trisemode;
  part->SMT_TEMPRISE = c.trise;
  part->Calculate(h);
  EXPECT_EQ(part->SmtCalcFlag, 1);
  EXPECT_NEAR(part->FRSMT, c.expected, c.expected * 1e-4);
  EXPECT_FLOAT_EQ(part->SMT_HT, c.expectedH);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolderJoints,
    ::testing::Values(
        // Plastic leadless, d 345, h 50, Epoxy/Glass (aS 15), GB (dT 7), Computer (CR 0.17),
        // Default rise 0: strain |105 - 49| = 56e-6; (345/32.5)^-2.26 = 4.8037e-3,
        // (56e-6)^-2.26 = 4.0653e9, Nf = 6.8320e7, aSMT = 4.0188e8 h, x = 2.18e-4: ECF 0.13,
        // FRSMT = 0.13 / 4.0188e8 x 1e6 = 3.2348e-4
        SmtCase{"LeadlessOnEpoxyGlass", 345, 50, 1, 1, 11, 1, 3, 1, 0, 87600, 1, 3.23477e-4, 50},
        // Ceramic gull-wing (h becomes 8, LC 5000), d 10000, FR-4 multilayer (aS 20), AUC
        // (dT 57), Automotive (CR 1.0), manual rise 50: strain |1140 - 642| = 498e-6,
        // Nf = 19296 = aSMT, x = 87600 / 19296 = 4.54: ECF 1.0, FRSMT = 51.824
        SmtCase{"GullWingFullCumulativeFailures", 10000, 50, 2, 3, 2, 8, 1, 2, 50, 87600, 1, 51.8242, 8},
        // The same joint over a 6750 h life: x = 0.3498, ECF 0.31, FRSMT = 16.0655
        SmtCase{"MiddleRowOfTheTable", 10000, 50, 2, 3, 2, 8, 1, 2, 50, 6750, 1, 16.0655, 8},
        // Board "Other" with TCE 12, AIC (dT 31), Industrial (CR 0.021), h 20:
        // strain |372 - 217| = 155e-6, Nf = 8.6290e5, aSMT = 4.1090e7, FRSMT = 3.16376e-3
        SmtCase{"OtherBoardUsesTheHeaderTce", 345, 20, 1, 1, 23, 6, 6, 1, 0, 87600, 12, 3.16376e-3, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SolderJoints, TableValuesAreWrittenBackToTheHeader) {
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = 6;           // AIC: dT 31
  h.SMTBOARD = 2;      // FR-4 multilayer: 20
  h.BOARDTCE = 99;     // overwritten
  h.SMTEQUIP = 9;      // fighter: 0.5
  h.SMTCYCLERATE = 7;  // overwritten
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->Calculate(h);
  EXPECT_FLOAT_EQ(h.BOARDTCE, 20.0f);
  EXPECT_FLOAT_EQ(h.TEMPDIFF, 31.0f);
  EXPECT_FLOAT_EQ(h.SMTCYCLERATE, 0.5f);
}

TEST(SolderJoints, NoThermalCyclingEnvironmentGivesZeroWithEnvNotValid) {
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = 13;  // ML
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->Calculate(h);
  EXPECT_EQ(part->FRSMT, 0.0f);
  EXPECT_EQ(part->SmtCalcFlag, 1);
  EXPECT_NE(part->OverFlags & EnvNotValid, 0u);
}

TEST(SolderJoints, ZeroStrainMeansTheJointsNeverFail) {
  CCircHeader h;
  h.HASSMT = 1;
  h.ENV = 1;       // dT 7
  h.SMTBOARD = 4;  // ceramic multilayer: aS 7 = aCC of plastic, rise 0
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->Calculate(h);
  EXPECT_EQ(part->FRSMT, 0.0f);
  EXPECT_EQ(part->OverFlags & EntryOverRange, 0u);
}

TEST(SolderJoints, DamagedStoredInputsAreLimitedAndFlagged) {
  CCircHeader h;
  h.HASSMT = 1;
  h.SMTLIFE = -5;
  auto part = test::fixedPart(1.0);
  part->IS_SMT = 1;
  part->SMT_LEAD = 1;
  part->SMT_HT = 0.0f;     // below 0.1 mils
  part->SMT_DIST = -1.0f;  // below 1 mil
  part->Calculate(h);
  EXPECT_TRUE(std::isfinite(part->FRSMT));
  EXPECT_NE(part->OverFlags & EntryOverRange, 0u);
}

}  // namespace
}  // namespace kestrel
