// A part record as a library keeps it: the object entry a circuit file holds
// for one record (class record, then the class's fields), at most 1024 bytes.
// The same form travels on the clipboard.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/status.hpp"

namespace kestrel {
class CPart;
}

namespace kestrel::library {

inline constexpr std::size_t kMaxPartBlob = 1024;

// Serialises into a growable buffer and only then checks the size, so a
// large part never writes past anything; a part over 1024 bytes is refused.
Status encodePartBlob(const CPart& part, std::vector<std::uint8_t>& blob);

// Rebuilds a part for a document of the given kind. Accepted only when the
// blob names a registered part class that the document kind may hold, reads
// completely with no bytes left over, its type id is its class's and its
// hybrid flag matches the document. `source` names the blob in messages.
Status decodePartBlob(std::span<const std::uint8_t> blob, bool hybridDocument, const std::string& source,
                      std::unique_ptr<CPart>& part);

}  // namespace kestrel::library
