// Project files (".prj", "Project Files (*.prj)"): a project names the one
// top-level circuit whose hierarchy the project tree shows.
//
// Layout (little-endian, the object archive's encoding):
//   offset 0   1 byte   file type: 4 (a project)
//          1   2 bytes  project version (kProjectVersion)
//          3   text     full path of the top-level circuit
//   end - 4    4 bytes  additive checksum of every byte before it
// and nothing else: bytes left over are an error.
//
// Reading checks, in this order: the checksum ("File checksum error."; also
// a file too short to be one), the file type ("Unexpected file
// format...\n...not a Project."), the version ("File version
// error...\n...InVer=%d, ReqVer=%d."), then the path text. Every message
// names the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

inline constexpr std::uint8_t kProjectFileType = 4;
// The same number as the circuit file version, written and required.
inline constexpr std::uint16_t kProjectVersion = 50100;
inline constexpr std::string_view kProjectExtension = ".PRJ";
inline constexpr std::string_view kProjectFilter = "Project Files (*.prj)";
// A project file holds one path: anything larger is not one.
inline constexpr std::size_t kMaxProjectFileSize = 64 * 1024;
inline constexpr std::size_t kMaxTopLevelPathLength = 4096;

// CProjDoc: the project document, its own path and the top-level circuit it names.
class CProjDoc {
 public:
  const std::string& path() const { return path_; }
  void setPath(std::string path) { path_ = std::move(path); }
  // Full path of the top-level circuit; "" while none is chosen.
  const std::string& topLevel() const { return topLevel_; }
  void setTopLevel(std::string path) { topLevel_ = std::move(path); }
  // The folder every file of the project lies in: the project file's.
  std::string folder() const;

 private:
  std::string path_;
  std::string topLevel_;
};

std::vector<std::uint8_t> encodeProject(const CProjDoc& doc);
// Fills `doc`'s top-level path from a file's bytes; `path` names the file in
// messages. `doc` is changed only on success.
Status decodeProject(std::span<const std::uint8_t> bytes, const std::string& path, CProjDoc& doc);

// Opens a project file; on success `doc` takes the path.
Status openProject(FileSystem& fs, const std::string& path, CProjDoc& doc);
// Saves with the ".PRJ" extension check, the ".BAK" backup and the safe
// write; on success `doc` takes the path.
Status saveProject(FileSystem& fs, CProjDoc& doc, const std::string& path);

}  // namespace kestrel
