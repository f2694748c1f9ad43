#include "core/validation.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <system_error>

#include "core/number_format.hpp"
#include "core/stored_range.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// No editing field holds more than this many characters.
constexpr std::size_t kLongestTextField = 512;

// A number typed into a field: optional sign, digits with an optional
// decimal point, optional exponent, nothing else around it but blanks.
// "nan", "inf", hexadecimal and partial entries ("1e", "abc") are not numbers.
std::optional<double> parseNumber(std::string_view entry) {
  std::string_view text = trimmed(entry);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);  // "+5" is 5
  const std::string_view body =
      !text.empty() && text.front() == '-' ? text.substr(1) : text;
  if (body.empty()) return std::nullopt;
  const char first = body.front();
  if (!(first == '.' || (first >= '0' && first <= '9'))) return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  if (value == 0.0) value = 0.0;  // an entered "-0" is stored and shown as 0
  return value;
}

// A range bound of a field description as a whole number.
long wholeBound(double bound) {
  if (!(bound > static_cast<double>(LONG_MIN))) return LONG_MIN;
  if (!(bound < static_cast<double>(LONG_MAX))) return LONG_MAX;
  return std::lround(bound);
}

Validated refused(std::string message) {
  Validated result;
  result.error = std::move(message);
  return result;
}

std::string wholeRangeMessage(long lo, long hi) {
  return strprintf("Number entry is out of range:%s", strprintf("\n%ld to %ld", lo, hi).c_str());
}

std::string realRangeMessage(double lo, double hi) {
  const std::string bounds = strprintf("\n%s to %s", formatNumber(lo, 15, 6).c_str(),
                                       formatNumber(hi, 15, 6).c_str());
  return strprintf("Number entry is out of range:%s", bounds.c_str());
}

constexpr const char* kChoiceNotFound = "Choice entry not found in choice list.";

}  // namespace

std::optional<std::string> checkTextLength(std::string_view text, std::size_t maxLength) {
  const std::size_t limit = std::min(maxLength, kLongestTextField);
  if (text.size() <= limit) return std::nullopt;
  const int entered = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  const std::string counts =
      strprintf("\n%d ch entered ... %d ch max", entered, static_cast<int>(limit));
  return strprintf("Text entry has too many characters:%s", counts.c_str());
}

Validated checkWholeNumber(std::string_view entry, long lo, long hi) {
  const std::optional<double> value = parseNumber(entry);
  if (!value || *value != std::floor(*value) || *value < static_cast<double>(lo) ||
      *value > static_cast<double>(hi)) {
    return refused(wholeRangeMessage(lo, hi));
  }
  Validated result;
  result.number = *value;
  result.text = strprintf("%.0f", *value);
  return result;
}

Validated checkRealNumber(std::string_view entry, double lo, double hi) {
  const std::optional<double> value = parseNumber(entry);
  // Compared as the stored float, so an entry equal to a bound is in range.
  if (!value || !inStoredRange(*value, lo, hi)) return refused(realRangeMessage(lo, hi));
  Validated result;
  result.number = *value;
  result.text = formatNumber(*value, 20, 6);
  return result;
}

Validated checkChoice(std::string_view entry, const ChoiceList& list) {
  const std::string_view text = trimmed(entry);
  unsigned choice = text.empty() ? 0 : list.find(text);
  if (choice == 0 && !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    unsigned number = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && ptr == text.data() + text.size() && list.isValid(number)) {
      choice = number;
    }
  }
  if (choice == 0) return refused(kChoiceNotFound);
  Validated result;
  result.choice = choice;
  result.text = std::string(list.text(choice));
  return result;
}

Validated validateEntry(const FieldSpec& field, std::string_view entry) {
  switch (field.kind) {
    case FieldKind::Text: {
      if (auto error = checkTextLength(entry, field.maxLength)) return refused(std::move(*error));
      Validated result;
      result.text = std::string(entry);
      return result;
    }
    case FieldKind::Whole:
    case FieldKind::Flag:
      return checkWholeNumber(entry, wholeBound(field.lo), wholeBound(field.hi));
    case FieldKind::Real:
      return checkRealNumber(entry, field.lo, field.hi);
    case FieldKind::Choice:
      if (field.choices == nullptr) return refused(kChoiceNotFound);
      return checkChoice(entry, *field.choices);
  }
  return refused(kChoiceNotFound);
}

std::string pageNeedsCompletion(int pageNumber) {
  return strprintf("Page %d needs to be completed...", pageNumber);
}

std::string pageNeedsCompletion(int pageNumber, std::string_view field, std::string_view pageTitle) {
  return pageNeedsCompletion(pageNumber) + strprintf("\n'%s' on page '%s' has no entry.", std::string(field).c_str(),
                                                     std::string(pageTitle).c_str());
}

}  // namespace kestrel
