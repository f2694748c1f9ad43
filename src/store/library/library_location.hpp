// Where a library or cross-reference file lives: a keyed store file named
// by its path, or a library kept in a PostgreSQL database named by a
// connection URI, "postgresql://host/db?library=avionics" ("postgres://"
// too). Every other part of the URI, the environment variables and the
// passwords of ~/.pgpass are the PostgreSQL client library's to read; a
// password written into the address is refused, since a command line shows
// in process lists and shell histories.
#pragma once

#include <string>

#include "core/status.hpp"

namespace kestrel {

struct LibraryLocation {
  enum class Home { File, Database };
  Home home = Home::File;
  std::string path;        // a file: its path as given
  std::string connection;  // a database: the URI without the library parameter
  std::string library;     // a database: the library's name
};

// The longest library name: a database identifier's length.
inline constexpr std::size_t kMaxLibraryName = 63;

// True when the text names a database rather than a file.
bool isDatabaseAddress(const std::string& text);

// The text with any password in it shown as "***", for messages.
std::string withoutPassword(const std::string& text);

// Reads a path or an address; the error names the address and what is
// wrong with it (no library, a bad name, a password).
Status parseLibraryLocation(const std::string& text, LibraryLocation& out);

// What a window or list calls it: a file's name, or a database library's
// name followed by " (database)".
std::string libraryTitle(const std::string& name);

}  // namespace kestrel
