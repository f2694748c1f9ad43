// Helpers shared by the microcircuit and electromechanical part tests: a case
// is one row of text, a record's settings as "KEYWORD=value" read through the
// class's keyword import and the values expected after Calculate, by name.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/field_spec.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"

namespace kestrel::test {

// Relative closeness for hand-worked values quoted to 6-7 significant digits.
inline ::testing::AssertionResult near(double actual, double expected, double relative = 1e-4) {
  const double tolerance = std::fabs(expected) * relative + 1e-12;
  if (std::isfinite(actual) && std::fabs(actual - expected) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

// Splits "A=1; B=x" into key/value pairs.
inline std::vector<std::pair<std::string, std::string>> pairsOf(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find(';', at);
    std::string_view item =
        text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? text.size() : end + 1;
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (item.empty()) continue;
    const std::size_t eq = item.find('=');
    out.emplace_back(std::string(item.substr(0, eq)), std::string(item.substr(eq + 1)));
  }
  return out;
}

inline bool numberOf(const std::string& text, double& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// A record, its header and its import log after `settings`: HYB=1 makes a
// hybrid record, ENV, TA and HASSMT set the header, every other key is a
// keyword the class imports (a number, a choice's index or its name).
struct Worked {
  std::unique_ptr<CPart> part;
  CCircHeader header;
  Log log;
  bool imported = false;
};

inline Worked imported(std::string_view cls, std::string_view settings, std::string_view dropped = "") {
  registerAllParts();
  Worked w;
  const PartType* type = findPartTypeByClass(cls);
  EXPECT_NE(type, nullptr) << cls;
  if (type == nullptr) return w;
  bool hybrid = false;
  w.header.ENV = 1;
  w.header.TEMP = 25.0f;
  ImportSetup s;
  int field = 3;
  for (const auto& [key, text] : pairsOf(settings)) {
    double number = 0.0;
    const bool isNumber = numberOf(text, number);
    if (key == "HYB") {
      hybrid = number != 0.0;
    } else if (key == "ENV") {
      w.header.ENV = static_cast<std::uint8_t>(number);
    } else if (key == "TA") {
      w.header.TEMP = static_cast<float>(number);
    } else if (key == "HASSMT") {
      w.header.HASSMT = static_cast<std::uint8_t>(number);
    } else {
      s.map(key, static_cast<float>(field++), isNumber ? Cell{number} : Cell{text});
    }
  }
  for (const auto& [keyword, unused] : pairsOf(dropped)) {
    std::erase_if(s.kwds, [&keyword](const CKwd& k) { return k.name == keyword; });
  }
  w.part = PartRegistry::instance().create(type->id, hybrid);
  w.imported = w.part->ImportFields(s.reader, false, true, w.header.TEMP);
  w.log = s.log;
  return w;
}

inline Worked calculated(std::string_view cls, std::string_view settings) {
  Worked w = imported(cls, settings);
  if (w.part != nullptr) w.part->Calculate(w.header);
  return w;
}

// A factor the record names, or one of FR, T, S, OVER (the over flags),
// SMT (the solder-joint step ran), SMTRISE, FRSMT, CF; NaN when unknown.
inline double valueOf(const CPart& p, std::string_view name) {
  for (const NamedFactor& f : p.factors()) {
    if (f.name == name) return f.value;
  }
  if (name == "FR") return p.FR;
  if (name == "T") return p.T;
  if (name == "S") return p.S;
  if (name == "OVER") return p.OverFlags;
  if (name == "SMT") return p.SmtCalcFlag;
  if (name == "SMTRISE") return p.SMT_TEMPRISE;
  if (name == "FRSMT") return p.FRSMT;
  if (name == "CF") return p.CF;
  return std::nan("");
}

// The value of the page field named by `keyword` (a choice as its index), NaN when none.
inline double fieldOf(CPart& part, std::string_view keyword) {
  struct Finder final : FieldVisitor {
    std::string_view keyword;
    double value = std::nan("");
    void text(const FieldSpec&, std::string&, bool) override {}
    void number(const FieldSpec& f, float& v, bool) override {
      if (f.keyword == keyword) value = v;
    }
    void choice(const FieldSpec& f, std::uint8_t& v, bool) override {
      if (f.keyword == keyword) value = v;
    }
    void flag(const FieldSpec& f, std::uint16_t& v, bool) override {
      if (f.keyword == keyword) value = v;
    }
  } finder;
  finder.keyword = keyword;
  part.identityPage(finder);
  part.limitsPage(finder);
  part.paramPage(finder);
  part.tempPage(finder);
  return finder.value;
}

// Checks each "NAME=value" of `expected` against the record (exact for the
// flags, within 1e-4 relative otherwise).
inline void expectValues(const CPart& p, std::string_view expected) {
  std::string items(expected);
  std::ranges::replace(items, ' ', ';');
  for (const auto& [name, text] : pairsOf(items)) {
    double want = 0.0;
    ASSERT_TRUE(numberOf(text, want)) << name << "=" << text;
    const double got = valueOf(p, name);
    if (name == "OVER" || name == "SMT") {
      EXPECT_EQ(got, want) << name;
    } else {
      EXPECT_TRUE(near(got, want)) << name;
    }
  }
}

// One hand-worked case: class, settings, values expected after Calculate.
struct Row {
  const char* cls;
  const char* settings;
  const char* expected;
};

inline void checkRows(std::span<const Row> rows) {
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.cls) + " " + r.settings);
    Worked w = calculated(r.cls, r.settings);
    if (w.part == nullptr) continue;
    EXPECT_TRUE(w.imported) << (w.log.empty() ? "" : w.log.back());
    expectValues(*w.part, r.expected);
  }
}

