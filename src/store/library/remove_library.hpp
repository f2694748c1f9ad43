// Removes a whole library or cross-reference list that a run made and could
// not finish: a file is deleted; a library in a database is dropped with
// everything in it.
#pragma once

#include <string>

#include "core/status.hpp"
#include "store/store_file.hpp"

namespace kestrel::library {

Status removeLibrary(const std::string& name, store::StoreFileSystem* fs = nullptr);

}  // namespace kestrel::library
