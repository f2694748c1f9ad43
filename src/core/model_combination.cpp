#include "core/model_combination.hpp"

#include <cmath>
#include <vector>

#include "core/circ_header.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr double kMaxKofNUnits = 999.0;

// Probability that at least k of the units survive: p[j] is the probability
// that exactly j of the units seen so far survive, for j < k, and p[k] that
// k or more do.
double atLeastKOf(const std::vector<double>& units, std::size_t k) {
  if (k == 0) return 1.0;
  std::vector<double> p(k + 1, 0.0);
  p[0] = 1.0;
  for (double r : units) {
    p[k] += p[k - 1] * r;
    for (std::size_t j = k - 1; j > 0; --j) p[j] = p[j] * (1.0 - r) + p[j - 1] * r;
    p[0] *= 1.0 - r;
  }
  return p[k];
}

}  // namespace

bool solderJointsAreAUnit(const CCircHeader& header) {
  return header.HASSMT != 0 && header.LargestFRSMT > 0.0;
}

CombinationResult combineReliabilities(std::span<const UnitReliability> records,
                                       const CombinationInput& in) {
  CombinationResult out;
  double r = 1.0;
  switch (in.model) {
    case 1: {
      for (const UnitReliability& u : records) r *= std::pow(u.reliability, u.quantity);
      if (in.smt) r *= in.smtReliability;
      break;
    }
    case 2: {
      double q = 1.0;
      for (const UnitReliability& u : records) q *= std::pow(1.0 - u.reliability, u.quantity);
      if (in.smt) q *= 1.0 - in.smtReliability;
      r = 1.0 - q;
      break;
    }
    case 3: {
      if (!(in.partsCount <= kMaxKofNUnits)) {
        out.error = strprintf("...Error: %s (N=%.0f).", "K-of-N quantity", in.partsCount);
        return out;
      }
      // The units actually there: each whole unit of each record, then the joints.
      std::vector<double> units;
      for (const UnitReliability& u : records) {
        for (double n = 1.0; n <= u.quantity; n += 1.0) units.push_back(u.reliability);
      }
      if (in.smt) units.push_back(in.smtReliability);
      const double k = std::isfinite(in.required) ? std::trunc(in.required) : 0.0;
      if (k < 0.0 || static_cast<double>(units.size()) < k) {
        out.error = strprintf("...Error: %s (K=%d, N=%d).", "K-of-N quantity", static_cast<int>(k),
                              static_cast<int>(units.size()));
        return out;
      }
      r = atLeastKOf(units, static_cast<std::size_t>(k));
      break;
    }
    default:
      out.error = "...Error: invalid model type.";
      return out;
  }
  out.reliability = std::pow(r, in.correctionFactor);
  return out;
}

}  // namespace kestrel
