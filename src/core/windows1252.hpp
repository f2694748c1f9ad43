// The one converter between the 8-bit texts the system's files keep
// (Windows-1252, as the documents were always written) and the UTF-8 of the
// world around them: foreign data files, the clipboard, windows, PDF and
// workbooks, the terminal. Stored texts stay single-byte; every boundary
// goes through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The character a Windows-1252 byte stands for. The five bytes the code
// page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1
// control of the same number, so every byte has a character and back.
std::uint32_t windows1252CodePoint(unsigned char byte);

// Appends the UTF-8 form of a character (other code pages' tables use it).
void appendUtf8(std::string& out, std::uint32_t codePoint);

// Every byte read as Windows-1252; the result is always valid UTF-8.
std::string windows1252ToUtf8(std::string_view text);

struct Windows1252Text {
  std::string text;                    // the converted bytes
  std::size_t replaced = 0;            // characters written as '?'
  std::vector<std::size_t> positions;  // their byte offsets in `text`
  std::string replacedChars;           // the characters replaced, as UTF-8
                                       // (invalid input bytes shown as U+FFFD)
  bool lossless() const { return replaced == 0; }
};

// UTF-8 into Windows-1252: a character the code page cannot hold, and any
// byte that is not part of a well-formed UTF-8 sequence, becomes '?'.
Windows1252Text utf8ToWindows1252(std::string_view utf8);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool isValidUtf8(std::string_view text);

// For lines that join stored texts with texts of the system around them
// (a file path beside a part number, a log line): a well-formed UTF-8
// sequence is kept as it is and every other byte read as Windows-1252, so
// the result is valid UTF-8 whichever way each part was written.
std::string mixedToUtf8(std::string_view text);

// The log's note on a text that lost characters on its way in:
// "   ...'Ω' character(s) not in Windows-1252 replaced by '?' (R3/F5)...".
std::string replacedNote(const Windows1252Text& converted, long record, int field);

// A field's text that came in as UTF-8, as a record keeps it: what the code
// page cannot hold becomes '?', and `note` gets the log's line on it.
std::string storedFieldText(std::string_view utf8, long record, int field,
                            const std::function<void(std::string_view)>& note);

}  // namespace kestrel
