// A mission profile and its results as members of a command's JSON
// document: "profile" (and, with results, "phases"). Texts are UTF-8,
// failure rates in fpmh, times in hours; an infinite MTBF is null.
#pragma once

#include "core/json_writer.hpp"
#include "core/mission_profile.hpp"
#include "core/mission_profile_result.hpp"

namespace kestrel {

// "profile": name and top-level file; "phases": each phase's settings.
void writeProfileJson(JsonWriter& out, const MissionProfile& profile);

// "profile": the figures over the whole profile; "phases": each phase's
// settings, failure rate, MTBF, reliability and top contributors.
void writeProfileResultJson(JsonWriter& out, const ProfileResult& result);

}  // namespace kestrel
