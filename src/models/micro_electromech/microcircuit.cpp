#include "models/micro_electromech/microcircuit.hpp"

#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/arrhenius.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

const JunctionTempFields& kThermal = kMicrocircuitThermalFields;

const FieldSpec kTech{"IC_TECH", "Technology", FieldKind::Choice, 0, 0, 0, &kIcTechnologies};
const FieldSpec kType{"IC_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kIcPromTypes};
// The upper bound of the complexity is the class's.
const FieldSpec kComplex{"IC_COMPLEX", "Complexity", FieldKind::Whole, 1, 1048576};
const FieldSpec kLearn{"IC_LEARN", "Learning", FieldKind::Choice, 0, 0, 0, &kLearningChoices};
const FieldSpec kYears{"IC_YEARS", "Years", FieldKind::Real, kYearsLo, kYearsHi, 0, nullptr, "years"};
const FieldSpec kQu{"IC_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kMicrocircuitQualities};
const FieldSpec kQuCustom{"IC_QUCUSTOM", "Factor", FieldKind::Real, kCustomQualityLo, kCustomQualityHi};
const FieldSpec kPkg{"IC_PKG", "Package", FieldKind::Choice, 0, 0, 0, &kMicrocircuitPackages};
const FieldSpec kPins{"IC_PINS", "Pins", FieldKind::Whole, kPinsLo, kPinsHi};
const FieldSpec kProcess{"IC_PROCESS", "Process", FieldKind::Choice, 0, 0, 0, &kIcProcesses};
const FieldSpec kEcc{"IC_ECC", "OnChipECC", FieldKind::Choice, 0, 0, 0, &kIcEccChoices};
const FieldSpec kCycles{"IC_CYCLES", "ProgCycles", FieldKind::Whole, 1, 500000};
const FieldSpec kDesLife{"IC_DESLIFE", "DesignLife", FieldKind::Real, 1, 10000000, 0, nullptr, "hours"};

// ---- handbook section 5.2: EEPROM programming cycles ----

struct CycleRow {
  double upTo;  // programming cycles, inclusive
  double factor;
};

// A1 of Flotox cells by programming cycles.
constexpr std::array<CycleRow, 13> kFlotoxA1 = {{{100, 0.0007},
                                                 {200, 0.0014},
                                                 {500, 0.0034},
                                                 {1000, 0.0068},
                                                 {3000, 0.02},
                                                 {7000, 0.049},
                                                 {15000, 0.1},
                                                 {20000, 0.14},
                                                 {30000, 0.2},
                                                 {100000, 0.68},
                                                 {200000, 1.3},
                                                 {400000, 2.7},
                                                 {500000, 3.4}}};
// A1 and A2 of textured-polysilicon cells by programming cycles.
constexpr std::array<CycleRow, 7> kTexturedPolyA1 = {
    {{100, 0.0097}, {200, 0.014}, {500, 0.023}, {1000, 0.033}, {3000, 0.061}, {7000, 0.14}, {500000, 0.3}}};
constexpr std::array<CycleRow, 3> kTexturedPolyA2 = {{{300000, 0.0}, {400000, 1.1}, {500000, 2.3}}};

template <std::size_t N>
double cycleFactor(const std::array<CycleRow, N>& rows, double cycles) {
  for (const CycleRow& row : rows) {
    if (cycles <= row.upTo) return row.factor;
  }
  return rows[N - 1].factor;
}

// Reference temperatures of B1 and B2: 1/333 K (Flotox) and 1/303 K
// (textured poly); the bit counts are scaled by 16000 and 64000.
constexpr double kInverse333 = 0.003003003003003003;
constexpr double kInverse303 = 0.0033003300330033004;
constexpr double kFlotoxBits = 16000.0;
constexpr double kTexturedPolyBits = 64000.0;
constexpr double kFlotoxEa = 0.15;
constexpr double kTexturedPolyEa1 = 0.12;
constexpr double kTexturedPolyEa2 = 0.1;

// pi_ECC: none, Hamming code, redundant cell.
constexpr std::array<double, 4> kEccFactor = {0.0, 1.0, 0.72, 0.68};

// lambda_cyc runs over the design life in units of 10000 hours.
constexpr double kDesignLifeUnit = 0.0001;
constexpr double kCyclesLo = 1.0, kCyclesHi = 500000.0;
constexpr double kDesignLifeLo = 1.0, kDesignLifeHi = 10000000.0;

// ---- handbook table 5.8: activation energies ----

// By technology 1..10: ASTTL/STTL, TTL/HTTL/FTTL, LTTL, ALSTTL/LSTTL, BiCMOS,
// CML/DTL/ECL, IIL/I3L/ISL, MNOS, NMOS/PMOS/HMOS, CMOS. LTTL is a 0.45 eV
// technology and MNOS a digital MOS one (0.35 eV) in the handbook's table.
constexpr std::array<double, 11> kDigitalEa = {0.0, 0.4, 0.4, 0.45, 0.5, 0.5, 0.4, 0.6, 0.35, 0.35, 0.35};
// Memories, bipolar and MOS; linear devices, bipolar and MOS.
constexpr double kMemoryEa = 0.6;
constexpr double kLinearEa = 0.65;

// pi_T = 0.1 x exp(-Ea/k x (1/(Tj + 273) - 1/298)).
double temperatureFactor(double ea, double tj) {
  return 0.1 * arrheniusFactorEv(ea, tj);
}

template <std::size_t N>
std::string shortText(const ChoiceList& list, const std::string_view (&names)[N], std::uint8_t choice) {
  const std::uint8_t c = list.clamp(choice);
  return std::string(c < N ? names[c] : std::string_view{});
}

// The record's own fields, in file order.
const StoredFields kStored = joinFields(StoredFields{
    input<&CIC::TECH>(kTech).withClassList(),
    input<&CIC::TYPE>(kType).withClassList(),
    input<&CIC::COMPLEX>(kComplex),
    input<&CIC::LEARN>(kLearn).fromPackageInHybrid(),
    input<&CIC::YEARS>(kYears),
    input<&CIC::QU>(kQu).fromPackageInHybrid(),
    input<&CIC::QUCUSTOM>(kQuCustom),
    input<&CIC::PKG>(kPkg).fromPackageInHybrid(),
    input<&CIC::PINS>(kPins).fromPackageInHybrid(),
    input<&CIC::PROCESS>(kProcess),
    input<&CIC::ECC>(kEcc),
    input<&CIC::CYCLES>(kCycles),
    input<&CIC::DESLIFE>(kDesLife),
    }, thermalInputs<&CIC::thermal>(kThermal), StoredFields{
    result<&CIC::C1>("C1"),
    result<&CIC::C2>("C2"),
    result<&CIC::PIT>("PIT"),
    result<&CIC::PIQ>("PIQ"),
    result<&CIC::PIE>("PIE"),
    result<&CIC::PIL>("PIL"),
    result<&CIC::LCYC>("LCYC"),
});

}  // namespace

double digitalActivationEnergy(std::uint8_t technology) {
  return tableAt(kDigitalEa, technology);
}

CIC::CIC(const MicrocircuitFamilyMember& member)
    : member_(&member) {
  TECH = member.defaults.tech;
  TYPE = member.defaults.type;
  COMPLEX = member.defaults.complexity;
  PKG = member.defaults.pkg;
  PINS = member.defaults.pins;
}

std::span<const ComplexityRow> CIC::complexityRows() const {
  const MicrocircuitFamilyMember& m = *member_;
  // Only a RAM has rows of its own for DRAM and for BiCMOS.
  if (isMos()) {
    return !m.dram.empty() && kIcRamTypes.clamp(TYPE) == kIcDram ? m.dram : m.mos;
  }
  return !m.bicmos.empty() && kIcTechnologies.clamp(TECH) == kIcBiCmos ? m.bicmos : m.bipolar;
}

double CIC::complexityMax() const {
  return complexityRows().back().upTo;
}

double CIC::activationEnergy() const {
  switch (member_->activation) {
    case ActivationGroup::Digital: return digitalActivationEnergy(TECH);
    case ActivationGroup::Memory: return kMemoryEa;
    case ActivationGroup::Linear: return kLinearEa;
  }
  return kMemoryEa;
}

const ChoiceList& CIC::technologies() const {
  return kind() == MicrocircuitKind::Linear ? kIcLinearTechnologies : kIcTechnologies;
}

bool CIC::isMos() const {
  return kind() != MicrocircuitKind::Linear && kIcTechnologies.clamp(TECH) >= kIcFirstMos;
}

const ChoiceList* CIC::memoryTypes() const {
  if (!isMos()) return nullptr;
  if (kind() == MicrocircuitKind::Ram) return &kIcRamTypes;
  if (kind() == MicrocircuitKind::Prom) return &kIcPromTypes;
  return nullptr;
}

bool CIC::isEeprom() const {
  return kind() == MicrocircuitKind::Prom && isMos() && kIcPromTypes.clamp(TYPE) == kIcEeprom;
}

std::span<const StoredField> CIC::storedFields() const { return kStored; }

void CIC::shapeInput(ShownInput& input) {
  const bool own = !isHybridPart();  // a hybrid part takes these from its package
  if (input.is(kTech)) {
    input.shown.choices = &technologies();
  } else if (input.is(kType)) {
    // The memory type is an entry of MOS RAMs and PROMs only; the list shown is the class's.
    input.shown.choices = kind() == MicrocircuitKind::Ram ? &kIcRamTypes : &kIcPromTypes;
    input.applies = usesMemoryType();
  } else if (input.is(kComplex)) {
    input.shown.hi = complexityMax();
  } else if (input.is(kYears)) {
    input.applies = own && LEARN == kLearningNew;
  } else if (input.is(kQuCustom)) {
    input.applies = own && QU == kCustomQuality;
  } else if (input.is(kProcess) || input.is(kEcc) || input.is(kCycles) || input.is(kDesLife)) {
    input.applies = isEeprom();
  }
}

std::string CIC::GetTypeName() const {
  return std::string(member_->menuName) + (isHybridPart() ? "(Hyb)" : "");
}

void CIC::normalizeChoices() {
  CPart::normalizeChoices();
  checkChoice(TECH, technologies());
  if (const ChoiceList* types = memoryTypes()) checkChoice(TYPE, *types);
  thermal.normalize(*this);
}

void CIC::Calculate(CCircHeader& header) {
  const double tj = thermal.beginCalculation(*this, header, kThermal);
  S = -1.0f;  // no stress figure
  checkChoice(TECH, technologies());
  if (const ChoiceList* types = memoryTypes()) checkChoice(TYPE, *types);

  // A complexity outside the class range takes the nearest row of C1.
  const double n = std::trunc(limitToRange(COMPLEX, 1.0, complexityMax()));
  const double c1 = complexityFactor(complexityRows(), n);
  const double pit = temperatureFactor(activationEnergy(), tj);
  const double pie = tableAt(kMicrocircuitEnvironmentFactor, checkedEnvironment(header));

  double c2 = 0.0;  // a hybrid part: the package is the hybrid's
  double piq = 1.0;
  double pil = 1.0;
  if (!isHybridPart()) {
    c2 = packageComplexityFactor(checkChoice(PKG, kMicrocircuitPackages), limitToRange(PINS, kPinsLo, kPinsHi));
    const std::uint8_t qu = checkChoice(QU, kMicrocircuitQualities);
    piq = qu == kCustomQuality ? limitToRange(QUCUSTOM, kCustomQualityLo, kCustomQualityHi)
                               : tableAt(kMicrocircuitQualityFactor, qu);
    if (checkChoice(LEARN, kLearningChoices) == kLearningNew) {
      pil = learningFactor(limitToRange(YEARS, kYearsLo, kYearsHi));
    }
  }

  double lcyc = 0.0;
  if (isEeprom()) {
    const double cycles = std::trunc(limitToRange(CYCLES, kCyclesLo, kCyclesHi));
    const double life = limitToRange(DESLIFE, kDesignLifeLo, kDesignLifeHi);
    const double ecc = tableAt(kEccFactor, checkChoice(ECC, kIcEccChoices));
    const double inverseTj = 1.0 / (tj + 273.0);
    double a1b1 = 0.0;
    double a2b2 = 0.0;
    if (checkChoice(PROCESS, kIcProcesses) == kIcFlotox) {
      const double b1 = std::sqrt(n / kFlotoxBits) *
                        arrheniusFactorEv(kFlotoxEa, tj, kInverse333);
      a1b1 = cycleFactor(kFlotoxA1, cycles) * b1;
    } else {
      const double d = inverseTj - kInverse303;
      const double bits = std::pow(n / kTexturedPolyBits, 0.25);
      a1b1 = cycleFactor(kTexturedPolyA1, cycles) * bits * arrheniusFactorEv(kTexturedPolyEa1, tj, kInverse303);
      a2b2 = cycleFactor(kTexturedPolyA2, cycles) * bits * std::exp(kTexturedPolyEa2 * kInverseBoltzmann * d);
    }
    lcyc = (a1b1 + a2b2 / piq) * ecc * (life * kDesignLifeUnit);
  }
  const double cf = correctionFactor();

  C1 = static_cast<float>(c1);
  C2 = static_cast<float>(c2);
  PIT = static_cast<float>(pit);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  PIL = static_cast<float>(pil);
  LCYC = static_cast<float>(lcyc);
  FR = static_cast<float>((c1 * pit + c2 * pie + lcyc) * cf * piq * pil);

  thermal.finishCalculation(*this, header, kThermal);
}

void CIC::ApplyWhatIf(const WhatIfSettings& settings) {
  if (!isHybridPart()) applyQualityChange(QU, 1, kWhatIfQualityHi, settings);
}

bool CIC::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float ambient) {
  return importBaseFields(r, skipIdentity, smtAllowed) && importParamPage(r) &&
         thermal.importFields(r, kThermal, ambient);
}

