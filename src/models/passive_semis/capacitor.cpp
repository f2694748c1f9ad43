#include "models/passive_semis/capacitor.hpp"

#include <array>
#include <cmath>
#include <iterator>

#include "core/archive.hpp"
#include "core/arrhenius.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"CAP_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kCapacitorStyles};
const FieldSpec kCap{"CAP_CAP", "Capacitance", FieldKind::Real, 0.000001, 9999999};
const FieldSpec kCapUnit{"CAP_CAPUNIT", "Unit", FieldKind::Choice, 0, 0, 0, &kCapacitanceUnits, {}, false, "CAP_CAP"};
const FieldSpec kQu{"CAP_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kCapacitorQualities};
const FieldSpec kCircR{"CAP_CIRCR", "CircuitR", FieldKind::Real, 0, 9, 0, nullptr, "ohms/V"};
const FieldSpec kVmax{"CAP_VMAX", "Max Rated Voltage (Vmax)", FieldKind::Real, 0.01, 999999, 0, nullptr, "V"};
// The upper bound of Vop is the record's Vmax; readers and pages pass it.
const FieldSpec kVop{"CAP_VOP", "Operating Voltage (Vop)", FieldKind::Real, 0, 999999, 0, nullptr, "V"};
const FieldSpec kStressMode{"CAP_STRESSMODE", "Voltage Stress Mode", FieldKind::Choice, 0, 0, 0,
                            &kVoltageStressModes};
const FieldSpec kVStress{"CAP_VSTRESS", "Voltage Stress (%)", FieldKind::Real, 0, 100, 0, nullptr, "%"};
const FieldSpec kTRise{"CAP_TRISE", "Temp Rise", FieldKind::Real, 0, 150, 0, nullptr, "deg C"};

// ---- handbook section 10.1, capacitors ----

// What each style takes from the model: base failure rate lambda_b (fpmh),
// the pi_T column, the pi_C column, the pi_V curve and whether the series
// resistance factor pi_SR applies (the style notes of the factor tables).
struct StyleModel {
  double baseRate;
  std::uint8_t tempColumn;
  std::uint8_t capColumn;
  std::uint8_t voltageCurve;
  bool seriesResistance;
};

// Handbook table 10.1 base failure rates. CH (MIL-C-18312) is 0.00037 and
// CHR (MIL-C-39022) 0.00051, as in the handbook's table.
constexpr std::array<StyleModel, 33> kStyleModels = {{
    {0.0, 0, 0, 0, false},        // (empty)
    {0.00037, 1, 1, 1, false},    // CP   paper
    {0.00037, 1, 1, 1, false},    // CA   paper
    {0.00037, 1, 1, 1, false},    // CZR  paper/plastic, ER
    {0.00037, 1, 1, 1, false},    // CZ   paper/plastic
    {0.00051, 1, 1, 1, false},    // CQR  paper/plastic, ER
    {0.00051, 1, 1, 1, false},    // CQ   paper/plastic
    {0.00051, 1, 1, 1, false},    // CHR  metallized paper/plastic, ER
    {0.00037, 1, 1, 1, false},    // CH   metallized paper/plastic
    {0.00051, 1, 1, 1, false},    // CFR  plastic, ER
    {0.00051, 1, 1, 1, false},    // CRH  super-metallized plastic, ER
    {0.00076, 2, 1, 2, false},    // CMR  mica, ER
    {0.00076, 2, 1, 2, false},    // CM   mica
    {0.00076, 2, 1, 2, false},    // CB   mica button
    {0.00076, 2, 1, 2, false},    // CYR  glass, ER
    {0.00076, 2, 1, 2, false},    // CY   glass
    {0.00099, 2, 1, 3, false},    // CKR  ceramic, ER
    {0.00099, 2, 1, 3, false},    // CK   ceramic
    {0.00099, 2, 1, 3, false},    // CCR  ceramic, ER
    {0.00099, 2, 1, 3, false},    // CC   ceramic
    {0.0020, 2, 1, 3, false},     // CDR  ceramic chip, ER
    {0.00040, 1, 2, 4, true},     // CSR  solid tantalum, ER
    {0.00005, 1, 2, 4, true},     // CWR  tantalum chip, ER
    {0.00040, 1, 2, 4, false},    // CLR  non-solid tantalum, ER
    {0.00040, 1, 2, 4, false},    // CL   non-solid tantalum
    {0.00040, 1, 2, 4, false},    // CRL  tantalum
    {0.00012, 2, 2, 1, false},    // CUR  aluminum oxide, ER
    {0.00012, 2, 2, 1, false},    // CU   aluminum oxide
    {0.00012, 2, 2, 1, false},    // CE   aluminum dry electrolyte
    {0.0079, 1, 1, 5, false},     // CV   variable ceramic
    {0.0060, 2, 1, 5, false},     // PC   variable piston
    {0.0000072, 2, 1, 5, false},  // CT   variable air trimmer
    {0.0060, 1, 1, 5, false},     // CG   variable vacuum
}};

// Temperature factor pi_T = exp(-(Ea/k) x (1/(T + 273) - 1/298)); activation
// energy Ea (eV) by column: 1 0.15 eV, 2 0.35 eV.
constexpr std::array<double, 3> kActivationEnergy = {0.0, 0.15, 0.35};
// Capacitor temperatures an entry can give: ambient -55..175 plus a rise of
// 0..150. A stored value outside (or not a number) is limited to it.
constexpr double kLowestTemp = -55.0;
constexpr double kHighestTemp = 325.0;

// Capacitance factor pi_C = C ^ e, C in microfarads; exponent by column.
constexpr std::array<double, 3> kCapacitanceExponent = {0.0, 0.09, 0.23};
// Microfarads per unit of CAP_CAPUNIT: pf, uF, F.
constexpr std::array<double, 4> kMicrofaradsPerUnit = {0.0, 1e-6, 1.0, 1e6};

// Voltage stress factor pi_V = (S / S0) ^ n + 1, S = stress percent x 0.01,
// computed as S ^ n x (1 / S0 ^ n) + 1. Curves 1..4 have S0 = 0.6, curve 5 0.5.
struct VoltageCurve {
  int exponent;
  double scale;  // 1 / S0 ^ n
};
constexpr std::array<VoltageCurve, 6> kVoltageCurves = {{
    {0, 0.0},
    {5, 12.860082304526752},   // (S/0.6)^5 + 1
    {10, 165.38171687920214},  // (S/0.6)^10 + 1
    {3, 4.629629629629631},    // (S/0.6)^3 + 1
    {17, 5907.840252029115},   // (S/0.6)^17 + 1
    {3, 8.0},                  // (S/0.5)^3 + 1
}};

// Series resistance factor pi_SR by circuit resistance CR (ohms per volt):
// CR <= 0.1: 3.3, <= 0.2: 2.7, <= 0.4: 2.0, <= 0.6: 1.3, <= 0.8: 1.0,
// above 0.8: 0.66. The bounds are compared as the stored (single precision)
// values, so an entered 0.1 falls in the first row.
struct SeriesResistanceRow {
  float upTo;
  double factor;
};
constexpr std::array<SeriesResistanceRow, 5> kSeriesResistance = {{
    {0.1f, 3.3}, {0.2f, 2.7}, {0.4f, 2.0}, {0.6f, 1.3}, {0.8f, 1.0}}};
constexpr double kSeriesResistanceAbove = 0.66;

double seriesResistanceFactor(float cr) {
  for (const SeriesResistanceRow& row : kSeriesResistance) {
    if (cr <= row.upTo) return row.factor;
  }
  return kSeriesResistanceAbove;
}

// Quality factor pi_Q by quality D, C, S/B, R, P, M, L (ER), Non-ER, Commercial.
constexpr std::array<double, 10> kQualityFactor = {0.0, 0.001, 0.01, 0.03, 0.1, 0.3, 1.0, 1.5, 3.0, 10.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  10.0, 20.0, 7.0,  15.0, 12.0, 15.0,
                                         25.0, 30.0, 40.0, 0.5,  20.0, 50.0, 570.0};

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CCapacitor::TYPE>(kType),
    input<&CCapacitor::CAP>(kCap),
    input<&CCapacitor::CAPUNIT>(kCapUnit),
    input<&CCapacitor::QU>(kQu),
    input<&CCapacitor::CIRCR>(kCircR),
    input<&CCapacitor::VMAX>(kVmax),
    input<&CCapacitor::VOP>(kVop),
    input<&CCapacitor::STRESSMODE>(kStressMode),
    input<&CCapacitor::VSTRESS>(kVStress),
    input<&CCapacitor::TRISE>(kTRise),
    result<&CCapacitor::LB>("LB"),
    result<&CCapacitor::PIT>("PIT"),
    result<&CCapacitor::PIC>("PIC"),
    result<&CCapacitor::PIV>("PIV"),
    result<&CCapacitor::PISR>("PISR"),
    result<&CCapacitor::PIQ>("PIQ"),
    result<&CCapacitor::PIE>("PIE"),
};

}  // namespace

