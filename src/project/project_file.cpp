#include "project/project_file.hpp"

#include <filesystem>

#include "core/archive.hpp"
#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kChecksumSize = 4;
// Type byte, version, an empty path's one-byte prefix, the checksum.
constexpr std::size_t kSmallestProjectFile = 1 + 2 + 1 + kChecksumSize;

Status named(const std::string& path, const std::string& text, StatusCode code = StatusCode::Corrupt) {
  return Status::error(code, "'" + path + "': " + text);
}

bool hasControlCharacters(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::string CProjDoc::folder() const {
  return std::filesystem::path(path_).lexically_normal().parent_path().string();
}

std::vector<std::uint8_t> encodeProject(const CProjDoc& doc) {
  Archive ar = Archive::forWriting();
  std::uint8_t type = kProjectFileType;
  std::uint16_t version = kProjectVersion;
  std::string top = doc.topLevel();
  ar.io(type);
  ar.io(version);
  ar.io(top);
  std::vector<std::uint8_t> bytes = ar.bytes();
  appendChecksum(bytes);
  return bytes;
}

Status decodeProject(std::span<const std::uint8_t> bytes, const std::string& path, CProjDoc& doc) {
  if (bytes.size() < kSmallestProjectFile || !checksumMatches(bytes)) {
    return named(path, "File checksum error.");
  }
  Archive ar = Archive::forReading(bytes.first(bytes.size() - kChecksumSize), path);
  std::uint8_t type = 0;
  std::uint16_t version = 0;
  ar.io(type);
  if (type != kProjectFileType) return named(path, "Unexpected file format...\n...not a Project.");
  ar.io(version);
  if (version != kProjectVersion) {
    return named(path, strprintf("File version error...\n...InVer=%d, ReqVer=%d.", version, kProjectVersion));
  }
  std::string top;
  ar.io(top);
  if (!ar.ok()) return named(path, "Damaged file: the top-level circuit name is cut short.");
  if (ar.remaining() != 0) {
    return named(path, strprintf("Damaged file: %u unexpected bytes after the top-level circuit name.",
                                 static_cast<unsigned>(ar.remaining())));
  }
  if (top.size() > kMaxTopLevelPathLength || hasControlCharacters(top)) {
    return named(path, "Damaged file: the top-level circuit name is not a file name.");
  }
  doc.setTopLevel(std::move(top));
  return Status::ok();
}

Status openProject(FileSystem& fs, const std::string& path, CProjDoc& doc) {
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxProjectFileSize); !s) return s.namingFile(path);
  CProjDoc loaded;
  if (Status s = decodeProject(bytes, path, loaded); !s) return s;
  loaded.setPath(path);
  doc = std::move(loaded);
  return Status::ok();
}

Status saveProject(FileSystem& fs, CProjDoc& doc, const std::string& path) {
  if (Status s = checkExtension(path, kProjectExtension); !s) return s;
  if (doc.topLevel().size() > kMaxTopLevelPathLength || hasControlCharacters(doc.topLevel())) {
    return named(path, "the top-level circuit name is not a file name.", StatusCode::InvalidArgument);
  }
  DocumentLock lock;
  if (Status s = lockDocument(fs, path, lock); !s) return s;
  if (Status s = saveWithBackup(fs, path, encodeProject(doc)); !s) return s;
  doc.setPath(path);
  return Status::ok();
}

}  // namespace kestrel
