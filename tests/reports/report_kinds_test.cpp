// The seven report kinds: titles, headings, the header record, which lines
// each part gives, their own assemblies, the refusal of an uncalculated
// document and the cancelled assembly.
#include <gtest/gtest.h>

#include <ostream>

#include <deque>

#include "core/number_format.hpp"
#include "core/text_lines.hpp"
#include "report_fixtures.hpp"
#include "reports/report_kinds.hpp"
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

struct KindCase {
  const char* name;
  int row;
  const char* title;
  bool separator;
  int nominal;
  const char* heading;
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

const char* const kPartHeading =
    " PartNumber                 PartType                   Qty  RefDes                   ";

class ReportKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(ReportKind, TitleSeparatorHeightAndColumnHeading) {
  const KindCase& c = GetParam();
  auto report = createReport(c.row, {});
  ASSERT_TRUE(report);
  EXPECT_EQ(report->GetTitle(), c.title);
  EXPECT_EQ(report->separator(), c.separator);
  EXPECT_EQ(report->nominalHeight(), c.nominal);
  EXPECT_EQ(report->FormatColumnHeading(), c.heading);
}

INSTANTIATE_TEST_SUITE_P(
    SevenKinds, ReportKind,
    ::testing::Values(
        KindCase{"ShortList", 0, "Short List Report", false, 1,
                 "PartNumber                PartType                  Qty  RefDes                        "
                 "TotalFR   %FR"},
        KindCase{"FullList", 1, "Full List Report", true, 5, kPartHeading},
        KindCase{"PiFactors", 2, "Pi Factors Report", true, 7, kPartHeading},
        KindCase{"Summary", 3, "Part Type Summary Report", false, 1,
                 "PartType                          TotalFR       %FR         Qty      %Qty"},
        KindCase{"OverStress", 4, "OverStress Details Report", true, 5, kPartHeading},
        KindCase{"Notes", 5, "Notes Report", true, 12, kPartHeading},
        KindCase{"Smt", 6, "SMT Details Report", true, 2, kPartHeading}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

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

TEST(HeaderRecord, CircuitLinesWithKofNModelAndMissionLine) {
  auto doc = twoPartCircuit();
  doc->header().MODEL = 3;
  doc->header().NREQ = 2.0f;
  ReportSettings s;
  s.missionResults = true;
  auto report = built(1, *doc, s);
  EXPECT_EQ(report->header().lines(),
            (std::vector<std::string>{
                "DOC: /reports/BOARD.CIR   RECORDS: 2", "DESCRIPTION: Test board",
                "ENV: GB   TEMP: 25.00 C   CF: 2.00000   MODEL: Active K-of-N (2-of-N)",
                "FR= 10.0000 fpmh   MTBF= 100000.0000 hrs.   Parts= 2   ",
                "MissionTime= 1000.0000 hrs.   MissionMTBF= *NOCALC* hrs.   MissionR= *NOCALC*  "
                "BasicR= 0.990050"}));
}

TEST(HeaderRecord, HybridLinesWithYearsAndFactorLinesBySetting) {
  CCircDoc doc(DocKind::Hybrid);
  doc.setPath("/reports/MODULE.HYB");
  doc.header().DESCR = "Test hybrid";
  doc.header().HYBLEARN = 2;
  doc.header().HYBFUNC = 3;
  doc.header().HYBQU = 2;
  doc.insertSorted(test::miscPart(0.5, "DIE-1", "U1", 2.0, true));
  test::calculate(doc);
  auto with = built(1, doc);
  ASSERT_EQ(with->header().lineCount(), 6);
  EXPECT_EQ(with->header().lines()[2],
            "ENV: GB   TEMP: 25.00 C   CF: 1.00000   FUNCTION: Microwave   QU: B   YEARS: 2.00");
  EXPECT_EQ(with->header().lines()[4], doc.header().hybridFactorLine1());
  EXPECT_EQ(with->header().lines()[5], doc.header().hybridFactorLine2());
  ReportSettings off;
  off.hybridPiFactors = false;
  EXPECT_EQ(built(1, doc, off)->header().lineCount(), 4);
  doc.header().HYBLEARN = 1;
  EXPECT_EQ(built(1, doc, off)->header().lines()[2],
            "ENV: GB   TEMP: 25.00 C   CF: 1.00000   FUNCTION: Microwave   QU: B   ");
}

TEST(HeaderRecord, SurfaceMountTermAndItsShareOfTheTotal) {
  auto doc = twoPartCircuit();
  doc->header().HASSMT = 1;
  doc->record(0).IS_SMT = 1;
  test::calculate(*doc);
  const CCircHeader& h = doc->header();
  ASSERT_GT(h.LargestFRSMT, 0.0);
  // the share against the parts' sum plus the joint term, before the header CF
  const double share = h.LargestFRSMT / (5.0 + h.LargestFRSMT) * 100.0;
  const std::string want = "(FRSMT=" + formatNumber(h.LargestFRSMT, 8, 6) + " [" +
                           formatNumber(share, 5, 2) + "%])";
  const std::string line = built(1, *doc)->header().lines()[3];
  EXPECT_EQ(line.substr(line.size() - want.size()), want) << line;
}

TEST(FullList, LinesOfAPartInOrderWithPrefixes) {
  auto doc = twoPartCircuit();
  const CPart& part = doc->record(0);
  const double base = doc->shareBase();
  std::string d1, d2;
  part.FormatDetail(d1, d2, "    ");
  auto report = built(1, *doc);
  ASSERT_EQ(report->recordCount(), 2u);
  EXPECT_EQ(report->records()[0].lines(),
            (std::vector<std::string>{identityLine(part, " "), descriptionLine(part, "    "),
                                      resultLine(part, "    ", base, true), d1}));
  ReportSettings mission;
  mission.missionResults = true;
  EXPECT_EQ(built(1, *doc, mission)->records()[0].lines()[3], reliabilityLine(part, "    "));
}

TEST(PiFactors, FactorLinesComeBeforeDetailLines) {
  auto doc = twoPartCircuit();
  const CPart& part = doc->record(1);
  std::string f1, f2, d1, d2;
  part.FormatFactors(f1, f2, "    ");
  part.FormatDetail(d1, d2, "    ");
  const auto report = built(2, *doc);
  const auto& lines = report->records()[1].lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[3], f1);
  EXPECT_EQ(lines[4], f2);
  EXPECT_EQ(lines[5], d1);
}

struct OverCase {
  const char* name;
  int row;
  bool warnings;
  bool marked;
};
void PrintTo(const OverCase& c, std::ostream* os) { *os << c.name; }

class OverMarks : public ::testing::TestWithParam<OverCase> {};

TEST_P(OverMarks, OverLimitPartIsMarkedAsTheKindAndSettingSay) {
  const OverCase& c = GetParam();
  CCircDoc doc;
  auto hot = test::miscPart(1.0, "HOT", "U9");
  hot->TEMPLIMIT = 20.0f;  // below the 25 deg C it runs at
  doc.insertSorted(std::move(hot));
  test::calculate(doc);
  ASSERT_TRUE(doc.record(0).OverFlags & OverTemp);
  ReportSettings s;
  s.warningMsg = c.warnings;
  const auto report = built(c.row, doc, s);
  const auto& lines = report->records()[0].lines();
  const std::string& marked = c.row == 0 ? lines[0] : lines[c.row == 4 ? 1 : 2];
  EXPECT_EQ(marked.find("*OVER*") != std::string::npos, c.marked) << marked;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, OverMarks,
    ::testing::Values(OverCase{"ShortListWithWarnings", 0, true, true},
                      OverCase{"ShortListWithoutWarnings", 0, false, false},
                      OverCase{"FullListWithWarnings", 1, true, true},
                      OverCase{"FullListWithoutWarnings", 1, false, false},
                      OverCase{"OverStressAlwaysMarks", 4, false, true}),
    [](const ::testing::TestParamInfo<OverCase>& info) { return std::string(info.param.name); });

TEST(OverStress, EveryPartIsListedWithItsLimitsLine) {
  auto doc = twoPartCircuit();
  auto report = built(4, *doc);
  ASSERT_EQ(report->recordCount(), 2u);
  EXPECT_EQ(report->records()[0].lines()[2], limitsLine(doc->record(0), "    "));
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

TEST(ShortList, OneLinePerPartSortedByTotalFailureRate) {
  auto doc = test::manyTypesDocument(DocKind::Circuit);
  ReportSettings s;
  s.sortBy = SortKey::TFR;
  auto report = built(0, *doc, s);
  ASSERT_EQ(report->recordCount(), doc->count());
  for (std::size_t i = 0; i < report->recordCount(); ++i) {
    EXPECT_EQ(report->records()[i].lineCount(), 1);
    if (i > 0) {
      EXPECT_GE(report->records()[i - 1].TFR, report->records()[i].TFR);
    }
  }
}

TEST(Notes, FifteenLineNotesGiveTenLinesOfAtMostHundredCharacters) {
  CCircDoc doc;
  auto part = test::miscPart(1.0, "N-1");
  part->NOTESTITLE = "Qualification";
  for (int i = 1; i <= 15; ++i) part->NOTES += (i > 1 ? "\r\n" : "") + std::string(150, 'a' + i % 26);
  doc.insertSorted(std::move(part));
  doc.insertSorted(test::miscPart(1.0, "N-2"));  // no notes: the identity line only
  test::calculate(doc);
  ReportSettings s;
  s.sortBy = SortKey::PN;
  auto report = built(5, doc, s);
  EXPECT_EQ(report->header().lines(),
            (std::vector<std::string>{"DOC:    RECORDS: 2", "NOTES:"}));
  const auto& lines = report->records()[0].lines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[1], "    Qualification");
  EXPECT_EQ(lines[2], "    " + std::string(100, 'b'));
  EXPECT_EQ(lines[11], "    " + std::string(100, 'k'));
  EXPECT_EQ(report->records()[1].lineCount(), 1);
}

struct SplitCase {
  const char* name;
  const char* notes;
  std::vector<std::string> lines;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class NotesSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(NotesSplit, NotesAreSplitAtLineBreaks) {
  EXPECT_EQ(notesLines(GetParam().notes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, NotesSplit,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OneLine", "abc", {"abc"}},
                      SplitCase{"CrLf", "a\r\nb", {"a", "b"}},
                      SplitCase{"TrailingBreakAddsNoLine", "a\r\n", {"a"}},
                      SplitCase{"EmptyLineInside", "a\r\n\r\nb", {"a", "", "b"}},
                      SplitCase{"LoneNewlineFromAnotherSystem", "a\nb", {"a", "b"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

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

TEST(Summary, TwoResistorsAndACapacitorGiveTwoLines) {
  registerAllParts();
  if (!PartRegistry::instance().isRegistered(403)) GTEST_SKIP() << "no capacitor class linked in";
  auto doc = resistorsAndCapacitor(DocKind::Circuit);
  auto report = built(3, *doc);
  ASSERT_EQ(report->recordCount(), 2u);
  const std::string& resistor = report->records()[0].lines()[0];
  EXPECT_EQ(resistor.substr(0, 8), "Resistor");
  EXPECT_EQ(resistor.substr(25 + 4 + 12 + 4 + 6 + 4, 8), "       5") << resistor;
  EXPECT_EQ(report->records()[1].lines()[0].substr(0, 9), "Capacitor");
  EXPECT_EQ(report->records()[0].QTY, 5.0f);
}

struct SummaryKeyCase {
  const char* name;
  SortKey asked;
  SortKey used;
};
void PrintTo(const SummaryKeyCase& c, std::ostream* os) { *os << c.name; }

class SummaryKeys : public ::testing::TestWithParam<SummaryKeyCase> {};

TEST_P(SummaryKeys, OnlyTotalsQuantityAndTypeSortASummary) {
  auto report = createReport(3, ReportSettings{0, GetParam().asked});
  EXPECT_EQ(report->sortKey(), GetParam().used);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SummaryKeys,
    ::testing::Values(SummaryKeyCase{"RefDesBecomesPartType", SortKey::RefDes, SortKey::PartType},
                      SummaryKeyCase{"FirstKeyBecomesPartType", SortKey::TypePnRefDes, SortKey::PartType},
                      SummaryKeyCase{"TotalFailureRateStays", SortKey::TFR, SortKey::TFR},
                      SummaryKeyCase{"QuantityStays", SortKey::Qty, SortKey::Qty}),
    [](const ::testing::TestParamInfo<SummaryKeyCase>& info) { return std::string(info.param.name); });

TEST(Summary, HybridTypesCarryTheHybridNames) {
  auto doc = resistorsAndCapacitor(DocKind::Hybrid);
  auto report = built(3, *doc);
  ASSERT_GE(report->recordCount(), 1u);
  EXPECT_EQ(report->records()[0].lines()[0].substr(0, 13), "Resistor(Hyb)");
}

TEST(SmtDetails, HybridAndCircuitWithoutSmtPartsPrintNoSmtDevices) {
  auto hybrid = resistorsAndCapacitor(DocKind::Hybrid);
  auto h = built(6, *hybrid);
  ASSERT_EQ(h->recordCount(), 1u);
  EXPECT_EQ(h->records()[0].lines(), std::vector<std::string>{" No SMT Devices"});
  EXPECT_EQ(h->header().lineCount(), 1);
  auto circuit = twoPartCircuit();
  auto c = built(6, *circuit);
  ASSERT_EQ(c->recordCount(), 1u);
  EXPECT_EQ(c->records()[0].lines()[0], " No SMT Devices");
  EXPECT_EQ(c->header().lineCount(), 3);
}

TEST(SmtDetails, EveryPartListedAndSurfaceMountPartsCarryTheirSmtLine) {
  auto doc = twoPartCircuit();
  doc->header().HASSMT = 1;
  doc->record(1).IS_SMT = 1;
  test::calculate(*doc);
  auto report = built(6, *doc);
  ASSERT_EQ(report->recordCount(), 2u);
  EXPECT_EQ(report->records()[0].lineCount(), 1);
  ASSERT_EQ(report->records()[1].lineCount(), 2);
  EXPECT_EQ(report->records()[1].lines()[1], "    " + smtLine(doc->record(1)));
  const auto& header = report->header().lines();
  ASSERT_EQ(header.size(), 3u);
  EXPECT_EQ(header[1].rfind("FRSMT=" + formatNumber(doc->header().LargestFRSMT, 8, 6) + "  DesignLife:87600.0  "
                            "EquipType:Computer  TempCycleRate:", 0),
            0u)
      << header[1];
  EXPECT_EQ(header[2].rfind("BoardMaterial:Epoxy/Glass,Laminate  BoardTCE:", 0), 0u) << header[2];
}

TEST(ReportSorting, CaseInsensitiveEqualReferenceDesignatorsKeepDocumentOrder) {
  CCircDoc doc;
  doc.insertSorted(test::miscPart(1.0, "A", "r1"));  // document order: by PN
  doc.insertSorted(test::miscPart(2.0, "B", "R1"));
  doc.insertSorted(test::miscPart(3.0, "C", "C9"));
  test::calculate(doc);
  ReportSettings s;
  s.sortBy = SortKey::RefDes;
  auto report = built(0, doc, s);
  ASSERT_EQ(report->recordCount(), 3u);
  EXPECT_EQ(report->records()[0].PN, "C");
  EXPECT_EQ(report->records()[1].PN, "A");
  EXPECT_EQ(report->records()[2].PN, "B");
}

}  // namespace
}  // namespace kestrel
