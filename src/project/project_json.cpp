#include "project/project_json.hpp"

#include "core/part.hpp"
#include "core/windows1252.hpp"

namespace kestrel {
namespace {

std::string_view kindName(ProjNodeKind kind) {
  switch (kind) {
    case ProjNodeKind::Circuit: return "CIRCUIT";
    case ProjNodeKind::Hybrid: return "HYBRID";
    case ProjNodeKind::Part: break;
  }
  return "PART";
}

std::string_view stateName(ProjNodeState state) {
  switch (state) {
    case ProjNodeState::Present: return "present";
    case ProjNodeState::Missing: return "missing";
    case ProjNodeState::Cycle: break;
  }
  return "cycle";
}

}  // namespace

void writeProjectNodeJson(JsonWriter& out, const ProjectTree& tree, std::size_t index) {
  const CProjPart& node = tree.node(index);
  out.beginObject();
  out.key("node");
  out.integer(static_cast<long long>(index));
  out.key("level");
  out.integer(node.level);
  out.key("kind");
  out.string(kindName(node.kind));
  out.key("state");
  out.string(stateName(node.state));
  out.key("file");
  out.string(mixedToUtf8(node.file));
  out.key("record");
  out.integer(static_cast<long long>(node.recordNumber));
  out.key("quantity");
  out.number(node.quantity);
  out.key("dutyCycle");
  out.number(node.dutyCycle);
  if (node.record) {
    out.key("PN");
    out.string(windows1252ToUtf8(node.record->PN));
    out.key("type");
    out.string(node.record->GetTypeName());
    out.key("FR");
    out.number(node.record->FR);
    out.key("TFR");
    out.number(node.record->TFR());
  }
  if (node.isDocument()) {
    out.key("printChecked");
    out.boolean(node.printChecked);
  }
  if (node.header) {
    out.key("records");
    out.integer(static_cast<long long>(node.recordCount));
    out.key("calculated");
    out.boolean((node.header->CalcFlags & HeaderBasicDone) != 0);
    out.key("failureRate");
    out.number(node.header->TotalFR);
    out.key("mtbf");
    out.number(node.header->MTBF);
    out.key("parts");
    out.number(node.header->PartsCount);
    if ((node.header->CalcFlags & HeaderMissionDone) != 0) {
      out.key("missionReliability");
      out.number(node.header->MissionR);
    }
    if ((node.header->CalcFlags & HeaderMissionMtbfDone) != 0) {
      out.key("missionMTBF");
      out.number(node.header->MissionMTBF);
    }
  }
  out.endObject();
}

}  // namespace kestrel
