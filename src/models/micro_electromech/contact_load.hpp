// What relays and switches share: the contact load types and their load
// stress factor, and the two ways the current stress is obtained.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/choice.hpp"

namespace kestrel {

// Contact load types (RELAY_LOAD, SW_LOAD).
inline constexpr std::string_view kContactLoadNames[] = {"", "Resistive", "Inductive", "Lamp"};
inline constexpr ChoiceList kContactLoads{kContactLoadNames};

// How the current stress is obtained (RELAY_STRESSMODE, SW_STRESSMODE).
inline constexpr std::string_view kCurrentStressModeNames[] = {"", "Calc=Iop/Imax", "Manual"};
inline constexpr ChoiceList kCurrentStressModes{kCurrentStressModeNames};
inline constexpr std::uint8_t kCurrentStressComputed = 1;
inline constexpr std::uint8_t kCurrentStressManual = 2;

// Load stress factor, handbook tables 13.1 (relays) and 14.1 (switches):
// pi_L = exp((S / d)^2), S = operating / rated resistive load current, with
// d = 0.8 resistive, 0.4 inductive, 0.2 lamp load.
inline constexpr std::array<double, 4> kLoadStressDivisor = {1.0, 0.8, 0.4, 0.2};

inline double loadStressFactor(std::uint8_t load, double stressPercent) {
  const double ratio = stressPercent * 0.01 / tableAt(kLoadStressDivisor, load);
  return std::exp(ratio * ratio);
}

}  // namespace kestrel
