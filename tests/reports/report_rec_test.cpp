// Report records in sort order: the eight keys, ties in document order,
// texts compared ignoring case; and the Report Setup settings.
#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "reports/report_rec.hpp"
#include "reports/report_settings.hpp"
#include "support/recording_ui.hpp"

namespace kestrel {
namespace {

struct Row {
  const char* pn;
  const char* pn2;
  const char* refdes;
  const char* lcn;
  std::uint16_t type;
  float qty;
  float tfr;
};

// Six records in document order; the first line of each names its position.
const std::vector<Row> kRows = {
    {"bx-2", "Z", "r10", "L3", 403, 2.0f, 0.5f},  // 0
    {"AX-1", "y", "R2", "l1", 401, 5.0f, 2.0f},   // 1
    {"Bx-2", "x", "C1", "L2", 401, 1.0f, 0.5f},   // 2
    {"ax-1", "W", "r2", "L1", 302, 5.0f, 3.0f},   // 3
    {"CX-9", "x", "c1", "l2", 403, 2.0f, 2.0f},   // 4
    {"AX-0", "V", "R1", "L4", 302, 9.0f, 0.1f},   // 5
};

ReportRecList listOf(SortKey key) {
  ReportRecList list(key);
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    const Row& r = kRows[i];
    CReportRec rec;
    rec.PN = r.pn;
    rec.PN2 = r.pn2;
    rec.REFDES = r.refdes;
    rec.LCN = r.lcn;
    rec.partType = r.type;
    rec.QTY = r.qty;
    rec.TFR = r.tfr;
    rec.addLine(std::to_string(i));
    list.insert(std::move(rec));
  }
  return list;
}

std::vector<int> orderOf(const ReportRecList& list) {
  std::vector<int> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.push_back(std::stoi(list[i].lines()[0]));
  return out;
}

struct SortCase {
  const char* name;
  SortKey key;
  std::vector<int> order;
};
void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class SortOrder : public ::testing::TestWithParam<SortCase> {};

// Equal keys (texts equal ignoring case, equal numbers) keep document order.
TEST_P(SortOrder, RecordsFollowTheKeyAndTiesKeepDocumentOrder) {
  EXPECT_EQ(orderOf(listOf(GetParam().key)), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    EightKeys, SortOrder,
    ::testing::Values(
        // type 302: AX-0 before ax-1; type 401: AX-1 before Bx-2; 403: bx-2 before CX-9
        SortCase{"TypeThenPnThenRefDes", SortKey::TypePnRefDes, {5, 3, 1, 2, 0, 4}},
        // AX-0; AX-1 = ax-1 (doc order 1, 3); bx-2 = Bx-2 (0, 2); CX-9
        SortCase{"PartNumberIgnoringCase", SortKey::PN, {5, 1, 3, 0, 2, 4}},
        // V, W, x = x (2, 4), y, Z
        SortCase{"SecondPartNumberIgnoringCase", SortKey::PN2, {5, 3, 2, 4, 1, 0}},
        // C1 = c1 (2, 4), R1, r10, R2 = r2 (1, 3)
        SortCase{"RefDesIgnoringCaseTextOrder", SortKey::RefDes, {2, 4, 5, 0, 1, 3}},
        // L1 = l1 (1, 3), L2 = l2 (2, 4), L3, L4
        SortCase{"LogisticsNumberIgnoringCase", SortKey::LCN, {1, 3, 2, 4, 0, 5}},
        // 3.0, 2.0 = 2.0 (1, 4), 0.5 = 0.5 (0, 2), 0.1
        SortCase{"TotalFailureRateDescending", SortKey::TFR, {3, 1, 4, 0, 2, 5}},
        // 9, 5 = 5 (1, 3), 2 = 2 (0, 4), 1
        SortCase{"QuantityDescending", SortKey::Qty, {5, 1, 3, 0, 4, 2}},
        // 302 (3, 5), 401 (1, 2), 403 (0, 4)
        SortCase{"PartTypeOnlyKeepsDocumentOrderWithinType", SortKey::PartType, {3, 5, 1, 2, 0, 4}}),
    [](const ::testing::TestParamInfo<SortCase>& info) { return std::string(info.param.name); });

TEST(ReportRecList, FirstRecordGoesToPositionZeroAndEqualOnesGoAfter) {
  ReportRecList list(SortKey::PN);
  CReportRec a;
  a.PN = "same";
  EXPECT_EQ(list.insert(a), 0u);
  CReportRec b;
  b.PN = "SAME";
  EXPECT_EQ(list.insert(b), 1u);
  CReportRec c;
  c.PN = "aaa";
  EXPECT_EQ(list.insert(c), 0u);
}

TEST(ReportRecList, NotANumberTotalSortsLastWithoutBreakingTheOrder) {
  ReportRecList list(SortKey::TFR);
  for (float tfr : {1.0f, std::numeric_limits<float>::quiet_NaN(), 3.0f, 2.0f}) {
    CReportRec rec;
    rec.TFR = tfr;
    list.insert(rec);
  }
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].TFR, 3.0f);
  EXPECT_EQ(list[1].TFR, 2.0f);
  EXPECT_EQ(list[2].TFR, 1.0f);
  EXPECT_TRUE(std::isnan(list[3].TFR));
}

