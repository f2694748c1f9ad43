#include "reports/report.hpp"

#include <cmath>

#include "core/circ_doc.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

// A result whose calculated flag is clear prints "*NOCALC*".
std::string resultOrNoCalc(bool calculated, double value, int width, int precision) {
  return calculated ? formatNumber(value, width, precision) : std::string("*NOCALC*");
}

// "%.0f" of a count; a damaged file's huge or non-finite value prints asterisks.
std::string wholeNumber(double value, int width) {
  if (std::isfinite(value) && std::fabs(value) < 1e15) return strprintf("%.0f", value);
  return std::string(static_cast<std::size_t>(width), '*');
}

std::string choiceText(const ChoiceList& list, unsigned choice) { return std::string(list.text(choice)); }

}  // namespace

ReportSettings settingsForDocument(ReportSettings settings, const CCircDoc& doc) {
  if ((doc.header().CalcFlags & HeaderMissionDone) != 0) settings.missionResults = true;
  return settings;
}

CReport::CReport(const ReportSettings& settings, bool separator, int nominalHeight)
    : records_(settings.sortBy),
      separator_(separator),
      nominalHeight_(nominalHeight),
      topMargin_(settings.topMargin),
      leftMargin_(settings.leftMargin),
      company_(clipped(settings.company, kMaxCompanyLength)),
      missionResults_(settings.missionResults),
      warningMsg_(settings.warningMsg),
      hybridPiFactors_(settings.hybridPiFactors) {}

bool CReport::build(const CCircDoc& doc, Ui& ui) {
  if (doc.header().CalcFlags == 0) {
    ui.message(kNotCalculatedMessage);
    return false;
  }
  records_ = ReportRecList(records_.key());
  header_ = CReportRec();
  totalLines_ = 0;
  docTitle_ = doc.title();
  shareBase_ = doc.shareBase();
  if (!Assemble(doc, ui)) return false;
  if (!notCurrent_.empty()) addHeaderLine(notCurrent_);
  return true;
}

std::vector<StaleRecord> CReport::checkCurrent(FileSystem& fs, const CCircDoc& doc) {
  std::vector<StaleRecord> stale = staleSubFileRecords(fs, doc);
  notCurrent_ = stale.empty() ? std::string() : notCurrentText(stale);
  return stale;
}

void CReport::setSortKey(SortKey key) { records_ = ReportRecList(key); }

void CReport::logAssembly(const CCircDoc& doc, Ui& ui, std::size_t count) const {
  ui.log(lineprintf("Assemble '%s':", upperCased(doc.title()).c_str()));
  ui.log(lineprintf("...'%s' sorting by %s...", doc.title().c_str(),
                    std::string(sortKeyName(sortKey())).c_str()));
  ui.log(strprintf("...assembling %d records...", static_cast<int>(count)));
}

bool CReport::keepGoing(Ui& ui, std::size_t recordNumber, std::size_t count) {
  if ((recordNumber - 1) % 10 != 0) return true;
  ui.progressBar(static_cast<int>(recordNumber), static_cast<int>(count));
  if (!ui.processEvents()) return false;
  if (!ui.cancelRequested()) return true;
  if (ui.confirm("Cancel report assembly?")) {
    ui.log(strprintf("...Cancel (rec#%d).", static_cast<int>(recordNumber)));
    return false;
  }
  ui.clearCancel();
  return true;
}

bool CReport::Assemble(const CCircDoc& doc, Ui& ui) {
  logAssembly(doc, ui, doc.count());
  FormatHeader(doc);
  for (std::size_t i = 0; i < doc.count(); ++i) {
    if (!keepGoing(ui, i + 1, doc.count())) return false;
    FormatRecord(doc, doc.record(i));
  }
  return true;
}

void CReport::insertRecord(CReportRec rec) {
  totalLines_ += rec.lineCount();
  records_.insert(std::move(rec));
}

void CReport::addHeaderLine(std::string line) { header_.addLine(clipped(std::move(line))); }

std::string CReport::docLine(const CCircDoc& doc) {
  // The path is the file system's (UTF-8); the report's lines are Windows-1252.
  const std::string path = strprintf("DOC: %s", utf8ToWindows1252(doc.path()).text.c_str());
  const std::string records = strprintf("RECORDS: %u", static_cast<unsigned>(doc.count()));
  return lineprintf("%s   %s", path.c_str(), records.c_str());
}

