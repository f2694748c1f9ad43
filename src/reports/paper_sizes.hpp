// The paper a report is laid out on: the named sizes every output offers, a
// size given in inches (a printer's own sizes), and the orientation.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "reports/page_device.hpp"

namespace kestrel {

struct ReportSettings;

// What the command line tells a user who named no such size.
inline constexpr std::string_view kPaperChoices =
    "letter, legal, executive, tabloid, a3, a4, a5, b5 or WIDTHxHEIGHT in inches";

// Letter, Legal, Executive, Tabloid, A3, A4, A5 and B5, portrait.
std::span<const Paper> namedPapers();

// A named size (case ignored) or "WIDTHxHEIGHT" in inches ("8.5x13"), each
// side 2 to 50 inches; nothing when the text is neither.
std::optional<Paper> findPaper(std::string_view name);

// How a size is written back: its name, or "WIDTHxHEIGHT" in inches.
std::string paperText(const Paper& paper);

// The sheet as it comes out of the printer: landscape swaps the sides.
Paper oriented(const Paper& paper, bool landscape);

// The sheet Print Setup chose (letter, portrait, when the saved size is unknown).
Paper reportPaper(const ReportSettings& settings);

}  // namespace kestrel
