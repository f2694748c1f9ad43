#include "core/keywords/keyword_reader.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>

#include "core/keywords/unit_value.hpp"
#include "core/stored_range.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!isDigit(c)) return false;
  }
  return true;
}

// A double pinned into the range of long, for the integer forms of the messages.
long asLong(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(LONG_MAX)) return LONG_MAX;
  if (value <= static_cast<double>(LONG_MIN)) return LONG_MIN;
  return static_cast<long>(value);
}

// The leading number of `text` in the usual decimal notation (sign, digits,
// decimal point, exponent); what follows it is ignored. Nothing when the text
// does not start with a number or the number is not finite ("nan", "inf",
// "1e999").
std::optional<double> leadingNumber(std::string_view text) {
  text = trimmed(text);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
    text.remove_prefix(1);
  }
  double value = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (ec != std::errc{} || end == text.data() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The number in a subfield: the first run of digits and decimal points that
// holds a digit (for whole numbers the first run of digits), with a sign
// standing directly before the run ("T=-55C" gives -55). Everything before
// and after the run is ignored.
std::optional<double> numberInSubfield(std::string_view text, bool whole) {
  auto inRun = [whole](char c) { return isDigit(c) || (!whole && c == '.'); };
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && !inRun(text[pos])) ++pos;
    std::size_t end = pos;
    bool hasDigit = false;
    while (end < text.size() && inRun(text[end])) hasDigit |= isDigit(text[end++]);
    if (hasDigit) {
      std::string run(text.substr(pos, end - pos));
      if (pos > 0 && text[pos - 1] == '-') run.insert(run.begin(), '-');
      return leadingNumber(run);
    }
    pos = end;
  }
  return std::nullopt;
}

std::string cut(std::string text, std::size_t maxLength, bool upperCase) {
  if (text.size() > maxLength) text.resize(maxLength);
  return upperCase ? upperCased(text) : text;
}

}  // namespace

struct KeywordReader::Source {
  enum class Kind { Unmapped, NoData, Text, Number };
  Kind kind = Kind::NoData;
  std::string_view text;  // the field's text, or the subfield of it
  double number = 0.0;
  bool subfield = false;
  int fieldNumber = 0;
};

KeywordReader::KeywordReader(const std::vector<CKwd>& keywords, LogFn log)
    : keywords_(keywords), log_(std::move(log)) {
  buildIndex();
}

void KeywordReader::buildIndex() const {
  byName_.clear();
  byName_.reserve(keywords_.size());
  for (std::size_t i = 0; i < keywords_.size(); ++i) {
    std::string key(keywords_[i].name);
    for (char& c : key) c = upper(c);
    byName_.emplace(std::move(key), i);  // the first record of a name wins
  }
  indexedSize_ = keywords_.size();
  consultedByIndex_.assign(keywords_.size(), false);
  for (std::size_t i = 0; i < keywords_.size(); ++i) consultedByIndex_[i] = consulted_.count(keywords_[i].name) != 0;
}

void KeywordReader::logLine(std::string_view line) const {
  if (log_) log_(line);
}

void KeywordReader::log(const std::string& line) const {
  if (log_) log_(line);
}

std::string textCutNote(std::string_view keyword, std::size_t length, std::size_t limit) {
  return strprintf("   ...'%s' text of %zu characters cut to %zu", std::string(keyword).c_str(), length, limit);
}

void KeywordReader::warn(const std::string& line) const {
  ++warnings_;
  log(line);
}

std::string KeywordReader::fitted(const CKwd& kwd, const Source& src, std::string text, std::size_t maxLength,
                                  bool upperCase) const {
  if (text.size() > maxLength) {
    warn(textCutNote(kwd.name, text.size(), maxLength) + strprintf(" (R%ld/F%d)...", recordNumber(), src.fieldNumber));
  }
  return cut(std::move(text), maxLength, upperCase);
}

long KeywordReader::recordNumber() const { return record_ != nullptr ? record_->number : 0; }

const CKwd* KeywordReader::find(std::string_view keyword) const {
  char buffer[64];
  if (keyword.size() > sizeof buffer) return nullptr;  // longer than any keyword
  for (std::size_t i = 0; i < keyword.size(); ++i) buffer[i] = upper(keyword[i]);
  const std::string_view key(buffer, keyword.size());
  if (indexedSize_ != keywords_.size()) buildIndex();
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto it = byName_.find(key);
    if (it == byName_.end()) return nullptr;
    const CKwd& k = keywords_[it->second];
    if (k.name.size() == key.size() &&
        std::equal(k.name.begin(), k.name.end(), key.begin(), [](char a, char b) { return upper(a) == b; })) {
      return &k;
    }
    buildIndex();  // a record was renamed since the index was built
  }
  return nullptr;
}

