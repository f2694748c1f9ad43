// Whether a name holds a parts library or a cross-reference list: a file
// says so by its extension (.lib, .xrf); a database library by what it is
// when opened.
#pragma once

#include <string>

#include "core/status.hpp"

namespace kestrel::library {

enum class KeptKind { Parts, CrossReferences, Neither };

// A file's kind by its extension (Neither for any other); a database
// address's kind by opening it read-only, with the error of opening it as
// a parts library when it is neither.
Status keptKindOf(const std::string& name, KeptKind& kind);

}  // namespace kestrel::library
