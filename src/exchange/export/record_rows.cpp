#include "exchange/export/record_rows.hpp"

#include <cmath>
#include <ctime>

#include "core/circ_doc.hpp"
#include "core/number_format.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

ExportCell text(std::string t) { return ExportCell::ofText(std::move(t)); }

std::string smtRecordLine(const CPart& part) {
  const std::string pkg = "Pkg:" + std::string(kSmtPackages.text(part.SMT_PKG));
  const std::string lead(kSmtLeads.text(part.SMT_LEAD));
  const std::string dist = "JointDist:" + formatNumber(part.SMT_DIST, 8, 6);
  const std::string height = part.SMT_LEAD == 1 ? "JointHt:" + formatNumber(part.SMT_HT, 8, 6) : std::string();
  const std::string mode = "TempRiseMode:" + std::string(kSmtTriseModes.text(part.SMT_TRISEMODE));
  const std::string rise =
      part.SMT_TRISEMODE == 2 ? "Trise:" + formatNumber(part.SMT_TEMPRISE, 6, 2) : std::string();
  return strprintf("%-11s %-8s %-18s %-16s %-20s %-12s", pkg.c_str(), lead.c_str(), dist.c_str(), height.c_str(),
                   mode.c_str(), rise.c_str());
}

std::string dateText(std::int32_t stamp) {
  const std::time_t t = stamp > 0 ? stamp : 0;
  std::tm local{};
  localtime_r(&t, &local);
  return strprintf("%02d/%02d/%4d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
}

std::string modelLine(const CCircHeader& h) {
  const std::string model = "Model: " + std::string(kModels.text(h.MODEL));
  const std::string k = h.MODEL == kModelKofN && std::isfinite(h.NREQ) && std::fabs(h.NREQ) < 1e9
                            ? strprintf("(%.0f-of-N)", static_cast<double>(h.NREQ))
                            : std::string();
  return strprintf("%-20s %-10s", model.c_str(), k.c_str());
}

std::string hybridLine(const CCircHeader& h) {
  const std::string func = "Function: " + std::string(kHybFunctions.text(h.HYBFUNC));
  const std::string learn = "Learn: " + std::string(kHybLearning.text(h.HYBLEARN));
  const std::string years = h.HYBLEARN == 2 ? "Years: " + formatNumber(h.HYBYEARS, 5, 2) : std::string();
  const std::string qu = "Qu: " + std::string(kHybQualities.text(h.HYBQU));
  const std::string piq = h.HYBQU == kHybQualityCustom ? "PIQ: " + formatNumber(h.HYBQUCUSTOM, 6, 4) : std::string();
  return strprintf("%-19s %-10s %-11s %-14s %-9s", func.c_str(), learn.c_str(), years.c_str(), qu.c_str(),
                   piq.c_str());
}

// Four groups: design life and equipment, cycle rate, board, temperature difference.
std::string smtHeaderLine(const CCircHeader& h) {
  const bool otherEquip = h.SMTEQUIP == kSmtEquipment.count();
  const bool otherBoard = h.SMTBOARD == kSmtBoards.count();
  const std::string life = "DesignLife:" + formatNumber(h.SMTLIFE, 10, 1) +
                           " EquipType:" + std::string(kSmtEquipment.text(h.SMTEQUIP));
  const std::string rate = otherEquip ? "TempCycleRate:" + formatNumber(h.SMTCYCLERATE, 10, 6) : std::string();
  std::string board = "BoardMaterial:" + std::string(kSmtBoards.text(h.SMTBOARD));
  if (otherBoard) board += " BoardTCE:" + formatNumber(h.BOARDTCE, 8, 4);
  std::string diff = "TempDiffMode:" + std::string(kSmtDiffModes.text(h.SMTDIFFMODE));
  if (h.SMTDIFFMODE == 2) diff += " TempDiff:" + formatNumber(h.TEMPDIFF, 6, 2);
  return strprintf("%-45s %-17s %-20s %-15s", life.c_str(), rate.c_str(), board.c_str(), diff.c_str());
}

}  // namespace

