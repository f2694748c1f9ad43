#include "shell/settings.hpp"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

using K = SettingKind;

// The Add dialogs' default-parameter and recall keys, in their own sections.
#define KESTREL_ADD_KEYS(section)                                                                 \
  {section, "Mode", K::Whole, "0", 0, 2}, {section, "CircType", K::Whole, "0", 0, 76},            \
      {section, "HybType", K::Whole, "0", 0, 76}, {section, "Defaults", K::Switch, "{ON}"},       \
      {section, "CircPN", K::Text, ""}, {section, "HybPN", K::Text, ""},                          \
      {section, "LibFileSpec", K::Text, ""}, {section, "SearchXRef", K::Switch, "{OFF}"},         \
      {section, "XRefFileSpec", K::Text, ""}, {                                                   \
    section, "XRefMove", K::Whole, "0", 0, 2                                                      \
  }
#define KESTREL_FIND_KEYS(section, lastMode)                                                       \
  {section, "Mode", K::Whole, "0", 0, lastMode}, {section, "From", K::Whole, "0", 0, 1},                 \
      {section, "PN", K::Switch, "{ON}"}, {section, "PN2", K::Switch, "{OFF}"},                    \
      {section, "RefDes", K::Switch, "{OFF}"}, {section, "Descr", K::Switch, "{OFF}"},             \
      {section, "LCN", K::Switch, "{OFF}"}, {section, "Notes", K::Switch, "{OFF}"},                \
      {section, "Text", K::Text, ""}, {section, "CircType", K::Whole, "0", 0, 76}, {               \
    section, "HybType", K::Whole, "0", 0, 76                                                       \
  }

const SettingSpec kSchema[] = {
    {"Settings", "WorkingDrive", K::Text, ""},
    {"Settings", "WorkingDir", K::Text, ""},
    {"Settings", "LastOpenFile", K::Text, ""},
    {"Settings", "WindowPos", K::Text, ""},
    KESTREL_ADD_KEYS("Circuit Add"),
    KESTREL_ADD_KEYS("Library Add"),
    KESTREL_FIND_KEYS("Circuit Find", 1),
    // Part Number, PN2, Part Type, Hybrid Part Type.
    KESTREL_FIND_KEYS("Library Find", 3),
    KESTREL_FIND_KEYS("XRef Find", 1),
    {"Convert Type", "CircType", K::Whole, "0", 0, 76},
    {"Convert Type", "HybType", K::Whole, "0", 0, 76},
    {"Calculate", "Mode", K::Whole, "0", 0, 1},
    {"Calculate", "Time", K::Real, "8760.00", 0.000001, 10000000},
    {"Report", "Format", K::Whole, "0", 0, 6},
    // Sort keys 1..8; 0, once the default, reads as key 1.
    {"Report", "SortBy", K::Whole, "1", 0, 8},
    {"Report", "Company", K::Text, "Your Company Name Here"},
    {"Report", "LeftMargin", K::Real, "0.25", 0, 10},
    {"Report", "TopMargin", K::Real, "0.25", 0, 10},
    {"Report", "HybridPiFactors", K::Switch, "{ON}"},
    {"Report", "WarningMsg", K::Switch, "{ON}"},
    {"Report", "MissionResults", K::Switch, "{OFF}"},
    {"Import", "ImpFileSpec", K::Text, ""},
    {"Import", "DataFileSpec", K::Text, ""},
    {"Import", "OutDir", K::Text, ""},
    {"Import", "LibFileSpec", K::Text, ""},
    {"Import", "SearchXRef", K::Switch, "{OFF}"},
    {"Import", "XRefFileSpec", K::Text, ""},
    {"Import", "XRefMove", K::Switch, "{OFF}"},
    {"Export", "InFileSpec", K::Text, ""},
    {"Export", "OutDir", K::Text, ""},
    {"Export", "OutFormat", K::Whole, "0", 0, 9},
    {"Export", "TypeFilter", K::Switch, "{OFF}"},
    // A part type id (401 a fixed resistor), 0 for none.
    {"Export", "PartType", K::Whole, "0", 0, 999},
    {"Export", "PNFilter", K::Text, ""},
    {"Project Add", "Mode", K::Whole, "0", 0, 1},
    {"Project Add", "File", K::Text, ""},
    {"Graph", "GDFLastFileSpec", K::Text, ""},
};

