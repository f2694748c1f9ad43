// The kinds that list every part with its standard text lines: Short List,
// Full List, Pi Factors and OverStress Details.
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "reports/report_kinds.hpp"

namespace kestrel {

std::string partColumnHeading() {
  return lineprintf("%s%-25.25s  %-25.25s  %-3s  %-25.25s", " ", "PartNumber", "PartType", "Qty",
                    "RefDes");
}

std::string CReportShortList::FormatColumnHeading() const {
  return lineprintf("%-25.25s %-25.25s %-3s  %-25.25s %11s %5s", "PartNumber", "PartType", "Qty",
                    "RefDes", "TotalFR", "%FR");
}

void CReportShortList::FormatRecord(const CCircDoc&, const CPart& part) {
  CReportRec rec(part);
  rec.addLine(shortListLine(part, shareBase(), warningMsg()));
  insertRecord(std::move(rec));
}

std::string CReportFullList::FormatColumnHeading() const { return partColumnHeading(); }

void CReportFullList::FormatRecord(const CCircDoc&, const CPart& part) {
  CReportRec rec(part);
  rec.addLine(identityLine(part, kFirstLinePrefix));
  rec.addLine(descriptionLine(part, kNextLinePrefix));
  rec.addLine(resultLine(part, kNextLinePrefix, shareBase(), warningMsg()));
  if (missionResults()) rec.addLine(reliabilityLine(part, kNextLinePrefix));
  addDetailLines(rec, part);
  insertRecord(std::move(rec));
}

std::string CReportPiFactors::FormatColumnHeading() const { return partColumnHeading(); }

void CReportPiFactors::FormatRecord(const CCircDoc&, const CPart& part) {
  CReportRec rec(part);
  rec.addLine(identityLine(part, kFirstLinePrefix));
  rec.addLine(descriptionLine(part, kNextLinePrefix));
  rec.addLine(resultLine(part, kNextLinePrefix, shareBase(), warningMsg()));
  if (missionResults()) rec.addLine(reliabilityLine(part, kNextLinePrefix));
  addFactorLines(rec, part);
  addDetailLines(rec, part);
  insertRecord(std::move(rec));
}

std::string CReportOverStress::FormatColumnHeading() const { return partColumnHeading(); }

void CReportOverStress::FormatRecord(const CCircDoc&, const CPart& part) {
  CReportRec rec(part);
  rec.addLine(identityLine(part, kFirstLinePrefix));
  rec.addLine(resultLine(part, kNextLinePrefix, shareBase(), true));
  rec.addLine(limitsLine(part, kNextLinePrefix));
  addDetailLines(rec, part);
  insertRecord(std::move(rec));
}

}  // namespace kestrel
