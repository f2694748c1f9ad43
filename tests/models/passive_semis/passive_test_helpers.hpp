// Helpers shared by the capacitor, potentiometer and inductive device tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/field_spec.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part.hpp"

namespace kestrel::passive_test {

inline constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// Relative closeness for hand-worked values quoted to 6-7 significant digits.
inline ::testing::AssertionResult near(double actual, double expected, double relative = 1e-4) {
  const double tolerance = std::fabs(expected) * relative + 1e-15;
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

// Bytes the class's own fields add to the base record.
inline std::vector<std::uint8_t> ownFieldBytes(CPart& part) {
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

inline void dropKeyword(test::ImportSetup& s, std::string_view keyword) {
  std::erase_if(s.kwds, [keyword](const CKwd& k) { return k.name == keyword; });
}

inline bool logged(const test::Log& log, std::string_view text) {
  for (const std::string& line : log) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

struct SeenField {
  std::string keyword;
  bool applies;
  double hi;
  std::size_t choiceCount;
};

// Records the fields a page visits, in order.
class RecordingVisitor final : public FieldVisitor {
 public:
  void text(const FieldSpec& spec, std::string&, bool applies) override { add(spec, applies); }
  void number(const FieldSpec& spec, float&, bool applies) override { add(spec, applies); }
  void choice(const FieldSpec& spec, std::uint8_t&, bool applies) override { add(spec, applies); }
  void flag(const FieldSpec& spec, std::uint16_t&, bool applies) override { add(spec, applies); }
  std::vector<SeenField> seen;

  std::vector<std::string> keywords() const {
    std::vector<std::string> out;
    for (const SeenField& f : seen) out.push_back(f.keyword);
    return out;
  }

 private:
  void add(const FieldSpec& spec, bool applies) {
    seen.push_back({std::string(spec.keyword), applies, spec.hi,
                    spec.choices != nullptr ? spec.choices->count() : 0});
  }
};

// Every detail and factor line of a record, for the width checks.
inline std::vector<std::string> allLines(const CPart& part, std::string_view prefix) {
  std::string lines[4];
  part.FormatDetail(lines[0], lines[1], prefix);
  part.FormatFactors(lines[2], lines[3], prefix);
  return {lines[0], lines[1], lines[2], lines[3]};
}

}  // namespace kestrel::passive_test