#undef KESTREL_ADD_KEYS
#undef KESTREL_FIND_KEYS

const SettingSpec* specOf(std::string_view section, std::string_view key) {
  for (const SettingSpec& s : kSchema) {
    if (upperCased(s.section) == upperCased(section) && upperCased(s.key) == upperCased(key)) return &s;
  }
  return nullptr;
}

std::optional<bool> parseSwitch(std::string_view v) {
  const std::string u = upperCased(trimmed(v));
  if (u == "{ON}" || u == "1") return true;
  if (u == "{OFF}" || u == "0") return false;
  return std::nullopt;
}

std::optional<double> parseNumber(std::string_view v, bool whole) {
  const std::string t(trimmed(v));
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  const double d = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0' || !std::isfinite(d)) return std::nullopt;
  if (whole && d != std::trunc(d)) return std::nullopt;
  return d;
}

bool valid(const SettingSpec& setting, std::string_view value) {
  switch (setting.kind) {
    case K::Text: return true;
    case K::Switch: return parseSwitch(value).has_value();
    case K::Whole:
    case K::Real: {
      const auto d = parseNumber(value, setting.kind == K::Whole);
      return d && *d >= setting.lo && *d <= setting.hi;
    }
  }
  return false;
}

}  // namespace

std::span<const SettingSpec> settingSchema() { return kSchema; }

std::string defaultSettingsPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/kestrel/217F2.INI";
}

Settings Settings::load(FileSystem& fs, const std::string& path, std::vector<std::string>& warnings) {
  Settings s;
  s.path_ = path;
  if (Status st = IniFile::load(fs, path, s.ini_); !st) {
    warnings.push_back("settings '" + path + "' could not be read, defaults used: " + st.message());
  }
  for (const SettingSpec& setting : kSchema) {
    auto value = s.ini_.get(setting.section, setting.key);
    // The Add dialogs' keys in the older "Defaults" section.
    if (!value && (setting.section == "Circuit Add") && setting.key != "Mode") {
      value = s.ini_.get("Defaults", setting.key);
    }
    // The recall's cross-reference move (0 none, 1, 2) was once kept as a
    // switch; such a value keeps its meaning (on: move 1).
    if (value && setting.key == "XRefMove" && setting.kind == K::Whole) {
      if (const auto on = parseSwitch(*value); on && !parseNumber(*value, true)) value = *on ? "1" : "0";
    }
    if (value && !valid(setting, *value)) {
      warnings.push_back(strprintf("settings '%s': [%s] %s=%s is not valid, \"%s\" used", path.c_str(),
                                   std::string(setting.section).c_str(), std::string(setting.key).c_str(),
                                   value->c_str(), std::string(setting.defaultValue).c_str()));
      value.reset();
    }
    s.ini_.set(setting.section, setting.key, value ? *value : std::string(setting.defaultValue));
    // Switches are written in one spelling.
    if (setting.kind == K::Switch) s.setOn(setting.section, setting.key, s.on(setting.section, setting.key));
  }
  return s;
}

Status Settings::save(FileSystem& fs) const {
  std::error_code ec;
  const auto folder = std::filesystem::path(path_).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  return ini_.save(fs, path_);
}

std::string Settings::text(std::string_view section, std::string_view key) const {
  if (auto v = ini_.get(section, key)) return *v;
  const SettingSpec* setting = specOf(section, key);
  return setting ? std::string(setting->defaultValue) : std::string();
}

long Settings::whole(std::string_view section, std::string_view key) const {
  const auto d = parseNumber(text(section, key), true);
  return d ? static_cast<long>(*d) : 0;
}

bool Settings::on(std::string_view section, std::string_view key) const {
  return parseSwitch(text(section, key)).value_or(false);
}

double Settings::real(std::string_view section, std::string_view key) const {
  return parseNumber(text(section, key), false).value_or(0.0);
}

void Settings::setText(std::string_view section, std::string_view key, std::string_view value) {
  ini_.set(section, key, value);
}

void Settings::setWhole(std::string_view section, std::string_view key, long value) {
  ini_.set(section, key, std::to_string(value));
}

void Settings::setOn(std::string_view section, std::string_view key, bool value) {
  ini_.set(section, key, value ? "{ON}" : "{OFF}");
}

void Settings::setReal(std::string_view section, std::string_view key, double value) {
  ini_.set(section, key, strprintf("%.6f", value));
}

}  // namespace kestrel
