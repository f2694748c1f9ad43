// The fifteen graph types: their names, what each one sweeps, which value it
// plots, how it is drawn, the titles of its axes and which settings of the
// Graph page apply to it.
//
// A type arrives as a whole number (from a graph definition file, the
// command line or the page), so every entry point takes an int and checks it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {
class Ui;
}

namespace kestrel::graph {

inline constexpr int kGraphTypeCount = 15;

enum GraphType : int {
  kFrVsTemperature = 0,
  kFrVsEnvironment = 1,
  kFrVsTempEnv = 2,
  kFrVsStress = 3,
  kMtbfVsTemperature = 4,
  kMtbfVsEnvironment = 5,
  kMtbfVsTempEnv = 6,
  kMtbfVsStress = 7,
  kFrPartRecords = 8,
  kFrPartTypes = 9,
  kFrCircuits = 10,
  kPctFrPartRecords = 11,
  kPctFrPartTypes = 12,
  kPctFrCircuits = 13,
  kReliabilityVsTime = 14,
};

// What the batch calculations vary.
enum class Sweep { Temperature, Environment, TemperatureEnvironment, Stress, Time, Items };
// What each point or item holds.
enum class Value { FailureRate, Mtbf, Reliability, ItemFailureRate, ItemPercent };
// What the high-value types collect.
enum class ItemKind { None, PartRecords, PartTypes, Circuits };
// How the chart is drawn.
enum class ChartForm { SingleCurve, MultipleCurves, BarsByEnvironment, BarsByItem, PieByItem };

enum class TimeUnit : unsigned char { Hours = 0, Years = 1 };
inline constexpr double kHoursPerYear = 8760.0;

bool isValidGraphType(int type);
// "FR vs Temperature", ... "Reliability vs Time"; "" outside 0..14.
std::string_view graphTypeName(int type);
// A short name for the command line: "fr-temp", "mtbf-env", "pct-parts", ...
std::string_view graphTypeAlias(int type);
// A type named by its index ("3"), its name ("FR vs Stress") or its short
// name ("fr-stress"), case ignored.
std::optional<int> findGraphType(std::string_view name);

// These take a valid type (checked by the caller).
Sweep sweepOf(int type);
Value valueOf(int type);
ItemKind itemKindOf(int type);
ChartForm formOf(int type);
bool isTemperatureSweep(int type);  // a temperature axis: types 0, 2, 4, 6
bool isRangeSweep(int type);        // From/To/Step apply: types 0, 2, 3, 4, 6, 7, 14
bool usesEnvironments(int type);    // types 1, 2, 5, 6

// "SCIENTIFIC_GRAPH...Single Curve", "SCIENTIFIC_GRAPH...Multiple Curves",
// "GRAPH...Bar...Env", "GRAPH...Bar...Items", "PIE CHART...Items".
std::string_view chartModeText(ChartForm form);
// The form a mode text names; none for any other text.
std::optional<ChartForm> chartFormOfMode(std::string_view mode);
// "...Error: mode string ['%s']."
std::string modeStringError(std::string_view mode);

// The category or x axis: "Temperature (C)", "Stress (%)", "Environment",
// "Time (Hours)" / "Time (Years)", "Part Type", "Circuit"; part records "PN".
std::string_view categoryTitle(int type, TimeUnit unit);
// The value axis: "FR (fpmh)", "MTBF (Hours)", "Mission MTBF (Hours)",
// "Reliability", "Mission Reliability"; the percent types "%FR".
std::string_view valueTitle(int type, bool mission);

// Which fields of the Graph page a type uses.
struct EnabledFields {
  bool range = false;        // From, To, Step
  bool timeUnit = false;     // Hours / Years
  bool environments = false;
  bool maxItems = false;
  bool hierarchy = false;    // include the hierarchy below the top-level document
};
// None, with "EnableMode...graph type parameter error...%d." shown, for a
// type outside 0..14.
std::optional<EnabledFields> enabledFields(int type, Ui& ui);

// "Confirm...graph type parameter error...%d." and the others of its kind.
std::string typeParameterError(std::string_view where, int type);

}  // namespace kestrel::graph
