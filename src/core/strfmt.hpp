// Bounded printf-style formatting into std::string.
//
// Record lines, headings and messages keep the system's own printf-style
// format texts ("%-25.25s  %3.0f"); these helpers format them without any
// fixed-size buffer, and clip results to a maximum line length.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Longest standard text line of a record, heading or report line.
inline constexpr std::size_t kMaxLineLength = 132;

// Formats like snprintf, but into a string of whatever size the result needs.
[[gnu::format(printf, 1, 2)]] std::string strprintf(const char* format, ...);
std::string vstrprintf(const char* format, std::va_list args);

// Cuts text to at most `max` characters.
std::string clipped(std::string text, std::size_t max = kMaxLineLength);

// Formats, then cuts the result to kMaxLineLength characters.
[[gnu::format(printf, 1, 2)]] std::string lineprintf(const char* format, ...);

// ASCII upper-casing, byte by byte (texts are single-byte characters).
std::string upperCased(std::string_view text);

// The lines joined by `separator` (none after the last): confirmations and
// messages of several lines.
std::string joinLines(const std::vector<std::string>& lines, std::string_view separator = "\n");

// Removes leading and trailing blanks, tabs, carriage returns and newlines.
std::string_view trimmed(std::string_view text);

}  // namespace kestrel
