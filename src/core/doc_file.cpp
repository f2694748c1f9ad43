#include "core/doc_file.hpp"

#include <unistd.h>

#include <cstring>

#include "core/strfmt.hpp"

namespace kestrel {

std::uint32_t additiveChecksum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return sum;
}

void appendChecksum(std::vector<std::uint8_t>& bytes) {
  const std::uint32_t sum = additiveChecksum(bytes);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(sum >> shift));
}

bool checksumMatches(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return false;
  const std::size_t body = bytes.size() - 4;
  std::uint32_t stored = 0;
  for (int i = 3; i >= 0; --i) stored = (stored << 8) | bytes[body + static_cast<std::size_t>(i)];
  return stored == additiveChecksum(bytes.first(body));
}

bool hasExtension(const std::string& path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  return upperCased(std::string_view(path).substr(path.size() - extension.size())) ==
         upperCased(extension);
}

Status checkExtension(const std::string& path, std::string_view requiredExtension) {
  // The extension is what follows the last dot of the file name.
  const auto slash = path.find_last_of("/\\");
  const auto dot = path.find_last_of('.');
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (hasDot && upperCased(std::string_view(path).substr(dot)) == upperCased(requiredExtension)) {
    return Status::ok();
  }
  return Status::error(strprintf("Please change file extension to '%s' :\n'%s'",
                                 std::string(requiredExtension).c_str(), path.c_str()));
}

std::string backupPath(const std::string& path) { return path + ".BAK"; }

namespace {

std::string temporaryPath(const std::string& path) {
  return path + ".~" + std::to_string(::getpid()) + ".tmp";
}

}  // namespace

Status saveWithBackup(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string backup = backupPath(path);
  if (backup.size() >= kMaxBackupPathLength) {
    return Status::error(strprintf("Error: backup filename length = %d (max=%d).",
                                   static_cast<int>(backup.size()),
                                   static_cast<int>(kMaxBackupPathLength)));
  }

  // 1. The new content, complete and on disk, under a temporary name.
  const std::string temp = temporaryPath(path);
  if (Status s = fs.writeFile(temp, bytes); !s) {
    (void)fs.remove(temp);
    return s;
  }
  std::vector<std::uint8_t> check;
  if (Status s = fs.readFile(temp, check, bytes.size() + 1); !s || check.size() != bytes.size() ||
                                                               (!bytes.empty() &&
                                                                std::memcmp(check.data(), bytes.data(),
                                                                            bytes.size()) != 0)) {
    (void)fs.remove(temp);
    return Status::error("Can not save '" + path + "': the written file does not read back the same");
  }

  // 2. The previous file becomes the backup.
  const bool hadFile = fs.exists(path);
  if (hadFile) {
    if (fs.exists(backup)) (void)fs.remove(backup);
    if (Status s = fs.rename(path, backup); !s) {
      (void)fs.remove(temp);
      return Status::error("Can not save '" + path + "': the backup '" + backup +
                           "' could not be made; the file was left as it was (" + s.message() + ")");
    }
  }

  // 3. The new file takes the name.
  if (Status s = fs.rename(temp, path); !s) {
    if (hadFile) (void)fs.rename(backup, path);  // put the previous file back
    (void)fs.remove(temp);
    return s;
  }
  (void)fs.syncFolder(path);
  return Status::ok();
}

}  // namespace kestrel
