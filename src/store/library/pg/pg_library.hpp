// PgLibrary: a library kept in a PostgreSQL database, named by an address
// "postgresql://host/db?library=NAME". The parts of a library are rows of
// its own table with the same fields and the same stored part bytes as a
// library file's records; record numbers are the rows' ids. An edit holds
// a row lock in an open transaction for as long as the record is edited,
// and a record another user holds is refused, naming who holds it.
#pragma once

#include <memory>
#include <string>

#include "store/library/library_location.hpp"
#include "store/library/part_library.hpp"

namespace kestrel::library {

// `name` is the address as the user gave it (messages quote it); `where`
// is what it was read as.
std::unique_ptr<PartLibrary> createPgLibrary(const std::string& name, const LibraryLocation& where,
                                             StoreMessage& error);
std::unique_ptr<PartLibrary> openPgLibrary(const std::string& name, const LibraryLocation& where, bool writable,
                                           StoreMessage& error);

// Drops a library (or cross-reference list) kept in a database, with
// everything in it.
Status removePgLibrary(const std::string& name, const LibraryLocation& where);

}  // namespace kestrel::library
