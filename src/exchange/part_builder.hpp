// The part record an input record asks for: the class named by its
// PART_TYPE (a class name, type id or menu name; with the translate code
// "X31217F1" also the other tool's part type names), in the circuit or
// hybrid variant; an unknown type becomes a miscellaneous part.
#pragma once

#include <memory>
#include <string>

#include "exchange/import_target.hpp"

namespace kestrel {

class CPart;

// The class a part type name of the "X31217F1" translation stands for, or "".
std::string_view translatedClass(std::string_view typeName);

// A new record for the current input record; null (logged) when not even a
// miscellaneous part can be made.
std::unique_ptr<CPart> createPartFor(KeywordReader& reader, bool hybrid, bool translate, long recordNumber,
                                     const ImportLogFn& log);

}  // namespace kestrel
