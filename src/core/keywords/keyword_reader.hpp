// The keyword readers: how records and headers pull their fields by keyword
// from the current input record, with range clamping and log messages.
//
// Every reader returns false when the keyword is not in the definition
// ("...Error: keyword not found ('%s').") or has the wrong value type
// ("...Error: keyword type mismatch ('%s').") and when a number written as
// text can not be read whole ("10uF 25V"; never its leading digits). Missing
// and out-of-range data is logged and clamped or defaulted, a text longer
// than its field is cut, each with a warning, and the read succeeds. Numbers
// with SI prefixes and unit symbols ("10K", "4k7", "100nF") are read into the
// field's unit, each such reading logged.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/choice.hpp"
#include "core/field_spec.hpp"
#include "core/keywords/input_record.hpp"
#include "core/keywords/keyword_record.hpp"

namespace kestrel {

// The warning of a text cut to its field: "   ...'PN' text of 30 characters
// cut to 25" (the caller ends the line, with the record and field or "...").
std::string textCutNote(std::string_view keyword, std::size_t length, std::size_t limit);

class KeywordReader {
 public:
  using LogFn = std::function<void(std::string_view line)>;

  // `keywords` is the definition's keyword list; `log` receives every message.
  KeywordReader(const std::vector<CKwd>& keywords, LogFn log);

  // The current input record (its number and fields); set before reading.
  void setRecord(const InputRecord* record) {
    record_ = record;
    ownUnit_.clear();
  }
  const InputRecord* record() const { return record_; }

  bool readText(std::string_view keyword, std::string& dest, std::size_t maxLength,
                bool upperCase = false);
  // `unit` is the field's unit (as field descriptions name it) that a text
  // with a prefix or unit symbol is read into.
  bool readFloat(std::string_view keyword, float& dest, double lo, double hi, std::string_view unit = {});
  bool readInt(std::string_view keyword, float& dest, long lo, long hi, std::string_view unit = {});
  bool readInt(std::string_view keyword, std::uint16_t& dest, long lo, long hi, std::string_view unit = {});
  bool readChoice(std::string_view keyword, std::uint8_t& dest, const ChoiceList& list);

  // The same, with keyword, range, length and list taken from a field description.
  bool read(const FieldSpec& field, std::string& dest);
  bool read(const FieldSpec& field, float& dest);  // Real or Whole by field.kind
  bool read(const FieldSpec& field, std::uint16_t& dest);
  bool read(const FieldSpec& field, std::uint8_t& dest);  // Choice
  // Same as read(field, dest) with an upper bound other than the field's.
  bool read(const FieldSpec& field, float& dest, double hi);

  // Raw readers of fixed field numbers.
  bool rawText(int fieldNumber, std::string& dest, std::size_t maxLength);
  bool rawFloat(int fieldNumber, double& dest, double lo, double hi);

  // True when the keyword's value in the current record was written with its
  // own prefix or unit ("4k7", "100nF").
  bool readWithOwnUnit(std::string_view keyword) const { return ownUnit_.find(keyword) != ownUnit_.end(); }

  // The value-type option chosen for a keyword (0 = none or not found).
  std::uint8_t valueOption(std::string_view keyword) const;
  // Writes a line to the log the readers write to (for messages of a
  // class's own import rules).
  void logLine(std::string_view line) const;
  // The keyword's record in the definition, or null.
  const CKwd* find(std::string_view keyword) const;
  // How many warnings the readers logged so far: a value clamped into its
  // range, defaulted, without data, or a text cut to its field's length.
  std::size_t warnings() const { return warnings_; }
  // The keywords the readers were asked for so far (as the definition spells them).
  const std::set<std::string, std::less<>>& consulted() const { return consulted_; }

 private:
  // What a keyword's input field delivers (defined with the readers).
  struct Source;

  void log(const std::string& line) const;
  // Logs a line that counts as a warning.
  void warn(const std::string& line) const;
  // A text cut to `maxLength` (a warning names the keyword and both lengths).
  std::string fitted(const CKwd& kwd, const Source& src, std::string text, std::size_t maxLength,
                     bool upperCase) const;
  const CKwd* findOrLog(std::string_view keyword) const;
  long recordNumber() const;
  // The mapped field (or subfield) of `kwd`; logs why it holds nothing usable.
  Source fetch(const CKwd& kwd) const;
  // Shared steps of the float and integer readers on a value held as double.
  bool readNumber(std::string_view keyword, double& value, double lo, double hi, bool whole,
                  std::string_view unit);
  // A whole text of a numeric field: its number, nothing (no number in it),
  // or false after logging why it can not be read.
  bool numberOfText(const CKwd& kwd, const Source& src, std::string_view unit, std::optional<double>& got) const;

  // Upper-cased keyword -> its first record, so a look-up costs one hash
  // rather than a walk over the ~300 records of a definition for every field.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // The index follows the definition: it is rebuilt when the list was
  // changed after the reader was made.
  void buildIndex() const;

  const std::vector<CKwd>& keywords_;
  mutable std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> byName_;
  mutable std::size_t indexedSize_ = 0;
  mutable std::vector<bool> consultedByIndex_;
  LogFn log_;
  const InputRecord* record_ = nullptr;
  mutable std::set<std::string, std::less<>> consulted_;
  mutable std::set<std::string, std::less<>> ownUnit_;
  mutable std::size_t warnings_ = 0;
};

}  // namespace kestrel
