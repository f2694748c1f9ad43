// The document checksum would stop almost every mutated file at once, so the
// fuzz targets give inputs whose last byte is odd a fresh checksum (over all
// but their last 4 bytes) and let them reach the later checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/doc_file.hpp"

inline std::vector<std::uint8_t> fuzzBytesWithChecksum(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() > 4 && (bytes.back() & 1) != 0) {
    bytes.resize(bytes.size() - 4);
    kestrel::appendChecksum(bytes);
  }
  return bytes;
}
