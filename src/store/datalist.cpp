// DataList checks, checksum, current values and key building.
#include "store/datalist.hpp"

#include <algorithm>
#include <cstring>

#include "store/coding.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

bool knownType(char t) {
  switch (t) {
    case 'S': case 'B': case 'D': case 'F': case 'I': case 'L': case 'H': case 'U': case 'M': case 'X':
      return true;
    default:
      return false;
  }
}

bool numericType(char t) {
  return t == 'D' || t == 'F' || t == 'I' || t == 'L' || t == 'H' || t == 'U';
}

bool prefixedKey(int kt) { return kt == 2 || (kt >= 16 && kt <= 20); }

// Appends `v` in key type `kt`; `maxLength` limits strings (with the
// terminator) and length-prefixed bytes. false when the type cannot be made.
bool appendKeyPart(int kt, const FieldValue& v, char fieldType, std::size_t maxLength, const ByteOrder& o,
                   std::vector<std::uint8_t>& out) {
  if (!keyTypeFits(fieldType, kt)) return false;
  std::uint8_t b[8];
  switch (kt) {
    case 0:
    case 1: {
      const std::size_t n = std::min(v.bytes.size(), maxLength - 1);
      out.insert(out.end(), v.bytes.begin(), v.bytes.begin() + static_cast<std::ptrdiff_t>(n));
      out.push_back(0);
      return true;
    }
    case 9: {
      std::uint8_t six[6] = {};
      std::memcpy(six, v.bytes.data(), std::min<std::size_t>(6, v.bytes.size()));
      out.insert(out.end(), six, six + 6);
      return true;
    }
    case 3:
    case 5:
      o.puti32(b, v.isReal ? static_cast<std::int32_t>(v.real) : static_cast<std::int32_t>(v.integer));
      out.insert(out.end(), b, b + 4);
      return true;
    case 4:
    case 10: {
      const std::int64_t i = v.isReal ? static_cast<std::int64_t>(v.real) : v.integer;
      o.put16(b, static_cast<std::uint16_t>(i));
      out.insert(out.end(), b, b + 2);
      return true;
    }
    case 6: {
      const float f = static_cast<float>(v.isReal ? v.real : static_cast<double>(v.integer));
      std::uint32_t bits;
      std::memcpy(&bits, &f, 4);
      o.put32(b, bits);
      out.insert(out.end(), b, b + 4);
      return true;
    }
    case 7: {
      const double d = v.isReal ? v.real : static_cast<double>(v.integer);
      std::uint64_t bits;
      std::memcpy(&bits, &d, 8);
      o.put64(b, bits);
      out.insert(out.end(), b, b + 8);
      return true;
    }
    default:
      if (!prefixedKey(kt)) return false;
      {
        const std::size_t n = std::min(std::min(v.bytes.size(), maxLength - 1), std::size_t{241});
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), v.bytes.begin(), v.bytes.begin() + static_cast<std::ptrdiff_t>(n));
      }
      return true;
  }
}

}  // namespace

int fixedFieldWidth(char type) {
  switch (type) {
    case 'D': return 8;
    case 'F': case 'I': case 'L': return 4;
    case 'H': case 'U': return 2;
    case 'M': return 6;
    default: return 0;
  }
}

bool keyTypeFits(char fieldType, int kt) {
  switch (fieldType) {
    case 'S': return kt == 0 || kt == 1 || prefixedKey(kt);
    case 'B': case 'M': return kt == 9 || prefixedKey(kt);
    case 'X': return kt == 8;
    default:
      return numericType(fieldType) && (kt == 3 || kt == 4 || kt == 5 || kt == 6 || kt == 7 || kt == 10);
  }
}

int dataListFieldCount(std::span<const DataField> list) {
  for (std::size_t i = 0; i < list.size() && i <= static_cast<std::size_t>(kMaxFields); ++i) {
    if (list[i].type == 'E') return static_cast<int>(i);
  }
  return kDataListError;
}

std::uint16_t dataListChecksum(std::span<const DataField> fields) {
  // Computed exactly as files expect it, though each step doubles the sum
  // and only the last fields count: records are checked by parsing as well.
  std::uint16_t s = 0;
  auto add = [&](std::uint8_t byte) { s = static_cast<std::uint16_t>(s + static_cast<std::int8_t>(byte)); };
  for (const DataField& f : fields) {
    add(static_cast<std::uint8_t>(f.type));
    s = static_cast<std::uint16_t>(s * 2);
    add(f.keyType);
    s = static_cast<std::uint16_t>(s * 2);
    add(static_cast<std::uint8_t>(f.dup));
    s = static_cast<std::uint16_t>(s * 2);
    add(f.index);
    s = static_cast<std::uint16_t>(s * 2);
  }
  return s;
}