void CIC::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CIC&>(other);
  CYCLES = o.CYCLES;
  DESLIFE = o.DESLIFE;
  thermal.copyAppParams(o.thermal);
}

void CIC::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string tech = storedChoiceText(technologies(), TECH);
  std::string memory;
  if (isMos() && kind() == MicrocircuitKind::Ram) memory = storedChoiceText(kIcRamTypes, TYPE);
  if (isMos() && kind() == MicrocircuitKind::Prom) memory = shortText(kIcPromTypes, kIcPromTypeShort, TYPE);
  const std::string complex = strprintf("%.0f%c", static_cast<double>(COMPLEX), member_->complexityUnit);
  std::string years, quality, package;
  if (!isHybridPart()) {
    if (LEARN == kLearningNew) years = strprintf("%sY", formatNumber(YEARS, 4, 2).c_str());
    quality = "Qu:" + shortText(kMicrocircuitQualities, kMicrocircuitQualityShort, QU);
    package = strprintf("%s-%.0f", storedChoiceText(kMicrocircuitPackages, PKG).c_str(), static_cast<double>(PINS));
  }
  std::string eeprom;
  if (isEeprom()) {
    eeprom = strprintf("%s/%s/%.0f/%s", shortText(kIcProcesses, kIcProcessShort, PROCESS).c_str(),
                       shortText(kIcEccChoices, kIcEccShort, ECC).c_str(), static_cast<double>(CYCLES),
                       formatNumber(DESLIFE, 10, 6).c_str());
  }
  line1 = lineprintf("%s%-14s %-4s %-8s %-5s %-7s  %-19s %-29s", pre.c_str(), tech.c_str(), memory.c_str(),
                     complex.c_str(), years.c_str(), quality.c_str(), package.c_str(), eeprom.c_str());
  line2 = thermal.thermalLine(prefix);
}

void CIC::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const bool eeprom = isEeprom();
  line1 = lineprintf("%sFR= ( (   C1    *   PIT   ) + (   C2    *  PIE )%s )  *  PIQ  *  PIL  *   PICF  ",
                     pre.c_str(), eeprom ? " +   LCYC  " : "");
  const std::string cycles = eeprom ? strprintf("   %-8s", formatNumber(LCYC, 8, 6).c_str()) : std::string();
  line2 = lineprintf("%s       %-8s   %-8s     %-8s   %-5s %s      %-5s   %-5s   %-8s", pre.c_str(),
                     formatNumber(C1, 8, 6).c_str(), formatNumber(PIT, 8, 6).c_str(),
                     formatNumber(C2, 8, 6).c_str(), formatNumber(PIE, 5, 2).c_str(), cycles.c_str(),
                     formatNumber(PIQ, 5, 2).c_str(), formatNumber(PIL, 5, 2).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
