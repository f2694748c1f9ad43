// The file devices lay out the same pages: the PDF's text (read back with
// pdftotext -layout) equals the text output page for page, the PDF has the
// page count and paper size asked for with its fonts embedded, and the RTF
// is well-formed RTF holding the same lines.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <fstream>
#include <set>

#include "report_fixtures.hpp"
#include "reports/pdf_device.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_printer.hpp"
#include "reports/rtf_device.hpp"
#include "reports/text_device.hpp"
#include "support/faulty_file_system.hpp"
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

struct KindCase {
  const char* name;
  int kind;
  bool hybrid;
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class PdfMatchesText : public ::testing::TestWithParam<KindCase> {};

TEST_P(PdfMatchesText, PdftotextEqualsTheTextOutputPageForPage) {
  const KindCase& c = GetParam();
  auto doc = c.hybrid ? test::manyTypesDocument(DocKind::Hybrid, true) : richCircuit();
  TextDevice text;
  std::uint32_t textPages = 0;
  const std::string plain = render(*doc, c.kind, text, &textPages);
  PdfDevice pdf;
  std::uint32_t pdfPages = 0;
  const std::string bytes = render(*doc, c.kind, pdf, &pdfPages);
  ASSERT_EQ(bytes.rfind("%PDF-", 0), 0u);
  EXPECT_EQ(pdfPages, textPages);

  test::TempFolder dir;
  const std::string path = writeTemp(dir, "report.pdf", bytes);
  const auto fromPdf = normalizedPages(tool("pdftotext -layout " + path + " -"));
  const auto fromText = normalizedPages(latin1ToUtf8(plain));  // pdftotext writes UTF-8
  ASSERT_EQ(fromText.size(), textPages);
  ASSERT_EQ(fromPdf.size(), fromText.size());
  for (std::size_t i = 0; i < fromText.size(); ++i) EXPECT_EQ(fromPdf[i], fromText[i]) << "page " << i + 1;
  EXPECT_NE(tool("pdfinfo " + path).find("Pages:           " + std::to_string(textPages) + "\n"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PdfMatchesText,
    ::testing::Values(KindCase{"ShortListCircuit", 0, false}, KindCase{"FullListCircuit", 1, false},
                      KindCase{"FullListHybrid", 1, true}, KindCase{"PiFactorsCircuit", 2, false},
                      KindCase{"PiFactorsHybrid", 2, true}, KindCase{"SummaryCircuit", 3, false},
                      KindCase{"OverStressCircuit", 4, false}, KindCase{"NotesCircuit", 5, false},
                      KindCase{"ShortListHybrid", 0, true}, KindCase{"SummaryHybrid", 3, true},
                      KindCase{"OverStressHybrid", 4, true}, KindCase{"NotesHybrid", 5, true},
                      KindCase{"SmtCircuit", 6, false}, KindCase{"SmtHybrid", 6, true}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

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
                                           PaperCase{"A4", kA4Paper, "595.276 x 841.89 pts (A4)"}),
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
  std::vector<std::string> destinations;  // per open group: its destination, or ""
  std::size_t i = 0;
  auto inBody = [&] {
    for (const std::string& d : destinations) {
      if (!d.empty()) return false;
    }
    return true;
  };
  auto emit = [&](char c) {
    if (inBody()) {
      out.pages.back() += c;
    } else if (std::find(destinations.begin(), destinations.end(), "fonttbl") != destinations.end()) {
      out.fonts += c;
    }
  };
  if (rtf.rfind("{\\rtf1", 0) != 0) out.error = "does not start with {\\rtf1";
  bool firstInGroup = false;
  while (i < rtf.size() && out.error.empty()) {
    const char c = rtf[i];
    if (c == '{') {
      destinations.emplace_back();
      firstInGroup = true;
      ++i;
    } else if (c == '}') {
      if (destinations.empty()) out.error = "unbalanced }";
      else destinations.pop_back();
      ++i;
      if (destinations.empty() && rtf.find_first_not_of("\r\n", i) != std::string::npos) {
        out.error = "text after the document group";
      }
    } else if (c == '\\') {
      ++i;
      if (i >= rtf.size()) {
        out.error = "\\ at the end";
      } else if (std::isalpha(static_cast<unsigned char>(rtf[i]))) {
        std::string word;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) word += rtf[i++];
        if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
          ++i;
          while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
        }
        if (i < rtf.size() && rtf[i] == ' ') ++i;
        out.words.insert(word);
        if (firstInGroup && (word == "fonttbl" || word == "info")) destinations.back() = word;
        if (word == "par") emit('\n');
        if (word == "tab") emit('\t');
        if (word == "page" && inBody()) out.pages.emplace_back();
      } else if (rtf[i] == '\'') {
        const int value = std::stoi(rtf.substr(i + 1, 2), nullptr, 16);
        emit(static_cast<char>(value));
        i += 3;
      } else {
        emit(rtf[i]);  // \\ \{ \}
        ++i;
      }
      firstInGroup = false;
    } else {
      if (c != '\n' && c != '\r') emit(c);
      ++i;
      firstInGroup = false;
    }
  }
  if (out.error.empty() && !destinations.empty()) out.error = "unclosed group";
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
                                       "brdrb", "brdrs", "brdrw", "tx", "fs", "b", "tab", "par", "page"};
  for (const std::string& word : read.words) EXPECT_TRUE(known.count(word)) << "\\" << word;
  EXPECT_NE(read.fonts.find("Courier New;"), std::string::npos);
  EXPECT_NE(bytes.find(c.paperWords), std::string::npos);
  EXPECT_NE(bytes.find("\\f0\\fmodern\\fprq1"), std::string::npos);  // fixed pitch
  const auto want = normalizedPages(plain);
  ASSERT_EQ(read.pages.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(test::normalizedPage(read.pages[i]), want[i]) << "page " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RtfFile,
    ::testing::Values(RtfCase{"FullListLetter", 1, kLetterPaper, "\\paperw12240\\paperh15840\\margl360"},
                      RtfCase{"NotesA4", 5, kA4Paper, "\\paperw11906\\paperh16838\\margl360"},
                      RtfCase{"ShortListLetter", 0, kLetterPaper, "\\paperw12240\\paperh15840"}),
    [](const ::testing::TestParamInfo<RtfCase>& info) { return std::string(info.param.name); });

TEST(RtfFile, RowsBelowTheTitleAreTheTextLinesBlankForBlank) {
  auto doc = richCircuit();
  RtfDevice rtf;
  TextDevice text;
  const RtfRead read = readRtf(render(*doc, 2, rtf));
  const std::string plain = render(*doc, 2, text);
  const auto lines = test::splitLines(plain.substr(0, plain.find('\f')));
  const auto rows = test::splitLines(read.pages[0]);
  ASSERT_EQ(rows.size(), lines.size());
  ASSERT_GT(rows.size(), 10u);
  // the title row holds a tab before the stamp; every other row is one run
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::string row = rows[i];
    while (!row.empty() && row.back() == ' ') row.pop_back();
    EXPECT_EQ(row, lines[i]) << i;
  }
  EXPECT_NE(rows[0].find('\t'), std::string::npos);
}

TEST(RtfEscaping, BracesBackslashesAndHighBytes) {
  EXPECT_EQ(rtfEscaped("a{b}c\\d\xE9"), "a\\{b\\}c\\\\d\\'e9");
}

TEST(PdfDevice, Latin1TextBecomesUtf8) {
  EXPECT_EQ(latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(latin1ToUtf8("plain"), "plain");
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

}  // namespace
}  // namespace kestrel