int validateDataList(std::span<const DataField> fields, const FileHeader& h, const KeyContext& kc) {
  bool used[kMaxCallerIndex + 1] = {};
  for (const DataField& f : fields) {
    if (!knownType(f.type)) return kFieldTypeError;
    if (f.index > kMaxCallerIndex) return kIndexNumberError;
    if (f.index == 0) {
      if (f.type == 'X') return kIndexNumberError;
      if (f.keyType != kNoKey) return kKeyTypeError;
      if (f.dup != 'N') return kDupFlagError;
    } else {
      if (used[f.index]) return kIndexNumberError;
      used[f.index] = true;
      if (!validKeyType(f.keyType) || f.keyType != h.keyTypeOf(f.index) || !keyTypeFits(f.type, f.keyType)) {
        return kKeyTypeError;
      }
      if (f.dup != 'U' && f.dup != 'D') return kDupFlagError;
    }
    if (f.length > kMaxFieldLength || (f.index != 0 && f.length >= kMaxKeyLength)) return kFieldLengthError;
    const int width = fixedFieldWidth(f.type);
    if (width != 0 && f.length != width) return kFieldLengthError;
    if (f.type == 'S' && f.length == 0) return kFieldLengthError;
    if (f.type == 'B' && f.size > f.length) return kFieldLengthError;
    if (f.type != 'X' && f.value == nullptr && !(f.type == 'B' && f.length == 0)) return kDataListError;
    if (f.type == 'S' && std::memchr(f.value, 0, f.length) == nullptr) return kStringLengthError;
    if (f.type == 'X') {
      const SegmentList& segs = kc.segments[f.index];
      if (segs.empty() || segs.size() > static_cast<std::size_t>(kMaxSegments)) return kSegmentListError;
      for (const SegmentDef& s : segs) {
        if (s.field < 0 || static_cast<std::size_t>(s.field) >= fields.size()) return kSegmentListError;
        const char ft = fields[static_cast<std::size_t>(s.field)].type;
        if (ft == 'X' || s.type == 8 || !validKeyType(s.type) || !keyTypeFits(ft, s.type)) return kSegmentListError;
      }
    }
  }
  return kOk;
}

void currentValues(std::span<const DataField> fields, std::vector<FieldValue>& out) {
  out.assign(fields.size(), FieldValue{});
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const DataField& f = fields[i];
    FieldValue& v = out[i];
    const auto* p = static_cast<const std::uint8_t*>(f.value);
    v.present = true;
    switch (f.type) {
      case 'S': v.bytes = {p, std::strlen(static_cast<const char*>(f.value))}; break;
      case 'B': v.bytes = {p, f.size}; break;
      case 'M': v.bytes = {p, 6}; break;
      case 'D': v.real = loadNative<double>(p); v.isReal = true; break;
      case 'F': v.real = loadNative<float>(p); v.isReal = true; break;
      case 'I': case 'L': v.integer = loadNative<std::int32_t>(p); break;
      case 'H': v.integer = loadNative<std::int16_t>(p); break;
      case 'U': v.integer = loadNative<std::uint16_t>(p); break;
      default: v.present = false; break;
    }
  }
}

int buildFieldKey(std::span<const DataField> fields, int f, const std::vector<FieldValue>& values,
                  const KeyContext& kc, std::vector<std::uint8_t>& key) {
  key.clear();
  if (f < 0 || static_cast<std::size_t>(f) >= fields.size() || values.size() != fields.size()) return kParameterError;
  const DataField& d = fields[static_cast<std::size_t>(f)];
  if (d.index == 0) return kIndexNumberError;
  if (d.type != 'X') {
    const std::size_t limit = d.type == 'S' ? d.length : kMaxKeyLength - 1;
    if (!appendKeyPart(d.keyType, values[static_cast<std::size_t>(f)], d.type, limit, kc.order, key)) {
      return kKeyTypeError;
    }
    return kOk;
  }
  key.push_back(0);
  for (const SegmentDef& s : kc.segments[d.index]) {
    if (s.field < 0 || static_cast<std::size_t>(s.field) >= fields.size()) return kSegmentListError;
    const std::size_t maxLength = s.maxLength == 0 ? kMaxKeyLength - 1 : s.maxLength;
    if (maxLength < 1) return kSegmentListError;
    if (!appendKeyPart(s.type, values[static_cast<std::size_t>(s.field)], fields[static_cast<std::size_t>(s.field)].type,
                       maxLength, kc.order, key)) {
      return kSegmentListError;
    }
    if (key.size() - 1 >= static_cast<std::size_t>(kMaxKeyLength - 1)) return kStringLengthError;
  }
  key[0] = static_cast<std::uint8_t>(key.size() - 1);
  return kOk;
}

}  // namespace kestrel::store
