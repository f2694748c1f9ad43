#include "models/micro_electromech/junction_temp.hpp"

#include <cmath>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// Ambient temperatures a header can hold.
constexpr double kLowestAmbient = -55.0;
constexpr double kHighestAmbient = 175.0;

// Ranges of the override value by its option.
constexpr double kOverrideTempLo = -55.0;
constexpr double kOverrideTempHi = 300.0;

// A stored input limited to its field's entry range for the calculation.
double limited(CPart& part, float value, const FieldSpec& limits) {
  return part.limitToRange(value, limits.lo, limits.hi);
}

// A rise derived from an override value: 0..175, else 0 with a warning.
float derivedRise(double rise, const char* what, long record, const JunctionTempLog& log) {
  if (std::isfinite(rise) && rise >= 0.0 && rise <= kThermalRiseMax) return static_cast<float>(rise);
  if (log) log(strprintf("   ...%s override out-of-range: set to 0 (R%ld)...", what, record));
  return 0.0f;
}

}  // namespace

void JunctionTemp::copyAppParams(const JunctionTemp& other) {
  MODE = other.MODE;
  PD = other.PD;
  RCA = other.RCA;
  TADJ = other.TADJ;
  TCA = other.TCA;
  TJA = other.TJA;
}

double JunctionTemp::junctionTemperature(CPart& part, double ambient, const JunctionTempFields& f) const {
  const double ta = part.limitToRange(ambient, kLowestAmbient, kHighestAmbient);
  switch (MODE) {
    case kTjFromResistances:
      return ta + limited(part, TADJ, f.tadj) +
             limited(part, PD, f.pd) * (limited(part, RJC, f.rjc) + limited(part, RCA, f.rca));
    case kTjFromCaseRise:
      return ta + limited(part, TCA, f.tca) + limited(part, PD, f.pd) * limited(part, RJC, f.rjc);
    case kTjFromJunctionRise:
      return ta + limited(part, TJA, f.tja);
    default:
      // No formula for a mode outside the list: the junction is taken at ambient.
      part.OverFlags |= EntryOverRange;
      return ta;
  }
}

double JunctionTemp::beginCalculation(CPart& part, const CCircHeader& header,
                                      const JunctionTempFields& fields) const {
  part.OverFlags = 0;
  const double tj = junctionTemperature(part, header.TEMP, fields);
  part.T = static_cast<float>(tj);
  // A junction exactly at the limit is not over it.
  if (!(part.TEMPLIMIT >= part.T)) part.OverFlags |= OverTemp;
  return tj;
}

double JunctionTemp::smtDefaultRise(CPart& part, const JunctionTempFields& f) const {
  switch (MODE) {
    case kTjFromResistances:
    case kTjFromCaseRise:
      return limited(part, PD, f.pd) * limited(part, RJC, f.rjc);
    case kTjFromJunctionRise:
      return limited(part, TJA, f.tja);
    default:
      return 0.0;
  }
}

void JunctionTemp::finishCalculation(CPart& part, CCircHeader& header,
                                     const JunctionTempFields& fields) const {
  part.finishSurfaceMount(header, smtDefaultRise(part, fields));
}

bool JunctionTemp::importFields(KeywordReader& r, const JunctionTempFields& f, float ambient,
                                const JunctionTempLog& given) {
  // Without a log of its own the messages go where the readers' do.
  const JunctionTempLog log = given ? given : JunctionTempLog([&r](std::string_view line) { r.logLine(line); });
  const long record = r.record() != nullptr ? r.record()->number : 0;
  const CKwd* temp = r.find(f.temp);
  const bool overridden = temp != nullptr && std::trunc(temp->fieldNumber) != 0.0;

  std::uint8_t option = 0;
  float value = 0.0f;
  if (overridden) {
    option = temp->valueOption;
    if (!kTempOverrideOptions.isValid(option)) {
      if (log) {
        log(strprintf("   ...Error: invalid '%s' value type (R%ld).", std::string(f.temp).c_str(), record));
      }
      return false;
    }
    if (option == kOverrideRise) {
      if (!r.readFloat(f.temp, value, 0.0, kThermalRiseMax)) return false;
    } else {
      value = ambient;  // no usable data: the junction or case at ambient
      if (!r.readFloat(f.temp, value, kOverrideTempLo, kOverrideTempHi)) return false;
    }
    // The override sets the mode; the mode keyword is not read.
    MODE = option == kOverrideCase ? kTjFromCaseRise : kTjFromJunctionRise;
  } else if (!r.read(f.mode, MODE)) {
    return false;
  }

  if (!r.read(f.pd, PD) || !r.read(f.rjc, RJC) || !r.read(f.rca, RCA) || !r.read(f.tadj, TADJ)) return false;

  const double ta = ambient;
  if (option == kOverrideCase) {
    TCA = derivedRise(static_cast<double>(value) - ta, "Tca", record, log);
  } else if (!r.read(f.tca, TCA)) {
    return false;
  }

  if (option == kOverrideJunction) {
    TJA = derivedRise(static_cast<double>(value) - ta, "Tja", record, log);
  } else if (option == kOverrideRise) {
    TJA = derivedRise(value, "Tja", record, log);
  } else {
    return r.read(f.tja, TJA);
  }
  return true;
}

std::string JunctionTemp::thermalLine(std::string_view prefix) const {
  const std::string pre(prefix);
  switch (MODE) {
    case kTjFromResistances:
      return lineprintf("%s%s = Ta+%s+%s(%s+%s)", pre.c_str(), "Tj = Ta+Tadj+Pd(Rjc+Rca)",
                        formatNumber(TADJ, 6, 2).c_str(), formatNumber(PD, 8, 4).c_str(),
                        formatNumber(RJC, 6, 2).c_str(), formatNumber(RCA, 6, 2).c_str());
    case kTjFromCaseRise:
      return lineprintf("%s%s = Ta+%s+%s(%s)", pre.c_str(), "Tj = Ta+Tca+PdRjc",
                        formatNumber(TCA, 6, 2).c_str(), formatNumber(PD, 8, 4).c_str(),
                        formatNumber(RJC, 6, 2).c_str());
    case kTjFromJunctionRise:
      return lineprintf("%s%s = Ta+%s", pre.c_str(), "Tj = Ta+Tja", formatNumber(TJA, 6, 2).c_str());
    default:
      return {};
  }
}

void JunctionTemp::normalize(CPart& part) const {
  if (!modeIsValid()) part.OverFlags |= EntryOverRange;
}

}  // namespace kestrel
