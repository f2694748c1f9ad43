#include "core/circ_header.hpp"

#include <cmath>

#include "core/archive.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

namespace header_fields {
const FieldSpec kDescr{"HEADER_DESCR", "Description", FieldKind::Text, 0, 0, 60};
const FieldSpec kEnv{"HEADER_ENV", "Environment", FieldKind::Choice, 0, 0, 0, &kEnvironments};
const FieldSpec kTemp{"HEADER_TEMP", "Temperature", FieldKind::Real, -55, 175, 0, nullptr, "deg C"};
const FieldSpec kCf{"HEADER_CF", "Correction factor", FieldKind::Real, 0.000001, 1000};
const FieldSpec kModel{"HEADER_MODEL", "Model", FieldKind::Choice, 0, 0, 0, &kModels};
const FieldSpec kNReq{"HEADER_#REQ", "Number required", FieldKind::Whole, 1, 999};
const FieldSpec kNotesTitle{"HEADER_NOTESTITLE", "Notes title", FieldKind::Text, 0, 0, 60};
const FieldSpec kNotes{"HEADER_NOTES", "Notes", FieldKind::Text, 0, 0, 512};
const FieldSpec kHybFunc{"HEADER_HYBFUNC", "Function", FieldKind::Choice, 0, 0, 0, &kHybFunctions};
const FieldSpec kHybLearn{"HEADER_HYBLEARN", "Learning", FieldKind::Choice, 0, 0, 0, &kHybLearning};
const FieldSpec kHybYears{"HEADER_HYBYEARS", "Years in production", FieldKind::Real, 0.01, 2.0};
const FieldSpec kHybQu{"HEADER_HYBQU", "Quality", FieldKind::Choice, 0, 0, 0, &kHybQualities};
const FieldSpec kHybQuCustom{"HEADER_HYBQUCUSTOM", "Custom quality factor", FieldKind::Real, 0.1,
                             9.9999};
const FieldSpec kHasSmt{"HEADER_HASSMT", "Surface-mount analysis", FieldKind::Flag, 0, 1};
const FieldSpec kSmtLife{"HEADER_SMTLIFE", "Design life", FieldKind::Real, 1, 10000000, 0, nullptr,
                         "hours"};
const FieldSpec kSmtEquip{"HEADER_SMTEQUIP", "Equipment type", FieldKind::Choice, 0, 0, 0,
                          &kSmtEquipment};
const FieldSpec kSmtCycleRate{"HEADER_SMTCYCLERATE", "Cycle rate", FieldKind::Real, 0.000001, 10000,
                              0, nullptr, "cycles/hour"};
const FieldSpec kSmtBoard{"HEADER_SMTBOARD", "Board material", FieldKind::Choice, 0, 0, 0,
                          &kSmtBoards};
const FieldSpec kBoardTce{"HEADER_BOARDTCE", "Board TCE", FieldKind::Real, 0.01, 1000, 0, nullptr,
                          "ppm/deg C"};
const FieldSpec kSmtDiffMode{"HEADER_SMTDIFFMODE", "Temperature difference mode", FieldKind::Choice,
                             0, 0, 0, &kSmtDiffModes};
const FieldSpec kTempDiff{"HEADER_TEMPDIFF", "Temperature difference", FieldKind::Real, 0.01, 250, 0,
                          nullptr, "deg C"};
}  // namespace header_fields

using namespace header_fields;

namespace {

// Hybrid microcircuit package factors, handbook section 5.1.
constexpr EnvTable kHybridPiE = {0.0, 0.5, 2.0, 4.0, 4.0, 6.0, 4.0, 5.0,
                                 5.0, 8.0, 8.0, 0.5, 5.0, 12.0, 220.0};
constexpr std::array<double, 6> kHybridPiF = {0.0, 1.0, 1.2, 2.6, 5.8, 21.0};
constexpr std::array<double, 4> kHybridPiQ = {0.0, 0.25, 1.0, 10.0};

}  // namespace

