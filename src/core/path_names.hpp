// The two halves of a file's path, as messages and sibling files need them.
#pragma once

#include <string>

namespace kestrel {

// "dir/sub/A.CIR" -> "A.CIR"; a name without a folder is returned as it is.
std::string fileNameOf(const std::string& path);
// "dir/sub/A.CIR" -> "dir/sub"; "" for a name without a folder, "/" for a
// file at the root.
std::string folderOf(const std::string& path);

}  // namespace kestrel
