// The calculation of a mission profile. The top-level document and every
// child file of its hierarchy are read once into memory (the user's files are
// only read, never written); each phase is a What-If? change of every
// document's environment and temperature followed by the basic calculation
// of the copies. Per record the hazard of one unit accumulates over the
// phases, H = sum of (duty cycle x FR x (on + dormant x off) x hours), and a
// document's reliability combines its records' exp(-H) by its own model
// (Serial, Parallel, Active K-of-N), sub-files by theirs, so redundancy holds
// across phases.
#pragma once

#include <cstddef>
#include <string>

#include "core/mission_profile.hpp"
#include "core/mission_profile_result.hpp"
#include "core/open_documents.hpp"
#include "core/status.hpp"
#include "core/ui.hpp"
#include "graph/scratch_files.hpp"

namespace kestrel::graph {

struct ProfileJob {
  std::string profilePath;  // names the profile in messages; the top level is relative to its folder
  MissionProfile profile;
  int repetitions = 1;  // 1..1000000
  std::size_t contributorsPerPhase = 5;
  std::size_t curvePointsPerPhase = 24;
  // Documents the user has open (null: none): their state in memory is used
  // in place of their files.
  OpenDocuments* openDocuments = nullptr;
};

// The top-level document's path: the profile's TOP as written when absolute,
// else relative to the profile's folder.
std::string profileTopPath(const std::string& profilePath, const MissionProfile& profile);
// The other way: the TOP a profile keeps for a file named from the working
// folder, relative to the profile's folder (so the two move together).
std::string profileTopName(const std::string& profilePath, const std::string& topPath);

// Checks the profile, reads the hierarchy and calculates every phase. The
// status names the profile file and, for a phase that fails, the phase;
// progress and the cancel poll go through `ui`.
Status runProfile(const ProfileJob& job, ScratchFiles& files, Ui& ui, ProfileResult& out);

}  // namespace kestrel::graph
