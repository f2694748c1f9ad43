#include "core/mission_profile_json.hpp"

#include "core/choice.hpp"
#include "core/circ_header.hpp"
#include "core/windows1252.hpp"

namespace kestrel {
namespace {

void phaseSettings(JsonWriter& out, const MissionPhase& p) {
  out.key("name");
  out.string(windows1252ToUtf8(p.name));
  out.key("environment");
  out.string(kEnvironments.text(p.environment));
  out.key("temperature");
  out.number(p.temperature);
  out.key("hours");
  out.number(p.hours);
  out.key("poweredPercent");
  out.number(p.poweredPercent);
  out.key("dormantMultiplier");
  out.number(p.dormantMultiplier);
}

}  // namespace

void writeProfileJson(JsonWriter& out, const MissionProfile& profile) {
  out.key("profile");
  out.beginObject();
  out.key("name");
  out.string(windows1252ToUtf8(profile.name));
  out.key("topLevel");
  out.string(mixedToUtf8(profile.topLevel));
  out.endObject();
  out.key("phases");
  out.beginArray();
  for (const MissionPhase& p : profile.phases) {
    out.beginObject();
    phaseSettings(out, p);
    out.endObject();
  }
  out.endArray();
}

void writeProfileResultJson(JsonWriter& out, const ProfileResult& r) {
  out.key("profile");
  out.beginObject();
  out.key("name");
  out.string(windows1252ToUtf8(r.profileName));
  out.key("topLevel");
  out.string(mixedToUtf8(r.topLevelPath));
  out.key("model");
  out.string(kModels.text(kModels.clamp(r.model)));
  out.key("hours");
  out.number(r.totalHours);
  out.key("averageFailureRate");
  out.number(r.averageFailureRate);
  out.key("mtbf");
  out.number(r.mtbf);
  out.key("reliability");
  out.number(r.reliability);
  out.key("repetitions");
  out.integer(r.repetitions);
  out.key("repeatedReliability");
  out.number(r.repeatedReliability);
  out.endObject();
  out.key("phases");
  out.beginArray();
  for (const PhaseResult& p : r.phases) {
    out.beginObject();
    phaseSettings(out, p.phase);
    out.key("startHours");
    out.number(p.startHours);
    out.key("poweredFailureRate");
    out.number(p.poweredFailureRate);
    out.key("failureRate");
    out.number(p.failureRate);
    out.key("mtbf");
    out.number(p.mtbf);
    out.key("reliability");
    out.number(p.reliability);
    out.key("contributors");
    out.beginArray();
    for (const PhaseContributor& c : p.contributors) {
      out.beginObject();
      out.key("partNumber");
      out.string(windows1252ToUtf8(c.partNumber));
      out.key("circuit");
      out.string(mixedToUtf8(c.circuit));
      out.key("failureRate");
      out.number(c.failureRate);
      out.endObject();
    }
    out.endArray();
    out.endObject();
  }
  out.endArray();
}

}  // namespace kestrel
