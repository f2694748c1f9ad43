#include "graph/graph_settings.hpp"

#include "core/choice.hpp"
#include "core/strfmt.hpp"

namespace kestrel::graph {
namespace {

struct Limits {
  long lo;
  long hi;
};

Limits fromLimits(const GraphSettings& s) {
  if (sweepOf(s.type) == Sweep::Stress) return {0, 100};
  if (sweepOf(s.type) == Sweep::Time) return s.timeUnit == TimeUnit::Years ? Limits{0, 1000} : Limits{0, 9999999};
  return {-55, 175};
}

Limits stepLimits(const GraphSettings& s) {
  if (sweepOf(s.type) == Sweep::Time) return s.timeUnit == TimeUnit::Years ? Limits{1, 1000} : Limits{1, 999999};
  return {1, 100};
}

Status outOfRange(const char* field, Limits limits) {
  return Status::error(
      StatusCode::InvalidArgument,
      strprintf("Number entry for \"%s\" is out of range: %ld to %ld", field, limits.lo, limits.hi));
}

Status checkRange(const GraphSettings& s) {
  const Limits from = fromLimits(s);
  if (s.from < from.lo || s.from > from.hi) return outOfRange("From", from);
  const Limits to{s.from, from.hi};
  if (s.to < to.lo || s.to > to.hi) return outOfRange("To", to);
  const Limits step = stepLimits(s);
  if (s.step < step.lo || s.step > step.hi) return outOfRange("Step", step);
  const long n = rangePointCount(s.from, s.to, s.step);
  const std::string gives =
      strprintf("...From %ld To %ld Step %ld gives %d data points.", s.from, s.to, s.step, static_cast<int>(n));
  if (n < kMinPoints) {
    return Status::error(
        StatusCode::InvalidArgument,
        strprintf("Please adjust From/To/Step to give minimum of %d data points...\n", kMinPoints) + gives);
  }
  if (n > kMaxPoints) {
    return Status::error(
        StatusCode::InvalidArgument,
        strprintf("Please adjust From/To/Step to give maximum of %d data points...\n", kMaxPoints) + gives);
  }
  return Status::ok();
}

bool isSeparator(char c) { return c == ' ' || c == ',' || c == '\t'; }

std::vector<std::string_view> splitList(std::string_view list) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && isSeparator(list[i])) ++i;
    const std::size_t start = i;
    while (i < list.size() && !isSeparator(list[i])) ++i;
    if (i > start) tokens.push_back(list.substr(start, i - start));
  }
  return tokens;
}

}  // namespace

GraphSettings defaultSettings(int type) {
  GraphSettings s;
  s.type = type;
  if (!isValidGraphType(type)) return s;
  switch (sweepOf(type)) {
    case Sweep::Temperature:
    case Sweep::TemperatureEnvironment:
      s.from = 0, s.to = 100, s.step = 10;
      break;
    case Sweep::Stress:
      s.from = 10, s.to = 100, s.step = 10;
      break;
    case Sweep::Time:
      s.from = 0, s.to = 100000, s.step = 10000;
      break;
    default: break;
  }
  if (usesEnvironments(type)) s.environments = "GB GF GM NS AIC";
  return s;
}

long rangePointCount(long from, long to, long step) {
  if (step <= 0 || to < from) return 0;
  return (to - from) / step + 1;
}

std::vector<long> rangePoints(long from, long to, long step) {
  std::vector<long> points;
  const long n = rangePointCount(from, to, step);
  points.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
  for (long i = 0; i < n; ++i) points.push_back(from + i * step);
  return points;
}

Status parseEnvironments(std::string_view list, std::vector<std::uint8_t>& codes) {
  codes.clear();
  for (std::string_view token : splitList(list)) {
    const unsigned code = kEnvironments.find(token);
    if (code == 0) {
      return Status::error(
          StatusCode::InvalidArgument,
          strprintf("Please edit \"Environment\"...\n...\"%s\" is not a valid environment code.",
                    std::string(token).c_str()));
    }
    codes.push_back(static_cast<std::uint8_t>(code));
  }
  const int n = static_cast<int>(codes.size());
  if (n < 1) {
    return Status::error(
        StatusCode::InvalidArgument,
        strprintf(
            "Please edit \"Environment\" to give minimum of 1 environment code...\n...there are now %d valid "
            "environment codes.",
            n));
  }
  if (n > kMaxEnvironments) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("Please edit \"Environment\" to give maximum of %d environment "
                                   "codes...\n...there are now %d valid "
                                   "environment codes.",
                                   kMaxEnvironments, n));
  }
  return Status::ok();
}

