#include "models/micro_electromech/bubble_memory.hpp"

#include <cmath>

#include "core/archive.hpp"
#include "core/arrhenius.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "models/micro_electromech/microcircuit_tables.hpp"

namespace kestrel {
namespace {

const FieldSpec kChips{"BUB_CHIPS", "Bubble Chips", FieldKind::Whole, 1, 999};
const FieldSpec kElements{"BUB_ELEMENTS", "Elements/Chip", FieldKind::Whole, 1, 1000};
const FieldSpec kGenType{"BUB_GENTYPE", "Generator Type", FieldKind::Choice, 0, 0, 0, &kBubbleGenerators};
const FieldSpec kKbits{"BUB_KBITS", "Kbits/Chip", FieldKind::Whole, 1, 9000};
const FieldSpec kPins{"BUB_PINS", "Pins", FieldKind::Whole, 3, 999};
const FieldSpec kLearn{"BUB_LEARN", "Learning", FieldKind::Choice, 0, 0, 0, &kBubbleLearning};
const FieldSpec kYears{"BUB_YEARS", "Years", FieldKind::Real, kYearsLo, kYearsHi, 0, nullptr, "years"};
const FieldSpec kDc{"BUB_DC", "Duty Cycle", FieldKind::Real, 0.01, 100, 0, nullptr, "%"};
const FieldSpec kRw{"BUB_RW", "Reads/Write", FieldKind::Whole, 1, 9999};
const FieldSpec kTRise{"BUB_TRISE", "Temp Rise", FieldKind::Real, 0, 125, 0, nullptr, "deg C"};

// ---- handbook section 5.5, magnetic bubble memories ----

// Quality factor pi_Q of a bubble memory outside a hybrid.
constexpr double kQualityFactor = 10.0;

// Complexity factors: N1 dissipative elements per chip, N2 bits per chip.
//   C11 = 0.00095 x N1^0.40, C21 = 0.0001 x N1^0.226,
//   C12 = 0.00007 x N2^0.3,  C22 = 0.00001 x N2^0.3.
constexpr double kBitsPerKbit = 1024.0;
// Package complexity C2 = 0.00036 x Np^1.08 (nonhermetic package, section 5.9).
constexpr double kPackageScale = 0.00036;
constexpr double kPackageExponent = 1.08;

// Temperature factors pi_T = 0.1 x exp(-(Ea/k) x (1/(Tj + 273) - 1/298)),
// k = 8.63e-5 eV/K: Ea 0.8 eV for lambda_1, 0.55 eV for lambda_2. The
// junction runs 10 deg C above the case.
constexpr double kEaOverK1 = 9269.988412514485;   // 0.8 / 8.63e-5
constexpr double kEaOverK2 = 6373.1170336037085;  // 0.55 / 8.63e-5
constexpr double kJunctionAboveCase = 10.0;
// Junction temperatures an entry can give: ambient -55..175 plus a case
// rise of 0..125, plus 10.
constexpr double kLowestJunctionTemp = -45.0;
constexpr double kHighestJunctionTemp = 310.0;

// Write duty cycle factor: pi_W = 10 x D x (R/W)^-0.3 for D > 0.03 and
// R/W < 2154, else 1; a seed-bubble generator divides it by 4, not below 1.
constexpr double kLowestWriteDuty = 0.03;
constexpr double kHighestReadsPerWrite = 2154.0;
constexpr double kSeedDivisor = 4.0;

// Learning factor pi_L: the microcircuits' rule of table 5.10 for a new
// product (2.0 up to 0.1 year, 1.0 from 2 years), 1 for an established one.

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CBubble::CHIPS>(kChips),
    input<&CBubble::ELEMENTS>(kElements),
    input<&CBubble::GENTYPE>(kGenType),
    input<&CBubble::KBITS>(kKbits),
    input<&CBubble::PINS>(kPins).fromPackageInHybrid(),
    input<&CBubble::LEARN>(kLearn).fromPackageInHybrid(),
    input<&CBubble::YEARS>(kYears),
    input<&CBubble::DC>(kDc),
    input<&CBubble::RW>(kRw),
    input<&CBubble::TRISE>(kTRise),
    result<&CBubble::PIQ>("PIQ"),
    result<&CBubble::C11>("C11"),
    result<&CBubble::C21>("C21"),
    result<&CBubble::C12>("C12"),
    result<&CBubble::C22>("C22"),
    result<&CBubble::C2>("C2"),
    result<&CBubble::PIT1>("PIT1"),
    result<&CBubble::PIT2>("PIT2"),
    result<&CBubble::PIW>("PIW"),
    result<&CBubble::PIE>("PIE"),
    result<&CBubble::PID>("PID"),
    result<&CBubble::PIL>("PIL"),
    result<&CBubble::L1>("L1"),
    result<&CBubble::L2>("L2"),
};

}  // namespace

const ClassRecord CBubble::kClass = makeClassRecord<CBubble>("CBubble");

std::span<const StoredField> CBubble::storedFields() const { return kStored; }

void CBubble::shapeInput(ShownInput& input) {
  if (input.is(kYears)) input.applies = usesYears();
}

std::string CBubble::GetTypeName() const { return isHybridPart() ? "BubbleMemory(Hyb)" : "BubbleMemory"; }

