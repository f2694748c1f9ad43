// The seven report kinds: titles, headings, the header record, which lines
// each part gives, their own assemblies, the refusal of an uncalculated
// document and the cancelled assembly.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "core/number_format.hpp"
#include "core/text_lines.hpp"
#include "report_fixtures.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_rec.hpp"
#include "reports/report_settings.hpp"
#include "reports/text_device.hpp"
#include "support/golden.hpp"
#include "support/recording_ui.hpp"

namespace kestrel {
namespace {

using test::RecordingUi;

std::unique_ptr<CReport> built(int row, const CCircDoc& doc, ReportSettings settings = {}) {
  auto report = createReport(row, settings);
  RecordingUi ui;
  EXPECT_TRUE(report->build(doc, ui)) << row;
  return report;
}

// Two fixed-rate parts (1 and 4 fpmh) under a header correction factor of 2.
std::unique_ptr<CCircDoc> twoPartCircuit() {
  auto doc = std::make_unique<CCircDoc>(DocKind::Circuit);
  doc->setPath("/reports/BOARD.CIR");
  doc->header().DESCR = "Test board";
  doc->header().CF = 2.0f;
  doc->insertSorted(test::miscPart(1.0, "A-1", "U1"));
  doc->insertSorted(test::miscPart(4.0, "B-2", "U2"));
  test::calculate(*doc);
  return doc;
}

TEST(ReportTypesMenu, ListsTheSevenTitlesInMenuOrder) {
  std::vector<std::string> titles;
  ASSERT_TRUE(buildReportTypesMenu(titles).isOk());
  EXPECT_EQ(titles, (std::vector<std::string>{"Short List Report", "Full List Report", "Pi Factors Report",
                                              "Part Type Summary Report", "OverStress Details Report",
                                              "Notes Report", "SMT Details Report"}));
  EXPECT_EQ(createReport(7, {}), nullptr);
  EXPECT_EQ(createReport(-1, {}), nullptr);
  EXPECT_EQ(findReportKind("pifactors"), 2);
  EXPECT_EQ(findReportKind("notes report"), 5);
  EXPECT_EQ(findReportKind("bill of materials"), -1);
}

TEST(ReportBuild, UncalculatedDocumentIsRefusedWithItsMessage) {
  auto doc = twoPartCircuit();
  doc->header().CalcFlags = 0;
  for (int row = 0; row < kReportKindCount; ++row) {
    auto report = createReport(row, {});
    RecordingUi ui;
    EXPECT_FALSE(report->build(*doc, ui)) << row;
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Circuit must be calculated before printing."});
    EXPECT_EQ(report->recordCount(), 0u);
    EXPECT_TRUE(ui.logLines.empty());
  }
}

TEST(ReportBuild, AssemblyLogsTheDocumentSortKeyAndRecordCount) {
  auto doc = twoPartCircuit();
  doc->setPath("/reports/board.cir");
  ReportSettings s;
  s.sortBy = SortKey::PN;
  auto report = createReport(1, s);
  RecordingUi ui;
  ASSERT_TRUE(report->build(*doc, ui));
  EXPECT_EQ(ui.logLines, (std::vector<std::string>{"Assemble 'BOARD.CIR':",
                                                   "...'board.cir' sorting by PN...",
                                                   "...assembling 2 records..."}));
}

// Asks to cancel at every check; answers No at record 1 and Yes at record 11.
class CancellingUi final : public Ui {
 public:
  void message(std::string_view) override {}
  bool confirm(std::string_view q) override {
    questions.emplace_back(q);
    const bool a = answers.empty() ? false : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  }
  void progressLine(int, std::string_view) override {}
  void progressBar(int, int) override {}
  bool cancelRequested() override { return true; }
  void clearCancel() override { ++cleared; }
  void log(std::string_view line) override { logLines.emplace_back(line); }
  std::deque<bool> answers{false, true};
  std::vector<std::string> questions;
  std::vector<std::string> logLines;
  int cleared = 0;
};

TEST(ReportBuild, CancelConfirmedAtRecordElevenStopsTheAssembly) {
  CCircDoc doc;
  for (int i = 0; i < 25; ++i) doc.insertSorted(test::miscPart(1.0, "P" + std::to_string(100 + i)));
  test::calculate(doc);
  auto report = createReport(0, {});
  CancellingUi ui;
  EXPECT_FALSE(report->build(doc, ui));
  EXPECT_EQ(ui.questions, (std::vector<std::string>(2, "Cancel report assembly?")));
  EXPECT_EQ(ui.cleared, 1);
  EXPECT_EQ(ui.logLines.back(), "...Cancel (rec#11).");
  EXPECT_EQ(report->recordCount(), 10u);
}

std::unique_ptr<CCircDoc> resistorsAndCapacitor(DocKind kind) {
  registerAllParts();
  auto doc = std::make_unique<CCircDoc>(kind);
  const bool hybrid = kind == DocKind::Hybrid;
  for (auto [type, qty, refdes] : {std::tuple{401, 2.0f, "R1"}, {401, 3.0f, "R2"}, {403, 1.0f, "C1"}}) {
    auto part = PartRegistry::instance().create(static_cast<std::uint16_t>(type), hybrid);
    part->QTY = qty;
    part->REFDES = refdes;
    doc->insertSorted(std::move(part));
  }
  test::calculate(*doc);
  return doc;
}

// Every kind of a small circuit as the text file gives it: a K-of-N model
// with mission results, a surface-mount part (its share of the total in the
// header), a part over its temperature limit (marked as the kind and the
// warnings setting say) and a part whose fifteen notes lines of 150
// characters give ten lines cut at 100.
TEST(ReportText, SmallCircuitInEveryKind) {
  auto doc = twoPartCircuit();
  CCircHeader& h = doc->header();
  h.MODEL = 3;
  h.NREQ = 2.0f;
  h.HASSMT = 1;
  doc->record(1).IS_SMT = 1;
  CPart& hot = doc->record(0);
  hot.TEMPLIMIT = 20.0f;  // below the 25 deg C it runs at
  hot.NOTESTITLE = "Qualification";
  for (int i = 1; i <= 15; ++i) hot.NOTES += (i > 1 ? "\r\n" : "") + std::string(150, 'a' + i % 26);
  test::calculate(*doc);
  ReportSettings s;
  s.missionResults = true;
  std::string text;
  for (int kind = 0; kind < kReportKindCount; ++kind) {
    TextDevice device;
    text += test::render(*doc, kind, device, nullptr, s) + "\n";
  }
  // Two resistors (quantities 2 and 3) and a capacitor give two summary lines.
  TextDevice summary;
  text += test::render(*resistorsAndCapacitor(DocKind::Circuit), 3, summary) + "\n";
  // Without the warnings only the overstress report marks the part over its limit.
  s.warningMsg = false;
  for (int kind : {0, 1, 4}) {
    TextDevice device;
    text += test::render(*doc, kind, device, nullptr, s) + "\n";
  }
  EXPECT_GOLDEN("circuit_reports.txt", text);
}

// A hybrid's header with its learning years and factor lines, then without
// either (factor lines set off, first year); its summary names the hybrid
// type and its SMT report has no devices.
TEST(ReportText, HybridHeaderSummaryAndSmt) {
  CCircDoc doc(DocKind::Hybrid);
  doc.setPath("/reports/MODULE.HYB");
  doc.header().DESCR = "Test hybrid";
  doc.header().HYBLEARN = 2;
  doc.header().HYBFUNC = 3;
  doc.header().HYBQU = 2;
  doc.insertSorted(test::miscPart(0.5, "DIE-1", "U1", 2.0, true));
  test::calculate(doc);
  std::string text;
  for (int kind : {1, 3, 6}) {
    TextDevice device;
    text += test::render(doc, kind, device) + "\n";
  }
  doc.header().HYBLEARN = 1;
  ReportSettings off;
  off.hybridPiFactors = false;
  TextDevice device;
  text += test::render(doc, 1, device, nullptr, off);
  EXPECT_GOLDEN("hybrid_reports.txt", text);
}

// Every kind on circuits and hybrids of every registered part type: every
// record's first line has the one-blank prefix, the others four blanks.
struct ManyCase {
  const char* name;
  int row;
  bool hybrid;
};
void PrintTo(const ManyCase& c, std::ostream* os) { *os << c.name; }

class ManyTypes : public ::testing::TestWithParam<ManyCase> {};

TEST_P(ManyTypes, EveryPartGivesOneRecordWithPrefixedLines) {
  const ManyCase& c = GetParam();
  auto doc = test::manyTypesDocument(c.hybrid ? DocKind::Hybrid : DocKind::Circuit, true);
  ASSERT_EQ(doc->count(), test::registeredTypeCount(c.hybrid));
  ReportSettings s;
  s.missionResults = true;
  auto report = built(c.row, *doc, s);
  ASSERT_EQ(report->recordCount(), doc->count());
  for (std::size_t i = 0; i < report->recordCount(); ++i) {
    const auto& lines = report->records()[i].lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind(" ", 0), 0u);
    EXPECT_NE(lines[0].substr(1, 1), " ") << lines[0];
    for (std::size_t k = 1; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].rfind("    ", 0), 0u) << lines[k];
      EXPECT_LE(lines[k].size(), 132u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ManyTypes,
    ::testing::Values(ManyCase{"FullListCircuit", 1, false}, ManyCase{"FullListHybrid", 1, true},
                      ManyCase{"PiFactorsCircuit", 2, false}, ManyCase{"PiFactorsHybrid", 2, true},
                      ManyCase{"OverStressCircuit", 4, false}, ManyCase{"NotesHybrid", 5, true},
                      ManyCase{"NotesCircuit", 5, false}),
    [](const ::testing::TestParamInfo<ManyCase>& info) { return std::string(info.param.name); });

TEST(NotesSplit, NotesAreSplitAtLineBreaks) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {}}, {"abc", {"abc"}}, {"a\r\nb", {"a", "b"}}, {"a\r\n", {"a"}},  // a trailing break adds no line
      {"a\r\n\r\nb", {"a", "", "b"}}, {"a\nb", {"a", "b"}}};                 // a lone newline from another system
  for (const auto& [notes, lines] : cases) EXPECT_EQ(notesLines(notes), lines) << notes;
}

