// CXRef: one cross-reference, mapping a cross-reference part number to the
// part number of a library record, with a notes title and notes. It travels
// as an object entry of its own class (class record "CXRef", schema 0, then
// the four texts), in .xrf records and on the clipboard.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/status.hpp"

namespace kestrel::library {

struct CXRef {
  std::string pn;     // XREF_PN: cross-reference part number (25 characters)
  std::string libPn;  // XREF_LIBPN: library part number (25 characters)
  std::string notesTitle;
  std::string notes;
};

inline constexpr std::size_t kMaxXRefBlob = 1024;

// Holds the texts to what the cross-reference sheet takes: the two numbers
// 25 characters (the keys keep no more), the notes title 79 and the notes
// 543. One log line per text cut ("   ...'XREF_PN' text of 30 characters
// cut to 25...").
std::vector<std::string> holdXRefTexts(CXRef& xref);

// Serialised into a growable buffer, then held to 1024 bytes.
Status encodeXRef(const CXRef& xref, std::vector<std::uint8_t>& blob);
// Accepted only as one whole CXRef object, nothing left over.
Status decodeXRef(std::span<const std::uint8_t> blob, const std::string& source, CXRef& xref);

}  // namespace kestrel::library
