#include "store/library/library_location.hpp"

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr std::string_view kSchemes[] = {"postgresql://", "postgres://"};

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && upperCased(text.substr(0, prefix.size())) == upperCased(prefix);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes decoded; false for a broken escape.
bool percentDecoded(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

// A library's name becomes a key in the database's tables: letters, digits,
// '_' and '-', at most an identifier's length.
bool isLibraryName(const std::string& name) {
  if (name.empty() || name.size() > kMaxLibraryName) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

Status addressError(const std::string& text, const std::string& what) {
  return Status::error(StatusCode::InvalidArgument, "'" + withoutPassword(text) + "': " + what);
}

}  // namespace

std::string withoutPassword(const std::string& text) {
  if (!isDatabaseAddress(text)) return text;
  std::string out = text;
  const std::size_t authority = out.find("://") + 3;
  const std::size_t at = out.find('@', authority);
  const std::size_t colon = out.find(':', authority);
  if (at != std::string::npos && colon < at && out.find_first_of("/?", authority) > at) {
    out.replace(colon + 1, at - colon - 1, "***");
  }
  for (std::size_t from = out.find('?'); from != std::string::npos && from < out.size();) {
    const std::size_t start = from + 1;
    const std::size_t end = std::min(out.find('&', start), out.size());
    const std::size_t eq = out.find('=', start);
    if (eq < end && upperCased(out.substr(start, eq - start)) == "PASSWORD") {
      out.replace(eq + 1, end - eq - 1, "***");
    }
    from = out.find('&', start);
  }
  return out;
}

bool isDatabaseAddress(const std::string& text) {
  for (std::string_view scheme : kSchemes) {
    if (startsWithIgnoringCase(text, scheme)) return true;
  }
  return false;
}

Status parseLibraryLocation(const std::string& text, LibraryLocation& out) {
  if (!isDatabaseAddress(text)) {
    out = {LibraryLocation::Home::File, text, {}, {}};
    return Status::ok();
  }
  const std::size_t query = text.find('?');
  const std::string base = text.substr(0, query);
  const std::size_t authority = base.find("://") + 3;
  const std::size_t at = base.find('@', authority);
  if (at != std::string::npos && base.substr(authority, at - authority).find(':') != std::string::npos) {
    return addressError(text, "a password in the address would show in process lists; keep it in ~/.pgpass");
  }
  std::vector<std::string> kept;
  std::string library;
  bool named = false;
  if (query != std::string::npos) {
    std::string_view rest = std::string_view(text).substr(query + 1);
    while (!rest.empty()) {
      const std::size_t amp = rest.find('&');
      const std::string_view parameter = rest.substr(0, amp);
      rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
      if (parameter.empty()) continue;
      const std::string key = upperCased(parameter.substr(0, parameter.find('=')));
      if (key == "PASSWORD") {
        return addressError(text, "a password in the address would show in process lists; keep it in ~/.pgpass");
      }
      if (key != "LIBRARY") {
        kept.emplace_back(parameter);
        continue;
      }
      if (named) return addressError(text, "the library is named twice");
      named = true;
      const std::size_t eq = parameter.find('=');
      if (eq == std::string_view::npos || !percentDecoded(parameter.substr(eq + 1), library)) {
        return addressError(text, "the library's name is not readable");
      }
    }
  }
  if (!named) return addressError(text, "name the library in the address: ...?library=NAME");
  if (!isLibraryName(library)) {
    return addressError(text, strprintf("a library's name is 1 to %zu letters, digits, '_' or '-', not '%s'",
                                        kMaxLibraryName, library.c_str()));
  }
  std::string connection = base;
  for (std::size_t i = 0; i < kept.size(); ++i) connection += (i == 0 ? "?" : "&") + kept[i];
  out = {LibraryLocation::Home::Database, {}, std::move(connection), std::move(library)};
  return Status::ok();
}

std::string libraryTitle(const std::string& name) {
  LibraryLocation where;
  if (isDatabaseAddress(name) && parseLibraryLocation(name, where).isOk()) return where.library + " (database)";
  return std::filesystem::path(name).filename().string();
}

}  // namespace kestrel
