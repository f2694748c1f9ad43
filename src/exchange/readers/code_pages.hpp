// Single-byte code pages of dBASE tables, converted to the UTF-8 the rest of
// the import sees (workbooks and databases deliver UTF-8 already).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

enum class CodePage { Ansi1252, Dos437, Dos850 };

// The code page a dBASE language driver byte names (Windows ANSI when unknown).
CodePage codePageOfDriver(std::uint8_t driverId);

// `text` as UTF-8. Text that already is valid UTF-8 is kept as it is: many
// programs write UTF-8 whatever the driver byte says.
std::string toUtf8(std::string_view text, CodePage page);

}  // namespace kestrel
