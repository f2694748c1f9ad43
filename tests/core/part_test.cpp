#include "core/part.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/circ_header.hpp"
#include "keywords/import_setup.hpp"
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

TEST(ChoiceChecks, StoredChoiceOutsideItsListIsClampedAndFlagged) {
  CMisc part;
  std::uint8_t choice = 9;
  EXPECT_EQ(part.checkChoice(choice, kSmtLeads), 3);
  EXPECT_EQ(choice, 3);
  EXPECT_NE(part.OverFlags & EntryOverRange, 0u);
  part.OverFlags = 0;
  choice = 0;
  EXPECT_EQ(part.checkChoice(choice, kSmtLeads), 1);
  EXPECT_NE(part.OverFlags & EntryOverRange, 0u);
  part.OverFlags = 0;
  choice = 2;
  EXPECT_EQ(part.checkChoice(choice, kSmtLeads), 2);
  EXPECT_EQ(part.OverFlags, 0u);
}

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

}  // namespace
}  // namespace kestrel
