#include "core/mission_profile_text.hpp"

#include <string_view>

#include "core/choice.hpp"
#include "core/circ_header.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

double totalHours(const MissionProfile& profile) {
  double sum = 0.0;
  for (const MissionPhase& p : profile.phases) sum += p.hours;
  return sum;
}

std::string settingsColumns(std::size_t number, const MissionPhase& p) {
  return lineprintf("%3zu  %-24.24s %-5s %7s %12s %6s %7s", number, p.name.c_str(),
                    std::string(kEnvironments.text(p.environment)).c_str(), formatNumber(p.temperature, 7, 1).c_str(),
                    formatPadded(p.hours, 12, 2).c_str(), formatNumber(p.poweredPercent, 6, 1).c_str(),
                    formatPadded(p.dormantMultiplier, 7, 2).c_str());
}

constexpr std::string_view kSettingsHeading = "  #  Phase                    Env    Temp C        Hours   On %  Dormant";

}  // namespace

std::vector<std::string> profileLines(const MissionProfile& profile) {
  std::vector<std::string> lines;
  lines.push_back(lineprintf("Mission profile '%s'   Top level: %s   %zu phases, %s hours", profile.name.c_str(),
                             profile.topLevel.c_str(), profile.phases.size(),
                             formatNumber(totalHours(profile), 12, 2).c_str()));
  lines.emplace_back(kSettingsHeading);
  for (std::size_t i = 0; i < profile.phases.size(); ++i) lines.push_back(settingsColumns(i + 1, profile.phases[i]));
  return lines;
}

std::vector<std::string> profileResultLines(const ProfileResult& r) {
  std::vector<std::string> lines;
  const std::string_view model = kModels.text(kModels.clamp(r.model));
  lines.push_back(lineprintf("Mission profile '%s' over '%s' (%s): %zu phases, %s hours", r.profileName.c_str(),
                             r.topLevelPath.c_str(), std::string(model).c_str(), r.phases.size(),
                             formatNumber(r.totalHours, 12, 2).c_str()));
  lines.push_back(std::string(kSettingsHeading) + "    FR (fpmh)   MTBF (hrs)           R");
  for (std::size_t i = 0; i < r.phases.size(); ++i) {
    const PhaseResult& p = r.phases[i];
    lines.push_back(settingsColumns(i + 1, p.phase) +
                    lineprintf(" %12s %12s %11s", formatPadded(p.failureRate, 12, 6).c_str(),
                               formatNumber(p.mtbf, 12, 1).c_str(), formatNumber(p.reliability, 11, 6).c_str()));
  }
  lines.push_back(lineprintf("Profile: average FR=%s fpmh   equivalent MTBF=%s hrs.   R=%s",
                             formatNumber(r.averageFailureRate, 12, 6).c_str(), formatNumber(r.mtbf, 12, 1).c_str(),
                             formatNumber(r.reliability, 8, 6).c_str()));
  if (r.repetitions > 1) {
    lines.push_back(lineprintf("After %d repetitions: R=%s", r.repetitions,
                               formatNumber(r.repeatedReliability, 8, 6).c_str()));
  }
  lines.emplace_back("Top contributors (fpmh over the phase):");
  for (std::size_t i = 0; i < r.phases.size(); ++i) {
    const PhaseResult& p = r.phases[i];
    std::string line = lineprintf("%3zu  %s:", i + 1, p.phase.name.c_str());
    if (p.contributors.empty()) line += " none";
    for (std::size_t k = 0; k < p.contributors.size(); ++k) {
      const PhaseContributor& c = p.contributors[k];
      line += (k == 0 ? " " : "; ") + c.partNumber + " (" + c.circuit + ") " + formatNumber(c.failureRate, 12, 6);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace kestrel
