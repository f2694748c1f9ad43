// PgXRef: a cross-reference list kept in a PostgreSQL database, named by an
// address "postgresql://host/db?library=NAME", locked and versioned as a
// library kept there (pg_library.hpp).
#pragma once

#include <memory>
#include <string>

#include "store/library/library_location.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

std::unique_ptr<XRefFile> createPgXRef(const std::string& name, const LibraryLocation& where, StoreMessage& error);
std::unique_ptr<XRefFile> openPgXRef(const std::string& name, const LibraryLocation& where, bool writable,
                                     StoreMessage& error);

}  // namespace kestrel::library
