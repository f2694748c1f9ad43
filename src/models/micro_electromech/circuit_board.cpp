#include "models/micro_electromech/circuit_board.hpp"

#include <array>
#include <cmath>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"

namespace kestrel {
namespace {

const FieldSpec kType{"BD_TYPE", "Type", FieldKind::Choice, 0, 0, 0, &kBoardTypes};
const FieldSpec kLayers{"BD_LAYERS", "Circuit Layers", FieldKind::Whole, 1, 99};
const FieldSpec kQu{"BD_QU", "Quality", FieldKind::Choice, 0, 0, 0, &kBoardQualities};
const FieldSpec kAutoHoles{"BD_AUTOHOLES", "Automated Solder Holes", FieldKind::Whole, 0, 999999};
const FieldSpec kHandHoles{"BD_HANDHOLES", "Hand Solder Holes", FieldKind::Whole, 0, 999999};

// ---- handbook section 16.1, interconnection assemblies with PTHs ----

// Base failure rate lambda_b (fpmh per hole): printed wiring board with
// PTHs; discrete wiring with electroless-deposited PTHs.
constexpr std::array<double, 3> kBaseRate = {0.0, 0.000017, 0.00011};
// Circuit planes the model covers, by board type.
constexpr std::array<double, 3> kMostLayers = {0.0, 18.0, 2.0};

// Complexity factor pi_C = 0.65 x P^0.63 for a printed board of more than
// two planes; 1.0 for up to two planes and for discrete wiring.
constexpr double kComplexityScale = 0.65;
constexpr double kComplexityExponent = 0.63;
// A hand-soldered hole counts pi_C + 13 automated holes.
constexpr double kHandSolderExtra = 13.0;

// Quality factor pi_Q: MIL 1.0, lower 2.0.
constexpr std::array<double, 3> kQualityFactor = {0.0, 1.0, 2.0};

// Environment factor pi_E, GB..CL.
constexpr EnvTable kEnvironmentFactor = {0.0,  1.0,  2.0,  7.0, 5.0,  13.0, 5.0,  8.0,
                                         16.0, 28.0, 19.0, 0.5, 10.0, 27.0, 500.0};

constexpr double kMostHoles = 999999.0;

// The record's own fields, in file order.
const StoredFields kStored = {
    input<&CCircuitBoard::TYPE>(kType),
    input<&CCircuitBoard::LAYERS>(kLayers),
    input<&CCircuitBoard::N1>(kAutoHoles).printedAs("N1"),
    input<&CCircuitBoard::N2>(kHandHoles).printedAs("N2"),
    input<&CCircuitBoard::QU>(kQu),
    result<&CCircuitBoard::LB>("LB"),
    result<&CCircuitBoard::PIC>("PIC"),
    result<&CCircuitBoard::PIQ>("PIQ"),
    result<&CCircuitBoard::PIE>("PIE"),
};

}  // namespace

const ClassRecord CCircuitBoard::kClass = makeClassRecord<CCircuitBoard>("CCircuitBoard");

std::span<const StoredField> CCircuitBoard::storedFields() const { return kStored; }

// A board belongs to a circuit, never to a hybrid.
std::string CCircuitBoard::GetTypeName() const { return isHybridPart() ? "*ERROR*" : "CircuitBoard"; }

void CCircuitBoard::paramPage(FieldVisitor& f) {
  f.choice(kType, TYPE, true);
  f.number(kLayers, LAYERS, true);
  f.choice(kQu, QU, true);
  f.number(kAutoHoles, N1, true);
  f.number(kHandHoles, N2, true);
}

void CCircuitBoard::Calculate(CCircHeader& header) {
  OverFlags = 0;
  T = header.TEMP;
  S = -1.0f;
  flagLimits();
  const std::uint8_t type = checkChoice(TYPE, kBoardTypes);
  const double layers = limitToRange(LAYERS, 1.0, 99.0);
  // Still computed beyond the model's planes, flagged for the reports.
  if (layers > tableAt(kMostLayers, type)) OverFlags |= EntryOverRange;

  const double lb = tableAt(kBaseRate, type);
  const double pic =
      type == kPrintedBoard && layers > 2.0 ? kComplexityScale * std::pow(layers, kComplexityExponent) : 1.0;
  const double piq = tableAt(kQualityFactor, checkChoice(QU, kBoardQualities));
  const double pie = tableAt(kEnvironmentFactor, checkedEnvironment(header));
  const double n1 = limitToRange(N1, 0.0, kMostHoles);
  const double n2 = limitToRange(N2, 0.0, kMostHoles);
  const double cf = correctionFactor();

  LB = static_cast<float>(lb);
  PIC = static_cast<float>(pic);
  PIQ = static_cast<float>(piq);
  PIE = static_cast<float>(pie);
  FR = static_cast<float>(lb * (n1 * pic + n2 * (pic + kHandSolderExtra)) * piq * pie * cf);
  SmtCalcFlag = 0;
}

void CCircuitBoard::ApplyWhatIf(const WhatIfSettings& settings) {
  applyQualityChange(QU, 1, static_cast<int>(kBoardQualities.count()), settings);
}

void CCircuitBoard::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  const std::string type = storedChoiceText(kBoardTypes, TYPE);
  const std::string layers = strprintf("Layers:%.0f", static_cast<double>(LAYERS));
  const std::string quality = strprintf("Qu:%s", storedChoiceText(kBoardQualities, QU).c_str());
  const std::string automated = strprintf("AutomatedSolderHoles:%.0f", static_cast<double>(N1));
  const std::string hand = strprintf("HandSolderHoles:%.0f", static_cast<double>(N2));
  line1 = lineprintf("%s%-20s  %-9s  %-8s  %-27s %-22s", pre.c_str(), type.c_str(), layers.c_str(), quality.c_str(),
                     automated.c_str(), hand.c_str());
  line2.clear();
}

void CCircuitBoard::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf(
      "%sFR=    LB    * PIQ *  PIE  * (   N1   * (   PIC   ) +   N2   * (   PIC    + 13 ) ) *   PICF  ",
      pre.c_str());
  const std::string pic = formatNumber(PIC, 8, 6);
  line2 = lineprintf("%s    %-8s   %-3s   %-5s     %-6.0f     %-8s    %-6.0f     %-8s            %-8s", pre.c_str(),
                     formatNumber(LB, 8, 6).c_str(), formatNumber(PIQ, 3, 1).c_str(),
                     formatNumber(PIE, 5, 2).c_str(), static_cast<double>(N1), pic.c_str(),
                     static_cast<double>(N2), pic.c_str(), formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
