#include "shell/class_help.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "core/field_spec.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

struct SectionRow {
  std::uint16_t typeId;
  std::string_view section;
};

// The handbook sections each class's model is taken from.
constexpr std::array kSections{
    SectionRow{101, "5.1"},         SectionRow{102, "5.1"},
    SectionRow{103, "5.1"},         SectionRow{104, "5.1"},
    SectionRow{105, "5.1"},    SectionRow{106, "5.1, 5.2"},
    SectionRow{107, "5.1"},         SectionRow{108, "5.3"},
    SectionRow{122, "5.4"},         SectionRow{123, "5.5"},
    SectionRow{124, "5.6"},         SectionRow{301, "6.3, 6.4, 6.5"},
    SectionRow{302, "6.1, 6.2, 6.10"}, SectionRow{303, "6.6, 6.7, 6.8, 6.9"},
    SectionRow{304, "6.11, 6.12"},  SectionRow{305, "6.13"},
    SectionRow{401, "9.1"},         SectionRow{402, "9.1"},
    SectionRow{403, "10.1"},        SectionRow{404, "11.1, 11.2"},
    SectionRow{501, "12.1, 12.2, 12.3"}, SectionRow{502, "13.1, 13.2"},
    SectionRow{503, "14.1, 14.2"},  SectionRow{504, "15.1, 15.2"},
    SectionRow{505, "16.1"},        SectionRow{506, "17.1"},
    SectionRow{601, "8.1, 8.2, 8.3"}, SectionRow{603, "18.1"},
    SectionRow{604, "19.1"},        SectionRow{605, "20.1"},
    SectionRow{606, "21.1"},        SectionRow{607, "22.1"},
    SectionRow{608, "23.1"},
};

std::string sectionText(std::uint16_t typeId) {
  const std::string_view section = handbookSection(typeId);
  if (!section.empty()) {
    return strprintf("MIL-HDBK-217F, Notice 2, section%s %s", section.find(',') == std::string_view::npos ? "" : "s",
                     std::string(section).c_str());
  }
  if (typeId == kSubCircuitType || typeId == kSubHybridType) {
    return "no handbook section (the calculated total of the sub-file, times the duty cycle)";
  }
  return "no handbook section (a base failure rate entered, optionally with a temperature factor)";
}

std::string numberText(double value) { return strprintf("%.10g", value); }
// A stored field's value: a float shown with the digits it holds.
std::string storedText(float value) { return strprintf("%.7g", static_cast<double>(value)); }

// How many inputs the worked example sets: enough to show each kind of value.
constexpr std::size_t kExampleFields = 6;

// A value as a shell passes it through unchanged: bare when it is plain,
// else in single quotes.
std::string shellWord(std::string_view text) {
  const bool plain = !text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                             "0123456789._+-/") == std::string_view::npos;
  if (plain) return std::string(text);
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// One block of lines per field that has a keyword, with the value a new
// part starts with; the first inputs that apply, with those values, make the
// worked example.
class FieldLister final : public FieldVisitor {
 public:
  std::string lines;
  std::vector<std::string> example;  // KEYWORD=VALUE, values unquoted
  const std::vector<std::string_view>& keywords() const { return seen_; }

  void text(const FieldSpec& f, std::string& value, bool) override {
    add(f, strprintf("Text, at most %zu characters", f.maxLength), value.empty() ? "empty" : "\"" + value + "\"");
  }
  void number(const FieldSpec& f, float& value, bool applies) override {
    const double start = std::clamp(static_cast<double>(value), f.lo, f.hi);
    const std::string startText = storedText(static_cast<float>(start));
    if (add(f,
            strprintf("Num, %s %s..%s", f.kind == FieldKind::Whole ? "whole number" : "number",
                      numberText(f.lo).c_str(), numberText(f.hi).c_str()),
            storedText(value)) &&
        applies) {
      addExample(f, startText);
    }
  }
  void choice(const FieldSpec& f, std::uint8_t& value, bool applies) override {
    // One choice a line: some lists are long.
    std::string kind = "Choice";
    const std::size_t count = f.choices != nullptr ? f.choices->count() : 0;
    for (std::size_t i = 1; i <= count; ++i) {
      kind += strprintf("\n        %2zu %s", i, std::string(f.choices->text(static_cast<unsigned>(i))).c_str());
    }
    const unsigned start = f.choices != nullptr ? f.choices->clamp(value) : 0;
    const std::string startText = start == 0 ? std::string() : std::string(f.choices->text(start));
    if (add(f, kind, value == 0 ? std::string("none") : strprintf("%u %s", unsigned{value}, startText.c_str())) &&
        applies && count > 0) {
      // The reader takes a choice by its text; a text two choices share is given by number.
      addExample(f, f.choices->find(startText) == start ? startText : std::to_string(start));
    }
  }
  void flag(const FieldSpec& f, std::uint16_t& value, bool applies) override {
    const double start = std::clamp(static_cast<double>(value), f.lo, f.hi);
    if (add(f, strprintf("Num, switch %s..%s", numberText(f.lo).c_str(), numberText(f.hi).c_str()),
            std::to_string(value)) &&
        applies) {
      addExample(f, strprintf("%.0f", start));
    }
  }

