#include "reports/paper_sizes.hpp"

#include <array>
#include <charconv>

#include "core/strfmt.hpp"
#include "reports/report_settings.hpp"

namespace kestrel {
namespace {

constexpr double kMm = 1.0 / 25.4;
constexpr std::array kPapers{
    kLetterPaper,
    Paper{"legal", 8.5, 14.0},
    Paper{"executive", 7.25, 10.5},
    Paper{"tabloid", 11.0, 17.0},
    Paper{"a3", 297.0 * kMm, 420.0 * kMm},
    kA4Paper,
    Paper{"a5", 148.0 * kMm, 210.0 * kMm},
    Paper{"b5", 176.0 * kMm, 250.0 * kMm},
};
constexpr double kSmallestSide = 2.0;
constexpr double kLargestSide = 50.0;

std::optional<double> side(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < kSmallestSide || value > kLargestSide) return std::nullopt;
  return value;
}

}  // namespace

std::span<const Paper> namedPapers() { return kPapers; }

std::optional<Paper> findPaper(std::string_view name) {
  const std::string wanted = upperCased(trimmed(name));
  for (const Paper& paper : kPapers) {
    if (wanted == upperCased(paper.name)) return paper;
  }
  const auto x = wanted.find('X');
  if (x == std::string::npos) return std::nullopt;
  const auto width = side(std::string_view(wanted).substr(0, x));
  const auto height = side(std::string_view(wanted).substr(x + 1));
  if (!width || !height) return std::nullopt;
  return Paper{"", *width, *height};
}

std::string paperText(const Paper& paper) {
  if (!paper.name.empty()) return std::string(paper.name);
  return strprintf("%gx%g", paper.widthInches, paper.heightInches);
}

Paper oriented(const Paper& paper, bool landscape) {
  if (!landscape) return paper;
  return Paper{paper.name, paper.heightInches, paper.widthInches};
}

Paper reportPaper(const ReportSettings& settings) {
  return oriented(findPaper(settings.paper).value_or(kLetterPaper), settings.landscape);
}

}  // namespace kestrel
