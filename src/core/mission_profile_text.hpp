// A mission profile and its results as the lines a terminal shows: one line
// per phase in columns, then the figures over the whole profile and each
// phase's top contributors. Texts stay in Windows-1252, like every printed
// record line.
#pragma once

#include <string>
#include <vector>

#include "core/mission_profile.hpp"
#include "core/mission_profile_result.hpp"

namespace kestrel {

std::vector<std::string> profileLines(const MissionProfile& profile);
std::vector<std::string> profileResultLines(const ProfileResult& result);

}  // namespace kestrel
