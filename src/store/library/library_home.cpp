#include "store/library/library_home.hpp"

namespace kestrel::library {

void LibraryHome::fail(StatusCode code, std::string what, std::string detail) {
  error_ = {quoted(path_), std::move(what), std::move(detail), code};
}

bool LibraryHome::locate(const std::string& name, const char* failed, LibraryLocation& where, StoreMessage& error) {
  if (Status s = parseLibraryLocation(name, where); !s) {
    error = {quoted(withoutPassword(name)), failed, s.message(), s.code()};
    return false;
  }
  return true;
}

}  // namespace kestrel::library
