#include "core/file_identity.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "core/strfmt.hpp"

namespace kestrel {

FileIdentity fileIdentity(const std::string& path) {
  FileIdentity id;
  struct stat st {};
  if (!path.empty() && ::stat(path.c_str(), &st) == 0) {
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    return id;
  }
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  // Names are the system's own names here, where case does not count.
  id.unresolved = upperCased((ec ? std::filesystem::path(path) : absolute).lexically_normal().string());
  return id;
}

bool IdentityPath::contains(const std::string& path) const {
  return std::find(files_.begin(), files_.end(), fileIdentity(path)) != files_.end();
}

}  // namespace kestrel
