// Packing, checking and unpacking of data records.
#include "store/record_codec.hpp"

#include <cstring>

#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

bool emptyValue(const DataField& f) {
  const auto* p = static_cast<const std::uint8_t*>(f.value);
  switch (f.type) {
    case 'S': return p[0] == 0;
    case 'B': return f.size == 0;
    case 'D': return loadNative<double>(p) == 0.0;
    case 'F': return loadNative<float>(p) == 0.0f;
    case 'I': case 'L': return loadNative<std::int32_t>(p) == 0;
    case 'H': case 'U': return loadNative<std::uint16_t>(p) == 0;
    case 'M': {
      static const std::uint8_t zero[6] = {};
      return std::memcmp(p, zero, 6) == 0;
    }
    default: return false;
  }
}

}  // namespace

std::uint16_t recordChecksum(std::span<const std::uint8_t> bytes, bool signedBytes) {
  // Each byte is doubled once per byte after it, so in 16 bits a byte more
  // than 15 places from the end adds nothing: summing only the last 16
  // bytes gives exactly the same value.
  if (bytes.size() > 16) bytes = bytes.last(16);
  std::uint16_t s = 0;
  for (std::uint8_t b : bytes) {
    const int v = signedBytes ? static_cast<std::int8_t>(b) : b;
    s = static_cast<std::uint16_t>((s + v) * 2);
  }
  return s;
}

int packRecord(std::span<const DataField> fields, const ByteOrder& o, std::uint8_t flag,
               std::vector<std::uint8_t>& out, std::size_t limit) {
  out.assign(kRecordHeader, 0);
  out[4] = flag;
  std::uint8_t b[8];
  auto put = [&](const void* p, std::size_t n) {
    const auto* q = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), q, q + n);
  };
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const DataField& f = fields[i];
    if (f.index == 0 && emptyValue(f)) continue;
    o.put16(b, static_cast<std::uint16_t>(i));
    put(b, 2);
    const auto* p = static_cast<const std::uint8_t*>(f.value);
    switch (f.type) {
      case 'S': put(p, std::strlen(static_cast<const char*>(f.value)) + 1); break;
      case 'B':
        o.put16(b, f.size);
        put(b, 2);
        if (f.size > 0) put(p, f.size);
        break;
      case 'D': o.put64(b, loadNative<std::uint64_t>(p)); put(b, 8); break;
      case 'F': case 'I': case 'L': o.put32(b, loadNative<std::uint32_t>(p)); put(b, 4); break;
      case 'H': case 'U': o.put16(b, loadNative<std::uint16_t>(p)); put(b, 2); break;
      case 'M': put(p, 6); break;
      default: break;  // X: the number only
    }
  }
  out.push_back(0xFF);
  out.push_back(0xFF);
  if (out.size() > limit) return kBufferOverflow;
  o.put16(&out[0], dataListChecksum(fields));
  o.put16(&out[2], recordChecksum({out.data() + 4, out.size() - 4}, true));
  return kOk;
}

int parseRecord(std::span<const std::uint8_t> rec, std::span<const DataField> fields, const ByteOrder& o,
                bool checkDataList, std::vector<FieldValue>& values) {
  values.assign(fields.size(), FieldValue{});
  if (rec.size() < static_cast<std::size_t>(kRecordHeader + 2)) return kIncompleteRecord;
  const std::uint16_t stored = o.get16(&rec[2]);
  const auto body = rec.subspan(4);
  if (stored != recordChecksum(body, true) && stored != recordChecksum(body, false)) return kRecordChecksum;
  // That checksum sees only the record's last bytes: what follows checks the rest.
  if (checkDataList && o.get16(&rec[0]) != dataListChecksum(fields)) return kDataListChecksum;
  std::size_t pos = kRecordHeader;
  long last = -1;
  for (;;) {
    if (pos + 2 > rec.size()) return kIncompleteRecord;
    const std::uint16_t fn = o.get16(&rec[pos]);
    pos += 2;
    if (fn == kEndMark) break;
    if (static_cast<long>(fn) <= last || fn >= fields.size()) return kDataListChecksum;
    last = fn;
    const DataField& f = fields[fn];
    FieldValue& v = values[fn];
    v.present = true;
    const std::size_t left = rec.size() - pos;
    const std::uint8_t* p = &rec[pos];
    std::size_t used = 0;
    switch (f.type) {
      case 'S': {
        const void* z = std::memchr(p, 0, left);
        if (z == nullptr) return kIncompleteRecord;
        used = static_cast<std::size_t>(static_cast<const std::uint8_t*>(z) - p) + 1;
        if (used > f.length) return kDataRecordError;
        v.bytes = {p, used - 1};
        break;
      }
      case 'B': {
        if (left < 2) return kIncompleteRecord;
        const std::size_t n = o.get16(p);
        if (n > f.length) return kDataRecordError;
        if (left < 2 + n) return kIncompleteRecord;
        v.bytes = {p + 2, n};
        used = 2 + n;
        break;
      }
      case 'X': break;
      default: {
        used = static_cast<std::size_t>(fixedFieldWidth(f.type));
        if (left < used) return kIncompleteRecord;
        switch (f.type) {
          case 'D': v.real = o.getDouble(p); v.integer = static_cast<std::int64_t>(o.get64(p)); v.isReal = true; break;
          case 'F': v.real = o.getFloat(p); v.integer = o.get32(p); v.isReal = true; break;
          case 'I': case 'L': v.integer = o.geti32(p); break;
          case 'H': v.integer = static_cast<std::int16_t>(o.get16(p)); break;
          case 'U': v.integer = o.get16(p); break;
          default: v.bytes = {p, 6}; break;  // M
        }
      }
    }
    pos += used;
  }
  if (pos != rec.size()) return kIncompleteRecord;
  return kOk;
}

void storeValues(std::span<DataField> fields, const std::vector<FieldValue>& values) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    DataField& f = fields[i];
    const FieldValue& v = values[i];
    auto* p = static_cast<std::uint8_t*>(f.value);
    switch (f.type) {
      case 'S':
        std::memset(p, 0, f.length);
        if (v.present) std::memcpy(p, v.bytes.data(), v.bytes.size());
        break;
      case 'B':
        f.size = v.present ? static_cast<std::uint16_t>(v.bytes.size()) : 0;
        if (v.present && !v.bytes.empty()) std::memcpy(p, v.bytes.data(), v.bytes.size());
        break;
      // Floats go back bit for bit, NaN payloads and zero signs included.
      case 'D': storeNative<std::uint64_t>(p, v.present ? static_cast<std::uint64_t>(v.integer) : 0); break;
      case 'F': storeNative<std::uint32_t>(p, v.present ? static_cast<std::uint32_t>(v.integer) : 0); break;
      case 'I': case 'L': storeNative<std::int32_t>(p, v.present ? static_cast<std::int32_t>(v.integer) : 0); break;
      case 'H': storeNative<std::int16_t>(p, v.present ? static_cast<std::int16_t>(v.integer) : 0); break;
      case 'U': storeNative<std::uint16_t>(p, v.present ? static_cast<std::uint16_t>(v.integer) : 0); break;
      case 'M':
        if (v.present) {
          std::memcpy(p, v.bytes.data(), 6);
        } else {
          std::memset(p, 0, 6);
        }
        break;
      default: break;
    }
  }
}

}  // namespace kestrel::store
