// The settings of one graph (type, range, time unit, environments, Max Items,
// hierarchy, calculate mode), their checks with the Graph page's messages,
// the points of a range and the confirmation text of a run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.hpp"
#include "graph/graph_types.hpp"

namespace kestrel::graph {

inline constexpr int kMinPoints = 3;
inline constexpr int kMaxPoints = 100;
inline constexpr int kMaxEnvironments = 5;
inline constexpr long kMaxTotalPoints = 1000;
inline constexpr long kMinItems = 3;
inline constexpr long kMaxItems = 100;

struct GraphSettings {
  int type = kFrVsTemperature;
  // Whole numbers: degrees C, percent, or hours / years by `timeUnit`.
  long from = 0;
  long to = 100;
  long step = 10;
  TimeUnit timeUnit = TimeUnit::Hours;
  std::string environments = "GB";  // codes split at blanks, commas and tabs
  long maxItems = 10;
  bool includeHierarchy = true;
  // The calculate settings: basic only, or basic plus mission; a negative
  // mission time keeps each document's own.
  bool mission = false;
  double missionTime = -1.0;
};

// Sensible starting values of a type's range (what the page shows first).
GraphSettings defaultSettings(int type);

// The checks of the page, in order; the first failure's message. The
// settings of a type outside 0..14 fail with "...Error: graph type
// parameter [%d].".
Status checkSettings(const GraphSettings& settings);

// From, From + Step, ... up to To (empty when Step is not above 0).
std::vector<long> rangePoints(long from, long to, long step);
// The number of those points without listing them.
long rangePointCount(long from, long to, long step);

// The environment codes (1..14) of a list; fails with the page's messages.
Status parseEnvironments(std::string_view list, std::vector<std::uint8_t>& codes);

// Every calculation the settings ask for: codes x points for the multiple
// curves, the codes for the environment bars, the points for a single curve,
// 1 for the high-value types.
long totalPoints(const GraphSettings& settings);

// The range line of a type: "- Temperature Range: From %ldC  To %ldC  Step
// %ldC", "- Environment Range: '%s'", "- Stress Range: ...", "- Time Range:
// ..." or one of the "- Graph Data: ..." lines (two lines for the curves per
// environment).
std::vector<std::string> rangeLines(const GraphSettings& settings);

// The question asked before a run, line by line: "The Graph operation will
// run batch calculations for the 'Top-Level Doc',", ..., "- Top-Level Doc:
// '%s'", "- Graph Type: '%s'", the range lines and, when the Calculate
// dialog follows, its two lines.
std::vector<std::string> confirmationLines(const GraphSettings& settings, std::string_view topTitle,
                                           bool calculateDialogFollows);

// Lines joined by "\n".

}  // namespace kestrel::graph
