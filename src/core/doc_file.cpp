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
  return saveAllWithBackup(fs, {FileWrite{path, std::vector<std::uint8_t>(bytes.begin(), bytes.end())}});
}

namespace {

Status checkBackupLength(const std::string& path) {
  const std::string backup = backupPath(path);
  if (backup.size() < kMaxBackupPathLength) return Status::ok();
  return Status::error(strprintf("Error: backup filename length = %d (max=%d).", static_cast<int>(backup.size()),
                                 static_cast<int>(kMaxBackupPathLength)));
}

// The new content, complete and on disk, under a temporary name.
Status writeVerified(FileSystem& fs, const std::string& path, const std::string& temp,
                     std::span<const std::uint8_t> bytes) {
  if (Status s = fs.writeFile(temp, bytes); !s) return s;
  std::vector<std::uint8_t> check;
  const Status s = fs.readFile(temp, check, bytes.size() + 1);
  if (!s || check.size() != bytes.size() ||
      (!bytes.empty() && std::memcmp(check.data(), bytes.data(), bytes.size()) != 0)) {
    return Status::error("Can not save '" + path + "': the written file does not read back the same");
  }
  return Status::ok();
}

// The previous file becomes the backup and the temporary file takes the
// name; on failure the previous file is back under its name.
Status swapIn(FileSystem& fs, const std::string& path, const std::string& temp, bool& hadFile) {
  const std::string backup = backupPath(path);
  hadFile = fs.exists(path);
  if (hadFile) {
    if (fs.exists(backup)) (void)fs.remove(backup);
    if (Status s = fs.rename(path, backup); !s) {
      return Status::error("Can not save '" + path + "': the backup '" + backup +
                           "' could not be made; the file was left as it was (" + s.message() + ")");
    }
  }
  if (Status s = fs.rename(temp, path); !s) {
    if (hadFile) (void)fs.rename(backup, path);
    return s;
  }
  return Status::ok();
}

}  // namespace

Status saveAllWithBackup(FileSystem& fs, const std::vector<FileWrite>& files) {
  for (const FileWrite& f : files) {
    if (Status s = checkBackupLength(f.path); !s) return s;
  }
  std::vector<std::string> temps;
  auto removeTemps = [&](std::size_t from) {
    for (std::size_t i = from; i < temps.size(); ++i) (void)fs.remove(temps[i]);
  };
  for (const FileWrite& f : files) {
    temps.push_back(temporaryPath(f.path));
    if (Status s = writeVerified(fs, f.path, temps.back(), f.bytes); !s) {
      removeTemps(0);
      return s;
    }
  }
  std::vector<bool> hadFile(files.size(), false);
  for (std::size_t i = 0; i < files.size(); ++i) {
    bool had = false;
    if (Status s = swapIn(fs, files[i].path, temps[i], had); !s) {
      // Undo the files already replaced: each previous file comes back.
      for (std::size_t j = 0; j < i; ++j) {
        if (hadFile[j]) {
          (void)fs.rename(backupPath(files[j].path), files[j].path);
        } else {
          (void)fs.remove(files[j].path);
        }
      }
      removeTemps(i);
      return s;
    }
    hadFile[i] = had;
  }
  for (const FileWrite& f : files) (void)fs.syncFolder(f.path);
  return Status::ok();
}

}  // namespace kestrel
