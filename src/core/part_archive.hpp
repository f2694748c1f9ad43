// Object entries: how one part record travels in a record list, a library
// blob or the clipboard.
//
// Entry = class tag (16-bit), then the record's fields.
//   0xFFFF              a class not yet named in this list: schema (16-bit),
//                       name length (16-bit), the class name characters
//   0x8000 + n          the class that received index n earlier
//   0x7FFF, 32-bit      the same for indexes of 0x7FFF and above
//                       (0x80000000 + n)
// Numbering starts at 1 with the list: each newly named class takes the next
// index, then each record object takes the next one after its class.
#pragma once

#include <memory>

namespace kestrel {

class Archive;
class CPart;

void writePartObject(Archive& ar, const CPart& part);
// Creates the record from its class name among the registered part classes
// and reads its fields; null (and the archive failed) on any error. Stored
// choices are clamped into their lists.
std::unique_ptr<CPart> readPartObject(Archive& ar);

}  // namespace kestrel