const CKwd* KeywordReader::findOrLog(std::string_view keyword) const {
  const CKwd* k = find(keyword);
  if (k != nullptr) {
    const auto index = static_cast<std::size_t>(k - keywords_.data());
    if (!consultedByIndex_[index]) {
      consultedByIndex_[index] = true;
      consulted_.insert(k->name);
    }
  }
  if (k == nullptr) {
    log(strprintf("   ...Error: keyword not found ('%s').", std::string(keyword).c_str()));
  }
  return k;
}

std::uint8_t KeywordReader::valueOption(std::string_view keyword) const {
  const CKwd* k = find(keyword);
  return k != nullptr ? k->valueOption : 0;
}

KeywordReader::Source KeywordReader::fetch(const CKwd& kwd) const {
  Source src;
  // Field numbers are whole (a fraction is dropped); 0 means not mapped.
  const double number = std::trunc(kwd.fieldNumber);
  if (number == 0.0) {
    src.kind = Source::Kind::Unmapped;
    return src;
  }
  if (std::isnan(number) || number < 1 || number > kMaxInputFields) {
    const int shown = std::isnan(number) ? 0
                                         : static_cast<int>(std::clamp(number, double{INT_MIN},
                                                                       double{INT_MAX}));
    warn(strprintf("   ...WARNING: ifva[] fld# (%d) out-of-range...please call support.", shown));
    return src;
  }
  src.fieldNumber = static_cast<int>(number);
  const char* name = kwd.name.c_str();
  const long rec = recordNumber();
  const int fld = src.fieldNumber;
  const InputField* field = record_ != nullptr ? record_->field(fld) : nullptr;
  const bool wantsSubfield = kwd.subStart >= 1.0f;
  if (wantsSubfield && field != nullptr && field->kind != InputKind::Text) {
    warn(strprintf("   ...'%s' subfield requires text field (R%ld/F%d)...", name, rec, fld));
    return src;
  }
  if (field == nullptr || field->state != InputState::Valid) {
    warn(strprintf("   ...'%s' has no valid data (R%ld/F%d)...", name, rec, fld));
    return src;
  }
  if (field->kind == InputKind::Number) {
    src.kind = Source::Kind::Number;
    src.number = field->value;
    return src;
  }
  std::string_view text = field->text;
  if (wantsSubfield) {
    src.subfield = true;
    const double start = std::floor(kwd.subStart);  // 1-based
    const double length = kwd.subLength >= 1.0f ? std::floor(kwd.subLength) : 0.0;
    const double size = static_cast<double>(text.size());
    if (start > size) {
      warn(strprintf("   ...'%s' subfield length error (R%ld/F%d)...", name, rec, fld));
      return src;
    }
    const auto first = static_cast<std::size_t>(start) - 1;
    std::size_t count = text.size() - first;  // no length: to the end of the text
    if (length > 0.0) {
      if (start - 1.0 + length > size) {
        // Keep what the text has from the start on.
        warn(strprintf("   ...'%s' subfield length error (R%ld/F%d)...", name, rec, fld));
      } else {
        count = static_cast<std::size_t>(length);
      }
    }
    text = text.substr(first, count);
  }
  src.kind = Source::Kind::Text;
  src.text = text;
  return src;
}

bool KeywordReader::numberOfText(const CKwd& kwd, const Source& src, std::string_view unit,
                                 std::optional<double>& got) const {
  const UnitReading r = readUnitValue(src.text, unit);
  const char* name = kwd.name.c_str();
  const std::string text(src.text);
  const long rec = recordNumber();
  switch (r.kind) {
    case UnitText::Plain: got = r.value; return true;
    case UnitText::NoNumber: return true;
    case UnitText::Converted: {
      const std::string shown = unit.empty() ? strprintf("%g", r.value) : strprintf("%g %s", r.value, std::string(unit).c_str());
      log(strprintf("   ...'%s' read '%s' as %s (R%ld/F%d)...", name, text.c_str(), shown.c_str(), rec, src.fieldNumber));
      ownUnit_.insert(kwd.name);
      got = r.value;
      return true;
    }
    case UnitText::WrongUnit:
      log(strprintf("   ...Error: '%s' value '%s' is not in %s (R%ld/F%d).", name, text.c_str(),
                    unit.empty() ? "a plain number" : std::string(unit).c_str(), rec, src.fieldNumber));
      return false;
    case UnitText::Unreadable: break;
  }
  log(strprintf("   ...Error: '%s' can not read value '%s' (R%ld/F%d).", name, text.c_str(), rec, src.fieldNumber));
  return false;
}