ExportRow recordRow(const CPart& part, const RecordRowContext& ctx) {
  ExportRow row(kRecordColumns);
  row[0] = text(part.GetTypeName());
  row[1] = ExportCell::integer(part.IS_HYBRID);
  row[2] = text(part.PN);
  row[3] = text(part.PN2);
  row[4] = text(part.REFDES);
  row[5] = text(part.DESCR);
  row[6] = text(part.LCN);
  row[7] = ExportCell::single(part.QTY);
  row[8] = ExportCell::single(part.CF);
  row[9] = ExportCell::single(part.TEMPLIMIT);
  row[10] = ExportCell::single(part.STRESSLIMIT);
  row[26] = text(part.NOTESTITLE);
  row[27] = text(part.NOTES);
  if (ctx.library) {
    row[14] = text(dateText(ctx.timeStamp));
    return row;
  }
  std::string line1, line2;
  part.FormatDetail(line1, line2, "");
  row[11] = text(line1);
  row[12] = text(line2);
  if (part.IS_SMT != 0 && !ctx.hybridDocument) row[13] = text(smtRecordLine(part));
  if ((part.CalcFlags & PartBasicDone) != 0) {
    const double tfr = part.TFR();
    row[15] = ExportCell::real(tfr);
    if (ctx.shareBase > 0.0) row[16] = ExportCell::real(tfr / ctx.shareBase * 100.0);
    row[17] = ExportCell::single(part.FR);
    if (part.SmtCalcFlag != 0) row[18] = ExportCell::single(part.FRSMT);
    row[19] = ExportCell::single(part.T);
    if (part.S >= 0.0f) row[20] = ExportCell::single(part.S);
    part.FormatFactors(line1, line2, "");
    row[24] = text(line1);
    row[25] = text(line2);
  }
  if (part.hasOverFlag()) row[21] = text("*OVER*");
  if ((part.CalcFlags & PartMissionDone) != 0) {
    row[22] = ExportCell::single(part.MissionR);
    row[23] = ExportCell::single(part.BasicR);
  }
  return row;
}

ExportRow documentHeaderRow(const CCircDoc& doc, bool& calculated) {
  const CCircHeader& h = doc.header();
  ExportRow row(20);
  row[0] = text(doc.isHybrid() ? "HYBRID" : "CIRCUIT");
  row[1] = ExportCell::integer(h.FileVersion);
  row[2] = ExportCell::integer(static_cast<long>(doc.count()));
  row[3] = text(h.DESCR);
  row[4] = text(std::string(kEnvironments.text(h.ENV)));
  row[5] = ExportCell::single(h.TEMP);
  row[6] = ExportCell::single(h.CF);
  row[7] = text(doc.isHybrid() ? hybridLine(h) : modelLine(h));
  if (!doc.isHybrid() && h.HASSMT != 0) row[8] = text(smtHeaderLine(h));
  calculated = (h.CalcFlags & HeaderBasicDone) != 0;
  if (calculated) {
    row[9] = ExportCell::real(h.TotalFR);
    row[10] = ExportCell::real(h.MTBF);
    row[11] = ExportCell::single(h.PartsCount);
    if (doc.isHybrid()) {
      row[16] = text(h.hybridFactorLine1());
      row[17] = text(h.hybridFactorLine2());
    }
  }
  if ((h.CalcFlags & HeaderMissionDone) != 0) {
    row[12] = ExportCell::single(h.MissionTime);
    if ((h.CalcFlags & HeaderMissionMtbfDone) != 0) row[13] = ExportCell::real(h.MissionMTBF);
    row[14] = ExportCell::real(h.MissionR);
    row[15] = ExportCell::real(h.BasicR);
  }
  row[18] = text(h.NOTESTITLE);
  row[19] = text(h.NOTES);
  return row;
}

ExportRow libraryHeaderRow(long count, const std::string& description, const std::string& notesTitle,
                           const std::string& notes) {
  return {text("LIBRARY"), ExportCell::integer(50100), ExportCell::integer(count), text(description),
          text(notesTitle), text(notes)};
}

}  // namespace kestrel
