#include "store/library/part_blob.hpp"

#include "core/archive.hpp"
#include "core/part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel::library {

Status encodePartBlob(const CPart& part, std::vector<std::uint8_t>& blob) {
  Archive ar = Archive::forWriting();
  ar.restartObjectNumbering();
  writePartObject(ar, part);
  if (!ar.ok()) return Status::error(StatusCode::InvalidArgument, ar.error());
  if (ar.bytes().size() > kMaxPartBlob) {
    return Status::error(StatusCode::InvalidArgument, strprintf("the part takes %zu bytes, more than %zu",
                                                                ar.bytes().size(), kMaxPartBlob));
  }
  blob = ar.bytes();
  return Status::ok();
}

Status decodePartBlob(std::span<const std::uint8_t> blob, bool hybridDocument, const std::string& source,
                      std::unique_ptr<CPart>& part) {
  part.reset();
  if (blob.empty() || blob.size() > kMaxPartBlob) {
    return Status::error(StatusCode::Corrupt,
                         strprintf("%s: part object of %zu bytes", source.c_str(), blob.size()));
  }
  Archive ar = Archive::forReading(blob, source);
  ar.restartObjectNumbering();
  auto read = readPartObject(ar);
  if (!read || !ar.ok()) {
    return Status::error(StatusCode::Corrupt,
                         source + ": " + (ar.error().empty() ? "bad part object" : ar.error()));
  }
  if (ar.remaining() != 0) {
    return Status::error(StatusCode::Corrupt,
                         strprintf("%s: %zu bytes after the part object", source.c_str(), ar.remaining()));
  }
  const PartType* type = findPartTypeByClass(read->classRecord().className);
  if (type == nullptr || type->id != read->PART_TYPE) {
    return Status::error(StatusCode::Corrupt,
                         strprintf("%s: part type %u does not match class %s", source.c_str(),
                                   static_cast<unsigned>(read->PART_TYPE),
                                   std::string(read->classRecord().className).c_str()));
  }
  if (hybridDocument && !type->inHybridMenu) {
    return Status::error(StatusCode::InvalidArgument,
                         strprintf("%s: %s parts can not be placed in a hybrid", source.c_str(),
                                   std::string(type->menuName).c_str()));
  }
  if (read->isHybridPart() != hybridDocument) {
    return Status::error(StatusCode::InvalidArgument,
                         source + (hybridDocument ? ": not a hybrid part" : ": a hybrid part"));
  }
  part = std::move(read);
  return Status::ok();
}

}  // namespace kestrel::library