bool KeywordReader::readNumber(std::string_view keyword, double& value, double lo, double hi,
                               bool whole, std::string_view unit) {
  const CKwd* k = findOrLog(keyword);
  if (k == nullptr) return false;
  const char* name = k->name.c_str();
  if (k->valueType != static_cast<std::uint8_t>(KeywordType::Num)) {
    log(strprintf("   ...Error: keyword type mismatch ('%s').", name));
    return false;
  }
  const Source src = fetch(*k);
  const long rec = recordNumber();
  std::optional<double> got;
  if (src.kind == Source::Kind::Number && std::isfinite(src.number)) {
    got = src.number;
  } else if (src.kind == Source::Kind::Text && src.subfield) {
    got = numberInSubfield(src.text, whole);
  } else if (src.kind == Source::Kind::Text && !numberOfText(*k, src, unit, got)) {
    return false;  // the record is not built on a value that could not be read
  }
  if ((src.kind == Source::Kind::Number || src.kind == Source::Kind::Text) && !got) {
    warn(strprintf("   ...'%s' has no valid data (R%ld/F%d)...", name, rec, src.fieldNumber));
  }

  if (!got) {
    // Unmapped or no data: the record keeps its value, held inside the range.
    if (inStoredRange(value, lo, hi)) return true;
    const double kept = heldInRange(value, lo, hi);
    value = kept;
    warn(whole ? strprintf("   ...'%s' set to default [%ld]...", name, asLong(kept))
              : strprintf("   ...'%s' set to default [%f]...", name, kept));
    return true;
  }

  double v = whole ? std::trunc(*got) : *got;
  // Compared as the stored float, so a value at its bound is in range.
  if (!inStoredRange(v, lo, hi)) {
    warn(whole ? strprintf("   ...'%s' [%ld] out of range [%ld/%ld] (R%ld/F%d)...", name, asLong(v),
                          asLong(lo), asLong(hi), rec, src.fieldNumber)
              : strprintf("   ...'%s' [%f] out of range [%f/%f] (R%ld/F%d)...", name, v, lo, hi,
                          rec, src.fieldNumber));
    v = heldInRange(v, lo, hi);
  }
  value = v;
  return true;
}

bool KeywordReader::readFloat(std::string_view keyword, float& dest, double lo, double hi,
                              std::string_view unit) {
  double value = dest;
  if (!readNumber(keyword, value, lo, hi, false, unit)) return false;
  dest = static_cast<float>(value);
  return true;
}

bool KeywordReader::readInt(std::string_view keyword, float& dest, long lo, long hi, std::string_view unit) {
  double value = dest;
  if (!readNumber(keyword, value, static_cast<double>(lo), static_cast<double>(hi), true, unit)) {
    return false;
  }
  dest = static_cast<float>(value);
  return true;
}

bool KeywordReader::readInt(std::string_view keyword, std::uint16_t& dest, long lo, long hi,
                            std::string_view unit) {
  double value = dest;
  if (!readNumber(keyword, value, static_cast<double>(lo), static_cast<double>(hi), true, unit)) {
    return false;
  }
  // The range given is the field's; a 16-bit field cannot hold more in any case.
  if (!(value >= 0.0)) value = 0.0;
  if (value > 65535.0) value = 65535.0;
  dest = static_cast<std::uint16_t>(value);
  return true;
}

bool KeywordReader::readChoice(std::string_view keyword, std::uint8_t& dest,
                               const ChoiceList& list) {
  const CKwd* k = findOrLog(keyword);
  if (k == nullptr) return false;
  const char* name = k->name.c_str();
  if (k->valueType != static_cast<std::uint8_t>(KeywordType::Choice)) {
    log(strprintf("   ...Error: keyword type mismatch ('%s').", name));
    return false;
  }
  auto keepOrDefault = [&] {
    if (!list.isValid(dest)) {
      dest = 1;
      warn(strprintf("   ...'%s' set to default (#1) choice...", name));
    }
    return true;
  };

  const Source src = fetch(*k);
  const long rec = recordNumber();
  const int fld = src.fieldNumber;
  std::string text;
  if (src.kind == Source::Kind::Number) {
    if (!std::isfinite(src.number)) {
      warn(strprintf("   ...'%s' has no valid data (R%ld/F%d)...", name, rec, fld));
      return keepOrDefault();
    }
    text = strprintf("%.0f", src.number);
  } else if (src.kind == Source::Kind::Text) {
    text = upperCased(trimmed(src.text));
  } else {
    return keepOrDefault();
  }

  if (allDigits(text) || src.kind == Source::Kind::Number) {
    if (allDigits(text) && text.size() <= 9) {
      const unsigned long choice = std::stoul(text);
      if (list.isValid(static_cast<unsigned>(choice))) {
        dest = static_cast<std::uint8_t>(choice);
        return true;
      }
    }
    // Lists whose texts are numbers ("85", "125") still match by text.
    if (const unsigned byName = list.find(text); byName != 0) {
      dest = static_cast<std::uint8_t>(byName);
      return true;
    }
    warn(strprintf("   ...'%s' choice number error (R%ld/F%d)...", name, rec, fld));
    return keepOrDefault();
  }
  if (const unsigned byName = list.find(text); byName != 0) {
    dest = static_cast<std::uint8_t>(byName);
    return true;
  }
  warn(strprintf("   ...'%s' has no choice match (R%ld/F%d)...", name, rec, fld));
  return keepOrDefault();
}

