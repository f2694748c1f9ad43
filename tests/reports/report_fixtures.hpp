// Documents and devices the report tests share: calculated circuits and
// hybrids built from the registered part classes, a page device with simple
// fixed-pitch metrics that records what is drawn, and small text helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"
#include "reports/page_device.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_printer.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {

// A fixed-rate miscellaneous part.
inline std::unique_ptr<CPart> miscPart(double rate, std::string pn, std::string refdes = "U1",
                                       double qty = 1.0, bool hybrid = false) {
  registerAllParts();
  auto part = PartRegistry::instance().create(kMiscType, hybrid);
  auto& misc = static_cast<CMisc&>(*part);
  misc.METHOD = 1;
  misc.BASEFR = static_cast<float>(rate);
  part->PN = std::move(pn);
  part->REFDES = std::move(refdes);
  part->QTY = static_cast<float>(qty);
  return part;
}

// The basic calculation (and with `mission` the mission stages) of a
// document without sub-files. Fails the test when it does not succeed.
inline void calculate(CCircDoc& doc, bool mission = false) {
  SilentUi ui;
  CalcContext context(ui);
  ASSERT_TRUE(doc.BasicCalc(context, 0, 1000.0));
  if (mission) {
    ASSERT_TRUE(doc.MissionCalc(context, 0));
    ASSERT_TRUE(doc.MissionMTBF(context));
    doc.header().CalcFlags |= HeaderMissionMtbfDone;
  }
}

// One record of every registered part type of a document kind's menu
// (sub-file types left out: they need files), with distinct part numbers,
// then calculated.
inline std::unique_ptr<CCircDoc> manyTypesDocument(DocKind kind, bool mission = false) {
  registerAllParts();
  auto doc = std::make_unique<CCircDoc>(kind);
  doc->setPath("/reports/" + std::string(kind == DocKind::Hybrid ? "MODULE.HYB" : "BOARD.CIR"));
  doc->header().DESCR = kind == DocKind::Hybrid ? "Test hybrid" : "Test board";
  int n = 0;
  for (const PartType& type : menuTable(kind == DocKind::Hybrid)) {
    if (type.id == kSubCircuitType || type.id == kSubHybridType) continue;
    auto part = PartRegistry::instance().create(type.id, kind == DocKind::Hybrid);
    if (!part) continue;
    ++n;
    part->PN = "PN-" + std::to_string(100 + n);
    part->REFDES = "X" + std::to_string(n);
    part->DESCR = std::string(type.menuName) + " under test";
    part->NOTESTITLE = "Note " + std::to_string(n);
    part->NOTES = "First line\r\nSecond line";
    doc->insertSorted(std::move(part));
  }
  calculate(*doc, mission);
  return doc;
}

// Registered part types of a document kind, sub-file types left out.
inline std::size_t registeredTypeCount(bool hybrid) {
  registerAllParts();
  std::size_t n = 0;
  for (const PartType& type : menuTable(hybrid)) {
    if (type.id != kSubCircuitType && type.id != kSubHybridType &&
        PartRegistry::instance().isRegistered(type.id)) {
      ++n;
    }
  }
  return n;
}

// A page device with a character grid of `cell` units and 72 units per
// inch by default, that records every text and rule of every page.
class RecordingDevice final : public PageDevice {
 public:
  struct Text {
    int page, x, y;
    FontRole role;
    std::string text;
  };
  struct Rule {
    int page, x, y, width, height;
  };

  DeviceCaps deviceCaps{72, 72, 576, 756, 18, 18, 18};
  double cell = 5.0;

  DeviceCaps caps() const override { return deviceCaps; }
  void createFont(FontRole, const FontSpec&, int) override {}
  double textWidth(FontRole, std::string_view text) const override { return cell * text.size(); }
  double ascent(FontRole role) const override { return role == FontRole::Title ? 10.0 : 7.0; }
  void startPage() override { ++pages; }
  void text(int x, int y, FontRole role, std::string_view text) override {
    texts.push_back({pages, x, y, role, std::string(text)});
  }
  void rule(int x, int y, int width, int height) override { rules.push_back({pages, x, y, width, height}); }
  void endPage() override { ++endedPages; }

  // The texts of one page in one font, in drawing order.
  std::vector<std::string> pageTexts(int page, FontRole role) const {
    std::vector<std::string> out;
    for (const Text& t : texts) {
      if (t.page == page && t.role == role) out.push_back(t.text);
    }
    return out;
  }

  std::vector<Text> texts;
  std::vector<Rule> rules;
  int pages = 0;
  int endedPages = 0;
};

// Printed at a fixed time by a fixed version, so that outputs compare whole.
inline PrintOptions fixedTime() {
  PrintOptions o;
  o.software = "Kestrel 1.2.3";
  o.fixedTime = true;
  o.time.tm_year = 125;
  o.time.tm_mon = 10;
  o.time.tm_mday = 30;
  o.time.tm_hour = 0;
  o.time.tm_min = 30;
  return o;
}

// Builds one report of `doc` and prints it on `device`; the file's bytes.
inline std::string render(const CCircDoc& doc, int kind, FileDevice& device, std::uint32_t* pages = nullptr,
                   ReportSettings settings = {}) {
  auto report = createReport(kind, settings);
  RecordingUi ui;
  EXPECT_TRUE(report->build(doc, ui));
  EXPECT_TRUE(printReport(*report, device, ui, fixedTime(), pages).isOk());
  std::string bytes;
  EXPECT_TRUE(device.finish(bytes).isOk());
  return bytes;
}

// Lines of a text, without their line ends.
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A page's text for comparing layouts made with different fonts: runs of
// blanks as one blank, no blank lines, no leading or trailing blanks.
inline std::string normalizedPage(const std::string& page) {
  std::string out;
  for (const std::string& raw : splitLines(page)) {
    std::string line;
    bool blank = false;
    for (char c : raw) {
      if (c == ' ' || c == '\t' || c == '\r') {
        blank = !line.empty();
        continue;
      }
      if (blank) line += ' ';
      blank = false;
      line += c;
    }
    if (!line.empty()) out += line + "\n";
  }
  return out;
}

// Pages of a text output (form feed between pages), normalized; a form
// feed at the very end (as pdftotext writes one after every page) ends the
// last page rather than starting an empty one.
inline std::vector<std::string> normalizedPages(const std::string& text) {
  std::vector<std::string> pages;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\f', start);
    const std::string page = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (end == std::string::npos) {
      if (!page.empty() || pages.empty()) pages.push_back(normalizedPage(page));
      break;
    }
    pages.push_back(normalizedPage(page));
    start = end + 1;
  }
  return pages;
}

// Runs a command and returns what it printed; `status` receives its exit status.
inline std::string commandOutput(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int rc = ::pclose(pipe);
  if (status != nullptr) *status = rc;
  return out;
}

}  // namespace kestrel::test
