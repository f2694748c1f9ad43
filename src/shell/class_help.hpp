// Help on the part classes, as the command line and the desktop show it: a
// list of the registered classes, and one page per class with the handbook
// section its model follows and the keywords of its own fields (kind, range,
// unit, choices), taken from the class's field descriptions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct PartType;

// The handbook section(s) a type's model follows, e.g. "9.1" for the
// resistor; "" for the classes that belong to no section (sub-files and the
// miscellaneous part).
std::string_view handbookSection(std::uint16_t typeId);

// One line per registered class: type id, class name, shown name, section.
std::string classHelpIndex();

// The page of one class. The class must be registered. Each keyword shows
// the value a new part has, and the page ends with a worked example.
std::string classHelpPage(const PartType& type);

// The worked example's values as `kestrel add` takes them (KEYWORD=VALUE,
// unquoted): the first inputs of a new part that apply, with its values.
std::vector<std::string> classExampleValues(const PartType& type);

// The keywords of the class's own fields, as the page lists them.
std::vector<std::string> classKeywords(const PartType& type);

}  // namespace kestrel
