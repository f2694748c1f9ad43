#include "store/library/part_filters.hpp"

#include <algorithm>
#include <filesystem>

#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel::library {
namespace {

bool wildMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool PartFilters::passes(const CPart& part) const {
  if (typeOn && part.PART_TYPE != type) return false;
  if (pnOn && !pn.empty() && part.PN.compare(0, pn.size(), pn) != 0) return false;
  return true;
}

std::vector<std::string> PartFilters::lines() const {
  std::string typeText = "OFF";
  if (typeOn) {
    const PartType* t = findPartType(type);
    typeText = t != nullptr ? std::string(t->menuName) : std::to_string(type);
  }
  return {strprintf("- Part Type Filter: %s", typeText.c_str()),
          pnOn && !pn.empty() ? strprintf("- PN Filter: '%.40s'", pn.c_str()) : std::string("- PN Filter: OFF")};
}

const char* yesNo(bool on) { return on ? "YES" : "NO"; }

std::vector<std::string> matchingFiles(const std::string& filePattern) {
  namespace fs = std::filesystem;
  std::vector<std::string> out;
  const fs::path path(filePattern);
  const std::string name = path.filename().string();
  std::error_code ec;
  if (name.find_first_of("*?") == std::string::npos) {
    if (fs::is_regular_file(path, ec)) out.push_back(filePattern);
    return out;
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const std::string pattern = upperCased(name);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string file = it->path().filename().string();
    if (!wildMatch(pattern, upperCased(file))) continue;
    out.push_back(path.has_parent_path() ? (folder / file).string() : file);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace kestrel::library
