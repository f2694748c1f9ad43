#include "core/strfmt.hpp"

#include <cstdio>
#include <vector>

namespace kestrel {

std::string vstrprintf(const char* format, std::va_list args) {
  std::va_list probe;
  va_copy(probe, args);
  const int needed = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  std::vsnprintf(out.data(), out.size() + 1, format, args);
  return out;
}

std::string strprintf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string out = vstrprintf(format, args);
  va_end(args);
  return out;
}

std::string clipped(std::string text, std::size_t max) {
  if (text.size() > max) text.resize(max);
  return text;
}

std::string lineprintf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string out = vstrprintf(format, args);
  va_end(args);
  return clipped(std::move(out));
}

std::string upperCased(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r\n";
  const auto first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlank);
  return text.substr(first, last - first + 1);
}

std::string joinLines(const std::vector<std::string>& lines, std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += separator;
    text += lines[i];
  }
  return text;
}

}  // namespace kestrel