const ClassRecord CCapacitor::kClass = makeClassRecord<CCapacitor>("CCapacitor");

std::span<const StoredField> CCapacitor::storedFields() const { return kStored; }

std::string CCapacitor::GetTypeName() const {
  return isHybridPart() ? "Capacitor(Hyb)" : "Capacitor";
}

void CCapacitor::paramPage(FieldVisitor& f) {
  const std::uint8_t style = TYPE;
  f.choice(kType, TYPE, true);
  if (TYPE != style && !f.readsInput()) keepQualityOfStyle();
  if (f.readsInput()) {
    // A value written with a prefix ("100nF", "470p") is read into the record's unit.
    FieldSpec cap = kCap;
    const bool known = CAPUNIT >= 1 && CAPUNIT < std::size(kCapacitanceUnitNames);
    cap.unit = kCapacitanceUnitNames[known ? CAPUNIT : 2];
    f.number(cap, CAP, true);
  } else {
    f.number(kCap, CAP, true);
  }
  f.choice(kCapUnit, CAPUNIT, true);
  f.choice(kQu, QU, !isHybridPart());  // a hybrid part takes its quality from the package
  f.number(kVmax, VMAX, true);
  FieldSpec vop = kVop;
  vop.hi = VMAX;
  f.number(vop, VOP, true);
  f.choice(kStressMode, STRESSMODE, true);
  // In the computed mode the stress is not an entry: it shows Vop / Vmax.
  if (!isManualStress()) VSTRESS = stressPercent(VOP, VMAX);
  f.number(kVStress, VSTRESS, isManualStress());
  f.number(kTRise, TRISE, true);
  f.number(kCircR, CIRCR, usesCircuitResistance());  // "xxxxxx" for the other styles
}

