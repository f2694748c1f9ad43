// Helpers of the passive and discrete semiconductor tests: records set up
// from "KEYWORD=value" settings read through the class's own keyword import,
// calculated in a circuit of a given environment and ambient.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
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

namespace kestrel::passive_test {

// Relative closeness for hand-worked values quoted to 5-7 significant digits.
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

// Splits "A=1 B=2.5" into keyword/value pairs.
inline std::vector<std::pair<std::string, std::string>> settingsOf(std::string_view settings) {
  std::vector<std::pair<std::string, std::string>> out;
  std::istringstream words{std::string(settings)};
  for (std::string word; words >> word;) {
    const auto eq = word.find('=');
    out.emplace_back(word.substr(0, eq), eq == std::string::npos ? "" : word.substr(eq + 1));
  }
  return out;
}

// Sets page fields by keyword (the label for a field without one) as a file
// would store them: numbers, choice indexes and flags, with no range check.
class FieldSetter final : public FieldVisitor {
 public:
  explicit FieldSetter(std::vector<std::pair<std::string, std::string>> values)
      : values_(std::move(values)) {}
  void text(const FieldSpec&, std::string&, bool) override {}
  void number(const FieldSpec& f, float& v, bool) override { set(f, v); }
  void choice(const FieldSpec& f, std::uint8_t& v, bool) override { set(f, v); }
  void flag(const FieldSpec& f, std::uint16_t& v, bool) override { set(f, v); }
  void visitPages(CPart& part) {
    part.identityPage(*this);
    part.limitsPage(*this);
    part.paramPage(*this);
    part.tempPage(*this);
    part.smtPage(*this);
  }
  std::vector<std::string> unset() const {
    std::vector<std::string> out;
    for (const auto& [k, v] : values_) {
      if (!std::count(done_.begin(), done_.end(), k)) out.push_back(k);
    }
    return out;
  }

 private:
  template <typename T>
  void set(const FieldSpec& f, T& value) {
    const std::string_view name = f.keyword.empty() ? f.label : f.keyword;
    for (const auto& [k, v] : values_) {
      if (k == name) {
        value = static_cast<T>(std::strtod(v.c_str(), nullptr));
        done_.push_back(k);
      }
    }
  }
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> done_;
};

// Imports "KEYWORD=value" settings into `part`: each keyword mapped to its own
// input field (numbers as numbers, "-" an empty cell, other values as text);
// "KEYWORD=!" drops the keyword from the definition. "^KEYWORD=value" sets a
// field before the import and "@KEYWORD=value" after it, as a stored record
// would hold it.
inline bool importInto(CPart& part, std::string_view settings, test::ImportSetup& setup,
                       float ambient = 25.0f) {
  float field = 1;
  std::vector<std::pair<std::string, std::string>> before, stored;
  for (const auto& [keyword, value] : settingsOf(settings)) {
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (keyword.starts_with('@')) {
      stored.emplace_back(keyword.substr(1), value);
    } else if (keyword.starts_with('^')) {
      before.emplace_back(keyword.substr(1), value);
    } else if (value == "!") {
      std::erase_if(setup.kwds, [&](const CKwd& k) { return k.name == keyword; });
    } else if (value == "-") {
      setup.map(keyword, field++, test::Cell{});
    } else if (!value.empty() && *end == '\0') {
      setup.map(keyword, field++, number);
    } else {
      setup.map(keyword, field++, value);
    }
  }
  const auto set = [&part](const std::vector<std::pair<std::string, std::string>>& values) {
    FieldSetter setter(values);
    setter.visitPages(part);
    EXPECT_TRUE(setter.unset().empty()) << setter.unset().front() << " is no field";
  };
  if (!before.empty()) set(before);
  const bool ok = part.ImportFields(setup.reader, false, true, ambient);
  if (!stored.empty()) set(stored);
  return ok;
}

inline std::unique_ptr<CPart> created(std::string_view className, bool hybrid = false) {
  registerAllParts();
  const PartType* type = findPartTypeByClass(className);
  EXPECT_NE(type, nullptr) << className;
  return type != nullptr ? PartRegistry::instance().create(type->id, hybrid) : nullptr;
}

// A new record of `className` with `settings` imported; every imported
// setting must be a keyword the import asks for, so a mistyped one fails.
inline std::unique_ptr<CPart> imported(std::string_view className, std::string_view settings,
                                       bool hybrid = false, float ambient = 25.0f) {
  auto part = created(className, hybrid);
  if (part == nullptr) return nullptr;
  test::ImportSetup setup;
  EXPECT_TRUE(importInto(*part, settings, setup, ambient)) << settings;
  for (const auto& [keyword, value] : settingsOf(settings)) {
    if (keyword.starts_with('@') || keyword.starts_with('^') || value == "!") continue;
    EXPECT_EQ(setup.reader.consulted().count(keyword), 1u) << keyword << " not read by " << className;
  }
  return part;
}

// The named factor the last calculation stored (NaN when the class has none).
inline double factor(const CPart& part, std::string_view name) {
  for (const NamedFactor& f : part.factors()) {
    if (f.name == name) return f.value;
  }
  return std::nan("");
}

// Checks "NAME=value" factors of a calculated record.
inline void expectFactors(const CPart& part, std::string_view expected) {
  for (const auto& [name, value] : settingsOf(expected)) {
    EXPECT_TRUE(near(factor(part, name), std::stod(value))) << name;
  }
}

// Bytes the class's own fields add to the base record.
inline std::vector<std::uint8_t> ownFieldBytes(CPart& part) {
  Archive whole = Archive::forWriting();
  part.Serialize(whole);
  Archive base = Archive::forWriting();
  part.CPart::Serialize(base);
  return {whole.bytes().begin() + static_cast<std::ptrdiff_t>(base.bytes().size()), whole.bytes().end()};
}

inline bool logged(const test::Log& log, std::string_view text) {
  for (const std::string& line : log) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kestrel::passive_test
