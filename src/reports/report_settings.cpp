#include "reports/report_settings.hpp"

#include <array>
#include <charconv>
#include <cmath>

#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "reports/paper_sizes.hpp"

namespace kestrel {
namespace {

constexpr std::array<std::string_view, kSortKeyCount + 1> kSortNames = {
    "", "PartType/PN/RefDes", "PN", "PN2", "RefDes", "LCN", "TFR", "Qty", "PartType"};

// Rows of the report types menu.
constexpr int kReportKindRows = 7;

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return upperCased(a) == upperCased(b);
}

std::optional<int> parseInt(std::string_view text) {
  text = trimmed(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<float> parseFloat(std::string_view text) {
  text = trimmed(text);
  float value = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

const std::string* find(const ProfileValues& values, std::string_view key) {
  const auto it = values.find(key);
  return it == values.end() ? nullptr : &it->second;
}

// A switch is written "{ON}" / "{OFF}"; older files hold 1 / 0.
bool readSwitch(const ProfileValues& values, std::string_view key, bool fallback) {
  const std::string* text = find(values, key);
  if (text == nullptr) return fallback;
  const std::string value = upperCased(trimmed(*text));
  if (value == "{ON}" || value == "1") return true;
  if (value == "{OFF}" || value == "0") return false;
  return fallback;
}

const char* switchText(bool on) { return on ? "{ON}" : "{OFF}"; }

// Limits one margin, telling the user which limit it was set to.
float limitMargin(float margin, const char* which, Ui& ui) {
  if (!(margin >= kMinMargin)) {
    ui.message(strprintf("Setting %s margin to minimum:\n0.25in", which));
    return static_cast<float>(kMinMargin);
  }
  if (margin > kMaxMargin) {
    ui.message(strprintf("Setting %s margin to maximum:\n1.0in", which));
    return static_cast<float>(kMaxMargin);
  }
  return margin;
}

}  // namespace

std::string_view sortKeyName(SortKey key) {
  const auto index = static_cast<std::size_t>(key);
  return index >= 1 && index <= kSortKeyCount ? kSortNames[index] : kSortNames[1];
}

std::optional<SortKey> parseSortKey(std::string_view text) {
  if (const auto number = parseInt(text)) {
    if (*number >= 1 && *number <= kSortKeyCount) return static_cast<SortKey>(*number);
    return std::nullopt;
  }
  for (int i = 1; i <= kSortKeyCount; ++i) {
    if (sameIgnoringCase(text, kSortNames[static_cast<std::size_t>(i)])) {
      return static_cast<SortKey>(i);
    }
  }
  return std::nullopt;
}

SortKey sortKeyFromIndex(int index) {
  return index >= 1 && index <= kSortKeyCount ? static_cast<SortKey>(index) : SortKey::TypePnRefDes;
}

void applyReportSetup(ReportSettings& settings, Ui& ui) {
  settings.topMargin = limitMargin(settings.topMargin, "top", ui);
  settings.leftMargin = limitMargin(settings.leftMargin, "left", ui);
  settings.company = clipped(settings.company, kMaxCompanyLength);
}

ReportSettings readReportSettings(const ProfileValues& values) {
  ReportSettings s;
  if (const std::string* text = find(values, "Format")) {
    if (const auto v = parseInt(*text); v && *v >= 0 && *v < kReportKindRows) s.format = *v;
  }
  if (const std::string* text = find(values, "SortBy")) {
    if (const auto v = parseInt(*text)) s.sortBy = sortKeyFromIndex(*v);
  }
  if (const std::string* text = find(values, "TopMargin")) {
    if (const auto v = parseFloat(*text)) s.topMargin = *v;
  }
  if (const std::string* text = find(values, "LeftMargin")) {
    if (const auto v = parseFloat(*text)) s.leftMargin = *v;
  }
  if (const std::string* text = find(values, "Company")) s.company = clipped(*text, kMaxCompanyLength);
  s.missionResults = readSwitch(values, "MissionResults", s.missionResults);
  s.warningMsg = readSwitch(values, "WarningMsg", s.warningMsg);
  s.hybridPiFactors = readSwitch(values, "HybridPiFactors", s.hybridPiFactors);
  if (const std::string* text = find(values, "Paper"); text != nullptr && findPaper(*text)) s.paper = *text;
  if (const std::string* text = find(values, "Orientation")) s.landscape = upperCased(*text) == "LANDSCAPE";
  // A hand-edited profile may hold any margin: keep it printable.
  SilentUi quiet;
  applyReportSetup(s, quiet);
  return s;
}

ProfileValues writeReportSettings(const ReportSettings& settings) {
  ProfileValues values;
  values["Format"] = std::to_string(settings.format);
  values["SortBy"] = std::to_string(static_cast<int>(settings.sortBy));
  values["TopMargin"] = strprintf("%.2f", static_cast<double>(settings.topMargin));
  values["LeftMargin"] = strprintf("%.2f", static_cast<double>(settings.leftMargin));
  values["Company"] = settings.company;
  values["MissionResults"] = switchText(settings.missionResults);
  values["WarningMsg"] = switchText(settings.warningMsg);
  values["HybridPiFactors"] = switchText(settings.hybridPiFactors);
  values["Paper"] = settings.paper;
  values["Orientation"] = settings.landscape ? "Landscape" : "Portrait";
  return values;
}

}  // namespace kestrel
