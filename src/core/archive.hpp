// The object archive: the one encoder and decoder of the document byte form
// shared by circuits, hybrids, library part blobs, the clipboard, import
// definitions, projects and graph definitions.
//
// Encoding (all numbers little-endian):
//   byte, 16-bit, 32-bit   as is
//   float / double         IEEE single (4 bytes) / double (8 bytes)
//   text                   length prefix then the characters, no terminator:
//                          length < 255:        1 byte length
//                          length 255..65533:   0xFF, 16-bit length
//                          longer:              0xFF, 0xFFFF, 32-bit length
//                          0xFF, 0xFFFE:        wide text follows (a fresh
//                          prefix, then 2 bytes per character); read only.
//
// One `io` call per field serves both directions, so a class writes its
// field order once. The reader is bounded: it knows how many bytes are left,
// refuses anything that does not fit, and then stays failed (every later read
// yields zero / empty) so that callers check `ok()` once at the end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

class Archive {
 public:
  // An archive that stores into a growing byte buffer.
  static Archive forWriting();
  // An archive that loads from `bytes`; `source` names them in messages.
  static Archive forReading(std::span<const std::uint8_t> bytes, std::string source);

  bool isStoring() const { return storing_; }
  bool isLoading() const { return !storing_; }

  void io(std::uint8_t& value);
  void io(std::uint16_t& value);
  void io(std::uint32_t& value);
  void io(float& value);
  void io(double& value);
  void io(std::string& value);
  template <typename T, std::size_t N>
  void io(std::array<T, N>& values) {
    for (T& v : values) io(v);
  }

  // Storing: the bytes written so far.
  const std::vector<std::uint8_t>& bytes() const { return out_; }
  // Loading: the read position and the bytes left.
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return in_.size() - pos_; }

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::string& source() const { return source_; }
  // Marks the archive failed with a message (the first message wins).
  void fail(std::string message);

  // Object numbering of class tags (see part_archive.hpp): restarted at 1
  // at the start of each object list.
  std::uint32_t nextObjectIndex() { return objectCounter_++; }
  void restartObjectNumbering() {
    objectCounter_ = 1;
    classIndexByName_.clear();
    classNameByIndex_.clear();
  }
  // Classes already named in this list: name -> index (writing) and
  // index -> name (reading).
  std::map<std::string, std::uint32_t, std::less<>>& classIndexByName() { return classIndexByName_; }
  std::map<std::uint32_t, std::string>& classNameByIndex() { return classNameByIndex_; }

 private:
  Archive() = default;
  bool take(void* dest, std::size_t size);
  void put(const void* src, std::size_t size);
  void readText(std::string& value);

  bool storing_ = true;
  std::vector<std::uint8_t> out_;
  std::span<const std::uint8_t> in_;
  std::size_t pos_ = 0;
  std::string source_;
  std::string error_;
  std::uint32_t objectCounter_ = 1;
  std::map<std::string, std::uint32_t, std::less<>> classIndexByName_;
  std::map<std::uint32_t, std::string> classNameByIndex_;
};

}  // namespace kestrel
