#include "core/mission_profile.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

#include "core/choice.hpp"
#include "core/doc_file.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"

namespace kestrel {
namespace {

constexpr std::string_view kVersionLine = "KESTREL MISSION PROFILE 1";
constexpr std::string_view kProfileTag = "KESTREL MISSION PROFILE ";
constexpr std::size_t kMaxTopLevel = 259;
constexpr std::size_t kPhaseFields = 6;

Status named(const std::string& path, const std::string& text) {
  return Status::error(StatusCode::Corrupt, "'" + path + "': " + text);
}

// The shortest text that reads back to the same double.
std::string numberText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool readNumber(std::string_view text, double& out) {
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(out);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

bool holdsLineBreakOrTab(const std::string& text) { return text.find_first_of("\t\r\n") != std::string::npos; }

Status phaseError(const std::string& path, std::size_t number, const MissionPhase& phase, const std::string& text) {
  return Status::error(StatusCode::InvalidArgument, strprintf("'%s': phase %zu ('%s'): %s", path.c_str(), number,
                                                              windows1252ToUtf8(phase.name).c_str(), text.c_str()));
}

// Reads one PHASE line's value; "" or what is wrong with it.
std::string readPhase(std::string_view value, MissionPhase& phase) {
  const std::vector<std::string_view> fields = split(value, '\t');
  if (fields.size() != kPhaseFields) return strprintf("a phase has %zu fields, not %zu", fields.size(), kPhaseFields);
  const std::string name(fields[0]);
  if (!isValidUtf8(name)) return "the phase name is not UTF-8 text";
  phase.name = utf8ToWindows1252(name).text;
  const unsigned env = kEnvironments.find(fields[1]);
  if (env == 0) return "'" + std::string(fields[1]) + "' is not an environment";
  phase.environment = static_cast<std::uint8_t>(env);
  double* numbers[] = {&phase.temperature, &phase.hours, &phase.poweredPercent, &phase.dormantMultiplier};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!readNumber(fields[2 + i], *numbers[i])) return "'" + std::string(fields[2 + i]) + "' is not a number";
  }
  return {};
}

}  // namespace

Status checkProfile(const MissionProfile& profile, const std::string& path) {
  if (profile.name.size() > kMaxProfileName || holdsLineBreakOrTab(profile.name)) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("'%s': the profile name is one line of at most %zu characters", path.c_str(),
                                   kMaxProfileName));
  }
  if (profile.topLevel.empty() || profile.topLevel.size() > kMaxTopLevel || holdsLineBreakOrTab(profile.topLevel)) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("'%s': the top-level file is one name of 1 to %zu characters", path.c_str(),
                                   kMaxTopLevel));
  }
  if (profile.phases.size() > kMaxPhases) {
    return Status::error(StatusCode::InvalidArgument, strprintf("'%s': a profile has at most %zu phases, not %zu",
                                                                path.c_str(), kMaxPhases, profile.phases.size()));
  }
  for (std::size_t i = 0; i < profile.phases.size(); ++i) {
    const MissionPhase& p = profile.phases[i];
    const std::size_t n = i + 1;
    if (p.name.size() > kMaxPhaseName || holdsLineBreakOrTab(p.name)) {
      return phaseError(path, n, p, strprintf("the name is one line of at most %zu characters", kMaxPhaseName));
    }
    if (p.environment < 1 || p.environment > kEnvironmentCount) {
      return phaseError(path, n, p, strprintf("environment %d is outside the list 1..%zu", p.environment,
                                              kEnvironmentCount));
    }
    if (!(p.temperature >= -55.0 && p.temperature <= 175.0)) {
      return phaseError(path, n, p, "the temperature must be -55..175 C, not " + numberText(p.temperature));
    }
    if (!(p.hours > 0.0 && p.hours <= kMaxPhaseHours)) {
      return phaseError(path, n, p, "the duration must be above 0 and at most 10000000 hours, not " +
                                        numberText(p.hours));
    }
    if (!(p.poweredPercent >= 0.0 && p.poweredPercent <= 100.0)) {
      return phaseError(path, n, p, "the powered-on share must be 0..100 %, not " + numberText(p.poweredPercent));
    }
    if (!(p.dormantMultiplier >= 0.0 && p.dormantMultiplier <= kMaxDormantMultiplier)) {
      return phaseError(path, n, p, "the dormant multiplier must be 0..10, not " + numberText(p.dormantMultiplier));
    }
  }
  return Status::ok();
}