// An import rule: `settings` read with the keywords `dropped` ("A; B") missing
// from the definition succeeds (a keyword the record does not read) or fails.
struct ImportRow {
  const char* cls;
  const char* settings;
  const char* dropped;
  bool succeeds;
};

inline void checkImportRows(std::span<const ImportRow> rows) {
  for (const ImportRow& r : rows) {
    Worked w = imported(r.cls, r.settings, r.dropped);
    EXPECT_EQ(w.imported, r.succeeds) << r.cls << " " << r.settings << " without " << r.dropped;
  }
}

// A field as the import leaves it, and whether the import logged it.
struct FieldRow {
  const char* cls;
  const char* settings;
  const char* keyword;
  double value;
  bool logged;
};

inline double fieldOf(CPart& part, std::string_view keyword);
inline bool logged(const Log& log, std::string_view text);

inline void checkFieldRows(std::span<const FieldRow> rows) {
  for (const FieldRow& r : rows) {
    SCOPED_TRACE(std::string(r.cls) + " " + r.settings);
    Worked w = imported(r.cls, r.settings);
    EXPECT_TRUE(w.imported);
    EXPECT_DOUBLE_EQ(fieldOf(*w.part, r.keyword), r.value) << r.keyword;
    EXPECT_EQ(logged(w.log, "'" + std::string(r.keyword) + "'"), r.logged) << r.keyword;
  }
}

// The bytes a record writes after the base fields.
inline std::vector<std::uint8_t> ownBytes(CPart& part) {
  Archive whole = Archive::forWriting();
  part.Serialize(whole);
  Archive base = Archive::forWriting();
  part.CPart::Serialize(base);
  return {whole.bytes().begin() + static_cast<std::ptrdiff_t>(base.bytes().size()), whole.bytes().end()};
}

// The own bytes as hex, so a stored layout is one line of a table.
inline std::string ownHex(CPart& part) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const std::uint8_t b : ownBytes(part)) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// A record of `cls` whose page fields each hold their own value, calculated
// and filled again, so its stored bytes show every field and factor in place.
inline std::string layoutHex(std::string_view cls) {
  struct Filler final : FieldVisitor {
    int k = 0;
    void text(const FieldSpec&, std::string& v, bool) override { v = "T" + std::to_string(++k); }
    void number(const FieldSpec&, float& v, bool) override { v = 1.5f + 0.25f * static_cast<float>(++k); }
    void choice(const FieldSpec& f, std::uint8_t& v, bool) override {
      const std::size_t count = f.choices != nullptr ? f.choices->count() : 0;
      v = static_cast<std::uint8_t>(count > 1 ? 1 + (++k % (count - 1)) : 1);
    }
    void flag(const FieldSpec&, std::uint16_t& v, bool) override { v = static_cast<std::uint16_t>(++k & 1); }
  };
  registerAllParts();
  auto part = PartRegistry::instance().create(findPartTypeByClass(cls)->id, false);
  for (int pass = 0; pass < 2; ++pass) {
    Filler filler;
    part->paramPage(filler);
    part->tempPage(filler);
    if (pass == 0) {
      CCircHeader h;
      part->Calculate(h);
    }
  }
  return ownHex(*part);
}

inline bool logged(const Log& log, std::string_view text) {
  for (const std::string& line : log) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kestrel::test