long totalPoints(const GraphSettings& s) {
  if (!isValidGraphType(s.type)) return 0;
  std::vector<std::uint8_t> codes;
  const long envs = parseEnvironments(s.environments, codes).isOk() ? static_cast<long>(codes.size()) : 0;
  switch (sweepOf(s.type)) {
    case Sweep::Environment: return envs;
    case Sweep::TemperatureEnvironment: return envs * rangePointCount(s.from, s.to, s.step);
    case Sweep::Items: return 1;
    default: return rangePointCount(s.from, s.to, s.step);
  }
}

Status checkSettings(const GraphSettings& s) {
  if (!isValidGraphType(s.type)) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("...Error: graph type parameter [%d].", s.type));
  }
  if (isRangeSweep(s.type)) {
    if (Status st = checkRange(s); !st) return st;
  }
  if (usesEnvironments(s.type)) {
    std::vector<std::uint8_t> codes;
    if (Status st = parseEnvironments(s.environments, codes); !st) return st;
  }
  const long total = totalPoints(s);
  if (total > kMaxTotalPoints) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("Please adjust entries to give maximum of %d total data points...\n"
                                   "...current entries = %ld total data points.",
                                   static_cast<int>(kMaxTotalPoints), total));
  }
  if (sweepOf(s.type) == Sweep::Items && (s.maxItems < kMinItems || s.maxItems > kMaxItems)) {
    return outOfRange("Max Items", {kMinItems, kMaxItems});
  }
  return Status::ok();
}

std::vector<std::string> rangeLines(const GraphSettings& s) {
  std::vector<std::string> lines;
  if (!isValidGraphType(s.type)) return lines;
  const auto temperature = [&] {
    lines.push_back(strprintf("- Temperature Range: From %ldC  To %ldC  Step %ldC", s.from, s.to, s.step));
  };
  const auto environment = [&] {
    lines.push_back(strprintf("- Environment Range: '%s'", s.environments.c_str()));
  };
  switch (sweepOf(s.type)) {
    case Sweep::Temperature: temperature(); break;
    case Sweep::Environment: environment(); break;
    case Sweep::TemperatureEnvironment:
      temperature();
      environment();
      break;
    case Sweep::Stress:
      lines.push_back(strprintf("- Stress Range: From %ld%%  To %ld%%  Step %ld%%", s.from, s.to, s.step));
      break;
    case Sweep::Time:
      lines.push_back(strprintf("- Time Range: From %ld  To %ld  Step %ld  [%s]", s.from, s.to, s.step,
                                s.timeUnit == TimeUnit::Years ? "Years" : "Hours"));
      break;
    case Sweep::Items:
      lines.push_back(s.includeHierarchy
                          ? strprintf("- Graph Data: Most Significant %ld Items In 'Top-Level Doc' + Hierarchy Below",
                                      s.maxItems)
                          : strprintf("- Graph Data: Most Significant %ld Items In 'Top-Level Doc'", s.maxItems));
      break;
  }
  return lines;
}

std::vector<std::string> confirmationLines(const GraphSettings& s, std::string_view topTitle,
                                           bool calculateDialogFollows) {
  std::vector<std::string> lines{"The Graph operation will run batch calculations for the 'Top-Level Doc',",
                                 "then create and display the 'Graph Type' graph.", "",
                                 "Select OK to do the following Graph:"};
  lines.push_back(strprintf("- Top-Level Doc: '%s'", std::string(topTitle).c_str()));
  lines.push_back(strprintf("- Graph Type: '%s'", std::string(graphTypeName(s.type)).c_str()));
  for (std::string& line : rangeLines(s)) lines.push_back(std::move(line));
  if (calculateDialogFollows) {
    lines.push_back("");
    lines.push_back("After you select OK, the Calculate dialog box will be displayed...");
    lines.push_back("...this will allow you to set the Calculate mode (Basic or Mission), etc.");
  }
  return lines;
}

}  // namespace kestrel::graph
