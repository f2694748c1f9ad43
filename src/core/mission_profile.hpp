// A mission profile (.mpf): the phases a piece of equipment lives through --
// each with its environment, ambient temperature, duration and the part of
// it spent powered on -- over one top-level circuit or hybrid.
//
// File layout (version 1): UTF-8 text lines ending in LF, then the 4-byte
// additive checksum every document ends with.
//
//   KESTREL MISSION PROFILE 1
//   NAME=Avionics sortie
//   TOP=system.cir
//   PHASE=Ground<TAB>GF<TAB>35<TAB>2<TAB>100<TAB>0
//   PHASE=Flight<TAB>AIC<TAB>55<TAB>6<TAB>100<TAB>0
//
// A PHASE line holds the phase name, the environment code, the ambient
// temperature (deg C), the duration (hours), the powered-on share (percent)
// and the dormant multiplier (the share of the operating failure rate the
// part keeps while switched off; 0 = power-off time adds no failures).
// Phases keep their order. The top-level file is named relative to the
// profile's folder (or absolute). Texts are held in memory in Windows-1252,
// like every record's texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

inline constexpr std::size_t kMaxPhases = 32;
inline constexpr std::size_t kMaxPhaseName = 40;
inline constexpr std::size_t kMaxProfileName = 60;
inline constexpr std::size_t kMaxProfileBytes = 64 * 1024;
inline constexpr double kMaxPhaseHours = 10000000.0;  // the longest mission time
inline constexpr double kMaxDormantMultiplier = 10.0;

struct MissionPhase {
  std::string name;
  std::uint8_t environment = 2;  // 1..14, "GF"
  double temperature = 25.0;     // -55..175 deg C
  double hours = 1.0;            // above 0
  double poweredPercent = 100.0; // 0..100
  double dormantMultiplier = 0.0;

  bool operator==(const MissionPhase&) const = default;
};

struct MissionProfile {
  std::string name;
  std::string topLevel;
  std::vector<MissionPhase> phases;

  bool operator==(const MissionProfile&) const = default;
};

// Every value in its range, at most 32 phases (none while a profile is
// being written; a calculation needs one); the message
// names the file and the phase ("'P.mpf': phase 2 ('Flight'): ...").
Status checkProfile(const MissionProfile& profile, const std::string& path);

std::vector<std::uint8_t> encodeProfile(const MissionProfile& profile);
// Reads the bytes of a profile file: the checksum, the version line, every
// line and field, then checkProfile. Nothing is kept on failure.
Status decodeProfile(std::span<const std::uint8_t> bytes, const std::string& path, MissionProfile& out);

// Checked, then written the safe way with the previous file kept as ".BAK".
Status saveProfile(FileSystem& fs, const MissionProfile& profile, const std::string& path);
Status loadProfile(FileSystem& fs, const std::string& path, MissionProfile& out);

}  // namespace kestrel