void CReport::FormatHeader(const CCircDoc& doc) {
  const CCircHeader& h = doc.header();
  addHeaderLine(docLine(doc));
  addHeaderLine("DESCRIPTION: " + h.DESCR);

  const std::string env = "ENV: " + choiceText(kEnvironments, h.ENV);
  const std::string temp = strprintf("TEMP: %s C", formatNumber(h.TEMP, 6, 2).c_str());
  const std::string cf = strprintf("CF: %s", formatNumber(h.CF, 8, 6).c_str());
  if (doc.isHybrid()) {
    const std::string function = "FUNCTION: " + choiceText(kHybFunctions, h.HYBFUNC);
    const std::string quality = "QU: " + choiceText(kHybQualities, h.HYBQU);
    const std::string years =
        h.HYBLEARN == 2 ? strprintf("YEARS: %s", formatNumber(h.HYBYEARS, 4, 2).c_str()) : std::string();
    addHeaderLine(lineprintf("%s   %s   %s   %s   %s   %s", env.c_str(), temp.c_str(), cf.c_str(),
                             function.c_str(), quality.c_str(), years.c_str()));
  } else {
    const std::string model = "MODEL: " + choiceText(kModels, h.MODEL);
    const std::string k = h.MODEL == kModelKofN
                              ? strprintf("(%s-of-N)", wholeNumber(h.NREQ, 3).c_str())
                              : std::string();
    addHeaderLine(lineprintf("%s   %s   %s   %s %s", env.c_str(), temp.c_str(), cf.c_str(),
                             model.c_str(), k.c_str()));
  }

  // The solder joints' share is taken against the circuit total before the
  // header correction factor.
  std::string smt;
  if (!doc.isHybrid() && h.HASSMT != 0) {
    bool anySmt = false;
    for (const auto& part : doc.records()) anySmt = anySmt || part->IS_SMT != 0;
    if (anySmt) {
      const double base = shareBase();
      const double share = base > 0.0 ? h.LargestFRSMT / base * 100.0 : 0.0;
      smt = strprintf("(FRSMT=%s [%s%%])", formatNumber(h.LargestFRSMT, 8, 6).c_str(),
                      formatNumber(share, 5, 2).c_str());
    }
  }
  addHeaderLine(lineprintf("FR= %s fpmh   MTBF= %s hrs.   Parts= %s   %s",
                           formatNumber(h.TotalFR, 12, 6).c_str(), formatNumber(h.MTBF, 12, 6).c_str(),
                           wholeNumber(h.PartsCount, 12).c_str(), smt.c_str()));

  if (doc.isHybrid() && hybridPiFactors()) {
    addHeaderLine(h.hybridFactorLine1());
    addHeaderLine(h.hybridFactorLine2());
  }
  if (missionResults()) {
    addHeaderLine(lineprintf(
        "MissionTime= %s hrs.   MissionMTBF= %s hrs.   MissionR= %s  BasicR= %s",
        formatNumber(h.MissionTime, 10, 6).c_str(),
        resultOrNoCalc((h.CalcFlags & HeaderMissionMtbfDone) != 0, h.MissionMTBF, 12, 6).c_str(),
        resultOrNoCalc((h.CalcFlags & HeaderMissionDone) != 0, h.MissionR, 8, 6).c_str(),
        resultOrNoCalc((h.CalcFlags & HeaderBasicDone) != 0, h.BasicR, 8, 6).c_str()));
  }
}

void CReport::addDetailLines(CReportRec& rec, const CPart& part) {
  std::string line1, line2;
  part.FormatDetail(line1, line2, kNextLinePrefix);
  for (std::string* line : {&line1, &line2}) {
    if (!trimmed(*line).empty()) rec.addLine(clipped(std::move(*line)));
  }
}

void CReport::addFactorLines(CReportRec& rec, const CPart& part) {
  std::string line1, line2;
  part.FormatFactors(line1, line2, kNextLinePrefix);
  for (std::string* line : {&line1, &line2}) {
    if (!trimmed(*line).empty()) rec.addLine(clipped(std::move(*line)));
  }
}

}  // namespace kestrel
