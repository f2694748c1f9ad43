// The Arrhenius temperature factor of the handbook's part models,
//   pi_T = exp(-(Ea/k) x (1/(T + 273) - 1/Tref)),
// T in deg C, Tref in kelvin (298 K unless a model names another reference).
#pragma once

#include <cmath>

namespace kestrel {

// 1/k with Boltzmann's constant k = 8.617e-5 eV/K.
inline constexpr double kInverseBoltzmann = 11604.966925844261;
// 1/298 K, the reference of most models.
inline constexpr double kInverse298 = 0.003355704697986577;

// The factor for an activation energy already divided by k (kelvin).
inline double arrheniusFactor(double eaOverK, double celsius, double inverseReference = kInverse298) {
  return std::exp(-eaOverK * (1.0 / (celsius + 273.0) - inverseReference));
}

// The factor for an activation energy in eV.
inline double arrheniusFactorEv(double ea, double celsius, double inverseReference = kInverse298) {
  return arrheniusFactor(ea * kInverseBoltzmann, celsius, inverseReference);
}

}  // namespace kestrel
