#include "graph/graph_json.hpp"

#include "core/windows1252.hpp"

namespace kestrel::graph {
namespace {

void writeNumbers(JsonWriter& out, const std::vector<double>& values) {
  out.beginArray();
  for (double v : values) out.number(v);
  out.endArray();
}

}  // namespace

void writeGraphDataJson(JsonWriter& out, const GraphData& data) {
  out.key("graphType");
  out.integer(data.type);
  out.key("typeName");
  out.string(graphTypeName(data.type));
  out.key("mission");
  out.boolean(data.mission);
  out.key("timeUnit");
  out.string(data.timeUnit == TimeUnit::Years ? "years" : "hours");
  out.key("top");
  out.string(mixedToUtf8(data.topTitle));
  out.key("x");
  writeNumbers(out, data.x);
  out.key("environments");
  out.beginArray();
  for (const std::string& e : data.environments) out.string(e);
  out.endArray();
  out.key("series");
  out.beginArray();
  for (const std::vector<double>& curve : data.series) writeNumbers(out, curve);
  out.endArray();
  out.key("items");
  out.beginArray();
  for (const GraphItem& item : data.items) {
    out.beginObject();
    out.key("name");
    out.string(mixedToUtf8(item.name));
    out.key("value");
    out.number(item.value);
    out.key("circuit");
    out.string(mixedToUtf8(item.circuit));
    out.endObject();
  }
  out.endArray();
}

}  // namespace kestrel::graph
