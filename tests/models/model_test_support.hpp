// Helpers of the part-class tests: a record set up from "KEYWORD=value"
// settings read through the class's own keyword import, calculated, and read
// back by name (factors, page fields, the bytes it stores); a hand-worked case
// is one row of text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/field_spec.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"

namespace kestrel::test {

// Relative closeness for hand-worked values quoted to 5-7 significant digits.
inline ::testing::AssertionResult near(double actual, double expected, double relative = 1e-4) {
  const double tolerance = std::fabs(expected) * relative + 1e-15;
  if (std::isfinite(actual) && std::fabs(actual - expected) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

inline CCircHeader header(std::uint8_t env, float ambient) {
  CCircHeader h;
  h.ENV = env;
  h.TEMP = ambient;
  return h;
}

using Settings = std::vector<std::pair<std::string, std::string>>;

// Splits "A=1; B=2.5 C=x" (items apart at semicolons or blanks) into pairs.
inline Settings settingsOf(std::string_view text) {
  Settings out;
  std::string item;
  const auto flush = [&] {
    if (item.empty()) return;
    const auto eq = item.find('=');
    out.emplace_back(item.substr(0, eq), eq == std::string::npos ? "" : item.substr(eq + 1));
    item.clear();
  };
  for (const char c : text) {
    if (c == ';' || std::isspace(static_cast<unsigned char>(c))) flush();
    else item += c;
  }
  flush();
  return out;
}

inline bool logged(const Log& log, std::string_view text) {
  return std::ranges::any_of(log, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// Visits every field of a record's pages: fn(field, keyword or label, value).
template <typename Fn>
void eachField(CPart& part, Fn fn) {
  struct Visitor final : FieldVisitor {
    Fn& fn;
    explicit Visitor(Fn& f) : fn(f) {}
    void text(const FieldSpec&, std::string&, bool) override {}
    void number(const FieldSpec& f, float& v, bool) override { fn(f, name(f), v); }
    void choice(const FieldSpec& f, std::uint8_t& v, bool) override { fn(f, name(f), v); }
    void flag(const FieldSpec& f, std::uint16_t& v, bool) override { fn(f, name(f), v); }
    static std::string_view name(const FieldSpec& f) { return f.keyword.empty() ? f.label : f.keyword; }
  } visitor(fn);
  part.identityPage(visitor);
  part.limitsPage(visitor);
  part.paramPage(visitor);
  part.tempPage(visitor);
  part.smtPage(visitor);
}

// Sets page fields as a file would store them (no range check); every name must be a field.
inline void setFields(CPart& part, const Settings& values) {
  std::vector<std::string> done;
  eachField(part, [&](const FieldSpec&, std::string_view name, auto& value) {
    for (const auto& [k, v] : values) {
      if (k != name) continue;
      value = static_cast<std::remove_reference_t<decltype(value)>>(std::strtod(v.c_str(), nullptr));
      done.push_back(k);
    }
  });
  for (const auto& [k, v] : values) EXPECT_TRUE(std::ranges::count(done, k) > 0) << k << " is no field";
}

// The value of the page field named `keyword` (a choice as its index), NaN when none.
inline double fieldOf(CPart& part, std::string_view keyword) {
  double out = std::nan("");
  eachField(part, [&](const FieldSpec&, std::string_view name, auto& value) {
    if (name == keyword) out = value;
  });
  return out;
}

inline std::unique_ptr<CPart> created(std::string_view cls, bool hybrid = false) {
  registerAllParts();
  const PartType* type = findPartTypeByClass(cls);
  EXPECT_NE(type, nullptr) << cls;
  return type != nullptr ? PartRegistry::instance().create(type->id, hybrid) : nullptr;
}

// Checks each "KEYWORD=value" of `expected` against the record's page fields.
inline void expectFields(CPart& part, std::string_view expected) {
  for (const auto& [keyword, text] : settingsOf(expected)) {
    EXPECT_TRUE(near(fieldOf(part, keyword), std::stod(text), 1e-6)) << keyword;
  }
}

// A record after `settings`: HYB=1 makes a hybrid record; ENV, TA and HASSMT
// set the header (TA is also the import's ambient); "K=!" drops K from the
// definition and "K=-" maps it to an empty cell; "^K=v" sets a field before
// the import and "@K=v" after it, as a stored record would hold it; every
// other K is a keyword the class imports (a number, a choice's index or name).
struct Worked {
  std::unique_ptr<CPart> part;
  CCircHeader header = test::header(1, 25.0f);
  Log log;
  bool imported = false;
  std::vector<std::string> unread;  // keywords given that the import did not ask for
};

inline Worked imported(std::string_view cls, std::string_view settings, std::string_view dropped = "") {
  Worked w;
  bool hybrid = false;
  ImportSetup s;
  Settings before, stored;
  std::vector<std::string> mapped;
  float field = 3;
  for (const auto& [key, text] : settingsOf(settings)) {
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    const bool isNumber = !text.empty() && *end == '\0';
    if (key == "HYB") {
      hybrid = number != 0.0;
    } else if (key == "ENV") {
      w.header.ENV = static_cast<std::uint8_t>(number);
    } else if (key == "TA") {
      w.header.TEMP = static_cast<float>(number);
    } else if (key == "HASSMT") {
      w.header.HASSMT = static_cast<std::uint8_t>(number);
    } else if (key.starts_with('^')) {
      before.emplace_back(key.substr(1), text);
    } else if (key.starts_with('@')) {
      stored.emplace_back(key.substr(1), text);
    } else if (text == "!") {
      std::erase_if(s.kwds, [&](const CKwd& k) { return k.name == key; });
    } else {
      s.map(key, field++, text == "-" ? Cell{} : isNumber ? Cell{number} : Cell{text});
      mapped.push_back(key);
    }
  }
  for (const auto& [keyword, unused] : settingsOf(dropped)) {
    std::erase_if(s.kwds, [&](const CKwd& k) { return k.name == keyword; });
  }
  w.part = created(cls, hybrid);
  if (w.part == nullptr) return w;
  if (!before.empty()) setFields(*w.part, before);
  w.imported = w.part->ImportFields(s.reader, false, true, w.header.TEMP);
  if (!stored.empty()) setFields(*w.part, stored);
  for (const std::string& k : mapped) {
    if (s.reader.consulted().count(k) == 0) w.unread.push_back(k);
  }
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

// Checks each "NAME=value" of `expected` against the record (exact for the
// flags, within 1e-4 relative otherwise).
inline void expectValues(const CPart& p, std::string_view expected) {
  for (const auto& [name, text] : settingsOf(expected)) {
    const double want = std::stod(text), got = valueOf(p, name);
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

// A field as the import leaves it, and whether the import logged it.
struct FieldRow {
  const char* cls;
  const char* settings;
  const char* keyword;
  double value;
  bool logged;
};

inline void checkFieldRows(std::span<const FieldRow> rows) {
  for (const FieldRow& r : rows) {
    SCOPED_TRACE(std::string(r.cls) + " " + r.settings);
    Worked w = imported(r.cls, r.settings);
    EXPECT_TRUE(w.imported);
    EXPECT_DOUBLE_EQ(fieldOf(*w.part, r.keyword), r.value) << r.keyword;
    EXPECT_EQ(logged(w.log, "'" + std::string(r.keyword) + "'"), r.logged) << r.keyword;
  }
}

// The detail and factor lines (prefix "> ") of records calculated after their
// settings, a block each, for a golden file: widths, decimals and blanks show
// between the bars; a one-line detail leaves its second line "(untouched)".
struct Record {
  const char* cls;
  const char* settings;
};

inline std::string textLines(std::span<const Record> records) {
  std::string out;
  for (const Record& r : records) {
    Worked w = calculated(r.cls, r.settings);
    if (w.part == nullptr) continue;
    std::string lines[4] = {"", "(untouched)", "", ""};
    w.part->FormatDetail(lines[0], lines[1], "> ");
    w.part->FormatFactors(lines[2], lines[3], "> ");
    out += "== " + std::string(r.cls) + " " + r.settings + "\n";
    for (const std::string& line : lines) out += "|" + line + "|\n";
  }
  return out;
}

// The bytes a record writes after the base fields.
inline std::vector<std::uint8_t> ownBytes(CPart& part) {
  Archive whole = Archive::forWriting();
  part.Serialize(whole);
  Archive base = Archive::forWriting();
  part.serializeBase(base);
  return {whole.bytes().begin() + static_cast<std::ptrdiff_t>(base.bytes().size()), whole.bytes().end()};
}

// Gives every field of the pages its own value (texts, numbers, choices
// within their lists, flags), so a field that a copy or a file loses shows.
struct DistinctFiller final : FieldVisitor {
  int k = 0;
  void text(const FieldSpec&, std::string& v, bool) override { v = "T" + std::to_string(++k); }
  void number(const FieldSpec&, float& v, bool) override { v = 1.5f + 0.25f * static_cast<float>(++k); }
  void choice(const FieldSpec& f, std::uint8_t& v, bool) override {
    const std::size_t count = f.choices != nullptr ? f.choices->count() : 0;
    v = static_cast<std::uint8_t>(count > 1 ? 1 + (++k % (count - 1)) : 1);
  }
  void flag(const FieldSpec&, std::uint16_t& v, bool) override { v = static_cast<std::uint16_t>(++k & 1); }
};

// A record of `cls` whose page fields each hold their own value, calculated
// and filled again; its own stored bytes as hex show every field and factor in place.
inline std::string layoutHex(std::string_view cls) {
  auto part = created(cls);
  for (int pass = 0; pass < 2; ++pass) {
    DistinctFiller filler;
    part->paramPage(filler);
    part->tempPage(filler);
    if (pass == 0) {
      CCircHeader h;
      part->Calculate(h);
    }
  }
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const std::uint8_t b : ownBytes(*part)) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace kestrel::test