void CBubble::Calculate(CCircHeader& header) {
  OverFlags = 0;
  const bool hybrid = isHybridPart();
  const double rise = limitToRange(TRISE, 0.0, 125.0);
  const double tj = limitToRange(static_cast<double>(header.TEMP) + rise + kJunctionAboveCase, kLowestJunctionTemp,
                                 kHighestJunctionTemp);
  T = static_cast<float>(tj);
  S = -1.0f;
  flagLimits();

  const double chips = limitToRange(CHIPS, 1.0, 999.0);
  const double n1 = limitToRange(ELEMENTS, 1.0, 1000.0);
  const double n2 = limitToRange(KBITS, 1.0, 9000.0) * kBitsPerKbit;
  const double d = limitToRange(DC, 0.01, 100.0) * 0.01;
  const double readsPerWrite = limitToRange(RW, 1.0, 9999.0);
  const double cf = correctionFactor();

  // In a hybrid the package supplies quality, environment, learning and the
  // package complexity.
  const double piq = hybrid ? 1.0 : kQualityFactor;
  const double logN1 = std::log(n1);
  const double n2Power = std::pow(n2, 0.3);
  const double c11 = 0.00095 * std::exp(0.40 * logN1);
  const double c21 = 0.0001 * std::exp(0.226 * logN1);
  const double c12 = 0.00007 * n2Power;
  const double c22 = 0.00001 * n2Power;
  const double c2 = hybrid ? 0.0 : kPackageScale * std::pow(limitToRange(PINS, 3.0, 999.0), kPackageExponent);

  const double pit1 = 0.1 * arrheniusFactor(kEaOverK1, tj);
  const double pit2 = 0.1 * arrheniusFactor(kEaOverK2, tj);

  double piw = 1.0;
  if (d > kLowestWriteDuty && readsPerWrite < kHighestReadsPerWrite) {
    piw = 10.0 * d * std::pow(readsPerWrite, -0.3);
  }
  if (checkChoice(GENTYPE, kBubbleGenerators) == kSeedGenerator) {
    piw /= kSeedDivisor;
    if (piw < 1.0) piw = 1.0;
  }

  // Inside a hybrid the package supplies the environment factor, as for every
  // hybrid part: pi_E = 1.0 here.
  const double pie = hybrid ? 1.0 : tableAt(kMicrocircuitEnvironmentFactor, checkedEnvironment(header));
  const double pid = 0.9 * d + 0.1;
  double pil = 1.0;
  if (!hybrid && checkChoice(LEARN, kBubbleLearning) == kNewProduct) {
    pil = learningFactor(limitToRange(YEARS, kYearsLo, kYearsHi));
  }

  const double lambda1 = ((chips * c21 + c2) * pie + chips * c11 * pit1 * piw) * pid * piq * pil;
  const double lambda2 = chips * (c12 * pit2 + c22 * pie) * piq * pil;

  PIQ = static_cast<float>(piq);
  C11 = static_cast<float>(c11);
  C21 = static_cast<float>(c21);
  C12 = static_cast<float>(c12);
  C22 = static_cast<float>(c22);
  C2 = static_cast<float>(c2);
  PIT1 = static_cast<float>(pit1);
  PIT2 = static_cast<float>(pit2);
  PIW = static_cast<float>(piw);
  PIE = static_cast<float>(pie);
  PID = static_cast<float>(pid);
  PIL = static_cast<float>(pil);
  L1 = static_cast<float>(lambda1);
  L2 = static_cast<float>(lambda2);
  FR = static_cast<float>((lambda1 + lambda2) * cf);

  finishSurfaceMount(header, rise);
}

void CBubble::UpdateAppParams(const CPart& other) {
  if (!sameClass(other)) return;
  const auto& o = static_cast<const CBubble&>(other);
  DC = o.DC;
  RW = o.RW;
  TRISE = o.TRISE;
}

void CBubble::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string chips = strprintf("Chips:%.0f", static_cast<double>(CHIPS));
  const std::string elements = strprintf("Elements:%.0f", static_cast<double>(ELEMENTS));
  const std::string generator = storedChoiceText(kBubbleGenerators, GENTYPE);
  const std::string kbits = strprintf("Kbits:%.0f", static_cast<double>(KBITS));
  const std::string pins = isHybridPart() ? std::string() : strprintf("Pins:%.0f", static_cast<double>(PINS));
  const std::string years = usesYears() ? strprintf("%sY", formatNumber(YEARS, 4, 2).c_str()) : std::string();
  const std::string dc = strprintf("DC:%s%%", formatNumber(DC, 5, 2).c_str());
  const std::string rw = strprintf("R/W:%.0f", static_cast<double>(RW));
  const std::string trise = strprintf("Trise:%s", formatNumber(TRISE, 6, 2).c_str());
  line1 = lineprintf("%s%-9s %-13s %-7s %-10s %-8s %-5s %-8s %-8s %-12s", pre.c_str(), chips.c_str(),
                     elements.c_str(), generator.c_str(), kbits.c_str(), pins.c_str(), years.c_str(), dc.c_str(),
                     rw.c_str(), trise.c_str());
  line2.clear();
}

void CBubble::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR= (   L1    +    L2   ) *   PICF  ", pre.c_str());
  line2 = lineprintf("%s     %-8s   %-8s    %-8s", pre.c_str(), formatNumber(L1, 8, 6).c_str(),
                     formatNumber(L2, 8, 6).c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
