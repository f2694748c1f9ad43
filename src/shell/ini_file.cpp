#include "shell/ini_file.hpp"


#include "core/doc_file.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kMaxSettingsFile = 4u * 1024u * 1024u;

bool sameName(std::string_view a, std::string_view b) { return upperCased(a) == upperCased(b); }

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  ini.sections_.push_back({});
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = end + 1;
    if (end == text.size() && line.empty()) break;

    const std::string_view t = trimmed(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      ini.sections_.push_back({std::string(trimmed(t.substr(1, t.size() - 2))), {}});
      continue;
    }
    Line entry{line, {}, {}};
    const auto eq = t.find('=');
    if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos && eq > 0) {
      entry.key = std::string(trimmed(t.substr(0, eq)));
      entry.value = std::string(trimmed(t.substr(eq + 1)));
    }
    ini.sections_.back().lines.push_back(std::move(entry));
  }
  return ini;
}

std::string IniFile::text() const {
  std::string out;
  for (const Section& s : sections_) {
    if (!s.name.empty()) out += "[" + s.name + "]\n";
    for (const Line& l : s.lines) out += (l.key.empty() ? l.raw : l.key + "=" + l.value) + "\n";
  }
  return out;
}

IniFile::Section* IniFile::find(std::string_view section) {
  for (Section& s : sections_) {
    if (!s.name.empty() && sameName(s.name, section)) return &s;
  }
  return nullptr;
}

const IniFile::Section* IniFile::find(std::string_view section) const {
  return const_cast<IniFile*>(this)->find(section);
}

bool IniFile::hasSection(std::string_view section) const { return find(section) != nullptr; }

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  const Section* s = find(section);
  if (s == nullptr) return std::nullopt;
  for (const Line& l : s->lines) {
    if (!l.key.empty() && sameName(l.key, key)) return l.value;
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  if (sections_.empty()) sections_.push_back({});
  Section* s = find(section);
  if (s == nullptr) {
    sections_.push_back({std::string(section), {}});
    s = &sections_.back();
  }
  for (Line& l : s->lines) {
    if (!l.key.empty() && sameName(l.key, key)) {
      l.value = std::string(value);
      return;
    }
  }
  // New keys go after the section's last pair, before trailing blank lines.
  auto at = s->lines.end();
  while (at != s->lines.begin() && std::prev(at)->key.empty() && trimmed(std::prev(at)->raw).empty()) --at;
  s->lines.insert(at, Line{{}, std::string(key), std::string(value)});
}

Status IniFile::load(FileSystem& fs, const std::string& path, IniFile& out) {
  out = IniFile();
  out.sections_.push_back({});
  if (!fs.exists(path)) return Status::ok();
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxSettingsFile); !s) return s;
  out = parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return Status::ok();
}

Status IniFile::save(FileSystem& fs, const std::string& path) const {
  const std::string body = text();
  return replaceFile(fs, path, {reinterpret_cast<const std::uint8_t*>(body.data()), body.size()});
}

}  // namespace kestrel
