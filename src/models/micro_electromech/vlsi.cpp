#include "models/micro_electromech/vlsi.hpp"

#include <array>
#include <cmath>

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

const JunctionTempFields& kThermal = kVlsiThermalFields;

constexpr double kFeatureLo = 0.25, kFeatureHi = 2.0;
constexpr double kAreaLo = 0.1, kAreaHi = 5.0;
constexpr double kVoltsLo = 0.0, kVoltsHi = 25000.0;

const FieldSpec kType{"VLSI_TYPE", "Part Type", FieldKind::Choice, 0, 0, 0, &kVlsiTypes};
const FieldSpec kMfg{"VLSI_MFG", "MfgProcess", FieldKind::Choice, 0, 0, 0, &kVlsiProcesses};
const FieldSpec kFSize{"VLSI_FSIZE", "FeatureSize", FieldKind::Real, kFeatureLo, kFeatureHi, 0, nullptr, "um"};
const FieldSpec kArea{"VLSI_AREA", "DieArea", FieldKind::Real, kAreaLo, kAreaHi, 0, nullptr, "sq cm"};
const FieldSpec kQu{"VLSI_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMicrocircuitQualities};
const FieldSpec kQuCustom{"VLSI_QUCUSTOM", "Factor", FieldKind::Real, kCustomQualityLo, kCustomQualityHi};
const FieldSpec kPkg{"VLSI_PKG", "Package", FieldKind::Choice, 0, 0, 0, &kVlsiPackages};
const FieldSpec kPins{"VLSI_PINS", "Pins", FieldKind::Whole, kPinsLo, kPinsHi};
const FieldSpec kVolts{"VLSI_VOLTS", "ESDVolts", FieldKind::Whole, kVoltsLo, kVoltsHi, 0, nullptr, "V"};

// ---- handbook section 5.3 ----

// Die base failure rate lambda_BD: logic and custom, gate arrays and memories.
constexpr std::array<double, 3> kDieBaseRate = {0.0, 0.16, 0.24};
// Manufacturing process factor pi_MFG: QML or QPL, neither.
constexpr std::array<double, 3> kProcessFactor = {0.0, 0.55, 2.0};
// pi_T with Ea = 0.35 eV: Ea/k = 0.35 x 11604.966925844261 K.
constexpr double kEaOverK = 4061.7384240454912;
// pi_CD = (A / 0.21) x (2 / Xs)^2 x 0.64 + 0.36 = A x (1 / 0.21) x 2.56 / Xs^2 + 0.36.
constexpr double kInverseReferenceArea = 4.761904761904762;
constexpr double kFeatureScale = 2.56;
constexpr double kDieComplexityFloor = 0.36;
// Package base failure rate lambda_BP = 0.0022 + 0.0000172 x Np.
constexpr double kPackageBase = 0.0022;
constexpr double kPackagePerPin = 0.0000172;
// Package type factor pi_PT: hermetic DIP, PGA, SMT; nonhermetic DIP, PGA, SMT.
constexpr std::array<double, 7> kPackageTypeFactor = {0.0, 1.0, 2.2, 4.7, 1.3, 2.9, 6.1};

// Electrical overstress lambda_EOS by ESD susceptibility V, up to and including.
struct EsdRow {
  double upTo;
  double rate;
};
constexpr std::array<EsdRow, 4> kEsdRows = {{{1000, 0.065}, {2000, 0.053}, {4000, 0.044}, {16000, 0.029}}};
constexpr double kEsdTopRate = 0.0027;  // above 16000 V

double overstressRate(double volts) {
  for (const EsdRow& row : kEsdRows) {
    if (volts <= row.upTo) return row.rate;
  }
  return kEsdTopRate;
}

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&CVLSI::TYPE>(kType),
    input<&CVLSI::FSIZE>(kFSize),
    input<&CVLSI::AREA>(kArea),
    input<&CVLSI::MFG>(kMfg),
    input<&CVLSI::QU>(kQu),
    input<&CVLSI::QUCUSTOM>(kQuCustom),
    input<&CVLSI::PKG>(kPkg),
    input<&CVLSI::PINS>(kPins),
    input<&CVLSI::VOLTS>(kVolts),
    }, thermalInputs<&CVLSI::thermal>(kThermal), StoredFields{
    result<&CVLSI::LBD>("LBD"),
    result<&CVLSI::PIMFG>("PIMFG"),
    result<&CVLSI::PIT>("PIT"),
    result<&CVLSI::PICD>("PICD"),
    result<&CVLSI::LBP>("LBP"),
    result<&CVLSI::PIE>("PIE"),
    result<&CVLSI::PIQ>("PIQ"),
    result<&CVLSI::PIPT>("PIPT"),
    result<&CVLSI::LEOS>("LEOS"),
});

}  // namespace

const ClassRecord CVLSI::kClass = makeClassRecord<CVLSI>("CVLSI");

std::span<const StoredField> CVLSI::storedFields() const { return kStored; }

std::string CVLSI::GetTypeName() const {
  return isHybridPart() ? "VHSIC/VLSI(Hyb)" : "VHSIC/VLSI";
}

