// The surface-mount solder-joint model: the fatigue life Nf of a part's
// solder joints under thermal cycling, turned into a failure rate through the
// effective cumulative failures table (handbook section 16).
#include <algorithm>
#include <array>
#include <cmath>

#include "core/circ_header.hpp"
#include "core/part.hpp"

namespace kestrel {
namespace {

// Board thermal expansion coefficient alpha_S (ppm/deg C) by board material;
// entry 23 "Other" takes the header's board TCE.
constexpr std::array<double, 24> kBoardTce = {0,  18, 20, 11, 7, 5, 5, 1, 3,  1,  5, 15,
                                              13, 6,  8,  7,  7, 7, 6, 9, 20, 7, 7, 0};
constexpr std::uint8_t kBoardOther = 23;

// Cycle rate CR (cycles per hour) by equipment type; 10 "Other" takes the header's.
constexpr std::array<double, 11> kCycleRate = {0,    1.0,  0.08,  0.17, 0.0042, 0.25,
                                               0.021, 0.03, 0.12, 0.5,  0};
constexpr std::uint8_t kEquipmentOther = 10;

// Temperature difference delta_T (deg C) by environment GB..CL.
constexpr EnvTable kTempDifference = {0, 7, 21, 26, 26, 61, 31, 31, 57, 57, 31, 7, 0, 0, 0};

// Lead configuration factor LC and package expansion coefficient alpha_CC.
constexpr std::array<double, 4> kLeadFactor = {0, 1, 150, 5000};
constexpr std::array<double, 3> kPackageTce = {0, 7, 6};

// Effective cumulative failures ECF by x = design life / alpha_SMT.
constexpr std::array<double, 9> kEcfBounds = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
constexpr std::array<double, 10> kEcf = {0.13, 0.15, 0.23, 0.31, 0.41, 0.51, 0.61, 0.68, 0.76, 1.0};

double effectiveCumulativeFailures(double x) {
  for (std::size_t i = 0; i < kEcfBounds.size(); ++i) {
    if (x <= kEcfBounds[i]) return kEcf[i];
  }
  return kEcf.back();
}

}  // namespace

bool CPart::smtApplies(const CCircHeader& header) const {
  return !isHybridPart() && header.HASSMT != 0 && IS_SMT == 1;
}

void CPart::surfaceMountStep(CCircHeader& header, double highestRise) {
  SmtCalcFlag = 0;
  const std::uint8_t lead = checkChoice(SMT_LEAD, kSmtLeads);
  const std::uint8_t package = checkChoice(SMT_PKG, kSmtPackages);

  const double h = lead == 1 ? limitToRange(SMT_HT, 0.1, 1000.0) : 8.0;
  SMT_HT = static_cast<float>(h);
  const double d = limitToRange(SMT_DIST, 1.0, 100000.0);
  const double rise = limitToRange(SMT_TEMPRISE, 0.0, highestRise);

  const std::uint8_t board = kSmtBoards.clamp(header.SMTBOARD);
  const double alphaS = board == kBoardOther ? limitToRange(header.BOARDTCE, 0.01, 1000.0)
                                             : tableAt(kBoardTce, board);
  header.BOARDTCE = static_cast<float>(alphaS);

  const std::uint8_t env = checkedEnvironment(header);
  const double deltaT = header.SMTDIFFMODE == 2 ? limitToRange(header.TEMPDIFF, 0.01, 250.0)
                                                : tableAt(kTempDifference, env);
  header.TEMPDIFF = static_cast<float>(deltaT);

  const double alphaCC = tableAt(kPackageTce, package);
  const double strain = std::fabs(alphaS * deltaT - alphaCC * (deltaT + rise)) * 0.000001;
  const double nf = 3.5 * std::pow(d / (0.65 * h), -2.26) * std::pow(strain, -2.26) *
                    tableAt(kLeadFactor, lead);

  const std::uint8_t equipment = kSmtEquipment.clamp(header.SMTEQUIP);
  const double cycleRate = equipment == kEquipmentOther
                               ? limitToRange(header.SMTCYCLERATE, 0.000001, 10000.0)
                               : tableAt(kCycleRate, equipment);
  header.SMTCYCLERATE = static_cast<float>(cycleRate);

  // A zero strain makes Nf infinite: the joints never fail (ECF's first row
  // over an infinite life gives 0).
  const double alphaSmt = nf / cycleRate;
  const double life = limitToRange(header.SMTLIFE, 1.0, 10000000.0);
  const double ecf = effectiveCumulativeFailures(life / alphaSmt);
  double frsmt = ecf / alphaSmt * 1000000.0;
  if (!std::isfinite(frsmt)) {
    frsmt = 0.0;
    OverFlags |= EntryOverRange;
  }
  FRSMT = static_cast<float>(frsmt);

  if (env >= 12) {  // MF, ML, CL: no thermal cycling figure
    FRSMT = 0.0f;
    OverFlags |= EnvNotValid;
  }
  SmtCalcFlag = 1;
}

void CPart::finishSurfaceMount(CCircHeader& header, double defaultRise, double highestDefaultRise) {
  if (!smtApplies(header)) {
    SmtCalcFlag = 0;
    return;
  }
  if (SMT_TRISEMODE == 2) {
    surfaceMountStep(header);  // the entered rise, 0..175
    return;
  }
  SMT_TEMPRISE = static_cast<float>(defaultRise);
  surfaceMountStep(header, highestDefaultRise);
}

}  // namespace kestrel
