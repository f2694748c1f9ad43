// Byte order of a store file: every multi-byte number of the header, the node
// headers, entry numbers, numeric key parts and packed record fields is read
// and written through one ByteOrder, little-endian or big-endian as the file
// says.
#pragma once

#include <cstdint>
#include <cstring>

namespace kestrel::store {

struct ByteOrder {
  bool big = false;

  std::uint16_t get16(const std::uint8_t* p) const {
    return big ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
  }
  std::uint32_t get32(const std::uint8_t* p) const {
    return big ? (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3])
               : (std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
  }
  std::uint64_t get64(const std::uint8_t* p) const {
    const std::uint64_t a = get32(p), b = get32(p + 4);
    return big ? (a << 32 | b) : (b << 32 | a);
  }
  std::int32_t geti32(const std::uint8_t* p) const { return static_cast<std::int32_t>(get32(p)); }

  void put16(std::uint8_t* p, std::uint16_t v) const {
    if (big) {
      p[0] = static_cast<std::uint8_t>(v >> 8);
      p[1] = static_cast<std::uint8_t>(v);
    } else {
      p[0] = static_cast<std::uint8_t>(v);
      p[1] = static_cast<std::uint8_t>(v >> 8);
    }
  }
  void put32(std::uint8_t* p, std::uint32_t v) const {
    if (big) {
      put16(p, static_cast<std::uint16_t>(v >> 16));
      put16(p + 2, static_cast<std::uint16_t>(v));
    } else {
      put16(p, static_cast<std::uint16_t>(v));
      put16(p + 2, static_cast<std::uint16_t>(v >> 16));
    }
  }
  void put64(std::uint8_t* p, std::uint64_t v) const {
    if (big) {
      put32(p, static_cast<std::uint32_t>(v >> 32));
      put32(p + 4, static_cast<std::uint32_t>(v));
    } else {
      put32(p, static_cast<std::uint32_t>(v));
      put32(p + 4, static_cast<std::uint32_t>(v >> 32));
    }
  }
  void puti32(std::uint8_t* p, std::int32_t v) const { put32(p, static_cast<std::uint32_t>(v)); }

  float getFloat(const std::uint8_t* p) const {
    const std::uint32_t bits = get32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  double getDouble(const std::uint8_t* p) const {
    const std::uint64_t bits = get64(p);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
  }
};

// Native-order loads and stores of the caller's variables.
template <typename T>
T loadNative(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <typename T>
void storeNative(void* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

}  // namespace kestrel::store
