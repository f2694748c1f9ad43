#include "core/archive.hpp"

#include <bit>
#include <cstring>

namespace kestrel {

static_assert(std::endian::native == std::endian::little,
              "the archive writes the host's bytes and assumes a little-endian host");

Archive Archive::forWriting() {
  Archive ar;
  ar.storing_ = true;
  return ar;
}

Archive Archive::forReading(std::span<const std::uint8_t> bytes, std::string source) {
  Archive ar;
  ar.storing_ = false;
  ar.in_ = bytes;
  ar.source_ = std::move(source);
  return ar;
}

void Archive::fail(std::string message) {
  if (error_.empty()) error_ = message.empty() ? "archive error" : std::move(message);
}

bool Archive::take(void* dest, std::size_t size) {
  if (!ok()) {
    std::memset(dest, 0, size);
    return false;
  }
  if (size > remaining()) {
    std::memset(dest, 0, size);
    fail("unexpected end of data at byte " + std::to_string(pos_));
    return false;
  }
  std::memcpy(dest, in_.data() + pos_, size);
  pos_ += size;
  return true;
}

void Archive::put(const void* src, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(src);
  out_.insert(out_.end(), p, p + size);
}

void Archive::io(std::uint8_t& value) { storing_ ? put(&value, 1) : void(take(&value, 1)); }
void Archive::io(std::uint16_t& value) { storing_ ? put(&value, 2) : void(take(&value, 2)); }
void Archive::io(std::uint32_t& value) { storing_ ? put(&value, 4) : void(take(&value, 4)); }
void Archive::io(float& value) { storing_ ? put(&value, 4) : void(take(&value, 4)); }
void Archive::io(double& value) { storing_ ? put(&value, 8) : void(take(&value, 8)); }

void Archive::io(std::string& value) {
  if (!storing_) {
    readText(value);
    return;
  }
  const std::size_t n = value.size();
  if (n < 0xFF) {
    std::uint8_t len = static_cast<std::uint8_t>(n);
    io(len);
  } else if (n < 0xFFFE) {
    std::uint8_t mark = 0xFF;
    std::uint16_t len = static_cast<std::uint16_t>(n);
    io(mark);
    io(len);
  } else {
    std::uint8_t mark = 0xFF;
    std::uint16_t escape = 0xFFFF;
    std::uint32_t len = static_cast<std::uint32_t>(n);
    io(mark);
    io(escape);
    io(len);
  }
  put(value.data(), n);
}

void Archive::readText(std::string& value) {
  value.clear();
  // Reads one length prefix; `wide` tells whether the 0xFFFE marker came.
  auto readLength = [this](bool& wide) -> std::uint32_t {
    wide = false;
    std::uint8_t b = 0;
    take(&b, 1);
    if (b < 0xFF) return b;
    std::uint16_t w = 0;
    take(&w, 2);
    if (w == 0xFFFE) {
      wide = true;
      return 0;
    }
    if (w < 0xFFFF) return w;
    std::uint32_t d = 0;
    take(&d, 4);
    return d;
  };

  bool wide = false;
  std::uint32_t length = readLength(wide);
  if (wide) {
    bool again = false;
    length = readLength(again);
    if (again) {
      fail("bad text length at byte " + std::to_string(pos_));
      return;
    }
    if (!ok()) return;
    if (length > remaining() / 2) {
      fail("text length " + std::to_string(length) + " runs past the end of data");
      return;
    }
    value.reserve(length);
    for (std::uint32_t i = 0; i < length; ++i) {
      std::uint16_t unit = 0;
      take(&unit, 2);
      value.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
    return;
  }
  if (!ok()) return;
  if (length > remaining()) {
    fail("text length " + std::to_string(length) + " runs past the end of data");
    return;
  }
  value.assign(reinterpret_cast<const char*>(in_.data() + pos_), length);
  pos_ += length;
}

}  // namespace kestrel