// Established-reliability levels exist only for ER styles, and an ER style
// is never bought as non-ER or commercial: a new style moves the quality to
// one it can have (an ER style to the commonest level, M).
void CCapacitor::keepQualityOfStyle() {
  constexpr std::uint8_t kLevelM = 6, kNonEr = 8;
  const bool erStyle = storedChoiceText(kCapacitorStyles, TYPE).find(",ER)") != std::string::npos;
  const bool erQuality = QU >= 1 && QU < kNonEr;
  if (erStyle && !erQuality) QU = kLevelM;
  if (!erStyle && erQuality) QU = kNonEr;
}

void CCapacitor::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const StyleModel& style = tableAt(kStyleModels, checkChoice(TYPE, kCapacitorStyles));

  const double t = limitToRange(static_cast<double>(header.TEMP) + static_cast<double>(TRISE), kLowestTemp,
                                kHighestTemp);
  T = static_cast<float>(t);
  const double stress = limitToRange(VSTRESS, 0.0, 100.0);
  S = static_cast<float>(stress);
  flagLimits();

  const double lb = style.baseRate;
  const double pit = arrheniusFactorEv(tableAt(kActivationEnergy, style.tempColumn), t);

  const double microfarads = limitToRange(CAP, 0.000001, 9999999.0) *
                             tableAt(kMicrofaradsPerUnit, checkChoice(CAPUNIT, kCapacitanceUnits));
  const double pic = std::pow(microfarads, tableAt(kCapacitanceExponent, style.capColumn));

  const VoltageCurve& curve = tableAt(kVoltageCurves, style.voltageCurve);
  const double piv = std::pow(stress * 0.01, curve.exponent) * curve.scale + 1.0;

  double pisr = 1.0;  // the other styles ignore the stored circuit resistance
  if (style.seriesResistance) {
    pisr = seriesResistanceFactor(static_cast<float>(limitToRange(CIRCR, 0.0, 9.0)));
  }

  double piq = 1.0;  // a hybrid part: the package supplies quality and environment
  double pie = 1.0;
  if (!isHybridPart()) {
    piq = tableAt(kQualityFactor, checkChoice(QU, kCapacitorQualities));
    pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  }
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIT = static_cast<float>(pit);
  PIC = static_cast<float>(pic);
  PIV = static_cast<float>(piv);
  PISR = static_cast<float>(pisr);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(pit * cf * pic * piv * pisr * lb * pie * piq);

  finishSurfaceMount(header, TRISE);
}