TEST(SummaryKeys, OnlyTotalsQuantityAndTypeSortASummary) {
  const std::pair<SortKey, SortKey> keys[] = {{SortKey::RefDes, SortKey::PartType},
                                              {SortKey::TypePnRefDes, SortKey::PartType},
                                              {SortKey::TFR, SortKey::TFR},
                                              {SortKey::Qty, SortKey::Qty}};
  for (const auto& [asked, used] : keys) {
    EXPECT_EQ(createReport(3, ReportSettings{0, asked})->sortKey(), used) << static_cast<int>(asked);
  }
}

}  // namespace
}  // namespace kestrel

// ---- Report records in sort order: the eight keys, ties in document order,
// texts compared ignoring case; and the Report Setup settings.
namespace kestrel::records {
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
  s.paper = "8.5x13";
  s.landscape = true;
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
  EXPECT_EQ(back.paper, "8.5x13");
  EXPECT_TRUE(back.landscape);

  const ReportSettings bad =
      readReportSettings({{"Format", "9"}, {"SortBy", "12"}, {"TopMargin", "x"}, {"LeftMargin", "0.01"},
                          {"Paper", "folio"}, {"Orientation", "sideways"}});
  EXPECT_EQ(bad.format, 0);
  EXPECT_EQ(bad.sortBy, SortKey::TypePnRefDes);
  EXPECT_FLOAT_EQ(bad.topMargin, 0.25f);
  EXPECT_FLOAT_EQ(bad.leftMargin, 0.25f);
  EXPECT_EQ(bad.company, "Your Company Name Here");
  EXPECT_EQ(bad.paper, "letter");
  EXPECT_FALSE(bad.landscape);
}

}  // namespace
}  // namespace kestrel::records
