// Helpers shared by the electromechanical and interconnect part tests:
// closeness to hand-worked values, a header, a field recorder for the
// editing pages, and the byte layout of a record's own fields.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/field_spec.hpp"
#include "core/part.hpp"
#include "core/part_archive.hpp"

namespace kestrel::test {

// Relative closeness for hand-worked values quoted to 6-7 significant digits.
inline ::testing::AssertionResult near(double actual, double expected, double relative = 1e-4) {
  const double tolerance = std::fabs(expected) * relative + 1e-12;
  if (std::isfinite(actual) && std::fabs(actual - expected) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

inline CCircHeader header(std::uint8_t env, float ambient) {
  CCircHeader h;
  h.ENV = env;
  h.TEMP = ambient;
  return h;
}

// A circuit header with surface-mount analysis on.
inline CCircHeader smtHeader(std::uint8_t env, float ambient) {
  CCircHeader h = header(env, ambient);
  h.HASSMT = 1;
  return h;
}

struct SeenField {
  std::string keyword;
  bool applies;
  double hi;
  std::size_t choiceCount;  // entries of the list a choice field offers
};

// Records the fields a page visits, in order.
class RecordingVisitor final : public FieldVisitor {
 public:
  void text(const FieldSpec& field, std::string&, bool applies) override { add(field, applies); }
  void number(const FieldSpec& field, float&, bool applies) override { add(field, applies); }
  void choice(const FieldSpec& field, std::uint8_t&, bool applies) override { add(field, applies); }
  void flag(const FieldSpec& field, std::uint16_t&, bool applies) override { add(field, applies); }
  std::vector<SeenField> seen;

  std::vector<std::string> keywords() const {
    std::vector<std::string> out;
    for (const SeenField& f : seen) out.push_back(f.keyword);
    return out;
  }
  const SeenField* find(const std::string& keyword) const {
    for (const SeenField& f : seen) {
      if (f.keyword == keyword) return &f;
    }
    return nullptr;
  }

 private:
  void add(const FieldSpec& field, bool applies) {
    seen.push_back({std::string(field.keyword), applies, field.hi, field.choices ? field.choices->count() : 0});
  }
};

// The bytes a record writes after the base fields.
inline std::vector<std::uint8_t> ownBytes(CPart& part) {
  Archive whole = Archive::forWriting();
  part.Serialize(whole);
  Archive base = Archive::forWriting();
  part.CPart::Serialize(base);
  return {whole.bytes().begin() + static_cast<std::ptrdiff_t>(base.bytes().size()), whole.bytes().end()};
}

// Reads a little-endian 32-bit float out of a byte buffer.
inline float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Writes a record as a file object and reads it back (the class must be registered).
inline std::unique_ptr<CPart> roundTrip(const CPart& part) {
  Archive out = Archive::forWriting();
  writePartObject(out, part);
  EXPECT_TRUE(out.ok());
  Archive in = Archive::forReading(out.bytes(), "part");
  auto back = readPartObject(in);
  EXPECT_TRUE(in.ok()) << in.error();
  EXPECT_EQ(in.remaining(), 0u);
  return back;
}

// The four text lines of a record, with a prefix.
struct Lines {
  std::string detail1, detail2, factors1, factors2;
};

inline Lines linesOf(const CPart& part, const std::string& prefix = "") {
  Lines l;
  part.FormatDetail(l.detail1, l.detail2, prefix);
  part.FormatFactors(l.factors1, l.factors2, prefix);
  return l;
}

}  // namespace kestrel::test