TEST(CompareIgnoringCase, LettersFoldAndShorterPrefixComesFirst) {
  EXPECT_EQ(compareIgnoringCase("abc", "ABC"), 0);
  EXPECT_LT(compareIgnoringCase("ab", "ABC"), 0);
  EXPECT_GT(compareIgnoringCase("b", "A"), 0);
  // '_' (0x5F) lies between upper and lower case: folding puts it after letters.
  EXPECT_GT(compareIgnoringCase("_", "z"), 0);
}

TEST(CReportRec, LinesAreCountedAsTheyAreAdded) {
  CReportRec rec;
  for (int i = 0; i < 45; ++i) rec.addLine("line " + std::to_string(i));
  EXPECT_EQ(rec.lineCount(), 45);
  EXPECT_EQ(rec.lines().back(), "line 44");
}

// ---- Report Setup ----

struct MarginCase {
  const char* name;
  float top, left;
  float wantTop, wantLeft;
  std::vector<std::string> messages;
};
void PrintTo(const MarginCase& c, std::ostream* os) { *os << c.name; }

class ReportSetupMargins : public ::testing::TestWithParam<MarginCase> {};

TEST_P(ReportSetupMargins, MarginsAreLimitedWithTheirMessages) {
  const MarginCase& c = GetParam();
  ReportSettings s;
  s.topMargin = c.top;
  s.leftMargin = c.left;
  test::RecordingUi ui;
  applyReportSetup(s, ui);
  EXPECT_FLOAT_EQ(s.topMargin, c.wantTop);
  EXPECT_FLOAT_EQ(s.leftMargin, c.wantLeft);
  EXPECT_EQ(ui.messages, c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ReportSetupMargins,
    ::testing::Values(
        MarginCase{"InsideTheRange", 0.5f, 1.0f, 0.5f, 1.0f, {}},
        MarginCase{"LeftMarginBelowMinimum", 0.25f, 0.1f, 0.25f, 0.25f,
                   {"Setting left margin to minimum:\n0.25in"}},
        MarginCase{"TopMarginAboveMaximum", 1.5f, 0.3f, 1.0f, 0.3f,
                   {"Setting top margin to maximum:\n1.0in"}},
        MarginCase{"BothOutside", 0.0f, 2.0f, 0.25f, 1.0f,
                   {"Setting top margin to minimum:\n0.25in", "Setting left margin to maximum:\n1.0in"}},
        MarginCase{"NotANumberTakesTheMinimum", std::nanf(""), 0.25f, 0.25f, 0.25f,
                   {"Setting top margin to minimum:\n0.25in"}}),
    [](const ::testing::TestParamInfo<MarginCase>& info) { return std::string(info.param.name); });

TEST(ReportSetup, CompanyIsCutToSixtyCharacters) {
  ReportSettings s;
  s.company = std::string(70, 'c');
  test::RecordingUi ui;
  applyReportSetup(s, ui);
  EXPECT_EQ(s.company, std::string(60, 'c'));
}

TEST(SortKeyNames, EveryKeyParsesBackFromItsNameAndNumber) {
  for (int i = 1; i <= kSortKeyCount; ++i) {
    const auto key = static_cast<SortKey>(i);
    EXPECT_EQ(parseSortKey(sortKeyName(key)), key) << i;
    EXPECT_EQ(parseSortKey(std::to_string(i)), key) << i;
  }
  EXPECT_EQ(sortKeyName(SortKey::TypePnRefDes), "PartType/PN/RefDes");
  EXPECT_EQ(parseSortKey("refdes"), SortKey::RefDes);
  EXPECT_FALSE(parseSortKey("9").has_value());
  EXPECT_FALSE(parseSortKey("Weight").has_value());
  EXPECT_EQ(sortKeyFromIndex(0), SortKey::TypePnRefDes);
}

TEST(ReportProfile, SettingsRoundTripAndBadValuesTakeDefaults) {
  ReportSettings s;
  s.format = 4;
  s.sortBy = SortKey::LCN;
  s.topMargin = 0.5f;
  s.leftMargin = 0.75f;
  s.company = "Acme Avionics";
  s.missionResults = true;
  s.warningMsg = false;
  s.hybridPiFactors = false;
  const ProfileValues values = writeReportSettings(s);
  EXPECT_EQ(values.at("TopMargin"), "0.50");
  const ReportSettings back = readReportSettings(values);
  EXPECT_EQ(back.format, 4);
  EXPECT_EQ(back.sortBy, SortKey::LCN);
  EXPECT_FLOAT_EQ(back.topMargin, 0.5f);
  EXPECT_FLOAT_EQ(back.leftMargin, 0.75f);
  EXPECT_EQ(back.company, "Acme Avionics");
  EXPECT_TRUE(back.missionResults);
  EXPECT_FALSE(back.warningMsg);
  EXPECT_FALSE(back.hybridPiFactors);

  const ReportSettings bad =
      readReportSettings({{"Format", "9"}, {"SortBy", "12"}, {"TopMargin", "x"}, {"LeftMargin", "0.01"}});
  EXPECT_EQ(bad.format, 0);
  EXPECT_EQ(bad.sortBy, SortKey::TypePnRefDes);
  EXPECT_FLOAT_EQ(bad.topMargin, 0.25f);
  EXPECT_FLOAT_EQ(bad.leftMargin, 0.25f);
  EXPECT_EQ(bad.company, "Your Company Name Here");
}

}  // namespace
}  // namespace kestrel
