// The user's settings, kept between runs in "217F2.INI": every section and
// key the program uses, with its kind, default and range. Reading keeps
// unknown keys; a malformed value is replaced by its default with a warning.
//
// Switches are written "{ON}" / "{OFF}" and read in that form or as 1 / 0.
// The Add dialog's keys are written in "Circuit Add" ("Library Add" for the
// library); older files that hold them in "Defaults" are read from there.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "shell/ini_file.hpp"

namespace kestrel {

enum class SettingKind { Text, Whole, Switch, Real };

struct SettingSpec {
  std::string_view section;
  std::string_view key;
  SettingKind kind;
  std::string_view defaultValue;
  double lo = 0;  // Whole and Real
  double hi = 0;
};

// Every setting, section by section.
std::span<const SettingSpec> settingSchema();

// The settings file of this user: $XDG_CONFIG_HOME/kestrel/217F2.INI, else
// ~/.config/kestrel/217F2.INI.
std::string defaultSettingsPath();

class Settings {
 public:
  // Reads the file (a missing one gives the defaults); `warnings` receives a
  // line for each malformed value replaced by its default.
  static Settings load(FileSystem& fs, const std::string& path, std::vector<std::string>& warnings);
  // Writes every known key (defaults where never set) and keeps the others.
  Status save(FileSystem& fs) const;

  std::string text(std::string_view section, std::string_view key) const;
  long whole(std::string_view section, std::string_view key) const;
  bool on(std::string_view section, std::string_view key) const;
  double real(std::string_view section, std::string_view key) const;

  void setText(std::string_view section, std::string_view key, std::string_view value);
  void setWhole(std::string_view section, std::string_view key, long value);
  void setOn(std::string_view section, std::string_view key, bool value);
  // Reals are written with "%.6f" (the mission time) unless given as text.
  void setReal(std::string_view section, std::string_view key, double value);

  const std::string& path() const { return path_; }
  const IniFile& ini() const { return ini_; }

 private:
  std::string path_;
  IniFile ini_;
};

}  // namespace kestrel
