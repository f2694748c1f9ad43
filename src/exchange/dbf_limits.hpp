// The sizes dBASE III allows, shared by the table reader and writer so that
// every table Kestrel writes is one it reads back.
#pragma once

#include <cstddef>

namespace kestrel {

// Bytes of one record, its deletion byte included. dBASE III (and IV) refuse
// longer records, so a wider table would not open in them either; the header
// field could hold 65535, but a table is written for others to read too.
inline constexpr std::size_t kDbfMaxRecordLength = 4000;

}  // namespace kestrel