void CCircHeader::Serialize(Archive& ar, std::size_t maxRecords) {
  ar.io(FileVersion);
  if (ar.isLoading() && ar.ok() && FileVersion != kFileVersion) {
    ar.fail(strprintf("File version error...\n...InVer=%d, ReqVer=%d.", FileVersion, kFileVersion));
    return;
  }
  ar.io(RecordCount);
  if (ar.isLoading() && ar.ok() && RecordCount > maxRecords) {
    ar.fail(strprintf("Too many records...\n...InRecs=%d, MaxRecs=%d.", RecordCount,
                      static_cast<int>(maxRecords)));
    return;
  }
  ar.io(CalcFlags);
  ar.io(DESCR);
  ar.io(ENV);
  ar.io(TEMP);
  ar.io(CF);
  ar.io(MODEL);
  ar.io(NREQ);
  ar.io(MissionTime);
  ar.io(NOTESTITLE);
  ar.io(NOTES);
  ar.io(HYBFUNC);
  ar.io(HYBLEARN);
  ar.io(HYBYEARS);
  ar.io(HYBQU);
  ar.io(HYBQUCUSTOM);
  ar.io(SUMCHIPS);
  ar.io(PIE);
  ar.io(PIF);
  ar.io(PIQ);
  ar.io(PIL);
  ar.io(HASSMT);
  ar.io(SMTLIFE);
  ar.io(SMTEQUIP);
  ar.io(SMTCYCLERATE);
  ar.io(SMTBOARD);
  ar.io(BOARDTCE);
  ar.io(SMTDIFFMODE);
  ar.io(TEMPDIFF);
  ar.io(LargestFRSMT);
  ar.io(SmtReliability);
  ar.io(SmtRelAtT);
  ar.io(PartsCount);
  ar.io(TotalFR);
  ar.io(MTBF);
  ar.io(BasicR);
  ar.io(MissionR);
  ar.io(RelAtT);
  ar.io(MissionMTBF);
  ar.io(TypeList);
  ar.io(TypeCount);
  ar.io(TypeFR);
  ar.io(TypeCountShare);
  ar.io(TypeFRShare);
}

bool CCircHeader::ImportFields(KeywordReader& r, bool hybrid) {
  if (!r.read(kDescr, DESCR) || !r.read(kEnv, ENV) || !r.read(kTemp, TEMP) || !r.read(kCf, CF)) {
    return false;
  }
  if (!hybrid) {
    if (!r.read(kModel, MODEL)) return false;
    if (MODEL == kModelKofN && !r.read(kNReq, NREQ)) return false;
  } else {
    if (!r.read(kHybFunc, HYBFUNC) || !r.read(kHybLearn, HYBLEARN)) return false;
    if (HYBLEARN == 2 && !r.read(kHybYears, HYBYEARS)) return false;
    if (!r.read(kHybQu, HYBQU)) return false;
    if (HYBQU == kHybQualityCustom && !r.read(kHybQuCustom, HYBQUCUSTOM)) return false;
  }
  if (!hybrid) {
    if (!r.read(kHasSmt, HASSMT) || !r.read(kSmtLife, SMTLIFE) || !r.read(kSmtEquip, SMTEQUIP)) {
      return false;
    }
    if (SMTEQUIP == 10 && !r.read(kSmtCycleRate, SMTCYCLERATE)) return false;
    if (!r.read(kSmtBoard, SMTBOARD)) return false;
    if (SMTBOARD == 23 && !r.read(kBoardTce, BOARDTCE)) return false;
    if (!r.read(kSmtDiffMode, SMTDIFFMODE)) return false;
    if (SMTDIFFMODE == 2 && !r.read(kTempDiff, TEMPDIFF)) return false;
  }
  return r.read(kNotesTitle, NOTESTITLE) && r.read(kNotes, NOTES);
}

void CCircHeader::circuitPage(FieldVisitor& f) {
  f.text(kDescr, DESCR, true);
  f.choice(kEnv, ENV, true);
  f.number(kTemp, TEMP, true);
  f.number(kCf, CF, true);
  f.choice(kModel, MODEL, true);
  f.number(kNReq, NREQ, MODEL == kModelKofN);
}

void CCircHeader::hybridPage(FieldVisitor& f) {
  f.text(kDescr, DESCR, true);
  f.choice(kEnv, ENV, true);
  f.number(kTemp, TEMP, true);
  f.number(kCf, CF, true);
  f.choice(kHybFunc, HYBFUNC, true);
  f.choice(kHybLearn, HYBLEARN, true);
  f.number(kHybYears, HYBYEARS, HYBLEARN == 2);
  f.choice(kHybQu, HYBQU, true);
  f.number(kHybQuCustom, HYBQUCUSTOM, HYBQU == kHybQualityCustom);
}

