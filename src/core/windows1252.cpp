#include "core/windows1252.hpp"

#include <array>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// Copies the ASCII bytes from `at` on, which every side writes alike (the
// common case of part numbers and report lines), and moves `at` past them;
// false when the byte at `at` is not ASCII.
bool copiedAscii(std::string& out, std::string_view text, std::size_t& at) {
  std::size_t end = at;
  while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
  if (end == at) return false;
  out.append(text.substr(at, end - at));
  at = end;
  return true;
}

// Bytes 0x80..0x9F; the rest of the code page equals its byte value.
constexpr std::array<std::uint16_t, 32> kHigh80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // € . ‚ ƒ „ … † ‡
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // ˆ ‰ Š ‹ Œ . Ž .
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // . ‘ ’ “ ” • – —
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // ˜ ™ š › œ . ž Ÿ
};

constexpr std::uint32_t kReplacementChar = 0xFFFD;

// The well-formed sequence at `at`: its code point and length, or length 0.
struct Decoded {
  std::uint32_t cp = 0;
  std::size_t length = 0;
};

Decoded decodeAt(std::string_view s, std::size_t at) {
  const auto b0 = static_cast<unsigned char>(s[at]);
  if (b0 < 0x80) return {b0, 1};
  std::size_t length = 0;
  std::uint32_t cp = 0;
  std::uint32_t least = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1Fu, least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0Fu, least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07u, least = 0x10000;
  } else {
    return {};
  }
  if (at + length > s.size()) return {};
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[at + k]);
    if ((b & 0xC0) != 0x80) return {};
    cp = (cp << 6) | (b & 0x3Fu);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
  return {cp, length};
}

// The byte a character is written as in Windows-1252, or -1.
int windows1252Byte(std::uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHigh80.size(); ++i) {
    if (kHigh80[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

}  // namespace

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::uint32_t windows1252CodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh80[byte - 0x80] : byte;
}

std::string windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (std::size_t at = 0; at < text.size();) {
    if (copiedAscii(out, text, at)) continue;
    appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(text[at++])));
  }
  return out;
}

Windows1252Text utf8ToWindows1252(std::string_view utf8) {
  Windows1252Text result;
  result.text.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = decodeAt(utf8, at);
    const int byte = d.length > 0 ? windows1252Byte(d.cp) : -1;
    if (byte >= 0) {
      result.text.push_back(static_cast<char>(byte));
    } else {
      result.positions.push_back(result.text.size());
      ++result.replaced;
      appendUtf8(result.replacedChars, d.length > 0 ? d.cp : kReplacementChar);
      result.text.push_back('?');
    }
    at += d.length > 0 ? d.length : 1;
  }
  return result;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const Decoded d = decodeAt(text, at);
    if (d.length == 0) return false;
    at += d.length;
  }
  return true;
}

std::string mixedToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (std::size_t at = 0; at < text.size();) {
    if (copiedAscii(out, text, at)) continue;
    const Decoded d = decodeAt(text, at);
    if (d.length > 0) {
      out.append(text.substr(at, d.length));
      at += d.length;
    } else {
      appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(text[at])));
      ++at;
    }
  }
  return out;
}

std::string storedFieldText(std::string_view utf8, long record, int field,
                            const std::function<void(std::string_view)>& note) {
  Windows1252Text converted = utf8ToWindows1252(utf8);
  if (!converted.lossless()) note(replacedNote(converted, record, field));
  return std::move(converted.text);
}

std::string replacedNote(const Windows1252Text& converted, long record, int field) {
  return strprintf("   ...'%s' character(s) not in Windows-1252 replaced by '?' (R%ld/F%d)...",
                   converted.replacedChars.c_str(), record, field);
}

}  // namespace kestrel