void CVLSI::paramPage(FieldVisitor& f) {
  const bool own = !isHybridPart();  // a hybrid part takes these from its package
  f.choice(kType, TYPE, true);
  f.choice(kMfg, MFG, true);
  f.number(kFSize, FSIZE, true);
  f.number(kArea, AREA, true);
  f.choice(kQu, QU, own);
  f.number(kQuCustom, QUCUSTOM, own && QU == kCustomQuality);
  f.choice(kPkg, PKG, own);
  f.number(kPins, PINS, own);
  f.number(kVolts, VOLTS, true);
}

void CVLSI::normalizeChoices() {
  CPart::normalizeChoices();
  thermal.normalize(*this);
}

void CVLSI::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  S = -1.0f;  // no stress figure

  const double lbd = tableAt(kDieBaseRate, checkChoice(TYPE, kVlsiTypes));
  const double pimfg = tableAt(kProcessFactor, checkChoice(MFG, kVlsiProcesses));
  const double pit = 0.1 * arrheniusFactor(kEaOverK, tj);
  const double xs = limitToRange(FSIZE, kFeatureLo, kFeatureHi);
  const double area = limitToRange(AREA, kAreaLo, kAreaHi);
  const double picd = area * kInverseReferenceArea * kFeatureScale / (xs * xs) + kDieComplexityFloor;
  const double pie = tableAt(kMicrocircuitEnvironmentFactor, checkedEnvironment(header));

  double lbp = 0.0;  // a hybrid part: the package term is the hybrid's
  double pipt = 0.0;
  double piq = 1.0;
  if (!isHybridPart()) {
    lbp = kPackageBase + kPackagePerPin * limitToRange(PINS, kPinsLo, kPinsHi);
    pipt = tableAt(kPackageTypeFactor, checkChoice(PKG, kVlsiPackages));
    const std::uint8_t qu = checkChoice(QU, kMicrocircuitQualities);
    piq = qu == kCustomQuality ? limitToRange(QUCUSTOM, kCustomQualityLo, kCustomQualityHi)
                               : tableAt(kMicrocircuitQualityFactor, qu);
  }
  const double leos = overstressRate(std::trunc(limitToRange(VOLTS, kVoltsLo, kVoltsHi)));
  const double cf = correctionFactor();

  LBD = static_cast<float>(lbd);
  PIMFG = static_cast<float>(pimfg);
  PIT = static_cast<float>(pit);
  PICD = static_cast<float>(picd);
  LBP = static_cast<float>(lbp);
  PIE = static_cast<float>(pie);
  PIQ = static_cast<float>(piq);
  PIPT = static_cast<float>(pipt);
  LEOS = static_cast<float>(leos);
  FR = static_cast<float>((lbd * pimfg * pit * picd + lbp * pie * piq * pipt + leos) * cf);

  thermal.finishCalculation(*this, header, kThermal);
}

void CVLSI::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, kWhatIfQualityHi, settings);
}

bool CVLSI::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void CVLSI::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  thermal.copyAppParams(static_cast<const CVLSI&>(other).thermal);
}

void CVLSI::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string size = formatNumber(FSIZE, 4, 2) + "um";
  const std::string area = formatNumber(AREA, 4, 2) + "sqcm";
  std::string quality, package;
  if (!isHybridPart()) {
    const std::uint8_t qu = kMicrocircuitQualities.clamp(QU);
    quality = strprintf("Qu:%s", std::string(kMicrocircuitQualityShort[qu]).c_str());
    package = strprintf("%s-%.0f", storedChoiceText(kVlsiPackages, PKG).c_str(), static_cast<double>(PINS));
  }
  const std::string esd = strprintf("%.0fVesd", static_cast<double>(VOLTS));
  line1 = lineprintf("%s%-16s  %-6s  %-8s  %-13s  %-7s  %-15s  %-9s", pre.c_str(), storedChoiceText(kVlsiTypes, TYPE).c_str(),
                     size.c_str(), area.c_str(), storedChoiceText(kVlsiProcesses, MFG).c_str(), quality.c_str(),
                     package.c_str(), esd.c_str());
  line2 = thermal.thermalLine(prefix);
}

void CVLSI::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR= (( LBD * PIMFG *   PIT    *   PICD )+(  LBP   *  PIE  *  PIQ  * PIPT)+ LEOS ) *   PICF  ",
                     pre.c_str());
  line2 = lineprintf("%s      %-4s   %-5s   %-8s   %-7s   %-7s   %-5s   %-5s   %-4s  %-6s    %-8s", pre.c_str(),
                     formatNumber(LBD, 4, 2).c_str(), formatNumber(PIMFG, 5, 2).c_str(),
                     formatNumber(PIT, 8, 6).c_str(), formatNumber(PICD, 7, 5).c_str(),
                     formatNumber(LBP, 7, 5).c_str(), formatNumber(PIE, 5, 2).c_str(),
                     formatNumber(PIQ, 5, 2).c_str(), formatNumber(PIPT, 4, 2).c_str(),
                     formatNumber(LEOS, 6, 4).c_str(), formatNumber(CF, 8, 6).c_str());
}


}  // namespace kestrel
