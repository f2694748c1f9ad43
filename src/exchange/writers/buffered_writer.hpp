// What the writers that build their whole file in memory share (CSV, dBASE,
// worksheet): the bytes go to a temporary file beside the output, are
// flushed, and only then renamed over the output, so a failed export never
// leaves a half-written table where a good one was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

// "OUT.csv" -> "OUT.csv.part": where a table is written before it is complete.
std::string temporaryOutputPath(const std::string& path);

// Writes `bytes` to the temporary path, renames it to `path` and flushes the
// folder. On failure the temporary file is removed and `path` is untouched.
Status commitOutput(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes);

// Renames a finished temporary file (written by a library) into place.
Status moveIntoPlace(FileSystem& fs, const std::string& temporary, const std::string& path);

}  // namespace kestrel
