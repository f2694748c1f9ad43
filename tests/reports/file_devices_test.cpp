// The file devices lay out the same pages: the PDF's text (read back with
// pdftotext -layout) equals the text output page for page, the PDF has the
// page count and paper size asked for with its fonts embedded, and the RTF
// is well-formed RTF holding the same lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <ostream>
#include <set>
#include <tuple>

#include "report_fixtures.hpp"
#include "reports/page_layout.hpp"
#include "reports/paper_sizes.hpp"
#include "reports/pdf_device.hpp"
#include "reports/profile_report.hpp"
#include "reports/report.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_printer.hpp"
#include "reports/rtf_device.hpp"
#include "reports/text_device.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "support/faulty_file_system.hpp"
#include "support/golden.hpp"
#include "support/recording_ui.hpp"

namespace kestrel {
namespace {

using test::normalizedPages;
using test::render;

std::string writeTemp(const test::TempFolder& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.file(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string tool(const std::string& command) {
  int status = 0;
  std::string out = test::commandOutput(command + " 2>/dev/null", &status);
  EXPECT_EQ(status, 0) << command << " failed: poppler-utils must be installed (scripts/deps.sh)";
  return out;
}

// A circuit of every registered type, with texts that need escaping.
std::unique_ptr<CCircDoc> richCircuit() {
  auto doc = test::manyTypesDocument(DocKind::Circuit, true);
  doc->record(0).DESCR = "Brace {and} back\\slash, caf\xE9 \xD8 5%";
  return doc;
}

class PdfMatchesText : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(PdfMatchesText, PdftotextEqualsTheTextOutputPageForPage) {
  const auto [kind, hybrid] = GetParam();
  auto doc = hybrid ? test::manyTypesDocument(DocKind::Hybrid, true) : richCircuit();
  TextDevice text;
  std::uint32_t textPages = 0;
  const std::string plain = render(*doc, kind, text, &textPages);
  PdfDevice pdf;
  std::uint32_t pdfPages = 0;
  const std::string bytes = render(*doc, kind, pdf, &pdfPages);
  ASSERT_EQ(bytes.rfind("%PDF-", 0), 0u);
  EXPECT_EQ(pdfPages, textPages);

  test::TempFolder dir;
  const std::string path = writeTemp(dir, "report.pdf", bytes);
  const auto fromPdf = normalizedPages(tool("pdftotext -layout " + path + " -"));
  const auto fromText = normalizedPages(plain);  // both UTF-8
  ASSERT_EQ(fromText.size(), textPages);
  ASSERT_EQ(fromPdf.size(), fromText.size());
  for (std::size_t i = 0; i < fromText.size(); ++i) EXPECT_EQ(fromPdf[i], fromText[i]) << "page " << i + 1;
  EXPECT_NE(tool("pdfinfo " + path).find("Pages:           " + std::to_string(textPages) + "\n"),
            std::string::npos);
}

// Every kind, on the circuit and the hybrid.
const char* const kKindNames[] = {"ShortList", "FullList", "PiFactors", "Summary", "OverStress", "Notes", "Smt"};
INSTANTIATE_TEST_SUITE_P(Kinds, PdfMatchesText, ::testing::Combine(::testing::Range(0, 7), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<int, bool>>& info) {
                           return std::string(kKindNames[std::get<0>(info.param)]) +
                                  (std::get<1>(info.param) ? "Hybrid" : "Circuit");
                         });

struct PaperCase {
  const char* name;
  Paper paper;
  const char* size;
};
void PrintTo(const PaperCase& c, std::ostream* os) { *os << c.name; }

class PdfPaper : public ::testing::TestWithParam<PaperCase> {};

TEST_P(PdfPaper, PageSizeAndEmbeddedLiberationFonts) {
  auto doc = richCircuit();
  PdfDevice pdf(GetParam().paper);
  TextDevice text(GetParam().paper);
  std::uint32_t pdfPages = 0, textPages = 0;
  const std::string bytes = render(*doc, 1, pdf, &pdfPages);
  (void)render(*doc, 1, text, &textPages);
  EXPECT_EQ(pdfPages, textPages);
  test::TempFolder dir;
  const std::string path = writeTemp(dir, "paper.pdf", bytes);
  const std::string info = tool("pdfinfo " + path);
  EXPECT_NE(info.find(GetParam().size), std::string::npos) << info;
  const std::string fonts = tool("pdffonts " + path);
  for (const char* family : {"LiberationMono-Bold", "LiberationMono ", "LiberationSans "}) {
    const auto at = fonts.find(family);
    ASSERT_NE(at, std::string::npos) << family << "\n" << fonts;
    const std::string row = fonts.substr(at, fonts.find('\n', at) - at);
    EXPECT_NE(row.find(" yes yes "), std::string::npos) << row;  // embedded, as a subset
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PdfPaper,
                         ::testing::Values(PaperCase{"Letter", kLetterPaper, "612 x 792 pts (letter)"},
                                           PaperCase{"A4", kA4Paper, "595.276 x 841.89 pts (A4)"},
                                           PaperCase{"A4Landscape", oriented(kA4Paper, true), "841.89 x 595.276 pts"},
                                           PaperCase{"Legal", *findPaper("Legal"), "612 x 1008 pts"},
                                           PaperCase{"PrinterOwn", *findPaper("8.5x13"), "612 x 936 pts"}),
                         [](const ::testing::TestParamInfo<PaperCase>& info) {
                           return std::string(info.param.name);
                         });

// A letter page holds 45 short-list lines, an A4 page 49.
TEST(PaperSize, LongerPaperTakesFewerPages) {
  CCircDoc doc;
  for (int i = 0; i < 48; ++i) doc.insertSorted(test::miscPart(1.0, "M" + std::to_string(100 + i)));
  test::calculate(doc);
  TextDevice letter(kLetterPaper), a4(kA4Paper);
  std::uint32_t letterPages = 0, a4Pages = 0;
  (void)render(doc, 0, letter, &letterPages);
  (void)render(doc, 0, a4, &a4Pages);
  EXPECT_EQ(letterPages, 2u);
  EXPECT_EQ(a4Pages, 1u);
}

TEST(TextDevice, PagesAreSeparatedByFormFeedsWithTheStampOnTheTitleLine) {
  auto doc = richCircuit();
  TextDevice text;
  std::uint32_t pages = 0;
  const std::string plain = render(*doc, 1, text, &pages);
  ASSERT_GT(pages, 1u);
  EXPECT_EQ(static_cast<std::uint32_t>(std::count(plain.begin(), plain.end(), '\f')), pages - 1);
  EXPECT_NE(plain.back(), '\f');
  std::size_t start = 0;
  for (std::uint32_t page = 1; page <= pages; ++page) {
    const std::string first = plain.substr(start, plain.find('\n', start) - start);
    const std::string stamp = "Page " + std::to_string(page) + " of " + std::to_string(pages) +
                              "      SortBy: PartType/PN/RefDes      Date: 11/30/2025  12:30 AM";
    EXPECT_EQ(first.rfind("Full List Report ", 0), 0u) << first;
    // right-aligned: 106 columns of 0.075 inch fit the 8 inches, less 0.05 inch
    EXPECT_EQ(first.size(), 106u);
    EXPECT_EQ(first.substr(first.size() - stamp.size()), stamp);
    start = plain.find('\f', start);
    if (start != std::string::npos) ++start;
  }
}

// ---- a small RTF reader: groups, control words, text ----

struct RtfRead {
  std::string error;
  std::set<std::string> words;
  std::vector<std::string> pages{1};
  std::string fonts;  // text of the font table
};

RtfRead readRtf(const std::string& rtf) {
  RtfRead out;
  std::vector<std::string> groups;  // per open group: its destination, or ""
  const auto in = [&](const char* d) { return std::find(groups.begin(), groups.end(), d) != groups.end(); };
  const auto emit = [&](char c) {
    if (in("fonttbl")) out.fonts += c;
    else if (!in("info")) out.pages.back() += c;
  };
  const auto isAlpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  if (rtf.rfind("{\\rtf1", 0) != 0) out.error = "does not start with {\\rtf1";
  bool first = false;  // the token read follows its group's opening brace
  for (std::size_t i = 0; i < rtf.size() && out.error.empty();) {
    const char c = rtf[i++];
    const bool opens = first;
    first = c == '{';
    if (c == '{') {
      groups.emplace_back();
    } else if (c == '}') {
      if (groups.empty()) out.error = "unbalanced }";
      else groups.pop_back();
      if (groups.empty() && rtf.find_first_not_of("\r\n", i) != std::string::npos) {
        out.error = "text after the document group";
      }
    } else if (c != '\\') {
      if (c != '\n' && c != '\r') emit(c);
    } else if (i >= rtf.size()) {
      out.error = "\\ at the end";
    } else if (rtf[i] == '\'') {  // a byte of the declared code page, 1252
      for (char b : windows1252ToUtf8(std::string(1, static_cast<char>(std::stoi(rtf.substr(i + 1, 2), nullptr, 16))))) emit(b);
      i += 3;
    } else if (!isAlpha(rtf[i])) {
      emit(rtf[i++]);  // \\ \{ \}
    } else {
      std::string word;
      while (i < rtf.size() && isAlpha(rtf[i])) word += rtf[i++];
      if (i < rtf.size() && rtf[i] == '-') ++i;
      while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
      if (i < rtf.size() && rtf[i] == ' ') ++i;
      out.words.insert(word);
      if (opens && (word == "fonttbl" || word == "info")) groups.back() = word;
      if (word == "par") emit('\n');
      if (word == "tab") emit('\t');
      if (word == "page" && !in("fonttbl") && !in("info")) out.pages.emplace_back();
    }
  }
  if (out.error.empty() && !groups.empty()) out.error = "unclosed group";
  return out;
}

TEST(RtfReader, RefusesWhatIsNotRtf) {
  EXPECT_FALSE(readRtf("{\\rtf1 a").error.empty());
  EXPECT_FALSE(readRtf("{\\rtf1 a}}").error.empty());
  EXPECT_FALSE(readRtf("plain text").error.empty());
  EXPECT_TRUE(readRtf("{\\rtf1 a\\par}").error.empty());
}

struct RtfCase {
  const char* name;
  int kind;
  Paper paper;
  const char* paperWords;
};
void PrintTo(const RtfCase& c, std::ostream* os) { *os << c.name; }

class RtfFile : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfFile, WellFormedRtfWithTheTextOutputsPagesAndLines) {
  const RtfCase& c = GetParam();
  auto doc = richCircuit();
  RtfDevice rtf(c.paper);
  TextDevice text(c.paper);
  const std::string bytes = render(*doc, c.kind, rtf);
  const std::string plain = render(*doc, c.kind, text);
  const RtfRead read = readRtf(bytes);
  ASSERT_EQ(read.error, "");
  const std::set<std::string> known = {"rtf", "ansi", "ansicpg", "deff", "fonttbl", "f", "fmodern", "fswiss",
                                       "fprq", "fcharset", "info", "title", "author", "paperw", "paperh",
                                       "margl", "margr", "margt", "margb", "pard", "plain", "sl", "slmult",
                                       "brdrb", "brdrs", "brdrw", "tx", "fs", "b", "tab", "par", "page", "landscape"};
  for (const std::string& word : read.words) EXPECT_TRUE(known.count(word)) << "\\" << word;
  EXPECT_NE(read.fonts.find("Courier New;"), std::string::npos);
  EXPECT_NE(bytes.find(c.paperWords), std::string::npos);
  EXPECT_NE(bytes.find("\\f0\\fmodern\\fprq1"), std::string::npos);  // fixed pitch
  const auto want = normalizedPages(plain);
  ASSERT_EQ(read.pages.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(test::normalizedPage(read.pages[i]), want[i]) << "page " << i + 1;
  }
  // The first page's rows below the title are the text lines, blank for blank;
  // the title row holds a tab before the stamp.
  const auto lines = test::splitLines(plain.substr(0, plain.find('\f')));
  const auto rows = test::splitLines(read.pages[0]);
  ASSERT_EQ(rows.size(), lines.size());
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].substr(0, rows[i].find_last_not_of(' ') + 1), lines[i]) << i;
  }
  EXPECT_NE(rows[0].find('\t'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RtfFile,
    ::testing::Values(RtfCase{"FullListLetter", 1, kLetterPaper, "\\paperw12240\\paperh15840\\margl360"},
                      RtfCase{"NotesA4", 5, kA4Paper, "\\paperw11906\\paperh16838\\margl360"},
                      RtfCase{"NotesA4Landscape", 5, oriented(kA4Paper, true), "\\paperw16838\\paperh11906"},
                      RtfCase{"ShortListLetter", 0, kLetterPaper, "\\paperw12240\\paperh15840"},
                      RtfCase{"PiFactorsLetter", 2, kLetterPaper, "\\paperw12240\\paperh15840"}),
    [](const ::testing::TestParamInfo<RtfCase>& info) { return std::string(info.param.name); });

// A record's Windows-1252 texts read back as typed from the text file, the
// PDF (pdftotext) and the RTF (escapes of its declared code page).
TEST(ReportFiles, TextsOutsideAsciiReadBackAsTyped) {
  auto doc = richCircuit();
  doc->record(0).DESCR = "\xB5" "F \xB1" "5 % ? 25 \xB0" "C Z\xFCrich";
  const std::string typed = "\u00B5" "F \u00B1" "5 % ? 25 \u00B0" "C Z\u00FCrich";
  test::TempFolder dir;
  const std::vector<std::pair<const char*, std::function<std::string()>>> files = {
      {"text", [&] { TextDevice d; return render(*doc, 1, d); }},
      {"pdf", [&] { PdfDevice d; return tool("pdftotext -layout " + writeTemp(dir, "t.pdf", render(*doc, 1, d)) + " -"); }},
      {"rtf", [&] { RtfDevice d; const std::string rtf = render(*doc, 1, d);
                    EXPECT_NE(rtf.find("\\'b5F \\'b15 % ? 25 \\'b0C Z\\'fcrich"), std::string::npos);
                    const RtfRead read = readRtf(rtf);
                    return std::accumulate(read.pages.begin(), read.pages.end(), std::string()); }},
  };
  for (const auto& [name, readBack] : files) EXPECT_NE(readBack().find(typed), std::string::npos) << name;
}

// (The RTF reader takes raw high bytes as text, so the escapes are checked apart.)
TEST(RtfEscaping, BracesBackslashesAndHighBytes) {
  EXPECT_EQ(rtfEscaped("a{b}c\\d\xE9"), "a\\{b\\}c\\\\d\\'e9");
}

TEST(PdfDevice, CourierWidthsAreFixedPitchAtSixTenthsOfTheHeight) {
  PdfDevice pdf;
  pdf.createFont(FontRole::Body, reportFont(FontRole::Body), 75);
  pdf.createFont(FontRole::Small, reportFont(FontRole::Small), 75);
  EXPECT_NEAR(pdf.textWidth(FontRole::Body, std::string(100, '-')), 4500.0, 2.0);
  EXPECT_DOUBLE_EQ(pdf.textWidth(FontRole::Body, "iiii"), pdf.textWidth(FontRole::Body, "WWWW"));
  EXPECT_LT(pdf.textWidth(FontRole::Small, "iiii"), pdf.textWidth(FontRole::Small, "WWWW"));
  EXPECT_GT(pdf.ascent(FontRole::Body), 40.0);
  std::string bytes;
  EXPECT_TRUE(pdf.finish(bytes).isOk());
  EXPECT_FALSE(pdf.finish(bytes).isOk());
}

// ---- the Mission Profile report ----

// Contributors given lowest first; a switched-off phase without failures (MTBF infinite).
ProfileResult twoPhaseProfile(int repetitions) {
  ProfileResult r;
  r.profileName = "Sortie";
  r.model = 2;
  r.phases = {{{"Ground", 2, 35.0, 2.0, 100.0, 0.0}, 12.5, 12.5, 80000.0, 0.999975, 0.0,
               {{"R-LOW", "/missions/A.CIR", 1.5}, {"U-HIGH", "/missions/B.CIR", 9.25}}},
              {{"Hangar", 1, 20.0, 16.0, 0.0, 0.0}, 12.0, 0.0, INFINITY, 1.0, 2.0, {}}};
  std::tie(r.totalHours, r.averageFailureRate, r.mtbf, r.reliability) = std::tuple(18.0, 25.0 / 18.0, 720000.0, 0.999975);
  std::tie(r.repetitions, r.repeatedReliability) = std::tuple(repetitions, 0.999925);
  return r;
}

std::string profileReport(int repetitions, const std::string& name) {
  std::string bytes;
  EXPECT_TRUE(renderProfileReport(twoPhaseProfile(repetitions), name, kLetterPaper, bytes, {}, test::fixedTime()).isOk());
  return bytes;
}

// The phase lines, totals and contributors (highest first) in the text; the
// PDF and the RTF hold the same page; a failed or refused write leaves no file.
TEST(ProfileReport, PhaseTableTotalsAndContributorsInEveryFile) {
  std::string text = profileReport(3, "p.txt");
  for (const char* line : {"PROFILE: Sortie   MODEL: Parallel\n",
                           " Ground                   GF      35.00       2.00 100.00   0.0      12.5000   80000.0000   0.999975\n",
                           " Hangar                   GB      20.00      16.00   0.0    0.0       0.0      ************ 1.00000\n",
                           "TotalHours= 18.00 hrs.   AverageFR= 1.38889 fpmh   EquivalentMTBF= 720000.0000 hrs.\n",
                           "ProfileR= 0.999975   R after 3 repetitions= 0.999925\n",
                           " Phase 1: Ground\n    U-HIGH                        9.25000   /missions/B.CIR\n    R-LOW "}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(profileReport(1, "p.txt").find("repetitions"), std::string::npos);
  test::TempFolder dir;
  const std::string pdf = writeTemp(dir, "p.pdf", profileReport(3, "p.PDF"));
  EXPECT_EQ(normalizedPages(tool("pdftotext -layout " + pdf + " -")), normalizedPages(text));
  const RtfRead rtf = readRtf(profileReport(3, "p.rtf"));
  EXPECT_EQ(std::vector<std::string>{test::normalizedPage(rtf.pages.at(0))}, normalizedPages(text)) << rtf.error;
  test::FaultyFileSystem fs;
  fs.failWriteAfter = 100;
  EXPECT_FALSE(writeProfileReport(fs, twoPhaseProfile(1), dir.file("q.pdf"), kLetterPaper).isOk());
  EXPECT_FALSE(writeProfileReport(posixFileSystem(), twoPhaseProfile(1), dir.file("q.doc"), kLetterPaper).isOk());
  EXPECT_EQ(dir.list(), std::vector<std::string>{"p.pdf"});
  ProfileResult many = twoPhaseProfile(1);  // pages after the phase table head the contributors' columns
  many.phases.resize(32, many.phases[0]);
  ASSERT_TRUE(renderProfileReport(many, "long.txt", kLetterPaper, text).isOk());
  const std::string last = text.substr(text.rfind('\f'));
  EXPECT_EQ(last.find(" Phase                    Env"), std::string::npos);
  EXPECT_LT(last.find(" Top Contributors (PN)"), last.find("    U-HIGH"));
}

}  // namespace
}  // namespace kestrel

// ---- Page geometry from the device, pagination at the nominal record height
// (records taller than a page continue on the next pages), the page header
// on every page, the bottom reserve, the stamp and the print-job warning.
namespace kestrel::layout {
namespace {

using test::RecordingDevice;
using test::RecordingUi;

// A report of records with given line counts; record i's lines read "i.k".
class LinesReport final : public CReport {
 public:
  LinesReport(std::vector<int> heights, bool separator, int headerLines = 4, ReportSettings s = {})
      : CReport(s, separator, 5), heights_(std::move(heights)), headerLines_(headerLines) {}
  std::string GetTitle() const override { return "Lines Report"; }
  std::string FormatColumnHeading() const override { return "Heading"; }
  void FormatRecord(const CCircDoc&, const CPart&) override {}
  bool Assemble(const CCircDoc&, Ui&) override {
    for (int i = 0; i < headerLines_; ++i) addHeaderLine("HEADER " + std::to_string(i));
    for (std::size_t r = 0; r < heights_.size(); ++r) {
      CReportRec rec;
      for (int k = 0; k < heights_[r]; ++k) rec.addLine(std::to_string(r) + "." + std::to_string(k));
      insertRecord(std::move(rec));
    }
    return true;
  }
  void make() {
    CCircDoc doc;
    doc.header().CalcFlags = HeaderBasicDone;
    SilentUi ui;
    ASSERT_TRUE(build(doc, ui));
  }

