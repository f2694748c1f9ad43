#include "graph/graph_types.hpp"

#include <array>
#include <charconv>

#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel::graph {
namespace {

struct TypeRow {
  std::string_view name;
  std::string_view alias;
  Sweep sweep;
  Value value;
  ItemKind items;
  ChartForm form;
};

constexpr std::array<TypeRow, kGraphTypeCount> kTypes{{
    {"FR vs Temperature", "fr-temp", Sweep::Temperature, Value::FailureRate, ItemKind::None,
     ChartForm::SingleCurve},
    {"FR vs Environment", "fr-env", Sweep::Environment, Value::FailureRate, ItemKind::None,
     ChartForm::BarsByEnvironment},
    {"FR vs Temperature/Environment", "fr-temp-env", Sweep::TemperatureEnvironment, Value::FailureRate,
     ItemKind::None, ChartForm::MultipleCurves},
    {"FR vs Stress", "fr-stress", Sweep::Stress, Value::FailureRate, ItemKind::None, ChartForm::SingleCurve},
    {"MTBF vs Temperature", "mtbf-temp", Sweep::Temperature, Value::Mtbf, ItemKind::None,
     ChartForm::SingleCurve},
    {"MTBF vs Environment", "mtbf-env", Sweep::Environment, Value::Mtbf, ItemKind::None,
     ChartForm::BarsByEnvironment},
    {"MTBF vs Temperature/Environment", "mtbf-temp-env", Sweep::TemperatureEnvironment, Value::Mtbf,
     ItemKind::None, ChartForm::MultipleCurves},
    {"MTBF vs Stress", "mtbf-stress", Sweep::Stress, Value::Mtbf, ItemKind::None, ChartForm::SingleCurve},
    {"FR - Part Records", "fr-parts", Sweep::Items, Value::ItemFailureRate, ItemKind::PartRecords,
     ChartForm::BarsByItem},
    {"FR - Part Types", "fr-types", Sweep::Items, Value::ItemFailureRate, ItemKind::PartTypes,
     ChartForm::BarsByItem},
    {"FR - CIR", "fr-cir", Sweep::Items, Value::ItemFailureRate, ItemKind::Circuits, ChartForm::BarsByItem},
    {"%FR - Part Records", "pct-parts", Sweep::Items, Value::ItemPercent, ItemKind::PartRecords,
     ChartForm::PieByItem},
    {"%FR - Part Types", "pct-types", Sweep::Items, Value::ItemPercent, ItemKind::PartTypes,
     ChartForm::PieByItem},
    {"%FR - CIR", "pct-cir", Sweep::Items, Value::ItemPercent, ItemKind::Circuits, ChartForm::PieByItem},
    {"Reliability vs Time", "rel-time", Sweep::Time, Value::Reliability, ItemKind::None,
     ChartForm::SingleCurve},
}};

constexpr std::array<std::string_view, 5> kModeTexts{
    "SCIENTIFIC_GRAPH...Single Curve", "SCIENTIFIC_GRAPH...Multiple Curves", "GRAPH...Bar...Env",
    "GRAPH...Bar...Items", "PIE CHART...Items"};

const TypeRow& row(int type) { return kTypes.at(static_cast<std::size_t>(type)); }

}  // namespace

bool isValidGraphType(int type) { return type >= 0 && type < kGraphTypeCount; }

std::string_view graphTypeName(int type) { return isValidGraphType(type) ? row(type).name : std::string_view{}; }

std::string_view graphTypeAlias(int type) {
  return isValidGraphType(type) ? row(type).alias : std::string_view{};
}

std::optional<int> findGraphType(std::string_view name) {
  const std::string_view text = trimmed(name);
  int index = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (ec == std::errc() && end == text.data() + text.size() && !text.empty()) {
    if (isValidGraphType(index)) return index;
    return std::nullopt;
  }
  const std::string wanted = upperCased(text);
  for (int t = 0; t < kGraphTypeCount; ++t) {
    if (upperCased(row(t).name) == wanted || upperCased(row(t).alias) == wanted) return t;
  }
  return std::nullopt;
}

Sweep sweepOf(int type) { return row(type).sweep; }
Value valueOf(int type) { return row(type).value; }
ItemKind itemKindOf(int type) { return row(type).items; }
ChartForm formOf(int type) { return row(type).form; }

bool isTemperatureSweep(int type) {
  return isValidGraphType(type) &&
         (sweepOf(type) == Sweep::Temperature || sweepOf(type) == Sweep::TemperatureEnvironment);
}

bool isRangeSweep(int type) {
  if (!isValidGraphType(type)) return false;
  const Sweep s = sweepOf(type);
  return s == Sweep::Temperature || s == Sweep::TemperatureEnvironment || s == Sweep::Stress ||
         s == Sweep::Time;
}

bool usesEnvironments(int type) {
  return isValidGraphType(type) &&
         (sweepOf(type) == Sweep::Environment || sweepOf(type) == Sweep::TemperatureEnvironment);
}

std::string_view chartModeText(ChartForm form) { return kModeTexts.at(static_cast<std::size_t>(form)); }

std::optional<ChartForm> chartFormOfMode(std::string_view mode) {
  for (std::size_t i = 0; i < kModeTexts.size(); ++i) {
    if (kModeTexts[i] == mode) return static_cast<ChartForm>(i);
  }
  return std::nullopt;
}

std::string modeStringError(std::string_view mode) {
  return strprintf("...Error: mode string ['%s'].", std::string(mode).c_str());
}

std::string_view categoryTitle(int type, TimeUnit unit) {
  switch (sweepOf(type)) {
    case Sweep::Temperature:
    case Sweep::TemperatureEnvironment: return "Temperature (C)";
    case Sweep::Environment: return "Environment";
    case Sweep::Stress: return "Stress (%)";
    case Sweep::Time: return unit == TimeUnit::Years ? "Time (Years)" : "Time (Hours)";
    case Sweep::Items: break;
  }
  switch (itemKindOf(type)) {
    case ItemKind::PartTypes: return "Part Type";
    case ItemKind::Circuits: return "Circuit";
    default: return "PN";
  }
}

std::string_view valueTitle(int type, bool mission) {
  switch (valueOf(type)) {
    case Value::FailureRate:
    case Value::ItemFailureRate: return "FR (fpmh)";
    case Value::Mtbf: return mission ? "Mission MTBF (Hours)" : "MTBF (Hours)";
    case Value::Reliability: return mission ? "Mission Reliability" : "Reliability";
    case Value::ItemPercent: break;
  }
  return "%FR";
}

std::optional<EnabledFields> enabledFields(int type, Ui& ui) {
  if (!isValidGraphType(type)) {
    ui.message(typeParameterError("EnableMode", type));
    return std::nullopt;
  }
  EnabledFields f;
  f.range = isRangeSweep(type);
  f.timeUnit = sweepOf(type) == Sweep::Time;
  f.environments = usesEnvironments(type);
  f.maxItems = f.hierarchy = sweepOf(type) == Sweep::Items;
  return f;
}

std::string typeParameterError(std::string_view where, int type) {
  return strprintf("%s...graph type parameter error...%d.", std::string(where).c_str(), type);
}

}  // namespace kestrel::graph
