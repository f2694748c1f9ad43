#include "store/library/remove_library.hpp"

#include "store/library/header_texts.hpp"
#include "store/library/library_location.hpp"
#include "store/library/pg/pg_library.hpp"

namespace kestrel::library {

Status removeLibrary(const std::string& name, store::StoreFileSystem* fs) {
  LibraryLocation where;
  if (Status s = parseLibraryLocation(name, where); !s) return s;
  if (where.home == LibraryLocation::Home::Database) return removePgLibrary(name, where);
  if (!(fs != nullptr ? *fs : store::posixStoreFileSystem()).remove(name)) {
    return Status::error(StatusCode::Io, quoted(name) + ": can not remove the unfinished file");
  }
  return Status::ok();
}

}  // namespace kestrel::library
