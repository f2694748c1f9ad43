// A private profile file: "[Section]" lines and "Key=Value" pairs. Reading
// keeps every section, key, comment and order it finds, so unknown keys
// survive a write; lookups ignore the case of section and key names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

class IniFile {
 public:
  // Parses text; lines that are neither sections, pairs nor comments are kept as they are.
  static IniFile parse(std::string_view text);
  std::string text() const;

  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  void set(std::string_view section, std::string_view key, std::string_view value);
  bool hasSection(std::string_view section) const;

  // Reads a file; a missing file gives an empty profile.
  static Status load(FileSystem& fs, const std::string& path, IniFile& out);
  // Writes through a temporary file and a rename, never leaving a cut file.
  Status save(FileSystem& fs, const std::string& path) const;

 private:
  struct Line {
    std::string raw;      // the line as read (comments, blanks, anything else)
    std::string key;      // set for a pair
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };
  Section* find(std::string_view section);
  const Section* find(std::string_view section) const;

  std::vector<Section> sections_;  // the first has an empty name: lines before any section
};

}  // namespace kestrel
