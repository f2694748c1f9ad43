// Stored key lengths and key comparison for every key type.
#include "store/keys.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrel::store {
namespace {

int bytewise(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const std::size_t n = std::min(a.size(), b.size());
  const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// The characters of a zero-terminated key, without the terminator. Every key
// the store compares ends at its first zero (stored keys are cut there by
// storedKeyLength, keys of callers are checked the same way), so a key
// ending in zero is taken as it is.
std::span<const std::uint8_t> stringPart(std::span<const std::uint8_t> k) {
  if (!k.empty() && k.back() == 0) return k.first(k.size() - 1);
  const void* z = k.empty() ? nullptr : std::memchr(k.data(), 0, k.size());
  return z ? k.first(static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - k.data())) : k;
}

int folded(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<std::uint8_t>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<std::uint8_t>(y + 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// The bytes after a length byte, as many as it says and the key holds.
std::span<const std::uint8_t> prefixedPart(std::span<const std::uint8_t> k) {
  if (k.empty()) return k;
  return k.subspan(1, std::min<std::size_t>(k[0], k.size() - 1));
}

template <typename T>
int ordered(T x, T y) {
  return x < y ? -1 : (y < x ? 1 : 0);
}

template <typename T>
int orderedFloat(T x, T y) {
  const bool nx = std::isnan(x), ny = std::isnan(y);
  if (nx || ny) return nx == ny ? 0 : (nx ? 1 : -1);
  return ordered(x, y);
}

int compound(const ByteOrder& order, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
             const SegmentList* segments) {
  std::span<const std::uint8_t> ra = prefixedPart(a), rb = prefixedPart(b);
  if (segments == nullptr || segments->empty()) return bytewise(ra, rb);
  for (const SegmentDef& s : *segments) {
    const int la = storedKeyLength(s.type, ra), lb = storedKeyLength(s.type, rb);
    if (la < 0 || lb < 0 || s.type == 8) break;  // a part key: what is left decides
    int c = compareTyped(s.type, order, ra.first(static_cast<std::size_t>(la)), rb.first(static_cast<std::size_t>(lb)),
                         nullptr);
    if (s.descending) c = -c;
    if (c != 0) return c;
    ra = ra.subspan(static_cast<std::size_t>(la));
    rb = rb.subspan(static_cast<std::size_t>(lb));
  }
  return bytewise(ra, rb);
}

}  // namespace

bool validKeyType(int type) { return type >= 0 && type <= 20 && !(type >= 11 && type <= 15); }

int fixedKeyWidth(int type) {
  switch (type) {
    case 3: case 5: case 6: return 4;
    case 4: case 10: return 2;
    case 7: return 8;
    case 9: return 6;
    default: return 0;
  }
}

int storedKeyLength(int type, std::span<const std::uint8_t> bytes) {
  switch (type) {
    case 0:
    case 1: {
      if (!bytes.empty() && bytes[0] == 0) return 1;
      const void* z = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
      if (z == nullptr) return -1;
      return static_cast<int>(static_cast<const std::uint8_t*>(z) - bytes.data()) + 1;
    }
    case 2: case 8: case 16: case 17: case 18: case 19: case 20:
      if (bytes.empty() || static_cast<std::size_t>(bytes[0]) + 1 > bytes.size()) return -1;
      return bytes[0] + 1;
    default: {
      const int w = fixedKeyWidth(type);
      if (w == 0 || bytes.size() < static_cast<std::size_t>(w)) return -1;
      return w;
    }
  }
}

int compareTyped(int type, const ByteOrder& o, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                 const SegmentList* segments) {
  const int w = fixedKeyWidth(type);
  if (w != 0 && (a.size() < static_cast<std::size_t>(w) || b.size() < static_cast<std::size_t>(w))) {
    return bytewise(a, b);  // a damaged or partial key: keep a total order
  }
  switch (type) {
    case 0: return bytewise(stringPart(a), stringPart(b));
    case 1: return folded(stringPart(a), stringPart(b));
    case 3:
    case 5: return ordered(o.geti32(a.data()), o.geti32(b.data()));
    case 4:
      return ordered(static_cast<std::int16_t>(o.get16(a.data())), static_cast<std::int16_t>(o.get16(b.data())));
    case 6: return orderedFloat(o.getFloat(a.data()), o.getFloat(b.data()));
    case 7: return orderedFloat(o.getDouble(a.data()), o.getDouble(b.data()));
    case 8: return compound(o, a, b, segments);
    case 9: return bytewise(a.first(6), b.first(6));
    case 10: return ordered(o.get16(a.data()), o.get16(b.data()));
    default: return bytewise(prefixedPart(a), prefixedPart(b));
  }
}

}  // namespace kestrel::store
