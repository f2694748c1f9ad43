#include "core/whatif.hpp"

#include <algorithm>
#include <cmath>

#include "core/circ_header.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

bool WhatIfSettings::passesFilter(const CPart& part) const {
  if (typeFilterOn && part.PART_TYPE != typeId) return false;
  if (!pnFilterOn || pnFilterLength <= 0) return true;
  const std::size_t n = static_cast<std::size_t>(pnFilterLength);
  const std::string want = upperCased(std::string_view(pnFilterText).substr(0, n));
  if (want.size() < n || part.PN.size() < n) return false;
  return upperCased(std::string_view(part.PN).substr(0, n)) == want;
}

void applyQualityChange(std::uint8_t& quality, int lo, int hi, const WhatIfSettings& settings) {
  double q = quality;
  const double level = std::isfinite(settings.qualityLevel) ? settings.qualityLevel : 0.0;
  switch (settings.qualityMode) {
    case SetDirect: q = level; break;
    case Increase: q = q - level; break;
    case Decrease: q = q + level; break;
    default: return;
  }
  q = std::trunc(std::clamp(q, 0.0, 255.0));
  quality = static_cast<std::uint8_t>(std::clamp(static_cast<int>(q), lo, hi));
}

void applyStressChange(StressSubject subject, double lo, double hi, const WhatIfSettings& settings) {
  double s = subject.stress;
  const double value = std::isfinite(settings.stressValue) ? settings.stressValue : 0.0;
  switch (settings.stressMode) {
    case SetDirect: s = value; break;
    case Increase: s = s + value; break;
    case Decrease: s = s - value; break;
    case SetToCalcMode:
      if (subject.stressMode == nullptr) return;
      *subject.stressMode = 1;
      if (subject.rated > 0.0 && std::isfinite(subject.operating)) {
        s = subject.operating / subject.rated * 100.0;
      }
      break;
    default: return;
  }
  if (settings.stressMode != SetToCalcMode && subject.stressMode != nullptr) *subject.stressMode = 2;
  if (!std::isfinite(s)) s = lo;
  subject.stress = static_cast<float>(std::clamp(s, lo, hi));
}

void applyHeaderWhatIf(CCircHeader& header, bool hybrid, const WhatIfSettings& settings) {
  if (settings.changeEnvironment) header.ENV = kEnvironments.clamp(settings.environment);
  if (settings.tempMode != NoChange) {
    double t = header.TEMP;
    switch (settings.tempMode) {
      case SetDirect: t = settings.tempValue; break;
      case Increase: t += settings.tempValue; break;
      case Decrease: t -= settings.tempValue; break;
      default: break;
    }
    if (!std::isfinite(t)) t = 25.0;
    header.TEMP = static_cast<float>(std::clamp(t, -55.0, 175.0));
  }
  if (hybrid && (!settings.typeFilterOn || settings.typeId == kSubHybridType)) {
    applyQualityChange(header.HYBQU, 1, 3, settings);
  }
}

}  // namespace kestrel