void CCapacitor::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) {
    applyQualityChange(QU, 1, static_cast<int>(kCapacitorQualities.count()), settings);
  }
  applyStressChange(StressSubject{VSTRESS, &STRESSMODE, VMAX, VOP}, 0.0, 100.0, settings);
}

void CCapacitor::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CCapacitor&>(other);
  // This record keeps its style, value, quality and rating; the operating
  // voltage it takes cannot exceed its own rating.
  CIRCR = o.CIRCR;
  VOP = o.VOP < VMAX ? o.VOP : VMAX;
  STRESSMODE = o.STRESSMODE;
  VSTRESS = isManualStress() ? o.VSTRESS : stressPercent(VOP, VMAX);
  TRISE = o.TRISE;
}

void CCapacitor::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string style = storedChoiceText(kCapacitorStyles, TYPE);
  const std::string value =
      strprintf("%s %s", formatNumber(CAP, 12, 6).c_str(), storedChoiceText(kCapacitanceUnits, CAPUNIT).c_str());
  const std::string quality =
      isHybridPart() ? std::string() : strprintf("Qu:%s", storedChoiceText(kCapacitorQualities, QU).c_str());
  const std::string circuitR =
      usesCircuitResistance() ? strprintf("CircuitR:%s", formatNumber(CIRCR, 4, 2).c_str()) : std::string();
  line1 = lineprintf("%s%-22s  %-15s  %-13s  %-13s", pre.c_str(), style.c_str(), value.c_str(),
                     quality.c_str(), circuitR.c_str());

  const std::string vmax = strprintf("Vmax:%sV", formatNumber(VMAX, 8, 5).c_str());
  const std::string vop = strprintf("Vop:%sV", formatNumber(VOP, 8, 5).c_str());
  const std::string vstr = strprintf("Vstr:%s%%(%s)", formatNumber(VSTRESS, 5, 2).c_str(),
                                     storedChoiceText(kVoltageStressModes, STRESSMODE).c_str());
  const std::string trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  line2 = lineprintf("%s%-14s  %-13s  %-26s  %-12s", pre.c_str(), vmax.c_str(), vop.c_str(), vstr.c_str(),
                     trise.c_str());
}

void CCapacitor::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf(
      "%sFR=    LB    *   PIT    *   PIC    *   PIV    * PISR *  PIQ  *  PIE  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s   %-8s   %-8s   %-4s   %-5s   %-5s   %-8s", pre.c_str(),
                     formatNumber(LB, 8, 6).c_str(), formatNumber(PIT, 8, 6).c_str(),
                     formatNumber(PIC, 8, 6).c_str(), formatNumber(PIV, 8, 6).c_str(),
                     formatNumber(PISR, 4, 2).c_str(), formatNumber(PIQ, 5, 3).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