void CCircHeader::smtPage(FieldVisitor& f) {
  f.flag(kHasSmt, HASSMT, true);
  f.number(kSmtLife, SMTLIFE, true);
  f.choice(kSmtEquip, SMTEQUIP, true);
  f.number(kSmtCycleRate, SMTCYCLERATE, SMTEQUIP == 10);
  f.choice(kSmtBoard, SMTBOARD, true);
  f.number(kBoardTce, BOARDTCE, SMTBOARD == 23);
  f.choice(kSmtDiffMode, SMTDIFFMODE, true);
  f.number(kTempDiff, TEMPDIFF, SMTDIFFMODE == 2);
}

void CCircHeader::notesPage(FieldVisitor& f) {
  f.text(kNotesTitle, NOTESTITLE, true);
  f.text(kNotes, NOTES, true);
}

double CCircHeader::hybridModel() {
  const double piE = tableAt(kHybridPiE, environment());
  const double piF = tableAt(kHybridPiF, kHybFunctions.clamp(HYBFUNC));
  const std::uint8_t quality = kHybQualities.clamp(HYBQU);
  const double piQ = quality == kHybQualityCustom ? static_cast<double>(HYBQUCUSTOM)
                                                  : tableAt(kHybridPiQ, quality);
  const double piL = HYBLEARN == 2 ? 0.01 * std::exp(5.35 - 0.35 * HYBYEARS) : 1.0;
  PIE = static_cast<float>(piE);
  PIF = static_cast<float>(piF);
  PIQ = static_cast<float>(piQ);
  PIL = static_cast<float>(piL);
  return SUMCHIPS * (1.0 + 0.2 * piE) * piF * piL * piQ;
}

std::string CCircHeader::headingLine1(bool hybrid) const {
  const std::string descr = (hybrid ? "" : "Description: ") + DESCR;
  const std::string env = strprintf("Env: %s", std::string(kEnvironments.text(ENV)).c_str());
  const std::string temp = strprintf("Temp: %s C", formatNumber(TEMP, 6, 2).c_str());
  const std::string cf = strprintf("CF: %s", formatNumber(CF, 8, 6).c_str());
  if (hybrid) {
    const std::string func = strprintf("Function: %s", std::string(kHybFunctions.text(HYBFUNC)).c_str());
    const std::string qu = strprintf("Qu: %s", std::string(kHybQualities.text(HYBQU)).c_str());
    return lineprintf("%s    %s    %s    %s    %s    %s", descr.c_str(), env.c_str(), temp.c_str(),
                      cf.c_str(), func.c_str(), qu.c_str());
  }
  const std::string model = strprintf("Model: %s", std::string(kModels.text(MODEL)).c_str());
  // K is a whole number 1..999 on the page; a damaged file could hold anything.
  const std::string k = MODEL == kModelKofN && std::isfinite(NREQ) && std::fabs(NREQ) < 1e9
                            ? strprintf("(%.0f-of-N)", static_cast<double>(NREQ))
                            : std::string();
  return lineprintf("%s    %s    %s    %s    %s %s", descr.c_str(), env.c_str(), temp.c_str(),
                    cf.c_str(), model.c_str(), k.c_str());
}

std::string CCircHeader::headingLine2(bool hybrid) const {
  const std::string records = strprintf("Record: 0 of %u", static_cast<unsigned>(RecordCount));
  return lineprintf("%s    %s", hybrid ? "Hybrid Parts List" : "Circuit Parts List", records.c_str());
}

std::string CCircHeader::hybridFactorLine1() const {
  return "FR= SUMCHIPS * ( 1.0 + 0.2 *  PIE ) *  PIF  *  PIQ  *  PIL  *   PICF  ";
}

std::string CCircHeader::hybridFactorLine2() const {
  return lineprintf("    %-8s                 %-5s    %-5s   %-5s   %-5s   %-8s",
                    formatNumber(SUMCHIPS, 8, 6).c_str(), formatNumber(PIE, 5, 2).c_str(),
                    formatNumber(PIF, 5, 2).c_str(), formatNumber(PIQ, 5, 2).c_str(),
                    formatNumber(PIL, 5, 3).c_str(), formatNumber(CF, 8, 6).c_str());
}

void CCircHeader::clearResults() {
  CalcFlags = 0;
  SUMCHIPS = 0.0;
  LargestFRSMT = SmtReliability = SmtRelAtT = 0.0;
  PartsCount = 0.0f;
  TotalFR = MTBF = BasicR = MissionR = RelAtT = MissionMTBF = 0.0;
  TypeList.fill(0);
  TypeCount.fill(0.0f);
  TypeFR.fill(0.0f);
  TypeCountShare.fill(0.0f);
  TypeFRShare.fill(0.0f);
}

}  // namespace kestrel