 private:
  std::vector<int> heights_;
  int headerLines_;
};

PrintOptions fixedOptions(int hour = 13, int minute = 5) {
  PrintOptions o;
  o.software = "Kestrel 9.9";
  o.fixedTime = true;
  o.time.tm_year = 2025 - 1900;
  o.time.tm_mon = 2;
  o.time.tm_mday = 4;
  o.time.tm_hour = hour;
  o.time.tm_min = minute;
  return o;
}

struct MarginCase {
  const char* name;
  float top, left;
  int offsetLeft, offsetTop, offsetBottom;
  int x0, y0, width, height, reserve;
};
void PrintTo(const MarginCase& c, std::ostream* os) { *os << c.name; }

class Margins : public ::testing::TestWithParam<MarginCase> {};

TEST_P(Margins, OffsetsComeFromTheMarginsLessTheUnprintableStrips) {
  const MarginCase& c = GetParam();
  ReportSettings s;
  s.topMargin = c.top;
  s.leftMargin = c.left;
  LinesReport report({1}, false, 4, s);
  report.make();
  RecordingDevice device;
  device.deviceCaps.offsetLeft = c.offsetLeft;
  device.deviceCaps.offsetTop = c.offsetTop;
  device.deviceCaps.offsetBottom = c.offsetBottom;
  const PageGeometry g = preparePages(report, device);
  EXPECT_EQ(g.x0, c.x0);
  EXPECT_EQ(g.y0, c.y0);
  EXPECT_EQ(g.printableWidth, c.width);
  EXPECT_EQ(g.printableHeight, c.height);
  EXPECT_EQ(g.bottomReserve, c.reserve);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, Margins,
    ::testing::Values(MarginCase{"QuarterInchOnQuarterInchStrips", 0.25f, 0.25f, 18, 18, 18, 0, 0, 576, 756, 18},
                      MarginCase{"InchMarginsOnQuarterInchStrips", 1.0f, 0.5f, 18, 18, 18, 18, 54, 558, 702, 18},
                      MarginCase{"NoStripsTakeTheWholeMargin", 0.3f, 0.3f, 0, 0, 0, 21, 21, 555, 735, 36},
                      MarginCase{"StripWiderThanMarginGivesZero", 0.25f, 0.25f, 30, 30, 30, 0, 0, 576, 756, 6},
                      MarginCase{"BottomStripBeyondHalfInchLeavesNoReserve", 0.25f, 0.25f, 18, 18, 50, 0, 0, 576,
                                 756, 0}),
    [](const ::testing::TestParamInfo<MarginCase>& info) { return std::string(info.param.name); });

std::vector<std::size_t> sliceLines(const Pagination& p, std::size_t page) {
  std::vector<std::size_t> out;
  for (const PageSlice& s : p.pages[page]) out.push_back(s.lineCount);
  return out;
}

// 72 units per inch, letter paper less quarter-inch strips: the body of a page
// with four header lines is 756 - 18 - (3 x (6 + 5 + 11) + 5 x 13 + 14) = 593,
// 45 lines of 13 units.
struct PaginationCase {
  const char* name;
  std::vector<int> heights;
  bool separator;
  std::vector<std::vector<std::size_t>> pages;  // line counts of the slices of each page
  std::vector<std::uint32_t> firstPages;
};
void PrintTo(const PaginationCase& c, std::ostream* os) { *os << c.name; }

class Paginate : public ::testing::TestWithParam<PaginationCase> {};

TEST_P(Paginate, RecordsFillPagesWholeAndOnlyOversizedOnesContinue) {
  const PaginationCase& c = GetParam();
  LinesReport report(c.heights, c.separator);
  report.make();
  RecordingDevice device;
  const Pagination p = paginate(report, preparePages(report, device));
  ASSERT_EQ(p.pageCount(), c.pages.size());
  for (std::size_t i = 0; i < c.pages.size(); ++i) EXPECT_EQ(sliceLines(p, i), c.pages[i]) << "page " << i + 1;
  for (std::size_t r = 0; r < c.firstPages.size(); ++r) EXPECT_EQ(report.records()[r].page, c.firstPages[r]);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, Paginate,
    ::testing::Values(
        PaginationCase{"NoRecordsStillOnePage", {}, true, {{}}, {}},
        PaginationCase{"AllFitOnOnePage", {4, 4, 4}, true, {{5, 5, 5}}, {1, 1, 1}},
        // nine records of 4 + 1 lines take 45 lines; the tenth starts page 2
        PaginationCase{"NominalRecordsBreakAtTheBody",
                       {4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
                       true,
                       {{5, 5, 5, 5, 5, 5, 5, 5, 5}, {5}},
                       {1, 1, 1, 1, 1, 1, 1, 1, 1, 2}},
        // 40 lines, then a 6-line record does not fit the 5 left: whole on page 2
        PaginationCase{"RecordThatDoesNotFitMovesWhole", {40, 6}, false, {{40}, {6}}, {1, 2}},
        PaginationCase{"ExactFitStaysOnThePage", {40, 5}, false, {{40, 5}}, {1, 1}},
        // 100 lines and its separator: a page of its own, then 45, 11 on page 4
        PaginationCase{"TallerThanAPageStartsFreshAndContinues",
                       {10, 100, 3},
                       true,
                       {{11}, {45}, {45}, {11, 4}},
                       {1, 2, 4}},
        PaginationCase{"TallRecordFirstOnThePageSplitsAtOnce", {50}, false, {{45}, {5}}, {1}}),
    [](const ::testing::TestParamInfo<PaginationCase>& info) { return std::string(info.param.name); });

TEST(Paginate, BodyWithoutRoomForOneLineStillEndsOneLinePerPage) {
  LinesReport report({3, 2}, false, 60);  // sixty header lines leave no body
  report.make();
  RecordingDevice device;
  const PageGeometry g = preparePages(report, device);
  ASSERT_LT(g.bodyHeight, g.bodyStep);
  const Pagination p = paginate(report, g);
  ASSERT_EQ(p.pageCount(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(sliceLines(p, i), std::vector<std::size_t>{1});
}

// Prints on the recording device with a fixed stamp time.
Status printOn(CReport& report, RecordingDevice& device, RecordingUi& ui,
               const PrintOptions& options = fixedOptions()) {
  return printReport(report, device, ui, options);
}

// Every text and rule a report draws, a line each: page, font, where, what.
std::string drawing(const RecordingDevice& d) {
  static const char* const fonts[] = {"body", "heading", "title", "small"};
  std::string out = "pages " + std::to_string(d.pages) + ", ended " + std::to_string(d.endedPages) + "\n";
  for (const auto& t : d.texts) {
    out += strprintf("%d %-7s %d,%d %s\n", t.page, fonts[static_cast<int>(t.role)], t.x, t.y, t.text.c_str());
  }
  for (const auto& r : d.rules) out += strprintf("%d rule    %d,%d %dx%d\n", r.page, r.x, r.y, r.width, r.height);
  return out;
}

// Records taller than a page on letter paper at 72 units per inch: every page
// has the title, the stamp right-aligned on the title's baseline, the header
// texts, the heading and the header lines, then only its own record lines,
// each record once and followed by its separator; and one short report on a
// 600 units per inch device with no unprintable strips (x0 = y0 = 150; title
// step 116, small 91, body 108).
TEST(PageLayout, EveryPageCarriesTheHeaderAndOnlyItsOwnLines) {
  LinesReport report({10, 100, 3}, true);
  report.make();
  RecordingDevice device;
  RecordingUi ui;
  ASSERT_TRUE(printOn(report, device, ui).isOk());
  LinesReport small({2}, false, 1);
  small.make();
  RecordingDevice fine;
  fine.deviceCaps = {600, 600, 5100, 6600, 0, 0, 0};
  fine.cell = 45.0;
  ASSERT_TRUE(printOn(small, fine, ui).isOk());
  EXPECT_GOLDEN("page_layout.txt", drawing(device) + "== 600 units per inch\n" + drawing(fine));
}

TEST(PageLayout, NoTextEntersTheBottomReserve) {
  LinesReport report(std::vector<int>(40, 7), true);
  report.make();
  RecordingDevice device;
  RecordingUi ui;
  ASSERT_TRUE(printOn(report, device, ui).isOk());
  const PageGeometry g = preparePages(report, device);
  const int limit = g.y0 + g.printableHeight - g.bottomReserve;
  ASSERT_GT(device.pages, 1);
  int lowest = 0;
  for (const auto& t : device.texts) lowest = std::max(lowest, t.y + g.bodyStep);
  EXPECT_LE(lowest, limit);
  EXPECT_GT(lowest, limit - 8 * g.bodyStep);  // and the pages are filled
}

TEST(PageLayout, LongAndControlCharacterTextsAreCutAndBlanked) {
  LinesReport report({0}, false, 1);
  report.make();
  RecordingDevice device;
  device.deviceCaps.printableWidth = 300;  // 60 cells
  RecordingUi ui;
  // too narrow for 100 hyphens: answer No and print anyway
  ui.answers = {false};
  struct Long final : public CReport {
    Long() : CReport({}, false, 1) {}
    std::string GetTitle() const override { return "T"; }
    std::string FormatColumnHeading() const override { return std::string(80, 'h'); }
    void FormatRecord(const CCircDoc&, const CPart&) override {}
    bool Assemble(const CCircDoc&, Ui&) override {
      addHeaderLine("tab\there\r\nnext");
      CReportRec r;
      r.addLine(std::string(70, 'x'));
      insertRecord(std::move(r));
      return true;
    }
  } longReport;
  CCircDoc doc;
  doc.header().CalcFlags = HeaderBasicDone;
  ASSERT_TRUE(longReport.build(doc, ui));
  ASSERT_TRUE(printOn(longReport, device, ui).isOk());
  EXPECT_EQ(device.pageTexts(1, FontRole::Heading), std::vector<std::string>{std::string(60, 'h')});
  const auto body = device.pageTexts(1, FontRole::Body);
  ASSERT_EQ(body.size(), 2u);
  EXPECT_EQ(body[0], "tab here  next");
  EXPECT_EQ(body[1], std::string(60, 'x'));
}

TEST(Stamp, TwelveHourClockWithAmPm) {
  const std::tuple<int, int, const char*> times[] = {
      {13, 5, "1:05 PM"}, {0, 30, "12:30 AM"}, {12, 0, "12:00 PM"}, {9, 7, "9:07 AM"}, {23, 59, "11:59 PM"}};
  for (const auto& [hour, minute, clock] : times) {
    EXPECT_EQ(pageStamp(2, 7, SortKey::TFR, fixedOptions(hour, minute).time),
              std::string("Page 2 of 7      SortBy: TFR      Date: 3/4/2025  ") + clock);
  }
}

struct WarningCase {
  const char* name;
  int headerLines;
  int width;
  bool answer;
  const char* question;
  bool printed;
  bool missionResults = false;  // one line more in the nominal record
};
void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }

class PrintWarning : public ::testing::TestWithParam<WarningCase> {};

TEST_P(PrintWarning, ShortOrNarrowPageAsksAndYesCancels) {
  const WarningCase& c = GetParam();
  ReportSettings settings;
  settings.missionResults = c.missionResults;
  LinesReport report({1}, true, c.headerLines, settings);
  report.make();
  RecordingDevice device;
  device.deviceCaps.printableWidth = c.width;
  RecordingUi ui;
  ui.answers = {c.answer};
  const Status s = printOn(report, device, ui);
  EXPECT_EQ(s.isOk(), c.printed);
  EXPECT_EQ(device.pages > 0, c.printed);
  if (c.question[0] == '\0') {
    EXPECT_TRUE(ui.questions.empty());
  } else {
    EXPECT_EQ(ui.questions, std::vector<std::string>{c.question});
  }
}

// The nominal height 5 plus the separator takes 6 x 13 = 78: 41 header lines
// leave 593 - 37 x 13 = 112, 43 leave 86, 44 leave 73; with mission results
// it takes 7 x 13 = 91.
INSTANTIATE_TEST_SUITE_P(
    Pages, PrintWarning,
    ::testing::Values(
        WarningCase{"FitsWithoutQuestion", 4, 576, true, "", true},
        WarningCase{"ShortPageYesCancels", 44, 576, true,
                    "Print job warning:\nPage length not sufficient for this report.\nCancel print job?", false},
        WarningCase{"ShortPageNoPrintsAnyway", 44, 576, false,
                    "Print job warning:\nPage length not sufficient for this report.\nCancel print job?", true},
        WarningCase{"NominalRecordJustFits", 41, 576, true, "", true},
        WarningCase{"MissionLineStillFits", 41, 576, true, "", true, true},
        WarningCase{"NoMissionLineFits", 43, 576, true, "", true},
        WarningCase{"MissionLineMakesThePageShort", 43, 576, true,
                    "Print job warning:\nPage length not sufficient for this report.\nCancel print job?", false, true},
        WarningCase{"NarrowPageYesCancels", 4, 499, true,
                    "Print job warning:\nPage width not sufficient for this report.\nCancel print job?", false},
        WarningCase{"ShortAndNarrow", 44, 400, true,
                    "Print job warning:\nPage length not sufficient for this report.\nPage width not "
                    "sufficient for this report.\nCancel print job?",
                    false}),
    [](const ::testing::TestParamInfo<WarningCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel::layout
