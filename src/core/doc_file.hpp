// What every document file of the system shares: the trailing additive
// checksum, the extension check, the ".BAK" backup and the safe save.
//
// The checksum is the unsigned 32-bit sum (wrapping) of every byte before
// it, each taken as 0..255, stored little-endian in the last 4 bytes.
//
// A save never destroys the previous good file: the new bytes go to a
// temporary file with an unguessable name in the same folder (created new,
// never through a link), are flushed and read back to verify, then the old
// file gets the second name "NAME.BAK" (an older backup is deleted first)
// and the temporary file is renamed over the name, so the name always holds
// a complete file. If any step fails the old file is still there under its
// name (or is put back), and the error is returned. Temporary files of
// writers that died are removed by the next save of the same file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

// Paths of 259 characters or more cannot take a backup name.
inline constexpr std::size_t kMaxBackupPathLength = 259;

std::uint32_t additiveChecksum(std::span<const std::uint8_t> bytes);
// Appends the checksum of everything in `bytes` to them.
void appendChecksum(std::vector<std::uint8_t>& bytes);
// True when the last 4 bytes hold the checksum of the bytes before them.
bool checksumMatches(std::span<const std::uint8_t> bytes);

// "Please change file extension to '%s' :\n'%s'" unless `path` ends with
// `requiredExtension` (".CIR"), case ignored.
Status checkExtension(const std::string& path, std::string_view requiredExtension);
bool hasExtension(const std::string& path, std::string_view extension);

// "A.CIR" -> "A.CIR.BAK".
std::string backupPath(const std::string& path);

// Writes `bytes` to `path` the safe way, keeping the previous file as its
// backup. Fails with "Error: backup filename length = %d (max=%d)." when the
// backup name would be too long, before anything is written.
Status saveWithBackup(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes);

// Replaces `path` (the file a symbolic link leads to, if it is one) with
// `bytes` in one step, without a backup: a fresh temporary file beside it,
// then a rename. Outputs and settings are written this way.
Status replaceFile(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes);

// One file of a save that must happen for all files or for none.
struct FileWrite {
  std::string path;
  std::vector<std::uint8_t> bytes;
};

// Saves several files together: every new content is written and verified
// under a temporary name first; only then does each file take its new
// content (the previous one kept as its backup). If any step fails, the
// files already replaced are put back, so every file is left as it was.
Status saveAllWithBackup(FileSystem& fs, const std::vector<FileWrite>& files);

}  // namespace kestrel
