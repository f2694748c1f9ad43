// The kinds with their own assembly or header: Part Type Summary, Notes and
// SMT Details.
#include <cmath>

#include "core/circ_doc.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "reports/report_kinds.hpp"

namespace kestrel {
namespace {

// The sort keys a summary accepts; any other becomes PartType.
SortKey summaryKey(SortKey key) {
  return key == SortKey::TFR || key == SortKey::Qty || key == SortKey::PartType ? key
                                                                               : SortKey::PartType;
}

// "%8.0f" of a quantity; asterisks when a damaged file's value cannot fit.
std::string quantityColumn(double value) {
  if (std::isfinite(value) && std::fabs(value) < 1e8) return strprintf("%8.0f", value);
  return std::string(8, '*');
}

}  // namespace

// ---- Part Type Summary ----

CReportSummary::CReportSummary(const ReportSettings& s) : CReport(s, false, 1) {
  setSortKey(summaryKey(s.sortBy));
}

std::string CReportSummary::FormatColumnHeading() const {
  return lineprintf("%-25.25s    %12s    %6s    %8s    %6s", "PartType", "TotalFR", "%FR", "Qty",
                    "%Qty");
}

bool CReportSummary::Assemble(const CCircDoc& doc, Ui& ui) {
  const CCircHeader& h = doc.header();
  std::size_t types = 0;
  for (std::size_t slot = 0; slot < kTypeSlots; ++slot) types += h.TypeCount[slot] > 0.0f ? 1 : 0;
  logAssembly(doc, ui, types);
  FormatHeader(doc);
  std::size_t number = 0;
  for (std::size_t slot = 0; slot < kTypeSlots; ++slot) {
    if (!(h.TypeCount[slot] > 0.0f)) continue;
    if (!keepGoing(ui, ++number, types)) return false;
    const std::uint16_t id = h.TypeList[slot];
    CReportRec rec;
    // The slot of types found in neither table has no id: it sorts last.
    rec.partType = id != 0 ? id : 0xFFFF;
    rec.QTY = h.TypeCount[slot];
    rec.TFR = h.TypeFR[slot];
    const std::string name = id != 0 ? typeName(id, doc.isHybrid(), nullptr) : std::string();
    rec.addLine(lineprintf("%-25.25s    %12s    %6s    %8s    %6s", name.c_str(),
                           formatPadded(h.TypeFR[slot], 12, 6).c_str(),
                           formatPadded(h.TypeFRShare[slot], 6, 2).c_str(),
                           quantityColumn(h.TypeCount[slot]).c_str(),
                           formatPadded(h.TypeCountShare[slot], 6, 2).c_str()));
    insertRecord(std::move(rec));
  }
  return true;
}

// ---- Notes ----

std::vector<std::string> notesLines(std::string_view notes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < notes.size() && lines.size() < kMaxNotesLines) {
    // Line breaks are "\r\n"; a lone "\n" or "\r" from another system ends a line too.
    std::size_t end = notes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = notes.size();
    lines.emplace_back(notes.substr(start, std::min(end - start, kMaxNotesLineLength)));
    if (end == notes.size()) break;
    start = end + ((notes[end] == '\r' && end + 1 < notes.size() && notes[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

void CReportNotes::FormatHeader(const CCircDoc& doc) {
  addHeaderLine(docLine(doc));
  addHeaderLine("NOTES:");
}

std::string CReportNotes::FormatColumnHeading() const { return partColumnHeading(); }

void CReportNotes::FormatRecord(const CCircDoc&, const CPart& part) {
  CReportRec rec(part);
  rec.addLine(identityLine(part, kFirstLinePrefix));
  if (!part.NOTESTITLE.empty() || !part.NOTES.empty()) {
    rec.addLine(clipped(std::string(kNextLinePrefix) + part.NOTESTITLE));
    for (std::string& line : notesLines(part.NOTES)) {
      rec.addLine(std::string(kNextLinePrefix) + line);
    }
  }
  insertRecord(std::move(rec));
}

// ---- SMT Details ----

bool hasSmtParts(const CCircDoc& doc) {
  if (doc.isHybrid() || doc.header().HASSMT == 0) return false;
  for (const auto& part : doc.records()) {
    if (part->IS_SMT != 0) return true;
  }
  return false;
}

void CReportSMT::FormatHeader(const CCircDoc& doc) {
  addHeaderLine(docLine(doc));
  if (doc.isHybrid()) return;
  const CCircHeader& h = doc.header();
  const std::string frsmt = strprintf("FRSMT=%s", formatNumber(h.LargestFRSMT, 8, 6).c_str());
  const std::string life = strprintf("DesignLife:%s", formatNumber(h.SMTLIFE, 10, 1).c_str());
  const std::string equip = "EquipType:" + std::string(kSmtEquipment.text(h.SMTEQUIP));
  const std::string rate = strprintf("TempCycleRate:%s", formatNumber(h.SMTCYCLERATE, 10, 6).c_str());
  addHeaderLine(lineprintf("%s  %s  %s  %s", frsmt.c_str(), life.c_str(), equip.c_str(), rate.c_str()));
  const std::string board = "BoardMaterial:" + std::string(kSmtBoards.text(h.SMTBOARD));
  const std::string tce = strprintf("BoardTCE:%s", formatNumber(h.BOARDTCE, 8, 4).c_str());
  const std::string diff =
      strprintf("TempDiff:%s (%s)", formatNumber(h.TEMPDIFF, 6, 2).c_str(),
                std::string(kSmtDiffModes.text(h.SMTDIFFMODE)).c_str());
  addHeaderLine(lineprintf("%s  %s  %s", board.c_str(), tce.c_str(), diff.c_str()));
}

std::string CReportSMT::FormatColumnHeading() const { return partColumnHeading(); }

bool CReportSMT::Assemble(const CCircDoc& doc, Ui& ui) {
  if (hasSmtParts(doc)) return CReport::Assemble(doc, ui);
  logAssembly(doc, ui, doc.count());
  FormatHeader(doc);
  CReportRec rec;
  rec.addLine(std::string(kFirstLinePrefix) + "No SMT Devices");
  insertRecord(std::move(rec));
  return true;
}

void CReportSMT::FormatRecord(const CCircDoc&, const CPart& part) {
  CReportRec rec(part);
  rec.addLine(identityLine(part, kFirstLinePrefix));
  if (part.IS_SMT != 0) rec.addLine(clipped(std::string(kNextLinePrefix) + smtLine(part)));
  insertRecord(std::move(rec));
}

}  // namespace kestrel
