#include "store/library/library_kind.hpp"

#include <filesystem>

#include "core/strfmt.hpp"
#include "store/library/library_location.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

Status keptKindOf(const std::string& name, KeptKind& kind) {
  kind = KeptKind::Neither;
  if (!isDatabaseAddress(name)) {
    const std::string ext = upperCased(std::filesystem::path(name).extension().string());
    if (ext == ".LIB") kind = KeptKind::Parts;
    if (ext == ".XRF") kind = KeptKind::CrossReferences;
    return Status::ok();
  }
  StoreMessage asParts;
  if (auto lib = PartLibrary::open(name, false, asParts)) {
    kind = KeptKind::Parts;
    return Status::ok();
  }
  StoreMessage asXRefs;
  if (auto xref = XRefFile::open(name, false, asXRefs)) {
    kind = KeptKind::CrossReferences;
    return Status::ok();
  }
  return asParts.status();
}

}  // namespace kestrel::library