bool KeywordReader::readText(std::string_view keyword, std::string& dest, std::size_t maxLength,
                             bool upperCase) {
  const CKwd* k = findOrLog(keyword);
  if (k == nullptr) return false;
  if (k->valueType != static_cast<std::uint8_t>(KeywordType::Text)) {
    log(strprintf("   ...Error: keyword type mismatch ('%s').", k->name.c_str()));
    return false;
  }
  const Source src = fetch(*k);
  if (src.kind == Source::Kind::Text) {
    dest = fitted(*k, src, std::string(src.text), maxLength, upperCase);
  } else if (src.kind == Source::Kind::Number) {
    if (!std::isfinite(src.number)) {
      warn(strprintf("   ...'%s' has no valid data (R%ld/F%d)...", k->name.c_str(), recordNumber(),
                    src.fieldNumber));
      return true;
    }
    dest = fitted(*k, src, strprintf("%.0f", src.number), maxLength, upperCase);
  }
  // Unmapped or no data: the text stays as the record had it.
  return true;
}

bool KeywordReader::read(const FieldSpec& field, std::string& dest) {
  return readText(field.keyword, dest, field.maxLength, field.upperCase);
}

bool KeywordReader::read(const FieldSpec& field, float& dest) { return read(field, dest, field.hi); }

bool KeywordReader::read(const FieldSpec& field, float& dest, double hi) {
  if (field.kind == FieldKind::Whole) {
    return readInt(field.keyword, dest, std::lround(field.lo), std::lround(hi), field.unit);
  }
  return readFloat(field.keyword, dest, field.lo, hi, field.unit);
}

bool KeywordReader::read(const FieldSpec& field, std::uint16_t& dest) {
  return readInt(field.keyword, dest, std::lround(field.lo), std::lround(field.hi), field.unit);
}

bool KeywordReader::read(const FieldSpec& field, std::uint8_t& dest) {
  static const ChoiceList kNoChoices;
  return readChoice(field.keyword, dest, field.choices != nullptr ? *field.choices : kNoChoices);
}

bool KeywordReader::rawText(int fieldNumber, std::string& dest, std::size_t maxLength) {
  const long rec = recordNumber();
  if (fieldNumber < 1 || fieldNumber > kMaxInputFields) {
    log(strprintf("   ...Error: rawtext fld# %d (R%ld) out-of-range.", fieldNumber, rec));
    return false;
  }
  const InputField* field = record_ != nullptr ? record_->field(fieldNumber) : nullptr;
  if (field != nullptr && field->kind != InputKind::Text) {
    log(strprintf("   ...Error: rawtext fld# %d (R%ld) not text field.", fieldNumber, rec));
    return false;
  }
  if (field == nullptr || field->state != InputState::Valid) {
    log(strprintf("   ...Error: rawtext fld# %d (R%ld) no valid data.", fieldNumber, rec));
    return false;
  }
  dest = cut(field->text, maxLength, false);
  return true;
}

bool KeywordReader::rawFloat(int fieldNumber, double& dest, double lo, double hi) {
  const long rec = recordNumber();
  if (fieldNumber < 1 || fieldNumber > kMaxInputFields) {
    log(strprintf("   ...Error: rawfloat fld# %d (R%ld) out-of-range.", fieldNumber, rec));
    return false;
  }
  const InputField* field = record_ != nullptr ? record_->field(fieldNumber) : nullptr;
  std::optional<double> value;
  if (field != nullptr && field->state == InputState::Valid) {
    if (field->kind == InputKind::Number) {
      if (std::isfinite(field->value)) value = field->value;
    } else {
      value = leadingNumber(field->text);
    }
  }
  if (!value) {
    log(strprintf("   ...Error: rawfloat fld# %d (R%ld) no valid data.", fieldNumber, rec));
    return false;
  }
  if (*value < lo || *value > hi) {
    log(strprintf("   ...Error: rawfloat fld# %d (R%ld) out-of-range.", fieldNumber, rec));
    return false;
  }
  dest = *value;
  return true;
}

}  // namespace kestrel
