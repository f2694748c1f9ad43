#include "core/doc_file.hpp"

#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <limits>
#include <random>

#include <cstring>

#include "core/path_names.hpp"
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
  return Status::error(StatusCode::InvalidArgument, strprintf("Please change file extension to '%s' :\n'%s'",
                                 std::string(requiredExtension).c_str(), path.c_str()));
}

std::string backupPath(const std::string& path) { return path + ".BAK"; }

namespace {

// "NAME.~<pid>-<random>.tmp" beside the file: the process that wrote it can
// be told from the name, and nobody can guess the name to plant a link there.
std::string temporaryPath(const std::string& path) {
  static std::mt19937_64 random{std::random_device{}()};
  return strprintf("%s.~%d-%016llx.tmp", path.c_str(), static_cast<int>(::getpid()),
                   static_cast<unsigned long long>(random()));
}

// The process id in a temporary name of `fileName`, or 0 for any other name.
pid_t writerOf(const std::string& entry, const std::string& fileName) {
  const std::string prefix = fileName + ".~";
  const std::string suffix = ".tmp";
  if (entry.size() <= prefix.size() + suffix.size() || entry.compare(0, prefix.size(), prefix) != 0 ||
      entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return 0;
  }
  long pid = 0;
  for (std::size_t i = prefix.size(); i < entry.size() && std::isdigit(static_cast<unsigned char>(entry[i])); ++i) {
    pid = pid * 10 + (entry[i] - '0');
    if (pid > 0x7fffffff) return 0;
  }
  return static_cast<pid_t>(pid);
}

// Temporary files of `path` left by writers that died before they finished.
void removeDeadWritersFiles(FileSystem& fs, const std::string& path) {
  const std::string folder = folderOf(path);
  const std::string name = fileNameOf(path);
  for (const std::string& entry : fs.folderEntries(folder)) {
    const pid_t pid = writerOf(entry, name);
    if (pid <= 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    (void)fs.remove(folder.empty() ? entry : folder + "/" + entry);
  }
}

// Writes `bytes` under a fresh temporary name beside `path`; the name is
// returned in `temp`.
Status writeTemporary(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes,
                      std::string& temp) {
  removeDeadWritersFiles(fs, path);
  temp = temporaryPath(path);
  return fs.createNewFile(temp, bytes);
}

}  // namespace

Status replaceFile(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string target = fs.linkTarget(path);
  std::string temp;
  if (Status s = writeTemporary(fs, target, bytes, temp); !s) {
    (void)fs.remove(temp);
    return s;
  }
  if (Status s = fs.rename(temp, target); !s) {
    (void)fs.remove(temp);
    return s;
  }
  (void)fs.syncFolder(target);
  return Status::ok();
}

Status saveWithBackup(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes) {
  return saveAllWithBackup(fs, {FileWrite{path, std::vector<std::uint8_t>(bytes.begin(), bytes.end())}});
}

namespace {

Status checkBackupLength(const std::string& path) {
  const std::string backup = backupPath(path);
  if (backup.size() < kMaxBackupPathLength) return Status::ok();
  return Status::error(StatusCode::InvalidArgument, strprintf("Error: backup filename length = %d (max=%d).", static_cast<int>(backup.size()),
                                 static_cast<int>(kMaxBackupPathLength)));
}

// The new content, complete and on disk, under a temporary name.
Status writeVerified(FileSystem& fs, const std::string& path, std::string& temp,
                     std::span<const std::uint8_t> bytes) {
  if (Status s = writeTemporary(fs, path, bytes, temp); !s) return s;
  std::vector<std::uint8_t> check;
  const Status s = fs.readFile(temp, check, bytes.size() + 1);
  if (!s || check.size() != bytes.size() ||
      (!bytes.empty() && std::memcmp(check.data(), bytes.data(), bytes.size()) != 0)) {
    return Status::error(StatusCode::Io, "Can not save '" + path + "': the written file does not read back the same");
  }
  return Status::ok();
}

// The backup as a second name of the previous file, or as a copy of it
// where the file system has no hard links.
Status keepBackup(FileSystem& fs, const std::string& path) {
  const std::string backup = backupPath(path);
  if (fs.exists(backup)) (void)fs.remove(backup);
  if (fs.link(path, backup)) return Status::ok();
  std::vector<std::uint8_t> previous;
  Status s = fs.readFile(path, previous, std::numeric_limits<std::size_t>::max());
  if (s) s = fs.createNewFile(backup, previous);
  if (!s) {
    (void)fs.remove(backup);
    return Status::error(StatusCode::Io, "Can not save '" + path + "': the backup '" + backup +
                         "' could not be made; the file was left as it was (" + s.message() + ")");
  }
  return Status::ok();
}

// The backup is made first and the temporary file is then renamed over the
// name, so the name holds a complete file at every moment.
Status swapIn(FileSystem& fs, const std::string& path, const std::string& temp, bool& hadFile) {
  hadFile = fs.exists(path);
  if (hadFile) {
    if (Status s = keepBackup(fs, path); !s) return s;
  }
  return fs.rename(temp, path);
}

}  // namespace

Status saveAllWithBackup(FileSystem& fs, const std::vector<FileWrite>& files) {
  for (const FileWrite& f : files) {
    if (Status s = checkBackupLength(f.path); !s) return s;
  }
  // A save through a symbolic link replaces the file the link leads to.
  std::vector<std::string> targets;
  for (const FileWrite& f : files) targets.push_back(fs.linkTarget(f.path));
  // A read-only file is kept as it is, even where the folder would let the
  // new file be renamed over it.
  for (const std::string& target : targets) {
    if (fs.readOnly(target)) {
      return Status::error(StatusCode::Denied, "Can not save '" + target + "': the file is read-only");
    }
  }
  std::vector<std::string> temps(files.size());
  auto removeTemps = [&](std::size_t from) {
    for (std::size_t i = from; i < temps.size(); ++i) {
      if (!temps[i].empty()) (void)fs.remove(temps[i]);
    }
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (Status s = writeVerified(fs, targets[i], temps[i], files[i].bytes); !s) {
      removeTemps(0);
      return s;
    }
  }
  std::vector<bool> hadFile(files.size(), false);
  for (std::size_t i = 0; i < files.size(); ++i) {
    bool had = false;
    if (Status s = swapIn(fs, targets[i], temps[i], had); !s) {
      // Undo the files already replaced: each previous file comes back.
      for (std::size_t j = 0; j < i; ++j) {
        if (hadFile[j]) {
          (void)fs.rename(backupPath(targets[j]), targets[j]);
        } else {
          (void)fs.remove(targets[j]);
        }
      }
      removeTemps(i);
      return s;
    }
    hadFile[i] = had;
  }
  for (const std::string& target : targets) (void)fs.syncFolder(target);
  return Status::ok();
}

}  // namespace kestrel
