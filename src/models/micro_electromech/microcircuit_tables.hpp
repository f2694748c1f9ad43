// Factor tables and choice lists shared by the monolithic microcircuit
// models: the microcircuit family (handbook section 5.1), VHSIC/VLSI (5.3)
// and GaAs MMIC and digital ICs (5.4). Package complexity C2 (table 5.9),
// quality pi_Q and environment pi_E (table 5.10), learning pi_L (table
// 5.10), and the die complexity lookup by inclusive ranges.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/arrhenius.hpp"
#include "core/choice.hpp"

namespace kestrel {

// Quality levels of every monolithic microcircuit class; 5 takes the record's
// own factor. What-If? never moves a record to "Custom".
inline constexpr std::string_view kMicrocircuitQualityNames[] = {"", "S", "B", "B1", "Commercial", "Custom"};
inline constexpr ChoiceList kMicrocircuitQualities{kMicrocircuitQualityNames};
inline constexpr std::string_view kMicrocircuitQualityShort[] = {"", "S", "B", "B1", "Comm", "Cust"};
inline constexpr std::uint8_t kCustomQuality = 5;
inline constexpr int kWhatIfQualityHi = 4;  // "Commercial"

// Learning: an established line, or a new one with its years in production.
inline constexpr std::string_view kLearningNames[] = {"", "Est", "New"};
inline constexpr ChoiceList kLearningChoices{kLearningNames};
inline constexpr std::uint8_t kLearningNew = 2;

// Packages of the microcircuit family and of GaAs devices (table 5.9 rows).
inline constexpr std::string_view kMicrocircuitPackageNames[] = {
    "", "HermDIP,Solder", "HermDIP,Glass", "HermPGA/SMT", "Flatpack", "Can", "NonHermDIP", "NonHermPGA/SMT"};
inline constexpr ChoiceList kMicrocircuitPackages{kMicrocircuitPackageNames};

// Entry ranges shared by the classes.
inline constexpr double kPinsLo = 3.0, kPinsHi = 9999.0;
inline constexpr double kYearsLo = 0.01, kYearsHi = 2.0;
inline constexpr double kCustomQualityLo = 0.01, kCustomQualityHi = 99.0;
inline constexpr double kCfLo = 0.000001, kCfHi = 1000.0;

// Quality factor pi_Q, S, B, B1, Commercial (table 5.10).
inline constexpr std::array<double, 5> kMicrocircuitQualityFactor = {0.0, 0.25, 1.0, 2.0, 10.0};

// Environment factor pi_E, GB..CL (table 5.10).
inline constexpr EnvTable kMicrocircuitEnvironmentFactor = {0.0, 0.5, 2.0, 4.0, 4.0, 6.0, 4.0,  5.0,
                                                            5.0, 8.0, 8.0, 0.5, 5.0, 12.0, 220.0};

// Package complexity C2 = a x Np^b by package (table 5.9).
struct PackageCoefficients {
  double a, b;
};
inline constexpr std::array<PackageCoefficients, 8> kPackageCoefficients = {{
    {0.0, 0.0},
    {0.00028, 1.08},  // hermetic DIP, solder or weld seal
    {0.00009, 1.51},  // hermetic DIP, glass seal
    {0.00028, 1.08},  // hermetic pin grid array, surface mount
    {0.00003, 1.82},  // flatpack, axial leads on 50 mil centres
    {0.00003, 2.01},  // can
    {0.00036, 1.08},  // nonhermetic DIP
    {0.00036, 1.08},  // nonhermetic pin grid array, surface mount
}};

inline double packageComplexityFactor(std::uint8_t package, double pins) {
  const PackageCoefficients& c = tableAt(kPackageCoefficients, package);
  return c.a * std::pow(pins, c.b);
}

// Learning factor pi_L = 0.01 x exp(5.35 - 0.35 x Y) (table 5.10), which the
// handbook holds at 2.0 up to 0.1 years and at 1.0 from 2.0 years on.
// The bound is the stored (single precision) 0.1, so an entry of 0.1 year is on it.
inline constexpr double kLearningYoungYears = static_cast<double>(0.1f);
inline constexpr double kLearningYoungFactor = 2.0;
inline constexpr double kLearningMatureYears = 2.0;
inline double learningFactor(double years) {
  if (years <= kLearningYoungYears) return kLearningYoungFactor;
  if (years >= kLearningMatureYears) return 1.0;
  return 0.01 * std::exp(5.35 - 0.35 * years);
}

// Die complexity factor rows: C1 for a complexity up to and including `upTo`.
struct ComplexityRow {
  double upTo;
  double c1;
};

// C1 of the row holding `n`; past the last row, the last row's value (the
// caller limits `n` to the class range first and flags what it limited).
constexpr double complexityFactor(std::span<const ComplexityRow> rows, double n) {
  for (const ComplexityRow& row : rows) {
    if (n <= row.upTo) return row.c1;
  }
  return rows.back().c1;
}

// The memory ranges of C1: 16K, 64K, 256K and 1M bits.
inline constexpr std::array<double, 4> kMemoryBounds = {16384.0, 65536.0, 262144.0, 1048576.0};
constexpr std::array<ComplexityRow, 4> memoryRows(double a, double b, double c, double d) {
  return {{{kMemoryBounds[0], a}, {kMemoryBounds[1], b}, {kMemoryBounds[2], c}, {kMemoryBounds[3], d}}};
}

}  // namespace kestrel