 private:
  // False for a field without a keyword or one listed already.
  bool add(const FieldSpec& f, const std::string& kind, const std::string& start) {
    if (f.keyword.empty()) return false;
    for (const std::string_view seen : seen_) {
      if (seen == f.keyword) return false;  // a page may visit a field twice
    }
    seen_.push_back(f.keyword);
    lines += strprintf("  %-18s %s\n", std::string(f.keyword).c_str(), std::string(f.label).c_str());
    std::string detail = "      " + kind;
    if (!f.unit.empty()) detail += "; unit: " + std::string(f.unit);
    lines += detail + "\n      new part: " + start + "\n";
    return true;
  }
  void addExample(const FieldSpec& f, const std::string& value) {
    if (example.size() < kExampleFields) example.push_back(std::string(f.keyword) + "=" + value);
  }
  std::vector<std::string_view> seen_;
};

// The fields of a new part of the type, listed.
FieldLister listFields(const PartType& type) {
  FieldLister fields;
  if (std::unique_ptr<CPart> part = PartRegistry::instance().create(type.id, false)) {
    part->paramPage(fields);
    part->tempPage(fields);
  }
  return fields;
}

// Keywords of the class's family (the prefix of its first keyword) that no
// page shows, such as a junction temperature given directly on import.
std::vector<const KeywordInfo*> importOnly(const std::vector<std::string_view>& listed) {
  std::vector<const KeywordInfo*> out;
  if (listed.empty()) return out;
  const std::string_view prefix = listed.front().substr(0, listed.front().find('_') + 1);
  for (const KeywordInfo& k : keywordCatalogue()) {
    if (k.className.empty() || !std::string_view(k.name).starts_with(prefix)) continue;
    bool shown = false;
    for (const std::string_view l : listed) shown = shown || l == k.name;
    if (!shown) out.push_back(&k);
  }
  return out;
}

std::string importOnlyKeywords(const std::vector<std::string_view>& listed) {
  std::string out;
  for (const KeywordInfo* k : importOnly(listed)) {
    out += strprintf("  %-18s %s", std::string(k->name).c_str(),
                     std::string(kKeywordTypeNames[static_cast<int>(k->type)]).c_str());
    if (k->type == KeywordType::Num && (k->lo != 0.0 || k->hi != 0.0)) {
      out += " " + numberText(k->lo) + ".." + numberText(k->hi);
    }
    out += "\n";
  }
  return out;
}

}  // namespace

std::string_view handbookSection(std::uint16_t typeId) {
  for (const SectionRow& row : kSections) {
    if (row.typeId == typeId) return row.section;
  }
  return {};
}

std::string classHelpIndex() {
  std::string out = strprintf("%-5s %-16s %-22s %s\n", "ID", "CLASS", "NAME", "HANDBOOK SECTION");
  const PartRegistry& registry = PartRegistry::instance();
  for (const PartType& t : allPartTypes()) {
    if (!registry.isRegistered(t.id)) continue;
    const std::string_view section = handbookSection(t.id);
    out += strprintf("%-5u %-16s %-22s %s\n", static_cast<unsigned>(t.id), std::string(t.className).c_str(),
                     std::string(t.menuName).c_str(), section.empty() ? "-" : std::string(section).c_str());
  }
  return out;
}

std::vector<std::string> classExampleValues(const PartType& type) { return listFields(type).example; }

std::vector<std::string> classKeywords(const PartType& type) {
  const FieldLister fields = listFields(type);
  std::vector<std::string> out(fields.keywords().begin(), fields.keywords().end());
  for (const KeywordInfo* k : importOnly(fields.keywords())) out.emplace_back(k->name);
  return out;
}

std::string classHelpPage(const PartType& type) {
  std::unique_ptr<CPart> part = PartRegistry::instance().create(type.id, false);
  std::string out = strprintf("%s (%s, type id %u)\n", std::string(type.menuName).c_str(),
                              std::string(type.className).c_str(), static_cast<unsigned>(type.id));
  out += "Model: " + sectionText(type.id) + "\n";
  out += std::string("Hybrid parts list: ") + (type.inHybridMenu ? "yes" : "no") + "\n\n";
  if (!part) return out + "This class is not available in this program.\n";
  const FieldLister fields = listFields(type);
  out += "Keywords of the class's own fields:\n";
  out += fields.lines.empty() ? std::string("  (none)\n") : fields.lines;
  const std::string extra = importOnlyKeywords(fields.keywords());
  if (!extra.empty()) out += "Keywords read on import only (no field of their own):\n" + extra;
  out += "\nThe fields every part has (identity, quantity, limits, surface mount, notes) are listed by\n"
         "`kestrel keywords`.\n";
  // The shown name when the shell passes it as one word, else the class name.
  const std::string_view name = shellWord(type.menuName) == type.menuName ? type.menuName : type.className;
  out += "\nExample (a new circuit and one part with the values listed above):\n"
         "  kestrel new circuit board.cir\n"
         "  kestrel add board.cir " + std::string(name);
  for (const std::string& value : fields.example) {
    const std::size_t equals = value.find('=');
    out += " " + value.substr(0, equals + 1) + shellWord(std::string_view(value).substr(equals + 1));
  }
  out += "\n";
  return out;
}

}  // namespace kestrel