std::vector<std::uint8_t> encodeProfile(const MissionProfile& profile) {
  std::string text(kVersionLine);
  text += "\nNAME=" + windows1252ToUtf8(profile.name) + "\nTOP=" + mixedToUtf8(profile.topLevel) + "\n";
  for (const MissionPhase& p : profile.phases) {
    text += "PHASE=" + windows1252ToUtf8(p.name) + '\t' + std::string(kEnvironments.text(p.environment)) + '\t' +
            numberText(p.temperature) + '\t' + numberText(p.hours) + '\t' + numberText(p.poweredPercent) + '\t' +
            numberText(p.dormantMultiplier) + '\n';
  }
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  appendChecksum(bytes);
  return bytes;
}

Status decodeProfile(std::span<const std::uint8_t> bytes, const std::string& path, MissionProfile& out) {
  if (bytes.size() < 4 || bytes.size() > kMaxProfileBytes) {
    return named(path, strprintf("not a mission profile (%zu bytes)", bytes.size()));
  }
  if (!checksumMatches(bytes)) return named(path, "checksum error: the file is damaged");
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size() - 4);
  if (text.empty() || text.back() != '\n') return named(path, "the last line is cut short");
  std::vector<std::string_view> lines = split(text.substr(0, text.size() - 1), '\n');
  if (lines.front().substr(0, kProfileTag.size()) != kProfileTag) return named(path, "not a mission profile");
  if (lines.front() != kVersionLine) {
    return named(path, "version '" + std::string(lines.front().substr(kProfileTag.size())) +
                           "' of the mission profile layout is not known here (1 is)");
  }
  MissionProfile profile;
  bool haveName = false, haveTop = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    auto lineError = [&](const std::string& what) {
      return Status::error(StatusCode::Corrupt, strprintf("'%s' line %zu: %s", path.c_str(), i + 1, what.c_str()));
    };
    const std::size_t eq = lines[i].find('=');
    if (eq == std::string_view::npos) return lineError("a line without KEY=");
    const std::string_view key = lines[i].substr(0, eq);
    const std::string value(lines[i].substr(eq + 1));
    if (key == "NAME" || key == "TOP") {
      bool& seen = key == "NAME" ? haveName : haveTop;
      if (seen) return lineError(std::string(key) + " given twice");
      seen = true;
      if (!isValidUtf8(value)) return lineError("the text is not UTF-8");
      if (key == "NAME") {
        profile.name = utf8ToWindows1252(value).text;
      } else {
        profile.topLevel = value;
      }
    } else if (key == "PHASE") {
      if (profile.phases.size() == kMaxPhases) return lineError(strprintf("more than %zu phases", kMaxPhases));
      MissionPhase phase;
      if (const std::string wrong = readPhase(value, phase); !wrong.empty()) return lineError(wrong);
      profile.phases.push_back(std::move(phase));
    } else {
      return lineError("unknown key '" + std::string(key) + "'");
    }
  }
  if (!haveTop) return named(path, "no TOP= line names the top-level file");
  if (Status s = checkProfile(profile, path); !s) return s;
  out = std::move(profile);
  return Status::ok();
}

Status saveProfile(FileSystem& fs, const MissionProfile& profile, const std::string& path) {
  if (Status s = checkExtension(path, ".MPF"); !s) return s;
  if (Status s = checkProfile(profile, path); !s) return s;
  return saveWithBackup(fs, path, encodeProfile(profile));
}

Status loadProfile(FileSystem& fs, const std::string& path, MissionProfile& out) {
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxProfileBytes); !s) return s;
  return decodeProfile(bytes, path, out);
}

}  // namespace kestrel
