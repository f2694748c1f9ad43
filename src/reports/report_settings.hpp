// The Report Setup settings shared by every report: the report kind, the
// sort key, the margins, the company line and the three print switches;
// the names of the eight sort keys; the margin limits the setup dialog
// applies; and the keys under which the settings live in the profile.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class Ui;

// Sort keys, stored as 1..8.
enum class SortKey : std::uint8_t {
  TypePnRefDes = 1,
  PN = 2,
  PN2 = 3,
  RefDes = 4,
  LCN = 5,
  TFR = 6,
  Qty = 7,
  PartType = 8,
};
inline constexpr int kSortKeyCount = 8;

// "PartType/PN/RefDes", "PN", ... as printed on every page.
std::string_view sortKeyName(SortKey key);
// A sort key named by its number (1..8) or its name, case ignored.
std::optional<SortKey> parseSortKey(std::string_view text);
// A stored sort key: anything outside 1..8 reads as key 1.
SortKey sortKeyFromIndex(int index);

inline constexpr double kMinMargin = 0.25;
inline constexpr double kMaxMargin = 1.0;
inline constexpr std::size_t kMaxCompanyLength = 60;

struct ReportSettings {
  int format = 0;  // report kind: its row in the report types menu, 0..6
  SortKey sortBy = SortKey::TypePnRefDes;
  float topMargin = 0.25f;   // inches
  float leftMargin = 0.25f;  // inches
  std::string company = "Your Company Name Here";
  bool missionResults = false;  // reliability line of each part, mission line of the header
  bool warningMsg = true;       // "*OVER*" marks in the result and short list lines
  bool hybridPiFactors = true;  // the hybrid's factor lines in a hybrid report's header
  // Print Setup: a named paper size or "WIDTHxHEIGHT" in inches, and the orientation.
  std::string paper = "letter";
  bool landscape = false;
};

// What the Report Setup dialog does on OK: each margin limited to
// 0.25..1.0 inch with "Setting top margin to minimum:\n0.25in" (and the
// other three messages), and the company text cut to 60 characters.
void applyReportSetup(ReportSettings& settings, Ui& ui);

// The settings under the profile section "Report": keys "Format", "SortBy",
// "TopMargin", "LeftMargin", "Company", "MissionResults", "WarningMsg",
// "HybridPiFactors", and Print Setup's "Paper" and "Orientation" ("Portrait"
// or "Landscape"). Missing or unreadable values take their defaults.
inline constexpr std::string_view kReportProfileSection = "Report";
using ProfileValues = std::map<std::string, std::string, std::less<>>;
ReportSettings readReportSettings(const ProfileValues& values);
ProfileValues writeReportSettings(const ReportSettings& settings);

}  // namespace kestrel
